#include "engines/registry/registry_undo.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "core/utilities.h"
#include "engines/registry/backup_records.h"

namespace wv {
namespace {

constexpr std::wstring_view kHeader = L"Windows Registry Editor Version 5.00\r\n";
constexpr std::size_t kWrapColumn = 76;  // the editor breaks hex lines before column 80

std::wstring Hex2(std::uint8_t byte) {
  static constexpr wchar_t kDigits[] = L"0123456789abcdef";
  return {kDigits[byte >> 4], kDigits[byte & 15]};
}

// Quotes and backslashes escaped as the editor escapes them in names and texts.
std::wstring Quoted(std::wstring_view text) {
  std::wstring out = L"\"";
  for (wchar_t ch : text) {
    if (ch == L'\\' || ch == L'"') out += L'\\';
    out += ch;
  }
  out += L'"';
  return out;
}

// A string the editor can write in quotes and read back to the same bytes: whole
// characters, one final NUL and none before it, no line breaks or other controls.
std::optional<std::wstring> PlainString(const RegRawValue& value) {
  if (value.type != REG_SZ || value.data.size() < 2 || value.data.size() % 2 != 0) return std::nullopt;
  std::wstring text(value.data.size() / 2, L'\0');
  std::memcpy(text.data(), value.data.data(), value.data.size());
  if (text.back() != L'\0') return std::nullopt;
  text.pop_back();
  for (wchar_t ch : text)
    if (ch < 0x20) return std::nullopt;
  return text;
}

std::wstring HexPrefix(DWORD type) {
  if (type == REG_BINARY) return L"hex:";
  wchar_t buffer[16];
  std::swprintf(buffer, 16, L"hex(%x):", static_cast<unsigned>(type));
  return buffer;
}

// Bytes as "xx,xx"; with wrap, a line that reaches the wrap column goes on after
// a backslash on the next line, two blanks in (column: where the bytes start).
std::wstring HexBytes(const std::vector<std::uint8_t>& data, std::size_t column, bool wrap) {
  std::wstring out;
  for (std::size_t i = 0; i < data.size(); ++i) {
    out += Hex2(data[i]);
    column += 2;
    if (i + 1 == data.size()) break;
    out += L',';
    ++column;
    if (wrap && column >= kWrapColumn) {
      out += L"\\\r\n  ";
      column = 2;
    }
  }
  return out;
}

int HexDigit(wchar_t ch) {
  if (ch >= L'0' && ch <= L'9') return ch - L'0';
  if (ch >= L'a' && ch <= L'f') return ch - L'a' + 10;
  if (ch >= L'A' && ch <= L'F') return ch - L'A' + 10;
  return -1;
}

std::wstring RootKeyPath(RegRoot root, std::wstring_view keyPath) {
  while (!keyPath.empty() && keyPath.front() == L'\\') keyPath.remove_prefix(1);
  while (!keyPath.empty() && keyPath.back() == L'\\') keyPath.remove_suffix(1);
  std::wstring full(RootName(root));
  if (!keyPath.empty()) full.append(L"\\").append(keyPath);
  return full;
}

class UndoWriter {
 public:
  void value(RegRoot root, std::wstring_view keyPath, std::wstring_view name, const RegRawValue& data) {
    section(RootKeyPath(root, keyPath));
    std::wstring line = name.empty() ? std::wstring(L"@") : Quoted(name);
    line += L'=';
    line += RegDataText(data, line.size());
    text_ += line;
    text_ += L"\r\n";
  }

  // The key, its values, then every subkey below it.
  void tree(RegRoot root, const std::wstring& keyPath) {
    const std::unique_ptr<RegKey> key = Reg().openKeyReadOnly(root, keyPath);
    if (!key) return;
    section(RootKeyPath(root, keyPath));
    RegRawValue data;
    for (const std::wstring& name : key->valueNames())
      if (key->readRaw(name, data)) value(root, keyPath, name, data);
    for (const std::wstring& sub : key->subkeyNames()) tree(root, keyPath + L"\\" + sub);
  }

  [[nodiscard]] bool empty() const { return text_.empty(); }
  [[nodiscard]] std::wstring text() const { return std::wstring(kHeader) + text_; }

 private:
  void section(const std::wstring& fullKey) {
    if (fullKey == current_) return;
    current_ = fullKey;
    text_ += L"\r\n[" + fullKey + L"]\r\n";
  }

