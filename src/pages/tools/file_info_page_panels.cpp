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
  pieces_.back()->create(namePanel.handle(), caption, 0, 0, CaptionWidth(caption), 18);
  return pieces_.back().get();
}

void FileInfoPage::buildNamePanel() {
  HWND p = namePanel.handle();
  namePartChoice.create(p, {L"文件名", L"扩展名"}, 0);
  namePreview.create(p);
  namePreview.setReadOnly(true);
  duplicateCheckBox.create(p, L"在模拟时进行重名检查");
  namePartChoice.onChange = [this] { showNamePreview(); };
  namePreview.onSelectionDone = [this] { onPreviewSelectionDone(); };

  const auto radio = [&](RadioButton& b, std::wstring_view caption, bool first) {
    b.create(p, caption, first);
    nameRules.add(b);
  };
  const auto text = [&](Edit& e) { e.create(p, L"", kRuleTextLimit); };
  const auto spin = [&](SpinEdit& s, SpinRange range, int value) { s.create(p, range.minimum, range.maximum, value); };
  const auto keepDrop = [&](ComboBox& c) { c.create(p, {L"提取", L"排除"}, 0); };

  radio(replaceRule, L"替换", true);
  text(replaceFrom);
  text(replaceTo);
  sentences_.push_back({&replaceRule,
                        {{piece(L"把字符串"), 0}, {&replaceFrom, kTextW}, {piece(L"替换为"), 0},
                         {&replaceTo, kTextW}}});

  radio(overwriteRule, L"替换", false);
  spin(overwritePosition, kPositionRange, 0);
  spin(overwriteLength, kLengthRange, 1);
  text(overwriteText);
  sentences_.push_back({&overwriteRule,
                        {{piece(L"把第"), 0}, {&overwritePosition, kSpinW}, {piece(L"位开始往后的"), 0},
                         {&overwriteLength, kSpinW}, {piece(L"位字符串替换为"), 0}, {&overwriteText, kTextW}}});

  radio(changeCaseRule, L"替换", false);
  spin(casePosition, kPositionRange, 0);
  spin(caseLength, kLengthRange, 1);
  caseChoice.create(p, {L"大写", L"小写"}, 0);
  sentences_.push_back({&changeCaseRule,
                        {{piece(L"把第"), 0}, {&casePosition, kSpinW}, {piece(L"位开始往后的"), 0},
                         {&caseLength, kSpinW}, {piece(L"位字符串中的所有字母替换为"), 0},
                         {&caseChoice, kComboW}}});

  radio(insertTextRule, L"插入", false);
  spin(insertPosition, kPositionRange, 0);
  text(insertText);
  sentences_.push_back({&insertTextRule,
                        {{piece(L"在第"), 0}, {&insertPosition, kSpinW}, {piece(L"位插入字符串"), 0},
                         {&insertText, kTextW}}});

  radio(insertNumberRule, L"插入", false);
  spin(numberPosition, kPositionRange, 0);
  spin(numberBegin, kNumberBeginRange, 1);
  spin(numberStep, kNumberStepRange, 1);
  spin(numberWidth, kNumberWidthRange, 1);
  sentences_.push_back({&insertNumberRule,
                        {{piece(L"在第"), 0}, {&numberPosition, kSpinW}, {piece(L"位插入序号从"), 0},
                         {&numberBegin, kSpinW + 8}, {piece(L"开始递增量为"), 0}, {&numberStep, kSpinW},
                         {piece(L"长度为"), 0}, {&numberWidth, kSpinW}, {piece(L"位"), 0}}});

  radio(markersRule, L"提取", false);
  text(markerBegin);
  text(markerEnd);
  keepDrop(markerKeepOrDrop);
  sentences_.push_back({&markersRule,
                        {{piece(L"把从"), 0}, {&markerBegin, kTextW}, {piece(L"到"), 0}, {&markerEnd, kTextW},
                         {piece(L"之间的字符串"), 0}, {&markerKeepOrDrop, kComboW}, {piece(L"出来"), 0}}});

  radio(rangeRule, L"提取", false);
  spin(rangePosition, kPositionRange, 0);
  spin(rangeLength, kLengthRange, 1);
  keepDrop(rangeKeepOrDrop);
  sentences_.push_back({&rangeRule,
                        {{piece(L"把第"), 0}, {&rangePosition, kSpinW}, {piece(L"位开始往后的"), 0},
                         {&rangeLength, kSpinW}, {piece(L"位字符串"), 0}, {&rangeKeepOrDrop, kComboW},
                         {piece(L"出来"), 0}}});

  radio(charClassRule, L"提取", false);
  keepDrop(charClassKeepOrDrop);
  charClassChoice.create(p, {L"数字", L"字母"}, 0);
  sentences_.push_back({&charClassRule,
                        {{piece(L"从字符串中"), 0}, {&charClassKeepOrDrop, kComboW}, {piece(L"所有"), 0},
                         {&charClassChoice, kComboW}}});
}

