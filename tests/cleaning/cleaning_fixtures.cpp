#include "cleaning/cleaning_fixtures.h"

#include <algorithm>
#include <atomic>
#include <stdexcept>

#include "core/text.h"

namespace wv::test {

int TestShell::fileOperation(HWND owner, FileOpFunc func, const std::vector<std::wstring>& sources,
                             std::wstring_view target, unsigned flags) {
  if (duringFileOperation) duringFileOperation();
  calls.push_back({func, sources, flags});
  std::vector<std::wstring> run;
  std::copy_if(sources.begin(), sources.end(), std::back_inserter(run),
               [&](const std::wstring& s) { return !takes || takes(s); });
  const int result =
      run.empty() ? 0 : Win32Shell::fileOperation(owner, func, run, target, flags | FOF_NOCONFIRMATION | FOF_NOCONFIRMMKDIR);
  return answer.value_or(result);
}

std::wstring TestShell::browseForFolder(HWND, std::wstring_view, std::wstring_view, std::wstring_view) {
  if (folders.empty()) return {};
  std::wstring answer = std::move(folders.front());
  folders.pop_front();
  return answer;
}

std::unique_ptr<DirSearch> RefusingFiles::search(std::wstring_view pattern, bool foldersOnly) {
  if (!refuses_(pattern)) return Win32FileSystem::search(pattern, foldersOnly);
  if (throws_) throw std::runtime_error("search refused");
  return nullptr;
}

Planted::Planted(std::wstring_view tag) {
  static std::atomic<int> counter{0};
  root_ = folder(L"C:\\WindowsVantorraTests\\" + std::wstring(tag) + L"_" + std::to_wstring(GetCurrentProcessId()) +
                 L"_" + std::to_wstring(++counter));
}

Planted::~Planted() {
  for (auto it = made_.rbegin(); it != made_.rend(); ++it) RemoveTree(*it);
}

std::wstring Planted::folder(std::wstring_view path) {
  const std::wstring p = path.size() > 1 && path[1] == L':' ? std::wstring(path) : *this / path;
  for (std::size_t i = 3; i <= p.size(); ++i) {
    if (i < p.size() && p[i] != L'\\') continue;
    const std::wstring part = p.substr(0, i);
    if (!PathExists(part) && CreateDirectoryW(part.c_str(), nullptr)) made_.push_back(part);
  }
  return p;
}

std::wstring Planted::file(std::wstring_view path, std::size_t bytes) {
  const std::wstring p = path.size() > 1 && path[1] == L':' ? std::wstring(path) : *this / path;
  if (PathExists(p)) return {};
  folder(ExcludeTrailingBackslash(ExtractFilePath(p)));
  WriteBytes(p, std::string(bytes, 'j'));
  made_.push_back(p);
  return p;
}

UniqueFile Hold(const std::wstring& path) {
  return UniqueFile(
      CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
}

std::vector<std::wstring> Captions(const std::vector<ListRow>& rows) {
  std::vector<std::wstring> out;
  for (const ListRow& r : rows) out.push_back(r.caption);
  return out;
}

std::vector<std::wstring> Sorted(std::vector<std::wstring> paths) {
  std::sort(paths.begin(), paths.end());
  return paths;
}

std::vector<std::wstring> Shown(const ScriptedMsgBox& box) {
  std::vector<std::wstring> out;
  for (const auto& m : box.shown())
    out.push_back(m.heading + L" " + std::to_wstring(m.icon) + L" " + std::to_wstring(m.buttons) + L" " + m.text);
  return out;
}

int RowIndex(const RowModel& rows, std::wstring_view caption) {
  for (std::size_t i = 0; i < rows.size(); ++i)
    if (EqualsNoCase(rows.at(i).caption, caption)) return static_cast<int>(i);
  return -1;
}

}  // namespace wv::test
