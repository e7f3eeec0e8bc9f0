#include "engines/cleaning/ntfs_table.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>

namespace wv {
namespace {

// The layout NTFS writes, as the format's documentation gives it.
constexpr std::size_t kFixupStride = 512;  // every 512 bytes of a record end in its update number
constexpr std::uint32_t kAttrStandardInformation = 0x10;
constexpr std::uint32_t kAttrAttributeList = 0x20;
constexpr std::uint32_t kAttrFileName = 0x30;
constexpr std::uint32_t kAttrData = 0x80;
constexpr std::uint32_t kAttrEnd = 0xFFFFFFFF;
constexpr std::uint16_t kRecordInUse = 0x1;
constexpr std::uint16_t kRecordIsDirectory = 0x2;
constexpr std::uint32_t kUpcaseRecord = 10;
constexpr std::size_t kUpcaseEntries = 65536;
constexpr std::uint64_t kRecordMask = 0x0000FFFFFFFFFFFFull;
// Records handed to the table at a time: 4 MiB of 1 KiB records.
constexpr std::size_t kBlockBytes = 4u << 20;
// Record numbers are kept in 32 bits: four billion files is more than any volume holds.
constexpr std::uint64_t kMaxRecords = 0xFFFFFFF0ull;

std::uint16_t U16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | (p[1] << 8)); }
std::uint32_t U32(const std::uint8_t* p) { return U16(p) | (static_cast<std::uint32_t>(U16(p + 2)) << 16); }
std::uint64_t U64(const std::uint8_t* p) { return U32(p) | (static_cast<std::uint64_t>(U32(p + 4)) << 32); }

bool IsPowerOfTwo(std::uint64_t v) { return v != 0 && (v & (v - 1)) == 0; }

// A buffer aligned for reads from a volume opened without the system's cache.
struct AlignedDelete {
  void operator()(std::uint8_t* p) const { ::operator delete[](p, std::align_val_t(4096)); }
};
using AlignedBuffer = std::unique_ptr<std::uint8_t[], AlignedDelete>;
AlignedBuffer NewBuffer(std::size_t size) {
  return AlignedBuffer(static_cast<std::uint8_t*>(::operator new[](size, std::align_val_t(4096))));
}

// One data run: clusters [vcn, vcn + length) of a stream lie at lcn on the volume.
struct Run {
  std::uint64_t vcn = 0;
  std::uint64_t lcn = 0;
  std::uint64_t length = 0;
  bool sparse = false;
};

// The attribute at an offset of a record, with its bounds checked against the record.
struct Attribute {
  std::uint32_t type = 0;
  const std::uint8_t* base = nullptr;  // its header
  std::uint32_t length = 0;
  bool nonResident = false;
  std::uint8_t nameLength = 0;
  // Resident: the value.
  const std::uint8_t* value = nullptr;
  std::uint32_t valueLength = 0;
  // Non-resident: the extent's clusters and the stream's sizes (valid when lowestVcn is 0).
  std::uint64_t lowestVcn = 0;
  std::uint64_t highestVcn = 0;
  std::uint64_t dataSize = 0;
  std::uint64_t initializedSize = 0;
  const std::uint8_t* runs = nullptr;
  std::uint32_t runsLength = 0;
};

class Reader {
 public:
  Reader(File& volume, NtfsTable& table, const std::function<bool()>& proceed)
      : volume_(volume), table_(table), proceed_(proceed) {}

  NtfsReadResult run() {
    table_ = NtfsTable{};
    if (!readBootSector()) return result_;
    if (!readTableRecord()) return result_;
    if (!readRecords()) return result_;
    if (!foldExtensions()) return result_;
    if (!readUpcase()) return result_;
    return result_;
  }

 private:
  bool fail(NtfsFault fault, std::uint64_t where) {
    if (result_.fault == NtfsFault::None) result_ = {fault, where};
    return false;
  }

  // Reads whole sectors at a byte offset of the volume.
  bool readAt(std::uint64_t offset, std::uint8_t* buffer, std::size_t size) {
    if (!volume_.seek(offset)) return false;
    std::size_t done = 0;
    while (done < size) {
      const std::optional<std::size_t> got = volume_.read(buffer + done, size - done);
      if (!got || *got == 0) return false;
      done += *got;
    }
    table_.stats.bytesRead += size;
    return true;
  }

