// The file-information page in the real main window: what its buttons start, the checks before a
// simulation, and names typed into its list.

#include "support/app_fixture.h"
#include "engines/tools/fixtures.h"
#include "pages/tools/file_info_page.h"

namespace wv::test {
namespace {

class FileInfoPageTest : public FormTest {
 protected:
  void SetUp() override { FormTest::SetUp(), form->sideBar.button(Module::FileInfo).click(); }
  FileInfoPage& page() { return form->page<FileInfoPage>(); }
  auto& controls() { return Controls(page()); }
  SimulationControls<FileInfoRow>& shared() { return SharedControls<SimulationControls<FileInfoRow>>(page()); }
  void chooseObject(FileInfoObject object) {
    shared().objectChoice.setIndex(static_cast<int>(object));
    shared().objectChoice.onChange();  // as the user's choice reports it
  }
  ScriptedMsgBox box;  // unscripted questions are declined
};

// Renaming waits for the page's question: declined, the disk stays as it was.
TEST_F(FileInfoPageTest, FilesAreRenamedOnlyAfterTheQuestion) {
  TempFolder t(L"infopage");
  t.file(L"a.txt");
  page().drop({t.path()});  // a dropped folder brings the files below it
  ASSERT_EQ(shared().entries.size(), 1u);
  controls().insertTextRule.setChecked(true);
  controls().replaceRule.setChecked(false);
  controls().insertText.setText(L"x_");
  shared().simulateButton.click();
  EXPECT_EQ(shared().entries.at(0).newName, L"x_a.txt");
  shared().executeButton.click();
  EXPECT_TRUE(PathExists(t / L"a.txt") && !PathExists(t / L"x_a.txt"));
  box.answer(IDOK);
  shared().executeButton.click();
  EXPECT_TRUE(PathExists(t / L"x_a.txt") && !PathExists(t / L"a.txt"));
  EXPECT_EQ(shared().entries.at(0).oldName, L"x_a.txt");
}

// A dropped folder is collected as a run: the file button is its stop button,
// the side bar is off and the window keeps working; a stop press imports
// nothing. Without a stop every file comes.
TEST_F(FileInfoPageTest, ADroppedFolderIsCollectedAsARunThatCanBeStopped) {
  TempFolder t(L"infodrop");
  for (int i = 0; i < 12; ++i) t.file(L"f" + std::to_wstring(i) + L"\\a.txt");
  FileToolControls& tool = SharedControls<FileToolControls>(page());
  {
    const PressOnStatus press(tool.chooseFilesButton.handle(), L"已扫描到 3 项", [&] {
      EXPECT_FALSE(form->sideBarEnabled());
      EXPECT_EQ(tool.chooseFilesButton.caption(), kStopCaption);
    });
    page().drop({t.path()});
    ASSERT_TRUE(press.pressed());
  }
  EXPECT_TRUE(shared().entries.empty());
  EXPECT_EQ(form->statusLine.text(), kDropStoppedText);
  EXPECT_TRUE(form->sideBarEnabled() && tool.runState == 0 && tool.pendingFiles.empty());
  page().drop({t.path()});
  EXPECT_EQ(shared().entries.size(), 12u);
}

// Only the chosen object's panel shows; the time edits that a simulation would read must hold a date from
// 1980 to 2100 and a time, the end edits only for a random time.
TEST_F(FileInfoPageTest, TheTimeEditsAreCheckedBeforeASimulationStarts) {
  TempFolder t(L"infotimes");
  page().drop({t.file(L"a.txt")});
  auto& c = controls();
  chooseObject(FileInfoObject::Time);
  EXPECT_TRUE(c.timePanel.visible() && !c.namePanel.visible() && !c.attributePanel.visible());
  EXPECT_FALSE(c.endDateEdit.visible() || c.endTimeEdit.visible() || c.dateDash.visible());
  const std::wstring ds(1, DateSeparator()), ts(1, TimeSeparator());
  c.beginDateEdit.setText(L"1980" + ds + L"01" + ds + L"01");
  c.beginTimeEdit.setText(L"08" + ts + L"00" + ts + L"00");
  c.endDateEdit.setText(L"2024");  // hidden: not looked at
  shared().simulateButton.click();
  EXPECT_TRUE(box.shown().empty());
  EXPECT_EQ(shared().entries.at(0).newModified, (LocalTime{1980, 1, 1, 8, 0, 0}));

  c.timeKindChoice.setIndex(1);
  c.timeKindChoice.onChange();
  EXPECT_TRUE(c.endDateEdit.visible() && c.endTimeEdit.visible() && c.dateDash.visible() && c.timeDash.visible());
  c.beginDateEdit.setText(L"1979" + ds + L"12" + ds + L"31");
  shared().simulateButton.click();
  ASSERT_EQ(box.shown().size(), 1u);
  EXPECT_EQ(box.shown()[0].heading + box.shown()[0].text, L"模拟失败时间格式填写有误，请重新填写！");
  EXPECT_EQ(shared().entries.at(0).newModified, (LocalTime{1980, 1, 1, 8, 0, 0})) << "nothing was simulated";
  EXPECT_TRUE(SharedControls<FileToolControls>(page()).runState == 0 && shared().simulateButton.caption() == L"模拟");

  chooseObject(FileInfoObject::Attributes);
  EXPECT_TRUE(c.attributePanel.visible() && !c.timePanel.visible());
}

// A selection in the name preview fills every rule's fields with its position, length, text and neighbours.
TEST_F(FileInfoPageTest, ASelectionInTheNamePreviewFillsTheRules) {
  TempFolder t(L"infopreview");
  page().drop({t.file(L"abcdef.txt")});
  auto& c = controls();
  shared().fileList.select(0);
  ASSERT_EQ(c.namePreview.text(), L"abcdef");
  SendMessageW(c.namePreview.handle(), EM_SETSEL, 2, 5);
  c.namePreview.onSelectionDone();
  EXPECT_EQ(c.replaceFrom.text() + L"|" + c.markerBegin.text() + L"|" + c.markerEnd.text(), L"cde|b|f");
  for (SpinEdit* s : {&c.insertPosition, &c.numberPosition, &c.casePosition, &c.overwritePosition, &c.rangePosition})
    EXPECT_EQ(s->value(), 2);
  for (SpinEdit* s : {&c.caseLength, &c.overwriteLength, &c.rangeLength}) EXPECT_EQ(s->value(), 3);
  c.namePartChoice.setIndex(1);
  c.namePartChoice.onChange();
  EXPECT_EQ(c.namePreview.text(), L"txt");
}

}  // namespace
}  // namespace wv::test
