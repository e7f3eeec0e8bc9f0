#include <algorithm>

#include "platform/win32/win32_platform.h"

namespace wv {
namespace {

// Below this length every call takes the path as given; from here on the
// classic limits (248 for folders, 260 for files) may refuse it.
constexpr std::size_t kLongPath = 248;
constexpr std::wstring_view kExtendedPrefix = L"\\\\?\\";
constexpr std::wstring_view kExtendedUnc = L"\\\\?\\UNC\\";

bool IsDriveAbsolute(std::wstring_view p) {
  return p.size() >= 3 && p[1] == L':' && (p[2] == L'\\' || p[2] == L'/') &&
         ((p[0] >= L'A' && p[0] <= L'Z') || (p[0] >= L'a' && p[0] <= L'z'));
}

bool IsUnc(std::wstring_view p) {
  return p.size() > 2 && p[0] == L'\\' && p[1] == L'\\' && p[2] != L'?' && p[2] != L'.';
}

// An extended path is taken literally: "." and ".." parts, forward slashes, doubled
// separators and trailing dots or blanks must be resolved first, as the system would
// for a shorter path. A pure text operation, and only long paths pay for it.
std::wstring Normalised(std::wstring_view path) {
  const std::wstring in(path);
  const DWORD need = GetFullPathNameW(in.c_str(), 0, nullptr, nullptr);
  if (need == 0) return in;
  std::wstring out(need, L'\0');
  const DWORD got = GetFullPathNameW(in.c_str(), need, out.data(), nullptr);
  if (got == 0 || got >= need) return in;
  out.resize(got);
  return out;
}

std::wstring StripExtendedPrefix(std::wstring path) {
  if (path.rfind(kExtendedUnc, 0) == 0) return L"\\\\" + path.substr(kExtendedUnc.size());
  if (path.rfind(kExtendedPrefix, 0) == 0) return path.substr(kExtendedPrefix.size());
  return path;
}

DWORD DesiredAccess(FileAccess access) {
  switch (access) {
    case FileAccess::Read: return GENERIC_READ;
    case FileAccess::Write: return GENERIC_WRITE;
    case FileAccess::ReadWrite: return GENERIC_READ | GENERIC_WRITE;
  }
  return GENERIC_READ;
}

DWORD CreationDisposition(FileDisposition disposition) {
  switch (disposition) {
    case FileDisposition::OpenExisting: return OPEN_EXISTING;
    case FileDisposition::CreateAlways: return CREATE_ALWAYS;
    case FileDisposition::CreateNew: return CREATE_NEW;
    case FileDisposition::OpenAlways: return OPEN_ALWAYS;
  }
  return OPEN_EXISTING;
}

// Where the folder part of a path ends: after "C:\" or "\\server\share\".
std::size_t RootLength(std::wstring_view p) {
  if (IsDriveAbsolute(p)) return 3;
  if (IsUnc(p)) {
    const std::size_t server = p.find(L'\\', 2);
    if (server == std::wstring_view::npos) return p.size();
    const std::size_t share = p.find(L'\\', server + 1);
    return share == std::wstring_view::npos ? p.size() : share + 1;
  }
  return 0;
}

}  // namespace

std::wstring ExtendedPath(std::wstring_view path) {
  if (path.size() < kLongPath) return std::wstring(path);
  if (IsDriveAbsolute(path)) {
    std::wstring out(kExtendedPrefix);
    out += Normalised(path);
    return out;
  }
  if (IsUnc(path)) {
    const std::wstring full = Normalised(path);
    std::wstring out(kExtendedUnc);
    out.append(full, 2);
    return out;
  }
  return std::wstring(path);
}

// ---------------------------------------------------------------- search

Win32DirSearch::Win32DirSearch(UniqueFind find, const WIN32_FIND_DATAW& first)
    : find_(std::move(find)), data_(first), pending_(find_.valid()) {}

bool Win32DirSearch::next(FindEntry& entry) {
  if (!pending_) {
    if (!find_ || !FindNextFileW(find_.get(), &data_)) return false;
  }
  pending_ = false;
  entry.name.assign(data_.cFileName);
  entry.shortName.assign(data_.cAlternateFileName);
  entry.attributes = data_.dwFileAttributes;
  entry.size = (static_cast<std::uint64_t>(data_.nFileSizeHigh) << 32) | data_.nFileSizeLow;
  entry.creationTime = data_.ftCreationTime;
  entry.lastAccessTime = data_.ftLastAccessTime;
  entry.lastWriteTime = data_.ftLastWriteTime;
  return true;
}

std::unique_ptr<DirSearch> Win32FileSystem::search(std::wstring_view pattern, bool foldersOnly) {
  const std::wstring p = ExtendedPath(pattern);
  WIN32_FIND_DATAW data{};
  UniqueFind find(FindFirstFileExW(p.c_str(), FindExInfoStandard, &data,
                                   foldersOnly ? FindExSearchLimitToDirectories : FindExSearchNameMatch, nullptr,
                                   FIND_FIRST_EX_LARGE_FETCH));
  if (!find && GetLastError() == ERROR_INVALID_PARAMETER)  // a system without large fetch
    find.reset(FindFirstFileW(p.c_str(), &data));
  if (!find) {
    const DWORD error = GetLastError();
    lastError_ = error;
    // A folder without a matching entry can be searched; it just has nothing to give.
    if (error != ERROR_FILE_NOT_FOUND && error != ERROR_NO_MORE_FILES) return nullptr;
  }
  return std::make_unique<Win32DirSearch>(std::move(find), data);
}

// ---------------------------------------------------------------- attributes and times

bool Win32FileSystem::note(bool ok) {
  if (!ok) lastError_ = GetLastError();
  return ok;
}

DWORD Win32FileSystem::attributes(std::wstring_view path) {
  const DWORD attrs = GetFileAttributesW(ExtendedPath(path).c_str());
  note(attrs != INVALID_FILE_ATTRIBUTES);
  return attrs;
}

bool Win32FileSystem::setAttributes(std::wstring_view path, DWORD attributes) {
  return note(SetFileAttributesW(ExtendedPath(path).c_str(), attributes) != FALSE);
}

bool Win32FileSystem::fileTimes(std::wstring_view path, FILETIME* creation, FILETIME* lastAccess,
                                FILETIME* lastWrite) {
  // From the directory entry: works on files that others hold open.
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!note(GetFileAttributesExW(ExtendedPath(path).c_str(), GetFileExInfoStandard, &data) != FALSE)) return false;
  if (creation) *creation = data.ftCreationTime;
  if (lastAccess) *lastAccess = data.ftLastAccessTime;
  if (lastWrite) *lastWrite = data.ftLastWriteTime;
  return true;
}

