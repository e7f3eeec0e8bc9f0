// The recycle bin and move modes: the shell's file operation takes paths, not
// handles, so each entry is checked through a handle with every folder on its
// way held (nobody can rename those or put a link in their place until the
// shell is done), the shell is called at once, and what it did is checked
// afterwards by the same file IDs.
#include <set>

#include "core/files.h"
#include "engines/cleaning/removal_steps.h"
#include "platform/platform.h"
#include "platform/text.h"

namespace wv::removal {
namespace {

// Held folders and rows per shell call: the handles stay within what any
// system keeps open easily, and most removals need a single call.
constexpr std::size_t kHeldPerCall = 1000;
constexpr std::size_t kRowsPerCall = 5000;

// The user said no to the shell's own question, or stopped its progress.
bool DeclinedOrAborted(int shellResult) {
  constexpr int kOperationCancelled = 0x75;  // DE_OPCANCELLED of the older shells
  return shellResult == ERROR_CANCELLED || shellResult == kOperationCancelled;
}

// A checked row on its way to the shell.
struct Handed {
  std::size_t index = 0;
  std::wstring source;       // the row's path, or its short form when the path is too long for the shell
  std::wstring destination;  // the move mode's free name in the target
  std::uint64_t fileId = 0;
  DWORD marks = 0;           // marks cleared for the shell, to put back on what is left
  bool otherNames = false;   // marked, with other names: handed with its marks
};

// Whether the listed object (by file ID) is still at path.
bool StillThere(const std::wstring& path, std::uint64_t fileId) {
  const std::unique_ptr<Entry> entry = Fs().openEntry(path, EntryOpen::Look);
  if (!entry) return Fs().attributes(path) != INVALID_FILE_ATTRIBUTES;
  const std::optional<EntryFacts> facts = entry->facts();
  return !facts || fileId == 0 || facts->fileId == 0 || facts->fileId == fileId;
}

// Why something the shell was given is still there.
KeptReason WhyStillThere(const Handed& h, bool declined) {
  if (declined) return KeptReason::Declined;
  if (h.otherNames) return KeptReason::OtherNames;
  SysResult why;
  if (Fs().openEntry(h.source, EntryOpen::Remove, &why)) return KeptReason::Failed;
  return ReasonOfError(why.error());
}

// The marks back on the object at path, if it is still the listed one.
void PutMarksBack(const std::wstring& path, std::uint64_t fileId, DWORD marks) {
  if (marks == 0 || path.empty()) return;
  const std::unique_ptr<Entry> entry = Fs().openEntry(path, EntryOpen::Remove);
  if (!entry) return;
  const std::optional<EntryFacts> facts = entry->facts();
  if (!facts || (fileId != 0 && facts->fileId != 0 && facts->fileId != fileId)) return;
  static_cast<void>(entry->setAttributes((facts->attributes & ~kMarks) | marks));
}

// Read-only, hidden and system make the shell refuse or ask: they are cleared
// through the checked handle, except on a file with other names, whose marks
// they are too.
void ClearMarksForShell(EntryCheck& check, Handed& h) {
  const DWORD marks = check.facts.attributes & kMarks;
  if (marks == 0) return;
  if (check.facts.linkCount > 1) {
    h.otherNames = true;
    return;
  }
  if (check.entry->setAttributes((check.facts.attributes & ~kMarks) | FILE_ATTRIBUTE_ARCHIVE)) h.marks = marks;
}

class ShellRemoval {
 public:
  ShellRemoval(const std::vector<FoundRow>& rows, const RemovalOptions& options, RunContext& run, Outcomes& out)
      : rows_(rows), options_(options), run_(run), out_(out) {}

  bool stopped = false;
  bool declined = false;

  void files(const std::vector<std::size_t>& group) {
    std::size_t next = 0;
    while (next < group.size() && !stopped && !declined) {
      HeldFolders folders;
      std::vector<Handed> batch;
      for (; next < group.size() && folders.size() < kHeldPerCall && batch.size() < kRowsPerCall; ++next) {
        if (!run_.proceed()) {
          stopped = true;
          break;
        }
        prepareFile(group[next], folders, batch);
        run_.progressStep();
      }
      if (stopped) {
        for (const Handed& h : batch) PutMarksBack(h.source, h.fileId, h.marks);
        return;
      }
      callShell(batch);
    }
    declineRest(group);
  }

