#pragma once
// "WindowsVantorra.exe /clean …": what the daily cleaning page does, with the
// choices saved in Config.ini and no window, for administrators' scripts and
// the cleaning schedule. Runs before any window exists and ends the program.

#include "platform/layer.h"
WV_REQUIRE_LAYER(WV_LAYER_CLI, "the command line stands above the pages whose saved choices it uses");

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "cli/command_line.h"
#include "engines/unattended/unattended_clean.h"
#include "pages/page_settings.h"

namespace wv {

struct CliEnvironment {
  std::wstring programFolder;  // with its trailing backslash: Config.ini and the fault log live there
  // Writes a text to the console the program was started from; false when there
  // is none (the text then goes into a message box, unless /quiet).
  std::function<bool(std::wstring_view text)> console;
  // Called once before waiting for another copy of the program to end.
  std::function<void()> beforeWaiting;
};

// The process's own: the folder of the running program; the console of the
// parent process (attached on first use) or the standard output the caller
// redirected, written as UTF-8.
CliEnvironment ProcessEnvironment();
// The words after the program's name.
std::vector<std::wstring> ProcessArguments();

// The whole run, from the words to the exit code (ExitCode).
int RunCommandLine(const std::vector<std::wstring>& args, const CliEnvironment& env);

// The request the saved choices make, without any window: the daily section's
// ticks by caption (an unnamed item keeps its catalogue default), the user's
// folders and removal mode; the rule file's ticked entries (the file named in
// its section, else the one beside the program; undo files into the backup
// base's "Registry" folder, as the window's); with junk also the drives (by
// their caption, ticked unless the file says otherwise), the masks and the
// excluded folders. The reason (a text for the user) when there is nothing to
// clean with.
struct SavedRequest {
  UnattendedRequest request;
  std::wstring error;
};
SavedRequest RequestFromSettings(const SettingsFile& file, bool withJunk, const KnownFolders& known,
                                 std::wstring_view programFolder);

// The user's summary at the end of a run.
std::wstring RunSummary(const UnattendedOutcome& outcome, bool preview, std::wstring_view reportPath);

}  // namespace wv
