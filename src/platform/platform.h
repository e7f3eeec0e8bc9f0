#pragma once
// The one door through which engines and utilities reach the system: registry,
// shell, URL cache, event logs, security and version, volumes, file system and
// initialisation files. Each part is an abstract class with a Win32
// implementation (platform/win32). Tests swap a single part for a substitute
// (event logs, which Wine does not really keep) or for a subclass of the Win32 part that
// fails on purpose, through Substitute below.

#include <windows.h>
#include <shellapi.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/handles.h"

namespace wv {

// ---------------------------------------------------------------- results

// The outcome of a system call whose failures a user must tell apart ("access
// denied" is not "already gone"): success, or the system's error code. Tests as
// a truth value like the bool it replaces.
class [[nodiscard]] SysResult {
 public:
  constexpr SysResult() = default;  // success
  constexpr explicit SysResult(DWORD error) : error_(error) {}
  // GetLastError() after a failed call (a failure that left no code counts as a general one).
  static SysResult LastError();
  // Success, or the last error when ok is false: for system calls that report a BOOL.
  static SysResult Checked(bool ok) { return ok ? SysResult() : LastError(); }

  [[nodiscard]] constexpr bool ok() const { return error_ == ERROR_SUCCESS; }
  constexpr explicit operator bool() const { return ok(); }
  [[nodiscard]] constexpr DWORD error() const { return error_; }
  // Nothing by that name is there (file, folder or key not found).
  [[nodiscard]] bool notFound() const;
  // The system refused: access denied, or the object is in use by another program.
  [[nodiscard]] bool refused() const;

 private:
  DWORD error_ = ERROR_SUCCESS;
};

// The system's own words for an error code, without the closing line break.
std::wstring SystemErrorText(DWORD error);

// ---------------------------------------------------------------- registry

enum class RegRoot { ClassesRoot, CurrentUser, LocalMachine, Users, CurrentConfig };
enum class RegValueType { Unknown, String, ExpandString, Integer, Binary };

struct RegKeyInfo {
  std::uint32_t subkeyCount = 0;
  std::uint32_t valueCount = 0;
  FILETIME lastWrite{};
};

// A value as stored: its registry type (REG_SZ ...) and its bytes.
struct RegRawValue {
  DWORD type = REG_NONE;
  std::vector<std::uint8_t> data;
  friend bool operator==(const RegRawValue&, const RegRawValue&) = default;
};

// One open key; destroying it closes the key.
class RegKey {
 public:
  virtual ~RegKey() = default;
  // Complete lists, in enumeration order.
  virtual std::vector<std::wstring> subkeyNames() = 0;
  virtual std::vector<std::wstring> valueNames() = 0;
  virtual bool valueExists(std::wstring_view name) = 0;
  // Unknown also when the value is missing.
  virtual RegValueType valueType(std::wstring_view name) = 0;
  // The text up to its first NUL. Fails (nullopt) when the value is missing or
  // is neither a string nor an expandable string: callers test the type first.
  [[nodiscard]] virtual std::optional<std::wstring> readText(std::wstring_view name) = 0;
  [[nodiscard]] virtual bool writeText(std::wstring_view name, std::wstring_view text) = 0;
  [[nodiscard]] virtual bool writeInteger(std::wstring_view name, std::uint32_t value) = 0;
  [[nodiscard]] virtual bool writeBinary(std::wstring_view name, const void* data, std::size_t size) = 0;
  virtual SysResult deleteValue(std::wstring_view name) = 0;
  [[nodiscard]] virtual bool info(RegKeyInfo& out) = 0;

