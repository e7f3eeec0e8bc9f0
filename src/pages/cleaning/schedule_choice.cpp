#include "pages/cleaning/schedule_choice.h"

#include <array>
#include <cstdio>

#include "platform/text.h"
#include "ui/notify.h"
#include "ui/theme.h"

namespace wv {
namespace {

constexpr std::array<std::wstring_view, 4> kKinds = {L"关闭", L"登录时", L"每天", L"每周"};
constexpr std::array<std::wstring_view, 7> kDays = {L"星期日", L"星期一", L"星期二", L"星期三",
                                                    L"星期四", L"星期五", L"星期六"};
// The day combo lists the week Monday first, as a Chinese calendar does.
int DayOfRow(int row) { return (row + 1) % 7; }
int RowOfDay(int day) { return (day + 6) % 7; }

std::wstring Time(int hour, int minute) {
  wchar_t text[8];
  std::swprintf(text, 8, L"%02d:%02d", hour, minute);
  return text;
}

std::wstring When(const CleaningSchedule& s) {
  switch (s.kind) {
    case ScheduleKind::AtLogon: return L"每次登录 Windows 时";
    case ScheduleKind::Daily: return L"每天 " + Time(s.hour, s.minute);
    case ScheduleKind::Weekly: return L"每周" + std::wstring(WeekdayText(s.weekday)) + L" " + Time(s.hour, s.minute);
    case ScheduleKind::Off: break;
  }
  return L"";
}

}  // namespace

std::wstring_view ScheduleKindText(ScheduleKind kind) { return kKinds[static_cast<std::size_t>(kind)]; }
std::wstring_view WeekdayText(int weekday) { return kDays[static_cast<std::size_t>((weekday % 7 + 7) % 7)]; }

ScheduleLines DescribeSchedule(const ScheduleReadBack& read) {
  ScheduleLines lines;
  if (!read.exists) {
    lines.state = L"当前没有定时清理。";
    return lines;
  }
  if (!read.recognised) {
    lines.state = L"计划任务“" + std::wstring(kScheduleTaskName) +
                  L"”已存在，但其中没有本程序能识别的运行时间或清理命令，它不会按这里的设置清理。按“应用”重新设置。";
  } else {
    lines.state = L"当前：" + When(read.schedule) + L" 清理" + (read.schedule.withJunk ? L"（含磁盘垃圾文件）" : L"") +
                  (read.highest ? L"，以最高权限运行。" : L"，不以最高权限运行。");
    if (!read.enabled) lines.state += L"该任务已在任务计划程序中被禁用。";
  }
  if (!read.program.empty()) lines.program = L"运行：" + read.program + L" " + read.arguments;
  if (!read.reportFolder.empty()) lines.report = L"报告保存在：" + read.reportFolder;
  return lines;
}

ScheduleLines DescribeUnavailable(const SysResult& why) {
  return {L"任务计划程序不可用，无法定时清理（" + ScheduleErrorText(why) + L"）。", L"", L""};
}

void ScheduleChoice::create(Panel& page) {
  const HWND h = page.handle();
  kindLabel.create(h, L"定时清理");
  kindCombo.create(h, {kKinds.begin(), kKinds.end()}, 0);
  dayLabel.create(h, L"星期");
  std::vector<std::wstring> days;
  for (int row = 0; row < 7; ++row) days.emplace_back(kDays[static_cast<std::size_t>(DayOfRow(row))]);
  dayCombo.create(h, days, 0);
  timeLabel.create(h, L"时间");
  hourEdit.create(h, 0, 23, 12);
  colonLabel.create(h, L":", 0, 0, 8, 18, SS_CENTER);
  minuteEdit.create(h, 0, 59, 0);
  junkCheck.create(h, L"同时清理“磁盘文件清理”页所选磁盘分区中的垃圾文件");
  applyButton.create(h, L"应用");
  stateLine.create(h, L"", 0, 0, 80, 18, SS_LEFT | SS_PATHELLIPSIS);
  programLine.create(h, L"", 0, 0, 80, 18, SS_LEFT | SS_PATHELLIPSIS);
  reportLine.create(h, L"", 0, 0, 80, 18, SS_LEFT | SS_PATHELLIPSIS);
  noteLine.create(h, L"定时清理使用程序关闭时保存的选择和删除方式，不显示窗口；到点时程序窗口仍打开则这一次不清理。");
  noteLine.setColour(theme::kMutedText);
  kindCombo.onChange = [this] { onKindChanged(); };
  page.onSize = [this](int width, int) {
    constexpr int kRow = 22, kLine = 24;
    int y = 12;
    kindLabel.setBounds(16, y, 60, kRow);
    kindCombo.setBounds(80, y - 1, 96, 200);
    dayLabel.setBounds(196, y, 32, kRow);
    dayCombo.setBounds(230, y - 1, 84, 200);
    timeLabel.setBounds(332, y, 32, kRow);
    hourEdit.setBounds(366, y, 48, kRow);
    colonLabel.setBounds(416, y, 8, kRow);
    minuteEdit.setBounds(426, y, 48, kRow);
    y += 34;
    junkCheck.setBounds(16, y, 420, 20);
    applyButton.setBounds(width - 16 - 88, y - 4, 88, 28);
    y += 36;
    const int textW = width - 32;
    for (Label* line : {&stateLine, &programLine, &reportLine}) {
      line->setBounds(16, y, textW, 18);
      y += kLine;
    }
    noteLine.setBounds(16, y + 6, textW, 18);
  };
  onKindChanged();
}

CleaningSchedule ScheduleChoice::chosen() const {
  CleaningSchedule s;
  const int kind = kindCombo.index();
  s.kind = kind >= 0 && kind < static_cast<int>(kKinds.size()) ? static_cast<ScheduleKind>(kind) : ScheduleKind::Off;
  s.hour = hourEdit.value();
  s.minute = minuteEdit.value();
  s.weekday = DayOfRow(dayCombo.index() < 0 ? 0 : dayCombo.index());
  s.withJunk = junkCheck.checked();
  return s;
}

void ScheduleChoice::show(const CleaningSchedule& s) {
  kindCombo.setIndex(static_cast<int>(s.kind));
  hourEdit.setValue(s.hour);
  minuteEdit.setValue(s.minute);
  dayCombo.setIndex(RowOfDay(s.weekday));
  junkCheck.setChecked(s.withJunk);
  onKindChanged();
}

void ScheduleChoice::onKindChanged() {
  const ScheduleKind kind = chosen().kind;
  const bool timed = kind == ScheduleKind::Daily || kind == ScheduleKind::Weekly;
  dayLabel.setVisible(kind == ScheduleKind::Weekly);
  dayCombo.setVisible(kind == ScheduleKind::Weekly);
  for (Control* c : std::initializer_list<Control*>{&timeLabel, &hourEdit, &colonLabel, &minuteEdit}) c->setVisible(timed);
  junkCheck.setEnabled(kind != ScheduleKind::Off && kindCombo.enabled());
}

void ScheduleChoice::showLines(const ScheduleLines& lines) {
  stateLine.setCaption(lines.state);
  programLine.setCaption(lines.program);
  reportLine.setCaption(lines.report);
}

void ScheduleChoice::setUsable(bool usable) {
  kindCombo.setEnabled(usable);
  dayCombo.setEnabled(usable);
  hourEdit.setEnabled(usable);
  minuteEdit.setEnabled(usable);
  applyButton.setEnabled(usable);
  junkCheck.setEnabled(usable);
}

bool ScheduleChoice::refresh() {
  ScheduleReadBack read;
  if (const SysResult result = ReadSchedule(read); !result) {
    setUsable(false);
    show({});
    showLines(DescribeUnavailable(result));
    return false;
  }
  setUsable(true);
  // A task this program cannot read is shown as off: "应用" then sets it anew.
  CleaningSchedule shown = read.recognised ? read.schedule : chosen();
  if (!read.recognised) shown.kind = ScheduleKind::Off;
  show(shown);
  showLines(DescribeSchedule(read));
  return true;
}

void ScheduleChoice::apply(const ScheduledCommand& command) {
  if (const SysResult applied = ApplySchedule(chosen(), command); !applied)
    MsgBox(MsgIcon::Warning, MsgButtons::Ok, L"定时清理", L"无法设置定时清理：" + ScheduleErrorText(applied));
  refresh();
}

}  // namespace wv
