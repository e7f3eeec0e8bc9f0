#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/knownfolders.h"
#include "registry/regresults.h"
#include "registry/regscan_fixtures.h"
#include "support/testsupport.h"

namespace wv::test::regscan {
namespace {

constexpr RegRoot kCU = RegRoot::CurrentUser;

// Text rows follow their entries through deletions; each deletion acts on the
// row's own value, and a row whose value changed leaves the list untouched.
TEST(RegistryResults, RowsKeepTheirEntriesThroughDeletion) {
  TempKey temp(L"results");
  TempFolder folder(L"results");
  const std::wstring key = L"\\" + temp.path();
  const std::wstring gone = folder / L"gone.exe";
  Planted plant;
  for (const std::wstring name : {L"", L"REG_D-E-F", L"a", L"b"}) plant.text(kCU, key, name, gone);

  const KnownFolders known = ResolveKnownFolders();
  const RedundancyRules rules(known);
  ScanRun run;
  RegistryResults results;
  std::size_t found = 0;
  ASSERT_TRUE(ScanKeyTree(kCU, key, rules, run, [&](RegistryRow&& r) { results.add(std::move(r), 8); }, found));
  ASSERT_EQ(results.size(), 4u);
  ASSERT_EQ(results.model().size(), 4u);

  std::size_t unnamed = 0, literal = 0, a = 0;
  for (std::size_t i = 0; i < results.size(); ++i) {
    const ListRow& text = results.model().at(i);
    EXPECT_EQ(text.caption, L"HKEY_CURRENT_USER");
    EXPECT_EQ(text.column(1), key);
    EXPECT_EQ(text.column(3), gone);
    EXPECT_EQ(text.image, 8);
    const std::wstring& name = results.entry(i).valueName;
    if (name.empty()) unnamed = i;
    if (name == L"REG_D-E-F") literal = i;
    if (name == L"a") a = i;
  }
  EXPECT_EQ(results.model().at(unnamed).column(2), L"REG_D-E-F");
  EXPECT_EQ(results.model().at(literal).column(2), L"REG_D-E-F");
  EXPECT_EQ(RegistryEditorPath(results.entry(a)), L"HKEY_CURRENT_USER" + key);

  plant.text(kCU, key, L"a", gone + L".new");  // changed since the scan
  EXPECT_EQ(results.deleteRows({literal, a}), 1u);
  ASSERT_EQ(results.size(), 2u);
  ASSERT_EQ(results.model().size(), 2u);
  for (std::size_t i = 0; i < results.size(); ++i)
    EXPECT_EQ(results.model().at(i).column(2), ValueNameCell(results.entry(i)));
  auto k = Reg().openKey(kCU, key);
  ASSERT_TRUE(k);
  EXPECT_FALSE(k->valueExists(L"REG_D-E-F"));
  EXPECT_TRUE(k->valueExists(L"")) << "the unnamed value is another value";
  EXPECT_TRUE(k->valueExists(L"a")) << "changed since the scan";

  EXPECT_EQ(results.deleteRows({0, 1, 7}), 2u);
  EXPECT_TRUE(results.empty());
  EXPECT_TRUE(results.model().empty());
  EXPECT_FALSE(k->valueExists(L""));
  EXPECT_FALSE(k->valueExists(L"b"));
}

// A key row shows an empty value-name cell, never the marker.
TEST(RegistryResults, KeyRowsShowNoValueName) {
  RegistryRow row;
  row.root = RegRoot::LocalMachine;
  row.keyPath = L"\\Software\\Vendor";
  row.kind = RegRowKind::Key;
  row.display = L"无效安装";
  const ListRow text = RegistryListRow(row, 0);
  EXPECT_EQ(text.column(2), L"");
  EXPECT_EQ(text.column(3), L"无效安装");
  row.kind = RegRowKind::Value;
  EXPECT_EQ(RegistryListRow(row, 0).column(2), L"REG_D-E-F");
}

}  // namespace
}  // namespace wv::test::regscan
