#pragma once
// The file-information editor: one row per file with its name, modified and
// creation times and attributes (import); new values computed from the page's
// rules without touching the disk (simulate); the new values applied by renaming,
// moving or copying each file and setting its times and attributes (execute); and
// every listed file read again (refresh).

#include <windows.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/run_context.h"
#include "engines/tools/tool_rows.h"

namespace wv {

// ---------------------------------------------------------------- times and attributes

// A local date and time to the second, as the list shows it.
struct LocalTime {
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
  friend bool operator==(const LocalTime&, const LocalTime&) = default;
};

// The only attributes the editor shows and sets: archive, read-only, hidden, system.
inline constexpr DWORD kFileInfoAttributes =
    FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;

// The locale's date and time separators ("-" and ":" when the locale gives none).
wchar_t DateSeparator();
wchar_t TimeSeparator();

// "yyyy" DS "mm" DS "dd" " " "hh" TS "mm" TS "ss" with the locale's separators.
std::wstring FileTimeText(const LocalTime& time);
std::wstring DateText(const LocalTime& time);  // the date part alone
std::wstring TimeText(const LocalTime& time);  // the time part alone
// "ARHS" with "-" for each absent attribute.
std::wstring AttrText(DWORD attributes);

// Sets one time of the file, the other times staying; false when the file cannot be
// opened for it or the time cannot be converted.
bool WriteFileTime(std::wstring_view path, int which, const LocalTime& time);
// Replaces the file's attributes whole with these (others cleared).
bool WriteFileAttr(std::wstring_view path, DWORD attributes);

// ---------------------------------------------------------------- rows

struct FileInfoRow {
  std::wstring newName;  // the name execute gives the file; equals oldName until simulated or edited
  std::wstring oldName;  // the file's name on disk
  std::optional<LocalTime> newModified, oldModified;
  std::optional<LocalTime> newCreated, oldCreated;
  std::optional<DWORD> newAttributes, oldAttributes;  // kFileInfoAttributes bits only
  std::wstring folder;   // ends with "\"
  int image = -1;        // the page's picture (RowImageLookup)
  [[nodiscard]] std::wstring path() const { return folder + oldName; }
};
using FileInfoRows = ToolRows<FileInfoRow>;

// ---------------------------------------------------------------- rule settings

enum class FileInfoObject { Names = 0, Time = 1, Attributes = 2 };
enum class NameRule {
  None,          // no rule ticked: names are only cleaned and checked
  Replace,       // every A by B, letters without regard to case
  Overwrite,     // K characters from N by T
  ChangeCase,    // letters of K characters from N to upper or lower case
  InsertText,    // T at N
  InsertNumber,  // B + I * row at N, at least W digits
  Markers,       // keep or drop what lies between S and E
  Range,         // keep or drop K characters from N
  CharClass,     // keep or drop all digits or all letters
};

// What the page's controls hold; the defaults are those of its reset.
struct FileInfoSettings {
  FileInfoObject object = FileInfoObject::Names;

  bool extensionPart = false;   // work on the extension (without its dot) instead of the name
  bool duplicateCheck = true;
  NameRule rule = NameRule::Replace;
  std::wstring replaceFrom, replaceTo;
  int overwritePos = 0, overwriteLen = 1;
  std::wstring overwriteText;
  int casePos = 0, caseLen = 1;
  bool lowerCase = false;
  int insertPos = 0;
  std::wstring insertText;
  int numberPos = 0, numberBegin = 1, numberStep = 1, numberWidth = 1;
  std::wstring markerBegin, markerEnd;
  bool markerDrop = false;
  int rangePos = 0, rangeLen = 1;
  bool rangeDrop = false;
  bool classDrop = false;
  bool classLetters = false;

  bool creationTime = false;    // else the modified time
  bool randomTime = false;
  std::wstring beginDate, beginTime, endDate, endTime;  // the edits' texts

  DWORD attributes = FILE_ATTRIBUTE_ARCHIVE;  // the ticked boxes
};

// Ranges of the number fields (spin edits) of the name rules.
struct SpinRange {
  int minimum, maximum;
  [[nodiscard]] int clamp(int value) const { return value < minimum ? minimum : value > maximum ? maximum : value; }
};
inline constexpr SpinRange kPositionRange{0, 200};
inline constexpr SpinRange kLengthRange{1, 200};
inline constexpr SpinRange kNumberBeginRange{0, 9999};
inline constexpr SpinRange kNumberStepRange{1, 999};
inline constexpr SpinRange kNumberWidthRange{1, 20};
inline constexpr int kRuleTextLimit = 100;

// The new name that the ticked rule makes of name for the row at rowIndex, before
// the name check (so it may still end with a dot or be empty).
std::wstring ApplyNameRule(const FileInfoSettings& settings, std::wstring_view name, std::size_t rowIndex);
// The part of name that the rules work on: the name without its extension, or the
// extension without its dot.
std::wstring WorkingPart(std::wstring_view name, bool extensionPart);

// Picking from the name preview: n characters before the selection, the selected
// text; fills every rule's position, length, text and marker fields, in range.
void PickFromPreview(std::wstring_view preview, int selStart, int selLength, FileInfoSettings& settings);

// The time edits that simulate will read: begin date, end date, begin time, end
// time (the end edits only for a random time). Returns the first that does not
// hold a valid date from 1980 to 2100 or a valid time, or -1 when all do.
enum class TimeEdit { BeginDate = 0, EndDate = 1, BeginTime = 2, EndTime = 3 };
int FirstInvalidTimeEdit(const FileInfoSettings& settings);
bool IsValidDateText(std::wstring_view text);
bool IsValidTimeText(std::wstring_view text);

// ---------------------------------------------------------------- the pseudo-random numbers

// The time rule's generator: state := state * 134775813 + 1, result := (n * state) >> 32.
class FileInfoRandom {
 public:
  std::uint32_t next(std::uint32_t n);  // 0 .. n-1 (0 when n is 0)
  [[nodiscard]] std::uint32_t state() const { return state_; }
  void restart() { state_ = 0; }  // as at program start

