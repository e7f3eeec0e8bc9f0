#include "platform/platform.h"

#include <array>

#include "platform/win32/win32_platform.h"

namespace wv {

SysResult SysResult::LastError() {
  const DWORD error = GetLastError();
  return SysResult(error == ERROR_SUCCESS ? ERROR_GEN_FAILURE : error);
}

bool SysResult::notFound() const {
  return error_ == ERROR_FILE_NOT_FOUND || error_ == ERROR_PATH_NOT_FOUND || error_ == ERROR_INVALID_DRIVE ||
         error_ == ERROR_BAD_NETPATH;
}

bool SysResult::refused() const {
  return error_ == ERROR_ACCESS_DENIED || error_ == ERROR_SHARING_VIOLATION || error_ == ERROR_LOCK_VIOLATION ||
         error_ == ERROR_WRITE_PROTECT || error_ == ERROR_PRIVILEGE_NOT_HELD;
}

std::wstring SystemErrorText(DWORD error) {
  wchar_t* buffer = nullptr;
  const DWORD length = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0,
      reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
  std::wstring text(buffer ? buffer : L"", length);
  if (buffer) LocalFree(buffer);
  while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' ')) text.pop_back();
  if (text.empty()) text = L"error " + std::to_wstring(error);
  return text;
}

Platform& platform() {
  static Win32Registry registry;
  static Win32Shell shell;
  static Win32UrlCache urlCache;
  static Win32EventLogs eventLogs;
  static Win32SystemInfo system;
  static Win32Volumes volumes;
  static Win32FileSystem files;
  static Win32Profiles profiles;
  static Win32TaskScheduler tasks;
  static Platform parts{&registry, &shell, &urlCache, &eventLogs, &system, &volumes, &files, &profiles, &tasks};
  return parts;
}

std::wstring_view SystemProgramFile(SystemProgram program) {
  switch (program) {
    case SystemProgram::RegistryEditor: return L"regedit.exe";
    case SystemProgram::FileBrowser: return L"explorer.exe";
    case SystemProgram::HelpViewer: return L"hh.exe";
  }
  return {};
}

UniqueHandle StartSystemProgram(SystemProgram program, std::wstring_view params, int show) {
  const std::wstring path = Sh().systemProgramPath(SystemProgramFile(program));
  if (path.empty()) return {};
  return Sh().start(path, params, show);
}

// ---------------------------------------------------------------- registry handle

void RegistryHandle::setRoot(RegRoot root) {
  closeKey();
  root_ = root;
}

SysResult RegistryHandle::openKey(std::wstring_view path) {
  closeKey();
  SysResult why;
  key_ = Reg().openKey(root_, path, &why);
  return key_ ? SysResult() : why.ok() ? SysResult(ERROR_FILE_NOT_FOUND) : why;
}

bool RegistryHandle::openKeyReadOnly(std::wstring_view path) {
  closeKey();
  key_ = Reg().openKeyReadOnly(root_, path);
  return key_ != nullptr;
}

void RegistryHandle::closeKey() { key_.reset(); }

std::vector<std::wstring> RegistryHandle::subkeyNames() { return key_ ? key_->subkeyNames() : std::vector<std::wstring>{}; }

std::vector<std::wstring> RegistryHandle::valueNames() { return key_ ? key_->valueNames() : std::vector<std::wstring>{}; }

bool RegistryHandle::valueExists(std::wstring_view name) { return key_ && key_->valueExists(name); }

bool RegistryHandle::keyExists(std::wstring_view path) { return Reg().keyExists(root_, path); }

RegValueType RegistryHandle::valueType(std::wstring_view name) {
  return key_ ? key_->valueType(name) : RegValueType::Unknown;
}

std::optional<std::wstring> RegistryHandle::readText(std::wstring_view name) {
  if (!key_) return std::nullopt;
  return key_->readText(name);
}

bool RegistryHandle::writeText(std::wstring_view name, std::wstring_view text) {
  return key_ && key_->writeText(name, text);
}

SysResult RegistryHandle::deleteValue(std::wstring_view name) {
  return key_ ? key_->deleteValue(name) : SysResult(ERROR_INVALID_HANDLE);
}

SysResult RegistryHandle::deleteKey(std::wstring_view path) { return Reg().deleteKey(root_, path); }

bool RegistryHandle::keyInfo(RegKeyInfo& out) { return key_ && key_->info(out); }

// ---------------------------------------------------------------- root names

namespace {

struct RootNames {
  RegRoot root;
  std::wstring_view longName;
};

constexpr std::array<RootNames, 5> kRoots{{
    {RegRoot::ClassesRoot, L"HKEY_CLASSES_ROOT"},
    {RegRoot::CurrentUser, L"HKEY_CURRENT_USER"},
    {RegRoot::LocalMachine, L"HKEY_LOCAL_MACHINE"},
    {RegRoot::Users, L"HKEY_USERS"},
    {RegRoot::CurrentConfig, L"HKEY_CURRENT_CONFIG"},
}};

}  // namespace

std::wstring_view RootName(RegRoot root) {
  for (const RootNames& r : kRoots)
    if (r.root == root) return r.longName;
  return {};
}

}  // namespace wv
