// Preparing the configurator: folders, language code, filter file, and the
// program started, found running, and ended.
#include "configurator/preparation.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/file.h>
#include <unistd.h>

#include <fcntl.h>
#include <chrono>
#include <pugixml.hpp>
#include <thread>

#include "compiler/compile_run.h"
#include "env/environment.h"
#include "env/profile.h"
#include "env/state.h"
#include "env/texts.h"
#include "support/test_env.h"

using namespace tessed;
using namespace tessed::configurator;
using namespace tessed::test;

namespace {

db::Database& Db() { return env::Env().master(); }

// A configurator program: a shell script that writes its arguments, one a
// line, to `out` and then waits (ignoring SIGTERM when `stubborn`).
fs::path FakeProgram(const fs::path& dir, const fs::path& out, bool stubborn = false) {
    fs::path p = dir / "configurator.sh";
    WriteText(p, "#!/bin/sh\n" + std::string(stubborn ? "trap '' TERM\n" : "") +
                     "printf '%s\\n' \"$@\" > '" + out.string() + ".part'\nmv '" + out.string() +
                     ".part' '" + out.string() + "'\nexec sleep 30\n");
    fs::permissions(p, fs::perms::owner_all);
    return p;
}

void Configure(const std::string& program) {
    ASSERT_TRUE(profile::WriteString(env::Env().configFile(), "LEXORA", "Program", program));
}

std::string WaitForFile(const fs::path& file) {
    for (int i = 0; i < 500 && !fs::exists(file); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return ReadText(file);
}

bool Alive(pid_t pid) { return pid > 0 && ::kill(pid, 0) == 0; }

// Ends whatever a test started, whatever it asserted.
struct EndAtExit {
    ~EndAtExit() { EndConfigurator(); }
};

}  // namespace

TEST(Preparation, LanguageCodes) {
    struct {
        const char *host, *code;
    } cases[] = {{"ITA", "it"},    {"ita", "it"}, {"FRA", "fr"}, {"ENG", "en"}, {"SPA", "es"},
                 {"FIA", "nl"},    {"POR", "pt"}, {"GER", "de"}, {"ARA", "ar"}, {"CHS", "zh_CN"},
                 {"CHT", "zh_TW"}, {"HUN", "hu"}, {"SL", "sl"},  {"HR", "hr"},  {"RUS", "ru"},
                 {"GRK", "el"},    {"POL", "pl"}, {"TUR", "tr"}, {"XYZ", "en"}, {"", "en"},
                 {"IT", "en"}};
    for (const auto& c : cases) EXPECT_EQ(LanguageCode(c.host), c.code) << c.host;
}

TEST(Preparation, FilterFileHoldsModeGatewayAndKeyObjectsInOrder) {
    FixtureEnv env;
    pugi::xml_document doc;
    ASSERT_TRUE(doc.load_string(FilterFileText(Db(), 150, 3).c_str()));
    pugi::xml_node gui = doc.child("lexora").child("lexoragui");
    std::vector<std::string> children;
    for (auto c : gui.children()) children.push_back(c.name());
    EXPECT_EQ(children, (std::vector<std::string>{"mode", "gateways", "allowed_ko"}));
    EXPECT_STREQ(gui.child_value("mode"), "1");
    pugi::xml_node gateway = gui.child("gateways").child("gateway");
    EXPECT_STREQ(gateway.child_value("key_object"), "150");
    EXPECT_STREQ(gateway.child_value("go_to_bus_in"), "3");
    std::vector<std::string> ko;
    for (auto k : gui.child("allowed_ko").children("ko")) ko.push_back(k.attribute("val").value());
    EXPECT_EQ(ko, (std::vector<std::string>{"90", "91", "92", "93", "94", "95", "96"}));

    Db().execute("DELETE FROM ANA_KEYOBJECT");
    ASSERT_TRUE(doc.load_string(FilterFileText(Db(), 0, 0).c_str()));
    EXPECT_FALSE(doc.child("lexora").child("lexoragui").child("allowed_ko"));
}

TEST(Preparation, StartsTheProgramWithItsFoldersAndEndsIt) {
    FixtureEnv env;
    EndAtExit end;
    TempDir dir;
    const fs::path args = dir / "args.txt";
    Configure(FakeProgram(dir.path(), args).string());
    Host().ParentLang = "eng";
    Host().KOGateway = 150;
    Host().GotoBusIN = 3;
    Host().Logging = true;
    const ConfiguratorFolders f = ConfiguratorFolders::Under(env.data());
    WriteText(f.temp / "old.tmp", "x");
    WriteText(f.temp / "sub" / "kept.txt", "x");
    WriteText(f.drag / "old.xml", "x");
    WriteText(f.filterFile, "stale");

    ASSERT_EQ(PrepareConfigurator(env.data(), Db(), "/p/Villa Rossi.tdj"), "");
    EXPECT_EQ(WaitForFile(args), "--language\nen\n--lx\n" + f.lx.string() + "\n--temp\n" +
                                     f.temp.string() + "\n--drag\n" + f.drag.string() +
                                     "\n--filters\n" + f.filterFile.string() + "\n--logs\n" +
                                     f.logsLx.string() + "\n--logging\n1\n--project\n" +
                                     "/p/Villa Rossi.tdj\n");
    EXPECT_FALSE(fs::exists(f.temp / "old.tmp"));
    EXPECT_TRUE(fs::exists(f.temp / "sub" / "kept.txt"));
    EXPECT_FALSE(fs::exists(f.drag / "old.xml"));
    EXPECT_TRUE(fs::is_directory(f.logsLx));
    EXPECT_NE(ReadText(f.filterFile).find("<key_object>150</key_object>"), std::string::npos);

    const pid_t pid = Configurator().Pid();
    ASSERT_TRUE(Configurator().Running());
    // Open already: nothing is prepared again, nothing started twice.
    WriteText(f.drag / "dropped.xml", "x");
    EXPECT_EQ(PrepareConfigurator(env.data(), Db(), "/p/other.tdj"), "");
    EXPECT_EQ(Configurator().Pid(), pid);
    EXPECT_TRUE(fs::exists(f.drag / "dropped.xml"));

    EndConfigurator();
    EXPECT_FALSE(Configurator().Running());
    EXPECT_FALSE(Alive(pid));
}

TEST(Preparation, ProgramIgnoringTheRequestToEndIsKilled) {
    FixtureEnv env;
    EndAtExit end;
    TempDir dir;
    const fs::path args = dir / "args.txt";
    Configure(FakeProgram(dir.path(), args, true).string());
    ASSERT_EQ(PrepareConfigurator(env.data(), Db(), ""), "");
    WaitForFile(args);
    const pid_t pid = Configurator().Pid();
    const auto start = std::chrono::steady_clock::now();
    EndConfigurator();
    EXPECT_FALSE(Alive(pid));
    EXPECT_GE(std::chrono::steady_clock::now() - start, ConfiguratorProcess::kEndGrace);
}

TEST(Preparation, AnotherEditorsConfiguratorKeepsItsFolders) {
    FixtureEnv env;
    EndAtExit end;
    TempDir dir;
    Configure(FakeProgram(dir.path(), dir / "args.txt").string());
    const ConfiguratorFolders f = ConfiguratorFolders::Under(env.data());
    WriteText(f.drag / "theirs.xml", "x");
    // The other editor's lock: another open of the lock file.
    int other = ::open(f.lockFile.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    ASSERT_GE(other, 0);
    ASSERT_EQ(::flock(other, LOCK_EX | LOCK_NB), 0);
    EXPECT_EQ(PrepareConfigurator(env.data(), Db(), ""),
              texts::GetText(kTextFoldersFailed) + "\r" + texts::GetText(kTextInUse));
    EXPECT_TRUE(fs::exists(f.drag / "theirs.xml"));
    EXPECT_FALSE(Configurator().Running());
    ::close(other);
}

TEST(Preparation, FailuresAreReportedAndReleaseTheFolders) {
    FixtureEnv env;
    EndAtExit end;
    TempDir dir;
    const ConfiguratorFolders f = ConfiguratorFolders::Under(env.data());
    const std::string config = env::Env().configFile().string();
    EXPECT_EQ(PrepareConfigurator(env.data(), Db(), ""),
              texts::GetText(kTextCannotStart) + "\r" +
                  texts::Format(texts::GetText(kTextNoProgram), {config}));
    Configure((dir / "missing-program").string());
    std::string missing = PrepareConfigurator(env.data(), Db(), "");
    EXPECT_EQ(missing.rfind(texts::GetText(kTextCannotStart) + "\r" +
                                texts::Format(texts::GetText(kTextNoExecute),
                                              {(dir / "missing-program").string()}),
                            0),
              0u)
        << missing;
    // The folders are free again.
    int probe = ::open(f.lockFile.c_str(), O_RDWR | O_CLOEXEC);
    ASSERT_GE(probe, 0);
    EXPECT_EQ(::flock(probe, LOCK_EX | LOCK_NB), 0);
    ::close(probe);

    // A folder that leads out of the data folder is not emptied.
    WriteText(dir / "outside" / "precious.txt", "x");
    fs::remove_all(f.temp);
    fs::create_directory_symlink(dir / "outside", f.temp);
    EXPECT_EQ(
        PrepareConfigurator(env.data(), Db(), "").rfind(texts::GetText(kTextFoldersFailed), 0), 0u);
    EXPECT_TRUE(fs::exists(dir / "outside" / "precious.txt"));
}

// The compile window's mode "LEXORA" shows 1114 with the preparation's text.
TEST(Preparation, CompileRunReportsTheConfiguratorThatCannotStart) {
    FixtureEnv env;
    EndAtExit end;
    struct Quiet : compiler::CompileObserver {
        void log(const std::string&, const std::string&) override {}
    } observer;
    compiler::CompileRun run("LEXORA", {});
    run.setConfiguratorStarter([] { return PrepareConfigurator(); });
    compiler::CompileResult r = run.run(observer);
    EXPECT_EQ(
        r.message,
        texts::GetText(kTextPreparationFailed) + "\r" + texts::GetText(kTextCannotStart) + "\r" +
            texts::Format(texts::GetText(kTextNoProgram), {env::Env().configFile().string()}));
}
