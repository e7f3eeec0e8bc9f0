#pragma once
// Seeded mutations for the fuzz tests: a new seed each run, printed with every
// failure, so that a failing input can be made again.

#include <chrono>
#include <cstddef>
#include <iterator>
#include <random>
#include <string>
#include <string_view>

namespace wv::test {

inline unsigned FuzzSeed() { return static_cast<unsigned>(std::chrono::steady_clock::now().time_since_epoch().count()); }

// One mutation of text: characters flipped, inserted from a list of the formats'
// own signs (the record file's, the value notation's, Config.ini's), cut, or a piece repeated.
inline std::wstring Mutate(std::wstring text, std::mt19937& random) {
  static const std::wstring_view kSigns[] = {L"=", L"|", L"\\", L"/", L"..", L":", L",", L"\r\n", L"\n", L"[",
                                             L"]", L"hex(", L"dword:", L")", L"\"", std::wstring_view(L"\0", 1),
                                             L"😀", L" ", L";", L"%", L"'", L"\r\n[WJQL]\r\n", L"Version="};
  const auto pick = [&](std::size_t n) { return n == 0 ? std::size_t{0} : std::uniform_int_distribution<std::size_t>(0, n - 1)(random); };
  const int steps = 1 + static_cast<int>(pick(4));
  for (int s = 0; s < steps; ++s) {
    const std::size_t at = pick(text.size() + 1);
    switch (pick(5)) {
      case 0: if (at < text.size()) text[at] = static_cast<wchar_t>(pick(0x3000)); break;
      case 1: text.insert(at, kSigns[pick(std::size(kSigns))]); break;
      case 2: text.resize(at); break;
      case 3: if (at < text.size()) text.erase(at, 1 + pick(8)); break;
      default: text.insert(at, text.substr(pick(text.size() + 1), pick(20))); break;
    }
  }
  return text;
}

}  // namespace wv::test
