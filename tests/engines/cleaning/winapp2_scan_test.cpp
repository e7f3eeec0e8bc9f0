// The rule file's folder names, detection, scan and removal: real entries of the
// real file over a planted profile in the prefix, written entries for the
// refused and excluded cases, and real keys of the prefix's registry.

#include <gtest/gtest.h>

#include <algorithm>

#include "engines/cleaning/removal.h"
#include "engines/cleaning/winapp2_detect.h"
#include "engines/cleaning/winapp2_fixtures.h"
#include "engines/registry/redundancy_scan.h"
#include "platform/text.h"

namespace wv::test {
namespace {

// A key the test plants at a real place of the prefix's registry, removed with
// everything below it afterwards; the test fails when it was there before.
class PlantedKey {
 public:
  PlantedKey(RegRoot root, std::wstring path) : root_(root), path_(std::move(path)) {
    existed_ = Reg().keyExists(root_, path_);
    EXPECT_FALSE(existed_) << "already in the prefix: " << ToUtf8(path_);
  }
  ~PlantedKey() {
    if (!existed_) static_cast<void>(Reg().deleteKey(root_, path_));
  }
  PlantedKey(const PlantedKey&) = delete;
  PlantedKey& operator=(const PlantedKey&) = delete;
  // Creates the key below this one (empty: this one) and sets a value on it.
  void value(std::wstring_view sub, std::wstring_view name, std::uint32_t number) {
    const std::unique_ptr<RegKey> key = Reg().createKey(root_, sub.empty() ? path_ : path_ + L"\\" + std::wstring(sub));
    ASSERT_TRUE(key && key->writeInteger(name, number));
  }
  void key(std::wstring_view sub) { ASSERT_TRUE(Reg().createKey(root_, path_ + L"\\" + std::wstring(sub))); }
  [[nodiscard]] bool hasValue(std::wstring_view sub, std::wstring_view name) const {
    const std::unique_ptr<RegKey> key = Reg().openKeyReadOnly(root_, sub.empty() ? path_ : path_ + L"\\" + std::wstring(sub));
    return key && key->valueExists(name);
  }
  [[nodiscard]] bool hasKey(std::wstring_view sub) const { return Reg().keyExists(root_, path_ + L"\\" + std::wstring(sub)); }

