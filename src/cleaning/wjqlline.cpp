#include "cleaning/wjqlline.h"

#include <deque>

#include "cleaning/cleanscan.h"
#include "core/publline.h"
#include "core/text.h"
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

struct Subfolder {
  std::wstring name;
  std::wstring shortName;
};

class JunkWalk {
 public:
  JunkWalk(const JunkScanInput& input, RunContext& run, RowModel& rows) : run_(run), rows_(rows) {
    for (std::wstring_view name : kSkippedNames) names_.add(name);
    for (std::wstring_view fragment : kSkippedFragments) fragments_.add(fragment);
    // An unresolved known folder is empty and so left out by add().
    fragments_.add(input.known.RecentDir);
    fragments_.add(input.known.SendToDir);
    fragments_.add(input.known.CookiesDir);
    fragments_.add(input.known.InternetCacheDir);
    fragments_.add(input.known.TempDir);
    for (const std::wstring& folder : input.exclusions) fragments_.add(folder);

    std::vector<std::wstring> patterns;
    patterns.reserve(input.masks.size());
    for (const std::wstring& caption : input.masks) patterns.push_back(NormalizeMask(caption));
    masks_ = CompileMasks(patterns);
  }

  [[nodiscard]] bool hasPatterns() const { return !masks_.empty(); }
  [[nodiscard]] bool stopped() const { return stopped_; }
  [[nodiscard]] std::uint64_t total() const { return total_; }

  bool proceed() {
    if (!stopped_ && !run_.proceed()) stopped_ = true;
    return !stopped_;
  }

  void walkRoot(std::wstring_view folder) {
    if (folder.empty()) return;  // never the root of the current drive
    path_.assign(folder);
    if (path_.back() != L'\\') path_ += L'\\';
    shortPath_ = Fs().shortPath(path_);
    if (shortPath_.empty()) shortPath_ = path_;  // no short form: the path alone decides
    if (shortPath_.back() != L'\\') shortPath_ += L'\\';
    walk(0);
  }

 private:
  // The short form is made from the parent's short form and the alternate
  // names the search reports: asking the system per folder costs more than
  // reading the folder itself.
  bool skippedFolder() { return fragments_.foundIn(path_, scratch_) || fragments_.foundIn(shortPath_, scratch_); }

  void status() {
    ProgressText(rows_.size(), total_, path_, statusText_);
    run_.status(statusText_);
  }

  // path_ holds the folder with its trailing backslash; it is the same on return.
  void walk(std::size_t depth) {
    if (skippedFolder()) return;
    status();

    if (levels_.size() <= depth) levels_.emplace_back();
    std::vector<Subfolder>& subfolders = levels_[depth];
    std::size_t subfolderCount = 0;

    // One pass over the folder: its files are handled as they come, its
    // subfolders kept for afterwards, so all files precede any subfolder.
    const std::size_t base = path_.size();
    path_ += L"*.*";
    std::unique_ptr<DirSearch> search = Fs().search(path_);
    path_.resize(base);
    if (!search) return;
    while (search->next(entry_)) {
      const DWORD attrs = entry_.attributes;
      if (attrs & FILE_ATTRIBUTE_DIRECTORY) {
        if (entry_.isDots() || (attrs & FILE_ATTRIBUTE_SYSTEM) || IsLinkedFolder(attrs)) continue;
        if (subfolderCount == subfolders.size()) subfolders.emplace_back();
        Subfolder& sub = subfolders[subfolderCount++];
        sub.name = entry_.name;
        sub.shortName = entry_.shortName.empty() ? entry_.name : entry_.shortName;
        continue;
      }
      if (attrs & (kVolumeLabel | FILE_ATTRIBUTE_SYSTEM)) continue;
      if (!proceed()) return;
      if (!MatchesAny(masks_, entry_.name)) continue;
      if (names_.foundIn(entry_.name, scratch_)) continue;
      filePath_.assign(path_);
      filePath_ += entry_.name;
      if (IsFileInUse(filePath_)) continue;
      addRow();
    }
    search.reset();

    const std::size_t shortBase = shortPath_.size();
    for (std::size_t i = 0; i < subfolderCount; ++i) {
      if (!proceed()) return;
      // levels_ is a deque: deeper levels added below do not move this one.
      const Subfolder& sub = subfolders[i];
      path_ += sub.name;
      path_ += L'\\';
      shortPath_ += sub.shortName;
      shortPath_ += L'\\';
      walk(depth + 1);
      path_.resize(base);
      shortPath_.resize(shortBase);
      if (stopped_) return;
    }
  }

  void addRow() {
    ListRow row;
    row.caption = filePath_;
    row.sub.push_back(FormatSize(entry_.size));
    row.size = entry_.size;
    row.image = kJunkRowImage;
    rows_.append(std::move(row));
    run_.rowAdded();
    total_ += entry_.size;
    status();
  }

  RunContext& run_;
  RowModel& rows_;
  FoldedNeedles names_;
  FoldedNeedles fragments_;
  std::vector<FileMask> masks_;
  std::uint64_t total_ = 0;
  bool stopped_ = false;

  std::wstring path_;       // the folder being walked, with its backslash
  std::wstring shortPath_;  // its short form
  std::wstring filePath_;
  std::wstring scratch_;
  std::wstring statusText_;
  FindEntry entry_;
  std::deque<std::vector<Subfolder>> levels_;
};

}  // namespace

std::wstring DriveFromCaption(std::wstring_view caption) {
  if (caption.size() < 3) return {};
  return std::wstring(caption.substr(caption.size() - 3, 2));
}

JunkScanResult JunkFileScan(const JunkScanInput& input, RunContext& run, RowModel& rows) {
  JunkWalk walk(input, run, rows);
  rows.clear();
  if (walk.hasPatterns()) {
    if (input.mode == JunkScanMode::TickedDrives) {
      for (std::size_t row = 0; row < input.drives.size(); ++row) {
        if (!walk.proceed()) break;
        if (input.driveTicked && !input.driveTicked(row)) continue;
        walk.walkRoot(input.drives[row]);
      }
    } else {
      walk.walkRoot(input.folder);
    }
  }

  JunkScanResult result;
  result.rows = rows.size();
  result.total = walk.total();
  result.stopped = walk.stopped();
  run.status(JunkScanSummary(result));
  return result;
}

std::wstring JunkScanSummary(const JunkScanResult& result) {
  if (result.rows == 0) return L"未扫描到符合条件的垃圾文件";
  return L"扫描到符合条件的垃圾文件共 " + ToDecimal(static_cast<std::int64_t>(result.rows)) + L" 项,占用 " +
         FormatSize(result.total) + L" 硬盘空间";
}

}  // namespace wv
