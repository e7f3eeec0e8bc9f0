#pragma once
// Pieces the two file-cleaning scans share: the compiled pattern list and the
// tests on directory entries.

#include <windows.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/publline.h"
#include "core/text.h"

namespace wv::cleanscan {

// Directory entries that are old-style volume labels carry this bit.
inline constexpr DWORD kVolumeLabel = 0x8;

// A folder entry that is a junction or a link to a folder: never entered, since
// it leads out of the walked tree (or back into it, round and round).
inline bool IsLinkedFolder(DWORD attributes) {
  return (attributes & FILE_ATTRIBUTE_DIRECTORY) && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

// Patterns in order; a text that is not a valid mask is left out.
std::vector<FileMask> CompileMasks(const std::vector<std::wstring>& patterns);
bool MatchesAny(const std::vector<FileMask>& masks, std::wstring_view name);

}  // namespace wv::cleanscan
