#include "engines/cleaning/junk_scan.h"

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
  void walkRoot(std::wstring_view folder) {
    if (folder.empty()) return;  // never the root of the current drive
    static_cast<void>(WalkFolders(folder, *this, {.shortPaths = true}));
  }

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
    if (IsFileInUse(filePath_)) return Step::Next;
    tally_.add(JunkRow(filePath_, entry.size, *mask));
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
  fragments_.add(input.known.RecentDir);
  fragments_.add(input.known.SendToDir);
  fragments_.add(input.known.CookiesDir);
  fragments_.add(input.known.InternetCacheDir);
  fragments_.add(input.known.TempDir);
  for (const std::wstring& folder : input.exclusions) fragments_.add(folder);

  // Each mask beside its caption, which a row names as the rule that chose it.
  for (const std::wstring& caption : input.masks)
    if (std::optional<FileMask> mask = FileMask::Compile(NormalizeMask(caption))) {
      masks_.push_back(std::move(*mask));
      captions_.push_back(caption);
    }
}

bool JunkRules::skipsFolder(std::wstring_view path, std::wstring_view shortPath) {
  return fragments_.foundIn(path, scratch_) || fragments_.foundIn(shortPath, scratch_);
}

const std::wstring* JunkRules::junkMaskOf(std::wstring_view name) {
  const FileMask* match = FirstMatch(masks_, name);
  if (!match || names_.foundIn(name, scratch_)) return nullptr;
  return &captions_[static_cast<std::size_t>(match - masks_.data())];
}

FoundRow JunkRow(const std::wstring& path, std::uint64_t size, const std::wstring& mask) {
  FoundRow row;
  row.path = path;
  row.size = size;
  row.rule.mask = mask;
  return row;
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
        const TableScan table =
            input.fromTable ? ScanDriveFromTable(input.drives[row], rules, tally) : TableScan::Unavailable;
        if (table == TableScan::Listed) ++result.drivesFromTable;
        if (table == TableScan::Unavailable) walk.walkRoot(input.drives[row]);
      }
    } else {
      walk.walkRoot(input.folder);
    }
  }
  static_cast<FileScanResult&>(result) = tally.result();
  return result;
}

}  // namespace wv
