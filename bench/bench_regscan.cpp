// The redundancy walk over a large generated subtree against a bare walk that
// only enumerates the same keys and reads the same values, in the same run.
#include <windows.h>

#include <cstdio>
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

// The same opens, listings and reads as the scan, with no test on what was read.
void BareWalk(RegKey& key, std::wstring& path, RegRawValue& raw, std::size_t& values) {
  for (const std::wstring& name : key.subkeyNames()) {
    const std::size_t length = path.size();
    path += L'\\';
    path += name;
    if (auto child = Reg().openKey(RegRoot::CurrentUser, path)) BareWalk(*child, path, raw, values);
    path.resize(length);
  }
  for (const std::wstring& name : key.valueNames())
    if (key.readRaw(name, raw)) ++values;
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
  const double bare = bench::BestSeconds(
      [&] {
        values = 0;
        RegRawValue raw;
        std::wstring path = absolute;
        if (auto key = Reg().openKey(RegRoot::CurrentUser, path)) BareWalk(*key, path, raw, values);
      },
      2);
  const double scan = bench::BestSeconds(
      [&] {
        const RedundancyRules rules(known);
        QuietRun run;
        std::vector<RegistryRow> found;
        rows = 0;
        (void)ScanKeyTree(RegRoot::CurrentUser, absolute, rules, run,
                          [&found](RegistryRow&& r) { found.push_back(std::move(r)); }, rows);
      },
      2);
  RegDeleteTreeW(HKEY_CURRENT_USER, root.c_str());
  RegDeleteKeyW(HKEY_CURRENT_USER, root.c_str());
  std::printf("regscan: %zu values read, %zu rows found\n", values, rows);
  bench::Report({"regscan_keytree", scan, bare, kGoal});
  return rows == kGroups * kKeysPerGroup / 2 + (kGroups * kKeysPerGroup) % 2 ? 0 : 1;
}
