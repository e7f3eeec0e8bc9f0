// The undo file of a registry clean: written before the deletion, imported again
// by the registry editor, every type and byte as it was.
#include <gtest/gtest.h>

#include <map>

#include "registry/backup_fixtures.h"
#include "registry/bfglline.h"
#include "registry/regbackup.h"
#include "registry/regundo.h"
#include "support/testsupport.h"

namespace wv {
namespace {

using test::CountingRun;
using test::TempFolder;
using test::TempKey;

std::vector<std::uint8_t> Bytes(std::wstring_view text, bool withNul = true) {
  const auto* p = reinterpret_cast<const std::uint8_t*>(text.data());
  std::vector<std::uint8_t> out(p, p + text.size() * sizeof(wchar_t));
  if (withNul) out.insert(out.end(), {0, 0});
  return out;
}

TEST(RegNotation, ReadsBackExactlyWhatItWritesAndNothingElse) {
  std::vector<std::uint8_t> long_(300);
  for (std::size_t i = 0; i < long_.size(); ++i) long_[i] = static_cast<std::uint8_t>(i);
  const RegRawValue values[] = {
      {REG_DWORD, {0x2a, 0, 0, 0x80}},     {REG_DWORD, {1, 2}},  // a short number keeps its bytes
      {REG_BINARY, {}},                    {REG_BINARY, long_},
      {REG_QWORD, {1, 2, 3, 4, 5, 6, 7, 8}}, {REG_MULTI_SZ, Bytes(std::wstring_view(L"a\0b\0", 4))},
      {REG_NONE, {0xff}},                  {REG_SZ, Bytes(L"dword:00000001")},
  };
  for (const RegRawValue& v : values) {
    const std::wstring text = RegNotation(v);
    SCOPED_TRACE(ToUtf8(text));
    const std::optional<RegRawValue> back = ParseRegNotation(text);
    ASSERT_TRUE(back.has_value());
    EXPECT_EQ(back->type, v.type);
    EXPECT_EQ(back->data, v.data);
  }
  EXPECT_EQ(RegNotation(values[0]), L"dword:8000002a");
  EXPECT_EQ(RegNotation(values[4]), L"hex(b):01,02,03,04,05,06,07,08");
  for (const wchar_t* text : {L"dword:2a", L"dword:0000002g", L"hex:1,2", L"hex:01,", L"hex:01;02", L"hex(:01",
                              L"hex():01", L"hex(zz):01", L"c:\\x.exe", L"\"hex:01\"", L"hex:01,02 /x"})
    EXPECT_FALSE(ParseRegNotation(text).has_value()) << ToUtf8(text);
}

TEST(RegNotation, WrapsLongDataAsTheEditorDoes) {
  const RegRawValue big{REG_BINARY, std::vector<std::uint8_t>(100, 0xab)};
  const std::wstring line = L"\"big\"=" + RegDataText(big, 6);
  std::size_t start = 0, lines = 0;
  while (start < line.size()) {
    std::size_t end = line.find(L"\r\n", start);
    if (end == std::wstring::npos) end = line.size();
    const std::wstring_view piece(line.data() + start, end - start);
    EXPECT_LE(piece.size(), 80u);
    if (end != line.size()) {
      EXPECT_EQ(piece.back(), L'\\');
    }
    if (start > 0) {
      EXPECT_TRUE(piece.starts_with(L"  ab"));
    }
    start = end + 2;
    ++lines;
  }
  EXPECT_GT(lines, 3u);
  EXPECT_EQ(RegDataText({REG_SZ, Bytes(L"say \"hi\" \\ bye")}), L"\"say \\\"hi\\\" \\\\ bye\"");
  // Texts the quoted form cannot carry exactly keep their bytes.
  EXPECT_EQ(RegDataText({REG_SZ, Bytes(L"a\nb")}), L"hex(1):61,00,0a,00,62,00,00,00");
  EXPECT_EQ(RegDataText({REG_SZ, Bytes(L"ab", false)}), L"hex(1):61,00,62,00");
}

using Snapshot = std::map<std::wstring, RegRawValue>;  // "key|name"

void Take(HKEY root, const std::wstring& path, Snapshot& out) {
  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, &key), ERROR_SUCCESS) << ToUtf8(path);
  for (DWORD i = 0;; ++i) {
    wchar_t name[1024];
    DWORD length = 1024;
    if (RegEnumValueW(key, i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    out[path + L"|" + name] = *test::GetRawValue(root, path, name);
  }
  std::vector<std::wstring> subs;
  for (DWORD i = 0;; ++i) {
    wchar_t name[256];
    DWORD length = 256;
    if (RegEnumKeyExW(key, i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    subs.emplace_back(name);
  }
  RegCloseKey(key);
  out[path + L"\\"] = {};  // the key itself
  for (const std::wstring& sub : subs) Take(root, path + L"\\" + sub, out);
}

TEST(RegistryUndo, ACleanTakenBackRestoresEveryTypeAndByte) {
  TempFolder base(L"undo");
  TempKey k(L"undo");
  const std::wstring tree = k / L"tree", single = k / L"single";
  std::vector<std::uint8_t> blob(200);
  for (std::size_t i = 0; i < blob.size(); ++i) blob[i] = static_cast<std::uint8_t>(i * 7);
  auto set = [](const std::wstring& key, const std::wstring& name, DWORD type, const std::vector<std::uint8_t>& data) {
    test::SetRawValue(HKEY_CURRENT_USER, key, name, type, data.data(), data.size());
  };
  set(tree, L"", REG_SZ, Bytes(L"默认值"));
  set(tree, L"sz", REG_SZ, Bytes(L"C:\\路径\\a.exe \"quoted\""));
  set(tree, L"expand", REG_EXPAND_SZ, Bytes(L"%SystemRoot%\\x"));
  set(tree, L"multi", REG_MULTI_SZ, Bytes(std::wstring_view(L"one\0two\0\0", 9), false));
  set(tree, L"qword", REG_QWORD, {1, 2, 3, 4, 5, 6, 7, 8});
  set(tree, L"dword", REG_DWORD, {0xff, 0, 0, 0x7f});
  set(tree, L"binary", REG_BINARY, blob);
  set(tree, L"empty", REG_BINARY, {});
  set(tree, L"na=me \"q\" \\", REG_SZ, Bytes(L"odd name"));
  set(tree, L"lines", REG_SZ, Bytes(L"a\r\nb"));
  set(tree + L"\\child\\grandchild", L"deep", REG_DWORD, {1, 0, 0, 0});
  test::SetTextValue(HKEY_CURRENT_USER, tree + L"\\empty child", L"", L"");
  set(single, L"", REG_EXPAND_SZ, Bytes(L"%TEMP%"));
  set(single, L"gone=soon", REG_MULTI_SZ, Bytes(std::wstring_view(L"x\0\0", 3), false));
  test::SetTextValue(HKEY_CURRENT_USER, single, L"stays", L"untouched");

  Snapshot before;
  Take(HKEY_CURRENT_USER, tree, before);
  const std::optional<RegRawValue> defaultBefore = test::GetRawValue(HKEY_CURRENT_USER, single, L"");
  const std::optional<RegRawValue> multiBefore = test::GetRawValue(HKEY_CURRENT_USER, single, L"gone=soon");

  const std::vector<UndoTarget> targets{
      {RegRoot::CurrentUser, L"\\" + tree, true, L""},
      {RegRoot::CurrentUser, single, false, L""},
      {RegRoot::CurrentUser, single, false, L"gone=soon"},
      {RegRoot::CurrentUser, single, false, L"never there"},
  };
  const UndoFile undo = WriteUndoFile(targets, base / L"Registry");
  ASSERT_TRUE(undo.written) << ToUtf8(undo.error);
  EXPECT_TRUE(std::wstring(ExtractFileName(undo.path)).starts_with(L"RegUndo_"));
  const std::wstring text = test::ReadUtf16File(undo.path);
  EXPECT_TRUE(text.starts_with(L"Windows Registry Editor Version 5.00\r\n"));
  EXPECT_EQ(text.find(L"stays"), std::wstring::npos);  // only what the clean removes
  EXPECT_EQ(text.find(L"never there"), std::wstring::npos);
  const std::vector<BackupEntry> listed = ListRegistryBackups(base / L"Registry");
  ASSERT_EQ(listed.size(), 1u);
  EXPECT_EQ(listed[0].file, undo.path);
  EXPECT_FALSE(listed[0].archive);

  test::DeleteKeyTree(HKEY_CURRENT_USER, tree);
  test::DeleteRawValue(HKEY_CURRENT_USER, single, L"");
  test::DeleteRawValue(HKEY_CURRENT_USER, single, L"gone=soon");
  CountingRun run;
  ASSERT_EQ(RestoreRegistryBackup(listed[0].file, run), RestoreStatus::Done);

  Snapshot after;
  Take(HKEY_CURRENT_USER, tree, after);
  ASSERT_EQ(after.size(), before.size());
  for (const auto& [where, value] : before) {
    SCOPED_TRACE(ToUtf8(where));
    ASSERT_TRUE(after.count(where));
    EXPECT_EQ(after[where].type, value.type);
    EXPECT_EQ(after[where].data, value.data);
  }
  for (const auto& [name, expected] : {std::pair{L"", defaultBefore}, std::pair{L"gone=soon", multiBefore}}) {
    const std::optional<RegRawValue> now = test::GetRawValue(HKEY_CURRENT_USER, single, name);
    ASSERT_TRUE(now.has_value()) << ToUtf8(name);
    EXPECT_EQ(now->type, expected->type);
    EXPECT_EQ(now->data, expected->data);
  }
  EXPECT_TRUE(test::PathExists(undo.path));  // can be taken back again
}

TEST(RegistryUndo, NothingIsWrittenOrRecordedWhereTheFileCannotBe) {
  TempFolder base(L"undofail");
  TempKey k(L"undofail");
  test::SetTextValue(HKEY_CURRENT_USER, k.path(), L"v", L"x");
  const std::wstring blocker = base.file(L"blocker");
  const UndoFile blocked = WriteUndoFile({{RegRoot::CurrentUser, k.path(), false, L"v"}}, blocker + L"\\Registry");
  EXPECT_FALSE(blocked.written);
  EXPECT_FALSE(blocked.error.empty());
  // A name no value line can carry.
  test::SetTextValue(HKEY_CURRENT_USER, k.path(), L"two\nlines", L"x");
  const UndoFile broken = WriteUndoFile({{RegRoot::CurrentUser, k.path(), false, L"two\nlines"}}, base / L"Registry");
  EXPECT_FALSE(broken.written);
  EXPECT_FALSE(test::PathExists(base / L"Registry\\BackupInfo.ZINF"));
  // What is gone already needs no file, and nothing stands in the way of the clean.
  const UndoFile nothing = WriteUndoFile({{RegRoot::CurrentUser, k / L"missing", true, L""}}, base / L"Registry");
  EXPECT_TRUE(nothing.written);
  EXPECT_TRUE(nothing.path.empty());
}

}  // namespace
}  // namespace wv
