#include <gtest/gtest.h>

#include <algorithm>

#include "platform/platform.h"
#include "support/testsupport.h"

namespace wv {
namespace {

using test::TempKey;

// Raw set-up through the API itself, so that the code under test is not its own witness.
void SetRaw(const std::wstring& path, const std::wstring& name, DWORD type, const void* data, DWORD bytes) {
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
            ERROR_SUCCESS);
  ASSERT_EQ(RegSetValueExW(key, name.c_str(), 0, type, static_cast<const BYTE*>(data), bytes), ERROR_SUCCESS);
  RegCloseKey(key);
}

void SetText(const std::wstring& path, const std::wstring& name, const std::wstring& text) {
  SetRaw(path, name, REG_SZ, text.c_str(), static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
}

bool RawKeyExists(const std::wstring& path) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  RegCloseKey(key);
  return true;
}

TEST(RegistryHandle, OpenNeverCreatesAndFailedOpenLeavesNoKeyOpen) {
  TempKey k;
  SetText(k / L"present", L"v", L"x");
  RegistryHandle reg;
  ASSERT_TRUE(reg.openKey(k / L"present"));
  EXPECT_FALSE(reg.openKey(k / L"missing"));
  EXPECT_FALSE(reg.isOpen());
  EXPECT_FALSE(reg.readText(L"v").has_value());  // the previous key is closed too
  EXPECT_FALSE(reg.openKeyReadOnly(k / L"missing"));
  EXPECT_FALSE(RawKeyExists(k / L"missing"));
  EXPECT_FALSE(reg.keyExists(k / L"missing"));
  EXPECT_TRUE(reg.keyExists(k / L"present"));
  EXPECT_TRUE(reg.keyExists(L"\\" + (k / L"present")));  // absolute from the root

  // A leading backslash is taken from the root; the empty path opens the root itself.
  ASSERT_TRUE(reg.openKey(L"\\" + k.path()));
  EXPECT_EQ(reg.subkeyNames(), std::vector<std::wstring>{L"present"});
  ASSERT_TRUE(reg.openKey(L""));
  const auto top = reg.subkeyNames();
  EXPECT_NE(std::find(top.begin(), top.end(), L"Software"), top.end());

  reg.setRoot(RegRoot::LocalMachine);
  EXPECT_FALSE(reg.isOpen());
  EXPECT_TRUE(reg.openKeyReadOnly(L"Software\\Microsoft"));
  EXPECT_FALSE(reg.keyExists(k.path()));  // the test key lives under the other root
}

TEST(RegistryHandle, ListsEveryNameWhateverItsLength) {
  TempKey k;
  const std::wstring longKey(255, L'k');   // the longest key name there is
  const std::wstring longValue(5000, L'v');  // value names go far beyond that
  std::vector<std::wstring> keys{L"b", L"a", longKey, L"中文"};
  std::vector<std::wstring> values{L"", L"z", longValue, L"值"};
  for (const auto& name : keys) ASSERT_TRUE(Reg().createKey(RegRoot::CurrentUser, k / name));
  for (const auto& name : values) SetText(k.path(), name, L"x");

  RegistryHandle reg;
  ASSERT_TRUE(reg.openKey(k.path()));
  auto gotKeys = reg.subkeyNames();
  auto gotValues = reg.valueNames();
  std::sort(keys.begin(), keys.end());
  std::sort(values.begin(), values.end());
  std::sort(gotKeys.begin(), gotKeys.end());
  std::sort(gotValues.begin(), gotValues.end());
  EXPECT_EQ(gotKeys, keys);
  EXPECT_EQ(gotValues, values);
  EXPECT_TRUE(reg.valueExists(longValue));
  EXPECT_TRUE(reg.valueExists(L""));
  reg.closeKey();
  EXPECT_TRUE(reg.subkeyNames().empty());
  EXPECT_FALSE(reg.valueExists(L"z"));
}

TEST(RegistryHandle, TypesAndTextReads) {
  TempKey k;
  const DWORD dword = 7;
  const unsigned long long qword = 9;
  const wchar_t noNul[] = {L'a', L'b', L'c'};
  const wchar_t inner[] = {L'a', L'b', 0, L'c', L'd', 0};
  const std::wstring big(100000, L'长');
  SetText(k.path(), L"sz", L"C:\\路径\\a.exe");
  SetRaw(k.path(), L"expand", REG_EXPAND_SZ, L"%SystemRoot%\\x", 30);
  SetRaw(k.path(), L"dword", REG_DWORD, &dword, sizeof dword);
  SetRaw(k.path(), L"binary", REG_BINARY, "\x01\x02", 2);
  SetRaw(k.path(), L"multi", REG_MULTI_SZ, L"a\0b\0", 10);
  SetRaw(k.path(), L"qword", REG_QWORD, &qword, sizeof qword);
  SetRaw(k.path(), L"noNul", REG_SZ, noNul, sizeof noNul);
  SetRaw(k.path(), L"odd", REG_SZ, noNul, sizeof noNul - 1);  // "ab" and half a character
  SetRaw(k.path(), L"inner", REG_SZ, inner, sizeof inner);
  SetRaw(k.path(), L"empty", REG_SZ, nullptr, 0);
  SetText(k.path(), L"big", big);

  struct Case {
    const wchar_t* name;
    RegValueType type;
    std::optional<std::wstring> text;
  };
  const Case cases[] = {
      {L"sz", RegValueType::String, L"C:\\路径\\a.exe"},
      {L"expand", RegValueType::ExpandString, L"%SystemRoot%\\x"},
      {L"dword", RegValueType::Integer, std::nullopt},
      {L"binary", RegValueType::Binary, std::nullopt},
      {L"multi", RegValueType::Unknown, std::nullopt},
      {L"qword", RegValueType::Unknown, std::nullopt},
      {L"missing", RegValueType::Unknown, std::nullopt},
      {L"noNul", RegValueType::String, L"abc"},
      {L"odd", RegValueType::String, L"ab"},
      {L"inner", RegValueType::String, L"ab"},
      {L"empty", RegValueType::String, L""},
      {L"big", RegValueType::String, big},
  };
  RegistryHandle reg;
  ASSERT_TRUE(reg.openKeyReadOnly(k.path()));
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "case " << (&c - cases));
    EXPECT_EQ(reg.valueType(c.name), c.type);
    EXPECT_EQ(reg.readText(c.name), c.text);
  }
}

