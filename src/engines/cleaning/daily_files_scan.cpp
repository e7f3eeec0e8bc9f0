#include "engines/cleaning/daily_files_scan.h"

#include "engines/cleaning/clean_scan.h"
#include "core/folder_walk.h"
#include "core/utilities.h"
#include "platform/text.h"
#include "platform/platform.h"

namespace wv {
namespace {

using namespace cleanscan;

DailyLocation Location(std::wstring folder, std::vector<std::wstring> patterns, bool withSubfolders,
                       bool wasteFolders, std::vector<std::wstring> skippedNames = {}) {
  DailyLocation l;
  l.folder = std::move(folder);
  l.patterns = std::move(patterns);
  l.skippedNames = std::move(skippedNames);
  l.withSubfolders = withSubfolders;
  l.wasteFolders = wasteFolders;
  return l;
}

class DailyWalk {
 public:
  DailyWalk(RunContext& run, const std::function<void(FoundRow)>& found) : tally_(run, found) {}

  [[nodiscard]] bool stopped() const { return tally_.stopped(); }
  [[nodiscard]] DailyScanResult result() const {
    DailyScanResult r;
    static_cast<FileScanResult&>(r) = tally_.result();
    r.refused = refused_;
    return r;
  }
  bool proceed() { return tally_.proceed(); }

  void startItem(int position) { item_ = position; }

  // A location that would take a folder whole, and the folder is out of bounds:
  // nothing of it is listed, and the result says why.
  bool refuses(const std::wstring& folder, const KnownFolders& known, const ProtectedFolders& protect) {
    const FolderProtection why = CleaningBound(folder, known, protect);
    if (why == FolderProtection::None) return false;
    refused_.push_back({item_, folder, why});
    return true;
  }

  // Empties the three working lists and fills patterns and skipped names; a
  // user's folder is named in each row's rule.
  void startLocation(const std::vector<std::wstring>& patterns, const std::vector<std::wstring>& skippedNames,
                     std::wstring_view userFolder = {}) {
    masks_ = CompileMasks(patterns);
    userFolder_ = userFolder;
    names_ = FoldedNeedles();
    for (const std::wstring& n : skippedNames) names_.add(n);
    incomplete_.clear();
  }

  // The files of the folder (and of its subfolders) that the patterns take.
  void fileWalk(const std::wstring& folder, bool withSubfolders) {
    if (stopped() || folder.empty() || !DirectoryExists(folder)) return;
    rootLength_ = static_cast<std::uint32_t>(IncludeTrailingBackslash(folder).size());
    Files files(*this, withSubfolders);
    static_cast<void>(WalkFolders(folder, files));
  }

  // The folders below folder that hold nothing once their listed files are
  // gone, deepest first: each folder's subfolders after everything below them.
  void wasteWalk(const std::wstring& folder) {
    if (stopped() || folder.empty() || !DirectoryExists(folder)) return;
    rootLength_ = static_cast<std::uint32_t>(IncludeTrailingBackslash(folder).size());
    Waste waste(*this);
    static_cast<void>(WalkFolders(folder, waste, {.foldersOnly = true}));
  }

 private:
  class Files : public FolderVisitor {
   public:
    Files(DailyWalk& walk, bool withSubfolders) : walk_(walk), withSubfolders_(withSubfolders) {}
    bool enter(const WalkFolder& folder) override {
      walk_.status(folder.path);
      seen_ = listed_ = 0;
      return true;
    }
    // Nothing of it was seen, so neither it nor a folder above it is waste.
    void unreadable(const WalkFolder& folder) override { walk_.markIncomplete(folder.path); }
    Step entry(const WalkFolder& folder, const FindEntry& entry) override {
      if (entry.isFolder()) {
        if (!withSubfolders_) return Step::Next;
        if (IsLinkedFolder(entry.attributes)) {
          // Not walked, so whatever it holds stays: it and its parents are not waste.
          walk_.markIncomplete(folder.path + entry.name + L"\\");
          return Step::Next;
        }
        return Step::Enter;
      }
      if (entry.attributes & kVolumeLabel) return Step::Next;
      if (!walk_.proceed()) return Step::Stop;
      ++seen_;
      const FileMask* match = walk_.masks_.empty() ? nullptr : FirstMatch(walk_.masks_, entry.name);
      if (!walk_.masks_.empty() && !match) return Step::Next;
      if (walk_.names_.foundIn(entry.name, walk_.scratch_)) return Step::Next;
      path_.assign(folder.path);
      path_ += entry.name;
      // Opened without sharing: a file in use is not listed (nor one that vanished);
      // one listed before under another name counts as not listed here.
      const std::optional<ListedEntry> read = ReadListedFile(path_, walk_.serials_, folderFinal_, folderOfFinal_);
      if (!read || !walk_.once_.first(read->identity)) return Step::Next;
      walk_.add(path_, read->size, FoundKind::File, read->identity, match);
      walk_.status(folder.path);
      ++listed_;
      return Step::Next;
    }
    bool listed(const WalkFolder& folder) override {
      if (seen_ != listed_) walk_.markIncomplete(folder.path);
      return true;
    }
    bool proceed() override { return walk_.proceed(); }

