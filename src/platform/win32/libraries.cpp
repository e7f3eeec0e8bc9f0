#include "platform/libraries.h"

#include <string>

#include "platform/platform.h"
#include "platform/text.h"

namespace wv {
namespace {

// Present from Windows 8 on, and on Windows 7 with its loader update (KB2533623):
// looked up at run time so that the program still starts without it.
using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
using SetSearchPathModeFn = BOOL(WINAPI*)(DWORD);

template <class Function>
Function KernelFunction(const char* name) {
  const HMODULE kernel = GetModuleHandleW(L"kernel32.dll");  // always loaded, never searched for
  return kernel ? reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(kernel, name))) : nullptr;
}

}  // namespace

void LimitLibrarySearchToSystem() {
  if (const auto setDefault = KernelFunction<SetDefaultDllDirectoriesFn>("SetDefaultDllDirectories"))
    setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32);
  // Without the loader update the classic order stays: at least the current folder leaves it.
  SetDllDirectoryW(L"");
  if (const auto setMode = KernelFunction<SetSearchPathModeFn>("SetSearchPathMode"))
    setMode(BASE_SEARCH_PATH_ENABLE_SAFE_SEARCHMODE | BASE_SEARCH_PATH_PERMANENT);
  // Windows' own DLLs load msimg32 by its bare name on the program's behalf (the
  // theme engine draws with it; Wine's delay-loads it past the default folders).
  // Loaded now from the system folder and kept, it is the copy such a load finds.
  static const SystemLibrary blends(L"msimg32.dll");
}

SystemLibrary::SystemLibrary(std::wstring_view fileName) {
  const std::wstring name(fileName);
  module_.reset(LoadLibraryExW(name.c_str(), nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32));
  // A loader without the search flags refuses them: name the file by its full
  // path in the system folder instead, which is never searched for.
  if (!module_ && GetLastError() == ERROR_INVALID_PARAMETER) {
    const std::wstring folder = Sh().systemFolder();
    const std::wstring path = IncludeTrailingBackslash(folder) + name;
    if (!folder.empty()) module_.reset(LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH));
  }
}

}  // namespace wv
