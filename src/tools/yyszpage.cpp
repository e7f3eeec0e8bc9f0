#include "tools/yyszpage.h"

#include "tools/wjszline.h"

#include "app/mainform.h"
#include "core/publline.h"
#include "platform/platform.h"

namespace wv {
namespace {

ListRow Shown(const MusicRow& row) {
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

YyszPage::YyszPage(Tfrmmain& form)
    : FileToolPage(form, {.key = L"yysz",
                          .title = L"音乐信息设置",
                          .description = L"批量整理音乐文件的名称：先模拟，确认无误后再正式执行。可将音乐文件拖放到此页。",
                          .importCaption = L"音乐选择",
                          .dialogTitle = L"请选择您要设置的音乐文件...",
                          .filterName = L"*.mp3;*.wma",
                          .filterPattern = L"*.mp3;*.wma",
                          .followShortcuts = true,
                          .expandFolders = true}),
      yysz_mnchgRun(form, yysz_mnchg, L"模拟", yysz_runstate),
      yysz_zschgRun(form, yysz_zschg, L"正式执行", yysz_runstate) {}

void YyszPage::build() {
  HWND h = handle();
  createFileButton();
  yysz_setscl.create(h);
  HWND p = yysz_setpnl.handle();
  FlatRadioButton2.create(p, L"由标签中的", true);
  FlatRadioButton1.create(p, L"清除字符串中的所有空格", false);
  yysz_rules.add(FlatRadioButton2);
  yysz_rules.add(FlatRadioButton1);
  yysz_rules.select(0);
  const std::vector<std::wstring> tags{L"标题", L"艺术家", L"专辑", L"年代"};
  std::vector<std::wstring> optional = tags;
  optional.push_back(L"");
  FlatComboBox1.create(p, tags, 0);
  FlatComboBox2.create(p, optional, 4);
  FlatComboBox3.create(p, optional, 4);
  FlatEdit2.create(p, L"", 20);
  for (std::wstring_view caption : {L"+", L"+", L"组成，并用", L"间隔"}) {
    pieces_.push_back(std::make_unique<Label>());
    pieces_.back()->create(p, caption);
  }
  yysz_nameechchk.create(p, L"在模拟时进行重名检查");
  yysz_nameechchk.setChecked(true);
  yysz_setscl.onClick = [this](int, int) { yysz_setscl.focus(); };
  yysz_setpnl.onClick = [this](int, int) { yysz_setscl.focus(); };

  Label11.create(h, L"信息:");
  yysz_ss.create(h, L"");
  yysz_szjd.create(h);
  yysz_mnobj.create(h, {L"名称", L"标签"}, 0);
  yysz_mnchg.create(h, L"模拟");
  yysz_mnret.create(h, L"重置");
  yysz_zspth.create(h, {L"目录保持不变", L"目录更改剪切", L"目录更改复制"}, 0);
  yysz_zschg.create(h, L"正式执行");
  for (Button* b : {&yysz_mnchg, &yysz_mnret, &yysz_zschg}) b->setEnabled(false);
  yysz_mnchg.onClick = [this] { yysz_mnchgClick(); };
  yysz_mnret.onClick = [this] { yysz_mnretClick(); };
  yysz_zschg.onClick = [this] { yysz_zschgClick(); };

  yysz_showlist.create(h, ListStyle{.multiSelect = true, .editLabels = true},
                       {{L"新文件名！", 200},
                        {L"原文件名", 200},
                        {L"标题", 180},
                        {L"艺术家", 180},
                        {L"专缉", 180},
                        {L"年代", 100},
                        {L"备注", 200},
                        {L"路径", 500}},
                       yysz_rows);
  yysz_files.setObserver([this](MusicRows::Change change, std::size_t index) { followRows(change, index); });
  yysz_fileselRun.setFollow(&yysz_showlist);
  yysz_showlist.onEditing = [this](int) { return yysz_showlistEditing(); };
  yysz_showlist.onEdited = [this](int index, std::wstring& text) {
    yysz_showlistEdited(index, text);
    return false;
  };
  yysz_showlist.onColumnClick = [this](int column) { yysz_showlistColumnClick(column); };
  yysz_showlist.onDragOver = [this] { return yysz_runstate == 0; };
  yysz_showlist.onDragDrop = [this](int target) { yysz_showlistDragDrop(target); };
  yysz_showlist.onContextMenu = [this](POINT at) { yysz_menu.popup(handle(), at); };
  yysz_menuchange = yysz_menu.add(L"修改", [this] { yysz_menuchangeClick(); });
  yysz_menudelsel = yysz_menu.add(L"排除选中", [this] { yysz_menudelselClick(); });
  yysz_menudelunsel = yysz_menu.add(L"排除未选", [this] { yysz_menudelunselClick(); });
  yysz_menudelall = yysz_menu.add(L"清空", [this] { yysz_menudelallClick(); });
  yysz_menurefresh = yysz_menu.add(L"刷新", [this] { yysz_menurefreshClick(); });
  yysz_menu.onPopup = [this] { yysz_menuPopup(); };
}

void YyszPage::layout(int width, int height) {
  const int right = width - kMargin;
  yysz_filesel.setBounds(right - kButtonW, kTop, kButtonW, kButtonH);
  const int setY = kTop + kButtonH + 8;
  constexpr int kSetH = 2 * ScrollBox::kLine + 12;
  yysz_setscl.setBounds(kMargin, setY, right - kMargin, kSetH);
  int x = 4;
  const int y = 6;
  FlatRadioButton2.setBounds(x, y + 1, 96, 20);
  x += 100;
  Control* sentence[] = {&FlatComboBox1, pieces_[0].get(), &FlatComboBox2, pieces_[1].get(), &FlatComboBox3,
                         pieces_[2].get(), &FlatEdit2, pieces_[3].get()};
  const int widths[] = {72, 12, 72, 12, 72, 74, 60, 32};
  for (std::size_t i = 0; i < std::size(sentence); ++i) {
    const bool label = i % 2 == 1 || i == 7;
    sentence[i]->setBounds(x, label ? y + 3 : y, widths[i], label ? 18 : (i == 6 ? kEditH : 200));
    x += widths[i] + 4;
  }
  FlatRadioButton1.setBounds(4, y + ScrollBox::kLine + 1, 220, 20);
  yysz_nameechchk.setBounds(240, y + ScrollBox::kLine + 1, 190, 20);
  yysz_setscl.setContentHeight(kSetH);

  const int barY = setY + kSetH + 8;
  yysz_mnobj.setBounds(kMargin, barY + 3, 90, 200);
  yysz_mnchg.setBounds(kMargin + 98, barY, 80, kButtonH);
  yysz_mnret.setBounds(kMargin + 186, barY, 80, kButtonH);
  Label11.setBounds(kMargin + 280, barY + 6, 34, 18);
  yysz_ss.setBounds(kMargin + 314, barY + 6, 200, 18);
  yysz_szjd.setBounds(kMargin + 520, barY + 7, 142, 16);
  yysz_zschg.setBounds(right - kButtonW, barY, kButtonW, kButtonH);
  yysz_zspth.setBounds(right - kButtonW - kGap - 120, barY + 3, 120, 200);
  const int listY = barY + kButtonH + 8;
  yysz_showlist.setBounds(kMargin + 1, listY + 1, right - kMargin - 2, height - listY - kMargin - 2);
}

void YyszPage::fitColumns() { FitListColumn(yysz_showlist, 7); }

void YyszPage::initialise() {
  FileToolPage::initialise();
  yysz_showlist.setImageList(Sh().smallIconList());
}

void YyszPage::stopRuns() { PressRunning({&yysz_filesel}); }

void YyszPage::followRows(MusicRows::Change change, std::size_t index) {
  FollowRows(yysz_files, yysz_rows, change, index, Shown);
  if (change != MusicRows::Change::Updated) UpdateMusicCount();
}

void YyszPage::UpdateMusicCount() { yysz_showlist.setColumnCaption(1, FileInfoCountCaption(yysz_files.size())); }

void YyszPage::RunMusicTask() {
  RunControl* run = &yysz_fileselRun;
  if (yysz_runstate == 2) run = &yysz_mnchgRun;
  if (yysz_runstate == 3) run = &yysz_zschgRun;
  if (yysz_runstate == 1) run->start(1, {&yysz_mnchg, &yysz_mnret, &yysz_zschg});
  MusicRun context(*run, yysz_ss, yysz_szjd);
  (void)wv::RunMusicTask(static_cast<MusicOp>(yysz_runstate), yysz_filelist, context, yysz_files);
  yysz_szjd.setPosition(0);
  run->finish(L"");
  yysz_showlist.flush();
  UpdateMusicCount();
  for (Control* c : std::initializer_list<Control*>{&yysz_filesel, &yysz_setscl, &yysz_zspth, &yysz_mnobj})
    c->setEnabled(true);
  yysz_filesel.setCaption(L"音乐选择");
  yysz_mnchg.setCaption(L"模拟");
  yysz_zschg.setCaption(L"正式执行");
  for (Button* b : {&yysz_mnchg, &yysz_mnret, &yysz_zschg}) b->setEnabled(!yysz_files.empty());
  yysz_runstate = 0;
}

void YyszPage::yysz_mnchgClick() {
  if (!yysz_mnchgRun.canStart()) return yysz_mnchgRun.requestStop();
  yysz_mnchgRun.markStarted(2);
  RunMusicTask();
}

void YyszPage::yysz_zschgClick() {
  if (!yysz_zschgRun.canStart()) return yysz_zschgRun.requestStop();
  if (!Confirmed(MsgBox(MsgIcon::Question, MsgButtons::OkCancel, L"音乐设置", L"您确定对当前所有的音乐信息进行正式设置吗？")))
    return;
  yysz_targetdir.clear();
  if (yysz_zspth.index() != 0) {
    std::wstring folder;
    if (!ChooseFolder(L"请选择一个您要保存的目录...", L"", folder)) return;
    yysz_targetdir = IncludeTrailingBackslash(folder);
  }
  yysz_zschgRun.markStarted(3);
  RunMusicTask();
}

void YyszPage::yysz_menurefreshClick() {
  if (yysz_runstate != 0) return;
  if (!Confirmed(MsgBox(MsgIcon::Question, MsgButtons::OkCancel, L"信息刷新", L"刷新的同时会重置当前所有的模拟信息，您确定吗？")))
    return;
  yysz_runstate = 4;
  RunMusicTask();
}

void YyszPage::yysz_mnretClick() {
  if (yysz_runstate != 0) return;
  // No tag value is ever simulated, so the tag object has nothing to undo.
  if (yysz_mnobj.index() == 0) {
    for (std::size_t r = 0; r < yysz_files.size(); ++r) yysz_files.edit(r).newName = yysz_files.at(r).oldName;
    yysz_files.changedAll();
  }
  yysz_ss.setCaption(yysz_mnobj.text() + L"模拟信息重置完成！");
}

void YyszPage::yysz_menuPopup() {
  const bool usable = yysz_runstate == 0 && !yysz_files.empty();
  for (int item : {yysz_menuchange, yysz_menudelsel, yysz_menudelunsel, yysz_menudelall, yysz_menurefresh})
    yysz_menu.item(item).enabled = usable;
}

void YyszPage::yysz_menuchangeClick() { EditSelectedCaption(yysz_showlist); }

void YyszPage::yysz_menudelselClick() { removeRows(true); }

void YyszPage::yysz_menudelunselClick() { removeRows(false); }

void YyszPage::removeRows(bool selected) {
  if (!RemoveBySelection(yysz_files, yysz_showlist, selected)) return yysz_menudelallClick();
  UpdateMusicCount();
}

void YyszPage::yysz_menudelallClick() {
  yysz_files.clear();
  for (Button* b : {&yysz_mnchg, &yysz_mnret, &yysz_zschg}) b->setEnabled(false);
  yysz_ss.setCaption(L"");
  UpdateMusicCount();
}

void YyszPage::yysz_showlistEdited(int index, const std::wstring& text) {
  if (index < 0 || static_cast<std::size_t>(index) >= yysz_files.size()) return;
  const std::wstring error = CheckMusicName(text);
  if (!error.empty()) {
    (void)MsgBox(MsgIcon::Warning, MsgButtons::Ok, L"改名失败", error);
    return;
  }
  yysz_files.edit(static_cast<std::size_t>(index)).newName = text;
  yysz_files.updated(static_cast<std::size_t>(index));
}

void YyszPage::yysz_showlistColumnClick(int column) {
  if (yysz_runstate != 0) return;
  yysz_showlist.selectAll(false);
  SortMusicRows(yysz_files, column);
}

void YyszPage::yysz_showlistDragDrop(int target) {
  if (yysz_runstate != 0) return;
  const int place = MoveMusicRow(yysz_files, yysz_showlist.selected(), target);
  if (place >= 0) yysz_showlist.select(place);
}

}  // namespace wv
