// Known folders as the window resolves them at creation, with a shell that cannot
// resolve some of them: those stay empty and never fall back to another folder.

#include <set>

#include "appfixture.h"
#include "platform/platform.h"
#include "platform/win32/win32_platform.h"

namespace wv::test {
namespace {

class PartialShell : public Win32Shell {
 public:
  std::set<int> unresolved;
  bool noTemp = false;
  std::wstring specialFolder(int csidl) override {
    return unresolved.count(csidl) ? std::wstring() : Win32Shell::specialFolder(csidl);
  }
  std::wstring tempPath() override { return noTemp ? std::wstring() : Win32Shell::tempPath(); }
};

TEST(KnownFoldersTest, FoldersTheShellCannotResolveStayEmpty) {
  PartialShell shell;
  shell.unresolved = {33, 32, 8};  // cookies, internet cache, recent documents
  shell.noTemp = true;
  Substitute<Shell> swap(&Platform::shell, shell);
  FormOptions options;
  options.adminGate = false;
  options.quitOnDestroy = false;
  Tfrmmain form(std::move(options));
  form.create();
  const KnownFolders& k = form.knownFolders;
  EXPECT_EQ(k.CookiesDir, L"");
  EXPECT_EQ(k.InternetCacheDir, L"");
  EXPECT_EQ(k.RecentDir, L"");
  EXPECT_EQ(k.TempDir, L"");
  // The others are still there, each an existing folder without a trailing backslash.
  for (const std::wstring* f : {&k.ProgramsDir, &k.StartupDir, &k.SendToDir, &k.WindowsDir, &k.SystemDir}) {
    SCOPED_TRACE(std::string(f->begin(), f->end()));
    ASSERT_GT(f->size(), 3u);
    EXPECT_NE(f->back(), L'\\');
    EXPECT_TRUE(DirectoryExists(*f));
  }
  EXPECT_EQ(k.WindowsTempDir, k.WindowsDir + L"\\Temp");
}

}  // namespace
}  // namespace wv::test
