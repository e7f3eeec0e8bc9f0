// DLLs loaded at run time come from the system folder only, with a stand-in of
// msimg32.dll planted beside this test program and in its current folder. ctest
// starts this program with Windows' search order asked of Wine's loader for
// msimg32 (tests/CMakeLists.txt), so a plain load by name takes the stand-in:
// the control that shows the planting would be noticed.
#include <gtest/gtest.h>
#include <windows.h>

#include "platform/libraries.h"
#include "platform/platform.h"
#include "platform/text.h"
#include "stand_ins.h"

namespace wv {
namespace {

using test::PlantedAroundThisProgram;
using test::StandIn;

std::wstring FileOf(HMODULE module) {
  std::wstring path(32768, L'\0');
  path.resize(GetModuleFileNameW(module, path.data(), static_cast<DWORD>(path.size())));
  return path;
}

TEST(SystemLibraries, AreLoadedFromTheSystemFolderWhateverLiesBesideTheProgram) {
  ASSERT_EQ(GetModuleHandleW(L"msimg32.dll"), nullptr) << "this test program must not import msimg32";
  PlantedAroundThisProgram planted({StandIn::Msimg32});
  ASSERT_TRUE(planted.planted());
  {
    const SystemLibrary library(L"msimg32.dll");
    ASSERT_TRUE(library.loaded());
    EXPECT_TRUE(EqualsNoCase(FileOf(library.handle()), IncludeTrailingBackslash(Sh().systemFolder()) + L"msimg32.dll"))
        << ToUtf8(FileOf(library.handle()));
    void (*alphaBlend)() = nullptr, (*missing)() = nullptr;
    EXPECT_TRUE(library.find(alphaBlend, "AlphaBlend"));
    EXPECT_FALSE(library.find(missing, "NoSuchFunctionAnywhere"));
    EXPECT_EQ(missing, nullptr);
  }
  EXPECT_EQ(planted.markers(), std::vector<std::wstring>{});
  EXPECT_FALSE(SystemLibrary(L"wv_no_such_library.dll").loaded());

  // The control: loaded by name the ordinary way, the stand-in beside the program answers.
  const HMODULE plain = LoadLibraryW(L"msimg32.dll");
  ASSERT_NE(plain, nullptr);
  const std::wstring plainFile = FileOf(plain);
  FreeLibrary(plain);
  EXPECT_TRUE(EqualsNoCase(plainFile, planted.programFolder() + L"\\msimg32.dll")) << ToUtf8(plainFile);
  EXPECT_EQ(planted.markers().size(), 1u);
}

}  // namespace
}  // namespace wv
