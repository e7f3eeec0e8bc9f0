#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "core/publline.h"
#include "core_fakes.h"
#include "support/testsupport.h"

namespace wv {
namespace {

// What a system message box showed, read from another thread while it is open.
struct SeenBox {
  bool found = false;
  std::wstring text;
  std::vector<int> buttons;
  HWND owner = nullptr;
  HICON icon = nullptr;
};

// Waits for the box, notes what it shows, then presses the given button.
std::thread AnswerBox(SeenBox& seen, int button) {
  return std::thread([&seen, button] {
    HWND box = nullptr;
    for (int i = 0; i < 200 && !box; ++i) {
      box = FindWindowW(L"#32770", L"WindowsVantorra");
      if (!box) Sleep(50);
    }
    if (!box) return;
    seen.found = true;
    wchar_t text[512] = {};
    GetDlgItemTextW(box, 0xFFFF, text, 512);
    seen.text = text;
    for (const int id : {IDOK, IDCANCEL, IDABORT, IDRETRY, IDIGNORE, IDYES, IDNO})
      if (HWND b = GetDlgItem(box, id); b && IsWindowVisible(b)) seen.buttons.push_back(id);
    seen.owner = GetWindow(box, GW_OWNER);
    if (HWND icon = GetDlgItem(box, 0x0440)) seen.icon = reinterpret_cast<HICON>(SendMessageW(icon, STM_GETICON, 0, 0));
    PostMessageW(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(box, button)));
  });
}

// Each real box costs about two seconds under Wine without a window manager, so one per button set.
TEST(MsgBox, SystemBoxShowsCaptionTextButtonsAndIcon) {
  const struct {
    int icon, buttons;
    std::vector<int> shown;
    int press;
    LPCWSTR systemIcon;
  } cases[] = {
      {1, 1, {IDOK}, IDOK, IDI_QUESTION},
      {2, 2, {IDOK, IDCANCEL}, IDCANCEL, IDI_WARNING},
      {3, 3, {IDCANCEL, IDYES, IDNO}, IDNO, IDI_ERROR},
      {0, 4, {IDABORT, IDRETRY, IDIGNORE}, IDRETRY, IDI_INFORMATION},
      {9, 5, {IDCANCEL, IDRETRY}, IDRETRY, IDI_INFORMATION},
      {1, 6, {IDYES, IDNO}, IDYES, IDI_QUESTION},
      {1, 7, {IDOK}, IDOK, IDI_QUESTION},
  };
  for (const auto& c : cases) {
    SeenBox seen;
    std::thread answer = AnswerBox(seen, c.press);
    const int result = MsgBox(c.icon, c.buttons, L"备份失败", L"注册表备份文件创建失败！");
    answer.join();
    ASSERT_TRUE(seen.found) << c.buttons;
    EXPECT_EQ(result, c.press) << c.buttons;
    EXPECT_EQ(seen.text, L"备份失败 -- 注册表备份文件创建失败！");
    EXPECT_EQ(seen.buttons, c.shown) << c.buttons;
    EXPECT_EQ(seen.icon, LoadIconW(nullptr, c.systemIcon)) << c.icon;
    EXPECT_EQ(seen.owner, nullptr);
  }
}

TEST(MsgBox, OwnedByTheApplicationWindow) {
  HWND owner = CreateWindowExW(0, L"STATIC", L"owner", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr, nullptr,
                               GetModuleHandleW(nullptr), nullptr);
  ASSERT_TRUE(owner);
  SetMsgBoxOwner(owner);
  SeenBox seen;
  std::thread answer = AnswerBox(seen, IDOK);
  EXPECT_EQ(MsgBox(0, 1, L"a", L"b"), IDOK);
  answer.join();
  SetMsgBoxOwner(nullptr);
  DestroyWindow(owner);
  EXPECT_TRUE(seen.found);
  EXPECT_EQ(seen.owner, owner);
  EXPECT_EQ(seen.text, L"a -- b");
}

TEST(MsgBox, HandlerAnswersAndIsRestored) {
  {
    test::ScriptedMsgBox script;
    script.answer(IDYES);
    EXPECT_TRUE(Confirmed(MsgBox(1, 6, L"确认", L"删除吗？")));
    EXPECT_FALSE(Confirmed(MsgBox(2, 2, L"h", L"t")));  // unscripted: declined
    ASSERT_EQ(script.shown().size(), 2u);
    EXPECT_EQ(script.shown()[0].icon, 1);
    EXPECT_EQ(script.shown()[0].buttons, 6);
    EXPECT_EQ(script.shown()[0].heading, L"确认");
    EXPECT_EQ(script.shown()[0].text, L"删除吗？");
  }
  int calls = 0;
  MsgBoxHandler previous = SetMsgBoxHandler([&calls](int, int, std::wstring_view, std::wstring_view) {
    ++calls;
    return IDNO;
  });
  EXPECT_FALSE(previous);  // the scripted one put the system box back
  EXPECT_EQ(MsgBox(0, 0, L"", L""), IDNO);
  EXPECT_TRUE(SetMsgBoxHandler(previous));
  EXPECT_EQ(calls, 1);
}

TEST(RunInfo, GoesToTheInstalledSink) {
  SetRunInfo(L"nobody listens");  // no sink: nothing happens
  test::StatusRecorder status;
  SetRunInfo(L"正在扫描");
  SetRunInfo(L"");
  ASSERT_EQ(status.texts().size(), 2u);
  EXPECT_EQ(status.texts()[0], L"正在扫描");
  EXPECT_EQ(status.last(), L"");
}

TEST(ShellJumps, ShowInExplorerSelectsThePath) {
  test::RecordingShell shell;
  Substitute<Shell> use(&Platform::shell, shell);
  ShowInExplorer(L"C:\\a b\\c.tmp");
  ASSERT_EQ(shell.calls.size(), 1u);
  EXPECT_EQ(shell.calls[0], L"open open|Explorer.exe|/n,/select,C:\\a b\\c.tmp|1");
}

std::vector<std::wstring> ExpectedTreeWalk(std::wstring_view key) {
  std::vector<std::wstring> calls = {L"show editor", L"findChild SysTreeView32", L"show tree"};
  for (int i = 0; i < 50; ++i) calls.push_back(L"key tree 37");
  calls.push_back(L"key tree 36");
  calls.push_back(L"key tree 39");
  for (const wchar_t ch : key) calls.push_back(ch == L'\\' ? L"key tree 39" : L"char tree " + std::wstring(1, ch));
  return calls;
}

TEST(ShellJumps, OpenRegeditAtWalksTheTreeAndSelectsTheValue) {
  const HWND editor = reinterpret_cast<HWND>(0x1001);
  const std::wstring key = L"HKEY_CURRENT_USER\\Software\\测试";
  {  // editor already running, no value
    test::RecordingShell shell;
    shell.editor = editor;
    Substitute<Shell> use(&Platform::shell, shell);
    OpenRegeditAt(key, L"Ignored", 0);
    std::vector<std::wstring> expected = {L"findWindow RegEdit_RegEdit"};
    for (const std::wstring& c : ExpectedTreeWalk(key)) expected.push_back(c);
    expected.push_back(L"show editor");
    EXPECT_EQ(shell.calls, expected);
  }
  {  // editor started first, value selected
    test::RecordingShell shell;
    shell.editorAfterStart = editor;
    Substitute<Shell> use(&Platform::shell, shell);
    OpenRegeditAt(key, L"Run", 1);
    std::vector<std::wstring> expected = {L"findWindow RegEdit_RegEdit", L"startRegedit", L"findWindow RegEdit_RegEdit"};
    for (const std::wstring& c : ExpectedTreeWalk(key)) expected.push_back(c);
    for (const wchar_t* c : {L"findChild SysListView32", L"show list", L"sleep 300", L"key list 36", L"char list R",
                             L"char list u", L"char list n", L"show editor"})
      expected.emplace_back(c);
    EXPECT_EQ(shell.calls, expected);
  }
  {  // nothing to do
    test::RecordingShell shell;
    Substitute<Shell> use(&Platform::shell, shell);
    OpenRegeditAt(L"", L"x", 1);
    EXPECT_TRUE(shell.calls.empty());
    OpenRegeditAt(L"HKEY_USERS", L"", 0);  // the editor never comes up
    EXPECT_EQ(shell.calls, (std::vector<std::wstring>{L"findWindow RegEdit_RegEdit", L"startRegedit",
                                                       L"findWindow RegEdit_RegEdit"}));
  }
}

}  // namespace
}  // namespace wv
