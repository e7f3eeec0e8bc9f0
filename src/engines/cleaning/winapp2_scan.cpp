#include "engines/cleaning/winapp2_scan.h"

#include <algorithm>
#include <memory>
#include <optional>

#include "core/file_mask.h"
#include "core/folder_walk.h"
#include "core/utilities.h"
#include "engines/cleaning/clean_scan.h"
#include "engines/cleaning/winapp2_detect.h"
#include "engines/registry/redundancy_scan.h"
#include "platform/text.h"

namespace wv {
namespace {

using cleanscan::IsLinkedFolder;
using cleanscan::kVolumeLabel;

std::wstring Folded(std::wstring_view text) {
  std::wstring out;
  FoldInto(text, out);
  return out;
}

std::vector<std::wstring_view> PathParts(std::wstring_view path) {
  std::vector<std::wstring_view> parts;
  for (std::size_t start = 0; start <= path.size();) {
    std::size_t slash = path.find(L'\\', start);
    if (slash == std::wstring_view::npos) slash = path.size();
    if (slash > start) parts.push_back(path.substr(start, slash - start));
    start = slash + 1;
  }
  return parts;
}

// A folder of an ExcludeKey, part by part: a part with "*" or "?" is a mask,
// any other is compared as text (without regard to case).
class FolderPattern {
 public:
  explicit FolderPattern(std::wstring_view folder) {
    for (std::wstring_view part : PathParts(folder)) {
      Part p;
      if (HasWildcard(part)) p.mask = FileMask::Compile(part);
      else p.folded = Folded(part);
      parts_.push_back(std::move(p));
    }
  }
  // The folder is the pattern's folder (or lies below it, when below is true).
  [[nodiscard]] bool matches(const std::vector<std::wstring_view>& folder, bool below) const {
    if (folder.size() < parts_.size() || (!below && folder.size() != parts_.size())) return false;
    std::wstring scratch;
    for (std::size_t i = 0; i < parts_.size(); ++i) {
      const Part& p = parts_[i];
      if (p.mask) {
        if (!p.mask->Matches(folder[i])) return false;
      } else if (FoldInto(folder[i], scratch), scratch != p.folded) {
        return false;
      }
    }
    return true;
  }

 private:
  struct Part {
    std::optional<FileMask> mask;
    std::wstring folded;
  };
  std::vector<Part> parts_;
};

struct FileExclusion {
  FolderPattern folder;
  bool below = false;            // PATH: the folders below too
  std::vector<FileMask> masks;   // empty: every file
};

struct KeyExclusion {
  RegRoot root;
  std::wstring path;                  // folded
  std::optional<std::wstring> value;  // folded; none: the key and everything below
};

bool IsBelowOrSame(std::wstring_view path, std::wstring_view parent) {
  return path == parent || (path.size() > parent.size() && path.starts_with(parent) && path[parent.size()] == L'\\');
}

// An entry's exclusions, resolved for this machine.
class Exclusions {
 public:
  Exclusions(const Winapp2Entry& entry, const RuleFolders& folders) {
    for (const ExcludeRule& rule : entry.excludes) {
      if (rule.kind == ExcludeKind::Registry) {
        for (const RuleKey& view : BothViews(rule.target)) {
          KeyExclusion k{view.root, Folded(view.path), std::nullopt};
          if (rule.value) k.value = Folded(*rule.value);
          keys_.push_back(std::move(k));
        }
        continue;
      }
      std::vector<FileMask> masks;
      for (const std::wstring& m : rule.masks)
        if (std::optional<FileMask> mask = FileMask::Compile(m)) masks.push_back(std::move(*mask));
      for (const std::wstring& folder : folders.expand(rule.folder))
        files_.push_back({FolderPattern(folder), rule.kind == ExcludeKind::Path, masks});
    }
  }

  // The exclusions that may keep files of this folder (no trailing backslash).
  [[nodiscard]] std::vector<const FileExclusion*> forFolder(std::wstring_view folder) const {
    std::vector<const FileExclusion*> out;
    if (files_.empty()) return out;
    const std::vector<std::wstring_view> parts = PathParts(folder);
    for (const FileExclusion& e : files_)
      if (e.folder.matches(parts, e.below)) out.push_back(&e);
    return out;
  }

  static bool keeps(const std::vector<const FileExclusion*>& applying, std::wstring_view name) {
    for (const FileExclusion* e : applying) {
      if (e->masks.empty()) return true;
      for (const FileMask& m : e->masks)
        if (m.Matches(name)) return true;
    }
    return false;
  }

