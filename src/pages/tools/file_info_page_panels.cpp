// The file-information page's three settings panels: the name rules laid out as
// sentences with their parameters in the gaps, the time panel and the attribute
// panel; their defaults, and the rule settings read from them for the engine.
#include <algorithm>

#include "core/utilities.h"
#include "platform/text.h"
#include "pages/tools/file_info_page.h"

namespace wv {
namespace {

constexpr int kRowH = ScrollBox::kLine;
constexpr int kSpinW = 52;
constexpr int kTextW = 110;
constexpr int kComboW = 64;
// The light blue of the "--" between the begin and end of a random time.
constexpr COLORREF kRangeDashColour = 12430485;

// Width of a caption in the page's font: a Chinese character is as wide as two
// narrow ones, as it takes two bytes in the ANSI code page.
int CaptionWidth(std::wstring_view caption) { return static_cast<int>(AnsiByteLength(caption)) * 7 + 4; }

// The name rules in the order of their radio buttons.
constexpr NameRule kRules[] = {NameRule::Replace,      NameRule::Overwrite, NameRule::ChangeCase,
                               NameRule::InsertText,   NameRule::InsertNumber, NameRule::Markers,
                               NameRule::Range,        NameRule::CharClass};

LocalTime Now() {
  SYSTEMTIME st{};
  GetLocalTime(&st);
  return {st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond};
}

}  // namespace

Label* FileInfoPage::piece(std::wstring_view caption) {
  pieces_.push_back(std::make_unique<Label>());
  pieces_.back()->create(wjsz_namepnl.handle(), caption, 0, 0, CaptionWidth(caption), 18);
  return pieces_.back().get();
}

void FileInfoPage::buildNamePanel() {
  HWND p = wjsz_namepnl.handle();
  wjsz_nametypsel.create(p, {L"文件名", L"扩展名"}, 0);
  wjsz_namehlpedt.create(p);
  wjsz_namehlpedt.setReadOnly(true);
  wjsz_nameechchk.create(p, L"在模拟时进行重名检查");
  wjsz_nametypsel.onChange = [this] { wjsz_nametypselChange(); };
  wjsz_namehlpedt.onSelectionDone = [this] { wjsz_namehlpedtMouseUp(); };

  const auto radio = [&](RadioButton& b, std::wstring_view caption, bool first) {
    b.create(p, caption, first);
    wjsz_namerules.add(b);
  };
  const auto text = [&](Edit& e) { e.create(p, L"", kRuleTextLimit); };
  const auto spin = [&](SpinEdit& s, SpinRange range, int value) { s.create(p, range.minimum, range.maximum, value); };
  const auto keepDrop = [&](ComboBox& c) { c.create(p, {L"提取", L"排除"}, 0); };

  radio(wjsz_namereprbt, L"替换", true);
  text(wjsz_namerepbeg);
  text(wjsz_namerepend);
  sentences_.push_back({&wjsz_namereprbt,
                        {{piece(L"把字符串"), 0}, {&wjsz_namerepbeg, kTextW}, {piece(L"替换为"), 0},
                         {&wjsz_namerepend, kTextW}}});

  radio(wjsz_nameralrbt, L"替换", false);
  spin(wjsz_nameralsei, kPositionRange, 0);
  spin(wjsz_namerallen, kLengthRange, 1);
  text(wjsz_nameraledt);
  sentences_.push_back({&wjsz_nameralrbt,
                        {{piece(L"把第"), 0}, {&wjsz_nameralsei, kSpinW}, {piece(L"位开始往后的"), 0},
                         {&wjsz_namerallen, kSpinW}, {piece(L"位字符串替换为"), 0}, {&wjsz_nameraledt, kTextW}}});

  radio(wjsz_nameuprrbt, L"替换", false);
  spin(wjsz_nameuprsei, kPositionRange, 0);
  spin(wjsz_nameuprlen, kLengthRange, 1);
  wjsz_nameuprtyp.create(p, {L"大写", L"小写"}, 0);
  sentences_.push_back({&wjsz_nameuprrbt,
                        {{piece(L"把第"), 0}, {&wjsz_nameuprsei, kSpinW}, {piece(L"位开始往后的"), 0},
                         {&wjsz_nameuprlen, kSpinW}, {piece(L"位字符串中的所有字母替换为"), 0},
                         {&wjsz_nameuprtyp, kComboW}}});

  radio(wjsz_nameistrbt, L"插入", false);
  spin(wjsz_nameistsei, kPositionRange, 0);
  text(wjsz_nameistedt);
  sentences_.push_back({&wjsz_nameistrbt,
                        {{piece(L"在第"), 0}, {&wjsz_nameistsei, kSpinW}, {piece(L"位插入字符串"), 0},
                         {&wjsz_nameistedt, kTextW}}});

  radio(wjsz_namenmbrbt, L"插入", false);
  spin(wjsz_namenmbsei, kPositionRange, 0);
  spin(wjsz_namenmbbeg, kNumberBeginRange, 1);
  spin(wjsz_namenmbadd, kNumberStepRange, 1);
  spin(wjsz_namenmblen, kNumberWidthRange, 1);
  sentences_.push_back({&wjsz_namenmbrbt,
                        {{piece(L"在第"), 0}, {&wjsz_namenmbsei, kSpinW}, {piece(L"位插入序号从"), 0},
                         {&wjsz_namenmbbeg, kSpinW + 8}, {piece(L"开始递增量为"), 0}, {&wjsz_namenmbadd, kSpinW},
                         {piece(L"长度为"), 0}, {&wjsz_namenmblen, kSpinW}, {piece(L"位"), 0}}});

  radio(wjsz_nametqbrbt, L"提取", false);
  text(wjsz_nametqbbeg);
  text(wjsz_nametqbend);
  keepDrop(wjsz_nametqbsel);
  sentences_.push_back({&wjsz_nametqbrbt,
                        {{piece(L"把从"), 0}, {&wjsz_nametqbbeg, kTextW}, {piece(L"到"), 0}, {&wjsz_nametqbend, kTextW},
                         {piece(L"之间的字符串"), 0}, {&wjsz_nametqbsel, kComboW}, {piece(L"出来"), 0}}});

  radio(wjsz_nametqarbt, L"提取", false);
  spin(wjsz_nametqasei, kPositionRange, 0);
  spin(wjsz_nametqalen, kLengthRange, 1);
  keepDrop(wjsz_nametqasel);
  sentences_.push_back({&wjsz_nametqarbt,
                        {{piece(L"把第"), 0}, {&wjsz_nametqasei, kSpinW}, {piece(L"位开始往后的"), 0},
                         {&wjsz_nametqalen, kSpinW}, {piece(L"位字符串"), 0}, {&wjsz_nametqasel, kComboW},
                         {piece(L"出来"), 0}}});

  radio(wjsz_nametiqrbt, L"提取", false);
  keepDrop(wjsz_nametiqsel);
  wjsz_nametiqtyp.create(p, {L"数字", L"字母"}, 0);
  sentences_.push_back({&wjsz_nametiqrbt,
                        {{piece(L"从字符串中"), 0}, {&wjsz_nametiqsel, kComboW}, {piece(L"所有"), 0},
                         {&wjsz_nametiqtyp, kComboW}}});
}

void FileInfoPage::layoutNamePanel(int width) {
  int y = 4;
  wjsz_nametypsel.setBounds(4, y + 1, 80, 200);
  wjsz_namehlpedt.setBounds(92, y, std::max(120, width - 92 - 200), kEditH);
  wjsz_nameechchk.setBounds(width - 190, y + 1, 184, 20);
  y += kRowH;
  for (const SentenceRow& row : sentences_) {
    row.radio->setBounds(4, y + 1, 56, 20);
    int x = 64;
    for (const auto& [control, w] : row.items) {
      const bool isLabel = w == 0;
      const int width = isLabel ? control->width() : w;
      // Labels sit on the text line of the edits beside them; combos drop down below.
      control->setBounds(x, isLabel ? y + 3 : y, width, isLabel ? 18 : (dynamic_cast<ComboBox*>(control) ? 200 : kEditH));
      x += width + 4;
    }
    y += kRowH;
  }
  wjsz_namepnl.setBounds(0, 0, width, y + 4);
}

void FileInfoPage::buildTimePanel() {
  HWND p = wjsz_timepnl.handle();
  wjsz_timedatsel.create(p, {L"修改时间", L"创建时间"}, 0);
  wjsz_timedattyp.create(p, {L"固定", L"随机"}, 0);
  wjsz_timedatbeg.create(p, L"", 10);
  wjsz_timetimbeg.create(p, L"", 8);
  wjsz_timedatend.create(p, L"", 10);
  wjsz_timetimend.create(p, L"", 8);
  wjsz_timedatfwa.create(p, L"--", 0, 0, 20, 18, SS_CENTER);
  wjsz_timedatfwb.create(p, L"--", 0, 0, 20, 18, SS_CENTER);
  wjsz_timedatfwa.setColour(kRangeDashColour);
  wjsz_timedatfwb.setColour(kRangeDashColour);
  wjsz_timedattyp.onChange = [this] { wjsz_timedattypChange(); };
}

void FileInfoPage::layoutTimePanel() {
  const int y = 8;
  wjsz_timedatsel.setBounds(4, y + 1, 90, 200);
  wjsz_timedattyp.setBounds(100, y + 1, 70, 200);
  wjsz_timedatbeg.setBounds(184, y, 90, kEditH);
  wjsz_timedatfwa.setBounds(276, y + 3, 20, 18);
  wjsz_timedatend.setBounds(298, y, 90, kEditH);
  wjsz_timetimbeg.setBounds(184, y + kRowH, 90, kEditH);
  wjsz_timedatfwb.setBounds(276, y + kRowH + 3, 20, 18);
  wjsz_timetimend.setBounds(298, y + kRowH, 90, kEditH);
  wjsz_timepnl.setBounds(0, 0, 400, y + 2 * kRowH + 4);
}

void FileInfoPage::buildAttrPanel() {
  HWND p = wjsz_attrpnl.handle();
  wjsz_attrsavechk.create(p, L"存档(A)");
  wjsz_attrreadchk.create(p, L"只读(R)");
  wjsz_attrhidechk.create(p, L"隐藏(H)");
  wjsz_attrsystchk.create(p, L"系统(S)");
}

void FileInfoPage::layoutAttrPanel() {
  int x = 4;
  for (CheckBox* c : {&wjsz_attrsavechk, &wjsz_attrreadchk, &wjsz_attrhidechk, &wjsz_attrsystchk}) {
    c->setBounds(x, 10, 90, 20);
    x += 100;
  }
  wjsz_attrpnl.setBounds(0, 0, x, 40);
}

void FileInfoPage::wjsz_timedattypChange() {
  const bool random = wjsz_timedattyp.index() == 1;
  for (Control* c : std::initializer_list<Control*>{&wjsz_timedatfwa, &wjsz_timedatfwb, &wjsz_timedatend,
                                                     &wjsz_timetimend})
    c->setVisible(random);
}

void FileInfoPage::wjsz_resetClick() {
  if (wjsz_runstate != 0) return;
  FileInfoSettings defaults;
  const LocalTime now = Now();
  defaults.beginDate = defaults.endDate = DateText(now);
  defaults.beginTime = defaults.endTime = TimeText(now);
  WriteSettings(defaults);
  wjsz_namehlpedt.setText(L"");
}

FileInfoSettings FileInfoPage::ReadSettings() const {
  FileInfoSettings s;
  s.object = static_cast<FileInfoObject>(std::max(0, wjsz_mnobj.index()));
  s.extensionPart = wjsz_nametypsel.index() == 1;
  s.duplicateCheck = wjsz_nameechchk.checked();
  const int ticked = wjsz_namerules.index();
  s.rule = ticked < 0 ? NameRule::None : kRules[ticked];
  s.replaceFrom = wjsz_namerepbeg.text(), s.replaceTo = wjsz_namerepend.text();
  s.overwritePos = wjsz_nameralsei.value(), s.overwriteLen = wjsz_namerallen.value();
  s.overwriteText = wjsz_nameraledt.text();
  s.casePos = wjsz_nameuprsei.value(), s.caseLen = wjsz_nameuprlen.value();
  s.lowerCase = wjsz_nameuprtyp.index() == 1;
  s.insertPos = wjsz_nameistsei.value(), s.insertText = wjsz_nameistedt.text();
  s.numberPos = wjsz_namenmbsei.value(), s.numberBegin = wjsz_namenmbbeg.value();
  s.numberStep = wjsz_namenmbadd.value(), s.numberWidth = wjsz_namenmblen.value();
  s.markerBegin = wjsz_nametqbbeg.text(), s.markerEnd = wjsz_nametqbend.text();
  s.markerDrop = wjsz_nametqbsel.index() == 1;
  s.rangePos = wjsz_nametqasei.value(), s.rangeLen = wjsz_nametqalen.value();
  s.rangeDrop = wjsz_nametqasel.index() == 1;
  s.classDrop = wjsz_nametiqsel.index() == 1;
  s.classLetters = wjsz_nametiqtyp.index() == 1;
  s.creationTime = wjsz_timedatsel.index() == 1;
  s.randomTime = wjsz_timedattyp.index() == 1;
  s.beginDate = wjsz_timedatbeg.text(), s.beginTime = wjsz_timetimbeg.text();
  s.endDate = wjsz_timedatend.text(), s.endTime = wjsz_timetimend.text();
  s.attributes = (wjsz_attrsavechk.checked() ? FILE_ATTRIBUTE_ARCHIVE : 0) |
                 (wjsz_attrreadchk.checked() ? FILE_ATTRIBUTE_READONLY : 0) |
                 (wjsz_attrhidechk.checked() ? FILE_ATTRIBUTE_HIDDEN : 0) |
                 (wjsz_attrsystchk.checked() ? FILE_ATTRIBUTE_SYSTEM : 0);
  return s;
}

void FileInfoPage::WriteSettings(const FileInfoSettings& s) {
  wjsz_nametypsel.setIndex(s.extensionPart ? 1 : 0);
  wjsz_nameechchk.setChecked(s.duplicateCheck);
  const auto ticked = std::find(std::begin(kRules), std::end(kRules), s.rule);
  wjsz_namerules.select(ticked == std::end(kRules) ? -1 : static_cast<int>(ticked - std::begin(kRules)));
  wjsz_namerepbeg.setText(s.replaceFrom), wjsz_namerepend.setText(s.replaceTo);
  wjsz_nameralsei.setValue(s.overwritePos), wjsz_namerallen.setValue(s.overwriteLen);
  wjsz_nameraledt.setText(s.overwriteText);
  wjsz_nameuprsei.setValue(s.casePos), wjsz_nameuprlen.setValue(s.caseLen);
  wjsz_nameuprtyp.setIndex(s.lowerCase ? 1 : 0);
  wjsz_nameistsei.setValue(s.insertPos), wjsz_nameistedt.setText(s.insertText);
  wjsz_namenmbsei.setValue(s.numberPos), wjsz_namenmbbeg.setValue(s.numberBegin);
  wjsz_namenmbadd.setValue(s.numberStep), wjsz_namenmblen.setValue(s.numberWidth);
  wjsz_nametqbbeg.setText(s.markerBegin), wjsz_nametqbend.setText(s.markerEnd);
  wjsz_nametqbsel.setIndex(s.markerDrop ? 1 : 0);
  wjsz_nametqasei.setValue(s.rangePos), wjsz_nametqalen.setValue(s.rangeLen);
  wjsz_nametqasel.setIndex(s.rangeDrop ? 1 : 0);
  wjsz_nametiqsel.setIndex(s.classDrop ? 1 : 0);
  wjsz_nametiqtyp.setIndex(s.classLetters ? 1 : 0);
  wjsz_timedatsel.setIndex(s.creationTime ? 1 : 0);
  wjsz_timedattyp.setIndex(s.randomTime ? 1 : 0);
  wjsz_timedatbeg.setText(s.beginDate), wjsz_timetimbeg.setText(s.beginTime);
  wjsz_timedatend.setText(s.endDate), wjsz_timetimend.setText(s.endTime);
  wjsz_timedattypChange();
  wjsz_attrsavechk.setChecked(s.attributes & FILE_ATTRIBUTE_ARCHIVE);
  wjsz_attrreadchk.setChecked(s.attributes & FILE_ATTRIBUTE_READONLY);
  wjsz_attrhidechk.setChecked(s.attributes & FILE_ATTRIBUTE_HIDDEN);
  wjsz_attrsystchk.setChecked(s.attributes & FILE_ATTRIBUTE_SYSTEM);
}

void FileInfoPage::wjsz_namehlpedtMouseUp() {
  int start = 0, length = 0;
  wjsz_namehlpedt.selection(start, length);
  FileInfoSettings s = ReadSettings();
  PickFromPreview(wjsz_namehlpedt.text(), start, length, s);
  WriteSettings(s);
}

}  // namespace wv
