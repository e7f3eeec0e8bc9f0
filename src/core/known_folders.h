#pragma once
// Folders of the user and the system that the cleaners work in, resolved once at
// start. An entry the shell cannot resolve stays empty: the cleaners delete inside
// these folders, so an entry never falls back to some other folder.

#include "platform/layer.h"
WV_REQUIRE_LAYER(WV_LAYER_CORE, "the platform layer stands below core and uses none of it");

#include <string>
#include <string_view>
#include <vector>

#include "core/protected_folders.h"

namespace wv {

struct KnownFolders {
  std::wstring ProgramsDir;        // CSIDL 2
  std::wstring CommonProgramsDir;  // CSIDL 23
  std::wstring StartupDir;         // CSIDL 7
  std::wstring CommonStartupDir;   // CSIDL 24
  std::wstring SendToDir;          // CSIDL 9
  std::wstring CookiesDir;         // CSIDL 33
  std::wstring InternetCacheDir;   // CSIDL 32
  std::wstring FontsDir;           // CSIDL 20
  std::wstring RecentDir;          // CSIDL 8
  std::wstring ProgramFilesDir;    // CSIDL 38
  std::wstring TempDir;            // the temporary path without its trailing backslash
  std::wstring WindowsDir;
  std::wstring SystemDir;
  std::wstring WindowsTempDir;     // WindowsDir + "\Temp"
  std::wstring WindowsHelpDir;     // WindowsDir + "\Help"
};

// Every path without a trailing backslash and at most 256 characters long; a longer
// or unresolved one is left empty.
KnownFolders ResolveKnownFolders();

// A folder made from a known folder: empty when the base is empty, so that a
// missing base never turns into a relative path or a drive's root.
std::wstring JoinKnown(const std::wstring& base, std::wstring_view tail);

// Every resolved entry, in the order of the struct.
std::vector<std::wstring> KnownFolderList(const KnownFolders& known);

// Why a folder may not be cleaned as a whole (every file, or a whole tree):
// what protect says of it, by its text or by where it really is (a link, a
// junction or a SUBST drive resolved: the temporary path of a user without TEMP
// and TMP is the profile or the Windows folder); or HoldsProtected when it holds
// one of the known folders. None when it may be.
FolderProtection CleaningBound(std::wstring_view folder, const KnownFolders& known, const ProtectedFolders& protect);

}  // namespace wv
