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
