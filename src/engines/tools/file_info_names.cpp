// The name rules of the file-information editor and the picking of their fields
// from a selection in the name preview. Positions and lengths count UTF-16
// characters, so a Chinese character counts one.
#include <algorithm>

#include "platform/text.h"
#include "engines/tools/file_info.h"

namespace wv {
namespace {

std::size_t Count(int value) { return value < 0 ? 0 : static_cast<std::size_t>(value); }

// Where the range of len characters from position pos starts and how long it is,
// cut at the end of the text.
struct Span {
  std::size_t start, length;
};
Span RangeOf(std::wstring_view p, int pos, int len) {
  const std::size_t start = std::min(Count(pos), p.size());
  return {start, std::min(Count(len), p.size() - start)};
}

std::wstring InsertAt(std::wstring_view p, int pos, std::wstring_view text) {
  const std::size_t at = std::min(Count(pos), p.size());
  std::wstring out(p.substr(0, at));
  out += text;
  out += p.substr(at);
  return out;
}

bool InClass(wchar_t ch, bool letters) {
  if (letters) return (ch >= L'A' && ch <= L'Z') || (ch >= L'a' && ch <= L'z');
  return ch >= L'0' && ch <= L'9';
}

std::wstring NumberText(const FileInfoSettings& s, std::size_t rowIndex) {
  const std::int64_t number =
      static_cast<std::int64_t>(s.numberBegin) + static_cast<std::int64_t>(s.numberStep) * static_cast<std::int64_t>(rowIndex);
  std::wstring digits = ToDecimal(number < 0 ? -number : number);
  if (digits.size() < Count(s.numberWidth)) digits.insert(0, Count(s.numberWidth) - digits.size(), L'0');
  return number < 0 ? L"-" + digits : digits;
}

std::wstring BetweenMarkers(std::wstring_view p, std::wstring_view s, std::wstring_view e, bool drop) {
  if (s.empty() && e.empty()) return std::wstring(p);
  // H: the text up to and including the first S; Q: what follows it.
  std::size_t afterS = 0;
  if (!s.empty()) {
    const std::size_t at = p.find(s);
    if (at == std::wstring_view::npos) return std::wstring(p);
    afterS = at + s.size();
  }
  const std::wstring_view head = p.substr(0, afterS);
  const std::wstring_view rest = p.substr(afterS);
  // With both markers, E must stand after the first S.
  const std::size_t atE = e.empty() ? std::wstring_view::npos : rest.find(e);
  if (!e.empty() && atE == std::wstring_view::npos) return std::wstring(p);
  if (!drop) return std::wstring(e.empty() ? rest : rest.substr(0, atE));
  if (e.empty()) return std::wstring(head);
  return std::wstring(head) + std::wstring(rest.substr(atE));
}

std::wstring ApplyRule(const FileInfoSettings& s, std::wstring_view p, std::size_t rowIndex) {
  switch (s.rule) {
    case NameRule::None:
      return std::wstring(p);
    case NameRule::Replace:
      return ReplaceAll(p, s.replaceFrom, s.replaceTo, true);
    case NameRule::InsertText:
      return InsertAt(p, s.insertPos, s.insertText);
    case NameRule::InsertNumber:
      return InsertAt(p, s.numberPos, NumberText(s, rowIndex));
    case NameRule::ChangeCase: {
      const Span r = RangeOf(p, s.casePos, s.caseLen);
      const std::wstring_view piece = p.substr(r.start, r.length);
      return std::wstring(p.substr(0, r.start)) + (s.lowerCase ? ToLower(piece) : ToUpper(piece)) +
             std::wstring(p.substr(r.start + r.length));
    }
    case NameRule::Overwrite: {
      const Span r = RangeOf(p, s.overwritePos, s.overwriteLen);
      if (r.length == 0) return std::wstring(p);
      return std::wstring(p.substr(0, r.start)) + s.overwriteText + std::wstring(p.substr(r.start + r.length));
    }
    case NameRule::Range: {
      const Span r = RangeOf(p, s.rangePos, s.rangeLen);
      if (!s.rangeDrop) return std::wstring(p.substr(r.start, r.length));
      return std::wstring(p.substr(0, r.start)) + std::wstring(p.substr(r.start + r.length));
    }
    case NameRule::CharClass: {
      std::wstring out;
      for (const wchar_t ch : p)
        if (InClass(ch, s.classLetters) != s.classDrop) out += ch;
      return out;
    }
    case NameRule::Markers:
      return BetweenMarkers(p, s.markerBegin, s.markerEnd, s.markerDrop);
  }
  return std::wstring(p);
}

}  // namespace

std::wstring WorkingPart(std::wstring_view name, bool extensionPart) {
  const std::wstring_view ext = ExtractFileExt(name);
  if (extensionPart) return std::wstring(ext.empty() ? ext : ext.substr(1));
  return std::wstring(name.substr(0, name.size() - ext.size()));
}

std::wstring ApplyNameRule(const FileInfoSettings& settings, std::wstring_view name, std::size_t rowIndex) {
  const std::wstring_view ext = ExtractFileExt(name);
  const std::wstring_view base = name.substr(0, name.size() - ext.size());
  const std::wstring_view extBare = ext.empty() ? ext : ext.substr(1);
  // An empty extension leaves a trailing dot here, which the name check removes.
  if (settings.extensionPart) return std::wstring(base) + L'.' + ApplyRule(settings, extBare, rowIndex);
  return ApplyRule(settings, base, rowIndex) + L'.' + std::wstring(extBare);
}

void PickFromPreview(std::wstring_view preview, int selStart, int selLength, FileInfoSettings& s) {
  const std::size_t n = std::min(Count(selStart), preview.size());
  const std::size_t m = std::min(Count(selLength), preview.size() - n);
  const int before = kPositionRange.clamp(static_cast<int>(n));
  const int length = kLengthRange.clamp(static_cast<int>(m));
  s.replaceFrom = std::wstring(preview.substr(n, m)).substr(0, kRuleTextLimit);
  s.insertPos = s.numberPos = s.casePos = s.overwritePos = s.rangePos = before;
  s.caseLen = s.overwriteLen = s.rangeLen = length;
  s.markerBegin = n > 0 ? std::wstring(1, preview[n - 1]) : std::wstring();
  s.markerEnd = n + m < preview.size() ? std::wstring(1, preview[n + m]) : std::wstring();
}

}  // namespace wv
