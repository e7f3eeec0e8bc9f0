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

struct FolderLookup::Listing {
  struct Entry {
    std::wstring name;
    bool folder = false;
    bool link = false;
  };
  std::vector<Entry> entries;
  std::unordered_map<std::wstring, std::size_t> byName;  // folded name -> entry
};

FolderLookup::FolderLookup() = default;
FolderLookup::~FolderLookup() = default;

const FolderLookup::Listing& FolderLookup::listing(const std::wstring& folder) {
  FoldInto(folder, scratch_);
  auto [it, added] = listings_.try_emplace(scratch_);
  if (!added) return *it->second;
  it->second = std::make_unique<Listing>();
  Listing& list = *it->second;
  if (const std::unique_ptr<DirSearch> search = Fs().search(folder + L"\\*")) {
    FindEntry e;
    std::wstring folded;
    while (search->next(e)) {
      if (e.isDots()) continue;
      FoldInto(e.name, folded);
      list.byName.emplace(folded, list.entries.size());
      list.entries.push_back({e.name, e.isFolder(), cleanscan::IsLinkedFolder(e.attributes)});
    }
  }
  return list;
}

std::vector<std::wstring> FolderLookup::walk(std::wstring_view path, bool foldersOnly, bool firstOnly) {
  // The root: "X:" of "X:\...", or "\\server\share" of a share.
  std::size_t rootEnd = 0;
  if (path.size() >= 3 && path[1] == L':' && path[2] == L'\\') {
    rootEnd = 2;
  } else if (path.starts_with(L"\\\\")) {
    const std::size_t server = path.find(L'\\', 2);
    rootEnd = server == std::wstring_view::npos ? path.npos : path.find(L'\\', server + 1);
    if (rootEnd == std::wstring_view::npos) return {};
  } else {
    return {};
  }
  std::vector<std::wstring_view> parts;
  for (std::size_t start = rootEnd + 1; start <= path.size();) {
    std::size_t slash = path.find(L'\\', start);
    if (slash == std::wstring_view::npos) slash = path.size();
    if (slash > start) parts.push_back(path.substr(start, slash - start));
    start = slash + 1;
  }
  std::vector<std::wstring> current{std::wstring(path.substr(0, rootEnd))};
  if (parts.empty()) return foldersOnly ? std::vector<std::wstring>{current.front() + L"\\"} : std::vector<std::wstring>{};
  std::wstring folded;
  for (std::size_t i = 0; i < parts.size() && !current.empty(); ++i) {
    const bool last = i + 1 == parts.size();
    const bool wild = HasWildcard(parts[i]);
    std::optional<FileMask> mask;
    if (wild && !(mask = FileMask::Compile(parts[i]))) return {};
    std::vector<std::wstring> next;
    for (const std::wstring& at : current) {
      const Listing& list = listing(at);
      const auto take = [&](const Listing::Entry& e) {
        if (!last || foldersOnly) return e.folder;
        return true;
      };
      if (!wild) {
        FoldInto(parts[i], folded);
        const auto found = list.byName.find(folded);
        if (found != list.byName.end() && take(list.entries[found->second]))
          next.push_back(at + L"\\" + list.entries[found->second].name);
      } else {
        for (const Listing::Entry& e : list.entries)
          if (take(e) && !(e.folder && e.link) && mask->Matches(e.name)) next.push_back(at + L"\\" + e.name);
      }
      if (last && firstOnly && !next.empty()) return next;
    }
    current = std::move(next);
  }
  return current;
}

std::vector<std::wstring> FolderLookup::folders(std::wstring_view path) { return walk(path, true, false); }

bool FolderLookup::exists(std::wstring_view path) { return !walk(path, false, true).empty(); }

}  // namespace wv
