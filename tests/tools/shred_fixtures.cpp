#include "tools/shred_fixtures.h"

#include <algorithm>

#include "core/text.h"

namespace wv::test {
namespace {

// What the shredder does to a file, told to the log; the data go to the real
// file, or nowhere (countOnly), or into a stream kept in memory.
class LoggingFile : public File {
 public:
  LoggingFile(LoggingFs& fs, std::wstring path, std::unique_ptr<File> real, std::string* stream, bool countOnly)
      : fs_(fs), path_(std::move(path)), real_(std::move(real)), stream_(stream), countOnly_(countOnly) {
    fs_.log.push_back(L"open " + path_);
  }
  ~LoggingFile() override { fs_.log.push_back(L"close " + path_); }

  std::optional<std::size_t> read(void* buffer, std::size_t size) override {
    return real_ ? real_->read(buffer, size) : std::nullopt;
  }
  bool write(const void* data, std::size_t size) override {
    ++fs_.writeCalls;
    if (written_ + size > fs_.failWritesAfter) return false;
    written_ += size;
    if (!countOnly_) fs_.log.push_back(L"write " + path_ + L" " + std::to_wstring(size));
    if (stream_) {
      if (stream_->size() < position_ + size) stream_->resize(position_ + size);
      std::copy_n(static_cast<const char*>(data), size, stream_->begin() + static_cast<std::ptrdiff_t>(position_));
      position_ += size;
      return true;
    }
    return countOnly_ || real_->write(data, size);
  }
  bool seek(std::uint64_t offset) override {
    position_ = offset;
    return stream_ || real_->seek(offset);
  }
  bool truncateHere() override {
    fs_.log.push_back(L"truncate " + path_ + L" " + std::to_wstring(position_));
    if (stream_) {
      fs_.streamsAtCut[path_] = *stream_;
      stream_->resize(position_);
      return true;
    }
    return real_->truncateHere();
  }
  bool flush() override {
    fs_.log.push_back(L"flush " + path_);
    return stream_ || real_->flush();
  }
  std::optional<std::uint64_t> size() override {
    if (stream_) return stream_->size();
    return real_->size();
  }
  std::optional<FileIdentity> identity() override {
    if (stream_) return FileIdentity{FILE_ATTRIBUTE_ARCHIVE, 1};
    std::optional<FileIdentity> id = real_->identity();
    if (id && fs_.reportedAsLink.count(path_)) id->attributes |= FILE_ATTRIBUTE_REPARSE_POINT;
    return id;
  }

 private:
  LoggingFs& fs_;
  std::wstring path_;
  std::unique_ptr<File> real_;
  std::string* stream_;
  bool countOnly_;
  std::uint64_t written_ = 0;
  std::uint64_t position_ = 0;
};

}  // namespace

std::size_t ShredRun::shreddingTexts() const {
  return static_cast<std::size_t>(std::count_if(statuses.begin(), statuses.end(), [](const std::wstring& s) {
    return s.rfind(kShreddingText, 0) == 0;
  }));
}

LoggingFs::LoggingFs() : swap_(&Platform::files, *this) {}
LoggingFs::~LoggingFs() = default;

std::unique_ptr<File> LoggingFs::openFile(std::wstring_view path, FileAccess access, FileShare share,
                                          FileDisposition disposition) {
  if (disposition == FileDisposition::CreateAlways) truncatingOpens.emplace_back(path);
  return Win32FileSystem::openFile(path, access, share, disposition);
}

std::unique_ptr<File> LoggingFs::openInPlace(std::wstring_view path) {
  const std::wstring p(path);
  if (auto it = streamBytes.find(p); it != streamBytes.end())
    return std::make_unique<LoggingFile>(*this, p, nullptr, &it->second, false);
  std::unique_ptr<File> real = Win32FileSystem::openInPlace(path);
  if (!real) return nullptr;
  return std::make_unique<LoggingFile>(*this, p, std::move(real), nullptr, countOnly.count(p) > 0);
}

std::vector<StreamEntry> LoggingFs::namedStreams(std::wstring_view path) {
  auto it = streams.find(std::wstring(path));
  return it == streams.end() ? Win32FileSystem::namedStreams(path) : it->second;
}

bool LoggingFs::moveFile(std::wstring_view from, std::wstring_view to) {
  return !failRename && Win32FileSystem::moveFile(from, to);
}

std::wstring PatternFile(std::wstring_view path, std::size_t size) {
  (void)Win32FileSystem().createFolderTree(ExcludeTrailingBackslash(ExtractFilePath(path)));
  std::string bytes(size, '\0');
  for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>('A' + i % 23);
  WriteBytes(path, bytes);
  return std::wstring(path);
}

bool SparseFile(std::wstring_view path, std::uint64_t size) {
  UniqueFile file(CreateFileW(std::wstring(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return false;
  LARGE_INTEGER end;
  end.QuadPart = static_cast<LONGLONG>(size - 1);
  DWORD put = 0;
  return SetFilePointerEx(file.get(), end, nullptr, FILE_BEGIN) && WriteFile(file.get(), "z", 1, &put, nullptr);
}

UniqueFile HoldOpen(std::wstring_view path) {
  return UniqueFile(CreateFileW(std::wstring(path).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
}

bool AllZero(std::string_view bytes) {
  return std::all_of(bytes.begin(), bytes.end(), [](char c) { return c == '\0'; });
}

ShredEvents ShredPageLog::events() {
  ShredEvents e;
  e.countChanged = [this](std::wstring_view caption) { captions.emplace_back(caption); };
  e.failed = [this](ShredFailure failure, std::wstring_view path) { failures.emplace_back(failure, path); };
  return e;
}

std::vector<std::wstring> CountingRows::paths() const {
  std::vector<std::wstring> out;
  for (const ShredRow& row : rows()) out.push_back(row.path);
  return out;
}

std::wstring ShredLinkFixture() { return L"C:\\WindowsVantorraFixtures\\shred"; }

}  // namespace wv::test
