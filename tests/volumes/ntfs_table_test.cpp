// The file-table reader on the NTFS test volume, and on mutated copies of it.

#include <gtest/gtest.h>

#include <random>
#include <set>

#include "volumes/volume_fixtures.h"

namespace wv::test {
namespace {

using NtfsTableTest = NtfsVolumeTest;

std::vector<std::wstring> NamesOf(const NtfsTable& t, std::uint32_t record, bool dosOnly = false) {
  std::vector<std::wstring> out;
  for (const NtfsName& n : t.names)
    if (n.record == record && (n.space == kDosName) == dosOnly) out.emplace_back(t.nameOf(n));
  std::sort(out.begin(), out.end());
  return out;
}

TEST_F(NtfsTableTest, TheWholeTableIsReadThroughItsFragments) {
  NtfsReadResult result;
  const NtfsTable t = ReadTable(kVolume, &result);
  ASSERT_TRUE(result.ok()) << static_cast<int>(result.fault) << " at " << result.record;
  // The volume's table grew into holes between other files' clusters.
  EXPECT_GT(t.stats.tableFragments, 2u);
  EXPECT_EQ(t.stats.recordsRead, t.files.size());
  EXPECT_GE(t.stats.recordsRead, 2700u);  // the 2,525 files of "many files" and the rest
  EXPECT_EQ(t.upcase.size(), 65536u);
  EXPECT_EQ(t.upcase[L'a'], L'A');
  EXPECT_EQ(t.upcase[L'é'], L'É');
  EXPECT_EQ(t.bytesPerRecord, 1024u);
  ASSERT_TRUE(RecordAt(t, L"many files\\file number 2500.txt"));
  EXPECT_TRUE(RecordAt(t, L"many files\\~junk 25.tmp"));
}

TEST_F(NtfsTableTest, NamesSizesAndAttributesAreTheFilesOwn) {
  const NtfsTable t = ReadTable(kVolume);
  struct Case {
    const wchar_t* path;
    std::uint64_t size;
    DWORD attributes;  // the bits that must be set
    DWORD absent;      // and those that must not
  };
  const Case cases[] = {
      {L"Documents and Settings of a Long Folder Name\\report final version.tmp", 5, 0, FILE_ATTRIBUTE_DIRECTORY},
      {L"Documents and Settings of a Long Folder Name\\big archive copy.bak", 100000, 0, 0},  // not resident
      {L"Documents and Settings of a Long Folder Name\\~large temporary", 70000, 0, 0},
      {L"中文资料\\临时文件.tmp", 6, 0, 0},  // six bytes of UTF-8
      {L"attributes\\hidden.tmp", 1, FILE_ATTRIBUTE_HIDDEN, FILE_ATTRIBUTE_SYSTEM},
      {L"attributes\\system.tmp", 13, FILE_ATTRIBUTE_SYSTEM, FILE_ATTRIBUTE_HIDDEN},
      {L"attributes\\read only.tmp", 1, FILE_ATTRIBUTE_READONLY, 0},
      {L"attributes\\system folder", 0, FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_DIRECTORY, 0},
      {L"junction", 0, FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY, 0},
      {L"deep\\level 01\\level 02", 0, FILE_ATTRIBUTE_DIRECTORY, FILE_ATTRIBUTE_REPARSE_POINT},
  };
  for (const Case& c : cases) {
    const std::optional<std::uint32_t> record = RecordAt(t, c.path);
    ASSERT_TRUE(record) << c.path;
    const NtfsFile& f = t.files[*record];
    EXPECT_EQ(f.size, c.size) << c.path;
    EXPECT_EQ(f.attributes & c.attributes, c.attributes) << c.path;
    EXPECT_EQ(f.attributes & c.absent, 0u) << c.path;
    EXPECT_EQ(f.directory, (c.attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) << c.path;
  }
  std::wstring deep = L"deep";
  for (int level = 1; level <= 60; ++level) deep += (level < 10 ? L"\\level 0" : L"\\level ") + std::to_wstring(level);
  EXPECT_TRUE(RecordAt(t, deep + L"\\at the bottom.tmp"));
}

TEST_F(NtfsTableTest, HardLinksShortNamesAndDeletedRecords) {
  const NtfsTable t = ReadTable(kVolume);
  // Two names in two folders, one record.
  const std::optional<std::uint32_t> original = RecordAt(t, L"links\\original name.tmp");
  ASSERT_TRUE(original);
  EXPECT_EQ(RecordAt(t, L"links elsewhere\\second name.tmp"), original);
  EXPECT_EQ(NamesOf(t, *original), (std::vector<std::wstring>{L"original name.tmp", L"second name.tmp"}));

  // 150 names: more than one record holds; the rest sit in extension records
  // that the base record's attribute list names.
  const std::optional<std::uint32_t> many = RecordAt(t, L"many names\\the file with many names, name 000.tmp");
  ASSERT_TRUE(many);
  EXPECT_EQ(NamesOf(t, *many).size(), 150u);
  EXPECT_EQ(RecordAt(t, L"many names\\the file with many names, name 149.tmp"), many);
  EXPECT_GE(t.stats.attributeLists, 1u);
  EXPECT_GE(t.stats.extensionRecords, 3u);
  EXPECT_EQ(t.files[*many].size, 4u);

  // The 8.3 form is a name of its own, apart from the long one.
  const std::optional<std::uint32_t> longName = RecordAt(t, L"short names\\Long file name here.tmp");
  ASSERT_TRUE(longName);
  EXPECT_EQ(NamesOf(t, *longName, true), std::vector<std::wstring>{L"LONGFI~1.TMP"});
  const std::optional<std::uint32_t> folder = RecordAt(t, L"short names\\Folder with a short name");
  ASSERT_TRUE(folder);
  EXPECT_EQ(NamesOf(t, *folder, true), std::vector<std::wstring>{L"FOLDER~1"});

  // A deleted file's record is still in the table (the script checks the image),
  // marked free: no name of it is listed.
  for (const NtfsName& n : t.names)
    if (t.nameOf(n) == L"gone but still in the table.tmp") ADD_FAILURE() << "a free record was read as a file";
  EXPECT_TRUE(RecordAt(t, L"deleted"));
}

// A folder's names in the volume's order are what a search of the folder lists.
TEST_F(NtfsTableTest, NameOrderIsTheOrderASearchLists) {
  const NtfsTable t = ReadTable(kVolume);
  for (const wchar_t* folder : {L"order", L"", L"many names", L"many files", L"中文资料", L"attributes"}) {
    const std::optional<std::uint32_t> record = RecordAt(t, folder);
    ASSERT_TRUE(record) << folder;
    std::vector<std::wstring> fromTable;
    for (const NtfsName& n : t.names)
      if (n.parent == *record && n.space != kDosName && n.record >= kFirstUserRecord && t.files[n.record].inUse)
        fromTable.emplace_back(t.nameOf(n));
    std::sort(fromTable.begin(), fromTable.end(),
              [&](const std::wstring& a, const std::wstring& b) { return NtfsNameBefore(t.upcase, a, b); });
    std::vector<std::wstring> searched;
    std::unique_ptr<DirSearch> search = Fs().search(std::wstring(L"X:\\") + folder + (*folder ? L"\\*" : L"*"));
    ASSERT_TRUE(search) << folder;
    FindEntry e;
    while (search->next(e))
      if (!e.isDots()) searched.push_back(e.name);
    EXPECT_EQ(fromTable, searched) << folder;
  }
}

// ---------------------------------------------------------------- mutated images

// Where the fields a mutation aims at lie in the image.
struct Layout {
  std::size_t tableOffset = 0;  // record 0
  std::size_t recordBytes = 1024;
  std::size_t tableRuns = 0;    // the mapping pairs of the table's own data
};

std::vector<std::uint8_t> ImageOf(wchar_t letter) {
  std::unique_ptr<File> volume = Vol().openVolume(letter);
  std::vector<std::uint8_t> bytes;
  if (!volume) return bytes;
  std::vector<std::uint8_t> block(1 << 20);
  while (true) {
    const std::optional<std::size_t> got = volume->read(block.data(), block.size());
    if (!got || *got == 0) break;
    bytes.insert(bytes.end(), block.begin(), block.begin() + static_cast<std::ptrdiff_t>(*got));
  }
  return bytes;
}

Layout LayoutOf(const std::vector<std::uint8_t>& image) {
  Layout l;
  const std::size_t cluster = static_cast<std::size_t>(image[0x0B] | (image[0x0C] << 8)) * image[0x0D];
  std::uint64_t lcn = 0;
  std::memcpy(&lcn, image.data() + 0x30, 8);
  l.tableOffset = static_cast<std::size_t>(lcn * cluster);
  const std::uint8_t* r = image.data() + l.tableOffset;
  std::size_t at = r[0x14] | (r[0x15] << 8);
  while (at + 8 < l.recordBytes) {
    std::uint32_t type = 0, length = 0;
    std::memcpy(&type, r + at, 4);
    std::memcpy(&length, r + at + 4, 4);
    if (type == 0xFFFFFFFF || length == 0) break;
    if (type == 0x80) l.tableRuns = l.tableOffset + at + (r[at + 0x20] | (r[at + 0x21] << 8));
    at += length;
  }
  return l;
}

TEST_F(NtfsTableTest, MutatedImagesYieldFaultsNeverCrashesOrHangs) {
  const std::vector<std::uint8_t> original = ImageOf(kVolume);
  ASSERT_GT(original.size(), 16u << 20);
  {
    MemoryVolume intact(original);
    NtfsTable t;
    ASSERT_TRUE(ReadNtfsTable(intact, t).ok()) << "the unmutated image must read";
  }
  const Layout layout = LayoutOf(original);
  ASSERT_NE(layout.tableRuns, 0u);

  // Each round damages one place the reader trusts, in one of several ways, and
  // reads the whole table again: it must end, with a fault or a table, either way.
  std::mt19937 random(20261207);
  std::vector<std::uint8_t> image = original;
  std::set<NtfsFault> seen;
  const int kRounds = 1500;
  for (int round = 0; round < kRounds; ++round) {
    std::vector<std::size_t> touched;
    auto at = [&](std::size_t offset) -> std::uint8_t& {
      touched.push_back(offset);
      return image[offset];
    };
    const std::size_t record = layout.tableOffset + layout.recordBytes * (random() % 64);
    const std::size_t attribute = record + 0x38 + (random() % 0x100);
    std::size_t target = 0;
    switch (round % 6) {
      case 0: target = random() % 0x60; break;                    // boot sector: layout fields
      case 1: target = record + random() % 0x30; break;            // record header: offsets, flags, base
      case 2: target = attribute & ~std::size_t{7}; target += 4 + random() % 4; break;  // an attribute length
      case 3: target = layout.tableRuns + random() % 24; break;    // the table's own data runs
      case 4: target = record + 0x1FE + (random() % 2) * 0x200; break;  // fixup positions
      default: target = attribute; break;                           // anything in an attribute
    }
    const int how = static_cast<int>(random() % 4);
    const int width = 1 + static_cast<int>(random() % 4);
    for (int i = 0; i < width; ++i) {
      std::uint8_t& byte = at(target + static_cast<std::size_t>(i));
      switch (how) {
        case 0: byte = static_cast<std::uint8_t>(random()); break;
        case 1: byte = 0xFF; break;
        case 2: byte = 0; break;
        default: byte ^= static_cast<std::uint8_t>(1u << (random() % 8)); break;
      }
    }
    MemoryVolume volume(image);
    NtfsTable t;
    const NtfsReadResult r = ReadNtfsTable(volume, t);
    seen.insert(r.fault);
    if (r.ok()) {  // a change that left the table whole: what it says must still be in bounds
      for (const NtfsName& n : t.names) ASSERT_LE(std::size_t{n.offset} + n.length, t.text.size());
      ASSERT_EQ(t.upcase.size(), 65536u);
    }
    for (std::size_t offset : touched) image[offset] = original[offset];
  }
  // The rounds reached the checks of every part of the reader.
  for (NtfsFault f : {NtfsFault::BootSector, NtfsFault::TableRecord, NtfsFault::Record, NtfsFault::Attribute})
    EXPECT_TRUE(seen.count(f)) << "no round ended in fault " << static_cast<int>(f);
  EXPECT_TRUE(seen.count(NtfsFault::None));
}

}  // namespace
}  // namespace wv::test
