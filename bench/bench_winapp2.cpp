// Reading the community's rule file winapp2.ini as the daily page does at start:
// the file read and parsed, the folder names resolved for this user and every
// entry detected on this machine, against a bare read of the same file split
// into lines. The file is the shared real one (scripts/bench links it into the prefix).

#include <windows.h>

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "engines/cleaning/winapp2_detect.h"
#include "engines/cleaning/winapp2_file.h"
#include "engines/cleaning/winapp2_folders.h"
#include "harness/bench.h"
#include "platform/platform.h"

namespace {

constexpr wchar_t kRuleFile[] = L"C:\\WindowsVantorraFixtures\\winapp2\\Winapp2.ini";

// The whole file into memory with ReadFile, then the lines as views of it: the
// fastest honest read and split (a string per line spends nearly all its time
// allocating under Wine, which would flatter the program).
std::size_t ReadLinesBare() {
  HANDLE h = CreateFileW(kRuleFile, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return 0;
  LARGE_INTEGER size{};
  GetFileSizeEx(h, &size);
  std::string bytes(static_cast<std::size_t>(size.QuadPart), '\0');
  DWORD got = 0;
  ReadFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr);
  CloseHandle(h);
  bytes.resize(got);
  const std::string_view text(bytes);
  std::vector<std::string_view> lines;
  for (std::size_t start = 0; start < text.size();) {
    std::size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    lines.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return lines.size();
}

std::size_t ReadParseDetect() {
  const wv::Winapp2File file = wv::ReadWinapp2(kRuleFile);
  const std::vector<bool> applies =
      wv::DetectEntries(file.entries, wv::RuleFolders::Resolve(), wv::Sys().version());
  std::size_t detected = 0;
  for (const bool a : applies) detected += a ? 1 : 0;
  return file.entries.size() + detected;
}

}  // namespace

int main() {
  if (GetFileAttributesW(kRuleFile) == INVALID_FILE_ATTRIBUTES || ReadLinesBare() == 0) {
    std::fprintf(stderr, "bench_winapp2: the rule file is missing (scripts/link-rule-file)\n");
    return 1;
  }
  const wv::Winapp2File file = wv::ReadWinapp2(kRuleFile);
  std::fprintf(stderr, "bench_winapp2: %zu entries read, %zu not read\n", file.entries.size(), file.problems.size());
  volatile std::size_t sink = 0;
  wv::bench::Figure figure;
  figure.name = "winapp2_parse";
  figure.goal = 3.0;
  // In turns, each best of seven, so that both meet the same load.
  double program = 1e9, baseline = 1e9;
  for (int round = 0; round < 3; ++round) {
    baseline = std::min(baseline, wv::bench::BestSeconds([&] { sink = sink + ReadLinesBare(); }, 7));
    program = std::min(program, wv::bench::BestSeconds([&] { sink = sink + ReadParseDetect(); }, 7));
  }
  figure.baselineSeconds = baseline;
  figure.seconds = program;
  wv::bench::Report(figure);
  return 0;
}
