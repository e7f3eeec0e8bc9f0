#pragma once
// Where the program's DLLs come from. The release is a zip that users unpack
// wherever their browser saved it (often Downloads, where any web page can drop a
// file) and start as administrator. For a DLL that is not one of Windows' known
// DLLs the loader looks in the program's folder first, and by default in the
// current folder too: nothing may be loaded from either. The program therefore
// imports only known DLLs (scripts/check-imports refuses anything else), asks the
// loader to resolve even those from the system folder, and loads every other DLL
// it needs here, at run time, from the system folder alone.

#include <windows.h>

#include <string_view>

#include "platform/handles.h"

namespace wv {

// Limits every later DLL search of this process to the system folder, takes the
// current folder out of the search for DLLs and for programs, and loads from the
// system folder the DLL that Windows' own DLLs take by bare name (msimg32), so that
// none is found beside the program. The program's first call.
void LimitLibrarySearchToSystem();

// A DLL of Windows, loaded from the system folder only (its own dependencies too),
// never from the program's folder, the current folder or PATH.
class SystemLibrary {
 public:
  explicit SystemLibrary(std::wstring_view fileName);

  [[nodiscard]] bool loaded() const { return module_.valid(); }
  [[nodiscard]] HMODULE handle() const { return module_.get(); }
  // Points function at the DLL's function of that name; false (and null) when the
  // DLL or the function is missing.
  template <class Function>
  [[nodiscard]] bool find(Function*& function, const char* name) const {
    function = module_ ? reinterpret_cast<Function*>(reinterpret_cast<void*>(GetProcAddress(module_.get(), name)))
                       : nullptr;
    return function != nullptr;
  }

 private:
  UniqueModule module_;
};

}  // namespace wv
