// Several processes on one data folder: batch jobs run side by side, and an
// editor with unsaved changes outlives them; every project keeps every
// scenario.
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <sstream>

#include "edit.h"
#include "env/environment.h"
#include "env/files.h"
#include "env/state.h"
#include "model/schema.h"
#include "project/archive.h"
#include "project/session.h"
#include "support/test_env.h"

using namespace tessed;
namespace fs = std::filesystem;
using test::TempDir;

namespace {

std::string q(const fs::path& p) { return "'" + p.string() + "'"; }

fs::path DemoProject() {
    return fs::path(TESSED_TEST_SOURCE_FIXTURES).parent_path().parent_path() / "examples" /
           "demo.tdj";
}
constexpr int kDemoScenarios = 7;

// What a saved project file holds: its inner scenario archives, the `file<n>`
// entries of its settings file, and its settings and information texts.
struct Saved {
    int archives = 0, entries = 0;
    std::string settings, info;
};

Saved Contents(const fs::path& tdj) {
    Saved s;
    std::vector<archive::ArchiveEntryInfo> list;
    archive::ListArchive(tdj, list);
    for (const auto& e : list) {
        if (e.name.ends_with(".spt.zip")) ++s.archives;
        if (e.name.ends_with(".prj"))
            archive::ReadEntry(tdj, e.name, s.settings, archive::kProjectPassword);
    }
    archive::ReadEntry(tdj, "info.xml", s.info, archive::kProjectPassword);
    std::istringstream lines(s.settings);
    std::string line;
    while (std::getline(lines, line))
        if (line.rfind("file", 0) == 0 && line.find('=') != std::string::npos) ++s.entries;
    return s;
}

// One data folder seeded from the build tree's catalogue.
struct SharedDataFolder {
    TempDir dir;
    fs::path data = dir / "data";
    fs::path compiled = dir / "compiled.tdj";

    std::string tessed(const std::string& args) const {
        return "TESSED_SHARE_DIR=" + q(TESSED_BINARY_DIR) + " " + q(TESSED_EXE) + " --data-dir " +
               q(data) + " --documents-dir " + q(dir / "docs") + " " + args + " >/dev/null 2>&1";
    }
    // A copy of the demo project compiled once, so that makecsv finds every listing.
    void prepare() {
        fs::copy_file(DemoProject(), compiled);
        ASSERT_EQ(test::RunCommand(tessed("compile " + q(compiled))).code, 0);
    }
    // compile, doinfoxml and makecsv started together on copies of the demo
    // project; "job=exit code" of each, sorted.
    std::vector<std::string> round() const {
        fs::copy_file(DemoProject(), dir / "a.tdj", fs::copy_options::overwrite_existing);
        fs::copy_file(compiled, dir / "b.tdj", fs::copy_options::overwrite_existing);
        fs::copy_file(compiled, dir / "c.tdj", fs::copy_options::overwrite_existing);
        std::error_code ec;
        fs::remove(dir / "c.csv", ec);
        std::string line = "(" + tessed("compile " + q(dir / "a.tdj")) + "; echo compile=$?) & (" +
                           tessed("doinfoxml " + q(dir / "b.tdj")) + "; echo doinfoxml=$?) & (" +
                           tessed("makecsv " + q(dir / "c.tdj") + " " + q(dir / "c.csv")) +
                           "; echo makecsv=$?) & wait";
        std::istringstream out(test::RunCommand(line).out);
        std::vector<std::string> codes;
        for (std::string l; std::getline(out, l);) codes.push_back(l);
        std::sort(codes.begin(), codes.end());
        return codes;
    }
};

const std::vector<std::string> kAllSucceeded{"compile=0", "doinfoxml=0", "makecsv=0"};

// A character from a forked process, or 0 after `ms` milliseconds.
char Receive(int fd, int ms) {
    pollfd p{fd, POLLIN, 0};
    char c = 0;
    if (poll(&p, 1, ms) == 1 && read(fd, &c, 1) == 1) return c;
    return 0;
}

}  // namespace

TEST(SharedDataFolder, BatchJobsAtTheSameTimeKeepEveryScenario) {
    SharedDataFolder shared;
    shared.prepare();
    for (int r = 1; r <= 4; ++r) {
        EXPECT_EQ(shared.round(), kAllSucceeded) << "round " << r;
        for (const char* name : {"a.tdj", "b.tdj"}) {
            Saved s = Contents(shared.dir / name);
            EXPECT_EQ(std::tuple(s.archives, s.entries), std::tuple(kDemoScenarios, kDemoScenarios))
                << name << " in round " << r;
            EXPECT_NE(s.info.find("<scenario_7>"), std::string::npos) << name << " in round " << r;
        }
        EXPECT_GT(fs::file_size(shared.dir / "c.csv"), 1000u) << "round " << r;
    }
    // Every job removed its working folder.
    EXPECT_TRUE(fs::is_empty(shared.data / "temp"));
}