  bool readBootSector() {
    // 4 KiB covers a boot sector of 512-byte and of 4 KiB sectors alike.
    AlignedBuffer boot = NewBuffer(4096);
    if (!readAt(0, boot.get(), 4096)) return fail(NtfsFault::ReadFailed, 0);
    const std::uint8_t* b = boot.get();
    if (std::memcmp(b + 3, "NTFS    ", 8) != 0) return fail(NtfsFault::BootSector, 3);
    if (b[510] != 0x55 || b[511] != 0xAA) return fail(NtfsFault::BootSector, 510);
    sectorBytes_ = U16(b + 0x0B);
    if (!IsPowerOfTwo(sectorBytes_) || sectorBytes_ < 256 || sectorBytes_ > 4096)
      return fail(NtfsFault::BootSector, 0x0B);
    // Sectors per cluster; above 0x80 a negative power of two (clusters past 64 KiB).
    const std::uint8_t spc = b[0x0D];
    std::uint64_t sectorsPerCluster = spc;
    if (spc > 0x80) {
      const unsigned shift = 256u - spc;
      if (shift > 12) return fail(NtfsFault::BootSector, 0x0D);
      sectorsPerCluster = 1ull << shift;
    }
    if (!IsPowerOfTwo(sectorsPerCluster)) return fail(NtfsFault::BootSector, 0x0D);
    clusterBytes_ = sectorsPerCluster * sectorBytes_;
    if (clusterBytes_ > (2u << 20)) return fail(NtfsFault::BootSector, 0x0D);
    const std::uint64_t sectors = U64(b + 0x28);
    if (sectors == 0 || sectors > (1ull << 48)) return fail(NtfsFault::BootSector, 0x28);
    totalClusters_ = sectors / sectorsPerCluster;
    tableLcn_ = U64(b + 0x30);
    if (tableLcn_ == 0 || tableLcn_ >= totalClusters_) return fail(NtfsFault::BootSector, 0x30);
    // Bytes per record: clusters per record, or a negative power of two.
    const auto perRecord = static_cast<std::int8_t>(b[0x40]);
    std::uint64_t recordBytes = 0;
    if (perRecord < 0) {
      if (perRecord < -31) return fail(NtfsFault::BootSector, 0x40);
      recordBytes = 1ull << -perRecord;
    } else {
      recordBytes = static_cast<std::uint64_t>(perRecord) * clusterBytes_;
    }
    if (!IsPowerOfTwo(recordBytes) || recordBytes < 1024 || recordBytes > 65536)
      return fail(NtfsFault::BootSector, 0x40);
    recordBytes_ = static_cast<std::uint32_t>(recordBytes);
    table_.serial = U64(b + 0x48);
    table_.bytesPerRecord = recordBytes_;
    table_.bytesPerCluster = clusterBytes_;
    return true;
  }

  // Applies the update-sequence fixups in place: the last two bytes of every
  // 512 must be the record's update number and get their saved value back.
  bool fixup(std::uint8_t* record, std::uint32_t size) {
    const std::uint16_t usaOffset = U16(record + 0x04);
    const std::uint16_t usaCount = U16(record + 0x06);
    if (usaCount != size / kFixupStride + 1) return false;
    if (usaOffset < 0x28 || (usaOffset & 1) || std::size_t{usaOffset} + std::size_t{usaCount} * 2 > kFixupStride - 2)
      return false;
    const std::uint8_t* usa = record + usaOffset;
    for (std::size_t i = 1; i < usaCount; ++i) {
      std::uint8_t* end = record + i * kFixupStride - 2;
      if (end[0] != usa[0] || end[1] != usa[1]) return false;
      end[0] = usa[i * 2];
      end[1] = usa[i * 2 + 1];
    }
    return true;
  }