TEST(RegistryHandle, WritesAndDeletesValues) {
  TempKey k;
  RegistryHandle reg;
  ASSERT_TRUE(reg.openKey(k.path()));
  ASSERT_TRUE(reg.writeText(L"Run me", L"\"C:\\程序\\a.exe\" /s"));
  HKEY raw = nullptr;
  ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, k.path().c_str(), 0, KEY_READ, &raw), ERROR_SUCCESS);
  wchar_t data[64] = {};
  DWORD type = 0, bytes = sizeof data;
  EXPECT_EQ(RegQueryValueExW(raw, L"Run me", nullptr, &type, reinterpret_cast<BYTE*>(data), &bytes), ERROR_SUCCESS);
  RegCloseKey(raw);
  EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(std::wstring(data), L"\"C:\\程序\\a.exe\" /s");
  EXPECT_EQ(bytes, (std::wcslen(data) + 1) * sizeof(wchar_t));  // stored with its NUL

  EXPECT_TRUE(reg.deleteValue(L"Run me"));
  EXPECT_FALSE(reg.valueExists(L"Run me"));
  EXPECT_FALSE(reg.deleteValue(L"Run me"));

  ASSERT_TRUE(reg.openKeyReadOnly(k.path()));
  EXPECT_FALSE(reg.writeText(L"x", L"y"));  // read access only
}