  // Raw reads, for scans whose rows must remember exactly what they saw (so that a
  // deletion can tell a value that changed since). False when the value is missing.
  [[nodiscard]] virtual bool readRaw(std::wstring_view name, RegRawValue& out) {
    (void)name;
    (void)out;
    return false;
  }
  // Putting a backed-up value back exactly, whatever its type.
  [[nodiscard]] virtual bool writeRaw(std::wstring_view name, const RegRawValue& value) {
    (void)name, (void)value;
    return false;
  }
};

class Registry {
 public:
  virtual ~Registry() = default;
  // Never creates. Null when the key is missing or cannot be opened with full
  // access; why then says which (when asked for).
  virtual std::unique_ptr<RegKey> openKey(RegRoot root, std::wstring_view path, SysResult* why = nullptr) = 0;
  // Read-only open, for walks that only look (null when missing).
  virtual std::unique_ptr<RegKey> openKeyReadOnly(RegRoot root, std::wstring_view path) = 0;
  // Creates the key and its missing parents (restoring start-up entries, test set-up).
  virtual std::unique_ptr<RegKey> createKey(RegRoot root, std::wstring_view path) = 0;
  virtual bool keyExists(RegRoot root, std::wstring_view path) = 0;
  // Removes the key with all its subkeys and values; a key that is not there is
  // an error (notFound).
  virtual SysResult deleteKey(RegRoot root, std::wstring_view path) = 0;
};

// ---------------------------------------------------------------- shell

enum class FileOpFunc : unsigned { Move = 1, Delete = 3 };
namespace fileop {
inline constexpr unsigned Silent = 4;        // FOF_SILENT
inline constexpr unsigned AllowUndo = 64;    // FOF_ALLOWUNDO: to the recycle bin
inline constexpr unsigned NoErrorUi = 1024;  // FOF_NOERRORUI
inline constexpr unsigned RenameOnCollision = 8;  // FOF_RENAMEONCOLLISION: never replace at the destination
inline constexpr unsigned NoConfirmation = 16;   // FOF_NOCONFIRMATION: nobody is asked
inline constexpr unsigned NoConfirmMkdir = 512;  // FOF_NOCONFIRMMKDIR
}  // namespace fileop

struct SaveFileRequest {
  HWND owner = nullptr;
  std::wstring title;
  std::vector<std::pair<std::wstring, std::wstring>> filters;  // caption and masks ("表格文件 (*.csv)", "*.csv")
  std::wstring defaultExtension;  // without the dot, added when the name has none
  std::wstring fileName;          // the name offered
};

struct OpenFilesRequest {
  HWND owner = nullptr;
  std::wstring title;
  std::wstring filterName;     // the filter's caption ("所有格式")
  std::wstring filterPattern;  // its masks ("*.*", "*.mp3;*.wma")
  std::wstring initialFolder;
  bool followShortcuts = true;  // false: a chosen shortcut is returned as itself
};

// Windows' own programs that the program starts.
enum class SystemProgram { RegistryEditor, FileBrowser, HelpViewer };
// Their file names: "regedit.exe", "explorer.exe", "hh.exe".
std::wstring_view SystemProgramFile(SystemProgram program);

// The program runs as administrator from wherever its zip was unpacked (often
// Downloads, where any web page can drop a file). So it never starts a program by
// a bare name, which the system would look for in the current folder and the
// program's folder first: programs are started by their full path, and Windows'
// own ones are found only in the folders the system names for them.
class Shell {
 public:
  virtual ~Shell() = default;
  // One call of the shell's file operation over all sources; the result is the
  // shell's (0 success, anything else failure; ERROR_CANCELLED when the user
  // declined or aborted it). target is used when moving.
  virtual int fileOperation(HWND owner, FileOpFunc func, const std::vector<std::wstring>& sources,
                            std::wstring_view target, unsigned flags) = 0;
  // Moves each source to its own destination (full paths, pairwise) in one call
  // of the shell's file operation; the result as fileOperation's.
  virtual int moveEach(HWND owner, const std::vector<std::wstring>& sources,
                       const std::vector<std::wstring>& destinations, unsigned flags) = 0;
  // One file or folder to the recycle bin through the shell interface that takes
  // paths of any length (IFileOperation): 0 when it went, ERROR_CANCELLED when the
  // user stopped it, ERROR_NOT_SUPPORTED where the system offers no such way.
  virtual int recycleLongPath(HWND owner, std::wstring_view path) = 0;
  // The shell's execute operation on a document or address (given whole: a full
  // path or a URL); verb may be empty. show: SW_ value. Not waited for.
  virtual void open(std::wstring_view verb, std::wstring_view file, std::wstring_view params, int show) = 0;
  // Starts the program at this full path through the shell's execute operation (no
  // verb, the system folder as its working folder) and hands back the new process
  // (null when there is none) so that callers can bound their waits on it. A bare
  // name or a relative path is refused, never looked for.
  virtual UniqueHandle start(std::wstring_view program, std::wstring_view params, int show) = 0;
  // The full path of one of Windows' programs: the file name in the Windows folder,
  // else in the system folder, as the system names them; empty when neither holds it.
  virtual std::wstring systemProgramPath(std::wstring_view fileName) = 0;
  // A command line whose program is given by its full path (only that file runs,
  // nothing is looked for), started in the program's own folder and shown with
  // SW_SHOW (5). False when it could not start.
  [[nodiscard]] virtual bool runProgram(std::wstring_view program, std::wstring_view commandLine) = 0;
  // The shell's folder browser (file-system folders, new resizable style), with the
  // system's error boxes held back while it is open. Empty when cancelled.
  virtual std::wstring browseForFolder(HWND owner, std::wstring_view title, std::wstring_view root,
                                       std::wstring_view initial) = 0;
  // Small system icons: the shared list (never freed by the program) and a path's index in it.
  virtual HIMAGELIST smallIconList() = 0;
  virtual int smallIconIndex(std::wstring_view path) = 0;
  // A new 16 x 16 bitmap of the path's small icon (invalid when there is none).
  virtual UniqueBitmap smallIconBitmap(std::wstring_view path) = 0;
  // A special folder by CSIDL number, without trailing backslash; empty when unresolved.
  virtual std::wstring specialFolder(int csidl) = 0;
  // The temporary path as the system gives it (with its trailing backslash).
  virtual std::wstring tempPath() = 0;
  virtual std::wstring windowsFolder() = 0;
  virtual std::wstring systemFolder() = 0;
  // Files dropped from the shell: each path read into a 300-character buffer.
  virtual std::vector<std::wstring> droppedFiles(HDROP drop) = 0;
  virtual void finishDrop(HDROP drop) = 0;
  virtual void acceptDrops(HWND window, bool accept) = 0;

