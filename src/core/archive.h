#pragma once
// The ".zcom" archive of the registry backups: one zlib stream.

#include "platform/layer.h"
WV_REQUIRE_LAYER(WV_LAYER_CORE, "the platform layer stands below core and uses none of it");

#include <string_view>

namespace wv {

// Level index: 0 fastest (zlib 1), 1 default (-1), 2 best (9), 3 stored (0), other default.
// One zlib stream, 64 KiB output blocks; streams, never holds the file. On failure
// (source unreadable, target not creatable, a write fails) the result is false, a
// partial target is removed and the source is never deleted.
[[nodiscard]] bool CompressFile(std::wstring_view source, std::wstring_view target, int level,
                                bool deleteSource);
// Inflates 512 bytes of output at a time. A corrupt or truncated archive is a
// failure: the partial target is removed and the source kept.
[[nodiscard]] bool DecompressFile(std::wstring_view source, std::wstring_view target, bool deleteSource);

}  // namespace wv
