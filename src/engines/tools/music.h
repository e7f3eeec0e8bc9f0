#pragma once
// The music page's list: .mp3 and .wma files imported from the file dialog or a
// drop, one row each, and the checks of a name typed into the list. Reading tags
// and building names from them are not done: simulate, execute and refresh end at
// once without touching a row.

#include <string>
#include <string_view>
#include <vector>

#include "core/run_context.h"
#include "engines/tools/tool_rows.h"

namespace wv {

struct MusicRow {
  std::wstring newName;  // changed only by hand
  std::wstring oldName;  // the file's name at import
  std::wstring title, artist, album, year, comment;  // tag columns, never read
  std::wstring folder;   // ends with "\"
  int image = -1;
  [[nodiscard]] std::wstring path() const { return folder + oldName; }
};
using MusicRows = ToolRows<MusicRow>;

enum class MusicOp { Import = 1, Simulate = 2, Execute = 3, Refresh = 4 };

struct MusicResult {
  bool stopped = false;
  std::wstring summary;  // the page's own status text; empty when the operation has none
};

// Import: every path of files that ends in ".mp3" or ".wma" (any case), is not
// listed already (any case) and is an existing file becomes a row; files is
// consumed. The other operations change nothing.
MusicResult RunMusicTask(MusicOp op, std::vector<std::wstring>& files, RunContext& run, MusicRows& rows,
                         const RowImageLookup& imageOf = {});

// The error text for a name typed into the list, or empty when it is taken as typed.
std::wstring CheckMusicName(std::wstring_view name);

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
