#include "engines/cleaning/winapp2_file.h"

#include <windows.h>

#include <algorithm>
#include <cstring>

#include "core/file_mask.h"
#include "platform/text.h"

namespace wv {
namespace {

// The folder names the file uses, and the classic aliases of some of them.
constexpr std::wstring_view kFolderNames[] = {
    L"LocalAppData", L"AppData",  L"ProgramFiles", L"ProgramData", L"UserProfile",     L"WinDir",
    L"SystemDrive",  L"CommonProgramFiles", L"Public", L"LocalLowAppData", L"Documents", L"Temp",
    L"UserName",     L"SystemRoot", L"AllUsersProfile", L"CommonAppData",
};

// ---------------------------------------------------------------- decoding

std::wstring Decode(std::string_view bytes, UINT codePage, DWORD flags) {
  if (bytes.empty()) return {};
  const int size = static_cast<int>(bytes.size());
  const int n = MultiByteToWideChar(codePage, flags, bytes.data(), size, nullptr, 0);
  if (n <= 0) return {};
  std::wstring out(static_cast<std::size_t>(n), L'\0');
  MultiByteToWideChar(codePage, flags, bytes.data(), size, out.data(), n);
  return out;
}

bool IsControl(wchar_t ch) { return ch < 0x20 && ch != L'\t' && ch != L'\n' && ch != L'\r' && ch != 0x1A; }

// UTF-8 as UTF-16, or nullopt when the bytes are not UTF-8 or hold a control
// character (then the caller tries the ANSI code page). The file is nearly all
// ASCII: those bytes are widened here and only the runs of other bytes go to the
// system. No UTF-8 sequence holds an ASCII byte, so a run is valid exactly when
// it would be valid within the whole text.
std::optional<std::wstring> FromUtf8(std::string_view bytes, bool& control) {
  std::wstring text(bytes.size(), L'\0');
  std::size_t out = 0;
  for (std::size_t at = 0; at < bytes.size();) {
    const unsigned char byte = static_cast<unsigned char>(bytes[at]);
    if (byte < 0x80) {
      if (IsControl(byte)) control = true;
      text[out++] = static_cast<wchar_t>(byte);
      ++at;
      continue;
    }
    std::size_t end = at + 1;
    while (end < bytes.size() && static_cast<unsigned char>(bytes[end]) >= 0x80) ++end;
    // Never more UTF-16 units than bytes: the run fits in the space it leaves.
    const int n = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bytes.data() + at, static_cast<int>(end - at),
                                      text.data() + out, static_cast<int>(text.size() - out));
    if (n <= 0) return std::nullopt;
    out += static_cast<std::size_t>(n);
    at = end;
  }
  text.resize(out);
  return text;
}

// The text of the file, or nullopt when it is no text: a NUL or another control
// character than tab, line feed, carriage return or the old end-of-file mark.
std::optional<std::wstring> TextOf(std::string_view bytes) {
  std::wstring text;
  if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
      static_cast<unsigned char>(bytes[1]) == 0xFE) {
    if (bytes.size() % 2 != 0) return std::nullopt;
    text.resize((bytes.size() - 2) / 2);
    std::memcpy(text.data(), bytes.data() + 2, text.size() * sizeof(wchar_t));
  } else {
    if (bytes.starts_with("\xEF\xBB\xBF")) bytes.remove_prefix(3);
    bool control = false;
    if (std::optional<std::wstring> utf8 = FromUtf8(bytes, control)) {
      if (control) return std::nullopt;
      return utf8;
    }
    text = Decode(bytes, CP_ACP, 0);
    if (text.empty() && !bytes.empty()) return std::nullopt;
  }
  for (wchar_t ch : text)
    if (IsControl(ch)) return std::nullopt;
  return text;
}

// ---------------------------------------------------------------- small parsers

// The pieces between separators, each trimmed (empty ones kept: the callers
// decide), one at a time: a rule line is split without building a list.
class Pieces {
 public:
  Pieces(std::wstring_view text, wchar_t separator) : rest_(text), separator_(separator) {}
  bool next(std::wstring_view& piece) {
    if (done_) return false;
    const std::size_t at = rest_.find(separator_);
    piece = TrimView(rest_.substr(0, at));
    if (at == std::wstring_view::npos) done_ = true;
    else rest_.remove_prefix(at + 1);
    return true;
  }

