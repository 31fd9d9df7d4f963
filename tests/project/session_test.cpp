// The project session: tree, property write-back, scenario operations,
// import and the recent-files list.
#include "project/session.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <fstream>

#include "compiler/listing.h"
#include "env/environment.h"
#include "env/errors.h"
#include "env/files.h"
#include "env/profile.h"
#include "env/state.h"
#include "env/texts.h"
#include "model/scenario_file.h"
#include "project/archive.h"
#include "project/validation.h"
#include "project_support.h"
#include "support/test_env.h"

using namespace tessed;
using namespace tessed::project;
namespace fs = std::filesystem;

namespace {

struct Session : ::testing::Test {
    test::FixtureEnv fx;
    test::TempDir files;
    ProjectSession session;

    void SetUp() override {
        session.NewProject();
        session.Project()->Nome = "Villa";
    }
    std::string set(const std::string& key, const std::string& value, bool expected = true) {
        std::string shown, error;
        EXPECT_EQ(session.SetProperty(key, value, shown, error), expected) << key << " " << error;
        return shown;
    }
};

}  // namespace

TEST_F(Session, TreeHoldsTheFixedNodesAndOneBranchPerScenario) {
    auto s = session.NewScenario("Hall");
    const auto& nodes = session.Tree().Nodes();
    ASSERT_EQ(nodes.size(), 6u);
    EXPECT_EQ(nodes[0].key, "COLLEZIONE");
    EXPECT_EQ(nodes[0].text, texts::GetText(1563));
    EXPECT_EQ(nodes[0].image, "collezione");
    EXPECT_EQ(nodes[1].key, "COLLEZIONE$TASTOPANICO");
    EXPECT_EQ(nodes[1].image, "panico");
    EXPECT_EQ(nodes[2].key, "COLLEZIONE$ALLSCENARI");
    EXPECT_EQ(nodes[2].image, "tutti_gli_scenari");
    EXPECT_EQ(nodes[3].key, "SCENARIO$1");
    EXPECT_EQ(nodes[3].parent, "COLLEZIONE$ALLSCENARI");
    EXPECT_EQ(nodes[3].text, "Hall");
    EXPECT_EQ(nodes[3].tag, "1");
    EXPECT_EQ(nodes[3].image, "scriptko");
    EXPECT_EQ(nodes[4].key, "SCENARIO$1$ABILITA");
    EXPECT_EQ(nodes[4].text, texts::GetText(1566));
    EXPECT_EQ(nodes[5].key, "SCENARIO$1$DISABILITA");
    EXPECT_EQ(nodes[5].image, "disabilita");
    EXPECT_TRUE(session.Changed());

    EXPECT_TRUE(session.DeleteScenario("1"));
    EXPECT_EQ(session.Tree().Nodes().size(), 3u);
    EXPECT_FALSE(fs::exists(fs::path(s->FullPath).parent_path()));
    EXPECT_FALSE(session.DeleteScenario("1"));
}

TEST_F(Session, NewScenarioWritesTheStartFileInTheNextFreeFolder) {
    fs::create_directories(session.WorkingFolder() / "1.spt");
    auto s = session.NewScenario("Soggiorno e cucina");  // 18 characters
    EXPECT_EQ(s->ScriptName, "Soggiorno e cuc");
    EXPECT_EQ(s->FilePath, "2.spt/2.tdx");
    EXPECT_EQ(s->FileName, "2.tdx");
    std::string text = test::ReadText(s->FullPath);
    EXPECT_EQ(
        text,
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<root>\n<key>Tessaro</key>\n"
        "<app_MAJOR>4</app_MAJOR>\n<app_Minor>0</app_Minor>\n<app_Revision>11</app_Revision>\n"
        "<scen_name>Soggiorno e cuc</scen_name>\n<project/>\n</root>\n");
    // A name is cut by characters, never inside one.
    auto t = session.NewScenario("ÈÈÈÈÈÈÈÈÈÈÈÈÈÈÈÈÈ");
    EXPECT_EQ(t->ScriptName, "ÈÈÈÈÈÈÈÈÈÈÈÈÈÈÈ");
}

TEST_F(Session, NoScenarioBeyond300) {
    for (int i = 1; i <= 300; ++i) session.Project()->Scenari()->Add("k" + std::to_string(i));
    try {
        session.NewScenario("One more");
        FAIL();
    } catch (const ProjectError& e) {
        EXPECT_EQ(std::string(e.what()), texts::GetText(1753));
    }
    EXPECT_FALSE(fs::exists(session.WorkingFolder() / "1.spt"));
}

