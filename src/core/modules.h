#pragma once
// The program's modules: one per page. Each has the short key its stored names
// were built from ("wjql"), the section it keeps in Config.ini ("WJQL"), its
// Chinese title and its side-bar caption. This table is the only place in the
// code that spells the keys; everything else names a module by its enum value.

#include "platform/layer.h"
WV_REQUIRE_LAYER(WV_LAYER_CORE, "the platform layer stands below core and uses none of it");

#include <span>
#include <string_view>

namespace wv {

enum class Module {
  DailyFiles,      // the start page: temporary folders, recent documents, logs, the user's folders
  RegistryTraces,  // usage histories and dead registrations in the registry
  OtherTraces,     // browser cache, history, typed addresses, cookies, event logs
  Startup,         // programs started at logon
  Software,        // installed software
  JunkFiles,       // junk files on the fixed drives
  Redundancy,      // registry values naming missing files
  FileInfo,        // batch names, times and attributes
  Shredder,        // overwrite and delete
  Music,           // music files named from their tags
  BackupManager,   // registry and startup backups (opened by other pages)
};

struct ModuleInfo {
  Module module;
  std::wstring_view key;          // the stored short key, lower case
  std::wstring_view section;      // the Config.ini section; empty for a module that keeps none
  std::wstring_view title;        // the page heading
  std::wstring_view sideCaption;  // the side-bar caption with its blanks; empty without a button
};

// Every module in the side bar's order.
std::span<const ModuleInfo> Modules();
const ModuleInfo& ModuleInfoOf(Module module);

}  // namespace wv
