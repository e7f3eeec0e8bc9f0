#include "platform/platform.h"

#include <array>

#include "platform/text.h"
#include "platform/win32/win32_platform.h"

namespace wv {

Platform& platform() {
  static Win32Registry registry;
  static Win32Shell shell;
  static Win32UrlCache urlCache;
  static Win32EventLogs eventLogs;
  static Win32SystemInfo system;
  static Win32Volumes volumes;
  static Win32FileSystem files;
  static Win32Profiles profiles;
  static Platform parts{&registry, &shell, &urlCache, &eventLogs, &system, &volumes, &files, &profiles};
  return parts;
}

// ---------------------------------------------------------------- registry handle

void RegistryHandle::setRoot(RegRoot root) {
  closeKey();
  root_ = root;
}

bool RegistryHandle::openKey(std::wstring_view path) {
  closeKey();
  key_ = Reg().openKey(root_, path);
  return key_ != nullptr;
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

bool RegistryHandle::deleteValue(std::wstring_view name) { return key_ && key_->deleteValue(name); }

bool RegistryHandle::deleteKey(std::wstring_view path) { return Reg().deleteKey(root_, path); }

bool RegistryHandle::keyInfo(RegKeyInfo& out) { return key_ && key_->info(out); }

// ---------------------------------------------------------------- root names

namespace {

struct RootNames {
  RegRoot root;
  std::wstring_view longName;
  std::wstring_view shortName;
};

constexpr std::array<RootNames, 5> kRoots{{
    {RegRoot::ClassesRoot, L"HKEY_CLASSES_ROOT", L"HKCR"},
    {RegRoot::CurrentUser, L"HKEY_CURRENT_USER", L"HKCU"},
    {RegRoot::LocalMachine, L"HKEY_LOCAL_MACHINE", L"HKLM"},
    {RegRoot::Users, L"HKEY_USERS", L"HKU"},
    {RegRoot::CurrentConfig, L"HKEY_CURRENT_CONFIG", L"HKCC"},
}};

}  // namespace

std::wstring_view RootName(RegRoot root) {
  for (const RootNames& r : kRoots)
    if (r.root == root) return r.longName;
  return {};
}

std::optional<RegRoot> ParseRootName(std::wstring_view name) {
  for (const RootNames& r : kRoots)
    if (EqualsNoCase(name, r.longName) || EqualsNoCase(name, r.shortName)) return r.root;
  return std::nullopt;
}

}  // namespace wv
