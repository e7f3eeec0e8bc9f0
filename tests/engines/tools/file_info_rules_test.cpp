// The file-information editor's rules without files.

#include "engines/tools/fixtures.h"

namespace wv::test {
namespace {

using R = NameRule;

TEST(FileInfoNameRules, WorkedExamples) {
  const struct { const wchar_t* name; FileInfoSettings s; const wchar_t* expected; } cases[] = {
      // Positions count characters; at or past the end is the end; only the last dot starts the extension.
      {L"abc.txt", {.rule = R::InsertText, .insertPos = 200, .insertText = L"_1"}, L"abc_1.txt"},
      {L"abc", {.extensionPart = true, .rule = R::InsertText, .insertText = L"txt"}, L"abc.txt"},
      {L"中文名.doc", {.rule = R::InsertText, .insertPos = 2, .insertText = L"-"}, L"中文-名.doc"},
      {L"a.b.c", {.rule = R::InsertText, .insertPos = 9, .insertText = L"!"}, L"a.b!.c"},
      {L".profile", {.rule = R::InsertText, .insertPos = 5, .insertText = L"x"}, L"x.profile"},
      // Replace: letters without regard to case, no overlap, an empty A changes nothing.
      {L"aAa.txt", {.replaceFrom = L"A", .replaceTo = L"b"}, L"bbb.txt"}, {L"abc.txt", {.replaceTo = L"zz"}, L"abc.txt"},
      {L"aaaa.txt", {.replaceFrom = L"aa", .replaceTo = L"a"}, L"aa.txt"},
      {L"txt.txt", {.extensionPart = true, .replaceFrom = L"TXT", .replaceTo = L"md"}, L"txt.md"},
      // Ranges past the end act up to it; from the end case and overwrite change nothing, keeping empties.
      {L"abcdef.txt", {.rule = R::ChangeCase, .casePos = 4, .caseLen = 50}, L"abcdEF.txt"},
      {L"ABCDEF.TXT", {.rule = R::ChangeCase, .casePos = 1, .caseLen = 2, .lowerCase = true}, L"AbcDEF.TXT"},
      {L"abc.txt", {.rule = R::ChangeCase, .casePos = 3, .caseLen = 3}, L"abc.txt"},
      {L"abcdef.txt", {.rule = R::Overwrite, .overwritePos = 4, .overwriteLen = 9, .overwriteText = L"XY"}, L"abcdXY.txt"},
      {L"abc.txt", {.rule = R::Overwrite, .overwritePos = 3, .overwriteText = L"Z"}, L"abc.txt"},
      {L"abcdef.txt", {.rule = R::Range, .rangePos = 1, .rangeLen = 3}, L"bcd.txt"},
      {L"abcdef.txt", {.rule = R::Range, .rangePos = 2, .rangeLen = 100, .rangeDrop = true}, L"ab.txt"},
      {L"abc.txt", {.extensionPart = true, .rule = R::Range, .rangePos = 5, .rangeLen = 2}, L"abc"},
      // Classes: ASCII digits and letters only.
      {L"a1b2中3.txt", {.rule = R::CharClass}, L"123.txt"}, {L"a1b2中3.txt", {.rule = R::CharClass, .classDrop = true}, L"ab中.txt"},
      {L"a1Ｂb中.txt", {.rule = R::CharClass, .classLetters = true}, L"ab.txt"},
      // Markers: exact and case-sensitive; a missing one, or "]" only before "[", leaves the name.
      {L"x[yz]w.txt", {.rule = R::Markers, .markerBegin = L"[", .markerEnd = L"]"}, L"yz.txt"},
      {L"x[yz]w.txt", {.rule = R::Markers, .markerBegin = L"[", .markerEnd = L"]", .markerDrop = true}, L"x[]w.txt"},
      {L"x]y[z.txt", {.rule = R::Markers, .markerBegin = L"[", .markerEnd = L"]"}, L"x]y[z.txt"},
      {L"x[yz.txt", {.rule = R::Markers, .markerBegin = L"[", .markerEnd = L"]", .markerDrop = true}, L"x[yz.txt"},
      {L"ab-cd-ef.txt", {.rule = R::Markers, .markerBegin = L"-"}, L"cd-ef.txt"},
      {L"ab-cd-ef.txt", {.rule = R::Markers, .markerEnd = L"-"}, L"ab.txt"},
      {L"ab-cd-ef.txt", {.rule = R::Markers, .markerBegin = L"-", .markerDrop = true}, L"ab-.txt"},
      {L"ab-cd-ef.txt", {.rule = R::Markers, .markerEnd = L"-", .markerDrop = true}, L"-cd-ef.txt"},
      {L"aXbxc.txt", {.rule = R::Markers, .markerBegin = L"x"}, L"c.txt"},
      {L"x[y].txt", {.rule = R::Markers, .markerDrop = true}, L"x[y].txt"},
  };
  for (const auto& c : cases) {
    FileInfoRows rows = NameRows({c.name});
    Answers answers;
    EXPECT_FALSE(RunOp(rows, FileInfoOp::Simulate, c.s, answers).stopped) << c.name;
    EXPECT_EQ(rows.at(0).newName, c.expected) << c.name;
  }
}

TEST(FileInfoNameRules, NumbersFollowTheRowAndAreNeverCut) {
  FileInfoRows rows = NameRows({L"a.txt", L"b.txt", L"c.txt"});
  Answers answers;
  FileInfoSettings s{.rule = R::InsertNumber, .numberStep = 2, .numberWidth = 3};
  ASSERT_FALSE(RunOp(rows, FileInfoOp::Simulate, s, answers).stopped);
  EXPECT_EQ(NewNames(rows), (Names{L"001a.txt", L"003b.txt", L"005c.txt"}));
  s = {.rule = R::InsertNumber, .numberPos = 1, .numberBegin = 9999, .numberStep = 999};
  EXPECT_EQ(ApplyNameRule(s, L"ab.txt", 0), L"a9999b.txt");
  EXPECT_EQ(ApplyNameRule(s, L"ab.txt", 2), L"a11997b.txt");
  s.numberWidth = 20;
  EXPECT_EQ(ApplyNameRule(s, L"x.y", 0), L"x00000000000000009999.y");
}

// A selection fills every rule; positions, lengths and texts past their ranges are held at the maximum.
TEST(FileInfoNameRules, SelectionInThePreviewFillsEveryRule) {
  FileInfoSettings s;
  PickFromPreview(L"ab中文件fg", 2, 3, s);
  for (int pos : {s.insertPos, s.numberPos, s.casePos, s.overwritePos, s.rangePos}) EXPECT_EQ(pos, 2);
  for (int len : {s.caseLen, s.overwriteLen, s.rangeLen}) EXPECT_EQ(len, 3);
  EXPECT_EQ(s.replaceFrom + L"|" + s.markerBegin + L"|" + s.markerEnd, L"中文件|b|f");
  PickFromPreview(L"abc", 0, 0, s);  // a bare caret at the start: length 1 in range, no neighbour before
  EXPECT_TRUE(s.replaceFrom + L"|" + s.markerBegin + L"|" + s.markerEnd == L"||a" && s.rangeLen == 1 && s.insertPos == 0);
  PickFromPreview(std::wstring(250, L'n'), 230, 20, s);
  EXPECT_TRUE(s.numberPos == 200 && s.rangeLen == 20);
  PickFromPreview(std::wstring(250, L'n'), 0, 250, s);
  EXPECT_TRUE(s.overwriteLen == 200 && s.replaceFrom.size() == static_cast<std::size_t>(kRuleTextLimit) && s.markerEnd.empty());
}

TEST(FileInfoTimes, Edits) {
  const std::wstring ds(1, DateSeparator()), ts(1, TimeSeparator());
  const struct { std::wstring text; bool date, valid; } edits[] = {
      {L"1979-12-31", true, false}, {L"1980-01-01", true, true},  {L"2100-12-31", true, true},
      {L"2101-01-01", true, false}, {L"2023-02-29", true, false}, {L"2024-02-29", true, true},
      {L"2024-13-01", true, false}, {L"2024-1 -05", true, false}, {L"    -  -  ", true, false},
      {L"00:00:00", false, true},   {L"23:59:59", false, true},   {L"24:00:00", false, false},
      {L"12:60:00", false, false},  {L"12:00:6 ", false, false}, {L"120000", false, true},
      {L"20240105", true, true},    {L"2024-00-10", true, false}, {L"2024-01-0x", true, false},
  };
  for (auto e : edits) {
    for (wchar_t& ch : e.text) ch = ch == L'-' ? ds[0] : ch == L':' ? ts[0] : ch;
    EXPECT_EQ(e.date ? IsValidDateText(e.text) : IsValidTimeText(e.text), e.valid) << e.text;
  }
  // The end edits count only for a random time; the first bad edit is named.
  FileInfoSettings s{.beginDate = L"2020" + ds + L"05" + ds + L"06", .beginTime = L"07" + ts + L"08" + ts + L"09",
                     .endDate = L"20"};
  EXPECT_EQ(FirstInvalidTimeEdit(s), -1);
  s.randomTime = true;
  EXPECT_EQ(FirstInvalidTimeEdit(s), static_cast<int>(TimeEdit::EndDate));
  s.endDate = s.beginDate;
  EXPECT_EQ(FirstInvalidTimeEdit(s), static_cast<int>(TimeEdit::EndTime));
  s.beginTime = L"99";
  EXPECT_EQ(FirstInvalidTimeEdit(s), static_cast<int>(TimeEdit::BeginTime));
}

TEST(FileInfoList, TypedNamesAreCleanedCheckedAndComparedWithTheOthers) {
  const struct { std::wstring typed; bool answer; std::wstring stored; std::vector<FileInfoAskKind> asked; } cases[] = {
      {L"  abc. ", true, L"abc", {}},  // cleaned
      {L"", true, L"one.txt", {FileInfoAskKind::EditInvalid}},
      {std::wstring(100, L'名'), true, std::wstring(100, L'名'), {}},  // 200 bytes in code page 936
      {L"a" + std::wstring(100, L'名'), true, L"one.txt", {FileInfoAskKind::EditInvalid}},  // 201
      {L"TWO.TXT", true, L"TWO.TXT", {FileInfoAskKind::EditDuplicate}},   // another row's new name, OK
      {L"two.txt", false, L"one.txt", {FileInfoAskKind::EditDuplicate}},  // and Cancel
      {L"ONE.txt", true, L"ONE.txt", {}},  // its own name is no duplicate
  };
  for (const auto& c : cases) {
    FileInfoRows rows = NameRows({L"one.txt", L"x.txt"});
    rows.edit(0).newName = L"edited-before.txt";
    rows.edit(1).newName = L"two.txt";
    Answers answers{{c.answer}};
    EXPECT_EQ(ApplyEditedName(rows, 0, c.typed, true, answers.asker()), c.stored != L"one.txt") << c.typed;
    EXPECT_EQ(rows.at(0).newName, c.stored) << c.typed;
    std::vector<FileInfoAskKind> kinds;
    for (const FileInfoAsk& a : answers.asked) kinds.push_back(a.kind);
    EXPECT_EQ(kinds, c.asked) << c.typed;
  }
  FileInfoRows rows = NameRows({L"a.txt", L"b.txt"});
  Answers answers;  // duplicate check off
  EXPECT_TRUE(ApplyEditedName(rows, 1, L"A.TXT", false, answers.asker()) && answers.asked.empty());
}

}  // namespace
}  // namespace wv::test
