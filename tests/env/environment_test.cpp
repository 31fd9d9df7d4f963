#include "env/environment.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <sstream>
#include <thread>

#include "env/profile.h"
#include "env/state.h"
#include "env/texts.h"
#include "support/test_env.h"

using namespace tessed;
using test::FixtureEnv;
namespace fs = std::filesystem;

namespace {

// One end of a pipe between the test and a process it forked.
struct Channel {
    int fds[2] = {-1, -1};
    Channel() { EXPECT_EQ(pipe(fds), 0); }
    ~Channel() {
        for (int fd : fds)
            if (fd >= 0) close(fd);
    }
    void send(char c) { EXPECT_EQ(write(fds[1], &c, 1), 1); }
    // The next character, or 0 when none came within `ms` milliseconds.
    char receive(int ms = 10000) {
        pollfd p{fds[0], POLLIN, 0};
        char c = 0;
        if (poll(&p, 1, ms) == 1 && read(fds[0], &c, 1) == 1) return c;
        return 0;
    }
};

// True once process `pid` waits for a flock (a "->" line of /proc/locks).
bool WaitsForLock(pid_t pid) {
    const std::string id = std::to_string(pid);
    for (int i = 0; i < 500; ++i) {
        std::ifstream locks("/proc/locks");
        std::string line;
        while (std::getline(locks, line)) {
            std::istringstream words(line);
            std::string w;
            bool waiting = false, his = false;
            while (words >> w) {
                waiting = waiting || w == "->";
                his = his || w == id;
            }
            if (waiting && his) return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

ino_t Inode(const fs::path& file) {
    struct stat st {};
    return ::stat(file.c_str(), &st) == 0 ? st.st_ino : 0;
}

// True when another open of `file` cannot have an exclusive lock now.
bool LockedByAnother(const fs::path& file) {
    int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    bool held = ::flock(fd, LOCK_EX | LOCK_NB) != 0;
    ::close(fd);
    return held;
}

// A forked child starts without the parent's descriptors (locks included).
void CloseInherited(std::initializer_list<int> keep) {
    for (int fd = 3; fd < 1024; ++fd)
        if (std::find(keep.begin(), keep.end(), fd) == keep.end()) ::close(fd);
}

}  // namespace

TEST(Environment, FoldersAreCreatedWithExport) {
    EXPECT_EQ(env::AppFolderName(), "EditorTessaro_0400");
    FixtureEnv fx(false);
    EXPECT_TRUE(fs::is_directory(fx.data()));
    EXPECT_TRUE(fs::is_directory(fx.documents() / "Export"));
    EXPECT_EQ(env::Env().workingFolder().parent_path().parent_path(), fx.data() / "temp");
    EXPECT_EQ(env::Env().resourcesFolder(), fx.data() / "dat" / "res");
    EXPECT_EQ(env::Env().configFile().filename(), "Tessed40.INI");
}

TEST(Environment, LanguagesAreEnumeratedAndTheConfiguredOneChecked) {
    FixtureEnv fx(true, "ENG");
    auto& e = env::Env();
    EXPECT_EQ(e.currentLanguage(), "ENG");
    ASSERT_EQ(e.languages().size(), 2u);
    // Files are enumerated in name order: ENG first, ITA second.
    EXPECT_EQ(e.languages()[0].id, 1001);
    EXPECT_EQ(e.languages()[0].tag, "ENG");
    EXPECT_EQ(e.languages()[0].caption, "English");
    EXPECT_EQ(e.languages()[0].name, "mnulang");
    EXPECT_TRUE(e.languages()[0].checked);
    EXPECT_EQ(e.languages()[1].id, 1002);
    EXPECT_FALSE(e.languages()[1].checked);
    EXPECT_EQ(texts::GetText(1002), "Warning");
}

TEST(Environment, UnreadableOrEmptyLanguageDatabasesGetNoEntry) {
    FixtureEnv fx(false);
    std::ofstream(fx.data() / "dat" / "TESSEDBAD.mdb") << "not a database";
    {
        db::Database empty((fx.data() / "dat" / "TESSEDNIL.mdb").string(),
                           db::Database::Mode::Create);
        empty.execute("CREATE TABLE DB_CONFIG (LINGUA TEXT)");
    }
    ASSERT_TRUE(env::Env().OpenSystemDatabase());
    EXPECT_EQ(env::Env().languages().size(), 2u);
    EXPECT_EQ(env::Env().currentLanguage(), "ITA");
}

TEST(Environment, ALanguageWithoutDatabaseFallsBackToItalianAsCanRunDecides) {
    FixtureEnv fx(false);
    test::ScopedMessages msgs;
    auto& e = env::Env();
    ASSERT_TRUE(profile::WriteString(e.configFile(), "GENERALE", "LINGUA", "XYZ"));
    // What CanRun promises, the start keeps.
    EXPECT_TRUE(e.CanRun(""));
    ASSERT_TRUE(e.OpenSystemDatabase());
    EXPECT_EQ(e.currentLanguage(), "ITA");
    EXPECT_EQ(e.masterDatabase().filename(), "TESSEDITA.mdb");
    EXPECT_TRUE(msgs->calls.empty());
    // A code in another letter case is the same language.
    ASSERT_TRUE(profile::WriteString(e.configFile(), "GENERALE", "LINGUA", "eng"));
    ASSERT_TRUE(e.OpenSystemDatabase());
    EXPECT_EQ(e.masterDatabase().filename(), "TESSEDENG.mdb");

    // Without the Italian database too, both answer no, and the start says why.
    e.CloseConnection();
    ASSERT_TRUE(profile::WriteString(e.configFile(), "GENERALE", "LINGUA", "XYZ"));
    fs::remove(fx.data() / "dat" / "TESSEDITA.mdb");
    EXPECT_FALSE(e.CanRun(""));
    EXPECT_FALSE(e.OpenSystemDatabase());
    for (const auto& l : e.languages()) EXPECT_FALSE(l.checked);
    ASSERT_EQ(msgs->calls.size(), 1u);
    EXPECT_EQ(msgs->calls[0].kind, "critical");
    EXPECT_EQ(msgs->calls[0].title, "Warning");
    EXPECT_EQ(msgs->calls[0].text, "Unable to load system database.\rThe application will end");
}

TEST(Environment, CanRunAnswersNoForADatabaseTheStartCannotUse) {
    FixtureEnv fx(false);
    auto& e = env::Env();
    ASSERT_TRUE(profile::WriteString(e.configFile(), "GENERALE", "LINGUA", "NIL"));
    {
        db::Database empty((fx.data() / "dat" / "TESSEDNIL.mdb").string(),
                           db::Database::Mode::Create);
        empty.execute("CREATE TABLE DB_CONFIG (LINGUA TEXT)");
    }
    EXPECT_FALSE(e.CanRun(""));
}

TEST(Environment, QuarnHostUsesItsLanguageWithItalianFallback) {
    FixtureEnv fx(false);
    Host().ParentEXEname = "quarn";
    Host().ParentLang = "ENG";
    ASSERT_TRUE(env::Env().OpenSystemDatabase());
    EXPECT_EQ(env::Env().currentLanguage(), "ENG");
    Host().ParentLang = "DEU";
    ASSERT_TRUE(env::Env().OpenSystemDatabase());
    EXPECT_EQ(env::Env().currentLanguage(), "ITA");
}

TEST(Environment, MasterConnectionHasEmptyWorkingTables) {
    FixtureEnv fx;
    auto& db = env::Env().master();
    db.execute("INSERT INTO TMP_TRIGGER (ID, ORDINE, ID_OBJ) VALUES (?1, ?2, ?3)", {1, 1, 8});
    auto rows = db.query(
        "SELECT ANA_OGGETTI.DESCRI_OBJ FROM TMP_TRIGGER INNER JOIN ANA_OGGETTI "
        "ON TMP_TRIGGER.ID_OBJ = ANA_OGGETTI.ID_OBJ");
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].getText("DESCRI_OBJ"), "Ora");
    // Reopening gives empty tables again, and the catalogue file never holds them.
    ASSERT_TRUE(env::Env().OpenConnection());
    EXPECT_TRUE(db.query("SELECT * FROM TMP_TRIGGER").empty());
    db::Database file(env::Env().masterDatabase().string(), db::Database::Mode::ReadOnly);
    EXPECT_FALSE(file.tableExists("TMP_TRIGGER"));
}

TEST(Environment, CompactionKeepsTheCatalogue) {
    FixtureEnv fx;
    auto& e = env::Env();
    e.CompactDatabase();
    ASSERT_TRUE(e.OpenConnection());
    EXPECT_EQ(texts::GetText(1002), "Attenzione");
    for (auto& entry : fs::directory_iterator(fx.data() / "dat"))
        EXPECT_EQ(entry.path().filename().string().find("temp"), std::string::npos);
}

TEST(Compaction, ACopyWithoutTheLanguageRecordNeverReplacesTheDatabase) {
    FixtureEnv fx;
    auto& e = env::Env();
    const fs::path file = e.masterDatabase();
    {
        db::Database w(file.string());
        w.execute("DELETE FROM DB_CONFIG");
    }
    const ino_t before = Inode(file);
    const std::string bytes = test::ReadText(file);
    e.CompactDatabase();
    EXPECT_EQ(Inode(file), before);
    EXPECT_TRUE(test::ReadText(file) == bytes) << "the database was rewritten";
    ASSERT_TRUE(e.OpenConnection());
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(file.parent_path()))
        names.push_back(entry.path().filename());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"TESSEDENG.mdb", "TESSEDITA.mdb"}));
}

