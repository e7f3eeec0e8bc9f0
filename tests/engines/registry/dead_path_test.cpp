// Which texts name a missing file or folder on a fixed disk, rule by rule.
#include <gtest/gtest.h>

#include <initializer_list>
#include <utility>

#include "core/known_folders.h"
#include "engines/registry/registry_fixtures.h"
#include "platform/text.h"
#include "platform/win32/win32_platform.h"

namespace wv::test {
namespace {

// A folder of its own on drive C: (a fixed disk of the prefix) with two files
// and three folders; every "gone" path lies inside it too.
class DeadPath : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const wchar_t* f : {L"\\Foo 2.0", L"\\Python3.11", L"\\中文目录"}) ASSERT_TRUE(Fs().createFolderTree(at(f)));
    for (const wchar_t* f : {L"\\tool.exe", L"\\lib.dll"}) WriteBytes(at(f), "x");
    ASSERT_TRUE(FileExists(win_ + L"\\notepad.exe") && !known_.WindowsHelpDir.empty());
  }
  void TearDown() override { RemoveTree(base_); }
  std::wstring at(std::wstring_view tail) const { return base_ + std::wstring(tail); }
  void expectVerdicts(std::initializer_list<std::pair<std::wstring, bool>> cases) {
    for (const auto& [text, dead] : cases) EXPECT_EQ(IsDeadPath(text, rules_, RegView::Native), dead) << ToUtf8(text);
  }

  std::wstring base_ = L"C:\\VantorraDead_" + std::to_wstring(GetCurrentProcessId());
  KnownFolders known_ = ResolveKnownFolders();
  std::wstring win_ = known_.WindowsDir;  // holds notepad.exe under Wine
  RedundancyRules rules_{known_};
};

TEST_F(DeadPath, OnlyAbsolutePathsWithOneDriveLetterCount) {
  expectVerdicts({{win_ + L"\\notepad.exe %1", false}, {win_, false}, {at(L"\\Old\\Data"), true},
                  {L"%SystemRoot%\\system32\\x.dll", false}, {L"gone.exe", false},
                  {L"\\\\server\\share\\gone.exe", false}, {L"C:gone.exe", false},
                  {at(L"\\gone.exe /log:C:\\x.txt"), false}, {L"http://example.invalid/gone.exe", false}});
}

TEST_F(DeadPath, OnlyTheQuotedPartCountsAndDoubledBackslashesAreSingle) {
  // An empty pair of quotes leaves the text whole.
  expectVerdicts({{L"\"" + at(L"\\Gone\\app.exe") + L"\" -run", true},
                  {L"  \"" + at(L"\\tool.exe") + L"\" --gone C:\\nothing.exe", false},
                  {L"\"\"" + at(L"\\gone.exe"), true},
                  {ReplaceAll(at(L"\\tool.exe"), L"\\", L"\\\\"), false},
                  {ReplaceAll(at(L"\\gone.exe"), L"\\", L"\\\\"), true}});
}

TEST_F(DeadPath, FileIndexFormsNameTheirFile) {
  // file\index and file,index name an existing file; file\ with an extension is the file.
  expectVerdicts({{at(L"\\tool.exe\\3"), false}, {at(L"\\tool.exe\\-12"), false}, {at(L"\\tool.exe\\$1F"), false},
                  {at(L"\\tool.exe\\0x10"), false}, {at(L"\\lib.dll,-101"), false}, {at(L"\\gone.dll,-101"), true},
                  {at(L"\\tool.exe\\"), false}, {at(L"\\gone.exe\\"), true}});
}

TEST_F(DeadPath, CommandLinesAreCutToTheFileTheyName) {
  expectVerdicts({{at(L"\\tool.exe -x,y"), false}, {at(L"\\tool.exe,1 -y"), false}, {at(L"\\gone.exe,1 -y"), true},
                  {at(L"\\tool.exec"), false}, {at(L"\\tool.e"), true}, {at(L"\\tool."), false},
                  // No folder is looked for among the arguments.
                  {at(L"\\tool.exe /x \\y"), false}, {at(L"\\gone.exe /x \\y"), true}});
}

TEST_F(DeadPath, NamesWithoutAnExtensionAreJudgedAsFolders) {
  // A character a file name cannot hold ends the name; every character beyond ASCII is ordinary.
  expectVerdicts({{at(L"\\(gone)"), false}, {at(L"\\gone_x"), true}, {at(L"\\gone\\"), true},
                  {at(L"\\中文目录"), false}, {at(L"\\中文目录\\数据"), true}, {at(L"\\中文目录\\文档.doc"), true}});
}

TEST_F(DeadPath, SkippedNamesAndTheHelpFolderAreNeverDead) {
  expectVerdicts({{at(L"\\Gone\\THUNDER.EXE"), false}, {at(L"\\Gone\\Templates\\x.dot"), false},
                  {at(L"\\Office\\Data\\x.dat"), false}, {at(L"\\Gone\\*.tmp"), false},
                  {ToUpper(known_.WindowsHelpDir) + L"\\GONE.HLP", false}, {win_ + L"\\gone_vantorra.chm", true}});
}

TEST_F(DeadPath, ADotInAFolderNameDoesNotCutThePathInsideIt) {
  expectVerdicts({{at(L"\\Foo 2.0\\foo.exe /tray"), false}, {at(L"\\Python3.11\\python.exe -m x"), false},
                  {at(L"\\Bar 2.0\\bar.exe /tray"), true}, {at(L"\\Python2.7\\python.exe -m x"), true}});
}

// From the 32-bit view (a key below Wow6432Node) a file said to be in System32 may be in SysWOW64.
TEST_F(DeadPath, The32BitViewFindsSystemFilesInSysWow64) {
  PlantedRegistry plant;
  const std::wstring name = L"\\vantorra32_" + std::to_wstring(GetCurrentProcessId()) + L".dll";
  plant.file(win_ + L"\\SysWOW64" + name);
  EXPECT_TRUE(IsDeadPath(known_.SystemDir + name, rules_, RegView::Native));
  EXPECT_FALSE(IsDeadPath(known_.SystemDir + name, rules_, ViewOfPath(L"\\Software\\Wow6432Node\\Vendor")));
  EXPECT_EQ(ViewOfPath(L"\\Software\\MyWow6432Nodes"), RegView::Native);
}

TEST_F(DeadPath, AMissingFileCountsOnlyOnAFixedDisk) {
  struct Typed : Win32Volumes {
    unsigned type = DRIVE_FIXED;
    unsigned driveType(std::wstring_view) override { return type; }
  } volumes;
  Substitute<Volumes> swap(&Platform::volumes, volumes);
  for (const unsigned type : {DRIVE_REMOTE, DRIVE_REMOVABLE, DRIVE_NO_ROOT_DIR, DRIVE_FIXED}) {
    volumes.type = type;
    EXPECT_EQ(IsDeadPath(at(L"\\gone\\tool.exe"), RedundancyRules(known_)), type == DRIVE_FIXED) << type;
  }
}

}  // namespace
}  // namespace wv::test
