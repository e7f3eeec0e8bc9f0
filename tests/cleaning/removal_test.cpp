#include <gtest/gtest.h>

#include <algorithm>

#include "cleaning/cleaning_fixtures.h"
#include "cleaning/removal.h"
#include "cleaning/wjrcline.h"
#include "support/testsupport.h"

namespace wv::test {
namespace {

ListRow Row(const std::wstring& path, std::wstring_view size = L"4.00 B") {
  return ListRow{path, {std::wstring(size)}, -1, 0, false, 0};
}

TEST(Removal, RowsOfFilesStillThereStay) {
  Planted t(L"rmstay");
  const std::wstring a = t.file(L"a.tmp"), busy = t.file(L"busy.tmp"), gone = t / L"gone.tmp";
  RowModel rows;
  for (const std::wstring& p : {a, busy, gone}) rows.append(Row(p));
  TestShell shell;
  RemovalOptions options;
  options.mode = RemovalMode::DeleteDirectly;
  {
    UniqueFile hold = Hold(busy);
    ASSERT_TRUE(hold.valid());
    EXPECT_EQ(RemoveFoundRows(rows, AllRowIndices(rows), options), 2u);
  }
  EXPECT_EQ(Captions(rows.rows()), std::vector<std::wstring>{busy});
  ASSERT_EQ(shell.calls.size(), 1u);
  EXPECT_EQ(shell.calls[0].sources, (std::vector<std::wstring>{a, busy}));  // a vanished file is not handed over
  EXPECT_FALSE(PathExists(a));
}

// The shell reports failure after the files went: the waste folders go only when empty.
TEST(Removal, AFailedDailyRemovalTakesOnlyEmptyWasteFolders) {
  Planted t(L"rmfallback");
  RowModel rows;
  for (const wchar_t* f : {L"a.tmp", L"sub\\deep\\c.tmp", L"other\\x.tmp"}) rows.append(Row(t.file(f)));
  for (const wchar_t* f : {L"sub\\deep", L"sub", L"other"}) rows.append(Row(t / f, kWasteFolderText));
  t.file(L"other\\arrived later.txt");
  TestShell shell;
  shell.failAfterFiles = true;
  RemovalOptions options;
  options.mode = RemovalMode::DeleteDirectly;
  EXPECT_EQ(RemoveFoundRows(rows, AllRowIndices(rows), options), 5u);
  ASSERT_EQ(shell.calls.size(), 1u);
  EXPECT_EQ(shell.calls[0].sources.size(), 6u);
  EXPECT_FALSE(PathExists(t / L"sub"));
  EXPECT_TRUE(PathExists(t / L"other\\arrived later.txt"));
  EXPECT_EQ(Captions(rows.rows()), std::vector<std::wstring>{t / L"other"});
}

}  // namespace
}  // namespace wv::test
