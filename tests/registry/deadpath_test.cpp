#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/knownfolders.h"
#include "core/publline.h"
#include "core/text.h"
#include "registry/regscan_fixtures.h"
#include "registry/zcqlline.h"
#include "support/testsupport.h"

namespace wv::test::regscan {
namespace {

struct Case {
  std::wstring text;
  bool dead;
};

// A folder of its own on drive C: (a fixed disk of the prefix) with a few
// files and folders; every "gone" path below lies inside it too.
class DeadPath : public ::testing::Test {
 protected:
  void SetUp() override {
    base_ = L"C:\\VantorraDead_" + std::to_wstring(GetCurrentProcessId());
    ASSERT_TRUE(Fs().createFolderTree(base_ + L"\\Foo 2.0"));
    ASSERT_TRUE(Fs().createFolderTree(base_ + L"\\Python3.11"));
    ASSERT_TRUE(Fs().createFolderTree(base_ + L"\\中文目录"));
    WriteBytes(base_ + L"\\tool.exe", "x");
    WriteBytes(base_ + L"\\lib.dll", "x");
  }
  void TearDown() override { RemoveTree(base_); }

  std::wstring at(std::wstring_view tail) const { return base_ + std::wstring(tail); }
  void expect(const std::vector<Case>& cases, RegView view = RegView::Native) const {
    for (const Case& c : cases)
      EXPECT_EQ(IsDeadPath(c.text, rules_, view), c.dead) << ToUtf8(c.text);
  }

