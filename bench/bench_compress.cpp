// The ".zcom" archive against a bare zlib stream with the same parameters and
// buffer sizes over plain ReadFile/WriteFile: what the program's streaming through
// the platform layer costs. Input: a 32 MB registry export as the registry editor
// writes it (UTF-16LE with a byte-order mark).
#include <windows.h>
#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <utility>
#include <random>
#include <string>

#include "core/utilities.h"
#include "harness/bench.h"

namespace {

constexpr double kGoal = 1.1;
constexpr std::size_t kTargetBytes = 32u << 20;
constexpr DWORD kBlock = 65536;
constexpr DWORD kInflateOut = 512;

class Writer {
 public:
  explicit Writer(const std::wstring& path)
      : h_(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr)) {}
  ~Writer() {
    flush();
    CloseHandle(h_);
  }
  void put(const std::wstring& text) {
    buffer_.append(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t));
    if (buffer_.size() >= (1u << 20)) flush();
  }
  void flush() {
    DWORD written = 0;
    if (!buffer_.empty()) WriteFile(h_, buffer_.data(), static_cast<DWORD>(buffer_.size()), &written, nullptr);
    total_ += buffer_.size();
    buffer_.clear();
  }
  [[nodiscard]] std::size_t total() const { return total_ + buffer_.size(); }

 private:
  HANDLE h_;
  std::string buffer_;
  std::size_t total_ = 0;
};

std::wstring Hex(std::uint32_t value, int digits) {
  wchar_t text[16];
  std::swprintf(text, 16, L"%0*x", digits, value);
  return text;
}

// Keys with class ids, paths, strings, dwords and wrapped hex lines, varied by a fixed seed.
void WriteRegistryExport(const std::wstring& path) {
  static const wchar_t* const kRoots[] = {L"HKEY_LOCAL_MACHINE\\SOFTWARE", L"HKEY_CURRENT_USER\\Software",
                                          L"HKEY_CLASSES_ROOT", L"HKEY_USERS\\S-1-5-21-1004\\Software"};
  static const wchar_t* const kWords[] = {L"Microsoft", L"Windows", L"CurrentVersion", L"Explorer", L"Classes",
                                          L"CLSID", L"Policies", L"Shell", L"Vendor", L"Settings", L"Options",
                                          L"InprocServer32", L"Uninstall", L"Run", L"FileExts", L"MRUList"};
  std::mt19937 random(20261205);
  Writer out(path);
  out.put(std::wstring(1, static_cast<wchar_t>(0xFEFF)) + L"Windows Registry Editor Version 5.00\r\n\r\n");
  while (out.total() < kTargetBytes) {
    std::wstring key = L"[" + std::wstring(kRoots[random() % 4]);
    const int depth = 1 + static_cast<int>(random() % 5);
    for (int d = 0; d < depth; ++d) {
      key += L"\\";
      if (random() % 5 == 0)
        key += L"{" + Hex(random(), 8) + L"-" + Hex(random() & 0xFFFF, 4) + L"-" + Hex(random() & 0xFFFF, 4) + L"-" +
               Hex(random() & 0xFFFF, 4) + L"-" + Hex(random(), 8) + Hex(random() & 0xFFFF, 4) + L"}";
      else
        key += kWords[random() % 16];
    }
    out.put(key + L"]\r\n");
    const int values = static_cast<int>(random() % 7);
    for (int v = 0; v < values; ++v) {
      const std::wstring name = v == 0 ? L"@" : L"\"" + std::wstring(kWords[random() % 16]) + std::to_wstring(v) + L"\"";
      switch (random() % 4) {
        case 0:
          out.put(name + L"=\"C:\\\\Program Files\\\\" + kWords[random() % 16] + L"\\\\app" +
                  std::to_wstring(random() % 500) + L".exe\"\r\n");
          break;
        case 1:
          out.put(name + L"=dword:" + Hex(random() % 4096, 8) + L"\r\n");
          break;
        case 2: {
          std::wstring line = name + L"=hex:";
          const int bytes = 8 + static_cast<int>(random() % 60);
          for (int b = 0; b < bytes; ++b) {
            line += Hex(random() & 0xFF, 2);
            if (b + 1 < bytes) line += L",";
            if (line.size() > 76 && b + 1 < bytes) {
              out.put(line + L"\\\r\n");
              line = L"  ";
            }
          }
          out.put(line + L"\r\n");
          break;
        }
        default:
          out.put(name + L"=\"" + kWords[random() % 16] + L" " + std::to_wstring(random()) + L"\"\r\n");
          break;
      }
    }
    out.put(L"\r\n");
  }
}

