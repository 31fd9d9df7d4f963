#include "compiler/compile_run.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <fstream>
#include <mutex>

#include "compiler/listing.h"
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
void fakeLoad(Workspace& ws, const std::string& path) {
    auto& db = ws.connection;
    schema::ClearWorkingTables(db);
    std::string content;
    if (!files::ReadFile(path, content)) throw std::runtime_error("cannot read " + path);
    if (content == "good") {
        db.execute(
            "INSERT INTO TMP_TRIGGER (ID, ORDINE, ID_OBJ, CHI_KEY, COSA_KEY, DOVE_KEY) "
            "VALUES (1, 1, 1, 1, 1, 2)");
        db.execute(
            "INSERT INTO TMP_STEP_ACT (ID, ORDINE, ID_OBJ, CHI_KEY, COSA_KEY, DOVE_KEY) "
            "VALUES (1, 1, 1, 1, 2, 2)");
    }
}

struct Fixture {
    test::FixtureEnv fx;
    std::mutex m;  // the listing writer runs on the workers
    std::vector<std::pair<std::string, std::string>> listings;

    std::string scenario(const std::string& name, const std::string& content) {
        fs::create_directories(fx.data() / "temp" / name);
        auto p = fx.data() / "temp" / name / (name + ".tdx");
        std::ofstream(p) << content;
        return p.string();
    }
    std::unique_ptr<CompileRun> make(std::vector<CompileEntry> entries,
                                     const char* mode = "COMPILEALL") {
        auto run = std::make_unique<CompileRun>(mode, std::move(entries));
        run->setLoader(fakeLoad);
        run->setListingWriter([this](db::Database&, const CompileEntry& e, const std::string& err) {
            std::lock_guard<std::mutex> lock(m);
            listings.push_back({e.path, err});
        });
        return run;
    }
};

// A compiler driven by a script, with its Operation event open to the script.
struct Scripted : Kernix {
    using Script =
        std::function<void(Scripted& self, db::Database& c, const std::string& spt,
                           const std::string& name, std::string& error, int32_t& status)>;
    Script script;
    explicit Scripted(Script s) : script(std::move(s)) {}
    void Compile(db::Database& c, const std::string& spt, const std::string&,
                 const std::string& name, std::string& error, int32_t& status) override {
        script(*this, c, spt, name, error, status);
    }
    void say(const std::string& text, uint32_t colour) { Operation(text, colour); }
    const Abilita& enable() const { return enableCommand(); }
};

}  // namespace

TEST(CompileRun, FailureWritesErrAndKeepsTheOldCompiledFile) {
    Fixture f;
    std::string a = f.scenario("1.spt", "good");
    RecordingObserver obs;
    CompileResult ok = f.make({{a, "desc", "Kitchen"}})->run(obs);
    EXPECT_EQ(ok.compiled, 1);
    EXPECT_TRUE(fs::exists(CompileRun::SptPath(a)));
    EXPECT_EQ(ok.message, texts::GetText(1635));
    ASSERT_EQ(f.listings.size(), 1u);
    EXPECT_EQ(f.listings[0].second, "");
    EXPECT_EQ(files::ScenarioCompileState(a), -1);

    std::string before;
    files::ReadFile(CompileRun::SptPath(a), before);
    std::ofstream(a) << "broken";
    CompileResult bad = f.make({{a, "desc", "Kitchen"}})->run(obs);
    EXPECT_EQ(bad.failed, 1);
    std::string err, after;
    ASSERT_TRUE(files::ReadFile(CompileRun::ErrPath(a), err));
    EXPECT_FALSE(err.empty());
    ASSERT_TRUE(files::ReadFile(CompileRun::SptPath(a), after));
    EXPECT_EQ(after, before);
    EXPECT_EQ(f.listings.back().second, err);
    EXPECT_EQ(bad.summary, "Kitchen\t" + err + "\r");
    EXPECT_EQ(bad.message, bad.summary);
    // However close together the two compiles were, the scenario is failed
    // until it compiles again, and compiling again removes the error file.
    EXPECT_EQ(files::ScenarioCompileState(a), 1);
    std::ofstream(a) << "good";
    EXPECT_EQ(f.make({{a, "desc", "Kitchen"}})->run(obs).compiled, 1);
    EXPECT_FALSE(fs::exists(CompileRun::ErrPath(a)));
    EXPECT_EQ(files::ScenarioCompileState(a), -1);
}

