// The typed rows a page keeps beside its list rows stay in step with them, so a
// row always acts on its own entry.
#include <gtest/gtest.h>

#include "core/resultrows.h"

namespace wv {
namespace {

struct Found {
  std::wstring path;
  std::uint64_t size = 0;
};

TEST(ResultRows, RemovalAndUpdateKeepBothSidesInStep) {
  RowModel model;
  std::vector<RowModel::Change> notices;
  model.setObserver([&](RowModel::Change c, std::size_t) { notices.push_back(c); });
  ResultRows<Found> rows(model, [](const Found& f) { return ListRow{f.path, {std::to_wstring(f.size)}}; });
  auto sink = rows.sink();
  for (int i = 0; i < 6; ++i) sink(Found{L"C:\\f" + std::to_wstring(i), static_cast<std::uint64_t>(i * 10)});
  const auto inStep = [&](const std::wstring& expected) {
    std::wstring paths;
    ASSERT_EQ(rows.size(), model.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
      EXPECT_EQ(model.at(i).caption, rows.at(i).path) << i;
      EXPECT_EQ(model.at(i).column(1), std::to_wstring(rows.at(i).size)) << i;
      paths += rows.at(i).path + L";";
    }
    EXPECT_EQ(paths, expected);
  };
  notices.clear();
  rows.eraseMany({4, 1, 99, 3, 1});  // out of order, repeated and out of range: rows 1, 3 and 4 go, in one notice
  inStep(L"C:\\f0;C:\\f2;C:\\f5;");
  EXPECT_EQ(notices, std::vector<RowModel::Change>{RowModel::Change::RemovedMany});
  notices.clear();
  rows.eraseMany({7, 8});
  EXPECT_TRUE(notices.empty()) << "nothing valid to remove tells nobody";
  rows.update(1, Found{L"D:\\moved", 5});
  inStep(L"C:\\f0;D:\\moved;C:\\f5;");
  rows.clear();
  EXPECT_TRUE(model.empty());
}

}  // namespace
}  // namespace wv