  // Driving the registry editor by its windows.
  virtual void startRegedit() = 0;  // the registry editor, shown normally, idle-wait at most 200 ms
  virtual HWND findWindow(std::wstring_view className) = 0;
  virtual HWND findChild(HWND parent, std::wstring_view className) = 0;
  virtual void showAndActivate(HWND window) = 0;  // show normally, bring to the front, focus
  virtual void sendKeyDown(HWND window, unsigned virtualKey) = 0;
  virtual void sendChar(HWND window, wchar_t ch) = 0;
  virtual void sleep(unsigned milliseconds) = 0;

  // Dialogs of the system, so that tests can answer them.
  // The message box; the result is the system's button code (IDOK, IDYES ...).
  virtual int messageBox(HWND owner, std::wstring_view text, std::wstring_view caption, unsigned style) = 0;
  // The open-file dialog: several files, path and files must exist, no read-only
  // box, resizable. The chosen files as full paths; empty when cancelled.
  virtual std::vector<std::wstring> openFiles(const OpenFilesRequest& request) = 0;
  // The save-file dialog: the folder must exist, replacing a file is asked first.
  // The chosen full path; empty when cancelled.
  virtual std::wstring saveFile(const SaveFileRequest& request) = 0;
  // Waits at most milliseconds for a process that start() handed back: its exit
  // code once it has ended, nullopt while it still runs.
  virtual std::optional<std::uint32_t> waitForExit(HANDLE process, unsigned milliseconds) = 0;
};

// ---------------------------------------------------------------- URL cache

struct UrlCacheEntry {
  std::wstring url;
  std::wstring localFile;
  std::uint32_t entryType = 0;
  std::uint64_t size = 0;
};

class UrlCacheSearch {
 public:
  virtual ~UrlCacheSearch() = default;
  virtual bool next(UrlCacheEntry& entry) = 0;  // false at the end
};

class UrlCache {
 public:
  virtual ~UrlCache() = default;
  inline static constexpr std::uint32_t kAllEntries = 0x300035;
  // Entries whose URL matches the pattern (empty: every container), in cache order.
  virtual std::unique_ptr<UrlCacheSearch> find(std::wstring_view pattern, std::uint32_t filter = kAllEntries) = 0;
  [[nodiscard]] virtual bool deleteEntry(std::wstring_view url) = 0;