TEST(SharedDataFolder, AnEditorWithUnsavedChangesOutlivesBatchJobs) {
    SharedDataFolder shared;
    shared.prepare();
    const fs::path mine = shared.dir / "mine.tdj";
    fs::copy_file(DemoProject(), mine);
    int up[2], down[2];
    ASSERT_EQ(pipe(up), 0);
    ASSERT_EQ(pipe(down), 0);
    pid_t editor = fork();
    ASSERT_GE(editor, 0);
    if (editor == 0) {
        // The editor: opens the project, changes it and waits before saving.
        ::setenv("TESSED_DATA_DIR", shared.data.c_str(), 1);
        ::setenv("TESSED_DOCUMENTS_DIR", (shared.dir / "docs").c_str(), 1);
        ::setenv("TESSED_SHARE_DIR", TESSED_BINARY_DIR, 1);
        Host() = HostSettings{};
        schema::InstallWorkingTables();
        char c = '0';
        if (env::Env().InitFolders(env::AppFolderName()) && env::Env().OpenSystemDatabase()) {
            project::ProjectSession session;
            std::string msg, shown, error;
            if (session.LoadFilePrj(mine.string(), msg) &&
                session.SetProperty("COLLEZIONE$DESCRIZIONE", "Changed while jobs ran", shown,
                                    error)) {
                session.NewScenario("Attic");
                (void)!write(up[1], "r", 1);
                Receive(down[0], 60000);
                c = session.SaveCurrent().empty() ? '1' : '0';
            }
        }
        (void)!write(up[1], &c, 1);
        _exit(0);
    }
    ASSERT_EQ(Receive(up[0], 20000), 'r');
    EXPECT_EQ(shared.round(), kAllSucceeded);
    // A job that fails clears its own folder only.
    std::ofstream(shared.dir / "junk.tdj") << "junk";
    EXPECT_EQ(test::RunCommand(shared.tessed("doinfoxml " + q(shared.dir / "junk.tdj"))).code, 2);
    EXPECT_EQ(shared.round(), kAllSucceeded);
    (void)!write(down[1], "s", 1);
    EXPECT_EQ(Receive(up[0], 20000), '1');
    waitpid(editor, nullptr, 0);
    for (int fd : {up[0], up[1], down[0], down[1]}) close(fd);

    Saved s = Contents(mine);
    EXPECT_EQ(std::tuple(s.archives, s.entries),
              std::tuple(kDemoScenarios + 1, kDemoScenarios + 1));
    EXPECT_NE(s.settings.find("descrizione=" + files::TextToHex("Changed while jobs ran")),
              std::string::npos)
        << s.settings;
}

TEST(SharedDataFolder, ABatchJobOfTheHostLeavesItsOpenProjectAlone) {
    TempDir dir;
    ::setenv("TESSED_DATA_DIR", (dir / "data").c_str(), 1);
    ::setenv("TESSED_DOCUMENTS_DIR", (dir / "docs").c_str(), 1);
    ::setenv("TESSED_SHARE_DIR", TESSED_BINARY_DIR, 1);
    Host() = HostSettings{};
    {
        Edit edit;
        ASSERT_TRUE(env::Env().OpenSystemDatabase());
        const fs::path mine = dir / "mine.tdj", other = dir / "other.tdj";
        fs::copy_file(DemoProject(), mine);
        fs::copy_file(DemoProject(), other);
        project::ProjectSession session;
        std::string msg;
        ASSERT_TRUE(session.LoadFilePrj(mine.string(), msg)) << msg;
        session.NewScenario("Attic");
        auto project = session.Project();

        EXPECT_EQ(edit.DOINFOXML(other.string()), 0);
        EXPECT_EQ(edit.MAKECSV(other.string(), (dir / "other.csv").string()), 3);
        EXPECT_TRUE(session.Project() == project) << "the project object was replaced";
        EXPECT_EQ(edit.ProjectFile(), mine.string());
        EXPECT_TRUE(session.Changed());
        ASSERT_EQ(session.SaveCurrent(), "");
        Saved s = Contents(mine);
        EXPECT_EQ(std::tuple(s.archives, s.entries),
                  std::tuple(kDemoScenarios + 1, kDemoScenarios + 1));
        env::Env().CloseConnection();
    }
    ::unsetenv("TESSED_DATA_DIR");
    ::unsetenv("TESSED_DOCUMENTS_DIR");
    ::unsetenv("TESSED_SHARE_DIR");
    Host() = HostSettings{};
}
