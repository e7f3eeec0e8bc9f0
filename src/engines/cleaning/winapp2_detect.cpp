#include "engines/cleaning/winapp2_detect.h"

#include <unordered_set>

#include "platform/text.h"

namespace wv {
namespace {

// Keys with more subkeys than this (HKEY_CLASSES_ROOT holds thousands) are asked
// about each child directly instead of being listed.
constexpr std::uint32_t kListedSubkeys = 512;

bool InRange(const OsVersionRange& range, const OsVersion& os) {
  const std::pair<unsigned, unsigned> version{os.major, os.minor};
  if (range.min && version < *range.min) return false;
  if (range.max && version > *range.max) return false;
  return true;
}

}  // namespace

std::vector<RuleKey> BothViews(const RuleKey& key) {
  std::vector<RuleKey> out{key};
  if (ContainsNoCase(key.path, L"Wow6432Node")) return out;
  if (key.root == RegRoot::LocalMachine && StartsWithNoCase(key.path, L"Software\\"))
    out.push_back({key.root, L"Software\\Wow6432Node\\" + key.path.substr(9)});
  else if (key.root == RegRoot::ClassesRoot && !key.path.empty())
    out.push_back({key.root, L"Wow6432Node\\" + key.path});
  return out;
}

struct KeyLookup::Subkeys {
  bool exists = false;
  bool listed = false;                      // names holds every subkey
  std::unordered_set<std::wstring> names;   // folded
  std::unordered_map<std::wstring, bool> asked;  // folded child -> exists, when not listed
};

KeyLookup::Subkeys& KeyLookup::subkeys(RegRoot root, const std::wstring& path) {
  FoldInto(path, folded_);
  std::wstring cacheKey = std::to_wstring(static_cast<int>(root)) + L":" + folded_;
  auto [it, added] = cache_.try_emplace(std::move(cacheKey));
  if (!added) return *it->second;
  it->second = std::make_unique<Subkeys>();
  Subkeys& s = *it->second;
  const std::unique_ptr<RegKey> key = Reg().openKeyReadOnly(root, path);
  if (!key) return s;
  s.exists = true;
  RegKeyInfo info;
  // A root's first level is asked about directly: HKEY_CLASSES_ROOT alone lists thousands.
  if (path.empty() || !key->info(info) || info.subkeyCount > kListedSubkeys) return s;
  s.listed = true;
  std::wstring name;
  for (const std::wstring& sub : key->subkeyNames()) {
    FoldInto(sub, name);
    s.names.insert(name);
  }
  return s;
}

bool KeyLookup::exists(const RuleKey& key) {
  std::wstring at;
  std::size_t start = 0;
  std::wstring part;
  while (start <= key.path.size()) {
    std::size_t slash = key.path.find(L'\\', start);
    if (slash == std::wstring::npos) slash = key.path.size();
    const std::wstring_view name = std::wstring_view(key.path).substr(start, slash - start);
    start = slash + 1;
    if (name.empty()) continue;
    Subkeys& parent = subkeys(key.root, at);
    if (!parent.exists) return false;
    FoldInto(name, part);
    // The 32-bit view's key need not be listed among its parent's subkeys.
    if (parent.listed && !EqualsNoCase(name, L"Wow6432Node")) {
      if (!parent.names.contains(part)) return false;
    } else {
      auto [answer, added] = parent.asked.try_emplace(part, false);
      if (added) answer->second = Reg().keyExists(key.root, at.empty() ? std::wstring(name) : at + L"\\" + std::wstring(name));
      if (!answer->second) return false;
    }
    if (!at.empty()) at += L'\\';
    at += name;
  }
  // Every part was found in its parent (a root alone always exists).
  return true;
}

std::vector<bool> DetectEntries(const std::vector<Winapp2Entry>& entries, const RuleFolders& folders,
                                const OsVersion& os) {
  KeyLookup keys;
  FolderLookup files;
  std::vector<bool> out;
  out.reserve(entries.size());
  for (const Winapp2Entry& e : entries) {
    bool applies = !e.detectOs || InRange(*e.detectOs, os);
    if (applies && (!e.detectKeys.empty() || !e.detectFiles.empty())) {
      applies = false;
      for (const RuleKey& key : e.detectKeys) {
        for (const RuleKey& view : BothViews(key))
          if ((applies = keys.exists(view))) break;
        if (applies) break;
      }
      for (std::size_t i = 0; !applies && i < e.detectFiles.size(); ++i)
        for (const std::wstring& path : folders.expand(e.detectFiles[i]))
          if ((applies = files.exists(path))) break;
    }
    out.push_back(applies);
  }
  return out;
}

}  // namespace wv
