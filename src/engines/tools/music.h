#pragma once
// The music page's engine: .mp3 and .wma files imported from the file dialog or a
// drop, one row each with the tags read from the file (import, refresh); new
// names built from those tags or from the current names without their blanks
// (simulate); and the names applied by renaming, moving or copying each file
// (execute), through the file-information editor's execute, with its questions.

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/run_context.h"
#include "engines/tools/file_info.h"
#include "engines/tools/music_tags.h"
#include "engines/tools/tool_rows.h"

namespace wv {

struct MusicRow {
  std::wstring newName;  // the name execute gives the file; equals oldName until simulated or edited
  std::wstring oldName;  // the file's name on disk
  MusicTags tags;        // as read from the file at import, refresh or the tags' reset
  std::wstring folder;   // ends with "\"
  int image = -1;        // the page's picture (RowImageLookup)
  [[nodiscard]] std::wstring path() const { return folder + oldName; }
};
using MusicRows = ToolRows<MusicRow>;

// Operations 1 to 4 are the page's run states; ReadTags is the reset of the tag
// object, which runs as a refresh that keeps every row and name.
enum class MusicOp { Import = 1, Simulate = 2, Execute = 3, Refresh = 4, ReadTags = 5 };

enum class MusicNameRule {
  Tags,          // up to three tags joined by the separator, the extension kept
  RemoveBlanks,  // the current new name without its blanks
};

// What the page's rule controls hold; the defaults are the page's.
struct MusicSettings {
  MusicNameRule rule = MusicNameRule::Tags;
  std::array<std::optional<MusicTag>, 3> parts{MusicTag::Title, std::nullopt, std::nullopt};
  std::wstring separator;
  bool duplicateCheck = true;
};
inline constexpr int kSeparatorLimit = 20;

struct MusicTask {
  MusicOp op = MusicOp::Import;
  FileInfoAsker ask;  // simulate's and execute's questions; unset: OK
  // Import: the pending paths (consumed) and the rows' pictures.
  std::vector<std::wstring> files;
  RowImageLookup imageOf;
  MusicSettings settings;  // simulate
  // Execute: where the files go, and the folder (ending with "\") when they move or are copied.
  FilePlacement placement = FilePlacement::KeepFolder;
  std::wstring targetDir;
};

struct MusicResult {
  bool stopped = false;  // ended before every item was handled
  std::wstring summary;  // the page's own status text at the end
};

// Runs the operation on rows, with its texts on the run's status line:
// - import: every path of a file that ends in ".mp3" or ".wma" (any case), is not
//   listed already (any case) and exists becomes a row with its tags;
// - simulate: each row's new name from the rule; with the duplicate check, a name
//   that an earlier row already has, or that another file in the row's folder has,
//   is asked about (DuplicateName: OK goes on, Cancel ends the run, and a run that
//   ends early puts every old name back);
// - execute: each new name applied as the file-information editor executes it
//   (never overwriting; names that swap or form a cycle handled), the tags of each
//   moved or copied file read again;
// - refresh: the names reset and the tags read again, rows of files that are gone removed;
// - read tags: the tags read again, nothing else changed.
MusicResult RunMusicTask(MusicTask& task, RunContext& run, MusicRows& rows);

// The new name that the rule makes for the row, or empty when it makes none
// (every chosen tag is empty): the chosen tags that are not empty joined by the
// separator, every character that no file name may hold replaced by "_", plus the
// extension of the file's name; or the current new name without its blanks.
std::wstring BuildMusicName(const MusicSettings& settings, const MusicRow& row);

// Every new name back to the file's name.
void ResetMusicNames(MusicRows& rows);

// A name typed into the list for the row: refused when it is blank or holds a
// character that no file name may; otherwise taken without the blanks and dots
// at its end, which no file name on Windows keeps. Returns the refusal's text, or
// empty when the name was taken.
std::wstring ApplyTypedMusicName(MusicRows& rows, std::size_t index, std::wstring_view typed);

// The text of a column: 0 new name, 1 old name, 2 title, 3 artist, 4 album, 5 year,
// 6 comment, 7 folder.
inline constexpr int kMusicColumns = 8;
std::wstring MusicColumnText(const MusicRow& row, int column);
void SortMusicRows(MusicRows& rows, int column);

// Drag reordering of the music list: the dragged row ends up just before the row it
// was dropped on (before the last row when dropped below all rows). Returns its new
// index, or -1 when nothing moved.
int MoveMusicRow(MusicRows& rows, int source, int target);

}  // namespace wv