bool Win32FileSystem::setFileTimes(std::wstring_view path, const FILETIME* creation, const FILETIME* lastAccess,
                                   const FILETIME* lastWrite) {
  UniqueFile file(CreateFileW(ExtendedPath(path).c_str(), FILE_WRITE_ATTRIBUTES,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                              FILE_FLAG_BACKUP_SEMANTICS, nullptr));  // folders too
  if (!note(file.valid())) return false;
  return note(SetFileTime(file.get(), creation, lastAccess, lastWrite) != FALSE);
}

// ---------------------------------------------------------------- names

std::wstring Win32FileSystem::shortPath(std::wstring_view path) {
  const std::wstring in = ExtendedPath(path);
  std::wstring out(std::max<std::size_t>(in.size() + 1, 64), L'\0');
  for (;;) {
    const DWORD got = GetShortPathNameW(in.c_str(), out.data(), static_cast<DWORD>(out.size()));
    if (!note(got != 0)) return {};
    if (got < out.size()) {
      out.resize(got);
      break;
    }
    out.resize(got);  // too small: got is the size needed, with the NUL
  }
  // Give the caller back the form it handed in. ExtendedPath changes a path only to
  // prefix it; resolving "." parts may have shortened it, so lengths cannot tell.
  return in != path ? StripExtendedPrefix(std::move(out)) : out;
}