void FileInfoPage::layoutNamePanel(int width) {
  int y = 4;
  namePartChoice.setBounds(4, y + 1, 80, 200);
  namePreview.setBounds(92, y, std::max(120, width - 92 - 200), kEditH);
  duplicateCheckBox.setBounds(width - 190, y + 1, 184, 20);
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
  namePanel.setBounds(0, 0, width, y + 4);
}

void FileInfoPage::buildTimePanel() {
  HWND p = timePanel.handle();
  whichTimeChoice.create(p, {L"修改时间", L"创建时间"}, 0);
  timeKindChoice.create(p, {L"固定", L"随机"}, 0);
  beginDateEdit.create(p, L"", 10);
  beginTimeEdit.create(p, L"", 8);
  endDateEdit.create(p, L"", 10);
  endTimeEdit.create(p, L"", 8);
  dateDash.create(p, L"--", 0, 0, 20, 18, SS_CENTER);
  timeDash.create(p, L"--", 0, 0, 20, 18, SS_CENTER);
  dateDash.setColour(kRangeDashColour);
  timeDash.setColour(kRangeDashColour);
  timeKindChoice.onChange = [this] { onTimeKindChanged(); };
}

void FileInfoPage::layoutTimePanel() {
  const int y = 8;
  whichTimeChoice.setBounds(4, y + 1, 90, 200);
  timeKindChoice.setBounds(100, y + 1, 70, 200);
  beginDateEdit.setBounds(184, y, 90, kEditH);
  dateDash.setBounds(276, y + 3, 20, 18);
  endDateEdit.setBounds(298, y, 90, kEditH);
  beginTimeEdit.setBounds(184, y + kRowH, 90, kEditH);
  timeDash.setBounds(276, y + kRowH + 3, 20, 18);
  endTimeEdit.setBounds(298, y + kRowH, 90, kEditH);
  timePanel.setBounds(0, 0, 400, y + 2 * kRowH + 4);
}

void FileInfoPage::buildAttributePanel() {
  HWND p = attributePanel.handle();
  archiveBox.create(p, L"存档(A)");
  readOnlyBox.create(p, L"只读(R)");
  hiddenBox.create(p, L"隐藏(H)");
  systemBox.create(p, L"系统(S)");
}

void FileInfoPage::layoutAttributePanel() {
  int x = 4;
  for (CheckBox* c : {&archiveBox, &readOnlyBox, &hiddenBox, &systemBox}) {
    c->setBounds(x, 10, 90, 20);
    x += 100;
  }
  attributePanel.setBounds(0, 0, x, 40);
}

void FileInfoPage::onTimeKindChanged() {
  const bool random = timeKindChoice.index() == 1;
  for (Control* c : std::initializer_list<Control*>{&dateDash, &timeDash, &endDateEdit, &endTimeEdit})
    c->setVisible(random);
}

void FileInfoPage::onResetSettingsClicked() {
  if (runState != 0) return;
  FileInfoSettings defaults;
  const LocalTime now = Now();
  defaults.beginDate = defaults.endDate = DateText(now);
  defaults.beginTime = defaults.endTime = TimeText(now);
  writeSettings(defaults);
  namePreview.setText(L"");
}