 private:
  RegRoot root_;
  std::wstring path_;
  bool existed_ = true;
};

std::vector<std::size_t> AllOf(const std::vector<FoundRow>& rows) { return AllRowIndices(rows.size()); }

std::wstring Tag() { return L"Vantorra" + std::to_wstring(GetCurrentProcessId()); }

// ---------------------------------------------------------------- folder names

TEST(RuleFolders, NamesResolveForThisUserWithBothProgramFolders) {
  const RuleFolders folders = RuleFolders::Resolve();
  const auto one = [&](std::wstring_view name) {
    const std::vector<std::wstring>* f = folders.find(name);
    return f && f->size() == 1 ? f->front() : std::wstring();
  };
  EXPECT_TRUE(EqualsNoCase(one(L"LocalAppData"), Sh().specialFolder(0x1c)));
  EXPECT_TRUE(EqualsNoCase(one(L"appdata"), Sh().specialFolder(0x1a)));
  EXPECT_TRUE(EqualsNoCase(one(L"WinDir"), ExcludeTrailingBackslash(Sh().windowsFolder())));
  EXPECT_TRUE(EqualsNoCase(one(L"SystemDrive"), Sh().windowsFolder().substr(0, 2)));
  EXPECT_TRUE(EndsWithNoCase(one(L"LocalLowAppData"), L"\\AppData\\LocalLow"));
  EXPECT_TRUE(DirectoryExists(one(L"Public")));
  EXPECT_TRUE(EqualsNoCase(one(L"Temp"), ExcludeTrailingBackslash(Sh().tempPath())));
  // The prefix is a 64-bit system: the 64-bit program folder first, then the 32-bit one.
  const std::vector<std::wstring>* programs = folders.find(L"ProgramFiles");
  ASSERT_TRUE(programs && programs->size() == 2);
  EXPECT_TRUE(EndsWithNoCase((*programs)[1], L" (x86)"));
  EXPECT_EQ(folders.expand(L"%ProgramFiles%\\Vendor|x").size(), 2u);
  EXPECT_EQ(folders.find(L"CommonProgramFiles")->size(), 2u);
  EXPECT_TRUE(folders.expand(L"%Nowhere%\\x").empty());
  EXPECT_TRUE(folders.expand(L"%LocalAppData\\x").empty());
}

// ---------------------------------------------------------------- detection

TEST(RuleDetection, AnEntryAppliesWhenAnyDetectKeyHoldsOrItHasNone) {
  Planted p(L"detect");
  p.folder(p / L"Users\\me\\AppData\\Local\\VendorApp 2\\Data");
  const std::wstring tag = Tag();
  PlantedKey current(RegRoot::CurrentUser, L"Software\\" + tag);
  current.value(L"Deep\\Er", L"v", 1);
  PlantedKey wow(RegRoot::LocalMachine, L"Software\\Wow6432Node\\" + tag);
  wow.value(L"", L"v", 1);
  const std::string t = ToUtf8(tag);
  const Winapp2File file = RuleText(
      "[File wildcard *]\r\nDetectFile=%LocalAppData%\\Vendor*\\Data\r\nFileKey1=%Temp%|*\r\n"
      "[File missing *]\r\nDetectFile=%LocalAppData%\\Missing\r\nFileKey1=%Temp%|*\r\n"
      "[Second of two *]\r\nDetectFile1=%LocalAppData%\\Missing\r\nDetect2=HKCU\\Software\\" + t + "\\deep\\er\r\nFileKey1=%Temp%|*\r\n"
      "[Key missing *]\r\nDetect=HKCU\\Software\\" + t + "\\Nope\r\nFileKey1=%Temp%|*\r\n"
      "[32-bit view *]\r\nDetect=HKLM\\Software\\" + t + "\r\nFileKey1=%Temp%|*\r\n"
      "[No detect *]\r\nFileKey1=%Temp%|*\r\n"
      "[Old systems only *]\r\nDetectOS=|5.2\r\nFileKey1=%Temp%|*\r\n"
      "[Newer systems *]\r\nDetectOS=5.1|\r\nFileKey1=%Temp%|*\r\n"
      "[Found but too new *]\r\nDetectOS=|5.2\r\nDetectFile=%LocalAppData%\\VendorApp 2\r\nFileKey1=%Temp%|*\r\n");
  ASSERT_TRUE(file.problems.empty());
  const OsVersion os = Sys().version();
  ASSERT_GE(os.major, 6u);
  const std::vector<bool> applies = DetectEntries(file.entries, PlantedFolders(p.root()), os);
  const std::vector<bool> expected = {true, false, true, false, true, true, false, true, false};
  ASSERT_EQ(applies.size(), expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i) EXPECT_EQ(applies[i], expected[i]) << ToUtf8(file.entries[i].name);
}

// A folder is asked about its first names one by one and listed after that, and a
// key with many subkeys is never listed: answers do not depend on which way, on
// case, or on the order of the questions (wildcards after names asked, and back).
TEST(RuleDetection, CrowdedFoldersAndKeysAnswerLikeSparseOnes) {
  Planted p(L"crowded");
  const std::wstring tag = Tag();
  PlantedKey crowded(RegRoot::CurrentUser, L"Software\\" + tag);
  std::string text;
  std::vector<bool> expected;
  const auto entry = [&](const std::string& detect, bool there) {
    text += "[Entry " + std::to_string(expected.size()) + " *]\r\n" + detect + "\r\nFileKey1=%Temp%|*\r\n";
    expected.push_back(there);
  };
  for (int i = 0; i < 40; ++i) {
    const std::wstring n = std::to_wstring(100 + i);
    p.folder(p / (L"Users\\me\\AppData\\Local\\Vendor" + n + L"\\Data"));
    crowded.key(L"Product" + n);
  }
  p.file(p / L"Users\\me\\AppData\\Local\\Vendor139\\Data\\state.db");
  const std::string t = ToUtf8(tag);
  for (int i = 0; i < 40; i += 3) {
    const std::string n = std::to_string(100 + i);
    entry("DetectFile=%LocalAppData%\\vendor" + n + "\\DATA", true);
    entry("DetectFile=%LocalAppData%\\Vendor" + n + "\\Nope", false);
    entry("DetectFile=%LocalAppData%\\Missing" + n, false);
    entry("Detect=HKCU\\Software\\" + t + "\\product" + n, true);
    entry("Detect=HKCU\\Software\\" + t + "\\Absent" + n, false);
    if (i == 12) entry("DetectFile=%LocalAppData%\\Vendor13*\\Data\\state.db", true);
  }
  entry("DetectFile=%LocalAppData%\\Vendor1?0\\Data", true);
  entry("DetectFile=%LocalAppData%\\Vendor2*", false);
  entry("DetectFile=%LocalAppData%\\VENDOR139\\data\\STATE.DB", true);
  entry("DetectFile=%LocalAppData%\\Vendor139\\Data\\state.db\\inner", false);
  const Winapp2File file = RuleText(text);
  ASSERT_TRUE(file.problems.empty());
  const std::vector<bool> applies = DetectEntries(file.entries, PlantedFolders(p.root()), Sys().version());
  ASSERT_EQ(applies.size(), expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i) {
    const Winapp2Entry& e = file.entries[i];
    EXPECT_EQ(applies[i], expected[i]) << ToUtf8(e.detectFiles.empty() ? e.detectKeys[0].path : e.detectFiles[0]);
  }
}

TEST(RuleDetection, TheRealFileIsDetectedAgainstThisMachine) {
  const RuleFolders folders = RuleFolders::Resolve();
  const std::wstring zynga = folders.find(L"LocalAppData")->front() + L"\\Zynga";
  ASSERT_FALSE(PathExists(zynga));
  const auto detected = [&] {
    const std::vector<bool> applies = DetectEntries(RealRuleFile().entries, folders, Sys().version());
    EXPECT_EQ(applies.size(), RealRuleFile().entries.size());
    for (std::size_t i = 0; i < applies.size(); ++i)
      if (RealRuleFile().entries[i].name == L"Zynga Games *") return bool(applies[i]);
    return false;
  };
  EXPECT_FALSE(detected());
  Planted p(L"zynga");
  p.folder(zynga);
  EXPECT_TRUE(detected());
}

// ---------------------------------------------------------------- scan and removal

// A browser's caches (REMOVESELF folders, a file held open), an application's log
// folder (RECURSE), an entry with ExcludeKey and both program folders: exactly the
// files and folders the rules name are listed, and removal takes exactly those.
TEST(RuleScan, RealEntriesListAndRemoveExactlyWhatTheyName) {
  Planted p(L"profile");
  const std::wstring data = p / L"Users\\me\\AppData\\Local\\Google\\Chrome\\User Data";
  const std::wstring roaming = p / L"Users\\me\\AppData\\Roaming";
  const std::wstring logs = p / L"Users\\me\\AppData\\Local\\Zynga\\Logs";
  const std::vector<std::wstring> listedFiles = {
      data + L"\\Default\\Cache\\data_0",        data + L"\\Default\\Cache\\sub\\f_000001",
      data + L"\\Default\\Code Cache\\js\\index", data + L"\\Default\\LOCK",
      data + L"\\Local State-journal",           data + L"\\Default\\Web Data-journal",
      logs + L"\\a.log",                         logs + L"\\old\\b.log",
      roaming + L"\\Everything\\Run History.csv", roaming + L"\\Everything\\x.tmp",
      p / L"Program Files (x86)\\Everything\\log.txt",
  };
  const std::vector<std::wstring> keptFiles = {
      data + L"\\Default\\Cache\\locked.bin", data + L"\\Default\\History", data + L"\\Bookmarks",
      p / L"Users\\me\\AppData\\Local\\Zynga\\settings.ini", roaming + L"\\Everything\\Filters.csv",
      roaming + L"\\Everything\\Everything.ini", p / L"Program Files (x86)\\Everything\\Filters.csv",
  };
  for (const auto* list : {&listedFiles, &keptFiles})
    for (const std::wstring& f : *list) ASSERT_FALSE(p.file(f).empty());
  UniqueFile held = Hold(data + L"\\Default\\Cache\\locked.bin");
  ASSERT_TRUE(held.valid());

  const RuleScan scan({&RealEntry(L"Google Chrome Caches *"), &RealEntry(L"Zynga Games *"), &RealEntry(L"Everything *")},
                      p.root());
  EXPECT_EQ(scan.paths(FoundKind::File), Sorted(listedFiles));
  // The cache folder holding the file in use stays; the ones emptied whole go, deepest first.
  const std::vector<std::wstring> folders = {data + L"\\Default\\Cache\\sub", data + L"\\Default\\Code Cache",
                                             data + L"\\Default\\Code Cache\\js"};
  EXPECT_EQ(scan.paths(FoundKind::WasteFolder), Sorted(folders));
  EXPECT_LT(RowIndex(scan.rows, folders[2]), RowIndex(scan.rows, folders[1]));
  EXPECT_EQ(scan.rows.size(), listedFiles.size() + folders.size());
  EXPECT_EQ(scan.result.rows, scan.rows.size());
  const FoundRow* lock = scan.row(data + L"\\Default\\LOCK");
  ASSERT_TRUE(lock);
  EXPECT_EQ(lock->rule.entry, L"Google Chrome Caches *");
  EXPECT_EQ(lock->rule.key, L"FileKey3");
  EXPECT_EQ(lock->item, 5);
  EXPECT_EQ(lock->size, 4u);
  EXPECT_EQ(scan.row(logs + L"\\old\\b.log")->rule.key, L"FileKey1");

  // Each file and folder row holds what the removal checks: its identity and the rule's folder as its root.
  for (const FoundRow& r : scan.rows) EXPECT_NE(r.identity.fileId, 0u) << ToUtf8(r.path);
  EXPECT_EQ(lock->rootLength, (data + L"\\Default\\").size());  // "User Data\*" resolved
  EXPECT_EQ(scan.row(data + L"\\Default\\Cache\\sub\\f_000001")->rootLength, (data + L"\\Default\\Cache\\").size());
  EXPECT_EQ(scan.row(roaming + L"\\Everything\\x.tmp")->rootLength, (roaming + L"\\Everything\\").size());
  EXPECT_NE(scan.row(roaming + L"\\Everything\\x.tmp")->identity.lastWrite, 0u);

  // A listed file written to since the scan stays, and says why; the rest goes.
  const std::wstring changed = roaming + L"\\Everything\\Run History.csv";
  WriteBytes(changed, std::string(9, 'w'));  // 4 bytes when scanned
  TestShell shell;
  FakeRun run;
  const RemovalReport report =
      RemoveFoundRows(scan.rows, AllOf(scan.rows), RemovalOptions{.mode = RemovalMode::DeleteDirectly}, run);
  EXPECT_EQ(report.gone.size(), scan.rows.size() - 1);
  ASSERT_EQ(report.kept.size(), 1u);
  EXPECT_EQ(scan.rows[report.kept[0].first].path, changed);
  EXPECT_EQ(report.kept[0].second, KeptReason::Changed);
  EXPECT_TRUE(PathExists(changed));
  for (const std::wstring& f : listedFiles) EXPECT_EQ(PathExists(f), f == changed) << ToUtf8(f);
  for (const std::wstring& f : folders) EXPECT_FALSE(PathExists(f)) << ToUtf8(f);
  for (const std::wstring& f : keptFiles) EXPECT_TRUE(PathExists(f)) << ToUtf8(f);
  EXPECT_TRUE(PathExists(logs + L"\\old"));  // RECURSE takes files, never the folders
}

// Registry values and a whole key of a real entry, planted at their real keys:
// the undo file is written first, then exactly they go.
TEST(RuleScan, RegistryRulesListValuesAndKeysAndRemoveThemAfterTheUndoFile) {
  PlantedKey zip(RegRoot::CurrentUser, L"Software\\7-Zip");
  zip.value(L"Compression", L"ArcHistory", 1);
  zip.value(L"Compression", L"Level", 9);
  zip.value(L"Compression\\ArcHistory", L"0", 2);
  zip.value(L"FM", L"CopyHistory", 3);
  zip.value(L"FM", L"PanelPath0", 4);
  zip.value(L"FM", L"Columns", 5);
  ASSERT_FALSE(Reg().keyExists(RegRoot::Users, L".DEFAULT\\Software\\7-Zip"));

  Planted p(L"reg");
  const RuleScan scan({&RealEntry(L"7-Zip *")}, p.root());
  std::vector<std::wstring> shown;
  for (const FoundRow& r : scan.rows) {
    ASSERT_TRUE(r.registry);
    shown.push_back(r.path + L"|" + (r.kind == FoundKind::RegistryKey ? L"(key)" : r.registry->valueName));
  }
  const std::wstring base = L"HKEY_CURRENT_USER\\Software\\7-Zip\\";
  EXPECT_EQ(Sorted(shown), Sorted({base + L"Compression|ArcHistory", base + L"Compression\\ArcHistory|(key)",
                                   base + L"FM|CopyHistory", base + L"FM|PanelPath0"}));
  EXPECT_EQ(scan.result.registryRows, 4u);

  const RegistryRemoval removal = RemoveRegistryRows(scan.rows, AllOf(scan.rows), p / L"Backup\\Registry\\");
  ASSERT_TRUE(removal.undo.written) << ToUtf8(removal.undo.error);
  ASSERT_TRUE(FileExists(removal.undo.path));
  const std::string bytes = ReadBytes(removal.undo.path);
  ASSERT_GT(bytes.size(), 2u);
  const std::wstring undo(reinterpret_cast<const wchar_t*>(bytes.data() + 2), (bytes.size() - 2) / 2);
  for (const wchar_t* line : {L"[HKEY_CURRENT_USER\\Software\\7-Zip\\Compression\\ArcHistory]", L"\"ArcHistory\"=dword:00000001",
                              L"\"PanelPath0\"=dword:00000004"})
    EXPECT_NE(undo.find(line), std::wstring::npos) << ToUtf8(line);
  EXPECT_EQ(removal.gone.size(), 4u);
  EXPECT_FALSE(zip.hasValue(L"Compression", L"ArcHistory"));
  EXPECT_FALSE(zip.hasKey(L"Compression\\ArcHistory"));
  EXPECT_FALSE(zip.hasValue(L"FM", L"CopyHistory") || zip.hasValue(L"FM", L"PanelPath0"));
  EXPECT_TRUE(zip.hasValue(L"Compression", L"Level") && zip.hasValue(L"FM", L"Columns"));
}

// An excluded key below a whole-key rule: the key goes in parts around it.
TEST(RuleScan, ExcludedKeysAndFilesStayInsideWhatTheRulesTake) {
  TempKey key(L"bags");
  PlantedKey probe(RegRoot::CurrentUser, key.path() + L"\\Bags");
  probe.value(L"", L"Top", 1);
  probe.value(L"1", L"Mode", 2);
  probe.value(L"1\\Desktop", L"Kept", 3);
  probe.value(L"1\\Other", L"Gone", 4);
  probe.value(L"2", L"Gone", 5);
  Planted p(L"excl");
  p.file(p / L"Users\\me\\AppData\\Local\\App\\Cache\\a.tmp");
  p.file(p / L"Users\\me\\AppData\\Local\\App\\Cache\\Keep\\b.tmp");
  p.file(p / L"Users\\me\\AppData\\Local\\App\\Cache\\Keep\\c.dat");
  const std::string k = "HKCU\\" + ToUtf8(key.path()) + "\\Bags";
  const Winapp2File file = RuleText("[Bags *]\r\nRegKey1=" + k + "\r\nExcludeKey1=REG|" + k +
                                    "\\1\\Desktop\r\n"
                                    "[Cache *]\r\nFileKey1=%LocalAppData%\\App\\Cache|*|REMOVESELF\r\n"
                                    "ExcludeKey1=PATH|%LocalAppData%\\App\\Cache\\Keep\\|*.tmp\r\n");
  ASSERT_EQ(file.entries.size(), 2u);
  const RuleScan scan({&file.entries[0], &file.entries[1]}, p.root());
  const std::wstring bags = L"HKEY_CURRENT_USER\\" + key.path() + L"\\Bags";
  EXPECT_EQ(scan.paths(FoundKind::RegistryKey), Sorted({bags + L"\\1\\Other", bags + L"\\2"}));
  EXPECT_EQ(scan.paths(FoundKind::RegistryValue), Sorted({bags, bags + L"\\1"}));
  const std::wstring cache = p / L"Users\\me\\AppData\\Local\\App\\Cache";
  EXPECT_EQ(scan.paths(FoundKind::File), Sorted({cache + L"\\a.tmp", cache + L"\\Keep\\c.dat"}));
  EXPECT_TRUE(scan.paths(FoundKind::WasteFolder).empty());  // Keep keeps b.tmp, and so Cache stays

  const RegistryRemoval removal = RemoveRegistryRows(scan.rows, AllOf(scan.rows), p / L"Backup\\Registry\\");
  ASSERT_TRUE(removal.undo.written);
  EXPECT_TRUE(probe.hasValue(L"1\\Desktop", L"Kept"));
  EXPECT_FALSE(probe.hasKey(L"1\\Other") || probe.hasKey(L"2") || probe.hasValue(L"", L"Top") ||
               probe.hasValue(L"1", L"Mode"));
}

// Rules whose folder is a drive root, the Windows folder, a program folder or a
// profile as a whole, or no full path, are listed as refused and never walked;
// so are whole keys every program shares.
TEST(RuleScan, RulesOnProtectedFoldersAndSharedKeysAreRefused) {
  Planted p(L"refuse");
  for (const wchar_t* f : {L"Users\\me\\a.log", L"Windows\\b.log", L"Program Files\\c.txt", L"d.log",
                           L"Users\\me\\AppData\\Local\\e.log", L"Users\\me\\AppData\\Local\\Fine\\f.log"})
    p.file(p / f);
  const Winapp2File file = RuleText(
      "[Refused *]\r\n"
      "FileKey1=%UserProfile%|*.log\r\nFileKey2=%WinDir%|*.log\r\nFileKey3=%ProgramFiles%|*.txt\r\n"
      "FileKey4=%SystemDrive%|*.log\r\nFileKey5=%LocalAppData%|*.log\r\nFileKey6=%WinDir%\\..\\Users\\me|*.log\r\n"
      "FileKey7=%Documents%\\Games|*\r\nFileKey8=relative\\folder|*\r\nFileKey9=%LocalAppData%\\Fine|*.log\r\n"
      "RegKey1=HKCU\\Software\r\nRegKey2=HKLM\\Software\\Microsoft\r\nRegKey3=HKCR\\.vantorra\r\n"
      "RegKey4=HKU\\.DEFAULT\\Software\r\n");
  ASSERT_EQ(file.entries.size(), 1u);
  const RuleScan scan({&file.entries[0]}, p.root());
  struct Expected {
    const wchar_t* key;
    FolderProtection why;
  };
  const Expected folders[] = {
      {L"FileKey1", FolderProtection::UserFolder},     {L"FileKey2", FolderProtection::SystemFolder},
      {L"FileKey3", FolderProtection::ProgramFolder},  {L"FileKey3", FolderProtection::ProgramFolder},
      {L"FileKey4", FolderProtection::HoldsProtected}, {L"FileKey5", FolderProtection::UserFolder},
      {L"FileKey6", FolderProtection::UserFolder},     {L"FileKey7", FolderProtection::NotFullPath},
      {L"FileKey8", FolderProtection::NotFullPath},
  };
  std::vector<std::pair<std::wstring, FolderProtection>> refused, expected;
  for (const FoundRow& r : scan.rows)
    if (r.kind == FoundKind::RefusedFolder) refused.emplace_back(r.rule.key, r.protection);
  for (const Expected& e : folders) expected.emplace_back(e.key, e.why);
  EXPECT_EQ(refused, expected);
  // HKLM's key in both views; the classes root and HKU's first levels are shared too.
  EXPECT_EQ(scan.paths(FoundKind::RefusedKey),
            Sorted({L"HKEY_CURRENT_USER\\Software", L"HKEY_LOCAL_MACHINE\\Software\\Microsoft",
                    L"HKEY_LOCAL_MACHINE\\Software\\Wow6432Node\\Microsoft", L"HKEY_CLASSES_ROOT\\.vantorra",
                    L"HKEY_CLASSES_ROOT\\Wow6432Node\\.vantorra", L"HKEY_USERS\\.DEFAULT\\Software"}));
  EXPECT_EQ(scan.paths(FoundKind::File), std::vector<std::wstring>{p / L"Users\\me\\AppData\\Local\\Fine\\f.log"});
  EXPECT_EQ(scan.result.refused, std::size(folders) + 6);

  // The real machine's drive root and Windows folder, through the real names and protection.
  Winapp2ScanInput in;
  in.entries.push_back({&file.entries[0], 0, true});
  in.folders = RuleFolders::Resolve();
  in.protection = ProtectedFolders::Resolve();
  FakeRun run;
  std::vector<FoundRow> rows;
  static_cast<void>(Winapp2Scan(in, run, [&](FoundRow r) { rows.push_back(std::move(r)); }));
  const auto why = [&](std::wstring_view key) {
    for (const FoundRow& r : rows)
      if (r.rule.key == key) return r.protection;
    return FolderProtection::None;
  };
  EXPECT_EQ(why(L"FileKey4"), FolderProtection::DriveRoot);
  EXPECT_EQ(why(L"FileKey2"), FolderProtection::SystemFolder);
  EXPECT_EQ(why(L"FileKey1"), FolderProtection::UserFolder);
  EXPECT_TRUE(std::all_of(rows.begin(), rows.end(), [](const FoundRow& r) {
    return r.kind == FoundKind::RefusedFolder || r.kind == FoundKind::RefusedKey;
  }));
}

// The walk never follows a link or junction (scripts/make-test-links plants them):
// a folder holding one never goes whole.
TEST(RuleScan, RecursionNeverEntersALinkAndAFolderWithOneStays) {
  const std::wstring tree = L"C:\\WindowsVantorraFixtures\\links\\tree";
  ASSERT_TRUE(DirectoryExists(tree + L"\\out"));
  const Winapp2File file = RuleText("[Links *]\r\nFileKey1=" + ToUtf8(tree) + "|*.tmp|REMOVESELF\r\n");
  ASSERT_EQ(file.entries.size(), 1u);
  Planted p(L"links");
  const RuleScan scan({&file.entries[0]}, p.root());
  EXPECT_EQ(scan.paths(FoundKind::File), Sorted({tree + L"\\inside.tmp", tree + L"\\sub\\deeper.tmp"}));
  EXPECT_TRUE(scan.paths(FoundKind::WasteFolder).empty());
}

// Unticked entries, and entries unticked meanwhile, are not scanned; a stop ends the scan.
TEST(RuleScan, OnlyEntriesTickedWhenReachedAreScannedUntilAStop) {
  Planted p(L"ticks");
  p.file(p / L"Users\\me\\AppData\\Local\\A\\a.log");
  p.file(p / L"Users\\me\\AppData\\Local\\B\\b.log");
  const Winapp2File file = RuleText("[A *]\r\nFileKey1=%LocalAppData%\\A|*.log\r\n[B *]\r\nFileKey1=%LocalAppData%\\B|*.log\r\n");
  struct TickRun : FakeRun {
    bool stillTicked(std::size_t row, bool) override { return row == 1; }
  } run;
  Winapp2ScanInput in;
  in.entries = {{&file.entries[0], 0, true}, {&file.entries[1], 1, false}};
  in.folders = PlantedFolders(p.root());
  std::vector<FoundRow> rows;
  Winapp2Scan(in, run, [&](FoundRow r) { rows.push_back(std::move(r)); });
  EXPECT_EQ(Paths(rows), std::vector<std::wstring>{p / L"Users\\me\\AppData\\Local\\B\\b.log"});

  FakeRun stopping;
  stopping.stopWhen = [] { return true; };
  rows.clear();
  const Winapp2ScanResult stopped = Winapp2Scan(in, stopping, [&](FoundRow r) { rows.push_back(std::move(r)); });
  EXPECT_TRUE(stopped.stopped);
  EXPECT_TRUE(rows.empty());
}

}  // namespace
}  // namespace wv::test