  // The browser history as the system's URL-history object keeps it (its
  // clear-history call); false when the object or its storage interface is missing.
  virtual bool clearHistory() = 0;
};

// ---------------------------------------------------------------- event logs

class EventLog {
 public:
  virtual ~EventLog() = default;  // closes the log
  virtual std::optional<std::uint32_t> recordCount() = 0;
  [[nodiscard]] virtual bool clear() = 0;  // no backup file
};

class EventLogs {
 public:
  virtual ~EventLogs() = default;
  // The log by name on the local machine; null when it cannot be opened.
  virtual std::unique_ptr<EventLog> open(std::wstring_view name) = 0;
};

// ---------------------------------------------------------------- security and version

using SidBytes = std::vector<std::uint8_t>;

struct OsVersion {
  std::uint32_t platformId = 0;  // 0 Win32s, 1 the 9x family, 2 the NT family
  std::uint32_t major = 0;
  std::uint32_t minor = 0;
  std::uint32_t build = 0;
  std::wstring servicePack;
};

class SystemInfo {
 public:
  virtual ~SystemInfo() = default;
  // Group identifiers of the thread's token, or of the process's when the thread has
  // none; nullopt when neither token can be opened or its groups read.
  virtual std::optional<std::vector<SidBytes>> tokenGroups() = 0;
  virtual SidBytes administratorsGroup() = 0;  // S-1-5-32-544
  virtual OsVersion version() = 0;
  // The user's identifier as text ("S-1-5-21-..."), the name of the user's own
  // hive under HKEY_USERS; empty when it cannot be read.
  virtual std::wstring userSidText() = 0;
};

// ---------------------------------------------------------------- volumes

struct VolumeInformation {
  std::wstring label;
  std::uint32_t serial = 0;
  std::wstring fileSystem;
};

class File;

class Volumes {
 public:
  virtual ~Volumes() = default;
  virtual std::uint32_t logicalDrives() = 0;  // bit 0 = A:
  virtual unsigned driveType(std::wstring_view root) = 0;  // DRIVE_ value of "X:\"
  virtual std::optional<VolumeInformation> volumeInformation(std::wstring_view root) = 0;
  // The file system's name alone ("NTFS", "FAT32"), for callers that need nothing
  // else: it answers where the label and serial cannot be read (under Wine, a drive
  // whose device is an image file).
  virtual std::optional<std::wstring> fileSystemName(std::wstring_view root) = 0;
  [[nodiscard]] virtual bool diskSpace(std::wstring_view root, std::uint64_t& total, std::uint64_t& free) = 0;
  // The root of the volume that holds path ("C:\\", or the folder a volume is mounted
  // in), with its trailing backslash; empty when the system cannot say.
  virtual std::wstring volumePathOf(std::wstring_view path) = 0;
  // The volume of a drive letter itself ("\\.\X:"), for reading its sectors while
  // others keep using it; offsets and lengths must be whole sectors. Null when it
  // cannot be opened (not an administrator, no such drive, a drive of another kind).
  virtual std::unique_ptr<File> openVolume(wchar_t letter) {
    (void)letter;
    return nullptr;
  }
};

// ---------------------------------------------------------------- file system

struct FindEntry {
  std::wstring name;
  // The 8.3 alternate name; empty when the name is already short (or the
  // system keeps none). Lets a walk build a folder's short form from its parent's.
  std::wstring shortName;
  DWORD attributes = 0;
  std::uint64_t size = 0;
  FILETIME creationTime{};
  FILETIME lastAccessTime{};
  FILETIME lastWriteTime{};
  [[nodiscard]] bool isFolder() const noexcept { return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0; }
  // "." or "..": a search lists them, a walk never follows them.
  [[nodiscard]] bool isDots() const noexcept { return name == L"." || name == L".."; }
};

class DirSearch {
 public:
  virtual ~DirSearch() = default;  // closes the search
  virtual bool next(FindEntry& entry) = 0;  // false at the end
};

enum class FileAccess { Read, Write, ReadWrite };

struct FileIdentity {
  DWORD attributes = 0;        // FILE_ATTRIBUTE_REPARSE_POINT: the handle is a link itself
  std::uint32_t linkCount = 0;  // names (hard links) of the same contents
};

// A named data stream of a file: name as the system lists it (":name:$DATA"),
// so that path + name opens it.
struct StreamEntry {
  std::wstring name;
  std::uint64_t size = 0;
};
enum class FileDisposition { OpenExisting, CreateAlways, CreateNew, OpenAlways };
enum class FileShare : DWORD { None = 0, Read = FILE_SHARE_READ, ReadWrite = FILE_SHARE_READ | FILE_SHARE_WRITE,
                               All = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE };

class File {
 public:
  virtual ~File() = default;  // closes the file
  // Bytes read, 0 at the end; nullopt on a read error.
  [[nodiscard]] virtual std::optional<std::size_t> read(void* buffer, std::size_t size) = 0;
  [[nodiscard]] virtual bool write(const void* data, std::size_t size) = 0;
  [[nodiscard]] virtual bool seek(std::uint64_t offset) = 0;
  [[nodiscard]] virtual bool truncateHere() = 0;  // end of file at the current position
  [[nodiscard]] virtual bool flush() = 0;
  virtual std::optional<std::uint64_t> size() = 0;

