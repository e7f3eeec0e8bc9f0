#pragma once
// Stand-ins for platform parts in the core tests: a system-information part with
// chosen answers, a shell that records what it is asked, and a file system that
// passes through to the real one but can break reads and writes on purpose.

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace wv::test {

class FakeSystemInfo : public SystemInfo {
 public:
  std::optional<std::vector<SidBytes>> groups;
  SidBytes admins{1, 2, 0, 0, 0, 0, 0, 5, 32, 0, 0, 0, 32, 2, 0, 0};  // S-1-5-32-544
  OsVersion os;

  std::optional<std::vector<SidBytes>> tokenGroups() override { return groups; }
  SidBytes administratorsGroup() override { return admins; }
  OsVersion version() override { return os; }
};

// Every call as one line of text, in order.
class RecordingShell : public Shell {
 public:
  std::vector<std::wstring> calls;
  HWND editor = nullptr;  // what findWindow answers; startRegedit sets it to editorAfterStart
  HWND editorAfterStart = nullptr;
  HWND tree = reinterpret_cast<HWND>(0x2001);
  HWND list = reinterpret_cast<HWND>(0x2002);
  std::wstring browseAnswer;
  HWND browseOwner = nullptr;
  std::wstring browseInitial;

  int fileOperation(HWND, FileOpFunc, const std::vector<std::wstring>&, std::wstring_view, unsigned) override {
    calls.push_back(L"fileOperation");
    return 0;
  }
  void open(std::wstring_view verb, std::wstring_view file, std::wstring_view params, int show) override {
    calls.push_back(L"open " + std::wstring(verb) + L"|" + std::wstring(file) + L"|" + std::wstring(params) + L"|" +
                    std::to_wstring(show));
  }
  UniqueHandle start(std::wstring_view, std::wstring_view, int) override {
    calls.push_back(L"start");
    return {};
  }
  void runCommand(std::wstring_view) override { calls.push_back(L"runCommand"); }
  std::wstring browseForFolder(HWND owner, std::wstring_view title, std::wstring_view, std::wstring_view initial) override {
    calls.push_back(L"browse " + std::wstring(title));
    browseOwner = owner;
    browseInitial = initial;
    return browseAnswer;
  }
  HIMAGELIST smallIconList() override { return nullptr; }
  int smallIconIndex(std::wstring_view) override { return -1; }
  UniqueBitmap smallIconBitmap(std::wstring_view) override { return {}; }
  std::wstring specialFolder(int) override { return {}; }
  std::wstring tempPath() override { return {}; }
  std::wstring windowsFolder() override { return {}; }
  std::wstring systemFolder() override { return {}; }
  std::vector<std::wstring> droppedFiles(HDROP) override { return {}; }
  void finishDrop(HDROP) override {}
  void acceptDrops(HWND, bool) override {}

  void startRegedit() override {
    calls.push_back(L"startRegedit");
    editor = editorAfterStart;
  }
  HWND findWindow(std::wstring_view className) override {
    calls.push_back(L"findWindow " + std::wstring(className));
    return editor;
  }
  HWND findChild(HWND, std::wstring_view className) override {
    calls.push_back(L"findChild " + std::wstring(className));
    if (className == L"SysTreeView32") return tree;
    if (className == L"SysListView32") return list;
    return nullptr;
  }
  void showAndActivate(HWND window) override { calls.push_back(L"show " + Name(window)); }
  void sendKeyDown(HWND window, unsigned virtualKey) override {
    calls.push_back(L"key " + Name(window) + L" " + std::to_wstring(virtualKey));
  }
  void sendChar(HWND window, wchar_t ch) override { calls.push_back(L"char " + Name(window) + L" " + std::wstring(1, ch)); }
  void sleep(unsigned milliseconds) override { calls.push_back(L"sleep " + std::to_wstring(milliseconds)); }

 private:
  std::wstring Name(HWND window) const {
    if (window == tree) return L"tree";
    if (window == list) return L"list";
    if (window && window == editor) return L"editor";
    return L"?";
  }
};

// Passes everything to the file system that was in place when it was made; files
// opened for writing can be told to fail after a number of bytes, and reads can
// be told to fail after a number of calls. It also records the size of each write.
class FaultyFileSystem : public FileSystem {
 public:
  std::optional<std::size_t> failWritesAfterBytes;
  std::optional<int> failReadsAfterCalls;
  std::vector<std::size_t> writeSizes;

  FaultyFileSystem() : real_(*platform().files) {}

  std::unique_ptr<DirSearch> search(std::wstring_view pattern, bool foldersOnly) override {
    return real_.search(pattern, foldersOnly);
  }
  DWORD attributes(std::wstring_view path) override { return real_.attributes(path); }
  bool setAttributes(std::wstring_view path, DWORD attributes) override { return real_.setAttributes(path, attributes); }
  bool fileTimes(std::wstring_view path, FILETIME* c, FILETIME* a, FILETIME* w) override {
    return real_.fileTimes(path, c, a, w);
  }
  bool setFileTimes(std::wstring_view path, const FILETIME* c, const FILETIME* a, const FILETIME* w) override {
    return real_.setFileTimes(path, c, a, w);
  }
  std::wstring shortPath(std::wstring_view path) override { return real_.shortPath(path); }
  std::wstring fullPath(std::wstring_view path) override { return real_.fullPath(path); }
  bool deleteFile(std::wstring_view path) override { return real_.deleteFile(path); }
  bool removeFolder(std::wstring_view path) override { return real_.removeFolder(path); }
  bool moveFile(std::wstring_view from, std::wstring_view to) override { return real_.moveFile(from, to); }
  bool copyFile(std::wstring_view from, std::wstring_view to, bool failIfExists) override {
    return real_.copyFile(from, to, failIfExists);
  }
  bool createFolder(std::wstring_view path) override { return real_.createFolder(path); }
  bool createFolderTree(std::wstring_view path) override { return real_.createFolderTree(path); }
  std::wstring uniqueTempFile(std::wstring_view folder, std::wstring_view prefix) override {
    return real_.uniqueTempFile(folder, prefix);
  }
  std::unique_ptr<File> openFile(std::wstring_view path, FileAccess access, FileShare share,
                                 FileDisposition disposition) override {
    std::unique_ptr<File> file = real_.openFile(path, access, share, disposition);
    if (!file) return file;
    return std::make_unique<Wrapped>(std::move(file), *this);
  }
  DWORD lastError() override { return real_.lastError(); }

 private:
  class Wrapped : public File {
   public:
    Wrapped(std::unique_ptr<File> inner, FaultyFileSystem& owner) : inner_(std::move(inner)), owner_(owner) {}
    std::optional<std::size_t> read(void* buffer, std::size_t size) override {
      if (owner_.failReadsAfterCalls && reads_++ >= *owner_.failReadsAfterCalls) return std::nullopt;
      return inner_->read(buffer, size);
    }
    bool write(const void* data, std::size_t size) override {
      owner_.writeSizes.push_back(size);
      if (owner_.failWritesAfterBytes && written_ + size > *owner_.failWritesAfterBytes) return false;
      written_ += size;
      return inner_->write(data, size);
    }
    bool seek(std::uint64_t offset) override { return inner_->seek(offset); }
    bool truncateHere() override { return inner_->truncateHere(); }
    bool flush() override { return inner_->flush(); }
    std::optional<std::uint64_t> size() override { return inner_->size(); }

   private:
    std::unique_ptr<File> inner_;
    FaultyFileSystem& owner_;
    int reads_ = 0;
    std::size_t written_ = 0;
  };

  FileSystem& real_;
};

}  // namespace wv::test
