// The other-traces page in the real main window: the result texts of a scan and
// a clean, the question before a clean, a stop in the middle, the tick labels.

#include <gtest/gtest.h>

#include <algorithm>

#include "app/appfixture.h"
#include "cleaning/qtrcline.h"
#include "cleaning/qtrcpage.h"
#include "core/publline.h"
#include "support/testsupport.h"
#include "tracesoft_support.h"

namespace wv::test {
namespace {

// A cache whose search presses the page's stop button while handing out its second entry.
class StoppingCache : public UrlCache {
 public:
  explicit StoppingCache(Button& stop) : stop_(stop) {}
  std::unique_ptr<UrlCacheSearch> find(std::wstring_view, std::uint32_t) override {
    struct Search : UrlCacheSearch {
      Search(Button& b) : stop(b) {}
      bool next(UrlCacheEntry& e) override {
        if (++handed == 2) stop.click();
        e.url = L"http://stop.invalid/" + std::to_wstring(handed);
        return handed <= 5;
      }
      Button& stop;
      int handed = 0;
    };
    return std::make_unique<Search>(stop_);
  }
  bool deleteEntry(std::wstring_view) override { return true; }
  bool clearHistory() override { return true; }

 private:
  Button& stop_;
};

class QtrcPageTest : public FormTest {
 protected:
  void SetUp() override {
    FormTest::SetUp();
    for (std::wstring_view p : {L"", L"Visited:", L"Cookie:"}) EmptyCacheContainer(p);
    logs.logs[L"Application"] = {3, true};
    logs.logs[L"Security"] = {std::nullopt, true};
  }
  void TearDown() override {
    for (std::wstring_view p : {L"", L"Visited:", L"Cookie:"}) EmptyCacheContainer(p);
    FormTest::TearDown();
  }
  QtrcPage& page() { return form->page<QtrcPage>(); }
  std::vector<std::wstring> results() {
    std::vector<std::wstring> out;
    for (int i = 0; i < page().qtrc_showlist.count(); ++i) out.push_back(page().qtrc_showlist.text(i, 2));
    return out;
  }
  void tickOnly(std::initializer_list<int> rows) {
    for (int i = 0; i < page().qtrc_showlist.count(); ++i)
      page().qtrc_showlist.setChecked(i, std::find(rows.begin(), rows.end(), i) != rows.end());
  }

  FakeEventLogs logs;
  Substitute<EventLogs> logsInPlace{&Platform::eventLogs, logs};
  TypedUrlsGuard typed;  // the real key, put back afterwards
};

TEST_F(QtrcPageTest, ScanAllWritesEveryRowsResultTicksOrNot) {
  PlantCacheEntry(TestUrl(L"", L"a.txt"), NORMAL_CACHE_ENTRY, "12345");
  PlantCacheEntry(TestUrl(L"", L"b.txt"), NORMAL_CACHE_ENTRY, "1234567");
  const std::wstring cookie = TestUrl(L"Cookie:", L"");
  PlantCacheEntry(cookie, COOKIE_CACHE_ENTRY, "gone=1");
  ASSERT_TRUE(DeleteFileW(CacheLocalFile(cookie).c_str()));
  typed.plant(2);
  tickOnly({});
  page().qtrc_sm.click();
  EXPECT_EQ(results(), (std::vector<std::wstring>{L"共 2 项,占用 12.00 B 硬盘空间", L"干净", L"共 2 项", L"共 1 项",
                                                  L"共 3 项", L"扫描失败", L"扫描失败"}));
  EXPECT_EQ(page().qtrc_sm.caption(), L"全部扫描");
  EXPECT_TRUE(page().qtrc_delsel.enabled());
  EXPECT_EQ(page().qtrc_runstate, 0);
}

TEST_F(QtrcPageTest, CleanAsksFirstAndCleansOnlyTheTickedRows) {
  const std::wstring url = TestUrl(L"", L"c.txt");
  PlantCacheEntry(url, NORMAL_CACHE_ENTRY, "abc");
  typed.plant(1);
  ScriptedMsgBox box;
  tickOnly({});
  page().qtrc_delsel.click();
  EXPECT_TRUE(box.shown().empty());  // nothing ticked: no question, nothing done

  tickOnly({0, 4, 5});
  page().qtrc_delsel.click();  // declined
  ExpectAskedOnce(box, L"其它清理", L"您“确定”清理当前选中的信息吗？");
  EXPECT_TRUE(CacheHas(url));

  box.answer(IDOK);
  page().qtrc_delsel.click();
  EXPECT_EQ(results(), (std::vector<std::wstring>{L"清理完成", L"", L"", L"", L"清理完成", L"清理失败", L""}));
  EXPECT_FALSE(CacheHas(url));
  EXPECT_EQ(logs.cleared, std::vector<std::wstring>{L"Application"});
  EXPECT_EQ(page().qtrc_delsel.caption(), L"选定清理");
  EXPECT_TRUE(page().qtrc_sm.enabled());
}

TEST_F(QtrcPageTest, AStopInTheContentScanEmptiesItsCellAndSkipsTheRest) {
  page().qtrc_sm.click();  // every cell filled once
  StoppingCache cache(page().qtrc_sm);
  Substitute<UrlCache> inPlace(&Platform::urlCache, cache);
  page().qtrc_sm.click();
  EXPECT_EQ(results(), std::vector<std::wstring>(7, L""));
  EXPECT_EQ(page().qtrc_runstate, 0);
  EXPECT_EQ(page().qtrc_sm.caption(), L"全部扫描");
}

TEST_F(QtrcPageTest, DefaultAndSelectAllLabels) {
  page().qtrc_sel.click();
  EXPECT_EQ(page().qtrc_showlist.checkedCount(), 7);
  EXPECT_EQ(page().qtrc_sel.caption(), L"全否");
  page().qtrc_sel.click();
  EXPECT_EQ(page().qtrc_showlist.checkedCount(), 0);
  EXPECT_EQ(page().qtrc_sel.caption(), L"全选");
  page().qtrc_mr.click();
  EXPECT_TRUE(page().qtrc_showlist.checked(0) && page().qtrc_showlist.checked(1));
  EXPECT_EQ(page().qtrc_showlist.checkedCount(), 2);
}

}  // namespace
}  // namespace wv::test