TEST_F(Session, PropertyItemsPerNode) {
    auto s = session.NewScenario("Hall");
    auto project = session.Properties("COLLEZIONE");
    EXPECT_EQ(project.heading, texts::GetText(1563));
    ASSERT_EQ(project.items.size(), 3u);
    EXPECT_EQ(project.items[0].key, "COLLEZIONE$NOME");
    EXPECT_EQ(project.items[0].value, "Villa");
    auto panic = session.Properties("COLLEZIONE$TASTOPANICO");
    EXPECT_EQ(panic.heading, texts::GetText(1564));
    ASSERT_EQ(panic.items.size(), 8u);
    EXPECT_EQ(panic.items[0].key, "COLLEZIONE$TASTOPANICO$CONF_A");
    EXPECT_EQ(panic.items[0].caption, texts::GetText(1569));
    EXPECT_EQ(panic.items[7].key, "COLLEZIONE$TASTOPANICO$TYPECMD");
    auto scen = session.Properties("SCENARIO$1");
    EXPECT_EQ(scen.heading, texts::GetText(1595));
    ASSERT_EQ(scen.items.size(), 3u);
    EXPECT_EQ(scen.items[0].key, "SCENARIO$1$FILE");
    EXPECT_EQ(scen.items[0].value, "Hall");
    EXPECT_EQ(scen.items[2].value, texts::GetText(1591));
    EXPECT_FALSE(scen.items[2].editable);
    auto enable = session.Properties("SCENARIO$1$ABILITA");
    EXPECT_EQ(enable.heading, texts::GetText(1593));
    EXPECT_EQ(enable.items[0].key, "SCENARIO$1$ABILITA$CONF_A");
    auto all = session.Properties("COLLEZIONE$ALLSCENARI");
    ASSERT_EQ(all.items.size(), 1u);
    EXPECT_EQ(all.items[0].caption, "Hall");
    EXPECT_EQ(all.items[0].image, "scriptko");
    (void)s;
}

TEST_F(Session, PropertyWriteBackReachesObjectsFilesAndTree) {
    auto s = session.NewScenario("Hall");
    test::WriteScenario(s->FullPath, "Hall");
    session.SetChanged(false);

    EXPECT_EQ(set("COLLEZIONE$AUTORE", "Ann"), "Ann");
    EXPECT_EQ(session.Project()->Autore, "Ann");
    EXPECT_TRUE(session.Changed());

    EXPECT_EQ(set("SCENARIO$1$FILE", "A name longer than fifteen"), "A name longer t");
    EXPECT_EQ(session.Tree().Find("SCENARIO$1")->text, "A name longer t");
    EXPECT_EQ(scenario::ReadScenarioFile(s->FullPath).scenName, "A name longer t");

    // A description change makes the scenario uncompiled.
    std::ofstream(compiler::CompileRun::SptPath(s->FullPath)) << "compiled";
    std::ofstream(compiler::CompileRun::ErrPath(s->FullPath)) << "error";
    set("SCENARIO$1$DESCRIZIONE", "Lights at dusk");
    EXPECT_EQ(scenario::ReadScenarioFile(s->FullPath).descrizione, "Lights at dusk");
    EXPECT_FALSE(fs::exists(compiler::CompileRun::SptPath(s->FullPath)));
    EXPECT_FALSE(fs::exists(compiler::CompileRun::ErrPath(s->FullPath)));
    EXPECT_EQ(test::ReadText(compiler::ListingPath(s->FullPath)),
              files::CsvLineBytes(texts::GetText(1613) + "\t1.tdx\tLights at dusk\t" +
                                  texts::GetText(1614)));
    EXPECT_EQ(s->Stato, stscrDisabled);
    set("SCENARIO$1$STATO", "x", false);

    set("COLLEZIONE$TASTOPANICO$PULSANTE", "12");
    EXPECT_EQ(session.Project()->TastoPanico.Pulsante, 12);
    set("COLLEZIONE$TASTOPANICO$PULSANTE", "-1", false);
    set("COLLEZIONE$TASTOPANICO$TYPECMD", "3", false);
    set("COLLEZIONE$TASTOPANICO$CONF_A", "abc", false);
    EXPECT_EQ(session.Project()->TastoPanico.Pulsante, 12);

    // Scenario commands go into the scenario file, so they survive a save and an open.
    set("SCENARIO$1$ABILITA$TYPECMD", "1");
    set("SCENARIO$1$ABILITA$CONF_A", "2");
    set("SCENARIO$1$DISABILITA$TYPECMD", "2");
    set("SCENARIO$1$DISABILITA$INDIRIZZO_CEN", "115");
    fs::path tdj = files / "villa.tdj";
    ASSERT_EQ(session.SaveProject(tdj.string()), "");
    // A save killed part-way left its temporary beside the project; opening
    // the project removes it, but not one of a save still running.
    pid_t gone = fork();
    if (gone == 0) _exit(0);
    waitpid(gone, nullptr, 0);
    const fs::path killed = files / (".villa.tdj.~p" + std::to_string(gone) + "-a1B2c3");
    const fs::path running = files / (".villa.tdj.~p" + std::to_string(getpid()) + "-a1B2c3");
    test::WriteText(killed, "half a project");
    test::WriteText(running, "half a project");
    std::string msg;
    ASSERT_TRUE(session.LoadFilePrj(tdj.string(), msg));
    EXPECT_FALSE(fs::exists(killed));
    EXPECT_TRUE(fs::exists(running));
    auto back = session.Project()->Scenari()->Item("1");
    EXPECT_EQ(back->Abilita.TypeCMD, 1);
    EXPECT_EQ(back->Abilita.Conf_A, 2);
    EXPECT_EQ(back->Disabilita.Indirizzo_CEN, 115);
    EXPECT_EQ(back->ScriptName, "A name longer t");
    EXPECT_EQ(session.Project()->TastoPanico.TypeCMD, 0);  // no frame without a type
    set("SCENARIO$9$FILE", "x", false);
    set("NOPE", "x", false);
}

