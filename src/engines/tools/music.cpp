// The music page's import and list rules.
#include "engines/tools/music.h"

#include <unordered_set>

#include "core/utilities.h"
#include "platform/text.h"

namespace wv {

MusicResult RunMusicTask(MusicOp op, std::vector<std::wstring>& files, RunContext& run, MusicRows& rows,
                         const RowImageLookup& imageOf) {
  if (op != MusicOp::Import) return {};
  run.status(L"音乐信息导入中...");
  run.progressStart(static_cast<std::uint32_t>(files.size()));
  std::unordered_set<std::wstring> listed;
  for (const MusicRow& row : rows.rows()) listed.insert(ToUpper(row.path()));
  bool stopped = false;
  for (const std::wstring& path : files) {
    if (!run.proceed()) {
      stopped = true;
      break;
    }
    const std::wstring_view ext = ExtractFileExt(path);
    if ((EqualsNoCase(ext, L".MP3") || EqualsNoCase(ext, L".WMA")) && !listed.contains(ToUpper(path)) &&
        FileExists(path)) {
      MusicRow row;
      row.image = imageOf ? imageOf(path) : -1;
      row.oldName = ExtractFileName(path);
      row.newName = row.oldName;
      row.folder = ExtractFilePath(path);
      rows.append(std::move(row));
      run.rowAdded();
    }
    run.progressStep();
  }
  files.clear();
  files.shrink_to_fit();
  MusicResult result{stopped, stopped ? L"音乐信息导入被停止" : L"音乐信息导入完成！"};
  run.status(result.summary);
  return result;
}

std::wstring CheckMusicName(std::wstring_view name) {
  if (TrimView(name).empty()) return L"文件名不能为空。";
  if (name.find_first_of(L"\\/:*?\"<>|") != std::wstring_view::npos) return L"文件名中不能包含特殊字符。";
  return {};
}

std::wstring MusicColumnText(const MusicRow& row, int column) {
  switch (column) {
    case 0: return row.newName;
    case 1: return row.oldName;
    case 2: return row.title;
    case 3: return row.artist;
    case 4: return row.album;
    case 5: return row.year;
    case 6: return row.comment;
    case 7: return row.folder;
    default: return {};
  }
}

void SortMusicRows(MusicRows& rows, int column) {
  SortRowsByText(rows, [column](const MusicRow& row) { return MusicColumnText(row, column); });
}

int MoveMusicRow(MusicRows& rows, int source, int target) {
  const int count = static_cast<int>(rows.size());
  if (source < 0 || source >= count) return -1;
  if (target < 0 || target >= count) target = count - 1;
  // Before the target: moving down, the rows between close up first.
  const int place = target > source ? target - 1 : target;
  if (place == source) return -1;
  return rows.moveTo(source, place);
}

}  // namespace wv