  // The key (path folded) is excluded whole, or lies below an excluded key.
  [[nodiscard]] bool keepsKey(RegRoot root, std::wstring_view path) const {
    for (const KeyExclusion& k : keys_)
      if (!k.value && k.root == root && IsBelowOrSame(path, k.path)) return true;
    return false;
  }
  [[nodiscard]] bool keepsValue(RegRoot root, std::wstring_view path, std::wstring_view folded) const {
    if (keepsKey(root, path)) return true;
    for (const KeyExclusion& k : keys_)
      if (k.value && k.root == root && k.path == path && *k.value == folded) return true;
    return false;
  }
  // Something below the key (or one of its values) is kept: the key cannot go whole.
  [[nodiscard]] bool keepsInside(RegRoot root, std::wstring_view path) const {
    for (const KeyExclusion& k : keys_)
      if (k.root == root && (k.value ? k.path == path || IsBelowOrSame(k.path, path) : IsBelowOrSame(k.path, path)))
        return true;
    return false;
  }

 private:
  std::vector<FileExclusion> files_;
  std::vector<KeyExclusion> keys_;
};

class Scan;

// The walk of one FileKey's folder. A folder counts as complete when every file
// in it and below it is listed (or listed already) and no link, unreadable
// folder or unwalked subfolder lies in it: only such folders may go whole.
class RuleWalk : public FolderVisitor {
 public:
  RuleWalk(Scan& scan, const FileRule& rule, const Exclusions& exclusions);
  [[nodiscard]] bool ok() const { return !masks_.empty(); }

  bool enter(const WalkFolder& folder) override;
  void unreadable(const WalkFolder& folder) override { incomplete(folder); }
  Step entry(const WalkFolder& folder, const FindEntry& entry) override;
  void leave(const WalkFolder& folder) override;
  bool proceed() override;

 private:
  void incomplete(const WalkFolder& folder) { complete_[folder.depth] = false; }

  Scan& scan_;
  const FileRule& rule_;
  const Exclusions& exclusions_;
  bool walkBelow_;
  std::vector<FileMask> masks_;
  std::vector<char> complete_;  // by depth, for the folders on the current path
  std::vector<const FileExclusion*> applying_;
  std::wstring path_;
  std::wstring folderFinal_, folderOfFinal_;
  std::uint32_t rootLength_ = 0;  // the rule's folder, with its trailing backslash
};

class Scan {
 public:
  Scan(const Winapp2ScanInput& input, RunContext& run, const FoundSink& found)
      : input_(input), run_(run), found_(found), listed_(input.alreadyListed) {}

  Winapp2ScanResult run() {
    for (const Winapp2Pick& pick : input_.entries) {
      if (!proceed()) break;
      if (!pick.entry || !run_.stillTicked(pick.row, pick.ticked)) continue;
      scanEntry(*pick.entry);
    }
    result_.stopped = stopped_;
    return result_;
  }

  bool proceed() {
    if (!stopped_ && !run_.proceed()) stopped_ = true;
    return !stopped_;
  }
  void status(std::wstring_view where) { run_.scanned(result_.rows, result_.total, where); }

  // False when the path is listed already (by this scan or the list before it).
  bool claim(const std::wstring& path) { return listed_.insert(Folded(path)).second; }
  [[nodiscard]] bool claimed(const std::wstring& path) const { return listed_.contains(Folded(path)); }

  void add(FoundRow row) {
    row.item = input_.item;
    row.rule.entry = entry_->name;
    row.rule.key = key_;
    result_.total += row.size;
    ++result_.rows;
    if (row.kind == FoundKind::RegistryKey || row.kind == FoundKind::RegistryValue) ++result_.registryRows;
    if (row.kind == FoundKind::RefusedFolder || row.kind == FoundKind::RefusedKey) ++result_.refused;
    found_(std::move(row));
    run_.rowAdded();
  }

  // What the removal checks the listed files and folders against: each one's
  // identity, and an object reached under a second name listed once.
  cleanscan::VolumeSerials serials;
  cleanscan::ListedOnce once;

