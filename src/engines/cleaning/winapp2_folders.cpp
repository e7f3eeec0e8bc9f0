#include "engines/cleaning/winapp2_folders.h"

#include <algorithm>
#include <optional>

#include "core/file_mask.h"
#include "engines/cleaning/clean_scan.h"
#include "platform/platform.h"
#include "platform/text.h"

namespace wv {
namespace {

// CSIDL numbers of the shell's special folders.
enum Csidl : int {
  kPersonal = 0x05, kAppData = 0x1a, kLocalAppData = 0x1c, kCommonAppData = 0x23, kProgramFiles = 0x26,
  kProfile = 0x28, kProgramFilesX86 = 0x2a, kProgramFilesCommon = 0x2b, kProgramFilesCommonX86 = 0x2c,
  kCommonDocuments = 0x2e,
};

std::wstring Bare(std::wstring folder) {
  while (folder.size() > 3 && folder.back() == L'\\') folder.pop_back();
  return folder;
}

// The folder and, when it differs, the second one (program folders: 64-bit, 32-bit).
std::vector<std::wstring> OneOrTwo(const std::wstring& first, const std::wstring& second = {}) {
  std::vector<std::wstring> out;
  if (!first.empty()) out.push_back(first);
  if (!second.empty() && !EqualsNoCase(first, second)) out.push_back(second);
  return out;
}

std::wstring Parent(const std::wstring& folder) {
  const std::size_t slash = folder.rfind(L'\\');
  return slash == std::wstring::npos || slash < 3 ? std::wstring() : folder.substr(0, slash);
}

}  // namespace

RuleFolders::RuleFolders(std::vector<std::pair<std::wstring, std::vector<std::wstring>>> names) {
  for (auto& [name, folders] : names) {
    std::wstring folded;
    FoldInto(name, folded);
    for (std::wstring& f : folders) f = Bare(std::move(f));
    std::erase_if(folders, [](const std::wstring& f) { return f.empty(); });
    names_.emplace_back(std::move(folded), std::move(folders));
  }
}

RuleFolders RuleFolders::Resolve() {
  Shell& shell = Sh();
  const auto special = [&](int csidl) { return Bare(shell.specialFolder(csidl)); };
  const std::wstring localAppData = special(kLocalAppData);
  const std::wstring programData = special(kCommonAppData);
  const std::wstring profile = special(kProfile);
  const std::wstring windows = Bare(shell.windowsFolder());
  // Vista and later keep the "low integrity" folder beside the local one.
  const std::wstring localLow = EndsWithNoCase(localAppData, L"\\Local") ? Parent(localAppData) + L"\\LocalLow" : L"";
  const std::wstring systemDrive = windows.size() >= 2 && windows[1] == L':' ? windows.substr(0, 2) : L"";
  // The folder the rules call the user's name is the profile folder's own name.
  const std::wstring userName(profile.empty() ? std::wstring_view() : ExtractFileName(profile));
  return RuleFolders({
      {L"LocalAppData", OneOrTwo(localAppData)},
      {L"AppData", OneOrTwo(special(kAppData))},
      {L"ProgramFiles", OneOrTwo(special(kProgramFiles), special(kProgramFilesX86))},
      {L"CommonProgramFiles", OneOrTwo(special(kProgramFilesCommon), special(kProgramFilesCommonX86))},
      {L"ProgramData", OneOrTwo(programData)},
      {L"AllUsersProfile", OneOrTwo(programData)},
      {L"CommonAppData", OneOrTwo(programData)},
      {L"UserProfile", OneOrTwo(profile)},
      {L"WinDir", OneOrTwo(windows)},
      {L"SystemRoot", OneOrTwo(windows)},
      {L"SystemDrive", OneOrTwo(systemDrive)},
      {L"Public", OneOrTwo(Parent(special(kCommonDocuments)))},
      {L"LocalLowAppData", OneOrTwo(localLow)},
      {L"Documents", OneOrTwo(special(kPersonal))},
      {L"Temp", OneOrTwo(Bare(shell.tempPath()))},
      {L"UserName", OneOrTwo(userName)},
  });
}

const std::vector<std::wstring>* RuleFolders::find(std::wstring_view name) const {
  for (const auto& [n, folders] : names_)
    if (EqualsNoCase(n, name)) return &folders;
  return nullptr;
}

std::vector<std::wstring> RuleFolders::expand(std::wstring_view text) const {
  std::vector<std::wstring> out{std::wstring()};
  std::size_t at = 0;
  while (at < text.size()) {
    const std::size_t open = text.find(L'%', at);
    const std::wstring_view plain = text.substr(at, open == std::wstring_view::npos ? text.npos : open - at);
    for (std::wstring& o : out) o += plain;
    if (open == std::wstring_view::npos) break;
    const std::size_t close = text.find(L'%', open + 1);
    if (close == std::wstring_view::npos) return {};
    const std::vector<std::wstring>* folders = find(text.substr(open + 1, close - open - 1));
    if (!folders || folders->empty()) return {};
    std::vector<std::wstring> next;
    for (const std::wstring& o : out)
      for (const std::wstring& f : *folders) next.push_back(o + f);
    out = std::move(next);
    at = close + 1;
  }
  return out;
}

bool HasWildcard(std::wstring_view part) { return part.find_first_of(L"*?") != std::wstring_view::npos; }

// ---------------------------------------------------------------- FolderLookup

// A folder or file met on the way. Asked whether a path is there, a folder
// answers about its entries one at a time until it has been asked about
// kAskedBeforeListing of them, and from its listing after that: a detection asks
// about a handful of the thousands of files in the system folder, but about
// hundreds of the folders in the program and application data folders. Asked
// for folders, it is listed at once, so that they come back as the disk spells them.
constexpr std::size_t kAskedBeforeListing = 8;

struct FolderLookup::Node {
  std::wstring path;  // as the disk spells it (the root: as first asked), no trailing backslash
  bool folder = true;
  bool link = false;
  bool listed = false;
  std::size_t asked = 0;                             // entries asked about one at a time
  std::vector<Node*> entries;                        // the listing, in its order, once listed
  std::unordered_map<std::wstring, Node*> byName;    // folded name -> entry, null when not there
  std::vector<std::unique_ptr<Node>> owned;
};

FolderLookup::FolderLookup() = default;
FolderLookup::~FolderLookup() = default;

FolderLookup::Node& FolderLookup::root(std::wstring_view name) {
  FoldInto(name, scratch_);
  auto found = roots_.find(scratch_);
  if (found == roots_.end()) {
    auto node = std::make_unique<Node>();
    node->path.assign(name);
    found = roots_.emplace(scratch_, std::move(node)).first;
  }
  return *found->second;
}

void FolderLookup::list(Node& node) {
  if (node.listed) return;
  node.listed = true;
  if (!node.folder) return;
  const std::unique_ptr<DirSearch> search = Fs().search(node.path + L"\\*");
  if (!search) return;
  FindEntry e;
  std::wstring folded;
  while (search->next(e)) {
    if (e.isDots()) continue;
    FoldInto(e.name, folded);
    Node*& slot = node.byName[folded];
    if (!slot) {  // not asked about before, or not there when asked
      node.owned.push_back(NodeOf(node.path, e));
      slot = node.owned.back().get();
    }
    node.entries.push_back(slot);
  }
}

FolderLookup::Node* FolderLookup::child(Node& node, std::wstring_view name, bool ask) {
  FoldInto(name, scratch_);
  if (const auto found = node.byName.find(scratch_); found != node.byName.end()) return found->second;
  if (node.listed || !node.folder) return nullptr;
  if (!ask || node.asked == kAskedBeforeListing) {
    list(node);
    const auto found = node.byName.find(scratch_);
    return found == node.byName.end() ? nullptr : found->second;
  }
  ++node.asked;
  // One attribute query; the name keeps the spelling asked for (only whether it is there counts).
  FindEntry e;
  e.name.assign(name);
  e.attributes = Fs().attributes(node.path + L"\\" + e.name);
  Node* answer = nullptr;
  if (e.attributes != INVALID_FILE_ATTRIBUTES && !e.isDots()) {
    node.owned.push_back(NodeOf(node.path, e));
    answer = node.owned.back().get();
  }
  node.byName.emplace(scratch_, answer);
  return answer;
}

bool FolderLookup::walk(std::wstring_view path, bool foldersOnly, bool firstOnly) {
  current_.clear();
  // The root: "X:" of "X:\...", or "\\server\share" of a share.
  std::size_t rootEnd = 0;
  if (path.size() >= 3 && path[1] == L':' && path[2] == L'\\') {
    rootEnd = 2;
  } else if (path.starts_with(L"\\\\")) {
    const std::size_t server = path.find(L'\\', 2);
    rootEnd = server == std::wstring_view::npos ? path.npos : path.find(L'\\', server + 1);
    if (rootEnd == std::wstring_view::npos) return false;
  } else {
    return false;
  }
  parts_.clear();
  for (std::size_t start = rootEnd + 1; start <= path.size();) {
    std::size_t slash = path.find(L'\\', start);
    if (slash == std::wstring_view::npos) slash = path.size();
    if (slash > start) parts_.push_back(path.substr(start, slash - start));
    start = slash + 1;
  }
  current_.assign(1, &root(path.substr(0, rootEnd)));
  if (parts_.empty()) return foldersOnly;
  for (std::size_t i = 0; i < parts_.size() && !current_.empty(); ++i) {
    const std::wstring_view part = parts_[i];
    const bool last = i + 1 == parts_.size();
    const auto take = [&](const Node& e) { return (!last || foldersOnly) ? e.folder : true; };
    const FileMask* mask = nullptr;
    if (HasWildcard(part)) {
      scratch_.assign(part);
      auto compiled = masks_.find(scratch_);
      if (compiled == masks_.end()) {
        std::optional<FileMask> m = FileMask::Compile(part);
        if (!m) {
          current_.clear();
          return false;
        }
        compiled = masks_.emplace(scratch_, std::move(*m)).first;
      }
      mask = &compiled->second;
    }
    next_.clear();
    for (Node* at : current_) {
      if (!mask) {
        if (Node* found = child(*at, part, !foldersOnly); found && take(*found)) next_.push_back(found);
      } else {
        list(*at);
        for (Node* e : at->entries)
          if (take(*e) && !(e->folder && e->link) && mask->Matches(ExtractFileName(e->path))) next_.push_back(e);
      }
      if (last && firstOnly && !next_.empty()) break;
    }
    current_.swap(next_);
  }
  return true;
}

std::vector<std::wstring> FolderLookup::folders(std::wstring_view path) {
  if (!walk(path, true, false)) return {};
  std::vector<std::wstring> out;
  out.reserve(current_.size());
  for (const Node* n : current_) out.push_back(n->path);
  // A root alone is named with its backslash ("C:\").
  if (parts_.empty()) out.front() += L'\\';
  return out;
}

bool FolderLookup::exists(std::wstring_view path) { return walk(path, false, true) && !parts_.empty() && !current_.empty(); }

std::unique_ptr<FolderLookup::Node> FolderLookup::NodeOf(const std::wstring& parent, const FindEntry& e) {
  auto node = std::make_unique<FolderLookup::Node>();
  node->path = parent + L"\\" + e.name;
  node->folder = e.isFolder();
  node->link = cleanscan::IsLinkedFolder(e.attributes);
  return node;
}

}  // namespace wv