  // What the open file is, read from its handle (overwriting in place must know
  // whether other names share these contents); nullopt when the system cannot tell.
  virtual std::optional<FileIdentity> identity() { return std::nullopt; }
};

// ---------------------------------------------------------------- entries: files and folders as themselves

// What an open file or folder is, read through its handle.
struct EntryFacts {
  std::uint64_t fileId = 0;     // the file ID on its volume (0 when the system gives none)
  std::uint64_t size = 0;       // bytes (folders: 0)
  std::uint64_t lastWrite = 0;  // FILETIME as one number
  DWORD attributes = 0;
  std::uint32_t linkCount = 0;  // names (hard links) of the same contents
};

enum class EntryOpen {
  Look,       // read its facts and final path; others may do anything meanwhile
  Exclusive,  // read, and only while nobody else has it open (the scans' in-use test)
  Hold,       // a folder on the way to an entry: nobody may rename or delete it while held
  Remove,     // change its attributes, rename it or delete it through the handle
};

// A file or folder opened as itself: a link or other reparse point at its own
// name is opened, not followed (where the system can). Closing the handle ends
// what it held.
class Entry {
 public:
  virtual ~Entry() = default;
  virtual std::optional<EntryFacts> facts() = 0;
  // The path the system resolves the open handle to ("C:\...", "\\server\share\..."),
  // without a "\\?\" prefix; empty when the system cannot say.
  virtual std::wstring finalPath() = 0;
  virtual SysResult setAttributes(DWORD attributes) = 0;
  // Removed when the handle closes; a folder only while it is empty (ERROR_DIR_NOT_EMPTY).
  // A read-only file is refused (ERROR_ACCESS_DENIED): its marks are the caller's to clear.
  virtual SysResult markForDeletion() = 0;
  // A new name (a full path) on the same volume; never replaces what is there
  // (ERROR_ALREADY_EXISTS); ERROR_NOT_SAME_DEVICE across volumes.
  virtual SysResult renameTo(std::wstring_view target) = 0;
};

class FileSystem {
 public:
  virtual ~FileSystem() = default;
  // Entries of folder + pattern ("C:\x\*.*"), hidden and system ones included, in the
  // file system's order, "." and ".." included as the system reports them. With
  // foldersOnly the system is asked for folders (a hint; callers still test the flag).
  // Null when the folder cannot be searched.
  virtual std::unique_ptr<DirSearch> search(std::wstring_view pattern, bool foldersOnly = false) = 0;
  // INVALID_FILE_ATTRIBUTES when the path does not exist.
  virtual DWORD attributes(std::wstring_view path) = 0;
  [[nodiscard]] virtual bool setAttributes(std::wstring_view path, DWORD attributes) = 0;
  [[nodiscard]] virtual bool fileTimes(std::wstring_view path, FILETIME* creation, FILETIME* lastAccess,
                                       FILETIME* lastWrite) = 0;
  [[nodiscard]] virtual bool setFileTimes(std::wstring_view path, const FILETIME* creation,
                                          const FILETIME* lastAccess, const FILETIME* lastWrite) = 0;
  // The short (8.3) form; empty when the system gives none.
  virtual std::wstring shortPath(std::wstring_view path) = 0;
  virtual std::wstring fullPath(std::wstring_view path) = 0;
  virtual SysResult deleteFile(std::wstring_view path) = 0;
  virtual SysResult removeFolder(std::wstring_view path) = 0;  // empty folders only
  virtual SysResult moveFile(std::wstring_view from, std::wstring_view to) = 0;
  virtual SysResult copyFile(std::wstring_view from, std::wstring_view to, bool failIfExists) = 0;
  // Puts from in the place of to in one step (a rename on the same volume); to may exist.
  virtual SysResult replaceFile(std::wstring_view from, std::wstring_view to) = 0;
  [[nodiscard]] virtual bool createFolder(std::wstring_view path) = 0;
  // Makes the folder and all its missing parents; true when it exists afterwards.
  [[nodiscard]] virtual bool createFolderTree(std::wstring_view path) = 0;
  // A new, unique, empty file in the folder; its full path, or empty on failure.
  virtual std::wstring uniqueTempFile(std::wstring_view folder, std::wstring_view prefix) = 0;
  // Null when the file cannot be opened; lastError() then says why.
  virtual std::unique_ptr<File> openFile(std::wstring_view path, FileAccess access, FileShare share,
                                         FileDisposition disposition) = 0;
  virtual DWORD lastError() = 0;

