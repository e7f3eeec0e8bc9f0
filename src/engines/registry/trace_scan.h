#pragma once
// The registry daily-trace scan: usage histories listed value by value, and
// registrations (shared libraries, installs, install folders, uninstall entries,
// Start-menu order, folder verbs, help files, fonts, type libraries, file
// associations) compared with the file system or with other keys.

#include <array>
#include <functional>
#include <string_view>

#include "core/run_context.h"
#include "core/known_folders.h"
#include "engines/registry/redundancy_scan.h"

namespace wv {

inline constexpr std::size_t kTraceItemCount = 13;

// The description column of the rows an item finds, by catalogue position.
std::wstring_view TraceCategoryText(int position);

struct TraceScanInput {
  // Ticks of the catalogue rows when the scan starts; the run is asked again
  // (stillTicked) as the scan reaches each item.
  std::array<bool, kTraceItemCount> items{};
  KnownFolders known;                         // FontsDir, ProgramsDir, CommonProgramsDir
};

// Scans the ticked items in catalogue order; each row carries the item's
// position in category and its description text in display. Ends with the
// summary on the status line.
RegistryScanResult TraceScan(const TraceScanInput& input, RunContext& run, const RegistryRowSink& sink);

// The checkers, each over the key at path below root, appending rows of the
// given category; found counts the rows so far. Exposed for the tests.
class TraceCheckers {
 public:
  TraceCheckers(const KnownFolders& known, RunContext& run, const RegistryRowSink& sink, std::size_t& found);
  void setItem(RegRoot root, int category);
  [[nodiscard]] bool stopped() const { return stopped_; }

  void ListHistoryKey(std::wstring_view path);
  void ListKeysNamed(std::wstring_view path, std::wstring_view fragment);
  void CheckSharedDlls(std::wstring_view path);
  void CheckHelpFiles(std::wstring_view path);
  void CheckFonts(std::wstring_view path);
  void CheckEmptyVendorKeys(std::wstring_view path);
  void CheckArpCache(std::wstring_view path);
  void CheckInstallerFolders(std::wstring_view path);
  void CheckUninstall(std::wstring_view path);
  void CheckStartMenuOrder(std::wstring_view path);
  void CheckFileExts(std::wstring_view path);
  void CheckFolderVerbs(std::wstring_view path);
  void CheckTypeLibs(std::wstring_view path);
  void CheckClasses(std::wstring_view path);

 private:
  bool proceed();
  void status(std::wstring_view subject);
  void statusAtKey(std::wstring_view path);
  void addValueRow(RegKey& key, std::wstring_view path, const std::wstring& name);
  void addKeyRow(std::wstring path);
  // How a checker over values frames its loop: text values only, with the status
  // naming the key once at the start and after each hit, or naming each value
  // before it (text values, or values of any type).
  enum class ValueFrame { TextAtKey, TextByName, AnyByName };
  // Subkeys of the key; a key row for each name fn answers true for.
  template <class Fn>
  void eachSubkey(std::wstring_view path, Fn fn);
  // Values of the key; a value row for each fn(name, text) answers true for.
  template <class Fn>
  void eachValue(std::wstring_view path, ValueFrame frame, Fn fn);
  bool isOrphanClass(std::wstring_view path, const std::wstring& k);

  const KnownFolders& known_;
  RunContext& run_;
  const RegistryRowSink& sink_;
  std::size_t& found_;
  RegRoot root_ = RegRoot::CurrentUser;
  int category_ = -1;
  bool stopped_ = false;
  std::wstring text_;
};

}  // namespace wv
