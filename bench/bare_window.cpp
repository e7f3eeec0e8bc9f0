// The start-up benchmark's baseline: the least a Win32 program does to show a
// window with a button. It links nothing of the program and loads only the
// system's own libraries; bench_startup starts it exactly as it starts the program.
//   bare_window.exe    (closes on WM_CLOSE like any window)

#include <windows.h>

namespace {

LRESULT CALLBACK BareProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_DESTROY) {
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show) {
  WNDCLASSW wc{};
  wc.lpfnWndProc = BareProc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  wc.lpszClassName = L"VantorraBareWindow";
  if (!RegisterClassW(&wc)) return 1;
  HWND hwnd = CreateWindowExW(0, wc.lpszClassName, L"Bare window", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT,
                              800, 563, nullptr, nullptr, instance, nullptr);
  if (!hwnd) return 1;
  // The same caption as the program's first side-bar button: the benchmark waits for it.
  CreateWindowExW(0, L"BUTTON", L" 文件日常清理 ", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 650, 80, 142, 32, hwnd,
                  nullptr, instance, nullptr);
  ShowWindow(hwnd, show == SW_HIDE ? SW_SHOWNORMAL : show);
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return static_cast<int>(msg.wParam);
}
