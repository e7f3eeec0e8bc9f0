#include "platform/text.h"
#include "platform/win32/win32_platform.h"

namespace wv {
namespace {

// Stands for "no such key": the call offers no other way to tell a missing key
// from an empty value, and no value written by the program holds these characters.
constexpr wchar_t kMissing[] = L"\x01\x02wv-missing\x02\x01";

// GetPrivateProfileString reports a full buffer by returning its size less one
// (a single text) or less two (a list of names); grow until the answer fits.
std::wstring ReadProfile(const wchar_t* section, const wchar_t* key, const wchar_t* fallback, const std::wstring& file,
                         DWORD fullMargin) {
  std::wstring buffer(1024, L'\0');
  for (;;) {
    const DWORD size = static_cast<DWORD>(buffer.size());
    const DWORD got = GetPrivateProfileStringW(section, key, fallback, buffer.data(), size, file.c_str());
    if (got + fullMargin < size) {
      buffer.resize(got);
      return buffer;
    }
    buffer.assign(buffer.size() * 2, L'\0');
  }
}

std::vector<std::wstring> SplitNulList(const std::wstring& list) {
  std::vector<std::wstring> names;
  for (std::size_t start = 0; start < list.size();) {
    const std::size_t end = list.find(L'\0', start);
    const std::size_t stop = end == std::wstring::npos ? list.size() : end;
    if (stop > start) names.emplace_back(list, start, stop - start);
    start = stop + 1;
  }
  return names;
}

}  // namespace

std::optional<std::wstring> Win32Profiles::read(std::wstring_view file, std::wstring_view section,
                                                std::wstring_view key) {
  const std::wstring value =
      ReadProfile(std::wstring(section).c_str(), std::wstring(key).c_str(), kMissing, std::wstring(file), 1);
  if (value == kMissing) return std::nullopt;
  return value;
}

bool Win32Profiles::write(std::wstring_view file, std::wstring_view section, std::wstring_view key,
                          std::wstring_view value) {
  return WritePrivateProfileStringW(std::wstring(section).c_str(), std::wstring(key).c_str(),
                                    std::wstring(value).c_str(), std::wstring(file).c_str()) != FALSE;
}

bool Win32Profiles::deleteKey(std::wstring_view file, std::wstring_view section, std::wstring_view key) {
  return WritePrivateProfileStringW(std::wstring(section).c_str(), std::wstring(key).c_str(), nullptr,
                                    std::wstring(file).c_str()) != FALSE;
}

bool Win32Profiles::eraseSection(std::wstring_view file, std::wstring_view section) {
  return WritePrivateProfileStringW(std::wstring(section).c_str(), nullptr, nullptr, std::wstring(file).c_str()) !=
         FALSE;
}

bool Win32Profiles::sectionExists(std::wstring_view file, std::wstring_view section) {
  const std::wstring sections = ReadProfile(nullptr, nullptr, L"", std::wstring(file), 2);
  for (const std::wstring& name : SplitNulList(sections))
    if (EqualsNoCase(name, section)) return true;
  return false;
}

std::vector<std::wstring> Win32Profiles::keys(std::wstring_view file, std::wstring_view section) {
  return SplitNulList(ReadProfile(std::wstring(section).c_str(), nullptr, L"", std::wstring(file), 2));
}

}  // namespace wv

namespace wv {

std::vector<std::wstring> Win32Profiles::sectionLines(std::wstring_view file, std::wstring_view section) {
  // GetPrivateProfileSection reports a full buffer by returning its size less two.
  std::wstring buffer(4096, L'\0');
  const std::wstring sectionName(section), path(file);
  for (;;) {
    const DWORD size = static_cast<DWORD>(buffer.size());
    const DWORD got = GetPrivateProfileSectionW(sectionName.c_str(), buffer.data(), size, path.c_str());
    if (got + 2 < size) {
      buffer.resize(got);
      return SplitNulList(buffer);
    }
    buffer.assign(buffer.size() * 2, L'\0');
  }
}

}  // namespace wv
