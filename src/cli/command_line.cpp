#include "cli/command_line.h"

#include "platform/text.h"

namespace wv {

ParsedCommandLine ParseCommandLine(const std::vector<std::wstring>& args) {
  ParsedCommandLine out;
  CommandLine& o = out.options;
  auto fail = [&](std::wstring why) {
    out.error = std::move(why);
    return out;
  };
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::wstring& word = args[i];
    if (word.size() < 2 || (word[0] != L'/' && word[0] != L'-')) return fail(L"无法识别的参数“" + word + L"”");
    const std::wstring name = ToLower(std::wstring_view(word).substr(1));
    bool* flag = nullptr;
    if (name == L"?" || name == L"h" || name == L"help") flag = &o.help;
    else if (name == L"clean") flag = &o.clean;
    else if (name == L"junk") flag = &o.junk;
    else if (name == L"preview") flag = &o.preview;
    else if (name == L"quiet") flag = &o.quiet;
    else if (name == L"report") {
      if (o.report) return fail(L"参数“" + word + L"”重复");
      if (i + 1 >= args.size() || Trim(args[i + 1]).empty()) return fail(L"参数“" + word + L"”后面缺少报告文件名");
      o.report = args[++i];
      continue;
    } else {
      return fail(L"无法识别的参数“" + word + L"”");
    }
    if (*flag) return fail(L"参数“" + word + L"”重复");
    *flag = true;
  }
  if (o.help) return out;
  if (!o.clean) {
    if (args.empty()) return fail(L"缺少参数 /clean");
    return fail(L"参数“" + args.front() + L"”需要与 /clean 一起使用");
  }
  return out;
}

std::wstring UsageText() {
  return L"WindowsVantorra 命令行清理\r\n"
         L"\r\n"
         L"WindowsVantorra.exe /clean [/junk] [/preview] [/report 文件] [/quiet]\r\n"
         L"\r\n"
         L"  /clean     按“文件日常清理”页保存的选择（Config.ini）清理：勾选的扫描项目、\r\n"
         L"             用户自定目录，并使用保存的删除方式\r\n"
         L"  /junk      同时按“磁盘文件清理”页保存的选择清理所勾选磁盘分区中的垃圾文件\r\n"
         L"  /preview   只列出将要删除的项目，不删除任何文件\r\n"
         L"  /report 文件  把每一项及选中它的规则写入报告：.csv 为表格（UTF-8），\r\n"
         L"             .html 为网页；给出目录时在其中新建“清理报告_日期_时间.csv”\r\n"
         L"  /quiet     不显示任何窗口或消息，结果只记录在报告和返回值中\r\n"
         L"  /?         显示本说明\r\n"
         L"\r\n"
         L"返回值：\r\n"
         L"  0  全部删除（预览时：已列出）\r\n"
         L"  1  部分项目被保留（正被使用、列出后已改变或无法删除）\r\n"
         L"  2  未做任何清理（参数错误、没有保存的设置、另一个 WindowsVantorra 正在运行、\r\n"
         L"     不是管理员或清理被中止）\r\n"
         L"  3  出错（详情记录在程序目录的 WindowsVantorra.log 中）\r\n";
}

}  // namespace wv