   private:
    DailyWalk& walk_;
    bool withSubfolders_;
    std::size_t seen_ = 0, listed_ = 0;
    std::wstring path_;
    std::wstring folderFinal_, folderOfFinal_;
  };

  class Waste : public FolderVisitor {
   public:
    explicit Waste(DailyWalk& walk) : walk_(walk) {}
    bool enter(const WalkFolder& folder) override {
      walk_.status(folder.path);
      if (kept_.size() <= folder.depth) kept_.resize(folder.depth + 1);
      kept_[folder.depth].clear();
      return true;
    }
    Step entry(const WalkFolder& folder, const FindEntry& entry) override {
      if (!walk_.proceed()) return Step::Stop;
      if (!entry.isFolder() || IsLinkedFolder(entry.attributes)) return Step::Next;
      kept_[folder.depth].push_back(entry.name);
      return Step::Enter;
    }
    // Everything below is walked: the subfolders left empty are waste.
    void leave(const WalkFolder& folder) override {
      std::wstring sub;
      for (const std::wstring& name : kept_[folder.depth]) {
        if (!walk_.proceed()) return;
        sub.assign(folder.path);
        sub += name;
        if (walk_.isIncomplete(sub)) continue;
        const std::optional<ListedEntry> read = ReadListedFolder(sub, walk_.serials_);
        if (!read || !walk_.once_.first(read->identity)) continue;
        walk_.add(sub, 0, FoundKind::WasteFolder, read->identity);
        walk_.status(folder.path);
      }
    }

   private:
    DailyWalk& walk_;
    // The subfolders each folder on the current path listed, by depth: its
    // waste is judged from them once everything below has been walked.
    std::vector<std::vector<std::wstring>> kept_;
  };

  void status(std::wstring_view folder) { tally_.status(folder); }

  void markIncomplete(const std::wstring& folder) {
    std::wstring folded;
    FoldInto(folder, folded);
    incomplete_.push_back(std::move(folded));
  }

  // A substring test, so a folder "Log" beside an incomplete "Logs" is kept back too.
  bool isIncomplete(std::wstring_view folder) {
    FoldInto(folder, scratch_);
    for (const std::wstring& f : incomplete_)
      if (f.find(scratch_) != std::wstring::npos) return true;
    return false;
  }

  void add(const std::wstring& path, std::uint64_t size, FoundKind kind, const FoundIdentity& identity,
           const FileMask* match = nullptr) {
    std::wstring rule = userFolder_;
    if (match) {
      if (!rule.empty()) rule += L' ';
      rule += match->text();
    }
    FoundRow row;
    row.path = path;
    row.size = size;
    row.kind = kind;
    row.item = item_;
    row.identity = identity;
    row.rootLength = rootLength_;
    row.rule.mask = std::move(rule);
    tally_.add(std::move(row));
  }