 private:
  std::wstring_view rest_;
  wchar_t separator_;
  bool done_ = false;
};

// The first few pieces, and how many there are in all.
struct Parts {
  static constexpr std::size_t kKept = 4;
  std::wstring_view at[kKept];
  std::size_t count = 0;
  [[nodiscard]] std::size_t size() const { return count; }
  std::wstring_view operator[](std::size_t i) const { return at[i]; }
};

Parts Split(std::wstring_view text, wchar_t separator) {
  Parts out;
  Pieces pieces(text, separator);
  for (std::wstring_view piece; pieces.next(piece); ++out.count)
    if (out.count < Parts::kKept) out.at[out.count] = piece;
  return out;
}

bool IsDigits(std::wstring_view text) {
  return !text.empty() && std::all_of(text.begin(), text.end(), [](wchar_t c) { return c >= L'0' && c <= L'9'; });
}

// The number of at most nine digits (IsDigits checked by the caller).
unsigned DecimalOf(std::wstring_view digits) {
  unsigned n = 0;
  for (wchar_t c : digits) n = n * 10 + static_cast<unsigned>(c - L'0');
  return n;
}

std::optional<RegRoot> RootOf(std::wstring_view name) {
  struct Name {
    std::wstring_view shortName, longName;
    RegRoot root;
  };
  static constexpr Name kRoots[] = {
      {L"HKCU", L"HKEY_CURRENT_USER", RegRoot::CurrentUser},
      {L"HKLM", L"HKEY_LOCAL_MACHINE", RegRoot::LocalMachine},
      {L"HKU", L"HKEY_USERS", RegRoot::Users},
      {L"HKCR", L"HKEY_CLASSES_ROOT", RegRoot::ClassesRoot},
      {L"HKCC", L"HKEY_CURRENT_CONFIG", RegRoot::CurrentConfig},
  };
  for (const Name& n : kRoots)
    if (EqualsNoCase(name, n.shortName) || EqualsNoCase(name, n.longName)) return n.root;
  return std::nullopt;
}

// The reason a text is not what a rule needs, or empty.
using Reason = std::wstring;

Reason ParseKeyPath(std::wstring_view text, RuleKey& out) {
  const std::size_t slash = text.find(L'\\');
  const std::optional<RegRoot> root = RootOf(text.substr(0, slash));
  if (!root) return L"注册表根键无法识别";
  out.root = *root;
  std::wstring_view path = slash == std::wstring_view::npos ? std::wstring_view() : text.substr(slash + 1);
  while (!path.empty() && path.back() == L'\\') path.remove_suffix(1);
  if (path.find(L"\\\\") != std::wstring_view::npos) return L"注册表路径含有空的键名";
  out.path.assign(path);
  return {};
}

// A folder as written: folder names must be known ones, and nothing else may be
// left between percent signs.
Reason CheckFolder(std::wstring_view folder) {
  if (folder.empty()) return L"没有目录";
  std::size_t at = 0;
  while ((at = folder.find(L'%', at)) != std::wstring_view::npos) {
    const std::size_t close = folder.find(L'%', at + 1);
    if (close == std::wstring_view::npos) return L"目录名中的 % 不成对";
    if (!IsRuleFolderName(folder.substr(at + 1, close - at - 1)))
      return L"未知的目录名 " + std::wstring(folder.substr(at, close - at + 1));
    at = close + 1;
  }
  for (wchar_t ch : folder)
    if (ch == L'/' || ch == L'"' || ch == L'<' || ch == L'>' || ch == L'|') return L"目录含有不允许的字符";
  return {};
}

