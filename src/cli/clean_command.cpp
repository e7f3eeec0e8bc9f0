#include "cli/clean_command.h"

#include <windows.h>
#include <shellapi.h>

#include <atomic>
#include <exception>

#include "app/catalogue.h"
#include "app/run_protocol.h"
#include "core/known_folders.h"
#include "core/modules.h"
#include "core/system_info.h"
#include "core/utilities.h"
#include "pages/cleaning/daily_files_page.h"
#include "pages/cleaning/junk_files_page.h"
#include "platform/handles.h"
#include "platform/text.h"
#include "ui/notify.h"

namespace wv {
namespace {

constexpr std::wstring_view kHandler = L"命令行清理";
constexpr std::wstring_view kInstanceMutex = L"ZDKVantorra";

// Ctrl+C or Ctrl+Break in the console the program was started from: the scan
// ends at its next item and nothing is removed.
std::atomic<bool> g_stopRequested{false};

BOOL WINAPI OnConsoleControl(DWORD) {
  g_stopRequested = true;
  return TRUE;
}

// The scans' run without a window: no status line, no drain, only the stop.
class CommandRun : public RunContext {
 public:
  [[nodiscard]] bool proceed() override { return !g_stopRequested; }
  void status(std::wstring_view) override {}
  void scanned(std::size_t, std::uint64_t, std::wstring_view) override {}
};

// One copy of the program at a time, the window's or the command line's.
class InstanceLock {
 public:
  // True when this copy now holds the program's mutex.
  bool take() {
    SetLastError(0);
    mutex_.reset(CreateMutexW(nullptr, TRUE, std::wstring(kInstanceMutex).c_str()));
    owned_ = mutex_ && GetLastError() != ERROR_ALREADY_EXISTS;
    return owned_;
  }
  // Waits until the other copy has gone (it released the mutex or ended without).
  bool wait() {
    if (!mutex_) return false;
    const DWORD got = WaitForSingleObject(mutex_.get(), INFINITE);
    owned_ = got == WAIT_OBJECT_0 || got == WAIT_ABANDONED;
    return owned_;
  }
  ~InstanceLock() {
    if (owned_) ReleaseMutex(mutex_.get());
  }

 private:
  UniqueHandle mutex_;
  bool owned_ = false;
};

// What the run tells: the console when there is one, else a message box; with
// /quiet nothing is shown, and what went wrong goes to the fault log.
class Teller {
 public:
  Teller(const CliEnvironment& env, bool quiet) : env_(env), quiet_(quiet) {}

  void tell(MsgIcon icon, std::wstring_view heading, std::wstring_view text) const {
    if (quiet_) return;
    if (env_.console && env_.console(std::wstring(heading) + L"\r\n" + std::wstring(text) + L"\r\n")) return;
    MsgBox(icon, MsgButtons::Ok, heading, text);
  }
  // A run that did nothing or failed: told, and under /quiet written to the fault log.
  void refuse(std::wstring_view heading, std::wstring_view text) const {
    if (quiet_) log(text);
    tell(MsgIcon::Warning, heading, text);
  }
  bool log(std::wstring_view text) const {
    return AppendFaultLog(env_.programFolder, FaultReport{std::wstring(kHandler), std::wstring(text)});
  }

