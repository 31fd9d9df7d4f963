// The project window's rules without the window: node kinds, which tools are
// shown and enabled, and what the start-up opens.
#include "project/window_rules.h"

#include <gtest/gtest.h>

using namespace tessed;
using namespace tessed::project;

TEST(WindowRules, NodeKindsAndTheirScenario) {
    struct Row {
        const char* key;
        NodeKind kind;
        const char* scenario;
    };
    for (const Row& r : {Row{"COLLEZIONE", NodeKind::Project, ""},
                         {"COLLEZIONE$TASTOPANICO", NodeKind::Panic, ""},
                         {"COLLEZIONE$ALLSCENARI", NodeKind::AllScenarios, ""},
                         {"SCENARIO$12", NodeKind::Scenario, "12"},
                         {"SCENARIO$12$ABILITA", NodeKind::Enable, "12"},
                         {"SCENARIO$12$DISABILITA", NodeKind::Disable, "12"},
                         {"SCENARIO$", NodeKind::None, ""},
                         {"SCENARIO$3$OTHER", NodeKind::None, ""},
                         {"", NodeKind::None, ""}}) {
        EXPECT_EQ(KindOfNode(r.key), r.kind) << r.key;
        EXPECT_EQ(ScenarioKeyOfNode(r.key), r.scenario) << r.key;
    }
}

TEST(WindowRules, ScenarioToolsFollowTheSelection) {
    const std::vector<std::string> single = {"edit",       "compile",   "delete",
                                             "duplicate",  "esporta",   "mnuapri",
                                             "mnucompila", "delscript", "exportscript"};
    for (NodeKind k : {NodeKind::None, NodeKind::Project, NodeKind::Panic, NodeKind::AllScenarios,
                       NodeKind::Scenario, NodeKind::Enable, NodeKind::Disable}) {
        WindowSituation s;
        s.selected = k;
        s.scenarioCount = 2;
        auto t = ToolStates(s);
        const bool on = k == NodeKind::Scenario || k == NodeKind::Enable || k == NodeKind::Disable;
        for (const auto& name : single) EXPECT_EQ(t[name].enabled, on) << name << " " << int(k);
        EXPECT_TRUE(t["new"].enabled);
        EXPECT_TRUE(t["compileall"].enabled);
    }
    WindowSituation empty;
    EXPECT_FALSE(ToolStates(empty)["compileall"].enabled);
    EXPECT_FALSE(ToolStates(empty)["mnucompall"].enabled);
}

TEST(WindowRules, RecentFilesAndTheQuarnHost) {
    WindowSituation s;
    s.recentFiles = {"/a.tdj", "", "", ""};
    auto t = ToolStates(s);
    EXPECT_TRUE(t["mnufilecfg1"].visible);
    EXPECT_FALSE(t["mnufilecfg2"].visible);
    EXPECT_TRUE(t["Tool11"].visible);
    EXPECT_TRUE(t["mnusaveas"].visible);
    EXPECT_EQ(t["mnusaveprj"].captionId, 0);
    s.recentFiles = {"", "", "", ""};
    EXPECT_FALSE(ToolStates(s)["Tool11"].visible);

    s.quarnHost = true;
    s.recentFiles = {"/a.tdj", "/b.tdj", "", ""};
    t = ToolStates(s);
    for (const char* n : {"mnusaveas", "mnunewprj", "mnuapriprj", "mnufilecfg1", "mnufilecfg2",
                          "Tool11", "mnulanguage"})
        EXPECT_FALSE(t[n].visible) << n;
    EXPECT_TRUE(t["mnusaveprj"].visible);
    EXPECT_EQ(t["mnusaveprj"].captionId, 1646);
    EXPECT_EQ(SaveQuestion(true), 1651);
    EXPECT_EQ(SaveQuestion(false), 1092);
}

TEST(WindowRules, TheStartOpensWhatTheHostNamed) {
    auto exists = [](const std::string& f) { return f == "/there.tdj"; };
    struct Row {
        const char* host;
        const char* file;
        StartPlan::Kind kind;
        const char* opened;
    };
    for (const Row& r : {Row{"False", "", StartPlan::Nothing, ""},
                         {"False", "\"/there.tdj\"", StartPlan::Open, "/there.tdj"},
                         // Any other host reports a missing file when it opens it.
                         {"False", "/missing.tdj", StartPlan::Open, "/missing.tdj"},
                         {"QUARN", "/there.tdj", StartPlan::Open, "/there.tdj"},
                         {"quarn", "/missing.tdj", StartPlan::NewProject, ""},
                         {"Quarn", "", StartPlan::NewProject, ""}}) {
        HostSettings h;
        h.ParentEXEname = r.host;
        h.FileToOpen = r.file;
        StartPlan p = PlanStart(h, +exists);
        EXPECT_EQ(p.kind, r.kind) << r.host << " " << r.file;
        EXPECT_EQ(p.file, r.opened) << r.host << " " << r.file;
    }
}