FileInfoSettings FileInfoPage::readSettings() const {
  FileInfoSettings s;
  s.object = static_cast<FileInfoObject>(std::max(0, objectChoice.index()));
  s.extensionPart = namePartChoice.index() == 1;
  s.duplicateCheck = duplicateCheckBox.checked();
  const int ticked = nameRules.index();
  s.rule = ticked < 0 ? NameRule::None : kRules[ticked];
  s.replaceFrom = replaceFrom.text(), s.replaceTo = replaceTo.text();
  s.overwritePos = overwritePosition.value(), s.overwriteLen = overwriteLength.value();
  s.overwriteText = overwriteText.text();
  s.casePos = casePosition.value(), s.caseLen = caseLength.value();
  s.lowerCase = caseChoice.index() == 1;
  s.insertPos = insertPosition.value(), s.insertText = insertText.text();
  s.numberPos = numberPosition.value(), s.numberBegin = numberBegin.value();
  s.numberStep = numberStep.value(), s.numberWidth = numberWidth.value();
  s.markerBegin = markerBegin.text(), s.markerEnd = markerEnd.text();
  s.markerDrop = markerKeepOrDrop.index() == 1;
  s.rangePos = rangePosition.value(), s.rangeLen = rangeLength.value();
  s.rangeDrop = rangeKeepOrDrop.index() == 1;
  s.classDrop = charClassKeepOrDrop.index() == 1;
  s.classLetters = charClassChoice.index() == 1;
  s.creationTime = whichTimeChoice.index() == 1;
  s.randomTime = timeKindChoice.index() == 1;
  s.beginDate = beginDateEdit.text(), s.beginTime = beginTimeEdit.text();
  s.endDate = endDateEdit.text(), s.endTime = endTimeEdit.text();
  s.attributes = (archiveBox.checked() ? FILE_ATTRIBUTE_ARCHIVE : 0) |
                 (readOnlyBox.checked() ? FILE_ATTRIBUTE_READONLY : 0) |
                 (hiddenBox.checked() ? FILE_ATTRIBUTE_HIDDEN : 0) |
                 (systemBox.checked() ? FILE_ATTRIBUTE_SYSTEM : 0);
  return s;
}

void FileInfoPage::writeSettings(const FileInfoSettings& s) {
  namePartChoice.setIndex(s.extensionPart ? 1 : 0);
  duplicateCheckBox.setChecked(s.duplicateCheck);
  const auto ticked = std::find(std::begin(kRules), std::end(kRules), s.rule);
  nameRules.select(ticked == std::end(kRules) ? -1 : static_cast<int>(ticked - std::begin(kRules)));
  replaceFrom.setText(s.replaceFrom), replaceTo.setText(s.replaceTo);
  overwritePosition.setValue(s.overwritePos), overwriteLength.setValue(s.overwriteLen);
  overwriteText.setText(s.overwriteText);
  casePosition.setValue(s.casePos), caseLength.setValue(s.caseLen);
  caseChoice.setIndex(s.lowerCase ? 1 : 0);
  insertPosition.setValue(s.insertPos), insertText.setText(s.insertText);
  numberPosition.setValue(s.numberPos), numberBegin.setValue(s.numberBegin);
  numberStep.setValue(s.numberStep), numberWidth.setValue(s.numberWidth);
  markerBegin.setText(s.markerBegin), markerEnd.setText(s.markerEnd);
  markerKeepOrDrop.setIndex(s.markerDrop ? 1 : 0);
  rangePosition.setValue(s.rangePos), rangeLength.setValue(s.rangeLen);
  rangeKeepOrDrop.setIndex(s.rangeDrop ? 1 : 0);
  charClassKeepOrDrop.setIndex(s.classDrop ? 1 : 0);
  charClassChoice.setIndex(s.classLetters ? 1 : 0);
  whichTimeChoice.setIndex(s.creationTime ? 1 : 0);
  timeKindChoice.setIndex(s.randomTime ? 1 : 0);
  beginDateEdit.setText(s.beginDate), beginTimeEdit.setText(s.beginTime);
  endDateEdit.setText(s.endDate), endTimeEdit.setText(s.endTime);
  onTimeKindChanged();
  archiveBox.setChecked(s.attributes & FILE_ATTRIBUTE_ARCHIVE);
  readOnlyBox.setChecked(s.attributes & FILE_ATTRIBUTE_READONLY);
  hiddenBox.setChecked(s.attributes & FILE_ATTRIBUTE_HIDDEN);
  systemBox.setChecked(s.attributes & FILE_ATTRIBUTE_SYSTEM);
}

void FileInfoPage::onPreviewSelectionDone() {
  int start = 0, length = 0;
  namePreview.selection(start, length);
  FileInfoSettings s = readSettings();
  PickFromPreview(namePreview.text(), start, length, s);
  writeSettings(s);
}

}  // namespace wv
