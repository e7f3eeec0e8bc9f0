// The backup manager from both of its callers, and the startup page, in the real
// main window against the prefix's registry editor, startup folder and Run key.
#include <gtest/gtest.h>

#include "app/appfixture.h"
#include "platform/win32/win32_platform.h"
#include "cleaning/qdszpage.h"
#include "registry/backup_fixtures.h"
#include "registry/bfglpage.h"
#include "registry/zcqlpage.h"
#include "support/testsupport.h"

namespace wv::test {
namespace {

constexpr wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";

class BackupPagesTest : public FormTest {
 protected:
  void SetUp() override {
    FormTest::SetUp();
    form->SetBackupBase(base.path());
  }
  BfglPage& manager() { return form->page<BfglPage>(); }
  ZcqlPage& zcql() { return form->page<ZcqlPage>(); }
  QdszPage& qdsz() { return form->page<QdszPage>(); }
  bool singleSelection() {
    return (GetWindowLongPtrW(manager().bfgl_showlist.handle(), GWL_STYLE) & LVS_SINGLESEL) != 0;
  }
  int rowOf(ListView& list, std::wstring_view caption, int column = 0) {
    for (int i = 0; i < list.count(); ++i)
      if (list.text(i, column) == caption) return i;
    return -1;
  }

  TempFolder base{L"backup base "};
  ScriptedMsgBox boxes;
};

TEST_F(BackupPagesTest, RegistryBackupsListedRestoredAndDeletedFromTheRedundancyPage) {
  TempKey k(L"pages");
  SetTextValue(HKEY_CURRENT_USER, k.path(), L"v", L"before the backup");
  form->setActivePage(zcql());
  manager().bfgl_chxSelCom.setChecked(false);
  boxes.answer(IDOK);
  zcql().zcql_bf.click();
  ASSERT_EQ(boxes.shown().size(), 1u);
  EXPECT_EQ(boxes.shown()[0].heading, L"备份成功");
  EXPECT_TRUE(form->ToolsEnabled() && zcql().zcql_bf.enabled() && zcql().zcql_hy.enabled());
  manager().bfgl_chxSelCom.setChecked(true);
  manager().bfgl_cbxComSta.setIndex(2);
  boxes.answer(IDOK);
  zcql().zcql_bf.click();
  EXPECT_EQ(boxes.shown().back().text, L"您已成功备份注册表！");

  zcql().zcql_hy.click();
  ListView& list = manager().bfgl_showlist;
  EXPECT_EQ(&form->activePage(), &manager());
  EXPECT_EQ(list.columnCaption(1), L"备份文件名称 (注册表备份)");
  EXPECT_TRUE(singleSelection());
  ASSERT_EQ(list.count(), 2);
  EXPECT_EQ(list.image(0), 9);
  EXPECT_EQ(list.image(1), 11);
  EXPECT_TRUE(list.text(1, 1).ends_with(L".reg.zcom"));
  EXPECT_TRUE(list.text(0, 2).ends_with(L" MB") || list.text(0, 2).ends_with(L" KB"));
  EXPECT_EQ(list.columnWidth(4), 0);
  EXPECT_FALSE(manager().bfgl_btnBack.enabled() || manager().bfgl_btnDelSel.enabled());
  EXPECT_TRUE(manager().bfgl_btnDelAll.enabled());

  // The archive's file goes away outside the program: listed as missing, and its restore warns.
  const std::wstring archive = list.text(1, 4);
  RemoveTree(form->RegBackupDir + std::wstring(ExtractFileName(archive)));
  manager().RefreshBackupList();
  EXPECT_EQ(manager().bfgl_showlist.image(1), 12);
  EXPECT_EQ(list.text(1, 2), L"");
  list.select(1);
  EXPECT_TRUE(manager().bfgl_btnBack.enabled());
  boxes.answer(IDOK);
  boxes.answer(IDOK);
  manager().bfgl_btnBack.click();
  EXPECT_EQ(boxes.shown().back().text, L"您选择的备份记录已不存在！");
  EXPECT_EQ(&form->activePage(), &manager());

  // The remaining backup brings back a key deleted after it was taken.
  DeleteKeyTree(HKEY_CURRENT_USER, k.path());
  list.select(0);
  boxes.answer(IDOK);
  boxes.answer(IDOK);
  manager().bfgl_showlistDblClick();
  EXPECT_EQ(boxes.shown().back().heading, L"恢复成功");
  EXPECT_EQ(&form->activePage(), &zcql());
  EXPECT_TRUE(form->ToolsEnabled() && zcql().zcql_sm.enabled());
  EXPECT_TRUE(GetRawValue(HKEY_CURRENT_USER, k.path(), L"v").has_value());

  zcql().zcql_hy.click();
  list.select(1);
  boxes.answer(IDOK);
  manager().bfgl_btnDelSel.click();
  EXPECT_EQ(list.count(), 1);
  boxes.answer(IDOK);
  manager().bfgl_btnDelAll.click();
  EXPECT_EQ(list.count(), 0);
  EXPECT_FALSE(manager().bfgl_btnDelAll.enabled());
  EXPECT_TRUE(RecordLines(form->RegBackupDir, L"FileBackup").empty());
  manager().bfgl_btnReturn.click();
  EXPECT_EQ(&form->activePage(), &zcql());
}

// The editor cannot be started: the backup fails with a message and the page is usable again.
TEST_F(BackupPagesTest, AFailedBackupIsReportedAndLeavesThePageUsable) {
  class NoEditor : public Win32Shell {
   public:
    UniqueHandle start(std::wstring_view, std::wstring_view, int) override { return {}; }
  } shell;
  Substitute<Shell> swap(&Platform::shell, shell);
  form->setActivePage(zcql());
  boxes.answer(IDOK);
  zcql().zcql_bf.click();
  ASSERT_EQ(boxes.shown().size(), 1u);
  EXPECT_EQ(boxes.shown()[0].heading, L"备份失败");
  EXPECT_EQ(boxes.shown()[0].icon, 2);
  EXPECT_TRUE(form->ToolsEnabled() && zcql().zcql_bf.enabled() && zcql().zcql_hy.enabled() && zcql().zcql_sm.enabled());
  EXPECT_FALSE(zcql().zcql_delall.enabled());  // no rows to delete
  EXPECT_TRUE(RecordLines(form->RegBackupDir, L"FileBackup").empty());
}

TEST_F(BackupPagesTest, ABaseFolderChangeListsTheNewFolderAndBackAgain) {
  TempFolder other(L"other base");
  const std::wstring oldBase = base.path();
  ASSERT_TRUE(Fs().createFolderTree(base / L"Registry"));
  ASSERT_TRUE(WriteRecord(form->RegBackupDir, L"FileBackup", form->RegBackupDir + L"Reg_old.reg"));
  zcql().zcql_hy.click();
  EXPECT_EQ(manager().bfgl_showlist.count(), 1);
  // The folder browser answers the other folder.
  class PickingShell : public Win32Shell {
   public:
    std::wstring answer;
    std::wstring browseForFolder(HWND, std::wstring_view, std::wstring_view, std::wstring_view) override {
      return answer;
    }
  } shell;
  Substitute<Shell> swap(&Platform::shell, shell);
  shell.answer = other.path();
  boxes.answer(IDOK);
  manager().bfgl_btnPathSel.click();
  EXPECT_EQ(manager().bfgl_edtSavPath.text(), other.path());
  EXPECT_EQ(form->RegBackupDir, other.path() + L"\\Registry\\");
  EXPECT_EQ(form->AutoRunBackupDir, other.path() + L"\\AutoRun\\");
  EXPECT_EQ(manager().bfgl_showlist.count(), 0);
  shell.answer = oldBase;
  boxes.answer(IDCANCEL);  // declined: nothing changes
  manager().bfgl_btnPathSel.click();
  EXPECT_EQ(form->RegBackupDir, other.path() + L"\\Registry\\");
  boxes.answer(IDOK);
  manager().bfgl_btnPathSel.click();
  EXPECT_EQ(manager().bfgl_showlist.count(), 1);
}

// Planted at the real places the startup page reads, removed afterwards.
class PlantedStartup {
 public:
  explicit PlantedStartup(const std::wstring& startupDir) : folder_(startupDir) {}
  ~PlantedStartup() {
    for (const std::wstring& f : files_) RemoveTree(folder_ + L"\\" + f);
    for (const std::wstring& v : values_) DeleteRawValue(HKEY_CURRENT_USER, kRunKey, v);
  }
  void file(const std::wstring& name, std::string_view content) {
    files_.push_back(name);
    WriteBytes(folder_ + L"\\" + name, content);
  }
  void value(const std::wstring& name, const std::wstring& text) {
    values_.push_back(name);
    SetTextValue(HKEY_CURRENT_USER, kRunKey, name, text);
  }

