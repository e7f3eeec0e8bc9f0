#pragma once
// The program's command line: what the words ask for, and the usage shown for "/?".

#include "platform/layer.h"
WV_REQUIRE_LAYER(WV_LAYER_CLI, "the command line stands above the pages whose saved choices it uses");

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace wv {

// The exit codes, as the help and the README give them.
enum ExitCode : int {
  kExitDone = 0,         // everything listed was removed (or listed, for a preview)
  kExitSomeKept = 1,     // some items stayed: in use, changed since listed, refused
  kExitNothingDone = 2,  // bad arguments, no saved settings, another copy running, not an administrator, stopped
  kExitFault = 3,        // a fault; a line in WindowsVantorra.log
};

struct CommandLine {
  bool help = false;     // "/?": the usage, nothing else
  bool clean = false;    // "/clean": the daily file cleaning with the saved choices
  bool junk = false;     // "/junk": also the junk files of the ticked drives
  bool preview = false;  // "/preview": list, remove nothing
  bool quiet = false;    // "/quiet": no window, no message
  std::optional<std::wstring> report;  // "/report FILE" (or a folder)
};

struct ParsedCommandLine {
  CommandLine options;
  std::wstring error;  // empty when the words make sense
};

// Options start with "/" or "-" and are compared without regard to case;
// "/report" takes the next word. Anything else, a repeated option, or an option
// other than "/?" without "/clean" is an error that names the word.
ParsedCommandLine ParseCommandLine(const std::vector<std::wstring>& args);

// The usage in Chinese, lines separated by "\r\n".
std::wstring UsageText();

}  // namespace wv
