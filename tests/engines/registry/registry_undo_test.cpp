// The undo file of a registry clean: the registry editor's value notation, and
// what stops the file from being written.
#include <gtest/gtest.h>

#include "engines/registry/registry_fixtures.h"
#include "engines/registry/registry_undo.h"

namespace wv::test {
namespace {

// The notation startup backups keep values in: read back as written, the rest refused.
TEST(RegNotation, ReadsBackExactlyWhatItWritesAndNothingElse) {
  std::vector<std::uint8_t> long_(300);
  for (std::size_t i = 0; i < long_.size(); ++i) long_[i] = static_cast<std::uint8_t>(i);
  const RegRawValue values[] = {{REG_DWORD, {1, 2}},  // a short number keeps its bytes
                                {REG_BINARY, {}}, {REG_BINARY, long_}, {REG_NONE, {0xff}},
                                {REG_MULTI_SZ, TextBytes(std::wstring_view(L"a\0b\0", 4))}};
  for (const RegRawValue& v : values) EXPECT_EQ(ParseRegNotation(RegNotation(v)), v) << ToUtf8(RegNotation(v));
  EXPECT_EQ(RegDataText({REG_SZ, TextBytes(L"ab", false)}), L"hex(1):61,00,62,00");  // a text without its end
  for (const wchar_t* text : {L"dword:2a", L"dword:0000002g", L"hex:1,2", L"hex:01,", L"hex:01;02", L"hex(:01",
                              L"hex():01", L"hex(zz):01", L"c:\\x.exe", L"\"hex:01\"", L"hex:01,02 /x"})
    EXPECT_FALSE(ParseRegNotation(text).has_value()) << ToUtf8(text);
}

// A name no value line can carry stops the clean; what is gone already needs no file.
TEST(RegistryUndo, AnUnwritableNameStopsTheCleanAndWhatIsGoneNeedsNoFile) {
  TempFolder base(L"undofail");
  TempKey k(L"undofail");
  ASSERT_TRUE(Reg().openKey(kCU, k.path())->writeText(L"two\nlines", L"x"));
  EXPECT_FALSE(WriteUndoFile({{kCU, k.path(), false, L"two\nlines"}}, base / L"Registry").written);
  EXPECT_FALSE(PathExists(base / L"Registry\\BackupInfo.ZINF"));
  const UndoFile nothing = WriteUndoFile({{kCU, k / L"missing", true, L""}}, base / L"Registry");
  EXPECT_TRUE(nothing.written && nothing.path.empty());
}

// A whole key whose tree holds a name with a line break cannot be written as
// the editor reads it back: it is refused before anything is deleted, and no
// undo file carries a broken line.
TEST(RegistryUndo, AKeyWithALineBreakInsideItsTreeIsRefused) {
  TempFolder base(L"undotree");
  TempKey k(L"undotree");
  ASSERT_TRUE(Reg().createKey(kCU, k / L"tree\\a\nb"));
  ASSERT_TRUE(Reg().openKey(kCU, k / L"tree")->writeText(L"v", L"x"));
  const UndoFile undo = WriteUndoFile({{kCU, k / L"tree", true, L""}}, base / L"Registry");
  EXPECT_TRUE(undo.path.empty()) << "written: " << ToUtf8(undo.path);
  EXPECT_TRUE(undo.path.empty() || ReadBytes(undo.path).find(std::string("a\0\n\0b", 5)) == std::string::npos);
  EXPECT_FALSE(PathExists(base / L"Registry\\BackupInfo.ZINF"));
}

}  // namespace
}  // namespace wv::test
