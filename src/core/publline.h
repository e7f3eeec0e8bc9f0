#pragma once
// Helpers every page and engine uses: message box, status text, size and date
// texts, drive information, the recursive file listing, the administrator test,
// file-name checks, list sorting and reordering, the ".zcom" archive, the path
// rules for registry values and command lines, the file-name mask matcher and the
// jumps into the shell's file browser and the registry editor. System calls go
// through platform().

#include <windows.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/rows.h"
#include "core/text.h"
#include "platform/handles.h"

namespace wv {

// ---------------------------------------------------------------- messages and status

// Icon kind: 1 question, 2 warning, 3 error, other information.
// Button set: 1 OK, 2 OK/Cancel, 3 Yes/No/Cancel, 4 Abort/Retry/Ignore, 5 Retry/Cancel,
// 6 Yes/No, other OK. Result: the system's button code (IDOK 1, IDCANCEL 2, IDYES 6, IDNO 7).
int MsgBox(int iconKind, int buttonSet, std::wstring_view heading, std::wstring_view text);
// Tests answer message boxes themselves; an empty handler restores the system box.
using MsgBoxHandler = std::function<int(int iconKind, int buttonSet, std::wstring_view heading,
                                        std::wstring_view text)>;
MsgBoxHandler SetMsgBoxHandler(MsgBoxHandler handler);  // returns the previous one
void SetMsgBoxOwner(HWND owner);
inline bool Confirmed(int answer) { return answer == IDOK || answer == IDYES; }

// The status line; the main window installs its sink, tests their own.
void SetRunInfo(std::wstring_view text);
using RunInfoSink = std::function<void(std::wstring_view text)>;
RunInfoSink SetRunInfoSink(RunInfoSink sink);  // returns the previous one

// "微软雅黑" on an NT-family system of major version 6 or later, else "宋体".
std::wstring GetUIFontName();

// ---------------------------------------------------------------- sizes, drives, times

// Two decimals, "." always, units B/KB/MB/GB/TB in steps of 1024; empty from 1024 TB.
std::wstring FormatSize(std::uint64_t bytes);

struct VolumeDetails {
  std::wstring label;
  std::wstring serial;  // eight upper-case hexadecimal digits
  std::wstring fileSystem;
};
[[nodiscard]] bool GetVolumeInfo(wchar_t driveLetter, VolumeDetails& out);
// Both 0 when the space cannot be read.
void GetDiskSpace(wchar_t driveLetter, std::uint64_t& total, std::uint64_t& totalFree);

// Appends every file below folder: a folder's own files first, then its
// subfolders depth first; folders named "Recycled" (any case) are not entered.
void CollectFiles(std::wstring_view folder, std::vector<std::wstring>& list);

int GetSysIconIndex(std::wstring_view path);
UniqueBitmap GetFileIconBitmap(std::wstring_view path);

bool IsAdmin();

[[nodiscard]] bool FileTimeToDateTime(const FILETIME& utc, SYSTEMTIME& local);
[[nodiscard]] bool DateTimeToFileTime(const SYSTEMTIME& local, FILETIME& utc);
// Local date and time text in a classic format ("yyyy-mm-dd", "yyyy-mm-dd hh:nn:ss"),
// two-second resolution; empty when the time cannot be converted.
std::wstring FormatFileTime(const FILETIME& utc, std::wstring_view format);

// ---------------------------------------------------------------- lists

// Sorts by the column (0 caption, k >= 1 sub-item k-1) as text without regard to
// ASCII case; descending when the first row is below the last one by that same
// comparison, else ascending, so that each call on the same column reverses the order.
void SortListByColumn(std::vector<ListRow>& rows, int column);
// Moves row source to the place of row target (insert before target, after it when
// target lies below source); target -1 or out of range means the last row.
// Returns the new index of the moved row.
int MoveListItem(std::vector<ListRow>& rows, int source, int target);

// ---------------------------------------------------------------- files

// True when the file exists and cannot be opened for reading and writing without
// sharing. The file's attributes are as before afterwards.
bool IsFileInUse(std::wstring_view path);
bool FileExists(std::wstring_view path);       // exists and is not a folder
bool DirectoryExists(std::wstring_view path);  // exists and is a folder
// Size from a directory search on the path (full 64 bits); 0 when missing.
std::uint64_t GetFileSizeOf(std::wstring_view path);

// Folder browser: folder is cleared first when it does not exist; true and the
// chosen folder in folder on OK, false and folder unchanged on Cancel.
bool ChooseFolder(std::wstring_view title, std::wstring_view root, std::wstring& folder);

std::wstring GetOSName();

// ---------------------------------------------------------------- the ".zcom" archive

// Level index: 0 fastest (zlib 1), 1 default (-1), 2 best (9), 3 stored (0), other default.
// One zlib stream, 64 KiB output blocks; streams, never holds the file. On failure
// (source unreadable, target not creatable, a write fails) the result is false, a
// partial target is removed and the source is never deleted.
[[nodiscard]] bool CompressFile(std::wstring_view source, std::wstring_view target, int level,
                                bool deleteSource);
// Inflates 512 bytes of output at a time. A corrupt or truncated archive is a
// failure: the partial target is removed and the source kept.
[[nodiscard]] bool DecompressFile(std::wstring_view source, std::wstring_view target, bool deleteSource);

// ---------------------------------------------------------------- path rules

bool LooksLikeFilePath(std::wstring_view text);
std::wstring ExtractPathFromCommand(std::wstring_view text);
// Trims the name (stored back) and strips its trailing dots; the error text, or empty.
std::wstring CheckFileName(std::wstring& name);

// ---------------------------------------------------------------- file-name masks

// A final "*.*" (three characters or more) becomes "*", so "~*.*" also matches names without a dot.
std::wstring NormalizeMask(std::wstring_view mask);

// A whole-name pattern: "*" any run, "?" one character, "[...]" a set with ranges
// ("a-z") negated by a leading "!"; other characters match themselves, letters
// without regard to case.
class FileMask {
 public:
  // nullopt when the mask is not valid (a "[" that is never closed).
  static std::optional<FileMask> Compile(std::wstring_view mask);
  [[nodiscard]] bool Matches(std::wstring_view name) const;
  [[nodiscard]] const std::wstring& text() const { return text_; }

 private:
  std::wstring text_;
  std::vector<std::uint32_t> program_;  // compiled form, owned by the implementation
  bool literal_ = false;                // a "*lit*" whose first character has no other case
  std::wstring folded_;                 // pre-folded literal or suffix for fast paths
  int kind_ = 0;
  std::size_t minLength_ = 0;           // characters the tokens other than "*" need
  wchar_t lastChar_ = 0;                // folded final literal of a token program, a quick reject
};
bool IsValidMask(std::wstring_view mask);
// Convenience for one-off tests; invalid masks match nothing.
bool MatchesMask(std::wstring_view name, std::wstring_view mask);

// ---------------------------------------------------------------- shell jumps

void ShowInExplorer(std::wstring_view path);
// keyPath as the registry editor shows it ("HKEY_CURRENT_USER\Software\..."); selectValue 0 or 1.
void OpenRegeditAt(std::wstring_view keyPath, std::wstring_view valueName, int selectValue);

}  // namespace wv
