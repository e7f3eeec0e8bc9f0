#pragma once
// The community's rule file winapp2.ini: one INI section per entry ("[Name *]")
// saying where an application keeps caches, logs and histories. The reader takes
// the whole file, keeps every entry it can read exactly, and names every entry
// it cannot read with the reason, instead of guessing what its author meant.

#include "platform/layer.h"
WV_REQUIRE_LAYER(WV_LAYER_ENGINES, "engines stand above core: core uses none of them");

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/platform.h"

namespace wv {

// "FileKeyN=folder|masks[|RECURSE|REMOVESELF]".
struct FileRule {
  std::wstring key;                 // "FileKey3", for reports
  std::wstring folder;              // as written: folder names and "*" not yet resolved
  std::vector<std::wstring> masks;  // at least one, each a valid mask
  bool recurse = false;             // the folders below too
  bool removeSelf = false;          // the folder itself goes with everything in it
};

// A registry key as a rule names it: "HKCU\Software\Vendor" (no leading or
// trailing backslash in path).
struct RuleKey {
  RegRoot root = RegRoot::CurrentUser;
  std::wstring path;
};

// "RegKeyN=key[|value]": the whole key, or one value of it.
struct RegistryRule {
  std::wstring key;  // "RegKey2"
  RuleKey target;
  std::optional<std::wstring> value;  // the value's name when one value is meant
};

// "ExcludeKeyN=FILE|folder|masks", "PATH|folder[|masks]" or "REG|key[|value]".
enum class ExcludeKind { File, Path, Registry };
struct ExcludeRule {
  std::wstring key;  // "ExcludeKey1"
  ExcludeKind kind = ExcludeKind::File;
  std::wstring folder;              // File, Path: as written
  std::vector<std::wstring> masks;  // File: at least one; Path: none means every file
  RuleKey target;                   // Registry
  std::optional<std::wstring> value;
};

// "DetectOS=min|max", each "major.minor" or empty for no bound.
struct OsVersionRange {
  std::optional<std::pair<unsigned, unsigned>> min;
  std::optional<std::pair<unsigned, unsigned>> max;
};

struct Winapp2Entry {
  std::wstring name;         // the section name as written ("Google Chrome Caches *")
  std::wstring section;      // "Section=" (a group of the file's own), or empty
  int langSecRef = 0;        // "LangSecRef=" (a numbered group), or 0
  std::wstring warning;      // shown before the entry can be ticked; empty when none
  std::vector<RuleKey> detectKeys;         // Detect, DetectN
  std::vector<std::wstring> detectFiles;   // DetectFile, DetectFileN
  std::optional<OsVersionRange> detectOs;  // DetectOS
  std::vector<FileRule> files;
  std::vector<RegistryRule> registry;
  std::vector<ExcludeRule> excludes;
  std::size_t line = 0;  // of its section header, 1-based
};

// An entry the reader did not take: its name, where it starts, and why.
struct Winapp2Problem {
  std::wstring entry;
  std::size_t line = 0;
  std::wstring reason;
};

struct Winapp2File {
  // Set when the file as a whole was refused (unreadable, not a text file, not a
  // rule file, cut short): then there are no entries and no problems.
  std::wstring refusal;
  std::wstring version;                   // "; Version: 260730" of the header, when given
  std::optional<std::size_t> statedCount;  // "; # of entries: 4,067" of the header, when given
  std::size_t sections = 0;                // entries in the file, read or not
  std::vector<Winapp2Entry> entries;       // in the file's order
  std::vector<Winapp2Problem> problems;    // one per entry not read, in the file's order

  [[nodiscard]] bool refused() const { return !refusal.empty(); }
};

// Larger files are refused unread: the real file is under 2 MiB.
inline constexpr std::size_t kMaxRuleFileBytes = 64u << 20;

// The rule file from its bytes (UTF-8 with or without byte-order mark, UTF-16
// with its mark; other bytes in the ANSI code page, as the profile functions
// would read them).
Winapp2File ParseWinapp2(std::string_view bytes);
// The rule file at path, read through the platform.
Winapp2File ReadWinapp2(std::wstring_view path);

// The folder names a rule may use ("LocalAppData" for "%LocalAppData%"), without
// regard to case.
bool IsRuleFolderName(std::wstring_view name);

}  // namespace wv
