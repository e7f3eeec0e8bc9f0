// The shell's file operations that removal needs besides fileOperation: a move
// that names each destination, and the recycle bin for paths of any length.
#include <shlobj.h>
#include <shobjidl.h>

#include "platform/win32/win32_platform.h"

namespace wv {
namespace {

// NUL after each path, one more at the end: the shell's list form.
std::wstring DoubleNulList(const std::vector<std::wstring>& paths) {
  std::wstring list;
  for (const std::wstring& p : paths) {
    list += p;
    list += L'\0';
  }
  list += L'\0';
  return list;
}

template <class T>
struct ComRelease {
  void operator()(T* p) const noexcept {
    if (p) p->Release();
  }
};
template <class T>
using ComPtr = std::unique_ptr<T, ComRelease<T>>;

class ComApartment {
 public:
  ComApartment() : hr_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE)) {}
  ~ComApartment() {
    if (SUCCEEDED(hr_)) CoUninitialize();
  }
  ComApartment(const ComApartment&) = delete;
  ComApartment& operator=(const ComApartment&) = delete;

 private:
  HRESULT hr_;
};

}  // namespace

int Win32Shell::moveEach(HWND owner, const std::vector<std::wstring>& sources,
                         const std::vector<std::wstring>& destinations, unsigned flags) {
  if (sources.empty() || sources.size() != destinations.size()) return sources.empty() ? 0 : ERROR_INVALID_PARAMETER;
  for (const std::vector<std::wstring>* list : {&sources, &destinations})
    for (const std::wstring& p : *list)
      if (p.empty()) return ERROR_INVALID_PARAMETER;  // an empty entry would end the list early
  const std::wstring from = DoubleNulList(sources);
  const std::wstring to = DoubleNulList(destinations);
  SHFILEOPSTRUCTW op{};
  op.hwnd = owner;
  op.wFunc = FO_MOVE;
  op.pFrom = from.c_str();
  op.pTo = to.c_str();
  op.fFlags = static_cast<FILEOP_FLAGS>(flags | FOF_MULTIDESTFILES);
  const int result = SHFileOperationW(&op);
  if (op.fAnyOperationsAborted) return ERROR_CANCELLED;
  return result;
}

int Win32Shell::recycleLongPath(HWND owner, std::wstring_view path) {
  ComApartment com;
  IFileOperation* raw = nullptr;
  if (FAILED(CoCreateInstance(CLSID_FileOperation, nullptr, CLSCTX_ALL, IID_PPV_ARGS(&raw))) || !raw)
    return ERROR_NOT_SUPPORTED;
  const ComPtr<IFileOperation> operation(raw);
  if (FAILED(operation->SetOwnerWindow(owner)) && owner) return ERROR_NOT_SUPPORTED;
  if (FAILED(operation->SetOperationFlags(FOF_ALLOWUNDO | FOF_NOERRORUI | FOFX_RECYCLEONDELETE)))
    return ERROR_NOT_SUPPORTED;
  IShellItem* rawItem = nullptr;
  const std::wstring extended = ExtendedPath(path);
  if (FAILED(SHCreateItemFromParsingName(extended.c_str(), nullptr, IID_PPV_ARGS(&rawItem))) || !rawItem)
    return ERROR_NOT_SUPPORTED;
  const ComPtr<IShellItem> item(rawItem);
  if (FAILED(operation->DeleteItem(item.get(), nullptr))) return ERROR_NOT_SUPPORTED;
  const HRESULT done = operation->PerformOperations();
  BOOL aborted = FALSE;
  if (SUCCEEDED(operation->GetAnyOperationsAborted(&aborted)) && aborted) return ERROR_CANCELLED;
  if (done == HRESULT_FROM_WIN32(ERROR_CANCELLED)) return ERROR_CANCELLED;
  return SUCCEEDED(done) ? 0 : static_cast<int>(HRESULT_CODE(done) ? HRESULT_CODE(done) : ERROR_GEN_FAILURE);
}

}  // namespace wv