Reason ParseMasks(std::wstring_view text, std::vector<std::wstring>& masks) {
  Pieces pieces(text, L';');
  for (std::wstring_view piece; pieces.next(piece);) {
    if (piece.empty()) continue;
    if (!IsValidMask(piece) || piece.find(L'\\') != std::wstring_view::npos) return L"文件掩码无效：" + std::wstring(piece);
    masks.emplace_back(piece);
  }
  return masks.empty() ? Reason(L"没有文件掩码") : Reason();
}

Reason ParseFileKey(std::wstring_view key, std::wstring_view value, FileRule& rule) {
  Pieces parts(value, L'|');
  std::wstring_view part;
  (void)parts.next(part);  // a text has at least one piece
  rule.key.assign(key);
  rule.folder.assign(part);
  if (Reason r = CheckFolder(rule.folder); !r.empty()) return r;
  if (!parts.next(part)) return L"没有文件掩码";
  if (Reason r = ParseMasks(part, rule.masks); !r.empty()) return r;
  while (parts.next(part)) {
    if (EqualsNoCase(part, L"RECURSE")) rule.recurse = true;
    else if (EqualsNoCase(part, L"REMOVESELF")) rule.removeSelf = true;
    else return L"未知的标志 " + std::wstring(part);
  }
  return {};
}

// "key[|value]": the key, and the name of one value when it follows.
Reason ParseKeyWithValue(const Parts& all, std::size_t first, RuleKey& target, std::optional<std::wstring>& value) {
  const std::size_t count = all.size() - first;
  const std::wstring_view parts[] = {all[first], count > 1 ? all[first + 1] : std::wstring_view()};
  if (count > 2) return L"多余的 | 分隔";
  if (Reason r = ParseKeyPath(parts[0], target); !r.empty()) return r;
  if (count == 2) {
    if (parts[1].empty()) return L"值名为空";
    value.emplace(parts[1]);
  }
  return {};
}

Reason ParseRegKey(std::wstring_view key, std::wstring_view value, RegistryRule& rule) {
  rule.key.assign(key);
  return ParseKeyWithValue(Split(value, L'|'), 0, rule.target, rule.value);
}

Reason ParseExcludeKey(std::wstring_view key, std::wstring_view value, ExcludeRule& rule) {
  const Parts parts = Split(value, L'|');
  rule.key.assign(key);
  if (parts.size() < 2) return L"排除规则不完整";
  if (EqualsNoCase(parts[0], L"REG")) {
    rule.kind = ExcludeKind::Registry;
    return ParseKeyWithValue(parts, 1, rule.target, rule.value);
  }
  const bool file = EqualsNoCase(parts[0], L"FILE");
  if (!file && !EqualsNoCase(parts[0], L"PATH")) return L"未知的排除类型 " + std::wstring(parts[0]);
  rule.kind = file ? ExcludeKind::File : ExcludeKind::Path;
  if (parts.size() > 3) return L"多余的 | 分隔";
  rule.folder.assign(parts[1]);
  while (!rule.folder.empty() && rule.folder.back() == L'\\') rule.folder.pop_back();
  if (Reason r = CheckFolder(rule.folder); !r.empty()) return r;
  if (parts.size() == 3 && !parts[2].empty()) return ParseMasks(parts[2], rule.masks);
  return file ? Reason(L"没有文件掩码") : Reason();
}

std::optional<std::pair<unsigned, unsigned>> ParseVersion(std::wstring_view text, bool& bad) {
  if (text.empty()) return std::nullopt;
  const Parts parts = Split(text, L'.');
  if (parts.size() > 2 || !IsDigits(parts[0]) || (parts.size() == 2 && !IsDigits(parts[1])) || parts[0].size() > 4 ||
      (parts.size() == 2 && parts[1].size() > 4)) {
    bad = true;
    return std::nullopt;
  }
  const unsigned major = DecimalOf(parts[0]);
  const unsigned minor = parts.size() == 2 ? DecimalOf(parts[1]) : 0;
  return std::make_pair(major, minor);
}

// ---------------------------------------------------------------- entries

enum class KeyKind { LangSecRef, Section, Default, Warning, Detect, DetectFile, DetectOs, FileKey, RegKey, ExcludeKey };