TEST_F(Session, DuplicateExportAndImportOfScenarioFiles) {
    auto s = session.NewScenario("Hall");
    test::WriteScenario(s->FullPath, "Hall", "first");
    s->Descrizione = "first";
    auto copy = session.DuplicateScenario(s->Key);
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->FilePath, "2.spt/2.tdx");
    EXPECT_EQ(copy->ScriptName, "Hall");
    EXPECT_EQ(copy->Key, "2");
    EXPECT_EQ(test::ReadText(copy->FullPath), test::ReadText(s->FullPath));

    std::string msg;
    ASSERT_TRUE(session.ExportScenario(s->Key, (files / "hall").string(), msg));
    EXPECT_TRUE(fs::exists(files / "hall.TDX"));
    ASSERT_TRUE(session.ExportScenario(s->Key, (files / "hall.tdx").string(), msg));
    EXPECT_FALSE(session.ExportScenario(s->Key, (files / "no" / "x.tdx").string(), msg));
    EXPECT_EQ(msg, texts::GetText(1090));
    // No name chosen: nothing is written anywhere.
    EXPECT_FALSE(session.ExportScenario(s->Key, "", msg));
    EXPECT_FALSE(fs::exists(".TDX"));

    auto imported = session.ImportScenarioFile((files / "hall.TDX").string());
    EXPECT_EQ(imported->FilePath, "3.spt/3.tdx");
    EXPECT_EQ(imported->Descrizione, "first");
    EXPECT_NE(session.Tree().Find("SCENARIO$3"), nullptr);
    test::WriteScenarioHeader(files / "bad.tdx", "other", 4, 0, 11);
    EXPECT_THROW(session.ImportScenarioFile((files / "bad.tdx").string()), ProjectError);
    EXPECT_FALSE(fs::exists(session.WorkingFolder() / "4.spt"));
}