  // The attribute at offset within the record's used bytes; false when it does not fit.
  static bool attributeAt(const std::uint8_t* record, std::uint32_t used, std::uint32_t offset, Attribute& a) {
    if (offset > used || used - offset < 8) return false;
    const std::uint8_t* p = record + offset;
    a = Attribute{};
    a.type = U32(p);
    if (a.type == kAttrEnd) return true;
    a.base = p;
    a.length = U32(p + 4);
    if (a.length < 0x18 || (a.length & 7) || a.length > used - offset) return false;
    a.nonResident = p[8] != 0;
    a.nameLength = p[9];
    const std::uint16_t nameOffset = U16(p + 0x0A);
    if (a.nameLength > 0 && std::uint32_t{nameOffset} + std::uint32_t{a.nameLength} * 2 > a.length) return false;
    if (!a.nonResident) {
      a.valueLength = U32(p + 0x10);
      const std::uint16_t valueOffset = U16(p + 0x14);
      if (valueOffset > a.length || a.valueLength > a.length - valueOffset) return false;
      a.value = p + valueOffset;
      return true;
    }
    if (a.length < 0x40) return false;
    a.lowestVcn = U64(p + 0x10);
    a.highestVcn = U64(p + 0x18);
    const std::uint16_t runsOffset = U16(p + 0x20);
    a.dataSize = U64(p + 0x30);
    a.initializedSize = U64(p + 0x38);
    if (runsOffset < 0x40 || runsOffset >= a.length) return false;
    // An empty stream has no clusters: its last cluster is -1.
    const bool empty = a.highestVcn == ~std::uint64_t{0};
    if (empty ? a.lowestVcn != 0 : (a.highestVcn < a.lowestVcn || a.highestVcn >= (1ull << 48))) return false;
    if (a.dataSize >> 62) return false;
    if (a.initializedSize > a.dataSize) return false;
    a.runs = p + runsOffset;
    a.runsLength = a.length - runsOffset;
    return true;
  }

  // Decodes an extent's mapping pairs into runs that lie on the volume and cover
  // exactly its clusters [lowestVcn, highestVcn].
  bool decodeRuns(const Attribute& a, std::vector<Run>& out) const {
    std::uint64_t vcn = a.lowestVcn;
    std::int64_t lcn = 0;
    std::uint32_t i = 0;
    while (i < a.runsLength && a.runs[i] != 0) {
      const unsigned lengthBytes = a.runs[i] & 0x0F;
      const unsigned offsetBytes = a.runs[i] >> 4;
      if (lengthBytes == 0 || lengthBytes > 8 || offsetBytes > 8) return false;
      if (a.runsLength - i - 1 < lengthBytes + offsetBytes) return false;
      const std::uint8_t* p = a.runs + i + 1;
      std::uint64_t length = 0;
      for (unsigned k = 0; k < lengthBytes; ++k) length |= std::uint64_t{p[k]} << (8 * k);
      Run run;
      run.vcn = vcn;
      run.length = length;
      if (length == 0 || length > totalClusters_) return false;
      if (offsetBytes == 0) {
        run.sparse = true;
      } else {
        std::uint64_t delta = 0;
        for (unsigned k = 0; k < offsetBytes; ++k) delta |= std::uint64_t{p[lengthBytes + k]} << (8 * k);
        if (offsetBytes < 8 && (p[lengthBytes + offsetBytes - 1] & 0x80))
          delta |= ~std::uint64_t{0} << (8 * offsetBytes);  // negative: the run lies before the last one
        const std::int64_t d = static_cast<std::int64_t>(delta);
        if ((d > 0 && lcn > INT64_MAX - d) || (d < 0 && lcn < INT64_MIN - d)) return false;
        lcn += d;
        if (lcn < 0 || static_cast<std::uint64_t>(lcn) > totalClusters_ ||
            length > totalClusters_ - static_cast<std::uint64_t>(lcn))
          return false;
        run.lcn = static_cast<std::uint64_t>(lcn);
      }
      out.push_back(run);
      vcn += length;
      if (vcn > a.highestVcn + 1) return false;
      i += 1 + lengthBytes + offsetBytes;
    }
    return vcn == a.highestVcn + 1;
  }

  // Reads bytes [offset, offset + size) of a stream laid out in runs; both whole clusters.
  bool readStream(const std::vector<Run>& runs, std::uint64_t offset, std::uint8_t* buffer, std::size_t size) {
    std::uint64_t vcn = offset / clusterBytes_;
    std::uint64_t clusters = size / clusterBytes_;
    auto run = std::upper_bound(runs.begin(), runs.end(), vcn, [](std::uint64_t v, const Run& r) { return v < r.vcn; });
    if (run == runs.begin()) return false;
    --run;
    while (clusters > 0) {
      if (run == runs.end() || vcn < run->vcn || vcn - run->vcn >= run->length || run->sparse) return false;
      const std::uint64_t within = vcn - run->vcn;
      const std::uint64_t take = std::min(clusters, run->length - within);
      if (!readAt((run->lcn + within) * clusterBytes_, buffer, static_cast<std::size_t>(take * clusterBytes_)))
        return false;
      buffer += take * clusterBytes_;
      vcn += take;
      clusters -= take;
      ++run;
    }
    return true;
  }