TEST(Compaction, TheDatabaseIsNeverFreeWhileItsUserCompactsIt) {
    FixtureEnv fx;
    auto& e = env::Env();
    const fs::path file = e.masterDatabase();
    // Another process waits for the database exclusively, as CanRun asks for
    // it, on whatever file the path names when the lock comes.
    Channel got;
    pid_t probe = fork();
    ASSERT_GE(probe, 0);
    if (probe == 0) {
        CloseInherited({got.fds[1]});
        for (;;) {
            int fd = ::open(file.c_str(), O_RDONLY);
            if (fd < 0 || ::flock(fd, LOCK_EX) != 0) _exit(1);
            struct stat a {
            }, b{};
            if (::fstat(fd, &a) == 0 && ::stat(file.c_str(), &b) == 0 && a.st_ino == b.st_ino) {
                got.send('1');
                _exit(0);
            }
            ::close(fd);
        }
    }
    ASSERT_TRUE(WaitsForLock(probe));
    const ino_t before = Inode(file);
    e.CompactDatabase();
    ASSERT_TRUE(e.OpenConnection());
    EXPECT_NE(Inode(file), before) << "the database was not compacted";
    EXPECT_EQ(got.receive(300), 0) << "the database was free during the compaction";
    EXPECT_EQ(texts::GetText(1002), "Attenzione");
    e.CloseConnection();
    EXPECT_EQ(got.receive(), '1');
    waitpid(probe, nullptr, 0);
}

