#pragma once
// Telling and asking the user: the message box every message goes through, the
// status line and the folder browser. Engines never call these: they hand back
// results and ask through callbacks, and the pages show the boxes. Tests answer
// message boxes and watch the status line through handlers.

#include "platform/layer.h"
WV_REQUIRE_LAYER(WV_LAYER_UI, WV_WINDOW_CODE);

#include <windows.h>

#include <functional>
#include <string>
#include <string_view>

namespace wv {

// Icon kind and button set of a message box; the numbers are the ones the
// handlers below receive.
enum class MsgIcon : int { Information = 0, Question = 1, Warning = 2, Error = 3 };
enum class MsgButtons : int { Ok = 1, OkCancel = 2, YesNoCancel = 3, AbortRetryIgnore = 4, RetryCancel = 5, YesNo = 6 };

// Caption "WindowsVantorra", text heading + " -- " + text. Result: the system's
// button code (IDOK 1, IDCANCEL 2, IDYES 6, IDNO 7).
int MsgBox(MsgIcon icon, MsgButtons buttons, std::wstring_view heading, std::wstring_view text);
// The same by number: icon 1 question, 2 warning, 3 error, other information;
// buttons as MsgButtons, other numbers OK.
int MsgBox(int iconKind, int buttonSet, std::wstring_view heading, std::wstring_view text);
// An error in the system's own words, without a heading (the handler sees an empty one).
void ShowErrorText(std::wstring_view text);
// Tests answer message boxes themselves; an empty handler restores the system box.
using MsgBoxHandler = std::function<int(int iconKind, int buttonSet, std::wstring_view heading,
                                        std::wstring_view text)>;
MsgBoxHandler SetMsgBoxHandler(MsgBoxHandler handler);  // returns the previous one
void SetMsgBoxOwner(HWND owner);
inline bool Confirmed(int answer) { return answer == IDOK || answer == IDYES; }

// The status line; the main window installs its sink, tests their own.
void SetRunInfo(std::wstring_view text);
using RunInfoSink = std::function<void(std::wstring_view text)>;
RunInfoSink SetRunInfoSink(RunInfoSink sink);  // returns the previous one

// Folder browser: folder is cleared first when it does not exist; true and the
// chosen folder in folder on OK, false and folder unchanged on Cancel.
bool ChooseFolder(std::wstring_view title, std::wstring_view root, std::wstring& folder);

}  // namespace wv
