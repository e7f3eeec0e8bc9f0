#include "support/test_support.h"

#include <atomic>
#include <fstream>

namespace wv::test {
namespace {

std::wstring UniqueSuffix() {
  static std::atomic<unsigned> counter{0};
  return std::to_wstring(GetCurrentProcessId()) + L"_" + std::to_wstring(++counter);
}

std::wstring TempRoot() {
  wchar_t buffer[MAX_PATH + 1];
  const DWORD n = GetTempPathW(MAX_PATH + 1, buffer);
  std::wstring root(buffer, n);
  if (!root.empty() && root.back() != L'\\') root += L'\\';
  root += L"WindowsVantorraTests";
  CreateDirectoryW(root.c_str(), nullptr);
  return root;
}

std::wstring Extended(std::wstring_view path) {
  std::wstring p(path);
  if (p.size() >= 3 && p[1] == L':' && p.rfind(L"\\\\?\\", 0) != 0) p = L"\\\\?\\" + p;
  return p;
}

}  // namespace

void RemoveTree(std::wstring_view path) {
  const std::wstring base(path);
  const std::wstring ext = Extended(base);
  const DWORD attrs = GetFileAttributesW(ext.c_str());
  if (attrs == INVALID_FILE_ATTRIBUTES) return;
  SetFileAttributesW(ext.c_str(), FILE_ATTRIBUTE_NORMAL);
  if (!(attrs & FILE_ATTRIBUTE_DIRECTORY)) {
    DeleteFileW(ext.c_str());
    return;
  }
  if (!(attrs & FILE_ATTRIBUTE_REPARSE_POINT)) {  // never follow a link out of the tree
    WIN32_FIND_DATAW fd;
    HANDLE h = FindFirstFileW((ext + L"\\*").c_str(), &fd);
    if (h != INVALID_HANDLE_VALUE) {
      do {
        const std::wstring name = fd.cFileName;
        if (name == L"." || name == L"..") continue;
        RemoveTree(base + L"\\" + name);
      } while (FindNextFileW(h, &fd));
      FindClose(h);
    }
  }
  RemoveDirectoryW(ext.c_str());
}

void WriteBytes(std::wstring_view path, std::string_view content) {
  const std::wstring p = Extended(path);
  HANDLE h = CreateFileW(p.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  WriteFile(h, content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
  CloseHandle(h);
}

std::string ReadBytes(std::wstring_view path) {
  const std::wstring p = Extended(path);
  HANDLE h = CreateFileW(p.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return {};
  std::string out;
  char buffer[65536];
  DWORD got = 0;
  while (ReadFile(h, buffer, sizeof buffer, &got, nullptr) && got > 0) out.append(buffer, got);
  CloseHandle(h);
  return out;
}

bool PathExists(std::wstring_view path) {
  return GetFileAttributesW(Extended(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

TempFolder::TempFolder(std::wstring_view tag) {
  path_ = TempRoot() + L"\\" + std::wstring(tag) + L"_" + UniqueSuffix();
  RemoveTree(path_);
  CreateDirectoryW(path_.c_str(), nullptr);
}

TempFolder::~TempFolder() { RemoveTree(path_); }

std::wstring TempFolder::operator/(std::wstring_view relative) const { return path_ + L"\\" + std::wstring(relative); }

std::wstring TempFolder::folder(std::wstring_view relative) {
  const std::wstring full = *this / relative;
  std::wstring partial;
  for (std::size_t i = 0; i <= full.size(); ++i) {
    if (i == full.size() || full[i] == L'\\') {
      partial = full.substr(0, i);
      if (partial.size() > 2) CreateDirectoryW(Extended(partial).c_str(), nullptr);
    }
  }
  return full;
}

std::wstring TempFolder::file(std::wstring_view relative, std::string_view content) {
  const std::wstring full = *this / relative;
  const auto slash = full.rfind(L'\\');
  if (slash != std::wstring::npos && slash > path_.size()) folder(full.substr(path_.size() + 1, slash - path_.size() - 1));
  WriteBytes(full, content);
  return full;
}

TempKey::TempKey(std::wstring_view tag) {
  path_ = L"Software\\WindowsVantorraTests\\" + std::wstring(tag) + L"_" + UniqueSuffix();
  RegDeleteTreeW(HKEY_CURRENT_USER, path_.c_str());
  HKEY key = nullptr;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, path_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) ==
      ERROR_SUCCESS)
    RegCloseKey(key);
}

TempKey::~TempKey() {
  RegDeleteTreeW(HKEY_CURRENT_USER, path_.c_str());
  RegDeleteKeyW(HKEY_CURRENT_USER, path_.c_str());
  // The shared parent goes with the last test key (a key with subkeys is never deleted here): left
  // empty, a later scan of the prefix would list it.
  RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\WindowsVantorraTests");
}

std::wstring TempKey::operator/(std::wstring_view relative) const { return path_ + L"\\" + std::wstring(relative); }

}  // namespace wv::test
