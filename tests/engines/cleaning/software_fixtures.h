#pragma once
// Registrations planted at the real Uninstall keys under names of this process
// and removed again; uninstall commands that start this very test program as a
// recorder (see main.cpp of the engine tests); the shell's default action recorded.

#include <windows.h>

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "engines/cleaning/installed_software.h"
#include "platform/win32/win32_platform.h"
#include "support/test_support.h"

namespace wv::test {

using Texts = std::vector<std::wstring>;
using Values = std::vector<std::pair<std::wstring, std::wstring>>;
inline constexpr auto kNative = UninstallView::Native, kWow32 = UninstallView::Wow32;
inline constexpr auto kLM = RegRoot::LocalMachine;

inline std::wstring SelfPath() {
  wchar_t path[MAX_PATH] = {};
  return std::wstring(path, GetModuleFileNameW(nullptr, path, MAX_PATH));
}

// A command line that starts this program to write "its path|tag" into the file.
inline std::wstring Recorder(std::wstring_view file, std::wstring_view tag) {
  return L"\"" + SelfPath() + L"\" --record \"" + std::wstring(file) + L"\" " + std::wstring(tag);
}

// What the recorder wrote; empty when it did not run within some seconds.
inline std::wstring WaitForRecord(const std::wstring& file) {
  for (int i = 0; i < 400; ++i, Sleep(50))
    if (const std::string bytes = ReadBytes(file); !bytes.empty())
      return std::wstring(reinterpret_cast<const wchar_t*>(bytes.data()), bytes.size() / sizeof(wchar_t));
  return {};
}

// The shell's default action and the command lines it is asked to run, recorded
// instead of starting a browser or a program.
struct RecordingShell : Win32Shell {
  Texts opened;
  Texts ran;
  bool runs = true;  // false: commands are only recorded
  void open(std::wstring_view verb, std::wstring_view file, std::wstring_view, int) override {
    opened.push_back(std::wstring(verb) + L"|" + std::wstring(file));
  }
  bool runProgram(std::wstring_view program, std::wstring_view command) override {
    ran.emplace_back(command);
    return !runs || Win32Shell::runProgram(program, command);
  }
};

// Registrations of this test, removed when it ends (the 32-bit key too when the test made it).
class Registrations {
 public:
  ~Registrations() {
    for (const auto& [view, name] : planted_) (void)Reg().deleteKey(kLM, RegistrationPath(view, name));
    if (!wowExisted_) (void)Reg().deleteKey(kLM, kUninstallKeyWow32);
  }
  std::wstring plant(std::wstring_view tag, const Values& values, UninstallView view = kNative) {
    const std::wstring name = prefix + std::wstring(tag);
    const auto key = Reg().createKey(kLM, RegistrationPath(view, name));
    EXPECT_TRUE(key) << name;
    planted_.emplace_back(view, name);
    for (const auto& [value, text] : values) EXPECT_TRUE(key && key->writeText(value, text));
    return name;
  }
  static bool exists(UninstallView view, const std::wstring& name) {
    return Reg().keyExists(kLM, RegistrationPath(view, name));
  }

  const std::wstring prefix = L"WVTest-" + std::to_wstring(GetCurrentProcessId()) + L"-";

 private:
  const bool wowExisted_ = Reg().keyExists(kLM, kUninstallKeyWow32);
  std::vector<std::pair<UninstallView, std::wstring>> planted_;
};

}  // namespace wv::test
