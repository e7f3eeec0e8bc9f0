// The jump to a key in the registry editor opens the Windows folder's editor, never
// a "regedit.exe" planted beside this test program or in its current folder.
#include <gtest/gtest.h>
#include <windows.h>

#include "core/shell_jumps.h"
#include "platform/platform.h"
#include "platform/text.h"
#include "platform/handles.h"
#include "stand_ins.h"

namespace wv {
namespace {

using test::PlantedAroundThisProgram;
using test::StandIn;

std::wstring ImageOf(DWORD processId) {
  const UniqueHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION | SYNCHRONIZE, FALSE, processId));
  std::wstring path(32768, L'\0');
  DWORD size = static_cast<DWORD>(path.size());
  if (!process || !QueryFullProcessImageNameW(process.get(), 0, path.data(), &size)) return {};
  path.resize(size);
  return path;
}

// The editor's window, waited for (Wine may take longer than the jump's own short wait).
HWND EditorWindow() {
  for (int i = 0; i < 300; ++i, Sleep(50))
    if (HWND editor = FindWindowW(L"RegEdit_RegEdit", nullptr)) return editor;
  return nullptr;
}

TEST(RegistryJump, OpensTheWindowsFoldersEditorWhateverIsPlantedBesideTheProgram) {
  ASSERT_EQ(FindWindowW(L"RegEdit_RegEdit", nullptr), nullptr) << "an editor is open already";
  PlantedAroundThisProgram planted({StandIn::RegistryEditor});
  ASSERT_TRUE(planted.planted());
  OpenRegeditAt(L"HKEY_CURRENT_USER\\Software", L"", 0);
  const HWND editor = EditorWindow();
  ASSERT_NE(editor, nullptr) << "the registry editor did not come up";
  DWORD id = 0;
  GetWindowThreadProcessId(editor, &id);
  EXPECT_TRUE(EqualsNoCase(ImageOf(id), Sh().systemProgramPath(L"regedit.exe"))) << ToUtf8(ImageOf(id));
  const UniqueHandle process(OpenProcess(SYNCHRONIZE, FALSE, id));
  PostMessageW(editor, WM_CLOSE, 0, 0);
  if (process) EXPECT_EQ(WaitForSingleObject(process.get(), 20000), WAIT_OBJECT_0) << "the editor did not close";
  EXPECT_EQ(planted.markers(), std::vector<std::wstring>{});
}

}  // namespace
}  // namespace wv
