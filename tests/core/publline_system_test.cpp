#include <gtest/gtest.h>

#include <string>

#include "core/publline.h"
#include "platform/platform.h"
#include "support/testsupport.h"

namespace wv {
namespace {

class FakeVolumes : public Volumes {
 public:
  std::wstring askedRoot;
  std::optional<VolumeInformation> info;
  bool spaceOk = false;

  std::uint32_t logicalDrives() override { return 0; }
  unsigned driveType(std::wstring_view) override { return DRIVE_FIXED; }
  std::optional<VolumeInformation> volumeInformation(std::wstring_view root) override {
    askedRoot = root;
    return info;
  }
  bool diskSpace(std::wstring_view root, std::uint64_t& total, std::uint64_t& free) override {
    askedRoot = root;
    total = 123;  // what a failing call may leave behind
    free = 45;
    return spaceOk;
  }
};

TEST(Drives, VolumeDetailsAndSerialText) {
  FakeVolumes fake;
  Substitute<Volumes> use(&Platform::volumes, fake);
  const struct {
    std::uint32_t serial;
    const wchar_t* text;
  } cases[] = {{0, L"00000000"}, {0xAB, L"000000AB"}, {0xDEADBEEF, L"DEADBEEF"}, {0x1234abcd, L"1234ABCD"}};
  for (const auto& c : cases) {
    fake.info = VolumeInformation{L"系统", c.serial, L"NTFS"};
    VolumeDetails out;
    ASSERT_TRUE(GetVolumeInfo(L'D', out));
    EXPECT_EQ(fake.askedRoot, L"D:\\");
    EXPECT_EQ(out.serial, c.text);
    EXPECT_EQ(out.label, L"系统");
    EXPECT_EQ(out.fileSystem, L"NTFS");
  }
  fake.info.reset();
  VolumeDetails out;
  EXPECT_FALSE(GetVolumeInfo(L'E', out));

  std::uint64_t total = 9, free = 9;
  GetDiskSpace(L'F', total, free);
  EXPECT_EQ(fake.askedRoot, L"F:\\");
  EXPECT_EQ(total, 0u);  // both 0 on failure, whatever the call left
  EXPECT_EQ(free, 0u);
}

wchar_t UnusedDriveLetter() {
  const DWORD drives = GetLogicalDrives();
  for (int i = 25; i >= 3; --i)
    if (!(drives & (1u << i))) return static_cast<wchar_t>(L'A' + i);
  return 0;
}

TEST(Drives, TheRealSystemDrive) {
  VolumeDetails out;
  ASSERT_TRUE(GetVolumeInfo(L'C', out));
  ASSERT_EQ(out.serial.size(), 8u);
  for (const wchar_t ch : out.serial) EXPECT_TRUE((ch >= L'0' && ch <= L'9') || (ch >= L'A' && ch <= L'F')) << out.serial;
  EXPECT_FALSE(out.fileSystem.empty());
  std::uint64_t total = 0, free = 0;
  GetDiskSpace(L'C', total, free);
  EXPECT_GT(total, 0u);
  EXPECT_LE(free, total);

  const wchar_t unused = UnusedDriveLetter();
  ASSERT_NE(unused, 0);
  EXPECT_FALSE(GetVolumeInfo(unused, out));
  GetDiskSpace(unused, total, free);
  EXPECT_EQ(total, 0u);
  EXPECT_EQ(free, 0u);
}

TEST(SystemNames, TheRealSystem) {
  // Wine reports an NT 6.1 system, and its user belongs to the administrators group.
  EXPECT_EQ(GetOSName(), L"Windows 7");
  EXPECT_EQ(GetUIFontName(), L"微软雅黑");
  EXPECT_TRUE(IsAdmin());
}

TEST(Icons, SmallIconOfAFile) {
  test::TempFolder tmp(L"icons");
  const std::wstring file = tmp.file(L"readme.txt", "hello");
  EXPECT_GE(GetSysIconIndex(file), 0);
  const UniqueBitmap bitmap = GetFileIconBitmap(file);
  ASSERT_TRUE(bitmap.valid());
  BITMAP info{};
  ASSERT_NE(GetObjectW(bitmap.get(), sizeof info, &info), 0);
  EXPECT_EQ(info.bmWidth, 16);
  EXPECT_EQ(info.bmHeight, 16);
}

}  // namespace
}  // namespace wv
