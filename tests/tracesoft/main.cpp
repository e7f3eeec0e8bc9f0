// The test program doubles as the harmless program that uninstall commands run:
// started with "--record FILE TAG" it writes "its own path|TAG" into FILE and ends,
// so a test can see which program a command line really started, with which words.

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <string>

int main(int argc, char** argv) {
  for (int i = 1; i + 2 < argc; ++i) {
    if (std::string(argv[i]) != "--record") continue;
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    const std::string tag = argv[i + 2];
    const std::wstring text = std::wstring(self) + L"|" + std::wstring(tag.begin(), tag.end());
    std::FILE* file = std::fopen(argv[i + 1], "wb");
    if (!file) return 1;
    std::fwrite(text.data(), sizeof(wchar_t), text.size(), file);
    return std::fclose(file);
  }
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
