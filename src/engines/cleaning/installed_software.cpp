#include "engines/cleaning/installed_software.h"

#include <array>

#include "core/protected_folders.h"
#include "core/utilities.h"
#include "platform/text.h"
#include "platform/platform.h"

namespace wv {
namespace {

std::wstring_view BaseKey(UninstallView view) {
  return view == UninstallView::Native ? kUninstallKey : kUninstallKeyWow32;
}

std::wstring TextOf(RegistryHandle& key, std::wstring_view name) { return key.readText(name).value_or(L""); }

// The first of the command-like values that names an existing file.
std::wstring IconFile(std::wstring_view displayIcon, std::wstring_view uninstallCommand) {
  for (std::wstring_view source : {displayIcon, uninstallCommand}) {
    if (TrimView(source).empty()) continue;
    std::wstring path = ExtractPathFromCommand(source);
    if (FileExists(path)) return path;
  }
  return {};
}

}  // namespace

std::wstring RegistrationPath(UninstallView view, std::wstring_view subkey) {
  std::wstring path(BaseKey(view));
  path += L'\\';
  path += subkey;
  return path;
}

bool PassesSoftwareFilter(SoftwareFilter filter, std::wstring_view displayName, std::wstring_view publisher) {
  switch (filter) {
    case SoftwareFilter::HideUpdates:
      return !ContainsNoCase(displayName, L" (KB") && !ContainsNoCase(displayName, L" KB");
    case SoftwareFilter::HideMicrosoft:
      return !ContainsNoCase(publisher, L"Microsoft");
    case SoftwareFilter::ShowAll:
      return true;
  }
  return true;
}

std::size_t ReadInstalledSoftware(SoftwareFilter filter, RunContext& run,
                                  const std::function<void(SoftwareRow)>& sink) {
  std::size_t rows = 0;
  for (UninstallView view : {UninstallView::Native, UninstallView::Wow32}) {
    RegistryHandle list;
    list.setRoot(RegRoot::LocalMachine);
    if (!list.openKeyReadOnly(BaseKey(view))) continue;  // a 32-bit system has no second key
    const std::vector<std::wstring> names = list.subkeyNames();
    list.closeKey();
    for (const std::wstring& name : names) {
      if (!run.proceed()) return rows;
      RegistryHandle key;
      key.setRoot(RegRoot::LocalMachine);
      // Reading needs no write access: a registration we may not change is still installed.
      if (!key.openKeyReadOnly(RegistrationPath(view, name))) continue;
      SoftwareRow row;
      row.displayName = TextOf(key, L"Displayname");
      if (row.displayName.empty()) continue;
      row.publisher = TextOf(key, L"Publisher");
      if (!PassesSoftwareFilter(filter, row.displayName, row.publisher)) continue;
      row.view = view;
      row.subkey = name;
      row.version = TextOf(key, L"DisplayVersion");
      RegKeyInfo info;
      if (key.keyInfo(info)) {
        row.installed = info.lastWrite;
        row.hasInstalled = true;
      }
      if (key.valueExists(L"URLInfoAbout")) row.webAddress = TextOf(key, L"URLInfoAbout");
      else if (key.valueExists(L"HelpLink")) row.webAddress = TextOf(key, L"HelpLink");
      row.uninstallCommand = TextOf(key, L"uninstallstring");
      row.iconFile = IconFile(TextOf(key, L"DisplayIcon"), row.uninstallCommand);
      sink(std::move(row));
      run.rowAdded();
      ++rows;
    }
  }
  return rows;
}

std::wstring SafeCommandLine(std::wstring_view command) {
  std::wstring line = Trim(command);
  if (line.empty() || line.front() == L'"' || line.find(L' ') == std::wstring::npos) return line;
  if (FileExists(line)) return L'"' + line + L'"';
  const std::wstring program = ExtractPathFromCommand(line);
  if (program.find(L' ') == std::wstring::npos || !FileExists(program)) return line;
  // Only when the line really begins with that path, followed by its arguments.
  if (!StartsWithNoCase(line, program) || (line.size() > program.size() && line[program.size()] != L' '))
    return line;
  return L'"' + program + L'"' + line.substr(program.size());
}

std::optional<UninstallCommand> ResolveUninstallCommand(std::wstring_view command) {
  const std::wstring line = SafeCommandLine(command);
  if (line.empty()) return std::nullopt;
  // The program: the quoted part, else the first word (SafeCommandLine quoted an existing path with blanks).
  std::wstring_view program = line, rest;
  if (line.front() == L'"') {
    const std::size_t close = line.find(L'"', 1);
    program = std::wstring_view(line).substr(1, close == std::wstring::npos ? std::wstring::npos : close - 1);
    rest = close == std::wstring::npos ? std::wstring_view() : std::wstring_view(line).substr(close + 1);
  } else if (const std::size_t blank = line.find(L' '); blank != std::wstring::npos) {
    program = std::wstring_view(line).substr(0, blank);
    rest = std::wstring_view(line).substr(blank);
  }
  if (IsFullPath(program)) return UninstallCommand{std::wstring(program), line};
  if (program.empty() || program.find_first_of(L"\\/:") != std::wstring_view::npos) return std::nullopt;
  std::wstring found = Sh().systemProgramPath(program);
  if (found.empty() && ExtractFileExt(program).empty()) found = Sh().systemProgramPath(std::wstring(program) + L".exe");
  if (found.empty()) return std::nullopt;
  return UninstallCommand{found, L'"' + found + L'"' + std::wstring(rest)};
}

UninstallOutcome RunUninstaller(const SoftwareRow& row) {
  if (row.subkey.empty()) return UninstallOutcome::RegistrationGone;
  RegistryHandle key;
  key.setRoot(RegRoot::LocalMachine);
  if (!key.openKeyReadOnly(RegistrationPath(row.view, row.subkey))) return UninstallOutcome::RegistrationGone;
  const std::wstring command = TextOf(key, L"uninstallstring");
  if (TrimView(command).empty()) return UninstallOutcome::NoCommand;
  const std::optional<UninstallCommand> resolved = ResolveUninstallCommand(command);
  if (!resolved || !Sh().runProgram(resolved->program, resolved->commandLine)) return UninstallOutcome::UninstallerMissing;
  return UninstallOutcome::Started;
}

SysResult DeleteRegistration(const SoftwareRow& row) {
  // An empty name would make the path the Uninstall key itself.
  if (row.subkey.empty()) return SysResult(ERROR_INVALID_PARAMETER);
  const std::wstring path = RegistrationPath(row.view, row.subkey);
  const SysResult deleted = Reg().deleteKey(RegRoot::LocalMachine, path);
  if (deleted || deleted.notFound() || !Reg().keyExists(RegRoot::LocalMachine, path)) return {};
  return deleted;
}

WebAddressCheck CheckWebAddress(std::wstring_view text) {
  WebAddressCheck check;
  check.address = Trim(text);
  if (check.address.empty()) return check;
  // Vendors often register their site without its protocol.
  if (StartsWithNoCase(check.address, L"www.")) check.address.insert(0, L"http://");
  static constexpr std::array<std::wstring_view, 4> kSchemes = {L"http://", L"https://", L"ftp://", L"mailto:"};
  check.kind = WebAddressKind::NotWeb;
  for (std::wstring_view scheme : kSchemes)
    if (StartsWithNoCase(check.address, scheme) && check.address.size() > scheme.size()) check.kind = WebAddressKind::Web;
  return check;
}

bool OpenWebAddress(std::wstring_view text) {
  const WebAddressCheck check = CheckWebAddress(text);
  if (check.kind != WebAddressKind::Web) return false;
  Sh().open(L"", check.address, L"", SW_SHOWNORMAL);
  return true;
}

}  // namespace wv
