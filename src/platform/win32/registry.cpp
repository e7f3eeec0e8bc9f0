#include <algorithm>

#include "platform/win32/win32_platform.h"

namespace wv {
namespace {

constexpr REGSAM kFullAccess = KEY_READ | KEY_WRITE | DELETE;

// Callers write absolute paths ("\Software\..."): they are taken from the root.
std::wstring Relative(std::wstring_view path) {
  while (!path.empty() && path.front() == L'\\') path.remove_prefix(1);
  return std::wstring(path);
}

std::unique_ptr<RegKey> Open(RegRoot root, std::wstring_view path, REGSAM access, SysResult* why = nullptr) {
  UniqueHKey key;
  const LSTATUS status = RegOpenKeyExW(RootKey(root), Relative(path).c_str(), 0, access, key.put());
  if (why) *why = SysResult(static_cast<DWORD>(status));
  if (status != ERROR_SUCCESS) return nullptr;
  return std::make_unique<Win32RegKey>(std::move(key));
}

// Walks RegEnumKeyEx / RegEnumValue by index, growing the name buffer whenever
// one name does not fit, until the system reports the end of the list.
template <class Enum>
std::vector<std::wstring> EnumNames(DWORD longestName, Enum enumerate) {
  std::vector<std::wstring> names;
  std::wstring buffer(std::max<DWORD>(longestName + 1, 256), L'\0');
  for (DWORD index = 0;;) {
    DWORD length = static_cast<DWORD>(buffer.size());
    const LSTATUS status = enumerate(index, buffer.data(), &length);
    if (status == ERROR_MORE_DATA) {
      buffer.resize(buffer.size() * 2);
      continue;
    }
    if (status != ERROR_SUCCESS) break;  // ERROR_NO_MORE_ITEMS, or the key went away
    names.emplace_back(buffer.data(), length);
    ++index;
  }
  return names;
}

}  // namespace

HKEY RootKey(RegRoot root) {
  switch (root) {
    case RegRoot::ClassesRoot: return HKEY_CLASSES_ROOT;
    case RegRoot::CurrentUser: return HKEY_CURRENT_USER;
    case RegRoot::LocalMachine: return HKEY_LOCAL_MACHINE;
    case RegRoot::Users: return HKEY_USERS;
    case RegRoot::CurrentConfig: return HKEY_CURRENT_CONFIG;
  }
  return HKEY_CURRENT_USER;
}

std::vector<std::wstring> Win32RegKey::subkeyNames() {
  DWORD longest = 0;
  RegQueryInfoKeyW(key_.get(), nullptr, nullptr, nullptr, nullptr, &longest, nullptr, nullptr, nullptr, nullptr,
                   nullptr, nullptr);
  return EnumNames(longest, [this](DWORD index, wchar_t* name, DWORD* length) {
    return RegEnumKeyExW(key_.get(), index, name, length, nullptr, nullptr, nullptr, nullptr);
  });
}

std::vector<std::wstring> Win32RegKey::valueNames() {
  DWORD longest = 0;
  RegQueryInfoKeyW(key_.get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &longest, nullptr,
                   nullptr, nullptr);
  return EnumNames(longest, [this](DWORD index, wchar_t* name, DWORD* length) {
    return RegEnumValueW(key_.get(), index, name, length, nullptr, nullptr, nullptr, nullptr);
  });
}

bool Win32RegKey::valueExists(std::wstring_view name) {
  return RegQueryValueExW(key_.get(), std::wstring(name).c_str(), nullptr, nullptr, nullptr, nullptr) ==
         ERROR_SUCCESS;
}

RegValueType Win32RegKey::valueType(std::wstring_view name) {
  DWORD type = REG_NONE;
  if (RegQueryValueExW(key_.get(), std::wstring(name).c_str(), nullptr, &type, nullptr, nullptr) != ERROR_SUCCESS)
    return RegValueType::Unknown;
  switch (type) {
    case REG_SZ: return RegValueType::String;
    case REG_EXPAND_SZ: return RegValueType::ExpandString;
    case REG_DWORD: return RegValueType::Integer;
    case REG_BINARY: return RegValueType::Binary;
    default: return RegValueType::Unknown;
  }
}

std::optional<std::wstring> Win32RegKey::readText(std::wstring_view name) {
  const std::wstring valueName(name);
  DWORD type = REG_NONE;
  DWORD bytes = 0;
  if (RegQueryValueExW(key_.get(), valueName.c_str(), nullptr, &type, nullptr, &bytes) != ERROR_SUCCESS)
    return std::nullopt;
  // The data need not end in a NUL and may hold an odd number of bytes: one spare
  // character beyond what the system reports keeps the text terminated.
  std::wstring buffer;
  for (;;) {
    if (type != REG_SZ && type != REG_EXPAND_SZ) return std::nullopt;
    buffer.assign(bytes / sizeof(wchar_t) + 2, L'\0');
    DWORD got = static_cast<DWORD>(buffer.size() * sizeof(wchar_t));
    const LSTATUS status =
        RegQueryValueExW(key_.get(), valueName.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()), &got);
    if (status == ERROR_MORE_DATA) {  // the value grew between the two calls
      bytes = got;
      continue;
    }
    if (status != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) return std::nullopt;
    buffer.resize(got / sizeof(wchar_t));
    break;
  }
  const std::size_t nul = buffer.find(L'\0');
  if (nul != std::wstring::npos) buffer.resize(nul);
  return buffer;
}

