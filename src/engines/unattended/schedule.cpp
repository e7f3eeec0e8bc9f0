#include "engines/unattended/schedule.h"

#include <array>
#include <cstdio>
#include <cstdlib>
#include <cwctype>
#include <memory>

#include "engines/unattended/text_forms.h"
#include "platform/text.h"

namespace wv {
namespace {

constexpr std::array<std::wstring_view, 7> kDayNames = {L"Sunday",   L"Monday", L"Tuesday", L"Wednesday",
                                                        L"Thursday", L"Friday", L"Saturday"};

// ---------------------------------------------------------------- a small XML reader
// Enough of XML for a task definition: elements, text, entities, comments,
// processing instructions and CDATA; attributes are skipped. Names lose their
// namespace prefix. A stray "&" (some schedulers store one unescaped) stays as it is.

struct Element {
  std::wstring name;
  std::wstring text;
  std::vector<std::unique_ptr<Element>> children;

  [[nodiscard]] const Element* child(std::wstring_view n) const {
    for (const auto& c : children)
      if (c->name == n) return c.get();
    return nullptr;
  }
  [[nodiscard]] std::wstring textOf(std::wstring_view n) const {
    const Element* c = child(n);
    return c ? Trim(c->text) : std::wstring();
  }
};

class XmlReader {
 public:
  explicit XmlReader(std::wstring_view text) : s_(text) {}

  std::unique_ptr<Element> document() {
    auto root = std::make_unique<Element>();
    std::vector<Element*> open{root.get()};
    while (i_ < s_.size()) {
      if (s_[i_] != L'<') {
        const std::size_t end = s_.find(L'<', i_);
        open.back()->text += Decode(s_.substr(i_, end == s_.npos ? s_.npos : end - i_));
        i_ = end == s_.npos ? s_.size() : end;
        continue;
      }
      if (skip(L"<?", L"?>") || skip(L"<!--", L"-->") || skip(L"<!DOCTYPE", L">")) continue;
      if (s_.substr(i_).starts_with(L"<![CDATA[")) {
        const std::size_t end = s_.find(L"]]>", i_);
        if (end == s_.npos) return nullptr;
        open.back()->text += s_.substr(i_ + 9, end - i_ - 9);
        i_ = end + 3;
        continue;
      }
      const std::size_t close = s_.find(L'>', i_);
      if (close == s_.npos) return nullptr;
      std::wstring_view tag = s_.substr(i_ + 1, close - i_ - 1);
      i_ = close + 1;
      if (tag.starts_with(L'/')) {
        if (open.size() < 2 || open.back()->name != LocalName(tag.substr(1))) return nullptr;
        open.pop_back();
        continue;
      }
      const bool empty = tag.ends_with(L'/');
      if (empty) tag.remove_suffix(1);
      auto element = std::make_unique<Element>();
      element->name = LocalName(tag);
      Element* added = element.get();
      open.back()->children.push_back(std::move(element));
      if (!empty) open.push_back(added);
    }
    if (open.size() != 1) return nullptr;  // an element never closed
    return root;
  }

 private:
  bool skip(std::wstring_view start, std::wstring_view end) {
    if (!s_.substr(i_).starts_with(start)) return false;
    const std::size_t at = s_.find(end, i_ + start.size());
    i_ = at == s_.npos ? s_.size() : at + end.size();
    return true;
  }

  static std::wstring LocalName(std::wstring_view tag) {
    const std::size_t end = tag.find_first_of(L" \t\r\n");
    std::wstring_view name = TrimView(tag.substr(0, end));
    if (const std::size_t colon = name.find(L':'); colon != name.npos) name.remove_prefix(colon + 1);
    return std::wstring(name);
  }

