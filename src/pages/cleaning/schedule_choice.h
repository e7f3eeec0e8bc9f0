#pragma once
// The daily page's "定时清理" inner page: when the scheduler runs the cleaning
// (off, at logon, daily at a time, weekly on a day at a time), whether junk
// files go too, and what the scheduler's task holds now, read back from it.

#include <string>

#include "engines/unattended/schedule.h"
#include "ui/controls.h"
#include "ui/panel.h"

namespace wv {

// The kind combo's items in ScheduleKind order, and the week's days Monday first.
std::wstring_view ScheduleKindText(ScheduleKind kind);
std::wstring_view WeekdayText(int weekday);  // 0 Sunday … 6 Saturday: "星期日" …

// The state lines under the controls for a read-back task (or an unreachable scheduler).
struct ScheduleLines {
  std::wstring state;
  std::wstring program;
  std::wstring report;
};
ScheduleLines DescribeSchedule(const ScheduleReadBack& read);
ScheduleLines DescribeUnavailable(const SysResult& why);

struct ScheduleChoice {
  Label kindLabel;
  ComboBox kindCombo;  // "关闭", "登录时", "每天", "每周"
  Label dayLabel;
  ComboBox dayCombo;  // "星期一" … "星期日"
  Label timeLabel;
  SpinEdit hourEdit;
  Label colonLabel;
  SpinEdit minuteEdit;
  CheckBox junkCheck;
  Button applyButton;
  Label stateLine;
  Label programLine;
  Label reportLine;
  Label noteLine;

  void create(Panel& page);
  // The controls as a schedule, and a schedule into the controls.
  [[nodiscard]] CleaningSchedule chosen() const;
  void show(const CleaningSchedule& schedule);
  // Day and time only where the kind has them.
  void onKindChanged();
  // Reads the task back and shows it; where the scheduler cannot be reached the
  // choice says so and stays off. False then.
  bool refresh();
  // Registers (or removes, for off) the task for the chosen schedule, tells a
  // failure in a box, then shows what the task holds.
  void apply(const ScheduledCommand& command);

 private:
  void showLines(const ScheduleLines& lines);
  void setUsable(bool usable);
};

}  // namespace wv