 private:
  void scanEntry(const Winapp2Entry& entry) {
    entry_ = &entry;
    const Exclusions exclusions(entry, input_.folders);
    FolderLookup lookup;
    for (const FileRule& rule : entry.files) {
      if (!proceed()) return;
      key_ = rule.key;
      scanFileRule(rule, exclusions, lookup);
    }
    for (const RegistryRule& rule : entry.registry) {
      if (!proceed()) return;
      key_ = rule.key;
      scanRegistryRule(rule, exclusions);
    }
  }

  void refuseFolder(const std::wstring& folder, FolderProtection why) {
    // One row per rule and folder: several names may lead to the same place.
    if (!claim(L"?refused|" + key_ + L"|" + entry_->name + L"|" + folder)) return;
    FoundRow row;
    row.path = folder;
    row.kind = FoundKind::RefusedFolder;
    row.protection = why;
    add(std::move(row));
  }

  void scanFileRule(const FileRule& rule, const Exclusions& exclusions, FolderLookup& lookup) {
    const std::vector<std::wstring> texts = input_.folders.expand(rule.folder);
    // A name this machine has no folder for: nothing sound to scan.
    if (texts.empty()) return refuseFolder(rule.folder, FolderProtection::NotFullPath);
    for (std::wstring text : texts) {
      // "%SystemDrive%" alone is "C:", which is the drive's root.
      if (text.size() == 2 && text[1] == L':') text += L'\\';
      const std::vector<std::wstring> folders = HasWildcard(text) ? lookup.folders(text) : std::vector{text};
      for (const std::wstring& folder : folders) {
        if (!proceed()) return;
        const FolderProtection why = input_.protection.check(folder);
        const std::wstring normal = NormalFolder(folder);
        if (why != FolderProtection::None) {
          refuseFolder(normal.empty() ? folder : normal, why);
          continue;
        }
        if (!DirectoryExists(normal)) continue;
        RuleWalk walk(*this, rule, exclusions);
        if (walk.ok()) static_cast<void>(WalkFolders(normal, walk));
      }
    }
  }

  void scanRegistryRule(const RegistryRule& rule, const Exclusions& exclusions) {
    for (const RuleKey& view : BothViews(rule.target)) {
      if (!proceed()) return;
      if (!rule.value && IsSharedRegistryKey(view)) {
        refuseKey(view);
        continue;
      }
      const std::unique_ptr<RegKey> key = Reg().openKeyReadOnly(view.root, view.path);
      if (!key) continue;
      status(RootName(view.root));
      if (rule.value) {
        addValue(view, *key, *rule.value, exclusions);
      } else {
        listKey(view, *key, exclusions);
      }
    }
  }

  void refuseKey(const RuleKey& key) {
    const std::wstring text = KeyText(key);
    if (!claim(L"?refused|" + key_ + L"|" + entry_->name + L"|" + text)) return;
    RegistryRow refused;
    refused.kind = RegRowKind::Key;
    addRegistryRow(key, FoundKind::RefusedKey, std::move(refused));
  }

  // A registry row: the entry as the scan saw it, shown by its key's name.
  void addRegistryRow(const RuleKey& key, FoundKind kind, RegistryRow registry) {
    registry.root = key.root;
    registry.keyPath = L"\\" + key.path;
    registry.view = ViewOfPath(registry.keyPath);
    FoundRow row;
    row.path = KeyText(key);
    row.kind = kind;
    row.registry = std::make_shared<const RegistryRow>(std::move(registry));
    add(std::move(row));
  }

  static std::wstring KeyText(const RuleKey& key) {
    std::wstring text(RootName(key.root));
    if (!key.path.empty()) text += L"\\" + key.path;
    return text;
  }

  // A key already going whole (this one or one above it) needs no row of its own.
  bool underListedKey(const RuleKey& key) {
    std::wstring at = std::to_wstring(static_cast<int>(key.root)) + L"#";
    for (std::wstring_view part : PathParts(key.path)) {
      at += Folded(part);
      if (listedKeys_.contains(at)) return true;
      at += L'\\';
    }
    return false;
  }

  void addValue(const RuleKey& key, RegKey& open, const std::wstring& name, const Exclusions& exclusions) {
    const std::wstring folded = Folded(key.path);
    if (exclusions.keepsValue(key.root, folded, Folded(name)) || underListedKey(key)) return;
    RegRawValue data;
    if (!open.readRaw(name, data)) return;
    if (!claim(L"?value|" + KeyText(key) + L"|" + name)) return;
    RegistryRow value;
    value.kind = RegRowKind::Value;
    value.valueName = name;
    value.value = std::move(data);
    addRegistryRow(key, FoundKind::RegistryValue, std::move(value));
  }

