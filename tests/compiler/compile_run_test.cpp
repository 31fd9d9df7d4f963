#include "compiler/compile_run.h"

#include <gtest/gtest.h>

#include <fstream>

#include "env/environment.h"
#include "env/files.h"
#include "env/texts.h"
#include "model/document.h"
#include "model/project.h"
#include "model/schema.h"
#include "support/test_env.h"

using namespace tessed;
using namespace tessed::compiler;
namespace fs = std::filesystem;

namespace {

struct RecordingObserver : CompileObserver {
    std::vector<std::pair<std::string, std::string>> lines;
    std::vector<std::pair<int, int>> steps;
    std::function<void()> onLog;
    void progress(int v, int m) override { steps.push_back({v, m}); }
    void log(const std::string& t, const std::string& icon) override {
        lines.push_back({t, icon});
        if (onLog) onLog();
    }
};

// Stands in for the scenario document: a file whose content is "good" loads a
// scenario that compiles, anything else loads an empty one.
void fakeLoad(const std::string& path) {
    auto& db = env::Env().master();
    schema::ClearWorkingTables(db);
    std::string content;
    if (!files::ReadFile(path, content)) throw std::runtime_error("cannot read " + path);
    if (content == "good") {
        db.execute("INSERT INTO TMP_TRIGGER (ID, ORDINE, ID_OBJ, CHI_KEY, COSA_KEY, DOVE_KEY) "
                   "VALUES (1, 1, 1, 1, 1, 2)");
        db.execute("INSERT INTO TMP_STEP_ACT (ID, ORDINE, ID_OBJ, CHI_KEY, COSA_KEY, DOVE_KEY) "
                   "VALUES (1, 1, 1, 1, 2, 2)");
    }
}

struct Fixture {
    test::FixtureEnv fx;
    std::vector<std::pair<std::string, std::string>> listings;

    std::string scenario(const std::string& name, const std::string& content) {
        fs::create_directories(fx.data() / "temp" / name);
        auto p = fx.data() / "temp" / name / (name + ".tdx");
        std::ofstream(p) << content;
        return p.string();
    }
    CompileRun make(std::vector<CompileEntry> entries, const char* mode = "COMPILEALL") {
        CompileRun run(mode, std::move(entries));
        run.setLoader(fakeLoad);
        run.setListingWriter(
            [this](const std::string& p, const std::string& e) { listings.push_back({p, e}); });
        return run;
    }
};

}  // namespace

TEST(CompileRun, FailureWritesErrAndKeepsTheOldCompiledFile) {
    Fixture f;
    std::string a = f.scenario("1.spt", "good");
    RecordingObserver obs;
    CompileResult ok = f.make({{a, "desc", "Kitchen"}}).run(obs);
    EXPECT_EQ(ok.compiled, 1);
    EXPECT_TRUE(fs::exists(CompileRun::SptPath(a)));
    ASSERT_EQ(f.listings.size(), 1u);
    EXPECT_EQ(f.listings[0].second, "");

    std::string before;
    files::ReadFile(CompileRun::SptPath(a), before);
    std::ofstream(a) << "broken";
    CompileResult bad = f.make({{a, "desc", "Kitchen"}}).run(obs);
    EXPECT_EQ(bad.failed, 1);
    std::string err, after;
    ASSERT_TRUE(files::ReadFile(CompileRun::ErrPath(a), err));
    EXPECT_FALSE(err.empty());
    ASSERT_TRUE(files::ReadFile(CompileRun::SptPath(a), after));
    EXPECT_EQ(after, before);
    EXPECT_EQ(f.listings.back().second, err);
    EXPECT_EQ(bad.summary, "Kitchen\t" + err + "\r");
    EXPECT_EQ(bad.message, bad.summary);
    // The error file is newer than nothing else: the scenario shows as failed
    // until it compiles again, and compiling again removes it.
    std::ofstream(a) << "good";
    EXPECT_EQ(f.make({{a, "desc", "Kitchen"}}).run(obs).compiled, 1);
    EXPECT_FALSE(fs::exists(CompileRun::ErrPath(a)));
}

