#include "platform/text.h"

#include "platform/code_page.h"

#include <windows.h>

#include <algorithm>
#include <climits>
#include <vector>

namespace wv {
namespace {

struct CaseTables {
  std::vector<wchar_t> upper;
  std::vector<wchar_t> lower;
};

// Surrogate halves map to themselves; everything else as the invariant locale
// maps it. One unit in, one unit out, so the tables are exact per-unit folds.
std::vector<wchar_t> BuildTable(DWORD mapping) {
  std::vector<wchar_t> table(0x10000);
  for (std::size_t i = 0; i < table.size(); ++i) table[i] = static_cast<wchar_t>(i);
  const auto mapRange = [&](std::size_t from, std::size_t to) {  // [from, to)
    std::vector<wchar_t> out(to - from);
    const int n = LCMapStringEx(LOCALE_NAME_INVARIANT, mapping, table.data() + from, static_cast<int>(to - from),
                                out.data(), static_cast<int>(out.size()), nullptr, nullptr, 0);
    if (n == static_cast<int>(out.size())) std::copy(out.begin(), out.end(), table.begin() + from);
  };
  mapRange(1, 0xD800);
  mapRange(0xE000, 0x10000);
  const bool up = mapping == LCMAP_UPPERCASE;
  for (wchar_t c = L'a'; c <= L'z'; ++c) table[static_cast<std::size_t>(c)] = up ? static_cast<wchar_t>(c - 32) : c;
  for (wchar_t c = L'A'; c <= L'Z'; ++c) table[static_cast<std::size_t>(c)] = up ? c : static_cast<wchar_t>(c + 32);
  return table;
}

const CaseTables& Tables() {
  static const CaseTables tables{BuildTable(LCMAP_UPPERCASE), BuildTable(LCMAP_LOWERCASE)};
  return tables;
}

inline bool IsBlank(wchar_t ch) { return ch <= L' '; }

}  // namespace

const wchar_t* UpperCaseTable() { return Tables().upper.data(); }
const wchar_t* LowerCaseTable() { return Tables().lower.data(); }

std::wstring_view TrimView(std::wstring_view text) {
  std::size_t begin = 0;
  std::size_t end = text.size();
  while (begin < end && IsBlank(text[begin])) ++begin;
  while (end > begin && IsBlank(text[end - 1])) --end;
  return text.substr(begin, end - begin);
}

std::wstring Trim(std::wstring_view text) { return std::wstring(TrimView(text)); }

wchar_t FoldCase(wchar_t ch) {
  if (ch < 0x80) return (ch >= L'a' && ch <= L'z') ? static_cast<wchar_t>(ch - 32) : ch;
  return UpperCaseTable()[static_cast<std::size_t>(ch)];
}

bool EqualsNoCase(std::wstring_view a, std::wstring_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (a[i] != b[i] && FoldCase(a[i]) != FoldCase(b[i])) return false;
  return true;
}

bool StartsWithNoCase(std::wstring_view text, std::wstring_view prefix) {
  return text.size() >= prefix.size() && EqualsNoCase(text.substr(0, prefix.size()), prefix);
}

bool EndsWithNoCase(std::wstring_view text, std::wstring_view suffix) {
  return text.size() >= suffix.size() && EqualsNoCase(text.substr(text.size() - suffix.size()), suffix);
}

std::size_t FindNoCase(std::wstring_view text, std::wstring_view needle) {
  if (needle.empty()) return 0;
  if (needle.size() > text.size()) return std::wstring_view::npos;
  const wchar_t first = FoldCase(needle[0]);
  const std::size_t last = text.size() - needle.size();
  for (std::size_t i = 0; i <= last; ++i) {
    if (FoldCase(text[i]) != first) continue;
    if (EqualsNoCase(text.substr(i + 1, needle.size() - 1), needle.substr(1))) return i;
  }
  return std::wstring_view::npos;
}

void FoldInto(std::wstring_view text, std::wstring& out) {
  const wchar_t* upper = UpperCaseTable();
  out.resize(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) out[i] = upper[static_cast<std::size_t>(text[i])];
}

void FoldedNeedles::add(std::wstring_view needle) {
  if (needle.empty()) return;
  std::wstring folded;
  FoldInto(needle, folded);
  needles_.push_back(std::move(folded));
}

bool FoldedNeedles::foundIn(std::wstring_view haystack, std::wstring& scratch) const {
  if (needles_.empty()) return false;
  FoldInto(haystack, scratch);
  const std::wstring_view h(scratch);
  for (const std::wstring& n : needles_)
    if (h.find(n) != std::wstring_view::npos) return true;
  return false;
}

std::wstring ToUpper(std::wstring_view text) {
  const wchar_t* table = UpperCaseTable();
  std::wstring out(text);
  for (wchar_t& ch : out) ch = table[static_cast<std::size_t>(ch)];
  return out;
}

std::wstring ToLower(std::wstring_view text) {
  const wchar_t* table = LowerCaseTable();
  std::wstring out(text);
  for (wchar_t& ch : out) ch = table[static_cast<std::size_t>(ch)];
  return out;
}

std::wstring ReplaceAll(std::wstring_view text, std::wstring_view from, std::wstring_view to, bool ignoreCase) {
  if (from.empty()) return std::wstring(text);
  std::wstring out;
  out.reserve(text.size());
  std::size_t pos = 0;
  while (pos <= text.size()) {
    const std::wstring_view rest = text.substr(pos);
    const std::size_t hit = ignoreCase ? FindNoCase(rest, from) : rest.find(from);
    if (hit == std::wstring_view::npos) {
      out.append(rest);
      break;
    }
    out.append(rest.substr(0, hit));
    out.append(to);
    pos += hit + from.size();
  }
  return out;
}

std::wstring IncludeTrailingBackslash(std::wstring_view path) {
  std::wstring out(path);
  if (out.empty() || out.back() != L'\\') out += L'\\';
  return out;
}

std::wstring ExcludeTrailingBackslash(std::wstring_view path) {
  if (!path.empty() && path.back() == L'\\') path.remove_suffix(1);
  return std::wstring(path);
}

std::wstring_view ExtractFilePath(std::wstring_view path) {
  const std::size_t cut = path.find_last_of(L"\\:");
  return cut == std::wstring_view::npos ? std::wstring_view() : path.substr(0, cut + 1);
}

std::wstring_view ExtractFileName(std::wstring_view path) {
  const std::size_t cut = path.find_last_of(L"\\:");
  return cut == std::wstring_view::npos ? path : path.substr(cut + 1);
}

std::wstring_view ExtractFileExt(std::wstring_view path) {
  const std::size_t cut = path.find_last_of(L"\\:.");
  if (cut == std::wstring_view::npos || path[cut] != L'.') return {};
  return path.substr(cut);
}

std::wstring ToWide(std::string_view utf8) {
  if (utf8.empty() || utf8.size() > static_cast<std::size_t>(INT_MAX)) return {};
  const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  if (n <= 0) return {};
  std::wstring out(static_cast<std::size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), out.data(), n);
  return out;
}

