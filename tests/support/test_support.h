#pragma once
// Fixtures shared by all test programs: real folders and registry keys inside the
// test prefix that remove themselves. The window side (message boxes, status
// line) is in window_support.h, the real main window in app_fixture.h.

#include <windows.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/utilities.h"

namespace wv::test {

// A fresh folder below the prefix's temporary folder, removed with everything in
// it when the object goes (read-only and hidden marks are cleared first).
class TempFolder {
 public:
  explicit TempFolder(std::wstring_view tag = L"t");
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  [[nodiscard]] const std::wstring& path() const { return path_; }  // no trailing backslash
  [[nodiscard]] std::wstring operator/(std::wstring_view relative) const;
  // Creates the file (and its folders) with the given bytes; returns its full path.
  std::wstring file(std::wstring_view relative, std::string_view content = "x");
  std::wstring folder(std::wstring_view relative);

 private:
  std::wstring path_;
};

void RemoveTree(std::wstring_view path);
void WriteBytes(std::wstring_view path, std::string_view content);
std::string ReadBytes(std::wstring_view path);
bool PathExists(std::wstring_view path);

// A key below HKEY_CURRENT_USER\Software\WindowsVantorraTests, removed afterwards.
class TempKey {
 public:
  explicit TempKey(std::wstring_view tag = L"k");
  ~TempKey();
  TempKey(const TempKey&) = delete;
  TempKey& operator=(const TempKey&) = delete;
  // Path relative to HKEY_CURRENT_USER.
  [[nodiscard]] const std::wstring& path() const { return path_; }
  [[nodiscard]] std::wstring operator/(std::wstring_view relative) const;

 private:
  std::wstring path_;
};

}  // namespace wv::test
