// Also the harmless program uninstall commands run: "--record FILE TAG" writes "its own
// path|TAG" into FILE, so a test sees which program a command line started, with which words.
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
    if (!file || std::fwrite(text.data(), sizeof(wchar_t), text.size(), file) != text.size()) return 1;
    return std::fclose(file);
  }
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
