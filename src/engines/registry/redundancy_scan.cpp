#include "engines/registry/redundancy_scan.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "core/utilities.h"
#include "platform/text.h"

namespace wv {
namespace {

constexpr std::array<std::wstring_view, 42> kSkippedKeys = {
    L"software\\classes",
    L"software\\odbc",
    L"software\\microsoft\\windows\\currentversion\\installer",
    L"software\\microsoft\\windows\\currentversion\\shareddlls",
    L"software\\microsoft\\windows\\currentversion\\explorer\\shell folders",
    L"software\\microsoft\\installer",
    L"software\\microsoft\\messenger",
    L"software\\autodesk\\autocad",
    L"software\\microsoft\\windows\\currentversion\\internet settings",
    L"software\\microsoft\\windows\\currentversion\\explorer\\menuorder",
    L"software\\microsoft\\windows\\help",
    L"software\\microsoft\\windows\\html help",
    L"software\\microsoft\\windows\\currentversion\\fonts",
    L"software\\microsoft\\windows nt\\currentversion\\fonts",
    L"software\\microsoft\\windows\\currentversion\\explorer\\docfolderpaths",
    L"software\\microsoft\\windows\\currentVersion\\telephony",
    L"software\\microsoft\\windows\\currentversion\\setup",
    L"software\\microsoft\\windows\\currentversion\\run\\rsautorunsdisabled",
    L"software\\intel\\network_services",
    L"software\\microsoft\\windows search",
    L"software\\data fellows\\f-secure\\localization",
    L"software\\national instruments\\ni-servers",
    L"software\\microsoft\\windows\\currentversion\\sidebyside",
    L"software\\microsoft\\windows\\currentversion\\explorer\\userassist",
    L"software\\microsoft\\windows\\currentversion\\explorer\\comdlg32",
    L"hewlett-packard\\digitalimaging",
    L"hewlett-packard\\memories disc",
    L"services\\eventsystem",
    L"services\\msdtc",
    L"services\\mysql",
    L"services\\winsock2",
    L"services\\vdprotect",
    L"components",
    L"oracle",
    L"acadm",
    L"template",
    L"rational",
    L"time zones",
    L"wow6432node",
    L"extended keyboard",
    L"vaio entertainment",
    L"l3 generator with c45",
};

constexpr std::array<std::wstring_view, 24> kSkippedPaths = {
    L"DAEMON Tools.lnk", L"QCDPLAYER.EXE", L"IE6SETUP",      L"VIAVOICE",
    L"PKMRES.DLL",       L"RATIONAL",      L"VAIO ENTERTAINMENT", L"EB.EXE",
    L".EXE.DLL",         L"RTSCAN.INI",    L"JMC230.PRO",    L".MNS",
    L".MNC",             L"DREYE",         L"ACADM",         L"SMWIZARD.EXE",
    L"TEMPLATE",         L"THUNDER.EXE",   L"BLANK.HTM",     L"OFFICE\\DATA\\",
    L"SPEECHENGINES\\MICROSOFT\\", L"ENDNOTE 9 DEMO\\WISEUPDT.EXE", L"\\.", L"\\*",
};

constexpr std::size_t npos = std::wstring_view::npos;

bool Exists(const std::wstring& path) { return Fs().attributes(path) != INVALID_FILE_ATTRIBUTES; }

// Whole text as a signed 32-bit integer the classic way: leading blanks, a sign,
// then decimal digits or hexadecimal ones after "$", "x" or "0x".
bool IsInteger(std::wstring_view s) {
  while (!s.empty() && s.front() == L' ') s.remove_prefix(1);
  bool negative = false;
  if (!s.empty() && (s.front() == L'-' || s.front() == L'+')) {
    negative = s.front() == L'-';
    s.remove_prefix(1);
  }
  unsigned base = 10;
  if (!s.empty() && s.front() == L'$') {
    base = 16;
    s.remove_prefix(1);
  } else if (s.size() >= 2 && s[0] == L'0' && (s[1] == L'x' || s[1] == L'X')) {
    base = 16;
    s.remove_prefix(2);
  } else if (!s.empty() && (s.front() == L'x' || s.front() == L'X')) {
    base = 16;
    s.remove_prefix(1);
  }
  if (s.empty()) return false;
  std::uint64_t value = 0;
  for (const wchar_t ch : s) {
    unsigned digit;
    if (ch >= L'0' && ch <= L'9') digit = ch - L'0';
    else if (base == 16 && ch >= L'a' && ch <= L'f') digit = ch - L'a' + 10;
    else if (base == 16 && ch >= L'A' && ch <= L'F') digit = ch - L'A' + 10;
    else return false;
    value = value * base + digit;
    if (value > 0x80000000ULL) return false;
  }
  return negative || value <= 0x7FFFFFFFULL;
}

// Space, digits, upper-case letters and everything from "a" up, which takes in
// every character beyond ASCII.
bool IsOrdinary(wchar_t ch) { return ch == L' ' || (ch >= L'0' && ch <= L'9') || (ch >= L'A' && ch <= L'Z') || ch >= L'a'; }

// Steps 1 to 3 of the test: the text with its quoting and doubled backslashes undone.
std::wstring CleanCandidate(std::wstring_view text) {
  std::wstring_view s = TrimView(text);
  if (!s.empty() && s.front() == L'"') {
    std::wstring_view t = s.substr(1);
    t = t.substr(0, t.find(L'"'));
    if (!t.empty()) s = t;
  }
  std::wstring out;
  out.reserve(s.size());
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (s[i] == L'\\' && i + 1 < s.size() && s[i + 1] == L'\\') ++i;
    out += s[i];
  }
  std::erase(out, L'"');
  return Trim(out);
}

// The rules after the text has been cleaned: s is changed on the way.
bool DeadAfterCleaning(std::wstring s, const RedundancyRules& rules) {
  // Only absolute paths with a drive letter, and no second drive reference.
  if (s.size() < 3 || s[1] != L':' || s[2] != L'\\') return false;
  if (s.find(L':', 3) != npos) return false;
  if (!rules.onFixedDrive(s)) return false;
  if (Exists(s)) return false;

  if (s.back() == L'\\') {
    const std::wstring bare = s.substr(0, s.size() - 1);
    if (ExtractFileExt(bare).size() == 4 && FileExists(bare)) return false;
  }
  const std::size_t nameStart = ExtractFilePath(s).size();
  if (IsInteger(std::wstring_view(s).substr(nameStart))) {
    // file\index: the folder part names the file.
    std::size_t dirEnd = nameStart;
    if (dirEnd > 0 && s[dirEnd - 1] == L'\\' && !(dirEnd >= 2 && s[dirEnd - 2] == L':')) --dirEnd;
    if (FileExists(s.substr(0, dirEnd))) return false;
  }
  const std::size_t comma = s.find(L',');
  if (comma != npos && FileExists(s.substr(0, comma))) return false;  // file,index
  if (rules.skipsPath(s)) return false;

  bool cut = false;
  const std::size_t firstDot = s.find(L'.');
  if (firstDot != npos) {
    // A dot inside a folder name ("Foo 2.0\", "Python3.11\"): the cut below would
    // judge a made-up path. An existing folder there means the path may well live.
    const std::size_t folderEnd = s.find(L'\\', firstDot);
    if (folderEnd != npos && DirectoryExists(s.substr(0, folderEnd))) return false;
    if (s.size() > firstDot + 5) {
      s.resize(firstDot + 5);  // drops command-line arguments
      cut = true;
    }
  }

  const std::size_t start = ExtractFilePath(s).size();
  std::wstring name = s.substr(start);
  if (name.find(L'.') != npos && s.back() != L'\\') {
    const std::size_t pDot = name.find(L'.');
    const std::size_t pComma = name.find(L',');
    const std::size_t pSpace = name.find(L' ');
    if (pComma != npos && pDot < pComma && (pSpace == npos || pComma < pSpace)) name.resize(pComma);
    else if (pSpace != npos && pDot < pSpace && (pComma == npos || pSpace < pComma)) name.resize(pSpace);
    const std::size_t lastDot = name.rfind(L'.');
    if (lastDot != npos && name.size() - lastDot > 4) name.resize(lastDot + 4);
    const std::size_t bad = name.find_first_of(L"*/<>?\\|");
    if (bad != npos) name.resize(bad);
    const std::size_t checked = s.size();
    s.resize(start);
    s += name;
    if (ExtractFileExt(s).size() < 2) return false;
    // Unchanged by the cuts: already known to be missing (a file-system call
    // costs far more than the comparison).
    return (s.size() == checked && !cut) || !Exists(s);
  }
  if (s.back() == L'\\') return true;
  for (std::size_t p = start; p < s.size(); ++p)
    if (!IsOrdinary(s[p])) return !DirectoryExists(s.substr(0, p));
  return true;
}

class KeyWalk {
 public:
  KeyWalk(RegRoot root, const RedundancyRules& rules, RunContext& run, const RegistryRowSink& sink,
          std::size_t& found)
      : root_(root), rules_(rules), run_(run), sink_(sink), found_(found) {}

