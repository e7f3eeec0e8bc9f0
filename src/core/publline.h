#pragma once
// The shared helpers of pages and engines, by topic: message box and status line
// (notify), system facts (sysinfo), sizes and drives (drives), file times
// (filetimes), files and folders (files), list order (listorder), the ".zcom"
// archive (zcom), path rules (pathrules), file-name masks (filemask) and the
// jumps into the file browser and registry editor (shelljumps). Including this
// header includes them all; new code may include only the topic it needs.

#include "core/layer.h"
WV_REQUIRE_LAYER(WV_LAYER_CORE, "the platform layer stands below core and uses none of it");

#include "core/drives.h"
#include "core/filemask.h"
#include "core/files.h"
#include "core/filetimes.h"
#include "core/listorder.h"
#include "core/notify.h"
#include "core/pathrules.h"
#include "core/rows.h"
#include "core/shelljumps.h"
#include "core/sysinfo.h"
#include "core/text.h"
#include "core/zcom.h"
