// The words of the command line.
#include <gtest/gtest.h>

#include "cli/command_line.h"
#include "platform/text.h"

namespace wv::test {
namespace {

struct Case {
  std::vector<std::wstring> words;
  std::wstring flags;  // what is asked: c(lean) j(unk) p(review) q(uiet) h(elp), then "|report"
  std::wstring error;  // a fragment of the error; empty when the words make sense
};

std::wstring Asked(const CommandLine& o) {
  std::wstring out;
  if (o.clean) out += L'c';
  if (o.junk) out += L'j';
  if (o.preview) out += L'p';
  if (o.quiet) out += L'q';
  if (o.help) out += L'h';
  if (o.report) out += L"|" + *o.report;
  return out;
}

TEST(CommandLine, WordsAskForWhatTheySayAndNothingElse) {
  const Case cases[] = {
      {{L"/clean"}, L"c", L""},
      {{L"/CLEAN", L"-Junk", L"/preview", L"/Quiet", L"/report", L"C:\\r\\a b.csv"}, L"cjpq|C:\\r\\a b.csv", L""},
      {{L"/report", L"x.html", L"/clean"}, L"c|x.html", L""},
      {{L"/?"}, L"h", L""},
      {{L"/clean", L"/help"}, L"ch", L""},
      {{}, L"", L"缺少参数 /clean"},
      {{L"/junk"}, L"j", L"“/junk”需要与 /clean 一起使用"},
      {{L"/preview", L"/quiet"}, L"pq", L"“/preview”需要与 /clean 一起使用"},
      {{L"/clean", L"/report"}, L"c", L"“/report”后面缺少报告文件名"},
      {{L"/clean", L"/report", L"  "}, L"c", L"“/report”后面缺少报告文件名"},
      {{L"/clean", L"/report", L"a.csv", L"/report", L"b.csv"}, L"c|a.csv", L"“/report”重复"},
      {{L"/clean", L"/clean"}, L"c", L"“/clean”重复"},
      {{L"/clean", L"/deep"}, L"c", L"无法识别的参数“/deep”"},
      {{L"/clean", L"C:\\x"}, L"c", L"无法识别的参数“C:\\x”"},
      {{L"/"}, L"", L"无法识别的参数“/”"},
  };
  for (const Case& c : cases) {
    std::wstring line;
    for (const std::wstring& w : c.words) line += w + L" ";
    SCOPED_TRACE(ToUtf8(line));
    const ParsedCommandLine parsed = ParseCommandLine(c.words);
    if (c.error.empty()) {
      EXPECT_EQ(parsed.error, L"");
      EXPECT_EQ(Asked(parsed.options), c.flags);
    } else {
      EXPECT_NE(parsed.error.find(c.error), std::wstring::npos) << ToUtf8(parsed.error);
    }
  }
}

// The usage names every option and every exit code.
TEST(CommandLine, UsageNamesEveryOptionAndExitCode) {
  const std::wstring usage = UsageText();
  for (std::wstring_view part : {L"/clean", L"/junk", L"/preview", L"/report", L"/quiet", L"/?", L"  0  ", L"  1  ",
                                 L"  2  ", L"  3  ", L"WindowsVantorra.log"})
    EXPECT_NE(usage.find(part), std::wstring::npos) << ToUtf8(part);
}

}  // namespace
}  // namespace wv::test
