#pragma once
// Taking a registry clean back: before the registry pages delete keys or values,
// exactly what is about to go (whole key trees, single values with their types
// and bytes) is written to a small file in the registry editor's own import
// format in the registry backup folder and recorded there like a backup, so that
// the backup manager lists it and the registry editor can import it again.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/platform.h"

namespace wv {

// One thing a deletion removes: a whole key (with everything below it) or one
// value of a key (empty name: the key's default value).
struct UndoTarget {
  RegRoot root = RegRoot::CurrentUser;
  std::wstring keyPath;  // relative to the root; a leading "\" is allowed
  bool wholeKey = false;
  std::wstring valueName;
};

// The data side of a value line as the editor writes it: "text" in quotes for
// well-formed strings, dword:xxxxxxxx, hex: for binary and hex(n): for every
// other type (hex(2) expandable, hex(7) multi-string, hex(b) 64-bit number),
// the bytes wrapped as the editor wraps them when firstColumn says where the
// data starts on its line (0: never wrapped).
std::wstring RegDataText(const RegRawValue& value, std::size_t firstColumn = 0);
// A value's data in the editor's notation without quotes and wrapping, for
// values that are not text: "dword:0000002a", "hex:01,02", "hex(b):...".
std::wstring RegNotation(const RegRawValue& value);
// The reverse of RegNotation: nullopt when the text is not exactly such a form.
std::optional<RegRawValue> ParseRegNotation(std::wstring_view text);

// The whole file text (without its byte-order mark) for the targets, in their
// order; targets that no longer exist are left out. Keys are read through the
// platform's registry.
std::wstring BuildUndoText(const std::vector<UndoTarget>& targets);

// Whether the editor's format can carry the target exactly: no line break in
// its key path or value name, nor (for a whole key) in any name of its tree.
// WriteUndoFile refuses every target list holding one that it cannot.
bool UndoCanCarry(const UndoTarget& target);

struct UndoFile {
  bool written = false;
  std::wstring path;   // the file as recorded
  std::wstring error;  // why it could not be written, for the user
};
// Writes "RegUndo_<date and time>S.reg" (UTF-16 with byte-order mark) into the
// registry backup folder, creating the folder, and records it in that folder's
// record file. Nothing may be deleted unless written is true.
UndoFile WriteUndoFile(const std::vector<UndoTarget>& targets, std::wstring_view regBackupDir);

}  // namespace wv
