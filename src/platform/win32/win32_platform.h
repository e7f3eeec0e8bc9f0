#pragma once
// The Win32 parts behind platform(). Declared here so that tests can subclass a
// part and override one operation to make it fail on purpose.

#include <string>
#include <string_view>

#include "platform/platform.h"

namespace wv {

HKEY RootKey(RegRoot root);

// "\\?\" (or "\\?\UNC\") before an absolute path long enough to trip the classic
// length limits; short and relative paths are returned as they are.
std::wstring ExtendedPath(std::wstring_view path);

// ---------------------------------------------------------------- registry

class Win32RegKey : public RegKey {
 public:
  explicit Win32RegKey(UniqueHKey key) : key_(std::move(key)) {}
  std::vector<std::wstring> subkeyNames() override;
  std::vector<std::wstring> valueNames() override;
  bool valueExists(std::wstring_view name) override;
  RegValueType valueType(std::wstring_view name) override;
  std::optional<std::wstring> readText(std::wstring_view name) override;
  bool writeText(std::wstring_view name, std::wstring_view text) override;
  bool writeInteger(std::wstring_view name, std::uint32_t value) override;
  bool writeBinary(std::wstring_view name, const void* data, std::size_t size) override;
  SysResult deleteValue(std::wstring_view name) override;
  bool info(RegKeyInfo& out) override;
  bool readRaw(std::wstring_view name, RegRawValue& out) override;
  bool writeRaw(std::wstring_view name, const RegRawValue& value) override;
  [[nodiscard]] HKEY handle() const { return key_.get(); }

 private:
  UniqueHKey key_;
};

class Win32Registry : public Registry {
 public:
  std::unique_ptr<RegKey> openKey(RegRoot root, std::wstring_view path, SysResult* why = nullptr) override;
  std::unique_ptr<RegKey> openKeyReadOnly(RegRoot root, std::wstring_view path) override;
  std::unique_ptr<RegKey> createKey(RegRoot root, std::wstring_view path) override;
  bool keyExists(RegRoot root, std::wstring_view path) override;
  SysResult deleteKey(RegRoot root, std::wstring_view path) override;
};

// ---------------------------------------------------------------- shell

class Win32Shell : public Shell {
 public:
  int fileOperation(HWND owner, FileOpFunc func, const std::vector<std::wstring>& sources,
                    std::wstring_view target, unsigned flags) override;
  int moveEach(HWND owner, const std::vector<std::wstring>& sources, const std::vector<std::wstring>& destinations,
               unsigned flags) override;
  int recycleLongPath(HWND owner, std::wstring_view path) override;
  void open(std::wstring_view verb, std::wstring_view file, std::wstring_view params, int show) override;
  UniqueHandle start(std::wstring_view program, std::wstring_view params, int show) override;
  std::wstring systemProgramPath(std::wstring_view fileName) override;
  bool runProgram(std::wstring_view program, std::wstring_view commandLine) override;
  std::wstring browseForFolder(HWND owner, std::wstring_view title, std::wstring_view root,
                               std::wstring_view initial) override;
  HIMAGELIST smallIconList() override;
  int smallIconIndex(std::wstring_view path) override;
  UniqueBitmap smallIconBitmap(std::wstring_view path) override;
  std::wstring specialFolder(int csidl) override;
  std::wstring tempPath() override;
  std::wstring windowsFolder() override;
  std::wstring systemFolder() override;
  std::vector<std::wstring> droppedFiles(HDROP drop) override;
  void finishDrop(HDROP drop) override;
  void acceptDrops(HWND window, bool accept) override;
  void startRegedit() override;
  HWND findWindow(std::wstring_view className) override;
  HWND findChild(HWND parent, std::wstring_view className) override;
  void showAndActivate(HWND window) override;
  void sendKeyDown(HWND window, unsigned virtualKey) override;
  void sendChar(HWND window, wchar_t ch) override;
  void sleep(unsigned milliseconds) override;
  int messageBox(HWND owner, std::wstring_view text, std::wstring_view caption, unsigned style) override;
  std::vector<std::wstring> openFiles(const OpenFilesRequest& request) override;
  std::wstring saveFile(const SaveFileRequest& request) override;
  std::optional<std::uint32_t> waitForExit(HANDLE process, unsigned milliseconds) override;
};

// ---------------------------------------------------------------- URL cache, event logs

class Win32UrlCache : public UrlCache {
 public:
  std::unique_ptr<UrlCacheSearch> find(std::wstring_view pattern, std::uint32_t filter = kAllEntries) override;
  bool deleteEntry(std::wstring_view url) override;
  bool clearHistory() override;
};

class Win32EventLogs : public EventLogs {
 public:
  std::unique_ptr<EventLog> open(std::wstring_view name) override;
};

// ---------------------------------------------------------------- security, version, volumes

class Win32SystemInfo : public SystemInfo {
 public:
  std::optional<std::vector<SidBytes>> tokenGroups() override;
  SidBytes administratorsGroup() override;
  OsVersion version() override;
  std::wstring userSidText() override;
};

class Win32Volumes : public Volumes {
 public:
  std::uint32_t logicalDrives() override;
  unsigned driveType(std::wstring_view root) override;
  std::optional<VolumeInformation> volumeInformation(std::wstring_view root) override;
  std::optional<std::wstring> fileSystemName(std::wstring_view root) override;
  bool diskSpace(std::wstring_view root, std::uint64_t& total, std::uint64_t& free) override;
  std::wstring volumePathOf(std::wstring_view path) override;
  std::unique_ptr<File> openVolume(wchar_t letter) override;
};

// ---------------------------------------------------------------- file system

class Win32DirSearch : public DirSearch {
 public:
  // Takes over a search that FindFirstFileEx started; data holds its first entry.
  // An invalid handle is a search that found nothing.
  Win32DirSearch(UniqueFind find, const WIN32_FIND_DATAW& first);
  bool next(FindEntry& entry) override;