TEST(Compaction, AnOpenerThatWaitedForItHoldsTheCompactedFile) {
    FixtureEnv fx(false);
    auto& e = env::Env();
    const fs::path file = fx.data() / "dat" / "TESSEDITA.mdb";
    Channel up, down;
    pid_t editor = fork();
    ASSERT_GE(editor, 0);
    if (editor == 0) {
        up.send(e.OpenSystemDatabase() ? '1' : '0');
        down.receive();
        e.CloseConnection();
        up.send('c');
        down.receive();
        up.send(e.OpenConnection() ? '1' : '0');
        down.receive(60000);
        _exit(0);
    }
    ASSERT_EQ(up.receive(), '1');
    down.send('c');
    ASSERT_EQ(up.receive(), 'c');
    // A compaction holds the database exclusively while the editor reopens
    // its connection, then renames its copy over the database.
    int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_EQ(::flock(fd, LOCK_EX), 0);
    down.send('o');
    ASSERT_TRUE(WaitsForLock(editor));
    const fs::path copy = file.parent_path() / "copy";
    {
        db::Database src(file.string(), db::Database::Mode::ReadOnly);
        src.execute("VACUUM INTO ?1", {copy.string()});
    }
    fs::rename(copy, file);
    ::close(fd);
    EXPECT_EQ(up.receive(), '1');
    EXPECT_FALSE(e.CanRun(""));
    down.send('x');
    waitpid(editor, nullptr, 0);
    EXPECT_TRUE(e.CanRun(""));
}

TEST(Environment, CanRunFallsBackToItalianAndSeesOtherInstances) {
    FixtureEnv fx(false);
    auto& e = env::Env();
    ASSERT_TRUE(profile::WriteString(e.configFile(), "GENERALE", "LINGUA", "XYZ"));
    EXPECT_TRUE(e.CanRun(""));

    // Another process holding the master connection open makes it False.
    int ready[2], release[2];
    ASSERT_EQ(pipe(ready), 0);
    ASSERT_EQ(pipe(release), 0);
    pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        ASSERT_TRUE(profile::WriteString(e.configFile(), "GENERALE", "LINGUA", "ITA"));
        bool ok = e.OpenSystemDatabase();
        char c = ok ? '1' : '0';
        (void)!write(ready[1], &c, 1);
        (void)!read(release[0], &c, 1);
        _exit(0);
    }
    char c = 0;
    ASSERT_EQ(read(ready[0], &c, 1), 1);
    ASSERT_EQ(c, '1');
    EXPECT_FALSE(e.CanRun(""));
    (void)!write(release[1], "x", 1);
    waitpid(pid, nullptr, 0);
    EXPECT_TRUE(e.CanRun(""));

    fs::remove(fx.data() / "dat" / "TESSEDITA.mdb");
    EXPECT_FALSE(e.CanRun(""));
}