  FoundTally tally_;
  int item_ = -1;
  std::uint32_t rootLength_ = 0;
  VolumeSerials serials_;
  ListedOnce once_;
  std::vector<RefusedLocation> refused_;
  std::vector<FileMask> masks_;
  std::wstring userFolder_;
  FoldedNeedles names_;
  std::vector<std::wstring> incomplete_;
  std::wstring scratch_;
};

// The location a row of the user's list stands for.
DailyLocation UserLocation(const UserCleanFolder& user) {
  DailyLocation l;
  l.folder = user.folder;
  l.withSubfolders = user.includeSubfolders;
  if (user.givenTypes) l.patterns = TypesToPatterns(user.types);
  else l.wasteFolders = user.includeSubfolders;
  return l;
}

std::wstring WithoutSlashes(std::wstring_view text) { return ReplaceAll(text, L"/", L""); }

template <class Fn>
void ForEachPiece(std::wstring_view types, Fn fn) {
  std::size_t start = 0;
  while (start <= types.size()) {
    std::size_t bar = types.find(L'|', start);
    if (bar == std::wstring_view::npos) bar = types.size();
    const std::wstring_view piece = TrimView(types.substr(start, bar - start));
    if (!piece.empty()) fn(piece);
    start = bar + 1;
  }
}

}  // namespace

std::vector<std::wstring> TypesToPatterns(std::wstring_view types) {
  std::vector<std::wstring> out;
  ForEachPiece(TrimView(types), [&](std::wstring_view piece) {
    std::wstring mask = NormalizeMask(piece);
    if (IsValidMask(mask)) out.push_back(std::move(mask));
  });
  return out;
}

bool IsValidTypesText(std::wstring_view types) {
  bool any = false;
  bool valid = true;
  ForEachPiece(types, [&](std::wstring_view piece) {
    any = true;
    if (!IsValidMask(piece)) valid = false;
  });
  return any && valid;
}

std::wstring PrepareUserCleanFolder(UserCleanFolder& entry) {
  entry.folder = WithoutSlashes(TrimView(entry.folder));
  entry.types = entry.givenTypes ? WithoutSlashes(TrimView(entry.types)) : std::wstring();
  if (entry.folder.empty()) return L"清理目录需要填写！";
  if (entry.givenTypes && entry.types.empty()) return L"清理类型需要填写！";
  if (!IsFullPath(entry.folder) || !DirectoryExists(entry.folder)) return L"清理目录无效请重新填写！";
  if (entry.givenTypes && !IsValidTypesText(entry.types)) return L"清理类型格式错误请重新填写！";
  return {};
}

std::vector<DailyLocation> DailyLocations(int position, const KnownFolders& k) {
  std::vector<DailyLocation> out;
  switch (position) {
    case 0:
      out.push_back(Location(k.WindowsTempDir, {}, true, true));
      out.push_back(Location(k.TempDir, {}, true, true));
      break;
    case 1:
      out.push_back(Location(k.RecentDir, {}, true, true, {L"desktop.ini"}));
      break;
    case 2:
      out.push_back(Location(k.WindowsDir,
                             {L"KB*.log", L"setupact.log", L"setuperr.log", L"setupapi.log", L"FaxSetup.log",
                              L"updspapi.log", L"Windows Update.log", L"WindowsUpdate.log", L"svcpack.log",
                              L"spuninst.log", L"spupdsvc.log", L"dtcInstall.log", L"iis5.log", L"iis6.log",
                              L"tsoc.log", L"spupdw2k.log", L"spupdwxp.log"},
                             false, false));
      out.push_back(Location(JoinKnown(k.WindowsDir, L"\\repair"), {L"setupapi.log"}, false, false));
      out.push_back(Location(JoinKnown(k.SystemDir, L"\\wbem\\Logs"), {L"*.log"}, false, false));
      out.push_back(Location(JoinKnown(k.SystemDir, L"\\CatRoot2"), {L"dberr.txt"}, false, false));
      break;
    case 3:
      out.push_back(Location(JoinKnown(k.ProgramFilesDir, L"\\Real\\RealPlayer"), {L"realplayer.ste"}, false, false));
      out.push_back(Location(JoinKnown(k.ProgramFilesDir, L"\\Ahead\\Nero"), {L"NeroHistory.log"}, false, false));
      out.push_back(
          Location(JoinKnown(k.ProgramFilesDir, L"\\Raxco\\PerfectDisk\\7.0"), {L"PerfectDisk.log"}, false, false));
      out.push_back(Location(JoinKnown(k.ProgramFilesDir, L"\\Ewido\\Security Suite"), {L"logfile.txt"}, false, false));
      out.push_back(Location(JoinKnown(k.ProgramFilesDir, L"\\Ewido Anti-Malware"), {L"logfile.txt"}, false, false));
      out.push_back(
          Location(JoinKnown(k.ProgramFilesDir, L"\\ewido anti-spyware 4.0"), {L"logfile.txt"}, false, false));
      out.push_back(
          Location(JoinKnown(k.ProgramFilesDir, L"\\Grisoft\\AVG Anti-Spyware 7.5"), {L"logfile.txt"}, false, false));
      break;
    default:
      break;
  }
  return out;
}

bool TakesWholeFolder(const DailyLocation& location) {
  return location.patterns.empty() || location.withSubfolders || location.wasteFolders;
}

DailyScanResult DailyFileScan(const DailyScanInput& input, RunContext& run, const FoundSink& found) {
  DailyWalk walk(run, found);
  const ProtectedFolders protect = input.protectedFolders ? *input.protectedFolders : ProtectedFolders::Resolve();
  // A user's folder is named in each of its rows' rule.
  const auto scan = [&](const DailyLocation& location, std::wstring_view userFolder) {
    if (walk.stopped() || location.folder.empty() || !DirectoryExists(location.folder)) return;
    if (TakesWholeFolder(location) && walk.refuses(location.folder, input.known, protect)) return;
    walk.startLocation(location.patterns, location.skippedNames, userFolder);
    walk.fileWalk(location.folder, location.withSubfolders);
    if (location.wasteFolders) walk.wasteWalk(location.folder);
  };
  for (int position = 0; position < 5; ++position) {
    if (!walk.proceed()) break;
    const auto row = static_cast<std::size_t>(position);
    if (!run.stillTicked(row, input.items[row])) continue;
    walk.startItem(position);
    if (position < 4) {
      for (const DailyLocation& location : DailyLocations(position, input.known)) scan(location, {});
    } else {
      if (input.userFoldersReached) input.userFoldersReached();
      for (const UserCleanFolder& user : input.userFolders) {
        if (walk.stopped()) break;
        // The list may come from a settings file edited by hand: a folder that is
        // not a full path would be taken relative to the current folder.
        if (!user.ticked || !IsFullPath(user.folder) || !DirectoryExists(user.folder)) continue;
        const DailyLocation location = UserLocation(user);
        // Given types with none valid: nothing to take.
        if (user.givenTypes && location.patterns.empty()) continue;
        scan(location, user.folder);
      }
    }
  }

  return walk.result();
}

}  // namespace wv
