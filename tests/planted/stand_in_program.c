// A stand-in for one of Windows' programs (the registry editor, the file browser,
// the help viewer) planted where a bare name would find it: in the program's
// folder or the current folder. If it is ever started it leaves a marker beside
// itself, "<its file name>.ran", holding its command line, and fails.
#include <windows.h>

#include "marker.h"

int WINAPI wWinMain(HINSTANCE self, HINSTANCE previous, PWSTR arguments, int show) {
  (void)self, (void)previous, (void)arguments, (void)show;
  LeaveMarker(NULL, L".ran", GetCommandLineW());
  return 3;
}