std::wstring Win32FileSystem::fullPath(std::wstring_view path) {
  const std::wstring in(path);
  std::wstring out(std::max<std::size_t>(in.size() + 1, 260), L'\0');
  for (;;) {
    const DWORD got = GetFullPathNameW(in.c_str(), static_cast<DWORD>(out.size()), out.data(), nullptr);
    if (!note(got != 0)) return {};
    if (got < out.size()) {
      out.resize(got);
      return out;
    }
    out.resize(got);
  }
}

// ---------------------------------------------------------------- changes

SysResult Win32FileSystem::deleteFile(std::wstring_view path) {
  return noted(DeleteFileW(ExtendedPath(path).c_str()) != FALSE);
}

SysResult Win32FileSystem::removeFolder(std::wstring_view path) {
  return noted(RemoveDirectoryW(ExtendedPath(path).c_str()) != FALSE);
}

SysResult Win32FileSystem::moveFile(std::wstring_view from, std::wstring_view to) {
  return noted(MoveFileExW(ExtendedPath(from).c_str(), ExtendedPath(to).c_str(), MOVEFILE_COPY_ALLOWED) != FALSE);
}

SysResult Win32FileSystem::copyFile(std::wstring_view from, std::wstring_view to, bool failIfExists) {
  return noted(CopyFileW(ExtendedPath(from).c_str(), ExtendedPath(to).c_str(), failIfExists ? TRUE : FALSE) != FALSE);
}

SysResult Win32FileSystem::replaceFile(std::wstring_view from, std::wstring_view to) {
  return noted(MoveFileExW(ExtendedPath(from).c_str(), ExtendedPath(to).c_str(),
                          MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE);
}

bool Win32FileSystem::createFolder(std::wstring_view path) {
  return note(CreateDirectoryW(ExtendedPath(path).c_str(), nullptr) != FALSE);
}

bool Win32FileSystem::createFolderTree(std::wstring_view path) {
  while (path.size() > 3 && (path.back() == L'\\' || path.back() == L'/')) path.remove_suffix(1);
  if (path.empty()) return false;
  const auto isFolder = [this](std::wstring_view p) {
    const DWORD attrs = GetFileAttributesW(ExtendedPath(p).c_str());
    return attrs != INVALID_FILE_ATTRIBUTES && (attrs & FILE_ATTRIBUTE_DIRECTORY) != 0;
  };
  if (isFolder(path)) return true;
  // Create each missing level from the root down; a level that exists already
  // is no failure, the test at the end decides.
  const std::size_t root = RootLength(path);
  for (std::size_t i = std::max<std::size_t>(root, 1); i <= path.size(); ++i) {
    if (i < path.size() && path[i] != L'\\' && path[i] != L'/') continue;
    const std::wstring_view level = path.substr(0, i);
    if (!isFolder(level) && !CreateDirectoryW(ExtendedPath(level).c_str(), nullptr) &&
        GetLastError() != ERROR_ALREADY_EXISTS)
      lastError_ = GetLastError();
  }
  return isFolder(path);
}

std::wstring Win32FileSystem::uniqueTempFile(std::wstring_view folder, std::wstring_view prefix) {
  // GetTempFileName's naming (three characters of the prefix, four hexadecimal
  // digits, ".tmp"), done here so that folders beyond its length limit work too.
  std::wstring base(folder);
  if (!base.empty() && base.back() != L'\\') base += L'\\';
  base.append(prefix.substr(0, 3));
  static unsigned counter = 0;
  const unsigned start = (GetTickCount() + ++counter) & 0xFFFF;
  for (unsigned n = 0; n < 0x10000; ++n) {
    const unsigned unique = ((start + n) & 0xFFFF) == 0 ? 1 : (start + n) & 0xFFFF;
    wchar_t digits[8];
    wsprintfW(digits, L"%X", unique);
    const std::wstring candidate = base + digits + L".tmp";
    UniqueFile file(CreateFileW(ExtendedPath(candidate).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file) return candidate;
    const DWORD error = GetLastError();
    if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) {
      lastError_ = error;
      return {};
    }
  }
  lastError_ = ERROR_FILE_EXISTS;
  return {};
}

// ---------------------------------------------------------------- files

std::unique_ptr<File> Win32FileSystem::openFile(std::wstring_view path, FileAccess access, FileShare share,
                                                FileDisposition disposition) {
  UniqueFile file(CreateFileW(ExtendedPath(path).c_str(), DesiredAccess(access), static_cast<DWORD>(share), nullptr,
                              CreationDisposition(disposition), FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!note(file.valid())) return nullptr;
  return std::make_unique<Win32File>(std::move(file));
}

std::optional<std::size_t> Win32File::read(void* buffer, std::size_t size) {
  DWORD got = 0;
  const DWORD want = static_cast<DWORD>(std::min<std::size_t>(size, 0x40000000));
  if (!ReadFile(file_.get(), buffer, want, &got, nullptr)) return std::nullopt;
  return got;
}

bool Win32File::write(const void* data, std::size_t size) {
  const auto* bytes = static_cast<const std::uint8_t*>(data);
  while (size > 0) {
    DWORD put = 0;
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(size, 0x40000000));
    if (!WriteFile(file_.get(), bytes, chunk, &put, nullptr) || put == 0) return false;
    bytes += put;
    size -= put;
  }
  return true;
}

bool Win32File::seek(std::uint64_t offset) {
  LARGE_INTEGER to;
  to.QuadPart = static_cast<LONGLONG>(offset);
  return SetFilePointerEx(file_.get(), to, nullptr, FILE_BEGIN) != FALSE;
}

bool Win32File::truncateHere() { return SetEndOfFile(file_.get()) != FALSE; }

bool Win32File::flush() { return FlushFileBuffers(file_.get()) != FALSE; }

std::optional<std::uint64_t> Win32File::size() {
  LARGE_INTEGER size;
  if (!GetFileSizeEx(file_.get(), &size)) return std::nullopt;
  return static_cast<std::uint64_t>(size.QuadPart);
}

}  // namespace wv

