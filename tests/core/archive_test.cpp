// The ".zcom" reader against archives it did not make: mutations of archives
// the program wrote, one that expands past the free space, and a stop.

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <random>

#include "core/archive.h"
#include "platform/win32/win32_platform.h"
#include "support/test_support.h"

namespace wv {
namespace {

// Text-like bytes that compress well, with some noise.
std::string Mixed(std::size_t size, std::mt19937& random) {
  static constexpr std::string_view kWords[] = {"HKEY_LOCAL_MACHINE\\", "\"Value\"=", "dword:0000", "\r\n", "hex:00,",
                                                "Software\\", "[", "]"};
  std::string out;
  while (out.size() < size) {
    if (random() % 8 == 0) out += static_cast<char>(random());
    else out += kWords[random() % std::size(kWords)];
  }
  out.resize(size);
  return out;
}

// One seeded change of the archive: bits flipped, bytes overwritten, cut short,
// bytes put in, a piece repeated, or several of these.
std::string Mutate(std::string bytes, std::mt19937& random) {
  const int changes = 1 + static_cast<int>(random() % 3);
  for (int c = 0; c < changes; ++c) {
    const std::size_t at = bytes.empty() ? 0 : random() % bytes.size();
    switch (random() % 5) {
      case 0:
        if (!bytes.empty()) bytes[at] = static_cast<char>(bytes[at] ^ (1 << (random() % 8)));
        break;
      case 1:
        for (std::size_t i = at; i < bytes.size() && i < at + 1 + random() % 8; ++i) bytes[i] = static_cast<char>(random());
        break;
      case 2:
        bytes.resize(at);
        break;
      case 3:
        bytes.insert(at, std::string(1 + random() % 16, static_cast<char>(random())));
        break;
      default:
        if (!bytes.empty()) bytes.insert(at, bytes.substr(random() % bytes.size(), 1 + random() % 64));
        break;
    }
  }
  return bytes;
}

// The names in the folder.
std::vector<std::wstring> Listing(const std::wstring& folder) {
  std::vector<std::wstring> names;
  WIN32_FIND_DATAW fd;
  HANDLE h = FindFirstFileW((folder + L"\\*").c_str(), &fd);
  if (h == INVALID_HANDLE_VALUE) return names;
  do {
    const std::wstring name = fd.cFileName;
    if (name != L"." && name != L"..") names.push_back(name);
  } while (FindNextFileW(h, &fd));
  FindClose(h);
  return names;
}

// Thousands of archives changed at random (the seed is printed, and
// WV_FUZZ_SEED repeats a run): the reader never crashes or hangs, leaves the
// archive as it was, writes nothing but its target, and leaves no target when it
// fails; what it accepts never exceeds what the archive's bytes can hold.
TEST(ZcomArchive, MutatedArchivesAreReadSafely) {
  const char* given = std::getenv("WV_FUZZ_SEED");
  const unsigned seed = given ? static_cast<unsigned>(std::strtoul(given, nullptr, 10))
                              : static_cast<unsigned>(std::chrono::steady_clock::now().time_since_epoch().count());
  SCOPED_TRACE("WV_FUZZ_SEED=" + std::to_string(seed));
  std::mt19937 random(seed);
  test::TempFolder tmp(L"zfuzz");
  std::vector<std::string> made;
  for (const std::size_t size : {std::size_t{0}, std::size_t{700}, std::size_t{40000}}) {
    const std::wstring source = tmp.file(L"source.reg", Mixed(size, random)), archive = tmp / L"made.zcom";
    for (const int level : {0, 2, 3}) {
      ASSERT_TRUE(CompressFile(source, archive, level, false));
      made.push_back(test::ReadBytes(archive));
    }
  }
  ASSERT_TRUE(DeleteFileW((tmp / L"source.reg").c_str()) && DeleteFileW((tmp / L"made.zcom").c_str()));
  const std::wstring input = tmp / L"in.zcom", target = tmp / L"out.reg";
  int accepted = 0;
  constexpr int kInputs = 3000;
  for (int n = 0; n < kInputs; ++n) {
    const std::string bytes = Mutate(made[random() % made.size()], random);
    test::WriteBytes(input, bytes);
    const bool ok = DecompressFile(input, target, false);
    ASSERT_EQ(test::ReadBytes(input), bytes) << "input " << n;
    std::vector<std::wstring> want = {L"in.zcom"};
    if (ok) want.push_back(L"out.reg");
    std::vector<std::wstring> names = Listing(tmp.path());
    std::ranges::sort(names);
    ASSERT_EQ(names, want) << "input " << n;
    if (ok) {
      ++accepted;
      WIN32_FILE_ATTRIBUTE_DATA data{};
      ASSERT_TRUE(GetFileAttributesExW(target.c_str(), GetFileExInfoStandard, &data));
      ASSERT_LE(data.nFileSizeLow, bytes.size() * kMaxExpansion) << "input " << n;
      ASSERT_TRUE(DeleteFileW(target.c_str()));
    }
  }
  RecordProperty("accepted", accepted);
}

// The free space the tests report for a volume, real otherwise.
class TightVolumes : public Win32Volumes {
 public:
  explicit TightVolumes(std::uint64_t free) : free_(free) {}
  bool diskSpace(std::wstring_view, std::uint64_t& total, std::uint64_t& free) override {
    total = free_ * 4;
    free = free_;
    return true;
  }

 private:
  std::uint64_t free_;
  Substitute<Volumes> swap_{&Platform::volumes, *this};
};

struct StopAfter : RunContext {
  int left;
  explicit StopAfter(int n) : left(n) {}
  bool proceed() override { return left-- > 0; }
  void status(std::wstring_view) override {}
};

// An archive that would fill the volume stops while a margin is left, one
// that is stopped stops; neither leaves a target. With room and no stop the
// same archive expands in full.
TEST(ZcomArchive, ExpansionKeepsAMarginOfFreeSpaceAndHearsAStop) {
  test::TempFolder tmp(L"zroom");
  const std::string zeros(8u << 20, '\0');
  const std::wstring source = tmp.file(L"zeros.reg", zeros), archive = tmp / L"zeros.zcom", target = tmp / L"t.reg";
  ASSERT_TRUE(CompressFile(source, archive, 2, true));
  const std::string packed = test::ReadBytes(archive);
  ASSERT_LT(packed.size() * 100, zeros.size());  // a small archive that expands a lot
  // 8.5 MB free would hold the 8 MB, but not with a tenth of it kept; 6 MB would not hold them at all.
  for (const std::uint64_t free : {std::uint64_t{17} << 19, std::uint64_t{6} << 20}) {
    TightVolumes tight(free);
    EXPECT_FALSE(DecompressFile(archive, target, true)) << free;
    EXPECT_FALSE(test::PathExists(target));
  }
  StopAfter stop(3);
  EXPECT_FALSE(DecompressFile(archive, target, true, &stop));
  EXPECT_FALSE(test::PathExists(target));
  EXPECT_TRUE(test::ReadBytes(archive) == packed);  // untouched (not printed: it is long)
  StopAfter never(1 << 30);
  TightVolumes roomy(kFreeSpaceMargin + (64u << 20));
  ASSERT_TRUE(DecompressFile(archive, target, false, &never));
  EXPECT_TRUE(test::ReadBytes(target) == zeros);
}

}  // namespace
}  // namespace wv