  std::wstring text_;
  std::wstring current_;
};

bool HasLineBreak(std::wstring_view text) { return text.find_first_of(L"\r\n") != std::wstring_view::npos; }

// A key's name and the names of everything below it fit on their lines.
bool TreeFitsLines(RegRoot root, const std::wstring& keyPath, int depth) {
  const std::unique_ptr<RegKey> key = Reg().openKeyReadOnly(root, keyPath);
  if (!key) return true;  // gone: nothing of it will be written or deleted
  for (const std::wstring& name : key->valueNames())
    if (HasLineBreak(name)) return false;
  // The registry nests at most 512 levels; deeper is a loop the walk must not follow.
  if (depth > 512) return false;
  for (const std::wstring& sub : key->subkeyNames())
    if (HasLineBreak(sub) || !TreeFitsLines(root, keyPath + L"\\" + sub, depth + 1)) return false;
  return true;
}

bool Representable(const std::vector<UndoTarget>& targets) {
  return std::ranges::all_of(targets, UndoCanCarry);
}

}  // namespace

bool UndoCanCarry(const UndoTarget& target) {
  // A section or value line of the editor's format ends at a line break.
  if (HasLineBreak(target.keyPath)) return false;
  if (!target.wholeKey) return !HasLineBreak(target.valueName);
  return TreeFitsLines(target.root, target.keyPath, 0);
}

std::wstring RegNotation(const RegRawValue& value) {
  if (value.type == REG_DWORD && value.data.size() == 4) {
    DWORD number = 0;
    std::memcpy(&number, value.data.data(), 4);
    wchar_t buffer[24];
    std::swprintf(buffer, 24, L"dword:%08lx", static_cast<unsigned long>(number));
    return buffer;
  }
  return HexPrefix(value.type) + HexBytes(value.data, 0, false);
}

std::wstring RegDataText(const RegRawValue& value, std::size_t firstColumn) {
  if (const std::optional<std::wstring> text = PlainString(value)) return Quoted(*text);
  if (value.type == REG_DWORD && value.data.size() == 4) return RegNotation(value);
  const std::wstring prefix = HexPrefix(value.type);
  return prefix + HexBytes(value.data, firstColumn + prefix.size(), firstColumn != 0);
}

std::optional<RegRawValue> ParseRegNotation(std::wstring_view text) {
  RegRawValue value;
  if (text.starts_with(L"dword:")) {
    const std::wstring_view digits = text.substr(6);
    if (digits.size() != 8) return std::nullopt;
    DWORD number = 0;
    for (wchar_t ch : digits) {
      const int d = HexDigit(ch);
      if (d < 0) return std::nullopt;
      number = number * 16 + static_cast<DWORD>(d);
    }
    value.type = REG_DWORD;
    value.data.resize(4);
    std::memcpy(value.data.data(), &number, 4);
    return value;
  }
  std::wstring_view bytes;
  if (text.starts_with(L"hex:")) {
    value.type = REG_BINARY;
    bytes = text.substr(4);
  } else if (text.starts_with(L"hex(")) {
    const std::size_t close = text.find(L"):");
    if (close == std::wstring_view::npos || close == 4 || close > 12) return std::nullopt;
    DWORD type = 0;
    for (wchar_t ch : text.substr(4, close - 4)) {
      const int d = HexDigit(ch);
      if (d < 0) return std::nullopt;
      type = type * 16 + static_cast<DWORD>(d);
    }
    value.type = type;
    bytes = text.substr(close + 2);
  } else {
    return std::nullopt;
  }
  // Exactly "xx" pairs joined by commas, as RegNotation writes them.
  for (std::size_t i = 0; i < bytes.size(); i += 3) {
    if (i + 2 > bytes.size()) return std::nullopt;
    const int hi = HexDigit(bytes[i]), lo = HexDigit(bytes[i + 1]);
    if (hi < 0 || lo < 0) return std::nullopt;
    if (i + 2 < bytes.size() && (bytes[i + 2] != L',' || i + 3 == bytes.size())) return std::nullopt;
    value.data.push_back(static_cast<std::uint8_t>(hi * 16 + lo));
  }
  return value;
}

std::wstring BuildUndoText(const std::vector<UndoTarget>& targets) {
  UndoWriter writer;
  for (const UndoTarget& t : targets) {
    if (t.wholeKey) {
      writer.tree(t.root, t.keyPath);
      continue;
    }
    const std::unique_ptr<RegKey> key = Reg().openKeyReadOnly(t.root, t.keyPath);
    if (!key) continue;
    if (RegRawValue data; key->readRaw(t.valueName, data)) writer.value(t.root, t.keyPath, t.valueName, data);
  }
  return writer.empty() ? std::wstring() : writer.text() + L"\r\n";
}

UndoFile WriteUndoFile(const std::vector<UndoTarget>& targets, std::wstring_view regBackupDir) {
  UndoFile result;
  if (!Representable(targets)) {
    result.error = L"有键名含有换行符，无法写入撤销文件。";
    return result;
  }
  const std::wstring text = BuildUndoText(targets);
  if (text.empty()) {  // everything is gone already: nothing to keep, nothing to delete
    result.written = true;
    return result;
  }
  const std::wstring folder = IncludeTrailingBackslash(regBackupDir);
  if (!Fs().createFolderTree(ExcludeTrailingBackslash(folder))) {
    result.error = L"备份目录无效请重新选择！";
    return result;
  }
  const std::wstring path = FreeBackupPath(folder, L"RegUndo_");

  std::unique_ptr<File> file = Fs().openFile(path, FileAccess::Write, FileShare::None, FileDisposition::CreateNew);
  const wchar_t bom = 0xFEFF;
  const bool ok = file && file->write(&bom, sizeof bom) && file->write(text.data(), text.size() * sizeof(wchar_t)) &&
                  file->flush();
  file.reset();
  if (!ok) {
    (void)Fs().deleteFile(path);
    result.error = L"撤销文件无法写入备份目录：" + path;
    return result;
  }
  if (!WriteRecord(folder, kFileSection, path)) {
    (void)Fs().deleteFile(path);
    result.error = L"备份记录无法写入：" + folder + std::wstring(kRecordFileName);
    return result;
  }
  result.written = true;
  result.path = path;
  return result;
}

}  // namespace wv
