#pragma once
// The shared helpers of pages and engines, by topic: message box and status line
// (notify), system facts (sysinfo), sizes and drives (drives), file times
// (filetimes), files and folders (files), list order (listorder), the ".zcom"
// archive (zcom), path rules (pathrules), file-name masks (filemask) and the
// jumps into the file browser and registry editor (shelljumps). Including this
// header includes them all; new code may include only the topic it needs.

#include "platform/layer.h"
WV_REQUIRE_LAYER(WV_LAYER_CORE, "the platform layer stands below core and uses none of it");

#include "core/drives.h"
#include "core/file_mask.h"
#include "core/files.h"
#include "core/file_times.h"
#include "core/list_order.h"
#include "core/notify.h"
#include "core/path_rules.h"
#include "core/list_rows.h"
#include "core/shell_jumps.h"
#include "core/system_info.h"
#include "platform/text.h"
#include "core/archive.h"
