// Seeded mutations of what the program itself writes and anyone can edit: the
// record file of a backup folder and the registry-value notation its startup
// entries and the undo files carry. No input may crash or hang the readers,
// lead them outside their folder, or change the file while it is only read.
#include <gtest/gtest.h>

#include "engines/registry/backup_records.h"
#include "engines/registry/registry_fixtures.h"
#include "engines/registry/registry_undo.h"
#include "support/fuzz.h"

namespace wv::test {
namespace {

TEST(RecordFuzz, TheNotationParsesOnlyWhatItWritesBackTheSame) {
  const unsigned seed = FuzzSeed();
  SCOPED_TRACE("seed " + std::to_string(seed));
  std::mt19937 random(seed);
  const DWORD types[] = {REG_SZ, REG_EXPAND_SZ, REG_BINARY, REG_DWORD, REG_MULTI_SZ, REG_QWORD, REG_NONE, 0x1234};
  for (int i = 0; i < 20000; ++i) {
    RegRawValue value{types[random() % std::size(types)], {}};
    value.data.resize(value.type == REG_DWORD ? 4 : random() % 40);
    for (std::uint8_t& b : value.data) b = static_cast<std::uint8_t>(random());
    const std::wstring written = RegNotation(value);
    ASSERT_EQ(ParseRegNotation(written), value) << ToUtf8(written);
    const std::wstring mutated = Mutate(written, random);
    // Whatever a mutation still reads as is a value whose own notation reads the same.
    if (const std::optional<RegRawValue> read = ParseRegNotation(mutated)) {
      EXPECT_EQ(ParseRegNotation(RegNotation(*read)), read) << ToUtf8(mutated);
    }
  }
}

TEST(RecordFuzz, AnEditedRecordFileNeverLeadsOutsideItsFolder) {
  const unsigned seed = FuzzSeed();
  SCOPED_TRACE("seed " + std::to_string(seed));
  std::mt19937 random(seed);
  TempFolder base(L"recordfuzz");
  const std::wstring folder = base.folder(L"Registry"), outside = base.file(L"outside.reg", "keep me");
  const std::wstring record = folder + L"\\BackupInfo.ZINF";
  // A real record file, as the program writes it.
  for (const wchar_t* name : {L"Reg_1.reg", L"RegUndo_2.reg", L"Reg_3.reg.zcom", L"tool.lnk"}) {
    WriteBytes(folder + L"\\" + name, "backup");
    ASSERT_TRUE(WriteRecord(folder, kFileSection, folder + L"\\" + name));
  }
  ASSERT_TRUE(WriteRecord(folder, kRegSection, L"HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run|"
                                               L"tool|hex(2):25,00,00,00"));
  const std::string original = ReadBytes(record);
  ASSERT_GT(original.size(), 2u);
  const std::wstring text(reinterpret_cast<const wchar_t*>(original.data() + 2), (original.size() - 2) / sizeof(wchar_t));
  const std::wstring inside = ToUpper(folder + L"\\");
  for (int i = 0; i < 400; ++i) {
    const std::wstring mutated = Mutate(text, random);
    std::string bytes = original.substr(0, 2);
    bytes.append(reinterpret_cast<const char*>(mutated.data()), mutated.size() * sizeof(wchar_t));
    if (i % 7 == 0) bytes = ToUtf8(mutated);  // an older file in one byte per character
    WriteBytes(record, bytes);
    std::vector<BackupEntry> all = ListRegistryBackups(folder);
    const std::vector<BackupEntry> startup = ListStartupBackups(folder);
    all.insert(all.end(), startup.begin(), startup.end());
    for (const BackupEntry& e : all) {
      ASSERT_TRUE(e.file.empty() || (ToUpper(e.file).starts_with(inside) &&
                                     e.file.find_first_of(L"\\/", inside.size()) == std::wstring::npos &&
                                     !EqualsNoCase(e.file, record)))
          << ToUtf8(e.file) << " from " << ToUtf8(mutated.substr(0, 300));
      StartupValueRecord value;
      (void)ParseStartupValueKey(e.key, value);
    }
    ASSERT_EQ(ReadBytes(record), bytes) << "listing never writes";
    if (i % 40 == 0) {
      // Deleting whatever it lists touches nothing outside the folder.
      (void)DeleteBackupEntries(folder, all);
      ASSERT_EQ(ReadBytes(outside), "keep me");
      for (const wchar_t* name : {L"Reg_1.reg", L"RegUndo_2.reg", L"Reg_3.reg.zcom", L"tool.lnk"})
        WriteBytes(folder + L"\\" + name, "backup");
    }
  }
}

}  // namespace
}  // namespace wv::test
