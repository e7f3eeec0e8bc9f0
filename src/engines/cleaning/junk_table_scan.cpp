// The junk scan of a whole NTFS drive from its file table. The rows, their order,
// sizes and status lines are the walk's: each folder's entries in the file
// system's name order, a folder's files before its subfolders, subfolders depth
// first; system files and folders, links and junctions, excluded folders and the
// file system's own records left out.

#include <algorithm>

#include "core/utilities.h"
#include "engines/cleaning/junk_rules.h"
#include "engines/cleaning/ntfs_table.h"
#include "platform/platform.h"

namespace wv {
namespace {

using namespace cleanscan;

// Whether a drive's table may be read: a local disk formatted NTFS.
bool IsLocalNtfs(std::wstring_view drive) {
  if (drive.size() != 2 || drive[1] != L':') return false;
  const std::wstring root = std::wstring(drive) + L'\\';
  const unsigned type = Vol().driveType(root);
  if (type != DRIVE_FIXED && type != DRIVE_REMOVABLE) return false;
  return Vol().fileSystemName(root) == L"NTFS";
}

// The table's folders with their listed entries, each folder's in name order.
class TableTree {
 public:
  explicit TableTree(const NtfsTable& table) : table_(table) {}

  // False when the table lists a folder under more than one name (a folder
  // cannot have hard links): the tree would not be one.
  bool build() {
    const std::size_t records = table_.files.size();
    std::vector<std::uint32_t> count(records + 1, 0);
    shortName_.assign(records, kNone);
    std::vector<std::uint32_t> listedNames(records, 0);
    for (std::uint32_t i = 0; i < table_.names.size(); ++i) {
      const NtfsName& n = table_.names[i];
      if (!listed(n)) continue;
      if (n.space == kDosName) {
        shortName_[n.record] = i;
        continue;
      }
      if (table_.files[n.record].directory && ++listedNames[n.record] > 1) return false;
      ++count[n.parent + 1];
    }
    for (std::size_t r = 0; r < records; ++r) count[r + 1] += count[r];
    first_ = count;
    children_.resize(count[records]);
    for (std::uint32_t i = 0; i < table_.names.size(); ++i) {
      const NtfsName& n = table_.names[i];
      if (listed(n) && n.space != kDosName) children_[count[n.parent]++] = i;
    }
    const std::vector<std::uint16_t>& upcase = table_.upcase;
    for (std::size_t r = 0; r < records; ++r) {
      auto begin = children_.begin() + first_[r];
      auto end = children_.begin() + first_[r + 1];
      if (end - begin > 1)
        std::sort(begin, end, [&](std::uint32_t a, std::uint32_t b) {
          return NtfsNameBefore(upcase, table_.nameOf(table_.names[a]), table_.nameOf(table_.names[b]));
        });
    }
    return true;
  }

  // Names of the entries of a folder, in the order a search of it lists them.
  [[nodiscard]] const std::uint32_t* begin(std::uint32_t folder) const { return children_.data() + first_[folder]; }
  [[nodiscard]] const std::uint32_t* end(std::uint32_t folder) const { return children_.data() + first_[folder + 1]; }
  // The folder's 8.3 name when the volume keeps one apart from its long name.
  [[nodiscard]] std::wstring_view shortName(std::uint32_t record, std::wstring_view name) const {
    return shortName_[record] == kNone ? name : table_.nameOf(table_.names[shortName_[record]]);
  }

 private:
  static constexpr std::uint32_t kNone = 0xFFFFFFFF;

  // A name a search of its folder shows: of a file in use, in a folder in use
  // (the same one its name was given in), and not of the file system's own records.
  [[nodiscard]] bool listed(const NtfsName& n) const {
    if (n.record < kFirstUserRecord || n.record == n.parent) return false;
    if (n.parent >= table_.files.size()) return false;
    const NtfsFile& parent = table_.files[n.parent];
    return table_.files[n.record].inUse && parent.inUse && parent.directory && parent.sequence == n.parentSequence;
  }

  const NtfsTable& table_;
  std::vector<std::uint32_t> first_;
  std::vector<std::uint32_t> children_;
  std::vector<std::uint32_t> shortName_;
};

// The walk over the tree, step for step the folder walk's.
class TableWalk {
 public:
  TableWalk(const NtfsTable& table, const TableTree& tree, JunkRules& rules, FoundTally& tally)
      : table_(table), tree_(tree), rules_(rules), tally_(tally) {}

