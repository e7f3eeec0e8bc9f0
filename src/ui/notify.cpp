// The message box, the status line and the folder browser.
#include "ui/notify.h"

#include <utility>

#include "core/files.h"
#include "platform/platform.h"

namespace wv {
namespace {

HWND g_owner = nullptr;
MsgBoxHandler g_msgBoxHandler;
RunInfoSink g_runInfoSink;

UINT IconStyle(int iconKind) {
  switch (iconKind) {
    case 1: return MB_ICONQUESTION;
    case 2: return MB_ICONWARNING;
    case 3: return MB_ICONERROR;
    default: return MB_ICONINFORMATION;
  }
}

UINT ButtonStyle(int buttonSet) {
  switch (buttonSet) {
    case 2: return MB_OKCANCEL;
    case 3: return MB_YESNOCANCEL;
    case 4: return MB_ABORTRETRYIGNORE;
    case 5: return MB_RETRYCANCEL;
    case 6: return MB_YESNO;
    default: return MB_OK;
  }
}

int ShowBox(std::wstring_view text, UINT style) {
  // Without an owner the box still has to block the whole program, not just float.
  if (!g_owner) style |= MB_TASKMODAL;
  return Sh().messageBox(g_owner, text, L"WindowsVantorra", style);
}

}  // namespace

// ---------------------------------------------------------------- messages and status

int MsgBox(int iconKind, int buttonSet, std::wstring_view heading, std::wstring_view text) {
  if (g_msgBoxHandler) return g_msgBoxHandler(iconKind, buttonSet, heading, text);
  std::wstring body(heading);
  body += L" -- ";
  body += text;
  return ShowBox(body, IconStyle(iconKind) | ButtonStyle(buttonSet));
}

int MsgBox(MsgIcon icon, MsgButtons buttons, std::wstring_view heading, std::wstring_view text) {
  return MsgBox(static_cast<int>(icon), static_cast<int>(buttons), heading, text);
}

void ShowErrorText(std::wstring_view text) {
  constexpr int kError = static_cast<int>(MsgIcon::Error), kOk = static_cast<int>(MsgButtons::Ok);
  if (g_msgBoxHandler) {
    g_msgBoxHandler(kError, kOk, L"", text);
    return;
  }
  ShowBox(text, IconStyle(kError) | ButtonStyle(kOk));
}

MsgBoxHandler SetMsgBoxHandler(MsgBoxHandler handler) { return std::exchange(g_msgBoxHandler, std::move(handler)); }

void SetMsgBoxOwner(HWND owner) { g_owner = owner; }

void SetRunInfo(std::wstring_view text) {
  if (g_runInfoSink) g_runInfoSink(text);
}

RunInfoSink SetRunInfoSink(RunInfoSink sink) { return std::exchange(g_runInfoSink, std::move(sink)); }

bool ChooseFolder(std::wstring_view title, std::wstring_view root, std::wstring& folder) {
  if (!DirectoryExists(folder)) folder.clear();
  // The browser itself keeps the system's error boxes away while it is open.
  std::wstring chosen = Sh().browseForFolder(g_owner, title, root, folder);
  if (chosen.empty()) return false;
  folder = std::move(chosen);
  return true;
}

}  // namespace wv
