// A fault inside a scan: the run still ends (caption, run state, gauge, side bar
// and the page's buttons back to idle) and the fault is written to the log
// beside the program, with the handler that met it.

#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>

#include "app/appfixture.h"
#include "app/runprotocol.h"
#include "cleaning/cleaning_fixtures.h"
#include "cleaning/wjqlpage.h"
#include "cleaning/wjrcpage.h"
#include "core/text.h"
#include "support/testsupport.h"

namespace wv::test {
namespace {

// Every folder search fails with an exception, as a fault deep in an engine would.
class ThrowingFiles : public Win32FileSystem {
 public:
  ThrowingFiles() : swap_(&Platform::files, *this) {}
  std::unique_ptr<DirSearch> search(std::wstring_view pattern, bool foldersOnly) override {
    if (armed) throw std::runtime_error("search refused");
    return Win32FileSystem::search(pattern, foldersOnly);
  }
  bool armed = true;

 private:
  Substitute<FileSystem> swap_;
};

// The log as it was before the test, put back afterwards.
class KeptLog {
 public:
  explicit KeptLog(std::wstring path) : path_(std::move(path)), existed_(PathExists(path_)) {
    if (existed_) before_ = ReadBytes(path_);
  }
  ~KeptLog() {
    if (existed_) WriteBytes(path_, before_);
    else DeleteFileW(path_.c_str());
  }
  // What the test added to the log.
  [[nodiscard]] std::wstring added() const {
    if (!PathExists(path_)) return {};
    const std::string now = ReadBytes(path_);
    return ToWide(now.substr(std::min(now.size(), before_.size())));
  }

 private:
  std::wstring path_;
  bool existed_;
  std::string before_;
};

// The press as the system delivers it, through the page's window procedure.
void Press(Button& button) {
  HWND h = button.handle();
  SendMessageW(GetParent(h), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(h), BN_CLICKED), reinterpret_cast<LPARAM>(h));
}

using RunFaultTest = FormTest;

TEST_F(RunFaultTest, AFaultEndsTheRunAndIsLoggedBesideTheProgram) {
  Planted t(L"fault");
  t.file(L"a.tmp");
  struct Case {
    const wchar_t* handler;
    std::function<void(TestShell&)> press;
    Button* start;
    std::function<bool()> idle;  // the page's own buttons back
  };
  WjqlPage& junk = form->page<WjqlPage>();
  WjrcPage& daily = form->page<WjrcPage>();
  const Case cases[] = {
      {L"wjql_smselClick",
       [&](TestShell& shell) {
         shell.folders.push_back(t.root());
         Press(junk.wjql_smsel);
       },
       &junk.wjql_sm, [&] { return junk.wjql_runstate == 0 && junk.wjql_smsel.enabled(); }},
      {L"wjrc_smClick", [&](TestShell&) { Press(daily.wjrc_sm); }, &daily.wjrc_sm,
       [&] { return daily.wjrc_runstate == 0 && daily.wjrc_selfadd.enabled() && daily.wjrc_selfdel.enabled(); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.handler);
    KeptLog log(form->programFolder + std::wstring(kFaultLogName));
    TestShell shell;
    {
      ThrowingFiles files;
      c.press(shell);
    }
    EXPECT_EQ(c.start->caption(), L"扫描");
    EXPECT_TRUE(c.idle());
    EXPECT_TRUE(form->ToolsEnabled());
    EXPECT_FALSE(form->zdk_runprog.visible());
    EXPECT_EQ(form->zdk_runinfo.text(), kFaultStatusText);
    const std::wstring added = log.added();
    EXPECT_NE(added.find(std::wstring(L"  ") + c.handler + L"  search refused\r\n"), std::wstring::npos) << added;
    EXPECT_EQ(added.find(L'\n'), added.size() - 1) << "one line per fault";
    // The page works on: the next scan runs to its end.
    c.press(shell);
    EXPECT_NE(form->zdk_runinfo.text(), kFaultStatusText);
    EXPECT_EQ(c.start->caption(), L"扫描");
  }
}

}  // namespace
}  // namespace wv::test
