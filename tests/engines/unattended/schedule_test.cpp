// The cleaning schedule: its command line, the task's XML both ways, and a task
// registered, read back and removed through the system's Task Scheduler.
#include <gtest/gtest.h>

#include "engines/unattended/schedule.h"
#include "platform/text.h"

namespace wv::test {
namespace {

const SYSTEMTIME kToday{2026, 12, 1, 7, 0, 0, 0, 0};

const ScheduledCommand kCommand{L"C:\\Program Files\\WindowsVantorra\\WindowsVantorra.exe",
                                ScheduledArguments(true, L"C:\\Program Files\\WindowsVantorra\\Backup\\Report"),
                                L"C:\\Program Files\\WindowsVantorra\\", L"S-1-5-21-100-200-300-1001"};

// Every argument comes back whole through the system's rules of splitting,
// however many blanks, quotes and backslashes it holds.
TEST(Schedule, ArgumentsSurviveQuotingAndSplitting) {
  const std::vector<std::wstring> words = {
      L"/clean", L"C:\\Program Files\\x\\", L"", L"a\"b", L"tail\\\\", L"\\\\server\\share\\", L"two  blanks", L"\\\"",
  };
  std::wstring line;
  for (const std::wstring& w : words) line += QuoteArgument(w) + L" ";
  EXPECT_EQ(SplitArguments(line), words) << ToUtf8(line);

  struct Case { std::wstring line; std::vector<std::wstring> words; };
  const Case known[] = {  // the documented examples of CommandLineToArgvW
      {L"\"abc\" d e", {L"abc", L"d", L"e"}},
      {L"a\\\\b d\"e f\"g h", {L"a\\\\b", L"de fg", L"h"}},
      {L"a\\\\\\\"b c d", {L"a\\\"b", L"c", L"d"}},
      {L"a\\\\\\\\\"b c\" d e", {L"a\\\\b c", L"d", L"e"}},
      {L"  \t ", {}},
  };
  for (const Case& c : known) EXPECT_EQ(SplitArguments(c.line), c.words) << ToUtf8(c.line);
  EXPECT_EQ(kCommand.arguments, L"/clean /junk /quiet /report \"C:\\Program Files\\WindowsVantorra\\Backup\\Report\\\\\"");
  EXPECT_EQ(SplitArguments(kCommand.arguments).back(), L"C:\\Program Files\\WindowsVantorra\\Backup\\Report\\");
}

// What the program writes it reads back: each kind, the time, the day, /junk,
// the report folder and the highest run level.
TEST(Schedule, EachKindReadsBackFromItsXml) {
  const CleaningSchedule schedules[] = {
      {ScheduleKind::AtLogon, 12, 0, 1, true},
      {ScheduleKind::Daily, 8, 30, 1, true},
      {ScheduleKind::Weekly, 23, 59, 0, true},
      {ScheduleKind::Weekly, 0, 0, 6, true},
  };
  for (const CleaningSchedule& s : schedules) {
    const std::wstring xml = ScheduleTaskXml(s, kCommand, kToday);
    const ScheduleReadBack read = ParseScheduleTaskXml(xml);
    SCOPED_TRACE(ToUtf8(xml));
    EXPECT_TRUE(read.recognised);
    CleaningSchedule expected = s;
    if (s.kind == ScheduleKind::AtLogon) expected.hour = 12, expected.minute = 0, expected.weekday = 1;
    EXPECT_EQ(read.schedule, expected);
    EXPECT_EQ(read.program, kCommand.program);
    EXPECT_EQ(read.reportFolder, L"C:\\Program Files\\WindowsVantorra\\Backup\\Report\\");
    EXPECT_TRUE(read.highest && read.enabled);
  }
  EXPECT_NE(ScheduleTaskXml(schedules[1], kCommand, kToday).find(L"<StartBoundary>2026-12-07T08:30:00</StartBoundary>"),
            std::wstring::npos);
  EXPECT_NE(ScheduleTaskXml(schedules[0], kCommand, kToday).find(L"<UserId>S-1-5-21-100-200-300-1001</UserId>"),
            std::wstring::npos);
}

// A task edited by hand, or stored by a scheduler that kept less than it was
// given, is shown as it is: recognised only with one enabled trigger this program
// makes and an action that cleans.
TEST(Schedule, ATaskChangedElsewhereIsNotTakenForOurs) {
  const std::wstring head = L"<?xml version=\"1.0\" encoding=\"UTF-16\"?>\n<Task version=\"1.3\" "
                            L"xmlns=\"http://schemas.microsoft.com/windows/2004/02/mit/task\"><!-- edited -->";
  const std::wstring exec = L"<Actions Context=\"Author\"><Exec><Command>C:\\W\\WindowsVantorra.exe</Command>"
                            L"<Arguments>/quiet /CLEAN /report &quot;C:\\a&amp;b\\\\&quot;</Arguments></Exec></Actions>";
  const std::wstring daily = L"<CalendarTrigger><StartBoundary>2026-01-02T07:05:00+08:00</StartBoundary>"
                             L"<ScheduleByDay><DaysInterval>1</DaysInterval></ScheduleByDay></CalendarTrigger>";
  struct Case { const char* label; std::wstring xml; bool recognised; ScheduleKind kind; };
  const Case cases[] = {
      {"daily with a time zone", head + L"<Triggers>" + daily + L"</Triggers>" + exec + L"</Task>", true, ScheduleKind::Daily},
      {"a second trigger", head + L"<Triggers>" + daily + L"<LogonTrigger/></Triggers>" + exec + L"</Task>", false, ScheduleKind::Off},
      {"the second one disabled",
       head + L"<Triggers>" + daily + L"<LogonTrigger><Enabled>false</Enabled></LogonTrigger></Triggers>" + exec + L"</Task>",
       true, ScheduleKind::Daily},
      {"every second day",
       head + L"<Triggers><CalendarTrigger><StartBoundary>2026-01-02T07:05:00</StartBoundary><ScheduleByDay>"
              L"<DaysInterval>2</DaysInterval></ScheduleByDay></CalendarTrigger></Triggers>" + exec + L"</Task>",
       false, ScheduleKind::Off},
      {"two days a week",
       head + L"<Triggers><CalendarTrigger><StartBoundary>2026-01-02T07:05:00</StartBoundary><ScheduleByWeek><DaysOfWeek>"
              L"<Monday/><Friday/></DaysOfWeek></ScheduleByWeek></CalendarTrigger></Triggers>" + exec + L"</Task>",
       false, ScheduleKind::Off},
      {"no trigger kept, no command kept",
       head + L"<RegistrationInfo><Description>a & b</Description></RegistrationInfo><Triggers/><Actions><Exec/></Actions></Task>",
       false, ScheduleKind::Off},
      {"not XML", L"<Task><Triggers>", false, ScheduleKind::Off},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    const ScheduleReadBack read = ParseScheduleTaskXml(c.xml);
    EXPECT_TRUE(read.exists);
    EXPECT_EQ(read.recognised, c.recognised);
    EXPECT_EQ(read.schedule.kind, c.kind);
    if (c.recognised) {
      EXPECT_EQ(read.schedule.hour * 100 + read.schedule.minute, 705);
      EXPECT_EQ(read.reportFolder, L"C:\\a&b\\");
      EXPECT_FALSE(read.highest);
    }
  }
}

// A failure reads as words: the scheduler's own codes (which the system's message
// table lacks) by name, a system error as the system says it, anything else in
// hexadecimal rather than as a long decimal number.
TEST(Schedule, FailuresAreToldInWords) {
  EXPECT_EQ(ScheduleErrorText(SysResult(static_cast<DWORD>(SCHED_E_SERVICE_NOT_RUNNING))), L"任务计划程序服务没有运行");
  EXPECT_EQ(ScheduleErrorText(SysResult(static_cast<DWORD>(REGDB_E_CLASSNOTREG))), L"系统中没有任务计划程序");
  EXPECT_EQ(ScheduleErrorText(SysResult(ERROR_ACCESS_DENIED)), SystemErrorText(ERROR_ACCESS_DENIED));
  EXPECT_EQ(ScheduleErrorText(SysResult(0x8004FE01u)), L"错误代码 0x8004FE01");
}

// Through the real interface: the task is registered, read back and removed.
// Wine 8 stores the task (its registration and settings) but drops its triggers,
// principal and command: then the read-back says so (not recognised) instead of
// showing a schedule that would never run. Windows keeps everything.
TEST(Schedule, ATaskIsRegisteredReadBackAndRemovedThroughTheScheduler) {
  const SysResult available = ScheduleAvailable();
  ASSERT_TRUE(available.ok()) << SystemErrorText(available.error());
  const CleaningSchedule weekly{ScheduleKind::Weekly, 21, 15, 3, false};
  ScheduledCommand command = kCommand;
  command.userId.clear();  // the current user's, as the page registers it
  ASSERT_TRUE(ApplySchedule(weekly, command).ok());

  ScheduleReadBack read;
  ASSERT_TRUE(ReadSchedule(read).ok());
  EXPECT_TRUE(read.exists);
  EXPECT_TRUE(read.enabled);
  std::wstring stored;
  ASSERT_TRUE(Tasks().taskXml(kScheduleTaskName, stored).ok());
  const bool keptTriggers = stored.find(L"CalendarTrigger") != std::wstring::npos;
  if (keptTriggers) {
    EXPECT_TRUE(read.recognised);
    EXPECT_EQ(read.schedule, weekly);
    EXPECT_TRUE(read.highest);
  } else {
    // The scheduler kept less than it was given (Wine): nothing is shown as scheduled.
    EXPECT_FALSE(read.recognised);
    EXPECT_EQ(read.schedule.kind, ScheduleKind::Off);
    EXPECT_NE(stored.find(L"<Enabled>true</Enabled>"), std::wstring::npos);
  }

  // Registering again replaces the task; Off removes it, and removing it again is no failure.
  ASSERT_TRUE(ApplySchedule({ScheduleKind::Daily, 6, 0, 1, true}, command).ok());
  ASSERT_TRUE(ApplySchedule({}, command).ok());
  ASSERT_TRUE(ReadSchedule(read).ok());
  EXPECT_FALSE(read.exists);
  EXPECT_TRUE(Tasks().taskXml(kScheduleTaskName, stored).notFound());
  EXPECT_TRUE(ApplySchedule({}, command).ok());
}

}  // namespace
}  // namespace wv::test