  // Recycle bin: the waste folders that still hold no file, the outermost of
  // them handed to the shell (the ones inside go with them).
  void recycleWaste(const std::vector<std::size_t>& group) {
    if (stopped || declined) return declineRest(group);
    std::vector<std::size_t> qualifying;
    for (std::size_t i : group) {
      if (!run_.proceed()) {
        stopped = true;
        return;
      }
      HeldFolders way;  // held only while this one is checked: an outer one must not stay held
      const EntryCheck check = CheckEntry(rows_[i], way, EntryOpen::Look);
      if (check.gone) out_.gone(i);
      else if (check.problem != KeptReason::None) out_.kept(i, check.problem);
      else if (!HoldsNoFiles(rows_[i].path)) out_.kept(i, KeptReason::NotEmpty);
      else qualifying.push_back(i);
      run_.progressStep();
    }
    std::vector<std::wstring> outer;
    HeldFolders folders;
    std::vector<Handed> batch;
    for (std::size_t i : qualifying) {
      std::wstring folded;
      FoldInto(IncludeTrailingBackslash(rows_[i].path), folded);
      bool inside = false;
      for (std::size_t j : qualifying)
        if (j != i && StartsWithNoCase(folded, IncludeTrailingBackslash(rows_[j].path))) inside = true;
      if (!inside) prepareWaste(i, folders, batch);
    }
    const int result = callShell(batch);
    // Those inside an outer one went with it.
    for (std::size_t i : qualifying)
      if (out_.at(i) == Done::Untried)
        StillThere(rows_[i].path, 0) ? out_.kept(i, declined ? KeptReason::Declined : KeptReason::Failed)
                                     : out_.removed(i);
    folders.release();
    // A failure nobody chose: each waste folder still there goes if it is empty by now.
    if (result != 0 && !declined) {
      HeldFolders way;
      for (std::size_t i : qualifying) {
        if (out_.at(i) != Done::Kept) continue;
        way.keepOnly(ParentFolder(rows_[i].path));
        DeleteThroughHandle(rows_[i], i, way, out_);
      }
    }
  }

  // The move mode's waste folders: deleted through their handles once empty
  // (an empty folder is no junk worth keeping in the target).
  void deleteWaste(const std::vector<std::size_t>& group) {
    if (stopped || declined) return declineRest(group);
    HeldFolders way;
    for (std::size_t i : group) {
      if (!run_.proceed()) {
        stopped = true;
        return;
      }
      way.keepOnly(ParentFolder(rows_[i].path));
      DeleteThroughHandle(rows_[i], i, way, out_);
      run_.progressStep();
    }
  }

 private:
  void prepareFile(std::size_t i, HeldFolders& folders, std::vector<Handed>& batch) {
    const FoundRow& row = rows_[i];
    EntryCheck check = CheckEntry(row, folders, EntryOpen::Remove);
    if (check.gone) return out_.gone(i);
    if (check.problem != KeptReason::None) return out_.kept(i, check.problem);
    Handed h;
    h.index = i;
    h.source = row.path;
    h.fileId = check.facts.fileId;
    if (moving()) h.destination = IncludeTrailingBackslash(options_.moveFolder) +
                                  FreeName(options_.moveFolder, ExtractFileName(row.path), taken_);
    ClearMarksForShell(check, h);
    if (moving() && (TooLongForShell(h.source) || TooLongForShell(h.destination)))
      return moveThroughHandle(check, h);
    if (!moving() && TooLongForShell(h.source)) {
      check.entry.reset();
      return recycleLong(h);
    }
    batch.push_back(std::move(h));
  }

  void prepareWaste(std::size_t i, HeldFolders& folders, std::vector<Handed>& batch) {
    EntryCheck check = CheckEntry(rows_[i], folders, EntryOpen::Remove);
    if (check.gone) return out_.gone(i);
    if (check.problem != KeptReason::None) return out_.kept(i, check.problem);
    Handed h;
    h.index = i;
    h.source = rows_[i].path;
    h.fileId = check.facts.fileId;
    ClearMarksForShell(check, h);
    check.entry.reset();
    if (TooLongForShell(h.source)) return recycleLong(h);
    batch.push_back(std::move(h));
  }