  // Record 0 describes the table itself: where its clusters lie and how long it is.
  bool readTableRecord() {
    const std::size_t size = static_cast<std::size_t>(std::max<std::uint64_t>(recordBytes_, clusterBytes_));
    AlignedBuffer buffer = NewBuffer(size);
    if (!readAt(tableLcn_ * clusterBytes_, buffer.get(), size)) return fail(NtfsFault::ReadFailed, 0);
    std::uint8_t* record = buffer.get();
    if (std::memcmp(record, "FILE", 4) != 0 || !(U16(record + 0x16) & kRecordInUse) || !fixup(record, recordBytes_))
      return fail(NtfsFault::TableRecord, 0);
    const std::uint32_t used = U32(record + 0x18);
    std::uint32_t offset = U16(record + 0x14);
    if (used > recordBytes_ || used < 0x38) return fail(NtfsFault::TableRecord, 0);
    bool found = false;
    for (int guard = 0; guard < 256; ++guard) {
      Attribute a;
      if (!attributeAt(record, used, offset, a)) return fail(NtfsFault::TableRecord, 0);
      if (a.type == kAttrEnd) break;
      // A table so fragmented that its runs continue in other records: walk instead.
      if (a.type == kAttrAttributeList) return fail(NtfsFault::TableRecord, 0);
      if (a.type == kAttrData && a.nameLength == 0) {
        if (!a.nonResident || a.lowestVcn != 0 || found) return fail(NtfsFault::TableRecord, 0);
        if (!decodeRuns(a, tableRuns_)) return fail(NtfsFault::TableRecord, 0);
        found = true;
        tableBytes_ = std::min(a.dataSize, a.initializedSize);
        if ((tableBytes_ + clusterBytes_ - 1) / clusterBytes_ > a.highestVcn + 1) return fail(NtfsFault::TableRecord, 0);
      }
      offset += a.length;
    }
    if (!found || tableBytes_ < std::uint64_t{kFirstUserRecord} * recordBytes_) return fail(NtfsFault::TableRecord, 0);
    for (const Run& r : tableRuns_)
      if (r.sparse) return fail(NtfsFault::TableRecord, 0);
    // The table must start where the boot sector says it does.
    if (tableRuns_.front().lcn != tableLcn_) return fail(NtfsFault::TableRecord, 0);
    if (tableBytes_ / recordBytes_ > kMaxRecords) return fail(NtfsFault::TooLarge, 0);
    table_.stats.tableFragments = tableRuns_.size();
    return true;
  }

  bool readRecords() {
    const std::uint64_t records = tableBytes_ / recordBytes_;
    const std::uint64_t unit = std::max<std::uint64_t>(recordBytes_, clusterBytes_);
    const std::size_t block = static_cast<std::size_t>(std::max<std::uint64_t>(unit, kBlockBytes / unit * unit));
    AlignedBuffer buffer = NewBuffer(block);
    table_.files.reserve(static_cast<std::size_t>(std::min<std::uint64_t>(records, 1u << 20)));
    std::uint64_t number = 0;
    for (std::uint64_t offset = 0; number < records; offset += block) {
      if (proceed_ && !proceed_()) return fail(NtfsFault::Stopped, number);
      const std::uint64_t left = records * recordBytes_ - offset;
      const std::size_t size =
          static_cast<std::size_t>(std::min<std::uint64_t>(block, (left + clusterBytes_ - 1) / clusterBytes_ * clusterBytes_));
      if (!readStream(tableRuns_, offset, buffer.get(), size)) return fail(NtfsFault::ReadFailed, number);
      for (std::size_t at = 0; at + recordBytes_ <= size && number < records; at += recordBytes_, ++number) {
        table_.files.emplace_back();
        if (!readRecord(buffer.get() + at, static_cast<std::uint32_t>(number))) return false;
      }
    }
    table_.stats.recordsRead = number;
    return true;
  }

