// The file-information and music pages in the real main window: defaults, drops,
// the rule controls read into a simulation, the time check, the name preview,
// in-place editing, removal and reordering.

#include <gtest/gtest.h>

#include "app/appfixture.h"
#include "core/text.h"
#include "support/testsupport.h"
#include "tools/wjszpage.h"
#include "tools/yyszpage.h"

namespace wv::test {
namespace {

class WjszPageTest : public FormTest {
 protected:
  WjszPage& page() { return form->page<WjszPage>(); }
  std::vector<std::wstring> shownNames() {
    std::vector<std::wstring> out;
    for (const ListRow& row : page().wjsz_rows.rows()) out.push_back(row.caption);
    return out;
  }
  void drop(const std::vector<std::wstring>& paths) {
    page().drop(paths);
    page().wjsz_showlist.flush();
  }
  ScriptedMsgBox boxes;
};

TEST_F(WjszPageTest, StartsWithTheDefaultsAndTheNamePanel) {
  WjszPage& p = page();
  EXPECT_TRUE(p.wjsz_nameechchk.checked());
  EXPECT_TRUE(p.wjsz_namereprbt.checked());
  EXPECT_EQ(p.wjsz_nametypsel.text(), L"文件名");
  EXPECT_EQ(p.wjsz_namenmbbeg.value(), 1);
  EXPECT_EQ(p.wjsz_nameistsei.value(), 0);
  EXPECT_EQ(p.wjsz_namenmblen.value(), 1);
  EXPECT_EQ(p.wjsz_namenmbbeg.maximum(), 9999);
  EXPECT_EQ(p.wjsz_namenmbadd.maximum(), 999);
  EXPECT_EQ(p.wjsz_namenmblen.maximum(), 20);
  EXPECT_TRUE(p.wjsz_attrsavechk.checked());
  EXPECT_FALSE(p.wjsz_attrreadchk.checked() || p.wjsz_attrhidechk.checked() || p.wjsz_attrsystchk.checked());
  EXPECT_TRUE(IsValidDateText(p.wjsz_timedatbeg.text()));
  EXPECT_TRUE(IsValidTimeText(p.wjsz_timetimbeg.text()));
  EXPECT_FALSE(p.wjsz_timedatend.visible() || p.wjsz_timedatfwa.visible());
  EXPECT_TRUE(p.wjsz_namepnl.visible());
  EXPECT_FALSE(p.wjsz_timepnl.visible() || p.wjsz_attrpnl.visible());
  EXPECT_FALSE(p.wjsz_mnchg.enabled() || p.wjsz_mnret.enabled() || p.wjsz_zschg.enabled());
  EXPECT_EQ(p.wjsz_showlist.columnCaption(1), L"原文件名");

  p.wjsz_mnobj.setIndex(1);
  p.wjsz_mnobjChange();
  EXPECT_TRUE(p.wjsz_timepnl.visible());
  EXPECT_FALSE(p.wjsz_namepnl.visible());
  p.wjsz_timedattyp.setIndex(1);
  p.wjsz_timedattypChange();
  EXPECT_TRUE(p.wjsz_timedatend.visible() && p.wjsz_timedatfwb.visible());
  // Reset leaves the object alone but puts the kind back to fixed.
  p.wjsz_resetClick();
  EXPECT_EQ(p.wjsz_mnobj.index(), 1);
  EXPECT_FALSE(p.wjsz_timedatend.visible());
}

TEST_F(WjszPageTest, DropSimulateEditAndExecute) {
  TempFolder t(L"wjszpage");
  const std::wstring a = t.file(L"a.txt"), b = t.file(L"sub\\b.txt");
  drop({t.path()});  // a dropped folder brings every file below it
  WjszPage& p = page();
  ASSERT_EQ(p.wjsz_files.size(), 2u);
  EXPECT_EQ(p.wjsz_showlist.columnCaption(1), L"原文件名     (共 2 项)");
  EXPECT_TRUE(p.wjsz_mnchg.enabled() && p.wjsz_zschg.enabled());
  EXPECT_EQ(p.wjsz_runstate, 0);

  p.wjsz_nameistrbt.setChecked(true);
  p.wjsz_namereprbt.setChecked(false);
  p.wjsz_nameistedt.setText(L"x_");
  p.wjsz_mnchgClick();
  EXPECT_EQ(shownNames(), (std::vector<std::wstring>{L"x_a.txt", L"x_b.txt"}));
  EXPECT_EQ(p.wjsz_mnchg.caption(), L"模拟");
  EXPECT_EQ(p.wjsz_runstate, 0);

  // A name typed into the list: cleaned, and checked against the other rows.
  p.wjsz_showlistEdited(1, L"  second.txt.. ");
  EXPECT_EQ(p.wjsz_files.at(1).newName, L"second.txt");
  p.wjsz_showlistEdited(1, L"bad:name");
  EXPECT_EQ(p.wjsz_files.at(1).newName, L"b.txt");
  ASSERT_FALSE(boxes.shown().empty());
  EXPECT_EQ(boxes.shown().back().heading, L"模拟失败");

  boxes.answer(IDOK);  // the confirmation
  p.wjsz_zschgClick();
  EXPECT_TRUE(PathExists(t / L"x_a.txt"));
  EXPECT_TRUE(PathExists(b));  // its new name was set back to the old one
  EXPECT_EQ(p.wjsz_files.at(0).oldName, L"x_a.txt");
  EXPECT_EQ(p.wjsz_showlist.columnCaption(1), L"原文件名     (共 2 项)");
  EXPECT_EQ(p.wjsz_runstate, 0);
  EXPECT_TRUE(p.wjsz_filesel.enabled());
}

TEST_F(WjszPageTest, TimeEditsAreCheckedBeforeASimulation) {
  TempFolder t(L"wjsztimepage");
  drop({t.file(L"a.txt")});
  WjszPage& p = page();
  p.wjsz_mnobj.setIndex(1);
  p.wjsz_mnobjChange();
  const std::wstring sep(1, DateSeparator());
  p.wjsz_timedatbeg.setText(L"1979" + sep + L"12" + sep + L"31");
  p.wjsz_mnchgClick();
  ASSERT_EQ(boxes.shown().size(), 1u);
  EXPECT_EQ(boxes.shown()[0].text, L"时间格式填写有误，请重新填写！");
  EXPECT_FALSE(p.wjsz_files.at(0).newModified);

  // Fixed kind: the hidden end edits are not looked at, even half typed.
  p.wjsz_timedatbeg.setText(L"1980" + sep + L"01" + sep + L"01");
  p.wjsz_timedatend.setText(L"20");
  p.wjsz_mnchgClick();
  EXPECT_EQ(boxes.shown().size(), 1u);
  ASSERT_TRUE(p.wjsz_files.at(0).newModified);
  EXPECT_EQ(p.wjsz_files.at(0).newModified->year, 1980);
  // Editing names is refused while the object is a time.
  EXPECT_FALSE(p.wjsz_showlistEditing());
  p.wjsz_menuPopup();
  EXPECT_FALSE(p.wjsz_menu.item(p.wjsz_menuchange).visible);
}

TEST_F(WjszPageTest, PreviewSelectionFillsTheRules) {
  TempFolder t(L"wjszprev");
  drop({t.file(L"abcdefg.txt")});
  WjszPage& p = page();
  p.wjsz_showlist.select(0);
  p.wjsz_showlistSelectItem();
  EXPECT_EQ(p.wjsz_namehlpedt.text(), L"abcdefg");
  SendMessageW(p.wjsz_namehlpedt.handle(), EM_SETSEL, 2, 5);
  p.wjsz_namehlpedtMouseUp();
  EXPECT_EQ(p.wjsz_namerepbeg.text(), L"cde");
  EXPECT_EQ(p.wjsz_nameuprsei.value(), 2);
  EXPECT_EQ(p.wjsz_nametqalen.value(), 3);
  EXPECT_EQ(p.wjsz_nametqbbeg.text(), L"b");
  EXPECT_EQ(p.wjsz_nametqbend.text(), L"f");
  p.wjsz_nametypsel.setIndex(1);
  p.wjsz_nametypselChange();
  EXPECT_EQ(p.wjsz_namehlpedt.text(), L"txt");
}

TEST_F(WjszPageTest, RemovingAndDraggingRows) {
  TempFolder t(L"wjszrows");
  drop({t.file(L"1.txt"), t.file(L"2.txt"), t.file(L"3.txt")});
  WjszPage& p = page();
  p.wjsz_showlist.select(0);
  p.wjsz_showlistDragDrop(-1);  // below the rows: to the end
  EXPECT_EQ(shownNames(), (std::vector<std::wstring>{L"2.txt", L"3.txt", L"1.txt"}));
  p.wjsz_showlist.select(2);
  p.wjsz_showlistDragDrop(0);
  EXPECT_EQ(shownNames(), (std::vector<std::wstring>{L"1.txt", L"2.txt", L"3.txt"}));

  p.wjsz_showlist.select(1);
  p.wjsz_menudelunselClick();
  EXPECT_EQ(shownNames(), (std::vector<std::wstring>{L"2.txt"}));
  p.wjsz_showlist.selectAll(true);
  p.wjsz_menudelselClick();  // every row selected: the whole list goes
  EXPECT_TRUE(p.wjsz_files.empty());
  EXPECT_FALSE(p.wjsz_mnchg.enabled() || p.wjsz_zschg.enabled());
  EXPECT_EQ(p.wjsz_showlist.columnCaption(1), L"原文件名");
  EXPECT_TRUE(PathExists(t / L"1.txt"));  // nothing on disk is touched
}

class YyszPageTest : public FormTest {
 protected:
  YyszPage& page() { return form->page<YyszPage>(); }
  ScriptedMsgBox boxes;
};

TEST_F(YyszPageTest, ImportsMusicAndKeepsItsListByHand) {
  TempFolder t(L"yyszpage");
  YyszPage& p = page();
  p.drop({t.file(L"A.MP3"), t.file(L"b.wma"), t.file(L"c.ogg")});
  p.yysz_showlist.flush();
  ASSERT_EQ(p.yysz_files.size(), 2u);
  EXPECT_EQ(p.yysz_ss.caption(), L"音乐信息导入完成！");
  EXPECT_EQ(p.yysz_showlist.columnCaption(1), L"原文件名     (共 2 项)");
  p.drop({ToLower(t / L"A.MP3")});
  EXPECT_EQ(p.yysz_files.size(), 2u);

  p.yysz_mnchgClick();
  EXPECT_EQ(p.yysz_runstate, 0);
  EXPECT_TRUE(p.yysz_mnchg.enabled());
  EXPECT_EQ(p.yysz_mnchg.caption(), L"模拟");

  p.yysz_showlistEdited(0, L"a:b");
  EXPECT_EQ(p.yysz_files.at(0).newName, L"A.MP3");
  ASSERT_EQ(boxes.shown().size(), 1u);
  EXPECT_EQ(boxes.shown()[0].heading, L"改名失败");
  p.yysz_showlistEdited(0, L" new name ");
  EXPECT_EQ(p.yysz_files.at(0).newName, L" new name ");
}

}  // namespace
}  // namespace wv::test
