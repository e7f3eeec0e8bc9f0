// The startup page in the real main window: what it says when an item cannot be
// removed. (Reading, removing with backups and restoring are pinned with the
// backup manager's tests.)
#include "support/app_fixture.h"
#include "pages/cleaning/startup_page.h"
#include "platform/win32/win32_platform.h"
#include "support/test_support.h"

namespace wv::test {
namespace {

// The one file the system will not delete, as another program's lock would.
struct Undeletable : Win32FileSystem {
  std::wstring path;
  SysResult deleteFile(std::wstring_view p) override {
    return EqualsNoCase(p, path) ? SysResult(ERROR_ACCESS_DENIED) : Win32FileSystem::deleteFile(p);
  }
};

using StartupPageTest = FormTest;

// A refused item keeps its row and is named with the system's reason; an item
// that went meanwhile simply leaves the list.
TEST_F(StartupPageTest, ARefusedItemStaysNamedWithTheReasonAGoneOneJustLeaves) {
  TempFolder backups(L"startup backups");
  form->setBackupBase(backups.path());
  const std::wstring folder = form->knownFolders.StartupDir;
  ASSERT_TRUE(Fs().createFolderTree(folder));
  const std::wstring tag = L"WvStartupPage" + std::to_wstring(GetCurrentProcessId());
  const std::wstring stuck = folder + L"\\" + tag + L"stuck.lnk", gone = folder + L"\\" + tag + L"gone.lnk";
  struct Planted {  // taken away again however the test ends
    std::vector<std::wstring> files;
    ~Planted() {
      for (const std::wstring& f : files) DeleteFileW(f.c_str());
    }
  } planted{{stuck, gone}};
  for (const std::wstring& f : planted.files) WriteBytes(f, "shortcut");
  form->sideBar.button(Module::Startup).click();  // opening the page reads the items
  ListView& items = Controls(form->page<StartupPage>()).itemList;
  const auto row = [&](const std::wstring& name) {
    for (int i = 0; i < items.count(); ++i)
      if (items.text(i, 0) == name) return i;
    return -1;
  };
  const int count = items.count();
  for (const wchar_t* name : {L"stuck.lnk", L"gone.lnk"}) {
    ASSERT_GE(row(tag + name), 0) << name;
    items.setChecked(row(tag + name), true);
  }
  DeleteFileW(gone.c_str());
  Undeletable files;
  files.path = stuck;
  {
    Substitute<FileSystem> swap(&Platform::files, files);
    ScriptedMsgBox box;
    Controls(form->page<StartupPage>()).deleteTickedButton.click();
    ASSERT_EQ(box.shown().size(), 1u);
    EXPECT_EQ(box.shown()[0].heading + L" " + box.shown()[0].text,
              L"删除失败 以下启动项目未能删除，已保留在列表中：" + tag + L"stuck.lnk（" +
                  SystemErrorText(ERROR_ACCESS_DENIED) + L"）");
  }
  EXPECT_TRUE(row(tag + L"stuck.lnk") >= 0 && row(tag + L"gone.lnk") < 0 && items.count() == count - 1);
  EXPECT_EQ(items.columnCaption(0), StartupHeader(count - 1));
  EXPECT_TRUE(PathExists(stuck));
  EXPECT_FALSE(PathExists(form->startupBackupFolder + tag + L"stuck.lnk")) << "no backup of an item that stays";
}

}  // namespace
}  // namespace wv::test