  // One record of the table. Records not in use are passed over whatever they hold.
  bool readRecord(std::uint8_t* record, std::uint32_t number) {
    if (std::memcmp(record, "FILE", 4) != 0) {
      // Never used (zeros), or marked bad by a disk check: neither lists a file.
      return true;
    }
    const std::uint16_t flags = U16(record + 0x16);
    if (!(flags & kRecordInUse)) return true;
    if (!fixup(record, recordBytes_)) return fail(NtfsFault::Record, number);
    const std::uint32_t used = U32(record + 0x18);
    const std::uint16_t first = U16(record + 0x14);
    if (used > recordBytes_ || used < 0x30 || first < 0x2A || first >= used || (first & 7))
      return fail(NtfsFault::Record, number);
    // Records of NTFS 3.1 name their own number: one that names another is out of place.
    if (U16(record + 0x04) >= 0x30 && U32(record + 0x2C) != number) return fail(NtfsFault::Record, number);
    const std::uint64_t baseRef = U64(record + 0x20);
    const std::uint16_t sequence = U16(record + 0x10);
    const bool extension = (baseRef & kRecordMask) != 0;
    std::uint32_t owner = number;
    if (extension) {
      const std::uint64_t base = baseRef & kRecordMask;
      if (base >= kMaxRecords || base == number) return fail(NtfsFault::Structure, number);
      owner = static_cast<std::uint32_t>(base);
      claims_.push_back({owner, static_cast<std::uint16_t>(baseRef >> 48), number});
      ++table_.stats.extensionRecords;
    } else {
      NtfsFile& file = table_.files[number];
      file.inUse = true;
      file.sequence = sequence;
      file.directory = (flags & kRecordIsDirectory) != 0;
    }

    bool standardInfo = false;
    std::uint32_t offset = first;
    // Each attribute takes at least 24 bytes: a record holds fewer than size / 24.
    for (std::uint32_t count = 0;; ++count) {
      if (count > recordBytes_ / 0x18) return fail(NtfsFault::Record, number);
      Attribute a;
      if (!attributeAt(record, used, offset, a)) return fail(NtfsFault::Attribute, number);
      if (a.type == kAttrEnd) break;
      offset += a.length;
      switch (a.type) {
        case kAttrStandardInformation:
          if (extension || a.nonResident || a.valueLength < 0x24 || standardInfo)
            return fail(NtfsFault::Attribute, number);
          standardInfo = true;
          table_.files[number].lastWrite = {U32(a.value + 0x08), U32(a.value + 0x0C)};
          table_.files[number].attributes = U32(a.value + 0x20);
          break;
        case kAttrAttributeList:
          if (extension) return fail(NtfsFault::Attribute, number);
          ++table_.stats.attributeLists;
          break;
        case kAttrFileName:
          if (!readName(a, owner)) return fail(NtfsFault::Attribute, number);
          break;
        case kAttrData:
          if (a.nameLength == 0 && !readData(a, owner)) return fail(NtfsFault::Attribute, number);
          break;
        default:
          break;
      }
    }
    if (!extension && !standardInfo) return fail(NtfsFault::Record, number);
    return true;
  }

  bool readName(const Attribute& a, std::uint32_t owner) {
    if (a.nonResident || a.valueLength < 0x42) return false;
    const std::uint8_t* v = a.value;
    const std::uint8_t length = v[0x40];
    const std::uint8_t space = v[0x41];
    if (length == 0 || space > kWin32AndDosName || 0x42u + length * 2u > a.valueLength) return false;
    const std::uint64_t parent = U64(v) & kRecordMask;
    if (parent >= kMaxRecords) return false;
    NtfsName name;
    name.record = owner;
    name.parent = static_cast<std::uint32_t>(parent);
    name.parentSequence = static_cast<std::uint16_t>(U64(v) >> 48);
    name.length = length;
    name.space = space;
    if (table_.text.size() > 0xFFFFFFFFu - 256) return false;
    name.offset = static_cast<std::uint32_t>(table_.text.size());
    for (std::uint8_t i = 0; i < length; ++i) table_.text.push_back(static_cast<wchar_t>(U16(v + 0x42 + i * 2)));
    table_.names.push_back(name);
    return true;
  }

  // The unnamed data stream gives the size; only its first extent holds it.
  bool readData(const Attribute& a, std::uint32_t owner) {
    std::uint64_t size = 0;
    if (!a.nonResident) {
      size = a.valueLength;
    } else if (a.lowestVcn == 0) {
      size = a.dataSize;
    } else {
      return true;
    }
    sizes_.push_back({owner, size});
    if (owner == kUpcaseRecord) {
      if (!a.nonResident) return true;  // checked in readUpcase
      upcaseRuns_.clear();
      upcaseRunsValid_ = decodeRuns(a, upcaseRuns_);
      upcaseClusters_ = a.highestVcn + 1;
    }
    return true;
  }