  // Overwriting in place (the shredder).
  // Opens an existing file (or path + StreamEntry::name) for writing, never
  // truncating it, shared only with readers, and without following a link at its
  // end: a symbolic link or other reparse point opens as itself. Null when it cannot.
  virtual std::unique_ptr<File> openInPlace(std::wstring_view path) = 0;
  // The file's named data streams; empty when it has none or they cannot be listed.
  virtual std::vector<StreamEntry> namedStreams(std::wstring_view path) = 0;

  // Opening a file or folder as itself, to check what it is and act on it through
  // the handle (removal). Null when it cannot be opened; why then says why.
  virtual std::unique_ptr<Entry> openEntry(std::wstring_view path, EntryOpen how, SysResult* why = nullptr) = 0;
};

// ---------------------------------------------------------------- initialisation files

// Profile (INI) files through the system's profile functions, so text stays in
// the ANSI code page. Keys and sections compare without regard to case.
class Profiles {
 public:
  virtual ~Profiles() = default;
  virtual std::optional<std::wstring> read(std::wstring_view file, std::wstring_view section,
                                           std::wstring_view key) = 0;
  [[nodiscard]] virtual bool write(std::wstring_view file, std::wstring_view section, std::wstring_view key,
                                   std::wstring_view value) = 0;
  [[nodiscard]] virtual bool deleteKey(std::wstring_view file, std::wstring_view section,
                                       std::wstring_view key) = 0;
  [[nodiscard]] virtual bool eraseSection(std::wstring_view file, std::wstring_view section) = 0;
  virtual bool sectionExists(std::wstring_view file, std::wstring_view section) = 0;
  // Key names of the section in the file's order.
  virtual std::vector<std::wstring> keys(std::wstring_view file, std::wstring_view section) = 0;

