#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/publline.h"
#include "support/testsupport.h"

namespace wv {
namespace {

// Texts that must neither crash nor read out of range, whatever they give.
std::vector<std::wstring> OddInputs() {
  std::wstring mixed = L"C:\\";
  for (int k = 0; k < 4000; ++k) mixed += std::wstring(L"😀\xD800,. \"\\\\:") + L"中";
  return {L"",
          L" ",
          L"\t\r\n",
          L"\"",
          L"\"\"",
          L"\"\"\"",
          L"\" \"",
          L":",
          L"::::",
          L"C:",
          L"C:\\",
          L"C:\\\\",
          L"\\\\\\\\",
          L",,,",
          L"C:\\,",
          L"C:\\ ",
          L"C:\\.",
          L"C:\\..\\..",
          L"C:\\a.\\b.",
          L"C:\\x\\.,",
          L"C:\\x\\,.",
          L"C:\\x\\ .",
          L"C:\\x\\a.b,c d.e,f",
          std::wstring(32000, L'a'),
          std::wstring(32000, L'"'),
          std::wstring(32000, L'\\'),
          std::wstring(32000, L'.'),
          L"C:\\" + std::wstring(32000, L'x') + L".exe -a",
          mixed,
          std::wstring(1, L'\xD800'),
          L"C:\\\xDFFF.\xD800",
          std::wstring(L"C:\\a\0b.exe", 10)};
}

TEST(LooksLikeFilePath, DriveRootAndADot) {
  const struct {
    const wchar_t* text;
    bool path;
  } cases[] = {
      {L"C:\\a\\b.txt", true},
      {L"  \"C:\\a\\b.exe\" -x", true},
      {L"\"C:\\a b\\c.txt", true},  // no closing quote: up to the end
      {L"C:\\\\a\\\\b.txt", true},
      {L"d:\\x.y", true},
      {L"C:\\a\\b", false},
      {L"C:\\", false},
      {L"%SystemRoot%\\x.dll", false},
      {L"http://x.com/a.htm", false},
      {L"c:/a/b.txt", false},
      {L"\\\\server\\share\\a.txt", false},
      {L"a.b", false},
      {L"\"x\" C:\\a.txt", false},  // the quoted part is taken
      {L"\"\" C:\\a.txt", true},    // nothing quoted: the whole text, its quotes removed
      {L"", false},
      {L"\"", false},
      {L"   ", false},
  };
  for (const auto& c : cases) EXPECT_EQ(LooksLikeFilePath(c.text), c.path) << c.text;
  for (const std::wstring& odd : OddInputs()) (void)LooksLikeFilePath(odd);
}

TEST(ExtractPathFromCommand, CommandLinesOfFilesThatDoNotExist) {
  const struct {
    const wchar_t* text;
    const wchar_t* path;
  } cases[] = {
      {L"C:\\Program Files\\App\\app.exe -x", L"C:\\Program Files\\App\\app.exe"},
      {L"C:\\WINDOWS\\system32\\rundll32.exe shell32.dll,Control_RunDLL", L"C:\\WINDOWS\\system32\\rundll32.exe"},
      {L"C:\\x\\icon.dll,5", L"C:\\x\\icon.dll"},
      {L"C:\\Prog\\My App.exe /s", L"C:\\Prog\\My App.exe"},
      {L"\"C:\\Program Files\\App\\app.exe\" /x \"C:\\other.txt\"", L"C:\\Program Files\\App\\app.exe"},
      {L"  \"C:\\No Close\\a.exe -x", L"C:\\No Close\\a.exe"},
      {L"C:\\\\Tools\\\\t.exe", L"C:\\Tools\\t.exe"},
      {L"D:\\a.exe C:\\b.txt", L"D:\\a.exe"},  // a second drive ends the path
      {L"C:\\x\\file.exe_backup", L"C:\\x\\file.exe"},
      {L"C:\\x\\a.b\\c", L"C:\\x\\a.b\\c"},   // last part without a dot
      {L"C:\\x\\y\\", L"C:\\x\\y\\"},
      {L"C:\\x\\a|b.txt", L"C:\\x\\a"},
      {L"C:\\x\\setup.exe,1 extra words", L"C:\\x\\setup.exe"},
      {L"C:\\x\\a.b c", L"C:\\x\\a.b"},
      {L"%SystemRoot%\\system32\\x.exe /k", L"%SystemRoot%\\system32\\x.exe /k"},
      {L"notepad.exe", L"notepad.exe"},
      {L"\"notepad.exe\" /p", L"notepad.exe"},
      {L"www.example.com/x.htm", L"www.example.com/x.htm"},
      {L"http://www.example.com/x.htm", L"http"},  // a colon from the fourth character on ends the text
      {L"  C:\\trim.exe  ", L"C:\\trim.exe"},
  };
  for (const auto& c : cases) EXPECT_EQ(ExtractPathFromCommand(c.text), c.path) << c.text;
}

TEST(ExtractPathFromCommand, ExistingFilesWinOverTheHeuristics) {
  test::TempFolder tmp(L"paths");
  const std::wstring t = tmp.path() + L"\\";
  tmp.file(L"a.b c");
  tmp.file(L"app.exe");
  tmp.file(L"app.json");
  tmp.file(L"icons.dll");
  tmp.file(L"plain");
  const struct {
    std::wstring text;
    std::wstring path;
  } cases[] = {
      {t + L"a.b c", t + L"a.b c"},                 // exists as written
      {t + L"app.exe\\", t + L"app.exe"},           // a stray trailing backslash
      {t + L"app.json\\", t + L"app.json\\"},       // only for a three-letter extension
      {t + L"icons.dll\\-3", t + L"icons.dll"},     // a resource number after the file
      {t + L"icons.dll\\3x", t + L"icons.dll\\3x"},
      {t + L"plain,5", t + L"plain"},               // the part before the first comma
      {t + L"missing,5", t + L"missing,5"},
  };
  for (const auto& c : cases) EXPECT_EQ(ExtractPathFromCommand(c.text), c.path) << c.text;
}

TEST(ExtractPathFromCommand, OddInputNeverGrowsOrBreaks) {
  for (const std::wstring& odd : OddInputs()) {
    const std::wstring out = ExtractPathFromCommand(odd);
    EXPECT_LE(out.size(), odd.size());
  }
  EXPECT_EQ(ExtractPathFromCommand(L"\""), L"");
  EXPECT_EQ(ExtractPathFromCommand(L"\"\"\""), L"");
  EXPECT_EQ(ExtractPathFromCommand(L"C:\\"), L"C:\\");
}

TEST(CheckFileName, Rules) {
  const std::wstring empty = L"文件名不能为空！";
  const std::wstring special = L"文件名中不能包含以下特殊字符  \\ / < > * \" : ? | ";
  const std::wstring tooLong = L"文件名过长！";
  const struct {
    std::wstring in;
    std::wstring error;
    std::wstring stored;
  } cases[] = {
      {L"  name.txt  ", L"", L"name.txt"},
      {L"abc...", L"", L"abc"},
      {L"a.b.", L"", L"a.b"},
      {L"...", empty, L""},
      {L".hidden", empty, L".hidden"},
      {L"", empty, L""},
      {L"   ", empty, L""},
      {L"a:b", special, L"a:b"},
      {L"a\\b", special, L"a\\b"},
      {L"a/b", special, L"a/b"},
      {L"a<b", special, L"a<b"},
      {L"a>b", special, L"a>b"},
      {L"a*b", special, L"a*b"},
      {L"a\"b", special, L"a\"b"},
      {L"a?b", special, L"a?b"},
      {L"a|b", special, L"a|b"},
      {L"a\tb\x7f", L"", L"a\tb\x7f"},  // outside printable ASCII: never refused
      {L"日本語テキスト", L"", L"日本語テキスト"},
      {L"😀.txt", L"", L"😀.txt"},
      {std::wstring(L"x\xD800y"), L"", std::wstring(L"x\xD800y")},
      {std::wstring(200, L'a'), L"", std::wstring(200, L'a')},
      {std::wstring(201, L'a'), tooLong, std::wstring(201, L'a')},
      {std::wstring(100, L'中'), L"", std::wstring(100, L'中')},
      {std::wstring(101, L'中'), tooLong, std::wstring(101, L'中')},
      {std::wstring(99, L'中') + L"ab", L"", std::wstring(99, L'中') + L"ab"},
      {std::wstring(99, L'中') + L"abc", tooLong, std::wstring(99, L'中') + L"abc"},
      {std::wstring(200, L'a') + L"...", L"", std::wstring(200, L'a')},
      {std::wstring(32000, L'x'), tooLong, std::wstring(32000, L'x')},
  };
  for (const auto& c : cases) {
    std::wstring name = c.in;
    EXPECT_EQ(CheckFileName(name), c.error) << c.in.substr(0, 40);
    EXPECT_EQ(name, c.stored) << c.in.substr(0, 40);
  }
  for (const std::wstring& odd : OddInputs()) {
    std::wstring name = odd;
    const std::wstring error = CheckFileName(name);
    EXPECT_TRUE(error.empty() || error == empty || error == special || error == tooLong);
  }
}

}  // namespace
}  // namespace wv