TEST(Environment, ClearingTheWorkingFolderStaysInsideTheData) {
    FixtureEnv fx(false);
    auto& e = env::Env();
    fs::create_directories(e.workingFolder() / "1.spt");
    std::ofstream(e.workingFolder() / "1.spt" / "a.tdx") << "x";
    std::ofstream(e.workingFolder() / "Project.prj") << "x";
    test::TempDir outside;
    std::ofstream(outside / "keep.txt") << "x";
    fs::create_directory_symlink(outside.path(), e.workingFolder() / "link");
    Host().ProjectFile = "/some/project.tdj";
    bool reset = false;
    SetProjectResetHook([&] { reset = true; });
    e.ClearWorkingFolder();
    SetProjectResetHook(nullptr);
    EXPECT_TRUE(fs::is_directory(e.workingFolder()));
    EXPECT_TRUE(fs::is_empty(e.workingFolder()));
    EXPECT_TRUE(fs::exists(outside / "keep.txt"));
    EXPECT_TRUE(Host().ProjectFile.empty());
    EXPECT_TRUE(reset);
}

// A working folder's area under "temp", and the lock file beside it.
fs::path Area(const fs::path& work) { return work.parent_path(); }
fs::path LockOf(const fs::path& work) { return Area(work).string() + ".lock"; }

TEST(WorkingFolder, EachProcessAndEachBatchJobOwnsOneHeldByALock) {
    FixtureEnv fx(false);
    auto& e = env::Env();
    const fs::path own = e.workingFolder();
    EXPECT_EQ(Area(own).parent_path(), fx.data() / "temp");
    EXPECT_TRUE(fs::is_directory(own));
    EXPECT_EQ(e.workingFolder(), own);
    EXPECT_TRUE(LockedByAnother(LockOf(own)));
    test::WriteText(own / "1.spt" / "1.tdx", "editor");

    fs::path job;
    {
        env::ScopedWorkingFolder scope;
        job = e.workingFolder();
        EXPECT_NE(Area(job), Area(own));
        EXPECT_EQ(Area(job).parent_path(), Area(own).parent_path());
        EXPECT_TRUE(LockedByAnother(LockOf(job)));
        test::WriteText(job / "1.spt" / "1.tdx", "job");
        e.ClearWorkingFolder();
        EXPECT_TRUE(fs::is_empty(job));
    }
    EXPECT_FALSE(fs::exists(Area(job)));
    EXPECT_FALSE(fs::exists(LockOf(job)));
    EXPECT_EQ(e.workingFolder(), own);
    EXPECT_EQ(test::ReadText(own / "1.spt" / "1.tdx"), "editor");

    // A forked process takes a folder of its own, never its parent's.
    Channel done;
    pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        fs::path mine = e.workingFolder();
        bool ok = Area(mine) != Area(own) && fs::is_directory(mine) && LockedByAnother(LockOf(own));
        e.ClearWorkingFolder();
        done.send(ok ? '1' : '0');
        _exit(0);
    }
    EXPECT_EQ(done.receive(), '1');
    waitpid(pid, nullptr, 0);
    EXPECT_EQ(test::ReadText(own / "1.spt" / "1.tdx"), "editor");
}