  // Subkeys of the root that are walked elsewhere (the user's own hive under HKEY_USERS).
  void skipAtRoot(std::vector<std::wstring> names) { skippedAtRoot_ = std::move(names); }

  // path is extended and restored in place; false once a stop was seen.
  bool walk(RegKey& key, std::wstring& path) {
    if (rules_.skipsKey(path)) return true;
    for (const std::wstring& name : key.subkeyNames()) {
      if (!proceed()) return false;
      if (TrimView(name).empty()) continue;
      if (path.empty() && std::ranges::any_of(skippedAtRoot_, [&](const std::wstring& s) { return EqualsNoCase(s, name); }))
        continue;
      const std::size_t length = path.size();
      path += L'\\';
      path += name;
      // The parent stays open below; a key that cannot be opened is skipped whole.
      if (std::unique_ptr<RegKey> child = Reg().openKey(root_, path)) {
        if (!walk(*child, path)) return false;
      }
      path.resize(length);
    }
    status(path);
    const RegView view = ViewOfPath(path);
    for (const std::wstring& name : key.valueNames()) {
      if (!proceed()) return false;
      if (rules_.skipsValueName(name)) continue;
      if (!key.readRaw(name, raw_)) continue;  // gone since it was listed
      bool hit = IsTextType(raw_.type) && IsDeadPath(ValueText(raw_), rules_, view);
      if (!hit) hit = IsDeadPath(name, rules_, view);
      if (!hit) continue;
      RegistryRow row;
      row.root = root_;
      row.view = view;
      row.keyPath = path;
      row.kind = RegRowKind::Value;
      row.valueName = name;
      row.value = raw_;
      row.display = ValueText(raw_);
      sink_(std::move(row));
      ++found_;
      run_.rowAdded();
      status(path);
    }
    return true;
  }

