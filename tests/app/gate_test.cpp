// The one-shot administrator gate: the window shows only after it, and a user
// outside the administrators group is told so and the program ends unsaved.

#include "app/infoform.h"
#include "appfixture.h"
#include "platform/platform.h"
#include "support/testsupport.h"

namespace wv::test {
namespace {

// The system as a user outside the administrators group sees it.
class NoAdminSystem : public SystemInfo {
 public:
  explicit NoAdminSystem(SystemInfo& real) : real_(real) {}
  std::optional<std::vector<SidBytes>> tokenGroups() override {
    std::vector<SidBytes> groups = real_.tokenGroups().value_or(std::vector<SidBytes>{});
    const SidBytes admins = real_.administratorsGroup();
    std::erase(groups, admins);
    return groups;
  }
  SidBytes administratorsGroup() override { return real_.administratorsGroup(); }
  OsVersion version() override { return real_.version(); }

 private:
  SystemInfo& real_;
};

struct GateRun {
  std::unique_ptr<Tfrmmain> form;
  std::shared_ptr<int> saves = std::make_shared<int>(0);
  bool visibleBeforeGate = true;
};

GateRun StartWithGate() {
  GateRun run;
  FormOptions options;
  options.quitOnDestroy = false;
  options.onSaveSettings = [saves = run.saves] { ++*saves; };
  run.form = std::make_unique<Tfrmmain>(std::move(options));
  run.form->create();
  run.visibleBeforeGate = IsWindowVisible(run.form->handle()) != FALSE;
  return run;
}

TEST(GateTest, AnAdministratorGetsTheWindowAfterTheGate) {
  ASSERT_TRUE(IsAdmin()) << "the test prefix runs as an administrator";
  GateRun run = StartWithGate();
  EXPECT_FALSE(run.visibleBeforeGate);
  EXPECT_TRUE(PumpUntil([&] { return IsWindowVisible(run.form->handle()) != FALSE; }));
  run.form.reset();
  Pump(10);
}

TEST(GateTest, AnyOtherUserIsToldAndTheProgramEndsWithoutSaving) {
  NoAdminSystem fake(Sys());
  Substitute<SystemInfo> swap(&Platform::system, fake);
  ASSERT_FALSE(IsAdmin());
  ScriptedMsgBox boxes;
  boxes.answer(IDOK);
  GateRun run = StartWithGate();
  HWND hwnd = run.form->handle();
  EXPECT_FALSE(run.visibleBeforeGate);
  bool everVisible = false;
  EXPECT_TRUE(PumpUntil([&] {
    everVisible = everVisible || (IsWindow(hwnd) && IsWindowVisible(hwnd));
    return !IsWindow(hwnd);
  }));
  EXPECT_FALSE(everVisible);
  ASSERT_EQ(boxes.shown().size(), 1u);
  EXPECT_EQ(boxes.shown()[0].icon, 2);
  EXPECT_EQ(boxes.shown()[0].buttons, 1);
  EXPECT_EQ(boxes.shown()[0].heading, L"权限不够");
  EXPECT_EQ(boxes.shown()[0].text, L"只有以系统管理员的身份登录才能使用本软件！");
  EXPECT_EQ(*run.saves, 0);
  run.form.reset();
  Pump(10);
}

}  // namespace
}  // namespace wv::test
