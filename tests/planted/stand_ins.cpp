#include "stand_ins.h"

#include <windows.h>

namespace wv::test {
namespace {

// The resource numbers of stand_ins.rc, one per stand-in in the order of the enum.
int ResourceOf(StandIn which) { return static_cast<int>(which) + 1; }

std::wstring Joined(std::wstring_view folder, std::wstring_view name) {
  std::wstring path(folder);
  if (!path.empty() && path.back() != L'\\') path += L'\\';
  return path.append(name);
}

bool Plant(StandIn which, const std::wstring& path) {
  const HRSRC found = FindResourceW(nullptr, MAKEINTRESOURCEW(ResourceOf(which)), MAKEINTRESOURCEW(10));  // RT_RCDATA
  const HGLOBAL loaded = found ? LoadResource(nullptr, found) : nullptr;
  const void* bytes = loaded ? LockResource(loaded) : nullptr;
  const DWORD size = found ? SizeofResource(nullptr, found) : 0;
  if (!bytes || size == 0) return false;
  const HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const bool ok = WriteFile(file, bytes, size, &written, nullptr) && written == size;
  CloseHandle(file);
  return ok;
}

std::wstring MarkerOf(const std::wstring& path) {
  for (const wchar_t* suffix : {L".ran", L".loaded"}) {
    const HANDLE file = CreateFileW((path + suffix).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                    OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) continue;
    std::wstring text(GetFileSize(file, nullptr) / sizeof(wchar_t), L'\0');
    DWORD read = 0;
    ReadFile(file, text.data(), static_cast<DWORD>(text.size() * sizeof(wchar_t)), &read, nullptr);
    CloseHandle(file);
    text.resize(read / sizeof(wchar_t));
    while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r')) text.pop_back();
    return text.empty() ? std::wstring(L"(empty marker)") : text;
  }
  return {};
}

}  // namespace

std::wstring_view StandInName(StandIn which) {
  switch (which) {
    case StandIn::RegistryEditor: return L"regedit.exe";
    case StandIn::FileBrowser: return L"explorer.exe";
    case StandIn::HelpViewer: return L"hh.exe";
    case StandIn::Msimg32: return L"msimg32.dll";
    case StandIn::WinInet: return L"wininet.dll";
    case StandIn::Msimg32Importer: return L"foreign_import.exe";
  }
  return {};
}

PlantedStandIns::PlantedStandIns(std::vector<std::wstring> folders, std::vector<StandIn> which)
    : folders_(std::move(folders)), which_(std::move(which)) {
  for (const std::wstring& folder : folders_)
    for (StandIn s : which_) planted_ = Plant(s, Joined(folder, StandInName(s))) && planted_;
}

PlantedStandIns::~PlantedStandIns() {
  for (const std::wstring& folder : folders_)
    for (StandIn s : which_) {
      const std::wstring path = Joined(folder, StandInName(s));
      DeleteFileW(path.c_str());
      DeleteFileW((path + L".ran").c_str());
      DeleteFileW((path + L".loaded").c_str());
    }
}

namespace {

std::wstring FolderOf(const std::wstring& path) { return path.substr(0, path.find_last_of(L'\\')); }

std::wstring TextOf(DWORD (*read)(DWORD, wchar_t*)) {
  std::wstring text(read(0, nullptr), L'\0');
  text.resize(read(static_cast<DWORD>(text.size()), text.data()));
  return text;
}

}  // namespace

PlantedAroundThisProgram::PlantedAroundThisProgram(std::vector<StandIn> which) {
  std::wstring self(32768, L'\0');
  self.resize(GetModuleFileNameW(nullptr, self.data(), static_cast<DWORD>(self.size())));
  programFolder_ = FolderOf(self);
  // Named by process and instance: Wine reuses process numbers.
  static int instances = 0;
  currentFolder_ = TextOf([](DWORD size, wchar_t* buffer) { return GetTempPathW(size, buffer); }) + L"wv_planted_" +
                   std::to_wstring(GetCurrentProcessId()) + L"_" + std::to_wstring(GetTickCount64()) + L"_" +
                   std::to_wstring(++instances);
  previousFolder_ = TextOf([](DWORD size, wchar_t* buffer) { return GetCurrentDirectoryW(size, buffer); });
  planted_ = CreateDirectoryW(currentFolder_.c_str(), nullptr) && SetCurrentDirectoryW(currentFolder_.c_str());
  stands_ = std::make_unique<PlantedStandIns>(std::vector<std::wstring>{programFolder_, currentFolder_}, std::move(which));
}

PlantedAroundThisProgram::~PlantedAroundThisProgram() {
  // The folder must stop being the current one before it can go; a test program
  // started from a folder Wine names only by its Unix path cannot go back there.
  if (!SetCurrentDirectoryW(previousFolder_.c_str())) SetCurrentDirectoryW(programFolder_.c_str());
  stands_.reset();
  RemoveDirectoryW(currentFolder_.c_str());
}

std::vector<std::wstring> PlantedStandIns::markers() const {
  std::vector<std::wstring> found;
  for (const std::wstring& folder : folders_)
    for (StandIn s : which_) {
      const std::wstring path = Joined(folder, StandInName(s));
      if (std::wstring text = MarkerOf(path); !text.empty()) found.push_back(path + L": " + text);
    }
  return found;
}

}  // namespace wv::test
