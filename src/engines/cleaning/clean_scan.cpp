#include "engines/cleaning/clean_scan.h"

#include "platform/text.h"

namespace wv::cleanscan {

std::vector<FileMask> CompileMasks(const std::vector<std::wstring>& patterns) {
  std::vector<FileMask> out;
  out.reserve(patterns.size());
  for (const std::wstring& p : patterns)
    if (auto mask = FileMask::Compile(p)) out.push_back(std::move(*mask));
  return out;
}

const FileMask* FirstMatch(const std::vector<FileMask>& masks, std::wstring_view name) {
  for (const FileMask& m : masks)
    if (m.Matches(name)) return &m;
  return nullptr;
}

}  // namespace wv::cleanscan
