#include "tools/fileinfo_fixtures.h"

#include <gtest/gtest.h>

namespace wv::test {

void ImportFiles(FileInfoRows& rows, std::vector<std::wstring> paths) {
  FileInfoTask task;
  task.op = FileInfoOp::Import;
  task.files = std::move(paths);
  CountingRun run;
  const FileInfoResult result = RunFileInfoTask(task, run, rows);
  EXPECT_FALSE(result.stopped);
}

FileInfoResult RunOp(FileInfoRows& rows, FileInfoOp op, const FileInfoSettings& settings, Answers& answers,
                     FilePlacement placement, std::wstring targetDir) {
  FileInfoTask task;
  task.op = op;
  task.settings = settings;
  task.placement = placement;
  task.targetDir = std::move(targetDir);
  task.ask = answers.asker();
  CountingRun run;
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

LocalTime At(int year, int month, int day, int hour, int minute, int second) {
  return {year, month, day, hour, minute, second};
}

}  // namespace wv::test
