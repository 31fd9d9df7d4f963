#include "env/environment.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>

#include "env/profile.h"
#include "env/state.h"
#include "env/texts.h"
#include "support/test_env.h"

using namespace tessed;
using test::FixtureEnv;
namespace fs = std::filesystem;

TEST(Environment, FoldersAreCreatedWithExport) {
    EXPECT_EQ(env::AppFolderName(), "EditorTessaro_0400");
    FixtureEnv fx(false);
    EXPECT_TRUE(fs::is_directory(fx.data()));
    EXPECT_TRUE(fs::is_directory(fx.documents() / "Export"));
    EXPECT_EQ(env::Env().workingFolder(), fx.data() / "temp");
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
        db::Database empty((fx.data() / "dat" / "TESSEDNIL.mdb").string(), db::Database::Mode::Create);
        empty.execute("CREATE TABLE DB_CONFIG (LINGUA TEXT)");
    }
    ASSERT_TRUE(env::Env().OpenSystemDatabase());
    EXPECT_EQ(env::Env().languages().size(), 2u);
    EXPECT_EQ(env::Env().currentLanguage(), "ITA");
}

TEST(Environment, MissingConfiguredLanguageFailsWithTheMessage) {
    FixtureEnv fx(false);
    test::ScopedMessages msgs;
    ASSERT_TRUE(profile::WriteString(env::Env().configFile(), "GENERALE", "LINGUA", "XYZ"));
    EXPECT_FALSE(env::Env().OpenSystemDatabase());
    for (const auto& l : env::Env().languages()) EXPECT_FALSE(l.checked);
    ASSERT_EQ(msgs->calls.size(), 1u);
    EXPECT_EQ(msgs->calls[0].kind, "critical");
    EXPECT_EQ(msgs->calls[0].title, "Warning");
    EXPECT_EQ(msgs->calls[0].text, "Unable to load system database.\rThe application will end");
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
