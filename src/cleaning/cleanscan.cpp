#include "cleaning/cleanscan.h"

#include "core/text.h"

namespace wv::cleanscan {

std::vector<FileMask> CompileMasks(const std::vector<std::wstring>& patterns) {
  std::vector<FileMask> out;
  out.reserve(patterns.size());
  for (const std::wstring& p : patterns)
    if (auto mask = FileMask::Compile(p)) out.push_back(std::move(*mask));
  return out;
}

bool MatchesAny(const std::vector<FileMask>& masks, std::wstring_view name) {
  for (const FileMask& m : masks)
    if (m.Matches(name)) return true;
  return false;
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

}  // namespace wv::cleanscan
