#pragma once
// Folders the program never cleans, shreds or uses as a whole: a drive's root,
// the Windows and system folders, a program folder as a whole, a user's profile,
// its data and document folders, and any folder that holds one of these. Folders
// inside them (C:\Windows\Temp, a program's own cache) are not protected. Every
// page and engine that takes a folder from a user, a settings file, a rule file
// or the environment asks here before it scans, removes or writes there.

#include "platform/layer.h"
WV_REQUIRE_LAYER(WV_LAYER_CORE, "the platform layer stands below core and uses none of it");

#include <string>
#include <string_view>
#include <vector>

namespace wv {

enum class FolderProtection {
  None,            // an ordinary folder
  NotFullPath,     // not "X:\..." nor "\\server\share\...": it would depend on the current folder
  DriveRoot,       // "C:\" or "\\server\share"
  SystemFolder,    // the Windows or a system folder
  ProgramFolder,   // Program Files, Common Files or ProgramData as a whole
  UserFolder,      // a user's profile, the profiles' root, AppData as a whole
  DocumentFolder,  // Documents, Desktop, Pictures, Music, Videos, Favorites, Downloads
  HoldsProtected,  // a folder above any of the above
};

class ProtectedFolders {
 public:
  // The system's folders of this machine and user, asked of the shell once.
  static ProtectedFolders Resolve();
  // A list given directly (tests; folders without trailing backslash).
  struct Entry {
    std::wstring folder;
    FolderProtection kind;
  };
  explicit ProtectedFolders(std::vector<Entry> entries);

  // What protects the folder (trailing backslash, ".." and case do not matter).
  [[nodiscard]] FolderProtection check(std::wstring_view folder) const;
  [[nodiscard]] bool isProtected(std::wstring_view folder) const { return check(folder) != FolderProtection::None; }
  [[nodiscard]] const std::vector<Entry>& entries() const { return entries_; }

 private:
  std::vector<Entry> entries_;  // folded, normalised
};

// "X:\..." or "\\server\share\..." (long-path prefixes included); relative paths,
// "X:" alone, "X:folder" and "\folder" are not.
bool IsFullPath(std::wstring_view path);
// The path made full (".." and "." resolved), without a trailing backslash except
// for a drive root ("C:\"); empty when it is not a full path.
std::wstring NormalFolder(std::wstring_view path);
// The user's words for the protection, for messages and reports ("系统目录").
std::wstring_view FolderProtectionText(FolderProtection kind);

}  // namespace wv
