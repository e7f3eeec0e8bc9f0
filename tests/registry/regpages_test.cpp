// The two registry pages in the real main window: scan, stop, the labels,
// deleting with and without the question's OK, and the jump into the editor.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/appfixture.h"
#include "core/text.h"
#include "registry/regscan_fixtures.h"
#include "registry/zcqlpage.h"
#include "registry/zcrcpage.h"
#include "support/testsupport.h"

namespace wv::test::regscan {
namespace {

constexpr RegRoot kCU = RegRoot::CurrentUser;

// What the registry editor was made to type: into its key tree and its value list.
class EditorShell : public Win32Shell {
 public:
  std::wstring tree, list;
  HWND findWindow(std::wstring_view) override { return kEditor; }
  HWND findChild(HWND, std::wstring_view className) override {
    return className == L"SysTreeView32" ? kTree : className == L"SysListView32" ? kList : nullptr;
  }
  void showAndActivate(HWND) override {}
  void sendKeyDown(HWND window, unsigned key) override {
    if (window == kList && key == VK_HOME) list += L"<home>";
    if (window == kTree && key == VK_RIGHT) tree += L'\\';
  }
  void sendChar(HWND window, wchar_t ch) override { (window == kTree ? tree : list) += ch; }
  void sleep(unsigned) override {}

 private:
  inline static const HWND kEditor = reinterpret_cast<HWND>(0x31), kTree = reinterpret_cast<HWND>(0x32),
                           kList = reinterpret_cast<HWND>(0x33);
};

class RegistryPages : public FormTest {
 protected:
  ZcqlPage& zcql() { return form->page<ZcqlPage>(); }
  ZcrcPage& zcrc() { return form->page<ZcrcPage>(); }
  std::wstring key(std::wstring_view tail = {}) const { return L"\\" + temp_.path() + std::wstring(tail); }
  // Rows of the redundancy page below the test's key, by their value-name cell.
  int row(std::wstring_view valueName) {
    const RegistryResults& r = zcql().zcql_results;
    for (std::size_t i = 0; i < r.size(); ++i)
      if (r.entry(i).keyPath == key() && r.entry(i).valueName == valueName) return static_cast<int>(i);
    return -1;
  }
  bool hasValue(std::wstring_view name) {
    auto k = Reg().openKey(kCU, key());
    return k && k->valueExists(name);
  }
  void userHiveOnly(ListView& select) {
    for (int i = 0; i < select.count(); ++i) select.setChecked(i, i == 0);
  }