  // Attributes found in extension records belong to their base record, which
  // must be in use with the sequence number the extension names.
  bool foldExtensions() {
    const auto records = static_cast<std::uint32_t>(table_.files.size());
    for (const Claim& c : claims_) {
      if (c.base >= records) return fail(NtfsFault::Structure, c.extension);
      const NtfsFile& base = table_.files[c.base];
      if (!base.inUse || base.sequence != c.sequence) return fail(NtfsFault::Structure, c.extension);
    }
    std::vector<bool> sized(records, false);
    for (const Size& s : sizes_) {
      if (s.record >= records) return fail(NtfsFault::Structure, s.record);
      if (sized[s.record]) return fail(NtfsFault::Structure, s.record);  // two unnamed streams
      sized[s.record] = true;
      table_.files[s.record].size = s.size;
    }
    for (NtfsFile& f : table_.files) {
      if (!f.inUse) continue;
      if (f.directory) {
        f.attributes |= FILE_ATTRIBUTE_DIRECTORY;
        f.size = 0;
      } else {
        f.attributes &= ~static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY);
      }
    }
    if (table_.files.size() <= kRootRecord || !table_.files[kRootRecord].inUse ||
        !table_.files[kRootRecord].directory)
      return fail(NtfsFault::Structure, kRootRecord);
    return true;
  }

  bool readUpcase() {
    if (table_.files.size() <= kUpcaseRecord || !table_.files[kUpcaseRecord].inUse || !upcaseRunsValid_ ||
        table_.files[kUpcaseRecord].size != kUpcaseEntries * 2)
      return fail(NtfsFault::UpcaseTable, kUpcaseRecord);
    const std::uint64_t clusters = (kUpcaseEntries * 2 + clusterBytes_ - 1) / clusterBytes_;
    if (clusters > upcaseClusters_) return fail(NtfsFault::UpcaseTable, kUpcaseRecord);
    const std::uint64_t bytes = clusters * clusterBytes_;
    AlignedBuffer buffer = NewBuffer(static_cast<std::size_t>(bytes));
    if (!readStream(upcaseRuns_, 0, buffer.get(), static_cast<std::size_t>(bytes)))
      return fail(NtfsFault::UpcaseTable, kUpcaseRecord);
    table_.upcase.resize(kUpcaseEntries);
    for (std::size_t i = 0; i < kUpcaseEntries; ++i) table_.upcase[i] = U16(buffer.get() + i * 2);
    return true;
  }

  struct Claim {
    std::uint32_t base;
    std::uint16_t sequence;
    std::uint32_t extension;
  };
  struct Size {
    std::uint32_t record;
    std::uint64_t size;
  };

  File& volume_;
  NtfsTable& table_;
  const std::function<bool()>& proceed_;
  NtfsReadResult result_;
  std::uint64_t sectorBytes_ = 0;
  std::uint64_t clusterBytes_ = 0;
  std::uint64_t totalClusters_ = 0;
  std::uint64_t tableLcn_ = 0;
  std::uint32_t recordBytes_ = 0;
  std::uint64_t tableBytes_ = 0;
  std::vector<Run> tableRuns_;
  std::vector<Run> upcaseRuns_;
  bool upcaseRunsValid_ = false;
  std::uint64_t upcaseClusters_ = 0;
  std::vector<Claim> claims_;
  std::vector<Size> sizes_;
};

}  // namespace

NtfsReadResult ReadNtfsTable(File& volume, NtfsTable& table, const std::function<bool()>& proceed) {
  try {
    return Reader(volume, table, proceed).run();
  } catch (const std::bad_alloc&) {
    // A table claiming more than memory holds: the walk needs none of it.
    table = NtfsTable{};
    return {NtfsFault::TooLarge, 0};
  }
}

bool NtfsNameBefore(const std::vector<std::uint16_t>& upcase, std::wstring_view a, std::wstring_view b) {
  const std::size_t n = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < n; ++i) {
    const std::uint16_t x = upcase[static_cast<std::uint16_t>(a[i])];
    const std::uint16_t y = upcase[static_cast<std::uint16_t>(b[i])];
    if (x != y) return x < y;
  }
  if (a.size() != b.size()) return a.size() < b.size();
  return a < b;
}

}  // namespace wv