TEST(CompileRun, EmptyPathsAreSkippedAndProgressCountsEntries) {
    Fixture f;
    std::string a = f.scenario("1.spt", "good");
    RecordingObserver obs;
    CompileResult r = f.make({{"", "x", "Nothing"}, {a, "d", "A"}}).run(obs);
    EXPECT_EQ(r.compiled, 1);
    EXPECT_EQ(f.listings.size(), 1u);
    EXPECT_EQ(obs.steps.front(), std::make_pair(0, 2));
    EXPECT_EQ(obs.steps.back(), std::make_pair(2, 2));
    for (const auto& [text, icon] : obs.lines) EXPECT_TRUE(icon == "vbblue" || icon == "vbblack" ||
                                                          icon == "vbred");
}

TEST(CompileRun, CancelFinishesTheCurrentScenarioAndTouchesNoOther) {
    Fixture f;
    std::string a = f.scenario("1.spt", "good");
    std::string b = f.scenario("2.spt", "good");
    std::string c = f.scenario("3.spt", "good");
    CompileRun run = f.make({{a, "", "A"}, {b, "", "B"}, {c, "", "C"}});
    RecordingObserver obs;
    obs.onLog = [&] { run.requestCancel(); };
    CompileResult r = run.run(obs);
    EXPECT_TRUE(r.cancelled);
    EXPECT_EQ(r.compiled, 1);
    EXPECT_TRUE(fs::exists(CompileRun::SptPath(a)));
    EXPECT_FALSE(fs::exists(CompileRun::SptPath(b)));
    EXPECT_FALSE(fs::exists(CompileRun::SptPath(c)));
    EXPECT_EQ(f.listings.size(), 1u);
    EXPECT_EQ(r.message, texts::GetText(1630));
}

TEST(CompileRun, UnreadableScenarioFailsWithoutStoppingTheRun) {
    Fixture f;
    std::string good = f.scenario("2.spt", "good");
    RecordingObserver obs;
    CompileResult r =
        f.make({{(f.fx.data() / "missing.tdx").string(), "", "Lost"}, {good, "", "G"}}).run(obs);
    EXPECT_EQ(r.failed, 1);
    EXPECT_EQ(r.compiled, 1);
    EXPECT_EQ(r.summary.rfind("Lost\t", 0), 0u);
}

TEST(CompileRun, ConfiguratorModeReportsItsFailure) {
    Fixture f;
    RecordingObserver obs;
    CompileRun run("lexora", {});
    run.setConfiguratorStarter([] { return std::string("no configurator"); });
    CompileResult r = run.run(obs);
    EXPECT_EQ(r.message, texts::GetText(1114) + "\rno configurator");
    CompileRun fine("LEXORA", {});
    fine.setConfiguratorStarter([] { return std::string(); });
    EXPECT_EQ(fine.run(obs).message, "");
}

TEST(CompileRun, ProjectScenarioCompilesFromItsFileWithListing) {
    test::FixtureEnv fx;
    fs::path folder = fx.data() / "temp" / "1.spt";
    fs::create_directories(folder);
    fs::path tdx = folder / "1.tdx";
    auto project = std::make_shared<Collezione>();
    auto s = project->Scenari()->Add("1");
    s->FullPath = tdx.string();
    s->FileName = "1.tdx";
    s->ScriptName = "Hall";
    SetCurrentProject(project);
    auto& doc = Document();
    doc.NewFile();
    ElementValues trigger;
    trigger.ID_OBJ = 1;
    trigger.CHI_KEY = 1;
    trigger.COSA_KEY = 1;
    trigger.DOVE_KEY = 2;
    trigger.area = 3;
    int32_t id = 0;
    ASSERT_TRUE(doc.InsertIntoPRJ("TMP_TRIGGER", trigger, id));
    ElementValues action = trigger;
    action.COSA_KEY = 2;
    action.area = 5;
    id = 0;
    ASSERT_TRUE(doc.InsertIntoPRJ("TMP_STEP_ACT", action, id));
    doc.SaveAs(tdx.string());
    schema::ClearWorkingTables(env::Env().master());

    RecordingObserver obs;
    CompileResult r = CompileRun("COMPILE", {{tdx.string(), "", "Hall"}}).run(obs);
    EXPECT_EQ(r.compiled, 1) << r.summary;
    EXPECT_TRUE(fs::exists(folder / "1.spt"));
    EXPECT_TRUE(fs::exists(folder / "1.csv"));
    EXPECT_FALSE(fs::exists(folder / "1.err"));
    SetCurrentProject(std::make_shared<Collezione>());
}