  TempKey temp_{L"pages"};
  TempFolder folder_{L"pages"};
  std::wstring gone_ = folder_ / L"gone.exe";
  Planted plant_;
};

TEST_F(RegistryPages, RedundancyPageScansDeletesAndOpens) {
  form->Panel2.button(L"zcql").click();
  for (const std::wstring name : {L"", L"REG_D-E-F", L"a", L"b"}) plant_.text(kCU, key(), name, gone_);
  userHiveOnly(zcql().zcql_select);

  bool checkedRunning = false;
  {
    StatusHook during([&](std::wstring_view text) {
      if (checkedRunning || text.rfind(L"已扫描到", 0) != 0) return;
      checkedRunning = true;
      EXPECT_EQ(zcql().zcql_sm.caption(), L"停止");
      EXPECT_EQ(zcql().zcql_runstate, 1);
      EXPECT_FALSE(form->ToolsEnabled());
      for (Button* b : {&zcql().zcql_delsel, &zcql().zcql_delall, &zcql().zcql_bf, &zcql().zcql_hy})
        EXPECT_FALSE(b->enabled());
    });
    zcql().zcql_sm.click();
  }
  EXPECT_TRUE(checkedRunning);
  const RegistryResults& results = zcql().zcql_results;
  ASSERT_GE(row(L""), 0);
  ASSERT_GE(row(L"REG_D-E-F"), 0);
  EXPECT_EQ(form->zdk_runinfo.text(),
            L"扫描到符合条件的注册表冗余信息共 " + std::to_wstring(results.size()) + L" 项");
  // What the status line paints is also its window text, for screen readers.
  wchar_t shown[256] = {};
  GetWindowTextW(form->zdk_runinfo.handle(), shown, 256);
  EXPECT_EQ(std::wstring(shown), form->zdk_runinfo.text());
  GetWindowTextW(zcql().handle(), shown, 256);
  EXPECT_EQ(std::wstring(shown), L"注册信息清理");
  EXPECT_EQ(zcql().zcql_sm.caption(), L"扫描");
  EXPECT_EQ(zcql().zcql_runstate, 0);
  EXPECT_TRUE(form->ToolsEnabled());
  EXPECT_TRUE(zcql().zcql_delsel.enabled() && zcql().zcql_delall.enabled());
  EXPECT_TRUE(zcql().zcql_bf.enabled() && zcql().zcql_hy.enabled()) << "back up and restore usable again";
  EXPECT_EQ(zcql().zcql_showlist.count(), static_cast<int>(results.size()));

  // The value really named like the marker opens and deletes as itself.
  EditorShell editor;
  {
    Substitute<Shell> use(&Platform::shell, editor);
    zcql().zcql_showlist.select(row(L"REG_D-E-F"));
    zcql().zcql_showlistDblClick();
  }
  EXPECT_EQ(editor.tree, L"\\HKEY_CURRENT_USER" + key());  // the first step opens the computer node
  EXPECT_EQ(editor.list, L"<home>REG_D-E-F");

  ScriptedMsgBox box;
  zcql().zcql_showlist.select(-1);
  zcql().zcql_delsel.click();
  EXPECT_TRUE(box.shown().empty()) << "nothing selected, nothing asked";
  zcql().zcql_showlist.select(row(L"REG_D-E-F"));
  box.answer(IDCANCEL);
  zcql().zcql_delsel.click();
  ASSERT_EQ(box.shown().size(), 1u);
  EXPECT_EQ(box.shown()[0].heading, L"注册清理");
  EXPECT_EQ(box.shown()[0].text, L"您“确定”删除当前选中的注册表冗余信息吗？（提醒：删除前最好先备份注册表！）");
  EXPECT_TRUE(hasValue(L"REG_D-E-F"));
  EXPECT_GE(row(L"REG_D-E-F"), 0);

  zcql().zcql_showlist.select(row(L"REG_D-E-F"));
  box.answer(IDOK);
  zcql().zcql_delsel.click();
  EXPECT_FALSE(hasValue(L"REG_D-E-F"));
  EXPECT_TRUE(hasValue(L"")) << "the unnamed value is another value";
  EXPECT_LT(row(L"REG_D-E-F"), 0);
  EXPECT_TRUE(zcql().zcql_delsel.enabled() && zcql().zcql_delall.enabled());

  // Delete all: every row found in the prefix's own user hive must be ours.
  for (std::size_t i = 0; i < results.size(); ++i) ASSERT_EQ(results.entry(i).keyPath, key());
  box.answer(IDOK);
  zcql().zcql_delall.click();
  EXPECT_EQ(box.shown().back().text, L"您“确定”删除所有扫描到的注册表冗余信息吗？（提醒：删除前最好先备份注册表！）");
  EXPECT_TRUE(results.empty());
  EXPECT_EQ(zcql().zcql_showlist.count(), 0);
  EXPECT_FALSE(hasValue(L"") || hasValue(L"a") || hasValue(L"b"));
  EXPECT_FALSE(zcql().zcql_delsel.enabled() || zcql().zcql_delall.enabled());
  EXPECT_EQ(form->zdk_runinfo.text(), L"所有扫描到的注册表冗余信息已清理完成");
}

TEST_F(RegistryPages, AStopPressKeepsTheRowsFound) {
  form->Panel2.button(L"zcql").click();
  for (int i = 0; i < 300; ++i) plant_.text(kCU, key(L"\\K" + std::to_wstring(i)), L"v", gone_);
  userHiveOnly(zcql().zcql_select);
  bool pressed = false;
  {
    StatusHook during([&](std::wstring_view) {
      if (pressed || zcql().zcql_results.size() < 2) return;
      pressed = true;
      zcql().zcql_sm.click();  // the stop press, handled while the scan drains messages
    });
    zcql().zcql_sm.click();
  }
  ASSERT_TRUE(pressed);
  const std::size_t kept = zcql().zcql_results.size();
  EXPECT_GE(kept, 2u);
  EXPECT_LT(kept, 300u);
  EXPECT_EQ(form->zdk_runinfo.text(), L"扫描到符合条件的注册表冗余信息共 " + std::to_wstring(kept) + L" 项");
  EXPECT_EQ(zcql().zcql_sm.caption(), L"扫描");
  EXPECT_EQ(zcql().zcql_runstate, 0);
  EXPECT_TRUE(form->ToolsEnabled());
  EXPECT_TRUE(zcql().zcql_delsel.enabled() && zcql().zcql_delall.enabled());
}

TEST_F(RegistryPages, DailyPageLabelsKeyRowsAndCancel) {
  form->Panel2.button(L"zcrc").click();
  ListView& select = zcrc().zcrc_select;
  ASSERT_EQ(select.count(), 13);
  ASSERT_EQ(zcrc().zcrc_sel.caption(), L"全选");
  zcrc().zcrc_sel.click();
  EXPECT_EQ(select.checkedCount(), 13);
  EXPECT_EQ(zcrc().zcrc_sel.caption(), L"全否");
  zcrc().zcrc_sel.click();
  EXPECT_EQ(select.checkedCount(), 0);
  EXPECT_EQ(zcrc().zcrc_sel.caption(), L"全选");
  zcrc().zcrc_mr.click();
  EXPECT_EQ(select.checkedCount(), 11);
  EXPECT_FALSE(select.checked(11) || select.checked(12));
  EXPECT_EQ(zcrc().zcrc_sel.caption(), L"全选");

  // One missing uninstaller: a key row that deletes the whole entry.
  const std::wstring un = L"\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Vantorra" +
                          std::to_wstring(GetCurrentProcessId());
  plant_.text(RegRoot::LocalMachine, un, L"UninstallString", gone_ + L" /x");
  plant_.text(RegRoot::LocalMachine, un + L"\\Sub", L"a", L"b");
  for (int i = 0; i < 13; ++i) select.setChecked(i, i == 6);
  zcrc().zcrc_sm.click();
  const RegistryResults& results = zcrc().zcrc_results;
  int mine = -1;
  for (std::size_t i = 0; i < results.size(); ++i)
    if (results.entry(i).keyPath == un) mine = static_cast<int>(i);
  ASSERT_GE(mine, 0);
  const ListRow& text = results.model().at(static_cast<std::size_t>(mine));
  EXPECT_EQ(text.caption, L"HKEY_LOCAL_MACHINE");
  EXPECT_EQ(text.column(2), L"");
  EXPECT_EQ(text.column(3), L"无效反安装");

  EditorShell editor;
  {
    Substitute<Shell> use(&Platform::shell, editor);
    zcrc().zcrc_showlist.select(mine);
    zcrc().zcrc_showlistDblClick();
  }
  EXPECT_EQ(editor.tree, L"\\HKEY_LOCAL_MACHINE" + un);
  EXPECT_EQ(editor.list, L"") << "a key row selects no value";

  ScriptedMsgBox box;
  box.answer(IDCANCEL);
  zcrc().zcrc_showlist.select(mine);
  zcrc().zcrc_delsel.click();
  EXPECT_EQ(box.shown().at(0).text, L"您“确定”删除当前选中的注册表冗余信息吗？");
  EXPECT_TRUE(Reg().keyExists(RegRoot::LocalMachine, un + L"\\Sub"));
  EXPECT_EQ(results.size(), static_cast<std::size_t>(zcrc().zcrc_showlist.count()));
  box.answer(IDOK);
  zcrc().zcrc_showlist.select(mine);
  zcrc().zcrc_delsel.click();
  EXPECT_FALSE(Reg().keyExists(RegRoot::LocalMachine, un));
}

}  // namespace
}  // namespace wv::test::regscan
