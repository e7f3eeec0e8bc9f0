// The menu's help item: the help file beside the program goes to the help viewer
// of the Windows folder (to the shell's default action only where Windows has
// none); without it (or with a folder of its name) only the missing-file message appears.

#include "support/app_fixture.h"
#include "platform/win32/win32_platform.h"
#include "support/test_support.h"

namespace wv::test {
namespace {

// What the program asked of the shell's execute operation, instead of starting the viewer.
struct OpenRecorder : Win32Shell {
  std::vector<std::wstring> calls;
  bool noViewer = false;  // a Windows without its help viewer
  void open(std::wstring_view verb, std::wstring_view file, std::wstring_view params, int show) override {
    calls.push_back(std::wstring(verb) + L"|" + std::wstring(file) + L"|" + std::wstring(params) + L"|" +
                    std::to_wstring(show));
  }
  UniqueHandle start(std::wstring_view program, std::wstring_view params, int show) override {
    open(L"start", program, params, show);
    return {};
  }
  std::wstring systemProgramPath(std::wstring_view name) override {
    return noViewer && name == L"hh.exe" ? L"" : Win32Shell::systemProgramPath(name);
  }
};

using HelpTest = FormTest;

TEST_F(HelpTest, ThePresentFileGoesToTheShellsDefaultActionElseOnlyTheMissingFileMessageAppears) {
  const std::wstring help = form->programFolder + L"HelpMe.chm";
  ASSERT_FALSE(PathExists(help)) << "left over beside the test program";
  OpenRecorder shell;
  Substitute<Shell> useShell(&Platform::shell, shell);
  ScriptedMsgBox boxes;
  // Absent, then a folder by that name: neither is a help file the viewer could show.
  for (const bool folder : {false, true}) {
    ASSERT_TRUE(!folder || CreateDirectoryW(help.c_str(), nullptr));
    boxes.answer(IDOK);
    form->titleBar.mainMenu.choose(form->titleBar.helpItem);
    EXPECT_TRUE(shell.calls.empty()) << folder;
  }
  RemoveDirectoryW(help.c_str());
  ASSERT_EQ(boxes.shown().size(), 2u);
  for (const ScriptedMsgBox::Shown& box : boxes.shown()) {
    EXPECT_TRUE(box.icon == static_cast<int>(MsgIcon::Warning) && box.buttons == static_cast<int>(MsgButtons::Ok));
    EXPECT_TRUE(box.heading == L"文件丢失" && box.text == L"帮助文件已丢失！") << box.text;
  }
  // Present, even read-only: the Windows folder's viewer by its full path, handed the
  // file's full path, in a normal window; without that viewer, whatever opens .chm files here.
  WriteBytes(help, "ITSF");
  SetFileAttributesW(help.c_str(), FILE_ATTRIBUTE_READONLY);
  form->titleBar.mainMenu.choose(form->titleBar.helpItem);
  shell.noViewer = true;
  form->titleBar.mainMenu.choose(form->titleBar.helpItem);
  SetFileAttributesW(help.c_str(), FILE_ATTRIBUTE_NORMAL);
  DeleteFileW(help.c_str());
  const std::wstring normal = std::to_wstring(SW_SHOWNORMAL), viewer = Win32Shell().systemProgramPath(L"hh.exe");
  ASSERT_FALSE(viewer.empty());
  EXPECT_EQ(shell.calls, (std::vector<std::wstring>{L"start|" + viewer + L"|\"" + help + L"\"|" + normal,
                                                     L"|" + help + L"||" + normal}));
  EXPECT_EQ(boxes.shown().size(), 2u);
}

}  // namespace
}  // namespace wv::test
