#include "engines/cleaning/winapp2_detect.h"

#include <unordered_set>

#include "platform/text.h"

namespace wv {
namespace {

// Keys with more subkeys than this are asked about each child directly instead of
// being listed: a listing costs one call per subkey ("HKLM\Software\Classes" holds
// hundreds under Wine, thousands on Windows), and detection asks about few of them.
constexpr std::uint32_t kListedSubkeys = 32;

bool InRange(const OsVersionRange& range, const OsVersion& os) {
  const std::pair<unsigned, unsigned> version{os.major, os.minor};
  if (range.min && version < *range.min) return false;
  if (range.max && version > *range.max) return false;
  return true;
}

}  // namespace

bool OtherView(const RuleKey& key, RuleKey& out) {
  if (ContainsNoCase(key.path, L"Wow6432Node")) return false;
  if (key.root == RegRoot::LocalMachine && StartsWithNoCase(key.path, L"Software\\"))
    out.path.assign(L"Software\\Wow6432Node\\").append(key.path, 9);
  else if (key.root == RegRoot::ClassesRoot && !key.path.empty())
    out.path.assign(L"Wow6432Node\\").append(key.path);
  else
    return false;
  out.root = key.root;
  return true;
}

std::vector<RuleKey> BothViews(const RuleKey& key) {
  std::vector<RuleKey> out{key};
  RuleKey other;
  if (OtherView(key, other)) out.push_back(std::move(other));
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
  auto& cache = cache_[static_cast<std::size_t>(root)];
  if (const auto found = cache.find(folded_); found != cache.end()) return *found->second;
  Subkeys& s = *cache.emplace(folded_, std::make_unique<Subkeys>()).first->second;
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
  // The parts are followed from the root; at_ holds the path so far.
  at_.clear();
  std::size_t start = 0;
  while (start <= key.path.size()) {
    std::size_t slash = key.path.find(L'\\', start);
    if (slash == std::wstring::npos) slash = key.path.size();
    const std::wstring_view name = std::wstring_view(key.path).substr(start, slash - start);
    start = slash + 1;
    if (name.empty()) continue;
    Subkeys& parent = subkeys(key.root, at_);
    if (!parent.exists) return false;
    FoldInto(name, part_);
    // The 32-bit view's key need not be listed among its parent's subkeys.
    if (parent.listed && !EqualsNoCase(name, L"Wow6432Node")) {
      if (!parent.names.contains(part_)) return false;
    } else {
      auto answer = parent.asked.find(part_);
      if (answer == parent.asked.end()) {
        const std::wstring child = at_.empty() ? std::wstring(name) : at_ + L"\\" + std::wstring(name);
        answer = parent.asked.emplace(part_, Reg().keyExists(key.root, child)).first;
      }
      if (!answer->second) return false;
    }
    if (!at_.empty()) at_ += L'\\';
    at_ += name;
  }
  // Every part was found in its parent (a root alone always exists).
  return true;
}

std::vector<bool> DetectEntries(const std::vector<Winapp2Entry>& entries, const RuleFolders& folders,
                                const OsVersion& os) {
  KeyLookup keys;
  FolderLookup files;
  RuleKey other;  // the 32-bit view of a key, reused
  std::vector<bool> out;
  out.reserve(entries.size());
  for (const Winapp2Entry& e : entries) {
    bool applies = !e.detectOs || InRange(*e.detectOs, os);
    if (applies && (!e.detectKeys.empty() || !e.detectFiles.empty())) {
      applies = false;
      // Both views as BothViews gives them, without copying the key itself.
      for (const RuleKey& key : e.detectKeys)
        if ((applies = keys.exists(key) || (OtherView(key, other) && keys.exists(other)))) break;
      for (std::size_t i = 0; !applies && i < e.detectFiles.size(); ++i)
        for (const std::wstring& path : folders.expand(e.detectFiles[i]))
          if ((applies = files.exists(path))) break;
    }
    out.push_back(applies);
  }
  return out;
}

}  // namespace wv
