#pragma once
// The shared helpers of pages and engines, by topic: system facts (system_info),
// sizes and drives (drives), file times (file_times), files and folders (files),
// list order (list_order), the ".zcom" archive (archive), path rules (path_rules),
// file-name masks (file_mask) and the jumps into the file browser and registry
// editor (shell_jumps). Including this header includes them all; new code may
// include only the topic it needs. The window side (message box, status line,
// folder browser, list rows) is in src/ui.

#include "platform/layer.h"
WV_REQUIRE_LAYER(WV_LAYER_CORE, "the platform layer stands below core and uses none of it");

#include "core/drives.h"
#include "core/file_mask.h"
#include "core/files.h"
#include "core/file_times.h"
#include "core/list_order.h"
#include "core/path_rules.h"
#include "core/shell_jumps.h"
#include "core/system_info.h"
#include "platform/text.h"
#include "core/archive.h"
