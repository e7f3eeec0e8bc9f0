// The typed rows a page keeps beside its list rows stay in step with them.

#include <gtest/gtest.h>

#include "core/resultrows.h"

namespace wv {
namespace {

struct Found {
  std::wstring path;
  std::uint64_t size = 0;
};

ListRow Shown(const Found& f) {
  ListRow row;
  row.caption = f.path;
  row.sub.push_back(std::to_wstring(f.size));
  row.size = f.size;
  return row;
}

// Each struct and its shown row describe the same thing, at the same index.
void ExpectInStep(const ResultRows<Found>& rows) {
  ASSERT_EQ(rows.size(), rows.model().size());
  for (std::size_t i = 0; i < rows.size(); ++i) {
    EXPECT_EQ(rows.model().at(i).caption, rows.at(i).path) << i;
    EXPECT_EQ(rows.model().at(i).size, rows.at(i).size) << i;
  }
}

TEST(ResultRows, EngineSinkRemovalAndUpdateKeepBothSidesInStep) {
  RowModel model;
  std::vector<std::pair<RowModel::Change, std::size_t>> notices;
  model.setObserver([&](RowModel::Change c, std::size_t i) { notices.emplace_back(c, i); });
  ResultRows<Found> rows(model, Shown);

  auto sink = rows.sink();
  for (int i = 0; i < 6; ++i) sink(Found{L"C:\\f" + std::to_wstring(i), static_cast<std::uint64_t>(i * 10)});
  ExpectInStep(rows);
  EXPECT_EQ(model.at(3).column(1), L"30");

  // Out of order, repeated and out of range: rows 1, 3 and 4 go, in one notice.
  notices.clear();
  rows.eraseMany({4, 1, 99, 3, 1});
  ExpectInStep(rows);
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows.at(0).path, L"C:\\f0");
  EXPECT_EQ(rows.at(1).path, L"C:\\f2");
  EXPECT_EQ(rows.at(2).path, L"C:\\f5");
  ASSERT_EQ(notices.size(), 1u);
  EXPECT_EQ(notices[0].first, RowModel::Change::RemovedMany);

  // Nothing valid to remove changes nothing and tells nobody.
  notices.clear();
  rows.eraseMany({7, 8});
  EXPECT_TRUE(notices.empty());
  EXPECT_EQ(rows.size(), 3u);

  rows.update(1, Found{L"D:\\moved", 5});
  ExpectInStep(rows);
  EXPECT_EQ(model.at(1).column(1), L"5");

  rows.clear();
  EXPECT_TRUE(rows.empty());
  EXPECT_TRUE(model.empty());
}

}  // namespace
}  // namespace wv
