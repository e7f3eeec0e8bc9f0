// The reader of winapp2.ini over the real file and over damaged copies of it:
// every entry is read or named with its reason, and a file that is no rule file
// as a whole is refused.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "engines/cleaning/winapp2_fixtures.h"

namespace wv::test {
namespace {

std::string RealBytes() { return ReadBytes(kRealRuleFile); }

std::vector<std::wstring> ProblemNames(const Winapp2File& file) {
  std::vector<std::wstring> names;
  for (const Winapp2Problem& p : file.problems) names.push_back(p.entry);
  return names;
}

TEST(RuleFile, EveryEntryOfTheRealFileIsReadOrReported) {
  const Winapp2File& file = RealRuleFile();
  ASSERT_FALSE(file.refused()) << ToUtf8(file.refusal);
  EXPECT_EQ(file.version, L"260730");
  ASSERT_TRUE(file.statedCount.has_value());
  EXPECT_EQ(*file.statedCount, 4067u);
  EXPECT_EQ(file.sections, 4067u);
  EXPECT_EQ(file.entries.size() + file.problems.size(), 4067u);
  // The entries the file itself gets wrong, each named with the line of its
  // entry and the line, key and reason of its fault: a FileKey without masks, a
  // DetectFile written like a FileKey, and folders with an unpaired "%" (a name
  // never closed, or one "%" too many), which the reader reports rather than
  // guesses what was meant.
  struct Expected {
    std::wstring entry;
    std::size_t line;
    std::wstring reason;
  };
  const std::wstring unpaired = L"目录名中的 % 不成对";
  const std::vector<Expected> expected = {
      {L"Dolby Access *", 11022, L"第 11029 行，FileKey5：" + unpaired},
      {L"Dropbox *", 11242, L"第 11252 行，FileKey7：没有文件掩码"},
      {L"Moonlighter *", 21515, L"第 21517 行，DetectFile：" + unpaired},
      {L"Samsung Live Wallpaper *", 27100, L"第 27107 行，FileKey5：" + unpaired},
      {L"Samsung Odyssey 3D Hub *", 27149, L"第 27152 行，FileKey1：" + unpaired},
      {L"Windows Signature Verification *", 33661, L"第 33663 行，DetectFile：DetectFile 含有 |"},
  };
  ASSERT_EQ(file.problems.size(), expected.size()) << ::testing::PrintToString(ProblemNames(file));
  for (std::size_t i = 0; i < expected.size(); ++i) {
    const Winapp2Problem& p = file.problems[i];
    EXPECT_EQ(p.entry, expected[i].entry);
    EXPECT_EQ(p.line, expected[i].line) << ToUtf8(p.entry);
    EXPECT_EQ(p.reason, expected[i].reason) << ToUtf8(p.entry) << ": " << ToUtf8(p.reason);
  }
  for (const Winapp2Entry& e : file.entries) {
    EXPECT_FALSE(e.files.empty() && e.registry.empty()) << ToUtf8(e.name);
    for (const FileRule& f : e.files) EXPECT_FALSE(f.masks.empty()) << ToUtf8(e.name);
  }
}

TEST(RuleFile, EntriesKeepTheirRulesExactly) {
  const Winapp2Entry& chrome = RealEntry(L"Google Chrome Caches *");
  EXPECT_EQ(chrome.section, L"Google Chrome Web Browser");
  EXPECT_EQ(chrome.detectFiles, std::vector<std::wstring>{L"%LocalAppData%\\Google\\Chrome*"});
  ASSERT_EQ(chrome.files.size(), 20u);
  EXPECT_EQ(chrome.files[0].key, L"FileKey1");
  EXPECT_TRUE(chrome.files[0].recurse);
  EXPECT_EQ(chrome.files[2].masks,
            (std::vector<std::wstring>{L"*.ldb", L"CURRENT", L"LOCK", L"MANIFEST-*", L"ServerCertificate"}));
  EXPECT_TRUE(chrome.files[3].removeSelf && !chrome.files[3].recurse);
  EXPECT_EQ(chrome.files[3].folder, L"%LocalAppData%\\Google\\Chrome*\\User Data\\*\\*Cache*");

  const Winapp2Entry& everything = RealEntry(L"Everything *");
  EXPECT_EQ(everything.langSecRef, 3024);
  ASSERT_EQ(everything.excludes.size(), 2u);
  EXPECT_EQ(everything.excludes[0].kind, ExcludeKind::File);
  EXPECT_EQ(everything.excludes[0].folder, L"%AppData%\\Everything");
  EXPECT_EQ(everything.excludes[0].masks, std::vector<std::wstring>{L"Filters.csv"});

  const Winapp2Entry& zip = RealEntry(L"7-Zip *");
  ASSERT_EQ(zip.registry.size(), 14u);
  EXPECT_EQ(zip.registry[0].target.root, RegRoot::CurrentUser);
  EXPECT_EQ(zip.registry[0].target.path, L"Software\\7-Zip\\Compression");
  EXPECT_EQ(zip.registry[0].value, std::optional<std::wstring>(L"ArcHistory"));
  EXPECT_FALSE(zip.registry[1].value.has_value());
  EXPECT_EQ(zip.registry[7].target.root, RegRoot::Users);
  ASSERT_EQ(zip.detectKeys.size(), 2u);
  EXPECT_EQ(zip.detectKeys[1].path, L".DEFAULT\\Software\\7-Zip");

  const Winapp2Entry& shell = RealEntry(L"Windows Shell - Folder/Dialog Box View Settings *");
  ASSERT_EQ(shell.excludes.size(), 4u);
  EXPECT_EQ(shell.excludes[2].kind, ExcludeKind::Registry);
  EXPECT_EQ(shell.excludes[2].target.path, L"Software\\Microsoft\\Windows\\Shell\\Bags\\1\\Desktop");
  EXPECT_EQ(std::count_if(RealRuleFile().entries.begin(), RealRuleFile().entries.end(),
                          [](const Winapp2Entry& e) { return !e.warning.empty(); }),
            5);
}

// Damaged copies: whole-file refusals, and entries that are named instead of guessed.
TEST(RuleFile, DamagedFilesAreRefusedOrTheirEntriesReported) {
  const std::string real = RealBytes();
  ASSERT_GT(real.size(), 1'000'000u);
  struct Case {
    const char* what;
    std::string bytes;
    bool refused;
    std::vector<std::wstring> problems;
  };
  const std::string head = "; Version: 1\r\n\r\n";
  std::string binary(4096, '\0');
  for (std::size_t i = 0; i < binary.size(); ++i) binary[i] = static_cast<char>((i * 131 + 7) % 256);
  std::string utf16 = "\xFF\xFE";
  for (char c : std::string("[Tool *]\r\nFileKey1=%Temp%|*.log\r\n")) utf16 += std::string{c, '\0'};
  const Case cases[] = {
      {"cut in half", real.substr(0, real.size() / 2), true, {}},
      {"binary", binary, true, {}},
      {"empty", "", true, {}},
      {"text before any entry", "hello\r\n[A *]\r\nFileKey1=%Temp%|*\r\n", true, {}},
      {"cut mid-line without a header count",
       head + "[A *]\r\nFileKey1=%Temp%|*.log\r\n\r\n[B *]\r\nFileKey1=%LocalAppData%\\Ven", false, {L"B *"}},
      {"a FileKey without a mask", head + "[A *]\r\nFileKey1=%Temp%\r\n[B *]\r\nFileKey1=%Temp%|*.tmp\r\n", false,
       {L"A *"}},
      {"duplicate sections", head + "[A *]\r\nFileKey1=%Temp%|*\r\n[a *]\r\nFileKey1=%Temp%|*.x\r\n[C *]\r\nRegKey1=HKCU\\Software\\C\r\n",
       false, {L"A *", L"a *"}},
      {"an unknown key, folder name and flag",
       head + "[K *]\r\nSpecialDetect=DET_X\r\nFileKey1=%Temp%|*\r\n[N *]\r\nFileKey1=%Nowhere%\\x|*\r\n"
              "[F *]\r\nFileKey1=%Temp%|*|RECURSIVE\r\n[G *]\r\nFileKey1=%Temp%|*.log|RECURSE|REMOVESELF\r\n",
       false, {L"K *", L"N *", L"F *"}},
      {"a key twice, a section not closed, no rule",
       head + "[D *]\r\nFileKey1=%Temp%|*\r\nfilekey1=%Temp%|*.x\r\n[Open *\r\nFileKey1=%Temp%|*\r\n[Empty *]\r\nDetect=HKCU\\Software\\X\r\n",
       false, {L"D *", L"Open *", L"Empty *"}},
      {"registry roots and exclusions", head + "[R *]\r\nRegKey1=HKXX\\Software\\R\r\n[E *]\r\nFileKey1=%Temp%|*\r\nExcludeKey1=DIR|%Temp%\\|*\r\n"
              "[P *]\r\nFileKey1=%Temp%|*\r\nExcludeKey1=PATH|%Temp%\\Keep\\\r\nExcludeKey2=REG|HKCU\\Software\\P|Name\r\n",
       false, {L"R *", L"E *"}},
      {"UTF-16 with its mark", utf16, false, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const Winapp2File file = ParseWinapp2(c.bytes);
    EXPECT_EQ(file.refused(), c.refused) << ToUtf8(file.refusal);
    if (file.refused()) {
      EXPECT_TRUE(file.entries.empty() && file.problems.empty());
      continue;
    }
    EXPECT_EQ(ProblemNames(file), c.problems);
    EXPECT_EQ(file.entries.size() + file.problems.size(), file.sections);
    for (const Winapp2Problem& p : file.problems) EXPECT_FALSE(p.reason.empty());
  }
}

TEST(RuleFile, AMissingOrHugeFileIsRefusedUnread) {
  TempFolder dir(L"rules");
  EXPECT_TRUE(ReadWinapp2(dir / L"Winapp2.ini").refused());
  const std::wstring big = dir / L"big.ini";
  {
    UniqueFile f(CreateFileW(big.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr));
    ASSERT_TRUE(f.valid());
    LARGE_INTEGER size{};
    size.QuadPart = static_cast<LONGLONG>(kMaxRuleFileBytes) + 1;
    ASSERT_TRUE(SetFilePointerEx(f.get(), size, nullptr, FILE_BEGIN) && SetEndOfFile(f.get()));
  }
  const Winapp2File file = ReadWinapp2(big);
  EXPECT_TRUE(file.refused());
  EXPECT_NE(file.refusal.find(L"太大"), std::wstring::npos);
}

}  // namespace
}  // namespace wv::test