bool Win32RegKey::writeText(std::wstring_view name, std::wstring_view text) {
  const std::wstring data(text);
  return RegSetValueExW(key_.get(), std::wstring(name).c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                        static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

bool Win32RegKey::writeInteger(std::wstring_view name, std::uint32_t value) {
  const DWORD data = value;
  return RegSetValueExW(key_.get(), std::wstring(name).c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&data),
                        sizeof data) == ERROR_SUCCESS;
}

bool Win32RegKey::writeBinary(std::wstring_view name, const void* data, std::size_t size) {
  if (size > MAXDWORD) return false;
  return RegSetValueExW(key_.get(), std::wstring(name).c_str(), 0, REG_BINARY, static_cast<const BYTE*>(data),
                        static_cast<DWORD>(size)) == ERROR_SUCCESS;
}

SysResult Win32RegKey::deleteValue(std::wstring_view name) {
  return SysResult(static_cast<DWORD>(RegDeleteValueW(key_.get(), std::wstring(name).c_str())));
}

bool Win32RegKey::info(RegKeyInfo& out) {
  DWORD subkeys = 0;
  DWORD values = 0;
  FILETIME lastWrite{};
  if (RegQueryInfoKeyW(key_.get(), nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values, nullptr, nullptr,
                       nullptr, &lastWrite) != ERROR_SUCCESS)
    return false;
  out.subkeyCount = subkeys;
  out.valueCount = values;
  out.lastWrite = lastWrite;
  return true;
}

bool Win32RegKey::readRaw(std::wstring_view name, RegRawValue& out) {
  const std::wstring valueName(name);
  // Most values fit the buffer the caller reuses: one call then does.
  if (out.data.size() < 256) out.data.resize(256);
  for (;;) {
    DWORD type = REG_NONE;
    DWORD bytes = static_cast<DWORD>(out.data.size());
    const LSTATUS status = RegQueryValueExW(key_.get(), valueName.c_str(), nullptr, &type, out.data.data(), &bytes);
    if (status == ERROR_MORE_DATA) {
      out.data.resize(std::max<std::size_t>(bytes, out.data.size() * 2));
      continue;
    }
    if (status != ERROR_SUCCESS) return false;
    out.type = type;
    out.data.resize(bytes);
    return true;
  }
}

std::unique_ptr<RegKey> Win32Registry::openKey(RegRoot root, std::wstring_view path, SysResult* why) {
  return Open(root, path, kFullAccess, why);
}

std::unique_ptr<RegKey> Win32Registry::openKeyReadOnly(RegRoot root, std::wstring_view path) {
  return Open(root, path, KEY_READ);
}

std::unique_ptr<RegKey> Win32Registry::createKey(RegRoot root, std::wstring_view path) {
  UniqueHKey key;
  if (RegCreateKeyExW(RootKey(root), Relative(path).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, kFullAccess,
                      nullptr, key.put(), nullptr) != ERROR_SUCCESS)
    return nullptr;
  return std::make_unique<Win32RegKey>(std::move(key));
}

bool Win32Registry::keyExists(RegRoot root, std::wstring_view path) {
  UniqueHKey key;
  const LSTATUS status = RegOpenKeyExW(RootKey(root), Relative(path).c_str(), 0, KEY_QUERY_VALUE, key.put());
  // A key we may not read is still there: reporting it missing would let the
  // cleaners delete the references to it.
  return status == ERROR_SUCCESS || status == ERROR_ACCESS_DENIED;
}

SysResult Win32Registry::deleteKey(RegRoot root, std::wstring_view path) {
  const std::wstring relative = Relative(path);
  // An empty path names the root itself: never empty a whole hive.
  if (relative.empty()) return SysResult(ERROR_INVALID_PARAMETER);
  if (!keyExists(root, relative)) return SysResult(ERROR_FILE_NOT_FOUND);
  LSTATUS status = RegDeleteTreeW(RootKey(root), relative.c_str());
  const LSTATUS own = RegDeleteKeyW(RootKey(root), relative.c_str());  // RegDeleteTree may leave the key itself
  if (status == ERROR_SUCCESS) status = own;
  UniqueHKey key;
  if (RegOpenKeyExW(RootKey(root), relative.c_str(), 0, KEY_QUERY_VALUE, key.put()) == ERROR_FILE_NOT_FOUND)
    return SysResult();
  return SysResult(status != ERROR_SUCCESS ? static_cast<DWORD>(status) : ERROR_ACCESS_DENIED);
}

}  // namespace wv

namespace wv {

bool Win32RegKey::writeRaw(std::wstring_view name, const RegRawValue& value) {
  if (value.data.size() > MAXDWORD - 2) return false;
  // The system adds a terminator to a string whose count leaves it out when the
  // memory after it happens to hold one: a character that is none after the
  // bytes keeps the value exactly as given.
  std::vector<std::uint8_t> bytes(value.data);
  bytes.push_back(0xFF);
  bytes.push_back(0xFF);
  return RegSetValueExW(key_.get(), std::wstring(name).c_str(), 0, value.type,
                        value.data.empty() ? nullptr : bytes.data(),
                        static_cast<DWORD>(value.data.size())) == ERROR_SUCCESS;
}

}  // namespace wv
