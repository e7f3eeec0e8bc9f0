#include <gtest/gtest.h>
#include <zlib.h>

#include <random>
#include <string>
#include <vector>

#include "core/publline.h"
#include "core_fakes.h"
#include "support/testsupport.h"

namespace wv {
namespace {

// Text much like a registry export, random bytes, and runs of one byte.
std::string Sample(std::size_t size, int kind, unsigned seed = 7) {
  std::mt19937 random(seed);
  std::string out;
  out.reserve(size);
  while (out.size() < size) {
    if (kind == 0) {
      out += "[HKEY_CURRENT_USER\\Software\\Vendor" + std::to_string(random() % 97) + "\\Key]\r\n\"Value" +
             std::to_string(random() % 1000) + "\"=dword:" + std::to_string(random()) + "\r\n";
    } else if (kind == 1) {
      out += static_cast<char>(random());
    } else {
      out += '\0';
    }
  }
  out.resize(size);
  return out;
}

std::string ZlibUncompress(const std::string& archive, std::size_t expectedSize) {
  std::string out(expectedSize + 16, '\0');
  uLongf length = static_cast<uLongf>(out.size());
  if (uncompress(reinterpret_cast<Bytef*>(out.data()), &length, reinterpret_cast<const Bytef*>(archive.data()),
                 static_cast<uLong>(archive.size())) != Z_OK)
    return "<uncompress failed>";
  out.resize(length);
  return out;
}

TEST(ZcomArchive, RoundTripAndStandardZlibReadsIt) {
  test::TempFolder tmp(L"zcom");
  const struct {
    std::size_t size;
    int kind;
  } inputs[] = {{0, 0}, {1, 1}, {512, 0}, {65536, 1}, {65537, 0}, {300000, 1}, {1500000, 0}, {3000000, 2}};
  // Level index, and the second header byte that zlib writes for the level it got.
  const struct {
    int index;
    unsigned char flag;
  } levels[] = {{0, 0x01}, {1, 0x9C}, {2, 0xDA}, {3, 0x01}, {-1, 0x9C}, {7, 0x9C}};
  for (const auto& in : inputs) {
    const std::string data = Sample(in.size, in.kind);
    const std::wstring source = tmp.file(L"export.reg", data);
    std::size_t fastestSize = 0;
    for (const auto& level : levels) {
      const std::wstring archive = tmp / L"export.reg.zcom";
      ASSERT_TRUE(CompressFile(source, archive, level.index, false)) << in.size << L" level " << level.index;
      const std::string packed = test::ReadBytes(archive);
      ASSERT_GE(packed.size(), 2u);
      EXPECT_EQ(static_cast<unsigned char>(packed[0]), 0x78);
      EXPECT_EQ(static_cast<unsigned char>(packed[1]), level.flag) << L"level " << level.index;
      EXPECT_EQ(ZlibUncompress(packed, data.size()), data) << in.size << L" level " << level.index;
      if (level.index == 0) fastestSize = packed.size();
      if (level.index == 3) {
        EXPECT_GT(packed.size(), data.size());  // stored, not compressed
      }
      if (level.index == 2 && in.kind == 0 && in.size > 100000) {
        EXPECT_LT(packed.size(), fastestSize);
      }

      const std::wstring restored = tmp / L"restored.reg";
      ASSERT_TRUE(DecompressFile(archive, restored, false));
      EXPECT_EQ(test::ReadBytes(restored), data);
      EXPECT_TRUE(test::PathExists(archive));
    }
  }
}

TEST(ZcomArchive, ReadsWhatZlibCompress2Wrote) {
  test::TempFolder tmp(L"zcom2");
  const std::string data = Sample(400000, 0, 99);
  for (const int level : {1, 6, 9, 0}) {
    std::string packed(compressBound(static_cast<uLong>(data.size())), '\0');
    uLongf length = static_cast<uLongf>(packed.size());
    ASSERT_EQ(compress2(reinterpret_cast<Bytef*>(packed.data()), &length, reinterpret_cast<const Bytef*>(data.data()),
                        static_cast<uLong>(data.size()), level),
              Z_OK);
    packed.resize(length);
    const std::wstring archive = tmp.file(L"z.zcom", packed);
    const std::wstring target = tmp / L"z.reg";
    ASSERT_TRUE(DecompressFile(archive, target, true)) << level;
    EXPECT_EQ(test::ReadBytes(target), data) << level;
    EXPECT_FALSE(test::PathExists(archive));  // asked to delete it, after success
  }
}

TEST(ZcomArchive, DeleteSourceOnlyWhenAsked) {
  test::TempFolder tmp(L"zcomdel");
  const std::string data = Sample(10000, 0);
  const std::wstring source = tmp.file(L"a.reg", data);
  ASSERT_TRUE(CompressFile(source, tmp / L"a.zcom", 1, false));
  EXPECT_TRUE(test::PathExists(source));
  ASSERT_TRUE(CompressFile(source, tmp / L"b.zcom", 1, true));
  EXPECT_FALSE(test::PathExists(source));
  ASSERT_TRUE(DecompressFile(tmp / L"b.zcom", source, true));
  EXPECT_FALSE(test::PathExists(tmp / L"b.zcom"));
  EXPECT_EQ(test::ReadBytes(source), data);
}

TEST(ZcomArchive, BrokenArchivesFailLeavingNoTargetAndTheSource) {
  test::TempFolder tmp(L"zcombad");
  const std::string data = Sample(200000, 0);
  const std::wstring source = tmp.file(L"good.reg", data);
  ASSERT_TRUE(CompressFile(source, tmp / L"good.zcom", 1, false));
  const std::string good = test::ReadBytes(tmp / L"good.zcom");
  ASSERT_GT(good.size(), 100u);

  std::string flipped = good;
  for (std::size_t i = good.size() / 3; i < good.size() / 3 + 16; ++i) flipped[i] = static_cast<char>(~flipped[i]);
  std::string badChecksum = good;
  badChecksum.back() = static_cast<char>(badChecksum.back() ^ 0x55);
  std::string badHeader = good;
  badHeader[1] = static_cast<char>(badHeader[1] ^ 1);
  const struct {
    const wchar_t* name;
    std::string bytes;
  } cases[] = {
      {L"empty", ""},
      {L"garbage", "this is not a zlib stream at all, just text"},
      {L"header only", good.substr(0, 2)},
      {L"cut in half", good.substr(0, good.size() / 2)},
      {L"checksum cut", good.substr(0, good.size() - 3)},
      {L"flipped", flipped},
      {L"bad checksum", badChecksum},
      {L"bad header", badHeader},
  };
  for (const auto& c : cases) {
    const std::wstring archive = tmp.file(L"bad.zcom", c.bytes);
    const std::wstring target = tmp / L"bad.reg";
    EXPECT_FALSE(DecompressFile(archive, target, true)) << c.name;
    EXPECT_FALSE(test::PathExists(target)) << c.name;
    EXPECT_EQ(test::ReadBytes(archive), c.bytes) << c.name;
  }
}

TEST(ZcomArchive, UnopenableSourceOrTargetFailsBeforeAnythingIsDeleted) {
  test::TempFolder tmp(L"zcomopen");
  const std::wstring source = tmp.file(L"s.reg", Sample(5000, 0));
  const std::wstring noFolder = tmp / L"missing\\t.zcom";
  EXPECT_FALSE(CompressFile(tmp / L"nothing.reg", tmp / L"t.zcom", 1, true));
  EXPECT_FALSE(test::PathExists(tmp / L"t.zcom"));
  EXPECT_FALSE(CompressFile(source, noFolder, 1, true));
  EXPECT_TRUE(test::PathExists(source));
  EXPECT_FALSE(DecompressFile(tmp / L"nothing.zcom", tmp / L"t.reg", true));
  EXPECT_FALSE(test::PathExists(tmp / L"t.reg"));

  ASSERT_TRUE(CompressFile(source, tmp / L"s.zcom", 0, false));
  EXPECT_FALSE(DecompressFile(tmp / L"s.zcom", noFolder, true));
  EXPECT_TRUE(test::PathExists(tmp / L"s.zcom"));

  // Onto itself: the target cannot be created while the source is open, and the
  // source must survive the failure.
  const std::string before = test::ReadBytes(source);
  EXPECT_FALSE(CompressFile(source, source, 1, true));
  EXPECT_EQ(test::ReadBytes(source), before);

  // A source that another handle holds without sharing.
  HANDLE held = CreateFileW(source.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  EXPECT_FALSE(CompressFile(source, tmp / L"held.zcom", 1, true));
  CloseHandle(held);
  EXPECT_FALSE(test::PathExists(tmp / L"held.zcom"));
  EXPECT_TRUE(test::PathExists(source));
}

TEST(ZcomArchive, FailedReadsAndWritesRemoveThePartialTarget) {
  test::TempFolder tmp(L"zcomfault");
  const std::string data = Sample(600000, 1);  // incompressible: several output blocks
  const std::wstring source = tmp.file(L"s.reg", data);
  ASSERT_TRUE(CompressFile(source, tmp / L"s.zcom", 1, false));
  const std::wstring archive = tmp / L"s.zcom";
  for (const std::size_t limit : {std::size_t{0}, std::size_t{65536}, std::size_t{300000}, data.size() - 10}) {
    test::FaultyFileSystem faulty;
    faulty.failWritesAfterBytes = limit;
    Substitute<FileSystem> use(&Platform::files, faulty);
    EXPECT_FALSE(CompressFile(source, tmp / L"w.zcom", 2, true)) << limit;
    EXPECT_FALSE(test::PathExists(tmp / L"w.zcom")) << limit;
    EXPECT_TRUE(test::PathExists(source));
    EXPECT_FALSE(DecompressFile(archive, tmp / L"w.reg", true)) << limit;
    EXPECT_FALSE(test::PathExists(tmp / L"w.reg")) << limit;
    EXPECT_TRUE(test::PathExists(archive));
  }
  for (const int reads : {0, 1, 3}) {
    test::FaultyFileSystem faulty;
    faulty.failReadsAfterCalls = reads;
    Substitute<FileSystem> use(&Platform::files, faulty);
    EXPECT_FALSE(CompressFile(source, tmp / L"r.zcom", 1, true)) << reads;
    EXPECT_FALSE(test::PathExists(tmp / L"r.zcom")) << reads;
    EXPECT_FALSE(DecompressFile(archive, tmp / L"r.reg", true)) << reads;
    EXPECT_FALSE(test::PathExists(tmp / L"r.reg")) << reads;
  }
  EXPECT_EQ(test::ReadBytes(source), data);
  EXPECT_TRUE(test::PathExists(archive));
}

TEST(ZcomArchive, StreamsInFixedBlocks) {
  test::TempFolder tmp(L"zcomblocks");
  const std::string data = Sample(500000, 1);
  const std::wstring source = tmp.file(L"s.reg", data);
  test::FaultyFileSystem recorder;
  Substitute<FileSystem> use(&Platform::files, recorder);

  ASSERT_TRUE(CompressFile(source, tmp / L"s.zcom", 1, false));
  ASSERT_GE(recorder.writeSizes.size(), 7u);
  for (std::size_t i = 0; i + 1 < recorder.writeSizes.size(); ++i) EXPECT_EQ(recorder.writeSizes[i], 65536u);
  EXPECT_LE(recorder.writeSizes.back(), 65536u);

  recorder.writeSizes.clear();
  ASSERT_TRUE(DecompressFile(tmp / L"s.zcom", tmp / L"back.reg", false));
  EXPECT_GE(recorder.writeSizes.size(), data.size() / 512);
  for (const std::size_t size : recorder.writeSizes) EXPECT_LE(size, 512u);
  EXPECT_EQ(test::ReadBytes(tmp / L"back.reg"), data);
}

TEST(ZcomArchive, LongPaths) {
  test::TempFolder tmp(L"zcomlong");
  std::wstring relative;
  for (int i = 0; i < 6; ++i) relative += (i ? L"\\" : L"") + std::wstring(50, static_cast<wchar_t>(L'k' + i));
  const std::wstring folder = tmp.folder(relative);
  ASSERT_GT(folder.size(), 300u);
  const std::string data = Sample(100000, 0);
  const std::wstring source = folder + L"\\Reg_2026Y12M05D13H07M09S.reg";
  test::WriteBytes(source, data);
  ASSERT_TRUE(CompressFile(source, source + L".zcom", 2, true));
  EXPECT_FALSE(test::PathExists(source));
  EXPECT_EQ(ZlibUncompress(test::ReadBytes(source + L".zcom"), data.size()), data);
  ASSERT_TRUE(DecompressFile(source + L".zcom", source, true));
  EXPECT_EQ(test::ReadBytes(source), data);
}

}  // namespace
}  // namespace wv
