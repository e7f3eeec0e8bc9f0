#pragma once
// Fixtures of the backup tests: a run context that counts its drains, raw
// registry set-up and reads through the API itself, and the record file read
// line by line as the system stores it.

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "core/engine.h"
#include "platform/platform.h"

namespace wv::test {

class CountingRun : public RunContext {
 public:
  bool proceed() override {
    ++drains;
    return true;
  }
  void status(std::wstring_view text) override { statuses.emplace_back(text); }
  int drains = 0;
  std::vector<std::wstring> statuses;
};

// Raw values, planted and read without the program's own registry code.
void SetRawValue(HKEY root, const std::wstring& path, const std::wstring& name, DWORD type, const void* data,
                 std::size_t bytes);
void SetTextValue(HKEY root, const std::wstring& path, const std::wstring& name, const std::wstring& text);
std::optional<RegRawValue> GetRawValue(HKEY root, const std::wstring& path, const std::wstring& name);
bool KeyExists(HKEY root, const std::wstring& path);
void DeleteKeyTree(HKEY root, const std::wstring& path);
void DeleteRawValue(HKEY root, const std::wstring& path, const std::wstring& name);

// The record file's lines of a section, straight from the file.
std::vector<std::wstring> RecordLines(const std::wstring& folder, const std::wstring& section);

// The UTF-16 text of an export or undo file (after its byte-order mark).
std::wstring ReadUtf16File(const std::wstring& path);

// A standard zlib inflate of a whole file; nullopt when it is not one complete stream.
std::optional<std::string> InflateFile(const std::wstring& path);

}  // namespace wv::test