  // The key whole, or, when something inside it is kept, its values and subkeys one by one.
  void listKey(const RuleKey& key, RegKey& open, const Exclusions& exclusions) {
    const std::wstring folded = Folded(key.path);
    if (exclusions.keepsKey(key.root, folded) || underListedKey(key) || !proceed()) return;
    if (exclusions.keepsInside(key.root, folded)) {
      for (const std::wstring& name : open.valueNames()) addValue(key, open, name, exclusions);
      for (const std::wstring& sub : open.subkeyNames()) {
        const RuleKey child{key.root, key.path + L"\\" + sub};
        if (const std::unique_ptr<RegKey> inner = Reg().openKeyReadOnly(child.root, child.path))
          listKey(child, *inner, exclusions);
      }
      return;
    }
    RegKeyInfo info;
    if (!open.info(info)) return;
    listedKeys_.insert(std::to_wstring(static_cast<int>(key.root)) + L"#" + folded);
    RegistryRow whole;
    whole.kind = RegRowKind::Key;
    whole.keyState = info;
    addRegistryRow(key, FoundKind::RegistryKey, std::move(whole));
  }

  const Winapp2ScanInput& input_;
  RunContext& run_;
  const FoundSink& found_;
  std::unordered_set<std::wstring> listed_;      // folded paths (and refusal marks) handed out
  std::unordered_set<std::wstring> listedKeys_;  // whole keys handed out: root number "#" folded path
  const Winapp2Entry* entry_ = nullptr;
  std::wstring key_;
  Winapp2ScanResult result_;
  bool stopped_ = false;
};

RuleWalk::RuleWalk(Scan& scan, const FileRule& rule, const Exclusions& exclusions)
    : scan_(scan), rule_(rule), exclusions_(exclusions), walkBelow_(rule.recurse || rule.removeSelf) {
  for (const std::wstring& m : rule.masks)
    if (std::optional<FileMask> mask = FileMask::Compile(m)) masks_.push_back(std::move(*mask));
}

bool RuleWalk::enter(const WalkFolder& folder) {
  if (folder.depth == 0) rootLength_ = static_cast<std::uint32_t>(IncludeTrailingBackslash(folder.path).size());
  if (complete_.size() <= folder.depth) complete_.resize(folder.depth + 1);
  complete_[folder.depth] = true;
  applying_ = exclusions_.forFolder(ExcludeTrailingBackslash(folder.path));
  scan_.status(folder.path);
  return true;
}

FolderVisitor::Step RuleWalk::entry(const WalkFolder& folder, const FindEntry& entry) {
  if (entry.isFolder()) {
    if (!walkBelow_ || IsLinkedFolder(entry.attributes)) {
      incomplete(folder);  // stays, so the folder cannot go whole
      return Step::Next;
    }
    return Step::Enter;
  }
  if (entry.attributes & kVolumeLabel) return Step::Next;
  if (!scan_.proceed()) return Step::Stop;
  const bool matches = std::any_of(masks_.begin(), masks_.end(), [&](const FileMask& m) { return m.Matches(entry.name); });
  if (!matches || Exclusions::keeps(applying_, entry.name)) {
    incomplete(folder);
    return Step::Next;
  }
  path_.assign(folder.path);
  path_ += entry.name;
  if (scan_.claimed(path_)) return Step::Next;  // another rule lists it: it goes all the same
  // Opened without sharing: a file in use is not listed (nor one that vanished).
  const std::optional<cleanscan::ListedEntry> listed =
      cleanscan::ReadListedFile(path_, scan_.serials, folderFinal_, folderOfFinal_);
  if (!listed) {
    incomplete(folder);
    return Step::Next;
  }
  // The same file under another name (a second link to it) goes with that row.
  if (!scan_.once.first(listed->identity)) return Step::Next;
  static_cast<void>(scan_.claim(path_));
  FoundRow row;
  row.path = path_;
  row.size = listed->size;
  row.kind = FoundKind::File;
  row.identity = listed->identity;
  row.rootLength = rootLength_;
  scan_.add(std::move(row));
  return Step::Next;
}

void RuleWalk::leave(const WalkFolder& folder) {
  const bool complete = complete_[folder.depth] != 0;
  if (!complete && folder.depth > 0) complete_[folder.depth - 1] = false;
  if (!complete || !rule_.removeSelf) return;
  const std::wstring path = ExcludeTrailingBackslash(folder.path);
  if (scan_.claimed(path)) return;
  const std::optional<cleanscan::ListedEntry> listed = cleanscan::ReadListedFolder(path, scan_.serials);
  if (!listed || !scan_.once.first(listed->identity)) return;
  static_cast<void>(scan_.claim(path));
  FoundRow row;
  row.path = path;
  row.kind = FoundKind::WasteFolder;
  row.identity = listed->identity;
  row.rootLength = rootLength_;
  scan_.add(std::move(row));
}

bool RuleWalk::proceed() { return scan_.proceed(); }

// Keys every program shares, below any root (and below "Wow6432Node").
constexpr std::wstring_view kSharedKeys[] = {
    L"SOFTWARE\\MICROSOFT",
    L"SOFTWARE\\CLASSES",
    L"SOFTWARE\\POLICIES",
    L"SOFTWARE\\MICROSOFT\\WINDOWS",
    L"SOFTWARE\\MICROSOFT\\WINDOWS\\CURRENTVERSION",
    L"SOFTWARE\\MICROSOFT\\WINDOWS\\CURRENTVERSION\\EXPLORER",
    L"SOFTWARE\\MICROSOFT\\WINDOWS NT",
    L"SOFTWARE\\MICROSOFT\\WINDOWS NT\\CURRENTVERSION",
    L"SYSTEM\\CURRENTCONTROLSET",
    L"SYSTEM\\CURRENTCONTROLSET\\CONTROL",
    L"SYSTEM\\CURRENTCONTROLSET\\SERVICES",
};

}  // namespace

bool IsSharedRegistryKey(const RuleKey& key) {
  if (key.root == RegRoot::ClassesRoot || key.root == RegRoot::CurrentConfig) return true;
  std::vector<std::wstring_view> parts = PathParts(key.path);
  // Below HKEY_USERS the first part is a user: the user's own tree starts after it.
  if (key.root == RegRoot::Users && !parts.empty()) parts.erase(parts.begin());
  std::erase_if(parts, [](std::wstring_view p) { return EqualsNoCase(p, L"Wow6432Node"); });
  if (parts.size() < 2) return true;
  std::wstring joined;
  for (std::wstring_view p : parts) joined += (joined.empty() ? L"" : L"\\") + ToUpper(p);
  return std::any_of(std::begin(kSharedKeys), std::end(kSharedKeys), [&](std::wstring_view k) { return joined == k; });
}

Winapp2ScanResult Winapp2Scan(const Winapp2ScanInput& input, RunContext& run, const FoundSink& found) {
  return Scan(input, run, found).run();
}

RegistryRemoval RemoveRegistryRows(const std::vector<FoundRow>& rows, std::vector<std::size_t> indices,
                                   std::wstring_view regBackupDir) {
  std::sort(indices.begin(), indices.end());
  indices.erase(std::unique(indices.begin(), indices.end()), indices.end());
  std::erase_if(indices, [&](std::size_t i) {
    return i >= rows.size() || !rows[i].registry ||
           (rows[i].kind != FoundKind::RegistryKey && rows[i].kind != FoundKind::RegistryValue);
  });
  RegistryRemoval out;
  if (indices.empty()) {
    out.undo.written = true;
    return out;
  }
  std::vector<UndoTarget> targets;
  for (std::size_t i : indices) {
    const RegistryRow& r = *rows[i].registry;
    targets.push_back({r.root, r.keyPath, r.kind == RegRowKind::Key, r.valueName});
  }
  out.undo = WriteUndoFile(targets, regBackupDir);
  if (!out.undo.written) return out;
  // A key or value deleted before a whole key above it (or a whole key at the same
  // place) would change that key, which then stays: whole keys go first, upper first.
  std::vector<std::size_t> order = indices;
  const auto rank = [&](std::size_t i) {
    const RegistryRow& r = *rows[i].registry;
    return std::make_pair(r.keyPath.size(), r.kind == RegRowKind::Key ? 0 : 1);
  };
  std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) { return rank(a) < rank(b); });
  for (std::size_t i : order) {
    const RowDeletion result = DeleteRegistryRow(*rows[i].registry);
    if (result == RowDeletion::Deleted || result == RowDeletion::Missing) out.gone.push_back(i);
    else out.left.emplace_back(i, result);
  }
  std::sort(out.gone.begin(), out.gone.end());
  std::sort(out.left.begin(), out.left.end());
  return out;
}

}  // namespace wv
