#include "harness/bench.h"

#include <windows.h>

#include <chrono>
#include <cstdio>
#include <limits>

namespace wv::bench {
namespace {

void RemoveTree(const std::wstring& path) {
  const DWORD attrs = GetFileAttributesW(path.c_str());
  if (attrs == INVALID_FILE_ATTRIBUTES) return;
  SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
  if (!(attrs & FILE_ATTRIBUTE_DIRECTORY)) {
    DeleteFileW(path.c_str());
    return;
  }
  WIN32_FIND_DATAW fd;
  HANDLE h = FindFirstFileExW((path + L"\\*").c_str(), FindExInfoBasic, &fd, FindExSearchNameMatch, nullptr,
                              FIND_FIRST_EX_LARGE_FETCH);
  if (h != INVALID_HANDLE_VALUE) {
    do {
      const std::wstring name = fd.cFileName;
      if (name != L"." && name != L"..") RemoveTree(path + L"\\" + name);
    } while (FindNextFileW(h, &fd));
    FindClose(h);
  }
  RemoveDirectoryW(path.c_str());
}

}  // namespace

double BestSeconds(const std::function<void()>& fn, int repeats, const std::function<void()>& setup) {
  double best = std::numeric_limits<double>::max();
  for (int i = 0; i < repeats; ++i) {
    if (setup) setup();
    const auto start = std::chrono::steady_clock::now();
    fn();
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    if (took.count() < best) best = took.count();
  }
  return best;
}

void Report(const Figure& f) {
  const double ratio = f.baselineSeconds > 0 ? f.seconds / f.baselineSeconds : 0;
  std::printf("bench %s: ratio %.3f (goal %.2f)   [%.3f s vs baseline %.3f s]\n", f.name.c_str(), ratio, f.goal,
              f.seconds, f.baselineSeconds);
  std::fflush(stdout);
}

void ReportAbsolute(std::string_view name, double seconds, double limitSeconds) {
  std::printf("bench %.*s: ratio %.3f (goal 1.00)   [%.3f s against a limit of %.3f s]\n",
              static_cast<int>(name.size()), name.data(), seconds / limitSeconds, seconds, limitSeconds);
  std::fflush(stdout);
}

ScratchFolder::ScratchFolder(std::wstring_view tag) {
  wchar_t buffer[MAX_PATH + 1];
  const DWORD n = GetTempPathW(MAX_PATH + 1, buffer);
  path_.assign(buffer, n);
  if (!path_.empty() && path_.back() != L'\\') path_ += L'\\';
  path_ += L"WindowsVantorraBench_" + std::wstring(tag);
  RemoveTree(path_);
  CreateDirectoryW(path_.c_str(), nullptr);
}

ScratchFolder::~ScratchFolder() { RemoveTree(path_); }

}  // namespace wv::bench