// The kind of a key name: its letters, then the number some kinds need and some allow.
std::optional<KeyKind> KindOf(std::wstring_view name) {
  std::size_t letters = 0;
  while (letters < name.size() && !(name[letters] >= L'0' && name[letters] <= L'9')) ++letters;
  const std::wstring_view word = name.substr(0, letters);
  const std::wstring_view number = name.substr(letters);
  if (!number.empty() && !IsDigits(number)) return std::nullopt;
  struct Word {
    std::wstring_view text;
    KeyKind kind;
    bool numbered;  // needs a number (false: takes none, except the detect keys, which may have one)
  };
  static constexpr Word kWords[] = {
      {L"LangSecRef", KeyKind::LangSecRef, false}, {L"Section", KeyKind::Section, false},
      {L"Default", KeyKind::Default, false},       {L"Warning", KeyKind::Warning, false},
      {L"Detect", KeyKind::Detect, false},         {L"DetectFile", KeyKind::DetectFile, false},
      {L"DetectOS", KeyKind::DetectOs, false},     {L"FileKey", KeyKind::FileKey, true},
      {L"RegKey", KeyKind::RegKey, true},          {L"ExcludeKey", KeyKind::ExcludeKey, true},
  };
  for (const Word& w : kWords) {
    if (!EqualsNoCase(word, w.text)) continue;
    const bool mayNumber = w.numbered || w.kind == KeyKind::Detect || w.kind == KeyKind::DetectFile;
    if (w.numbered && number.empty()) return std::nullopt;
    if (!mayNumber && !number.empty()) return std::nullopt;
    return w.kind;
  }
  return std::nullopt;
}

// One builder for the whole file: the keys seen are views into the file's text,
// kept in one list that every entry reuses.
class EntryBuilder {
 public:
  // The entry whose section header is at line; the one before must be finished.
  void start(std::wstring_view name, std::size_t line) {
    entry_ = Winapp2Entry();
    entry_.name.assign(name);
    entry_.line = line;
    seen_.clear();
    reason_.clear();
    active_ = true;
  }
  [[nodiscard]] bool active() const { return active_; }

  // One "key=value" line of the entry.
  void add(std::wstring_view key, std::wstring_view value, std::size_t line) {
    if (!reason_.empty()) return;
    for (const std::wstring_view seen : seen_)
      if (EqualsNoCase(seen, key)) return fail(line, L"键 " + std::wstring(key) + L" 重复");
    seen_.push_back(key);
    const std::optional<KeyKind> kind = KindOf(key);
    if (!kind) return fail(line, L"未知的键 " + std::wstring(key));
    Reason r;
    switch (*kind) {
      case KeyKind::LangSecRef:
        if (!IsDigits(value) || value.size() > 6) r = L"LangSecRef 不是数字";
        else entry_.langSecRef = static_cast<int>(DecimalOf(value));
        break;
      case KeyKind::Section: entry_.section.assign(value); break;
      case KeyKind::Default: break;  // every entry starts unticked, whatever the file suggests
      case KeyKind::Warning: entry_.warning.assign(value); break;
      case KeyKind::Detect: r = ParseKeyPath(value, entry_.detectKeys.emplace_back()); break;
      case KeyKind::DetectFile:
        r = value.find(L'|') != std::wstring_view::npos ? Reason(L"DetectFile 含有 |") : CheckFolder(value);
        entry_.detectFiles.emplace_back(value);
        break;
      case KeyKind::DetectOs: {
        const Parts parts = Split(value, L'|');
        bool bad = parts.size() != 2;
        OsVersionRange range;
        if (!bad) {
          range.min = ParseVersion(parts[0], bad);
          range.max = ParseVersion(parts[1], bad);
        }
        if (bad) r = L"DetectOS 的版本范围无法识别";
        else entry_.detectOs = range;
        break;
      }
      case KeyKind::FileKey: r = ParseFileKey(key, value, entry_.files.emplace_back()); break;
      case KeyKind::RegKey: r = ParseRegKey(key, value, entry_.registry.emplace_back()); break;
      case KeyKind::ExcludeKey: r = ParseExcludeKey(key, value, entry_.excludes.emplace_back()); break;
    }
    if (!r.empty()) fail(line, std::wstring(key) + L"：" + r);
  }

