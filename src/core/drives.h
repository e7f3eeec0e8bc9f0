#pragma once
// Size texts and drive information.

#include "platform/layer.h"
WV_REQUIRE_LAYER(WV_LAYER_CORE, "the platform layer stands below core and uses none of it");

#include <cstdint>
#include <string>

namespace wv {

// Two decimals, "." always, units B/KB/MB/GB/TB in steps of 1024; empty from 1024 TB.
std::wstring FormatSize(std::uint64_t bytes);

struct VolumeDetails {
  std::wstring label;
  std::wstring serial;  // eight upper-case hexadecimal digits
  std::wstring fileSystem;
};
[[nodiscard]] bool GetVolumeInfo(wchar_t driveLetter, VolumeDetails& out);
// Both 0 when the space cannot be read.
void GetDiskSpace(wchar_t driveLetter, std::uint64_t& total, std::uint64_t& totalFree);

}  // namespace wv
