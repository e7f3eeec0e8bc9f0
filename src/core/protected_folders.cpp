#include "core/protected_folders.h"

#include <algorithm>
#include <utility>

#include "platform/platform.h"
#include "platform/text.h"

namespace wv {
namespace {

// CSIDL numbers of the shell's special folders.
enum Csidl : int {
  kPersonal = 0x05, kFavorites = 0x06, kMyMusic = 0x0d, kMyVideo = 0x0e, kDesktopDirectory = 0x10,
  kCommonDesktop = 0x19, kAppData = 0x1a, kLocalAppData = 0x1c, kCommonAppData = 0x23, kWindows = 0x24,
  kSystem = 0x25, kProgramFiles = 0x26, kMyPictures = 0x27, kProfile = 0x28, kSystemX86 = 0x29,
  kProgramFilesX86 = 0x2a, kProgramFilesCommon = 0x2b, kProgramFilesCommonX86 = 0x2c, kCommonDocuments = 0x2e,
};

bool IsDriveRoot(std::wstring_view folded) { return folded.size() == 3 && folded[1] == L':' && folded[2] == L'\\'; }

// "\\server\share" (no further part): the root of a network share.
bool IsShareRoot(std::wstring_view folded) {
  if (!folded.starts_with(L"\\\\")) return false;
  const std::size_t server = folded.find(L'\\', 2);
  if (server == std::wstring_view::npos || server == 2) return false;
  const std::size_t share = folded.find(L'\\', server + 1);
  return share == std::wstring_view::npos && server + 1 < folded.size();
}

// Whether parent is a proper ancestor of child (both folded and normal).
bool Holds(std::wstring_view parent, std::wstring_view child) {
  if (child.size() <= parent.size() || !child.starts_with(parent)) return false;
  return parent.back() == L'\\' || child[parent.size()] == L'\\';
}

std::wstring Folded(std::wstring_view path) {
  std::wstring out;
  FoldInto(path, out);
  return out;
}

}  // namespace

bool IsFullPath(std::wstring_view path) {
  const auto drive = [](std::wstring_view p) {
    return p.size() >= 3 && p[1] == L':' && p[2] == L'\\' &&
           ((p[0] >= L'A' && p[0] <= L'Z') || (p[0] >= L'a' && p[0] <= L'z'));
  };
  // "server\share..." after the two leading backslashes: both names present.
  const auto share = [](std::wstring_view p) {
    const std::size_t server = p.find(L'\\');
    return server != std::wstring_view::npos && server > 0 && server + 1 < p.size() && p[server + 1] != L'\\';
  };
  if (path.starts_with(L"\\\\.\\")) return false;  // a device ("\\.\C:"), not a folder
  if (path.starts_with(L"\\\\?\\UNC\\")) return share(path.substr(8));
  if (path.starts_with(L"\\\\?\\")) return drive(path.substr(4));
  if (path.starts_with(L"\\\\")) return share(path.substr(2));
  return drive(path);
}

std::wstring NormalFolder(std::wstring_view path) {
  std::wstring trimmed = Trim(path);
  if (!IsFullPath(trimmed)) return {};
  std::wstring full = Fs().fullPath(trimmed);
  if (full.empty() || !IsFullPath(full)) return {};
  if (full.starts_with(L"\\\\?\\UNC\\")) full = L"\\\\" + full.substr(8);
  else if (full.starts_with(L"\\\\?\\")) full.erase(0, 4);
  while (full.size() > 3 && full.back() == L'\\') full.pop_back();
  if (full.size() == 2 && full[1] == L':') full += L'\\';
  return full;
}

ProtectedFolders::ProtectedFolders(std::vector<Entry> entries) {
  for (Entry& e : entries) {
    const std::wstring normal = NormalFolder(e.folder);
    if (normal.empty()) continue;
    entries_.push_back({Folded(normal), e.kind});
  }
}

ProtectedFolders ProtectedFolders::Resolve() {
  Shell& shell = Sh();
  std::vector<Entry> list;
  const auto add = [&](std::wstring folder, FolderProtection kind) {
    if (!folder.empty()) list.push_back({std::move(folder), kind});
  };
  add(shell.windowsFolder(), FolderProtection::SystemFolder);
  add(shell.systemFolder(), FolderProtection::SystemFolder);
  for (int csidl : {kWindows, kSystem, kSystemX86}) add(shell.specialFolder(csidl), FolderProtection::SystemFolder);
  for (int csidl : {kProgramFiles, kProgramFilesX86, kProgramFilesCommon, kProgramFilesCommonX86, kCommonAppData})
    add(shell.specialFolder(csidl), FolderProtection::ProgramFolder);
  const std::wstring profile = shell.specialFolder(kProfile);
  add(profile, FolderProtection::UserFolder);
  if (!profile.empty()) add(std::wstring(ExtractFilePath(ExcludeTrailingBackslash(profile))), FolderProtection::UserFolder);
  for (int csidl : {kAppData, kLocalAppData}) add(shell.specialFolder(csidl), FolderProtection::UserFolder);
  for (int csidl : {kPersonal, kFavorites, kMyMusic, kMyVideo, kMyPictures, kDesktopDirectory, kCommonDesktop,
                    kCommonDocuments})
    add(shell.specialFolder(csidl), FolderProtection::DocumentFolder);
  if (!profile.empty()) add(ExcludeTrailingBackslash(profile) + L"\\Downloads", FolderProtection::DocumentFolder);
  return ProtectedFolders(std::move(list));
}

FolderProtection ProtectedFolders::check(std::wstring_view folder) const {
  const std::wstring normal = NormalFolder(folder);
  if (normal.empty()) return FolderProtection::NotFullPath;
  const std::wstring folded = Folded(normal);
  if (IsDriveRoot(folded) || IsShareRoot(folded)) return FolderProtection::DriveRoot;
  for (const Entry& e : entries_)
    if (e.folder == folded) return e.kind;
  for (const Entry& e : entries_)
    if (Holds(folded, e.folder)) return FolderProtection::HoldsProtected;
  return FolderProtection::None;
}

std::wstring_view FolderProtectionText(FolderProtection kind) {
  switch (kind) {
    case FolderProtection::None: return L"";
    case FolderProtection::NotFullPath: return L"不是完整的路径";
    case FolderProtection::DriveRoot: return L"是磁盘的根目录";
    case FolderProtection::SystemFolder: return L"是Windows系统目录";
    case FolderProtection::ProgramFolder: return L"是整个程序目录";
    case FolderProtection::UserFolder: return L"是用户目录";
    case FolderProtection::DocumentFolder: return L"是用户的文档目录";
    case FolderProtection::HoldsProtected: return L"包含系统或用户目录";
  }
  return L"";
}

}  // namespace wv
