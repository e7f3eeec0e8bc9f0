#pragma once
// Fixtures shared by all test programs: real folders and registry keys inside the
// test prefix that remove themselves, and scripted answers for message boxes.

#include <windows.h>

#include <cstdint>
#include <deque>
#include <functional>
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

// Answers the program's message boxes in order and records what they said.
class ScriptedMsgBox {
 public:
  struct Shown {
    int icon;
    int buttons;
    std::wstring heading;
    std::wstring text;
  };
  ScriptedMsgBox();
  ~ScriptedMsgBox();
  ScriptedMsgBox(const ScriptedMsgBox&) = delete;
  ScriptedMsgBox& operator=(const ScriptedMsgBox&) = delete;

  void answer(int button) { answers_.push_back(button); }  // IDOK, IDCANCEL, ...
  [[nodiscard]] const std::vector<Shown>& shown() const { return shown_; }

 private:
  std::deque<int> answers_;
  std::vector<Shown> shown_;
  MsgBoxHandler previous_;
};

// Collects status-line texts.
class StatusRecorder {
 public:
  StatusRecorder();
  ~StatusRecorder();
  StatusRecorder(const StatusRecorder&) = delete;
  StatusRecorder& operator=(const StatusRecorder&) = delete;
  [[nodiscard]] const std::vector<std::wstring>& texts() const { return texts_; }
  [[nodiscard]] std::wstring last() const { return texts_.empty() ? std::wstring() : texts_.back(); }

 private:
  std::vector<std::wstring> texts_;
  RunInfoSink previous_;
};

// Every status text still reaches the status line; onText sees it afterwards.
class StatusHook {
 public:
  explicit StatusHook(std::function<void(std::wstring_view text)> onText);
  ~StatusHook() { SetRunInfoSink(std::move(previous_)); }
  StatusHook(const StatusHook&) = delete;
  StatusHook& operator=(const StatusHook&) = delete;

 private:
  RunInfoSink previous_;
};

}  // namespace wv::test