// The same stream as the program writes, straight through the system's file calls.
void BareDeflate(const std::wstring& source, const std::wstring& target, int level) {
  HANDLE in = CreateFileW(source.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  HANDLE out = CreateFileW(target.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  z_stream z{};
  deflateInit2(&z, level, Z_DEFLATED, MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
  const std::unique_ptr<Bytef[]> input(new Bytef[kBlock]);
  const std::unique_ptr<Bytef[]> output(new Bytef[kBlock]);
  DWORD got = 0;
  DWORD written = 0;
  int flush = Z_NO_FLUSH;
  z.next_out = output.get();
  z.avail_out = kBlock;
  while (flush != Z_FINISH) {
    ReadFile(in, input.get(), kBlock, &got, nullptr);
    flush = got == 0 ? Z_FINISH : Z_NO_FLUSH;
    z.next_in = input.get();
    z.avail_in = got;
    for (;;) {
      const int rc = deflate(&z, flush);
      const bool full = z.avail_out == 0;
      if (full) {
        WriteFile(out, output.get(), kBlock, &written, nullptr);
        z.next_out = output.get();
        z.avail_out = kBlock;
      }
      if (rc == Z_STREAM_END || rc == Z_STREAM_ERROR || (!full && flush == Z_NO_FLUSH)) break;
    }
  }
  WriteFile(out, output.get(), kBlock - z.avail_out, &written, nullptr);
  deflateEnd(&z);
  FlushFileBuffers(out);
  CloseHandle(out);
  CloseHandle(in);
}

void BareInflate(const std::wstring& source, const std::wstring& target) {
  HANDLE in = CreateFileW(source.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  HANDLE out = CreateFileW(target.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  z_stream z{};
  inflateInit(&z);
  const std::unique_ptr<Bytef[]> input(new Bytef[kBlock]);
  Bytef output[kInflateOut];
  DWORD got = 0;
  DWORD written = 0;
  bool ended = false;
  for (;;) {
    if (z.avail_in == 0 && !ended) {
      ReadFile(in, input.get(), kBlock, &got, nullptr);
      ended = got == 0;
      z.next_in = input.get();
      z.avail_in = got;
    }
    z.next_out = output;
    z.avail_out = kInflateOut;
    const int rc = inflate(&z, Z_NO_FLUSH);
    if (kInflateOut - z.avail_out > 0) WriteFile(out, output, kInflateOut - z.avail_out, &written, nullptr);
    if (rc == Z_STREAM_END || (rc != Z_OK && rc != Z_BUF_ERROR) || (rc == Z_BUF_ERROR && ended)) break;
  }
  inflateEnd(&z);
  FlushFileBuffers(out);
  CloseHandle(out);
  CloseHandle(in);
}

// Best times of the two, run in turns so that neither side gets the quieter moments.
std::pair<double, double> BestOfTurns(const std::function<void()>& mine, const std::wstring& mineOutput,
                                      const std::function<void()>& base, const std::wstring& baseOutput, int turns) {
  double bestMine = 1e30;
  double bestBase = 1e30;
  for (int i = 0; i < turns; ++i) {
    bestMine = std::min(bestMine, wv::bench::BestSeconds(mine, 1, [&] { DeleteFileW(mineOutput.c_str()); }));
    bestBase = std::min(bestBase, wv::bench::BestSeconds(base, 1, [&] { DeleteFileW(baseOutput.c_str()); }));
  }
  return {bestMine, bestBase};
}

std::uint64_t SizeOf(const std::wstring& path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return 0;
  return (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

}  // namespace

int main() {
  wv::bench::ScratchFolder scratch(L"compress");
  const std::wstring source = scratch.path() + L"\\Reg_2026Y12M05D13H07M09S.reg";
  const std::wstring ours = source + L".zcom";
  const std::wstring bare = scratch.path() + L"\\bare.zcom";
  WriteRegistryExport(source);
  std::printf("input: %llu bytes of UTF-16 registry export\n", static_cast<unsigned long long>(SizeOf(source)));

  const struct {
    const char* name;
    int index;
    int zlibLevel;
    int turns;
  } levels[] = {{"compress_fastest", 0, 1, 5}, {"compress_standard", 1, -1, 4}, {"compress_best", 2, 9, 3}};
  bool ok = true;
  for (const auto& level : levels) {
    const auto [mine, base] =
        BestOfTurns([&] { ok = wv::CompressFile(source, ours, level.index, false) && ok; }, ours,
                    [&] { BareDeflate(source, bare, level.zlibLevel); }, bare, level.turns);
    if (SizeOf(ours) != SizeOf(bare)) {
      std::printf("%s: archive sizes differ (%llu vs %llu)\n", level.name, static_cast<unsigned long long>(SizeOf(ours)),
                  static_cast<unsigned long long>(SizeOf(bare)));
      ok = false;
    }
    std::printf("%s: %llu bytes\n", level.name, static_cast<unsigned long long>(SizeOf(ours)));
    wv::bench::Report({level.name, mine, base, kGoal});
  }

  // Both read the same standard-level archive.
  ok = wv::CompressFile(source, ours, 1, false) && ok;
  const std::wstring restored = scratch.path() + L"\\restored.reg";
  const std::wstring bareRestored = scratch.path() + L"\\bare_restored.reg";
  const auto [mine, base] = BestOfTurns([&] { ok = wv::DecompressFile(ours, restored, false) && ok; }, restored,
                                        [&] { BareInflate(ours, bareRestored); }, bareRestored, 5);
  if (SizeOf(restored) != SizeOf(source) || SizeOf(bareRestored) != SizeOf(source)) ok = false;
  wv::bench::Report({"decompress", mine, base, kGoal});
  if (!ok) std::printf("the archive round trip failed\n");
  return ok ? 0 : 1;
}
