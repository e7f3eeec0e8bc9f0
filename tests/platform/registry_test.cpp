#include <gtest/gtest.h>

#include <set>

#include "platform/platform.h"
#include "support/test_support.h"

namespace wv {
namespace {

using test::TempKey;

// Set-up and checks through the API itself, so that the code under test is not its own witness.
void SetRaw(const std::wstring& path, const std::wstring& name, DWORD type, const void* data, DWORD bytes) {
  ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, path.c_str(), name.c_str(), type, data, bytes), ERROR_SUCCESS);
}

void SetText(const std::wstring& path, const std::wstring& name, const std::wstring& text = L"x") {
  SetRaw(path, name, REG_SZ, text.c_str(), static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
}

bool RawKeyExists(const std::wstring& path) {
  UniqueHKey key;
  return RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, key.put()) == ERROR_SUCCESS;
}

TEST(RegistryHandle, OpenNeverCreatesAndAFailedOpenLeavesNoKeyOpen) {
  TempKey k;
  SetText(k / L"present", L"v");
  RegistryHandle reg;
  ASSERT_TRUE(reg.openKey(k / L"present"));
  EXPECT_FALSE(reg.openKey(k / L"missing"));
  EXPECT_FALSE(reg.readText(L"v").has_value());  // the previous key is closed too
  EXPECT_FALSE(reg.openKeyReadOnly(k / L"missing"));
  EXPECT_FALSE(RawKeyExists(k / L"missing"));
  EXPECT_FALSE(reg.keyExists(k / L"missing"));
  EXPECT_TRUE(reg.keyExists(L"\\" + (k / L"present")));  // a leading backslash starts at the root
  ASSERT_TRUE(reg.openKey(L"\\" + k.path()));
  EXPECT_EQ(reg.subkeyNames(), std::vector<std::wstring>{L"present"});
  reg.setRoot(RegRoot::LocalMachine);
  EXPECT_FALSE(reg.isOpen());
  EXPECT_TRUE(reg.openKeyReadOnly(L"Software\\Microsoft"));
  EXPECT_FALSE(reg.keyExists(k.path()));  // the test key lives under the other root
}

// The bytes of a text, and so many more (2: its final NUL) or fewer.
std::string Raw(std::wstring_view text, int more = 0) {
  return std::string(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t) + more);
}

TEST(RegistryHandle, NamesOfAnyLengthAndValuesOfEveryShape) {
  TempKey k;
  const std::wstring big(100000, L'长');
  // Name, stored type and bytes, the type and text the handle reports.
  const std::tuple<const wchar_t*, DWORD, std::string, RegValueType, std::optional<std::wstring>> cases[] = {
      {L"sz", REG_SZ, Raw(L"C:\\路径\\a.exe", 2), RegValueType::String, L"C:\\路径\\a.exe"},
      {L"big", REG_SZ, Raw(big, 2), RegValueType::String, big},
      {L"expand", REG_EXPAND_SZ, Raw(L"%SystemRoot%\\x", 2), RegValueType::ExpandString, L"%SystemRoot%\\x"},
      {L"noNul", REG_SZ, Raw(L"abc"), RegValueType::String, L"abc"},
      {L"odd", REG_SZ, Raw(L"abc", -1), RegValueType::String, L"ab"},  // and half a character
      {L"inner", REG_SZ, Raw(std::wstring_view(L"ab\0cd\0", 6)), RegValueType::String, L"ab"},
      {L"empty", REG_SZ, "", RegValueType::String, L""},
      {L"dword", REG_DWORD, std::string("\7\0\0\0", 4), RegValueType::Integer, std::nullopt},
      {L"binary", REG_BINARY, "\1\2", RegValueType::Binary, std::nullopt},
      {L"multi", REG_MULTI_SZ, Raw(std::wstring_view(L"a\0b\0\0", 5)), RegValueType::Unknown, std::nullopt},
      {L"qword", REG_QWORD, std::string(8, '\0'), RegValueType::Unknown, std::nullopt},
  };
  const std::wstring longName(5000, L'v');  // value names go far beyond the 255 of a key name
  const std::set<std::wstring> keys{L"b", L"a", std::wstring(255, L'k'), L"中文"};
  std::set<std::wstring> values{L"", longName, L"值"};
  for (const auto& name : keys) SetText(k / name, L"v");
  for (const auto& name : values) SetText(k.path(), name);
  for (const auto& [name, type, bytes, reported, text] : cases) {
    SetRaw(k.path(), name, type, bytes.data(), static_cast<DWORD>(bytes.size()));
    values.insert(name);
  }
  RegistryHandle reg;
  ASSERT_TRUE(reg.openKeyReadOnly(k.path()));
  for (const auto& [name, type, bytes, reported, text] : cases) {
    EXPECT_EQ(reg.valueType(name), reported) << name;
    EXPECT_EQ(reg.readText(name), text) << name;
  }
  EXPECT_EQ(reg.valueType(L"missing"), RegValueType::Unknown);
  EXPECT_FALSE(reg.readText(L"missing"));
  const std::vector<std::wstring> gotKeys = reg.subkeyNames(), gotValues = reg.valueNames();
  EXPECT_EQ(std::set<std::wstring>(gotKeys.begin(), gotKeys.end()), keys);
  EXPECT_EQ(std::set<std::wstring>(gotValues.begin(), gotValues.end()), values);
  EXPECT_TRUE(reg.valueExists(longName));
  EXPECT_FALSE(reg.writeText(L"x", L"y"));  // read access only (writing is pinned by the startup restore tests)
  reg.closeKey();
  EXPECT_TRUE(reg.subkeyNames().empty());
  EXPECT_FALSE(reg.valueExists(L""));
}

