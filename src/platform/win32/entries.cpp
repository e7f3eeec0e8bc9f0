// Files and folders opened as themselves, for the checks and the removal that
// work through a handle rather than a path.
#include <winternl.h>

#include <algorithm>
#include <cstring>

#include "platform/win32/win32_platform.h"

namespace wv {
namespace {

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
// Opens folders as well as files, and a link or other reparse point as itself.
constexpr DWORD kAsItself = FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT;

struct OpenMode {
  DWORD access;
  DWORD share;
};

OpenMode ModeOf(EntryOpen how) {
  switch (how) {
    case EntryOpen::Look:
      return {FILE_READ_ATTRIBUTES | SYNCHRONIZE, kShareAll};
    case EntryOpen::Exclusive:
      // Any other opener with data access makes this fail, which is what "in use" means here.
      return {GENERIC_READ, 0};
    case EntryOpen::Hold:
      // Data access, so that the share mode counts: without FILE_SHARE_DELETE nobody
      // can open the folder for renaming or deleting it while this handle lives.
      return {FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES | SYNCHRONIZE, FILE_SHARE_READ | FILE_SHARE_WRITE};
    case EntryOpen::Remove:
      return {DELETE | FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES | SYNCHRONIZE, kShareAll};
  }
  return {FILE_READ_ATTRIBUTES, kShareAll};
}

// The file ID through the native call: GetFileInformationByHandle gives the same
// number but also asks for the volume's serial, which costs Wine about a
// millisecond a call.
std::optional<std::uint64_t> InternalFileId(HANDLE file) {
  using QueryFile = LONG(NTAPI*)(HANDLE, IO_STATUS_BLOCK*, void*, ULONG, ULONG);
  static const auto query = reinterpret_cast<QueryFile>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQueryInformationFile")));
  constexpr ULONG kFileInternalInformation = 6;
  if (query) {
    IO_STATUS_BLOCK status{};
    LARGE_INTEGER id{};
    if (query(file, &status, &id, sizeof id, kFileInternalInformation) >= 0)
      return static_cast<std::uint64_t>(id.QuadPart);
  }
  BY_HANDLE_FILE_INFORMATION info;
  if (!GetFileInformationByHandle(file, &info)) return std::nullopt;
  return (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
}

std::uint64_t AsNumber(const LARGE_INTEGER& value) { return static_cast<std::uint64_t>(value.QuadPart); }

// "\\?\C:\x" -> "C:\x", "\\?\UNC\server\share" -> "\\server\share".
std::wstring WithoutPrefix(std::wstring path) {
  if (path.starts_with(L"\\\\?\\UNC\\")) return L"\\\\" + path.substr(8);
  if (path.starts_with(L"\\\\?\\")) return path.substr(4);
  return path;
}

// The native form a rename takes: "\??\C:\x" or "\??\UNC\server\share\x" (callers give full paths).
std::wstring NativePath(std::wstring_view path) {
  const std::wstring full(path);
  if (full.starts_with(L"\\\\?\\UNC\\")) return L"\\??\\UNC\\" + full.substr(8);
  if (full.starts_with(L"\\\\?\\")) return L"\\??\\" + full.substr(4);
  if (full.starts_with(L"\\\\")) return L"\\??\\UNC\\" + full.substr(2);
  return L"\\??\\" + full;
}

}  // namespace

std::unique_ptr<Entry> Win32FileSystem::openEntry(std::wstring_view path, EntryOpen how, SysResult* why) {
  const OpenMode mode = ModeOf(how);
  UniqueFile file(CreateFileW(ExtendedPath(path).c_str(), mode.access, mode.share, nullptr, OPEN_EXISTING, kAsItself,
                              nullptr));
  if (!note(file.valid())) {
    if (why) *why = SysResult(lastError() ? lastError() : ERROR_GEN_FAILURE);
    return nullptr;
  }
  if (why) *why = SysResult();
  return std::make_unique<Win32Entry>(std::move(file));
}

std::optional<EntryFacts> Win32Entry::facts() {
  FILE_BASIC_INFO basic;
  FILE_STANDARD_INFO standard;
  if (!GetFileInformationByHandleEx(file_.get(), FileBasicInfo, &basic, sizeof basic) ||
      !GetFileInformationByHandleEx(file_.get(), FileStandardInfo, &standard, sizeof standard))
    return std::nullopt;
  EntryFacts facts;
  facts.attributes = basic.FileAttributes;
  const bool folder = (basic.FileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  facts.size = folder ? 0 : AsNumber(standard.EndOfFile);
  facts.lastWrite = AsNumber(basic.LastWriteTime);
  facts.linkCount = standard.NumberOfLinks;
  facts.fileId = InternalFileId(file_.get()).value_or(0);
  return facts;
}

std::wstring Win32Entry::finalPath() {
  std::wstring buffer(MAX_PATH + 8, L'\0');
  for (;;) {
    const DWORD got = GetFinalPathNameByHandleW(file_.get(), buffer.data(), static_cast<DWORD>(buffer.size()),
                                                FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    if (got == 0) return {};
    if (got < buffer.size()) {
      buffer.resize(got);
      return WithoutPrefix(std::move(buffer));
    }
    buffer.resize(got + 1);  // too small: got is the size needed
  }
}

SysResult Win32Entry::setAttributes(DWORD attributes) {
  // Only the marks a caller may set; the folder and link bits belong to the file system.
  constexpr DWORD kSettable = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                              FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_TEMPORARY | FILE_ATTRIBUTE_OFFLINE |
                              FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
  attributes &= kSettable;
  FILE_BASIC_INFO basic{};  // times of 0 stay as they are
  basic.FileAttributes = attributes == 0 ? FILE_ATTRIBUTE_NORMAL : attributes;
  return SysResult::Checked(SetFileInformationByHandle(file_.get(), FileBasicInfo, &basic, sizeof basic) != FALSE);
}

SysResult Win32Entry::markForDeletion() {
  FILE_DISPOSITION_INFO disposition{TRUE};
  return SysResult::Checked(
      SetFileInformationByHandle(file_.get(), FileDispositionInfo, &disposition, sizeof disposition) != FALSE);
}

SysResult Win32Entry::renameTo(std::wstring_view target) {
  const std::wstring name = NativePath(target);
  const std::size_t bytes = sizeof(FILE_RENAME_INFO) + name.size() * sizeof(wchar_t);
  std::vector<std::uint8_t> block(bytes, 0);
  auto* info = reinterpret_cast<FILE_RENAME_INFO*>(block.data());
  info->ReplaceIfExists = FALSE;
  info->RootDirectory = nullptr;
  info->FileNameLength = static_cast<DWORD>(name.size() * sizeof(wchar_t));
  std::memcpy(info->FileName, name.data(), name.size() * sizeof(wchar_t));
  return SysResult::Checked(
      SetFileInformationByHandle(file_.get(), FileRenameInfo, info, static_cast<DWORD>(bytes)) != FALSE);
}

std::wstring Win32Volumes::volumePathOf(std::wstring_view path) {
  const std::wstring in = ExtendedPath(path);
  std::wstring out(std::max<std::size_t>(in.size() + 2, MAX_PATH + 1), L'\0');
  if (!GetVolumePathNameW(in.c_str(), out.data(), static_cast<DWORD>(out.size()))) return {};
  out.resize(std::wcslen(out.c_str()));
  out = WithoutPrefix(std::move(out));
  if (!out.empty() && out.back() != L'\\') out += L'\\';
  return out;
}

}  // namespace wv
