// Rules that turn registry values and command lines into file paths, and the file-name check.
#include "core/utilities.h"

namespace wv {
namespace {

// The first part of a text that starts with a double quote, up to the next one
// (or the end); the text itself when there is no quote or nothing between.
std::wstring_view Unquote(std::wstring_view s) {
  if (s.empty() || s.front() != L'"') return s;
  const std::wstring_view rest = s.substr(1);
  const std::wstring_view inner = rest.substr(0, rest.find(L'"'));
  return inner.empty() ? s : inner;
}

// Pairs of backslashes halved, double quotes removed.
std::wstring Clean(std::wstring_view s) {
  std::wstring out;
  out.reserve(s.size());
  for (std::size_t i = 0; i < s.size(); ++i) {
    const wchar_t ch = s[i];
    if (ch == L'"') continue;
    out += ch;
    if (ch == L'\\' && i + 1 < s.size() && s[i + 1] == L'\\') ++i;
  }
  return out;
}

bool HasDriveRoot(std::wstring_view s) { return s.size() >= 3 && s[1] == L':' && s[2] == L'\\'; }

bool IsWholeNumber(std::wstring_view s) {
  if (!s.empty() && (s.front() == L'-' || s.front() == L'+')) s.remove_prefix(1);
  if (s.empty() || s.size() > 10) return false;
  for (const wchar_t ch : s)
    if (ch < L'0' || ch > L'9') return false;
  return true;
}

// Length of the rest of n from the first ch on, 0 when ch is absent.
std::size_t RestFrom(std::wstring_view n, wchar_t ch) {
  const std::size_t at = n.find(ch);
  return at == std::wstring_view::npos ? 0 : n.size() - at;
}

constexpr std::wstring_view kForbiddenInNames = L"\\/<>*\":?|";

}  // namespace

bool IsDeviceName(std::wstring_view name) {
  // Windows looks at the part before the first dot, blanks at its end ignored.
  std::wstring_view stem = name.substr(0, name.find(L'.'));
  while (!stem.empty() && (stem.back() == L' ' || stem.back() == L'\t')) stem.remove_suffix(1);
  const std::wstring upper = ToUpper(stem);
  if (upper == L"CON" || upper == L"PRN" || upper == L"AUX" || upper == L"NUL" || upper == L"CONIN$" ||
      upper == L"CONOUT$")
    return true;
  if (upper.size() != 4 || (!upper.starts_with(L"COM") && !upper.starts_with(L"LPT"))) return false;
  const wchar_t digit = upper[3];
  // The superscript digits count as well.
  return (digit >= L'1' && digit <= L'9') || digit == L'\x00B9' || digit == L'\x00B2' || digit == L'\x00B3';
}

bool IsPlainFileName(std::wstring_view name) {
  if (name.empty() || name == L"." || name == L"..") return false;
  if (name.back() == L'.' || name.back() == L' ') return false;
  for (const wchar_t ch : name)
    if (ch < L' ' || kForbiddenInNames.find(ch) != std::wstring_view::npos) return false;
  return !IsDeviceName(name);
}

bool LooksLikeFilePath(std::wstring_view text) {
  const std::wstring s = Trim(Clean(Unquote(TrimView(text))));
  return HasDriveRoot(s) && s.find(L'.') != std::wstring::npos;
}

std::wstring ExtractPathFromCommand(std::wstring_view text) {
  std::wstring s = Clean(Unquote(TrimView(text)));
  // A second drive reference ends the path.
  if (s.size() > 3) {
    const std::size_t colon = s.find(L':', 3);
    if (colon != std::wstring::npos) s = Trim(std::wstring_view(s).substr(0, colon));
  }
  if (!HasDriveRoot(s)) return s;
  if (FileExists(s)) return s;

  if (s.back() == L'\\') {
    const std::wstring_view bare = std::wstring_view(s).substr(0, s.size() - 1);
    if (ExtractFileExt(bare).size() == 4 && FileExists(bare)) return std::wstring(bare);
  }

  const std::size_t lastSlash = s.rfind(L'\\');  // at least the one of the drive root
  const std::wstring_view folder = std::wstring_view(s).substr(0, lastSlash);
  if (IsWholeNumber(std::wstring_view(s).substr(lastSlash + 1)) && FileExists(folder)) return std::wstring(folder);

  const std::size_t comma = s.find(L',');
  if (comma != std::wstring::npos) {
    const std::wstring_view head = std::wstring_view(s).substr(0, comma);
    if (FileExists(head)) return std::wstring(head);
  }

  std::wstring n(ExtractFileName(s));
  if (n.find(L'.') == std::wstring::npos || s.back() == L'\\') return s;

  const std::size_t dotRest = RestFrom(n, L'.');
  const std::size_t commaRest = RestFrom(n, L',');
  const std::size_t blankRest = RestFrom(n, L' ');
  if (dotRest > commaRest && commaRest > blankRest) n.resize(n.find(L','));
  else if (dotRest > blankRest && commaRest < blankRest) n.resize(n.find(L' '));

  const std::size_t lastDot = n.rfind(L'.');
  if (lastDot != std::wstring::npos && n.size() - lastDot > 4) n.resize(lastDot + 4);

  const std::size_t bad = n.find_first_of(L"\\/*?<>|");
  if (bad != std::wstring::npos) n.resize(bad);

  return std::wstring(ExtractFilePath(s)) + n;
}

std::wstring CheckFileName(std::wstring& name) {
  name = Trim(name);
  while (!name.empty() && name.back() == L'.') name.pop_back();
  if (name.empty() || name.front() == L'.') return L"文件名不能为空！";
  if (name.find_first_of(kForbiddenInNames) != std::wstring::npos)
    return L"文件名中不能包含以下特殊字符  \\ / < > * \" : ? | ";
  if (AnsiByteLength(name) > 200) return L"文件名过长！";
  // Windows would drop a blank at the end (before the dots it also drops) and
  // take a device's name for the device.
  if (name.back() <= L' ') return L"文件名不能以空格结尾！";
  if (IsDeviceName(name)) return L"文件名不能是系统保留的设备名（CON、PRN、AUX、NUL、COM1～COM9、LPT1～LPT9）！";
  return {};
}

}  // namespace wv
