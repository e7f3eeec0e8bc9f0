#include "platform/libraries.h"

#include <string>

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

std::wstring SystemFolderFile(std::wstring_view fileName) {
  std::wstring folder(MAX_PATH + 1, L'\0');
  for (;;) {
    const UINT got = GetSystemDirectoryW(folder.data(), static_cast<UINT>(folder.size()));
    if (got == 0) return {};
    if (got < folder.size()) {
      folder.resize(got);
      break;
    }
    folder.resize(got + 1);
  }
  if (folder.back() != L'\\') folder += L'\\';
  return folder.append(fileName);
}

}  // namespace

void LimitLibrarySearchToSystem() {
  if (const auto setDefault = KernelFunction<SetDefaultDllDirectoriesFn>("SetDefaultDllDirectories"))
    setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32);
  // Without the loader update the classic order stays: at least the current folder leaves it.
  SetDllDirectoryW(L"");
  if (const auto setMode = KernelFunction<SetSearchPathModeFn>("SetSearchPathMode"))
    setMode(BASE_SEARCH_PATH_ENABLE_SAFE_SEARCHMODE | BASE_SEARCH_PATH_PERMANENT);
}

SystemLibrary::SystemLibrary(std::wstring_view fileName) {
  const std::wstring name(fileName);
  module_.reset(LoadLibraryExW(name.c_str(), nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32));
  // A loader without the search flags refuses them: name the file by its full
  // path in the system folder instead, which is never searched for.
  if (!module_ && GetLastError() == ERROR_INVALID_PARAMETER) {
    const std::wstring path = SystemFolderFile(fileName);
    if (!path.empty()) module_.reset(LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH));
  }
}

}  // namespace wv