 private:
  UniqueFind find_;
  WIN32_FIND_DATAW data_;
  bool pending_;
};

class Win32File : public File {
 public:
  explicit Win32File(UniqueFile file) : file_(std::move(file)) {}
  std::optional<std::size_t> read(void* buffer, std::size_t size) override;
  bool write(const void* data, std::size_t size) override;
  bool seek(std::uint64_t offset) override;
  bool truncateHere() override;
  bool flush() override;
  std::optional<std::uint64_t> size() override;
  std::optional<FileIdentity> identity() override;

 private:
  UniqueFile file_;
};

class Win32Entry : public Entry {
 public:
  explicit Win32Entry(UniqueFile file) : file_(std::move(file)) {}
  std::optional<EntryFacts> facts() override;
  std::wstring finalPath() override;
  SysResult setAttributes(DWORD attributes) override;
  SysResult markForDeletion() override;
  SysResult renameTo(std::wstring_view target) override;

 private:
  UniqueFile file_;
};

class Win32FileSystem : public FileSystem {
 public:
  std::unique_ptr<DirSearch> search(std::wstring_view pattern, bool foldersOnly = false) override;
  DWORD attributes(std::wstring_view path) override;
  bool setAttributes(std::wstring_view path, DWORD attributes) override;
  bool fileTimes(std::wstring_view path, FILETIME* creation, FILETIME* lastAccess, FILETIME* lastWrite) override;
  bool setFileTimes(std::wstring_view path, const FILETIME* creation, const FILETIME* lastAccess,
                    const FILETIME* lastWrite) override;
  std::wstring shortPath(std::wstring_view path) override;
  std::wstring fullPath(std::wstring_view path) override;
  SysResult deleteFile(std::wstring_view path) override;
  SysResult removeFolder(std::wstring_view path) override;
  SysResult moveFile(std::wstring_view from, std::wstring_view to) override;
  SysResult copyFile(std::wstring_view from, std::wstring_view to, bool failIfExists) override;
  SysResult replaceFile(std::wstring_view from, std::wstring_view to) override;
  bool createFolder(std::wstring_view path) override;
  bool createFolderTree(std::wstring_view path) override;
  std::wstring uniqueTempFile(std::wstring_view folder, std::wstring_view prefix) override;
  std::unique_ptr<File> openFile(std::wstring_view path, FileAccess access, FileShare share,
                                 FileDisposition disposition) override;
  DWORD lastError() override { return lastError_; }
  std::unique_ptr<File> openInPlace(std::wstring_view path) override;
  std::vector<StreamEntry> namedStreams(std::wstring_view path) override;
  std::unique_ptr<Entry> openEntry(std::wstring_view path, EntryOpen how, SysResult* why = nullptr) override;

 protected:
  // Records the system's error code when ok is false; returns ok.
  bool note(bool ok);
  // The same as a result: success, or the error it noted.
  SysResult noted(bool ok) { return note(ok) ? SysResult() : SysResult(lastError_ ? lastError_ : ERROR_GEN_FAILURE); }

 private:
  DWORD lastError_ = ERROR_SUCCESS;
};

// ---------------------------------------------------------------- initialisation files

class Win32Profiles : public Profiles {
 public:
  std::optional<std::wstring> read(std::wstring_view file, std::wstring_view section, std::wstring_view key) override;
  bool write(std::wstring_view file, std::wstring_view section, std::wstring_view key,
             std::wstring_view value) override;
  bool deleteKey(std::wstring_view file, std::wstring_view section, std::wstring_view key) override;
  bool eraseSection(std::wstring_view file, std::wstring_view section) override;
  bool sectionExists(std::wstring_view file, std::wstring_view section) override;
  std::vector<std::wstring> keys(std::wstring_view file, std::wstring_view section) override;
  std::vector<std::wstring> sectionLines(std::wstring_view file, std::wstring_view section) override;
};

// ---------------------------------------------------------------- task scheduler

class Win32TaskScheduler : public TaskScheduler {
 public:
  SysResult connect() override;
  SysResult registerTask(std::wstring_view name, std::wstring_view xml) override;
  SysResult taskXml(std::wstring_view name, std::wstring& xml) override;
  SysResult deleteTask(std::wstring_view name) override;
  std::wstring currentUser() override;
};

}  // namespace wv
