// The test program doubles as the harmless program that uninstall commands run:
// started with "--record FILE TAG" it writes its own path and the tag into FILE
// and ends, so a test can see which program a command line really started.

#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <string>

int main(int argc, char** argv) {
  for (int i = 1; i + 1 < argc; ++i) {
    if (std::strcmp(argv[i], "--record") != 0) continue;
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring text = self;
    text += L"|";
    if (i + 2 < argc) text += std::wstring(argv[i + 2], argv[i + 2] + std::strlen(argv[i + 2]));
    const std::wstring file(argv[i + 1], argv[i + 1] + std::strlen(argv[i + 1]));
    HANDLE h = CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return 1;
    DWORD written = 0;
    WriteFile(h, text.data(), static_cast<DWORD>(text.size() * sizeof(wchar_t)), &written, nullptr);
    CloseHandle(h);
    return 0;
  }
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