  static std::wstring Decode(std::wstring_view text) {
    std::wstring out;
    for (std::size_t i = 0; i < text.size(); ++i) {
      if (text[i] != L'&') {
        out += text[i];
        continue;
      }
      const std::size_t semi = text.find(L';', i);
      const std::wstring_view entity = semi == text.npos || semi - i > 10 ? std::wstring_view() : text.substr(i + 1, semi - i - 1);
      wchar_t c = 0;
      if (entity == L"amp") c = L'&';
      else if (entity == L"lt") c = L'<';
      else if (entity == L"gt") c = L'>';
      else if (entity == L"quot") c = L'"';
      else if (entity == L"apos") c = L'\'';
      else if (entity.size() > 1 && entity[0] == L'#') {
        const bool hex = entity[1] == L'x' || entity[1] == L'X';
        const std::wstring digits(entity.substr(hex ? 2 : 1));
        wchar_t* end = nullptr;
        const unsigned long value = std::wcstoul(digits.c_str(), &end, hex ? 16 : 10);
        if (!digits.empty() && end && *end == 0 && value > 0 && value < 0x10000) c = static_cast<wchar_t>(value);
      }
      if (!c) {
        out += L'&';
        continue;
      }
      out += c;
      i = semi;
    }
    return out;
  }