std::string ToUtf8(std::wstring_view text) {
  if (text.empty() || text.size() > static_cast<std::size_t>(INT_MAX)) return {};
  const int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr,
                                    nullptr);
  if (n <= 0) return {};
  std::string out(static_cast<std::size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n, nullptr, nullptr);
  return out;
}

std::size_t AnsiByteLength(std::wstring_view text) {
  if (text.empty()) return 0;
  if (text.size() > static_cast<std::size_t>(INT_MAX / 2)) return text.size() * 2;
  const int n = WideCharToMultiByte(936, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
  // Should the code page be missing, count as if every non-ASCII unit took two bytes.
  if (n <= 0) {
    std::size_t bytes = 0;
    for (const wchar_t ch : text) bytes += ch < 0x80 ? 1 : 2;
    return bytes;
  }
  return static_cast<std::size_t>(n);
}

std::wstring FromCodePage936(std::string_view bytes) {
  if (bytes.empty() || bytes.size() > static_cast<std::size_t>(INT_MAX)) return {};
  const int size = static_cast<int>(bytes.size());
  const int n = MultiByteToWideChar(936, MB_ERR_INVALID_CHARS, bytes.data(), size, nullptr, 0);
  if (n <= 0) return {};
  std::wstring out(static_cast<std::size_t>(n), L'\0');
  if (MultiByteToWideChar(936, MB_ERR_INVALID_CHARS, bytes.data(), size, out.data(), n) != n) return {};
  return out;
}

std::wstring ToDecimal(std::int64_t value) { return std::to_wstring(value); }

}  // namespace wv