TEST_F(Session, ImportFromAnotherProject) {
    // The other project: its settings file has another base name.
    ProjectSession other;
    other.NewProject();
    other.Project()->Nome = "Other";
    auto a = other.NewScenario("Garden");
    auto b = other.NewScenario("Garage");
    test::WriteScenario(a->FullPath, "Garden");
    test::WriteScenario(b->FullPath, "Garage");
    fs::path tdj = files / "other.tdj";
    ASSERT_EQ(other.SaveProject((files / "renamed.tdj").string()), "");
    fs::rename(files / "renamed.tdj", tdj);

    session.NewProject();
    session.Project()->Nome = "Villa";
    auto own = session.NewScenario("Hall");
    test::WriteScenario(own->FullPath, "Hall");
    auto rows = session.OpenProjectForImport(tdj.string());
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].text, "Garden");
    EXPECT_EQ(rows[1].text, "Garage");
    EXPECT_TRUE(files::IsInside(rows[0].tag, session.ImportFolder()));
    rows[1].checked = true;
    std::string msg;
    EXPECT_EQ(session.ImportScenarios(rows, msg), 1);
    EXPECT_EQ(msg, "");
    session.CloseImport();
    auto p = session.Project();
    ASSERT_EQ(p->Scenari()->Count(), 2);
    EXPECT_EQ(p->Scenari()->Item(2)->ScriptName, "Garage");
    EXPECT_EQ(p->Scenari()->Item(2)->FilePath, "2.spt/2.tdx");
    for (const auto& e : fs::directory_iterator(fx.data()))
        EXPECT_NE(e.path().filename().string().rfind("PRJ", 0), 0u) << e.path();

    try {
        session.OpenProjectForImport((files / "none.tdj").string());
        FAIL();
    } catch (const ProjectError& e) {
        EXPECT_EQ(std::string(e.what()), texts::GetText(1031));
    }
    std::ofstream(files / "bad.tdj") << "garbage";
    try {
        session.OpenProjectForImport((files / "bad.tdj").string());
        FAIL();
    } catch (const ProjectError& e) {
        EXPECT_EQ(std::string(e.what()), texts::GetText(1009));
    }
    EXPECT_TRUE(session.ImportFolder().empty());
}

namespace {

// The reports a tree listener received, one line each: "replaced", or the
// keys with + added, - removed, ~ changed.
std::vector<std::string> Shown(const std::vector<TreeChange>& reports) {
    std::vector<std::string> out;
    for (const auto& r : reports) {
        std::string line = r.replaced ? "replaced" : "";
        auto list = [&](const char* mark, const std::vector<std::string>& keys) {
            for (const auto& k : keys) line += (line.empty() ? "" : " ") + (mark + k);
        };
        list("-", r.removed);
        list("+", r.added);
        list("~", r.changed);
        out.push_back(line);
    }
    return out;
}

std::string Branch(const std::string& mark, const std::string& key) {
    std::string node = "SCENARIO$" + key;
    return mark + node + " " + mark + node + "$ABILITA " + mark + node + "$DISABILITA";
}

}  // namespace

TEST_F(Session, EveryOperationReportsExactlyTheNodesItChanged) {
    std::vector<TreeChange> reports;
    int id = session.AddTreeListener([&](const TreeChange& c) { reports.push_back(c); });
    auto taken = [&] {
        auto r = Shown(reports);
        reports.clear();
        return r;
    };
    using Lines = std::vector<std::string>;
    struct Quiet : compiler::CompileObserver {
        void log(const std::string&, const std::string&) override {}
    } quiet;

    auto hall = session.NewScenario("Hall");
    EXPECT_EQ(taken(), Lines{Branch("+", "1")});
    test::WriteScenario(hall->FullPath, "Hall");
    session.DuplicateScenario("1");
    EXPECT_EQ(taken(), Lines{Branch("+", "2")});
    set("SCENARIO$2$FILE", "Garden");
    EXPECT_EQ(taken(), Lines{"~SCENARIO$2"});
    // Neither the project's own items nor a refused value touch the tree.
    set("COLLEZIONE$AUTORE", "Ann");
    set("SCENARIO$2$ABILITA$TYPECMD", "9", false);
    EXPECT_EQ(taken(), Lines{});

    // A compile reports the scenarios whose state image changed, and only those.
    session.Compile("1", quiet);
    EXPECT_EQ(taken(), Lines{"~SCENARIO$1"});
    session.Compile("1", quiet);
    EXPECT_EQ(taken(), Lines{});
    set("SCENARIO$1$DESCRIZIONE", "At dusk");
    EXPECT_EQ(taken(), Lines{"~SCENARIO$1"});

    std::string msg;
    ASSERT_TRUE(session.ExportScenario("1", (files / "hall.tdx").string(), msg));
    session.ImportScenarioFile((files / "hall.tdx").string());
    EXPECT_EQ(taken(), Lines{Branch("+", "3")});
    fs::path tdj = files / "villa.tdj";
    ASSERT_EQ(session.SaveProject(tdj.string()), "");
    auto rows = session.OpenProjectForImport(tdj.string());
    ASSERT_EQ(rows.size(), 3u);
    rows[0].checked = rows[2].checked = true;
    EXPECT_EQ(session.ImportScenarios(rows, msg), 2);
    session.CloseImport();
    EXPECT_EQ(taken(), Lines{Branch("+", "4") + " " + Branch("+", "5")});

    session.DeleteScenario("2");
    EXPECT_EQ(taken(), Lines{Branch("-", "2")});

    // Opening and a new project rebuild the tree; so does a failed open,
    // which leaves the fixed nodes. A missing file changes nothing.
    ASSERT_TRUE(session.LoadFilePrj(tdj.string(), msg)) << msg;
    EXPECT_EQ(taken(), Lines{"replaced"});
    std::ofstream(files / "broken.tdj") << "not a zip";
    EXPECT_THROW(session.LoadFilePrj((files / "broken.tdj").string(), msg), ProjectError);
    EXPECT_EQ(taken(), Lines{"replaced"});
    EXPECT_THROW(session.LoadFilePrj((files / "none.tdj").string(), msg), ProjectError);
    EXPECT_EQ(taken(), Lines{});
    session.NewScenario("Attic");
    EXPECT_EQ(taken(), Lines{Branch("+", "1")});
    session.NewProject();
    EXPECT_EQ(taken(), Lines{"replaced"});

    // A change made through the tree itself goes with the next report.
    session.NewScenario("Porch");
    taken();
    session.Tree().Find("SCENARIO$1")->text = "Veranda";
    session.NewScenario("Roof");
    EXPECT_EQ(taken(), Lines{Branch("+", "2") + " ~SCENARIO$1"});

    session.RemoveTreeListener(id);
    session.NewScenario("Cellar");
    EXPECT_EQ(taken(), Lines{});
}

