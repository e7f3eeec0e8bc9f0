// A program that imports msimg32.dll, which is not one of Windows' known DLLs: the
// package's import rule must refuse it, and started with Windows' search order
// requested it takes a msimg32.dll planted beside it (the DLL tests' control).
#include <windows.h>

int WINAPI wWinMain(HINSTANCE self, HINSTANCE previous, PWSTR arguments, int show) {
  (void)self, (void)previous, (void)arguments, (void)show;
  BLENDFUNCTION blend = {AC_SRC_OVER, 0, 255, 0};
  return AlphaBlend(NULL, 0, 0, 1, 1, NULL, 0, 0, 1, 1, blend) ? 0 : 1;
}
