// Removal acts only on the object the scan listed: each entry is checked again
// just before it goes, over real folders, in every removal mode.
#include <gtest/gtest.h>
#include <shlobj.h>

#include "engines/cleaning/clean_scan.h"
#include "engines/cleaning/cleaning_fixtures.h"
#include "engines/cleaning/removal.h"

namespace wv::test {
namespace {

const RemovalMode kModes[] = {RemovalMode::DeleteDirectly, RemovalMode::RecycleBin, RemovalMode::MoveToFolder};

const char* ModeName(RemovalMode mode) {
  return mode == RemovalMode::DeleteDirectly ? "direct" : mode == RemovalMode::RecycleBin ? "recycle bin" : "move";
}

// A row as a scan lists it: what the entry is now, scanned from root.
FoundRow Listed(const std::wstring& path, const std::wstring& root, FoundKind kind = FoundKind::File) {
  FoundRow row{path, 0, kind};
  cleanscan::VolumeSerials serials;
  std::wstring folderFinal, folderOf;
  const std::optional<cleanscan::ListedEntry> read =
      kind == FoundKind::File ? cleanscan::ReadListedFile(path, serials, folderFinal, folderOf)
                              : cleanscan::ReadListedFolder(path, serials);
  EXPECT_TRUE(read.has_value()) << path;
  if (read) {
    row.size = read->size;
    row.identity = read->identity;
  }
  row.rootLength = static_cast<std::uint32_t>(IncludeTrailingBackslash(root).size());
  return row;
}

RemovalReport Remove(const std::vector<FoundRow>& rows, RemovalMode mode, const std::wstring& target = L"",
                     std::vector<std::size_t> chosen = {}) {
  RemovalOptions options;
  options.mode = mode;
  options.moveFolder = target;
  FakeRun run;
  return RemoveFoundRows(rows, chosen.empty() ? AllRowIndices(rows.size()) : chosen, options, run);
}

KeptReason KeptOf(const RemovalReport& report, std::size_t row) {
  for (const auto& [index, why] : report.kept)
    if (index == row) return why;
  return KeptReason::None;
}

void EmptyRecycleBin() { SHEmptyRecycleBinW(nullptr, nullptr, SHERB_NOCONFIRMATION | SHERB_NOPROGRESSUI | SHERB_NOSOUND); }

void SetLastWrite(const std::wstring& path, std::uint64_t time) {
  UniqueFile f(CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
  FILETIME ft{static_cast<DWORD>(time), static_cast<DWORD>(time >> 32)};
  ASSERT_TRUE(f.valid() && SetFileTime(f.get(), nullptr, nullptr, &ft));
}

// Between the scan and the removal the listed file is written to, replaced, or
// a folder on its way is swapped for another one holding a file of the same
// name, size and time: the row stays with its reason and nothing is touched.
// What is as it was goes; what vanished counts as gone.
TEST(RemovalChecks, AnEntryThatIsNoLongerTheListedObjectStaysWithItsReason) {
  struct Case {
    const char* label;
    std::function<void(Planted&, const FoundRow&)> change;
    KeptReason kept;  // None: it goes
    bool gone;        // nothing is there any more
  };
  const Case cases[] = {
      {"unchanged", [](Planted&, const FoundRow&) {}, KeptReason::None, false},
      {"written to, other size", [](Planted&, const FoundRow& r) { WriteBytes(r.path, "longer now"); },
       KeptReason::Changed, false},
      {"written to, same size",
       [](Planted&, const FoundRow& r) {
         WriteBytes(r.path, "abcd");
         SetLastWrite(r.path, r.identity.lastWrite + 10'000'000);
       },
       KeptReason::Changed, false},
      {"folder swapped for a copy",
       [](Planted& t, const FoundRow& r) {
         ASSERT_TRUE(MoveFileW((t / L"b").c_str(), (t / L"b.old").c_str()));
         t.file(L"b\\Docs\\thesis.doc");
         SetLastWrite(r.path, r.identity.lastWrite);
       },
       KeptReason::NotListed, false},
      {"file replaced by a folder",
       [](Planted& t, const FoundRow& r) {
         ASSERT_TRUE(DeleteFileW(r.path.c_str()));
         t.folder(r.path);
       },
       KeptReason::NotListed, false},
      {"vanished", [](Planted&, const FoundRow& r) { ASSERT_TRUE(DeleteFileW(r.path.c_str())); }, KeptReason::None,
       true},
  };
  for (RemovalMode mode : kModes) {
    for (const Case& c : cases) {
      SCOPED_TRACE(std::string(ModeName(mode)) + ", " + c.label);
      Planted t(L"rmcheck"), dest(L"rmdest");
      const std::wstring file = t.file(L"b\\Docs\\thesis.doc");
      const std::vector<FoundRow> rows = {Listed(file, t.root())};
      c.change(t, rows[0]);
      const bool isFile = !(GetFileAttributesW(file.c_str()) & FILE_ATTRIBUTE_DIRECTORY);
      const std::string before = PathExists(file) && isFile ? ReadBytes(file) : "";
      TestShell shell;
      const RemovalReport report = Remove(rows, mode, dest.root());
      EXPECT_EQ(KeptOf(report, 0), c.kept);
      const bool goes = c.kept == KeptReason::None && !c.gone;
      EXPECT_EQ(report.removed, goes ? 1u : 0u);
      EXPECT_EQ(report.gone.size(), goes || c.gone ? 1u : 0u);
      EXPECT_EQ(PathExists(file), c.kept != KeptReason::None);
      if (c.kept != KeptReason::None && before.size()) EXPECT_EQ(ReadBytes(file), before);
      if (PathExists(t / L"b.old")) EXPECT_TRUE(PathExists(t / L"b.old\\Docs\\thesis.doc"));
      EXPECT_EQ(PathExists(dest / L"thesis.doc"), goes && mode == RemovalMode::MoveToFolder);
      EmptyRecycleBin();
    }
  }
}

// The attack: after the scan a folder on the way to a listed file is replaced
// by a link to another folder holding a file of the same name
// (scripts/make-test-links: "swap\b" leads to "elsewhere"). Whatever the row's
// identity says (even nothing, or that very file), no mode follows the link.
// The same folder reached through a link above the scan's root is the scan's
// own way and is not refused for it.
TEST(RemovalChecks, ALinkPutOnTheWayOfAListedEntryIsNeverFollowed) {
  const std::wstring links = L"C:\\WindowsVantorraFixtures\\links";
  const std::wstring swap = links + L"\\swap", target = links + L"\\elsewhere\\Docs\\thesis.doc";
  ASSERT_TRUE(GetFileAttributesW((swap + L"\\b").c_str()) & FILE_ATTRIBUTE_REPARSE_POINT) << "run through ctest";
  const std::wstring file = swap + L"\\b\\Docs\\thesis.doc";
  for (RemovalMode mode : kModes) {
    SCOPED_TRACE(ModeName(mode));
    Planted dest(L"rmdest");
    FoundRow asItIsNow = Listed(file, swap);
    FoundRow unknown{file, asItIsNow.size, FoundKind::File};
    unknown.rootLength = asItIsNow.rootLength;
    FoundRow wholePath{file, asItIsNow.size, FoundKind::File};  // no root known: every folder is checked
    const std::vector<FoundRow> rows = {asItIsNow, unknown, wholePath,
                                        Listed(swap + L"\\b\\Docs", swap, FoundKind::WasteFolder)};
    TestShell shell;
    const RemovalReport report = Remove(rows, mode, dest.root());
    for (std::size_t i = 0; i < rows.size(); ++i) EXPECT_EQ(KeptOf(report, i), KeptReason::PathChanged) << i;
    EXPECT_EQ(report.removed, 0u);
    EXPECT_EQ(ReadBytes(target), "not listed");
    EXPECT_TRUE(shell.calls.empty());
  }
}

// The shell takes paths, not handles: while it works, every folder on the way
// to what it was given is held, so nobody can rename one and put something else
// in its place. Once the removal is over they are free again.
TEST(RemovalChecks, FoldersOnTheWayCannotBeSwappedWhileTheShellWorks) {
  for (RemovalMode mode : {RemovalMode::RecycleBin, RemovalMode::MoveToFolder}) {
    SCOPED_TRACE(ModeName(mode));
    Planted t(L"rmhold"), dest(L"rmdest");
    const std::wstring file = t.file(L"b\\Docs\\thesis.doc");
    TestShell shell;
    int renamed = 0;
    shell.duringFileOperation = [&] {
      for (const std::wstring& folder : {t / L"b", t / L"b\\Docs"})
        if (MoveFileW(folder.c_str(), (folder + L".x").c_str())) ++renamed;
    };
    const RemovalReport report = Remove({Listed(file, t.root())}, mode, dest.root());
    EXPECT_EQ(renamed, 0);
    EXPECT_EQ(report.removed, 1u);
    EXPECT_FALSE(PathExists(file));
    EXPECT_TRUE(MoveFileW((t / L"b").c_str(), (t / L"b2").c_str()));
    EmptyRecycleBin();
  }
}

// A file with a second name shares its marks with it: a read-only mark that
// blocks direct deletion is never cleared (the row stays and says why); a file
// with one name loses its mark and goes. The shell gets a file with other names
// with its marks on, and both names keep them whatever it does.
TEST(RemovalChecks, AFileWithOtherNamesKeepsItsMarks) {
  for (RemovalMode mode : {RemovalMode::DeleteDirectly, RemovalMode::RecycleBin}) {
    SCOPED_TRACE(ModeName(mode));
    Planted t(L"rmlinks");
    const std::wstring single = t.file(L"single.log"), shared = t.file(L"shared.log"), other = t / L"other name.log";
    ASSERT_TRUE(CreateHardLinkW(other.c_str(), shared.c_str(), nullptr));
    for (const std::wstring& f : {single, shared})
      ASSERT_TRUE(SetFileAttributesW(f.c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN));
    const std::vector<FoundRow> rows = {Listed(single, t.root()), Listed(shared, t.root())};
    TestShell shell;
    const RemovalReport report = Remove(rows, mode);
    EXPECT_FALSE(PathExists(single));
    ASSERT_TRUE(PathExists(other));
    EXPECT_EQ(GetFileAttributesW(other.c_str()) & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN),
              DWORD{FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN});
    if (mode == RemovalMode::DeleteDirectly) EXPECT_EQ(KeptOf(report, 1), KeptReason::OtherNames);
    if (PathExists(shared)) {
      EXPECT_NE(KeptOf(report, 1), KeptReason::None);
      EXPECT_EQ(GetFileAttributesW(shared.c_str()) & FILE_ATTRIBUTE_READONLY, DWORD{FILE_ATTRIBUTE_READONLY});
    }
    EmptyRecycleBin();
  }
}

}  // namespace
}  // namespace wv::test