TEST(RecentFiles, MovesToTheTopAndKeepsFour) {
    test::FixtureEnv fx(false);
    RecentFiles r;
    r.ReadIni();
    EXPECT_FALSE(r.AnyEntry());
    for (const char* f : {"/a.tdj", "/b.tdj", "/c.tdj", "/d.tdj"}) r.SaveFileCfgToIni(f);
    EXPECT_EQ(r.Entries(), (std::vector<std::string>{"/d.tdj", "/c.tdj", "/b.tdj", "/a.tdj"}));
    r.SaveFileCfgToIni("/b.tdj");
    EXPECT_EQ(r.Entries(), (std::vector<std::string>{"/b.tdj", "/d.tdj", "/c.tdj", "/a.tdj"}));
    r.SaveFileCfgToIni("/b.tdj");
    r.SaveFileCfgToIni("");
    r.SaveFileCfgToIni("/e.tdj");
    EXPECT_EQ(r.Entries(), (std::vector<std::string>{"/e.tdj", "/b.tdj", "/d.tdj", "/c.tdj"}));
    RecentFiles again;
    again.ReadIni();
    EXPECT_EQ(again.Entries(), r.Entries());
    EXPECT_EQ(profile::GetString(env::Env().configFile(), "FileCfg", "File1"), "/e.tdj");
}

TEST(RecentFiles, APathTheConfigurationCannotHoldIsNeverListedAndTheSaveSucceeds) {
    test::FixtureEnv fx;
    test::TempDir d;
    RecentFiles r;
    r.ReadIni();
    r.SaveFileCfgToIni("/a.tdj");
    const std::string ini = test::ReadText(env::Env().configFile());
    // A file name that would add a section of its own, and names that would
    // read back as another file.
    for (std::string bad :
         {std::string("/x\n[KERNIX]\nProgram=/p/prog\n.tdj"), std::string("/x\0y.tdj", 8),
          std::string("/x\r.tdj"), std::string(" /a.tdj"), std::string("\"/b.tdj\"")}) {
        EXPECT_TRUE(r.SaveFileCfgToIni(bad));
        EXPECT_EQ(r.Entries(), (std::vector<std::string>{"/a.tdj", "", "", ""}));
        EXPECT_EQ(test::ReadText(env::Env().configFile()), ini);
    }
    // A project saved under such a name is saved, and stays out of the list.
    ProjectSession session;
    session.NewProject();
    session.Project()->Nome = "Villa";
    fs::create_directories(d / "x\n[KERNIX]");
    Host().ProjectFile = (d / "x\n[KERNIX]" / "villa.tdj").string();
    EXPECT_EQ(session.SaveCurrent(&r), "");
    EXPECT_TRUE(fs::is_regular_file(Host().ProjectFile));
    EXPECT_FALSE(session.Changed());
    EXPECT_EQ(r.Entries()[0], "/a.tdj");
    EXPECT_EQ(test::ReadText(env::Env().configFile()), ini);
    EXPECT_TRUE(profile::Keys(env::Env().configFile(), "KERNIX").empty());
}