TEST(CompileRun, EmptyPathsAreSkippedAndProgressCountsEntries) {
    Fixture f;
    std::string a = f.scenario("1.spt", "good");
    RecordingObserver obs;
    CompileResult r = f.make({{"", "x", "Nothing"}, {a, "d", "A"}})->run(obs);
    EXPECT_EQ(r.compiled, 1);
    EXPECT_EQ(f.listings.size(), 1u);
    EXPECT_EQ(obs.steps, (std::vector<std::pair<int, int>>{{0, 2}, {2, 2}}));
    for (const auto& [text, icon] : obs.lines)
        EXPECT_TRUE(icon == "vbblue" || icon == "vbblack" || icon == "vbred");
}

TEST(CompileRun, CancelFinishesTheCurrentScenarioAndTouchesNoOther) {
    Fixture f;
    std::string a = f.scenario("1.spt", "good");
    std::string b = f.scenario("2.spt", "good");
    std::string c = f.scenario("3.spt", "good");
    auto run = f.make({{a, "", "A"}, {b, "", "B"}, {c, "", "C"}});
    run->setWorkers(1);
    RecordingObserver obs;
    obs.onLog = [&] { run->requestCancel(); };
    CompileResult r = run->run(obs);
    EXPECT_TRUE(r.cancelled);
    EXPECT_EQ(r.compiled, 1);
    EXPECT_TRUE(fs::exists(CompileRun::SptPath(a)));
    EXPECT_FALSE(fs::exists(CompileRun::SptPath(b)));
    EXPECT_FALSE(fs::exists(CompileRun::SptPath(c)));
    EXPECT_EQ(f.listings.size(), 1u);
    EXPECT_EQ(r.message, texts::GetText(1630));
}