TEST(RegistryHandle, DeleteKeyRemovesTheWholeTreeAndNothingElse) {
  TempKey k;
  SetText(k / L"a\\b\\c", L"v", L"1");
  SetText(k / L"a\\b", L"v", L"2");
  SetText(k / L"a\\d", L"", L"3");
  SetText(k / L"ab", L"v", L"sibling");
  RegistryHandle reg;
  ASSERT_TRUE(reg.openKey(k / L"a"));  // an open handle does not stop the deletion
  EXPECT_TRUE(reg.deleteKey(k / L"a"));
  EXPECT_FALSE(RawKeyExists(k / L"a"));
  EXPECT_TRUE(RawKeyExists(k / L"ab"));
  EXPECT_FALSE(reg.deleteKey(k / L"a"));  // nothing left to delete
}

TEST(RegistryHandle, DeleteKeyRefusesTheRootItself) {
  TempKey k;
  SetText(k / L"child", L"v", L"1");
  // Stand the test key in for HKEY_CURRENT_USER, so a fault empties only the test key.
  HKEY stand = nullptr;
  ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, k.path().c_str(), 0, KEY_ALL_ACCESS, &stand), ERROR_SUCCESS);
  ASSERT_EQ(RegOverridePredefKey(HKEY_CURRENT_USER, stand), ERROR_SUCCESS);
  RegistryHandle reg;
  const bool empty = reg.deleteKey(L"");
  const bool slash = reg.deleteKey(L"\\");
  const bool child = reg.keyExists(L"child");
  RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
  RegCloseKey(stand);
  EXPECT_FALSE(empty);
  EXPECT_FALSE(slash);
  EXPECT_TRUE(child);
  EXPECT_TRUE(RawKeyExists(k / L"child"));
}

TEST(RegistryHandle, KeyInfoCountsAndLastWriteTime) {
  TempKey k;
  FILETIME before;
  GetSystemTimeAsFileTime(&before);
  SetText(k / L"s1", L"v", L"1");
  SetText(k / L"s2", L"v", L"1");
  for (const wchar_t* v : {L"a", L"b", L"c"}) SetText(k.path(), v, L"x");
  RegistryHandle reg;
  RegKeyInfo info;
  EXPECT_FALSE(reg.keyInfo(info));  // no key open
  ASSERT_TRUE(reg.openKeyReadOnly(k.path()));
  ASSERT_TRUE(reg.keyInfo(info));
  EXPECT_EQ(info.subkeyCount, 2u);
  EXPECT_EQ(info.valueCount, 3u);
  FILETIME after;
  GetSystemTimeAsFileTime(&after);
  const auto ticks = [](FILETIME t) { return (static_cast<std::uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime; };
  constexpr std::uint64_t kSecond = 10'000'000;
  EXPECT_GE(ticks(info.lastWrite) + 2 * kSecond, ticks(before));
  EXPECT_LE(ticks(info.lastWrite), ticks(after) + 2 * kSecond);
}

TEST(RegistryHandle, RootNames) {
  const std::pair<RegRoot, std::wstring_view> roots[] = {
      {RegRoot::ClassesRoot, L"HKEY_CLASSES_ROOT"},   {RegRoot::CurrentUser, L"HKEY_CURRENT_USER"},
      {RegRoot::LocalMachine, L"HKEY_LOCAL_MACHINE"}, {RegRoot::Users, L"HKEY_USERS"},
      {RegRoot::CurrentConfig, L"HKEY_CURRENT_CONFIG"}};
  for (const auto& [root, name] : roots) {
    EXPECT_EQ(RootName(root), name);
    EXPECT_EQ(ParseRootName(name), root);
  }
  EXPECT_EQ(ParseRootName(L"hkcu"), RegRoot::CurrentUser);
  EXPECT_EQ(ParseRootName(L"HKLM"), RegRoot::LocalMachine);
  EXPECT_EQ(ParseRootName(L"hkey_users"), RegRoot::Users);
  EXPECT_FALSE(ParseRootName(L"HKEY_CURRENT_USER\\Software").has_value());
  EXPECT_FALSE(ParseRootName(L"").has_value());
}

}  // namespace
}  // namespace wv