TEST(RegistryHandle, DeleteKeyRemovesTheWholeTreeButNeverTheRoot) {
  TempKey k;
  SetText(k / L"a\\b\\c", L"v");
  SetText(k / L"a\\d", L"");
  SetText(k / L"ab", L"v");
  RegistryHandle reg;
  ASSERT_TRUE(reg.openKey(k / L"a"));  // an open handle does not stop the deletion
  EXPECT_TRUE(reg.deleteKey(k / L"a"));
  EXPECT_FALSE(RawKeyExists(k / L"a"));
  EXPECT_TRUE(RawKeyExists(k / L"ab"));
  EXPECT_FALSE(reg.deleteKey(k / L"a"));  // nothing left to delete
  // The test key stands in for HKEY_CURRENT_USER, so a fault empties only the test key.
  HKEY stand = nullptr;
  ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, k.path().c_str(), 0, KEY_ALL_ACCESS, &stand), ERROR_SUCCESS);
  ASSERT_EQ(RegOverridePredefKey(HKEY_CURRENT_USER, stand), ERROR_SUCCESS);
  const bool empty = reg.deleteKey(L"").ok(), slash = reg.deleteKey(L"\\").ok(), kept = reg.keyExists(L"ab");
  RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
  RegCloseKey(stand);
  EXPECT_FALSE(empty);
  EXPECT_FALSE(slash);
  EXPECT_TRUE(kept);
  EXPECT_TRUE(RawKeyExists(k / L"ab"));
}

// Locked, the key lets everyone change its list of rights and do nothing else (not
// even read it); unlocked, a null list lets everyone do everything again.
bool SetLocked(const std::wstring& path, bool locked) {
  UniqueHKey key;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, WRITE_DAC, key.put()) != ERROR_SUCCESS) return false;
  SECURITY_DESCRIPTOR sd{};
  InitializeSecurityDescriptor(&sd, SECURITY_DESCRIPTOR_REVISION);
  SID_IDENTIFIER_AUTHORITY world = SECURITY_WORLD_SID_AUTHORITY;
  PSID everyone = nullptr;
  if (!AllocateAndInitializeSid(&world, 1, SECURITY_WORLD_RID, 0, 0, 0, 0, 0, 0, 0, &everyone)) return false;
  alignas(DWORD) unsigned char buffer[256]{};
  auto* acl = reinterpret_cast<PACL>(buffer);
  const bool built = InitializeAcl(acl, sizeof buffer, ACL_REVISION) &&
                     AddAccessAllowedAce(acl, ACL_REVISION, WRITE_DAC, everyone) &&
                     SetSecurityDescriptorDacl(&sd, TRUE, locked ? acl : nullptr, FALSE);
  FreeSid(everyone);
  return built && RegSetKeySecurity(key.get(), DACL_SECURITY_INFORMATION, &sd) == ERROR_SUCCESS;
}

// What a failed opening or deletion says: a key that is not there is not found;
// a locked one is refused (and stays, with what is below it). No failure is both.
TEST(Registry, OpeningAndDeletingTellAMissingKeyFromARefusedOne) {
  TempKey k;
  const std::wstring missing = k / L"missing", locked = k / L"locked";
  SetText(locked + L"\\inner", L"v");
  struct Unlock {
    std::wstring path;
    ~Unlock() { SetLocked(path, false); }  // whatever fails, the test key can go
  } unlock{locked};
  ASSERT_TRUE(SetLocked(locked, true));
  const auto expect = [](const SysResult& result, bool notFound) {
    EXPECT_FALSE(result.ok());
    EXPECT_EQ(result.notFound(), notFound) << result.error();
    EXPECT_EQ(result.refused(), !notFound) << result.error();
  };
  RegistryHandle parent;
  ASSERT_TRUE(parent.openKeyReadOnly(k.path()));
  for (const auto& [path, notFound] : {std::pair{missing, true}, {locked, false}}) {
    SCOPED_TRACE(notFound ? "missing" : "locked");
    SysResult why;
    EXPECT_FALSE(Reg().openKey(RegRoot::CurrentUser, path, &why));
    expect(why, notFound);
    RegistryHandle reg;
    expect(reg.openKey(path), notFound);
    EXPECT_FALSE(reg.isOpen());
    expect(Reg().deleteKey(RegRoot::CurrentUser, path), notFound);
    EXPECT_EQ(parent.subkeyNames(), std::vector<std::wstring>{L"locked"});
  }
  ASSERT_TRUE(SetLocked(locked, false));
  EXPECT_TRUE(RawKeyExists(locked + L"\\inner"));
  EXPECT_TRUE(Reg().deleteKey(RegRoot::CurrentUser, locked).ok());
  EXPECT_TRUE(parent.subkeyNames().empty());
}

}  // namespace
}  // namespace wv