TEST(CompileRun, UnreadableScenarioOrConnectionFailsWithoutStoppingTheRun) {
    Fixture f;
    std::string good = f.scenario("2.spt", "good");
    RecordingObserver obs;
    CompileResult r =
        f.make({{(f.fx.data() / "missing.tdx").string(), "", "Lost"}, {good, "", "G"}})->run(obs);
    EXPECT_EQ(r.failed, 1);
    EXPECT_EQ(r.compiled, 1);
    EXPECT_EQ(r.summary.rfind("Lost\t", 0), 0u);

    // Without a connection every scenario fails with the reason, and gets its
    // error file so that it shows as failed.
    auto run = f.make({{good, "", "G"}});
    run->setConnectionOpener([]() -> db::Database { throw db::Error("database locked"); });
    RecordingObserver none;
    CompileResult n = run->run(none);
    EXPECT_EQ(n.failed, 1);
    EXPECT_EQ(n.summary, "G\tdatabase locked\r");
    EXPECT_EQ(none.lines,
              (std::vector<std::pair<std::string, std::string>>{{"database locked", "vbred"}}));
    EXPECT_EQ(test::ReadText(CompileRun::ErrPath(good)), "database locked");
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

TEST(CompileRun, ScenariosLoadIntoTheRunsOwnConnectionWithTheirRecord) {
    test::FixtureEnv fx;
    fs::path folder = fx.data() / "temp" / "1.spt";
    fs::create_directories(folder);
    fs::path tdx = folder / "1.tdx";
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
    // The editor goes on with a scenario of its own in the master's tables.
    doc.NewFile();
    ASSERT_TRUE(doc.InsertIntoPRJ("TMP_TRIGGER", trigger, id));

    ListingScenario record;
    record.fullPath = tdx.string();
    record.fileName = "1.tdx";
    record.scriptName = "Hall";
    record.abilita.TypeCMD = 1;
    record.abilita.Pulsante = 5;
    RecordingObserver obs;
    CompileRun run("COMPILE", {{tdx.string(), "", "Hall", record}});
    CompileResult r = run.run(obs);
    EXPECT_EQ(r.compiled, 1) << r.summary;
    EXPECT_TRUE(fs::exists(folder / "1.spt"));
    EXPECT_NE(test::ReadText(folder / "1.spt").find("enable=*15*05"), std::string::npos);
    ASSERT_TRUE(fs::exists(folder / "1.csv"));
    EXPECT_NE(test::ReadText(folder / "1.csv").find(files::CsvLineBytes("Hall").substr(0, 8)),
              std::string::npos);
    EXPECT_FALSE(fs::exists(folder / "1.err"));
    EXPECT_EQ(env::Env().master().query("SELECT * FROM TMP_STEP_ACT").size(), 0u);
    EXPECT_EQ(env::Env().master().query("SELECT * FROM TMP_TRIGGER").size(), 1u);

    // The compiler sees the loaded scenario on a connection that is not the
    // master; an entry without a record gets the file's commands and no listing.
    fs::remove(folder / "1.csv");
    bool sawOwnTables = false;
    int32_t fileCommand = -1;
    CompileRun bare("COMPILE", {{tdx.string(), "", "Hall"}});
    bare.setKernixFactory([&] {
        return std::make_unique<Scripted>([&](Scripted& self, db::Database& c, const std::string&,
                                              const std::string&, std::string&, int32_t& status) {
            sawOwnTables =
                &c != &env::Env().master() && c.query("SELECT * FROM TMP_STEP_ACT").size() == 1;
            fileCommand = self.enable().TypeCMD;
            status = -1;
        });
    });
    EXPECT_EQ(bare.run(obs).compiled, 1);
    EXPECT_TRUE(sawOwnTables);
    EXPECT_EQ(fileCommand, 0);
    EXPECT_FALSE(fs::exists(folder / "1.csv"));
}

namespace {

// Scenarios "1.spt" .. "n.spt"; the odd ones fail.
struct Batch {
    Fixture f;
    std::vector<CompileEntry> entries;
    explicit Batch(int n) {
        for (int i = 1; i <= n; ++i) {
            std::string name = std::to_string(i) + ".spt";
            entries.push_back({f.scenario(name, "good"), "", "S" + std::to_string(i)});
        }
        entries.insert(entries.begin() + 2, CompileEntry{"", "", "gap"});
    }
};

// Logs two lines, fails odd scenarios, writes the compiled file of the others.
void twoLines(Scripted& self, const std::string& spt, const std::string& name, std::string& error,
              int32_t& status) {
    self.say("start " + name, kColourBlue);
    int n = std::stoi(name.substr(1));
    if (n % 2) {
        error = "bad " + name;
        self.say(error, kColourRed);
        return;
    }
    files::WriteFileAtomic(spt, name);
    self.say("done " + name, kColourBlack);
    status = -1;
}

}  // namespace

TEST(CompileRun, ParallelRunReportsAsASerialRunWhateverOrderTheyFinish) {
    Batch serialBatch(7), parallelBatch(7);
    RecordingObserver serialLog, parallelLog;
    auto serial = serialBatch.f.make(serialBatch.entries);
    serial->setWorkers(1);
    serial->setKernixFactory([] {
        return std::make_unique<Scripted>(
            [](Scripted& self, db::Database&, const std::string& spt, const std::string& name,
               std::string& error, int32_t& status) { twoLines(self, spt, name, error, status); });
    });
    CompileResult expected = serial->run(serialLog);

    // The first scenario holds its worker until every other one has finished,
    // so the workers finish in another order than the project's.
    std::mutex m;
    std::condition_variable cv;
    std::vector<std::string> finished;
    auto parallel = parallelBatch.f.make(parallelBatch.entries);
    parallel->setWorkers(3);
    parallel->setKernixFactory([&] {
        return std::make_unique<Scripted>([&](Scripted& self, db::Database&, const std::string& spt,
                                              const std::string& name, std::string& error,
                                              int32_t& status) {
            if (name == "S1") {
                std::unique_lock<std::mutex> lock(m);
                cv.wait_for(lock, std::chrono::seconds(20), [&] { return finished.size() == 6; });
            }
            twoLines(self, spt, name, error, status);
            std::lock_guard<std::mutex> lock(m);
            finished.push_back(name);
            cv.notify_all();
        });
    });
    CompileResult actual = parallel->run(parallelLog);

    ASSERT_EQ(finished.size(), 7u);
    EXPECT_EQ(finished.back(), "S1");
    EXPECT_EQ(std::tuple(actual.compiled, actual.failed, actual.cancelled, actual.summary,
                         actual.message),
              std::tuple(expected.compiled, expected.failed, expected.cancelled, expected.summary,
                         expected.message));
    EXPECT_EQ(expected.summary, "S1\tbad S1\rS3\tbad S3\rS5\tbad S5\rS7\tbad S7\r");
    EXPECT_EQ(parallelLog.lines, serialLog.lines);
    EXPECT_EQ(parallelLog.steps, serialLog.steps);
    EXPECT_EQ(serialLog.steps.size(), 8u);  // the start and every scenario, not the gap
    EXPECT_EQ(serialLog.lines.front().first, "start S1");
    // Each scenario's files are those its own compile made.
    for (const auto& e : parallelBatch.entries) {
        if (e.path.empty()) continue;
        bool odd = std::stoi(e.text2.substr(1)) % 2;
        EXPECT_EQ(fs::exists(CompileRun::ErrPath(e.path)), odd) << e.text2;
        if (!odd) {
            EXPECT_EQ(test::ReadText(CompileRun::SptPath(e.path)), e.text2);
        }
    }
    EXPECT_EQ(parallelBatch.f.listings.size(), 7u);
}

TEST(CompileRun, ParallelCancelFinishesTheScenariosInProgressOnly) {
    Batch b(6);
    auto run = b.f.make(b.entries);
    run->setWorkers(2);
    CompileRun* self = run.get();
    std::atomic<bool> secondStarted{false};
    auto waitFor = [](const std::function<bool()>& done) {
        for (int i = 0; i < 2000 && !done(); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
    };
    // The two workers hold the first two scenarios; the first asks to cancel
    // once the second has started, the second finishes only after the request.
    run->setKernixFactory([&, self] {
        return std::make_unique<Scripted>([&, self](Scripted& k, db::Database&,
                                                    const std::string& spt, const std::string& name,
                                                    std::string&, int32_t& status) {
            if (name == "S1") {
                waitFor([&] { return secondStarted.load(); });
                self->requestCancel();
            } else {
                secondStarted = true;
                waitFor([&] { return self->cancelRequested(); });
            }
            files::WriteFileAtomic(spt, name);
            k.say(name, kColourBlack);
            status = -1;
        });
    });
    RecordingObserver obs;
    CompileResult r = run->run(obs);
    EXPECT_TRUE(r.cancelled);
    EXPECT_EQ(r.compiled, 2);
    EXPECT_EQ(r.message, texts::GetText(1630));
    EXPECT_EQ(obs.lines, (std::vector<std::pair<std::string, std::string>>{{"S1", "vbblack"},
                                                                           {"S2", "vbblack"}}));
    EXPECT_EQ(obs.steps, (std::vector<std::pair<int, int>>{{0, 7}, {1, 7}, {2, 7}}));
    for (size_t i = 3; i < b.entries.size(); ++i)
        EXPECT_FALSE(fs::exists(CompileRun::SptPath(b.entries[i].path))) << b.entries[i].text2;
}
