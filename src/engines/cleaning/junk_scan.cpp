#include "engines/cleaning/junk_scan.h"

#include <algorithm>

#include "engines/cleaning/clean_scan.h"
#include "core/folder_walk.h"
#include "core/utilities.h"
#include "platform/text.h"
#include "platform/platform.h"

namespace wv {
namespace {

using namespace cleanscan;

// Names of files that programs keep although they look like junk.
const std::vector<std::wstring_view> kSkippedNames = {
    L"index.dat",      L"desktop.ini",     L"hcdata.bak",      L"data.bak",       L"opa11.bak",
    L"rtscan.ini",     L"kvbigfile.bak",   L"pyczu102.bak",    L"menus.bak",      L"ravmond.log",
    L"devs.tmp",       L"default.jcd.bak", L"account.stg.bak", L"jedec.tmp",      L"nam.fts",
    L"admpkg.err",     L"datasrc.err",     L"framwork.err",    L"odbcdac.err",    L"omerrors.err",
    L"spss.err",       L"streamdac.err",   L"txtwdac.err",     L"uaspss.err",     L"xlsdac.err",
    L"uninstal.log",   L"fl114.dmp",       L"fl_s1119.dmp",    L"flprim1119.dmp", L"KISTempDB.bak",
    L"NTMSDATA.bak",
};

// Folders whose contents belong to the system or to security software.
const std::vector<std::wstring_view> kSkippedFragments = {
    L"symantec shared\\virusdefs\\",
    L"paprport\\data\\",
    L"chaos32\\",
    L"resources\\themes\\",
    L"windows\\security",
    L"system32\\catroot2\\",
    L"system32\\config\\",
    L"system32\\usmt\\",
    L"microsoft\\office\\data",
    L"microsoft office\\data",
    L"microsoft\\msn messenger",
    L"system volume information",
    L"microsoft sql server",
    L"rav",
    L"winsxs",
    L":\\Recycle",
};

class JunkWalk : public FolderVisitor {
 public:
  JunkWalk(const JunkScanInput& input, RunContext& run, const std::function<void(FoundRow)>& found)
      : tally_(run, found) {
    for (std::wstring_view name : kSkippedNames) names_.add(name);
    for (std::wstring_view fragment : kSkippedFragments) fragments_.add(fragment);
    // An unresolved known folder is empty and so left out by add().
    std::vector<std::wstring> excluded = {input.known.RecentDir, input.known.SendToDir, input.known.CookiesDir,
                                          input.known.InternetCacheDir, input.known.TempDir};
    excluded.insert(excluded.end(), input.exclusions.begin(), input.exclusions.end());
    for (const std::wstring& folder : excluded) {
      fragments_.add(folder);
      // The folder itself too, wherever it is reached from: a SUBST drive, a
      // mounted volume or a chosen folder that is a link show it under another name.
      if (!folder.empty()) excludedFinal_.push_back(FinalFolderPath(folder, true));
    }

    std::vector<std::wstring> patterns;
    patterns.reserve(input.masks.size());
    for (const std::wstring& caption : input.masks) patterns.push_back(NormalizeMask(caption));
    masks_ = CompileMasks(patterns);
  }

  [[nodiscard]] bool hasPatterns() const { return !masks_.empty(); }
  [[nodiscard]] JunkScanResult result() const { return tally_.result(); }

  bool proceed() override { return tally_.proceed(); }

  // The short forms are made from the parent's short form and the alternate
  // names the search reports: asking the system per folder costs more than
  // reading the folder itself.
  void walkRoot(std::wstring_view folder) {
    if (folder.empty()) return;  // never the root of the current drive
    root_ = IncludeTrailingBackslash(folder);
    // Below the root the walk enters no link, so a folder's real place is the
    // root's real place and the rest of its path.
    rootFinal_ = FinalFolderPath(root_, true);
    // A drive or folder that only shows one already walked under another name.
    for (const std::wstring& walked : walkedFinal_)
      if (IsAtOrBelow(rootFinal_, walked)) return;
    static_cast<void>(WalkFolders(root_, *this, {.shortPaths = true}));
    walkedFinal_.push_back(rootFinal_);
  }

  bool enter(const WalkFolder& folder) override {
    if (fragments_.foundIn(folder.path, scratch_) || fragments_.foundIn(folder.shortPath, scratch_)) return false;
    if (isExcludedFinal(folder)) return false;
    tally_.status(folder.path);
    return true;
  }

  Step entry(const WalkFolder& folder, const FindEntry& entry) override {
    const DWORD attrs = entry.attributes;
    if (attrs & FILE_ATTRIBUTE_DIRECTORY)
      return (attrs & FILE_ATTRIBUTE_SYSTEM) || IsLinkedFolder(attrs) ? Step::Next : Step::Enter;
    if (attrs & (kVolumeLabel | FILE_ATTRIBUTE_SYSTEM)) return Step::Next;
    if (!proceed()) return Step::Stop;
    if (!MatchesAny(masks_, entry.name)) return Step::Next;
    if (names_.foundIn(entry.name, scratch_)) return Step::Next;
    filePath_.assign(folder.path);
    filePath_ += entry.name;
    // Opened without sharing: a file in use is not listed (nor one that vanished).
    const std::optional<ListedEntry> listed = ReadListedFile(filePath_, serials_, folderFinal_, folderOfFinal_);
    if (!listed || !once_.first(listed->identity)) return Step::Next;
    FoundRow row{filePath_, listed->size, FoundKind::File, -1, listed->identity};
    row.rootLength = static_cast<std::uint32_t>(root_.size());
    tally_.add(std::move(row));
    tally_.status(folder.path);
    return Step::Next;
  }

 private:
  // The folder's real place (the root's and the rest of the path) is an
  // excluded folder, below one, or a root walked before.
  bool isExcludedFinal(const WalkFolder& folder) {
    if (excludedFinal_.empty() && walkedFinal_.empty()) return false;
    finalScratch_.assign(rootFinal_);
    FoldInto(std::wstring_view(folder.path).substr(std::min(root_.size(), folder.path.size())), scratch_);
    finalScratch_ += scratch_;
    for (const std::wstring& excluded : excludedFinal_)
      if (IsAtOrBelow(finalScratch_, excluded)) return true;
    for (const std::wstring& walked : walkedFinal_)
      if (finalScratch_ == walked) return true;
    return false;
  }

  FoundTally tally_;
  FoldedNeedles names_;
  FoldedNeedles fragments_;
  std::vector<FileMask> masks_;
  std::vector<std::wstring> excludedFinal_;  // folded, trailing backslash
  std::vector<std::wstring> walkedFinal_;    // roots walked so far, as excludedFinal_
  std::wstring root_;
  std::wstring rootFinal_;
  VolumeSerials serials_;
  ListedOnce once_;
  std::wstring folderFinal_, folderOfFinal_;
  std::wstring filePath_;
  std::wstring scratch_, finalScratch_;
};

}  // namespace

JunkScanResult JunkFileScan(const JunkScanInput& input, RunContext& run, const FoundSink& found) {
  JunkWalk walk(input, run, found);
  if (walk.hasPatterns()) {
    if (input.mode == JunkScanMode::TickedDrives) {
      for (std::size_t row = 0; row < input.drives.size(); ++row) {
        if (!walk.proceed()) break;
        if (!run.stillTicked(row, row < input.driveTicks.size() && input.driveTicks[row])) continue;
        walk.walkRoot(input.drives[row]);
      }
    } else {
      walk.walkRoot(input.folder);
    }
  }

  return walk.result();
}

}  // namespace wv
