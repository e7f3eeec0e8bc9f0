#include "pages/tools/music_page.h"

#include <utility>

#include "app/main_window.h"
#include "pages/tools/file_info_page.h"
#include "core/utilities.h"
#include "platform/platform.h"

namespace wv {
namespace {

ListRow MusicListRow(const MusicRow& row) {
  ListRow out;
  out.caption = row.newName;
  for (int c = 1; c < kMusicColumns; ++c) out.sub.push_back(MusicColumnText(row, c));
  out.image = row.image;
  return out;
}

// The music page keeps its own status text and gauge; the stop test is the run protocol's.
class MusicRun : public RunContext {
 public:
  MusicRun(RunControl& run, Label& status, Gauge& gauge) : run_(run), status_(status), gauge_(gauge) {}
  bool proceed() override { return run_.proceed(); }
  void status(std::wstring_view text) override { status_.setCaption(text); }
  void progressStart(std::uint32_t maximum) override {
    gauge_.setMaximum(maximum);
    gauge_.setPosition(0);
  }
  void progressStep() override { gauge_.step(); }
  void rowAdded() override { run_.rowAdded(); }

 private:
  RunControl& run_;
  Label& status_;
  Gauge& gauge_;
};

}  // namespace

MusicPage::MusicPage(MainWindow& form)
    : SimulationPage(form, {.module = Module::Music,
                          .description = L"批量整理音乐文件的名称：先模拟，确认无误后再正式执行。可将音乐文件拖放到此页。",
                          .importCaption = L"音乐选择",
                          .dialogTitle = L"请选择您要设置的音乐文件...",
                          .filterName = L"*.mp3;*.wma",
                          .filterPattern = L"*.mp3;*.wma",
                          .followShortcuts = true,
                          .expandFolders = true},
                     {L"音乐设置", L"您确定对当前所有的音乐信息进行正式设置吗？"}, MusicListRow) {}

void MusicPage::build() {
  HWND h = handle();
  createChooseFilesButton();
  settingsArea.create(h);
  HWND p = settingsArea.content.handle();
  tagNameRule.create(p, L"由标签中的", true);
  removeBlanksRule.create(p, L"清除字符串中的所有空格", false);
  nameRules.add(tagNameRule);
  nameRules.add(removeBlanksRule);
  nameRules.select(0);
  const std::vector<std::wstring> tags{L"标题", L"艺术家", L"专辑", L"年代"};
  std::vector<std::wstring> optional = tags;
  optional.push_back(L"");
  firstTag.create(p, tags, 0);
  secondTag.create(p, optional, 4);
  thirdTag.create(p, optional, 4);
  tagSeparator.create(p, L"", kSeparatorLimit);
  for (std::wstring_view caption : {L"+", L"+", L"组成，并用", L"间隔"}) {
    pieces_.push_back(std::make_unique<Label>());
    pieces_.back()->create(p, caption);
  }
  duplicateCheckBox.create(p, L"在模拟时进行重名检查");
  duplicateCheckBox.setChecked(true);
  settingsArea.onClick = [this](int, int) { settingsArea.focus(); };
  settingsArea.content.onClick = [this](int, int) { settingsArea.focus(); };

  informationLabel.create(h, L"信息:");
  informationLine.create(h, L"");
  progressGauge.create(h);
  progressGauge.setVisible(true);  // unlike the status bar's, this gauge stays in view when idle
  createActionBar({L"名称", L"标签"});
  resetSimulationButton.onClick = [this] { onResetSimulationClicked(); };

  createList({{L"新文件名！", 200},
              {L"原文件名", 200},
              {L"标题", 180},
              {L"艺术家", 180},
              {L"专缉", 180},
              {L"年代", 100},
              {L"备注", 200},
              {L"路径", 500}});
  fileList.onEdited = [this](int index, std::wstring& text) {
    onNameEdited(index, text);
    return false;
  };
  fileList.onDragDrop = [this](int target) { onRowDropped(target); };
}

void MusicPage::layout(int width, int height) {
  const int right = width - kMargin;
  chooseFilesButton.setBounds(right - kButtonW, kTop, kButtonW, kButtonH);
  const int setY = kTop + kButtonH + 8;
  constexpr int kSetH = 2 * ScrollBox::kLine + 12;
  settingsArea.setBounds(kMargin, setY, right - kMargin, kSetH);
  int x = 4;
  const int y = 6;
  tagNameRule.setBounds(x, y + 1, 96, 20);
  x += 100;
  Control* sentence[] = {&firstTag, pieces_[0].get(), &secondTag, pieces_[1].get(), &thirdTag,
                         pieces_[2].get(), &tagSeparator, pieces_[3].get()};
  const int widths[] = {72, 12, 72, 12, 72, 74, 60, 32};
  for (std::size_t i = 0; i < std::size(sentence); ++i) {
    const bool label = i % 2 == 1 || i == 7;
    sentence[i]->setBounds(x, label ? y + 3 : y, widths[i], label ? 18 : (i == 6 ? kEditH : 200));
    x += widths[i] + 4;
  }
  removeBlanksRule.setBounds(4, y + ScrollBox::kLine + 1, 220, 20);
  duplicateCheckBox.setBounds(240, y + ScrollBox::kLine + 1, 190, 20);
  settingsArea.setContentHeight(kSetH);

  const int barY = setY + kSetH + 8;
  layoutActionBarAndList(barY, width, height);
  // The information line shares the top row with the music button: between the
  // action bar's buttons there is no room for "名称模拟信息重置完成！" and a gauge.
  const int gaugeX = right - kButtonW - kGap - 142;
  informationLabel.setBounds(kMargin, kTop + 5, 34, 18);
  informationLine.setBounds(kMargin + 34, kTop + 5, gaugeX - kGap - kMargin - 34, 18);
  progressGauge.setBounds(gaugeX, kTop + 6, 142, 16);
}

void MusicPage::fitColumns() { FitListColumn(fileList, 7); }

void MusicPage::initialise() {
  FileToolPage::initialise();
  fileList.setImageList(Sh().smallIconList());
}

std::wstring MusicPage::runEngine(RunControl& run) {
  MusicRun context(run, informationLine, progressGauge);
  MusicTask task;
  task.op = static_cast<MusicOp>(runState);
  task.ask = AskWithMsgBox;
  if (task.op == MusicOp::Import) {
    task.files = std::exchange(pendingFiles, {});
    task.imageOf = GetSysIconIndex;
  } else if (task.op == MusicOp::Simulate) {
    task.settings = readSettings();
  } else if (task.op == MusicOp::Execute) {
    task.placement = static_cast<FilePlacement>(std::max(0, placementChoice.index()));
    task.targetDir = targetFolder;
  } else if (task.op == MusicOp::Refresh && std::exchange(tagsOnly_, false)) {
    task.op = MusicOp::ReadTags;
  }
  (void)RunMusicTask(task, context, entries);
  progressGauge.setPosition(0);
  return L"";  // the page's own information line tells the result
}

MusicSettings MusicPage::readSettings() const {
  MusicSettings s;
  s.rule = removeBlanksRule.checked() ? MusicNameRule::RemoveBlanks : MusicNameRule::Tags;
  // The four tags in the choices' order; the second and third choice end with an empty item.
  const auto tagAt = [](int index) -> std::optional<MusicTag> {
    if (index < 0 || index > static_cast<int>(MusicTag::Year)) return std::nullopt;
    return static_cast<MusicTag>(index);
  };
  s.parts = {tagAt(firstTag.index()), tagAt(secondTag.index()), tagAt(thirdTag.index())};
  s.separator = tagSeparator.text();
  s.duplicateCheck = duplicateCheckBox.checked();
  return s;
}

void MusicPage::onResetSimulationClicked() {
  if (runState != 0) return;
  if (objectChoice.index() == 1) {
    // The tags are what the files hold: their reset reads them again, as a refresh that keeps the names.
    tagsOnly_ = true;
    runState = 4;
    runOperation();
    return;
  }
  ResetMusicNames(entries);
  showInformation(L"名称模拟信息重置完成！");
}

void MusicPage::onNameEdited(int index, const std::wstring& text) {
  if (index < 0) return;
  const std::wstring refusal = ApplyTypedMusicName(entries, static_cast<std::size_t>(index), text);
  if (!refusal.empty()) (void)MsgBox(MsgIcon::Warning, MsgButtons::Ok, L"改名失败", refusal);
}

void MusicPage::onRowDropped(int target) {
  if (runState != 0) return;
  const int place = MoveMusicRow(entries, fileList.selected(), target);
  if (place >= 0) fileList.select(place);
}

}  // namespace wv