  void fail(std::size_t line, std::wstring reason) {
    if (!reason_.empty()) return;
    reason_ = L"第 " + ToDecimal(static_cast<std::int64_t>(line)) + L" 行，" + reason;
  }

  // The entry, or its problem, into the file.
  void finish(Winapp2File& file) {
    if (reason_.empty() && entry_.files.empty() && entry_.registry.empty()) reason_ = L"没有任何清理规则";
    if (reason_.empty()) file.entries.push_back(std::move(entry_));
    else file.problems.push_back({std::move(entry_.name), entry_.line, std::move(reason_)});
    active_ = false;
  }

 private:
  Winapp2Entry entry_;
  std::vector<std::wstring_view> seen_;
  std::wstring reason_;
  bool active_ = false;
};

// "; Version: 260730" and "; # of entries: 4,067" of the header.
void ReadHeaderComment(std::wstring_view line, Winapp2File& file) {
  line = TrimView(line.substr(1));
  if (StartsWithNoCase(line, L"Version:")) {
    file.version = Trim(line.substr(8));
  } else if (StartsWithNoCase(line, L"# of entries:")) {
    std::wstring digits;
    for (wchar_t ch : line.substr(13))
      if (ch >= L'0' && ch <= L'9') digits += ch;
      else if (ch != L',' && ch != L'.' && ch != L' ') return;
    if (!digits.empty() && digits.size() <= 9) file.statedCount = std::stoul(digits);
  }
}

// Entries of the same name (without regard to case) cannot be told apart by
// their ticks: none of them is taken. Names are compared by a hash of their
// folded letters first, so that the thousands of distinct names cost no copies.
void RefuseDuplicates(Winapp2File& file) {
  struct Name {
    std::size_t hash;
    std::wstring_view text;
    std::size_t entry;  // index into entries, or npos for a problem
  };
  const auto hashOf = [](std::wstring_view text) {
    std::size_t h = 14695981039346656037ull;
    for (const wchar_t ch : text) h = (h ^ static_cast<std::size_t>(FoldCase(ch))) * 1099511628211ull;
    return h;
  };
  std::vector<Name> names;
  names.reserve(file.entries.size() + file.problems.size());
  for (std::size_t i = 0; i < file.entries.size(); ++i) names.push_back({hashOf(file.entries[i].name), file.entries[i].name, i});
  for (const Winapp2Problem& p : file.problems) names.push_back({hashOf(p.entry), p.entry, std::wstring_view::npos});
  std::sort(names.begin(), names.end(), [](const Name& a, const Name& b) { return a.hash < b.hash; });
  std::vector<bool> twice(file.entries.size(), false);
  bool any = false;
  for (std::size_t first = 0; first < names.size();) {
    std::size_t end = first + 1;
    while (end < names.size() && names[end].hash == names[first].hash) ++end;
    for (std::size_t i = first; i < end; ++i)
      for (std::size_t j = first; j < end; ++j)
        if (i != j && names[i].entry != std::wstring_view::npos && EqualsNoCase(names[i].text, names[j].text))
          twice[names[i].entry] = any = true;
    first = end;
  }
  if (!any) return;
  std::vector<Winapp2Entry> kept;
  kept.reserve(file.entries.size());
  for (std::size_t i = 0; i < file.entries.size(); ++i) {
    Winapp2Entry& e = file.entries[i];
    if (!twice[i]) {
      kept.push_back(std::move(e));
      continue;
    }
    file.problems.push_back({e.name, e.line, L"第 " + ToDecimal(static_cast<std::int64_t>(e.line)) +
                                                 L" 行，同名的项目出现不止一次"});
  }
  file.entries = std::move(kept);
  std::sort(file.problems.begin(), file.problems.end(),
            [](const Winapp2Problem& a, const Winapp2Problem& b) { return a.line < b.line; });
}

Winapp2File Refused(std::wstring reason) {
  Winapp2File file;
  file.refusal = std::move(reason);
  return file;
}

}  // namespace