 private:
  bool proceed() {
    if (!stopped_ && !run_.proceed()) stopped_ = true;
    return !stopped_;
  }
  void status(std::wstring_view path) {
    subject_.assign(RootName(root_));
    subject_ += path;
    RegistryProgressText(found_, subject_, text_);
    run_.status(text_);
  }

  RegRoot root_;
  std::vector<std::wstring> skippedAtRoot_;
  const RedundancyRules& rules_;
  RunContext& run_;
  const RegistryRowSink& sink_;
  std::size_t& found_;
  bool stopped_ = false;
  RegRawValue raw_;
  std::wstring subject_;
  std::wstring text_;
};

bool IsDeletableRoot(RegRoot root) {
  return root == RegRoot::CurrentUser || root == RegRoot::LocalMachine || root == RegRoot::Users;
}

// An entry someone else removed meanwhile is gone as the user wanted, not a failure.
RowDeletion DeletionOf(const SysResult& result) {
  if (result) return RowDeletion::Deleted;
  return result.notFound() ? RowDeletion::Missing : RowDeletion::Failed;
}

}  // namespace

RegView ViewOfPath(std::wstring_view keyPath) {
  // A component named so, not any text containing it.
  const std::wstring folded = ToUpper(keyPath) + L"\\";
  return folded.find(L"\\WOW6432NODE\\") != npos ? RegView::Wow32 : RegView::Native;
}

bool IsTextType(DWORD type) { return type == REG_SZ || type == REG_EXPAND_SZ; }

std::wstring ValueText(const RegRawValue& value) {
  if (!IsTextType(value.type)) return {};
  const std::size_t chars = value.data.size() / sizeof(wchar_t);
  std::wstring text(chars, L'\0');
  if (chars) std::memcpy(text.data(), value.data.data(), chars * sizeof(wchar_t));
  const std::size_t nul = text.find(L'\0');
  if (nul != npos) text.resize(nul);
  return text;
}

std::wstring ValueNameCell(const RegistryRow& row) {
  if (row.kind == RegRowKind::Key) return {};
  return row.valueName.empty() ? std::wstring(kDefaultValueMarker) : row.valueName;
}

std::wstring RegistryScanSummary(std::size_t rows) {
  if (rows == 0) return L"未扫描到符合条件的注册表冗余信息";
  return L"扫描到符合条件的注册表冗余信息共 " + ToDecimal(static_cast<std::int64_t>(rows)) + L" 项";
}

void RegistryProgressText(std::size_t rows, std::wstring_view subject, std::wstring& out) {
  out.assign(L"已扫描到 ");
  out += ToDecimal(static_cast<std::int64_t>(rows));
  out += L" 项 -- ";
  out += subject;
}

