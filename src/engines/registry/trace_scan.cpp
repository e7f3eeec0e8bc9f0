#include "engines/registry/trace_scan.h"

#include <optional>

#include "core/utilities.h"
#include "platform/text.h"

namespace wv {
namespace {

constexpr std::array<std::wstring_view, kTraceItemCount> kCategories = {
    L"操作历史",   L"软件历史",     L"扩展名历史", L"无效动态库", L"无效安装",
    L"无效文件夹", L"无效反安装",   L"无效开始菜单", L"无效右键菜单", L"无效帮助",
    L"无效字体",   L"无效组件",     L"无效关联",
};

constexpr std::wstring_view kExplorer = L"\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer";

constexpr std::array<std::wstring_view, 11> kActivityHistory = {
    L"\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\RecentDocs",
    L"\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\RunMRU",
    L"\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Doc Find Spec MRU",
    L"\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FindComputerMRU",
    L"\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\StreamMRU",
    L"\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\ComDlg32\\LastVisitedMRU",
    L"\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\ComDlg32\\OpenSaveMRU",
    L"\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\TrayNotify",
    L"\\Software\\Classes\\Local Settings\\Software\\Microsoft\\Windows\\CurrentVersion\\TrayNotify",
    L"\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\UserAssist\\{5E6AB780-7743-11CF-A12B-00AA004AE837}\\Count",
    L"\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\UserAssist\\{75048700-EF1F-11D0-9888-006097DEACF9}\\Count",
};

constexpr std::array<std::wstring_view, 23> kSoftwareHistory = {
    L"\\Software\\Microsoft\\Windows\\CurrentVersion\\Applets\\Paint\\Recent File List",
    L"\\Software\\Microsoft\\Windows\\CurrentVersion\\Applets\\Wordpad\\Recent File List",
    L"\\Software\\Microsoft\\MediaPlayer\\Player\\RecentFileList",
    L"\\Software\\Microsoft\\FrontPage\\Editor\\Insert Hyperlink\\Recently Used URLs",
    L"\\Software\\Microsoft\\FrontPage\\Editor\\Insert Image\\Recently Used URLs",
    L"\\Software\\Microsoft\\FrontPage\\Explorer\\FrontPage Explorer\\Recent File List",
    L"\\Software\\Microsoft\\FrontPage\\Explorer\\FrontPage Explorer\\Recent Page List",
    L"\\Software\\Microsoft\\FrontPage\\Explorer\\FrontPage Explorer\\Recent Web List",
    L"\\Software\\Microsoft\\Office\\10.0\\PowerPoint\\Recent File List",
    L"\\Software\\Microsoft\\Office\\10.0\\Excel\\Recent File List",
    L"\\Software\\Microsoft\\Office\\11.0\\PowerPoint\\Recent File List",
    L"\\Software\\Microsoft\\Office\\11.0\\Excel\\Recent Files",
    L"\\Software\\Microsoft\\Office\\12.0\\Word\\File MRU",
    L"\\Software\\Microsoft\\Office\\12.0\\PowerPoint\\File MRU",
    L"\\Software\\Microsoft\\Office\\12.0\\Excel\\File MRU",
    L"\\Real\\RealPlayer\\History",
    L"\\Software\\Gabest\\Media Player Classic\\Recent File List",
    L"\\Software\\Axialis\\IconWorkshop\\Recent File List",
    L"\\Software\\Macromedia\\Flash 8\\Recent File List",
    L"\\Software\\Macromedia\\Dreamweaver 8\\Recent File List",
    L"\\Software\\WinRAR\\ArcHistory",
    L"\\Software\\WinRAR\\DialogEditHistory\\ArcName",
    L"\\Software\\ES-Computing\\EditPlus 2\\Recent File List",
};

constexpr std::wstring_view kUninstall = L"\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";

std::wstring Join(std::wstring_view path, std::wstring_view name) {
  std::wstring out(path);
  out += L'\\';
  out += name;
  return out;
}

// The unnamed value as text; a value of another type counts as empty.
std::wstring UnnamedText(RegKey& key) { return key.readText(L"").value_or(L""); }

bool KeyIsEmpty(RegKey& key) {
  RegKeyInfo info;
  return key.info(info) && info.subkeyCount == 0 && info.valueCount == 0;
}

bool EqualsAnyNoCase(std::wstring_view name, std::initializer_list<std::wstring_view> names) {
  for (const std::wstring_view n : names)
    if (EqualsNoCase(name, n)) return true;
  return false;
}

// A command line naming a file that is not there.
bool NamesMissingFile(std::wstring_view command) {
  return LooksLikeFilePath(command) && !FileExists(ExtractPathFromCommand(command));
}

}  // namespace

std::wstring_view TraceCategoryText(int position) {
  if (position < 0 || static_cast<std::size_t>(position) >= kCategories.size()) return {};
  return kCategories[static_cast<std::size_t>(position)];
}

TraceCheckers::TraceCheckers(const KnownFolders& known, RunContext& run, const RegistryRowSink& sink,
                             std::size_t& found)
    : known_(known), run_(run), sink_(sink), found_(found) {}

void TraceCheckers::setItem(RegRoot root, int category) {
  root_ = root;
  category_ = category;
}

bool TraceCheckers::proceed() {
  if (!stopped_ && !run_.proceed()) stopped_ = true;
  return !stopped_;
}

void TraceCheckers::status(std::wstring_view subject) {
  RegistryProgressText(found_, subject, text_);
  run_.status(text_);
}

void TraceCheckers::statusAtKey(std::wstring_view path) {
  std::wstring subject(RootName(root_));
  subject += path;
  status(subject);
}

void TraceCheckers::addValueRow(RegKey& key, std::wstring_view path, const std::wstring& name) {
  RegistryRow row;
  if (!key.readRaw(name, row.value)) return;  // gone since it was listed
  row.root = root_;
  row.view = ViewOfPath(path);
  row.keyPath = path;
  row.kind = RegRowKind::Value;
  row.valueName = name;
  row.display = TraceCategoryText(category_);
  row.category = category_;
  sink_(std::move(row));
  ++found_;
  run_.rowAdded();
}

void TraceCheckers::addKeyRow(std::wstring path) {
  RegistryRow row;
  std::unique_ptr<RegKey> key = Reg().openKey(root_, path);
  if (!key || !key->info(row.keyState)) return;
  row.root = root_;
  row.view = ViewOfPath(path);
  row.keyPath = std::move(path);
  row.kind = RegRowKind::Key;
  row.display = TraceCategoryText(category_);
  row.category = category_;
  sink_(std::move(row));
  ++found_;
  run_.rowAdded();
}

template <class Fn>
void TraceCheckers::eachSubkey(std::wstring_view path, Fn fn) {
  std::unique_ptr<RegKey> key = Reg().openKey(root_, path);
  if (!key) return;
  statusAtKey(path);
  for (const std::wstring& name : key->subkeyNames()) {
    if (!proceed()) return;
    if (!fn(name)) continue;
    addKeyRow(Join(path, name));
    statusAtKey(path);
  }
}

template <class Fn>
void TraceCheckers::eachValue(std::wstring_view path, ValueFrame frame, Fn fn) {
  std::unique_ptr<RegKey> key = Reg().openKey(root_, path);
  if (!key) return;
  const bool subjectIsName = frame != ValueFrame::TextAtKey;
  if (!subjectIsName) statusAtKey(path);
  for (const std::wstring& name : key->valueNames()) {
    if (subjectIsName) status(name);
    if (!proceed()) return;
    // Text values only, unless the frame takes any type (then the name alone decides).
    const std::optional<std::wstring> text =
        frame == ValueFrame::AnyByName ? std::optional<std::wstring>(std::wstring()) : key->readText(name);
    if (!text || !fn(name, *text)) continue;
    addValueRow(*key, path, name);
    if (subjectIsName) status(name);
    else statusAtKey(path);
  }
}

void TraceCheckers::ListHistoryKey(std::wstring_view path) {
  std::unique_ptr<RegKey> key = Reg().openKey(root_, path);
  if (!key) return;
  statusAtKey(path);
  for (const std::wstring& name : key->subkeyNames()) {
    if (!proceed()) return;
    ListHistoryKey(Join(path, name));
  }
  for (const std::wstring& name : key->valueNames()) {
    if (!proceed()) return;
    addValueRow(*key, path, name);
    statusAtKey(path);
  }
}

void TraceCheckers::ListKeysNamed(std::wstring_view path, std::wstring_view fragment) {
  eachSubkey(path, [&](const std::wstring& name) { return ContainsNoCase(name, fragment); });
}

void TraceCheckers::CheckSharedDlls(std::wstring_view path) {
  eachValue(path, ValueFrame::AnyByName, [](const std::wstring& name, const std::wstring&) { return !FileExists(name); });
}

void TraceCheckers::CheckHelpFiles(std::wstring_view path) {
  // A folder that is gone as a whole says nothing about the file.
  eachValue(path, ValueFrame::TextAtKey, [](const std::wstring& name, const std::wstring& folder) {
    return DirectoryExists(folder) && !FileExists(Join(folder, name));
  });
}

void TraceCheckers::CheckFonts(std::wstring_view path) {
  // Without the fonts folder a font registered by bare name cannot be judged.
  if (known_.FontsDir.empty()) return;
  eachValue(path, ValueFrame::TextAtKey, [this](const std::wstring&, const std::wstring& file) {
    return !FileExists(file) && !FileExists(Join(known_.FontsDir, file));
  });
}

void TraceCheckers::CheckEmptyVendorKeys(std::wstring_view path) {
  eachSubkey(path, [&](const std::wstring& name) {
    if (EqualsAnyNoCase(name, {L"Classes", L"Secure"})) return false;
    std::unique_ptr<RegKey> sub = Reg().openKey(root_, Join(path, name));
    return sub && KeyIsEmpty(*sub);
  });
}

void TraceCheckers::CheckArpCache(std::wstring_view path) {
  eachSubkey(path, [&](const std::wstring& name) {
    return (name.empty() || name.front() != L'{') && !Reg().keyExists(root_, Join(kUninstall, name));
  });
}

void TraceCheckers::CheckInstallerFolders(std::wstring_view path) {
  eachValue(path, ValueFrame::TextByName,
            [](const std::wstring& name, const std::wstring&) { return !DirectoryExists(name); });
}

void TraceCheckers::CheckUninstall(std::wstring_view path) {
  eachSubkey(path, [&](const std::wstring& name) {
    std::unique_ptr<RegKey> sub = Reg().openKey(root_, Join(path, name));
    const std::optional<std::wstring> command = sub ? sub->readText(L"UninstallString") : std::nullopt;
    return command && !TrimView(*command).empty() && NamesMissingFile(*command);
  });
}

void TraceCheckers::CheckStartMenuOrder(std::wstring_view path) {
  // An unresolved programs folder would make every entry look orphaned.
  if (known_.ProgramsDir.empty() || known_.CommonProgramsDir.empty()) return;
  eachSubkey(path, [&](const std::wstring& name) {
    return !EqualsAnyNoCase(name, {L"启动", L"附件", L"维护", L"游戏", L"方案和升级"}) &&
           !DirectoryExists(Join(known_.ProgramsDir, name)) && !DirectoryExists(Join(known_.CommonProgramsDir, name));
  });
}

void TraceCheckers::CheckFileExts(std::wstring_view path) {
  eachSubkey(path, [&](const std::wstring& ext) {
    if (ext.empty() || ext.front() != L'.') return false;
    const std::wstring child = Join(path, ext);
    std::unique_ptr<RegKey> sub = Reg().openKey(root_, child);
    if (!sub) return false;
    const std::vector<std::wstring> subkeys = sub->subkeyNames();
    bool candidate = subkeys.empty();
    if (subkeys.size() == 1 && subkeys.front() == L"OpenWithList") {
      std::unique_ptr<RegKey> list = Reg().openKey(root_, Join(child, L"OpenWithList"));
      RegKeyInfo info;
      candidate = list && list->info(info) && info.valueCount == 0;
    }
    return candidate && !Reg().keyExists(RegRoot::ClassesRoot, Join(L"", ext));
  });
}

void TraceCheckers::CheckFolderVerbs(std::wstring_view path) {
  eachSubkey(path, [&](const std::wstring& verb) {
    std::unique_ptr<RegKey> sub = Reg().openKey(root_, Join(path, verb));
    RegKeyInfo info;
    return sub && sub->info(info) && info.subkeyCount == 0;
  });
}

void TraceCheckers::CheckTypeLibs(std::wstring_view path) {
  std::unique_ptr<RegKey> key = Reg().openKey(root_, path);
  if (!key) return;
  for (const std::wstring& id : key->subkeyNames()) {
    if (!proceed()) return;
    const std::wstring library = Join(path, id);
    std::unique_ptr<RegKey> libKey = Reg().openKey(root_, library);
    if (!libKey) continue;
    for (const std::wstring& ver : libKey->subkeyNames()) {
      if (!proceed()) return;
      const std::wstring version = Join(library, ver);
      std::unique_ptr<RegKey> verKey = Reg().openKey(root_, version);
      if (!verKey || TrimView(UnnamedText(*verKey)).empty()) continue;
      std::unique_ptr<RegKey> win32;
      for (const std::wstring& lcid : verKey->subkeyNames()) {
        win32 = Reg().openKey(root_, Join(Join(version, lcid), L"Win32"));
        if (win32) break;
      }
      if (!win32) continue;
      const std::wstring file = UnnamedText(*win32);
      status(file);
      if (!NamesMissingFile(file)) continue;
      addKeyRow(version);
      status(file);
    }
  }
}

void TraceCheckers::CheckClasses(std::wstring_view path) {
  std::unique_ptr<RegKey> key = Reg().openKey(root_, path);
  if (!key) return;
  for (const std::wstring& k : key->subkeyNames()) {
    status(k);
    if (!proceed()) return;
    if (ContainsNoCase(k, L"Search.CustomWordbreaker") || ContainsNoCase(k, L"HeaderFooter.HeaderFooter") ||
        !isOrphanClass(path, k))
      continue;
    addKeyRow(Join(path, k));
    status(k);
  }
}

bool TraceCheckers::isOrphanClass(std::wstring_view path, const std::wstring& k) {
  if (!k.empty() && k.front() == L'.') {
    std::unique_ptr<RegKey> sub = Reg().openKey(root_, Join(path, k));
    if (!sub) return false;
    const std::wstring progId = UnnamedText(*sub);
    RegKeyInfo info;
    return !progId.empty() && sub->info(info) && info.subkeyCount == 0 && !Reg().keyExists(root_, Join(path, progId));
  }
  std::unique_ptr<RegKey> clsidKey = Reg().openKey(root_, Join(Join(path, k), L"CLSID"));
  if (!clsidKey) return false;
  const std::wstring clsid = UnnamedText(*clsidKey);
  // A class a 32-bit server registered lives in the 32-bit view's CLSID key.
  return clsid.size() >= 2 && clsid.front() == L'{' && clsid.back() == L'}' &&
         !Reg().keyExists(root_, Join(Join(path, L"CLSID"), clsid)) &&
         !Reg().keyExists(root_, Join(Join(path, L"Wow6432Node\\CLSID"), clsid));
}

RegistryScanResult TraceScan(const TraceScanInput& input, RunContext& run, const RegistryRowSink& sink) {
  RegistryScanResult result;
  TraceCheckers check(input.known, run, sink, result.rows);
  const auto item = [&](int position, RegRoot root) {
    if (check.stopped()) return false;
    if (!run.stillTicked(static_cast<std::size_t>(position), input.items[static_cast<std::size_t>(position)]))
      return false;
    check.setItem(root, position);
    return true;
  };
  const RegRoot cu = RegRoot::CurrentUser;
  const RegRoot lm = RegRoot::LocalMachine;
  if (item(0, cu))
    for (const std::wstring_view k : kActivityHistory) check.ListHistoryKey(k);
  if (item(1, cu)) {
    for (const std::wstring_view k : kSoftwareHistory) check.ListHistoryKey(k);
    check.ListKeysNamed(L"\\Software\\RealNetworks\\RealPlayer\\6.0\\Preferences", L"MostRecentClips");
  }
  if (item(2, cu)) check.CheckFileExts(std::wstring(kExplorer) + L"\\FileExts");
  if (item(3, lm)) check.CheckSharedDlls(L"\\Software\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs");
  if (item(4, cu)) {
    check.CheckEmptyVendorKeys(L"\\Software");
    check.setItem(lm, 4);
    check.CheckEmptyVendorKeys(L"\\Software");
    check.CheckArpCache(L"\\Software\\Microsoft\\Windows\\CurrentVersion\\App Management\\ARPCache");
  }
  if (item(5, lm)) check.CheckInstallerFolders(L"\\Software\\Microsoft\\Windows\\CurrentVersion\\Installer\\Folders");
  if (item(6, lm)) check.CheckUninstall(kUninstall);
  if (item(7, cu)) check.CheckStartMenuOrder(std::wstring(kExplorer) + L"\\MenuOrder\\Start Menu\\Programs");
  if (item(8, lm)) check.CheckFolderVerbs(L"\\Software\\CLASSES\\Directory\\shell");
  if (item(9, lm)) {
    check.CheckHelpFiles(L"\\Software\\Microsoft\\Windows\\Help");
    check.CheckHelpFiles(L"\\Software\\Microsoft\\Windows\\HTML Help");
  }
  if (item(10, lm)) check.CheckFonts(L"\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Fonts");
  if (item(11, lm)) check.CheckTypeLibs(L"\\Software\\CLASSES\\TypeLib");
  if (item(12, lm)) check.CheckClasses(L"\\Software\\CLASSES");
  result.stopped = check.stopped();
  run.status(RegistryScanSummary(result.rows));
  return result;
}

}  // namespace wv
