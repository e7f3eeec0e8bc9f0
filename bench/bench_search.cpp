// A depth-first walk of a folder tree through the platform's directory search,
// against the same walk on bare FindFirstFileEx calls.

#include <windows.h>

#include <string>

#include "harness/bench.h"
#include "platform/platform.h"

namespace {

constexpr int kFolders = 40;
constexpr int kFilesPerFolder = 250;

void MakeTree(const std::wstring& root) {
  for (int d = 0; d < kFolders; ++d) {
    const std::wstring folder = root + L"\\folder_" + std::to_wstring(d);
    CreateDirectoryW(folder.c_str(), nullptr);
    for (int f = 0; f < kFilesPerFolder; ++f) {
      const std::wstring file = folder + L"\\file_" + std::to_wstring(f) + L".tmp";
      HANDLE h = CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
      if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
    }
  }
}

std::uint64_t WalkPlatform(const std::wstring& folder) {
  std::uint64_t count = 0;
  auto search = wv::Fs().search(folder + L"\\*.*");
  if (!search) return 0;
  wv::FindEntry e;
  while (search->next(e)) {
    if (e.isFolder()) {
      if (e.name != L"." && e.name != L"..") count += WalkPlatform(folder + L"\\" + e.name);
    } else {
      count += e.size + 1;
    }
  }
  return count;
}

std::uint64_t WalkBare(const std::wstring& folder) {
  std::uint64_t count = 0;
  WIN32_FIND_DATAW data;
  HANDLE h = FindFirstFileExW((folder + L"\\*.*").c_str(), FindExInfoBasic, &data, FindExSearchNameMatch, nullptr,
                              FIND_FIRST_EX_LARGE_FETCH);
  if (h == INVALID_HANDLE_VALUE) return 0;
  do {
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      const std::wstring_view name = data.cFileName;
      if (name != L"." && name != L"..") count += WalkBare(folder + L"\\" + data.cFileName);
    } else {
      count += ((static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow) + 1;
    }
  } while (FindNextFileW(h, &data));
  FindClose(h);
  return count;
}

}  // namespace

int main() {
  wv::bench::ScratchFolder scratch(L"search");
  MakeTree(scratch.path());
  volatile std::uint64_t sink = 0;
  wv::bench::Figure figure;
  figure.name = "search_walk";
  figure.goal = 1.3;
  figure.baselineSeconds = wv::bench::BestSeconds([&] { sink = sink + WalkBare(scratch.path()); }, 7);
  figure.seconds = wv::bench::BestSeconds([&] { sink = sink + WalkPlatform(scratch.path()); }, 7);
  wv::bench::Report(figure);
  return 0;
}
