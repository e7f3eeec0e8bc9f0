#include "core/known_folders.h"

#include "platform/text.h"
#include "platform/platform.h"

namespace wv {
namespace {

constexpr std::size_t kMaxKnownPath = 256;

std::wstring Bounded(std::wstring path) {
  path = ExcludeTrailingBackslash(path);
  // A root such as "C:" would make every cleaner work on a whole drive.
  if (path.size() < 3 || path.size() > kMaxKnownPath) return {};
  return path;
}

}  // namespace

std::wstring JoinKnown(const std::wstring& base, std::wstring_view tail) {
  if (base.empty()) return {};
  std::wstring out = base;
  out += tail;
  return out;
}

std::vector<std::wstring> KnownFolderList(const KnownFolders& k) {
  std::vector<std::wstring> out;
  for (const std::wstring* folder :
       {&k.ProgramsDir, &k.CommonProgramsDir, &k.StartupDir, &k.CommonStartupDir, &k.SendToDir, &k.CookiesDir,
        &k.InternetCacheDir, &k.FontsDir, &k.RecentDir, &k.ProgramFilesDir, &k.TempDir, &k.WindowsDir, &k.SystemDir,
        &k.WindowsTempDir, &k.WindowsHelpDir})
    if (!folder->empty()) out.push_back(*folder);
  return out;
}

namespace {

// Folded, full, with a trailing backslash; empty when not a full path.
std::wstring FoldedFolder(std::wstring_view path) {
  const std::wstring normal = NormalFolder(path);
  if (normal.empty()) return {};
  std::wstring out;
  FoldInto(IncludeTrailingBackslash(normal), out);
  return out;
}

bool HoldsAny(const std::wstring& folder, const std::vector<std::wstring>& known) {
  if (folder.empty()) return false;
  for (const std::wstring& k : known)
    if (k.size() > folder.size() && k.starts_with(folder)) return true;
  return false;
}

}  // namespace

FolderProtection CleaningBound(std::wstring_view folder, const KnownFolders& known, const ProtectedFolders& protect) {
  FolderProtection why = protect.check(folder);
  if (why != FolderProtection::None) return why;
  std::wstring real;
  if (const std::unique_ptr<Entry> entry = Fs().openEntry(folder, EntryOpen::Look)) real = entry->finalPath();
  if (!real.empty() && (why = protect.check(real)) != FolderProtection::None) return why;
  std::vector<std::wstring> others;
  for (const std::wstring& k : KnownFolderList(known)) others.push_back(FoldedFolder(k));
  if (HoldsAny(FoldedFolder(folder), others) || HoldsAny(FoldedFolder(real), others))
    return FolderProtection::HoldsProtected;
  return FolderProtection::None;
}

KnownFolders ResolveKnownFolders() {
  Shell& shell = Sh();
  KnownFolders k;
  k.ProgramsDir = Bounded(shell.specialFolder(2));
  k.CommonProgramsDir = Bounded(shell.specialFolder(23));
  k.StartupDir = Bounded(shell.specialFolder(7));
  k.CommonStartupDir = Bounded(shell.specialFolder(24));
  k.SendToDir = Bounded(shell.specialFolder(9));
  k.CookiesDir = Bounded(shell.specialFolder(33));
  k.InternetCacheDir = Bounded(shell.specialFolder(32));
  k.FontsDir = Bounded(shell.specialFolder(20));
  k.RecentDir = Bounded(shell.specialFolder(8));
  k.ProgramFilesDir = Bounded(shell.specialFolder(38));
  k.TempDir = Bounded(shell.tempPath());
  k.WindowsDir = Bounded(shell.windowsFolder());
  k.SystemDir = Bounded(shell.systemFolder());
  k.WindowsTempDir = JoinKnown(k.WindowsDir, L"\\Temp");
  k.WindowsHelpDir = JoinKnown(k.WindowsDir, L"\\Help");
  return k;
}

}  // namespace wv
