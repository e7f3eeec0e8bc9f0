// Path rules for registry values and command lines, file-name checks and masks.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <set>
#include <tuple>

#include "core/utilities.h"
#include "support/test_support.h"

namespace wv {
namespace {

// Texts that must neither crash nor read out of range: empty, blank, quotes only,
// very long, and characters that GBK lacks or that are broken surrogate halves.
std::vector<std::wstring> OddInputs() {
  std::wstring mixed = L"C:\\";
  for (int k = 0; k < 3000; ++k) mixed += L"😀\xD800,. \"\\\\:中";
  return {L"", L" \t\r\n", L"\"", L"\"\"\"", L"\" \"", L":", L"C:\\", L"C:\\,", L"C:\\ .", L"C:\\x\\.,", L"C:\\x\\a.b,c d.e,f",
          std::wstring(32000, L'a'), std::wstring(32000, L'"'), std::wstring(32000, L'\\'),
          L"C:\\" + std::wstring(32000, L'x') + L".exe -a", mixed, L"C:\\\xDFFF.\xD800",
          std::wstring(L"C:\\a\0b.exe", 10)};
}

TEST(PathsInText, AFilePathHasADriveRootAndADotAndACommandsPathComesByHeuristicsOrFromFilesThatExist) {
  const std::pair<const wchar_t*, bool> cases[] = {
      {L"  \"C:\\a\\b.exe\" -x", true}, {L"\"C:\\a b\\c.txt", true},  // no closing quote: up to the end
      {L"C:\\\\a\\\\b.txt", true},     {L"d:\\x.y", true},           {L"C:\\a\\b", false},
      {L"%SystemRoot%\\x.dll", false}, {L"c:/a/b.txt", false},       {L"\\\\server\\share\\a.txt", false},
      {L"\"x\" C:\\a.txt", false},     {L"\"\" C:\\a.txt", true}};  // nothing quoted: the whole text
  for (const auto& [text, path] : cases) EXPECT_EQ(LooksLikeFilePath(text), path) << text;
  for (const std::wstring& odd : OddInputs())
    EXPECT_EQ(LooksLikeFilePath(odd), odd.rfind(L"C:\\", 0) == 0 && odd.find(L'.') != std::wstring::npos);
  // The path in a command line: heuristics, and files that exist.
  test::TempFolder tmp(L"paths");
  for (const wchar_t* name : {L"a.b c", L"app.exe", L"app.json", L"icons.dll", L"plain"}) tmp.file(name);
  const std::wstring t = tmp.path() + L"\\";
  const std::pair<std::wstring, std::wstring> commands[] = {
      {L"C:\\WINDOWS\\system32\\rundll32.exe shell32.dll,Control_RunDLL", L"C:\\WINDOWS\\system32\\rundll32.exe"},
      {L"C:\\Prog\\My App.exe /s", L"C:\\Prog\\My App.exe"},
      {L"\"C:\\Program Files\\App\\app.exe\" /x \"C:\\other.txt\"", L"C:\\Program Files\\App\\app.exe"},
      {L"  \"C:\\No Close\\a.exe -x", L"C:\\No Close\\a.exe"},  {L"C:\\\\Tools\\\\t.exe", L"C:\\Tools\\t.exe"},
      {L"D:\\a.exe C:\\b.txt", L"D:\\a.exe"},  // a second drive ends the path
      {L"C:\\x\\file.exe_backup", L"C:\\x\\file.exe"},  {L"C:\\x\\a.b\\c", L"C:\\x\\a.b\\c"},
      {L"C:\\x\\a|b.txt", L"C:\\x\\a"},                 {L"C:\\x\\setup.exe,1 extra words", L"C:\\x\\setup.exe"},
      {L"%SystemRoot%\\system32\\x.exe /k", L"%SystemRoot%\\system32\\x.exe /k"},
      {L"\"notepad.exe\" /p", L"notepad.exe"},          {L"www.example.com/x.htm", L"www.example.com/x.htm"},
      {L"ftp://www.example.com/x.htm", L"ftp"},  // a colon from the fourth character on ends the text
      {L"\"\"\"", L""},
      // Existing files win over the heuristics.
      {t + L"a.b c", t + L"a.b c"},            {t + L"app.exe\\", t + L"app.exe"},  // a stray trailing backslash
      {t + L"app.json\\", t + L"app.json\\"},  // only for a three-letter extension
      {t + L"icons.dll\\-3", t + L"icons.dll"},  {t + L"icons.dll\\3x", t + L"icons.dll\\3x"},  // a resource number
      {t + L"plain,5", t + L"plain"}};  // the part before the first comma
  for (const auto& [text, path] : commands) EXPECT_EQ(ExtractPathFromCommand(text), path) << text;
  for (const std::wstring& odd : OddInputs()) EXPECT_LE(ExtractPathFromCommand(odd).size(), odd.size());
}

TEST(CheckFileName, Rules) {
  const std::wstring empty = L"文件名不能为空！", tooLong = L"文件名过长！";
  const std::wstring special = L"文件名中不能包含以下特殊字符  \\ / < > * \" : ? | ";
  const std::wstring a200(200, L'a');  // trimming and GBK lengths are pinned by the file-information tests
  const std::tuple<std::wstring, std::wstring, std::wstring> cases[] = {  // name, error, name kept
      {L"...", empty, L""}, {L".hidden", empty, L".hidden"}, {a200 + L"...", L"", a200}, {a200 + L"a", tooLong, a200 + L"a"},
      {L"a\tb\x7f😀\xD800", L"", L"a\tb\x7f😀\xD800"},  // outside printable ASCII: never refused
  };
  for (auto [in, error, stored] : cases) {
    EXPECT_EQ(CheckFileName(in), error) << stored.substr(0, 20);
    EXPECT_EQ(in, stored);
  }
  std::wstring name;
  for (const wchar_t ch : std::wstring(L"\\/<>*\":?|")) EXPECT_EQ(CheckFileName(name = std::wstring(L"a") + ch + L"b"), special) << name;
  // Names Windows keeps for devices, with or without an extension and in any case,
  // and names that would still end in a blank, are refused; names only like them are not.
  for (const wchar_t* reserved : {L"CON", L"prn", L"Aux.txt", L"nul.tar.gz", L"COM1", L"com9.log", L"LPT1", L"lpt9",
                                  L"NUL .txt", L"con ", L"COM\x00B9"})
    EXPECT_NE(CheckFileName(name = reserved), L"") << reserved;
  for (const wchar_t* ending : {L"name .", L"a . .", L"x \t."}) EXPECT_NE(CheckFileName(name = ending), L"") << ending;
  for (const wchar_t* fine : {L"CONSOLE", L"con_1", L"COM10", L"LPT", L"com.txt", L"auxiliary.doc", L"nul_", L"a.b c"}) {
    EXPECT_EQ(CheckFileName(name = fine), L"") << fine;
  }
  const std::set<std::wstring> errors = {L"", empty, special, tooLong};
  for (std::wstring odd : OddInputs()) EXPECT_TRUE(errors.contains(CheckFileName(odd))) << odd.substr(0, 20);
}

TEST(FileMask, WholeNamesOfEveryScriptAndOnlyAFinalStarDotStarShortened) {
  for (const auto& [in, out] : {std::pair{L"~*.*", L"~*"}, {L"*.*", L"*"}, {L"chklist.*", L"chklist.*"},
                                {L"*.*x", L"*.*x"}, {L".*", L".*"}, {L"", L""}})
    EXPECT_EQ(NormalizeMask(in), out) << in;
  EXPECT_FALSE(MatchesMask(L"~temp", L"~*.*"));  // what the shortening is for
  // Shapes and sets on ASCII are held against a plain matcher below.
  const std::tuple<const wchar_t*, const wchar_t*, bool> cases[] = {
      {L"errorlog.txt", L"ErrorLog.TXT", true}, {L"errorlog.txt", L"errorlog.txt1", false}, {L"", L"", true},
      {L"*", L"", true},          {L"*中*", L"x中", true},       {L"*É*", L"été", true},    {L"*.дат", L"Х.ДАТ", true},
      {L"0???????.nch", L"0123456.nch", false},  {L"*.txt", L"😀.txt", true},   {L"?.txt", L"\xD800.txt", true},
  };
  for (const auto& [mask, name, matches] : cases) EXPECT_EQ(MatchesMask(name, mask), matches) << mask << L" " << name;
  for (const wchar_t* bad : {L"[", L"*.[", L"a[!", L"[a-z]x["}) {
    EXPECT_FALSE(IsValidMask(bad)) << bad;
    EXPECT_FALSE(MatchesMask(L"[", bad)) << bad;  // an invalid mask matches nothing
  }
}

// A plain recursive matcher to hold the fast paths against: tiny inputs only.
bool Reference(std::wstring_view mask, std::wstring_view name) {
  if (mask.empty()) return name.empty();
  if (mask[0] == L'*') {
    for (std::size_t k = 0; k <= name.size(); ++k)
      if (Reference(mask.substr(1), name.substr(k))) return true;
    return false;
  }
  if (name.empty()) return false;
  if (mask[0] == L'[') {
    const std::size_t close = mask.find(L']');
    std::wstring_view body = mask.substr(1, close - 1);
    const bool negate = !body.empty() && body[0] == L'!';
    if (negate) body.remove_prefix(1);
    bool in = false;
    for (std::size_t k = 0; k < body.size(); ++k) {
      const wchar_t first = body[k], last = k + 2 < body.size() && body[k + 1] == L'-' ? body[k += 2] : first;
      const wchar_t lo = std::min(first, last), hi = std::max(first, last);
      for (const wchar_t v : {name[0], FoldCase(name[0]), ToLower(name.substr(0, 1))[0]})
        in = in || (v >= lo && v <= hi);
    }
    return in != negate && Reference(mask.substr(close + 1), name.substr(1));
  }
  if (mask[0] != L'?' && FoldCase(mask[0]) != FoldCase(name[0])) return false;
  return Reference(mask.substr(1), name.substr(1));
}

TEST(FileMask, AgreesWithAPlainMatcherOnRandomNamesAndStaysInRangeAndFastOnOddOnes) {
  std::vector<std::wstring> masks = {L"*a*",   L"a*b",    L"?*?",   L"[a-c]*[!.]", L"*ab*ba*", L"[!a]?.[0-9]", L"*.?",
                                     L"[A-C]*", L"[c-a]?", L"[Z-a]", L"[a-]",      L"a]*",     L"[!]*",        L"[]",
                                     L"x[*?]",  L"[!a-c]*", L"*.*",  L"~*"};
  // The junk page's own masks, as its catalogue lists them.
  for (const wchar_t* junk : {L"*.~*", L"*.^*", L"*.??$", L"*.??~", L"*.$*", L"*._mp", L"*.tmp", L"~*.*", L"*.bak",
                              L"*.old", L"*.prv", L"*.syd", L"*.err", L"errorlog.txt", L"*.gid", L"*.ftg", L"*.fts",
                              L"*.$$$", L"*.@@@", L"*.dmp", L"chklist.*", L"*.chk", L"*.diz", L"*.wbk", L"*.xlk",
                              L"*.cdr_", L"*.#Res", L"*.---", L"mscreate.dir", L"imagedb.aid", L"0???????.nch", L"*.fnd",
                              L"*.spc", L"*.mch", L"Thumbs.db"})
    masks.push_back(NormalizeMask(junk));
  const std::wstring alphabet = L"aAbB.~$#-0?cCx]_*";
  std::mt19937 random(12345);
  for (int round = 0; round < 3000; ++round) {
    std::wstring name;
    for (int k = static_cast<int>(random() % 9); k > 0; --k) name += alphabet[random() % alphabet.size()];
    if (round % 4 == 0) name += masks[random() % masks.size()].substr(1);  // aim at a shape, so matches are not rare
    for (const std::wstring& mask : masks)
      ASSERT_EQ(MatchesMask(name, mask), Reference(mask, name)) << L"mask " << mask << L" name " << name;
  }
  // Odd and huge input stays in range and fast.
  const std::vector<std::wstring> inputs = {L"", L" ", L"\"", L"[!", L"*?[!]", std::wstring(32000, L'*'),
                                            std::wstring(32000, L'['), L"[" + std::wstring(32000, L'-') + L"]",
                                            L"😀*\xD800[\xDC00-\xDFFF]", std::wstring(1, L'\0') + L"*"};
  for (const std::wstring& mask : inputs) {
    const std::optional<FileMask> m = FileMask::Compile(mask);
    for (const std::wstring& name : inputs)
      if (m) (void)m->Matches(name);
    EXPECT_LE(NormalizeMask(mask).size(), mask.size());
  }
  EXPECT_TRUE(MatchesMask(std::wstring(32000, L'x'), std::wstring(32000, L'?')));
  EXPECT_FALSE(MatchesMask(std::wstring(31999, L'x'), std::wstring(32000, L'?')));
  // Backtracking goes only to the last star: many stars on a long name stay linear (else this hangs).
  const std::wstring longName(32000, L'a');
  EXPECT_FALSE(MatchesMask(longName, L"*a*a*a*a*b"));
  EXPECT_TRUE(MatchesMask(longName + L"b", L"*a*a?a*[b]"));
  EXPECT_TRUE(MatchesMask(longName, L"*" + std::wstring(300, L'a')));
}

}  // namespace
}  // namespace wv
