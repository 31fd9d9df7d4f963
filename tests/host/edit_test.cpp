#include "edit.h"

#include <gtest/gtest.h>

#include "env/environment.h"
#include "env/state.h"
#include "support/test_env.h"
#include "tessed40.h"

using namespace tessed;

TEST(Edit, NewInstanceHasTheInitialValuesAndBecomesCurrent) {
    test::FixtureEnv fx(false);
    Flags().started = true;
    Flags().projectChanged = true;
    Edit a;
    EXPECT_EQ(a.ParentEXEname(), "False");
    EXPECT_FALSE(a.TEXTID());
    EXPECT_FALSE(Flags().started);
    EXPECT_FALSE(Flags().projectChanged);
    EXPECT_EQ(Edit::Current(), &a);
    {
        Edit b;
        EXPECT_EQ(Edit::Current(), &b);
        // Properties are process-wide: one instance sees what another set.
        b.setProjectName("Villa");
        b.setSysAddressGateway(7);
        EXPECT_EQ(a.ProjectName(), "Villa");
        EXPECT_EQ(a.SysAddressGateway(), 7);
    }
    EXPECT_EQ(Edit::Current(), nullptr);
}

TEST(Edit, ResetClearsTheFlagsButNotTheProperties) {
    test::FixtureEnv fx(false);
    Edit e;
    e.setProjectFile("/p/x.tdj");
    Flags() = RuntimeFlags{true, true, true, true, 42};
    e.Reset();
    EXPECT_FALSE(Flags().started);
    EXPECT_FALSE(Flags().systemDbFailed);
    EXPECT_FALSE(Flags().projectChanged);
    EXPECT_FALSE(Flags().scenarioChanged);
    EXPECT_EQ(Flags().editorWorkValue, 0);
    EXPECT_EQ(e.ProjectFile(), "/p/x.tdj");
}

TEST(Edit, BatchFunctionsReportMissingFilesAndWindowsStateIgnoresOtherValues) {
    test::FixtureEnv fx(false);
    Edit e;
    EXPECT_EQ(e.DOINFOXML((fx.data() / "missing.tdj").string()), 1);
    EXPECT_EQ(e.MAKECSV((fx.data() / "missing.tdj").string(), "/tmp/x.csv"), 1);
    std::vector<int> seen;
    ProjectBatch batch;
    batch.windowsState = [&](int32_t v) { seen.push_back(v); };
    SetProjectBatch(batch);
    e.setWindowsState(2);
    e.setWindowsState(-1);
    e.setWindowsState(1);
    e.setWindowsState(0);
    SetProjectBatch({});
    EXPECT_EQ(seen, (std::vector<int>{1, 0}));
}

TEST(Edit, ShowWithoutUserInterfaceRaisesAppEnd) {
    test::FixtureEnv fx(false);
    test::ScopedMessages msgs;
    Edit e;
    int ended = 0;
    e.setAppEndHandler([&] { ++ended; });
    e.Show();
    EXPECT_EQ(ended, 1);
    EXPECT_EQ(msgs->calls.size(), 1u);
}

TEST(CInterface, TextGettersReportTheFullLength) {
    test::FixtureEnv fx(false);
    tessed_edit* e = tessed_edit_create();
    ASSERT_NE(e, nullptr);
    char small[4];
    EXPECT_EQ(tessed_edit_get_ParentEXEname(e, small, sizeof small), 5u);
    EXPECT_STREQ(small, "Fal");
    EXPECT_EQ(tessed_edit_get_ParentEXEname(e, nullptr, 0), 5u);
    tessed_edit_put_ProjectName(e, "Casa \xC3\xA8");
    char buf[32];
    tessed_edit_get_ProjectName(e, buf, sizeof buf);
    EXPECT_STREQ(buf, "Casa \xC3\xA8");
    tessed_edit_put_TEXTID(e, 5);
    EXPECT_EQ(tessed_edit_get_TEXTID(e), 1);
    tessed_edit_put_ParentHandle(e, 0x1234567890LL);
    EXPECT_EQ(tessed_edit_get_ParentHandle(e), 0x1234567890LL);
    static int ended;
    ended = 0;
    tessed_edit_set_AppEnd(
        e, [](void* u) { ++*static_cast<int*>(u); }, &ended);
    {
        test::ScopedMessages msgs;
        tessed_edit_Show(e);
    }
    EXPECT_EQ(ended, 1);
    EXPECT_EQ(tessed_edit_CanRun(e, ""), 1);
    tessed_edit_destroy(e);
}
