// Programs started by the platform: Windows' own are found only in the folders the
// system names for them, and nothing is started by a bare name or a relative path,
// with stand-ins of those programs planted beside this test program and in its
// current folder (where a search by name would look first).
#include <gtest/gtest.h>
#include <windows.h>

#include "platform/platform.h"
#include "platform/text.h"
#include "stand_ins.h"
#include "support/test_support.h"

namespace wv {
namespace {

using test::PlantedAroundThisProgram;
using test::StandIn;

std::wstring SystemWindowsFolder() {
  wchar_t folder[MAX_PATH] = L"";
  const UINT length = GetSystemWindowsDirectoryW(folder, MAX_PATH);
  return std::wstring(folder, length < MAX_PATH ? length : 0);
}

std::wstring ImageOf(HANDLE process) {
  wchar_t path[MAX_PATH] = L"";
  DWORD size = MAX_PATH;
  return QueryFullProcessImageNameW(process, 0, path, &size) ? std::wstring(path, size) : std::wstring();
}

TEST(SystemPrograms, AreFoundInTheWindowsFoldersWhateverLiesBesideTheProgram) {
  PlantedAroundThisProgram planted({std::begin(test::kStandInPrograms), std::end(test::kStandInPrograms)});
  ASSERT_TRUE(planted.planted());
  const std::wstring windows = IncludeTrailingBackslash(SystemWindowsFolder());
  for (const SystemProgram program : {SystemProgram::RegistryEditor, SystemProgram::FileBrowser, SystemProgram::HelpViewer}) {
    const std::wstring name(SystemProgramFile(program));
    EXPECT_TRUE(EqualsNoCase(Sh().systemProgramPath(name), windows + name)) << ToUtf8(name);
  }
  // Not in the Windows folder itself: the system folder.
  EXPECT_TRUE(EqualsNoCase(Sh().systemProgramPath(L"cmd.exe"), IncludeTrailingBackslash(Sh().systemFolder()) + L"cmd.exe"));
  // Only plain names of files Windows keeps: never a path, never a file planted elsewhere.
  const std::wstring elsewhere = planted.currentFolder() + L"\\wv_planted_tool.exe";
  test::WriteBytes(elsewhere, "MZ");
  for (const std::wstring& name : {std::wstring(L"wv_planted_tool.exe"), std::wstring(L"system32\\cmd.exe"),
                                   std::wstring(L"..\\regedit.exe"), std::wstring(L"C:regedit.exe"),
                                   planted.programFolder() + L"\\regedit.exe", std::wstring(L"system32"), std::wstring()})
    EXPECT_EQ(Sh().systemProgramPath(name), L"") << ToUtf8(name);
  DeleteFileW(elsewhere.c_str());
  EXPECT_EQ(planted.markers(), std::vector<std::wstring>{});
}

TEST(SystemPrograms, StartOnlyByTheirFullPathAndTheRealEditorDoesItsWork) {
  PlantedAroundThisProgram planted({std::begin(test::kStandInPrograms), std::end(test::kStandInPrograms)});
  ASSERT_TRUE(planted.planted());
  test::TempKey key(L"started");
  ASSERT_TRUE(Reg().createKey(RegRoot::CurrentUser, key.path()));
  const std::wstring exported = planted.currentFolder() + L"\\key.reg";
  const std::wstring params = L"/E \"" + exported + L"\" \"HKEY_CURRENT_USER\\" + key.path() + L"\"";

  // A bare name, a relative path, a path from the current drive's root: none is looked for.
  for (const std::wstring& program : {std::wstring(L"regedit.exe"), std::wstring(L"regedit"),
                                      std::wstring(L".\\regedit.exe"), std::wstring(L"\\regedit.exe")}) {
    EXPECT_FALSE(Sh().start(program, params, SW_HIDE)) << ToUtf8(program);
    EXPECT_FALSE(Sh().runProgram(program, program + L" " + params)) << ToUtf8(program);
  }
  // The registry editor of the Windows folder, which exports the key.
  const UniqueHandle editor = StartSystemProgram(SystemProgram::RegistryEditor, params, SW_HIDE);
  ASSERT_TRUE(editor);
  EXPECT_TRUE(EqualsNoCase(ImageOf(editor.get()), Sh().systemProgramPath(L"regedit.exe")));
  EXPECT_EQ(Sh().waitForExit(editor.get(), 60000), std::optional<std::uint32_t>(0));
  const std::string bytes = test::ReadBytes(exported);
  const std::wstring text(reinterpret_cast<const wchar_t*>(bytes.data()), bytes.size() / sizeof(wchar_t));
  EXPECT_NE(text.find(key.path()), std::wstring::npos) << "the key was not exported";
  // A command line run by its program's full path.
  DeleteFileW(exported.c_str());
  ASSERT_TRUE(Sh().runProgram(Sh().systemProgramPath(L"regedit.exe"), L"regedit.exe " + params));
  bool written = false;  // the export exists and the editor has let go of it
  for (int i = 0; i < 600 && !written; ++i, Sleep(50)) {
    const UniqueFile whole(CreateFileW(exported.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    written = whole && GetFileSize(whole.get(), nullptr) > 0;
  }
  EXPECT_TRUE(written);
  DeleteFileW(exported.c_str());
  EXPECT_EQ(planted.markers(), std::vector<std::wstring>{});
}

}  // namespace
}  // namespace wv
