// The ".zcom" archive: one plain zlib stream of the whole file, streamed through
// fixed buffers. A failed run removes what it wrote and never touches the source.
#include <zlib.h>

#include <memory>

#include "core/utilities.h"
#include "platform/platform.h"

namespace wv {
namespace {

constexpr std::size_t kBlock = 65536;     // compressed output per write, and input per read
constexpr std::size_t kInflateOut = 512;  // decompressed output per write

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

bool Inflate(File& in, File& out) {
  z_stream z{};
  if (inflateInit(&z) != Z_OK) return false;
  InflateGuard guard{&z};
  const std::unique_ptr<Bytef[]> input(new Bytef[kBlock]);
  Bytef output[kInflateOut];
  bool inputEnded = false;
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
    if (produced > 0 && !out.write(output, produced)) return false;
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

bool DecompressFile(std::wstring_view source, std::wstring_view target, bool deleteSource) {
  Transfer t(source, target);
  if (!t.ready()) return t.fail();
  if (!Inflate(t.source(), t.target())) return t.fail();
  if (!t.finish()) return false;
  if (deleteSource) (void)Fs().deleteFile(source);
  return true;
}

}  // namespace wv
