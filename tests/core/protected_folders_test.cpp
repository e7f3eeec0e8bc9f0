// Folders never cleaned as a whole: the rule, its spellings, and this machine's own.
#include <gtest/gtest.h>

#include "core/protected_folders.h"
#include "platform/platform.h"
#include "support/test_support.h"

namespace wv {
namespace {

TEST(ProtectedFolders, OnlyFullPathsCount) {
  for (const wchar_t* full : {L"C:\\", L"c:\\x", L"\\\\server\\share", L"\\\\server\\share\\x", L"\\\\?\\C:\\x",
                              L"\\\\?\\UNC\\server\\share\\x"})
    EXPECT_TRUE(IsFullPath(full)) << full;
  for (const wchar_t* partial : {L"", L"C:", L"C:x", L"\\x", L"x\\y", L"\\\\server", L"\\\\server\\", L"\\\\\\share",
                                 L"\\\\.\\C:", L"1:\\x", L"%TEMP%\\x"})
    EXPECT_FALSE(IsFullPath(partial)) << partial;
}

TEST(ProtectedFolders, TheFolderItselfAndWhatHoldsItAreProtectedWhatItHoldsIsNot) {
  const ProtectedFolders folders({{L"C:\\Windows", FolderProtection::SystemFolder},
                                  {L"C:\\Users\\me", FolderProtection::UserFolder},
                                  {L"C:\\Users\\me\\Documents", FolderProtection::DocumentFolder},
                                  {L"D:\\Program Files", FolderProtection::ProgramFolder}});
  const struct {
    const wchar_t* folder;
    FolderProtection want;
  } cases[] = {
      {L"C:\\", FolderProtection::DriveRoot},
      {L"c:", FolderProtection::NotFullPath},
      {L"\\\\nas\\backup\\", FolderProtection::DriveRoot},
      {L"C:\\WINDOWS\\", FolderProtection::SystemFolder},  // case and trailing backslash do not matter
      {L"C:\\Windows\\Temp\\..", FolderProtection::SystemFolder},
      {L"C:\\Windows\\Temp", FolderProtection::None},
      {L"C:\\Users", FolderProtection::HoldsProtected},
      {L"C:\\Users\\me\\Documents", FolderProtection::DocumentFolder},
      {L"C:\\Users\\me\\Documents\\old", FolderProtection::None},
      {L"C:\\Users\\mel", FolderProtection::None},  // a neighbour whose name starts alike
      {L"D:\\Program Files", FolderProtection::ProgramFolder},
      {L"D:\\Program Files\\Vendor\\cache", FolderProtection::None},
      {L"E:\\Data", FolderProtection::None},
  };
  for (const auto& c : cases) EXPECT_EQ(folders.check(c.folder), c.want) << c.folder;
  EXPECT_FALSE(FolderProtectionText(FolderProtection::HoldsProtected).empty());
}

TEST(ProtectedFolders, ThisMachinesSystemProgramAndProfileFoldersAreProtected) {
  const ProtectedFolders folders = ProtectedFolders::Resolve();
  Shell& shell = Sh();
  EXPECT_EQ(folders.check(shell.windowsFolder()), FolderProtection::SystemFolder);
  EXPECT_EQ(folders.check(shell.specialFolder(0x26)), FolderProtection::ProgramFolder);  // Program Files
  EXPECT_EQ(folders.check(shell.specialFolder(0x28)), FolderProtection::UserFolder);     // the profile
  EXPECT_EQ(folders.check(shell.specialFolder(0x05)), FolderProtection::DocumentFolder);  // Documents
  EXPECT_EQ(folders.check(shell.windowsFolder() + L"\\Temp"), FolderProtection::None);
  test::TempFolder mine(L"protect");
  EXPECT_EQ(folders.check(mine.path()), FolderProtection::None);
}

}  // namespace
}  // namespace wv