  KnownFolders known_ = ResolveKnownFolders();
  RedundancyRules rules_{known_};
  std::wstring base_;
};

TEST_F(DeadPath, WorkedOutcomes) {
  const std::wstring win = known_.WindowsDir;  // holds notepad.exe under Wine
  ASSERT_TRUE(FileExists(win + L"\\notepad.exe"));
  expect({
      {win + L"\\notepad.exe %1", false},
      {L"\"" + at(L"\\Gone\\app.exe") + L"\" -run", true},
      {at(L"\\Gone\\app.exe,0"), true},
      {win + L"\\notepad.exe,1", false},
      {at(L"\\Old\\Data"), true},
      {win, false},
      {L"%SystemRoot%\\system32\\x.dll", false},
      {at(L"\\Gone\\*.tmp"), false},
  });
}

TEST_F(DeadPath, QuotingDoubledBackslashesAndDriveForms) {
  expect({
      // Quotes: only the quoted part counts, an empty pair leaves the text whole.
      {L"  \"" + at(L"\\tool.exe") + L"\" --gone C:\\nothing.exe", false},
      {L"\"\"" + at(L"\\gone.exe"), true},
      // Pairs of backslashes as some programs store them.
      {ReplaceAll(at(L"\\tool.exe"), L"\\", L"\\\\"), false},
      {ReplaceAll(at(L"\\gone.exe"), L"\\", L"\\\\"), true},
      // Only "X:\" paths, with no second drive reference.
      {L"gone.exe", false},
      {L"\\\\server\\share\\gone.exe", false},
      {L"C:gone.exe", false},
      {at(L"\\gone.exe /log:C:\\x.txt"), false},
      {L"http://example.invalid/gone.exe", false},
  });
}

TEST_F(DeadPath, FileIndexAndArgumentForms) {
  expect({
      // file\index and file,index name an existing file.
      {at(L"\\tool.exe\\3"), false},
      {at(L"\\tool.exe\\-12"), false},
      {at(L"\\tool.exe\\$1F"), false},
      {at(L"\\tool.exe\\0x10"), false},
      {at(L"\\lib.dll,-101"), false},
      {at(L"\\gone.dll,-101"), true},
      // file\ with a three-letter extension is the file itself.
      {at(L"\\tool.exe\\"), false},
      {at(L"\\gone.exe\\"), true},
      // Comma and space rules pick the file name out of a command line.
      {at(L"\\tool.exe -x,y"), false},
      {at(L"\\tool.exe,1 -y"), false},
      {at(L"\\gone.exe,1 -y"), true},
      {at(L"\\tool.exec"), false},  // the extension is cut to three letters
      {at(L"\\tool.e"), true},
      {at(L"\\tool."), false},  // a bare dot is no extension
      // Names that cannot be files end the name; the rest is judged as a folder.
      {at(L"\\(gone)"), false},
      {at(L"\\gone_x"), true},
      {at(L"\\gone\\"), true},
  });
}

// Every character beyond ASCII is ordinary: the whole name is judged.
TEST_F(DeadPath, TextBeyondAsciiIsOrdinary) {
  expect({
      {at(L"\\中文目录"), false},
      {at(L"\\中文目录\\数据"), true},
      {at(L"\\已删除的文件夹"), true},
      {at(L"\\中文目录\\文档.doc"), true},
  });
}

TEST_F(DeadPath, SkippedPathsAndTheHelpFolder) {
  ASSERT_FALSE(known_.WindowsHelpDir.empty());
  expect({
      {at(L"\\Gone\\THUNDER.EXE"), false},
      {at(L"\\Gone\\thunder.exe"), false},
      {at(L"\\Gone\\Templates\\x.dot"), false},
      {at(L"\\Office\\Data\\x.dat"), false},
      {known_.WindowsHelpDir + L"\\gone.chm", false},
      {ToUpper(known_.WindowsHelpDir) + L"\\GONE.HLP", false},
      {known_.WindowsDir + L"\\gone_vantorra.chm", true},
  });
}

// A dot in a folder name must not cut the path inside that folder.
TEST_F(DeadPath, DotInAFolderJudgesThatFolder) {
  expect({
      {at(L"\\Foo 2.0\\foo.exe /tray"), false},
      {at(L"\\Python3.11\\python.exe -m x"), false},
      {at(L"\\Bar 2.0\\bar.exe /tray"), true},
      {at(L"\\Python2.7\\python.exe -m x"), true},
      {at(L"\\tool.exe /x \\y"), false},  // a backslash among the arguments is no folder
      {at(L"\\gone.exe /x \\y"), true},
  });
}

// From the 32-bit view a file said to be in System32 may be in SysWOW64.
TEST_F(DeadPath, ThirtyTwoBitViewLooksInSysWow64) {
  const std::wstring wow = known_.WindowsDir + L"\\SysWOW64";
  ASSERT_TRUE(DirectoryExists(wow));
  const std::wstring name = L"\\vantorra32_" + std::to_wstring(GetCurrentProcessId()) + L".dll";
  WriteBytes(wow + name, "x");
  const std::wstring text = known_.SystemDir + name;
  EXPECT_TRUE(IsDeadPath(text, rules_, RegView::Native));
  EXPECT_FALSE(IsDeadPath(text, rules_, RegView::Wow32));
  EXPECT_TRUE(IsDeadPath(known_.SystemDir + L"\\vantorra_none.dll", rules_, RegView::Wow32));
  EXPECT_TRUE(Fs().deleteFile(wow + name));
  EXPECT_EQ(ViewOfPath(L"\\Software\\Wow6432Node\\Vendor"), RegView::Wow32);
  EXPECT_EQ(ViewOfPath(L"\\Software\\MyWow6432Nodes"), RegView::Native);
}

// Missing files on drives that are not fixed disks are never reported.
TEST_F(DeadPath, OnlyFixedDisksCount) {
  const wchar_t letter = FreeDriveLetter();
  ASSERT_NE(letter, 0);
  const std::wstring gone = std::wstring(1, letter) + L":\\gone\\tool.exe";
  EXPECT_FALSE(IsDeadPath(gone, rules_)) << "a drive that does not exist";
  for (const unsigned type : {DRIVE_REMOTE, DRIVE_REMOVABLE}) {
    MappedDrive drive(letter, base_, type);
    ASSERT_TRUE(drive.ok());
    ASSERT_EQ(GetDriveTypeW((std::wstring(1, letter) + L":\\").c_str()), type);
    ASSERT_TRUE(FileExists(std::wstring(1, letter) + L":\\tool.exe")) << "the mapped folder is reachable";
    RedundancyRules fresh(known_);  // drive types are remembered per scan
    EXPECT_FALSE(IsDeadPath(gone, fresh)) << type;
  }
  RedundancyRules fresh(known_);
  EXPECT_TRUE(IsDeadPath(at(L"\\gone\\tool.exe"), fresh));
}

}  // namespace
}  // namespace wv::test::regscan