  std::wstring_view s_;
  std::size_t i_ = 0;
};

// "2026-12-07T08:30:00" (time zone or fraction after it ignored): hour and minute.
bool ParseStartTime(std::wstring_view boundary, int& hour, int& minute) {
  const std::size_t t = boundary.find(L'T');
  if (t == boundary.npos || boundary.size() < t + 6 || boundary[t + 3] != L':') return false;
  auto two = [&](std::size_t at, int& out) {
    if (!iswdigit(boundary[at]) || !iswdigit(boundary[at + 1])) return false;
    out = (boundary[at] - L'0') * 10 + (boundary[at + 1] - L'0');
    return true;
  };
  return two(t + 1, hour) && two(t + 4, minute) && hour < 24 && minute < 60;
}

bool EnabledElement(const Element& e) { return !EqualsNoCase(e.textOf(L"Enabled"), L"false"); }

bool ReadTrigger(const Element& trigger, CleaningSchedule& out) {
  if (trigger.name == L"LogonTrigger") {
    out.kind = ScheduleKind::AtLogon;
    return true;
  }
  if (trigger.name != L"CalendarTrigger" || !ParseStartTime(trigger.textOf(L"StartBoundary"), out.hour, out.minute))
    return false;
  if (const Element* byDay = trigger.child(L"ScheduleByDay")) {
    out.kind = ScheduleKind::Daily;
    const std::wstring interval = byDay->textOf(L"DaysInterval");
    return interval.empty() || interval == L"1";
  }
  if (const Element* byWeek = trigger.child(L"ScheduleByWeek")) {
    const std::wstring interval = byWeek->textOf(L"WeeksInterval");
    const Element* days = byWeek->child(L"DaysOfWeek");
    if ((!interval.empty() && interval != L"1") || !days || days->children.size() != 1) return false;
    for (std::size_t d = 0; d < kDayNames.size(); ++d)
      if (days->children.front()->name == kDayNames[d]) {
        out.kind = ScheduleKind::Weekly;
        out.weekday = static_cast<int>(d);
        return true;
      }
  }
  return false;
}

SysResult Connected() { return Tasks().connect(); }

}  // namespace

std::wstring QuoteArgument(std::wstring_view argument) {
  if (!argument.empty() && argument.find_first_of(L" \t\"") == argument.npos) return std::wstring(argument);
  std::wstring out = L"\"";
  std::size_t backslashes = 0;
  for (wchar_t c : argument) {
    if (c == L'\\') {
      ++backslashes;
      continue;
    }
    // Backslashes before a quote are doubled and the quote escaped; others stay.
    out.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
    backslashes = 0;
    out += c;
  }
  out.append(backslashes * 2, L'\\');  // before the closing quote
  out += L'"';
  return out;
}

std::vector<std::wstring> SplitArguments(std::wstring_view line) {
  std::vector<std::wstring> out;
  std::size_t i = 0;
  while (true) {
    while (i < line.size() && (line[i] == L' ' || line[i] == L'\t')) ++i;
    if (i >= line.size()) break;
    std::wstring arg;
    bool quoted = false;
    while (i < line.size() && (quoted || (line[i] != L' ' && line[i] != L'\t'))) {
      std::size_t backslashes = 0;
      while (i < line.size() && line[i] == L'\\') ++backslashes, ++i;
      if (i < line.size() && line[i] == L'"') {
        arg.append(backslashes / 2, L'\\');
        if (backslashes % 2) {
          arg += L'"';
        } else if (quoted && i + 1 < line.size() && line[i + 1] == L'"') {
          arg += L'"';  // "" inside quotes: a literal quote
          ++i;
        } else {
          quoted = !quoted;
        }
        ++i;
      } else {
        arg.append(backslashes, L'\\');
        if (i < line.size() && (quoted || (line[i] != L' ' && line[i] != L'\t'))) arg += line[i++];
      }
    }
    out.push_back(std::move(arg));
  }
  return out;
}

std::wstring ScheduledArguments(bool withJunk, std::wstring_view reportFolder) {
  std::wstring args = withJunk ? L"/clean /junk /quiet /report " : L"/clean /quiet /report ";
  return args + QuoteArgument(IncludeTrailingBackslash(reportFolder));
}

std::wstring ScheduleTaskXml(const CleaningSchedule& schedule, const ScheduledCommand& command, const SYSTEMTIME& today) {
  std::wstring trigger;
  const std::wstring start = L"<StartBoundary>" + ZeroPadded(today.wYear, 4) + L"-" + ZeroPadded(today.wMonth, 2) + L"-" +
                             ZeroPadded(today.wDay, 2) + L"T" + ZeroPadded(static_cast<unsigned>(schedule.hour), 2) + L":" +
                             ZeroPadded(static_cast<unsigned>(schedule.minute), 2) + L":00</StartBoundary>";
  switch (schedule.kind) {
    case ScheduleKind::AtLogon:
      trigger = L"    <LogonTrigger>\r\n      <Enabled>true</Enabled>\r\n" +
                (command.userId.empty() ? std::wstring() : L"      <UserId>" + MarkupEscaped(command.userId) + L"</UserId>\r\n") +
                L"    </LogonTrigger>\r\n";
      break;
    case ScheduleKind::Daily:
      trigger = L"    <CalendarTrigger>\r\n      " + start +
                L"\r\n      <Enabled>true</Enabled>\r\n      <ScheduleByDay>\r\n        <DaysInterval>1</DaysInterval>\r\n"
                L"      </ScheduleByDay>\r\n    </CalendarTrigger>\r\n";
      break;
    case ScheduleKind::Weekly:
      trigger = L"    <CalendarTrigger>\r\n      " + start +
                L"\r\n      <Enabled>true</Enabled>\r\n      <ScheduleByWeek>\r\n        <DaysOfWeek>\r\n          <" +
                std::wstring(kDayNames[static_cast<std::size_t>(schedule.weekday) % 7]) +
                L" />\r\n        </DaysOfWeek>\r\n        <WeeksInterval>1</WeeksInterval>\r\n      </ScheduleByWeek>\r\n"
                L"    </CalendarTrigger>\r\n";
      break;
    case ScheduleKind::Off:
      break;
  }
  std::wstring xml =
      L"<?xml version=\"1.0\" encoding=\"UTF-16\"?>\r\n"
      L"<Task version=\"1.2\" xmlns=\"http://schemas.microsoft.com/windows/2004/02/mit/task\">\r\n"
      L"  <RegistrationInfo>\r\n    <Author>WindowsVantorra</Author>\r\n"
      L"    <Description>WindowsVantorra 定时清理：按程序保存的选择清理文件，报告保存在备份目录中</Description>\r\n"
      L"  </RegistrationInfo>\r\n  <Triggers>\r\n" +
      trigger +
      L"  </Triggers>\r\n  <Principals>\r\n    <Principal id=\"Author\">\r\n" +
      (command.userId.empty() ? std::wstring() : L"      <UserId>" + MarkupEscaped(command.userId) + L"</UserId>\r\n") +
      L"      <LogonType>InteractiveToken</LogonType>\r\n      <RunLevel>HighestAvailable</RunLevel>\r\n"
      L"    </Principal>\r\n  </Principals>\r\n  <Settings>\r\n"
      L"    <MultipleInstancesPolicy>IgnoreNew</MultipleInstancesPolicy>\r\n"
      L"    <DisallowStartIfOnBatteries>false</DisallowStartIfOnBatteries>\r\n"
      L"    <StopIfGoingOnBatteries>false</StopIfGoingOnBatteries>\r\n"
      L"    <StartWhenAvailable>true</StartWhenAvailable>\r\n"
      L"    <ExecutionTimeLimit>PT4H</ExecutionTimeLimit>\r\n"
      L"    <Enabled>true</Enabled>\r\n  </Settings>\r\n"
      L"  <Actions Context=\"Author\">\r\n    <Exec>\r\n      <Command>" +
      MarkupEscaped(command.program) + L"</Command>\r\n      <Arguments>" + MarkupEscaped(command.arguments) +
      L"</Arguments>\r\n      <WorkingDirectory>" + MarkupEscaped(command.workingFolder) +
      L"</WorkingDirectory>\r\n    </Exec>\r\n  </Actions>\r\n</Task>\r\n";
  return xml;
}

ScheduleReadBack ParseScheduleTaskXml(std::wstring_view xml) {
  ScheduleReadBack out;
  out.exists = true;
  const std::unique_ptr<Element> document = XmlReader(xml).document();
  const Element* task = document ? document->child(L"Task") : nullptr;
  if (!task) return out;

  if (const Element* settings = task->child(L"Settings")) out.enabled = EnabledElement(*settings);
  if (const Element* principals = task->child(L"Principals"))
    if (const Element* principal = principals->child(L"Principal"))
      out.highest = principal->textOf(L"RunLevel") == L"HighestAvailable";
  if (const Element* actions = task->child(L"Actions"))
    if (const Element* exec = actions->child(L"Exec")) {
      out.program = exec->textOf(L"Command");
      out.arguments = exec->textOf(L"Arguments");
    }

  const std::vector<std::wstring> args = SplitArguments(out.arguments);
  bool clean = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (EqualsNoCase(args[i], L"/clean")) clean = true;
    if (EqualsNoCase(args[i], L"/junk")) out.schedule.withJunk = true;
    if (EqualsNoCase(args[i], L"/report") && i + 1 < args.size()) out.reportFolder = args[i + 1];
  }

