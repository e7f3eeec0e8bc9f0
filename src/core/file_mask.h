#pragma once
// File-name masks ("*.tmp", "~*.*", "[a-c]*.log") and their matcher.

#include "platform/layer.h"
WV_REQUIRE_LAYER(WV_LAYER_CORE, "the platform layer stands below core and uses none of it");

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace wv {

// A final "*.*" (three characters or more) becomes "*", so "~*.*" also matches names without a dot.
std::wstring NormalizeMask(std::wstring_view mask);

// A whole-name pattern: "*" any run, "?" one character, "[...]" a set with ranges
// ("a-z") negated by a leading "!"; other characters match themselves, letters
// without regard to case.
class FileMask {
 public:
  // nullopt when the mask is not valid (a "[" that is never closed).
  static std::optional<FileMask> Compile(std::wstring_view mask);
  [[nodiscard]] bool Matches(std::wstring_view name) const;
  [[nodiscard]] const std::wstring& text() const { return text_; }

 private:
  std::wstring text_;
  std::vector<std::uint32_t> program_;  // compiled form, owned by the implementation
  bool literal_ = false;                // a "*lit*" whose first character has no other case
  std::wstring folded_;                 // pre-folded literal or suffix for fast paths
  int kind_ = 0;
  std::size_t minLength_ = 0;           // characters the tokens other than "*" need
  wchar_t lastChar_ = 0;                // folded final literal of a token program, a quick reject
};
bool IsValidMask(std::wstring_view mask);
// Convenience for one-off tests; invalid masks match nothing.
bool MatchesMask(std::wstring_view name, std::wstring_view mask);

}  // namespace wv