 private:
  const CliEnvironment& env_;
  bool quiet_;
};

RemovalOptions RemovalFrom(const RemovalChoices& stored) {
  RemovalOptions options;
  options.mode = stored.mode.value_or(RemovalMode::RecycleBin);
  if (options.mode == RemovalMode::MoveToFolder) options.moveFolder = stored.moveFolder.value_or(L"");
  return options;
}

bool Ticked(const SettingsSection& section, std::wstring_view caption, bool byDefault) {
  return StoredTick(section, caption).value_or(byDefault);
}

std::wstring ModuleTitle(Module module) { return std::wstring(ModuleInfoOf(module).title); }

int Run(const std::vector<std::wstring>& args, const CliEnvironment& env, CommandLine& options) {
  const ParsedCommandLine parsed = ParseCommandLine(args);
  options = parsed.options;
  const Teller teller(env, options.quiet);
  if (!parsed.error.empty()) {
    teller.refuse(L"参数错误", parsed.error + L"\r\n\r\n" + UsageText());
    return kExitNothingDone;
  }
  if (options.help) {
    teller.tell(MsgIcon::Information, L"命令行用法", UsageText());
    return kExitDone;
  }
  if (!IsAdmin()) {
    teller.refuse(L"权限不够", L"只有以系统管理员的身份运行才能清理。");
    return kExitNothingDone;
  }

  InstanceLock lock;
  if (!lock.take()) {
    if (options.quiet) {
      teller.refuse(L"程序已在运行", L"另一个 WindowsVantorra 正在运行，本次清理没有进行。");
      return kExitNothingDone;
    }
    if (env.console) env.console(L"另一个 WindowsVantorra 正在运行，关闭它之后开始清理……\r\n");
    if (env.beforeWaiting) env.beforeWaiting();
    if (!lock.wait()) {
      teller.refuse(L"程序已在运行", L"无法等待另一个 WindowsVantorra 结束，本次清理没有进行。");
      return kExitNothingDone;
    }
  }

  const std::wstring settingsPath = env.programFolder + L"Config.ini";
  const SettingsFile settings(settingsPath);
  if (!settings.readable()) {
    teller.refuse(L"没有保存的设置", (settings.held() ? L"设置文件正被其他程序占用：" : L"找不到设置文件：") + settingsPath +
                                          L"\r\n请先在窗口中选好要清理的项目并关闭程序，再使用命令行清理。");
    return kExitNothingDone;
  }
  SavedRequest saved = RequestFromSettings(settings, options.junk, ResolveKnownFolders(), env.programFolder);
  if (!saved.error.empty()) {
    teller.refuse(L"没有保存的设置", saved.error);
    return kExitNothingDone;
  }
  saved.request.preview = options.preview;

  SYSTEMTIME started{};
  GetLocalTime(&started);
  ReportFile report;
  if (options.report) {
    if (const SysResult opened = report.open(*options.report, started); !opened) {
      teller.refuse(L"无法写入报告", L"无法创建报告文件 " + *options.report + L"：" + SystemErrorText(opened.error()) +
                                        L"\r\n本次清理没有进行。");
      return kExitNothingDone;
    }
  }

  CommandRun run;
  const UnattendedOutcome outcome = RunUnattendedClean(saved.request, run);

  if (options.report) {
    const ReportHeading heading{started, options.preview ? L"命令行预览（未删除任何文件）" : L"命令行清理"};
    if (!report.write(outcome.rows, heading)) {
      const std::wstring what = L"报告文件 " + report.path() + L" 写入失败";
      teller.log(what);
      teller.tell(MsgIcon::Error, L"无法写入报告", what);
      return kExitFault;
    }
  }
  teller.tell(outcome.kept ? MsgIcon::Warning : MsgIcon::Information, options.preview ? L"命令行预览" : L"命令行清理",
              RunSummary(outcome, options.preview, report.path()));
  if (outcome.stopped) return kExitNothingDone;
  return outcome.kept ? kExitSomeKept : kExitDone;
}

}  // namespace

SavedRequest RequestFromSettings(const SettingsFile& file, bool withJunk, const KnownFolders& known,
                                 std::wstring_view programFolder) {
  SavedRequest out;
  const std::optional<DailyFilesChoices> daily = ReadDailyFilesChoices(file);
  if (!daily) {
    out.error = L"Config.ini 中没有“文件日常清理”页保存的选择。\r\n请先在窗口中选好要清理的项目并关闭程序。";
    return out;
  }
  DailyScanInput input;
  UnattendedPart& dailyPart = out.request.dailyPart;
  const std::vector<CatalogueRow>& items = CatalogueRows(Module::DailyFiles);
  for (std::size_t i = 0; i < input.items.size() && i < items.size(); ++i) {
    input.items[i] = Ticked(daily->section, items[i].caption, items[i].recommended == 1);
    dailyPart.itemCaptions.emplace_back(items[i].caption);
  }
  input.userFolders = daily->userFolders;
  input.known = known;
  dailyPart.page = ModuleTitle(Module::DailyFiles);
  dailyPart.removal = RemovalFrom(daily->removal);
  out.request.daily = std::move(input);

  if (const std::optional<RuleFileChoices> rules = ReadRuleFileChoices(file); rules && !rules->ticked.empty()) {
    UnattendedRules& r = out.request.rules.emplace();
    r.file = rules->file.empty() ? std::wstring(programFolder) + std::wstring(kRuleFileName) : rules->file;
    r.ticked = rules->ticked;
    r.folders = RuleFolders::Resolve();
    r.protection = ProtectedFolders::Resolve();
    // The window's backup base unless the backup page chose another.
    r.registryBackupFolder =
        ReadBackupBase(file).value_or(std::wstring(programFolder) + L"Backup") + L"\\Registry\\";
  }

  if (withJunk) {
    const std::optional<JunkFilesChoices> junk = ReadJunkFilesChoices(file);
    if (!junk) {
      out.error = L"Config.ini 中没有“磁盘文件清理”页保存的选择。\r\n请先在窗口中选好要清理的磁盘分区和文件类型并关闭程序。";
      return out;
    }
    JunkScanInput scan;
    scan.mode = JunkScanMode::TickedDrives;
    for (const FixedDrive& drive : FixedDrives(false)) {
      scan.drives.push_back(std::wstring{drive.letter, L':'});
      scan.driveTicks.push_back(Ticked(junk->section, DriveCaption(drive.label, drive.letter), true));
    }
    for (const CatalogueRow& mask : CatalogueRows(Module::JunkFiles))
      if (Ticked(junk->section, mask.caption, mask.recommended == 1)) scan.masks.emplace_back(mask.caption);
    scan.exclusions = junk->exclusions;
    scan.known = known;
    out.request.junkPart.page = ModuleTitle(Module::JunkFiles);
    out.request.junkPart.removal = RemovalFrom(junk->removal);
    out.request.junk = std::move(scan);
  }

  for (const UnattendedPart* part : {&out.request.dailyPart, &out.request.junkPart})
    if ((part == &out.request.dailyPart || withJunk) && TargetMissing(part->removal)) {
      out.error = L"“" + part->page + L"”页指定的用于存放垃圾文件的目录错误：" + part->removal.moveFolder +
                  L"\r\n请在窗口中重新选择。";
      return out;
    }
  return out;
}

std::wstring RunSummary(const UnattendedOutcome& o, bool preview, std::wstring_view reportPath) {
  std::wstring text;
  if (preview) {
    text = o.listed ? L"预览完成：将删除 " + ToDecimal(static_cast<std::int64_t>(o.listed)) + L" 项，共 " +
                          FormatSize(o.listedBytes) + L"，没有删除任何文件。"
                    : L"预览完成：没有符合条件的项目。";
  } else if (o.stopped) {
    text = L"清理被中止，没有删除任何文件。";
  } else if (o.listed == 0) {
    text = L"清理完成：没有符合条件的项目。";
  } else {
    text = L"清理完成：已删除 " + ToDecimal(static_cast<std::int64_t>(o.removed)) + L" 项（" +
           FormatSize(o.removedBytes) + L"）";
    if (o.kept) text += L"，保留 " + ToDecimal(static_cast<std::int64_t>(o.kept)) + L" 项（原因见报告）";
    text += L"。";
  }
  if (!o.undoFile.empty()) text += L"\r\n注册表撤销文件：" + o.undoFile;
  if (!reportPath.empty()) text += L"\r\n报告：" + std::wstring(reportPath);
  return text;
}

CliEnvironment ProcessEnvironment() {
  CliEnvironment env;
  env.programFolder = std::wstring(ExtractFilePath(ProgramPath()));
  // Output the caller redirected (a script's pipe or file) takes UTF-8; else the
  // console of the command prompt that started the program, whose Ctrl+C then
  // stops the run before anything is removed.
  HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
  const DWORD type = out && out != INVALID_HANDLE_VALUE ? GetFileType(out) : FILE_TYPE_UNKNOWN;
  if (type == FILE_TYPE_DISK || type == FILE_TYPE_PIPE) {
    env.console = [out](std::wstring_view text) {
      const std::string bytes = ToUtf8(text);
      DWORD written = 0;
      return WriteFile(out, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) != FALSE;
    };
  } else if (AttachConsole(ATTACH_PARENT_PROCESS)) {
    SetConsoleCtrlHandler(OnConsoleControl, TRUE);
    env.console = [](std::wstring_view text) {
      UniqueHandle console(
          CreateFileW(L"CONOUT$", GENERIC_WRITE, FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr));
      if (!console) return false;
      DWORD written = 0;
      return WriteConsoleW(console.get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr) != FALSE;
    };
  }
  return env;
}

std::vector<std::wstring> ProcessArguments() {
  int count = 0;
  wchar_t** words = CommandLineToArgvW(GetCommandLineW(), &count);
  std::vector<std::wstring> out;
  for (int i = 1; words && i < count; ++i) out.emplace_back(words[i]);
  if (words) LocalFree(words);
  return out;
}

namespace {

// The fault that ended a command-line run: logged and told. Nothing may escape
// from here (it would end the process without its exit code), so a failure of
// the log or of the telling itself leaves only the exit code. what: empty when
// the fault said nothing of itself.
void ReportCommandLineFault(const CliEnvironment& env, bool quiet, std::wstring_view what) noexcept {
  try {
    const Teller teller(env, quiet);
    teller.log(what.empty() ? L"unknown fault" : what);
    teller.tell(MsgIcon::Error, L"命令行清理出错",
                (what.empty() ? std::wstring() : std::wstring(what) + L"\r\n") +
                    L"详情记录在程序目录的 WindowsVantorra.log 中。");
  } catch (...) {
    OutputDebugStringW(L"WindowsVantorra: the command line's fault could not be recorded\n");
  }
}

}  // namespace

int RunCommandLine(const std::vector<std::wstring>& args, const CliEnvironment& env) {
  CommandLine options;
  try {
    return Run(args, env, options);
  } catch (const std::exception& e) {
    ReportCommandLineFault(env, options.quiet, ToWide(e.what()));
  } catch (...) {
    ReportCommandLineFault(env, options.quiet, {});
  }
  return kExitFault;
}

}  // namespace wv