RowDeletion DeleteRegistryRow(const RegistryRow& row) {
  if (!IsDeletableRoot(row.root)) return RowDeletion::Failed;
  SysResult opened;
  std::unique_ptr<RegKey> key = Reg().openKey(row.root, row.keyPath, &opened);
  if (!key) return opened.notFound() ? RowDeletion::Missing : RowDeletion::Failed;
  if (row.kind == RegRowKind::Value) {
    RegRawValue now;
    if (!key->readRaw(row.valueName, now)) return RowDeletion::Missing;
    if (!(now == row.value)) return RowDeletion::Changed;
    return DeletionOf(key->deleteValue(row.valueName));
  }
  RegKeyInfo now;
  if (!key->info(now)) return RowDeletion::Failed;
  if (now.subkeyCount != row.keyState.subkeyCount || now.valueCount != row.keyState.valueCount ||
      CompareFileTime(&now.lastWrite, &row.keyState.lastWrite) != 0)
    return RowDeletion::Changed;
  key.reset();
  return DeletionOf(Reg().deleteKey(row.root, row.keyPath));
}

RedundancyRules::RedundancyRules(const KnownFolders& known) {
  for (const std::wstring_view k : kSkippedKeys) keys_.add(k);
  names_.add(L"cachepath");
  names_.add(L"template");
  for (const std::wstring_view p : kSkippedPaths) paths_.add(p);
  paths_.add(known.WindowsHelpDir);
  if (!known.SystemDir.empty() && !known.WindowsDir.empty()) {
    system32_ = ToUpper(IncludeTrailingBackslash(known.SystemDir));
    sysWow64_ = IncludeTrailingBackslash(known.WindowsDir) + L"SysWOW64\\";
  }
}

bool RedundancyRules::onFixedDrive(std::wstring_view path) const {
  const wchar_t letter = FoldCase(path.empty() ? L'\0' : path.front());
  if (letter < L'A' || letter > L'Z') return false;
  signed char& known = fixed_[static_cast<std::size_t>(letter - L'A')];
  if (known == 0) {
    const wchar_t root[] = {letter, L':', L'\\', L'\0'};
    known = Vol().driveType(root) == DRIVE_FIXED ? 1 : -1;
  }
  return known > 0;
}

std::wstring RedundancyRules::in32BitSystemFolder(std::wstring_view path) const {
  if (system32_.empty() || !StartsWithNoCase(path, system32_)) return {};
  return sysWow64_ + std::wstring(path.substr(system32_.size()));
}

bool IsDeadPath(std::wstring_view text, const RedundancyRules& rules, RegView view) {
  const std::wstring s = CleanCandidate(text);
  if (!DeadAfterCleaning(s, rules)) return false;
  if (view == RegView::Wow32) {
    const std::wstring redirected = rules.in32BitSystemFolder(s);
    if (!redirected.empty()) return DeadAfterCleaning(redirected, rules);
  }
  return true;
}

bool ScanKeyTree(RegRoot root, std::wstring_view path, const RedundancyRules& rules, RunContext& run,
                 const RegistryRowSink& sink, std::size_t& found) {
  std::unique_ptr<RegKey> key = Reg().openKey(root, path);
  if (!key) return true;
  std::wstring walked(path);
  return KeyWalk(root, rules, run, sink, found).walk(*key, walked);
}

RegistryScanResult RedundancyScan(const RedundancyScanInput& input, RunContext& run, const RegistryRowSink& sink) {
  constexpr std::array<RegRoot, 3> kHives = {RegRoot::CurrentUser, RegRoot::LocalMachine, RegRoot::Users};
  const RedundancyRules rules(input.known);
  RegistryScanResult result;
  bool userWalked = false;
  for (std::size_t i = 0; i < kHives.size(); ++i) {
    if (result.stopped) break;
    const bool ticked = run.stillTicked(i, input.hives[i]);
    if (!ticked) continue;
    std::unique_ptr<RegKey> key = Reg().openKey(kHives[i], L"");
    if (!key) continue;
    KeyWalk walk(kHives[i], rules, run, sink, result.rows);
    // HKEY_CURRENT_USER is the user's own hive under HKEY_USERS (its classes
    // too, which HKEY_CURRENT_USER\Software\Classes shows): walked once, as
    // HKEY_CURRENT_USER, each entry is listed once and deleted once.
    if (kHives[i] == RegRoot::Users && userWalked) {
      if (const std::wstring sid = Sys().userSidText(); !sid.empty()) walk.skipAtRoot({sid, sid + L"_Classes"});
    }
    std::wstring path;
    if (!walk.walk(*key, path)) result.stopped = true;
    if (kHives[i] == RegRoot::CurrentUser) userWalked = true;
  }
  run.status(RegistryScanSummary(result.rows));
  return result;
}

}  // namespace wv
