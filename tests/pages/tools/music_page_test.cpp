// The music page in the real main window: reached from the side bar, its list shows the tags that real
// tools wrote, simulate builds names from the rule's controls, execute waits for its question and the
// folder, the reset of each object, and names typed into the list.

#include <fstream>
#include <map>
#include <sstream>

#include "support/app_fixture.h"
#include "engines/tools/music_fixtures.h"
#include "pages/tools/music_page.h"

namespace wv::test {
namespace {

class MusicPageTest : public FormTest {
 protected:
  void SetUp() override {
    FormTest::SetUp();
    form->sideBar.button(Module::Music).click();
    page = &form->page<MusicPage>();
    rules = &Controls(*page);
    list = &SharedControls<SimulationControls<MusicRow>>(*page);
  }
  Names newNames() { return Each(list->entries, [](const MusicRow& r) { return r.newName; }); }
  // What the list shows in a row: its caption and its other columns.
  Names shown(std::size_t row) {
    const ListRow& r = list->shownRows.at(row);
    Names out{r.caption};
    out.insert(out.end(), r.sub.begin(), r.sub.end());
    return out;
  }
  void chooseObject(int object) {
    list->objectChoice.setIndex(object);
    if (list->objectChoice.onChange) list->objectChoice.onChange();
  }
  MusicPage* page = nullptr;
  MusicControls* rules = nullptr;
  SimulationControls<MusicRow>* list = nullptr;
  ScriptedMsgBox box;  // unscripted questions are declined
};

TEST_F(MusicPageTest, TheSideBarLeadsToThePage) {
  EXPECT_TRUE(form->sideBar.button(Module::Music).visible());
  EXPECT_TRUE(page->visible());
  EXPECT_EQ(list->fileList.columnCaption(2) + list->fileList.columnCaption(6), L"标题备注");
}

// The list shows, column by column, what id3v2, eyeD3, lame and ffmpeg read back from their own files.
TEST_F(MusicPageTest, TheListShowsTheTagsRealToolsWrote) {
  const std::wstring folder = L"C:\\WindowsVantorraFixtures\\music";
  std::ifstream in(ToUtf8(folder + L"\\expected.tsv"));
  std::map<std::wstring, Names> expected;
  for (std::string line; std::getline(in, line);) {
    Names fields;
    std::stringstream parts(line);
    for (std::string f; std::getline(parts, f, '\t');) fields.push_back(ToWide(f));
    fields.resize(6);
    expected[fields[0]] = fields;
  }
  ASSERT_GE(expected.size(), 17u) << "scripts/make-music-files runs before this test";
  page->drop({folder});  // the folder brings its music files; expected.tsv is no music
  ASSERT_EQ(list->entries.size(), expected.size());
  EXPECT_EQ(rules->informationLine.caption(), L"音乐信息导入完成！");
  for (std::size_t r = 0; r < list->entries.size(); ++r) {
    const Names row = shown(r);
    const Names& want = expected[row[1]];
    SCOPED_TRACE(ToUtf8(row[1]));
    EXPECT_EQ(Names(row.begin() + 2, row.begin() + 7), Names(want.begin() + 1, want.end()));
    EXPECT_EQ(row[7], folder + L"\\");
  }
}

// The rule's controls make the names; execute renames only after its question.
TEST_F(MusicPageTest, NamesFromTheChosenTagsAreAppliedAfterTheQuestion) {
  TempFolder t(L"musicpage");
  t.file(L"track01.mp3", TaggedMp3(Tags(L"吻别", L"张学友", L"吻别", L"1993")));
  t.file(L"track02.mp3", TaggedMp3(Tags(L"一路上有你", L"张学友", L"", L"1993")));
  page->drop({t.path()});
  ASSERT_EQ(list->entries.size(), 2u);
  auto& c = *rules;
  c.firstTag.setIndex(1);   // artist
  c.secondTag.setIndex(2);  // album
  c.thirdTag.setIndex(0);   // title
  c.tagSeparator.setText(L"_");
  list->simulateButton.click();
  EXPECT_EQ(newNames(), (Names{L"张学友_吻别_吻别.mp3", L"张学友_一路上有你.mp3"}));
  EXPECT_EQ(c.informationLine.caption(), L"名称信息模拟设置完成！");
  list->executeButton.click();
  EXPECT_TRUE(PathExists(t / L"track01.mp3")) << "the question was declined";
  box.answer(IDOK);
  list->executeButton.click();
  EXPECT_EQ(box.shown().back().heading + box.shown().back().text, L"音乐设置您确定对当前所有的音乐信息进行正式设置吗？");
  EXPECT_TRUE(PathExists(t / L"张学友_吻别_吻别.mp3") && PathExists(t / L"张学友_一路上有你.mp3"));
  EXPECT_EQ(shown(1)[1], L"张学友_一路上有你.mp3");
  EXPECT_EQ(c.informationLine.caption(), L"音乐信息正式设置完成！");
  EXPECT_EQ(SharedControls<FileToolControls>(*page).runState, 0);
  for (Button* b : {&list->simulateButton, &list->resetSimulationButton, &list->executeButton})
    EXPECT_TRUE(b->enabled());

  c.removeBlanksRule.setChecked(true);
  c.tagNameRule.setChecked(false);
  list->entries.edit(0).newName = L"a b c.mp3";
  list->simulateButton.click();
  EXPECT_EQ(newNames().at(0), L"abc.mp3");
}

// Reset: with names, every new name back; with tags, the tags read again from the files.
TEST_F(MusicPageTest, TheResetOfEachObject) {
  TempFolder t(L"musicreset");
  const std::wstring file = t.file(L"1.mp3", TaggedMp3(Tags(L"Old title")));
  page->drop({file});
  list->simulateButton.click();
  EXPECT_EQ(newNames(), (Names{L"Old title.mp3"}));
  WriteBytes(file, TaggedMp3(Tags(L"New title")));
  chooseObject(1);
  list->resetSimulationButton.click();
  EXPECT_EQ(shown(0)[2], L"New title");
  EXPECT_EQ(newNames(), (Names{L"Old title.mp3"})) << "the tags' reset keeps the names";
  EXPECT_EQ(rules->informationLine.caption(), L"标签模拟信息重置完成！");
  chooseObject(0);
  list->resetSimulationButton.click();
  EXPECT_EQ(newNames(), (Names{L"1.mp3"}));
  EXPECT_EQ(rules->informationLine.caption(), L"名称模拟信息重置完成！");
}

// A typed name is refused when it is blank or holds a character no file name may; otherwise it is taken
// without the blanks and dots at its end, which Windows would drop from the file's name.
TEST_F(MusicPageTest, TypedNamesAreRefusedWhenBlankOrWithSpecialCharacters) {
  TempFolder t(L"musicnames");
  page->drop({t.file(L"a.mp3")});
  const struct { std::wstring typed, stored, refusal; } cases[] = {
      {L"   ", L"a.mp3", L"文件名不能为空。"},
      {L"a:b.mp3", L"a.mp3", L"文件名中不能包含特殊字符。"},
      {L" new name .mp3 ", L" new name .mp3", L""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(ToUtf8(c.typed));
    const std::size_t boxes = box.shown().size();
    std::wstring typed = c.typed;
    EXPECT_FALSE(list->fileList.onEdited(0, typed));  // the list shows what the rows hold
    EXPECT_EQ(list->entries.at(0).newName, c.stored);
    if (c.refusal.empty()) {
      EXPECT_EQ(box.shown().size(), boxes);
    } else {
      ASSERT_EQ(box.shown().size(), boxes + 1);
      EXPECT_EQ(box.shown().back().heading + box.shown().back().text, L"改名失败" + c.refusal);
    }
  }
}

}  // namespace
}  // namespace wv::test
