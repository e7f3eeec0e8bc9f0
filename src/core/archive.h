#pragma once
// The ".zcom" archive of the registry backups: one zlib stream.

#include "platform/layer.h"
WV_REQUIRE_LAYER(WV_LAYER_CORE, "the platform layer stands below core and uses none of it");

#include <cstdint>
#include <string_view>

#include "core/run_context.h"

namespace wv {

// Level index: 0 fastest (zlib 1), 1 default (-1), 2 best (9), 3 stored (0), other default.
// One zlib stream, 64 KiB output blocks; streams, never holds the file. On failure
// (source unreadable, target not creatable, a write fails) the result is false, a
// partial target is removed and the source is never deleted.
[[nodiscard]] bool CompressFile(std::wstring_view source, std::wstring_view target, int level,
                                bool deleteSource);
// Inflates 512 bytes of output at a time. A corrupt or truncated archive is a
// failure, and so is one that would expand past what its bytes can hold
// (kMaxExpansion per byte), past the target's free space less a margin
// (kFreeSpaceMargin, or a tenth of the free space when that is smaller), or a
// stop asked through run: the partial target is removed and the source kept.
[[nodiscard]] bool DecompressFile(std::wstring_view source, std::wstring_view target, bool deleteSource,
                                  RunContext* run = nullptr);

// Deflate turns one byte into at most 1032 (its longest match, 258 bytes, in
// two bits); with the zlib header and checksum a stream of n bytes cannot hold
// more than this many per byte.
inline constexpr std::uint64_t kMaxExpansion = 1032;
// What expanding never takes of a volume's free space.
inline constexpr std::uint64_t kFreeSpaceMargin = 64ull << 20;

}  // namespace wv
