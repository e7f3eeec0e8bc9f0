#pragma once
// Small text helpers shared by every unit. Case-insensitive means: letters of
// any script folded to upper case one UTF-16 unit at a time (ASCII fast path).

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace wv {

// Blanks and control characters (<= U+0020) at either end go, as the classic Trim does.
std::wstring_view TrimView(std::wstring_view text);
std::wstring Trim(std::wstring_view text);

wchar_t FoldCase(wchar_t ch);
// The upper- and lower-case fold of every UTF-16 unit (65,536 entries), for loops
// that fold many characters without a call per character.
const wchar_t* UpperCaseTable();
const wchar_t* LowerCaseTable();
bool EqualsNoCase(std::wstring_view a, std::wstring_view b);
bool StartsWithNoCase(std::wstring_view text, std::wstring_view prefix);
bool EndsWithNoCase(std::wstring_view text, std::wstring_view suffix);
// Position of needle in text without regard to case, or npos. An empty needle is found at 0.
std::size_t FindNoCase(std::wstring_view text, std::wstring_view needle);
inline bool ContainsNoCase(std::wstring_view text, std::wstring_view needle) {
  return FindNoCase(text, needle) != std::wstring_view::npos;
}
// The text folded to upper case into out, a buffer the caller reuses.
void FoldInto(std::wstring_view text, std::wstring& out);

// Substring tests without regard to case against needles folded once up front.
class FoldedNeedles {
 public:
  // Empty needles are dropped: an empty text would be found in every haystack.
  void add(std::wstring_view needle);
  // Folds the haystack into scratch and looks for every needle in it.
  [[nodiscard]] bool foundIn(std::wstring_view haystack, std::wstring& scratch) const;

 private:
  std::vector<std::wstring> needles_;
};

std::wstring ToUpper(std::wstring_view text);
std::wstring ToLower(std::wstring_view text);
// Every occurrence of from (without regard to case when asked) replaced by to.
std::wstring ReplaceAll(std::wstring_view text, std::wstring_view from, std::wstring_view to,
                        bool ignoreCase = false);

std::wstring IncludeTrailingBackslash(std::wstring_view path);
std::wstring ExcludeTrailingBackslash(std::wstring_view path);
// Folder part up to and including the last "\" (or ":"), and the name after it.
std::wstring_view ExtractFilePath(std::wstring_view path);
std::wstring_view ExtractFileName(std::wstring_view path);
// From the last "." of the name part, or empty.
std::wstring_view ExtractFileExt(std::wstring_view path);

std::wstring ToWide(std::string_view utf8);
std::string ToUtf8(std::wstring_view text);
// Length in bytes of the text in the ANSI code page 936 (a Chinese character counts two).
std::size_t AnsiByteLength(std::wstring_view text);
// The bytes read as code page 936 (GBK); empty when they are not valid in it.
std::wstring FromCodePage936(std::string_view bytes);

std::wstring ToDecimal(std::int64_t value);

}  // namespace wv
