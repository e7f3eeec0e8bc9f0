// The menu's help item: the help file beside the program goes to the shell's
// default action; without it (or with a folder of its name) only the
// missing-file message appears.

#include "appfixture.h"
#include "platform/win32/win32_platform.h"
#include "support/testsupport.h"

namespace wv::test {
namespace {

// What the program asked of the shell's execute operation, instead of starting the viewer.
struct OpenRecorder : Win32Shell {
  struct Call {
    std::wstring verb, file, params;
    int show;
  };
  std::vector<Call> calls;
  void open(std::wstring_view verb, std::wstring_view file, std::wstring_view params, int show) override {
    calls.push_back({std::wstring(verb), std::wstring(file), std::wstring(params), show});
  }
};

class HelpTest : public FormTest {
 protected:
  void SetUp() override {
    FormTest::SetUp();
    help = form->programFolder + L"HelpMe.chm";
    ASSERT_FALSE(PathExists(help)) << "left over beside the test program";
  }
  void TearDown() override {
    SetFileAttributesW(help.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileW(help.c_str());
    RemoveDirectoryW(help.c_str());
    FormTest::TearDown();
  }
  void chooseHelp() { form->Panel1.main_menu.choose(form->Panel1.N20); }

  std::wstring help;
  OpenRecorder shell;
  Substitute<Shell> useShell{&Platform::shell, shell};
  ScriptedMsgBox boxes;
};

TEST_F(HelpTest, ThePresentFileGoesToTheShellsDefaultActionInANormalWindow) {
  WriteBytes(help, "ITSF");
  SetFileAttributesW(help.c_str(), FILE_ATTRIBUTE_READONLY);  // read-only help still opens
  chooseHelp();
  ASSERT_EQ(shell.calls.size(), 1u);
  EXPECT_EQ(shell.calls[0].verb, L"");  // no verb: whatever opens .chm files on this machine
  EXPECT_EQ(shell.calls[0].file, help);
  EXPECT_EQ(shell.calls[0].params, L"");
  EXPECT_EQ(shell.calls[0].show, SW_SHOWNORMAL);
  EXPECT_TRUE(boxes.shown().empty());
}

TEST_F(HelpTest, WithoutTheFileOnlyTheMissingFileMessageAppears) {
  // Absent, then a folder by that name: neither is a help file the viewer could show.
  for (const bool folder : {false, true}) {
    SCOPED_TRACE(folder ? "folder" : "absent");
    if (folder) {
      ASSERT_TRUE(CreateDirectoryW(help.c_str(), nullptr));
    }
    boxes.answer(IDOK);
    chooseHelp();
    EXPECT_TRUE(shell.calls.empty());
  }
  ASSERT_EQ(boxes.shown().size(), 2u);
  for (const ScriptedMsgBox::Shown& box : boxes.shown()) {
    EXPECT_EQ(box.icon, static_cast<int>(MsgIcon::Warning));
    EXPECT_EQ(box.buttons, static_cast<int>(MsgButtons::Ok));
    EXPECT_EQ(box.heading, L"文件丢失");
    EXPECT_EQ(box.text, L"帮助文件已丢失！");
  }
}

}  // namespace
}  // namespace wv::test
