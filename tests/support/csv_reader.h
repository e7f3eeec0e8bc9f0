#pragma once
// A CSV reader as a spreadsheet reads the reports (RFC 4180): fields separated
// by commas, records by CRLF or LF, quoted fields with doubled quotes and line
// breaks inside. Written apart from the program's writer, so a test of the
// report reads it as an outsider would. A UTF-8 byte-order mark is required and
// dropped: without it a spreadsheet would take the text for the ANSI code page.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/text.h"

namespace wv::test {

using CsvRecords = std::vector<std::vector<std::wstring>>;

// nullopt when the bytes lack the byte-order mark or a quoted field never ends.
inline std::optional<CsvRecords> ReadCsv(std::string_view bytes) {
  if (!bytes.starts_with("\xEF\xBB\xBF")) return std::nullopt;
  const std::wstring text = ToWide(bytes.substr(3));
  CsvRecords records;
  std::vector<std::wstring> record;
  std::wstring field;
  bool quoted = false, fieldStarted = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const wchar_t c = text[i];
    if (quoted) {
      if (c == L'"' && i + 1 < text.size() && text[i + 1] == L'"') {
        field += L'"';
        ++i;
      } else if (c == L'"') {
        quoted = false;
      } else {
        field += c;
      }
      continue;
    }
    if (c == L'"' && !fieldStarted) {
      quoted = fieldStarted = true;
    } else if (c == L',') {
      record.push_back(std::move(field));
      field.clear();
      fieldStarted = false;
    } else if (c == L'\r' || c == L'\n') {
      if (c == L'\r' && i + 1 < text.size() && text[i + 1] == L'\n') ++i;
      record.push_back(std::move(field));
      records.push_back(std::move(record));
      record.clear();
      field.clear();
      fieldStarted = false;
    } else {
      field += c;
      fieldStarted = true;
    }
  }
  if (quoted) return std::nullopt;
  if (fieldStarted || !record.empty()) {
    record.push_back(std::move(field));
    records.push_back(std::move(record));
  }
  return records;
}

// One column of every record after the heading row.
inline std::vector<std::wstring> CsvColumn(const CsvRecords& records, std::size_t column) {
  std::vector<std::wstring> out;
  for (std::size_t i = 1; i < records.size(); ++i) out.push_back(column < records[i].size() ? records[i][column] : L"");
  return out;
}

}  // namespace wv::test
