#include "tools/fixtures.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "core/publline.h"
#include "core/text.h"

namespace wv::test {

std::size_t TestRun::shreddingTexts() const {
  return static_cast<std::size_t>(std::count_if(statuses.begin(), statuses.end(), [](const std::wstring& s) {
    return s.rfind(kShreddingText, 0) == 0;
  }));
}

FileInfoAsker Answers::asker() {
  return [this](const FileInfoAsk& ask) {
    asked.push_back(ask);
    if (script.empty()) return true;
    const bool answer = script.front();
    script.pop_front();
    return answer;
  };
}

std::vector<std::wstring> Answers::texts() const {
  std::vector<std::wstring> out;
  for (const FileInfoAsk& ask : asked) out.push_back(FileInfoAskText(ask));
  return out;
}

void ImportFiles(FileInfoRows& rows, std::vector<std::wstring> paths) {
  FileInfoTask task;
  task.files = std::move(paths);
  TestRun run;
  EXPECT_FALSE(RunFileInfoTask(task, run, rows).stopped);
}

FileInfoResult RunOp(FileInfoRows& rows, FileInfoOp op, const FileInfoSettings& settings, Answers& answers,
                     FilePlacement placement, std::wstring targetDir) {
  FileInfoTask task{op, {}, settings, placement, std::move(targetDir), answers.asker()};
  TestRun run;
  return RunFileInfoTask(task, run, rows);
}

FileInfoRows NameRows(std::initializer_list<const wchar_t*> names) {
  FileInfoRows rows;
  for (const wchar_t* name : names) {
    FileInfoRow row;
    row.newName = row.oldName = name;
    row.folder = L"C:\\nowhere\\";
    rows.append(row);
  }
  return rows;
}

std::vector<std::wstring> NewNames(const FileInfoRows& rows) {
  std::vector<std::wstring> out;
  for (const FileInfoRow& row : rows.rows()) out.push_back(row.newName);
  return out;
}

namespace {

// What the shredder does to a file, told to the log; the data go to the real file
// or, for countOnly, nowhere.
class LoggingFile : public File {
 public:
  LoggingFile(LoggingFs& fs, std::wstring path, std::unique_ptr<File> real)
      : fs_(fs), name_(path.substr(path.rfind(L'\\') + 1)), real_(std::move(real)), countOnly_(fs.countOnly.count(path) > 0),
        link_(fs.reportedAsLink.count(path) > 0) {}

  std::optional<std::size_t> read(void* buffer, std::size_t size) override { return real_->read(buffer, size); }
  bool write(const void* data, std::size_t size) override {
    ++fs_.writeCalls;
    if ((written_ += size) > fs_.failWritesAfter) return false;
    if (countOnly_) return true;
    const bool zeros = AllZero({static_cast<const char*>(data), size});
    note((zeros ? L"zeros " : L"bytes ") + std::to_wstring(size));
    return real_->write(data, size);
  }
  bool seek(std::uint64_t offset) override { return real_->seek(offset); }
  bool truncateHere() override {
    const bool done = real_->truncateHere();
    note(L"truncate " + std::to_wstring(real_->size().value_or(UINT64_MAX)));
    return done;
  }
  bool flush() override {
    note(L"flush");
    return real_->flush();
  }
  std::optional<std::uint64_t> size() override { return real_->size(); }
  std::optional<FileIdentity> identity() override {
    std::optional<FileIdentity> id = real_->identity();
    if (id && link_) id->attributes |= FILE_ATTRIBUTE_REPARSE_POINT;
    return id;
  }

 private:
  void note(const std::wstring& what) { fs_.log.push_back(name_ + L" " + what); }
  LoggingFs& fs_;
  std::wstring name_;
  std::unique_ptr<File> real_;
  bool countOnly_, link_;
  std::uint64_t written_ = 0;
};

}  // namespace

std::unique_ptr<File> LoggingFs::openFile(std::wstring_view path, FileAccess access, FileShare share,
                                          FileDisposition disposition) {
  if (disposition == FileDisposition::CreateAlways) truncatingOpens.emplace_back(path);
  return Win32FileSystem::openFile(path, access, share, disposition);
}

std::unique_ptr<File> LoggingFs::openInPlace(std::wstring_view path) {
  std::unique_ptr<File> real = Win32FileSystem::openInPlace(path);
  return real ? std::make_unique<LoggingFile>(*this, std::wstring(path), std::move(real)) : nullptr;
}

std::vector<StreamEntry> LoggingFs::namedStreams(std::wstring_view path) {
  auto it = streams.find(std::wstring(path));
  return it == streams.end() ? Win32FileSystem::namedStreams(path) : it->second;
}

bool LoggingFs::moveFile(std::wstring_view from, std::wstring_view to) {
  return !failRename && Win32FileSystem::moveFile(from, to);
}

std::vector<std::wstring> ZerosLog(const std::wstring& name, std::uint64_t size) {
  std::vector<std::wstring> out(size / 1024, name + L" zeros 1024");
  if (size % 1024) out.push_back(name + L" zeros " + std::to_wstring(size % 1024));
  out.push_back(name + L" flush");
  return out;
}

std::wstring PatternFile(std::wstring_view path, std::size_t size) {
  (void)Win32FileSystem().createFolderTree(ExcludeTrailingBackslash(ExtractFilePath(path)));
  std::string bytes(size, '\0');
  for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>('A' + i % 23);
  WriteBytes(path, bytes);
  return std::wstring(path);
}

bool SparseFile(std::wstring_view path, std::uint64_t size) {
  UniqueFile file(CreateFileW(std::wstring(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
  LARGE_INTEGER end;
  end.QuadPart = static_cast<LONGLONG>(size - 1);
  DWORD put = 0;
  return file && SetFilePointerEx(file.get(), end, nullptr, FILE_BEGIN) && WriteFile(file.get(), "z", 1, &put, nullptr);
}

UniqueFile HoldOpen(std::wstring_view path) {
  return UniqueFile(CreateFileW(std::wstring(path).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
}

bool AllZero(std::string_view bytes) {
  return std::all_of(bytes.begin(), bytes.end(), [](char c) { return c == '\0'; });
}

std::vector<std::wstring> Paths(const ShredRows& rows) {
  std::vector<std::wstring> out;
  for (std::size_t i = 0; i < rows.size(); ++i) out.push_back(rows.at(i).path);
  return out;
}

ShredEvents ShredPageLog::events() {
  ShredEvents e;
  e.countChanged = [this](std::wstring_view caption) { captions.emplace_back(caption); };
  e.failed = [this](ShredFailure failure, std::wstring_view path) { failures.emplace_back(failure, path); };
  return e;
}

}  // namespace wv::test