  const Element* triggers = task->child(L"Triggers");
  std::vector<const Element*> enabled;
  if (triggers)
    for (const auto& t : triggers->children)
      if (EnabledElement(*t)) enabled.push_back(t.get());
  CleaningSchedule read = out.schedule;
  if (clean && !out.program.empty() && enabled.size() == 1 && ReadTrigger(*enabled.front(), read)) {
    out.schedule = read;
    out.recognised = true;
  } else {
    out.schedule.kind = ScheduleKind::Off;
  }
  return out;
}

std::wstring ScheduleErrorText(const SysResult& failure) {
  const DWORD code = failure.error();
  switch (static_cast<HRESULT>(code)) {
    case SCHED_E_SERVICE_NOT_RUNNING: return L"任务计划程序服务没有运行";
    case SCHED_E_SERVICE_NOT_INSTALLED:
    case REGDB_E_CLASSNOTREG: return L"系统中没有任务计划程序";
    case SCHED_E_ACCOUNT_INFORMATION_NOT_SET: return L"任务的运行帐户信息不完整";
    default: break;
  }
  std::wstring text = SystemErrorText(code);
  if (text.starts_with(L"error ")) {
    wchar_t hex[16];
    std::swprintf(hex, 16, L"0x%08lX", static_cast<unsigned long>(code));
    text = L"错误代码 " + std::wstring(hex);
  }
  return text;
}

SysResult ScheduleAvailable() { return Connected(); }

SysResult ApplySchedule(const CleaningSchedule& schedule, ScheduledCommand command) {
  if (const SysResult connected = Connected(); !connected) return connected;
  if (schedule.kind == ScheduleKind::Off) {
    const SysResult removed = Tasks().deleteTask(kScheduleTaskName);
    return removed.notFound() ? SysResult() : removed;
  }
  if (command.userId.empty()) command.userId = Tasks().currentUser();
  SYSTEMTIME today{};
  GetLocalTime(&today);
  return Tasks().registerTask(kScheduleTaskName, ScheduleTaskXml(schedule, command, today));
}

SysResult ReadSchedule(ScheduleReadBack& out) {
  out = ScheduleReadBack();
  if (const SysResult connected = Connected(); !connected) return connected;
  std::wstring xml;
  const SysResult read = Tasks().taskXml(kScheduleTaskName, xml);
  if (read.notFound()) return {};
  if (!read) return read;
  out = ParseScheduleTaskXml(xml);
  return {};
}

}  // namespace wv
