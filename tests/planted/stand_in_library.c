// A stand-in for a DLL of Windows that is not one of its known DLLs, planted
// beside the program or in its current folder. Loading it leaves a marker beside
// it, "<its file name>.loaded", holding the path of the program that loaded it.
// Its functions (named by the .def file of each stand-in) only fail, so that a
// program that took it still starts and the marker can be looked for.
#include <windows.h>

#include "marker.h"

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID reserved) {
  (void)reserved;
  if (reason == DLL_PROCESS_ATTACH) {
    wchar_t program[1024] = L"";
    GetModuleFileNameW(NULL, program, 1024);
    LeaveMarker(self, L".loaded", program);
  }
  return TRUE;
}

// Every export of the stand-in is this function: nothing done, failure reported.
__declspec(dllexport) UINT_PTR WINAPI StandInFails(void) {
  SetLastError(ERROR_NOT_SUPPORTED);
  return 0;
}
