#include "engines/cleaning/junk_scan.h"

#include <algorithm>

#include "engines/cleaning/clean_scan.h"
#include "engines/cleaning/junk_rules.h"
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

// The folder walk: every drive that has no readable NTFS table, and the chosen folder.
class JunkWalk : public FolderVisitor {
 public:
  JunkWalk(JunkRules& rules, FoundTally& tally) : rules_(rules), tally_(tally) {}

  bool proceed() override { return tally_.proceed(); }

  // The short forms are made from the parent's short form and the alternate
  // names the search reports: asking the system per folder costs more than
  // reading the folder itself.
  void walkRoot(std::wstring_view root) { static_cast<void>(WalkFolders(root, *this, {.shortPaths = true})); }

  bool enter(const WalkFolder& folder) override {
    if (rules_.skipsFolder(folder.path, folder.shortPath)) return false;
    tally_.status(folder.path);
    return true;
  }

  Step entry(const WalkFolder& folder, const FindEntry& entry) override {
    const DWORD attrs = entry.attributes;
    if (attrs & FILE_ATTRIBUTE_DIRECTORY)
      return (attrs & FILE_ATTRIBUTE_SYSTEM) || IsLinkedFolder(attrs) ? Step::Next : Step::Enter;
    if (attrs & (kVolumeLabel | FILE_ATTRIBUTE_SYSTEM)) return Step::Next;
    if (!proceed()) return Step::Stop;
    const std::wstring* mask = rules_.junkMaskOf(entry.name);
    if (!mask) return Step::Next;
    filePath_.assign(folder.path);
    filePath_ += entry.name;
    std::optional<FoundRow> row = rules_.listFile(filePath_, *mask);
    if (!row) return Step::Next;
    tally_.add(std::move(*row));
    tally_.status(folder.path);
    return Step::Next;
  }

 private:
  JunkRules& rules_;
  FoundTally& tally_;
  std::wstring filePath_;
};

}  // namespace

JunkRules::JunkRules(const JunkScanInput& input) {
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

  // Each mask beside its caption, which a row names as the rule that chose it.
  for (const std::wstring& caption : input.masks)
    if (std::optional<FileMask> mask = FileMask::Compile(NormalizeMask(caption))) {
      masks_.push_back(std::move(*mask));
      captions_.push_back(caption);
    }
}

bool JunkRules::beginRoot(std::wstring_view root) {
  root_ = IncludeTrailingBackslash(root);
  // Below the root no link is entered, so a folder's real place is the root's
  // real place and the rest of its path.
  rootFinal_ = FinalFolderPath(root_, true);
  for (const std::wstring& walked : walkedFinal_)
    if (IsAtOrBelow(rootFinal_, walked)) return false;
  return true;
}

void JunkRules::endRoot() { walkedFinal_.push_back(rootFinal_); }

bool JunkRules::rootIsItself() const {
  std::wstring folded;
  FoldInto(Fs().fullPath(root_), folded);
  return IncludeTrailingBackslash(folded) == rootFinal_;
}

bool JunkRules::skipsFolder(std::wstring_view path, std::wstring_view shortPath) {
  if (fragments_.foundIn(path, scratch_) || fragments_.foundIn(shortPath, scratch_)) return true;
  // The folder's real place is an excluded folder, below one, or a root gone through before.
  if (excludedFinal_.empty() && walkedFinal_.empty()) return false;
  finalScratch_.assign(rootFinal_);
  FoldInto(path.substr(std::min(root_.size(), path.size())), scratch_);
  finalScratch_ += scratch_;
  for (const std::wstring& excluded : excludedFinal_)
    if (IsAtOrBelow(finalScratch_, excluded)) return true;
  for (const std::wstring& walked : walkedFinal_)
    if (finalScratch_ == walked) return true;
  return false;
}

std::optional<FoundRow> JunkRules::listFile(const std::wstring& path, const std::wstring& mask) {
  // Opened without sharing: a file in use is not listed (nor one that vanished).
  const std::optional<ListedEntry> listed = ReadListedFile(path, serials_, folderFinal_, folderOfFinal_);
  if (!listed || !once_.first(listed->identity)) return std::nullopt;
  FoundRow row;
  row.path = path;
  row.size = listed->size;
  row.identity = listed->identity;
  row.rootLength = static_cast<std::uint32_t>(root_.size());
  row.rule.mask = mask;
  return row;
}

const std::wstring* JunkRules::junkMaskOf(std::wstring_view name) {
  const FileMask* match = FirstMatch(masks_, name);
  if (!match || names_.foundIn(name, scratch_)) return nullptr;
  return &captions_[static_cast<std::size_t>(match - masks_.data())];
}

JunkScanResult JunkFileScan(const JunkScanInput& input, RunContext& run, const FoundSink& found) {
  JunkRules rules(input);
  FoundTally tally(run, found);
  JunkWalk walk(rules, tally);
  JunkScanResult result;
  if (rules.hasPatterns()) {
    if (input.mode == JunkScanMode::TickedDrives) {
      for (std::size_t row = 0; row < input.drives.size(); ++row) {
        if (!walk.proceed()) break;
        if (!run.stillTicked(row, row < input.driveTicks.size() && input.driveTicks[row])) continue;
        const std::wstring& drive = input.drives[row];
        if (drive.empty() || !rules.beginRoot(drive)) continue;  // never the current drive's root
        const TableScan table = input.fromTable ? ScanDriveFromTable(drive, rules, tally) : TableScan::Unavailable;
        if (table == TableScan::Listed) ++result.drivesFromTable;
        if (table == TableScan::Unavailable) walk.walkRoot(IncludeTrailingBackslash(drive));
        rules.endRoot();
      }
    } else if (!input.folder.empty() && rules.beginRoot(input.folder)) {
      walk.walkRoot(IncludeTrailingBackslash(input.folder));
      rules.endRoot();
    }
  }
  static_cast<FileScanResult&>(result) = tally.result();
  return result;
}

}  // namespace wv