 private:
  std::wstring folder_;
  std::vector<std::wstring> files_, values_;
};

TEST_F(BackupPagesTest, StartupItemsRemovedRestoredFromTheManagerAndTheirBackupsDeleted) {
  const std::wstring startup = form->knownFolders.StartupDir;
  ASSERT_FALSE(startup.empty());
  ASSERT_TRUE(Fs().createFolderTree(startup));
  const std::wstring tag = std::to_wstring(GetCurrentProcessId());
  const std::wstring fileName = L"WvPage" + tag + L".lnk", valueName = L"WvPage" + tag;
  PlantedStartup planted(startup);
  planted.file(fileName, "shortcut");
  planted.value(valueName, L"\"C:\\a b\\tool.exe\" /x=1");

  form->Panel2.button(L"qdsz").click();
  ListView& items = qdsz().qdsz_showlist;
  EXPECT_EQ(&form->activePage(), &qdsz());
  const int count = items.count();
  EXPECT_EQ(items.columnCaption(0), L"程序名称     (共 " + std::to_wstring(count) + L" 项)");
  const int fileRow = rowOf(items, fileName), valueRow = rowOf(items, valueName);
  ASSERT_GE(fileRow, 0);
  ASSERT_GE(valueRow, 0);
  EXPECT_EQ(items.text(fileRow, 2), L"启动菜单");
  EXPECT_EQ(items.text(valueRow, 1), L"\"C:\\a b\\tool.exe\" /x=1");
  EXPECT_EQ(items.text(valueRow, 3), L"HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run");
  items.setChecked(fileRow, true);
  items.setChecked(valueRow, true);
  items.select(0);  // highlighting is not ticking
  qdsz().qdsz_autoseldel.click();
  EXPECT_TRUE(boxes.shown().empty());
  EXPECT_EQ(items.count(), count - 2);
  EXPECT_EQ(items.columnCaption(0), L"程序名称     (共 " + std::to_wstring(count - 2) + L" 项)");
  EXPECT_FALSE(PathExists(startup + L"\\" + fileName));
  EXPECT_FALSE(GetRawValue(HKEY_CURRENT_USER, kRunKey, valueName).has_value());

  qdsz().qdsz_autohf.click();
  ListView& list = manager().bfgl_showlist;
  EXPECT_EQ(&form->activePage(), &manager());
  EXPECT_EQ(list.columnCaption(1), L"备份文件名称 (启动项目备份)");
  EXPECT_FALSE(singleSelection());
  ASSERT_EQ(list.count(), 2);
  EXPECT_EQ(list.text(0, 1), fileName);
  EXPECT_EQ(list.text(1, 1), valueName);
  EXPECT_EQ(list.text(1, 2), L"注册表");
  EXPECT_EQ(list.image(0), 9);
  EXPECT_EQ(list.image(1), 9);
  list.selectAll(true);
  EXPECT_EQ(list.selectedCount(), 2);
  boxes.answer(IDOK);
  boxes.answer(IDOK);
  manager().bfgl_btnBack.click();
  EXPECT_EQ(boxes.shown().back().text, L"您选择的启动项目备份已成功恢复！");
  EXPECT_EQ(&form->activePage(), &qdsz());
  EXPECT_EQ(ReadBytes(startup + L"\\" + fileName), "shortcut");
  const std::optional<RegRawValue> value = GetRawValue(HKEY_CURRENT_USER, kRunKey, valueName);
  ASSERT_TRUE(value.has_value());
  EXPECT_EQ(items.count(), count);  // the startup list was read again

  // Sorting by a column reverses on the second click and keeps each row's item.
  qdsz().qdsz_showlistColumnClick(0);
  const std::wstring first = items.text(0, 0);
  qdsz().qdsz_showlistColumnClick(0);
  EXPECT_EQ(items.text(items.count() - 1, 0), first);
  const int again = rowOf(items, valueName);
  items.setChecked(again, true);
  qdsz().qdsz_autoseldel.click();
  EXPECT_FALSE(GetRawValue(HKEY_CURRENT_USER, kRunKey, valueName).has_value());

  // The same value removed twice on one day keeps one record. A selected file
  // whose copy is gone stops the restore with a warning, without a page change.
  qdsz().qdsz_autohf.click();
  ASSERT_EQ(list.count(), 2);
  RemoveTree(form->AutoRunBackupDir + fileName);
  manager().RefreshBackupList();
  EXPECT_EQ(list.image(0), 10);
  list.selectAll(true);
  boxes.answer(IDOK);
  boxes.answer(IDOK);
  manager().bfgl_btnBack.click();
  EXPECT_EQ(boxes.shown().back().text, L"您选择的备份记录已不存在！");
  EXPECT_EQ(&form->activePage(), &manager());
  EXPECT_FALSE(GetRawValue(HKEY_CURRENT_USER, kRunKey, valueName).has_value());  // after the stop: untouched

  boxes.answer(IDOK);
  manager().bfgl_btnDelAll.click();
  EXPECT_EQ(list.count(), 0);
  EXPECT_TRUE(RecordLines(form->AutoRunBackupDir, L"FileBackup").empty());
  EXPECT_TRUE(RecordLines(form->AutoRunBackupDir, L"RegBackup").empty());
  EXPECT_EQ(ReadBytes(startup + L"\\" + fileName), "shortcut");  // deleting backups never touches the items
}

}  // namespace
}  // namespace wv::test
