#include "registry/fixtures.h"

#include <gtest/gtest.h>

#include "core/text.h"

namespace wv::test {

std::vector<std::uint8_t> TextBytes(std::wstring_view text, bool withNul) {
  const auto* p = reinterpret_cast<const std::uint8_t*>(text.data());
  std::vector<std::uint8_t> out(p, p + text.size() * sizeof(wchar_t));
  if (withNul) out.insert(out.end(), {0, 0});
  return out;
}

Planted::~Planted() {
  for (auto it = values_.rbegin(); it != values_.rend(); ++it)
    if (auto key = Reg().openKey(it->root, it->path)) (void)key->deleteValue(it->name);
  for (auto it = keys_.rbegin(); it != keys_.rend(); ++it) (void)Reg().deleteKey(it->root, it->path);
  for (const std::wstring& f : files_) RemoveTree(f);
}

void Planted::key(RegRoot root, std::wstring_view path) {
  // The topmost component that is missing is what this test adds.
  for (std::size_t at = 1;;) {
    const std::size_t next = path.find(L'\\', at);
    if (!Reg().keyExists(root, path.substr(0, next))) {
      keys_.push_back({root, std::wstring(path.substr(0, next)), {}});
      break;
    }
    if (next == std::wstring_view::npos) break;
    at = next + 1;
  }
  if (!Reg().createKey(root, path)) ADD_FAILURE() << "cannot plant " << ToUtf8(path);
}

void Planted::raw(RegRoot root, std::wstring_view path, std::wstring_view name, const RegRawValue& value) {
  if (!Reg().keyExists(root, path)) key(root, path);
  else if (auto k = Reg().openKey(root, path); k && !k->valueExists(name))
    values_.push_back({root, std::wstring(path), std::wstring(name)});
  auto k = Reg().openKey(root, path);
  if (!k || !k->writeRaw(name, value)) ADD_FAILURE() << "cannot plant " << ToUtf8(path) << " : " << ToUtf8(name);
}

std::wstring Planted::file(std::wstring_view path, std::string_view content) {
  files_.emplace_back(path);
  WriteBytes(path, content);
  return files_.back();
}

std::optional<RegRawValue> RawValue(RegRoot root, std::wstring_view path, std::wstring_view name) {
  RegRawValue value;
  auto k = Reg().openKeyReadOnly(root, path);
  if (!k || !k->readRaw(name, value)) return std::nullopt;
  return value;
}

}  // namespace wv::test
