// The two registry cleaning pages in the real main window: a scan stopped and run
// again, rows deleted only as they were found, rows opened in the registry editor.
#include <gtest/gtest.h>

#include <tuple>

#include "pages/registry/registry_pages_fixture.h"
#include "platform/text.h"

namespace wv::test {
namespace {

TEST_F(RegistryPages, RedundancyPageStopsScansDeletesOwnValuesAndOpensThem) {
  for (const wchar_t* name : {L"", L"REG_D-E-F", L"a", L"b"}) plant_.text(kCU, key(), name, gone_);
  for (int i = 0; i < 20; ++i) plant_.text(kCU, key() + L"\\K" + std::to_wstring(i), L"v", gone_);
  auto& page = redundancy();
  bool pressed = false;
  {
    StatusHook during([&](std::wstring_view) {
      if (pressed || page.results.size() < 2) return;
      pressed = true;
      EXPECT_EQ(page.scanButton.caption(), L"停止");
      for (Button* b : {&page.deleteSelectedButton, &page.deleteAllButton, &page.backupButton, &page.restoreButton})
        EXPECT_FALSE(b->enabled() || form->sideBarEnabled());
      page.scanButton.click();  // the stop press, handled while the scan drains messages
    });
    form->sideBar.button(Module::Redundancy).click();
    for (int i = 0; i < page.hiveList.count(); ++i) page.hiveList.setChecked(i, i == 0);  // the user's hive
    for (Button* b : {&page.deleteSelectedButton, &page.deleteAllButton}) b->setEnabled(true);  // as an earlier scan leaves them
    page.scanButton.click();
  }
  const RegistryResults& results = page.results;
  EXPECT_TRUE(pressed && results.size() >= 2u && results.size() < 24u) << "the rows found before the stop are kept";
  EXPECT_TRUE(redundancyUsable());
  page.scanButton.click();
  ASSERT_EQ(results.size(), 24u);
  ASSERT_TRUE(row(L"") >= 0 && row(L"REG_D-E-F") >= 0);
  EXPECT_EQ(form->statusLine.text(), L"扫描到符合条件的注册表冗余信息共 24 项");
  EXPECT_TRUE(redundancyUsable() && page.deleteSelectedButton.enabled() && page.deleteAllButton.enabled());

  // The value really named like the marker opens and deletes as itself; the first step opens the computer node.
  EXPECT_EQ(opened(page.resultList, row(L"REG_D-E-F")), L"\\HKEY_CURRENT_USER" + key() + L"|<home>REG_D-E-F");
  plant_.text(kCU, key(), L"a", gone_ + L".new");  // changed since the scan
  page.resultList.select(-1);
  page.deleteSelectedButton.click();
  EXPECT_TRUE(boxes_.shown().empty()) << "nothing selected, nothing asked";
  for (const int answer : {IDCANCEL, IDOK}) {
    page.resultList.select(row(L"REG_D-E-F"));
    page.resultList.setSelected(row(L"a"), true);
    boxes_.answer(answer);
    page.deleteSelectedButton.click();
    EXPECT_EQ(boxes_.shown().back().text, L"您“确定”删除当前选中的注册表冗余信息吗？（提醒：删除前最好先备份注册表！）");
    EXPECT_EQ(std::pair(hasValue(L"REG_D-E-F"), row(L"REG_D-E-F") >= 0), std::pair(answer == IDCANCEL, answer == IDCANCEL));
  }
  EXPECT_TRUE(hasValue(L"") && hasValue(L"a")) << "the unnamed value is another value; a changed since the scan";
  ASSERT_EQ(page.resultList.count(), static_cast<int>(results.size()));
  for (std::size_t i = 0; i < results.size(); ++i)  // each line still shows its own row
    EXPECT_EQ(results.model().at(i).column(2), ValueNameCell(results.entry(i)));
  boxes_.answer(IDOK);
  page.deleteAllButton.click();
  // The value changed since the scan stays, listed, and the status line counts it.
  ASSERT_EQ(results.size(), 1u);
  EXPECT_EQ(results.entry(0).valueName, L"a");
  EXPECT_TRUE(hasValue(L"a") && !hasValue(L"") && !hasValue(L"b"));
  EXPECT_TRUE(page.deleteSelectedButton.enabled() && page.deleteAllButton.enabled());
  EXPECT_EQ(form->statusLine.text(),
            L"已删除 22 项注册表冗余信息，1 项未删除（扫描后已改变、被系统拒绝或无法写入撤销文件），仍在列表中");
  plant_.text(kCU, key(), L"a", gone_);  // as the scan saw it again
  boxes_.answer(IDOK);
  page.deleteAllButton.click();
  EXPECT_FALSE(!results.empty() || page.resultList.count() || hasValue(L"a") || page.deleteSelectedButton.enabled() ||
               page.deleteAllButton.enabled());
  EXPECT_EQ(form->statusLine.text(), L"所有扫描到的注册表冗余信息已清理完成");
}

// What the undo file cannot carry (a name with a line break) and what changed
// since the scan stay listed; everything else goes, and the status line says how
// many of each, never "all cleaned".
TEST_F(RegistryPages, ACleanCountsWhatWentAndKeepsWhatStayed) {
  const wchar_t* names[] = {L"gone1", L"gone2", L"changed", L"two\nlines"};
  for (const wchar_t* name : names) plant_.text(kCU, key(), name, gone_);
  form->sideBar.button(Module::Redundancy).click();
  RegistryResults& results = redundancy().results;
  for (const wchar_t* name : names) {
    RegistryRow row;
    std::tie(row.keyPath, row.valueName) = std::tuple(key(), name);
    row.value = *RawValue(kCU, key(), name);
    results.add(std::move(row), kRedundancyRowImage);
  }
  redundancy().resultList.flush();
  redundancy().deleteAllButton.setEnabled(true);
  plant_.text(kCU, key(), L"changed", gone_ + L"2");
  boxes_.answer(IDOK);
  redundancy().deleteAllButton.click();
  EXPECT_EQ(boxes_.shown().size(), 1u) << "the question alone";
  EXPECT_FALSE(hasValue(L"gone1") || hasValue(L"gone2"));
  EXPECT_TRUE(hasValue(L"changed") && hasValue(L"two\nlines"));
  ASSERT_EQ(results.size(), 2u);
  EXPECT_EQ(form->statusLine.text(),
            L"已删除 2 项注册表冗余信息，2 项未删除（扫描后已改变、被系统拒绝或无法写入撤销文件），仍在列表中");
  EXPECT_TRUE(redundancy().deleteAllButton.enabled());
}

// A missing uninstaller: a key row that opens no value and deletes the whole entry.
TEST_F(RegistryPages, DailyPageKeyRowsOpenTheKeyAndDeleteItWhole) {
  form->sideBar.button(Module::RegistryTraces).click();
  auto& page = traces();
  const std::wstring un = L"\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Vantorra" +
                          std::to_wstring(GetCurrentProcessId());
  plant_.text(kLM, un, L"UninstallString", gone_ + L" /x");
  plant_.text(kLM, un + L"\\Sub", L"a", L"b");
  for (int i = 0; i < page.itemList.count(); ++i) page.itemList.setChecked(i, i == 6);
  page.scanButton.click();
  const int mine = row(page.results, un);
  ASSERT_GE(mine, 0);
  EXPECT_EQ(page.results.model().at(static_cast<std::size_t>(mine)).column(3), L"无效反安装");
  EXPECT_EQ(opened(page.resultList, mine), L"\\HKEY_LOCAL_MACHINE" + un + L"|") << "a key row selects no value";
  for (const int answer : {IDCANCEL, IDOK}) {
    boxes_.answer(answer);
    page.resultList.select(mine);
    page.deleteSelectedButton.click();
    EXPECT_EQ(boxes_.shown().back().text, L"您“确定”删除当前选中的注册表冗余信息吗？");
    EXPECT_EQ(Reg().keyExists(kLM, un + L"\\Sub"), answer == IDCANCEL);
  }
  EXPECT_FALSE(Reg().keyExists(kLM, un));
}

}  // namespace
}  // namespace wv::test
