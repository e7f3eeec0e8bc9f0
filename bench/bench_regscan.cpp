// The redundancy walk over a large generated subtree against the bare floor for
// the same work (keys opened from their parents, one enumeration call per value),
// run alternately several times in the same run, medians compared.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <utility>
#include <string>
#include <vector>

#include "core/known_folders.h"
#include "harness/bench.h"
#include "platform/platform.h"
#include "engines/registry/redundancy_scan.h"

namespace {

using namespace wv;

constexpr int kGroups = 100;
constexpr int kKeysPerGroup = 999;  // with the groups and the root: 100,000 keys
constexpr double kGoal = 1.5;
constexpr int kRuns = 5;  // baseline and scan alternately; the medians are compared

class QuietRun : public RunContext {
 public:
  bool proceed() override { return true; }
  void status(std::wstring_view) override {}
};

// Three values per leaf key: a file path (missing for even keys), a product name
// or a command line of an existing file (every other key), and a number. Half of
// the 300,000 values are path-like strings.
void Generate(const std::wstring& root, const std::wstring& live, const std::wstring& folder) {
  for (int g = 0; g < kGroups; ++g) {
    HKEY group = nullptr;
    const std::wstring groupPath = root + L"\\Group" + std::to_wstring(g);
    RegCreateKeyExW(HKEY_CURRENT_USER, groupPath.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &group, nullptr);
    for (int k = 0; k < kKeysPerGroup; ++k) {
      HKEY key = nullptr;
      const std::wstring name = L"Component " + std::to_wstring(k);
      RegCreateKeyExW(group, name.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
      const int n = g * kKeysPerGroup + k;
      const std::wstring path =
          n % 2 == 0 ? folder + L"\\Gone " + std::to_wstring(n) + L"\\app.exe" : live;
      const std::wstring second = n % 2 == 0 ? L"Vendor Product Edition " + std::to_wstring(n) : L"\"" + live + L"\" /tray";
      const DWORD flags = static_cast<DWORD>(n);
      RegSetValueExW(key, L"Path", 0, REG_SZ, reinterpret_cast<const BYTE*>(path.c_str()),
                     static_cast<DWORD>((path.size() + 1) * sizeof(wchar_t)));
      RegSetValueExW(key, L"Name", 0, REG_SZ, reinterpret_cast<const BYTE*>(second.c_str()),
                     static_cast<DWORD>((second.size() + 1) * sizeof(wchar_t)));
      RegSetValueExW(key, L"Flags", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&flags), sizeof flags);
      RegCloseKey(key);
    }
    RegCloseKey(group);
  }
}

// The floor for the same work: each key opened from its parent's handle, each
// value's name and data read by one RegEnumValueW call, nothing tested.
void BareWalk(HKEY key, std::vector<wchar_t>& name, std::vector<BYTE>& data, std::size_t& values) {
  DWORD maxSubkey = 0, maxValueName = 0, maxData = 0;
  if (RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, &maxSubkey, nullptr, nullptr, &maxValueName, &maxData,
                       nullptr, nullptr) != ERROR_SUCCESS)
    return;
  if (name.size() < std::max(maxSubkey, maxValueName) + 2u) name.resize(std::max(maxSubkey, maxValueName) + 2u);
  if (data.size() < maxData + 2u) data.resize(maxData + 2u);
  for (DWORD i = 0;; ++i) {
    DWORD length = static_cast<DWORD>(name.size());
    if (RegEnumKeyExW(key, i, name.data(), &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    HKEY child = nullptr;
    if (RegOpenKeyExW(key, name.data(), 0, KEY_READ, &child) == ERROR_SUCCESS) {
      BareWalk(child, name, data, values);
      RegCloseKey(child);
    }
  }
  for (DWORD i = 0;; ++i) {
    DWORD length = static_cast<DWORD>(name.size()), size = static_cast<DWORD>(data.size()), type = 0;
    if (RegEnumValueW(key, i, name.data(), &length, nullptr, &type, data.data(), &size) != ERROR_SUCCESS) break;
    ++values;
  }
}

// Baseline and subject in turn, several times; each figure is the median of its runs.
template <typename Bare, typename Subject>
std::pair<double, double> AlternateMedians(int runs, Bare bare, Subject subject) {
  std::vector<double> bareTimes, subjectTimes;
  for (int i = 0; i < runs; ++i) {
    bareTimes.push_back(bench::BestSeconds(bare, 1));
    subjectTimes.push_back(bench::BestSeconds(subject, 1));
  }
  const auto median = [](std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
  };
  return {median(bareTimes), median(subjectTimes)};
}

}  // namespace

int main() {
  const std::wstring root = L"Software\\VantorraBenchRegscan";
  RegDeleteTreeW(HKEY_CURRENT_USER, root.c_str());
  bench::ScratchFolder scratch(L"regscan");
  const std::wstring live = scratch.path() + L"\\live.exe";
  {
    HANDLE f = CreateFileW(live.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    CloseHandle(f);
  }
  Generate(root, live, scratch.path());

  const KnownFolders known = ResolveKnownFolders();
  const std::wstring absolute = L"\\" + root;
  std::size_t rows = 0;
  std::size_t values = 0;
  const auto [bare, scan] = AlternateMedians(
      kRuns,
      [&] {
        values = 0;
        std::vector<wchar_t> name;
        std::vector<BYTE> data;
        HKEY key = nullptr;
        if (RegOpenKeyExW(HKEY_CURRENT_USER, root.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return;
        BareWalk(key, name, data, values);
        RegCloseKey(key);
      },
      [&] {
        const RedundancyRules rules(known);
        QuietRun run;
        std::vector<RegistryRow> found;
        rows = 0;
        (void)ScanKeyTree(RegRoot::CurrentUser, absolute, rules, run,
                          [&found](RegistryRow&& r) { found.push_back(std::move(r)); }, rows);
      });
  RegDeleteTreeW(HKEY_CURRENT_USER, root.c_str());
  RegDeleteKeyW(HKEY_CURRENT_USER, root.c_str());
  std::printf("regscan: %zu values read, %zu rows found\n", values, rows);
  bench::Report({"regscan_keytree", scan, bare, kGoal});
  return rows == kGroups * kKeysPerGroup / 2 + (kGroups * kKeysPerGroup) % 2 ? 0 : 1;
}
