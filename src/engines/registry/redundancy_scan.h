#pragma once
// The registry redundancy scan: whole hives walked key by key for values that
// name missing files or folders on fixed disks, with built-in skip lists. Also
// the registry result row both registry scans hand out, and its deletion.

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "core/run_context.h"
#include "core/known_folders.h"
#include "platform/text.h"
#include "platform/platform.h"

namespace wv {

// What the value-name column shows for a key's unnamed value.
inline constexpr std::wstring_view kDefaultValueMarker = L"REG_D-E-F";

// Keys below "Wow6432Node" hold what 32-bit programs see; their paths mean the
// 32-bit system folder where they say System32.
enum class RegView { Native, Wow32 };
RegView ViewOfPath(std::wstring_view keyPath);

enum class RegRowKind { Value, Key };

// One finding of a registry scan. It names its entry exactly (the value's real
// name, never the text shown for it) and keeps what the scan saw, so that a
// deletion acts only on that entry and only while it is unchanged.
struct RegistryRow {
  RegRoot root = RegRoot::CurrentUser;
  RegView view = RegView::Native;
  std::wstring keyPath;  // "\Software\Vendor" form; empty for the root itself
  RegRowKind kind = RegRowKind::Value;
  std::wstring valueName;  // value rows: the real name, empty for the unnamed value
  RegRawValue value;       // value rows: type and bytes as read
  RegKeyInfo keyState;     // key rows: counts and last write as seen
  std::wstring display;    // the fourth column: the data text, or the row's category
  int category = -1;       // daily-trace rows: the catalogue position that found it
};

using RegistryRowSink = std::function<void(RegistryRow&& row)>;

// The value-name column: the name, the marker for the unnamed value, empty for a key row.
std::wstring ValueNameCell(const RegistryRow& row);
// The data of a string value as text (up to its first NUL); empty for other types.
std::wstring ValueText(const RegRawValue& value);
bool IsTextType(DWORD type);

// Both scans end with one of these on the status line.
std::wstring RegistryScanSummary(std::size_t rows);
// "已扫描到 N 项 -- " + subject, built into out.
void RegistryProgressText(std::size_t rows, std::wstring_view subject, std::wstring& out);

enum class RowDeletion { Deleted, Changed, Missing, Failed };
// Deletes the row's value (the unnamed one for an empty name) or its key with
// everything below, but only when it is still as the scan saw it: a value of the
// same type and bytes, a key with the same counts and last write time. A changed
// or vanished entry is left alone.
RowDeletion DeleteRegistryRow(const RegistryRow& row);

// The skip lists and the file-system answers one scan shares.
class RedundancyRules {
 public:
  explicit RedundancyRules(const KnownFolders& known);
  [[nodiscard]] bool skipsKey(std::wstring_view keyPath) const { return keys_.foundIn(keyPath, scratch_); }
  [[nodiscard]] bool skipsValueName(std::wstring_view name) const { return names_.foundIn(name, scratch_); }
  [[nodiscard]] bool skipsPath(std::wstring_view path) const { return paths_.foundIn(path, scratch_); }
  // Only fixed local disks count; asked once per drive letter.
  [[nodiscard]] bool onFixedDrive(std::wstring_view path) const;
  // The same path in the 32-bit system folder, or empty when it is not in System32.
  [[nodiscard]] std::wstring in32BitSystemFolder(std::wstring_view path) const;

 private:
  FoldedNeedles keys_;
  FoldedNeedles names_;
  FoldedNeedles paths_;
  mutable std::wstring scratch_;  // the folded haystack, reused by every test
  std::wstring system32_;  // "C:\windows\system32\", folded
  std::wstring sysWow64_;  // "C:\windows\SysWOW64\"
  mutable std::array<signed char, 26> fixed_{};  // 0 unknown, 1 fixed, -1 not
};

// True when the text names a missing file or folder on a fixed disk. From the
// 32-bit view a path in System32 also counts as found in SysWOW64.
bool IsDeadPath(std::wstring_view text, const RedundancyRules& rules, RegView view = RegView::Native);

// Walks the key at path (and all below it; its own values after its subkeys'
// rows), appending a row for each hit. found counts the rows so far (status
// text). False when a stop ended the walk.
bool ScanKeyTree(RegRoot root, std::wstring_view path, const RedundancyRules& rules, RunContext& run,
                 const RegistryRowSink& sink, std::size_t& found);

struct RedundancyScanInput {
  // Catalogue rows 0 to 2: HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE, HKEY_USERS,
  // ticked when the scan starts; the run is asked again (stillTicked) as the scan
  // reaches each hive, so that a row ticked or unticked during a scan counts.
  std::array<bool, 3> hives{};
  KnownFolders known;
};

struct RegistryScanResult {
  std::size_t rows = 0;
  bool stopped = false;
};

// The whole scan of the ticked hives; ends with the summary on the status line.
// The page clears its list first and does the run protocol around it.
RegistryScanResult RedundancyScan(const RedundancyScanInput& input, RunContext& run, const RegistryRowSink& sink);

}  // namespace wv