  // The section's lines as stored ("key=value"), in the file's order. Unlike keys(),
  // a key that itself holds "=" comes back whole, for the reader to split.
  virtual std::vector<std::wstring> sectionLines(std::wstring_view file, std::wstring_view section) = 0;
};

// ---------------------------------------------------------------- task scheduler

// Tasks of the system's Task Scheduler (its root folder), as the scheduler's own XML.
class TaskScheduler {
 public:
  virtual ~TaskScheduler() = default;
  // Whether the scheduler can be reached; the reason when not.
  virtual SysResult connect() = 0;
  // Creates or replaces the task.
  virtual SysResult registerTask(std::wstring_view name, std::wstring_view xml) = 0;
  // The task's definition as the scheduler stored it; notFound when there is none.
  virtual SysResult taskXml(std::wstring_view name, std::wstring& xml) = 0;
  // notFound when there is none.
  virtual SysResult deleteTask(std::wstring_view name) = 0;
  // The account a task registered now runs as: the current user's SID ("S-1-5-21-…").
  virtual std::wstring currentUser() = 0;
};

// ---------------------------------------------------------------- the whole

struct Platform {
  Registry* registry = nullptr;
  Shell* shell = nullptr;
  UrlCache* urlCache = nullptr;
  EventLogs* eventLogs = nullptr;
  SystemInfo* system = nullptr;
  Volumes* volumes = nullptr;
  FileSystem* files = nullptr;
  Profiles* profiles = nullptr;
  TaskScheduler* tasks = nullptr;
};

// The parts in use; all Win32 unless a test substituted one.
Platform& platform();
inline Registry& Reg() { return *platform().registry; }
inline Shell& Sh() { return *platform().shell; }
inline FileSystem& Fs() { return *platform().files; }
inline Volumes& Vol() { return *platform().volumes; }
inline SystemInfo& Sys() { return *platform().system; }
inline UrlCache& UrlCacheOps() { return *platform().urlCache; }
inline EventLogs& EventLogOps() { return *platform().eventLogs; }
inline Profiles& Ini() { return *platform().profiles; }
inline TaskScheduler& Tasks() { return *platform().tasks; }

// Starts one of Windows' programs by its full path (Shell::start); null when
// Windows' folders do not hold it.
UniqueHandle StartSystemProgram(SystemProgram program, std::wstring_view params, int show);

// Puts a substitute in place of one part for the lifetime of this object:
//   FakeEventLogs fake;  Substitute s(&Platform::eventLogs, fake);
template <class Part>
class Substitute {
 public:
  Substitute(Part* Platform::*slot, Part& replacement) : slot_(slot), saved_(platform().*slot) {
    platform().*slot_ = &replacement;
  }
  ~Substitute() { platform().*slot_ = saved_; }
  Substitute(const Substitute&) = delete;
  Substitute& operator=(const Substitute&) = delete;

 private:
  Part* Platform::*slot_;
  Part* saved_;
};

// ---------------------------------------------------------------- registry handle

// The handle the engines use: a root, at most one open key, and the operations
// callers rely on. Created, used and freed within one handler or engine step.
class RegistryHandle {
 public:
  RegistryHandle() = default;  // root HKEY_CURRENT_USER
  void setRoot(RegRoot root);
  [[nodiscard]] RegRoot root() const { return root_; }
  // Opens path (relative to the root) with full access, never creating it; closes
  // the previous key first. False when missing or not openable: callers skip it.
  SysResult openKey(std::wstring_view path);
  // The same, read access only.
  [[nodiscard]] bool openKeyReadOnly(std::wstring_view path);
  void closeKey();
  [[nodiscard]] bool isOpen() const { return key_ != nullptr; }
  std::vector<std::wstring> subkeyNames();
  std::vector<std::wstring> valueNames();
  bool valueExists(std::wstring_view name);
  bool keyExists(std::wstring_view path);  // relative to the root
  RegValueType valueType(std::wstring_view name);
  [[nodiscard]] std::optional<std::wstring> readText(std::wstring_view name);
  [[nodiscard]] bool writeText(std::wstring_view name, std::wstring_view text);
  SysResult deleteValue(std::wstring_view name);
  SysResult deleteKey(std::wstring_view path);  // relative to the root, with everything below
  [[nodiscard]] bool keyInfo(RegKeyInfo& out);

 private:
  RegRoot root_ = RegRoot::CurrentUser;
  std::unique_ptr<RegKey> key_;
};

// "HKEY_CURRENT_USER" and so on.
std::wstring_view RootName(RegRoot root);

}  // namespace wv
