#include <gtest/gtest.h>

#include <functional>

#include "core/publline.h"
#include "tools/fileinfo_fixtures.h"

namespace wv::test {
namespace {

// One rule applied to one name and then cleaned as simulate cleans it.
struct RuleCase {
  const wchar_t* what;
  const wchar_t* name;
  std::function<void(FileInfoSettings&)> set;
  const wchar_t* expected;
};

std::wstring Simulated(const FileInfoSettings& s, std::wstring_view name, std::size_t row = 0) {
  std::wstring out = ApplyNameRule(s, name, row);
  (void)CheckFileName(out);
  return out;
}

TEST(FileInfoNameRules, EachRuleOnNameAndExtension) {
  const RuleCase cases[] = {
      {L"insert at the end of a name without extension", L"abc",
       [](auto& s) { s.rule = NameRule::InsertText, s.insertPos = 3, s.insertText = L"x"; }, L"abcx"},
      {L"insert past the end counts as the end", L"abc.txt",
       [](auto& s) { s.rule = NameRule::InsertText, s.insertPos = 200, s.insertText = L"_1"; }, L"abc_1.txt"},
      {L"insert into an absent extension", L"abc",
       [](auto& s) { s.extensionPart = true, s.rule = NameRule::InsertText, s.insertPos = 0, s.insertText = L"txt"; },
       L"abc.txt"},
      {L"keeping a range past the end empties the extension", L"abc.txt",
       [](auto& s) { s.extensionPart = true, s.rule = NameRule::Range, s.rangePos = 5, s.rangeLen = 2; }, L"abc"},
      {L"replace ignores letter case", L"aAa.txt",
       [](auto& s) { s.replaceFrom = L"A", s.replaceTo = L"b"; }, L"bbb.txt"},
      {L"replace does not overlap", L"aaaa.txt",
       [](auto& s) { s.replaceFrom = L"aa", s.replaceTo = L"a"; }, L"aa.txt"},
      {L"replace with empty A changes nothing", L"abc.txt",
       [](auto& s) { s.replaceFrom = L"", s.replaceTo = L"zz"; }, L"abc.txt"},
      {L"replace works on the extension only", L"txt.txt",
       [](auto& s) { s.extensionPart = true, s.replaceFrom = L"TXT", s.replaceTo = L"md"; }, L"txt.md"},
      {L"a Chinese character counts one", L"中文名.doc",
       [](auto& s) { s.rule = NameRule::InsertText, s.insertPos = 2, s.insertText = L"-"; }, L"中文-名.doc"},
      {L"upper case of a range running past the end", L"abcdef.txt",
       [](auto& s) { s.rule = NameRule::ChangeCase, s.casePos = 4, s.caseLen = 50; }, L"abcdEF.txt"},
      {L"lower case of a middle range", L"ABCDEF.TXT",
       [](auto& s) { s.rule = NameRule::ChangeCase, s.casePos = 1, s.caseLen = 2, s.lowerCase = true; },
       L"AbcDEF.TXT"},
      {L"change case from the end changes nothing", L"abc.txt",
       [](auto& s) { s.rule = NameRule::ChangeCase, s.casePos = 3, s.caseLen = 3; }, L"abc.txt"},
      {L"overwrite a range running past the end", L"abcdef.txt",
       [](auto& s) { s.rule = NameRule::Overwrite, s.overwritePos = 4, s.overwriteLen = 9, s.overwriteText = L"XY"; },
       L"abcdXY.txt"},
      {L"overwrite from the end changes nothing", L"abc.txt",
       [](auto& s) { s.rule = NameRule::Overwrite, s.overwritePos = 3, s.overwriteLen = 1, s.overwriteText = L"Z"; },
       L"abc.txt"},
      {L"keep a range", L"abcdef.txt",
       [](auto& s) { s.rule = NameRule::Range, s.rangePos = 1, s.rangeLen = 3; }, L"bcd.txt"},
      {L"drop a range running past the end", L"abcdef.txt",
       [](auto& s) { s.rule = NameRule::Range, s.rangePos = 2, s.rangeLen = 100, s.rangeDrop = true; }, L"ab.txt"},
      {L"keep digits", L"a1b2中3.txt", [](auto& s) { s.rule = NameRule::CharClass; }, L"123.txt"},
      {L"drop digits", L"a1b2中3.txt", [](auto& s) { s.rule = NameRule::CharClass, s.classDrop = true; },
       L"ab中.txt"},
      {L"keep letters: only ASCII ones", L"a1Ｂb中.txt",
       [](auto& s) { s.rule = NameRule::CharClass, s.classLetters = true; }, L"ab.txt"},
      {L"drop letters", L"a1B2.txt",
       [](auto& s) { s.rule = NameRule::CharClass, s.classLetters = true, s.classDrop = true; }, L"12.txt"},
      {L"keep between both markers", L"x[yz]w.txt",
       [](auto& s) { s.rule = NameRule::Markers, s.markerBegin = L"[", s.markerEnd = L"]"; }, L"yz.txt"},
      {L"drop between both markers keeps them", L"x[yz]w.txt",
       [](auto& s) { s.rule = NameRule::Markers, s.markerBegin = L"[", s.markerEnd = L"]", s.markerDrop = true; },
       L"x[]w.txt"},
      {L"end marker only before the begin marker: unchanged", L"x]y[z.txt",
       [](auto& s) { s.rule = NameRule::Markers, s.markerBegin = L"[", s.markerEnd = L"]"; }, L"x]y[z.txt"},
      {L"a missing marker: unchanged", L"x[yz.txt",
       [](auto& s) { s.rule = NameRule::Markers, s.markerBegin = L"[", s.markerEnd = L"]", s.markerDrop = true; },
       L"x[yz.txt"},
      {L"keep after the begin marker alone", L"ab-cd-ef.txt",
       [](auto& s) { s.rule = NameRule::Markers, s.markerBegin = L"-"; }, L"cd-ef.txt"},
      {L"drop after the begin marker alone", L"ab-cd-ef.txt",
       [](auto& s) { s.rule = NameRule::Markers, s.markerBegin = L"-", s.markerDrop = true; }, L"ab-.txt"},
      {L"keep before the end marker alone", L"ab-cd-ef.txt",
       [](auto& s) { s.rule = NameRule::Markers, s.markerEnd = L"-"; }, L"ab.txt"},
      {L"drop before the end marker alone", L"ab-cd-ef.txt",
       [](auto& s) { s.rule = NameRule::Markers, s.markerEnd = L"-", s.markerDrop = true; }, L"-cd-ef.txt"},
      {L"markers are case-sensitive", L"aXbxc.txt",
       [](auto& s) { s.rule = NameRule::Markers, s.markerBegin = L"x"; }, L"c.txt"},
      {L"no markers: unchanged", L"x[y].txt",
       [](auto& s) { s.rule = NameRule::Markers, s.markerDrop = true; }, L"x[y].txt"},
      {L"only the last dot starts the extension", L"a.b.c",
       [](auto& s) { s.rule = NameRule::InsertText, s.insertPos = 9, s.insertText = L"!"; }, L"a.b!.c"},
  };
  for (const RuleCase& c : cases) {
    FileInfoSettings s;
    c.set(s);
    EXPECT_EQ(Simulated(s, c.name), c.expected) << c.what;
  }
}

TEST(FileInfoNameRules, NumbersFollowTheRowAndAreNeverCut) {
  FileInfoSettings s;
  s.rule = NameRule::InsertNumber;
  s.numberBegin = 1, s.numberStep = 2, s.numberWidth = 3;
  FileInfoRows rows = NameRows({L"a.txt", L"b.txt", L"c.txt"});
  Answers answers;
  ASSERT_FALSE(RunOp(rows, FileInfoOp::Simulate, s, answers).stopped);
  EXPECT_EQ(NewNames(rows), (std::vector<std::wstring>{L"001a.txt", L"003b.txt", L"005c.txt"}));

  s.numberBegin = 9999, s.numberStep = 999, s.numberWidth = 1, s.numberPos = 1;
  EXPECT_EQ(Simulated(s, L"ab.txt", 0), L"a9999b.txt");
  EXPECT_EQ(Simulated(s, L"ab.txt", 2), L"a11997b.txt");
  s.numberWidth = 20;
  EXPECT_EQ(Simulated(s, L"x", 0), L"x00000000000000009999");
}

TEST(FileInfoNameRules, WorkingPartOfThePreview) {
  EXPECT_EQ(WorkingPart(L"report.final.doc", false), L"report.final");
  EXPECT_EQ(WorkingPart(L"report.final.doc", true), L"doc");
  EXPECT_EQ(WorkingPart(L"abc", true), L"");
  EXPECT_EQ(WorkingPart(L".profile", false), L"");
  EXPECT_EQ(WorkingPart(L".profile", true), L"profile");
}

TEST(FileInfoNameRules, SelectionInThePreviewFillsEveryRule) {
  FileInfoSettings s;
  PickFromPreview(L"ab中文件fg", 2, 3, s);
  EXPECT_EQ(s.replaceFrom, L"中文件");
  for (int pos : {s.insertPos, s.numberPos, s.casePos, s.overwritePos, s.rangePos}) EXPECT_EQ(pos, 2);
  for (int len : {s.caseLen, s.overwriteLen, s.rangeLen}) EXPECT_EQ(len, 3);
  EXPECT_EQ(s.markerBegin, L"b");
  EXPECT_EQ(s.markerEnd, L"f");

  // A bare caret at the start: length 0 is kept in range as 1, no neighbour before.
  PickFromPreview(L"abc", 0, 0, s);
  EXPECT_EQ(s.replaceFrom, L"");
  EXPECT_EQ(s.rangeLen, 1);
  EXPECT_EQ(s.insertPos, 0);
  EXPECT_EQ(s.markerBegin, L"");
  EXPECT_EQ(s.markerEnd, L"a");

  // Everything selected: no neighbour after.
  PickFromPreview(L"abc", 0, 3, s);
  EXPECT_EQ(s.markerEnd, L"");
  EXPECT_EQ(s.caseLen, 3);

  // Positions and lengths past the spin ranges are held at their maximum.
  const std::wstring longName(250, L'n');
  PickFromPreview(longName, 230, 20, s);
  EXPECT_EQ(s.numberPos, 200);
  EXPECT_EQ(s.rangeLen, 20);
  PickFromPreview(longName, 0, 250, s);
  EXPECT_EQ(s.overwriteLen, 200);
  EXPECT_EQ(s.replaceFrom.size(), static_cast<std::size_t>(kRuleTextLimit));
}

TEST(FileInfoTimeEdits, DateAndTimeValidation) {
  const struct {
    const wchar_t* text;
    bool valid;
  } dates[] = {
      {L"1979-12-31", false}, {L"1980-01-01", true}, {L"2100-12-31", true}, {L"2101-01-01", false},
      {L"2023-02-29", false}, {L"2024-02-29", true}, {L"2024-13-01", false}, {L"2024-00-10", false},
      {L"2024-1 -05", false}, {L"    -  -  ", false}, {L"20240105", true}, {L"2024-01-0x", false},
  };
  for (const auto& d : dates) {
    std::wstring text = d.text;
    for (wchar_t& ch : text)
      if (ch == L'-') ch = DateSeparator();
    EXPECT_EQ(IsValidDateText(text), d.valid) << d.text;
  }
  const struct {
    const wchar_t* text;
    bool valid;
  } times[] = {{L"00:00:00", true}, {L"23:59:59", true}, {L"24:00:00", false},
               {L"12:60:00", false}, {L"12:00:6 ", false}, {L"120000", true}};
  for (const auto& t : times) {
    std::wstring text = t.text;
    for (wchar_t& ch : text)
      if (ch == L':') ch = TimeSeparator();
    EXPECT_EQ(IsValidTimeText(text), t.valid) << t.text;
  }
}

TEST(FileInfoTimeEdits, EndEditsCountOnlyForARandomTime) {
  FileInfoSettings s;
  s.beginDate = DateText(At(2020, 5, 6, 0, 0, 0));
  s.beginTime = TimeText(At(2000, 1, 1, 7, 8, 9));
  s.endDate = L"20";  // incomplete, as a half-typed edit
  s.endTime = L"";
  EXPECT_EQ(FirstInvalidTimeEdit(s), -1);
  s.randomTime = true;
  EXPECT_EQ(FirstInvalidTimeEdit(s), static_cast<int>(TimeEdit::EndDate));
  s.endDate = s.beginDate;
  EXPECT_EQ(FirstInvalidTimeEdit(s), static_cast<int>(TimeEdit::EndTime));
  s.beginTime = L"99";
  EXPECT_EQ(FirstInvalidTimeEdit(s), static_cast<int>(TimeEdit::BeginTime));
  s.beginDate = L"1979" + std::wstring(1, DateSeparator()) + L"01" + DateSeparator() + L"01";
  EXPECT_EQ(FirstInvalidTimeEdit(s), static_cast<int>(TimeEdit::BeginDate));
}

TEST(FileInfoTexts, TimeAndAttributeTexts) {
  const LocalTime t = At(2009, 3, 4, 5, 6, 7);
  const std::wstring text = FileTimeText(t);
  ASSERT_EQ(text.size(), 19u);
  EXPECT_EQ(text, std::wstring(L"2009") + DateSeparator() + L"03" + DateSeparator() + L"04 05" + TimeSeparator() +
                      L"06" + TimeSeparator() + L"07");
  EXPECT_EQ(ParseFileTimeText(text), t);
  // Written under other separators, the text still reads as the same time.
  EXPECT_EQ(ParseFileTimeText(L"2009.03.04 05.06.07"), t);
  EXPECT_EQ(ParseFileTimeText(L"2009-02-30 05:06:07"), std::nullopt);
  EXPECT_EQ(ParseFileTimeText(L"2009-03-04 05:06"), std::nullopt);

  EXPECT_EQ(AttrText(FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN), L"-RH-");
  EXPECT_EQ(AttrText(kFileInfoAttributes | FILE_ATTRIBUTE_TEMPORARY), L"ARHS");
  EXPECT_EQ(AttrText(0), L"----");
  EXPECT_EQ(AttrFromText(L"A-H-"), DWORD{FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_HIDDEN});
  EXPECT_EQ(AttrFromText(L"-RxS"), DWORD{FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_SYSTEM});
  EXPECT_EQ(AttrFromText(L"HRAS"), DWORD{FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_SYSTEM});  // letters count in their place

  EXPECT_EQ(FileInfoCountCaption(0), L"原文件名");
  EXPECT_EQ(FileInfoCountCaption(12), L"原文件名     (共 12 项)");
}

}  // namespace
}  // namespace wv::test
