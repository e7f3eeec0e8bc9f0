#pragma once
// The marker a stand-in leaves beside its own file when it runs or is loaded.
#include <windows.h>

// Appends text and a line end to "<module's file>" + suffix (module NULL: the program).
static void LeaveMarker(HMODULE module, const wchar_t* suffix, const wchar_t* text) {
  wchar_t path[1100] = L"";
  const DWORD length = GetModuleFileNameW(module, path, 1024);
  if (length == 0 || length >= 1024) return;
  lstrcatW(path, suffix);
  HANDLE file = CreateFileW(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL, OPEN_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, NULL);
  if (file == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  WriteFile(file, text, (DWORD)(lstrlenW(text) * sizeof(wchar_t)), &written, NULL);
  WriteFile(file, L"\r\n", 2 * sizeof(wchar_t), &written, NULL);
  CloseHandle(file);
}
