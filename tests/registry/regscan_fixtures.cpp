#include "registry/regscan_fixtures.h"

#include <winioctl.h>

#include <gtest/gtest.h>

#include <cstring>

#include "core/text.h"

namespace wv::test::regscan {
namespace {

// The mount manager's own control for defining drives (how the prefix's drive
// settings are changed); its layout as the Wine 8 mount manager reads it.
constexpr DWORD kDefineUnixDrive = CTL_CODE(static_cast<ULONG>('m'), 32, METHOD_BUFFERED,
                                            FILE_READ_ACCESS | FILE_WRITE_ACCESS);
struct UnixDrive {
  ULONG size;
  ULONG type;
  ULONG fsType;
  DWORD serial;
  ULONGLONG unixDev;
  WCHAR letter;
  USHORT mountPointOffset;
  USHORT deviceOffset;
  USHORT labelOffset;
};

std::string UnixPathOf(std::wstring_view path) {
  using Fn = char*(CDECL*)(LPCWSTR);
  const auto fn = reinterpret_cast<Fn>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
  if (!fn) return {};
  char* unix = fn(std::wstring(path).c_str());
  if (!unix) return {};
  std::string out(unix);
  HeapFree(GetProcessHeap(), 0, unix);
  return out;
}

}  // namespace

std::vector<const RegistryRow*> Collected::under(std::wstring_view keyPath) const {
  std::vector<const RegistryRow*> out;
  for (const RegistryRow& r : rows)
    if (StartsWithNoCase(r.keyPath, keyPath)) out.push_back(&r);
  return out;
}

const RegistryRow* Collected::find(std::wstring_view keyPath, std::wstring_view valueName, RegRowKind kind) const {
  for (const RegistryRow& r : rows)
    if (r.kind == kind && EqualsNoCase(r.keyPath, keyPath) && r.valueName == valueName) return &r;
  return nullptr;
}

Planted::~Planted() {
  for (auto it = values_.rbegin(); it != values_.rend(); ++it)
    if (auto key = Reg().openKey(it->root, it->path)) (void)key->deleteValue(it->name);
  for (auto it = keys_.rbegin(); it != keys_.rend(); ++it) (void)Reg().deleteKey(it->root, it->path);
}

void Planted::key(RegRoot root, std::wstring_view path) {
  // The topmost component that is missing is what this test adds.
  std::size_t at = 1;
  for (;;) {
    const std::size_t next = path.find(L'\\', at);
    const std::wstring_view prefix = path.substr(0, next);
    if (!Reg().keyExists(root, prefix)) {
      keys_.push_back({root, std::wstring(prefix), {}});
      break;
    }
    if (next == std::wstring_view::npos) break;
    at = next + 1;
  }
  (void)Reg().createKey(root, path);
}

void Planted::track(RegRoot root, std::wstring_view path, std::wstring_view name) {
  if (Reg().keyExists(root, path)) {
    if (auto k = Reg().openKey(root, path); k && !k->valueExists(name))
      values_.push_back({root, std::wstring(path), std::wstring(name)});
  } else {
    key(root, path);
  }
}

void Planted::text(RegRoot root, std::wstring_view path, std::wstring_view name, std::wstring_view data) {
  track(root, path, name);
  auto k = Reg().openKey(root, path);
  if (!k || !k->writeText(name, data)) ADD_FAILURE() << "cannot plant " << ToUtf8(path) << " : " << ToUtf8(name);
}

void Planted::expandText(RegRoot root, std::wstring_view path, std::wstring_view name, std::wstring_view data) {
  track(root, path, name);
  auto k = Reg().openKey(root, path);
  auto* w = dynamic_cast<Win32RegKey*>(k.get());
  const std::wstring d(data);
  if (!w || RegSetValueExW(w->handle(), std::wstring(name).c_str(), 0, REG_EXPAND_SZ,
                           reinterpret_cast<const BYTE*>(d.c_str()),
                           static_cast<DWORD>((d.size() + 1) * sizeof(wchar_t))) != ERROR_SUCCESS)
    ADD_FAILURE() << "cannot plant " << ToUtf8(path) << " : " << ToUtf8(name);
}

void Planted::integer(RegRoot root, std::wstring_view path, std::wstring_view name, DWORD data) {
  track(root, path, name);
  auto k = Reg().openKey(root, path);
  if (!k || !k->writeInteger(name, data)) ADD_FAILURE() << "cannot plant " << ToUtf8(path) << " : " << ToUtf8(name);
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

}  // namespace wv::test::regscan
