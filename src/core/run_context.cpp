#include "core/run_context.h"

#include "core/drives.h"
#include "platform/text.h"

namespace wv {

void ScanProgressText(std::size_t rows, std::uint64_t bytes, std::wstring_view folder, std::wstring& out) {
  out.assign(L"已扫描到 ");
  out += ToDecimal(static_cast<std::int64_t>(rows));
  out += L" 项(";
  out += FormatSize(bytes);
  out += L") -- ";
  out += folder;
}

void RunContext::scanned(std::size_t rows, std::uint64_t bytes, std::wstring_view folder) {
  ScanProgressText(rows, bytes, folder, scannedText_);
  status(scannedText_);
}

}  // namespace wv