TEST(WorkingFolder, StartRemovesOnlyWhatNoLiveOwnerHolds) {
    FixtureEnv fx(false);
    auto& e = env::Env();
    const fs::path temp = fx.data() / "temp";
    const fs::path own = e.workingFolder();
    test::WriteText(own / "own.txt", "x");
    // Another process with a project open.
    Channel ready, release;
    pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        test::WriteText(e.workingFolder() / "1.spt" / "1.tdx", "other");
        ready.send('1');
        release.receive(60000);
        _exit(0);
    }
    ASSERT_EQ(ready.receive(), '1');
    fs::path other;
    for (const auto& entry : fs::directory_iterator(temp))
        if (fs::is_directory(entry) && entry.path() != Area(own)) other = entry.path() / "work";
    ASSERT_FALSE(other.empty());
    // An owner that has gone, and what the shared folder of old held.
    test::WriteText(temp / "p1-1.lock", "");
    test::WriteText(temp / "p1-1" / "work" / "1.spt" / "1.tdx", "gone");
    test::WriteText(temp / "1.spt" / "1.tdx", "old");
    test::WriteText(temp / "Project.prj", "old");

    ASSERT_TRUE(e.InitFolders(env::AppFolderName()));
    std::vector<std::string> left, expected;
    for (const auto& entry : fs::directory_iterator(temp)) left.push_back(entry.path().filename());
    for (const auto& work : {own, other})
        for (const auto& p : {Area(work), LockOf(work)}) expected.push_back(p.filename());
    std::sort(left.begin(), left.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(left, expected);

    // Clearing the own folder leaves the other process's project alone.
    e.ClearWorkingFolder();
    EXPECT_TRUE(fs::is_empty(own));
    EXPECT_EQ(test::ReadText(other / "1.spt" / "1.tdx"), "other");
    release.send('x');
    waitpid(pid, nullptr, 0);
    // Its owner gone, the next start removes it.
    ASSERT_TRUE(e.InitFolders(env::AppFolderName()));
    EXPECT_FALSE(fs::exists(Area(other)));
    EXPECT_TRUE(fs::is_directory(own));
}

TEST(Environment, FirstRunSeedsTheDataFolderFromTheShippedCatalogue) {
    test::TempDir d;
    ::setenv("TESSED_DATA_DIR", (d / "data").c_str(), 1);
    ::setenv("TESSED_DOCUMENTS_DIR", (d / "docs").c_str(), 1);
    ::setenv("TESSED_SHARE_DIR", test::FixtureCatalogue().c_str(), 1);
    ASSERT_TRUE(env::Env().InitFolders(env::AppFolderName()));
    EXPECT_TRUE(fs::exists(d / "data" / "dat" / "TESSEDITA.mdb"));
    // An empty share folder seeds nothing, and nothing can run.
    ::setenv("TESSED_DATA_DIR", (d / "data2").c_str(), 1);
    ::setenv("TESSED_SHARE_DIR", (d / "empty").c_str(), 1);
    ASSERT_TRUE(env::Env().InitFolders(env::AppFolderName()));
    EXPECT_FALSE(env::Env().CanRun(""));
    ::unsetenv("TESSED_SHARE_DIR");
    ::unsetenv("TESSED_DATA_DIR");
    ::unsetenv("TESSED_DOCUMENTS_DIR");
}

TEST(WorkingFolder, StartRemovesTheScratchOfKilledProcesses) {
    FixtureEnv fx(false);
    auto& e = env::Env();
    pid_t gone = fork();
    if (gone == 0) _exit(0);
    waitpid(gone, nullptr, 0);
    const std::string dead = std::to_string(gone), live = std::to_string(getpid());
    const fs::path dat = fx.data() / "dat";
    const std::vector<fs::path> stale = {fx.data() / (".Tessed40.INI.~p" + dead + "-a1B2c3"),
                                         dat / (".TESSEDITA.mdb.compact-" + dead),
                                         dat / (".TESSEDITA.mdb.compact-" + dead + "-journal"),
                                         fx.data() / "PRJ4711" / "1.spt.zip"};
    const std::vector<fs::path> kept = {fx.data() / (".Tessed40.INI.~p" + live + "-a1B2c3"),
                                        dat / (".TESSEDITA.mdb.compact-" + live),
                                        fx.data() / "PRJ815" / "1.spt.zip",
                                        fx.data() / "PRJects" / "mine.tdj"};
    for (const auto& p : stale) test::WriteText(p, "left");
    for (const auto& p : kept) test::WriteText(p, "left");
    // The folder of an earlier build has been untouched for a day; the other
    // may still be in use.
    auto day = fs::file_time_type::clock::now() - std::chrono::hours(24);
    fs::last_write_time(fx.data() / "PRJ4711", day);
    fs::last_write_time(fx.data() / "PRJects", day);

    ASSERT_TRUE(e.InitFolders(env::AppFolderName()));
    for (const auto& p : stale) EXPECT_FALSE(fs::exists(p)) << p;
    EXPECT_FALSE(fs::exists(fx.data() / "PRJ4711"));
    for (const auto& p : kept) EXPECT_TRUE(fs::exists(p)) << p;
    EXPECT_TRUE(fs::exists(dat / "TESSEDITA.mdb"));
}
