// The ".zcom" archive: one plain zlib stream of the whole file, streamed through
// fixed buffers. A failed run removes what it wrote and never touches the source.
#include <zlib.h>

#include <algorithm>
#include <memory>

#include "core/utilities.h"
#include "platform/platform.h"

namespace wv {
namespace {

constexpr std::size_t kBlock = 65536;     // compressed output per write, and input per read
constexpr std::size_t kInflateOut = 512;  // decompressed output per write
constexpr std::uint64_t kBlocksPerStopCheck = 256;  // a stop is heard every 128 KiB of output

int ZlibLevel(int levelIndex) {
  switch (levelIndex) {
    case 0: return Z_BEST_SPEED;
    case 2: return Z_BEST_COMPRESSION;
    case 3: return Z_NO_COMPRESSION;
    default: return Z_DEFAULT_COMPRESSION;
  }
}

// Opens the source and creates the target; on any failure after the target
// exists, fail() closes and removes it.
class Transfer {
 public:
  Transfer(std::wstring_view source, std::wstring_view target) : targetPath_(target) {
    source_ = Fs().openFile(source, FileAccess::Read, FileShare::Read, FileDisposition::OpenExisting);
    if (source_)
      target_ = Fs().openFile(target, FileAccess::Write, FileShare::None, FileDisposition::CreateAlways);
  }
  [[nodiscard]] bool ready() const { return source_ && target_; }
  File& source() { return *source_; }
  File& target() { return *target_; }

  bool fail() {
    if (target_) {
      target_.reset();
      (void)Fs().deleteFile(targetPath_);
    }
    source_.reset();
    return false;
  }
  // Closes both; the target counts only when it could be flushed.
  bool finish() {
    const bool flushed = target_->flush();
    target_.reset();
    source_.reset();
    if (!flushed) {
      (void)Fs().deleteFile(targetPath_);
      return false;
    }
    return true;
  }

 private:
  std::wstring targetPath_;
  std::unique_ptr<File> source_;
  std::unique_ptr<File> target_;
};

struct DeflateGuard {
  z_stream* stream;
  ~DeflateGuard() { deflateEnd(stream); }
};
struct InflateGuard {
  z_stream* stream;
  ~InflateGuard() { inflateEnd(stream); }
};

bool Deflate(File& in, File& out, int level) {
  z_stream z{};
  if (deflateInit2(&z, level, Z_DEFLATED, MAX_WBITS, 8, Z_DEFAULT_STRATEGY) != Z_OK) return false;
  DeflateGuard guard{&z};
  const std::unique_ptr<Bytef[]> input(new Bytef[kBlock]);
  const std::unique_ptr<Bytef[]> output(new Bytef[kBlock]);
  z.next_out = output.get();
  z.avail_out = static_cast<uInt>(kBlock);
  int flush = Z_NO_FLUSH;
  while (flush != Z_FINISH) {
    const std::optional<std::size_t> got = in.read(input.get(), kBlock);
    if (!got) return false;
    flush = *got == 0 ? Z_FINISH : Z_NO_FLUSH;
    z.next_in = input.get();
    z.avail_in = static_cast<uInt>(*got);
    for (;;) {
      const int rc = deflate(&z, flush);
      if (rc == Z_STREAM_ERROR) return false;
      const bool full = z.avail_out == 0;
      if (full) {
        if (!out.write(output.get(), kBlock)) return false;
        z.next_out = output.get();
        z.avail_out = static_cast<uInt>(kBlock);
      }
      if (rc == Z_STREAM_END) break;
      if (!full && flush == Z_NO_FLUSH) break;  // this block's input is all taken
    }
  }
  const std::size_t pending = kBlock - z.avail_out;
  return pending == 0 || out.write(output.get(), pending);
}

// How much an expansion may write: what the archive's bytes can hold, and the
// target volume's free space less a margin (asked again as writing goes on,
// since others write there too).
class OutputBudget {
 public:
  OutputBudget(std::uint64_t archiveBytes, std::wstring_view target)
      : volume_(Vol().volumePathOf(target)), most_(archiveBytes * kMaxExpansion) {}
  // Whether n more bytes may be written.
  bool allows(std::size_t n) {
    written_ += n;
    if (written_ > most_) return false;
    if (written_ >= nextCheck_) {
      std::uint64_t total = 0, free = 0;
      if (volume_.empty() || !Vol().diskSpace(volume_, total, free)) return false;
      // Room left, once the margin is kept; asked again when half of it is used.
      const std::uint64_t margin = std::min(kFreeSpaceMargin, free / 10);
      if (free <= margin + kCheckEvery) return false;
      const std::uint64_t room = free - margin;
      nextCheck_ = written_ + std::max<std::uint64_t>(room / 2, kCheckEvery);
      // Never more than an earlier answer allowed: what this run wrote since
      // may not show in the free space yet.
      roomEnd_ = std::min(roomEnd_, written_ + room);
    }
    return written_ <= roomEnd_;
  }

 private:
  static constexpr std::uint64_t kCheckEvery = 1ull << 20;
  std::wstring volume_;
  std::uint64_t most_;
  std::uint64_t written_ = 0;
  std::uint64_t nextCheck_ = 0;
  std::uint64_t roomEnd_ = UINT64_MAX;
};

bool Inflate(File& in, File& out, OutputBudget& budget, RunContext* run) {
  z_stream z{};
  if (inflateInit(&z) != Z_OK) return false;
  InflateGuard guard{&z};
  const std::unique_ptr<Bytef[]> input(new Bytef[kBlock]);
  Bytef output[kInflateOut];
  bool inputEnded = false;
  std::uint64_t blocks = 0;
  for (;;) {
    if (z.avail_in == 0 && !inputEnded) {
      const std::optional<std::size_t> got = in.read(input.get(), kBlock);
      if (!got) return false;
      inputEnded = *got == 0;
      z.next_in = input.get();
      z.avail_in = static_cast<uInt>(*got);
    }
    z.next_out = output;
    z.avail_out = static_cast<uInt>(kInflateOut);
    const int rc = inflate(&z, Z_NO_FLUSH);
    const std::size_t produced = kInflateOut - z.avail_out;
    if (produced > 0 && (!budget.allows(produced) || !out.write(output, produced))) return false;
    if (run && (++blocks % kBlocksPerStopCheck) == 0 && !run->proceed()) return false;
    if (rc == Z_STREAM_END) return true;  // anything after the stream is not ours
    if (rc == Z_BUF_ERROR) {
      if (inputEnded) return false;  // the archive stops short of its end
      continue;
    }
    if (rc != Z_OK) return false;  // corrupt data, a preset dictionary, no memory
  }
}

}  // namespace

bool CompressFile(std::wstring_view source, std::wstring_view target, int level, bool deleteSource) {
  Transfer t(source, target);
  if (!t.ready()) return t.fail();
  if (!Deflate(t.source(), t.target(), ZlibLevel(level))) return t.fail();
  if (!t.finish()) return false;
  if (deleteSource) (void)Fs().deleteFile(source);
  return true;
}

bool DecompressFile(std::wstring_view source, std::wstring_view target, bool deleteSource, RunContext* run) {
  Transfer t(source, target);
  if (!t.ready()) return t.fail();
  const std::optional<std::uint64_t> archiveBytes = t.source().size();
  if (!archiveBytes) return t.fail();
  OutputBudget budget(*archiveBytes, target);
  if (!Inflate(t.source(), t.target(), budget, run)) return t.fail();
  if (!t.finish()) return false;
  if (deleteSource) (void)Fs().deleteFile(source);
  return true;
}

}  // namespace wv
