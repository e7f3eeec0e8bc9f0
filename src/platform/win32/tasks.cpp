// The Task Scheduler part: tasks of the scheduler's root folder through
// ITaskService, written and read as the scheduler's XML.

#include <windows.h>
#include <oleauto.h>
#include <sddl.h>
#include <taskschd.h>

#include <utility>

#include "platform/handles.h"
#include "platform/win32/win32_platform.h"

namespace wv {
namespace {

// An HRESULT as the system error it carries, so that "not found" reads as one.
SysResult FromHResult(HRESULT hr) {
  if (SUCCEEDED(hr)) return {};
  if (HRESULT_FACILITY(hr) == FACILITY_WIN32) return SysResult(HRESULT_CODE(hr));
  return SysResult(static_cast<DWORD>(hr));
}

// COM on this thread for one call; left as it was found.
class ComScope {
 public:
  ComScope() : hr_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
  ~ComScope() {
    if (SUCCEEDED(hr_)) CoUninitialize();
  }
  ComScope(const ComScope&) = delete;
  ComScope& operator=(const ComScope&) = delete;
  // Usable whether this call or an earlier one (in another mode) set COM up.
  [[nodiscard]] bool ready() const { return SUCCEEDED(hr_) || hr_ == RPC_E_CHANGED_MODE; }
  [[nodiscard]] HRESULT result() const { return hr_; }

 private:
  HRESULT hr_;
};

template <class T>
class ComPtr {
 public:
  ComPtr() = default;
  ~ComPtr() {
    if (p_) p_->Release();
  }
  ComPtr(const ComPtr&) = delete;
  ComPtr& operator=(const ComPtr&) = delete;
  T** out() { return &p_; }
  T* operator->() const { return p_; }
  explicit operator bool() const { return p_ != nullptr; }

 private:
  T* p_ = nullptr;
};

class Bstr {
 public:
  explicit Bstr(std::wstring_view text) : b_(SysAllocStringLen(text.data(), static_cast<UINT>(text.size()))) {}
  Bstr() = default;
  ~Bstr() { SysFreeString(b_); }
  Bstr(const Bstr&) = delete;
  Bstr& operator=(const Bstr&) = delete;
  operator BSTR() const { return b_; }
  BSTR* out() { return &b_; }
  [[nodiscard]] std::wstring text() const { return b_ ? std::wstring(b_, SysStringLen(b_)) : std::wstring(); }

 private:
  BSTR b_ = nullptr;
};

struct ServiceHandleTraits {
  static SC_HANDLE invalid() noexcept { return nullptr; }
  static bool isInvalid(SC_HANDLE h) noexcept { return h == nullptr; }
  static void close(SC_HANDLE h) noexcept { ::CloseServiceHandle(h); }
};
using UniqueService = UniqueResource<SC_HANDLE, ServiceHandleTraits>;

// Wine (and a system whose administrator set it so) starts the scheduler only
// on demand: ask the service manager once, then wait a little for it.
bool StartSchedulerService() {
  const UniqueService manager(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT));
  if (!manager) return false;
  const UniqueService service(OpenServiceW(manager.get(), L"Schedule", SERVICE_START | SERVICE_QUERY_STATUS));
  if (!service) return false;
  StartServiceW(service.get(), 0, nullptr);
  for (int i = 0; i < 200; ++i) {
    SERVICE_STATUS status{};
    if (!QueryServiceStatus(service.get(), &status)) return false;
    if (status.dwCurrentState == SERVICE_RUNNING) return true;
    Sleep(100);
  }
  return false;
}

// The scheduler's root folder, connected to the local machine.
class RootFolder {
 public:
  RootFolder() {
    if (!com_.ready()) {
      result_ = FromHResult(com_.result());
      return;
    }
    HRESULT hr = CoCreateInstance(CLSID_TaskScheduler, nullptr, CLSCTX_INPROC_SERVER, IID_ITaskService,
                                  reinterpret_cast<void**>(service_.out()));
    if (SUCCEEDED(hr)) {
      VARIANT none;
      VariantInit(&none);
      hr = service_->Connect(none, none, none, none);
      if (hr == SCHED_E_SERVICE_NOT_RUNNING && StartSchedulerService()) hr = service_->Connect(none, none, none, none);
    }
    if (SUCCEEDED(hr)) hr = service_->GetFolder(Bstr(L"\\"), folder_.out());
    result_ = FromHResult(hr);
  }
  [[nodiscard]] SysResult result() const { return result_; }
  ITaskFolder* operator->() const { return folder_.operator->(); }

 private:
  ComScope com_;
  ComPtr<ITaskService> service_;
  ComPtr<ITaskFolder> folder_;
  SysResult result_;
};

}  // namespace

SysResult Win32TaskScheduler::connect() { return RootFolder().result(); }

SysResult Win32TaskScheduler::registerTask(std::wstring_view name, std::wstring_view xml) {
  RootFolder root;
  if (!root.result()) return root.result();
  VARIANT none;
  VariantInit(&none);
  VARIANT noSddl;
  VariantInit(&noSddl);
  ComPtr<IRegisteredTask> task;
  return FromHResult(root->RegisterTask(Bstr(name), Bstr(xml), TASK_CREATE_OR_UPDATE, none, none,
                                        TASK_LOGON_INTERACTIVE_TOKEN, noSddl, task.out()));
}

SysResult Win32TaskScheduler::taskXml(std::wstring_view name, std::wstring& xml) {
  xml.clear();
  RootFolder root;
  if (!root.result()) return root.result();
  ComPtr<IRegisteredTask> task;
  HRESULT hr = root->GetTask(Bstr(name), task.out());
  Bstr text;
  if (SUCCEEDED(hr)) hr = task->get_Xml(text.out());
  if (SUCCEEDED(hr)) xml = text.text();
  return FromHResult(hr);
}

SysResult Win32TaskScheduler::deleteTask(std::wstring_view name) {
  RootFolder root;
  if (!root.result()) return root.result();
  return FromHResult(root->DeleteTask(Bstr(name), 0));
}

std::wstring Win32TaskScheduler::currentUser() {
  HANDLE token = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return {};
  UniqueHandle owned(token);
  DWORD size = 0;
  GetTokenInformation(token, TokenUser, nullptr, 0, &size);
  if (size == 0 || size > 4096) return {};
  std::vector<std::uint8_t> buffer(size);
  if (!GetTokenInformation(token, TokenUser, buffer.data(), size, &size)) return {};
  wchar_t* text = nullptr;
  if (!ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid, &text)) return {};
  std::wstring sid(text);
  LocalFree(text);
  return sid;
}

}  // namespace wv
