#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/publline.h"

namespace wv {
namespace {

std::vector<ListRow> Rows(std::initializer_list<const wchar_t*> captions) {
  std::vector<ListRow> rows;
  for (const wchar_t* c : captions) rows.push_back(ListRow{c, {}});
  return rows;
}

std::wstring Captions(const std::vector<ListRow>& rows) {
  std::wstring out;
  for (const ListRow& r : rows) out += (out.empty() ? L"" : L",") + r.caption;
  return out;
}

TEST(SortListByColumn, DirectionComesFromTheEndsAndAlternates) {
  const struct {
    std::vector<ListRow> rows;
    const wchar_t* first;
    const wchar_t* second;
  } cases[] = {
      // By code order "a" and "b" sort after "C": the list never counts as ascending.
      {Rows({L"b", L"a", L"C"}), L"a,b,C", L"a,b,C"},
      // Decided by code order, not by the case-blind order: "a" > "B".
      {Rows({L"a", L"c", L"B"}), L"a,B,c", L"c,B,a"},
      {Rows({L"a", L"c", L"b"}), L"c,b,a", L"a,b,c"},
      // Sizes and dates are text.
      {Rows({L"9.00 KB", L"10.00 KB", L"1.50 MB"}), L"1.50 MB,10.00 KB,9.00 KB", L"9.00 KB,10.00 KB,1.50 MB"},
      // Only ASCII letters are folded; others sort by code.
      {Rows({L"\xE9", L"\xC9", L"z"}), L"z,\xC9,\xE9", L"\xE9,\xC9,z"},
  };
  for (auto c : cases) {
    SortListByColumn(c.rows, 0);
    EXPECT_EQ(Captions(c.rows), c.first);
    SortListByColumn(c.rows, 0);
    EXPECT_EQ(Captions(c.rows), c.second);
  }
}

TEST(SortListByColumn, SubItemColumnsAndMissingOnes) {
  std::vector<ListRow> rows = {
      {L"r1", {L"x", L"B"}}, {L"r2", {L"y"}}, {L"r3", {L"z", L"a"}}, {L"r4", {L"w", L"c"}}};
  SortListByColumn(rows, 2);  // first "B" below last "c": descending; r2 has no second sub-item
  EXPECT_EQ(Captions(rows), L"r4,r1,r3,r2");
  SortListByColumn(rows, 1);  // first "w" below last "y": descending
  EXPECT_EQ(Captions(rows), L"r3,r2,r1,r4");
  SortListByColumn(rows, 1);
  EXPECT_EQ(Captions(rows), L"r4,r1,r2,r3");

  std::vector<ListRow> none;
  SortListByColumn(none, 0);
  std::vector<ListRow> one = Rows({L"x"});
  SortListByColumn(one, 3);
  EXPECT_EQ(Captions(one), L"x");
}

TEST(MoveListItem, LandsBeforeOrAfterTheTarget) {
  const struct {
    int source, target;
    const wchar_t* order;
    int index;
  } cases[] = {
      {0, 2, L"B,C,A,D,E", 2},   // moved down: just after the target
      {3, 1, L"A,D,B,C,E", 1},   // moved up: just before it
      {0, 4, L"B,C,D,E,A", 4},
      {4, 0, L"E,A,B,C,D", 0},
      {1, -1, L"A,C,D,E,B", 4},  // no row under the drop point: the last row
      {1, 99, L"A,C,D,E,B", 4},
      {2, 2, L"A,B,C,D,E", 2},
      {4, -1, L"A,B,C,D,E", 4},
      {-1, 2, L"A,B,C,D,E", -1},  // nothing selected
      {5, 0, L"A,B,C,D,E", -1},
  };
  for (const auto& c : cases) {
    std::vector<ListRow> rows = Rows({L"A", L"B", L"C", L"D", L"E"});
    rows[static_cast<std::size_t>(c.source >= 0 && c.source < 5 ? c.source : 0)].sub = {L"kept"};
    const int index = MoveListItem(rows, c.source, c.target);
    EXPECT_EQ(Captions(rows), c.order) << c.source << L"->" << c.target;
    EXPECT_EQ(index, c.index) << c.source << L"->" << c.target;
    if (index >= 0) {
      EXPECT_EQ(rows[static_cast<std::size_t>(index)].sub, std::vector<std::wstring>{L"kept"});
    }
  }
  std::vector<ListRow> empty;
  EXPECT_EQ(MoveListItem(empty, 0, 0), -1);
  EXPECT_EQ(MoveListItem(empty, 0, -1), -1);
}

}  // namespace
}  // namespace wv