// ---------------------------------------------------------------- overwriting in place

namespace wv {

std::unique_ptr<File> Win32FileSystem::openInPlace(std::wstring_view path) {
  UniqueFile file(CreateFileW(ExtendedPath(path).c_str(), GENERIC_WRITE | FILE_READ_ATTRIBUTES, FILE_SHARE_READ,
                              nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  if (!note(file.valid())) return nullptr;
  return std::make_unique<Win32File>(std::move(file));
}

std::vector<StreamEntry> Win32FileSystem::namedStreams(std::wstring_view path) {
  std::vector<StreamEntry> streams;
  WIN32_FIND_STREAM_DATA data{};
  UniqueFind find(FindFirstStreamW(ExtendedPath(path).c_str(), FindStreamInfoStandard, &data, 0));
  if (!note(find.valid())) return streams;  // no streams, or a file system without them
  do {
    const std::wstring_view name(data.cStreamName);
    if (name == L"::$DATA") continue;  // the file's own contents
    streams.push_back({std::wstring(name), static_cast<std::uint64_t>(data.StreamSize.QuadPart)});
  } while (FindNextStreamW(find.get(), &data));
  return streams;
}

std::optional<FileIdentity> Win32File::identity() {
  // Not GetFileInformationByHandle: it also asks for the volume's serial, which
  // costs Wine some 1.7 ms a call against a few microseconds for these two.
  FILE_BASIC_INFO basic;
  FILE_STANDARD_INFO standard;
  if (!GetFileInformationByHandleEx(file_.get(), FileBasicInfo, &basic, sizeof basic) ||
      !GetFileInformationByHandleEx(file_.get(), FileStandardInfo, &standard, sizeof standard))
    return std::nullopt;
  return FileIdentity{basic.FileAttributes, static_cast<std::uint32_t>(standard.NumberOfLinks)};
}

}  // namespace wv