 private:
  std::uint32_t state_ = 0;
};
// The one generator of the program: 0 at start and set by nothing else, so every
// run of the program draws the same sequence.
FileInfoRandom& TimeRandom();

// ---------------------------------------------------------------- questions

enum class FileInfoAskKind {
  InvalidName,    // simulate: the name check failed (warning; the run ends)
  DuplicateName,  // simulate: an earlier row has the same new name (OK goes on)
  FileGone,       // execute: the file no longer exists (OK skips the row)
  FileInUse,      // execute: the file cannot be opened exclusively
  RenameClash,    // execute in place: the rename failed
  PlaceFailed,    // execute by move or copy: the move or copy failed
  MoveLeftCopy,   // execute by move: the file arrived but the original stayed (name: the copy's full path)
  NotApplied,     // execute: read again, the file does not have the new time or attributes
  EditInvalid,    // a name typed into the list failed the name check (warning)
  EditDuplicate,  // a name typed into the list is another row's new name (OK accepts it)
};
// Which new values did not take (NotApplied).
inline constexpr unsigned kModifiedNotSet = 1, kCreatedNotSet = 2, kAttributesNotSet = 4;
struct FileInfoAsk {
  FileInfoAskKind kind;
  std::wstring name;      // the file name the message names
  std::wstring error;     // InvalidName: the name check's text
  unsigned notSet = 0;    // NotApplied: kModifiedNotSet | kCreatedNotSet | kAttributesNotSet
  DWORD systemError = 0;  // RenameClash, PlaceFailed: the system's error code
};
// Answers true for OK (go on, skip the row), false for Cancel (end the run).
using FileInfoAsker = std::function<bool(const FileInfoAsk& ask)>;
// The heading and text of the question's message box.
std::wstring FileInfoAskHeading(FileInfoAskKind kind);
std::wstring FileInfoAskText(const FileInfoAsk& ask);

// ---------------------------------------------------------------- the operations

enum class FileInfoOp { Import = 1, Simulate = 2, Execute = 3, Refresh = 4 };
enum class FilePlacement { KeepFolder = 0, MoveToFolder = 1, CopyToFolder = 2 };

struct FileInfoTask {
  FileInfoOp op = FileInfoOp::Import;
  std::vector<std::wstring> files;      // import: the pending paths, consumed
  FileInfoSettings settings;            // simulate
  FilePlacement placement = FilePlacement::KeepFolder;  // execute
  std::wstring targetDir;               // execute by move or copy; ends with "\"
  FileInfoAsker ask;                    // per-row questions (the page asks the user); unset: OK
  RowImageLookup imageOf;               // import: the rows' pictures
};

struct FileInfoResult {
  bool stopped = false;  // ended before every item was handled
  std::wstring summary;  // the final status text
};

// Runs the operation on rows: start text and gauge through run, proceed() before
// each item (refresh cannot be stopped), the final text on the status line. The page
// does the run protocol around it (captions, run state, enabled controls).
FileInfoResult RunFileInfoTask(FileInfoTask& task, RunContext& run, FileInfoRows& rows);

// Undoes the simulated values of one object on every row: the new names become the
// old ones again, or the new times or the new attributes are emptied.
void ResetSimulated(FileInfoRows& rows, FileInfoObject object);

// A name typed into the list for the row: cleaned by the name check, refused with a
// warning (the row falls back to its old name), and with the duplicate check
// compared with every other row's new name (Cancel falls back to the old name).
// Returns true when the typed name was taken.
bool ApplyEditedName(FileInfoRows& rows, std::size_t index, std::wstring typed, bool duplicateCheck,
                     const FileInfoAsker& ask);

// ---------------------------------------------------------------- what the list shows

inline constexpr int kFileInfoColumns = 9;
// The text of a column: 0 new name, 1 old name, 2/3 new/old modified time, 4/5 new/old
// creation time, 6/7 new/old attributes, 8 folder. Empty where no value is held.
std::wstring FileInfoColumnText(const FileInfoRow& row, int column);
// Sorts by the clicked column's text (SortListByColumn's order).
void SortFileInfoRows(FileInfoRows& rows, int column);

// "名称", "时间" or "属性".
std::wstring_view ObjectCaption(FileInfoObject object);

}  // namespace wv