bool IsRuleFolderName(std::wstring_view name) {
  return std::any_of(std::begin(kFolderNames), std::end(kFolderNames),
                     [&](std::wstring_view n) { return EqualsNoCase(n, name); });
}

Winapp2File ParseWinapp2(std::string_view bytes) {
  if (bytes.size() > kMaxRuleFileBytes) return Refused(L"文件太大，不是 winapp2.ini");
  const std::optional<std::wstring> decoded = TextOf(bytes);
  if (!decoded) return Refused(L"不是文本文件");
  const std::wstring_view text = *decoded;

  Winapp2File file;
  EntryBuilder entry;
  std::size_t lineNumber = 0;
  bool endedWithBreak = true;
  for (std::size_t start = 0; start < text.size();) {
    std::size_t end = text.find(L'\n', start);
    endedWithBreak = end != std::wstring_view::npos;
    if (!endedWithBreak) end = text.size();
    std::wstring_view line = text.substr(start, end - start);
    start = end + 1;
    ++lineNumber;
    if (!line.empty() && line.back() == L'\r') line.remove_suffix(1);
    line = TrimView(line);
    if (line.empty() || line.front() == 0x1A) continue;
    if (line.front() == L';') {
      if (!entry.active()) ReadHeaderComment(line, file);
      continue;
    }
    if (line.front() == L'[') {
      if (entry.active()) entry.finish(file);
      ++file.sections;
      const std::size_t close = line.find(L']');
      const std::wstring_view name = TrimView(line.substr(1, close == std::wstring_view::npos ? line.npos : close - 1));
      entry.start(name, lineNumber);
      if (close == std::wstring_view::npos) entry.fail(lineNumber, L"项目名缺少 ]");
      else if (name.empty()) entry.fail(lineNumber, L"项目名为空");
      else if (close + 1 != line.size()) entry.fail(lineNumber, L"] 之后还有内容");
      continue;
    }
    if (!entry.active()) return Refused(L"第 " + ToDecimal(static_cast<std::int64_t>(lineNumber)) + L" 行在任何项目之前，不是 winapp2.ini 的格式");
    const std::size_t equals = line.find(L'=');
    if (equals == std::wstring_view::npos) {
      entry.fail(lineNumber, L"不是“键=值”的格式");
      continue;
    }
    entry.add(TrimView(line.substr(0, equals)), TrimView(line.substr(equals + 1)), lineNumber);
  }
  if (entry.active()) {
    // A last line without its line break may be a file cut short in the middle of it.
    if (!endedWithBreak) entry.fail(lineNumber, L"文件在此行中途结束");
    entry.finish(file);
  }
  if (file.sections == 0) return Refused(L"文件中没有任何项目，不是 winapp2.ini");
  if (file.statedCount && file.sections < *file.statedCount)
    return Refused(L"文件不完整：文件头标明 " + ToDecimal(static_cast<std::int64_t>(*file.statedCount)) + L" 项，只有 " +
                   ToDecimal(static_cast<std::int64_t>(file.sections)) + L" 项");
  RefuseDuplicates(file);
  return file;
}

Winapp2File ReadWinapp2(std::wstring_view path) {
  if (path.empty()) return Refused(L"没有指定文件");
  const std::unique_ptr<File> in = Fs().openFile(path, FileAccess::Read, FileShare::Read, FileDisposition::OpenExisting);
  if (!in) return Refused(L"无法打开文件：" + SystemErrorText(Fs().lastError()));
  const std::optional<std::uint64_t> size = in->size();
  if (!size) return Refused(L"无法读取文件的大小");
  if (*size > kMaxRuleFileBytes) return Refused(L"文件太大，不是 winapp2.ini");
  std::string bytes(static_cast<std::size_t>(*size), '\0');
  std::size_t done = 0;
  while (done < bytes.size()) {
    const std::optional<std::size_t> got = in->read(bytes.data() + done, bytes.size() - done);
    if (!got) return Refused(L"读取文件时出错");
    if (*got == 0) break;
    done += *got;
  }
  bytes.resize(done);
  return ParseWinapp2(bytes);
}

}  // namespace wv
