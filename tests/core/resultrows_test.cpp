// The typed rows a page keeps beside its list rows stay in step with them, so a
// row always acts on its own entry (the list model's own removal rules are pinned
// in the controls' tests).
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
  ResultRows<Found> rows(model, [](const Found& f) { return ListRow{f.path, {std::to_wstring(f.size)}}; });
  auto sink = rows.sink();
  for (int i = 0; i < 6; ++i) sink(Found{L"C:\\f" + std::to_wstring(i), static_cast<std::uint64_t>(i * 10)});
  const auto inStep = [&](const std::wstring& expected) {
    std::wstring shown;
    ASSERT_EQ(rows.size(), model.size());
    for (std::size_t i = 0; i < rows.size(); ++i)
      shown += rows.at(i).path + L"=" + model.at(i).caption + L"," + model.at(i).column(1) + L"=" +
               std::to_wstring(rows.at(i).size) + L";";
    EXPECT_EQ(shown, expected);
  };
  rows.eraseMany({4, 1, 99, 3, 1});
  inStep(L"C:\\f0=C:\\f0,0=0;C:\\f2=C:\\f2,20=20;C:\\f5=C:\\f5,50=50;");
  rows.eraseMany({7, 8});
  rows.update(1, Found{L"D:\\moved", 5});
  inStep(L"C:\\f0=C:\\f0,0=0;D:\\moved=D:\\moved,5=5;C:\\f5=C:\\f5,50=50;");
  rows.clear();
  EXPECT_TRUE(model.empty());
}

}  // namespace
}  // namespace wv
