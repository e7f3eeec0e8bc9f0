#include "engines/cleaning/installed_software.h"

#include <array>

#include "core/protected_folders.h"
#include "core/utilities.h"
#include "engines/registry/registry_undo.h"
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

namespace {

bool IsProgramFile(std::wstring_view path) {
  const DWORD attributes = Fs().attributes(path);
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// A bare name is one of Windows' programs; ".exe" added when it has no extension, as the system would.
std::wstring WindowsProgram(std::wstring_view name) {
  std::wstring found = Sh().systemProgramPath(name);
  if (found.empty() && ExtractFileExt(name).empty()) found = Sh().systemProgramPath(std::wstring(name) + L".exe");
  return found;
}

}  // namespace

UninstallCommand ResolveUninstallCommand(std::wstring_view command) {
  UninstallCommand out;
  const std::wstring line = Trim(command);
  if (line.empty()) return out;
  std::wstring program, arguments;
  if (line.front() == L'"') {
    const std::size_t close = line.find(L'"', 1);
    program = Trim(std::wstring_view(line).substr(1, close == std::wstring::npos ? std::wstring::npos : close - 1));
    if (close != std::wstring::npos) arguments = line.substr(close + 1);
  } else if (!IsFullPath(line)) {
    const std::size_t blank = line.find(L' ');
    program = line.substr(0, blank);  // a bare name or a relative path, never found below
    if (blank != std::wstring::npos) arguments = line.substr(blank);
  } else if (IsProgramFile(line)) {
    program = line;  // the whole line names the program, blanks and all
  } else {
    // The program's path as the registration's text shows it, and only when the
    // line begins with exactly that path: the system would otherwise try the
    // words before each blank in turn ("C:\Games\My.exe" for "C:\Games\My Game\...").
    program = ExtractPathFromCommand(line);
    if (!StartsWithNoCase(line, program) || (line.size() > program.size() && line[program.size()] != L' ')) {
      out.program = line;
      return out;
    }
    arguments = line.substr(program.size());
  }
  out.program = program;
  if (IsFullPath(program)) {
    if (!IsProgramFile(program)) return out;
  } else if (!program.empty() && program.find_first_of(L"\\/:") == std::wstring::npos) {
    const std::wstring found = WindowsProgram(program);
    if (found.empty()) return out;
    out.program = found;
  } else {
    return out;  // a relative path: whatever it names depends on the current folder
  }
  out.found = true;
  out.commandLine = L'"' + out.program + L'"' + arguments;
  return out;
}

UninstallOutcome RunUninstaller(const SoftwareRow& row, std::wstring* missingProgram) {
  if (row.subkey.empty()) return UninstallOutcome::RegistrationGone;
  RegistryHandle key;
  key.setRoot(RegRoot::LocalMachine);
  if (!key.openKeyReadOnly(RegistrationPath(row.view, row.subkey))) return UninstallOutcome::RegistrationGone;
  const std::wstring text = TextOf(key, L"uninstallstring");
  if (TrimView(text).empty()) return UninstallOutcome::NoCommand;
  const UninstallCommand command = ResolveUninstallCommand(text);
  if (!command.found || !Sh().runProgram(command.program, command.commandLine)) {
    if (missingProgram) *missingProgram = command.program;
    return UninstallOutcome::UninstallerMissing;
  }
  return UninstallOutcome::Started;
}

SysResult DeleteRegistration(const SoftwareRow& row, std::wstring_view regBackupDir, std::wstring* undoError) {
  // An empty name would make the path the Uninstall key itself.
  if (row.subkey.empty()) return SysResult(ERROR_INVALID_PARAMETER);
  const std::wstring path = RegistrationPath(row.view, row.subkey);
  // Written down first, as the registry pages do, so that the backup manager
  // lists it and the registry editor can put it back.
  if (const UndoFile undo = WriteUndoFile({{RegRoot::LocalMachine, path, true, L""}}, regBackupDir); !undo.written) {
    if (undoError) *undoError = undo.error;
    return SysResult(ERROR_CANNOT_MAKE);
  }
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
