#include "harness/junk_tree.h"

#include <windows.h>

#include <cstdio>

namespace wv::bench {
namespace {

constexpr int kTopFolders = 100;
constexpr int kSubfolders = 199;  // per top folder: 100 + 100 * 199 = 20,000 folders
constexpr int kFilesPerFolder = 10;

void MakeFile(const std::wstring& path) {
  HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  WriteFile(h, "bench", 5, &written, nullptr);
  CloseHandle(h);
}

}  // namespace

std::wstring JunkTreeFileName(int n) {
  static const wchar_t* const kJunk[] = {L"~WRL%04d.tmp", L"backup copy %d.bak", L"crash %d.dmp", L"Thumbs.db"};
  static const wchar_t* const kPlain[] = {L"Document number %d.docx", L"photo_%06d.jpeg", L"notes %d.txt",
                                          L"component-%d.dll", L"readme %d"};
  wchar_t buffer[64];
  if (n % 500 == 7)
    std::swprintf(buffer, 64, kJunk[(n / 500) % 4], n);
  else
    std::swprintf(buffer, 64, kPlain[n % 5], n);
  return buffer;
}

int BuildJunkTree(const std::wstring& root, std::vector<std::wstring>* folders) {
  int n = 0;
  auto fill = [&](const std::wstring& folder) {
    if (folders) folders->push_back(folder);
    for (int f = 0; f < kFilesPerFolder; ++f) MakeFile(folder + L"\\" + JunkTreeFileName(n++));
  };
  for (int t = 0; t < kTopFolders; ++t) {
    const std::wstring top = root + L"\\Project Folder " + std::to_wstring(t);
    CreateDirectoryW(top.c_str(), nullptr);
    fill(top);
    for (int s = 0; s < kSubfolders; ++s) {
      const std::wstring sub = top + L"\\module_component_" + std::to_wstring(s);
      CreateDirectoryW(sub.c_str(), nullptr);
      fill(sub);
    }
  }
  return n;
}

std::size_t BareWalk(const std::wstring& folder) {
  WIN32_FIND_DATAW fd;
  HANDLE h = FindFirstFileExW((folder + L"\\*").c_str(), FindExInfoBasic, &fd, FindExSearchNameMatch, nullptr,
                              FIND_FIRST_EX_LARGE_FETCH);
  if (h == INVALID_HANDLE_VALUE) return 0;
  std::size_t entries = 0;
  do {
    const bool dots =
        fd.cFileName[0] == L'.' && (fd.cFileName[1] == 0 || (fd.cFileName[1] == L'.' && fd.cFileName[2] == 0));
    if (dots) continue;
    ++entries;
    if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) entries += BareWalk(folder + L"\\" + fd.cFileName);
  } while (FindNextFileW(h, &fd));
  FindClose(h);
  return entries;
}

}  // namespace wv::bench
