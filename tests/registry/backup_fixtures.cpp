#include "registry/backup_fixtures.h"

#include <zlib.h>

#include <cstring>

#include <gtest/gtest.h>

#include "support/testsupport.h"

namespace wv::test {

void SetRawValue(HKEY root, const std::wstring& path, const std::wstring& name, DWORD type, const void* data,
                 std::size_t bytes) {
  ASSERT_EQ(RegSetKeyValueW(root, path.c_str(), name.c_str(), type, data, static_cast<DWORD>(bytes)), ERROR_SUCCESS)
      << "set-up of " << ToUtf8(path) << " " << ToUtf8(name);
}

void SetTextValue(HKEY root, const std::wstring& path, const std::wstring& name, const std::wstring& text) {
  SetRawValue(root, path, name, REG_SZ, text.c_str(), (text.size() + 1) * sizeof(wchar_t));
}

std::optional<RegRawValue> GetRawValue(HKEY root, const std::wstring& path, const std::wstring& name) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return std::nullopt;
  RegRawValue value;
  DWORD bytes = 0;
  std::optional<RegRawValue> result;
  if (RegQueryValueExW(key, name.c_str(), nullptr, &value.type, nullptr, &bytes) == ERROR_SUCCESS) {
    value.data.resize(bytes);
    if (RegQueryValueExW(key, name.c_str(), nullptr, &value.type, value.data.data(), &bytes) == ERROR_SUCCESS) {
      value.data.resize(bytes);
      result = value;
    }
  }
  RegCloseKey(key);
  return result;
}

bool KeyExists(HKEY root, const std::wstring& path) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  RegCloseKey(key);
  return true;
}

void DeleteKeyTree(HKEY root, const std::wstring& path) {
  RegDeleteTreeW(root, path.c_str());
  RegDeleteKeyW(root, path.c_str());
}

void DeleteRawValue(HKEY root, const std::wstring& path, const std::wstring& name) {
  RegDeleteKeyValueW(root, path.c_str(), name.c_str());
}

std::vector<std::wstring> RecordLines(const std::wstring& folder, const std::wstring& section) {
  std::wstring path = folder;
  if (!path.empty() && path.back() != L'\\') path += L'\\';
  path += L"BackupInfo.ZINF";
  // The record file is ANSI text in the system's code page.
  const std::string bytes = ReadBytes(path);
  const int n = MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
  std::wstring text(static_cast<std::size_t>(n), L'\0');
  MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), text.data(), n);
  std::vector<std::wstring> lines;
  bool inSection = false;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find(L'\n', start);
    if (end == std::wstring::npos) end = text.size();
    std::wstring line = text.substr(start, end - start);
    if (!line.empty() && line.back() == L'\r') line.pop_back();
    start = end + 1;
    if (line.empty()) continue;
    if (line.front() == L'[') {
      inSection = EqualsNoCase(line, L"[" + section + L"]");
      continue;
    }
    if (inSection) lines.push_back(line);
  }
  return lines;
}

std::wstring ReadUtf16File(const std::wstring& path) {
  const std::string bytes = ReadBytes(path);
  if (bytes.size() < 2 || static_cast<unsigned char>(bytes[0]) != 0xFF || static_cast<unsigned char>(bytes[1]) != 0xFE)
    return {};
  std::wstring text((bytes.size() - 2) / 2, L'\0');
  std::memcpy(text.data(), bytes.data() + 2, text.size() * 2);
  return text;
}

std::optional<std::string> InflateFile(const std::wstring& path) {
  const std::string in = ReadBytes(path);
  z_stream z{};
  if (inflateInit(&z) != Z_OK) return std::nullopt;
  z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(in.data()));
  z.avail_in = static_cast<uInt>(in.size());
  std::string out;
  char buffer[65536];
  int rc = Z_OK;
  while (rc == Z_OK) {
    z.next_out = reinterpret_cast<Bytef*>(buffer);
    z.avail_out = sizeof buffer;
    rc = inflate(&z, Z_NO_FLUSH);
    out.append(buffer, sizeof buffer - z.avail_out);
    if (rc == Z_BUF_ERROR && z.avail_in == 0) break;
  }
  const bool whole = rc == Z_STREAM_END && z.avail_in == 0;
  inflateEnd(&z);
  if (!whole) return std::nullopt;
  return out;
}

}  // namespace wv::test
