#pragma once
// The cleaning schedule: one task of the system's Task Scheduler that runs the
// program's command line ("/clean /quiet /report <folder>") with the highest
// privileges, at logon, daily or weekly. The task is written and read back as
// the scheduler's own XML, so what the page shows is what the task holds.

#include "platform/layer.h"
WV_REQUIRE_LAYER(WV_LAYER_ENGINES, "engines stand above core: core uses none of them");

#include <windows.h>

#include <string>
#include <string_view>
#include <vector>

#include "platform/platform.h"

namespace wv {

enum class ScheduleKind { Off, AtLogon, Daily, Weekly };

struct CleaningSchedule {
  ScheduleKind kind = ScheduleKind::Off;
  int hour = 12;        // Daily and Weekly, local time
  int minute = 0;
  int weekday = 1;      // Weekly: 0 Sunday, 1 Monday … 6 Saturday
  bool withJunk = false;  // the run also cleans the junk files of the ticked drives (/junk)
  friend bool operator==(const CleaningSchedule&, const CleaningSchedule&) = default;
};

// The task's name in the scheduler's root folder.
inline constexpr std::wstring_view kScheduleTaskName = L"WindowsVantorra 定时清理";

// One argument as the system's command-line splitter reads it back: quoted when
// it holds a blank, a tab or a quote (or is empty), backslashes before a quote doubled.
std::wstring QuoteArgument(std::wstring_view argument);
// The arguments of a command line (no program name in front), by the rules of
// CommandLineToArgvW: blanks and tabs separate, quotes group, 2n backslashes
// before a quote are n backslashes, 2n+1 are n and a literal quote.
std::vector<std::wstring> SplitArguments(std::wstring_view commandLine);

// "/clean [/junk] /quiet /report "<reportFolder>\"": the scheduled run's arguments.
std::wstring ScheduledArguments(bool withJunk, std::wstring_view reportFolder);

// What the task runs and as whom.
struct ScheduledCommand {
  std::wstring program;        // full path of the program
  std::wstring arguments;      // ScheduledArguments()
  std::wstring workingFolder;  // the program's folder
  std::wstring userId;         // the account it runs as (a SID text); the logon trigger is this user's
};

// The task in the scheduler's XML (version 1.2): the schedule's trigger starting
// today at the time (the clock's local time, whatever the time zone), an
// interactive token with the highest run level, started when a run was missed,
// on battery too, at most one copy, stopped after four hours.
std::wstring ScheduleTaskXml(const CleaningSchedule& schedule, const ScheduledCommand& command, const SYSTEMTIME& today);

// What a stored task says, as far as this program reads it.
struct ScheduleReadBack {
  bool exists = false;
  // The schedule when the task holds exactly one enabled trigger of the three
  // kinds and an action that runs a program with "/clean"; otherwise kind Off.
  CleaningSchedule schedule;
  bool recognised = false;
  std::wstring program;
  std::wstring arguments;
  std::wstring reportFolder;  // the argument after "/report"
  bool highest = false;       // run level "HighestAvailable"
  bool enabled = true;        // the task's own setting
};
ScheduleReadBack ParseScheduleTaskXml(std::wstring_view xml);

// What a scheduler failure means, for the user: the scheduler's own codes (which
// the system's message table does not hold) in words, others as the system says
// them, an unknown code in hexadecimal.
std::wstring ScheduleErrorText(const SysResult& failure);

// Through the platform's Task Scheduler part.
// Whether the scheduler can be reached (the reason when not).
[[nodiscard]] SysResult ScheduleAvailable();
// Registers (replacing) the task for the schedule, or removes it for Off (a
// task already gone is no failure).
[[nodiscard]] SysResult ApplySchedule(const CleaningSchedule& schedule, ScheduledCommand command);
// The stored task; exists false (and success) when there is none.
[[nodiscard]] SysResult ReadSchedule(ScheduleReadBack& out);

}  // namespace wv
