#include "registry/fixtures.h"

#include <winioctl.h>

#include <gtest/gtest.h>

#include <cstring>

#include "core/text.h"

namespace wv::test {
namespace {

// The mount manager's own control for defining drives (how the prefix's drive
// settings are changed); its layout as the Wine 8 mount manager reads it.
constexpr DWORD kDefineUnixDrive = CTL_CODE(static_cast<ULONG>('m'), 32, METHOD_BUFFERED,
                                            FILE_READ_ACCESS | FILE_WRITE_ACCESS);
struct UnixDrive {
  ULONG size, type, fsType;
  DWORD serial;
  ULONGLONG unixDev;
  WCHAR letter;
  USHORT mountPointOffset, deviceOffset, labelOffset;
};

std::string UnixPathOf(std::wstring_view path) {
  using Fn = char*(CDECL*)(LPCWSTR);
  const auto fn = reinterpret_cast<Fn>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
  char* unix = fn ? fn(std::wstring(path).c_str()) : nullptr;
  if (!unix) return {};
  std::string out(unix);
  HeapFree(GetProcessHeap(), 0, unix);
  return out;
}

}  // namespace

std::size_t Collected::under(std::wstring_view keyPath) const {
  std::size_t n = 0;
  for (const RegistryRow& r : rows) n += StartsWithNoCase(r.keyPath, keyPath);
  return n;
}

const RegistryRow* Collected::find(std::wstring_view keyPath, std::wstring_view valueName, RegRowKind kind) const {
  for (const RegistryRow& r : rows)
    if (r.kind == kind && EqualsNoCase(r.keyPath, keyPath) && r.valueName == valueName) return &r;
  return nullptr;
}

std::vector<std::uint8_t> TextBytes(std::wstring_view text, bool withNul) {
  const auto* p = reinterpret_cast<const std::uint8_t*>(text.data());
  std::vector<std::uint8_t> out(p, p + text.size() * sizeof(wchar_t));
  if (withNul) out.insert(out.end(), {0, 0});
  return out;
}

Planted::~Planted() {
  for (auto it = values_.rbegin(); it != values_.rend(); ++it)
    if (auto key = Reg().openKey(it->root, it->path)) (void)key->deleteValue(it->name);
  for (auto it = keys_.rbegin(); it != keys_.rend(); ++it) (void)Reg().deleteKey(it->root, it->path);
  for (const std::wstring& f : files_) RemoveTree(f);
}

void Planted::key(RegRoot root, std::wstring_view path) {
  // The topmost component that is missing is what this test adds.
  for (std::size_t at = 1;;) {
    const std::size_t next = path.find(L'\\', at);
    if (!Reg().keyExists(root, path.substr(0, next))) {
      keys_.push_back({root, std::wstring(path.substr(0, next)), {}});
      break;
    }
    if (next == std::wstring_view::npos) break;
    at = next + 1;
  }
  if (!Reg().createKey(root, path)) ADD_FAILURE() << "cannot plant " << ToUtf8(path);
}

void Planted::raw(RegRoot root, std::wstring_view path, std::wstring_view name, const RegRawValue& value) {
  if (!Reg().keyExists(root, path)) key(root, path);
  else if (auto k = Reg().openKey(root, path); k && !k->valueExists(name))
    values_.push_back({root, std::wstring(path), std::wstring(name)});
  auto k = Reg().openKey(root, path);
  if (!k || !k->writeRaw(name, value)) ADD_FAILURE() << "cannot plant " << ToUtf8(path) << " : " << ToUtf8(name);
}

std::wstring Planted::file(std::wstring_view path, std::string_view content) {
  files_.emplace_back(path);
  WriteBytes(path, content);
  return files_.back();
}

std::optional<RegRawValue> RawValue(RegRoot root, std::wstring_view path, std::wstring_view name) {
  RegRawValue value;
  auto k = Reg().openKeyReadOnly(root, path);
  if (!k || !k->readRaw(name, value)) return std::nullopt;
  return value;
}

MappedDrive::MappedDrive(wchar_t letter, std::wstring_view folder, unsigned type) : letter_(letter) {
  const std::string unix = UnixPathOf(folder);
  ok_ = !unix.empty() && define(type, unix);
}

MappedDrive::~MappedDrive() {
  if (ok_) (void)define(DRIVE_NO_ROOT_DIR, {});
}

bool MappedDrive::define(unsigned type, const std::string& unixPath) {
  std::vector<char> buffer(sizeof(UnixDrive) + unixPath.size() + 1, '\0');
  auto* drive = reinterpret_cast<UnixDrive*>(buffer.data());
  drive->size = static_cast<ULONG>(buffer.size());
  drive->type = type;
  drive->letter = letter_;
  if (!unixPath.empty()) {
    drive->mountPointOffset = sizeof(UnixDrive);
    std::memcpy(buffer.data() + sizeof(UnixDrive), unixPath.c_str(), unixPath.size() + 1);
  }
  HANDLE manager = CreateFileW(L"\\\\.\\MountPointManager", GENERIC_READ | GENERIC_WRITE,
                               FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
  if (manager == INVALID_HANDLE_VALUE) return false;
  DWORD got = 0;
  const BOOL done = DeviceIoControl(manager, kDefineUnixDrive, buffer.data(), static_cast<DWORD>(buffer.size()),
                                    nullptr, 0, &got, nullptr);
  CloseHandle(manager);
  return done != FALSE;
}

wchar_t FreeDriveLetter() {
  const DWORD used = GetLogicalDrives();
  for (wchar_t l = L'R'; l <= L'Y'; ++l)
    if (!(used & (1u << (l - L'A')))) return l;
  return 0;
}

}  // namespace wv::test
