#pragma once
// The NTFS test volumes that scripts/make-test-volume builds and shows to the
// prefix as drives X: (the volume) and Y: (the same tree over a copy of the image
// with one record damaged), and what the tests share to read them.

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engines/cleaning/junk_scan.h"
#include "engines/cleaning/ntfs_table.h"
#include "platform/platform.h"

namespace wv::test {

inline constexpr wchar_t kVolume = L'X';
inline constexpr wchar_t kDamaged = L'Y';

// Every test here needs the volumes: without them (no FUSE, no ntfs-3g, not root)
// it fails and says so instead of passing over nothing.
class NtfsVolumeTest : public testing::Test {
 protected:
  void SetUp() override {
    for (const wchar_t letter : {kVolume, kDamaged}) {
      const std::wstring root = std::wstring(1, letter) + L":\\";
      ASSERT_TRUE(Vol().driveType(root) == DRIVE_FIXED && Vol().fileSystemName(root) == L"NTFS")
          << "drive " << static_cast<char>(letter)
          << ": is not the NTFS test volume: scripts/make-test-volume could not build or mount it "
             "(it needs root, FUSE and the ntfs-3g tools)";
      ASSERT_NE(Vol().openVolume(letter), nullptr) << "\\\\.\\" << static_cast<char>(letter) << ": does not open";
    }
  }
};

// A volume image held in memory, for reading mutated copies.
class MemoryVolume : public File {
 public:
  explicit MemoryVolume(const std::vector<std::uint8_t>& bytes) : bytes_(bytes) {}
  std::optional<std::size_t> read(void* buffer, std::size_t size) override {
    if (at_ > bytes_.size()) return std::nullopt;
    const std::size_t n = std::min(size, bytes_.size() - static_cast<std::size_t>(at_));
    std::memcpy(buffer, bytes_.data() + at_, n);
    at_ += n;
    return n;
  }
  bool write(const void*, std::size_t) override { return false; }
  bool seek(std::uint64_t offset) override {
    at_ = offset;
    return true;
  }
  bool truncateHere() override { return false; }
  bool flush() override { return false; }
  std::optional<std::uint64_t> size() override { return bytes_.size(); }

 private:
  const std::vector<std::uint8_t>& bytes_;
  std::uint64_t at_ = 0;
};

// Reads the whole table of a test drive.
inline NtfsTable ReadTable(wchar_t letter, NtfsReadResult* result = nullptr) {
  NtfsTable table;
  std::unique_ptr<File> volume = Vol().openVolume(letter);
  const NtfsReadResult r = volume ? ReadNtfsTable(*volume, table) : NtfsReadResult{NtfsFault::ReadFailed, 0};
  if (result) *result = r;
  return table;
}

// The record that holds a name in a folder (the folder's record), or nothing.
inline std::optional<std::uint32_t> RecordNamed(const NtfsTable& t, std::uint32_t folder, std::wstring_view name) {
  for (const NtfsName& n : t.names)
    if (n.parent == folder && n.space != kDosName && t.nameOf(n) == name && t.files[n.record].inUse) return n.record;
  return std::nullopt;
}

// The record at a path below the root ("links\\original name.tmp").
inline std::optional<std::uint32_t> RecordAt(const NtfsTable& t, std::wstring_view path) {
  std::uint32_t at = kRootRecord;
  while (!path.empty()) {
    const std::size_t cut = path.find(L'\\');
    const std::optional<std::uint32_t> next = RecordNamed(t, at, path.substr(0, cut));
    if (!next) return std::nullopt;
    at = *next;
    path = cut == std::wstring_view::npos ? std::wstring_view{} : path.substr(cut + 1);
  }
  return at;
}

}  // namespace wv::test