  [[nodiscard]] bool moving() const { return options_.mode == RemovalMode::MoveToFolder; }

  // With nobody there to answer, the shell asks nothing and shows neither progress nor an error box.
  [[nodiscard]] unsigned shellFlags(unsigned flags) const {
    if (options_.unattended) flags |= fileop::NoConfirmation | fileop::NoConfirmMkdir | fileop::Silent | fileop::NoErrorUi;
    return flags;
  }

  // One call of the shell over the batch, then each row by what is at its path.
  int callShell(const std::vector<Handed>& batch) {
    if (batch.empty()) return 0;
    std::vector<std::wstring> sources, destinations;
    for (const Handed& h : batch) {
      sources.push_back(h.source);
      destinations.push_back(h.destination);
    }
    const int result =
        moving() ? Sh().moveEach(options_.owner, sources, destinations,
                                 shellFlags(fileop::AllowUndo | fileop::NoErrorUi | fileop::RenameOnCollision))
                 : Sh().fileOperation(options_.owner, FileOpFunc::Delete, sources, L"",
                                      shellFlags(fileop::AllowUndo | fileop::NoErrorUi));
    if (DeclinedOrAborted(result)) declined = true;
    for (const Handed& h : batch) settle(h);
    return result;
  }

  // What the shell did with one row.
  void settle(const Handed& h) {
    if (StillThere(h.source, h.fileId)) {
      out_.kept(h.index, WhyStillThere(h, declined));
      PutMarksBack(h.source, h.fileId, h.marks);
      return;
    }
    out_.removed(h.index);
    if (moving()) PutMarksBack(h.destination, h.fileId, h.marks);
  }

  // A path the shell's file operation cannot take: the interface that takes
  // long paths; where the system has none, the short form when that fits; else it stays.
  void recycleLong(const Handed& h) {
    // That interface takes no flags from us and may ask: with nobody to answer,
    // only the short form, which goes without a question.
    int result = options_.unattended ? ERROR_NOT_SUPPORTED : Sh().recycleLongPath(options_.owner, h.source);
    if (result == ERROR_NOT_SUPPORTED) {
      const std::wstring shortForm = Fs().shortPath(h.source);
      if (shortForm.empty() || TooLongForShell(shortForm)) {
        PutMarksBack(h.source, h.fileId, h.marks);
        return out_.kept(h.index, KeptReason::TooLong);
      }
      result = Sh().fileOperation(options_.owner, FileOpFunc::Delete, {shortForm}, L"",
                                  shellFlags(fileop::AllowUndo | fileop::NoErrorUi));
    }
    if (DeclinedOrAborted(result)) declined = true;
    settle(h);
  }

  // A long path moves through its checked handle: renamed on the same volume,
  // else copied and deleted by the system's move (which never replaces either).
  void moveThroughHandle(EntryCheck& check, const Handed& h) {
    SysResult moved = check.entry->renameTo(h.destination);
    check.entry.reset();
    if (!moved && moved.error() == ERROR_NOT_SAME_DEVICE) moved = Fs().moveFile(h.source, h.destination);
    settle(h);
  }

  void declineRest(const std::vector<std::size_t>& group) {
    if (!declined) return;
    for (std::size_t i : group)
      if (out_.at(i) == Done::Untried) out_.kept(i, KeptReason::Declined);
  }

  const std::vector<FoundRow>& rows_;
  const RemovalOptions& options_;
  RunContext& run_;
  Outcomes& out_;
  std::set<std::wstring> taken_;  // free names given in the target so far
};

}  // namespace

void RemoveThroughShell(const std::vector<FoundRow>& rows, const std::vector<std::size_t>& files,
                        const std::vector<std::size_t>& waste, const RemovalOptions& options, RunContext& run,
                        Outcomes& out, bool& stopped) {
  ShellRemoval removal(rows, options, run, out);
  removal.files(files);
  if (options.mode == RemovalMode::MoveToFolder) removal.deleteWaste(waste);
  else removal.recycleWaste(waste);
  stopped = removal.stopped;
}

}  // namespace wv::removal