  bool run(std::wstring_view root) {
    path_.assign(root);
    path_ += L'\\';
    shortPath_ = Fs().shortPath(path_);
    if (shortPath_.empty()) shortPath_ = path_;
    if (shortPath_.back() != L'\\') shortPath_ += L'\\';
    if (!open(kRootRecord)) return !stopped_;
    while (!stack_.empty()) {
      Frame& frame = stack_.back();
      const std::uint32_t* next = nextFolder(frame);
      if (next == nullptr) {
        stack_.pop_back();
        if (!stack_.empty()) trim(stack_.back());
        continue;
      }
      frame.next = next + 1;
      if (!tally_.proceed()) return false;
      const NtfsName& name = table_.names[*next];
      const std::wstring_view longName = table_.nameOf(name);
      path_ += longName;
      path_ += L'\\';
      shortPath_ += tree_.shortName(name.record, longName);
      shortPath_ += L'\\';
      if (!open(name.record)) {
        if (stopped_) return false;
        trim(stack_.back());
      }
    }
    return true;
  }

 private:
  struct Frame {
    std::uint32_t folder;
    const std::uint32_t* next;  // the next entry to look at for a subfolder
    std::size_t pathLength;
    std::size_t shortLength;
  };

  // A subfolder the walk enters: neither a system folder nor a link or junction.
  [[nodiscard]] bool entered(const NtfsFile& f) const {
    return f.directory && !(f.attributes & FILE_ATTRIBUTE_SYSTEM) && !IsLinkedFolder(f.attributes);
  }

  const std::uint32_t* nextFolder(const Frame& frame) const {
    for (const std::uint32_t* i = frame.next; i != tree_.end(frame.folder); ++i)
      if (entered(table_.files[table_.names[*i].record])) return i;
    return nullptr;
  }

  void trim(const Frame& parent) {
    path_.resize(parent.pathLength);
    shortPath_.resize(parent.shortLength);
  }

  // Lists the files of the folder at path_; false when it is left out or the run stopped.
  bool open(std::uint32_t folder) {
    if (rules_.skipsFolder(path_, shortPath_)) return false;
    tally_.status(path_);
    for (const std::uint32_t* i = tree_.begin(folder); i != tree_.end(folder); ++i) {
      const NtfsName& name = table_.names[*i];
      const NtfsFile& file = table_.files[name.record];
      if (file.directory || (file.attributes & (kVolumeLabel | FILE_ATTRIBUTE_SYSTEM))) continue;
      if (!tally_.proceed()) {
        stopped_ = true;
        return false;
      }
      const std::wstring_view fileName = table_.nameOf(name);
      const std::wstring* mask = rules_.junkMaskOf(fileName);
      if (!mask) continue;
      filePath_.assign(path_);
      filePath_ += fileName;
      // The row is made as the walk makes it, from the file's own handle: the table
      // on the disk may lag behind the last moments of a running system (a file
      // gone since, or in use, is not listed), and the removal then checks the
      // identity read the way it reads it.
      std::optional<FoundRow> row = rules_.listFile(filePath_, *mask);
      if (!row) continue;
      tally_.add(std::move(*row));
      tally_.status(path_);
    }
    stack_.push_back({folder, tree_.begin(folder), path_.size(), shortPath_.size()});
    return true;
  }

  const NtfsTable& table_;
  const TableTree& tree_;
  JunkRules& rules_;
  FoundTally& tally_;
  std::vector<Frame> stack_;
  std::wstring path_;
  std::wstring shortPath_;
  std::wstring filePath_;
  bool stopped_ = false;
};

}  // namespace

TableScan ScanDriveFromTable(std::wstring_view drive, JunkRules& rules, FoundTally& tally) {
  if (!IsLocalNtfs(drive) || !rules.rootIsItself()) return TableScan::Unavailable;
  std::unique_ptr<File> volume = Vol().openVolume(drive[0]);
  if (!volume) return TableScan::Unavailable;
  // The walk's first line, while the table is read.
  tally.status(std::wstring(drive) + L'\\');
  NtfsTable table;
  const NtfsReadResult read = ReadNtfsTable(*volume, table, [&] { return tally.proceed(); });
  volume.reset();
  if (read.fault == NtfsFault::Stopped) return TableScan::Stopped;
  if (!read.ok()) return TableScan::Unavailable;
  TableTree tree(table);
  if (!tree.build()) return TableScan::Unavailable;
  TableWalk walk(table, tree, rules, tally);
  return walk.run(drive) ? TableScan::Listed : TableScan::Stopped;
}

}  // namespace wv
