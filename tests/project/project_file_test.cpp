// Settings file, opening and saving project files, validation, info.xml and
// the controller file.
#include <gtest/gtest.h>

#include <fstream>

#include "compiler/frames.h"
#include "compiler/listing.h"
#include "env/environment.h"
#include "env/errors.h"
#include "env/files.h"
#include "env/profile.h"
#include "env/state.h"
#include "env/texts.h"
#include "env/version.h"
#include "model/scenario_file.h"
#include "project/archive.h"
#include "project/session.h"
#include "project/settings.h"
#include "project/validation.h"
#include "project_support.h"
#include "support/test_env.h"
#include "zip_writer.h"

using namespace tessed;
using namespace tessed::project;
namespace fs = std::filesystem;

namespace {

fs::path work() { return env::Env().workingFolder(); }

// Packs a working-folder layout (settings text and scenario folders) made by
// hand into a project file, as another version of the component would.
void packByHand(const fs::path& layout, const fs::path& target) {
    test::TempDir staging;
    for (const auto& e : fs::directory_iterator(layout)) {
        if (e.is_directory()) {
            // Sub-folders too, under their relative names, as zip tools pack them.
            std::vector<archive::ArchiveItem> items;
            for (const auto& f : fs::recursive_directory_iterator(e.path()))
                if (f.is_regular_file())
                    items.push_back({fs::relative(f.path(), e.path()).generic_string(), f.path()});
            ASSERT_TRUE(archive::WriteArchive(
                staging.path() / (e.path().filename().string() + ".zip"), items));
        } else
            fs::copy_file(e.path(), staging.path() / e.path().filename());
    }
    ASSERT_TRUE(archive::PackProject(staging.path(), target));
}

void writeSettings(const fs::path& file, const std::string& generale, const std::string& list) {
    std::ofstream(file) << "[generale]\r\nkeyfile=Tessaro\r\n" << generale << "[file]\r\n" << list;
}

std::string hex(const std::string& s) { return files::TextToHex(s); }

}  // namespace

TEST(Settings, HexTextsFromRevision11OfTheOwnVersionOn) {
    const int M = kVersionMajor, m = kVersionMinor;
    EXPECT_EQ((std::vector<bool>{HexEncodedTexts(M, m, 11), HexEncodedTexts(M, m, 12),
                                 HexEncodedTexts(M, m, 10), HexEncodedTexts(M, m + 1, 0),
                                 HexEncodedTexts(M + 1, 0, 0), HexEncodedTexts(M - 1, 9, 99)}),
              (std::vector<bool>{true, true, false, true, true, false}));
}

TEST(Settings, FormatWritesTheKeysInOrderWithBackslashPaths) {
    Collezione c;
    c.Nome = "Villa";
    c.TastoPanico.TypeCMD = 1;
    c.TastoPanico.Conf_A = 1;
    c.TastoPanico.Conf_PL = 5;
    std::string text = FormatSettings(c, {"3.spt/3.tdx", "7.spt\\7.tdx"});
    std::string expected =
        "[generale]\r\nkeyfile=Tessaro\r\nAPP_MAJOR=" + std::to_string(kVersionMajor) +
        "\r\nAPP_MINOR=" + std::to_string(kVersionMinor) +
        "\r\nAPP_REVISION=" + std::to_string(kVersionRevision) + "\r\nnome=" + hex("Villa") +
        "\r\ndescrizione=\r\nautore=\r\ntastopanico=" + compiler::BuildCommandFrame(c.TastoPanico) +
        "\r\n[file]\r\nfile1=3.spt\\3.tdx\r\nfile2=7.spt\\7.tdx\r\n";
    EXPECT_EQ(text, expected);
}

TEST(Settings, ScenarioPathsMustStayInsideTheProjectFolder) {
    test::TempDir d;
    EXPECT_EQ(*ScenarioFileOf(d.path(), "3.spt\\3.tdx"), d.path() / "3.spt" / "3.tdx");
    EXPECT_FALSE(ScenarioFileOf(d.path(), "..\\other\\1.tdx"));
    EXPECT_FALSE(ScenarioFileOf(d.path(), "/etc/passwd"));
    EXPECT_FALSE(ScenarioFileOf(d.path(), "C:\\x\\1.tdx"));
    fs::create_directory_symlink("/tmp", d.path() / "out.spt");
    EXPECT_FALSE(ScenarioFileOf(d.path(), "out.spt\\1.tdx"));
}

TEST(Validation, SignatureAndVersionRules) {
    test::FixtureEnv fx;
    test::TempDir d;
    Scenario s;
    std::string msg;
    test::WriteScenarioHeader(d / "a.tdx", "TESSARO", kVersionMajor, kVersionMinor, 999);
    EXPECT_TRUE(ValidateScenarioFile((d / "a.tdx").string(), s, msg)) << msg;
    EXPECT_EQ(s.ScriptName, "Hall");
    EXPECT_EQ(s.Descrizione, "Hall lights");

    test::WriteScenarioHeader(d / "b.tdx", "Other", kVersionMajor, kVersionMinor, 1);
    EXPECT_FALSE(ValidateScenarioFile((d / "b.tdx").string(), s, msg));
    EXPECT_EQ(msg, texts::GetText(1024));

    test::WriteScenarioHeader(d / "c.tdx", "Tessaro", kVersionMajor, kVersionMinor + 1, 0);
    EXPECT_FALSE(ValidateScenarioFile((d / "c.tdx").string(), s, msg));
    std::string own = std::to_string(kVersionMajor) + "." + std::to_string(kVersionMinor) + "." +
                      std::to_string(kVersionRevision);
    std::string file =
        std::to_string(kVersionMajor) + "." + std::to_string(kVersionMinor + 1) + ".0";
    EXPECT_EQ(msg,
              texts::GetText(1007) + " (" + file + ") " + texts::GetText(1008) + " (" + own + ")");

    std::ofstream(d / "d.tdx") << "not xml <";
    EXPECT_FALSE(ValidateScenarioFile((d / "d.tdx").string(), s, msg));
    EXPECT_FALSE(msg.empty());
    EXPECT_FALSE(ValidateScenarioFile((d / "missing.tdx").string(), s, msg));
}

TEST(Validation, NameAndDescriptionAreWrittenIntoTheFileKeepingItsElements) {
    test::FixtureEnv fx;
    test::TempDir d;
    fs::path f = d / "1.tdx";
    test::WriteScenario(f, "Kitchen");
    PrintDescri2Script(f.string(), "Lights <on> & \"off\"\r\nsecond line");
    PrintName2Script(f.string(), "Cucina è");
    Scenario s;
    std::string msg;
    ASSERT_TRUE(ValidateScenarioFile(f.string(), s, msg));
    EXPECT_EQ(s.ScriptName, "Cucina è");
    EXPECT_EQ(s.Descrizione, "Lights <on> & \"off\"\r\nsecond line");
    auto content = scenario::ReadScenarioFile(f);
    ASSERT_NE(content.table("TMP_TRIGGER"), nullptr);
    EXPECT_EQ(content.table("TMP_TRIGGER")->size(), 1u);
    EXPECT_THROW(PrintDescri2Script((d / "none.tdx").string(), "x"), ProjectError);
}

TEST(InfoFile, ListsTheRememberedScenariosInOrder) {
    Collezione c;
    c.TastoPanico.TypeCMD = 2;
    c.TastoPanico.Indirizzo_CEN = 123;
    c.TastoPanico.PULSANTE_CEN = 7;
    std::string xml = FormatInfoFile(c, {{"3.spt", 3, "a & b", "Hall"}, {"", 0, "", ""}});
    test::ExpectContains(
        xml, {"<panic>*25*22#7*2123##</panic>",
              "<ver_sw>" + std::string(kVersionText) + "</ver_sw>", "<name>Tessed40</name>",
              "<scenario_1>\n    <name>3.spt</name>\n    <id>3</id>\n    "
              "<description>a &#x26; b</description>\n    <scen_name>Hall</scen_name>"});
    EXPECT_EQ(xml.find("scenario_2"), std::string::npos);
    EXPECT_EQ(FormatInfoFile(c, {}).find("scenario_"), std::string::npos);
}

// A conforming parser refuses a whole document for one control character,
// even as a character reference, or one byte that is not UTF-8.
TEST(InfoFile, HoldsOnlyWhatXml10Allows) {
    Collezione c;
    std::string xml =
        FormatInfoFile(c, {{"3.spt", 3, "Bell\x07 esc\x1B end\tcaf\xE8", "Ctl\x01name"}});
    test::ExpectContains(xml, {"<description>Bell  esc  end&#x9;caf\xEF\xBF\xBD</description>",
                               "<scen_name>Ctl name</scen_name>"});
    EXPECT_TRUE(profile::IsValidUtf8(xml));
    for (int ch = 0; ch < 0x20; ++ch) {
        if (ch == '\t' || ch == '\n' || ch == '\r') continue;
        std::string hex = "0123456789abcdef";
        std::string ref =
            "&#x" + (ch >= 0x10 ? std::string(1, hex[ch >> 4]) : "") + hex[ch & 15] + ";";
        EXPECT_EQ(xml.find(ref), std::string::npos) << ref;
        EXPECT_EQ(xml.find(char(ch)), std::string::npos) << ch;
    }
}

struct ControllerFile : ::testing::Test {
    test::FixtureEnv fx;
    test::TempDir out;
    std::shared_ptr<Collezione> project = std::make_shared<Collezione>();

    void addScenario(const std::string& key, const std::string& listing) {
        auto s = std::make_shared<Scenario>();
        s->FullPath = (work() / (key + ".spt") / (key + ".tdx")).string();
        fs::create_directories(work() / (key + ".spt"));
        if (!listing.empty()) files::WriteFileAtomic(compiler::ListingPath(s->FullPath), listing);
        project->Scenari()->Add(key, s);
    }
};

TEST_F(ControllerFile, HeaderThenEveryListingByteForByte) {
    project->Nome = "Villa";
    project->Descrizione = "Two floors";
    project->Autore = "Ann";
    std::string l1("A\0B\0", 4), l2("\xFF\0\r\0", 4);
    addScenario("1", l1);
    addScenario("2", l2);
    fs::path csv = out / "villa.csv";
    std::ofstream(csv) << "old content";
    ASSERT_EQ(MAKEALLCSV(csv.string(), project), kCsvOk);
    std::string expected(files::kUtf16Bom);
    expected += files::CsvLineBytes(texts::GetText(1608) + "\tVilla");
    expected += files::CsvLineBytes(texts::GetText(1609) + "\tTwo floors");
    expected += files::CsvLineBytes(texts::GetText(1610) + "\tAnn");
    expected += files::CsvLineBytes(texts::GetText(1611) + "\t");
    expected += files::CsvLineBytes(texts::GetText(1612));
    expected += l1 + std::string("\r\0\n\0", 4) + l2 + std::string("\r\0\n\0", 4);
    EXPECT_EQ(test::ReadText(csv), expected);
}

// The project's texts are what the user typed: a tab, CR or LF in them is a
// blank, never a new field or a new line of the header.
TEST_F(ControllerFile, TheProjectsTextsStayOneFieldEach) {
    project->Nome = "Villa\tRossi";
    project->Descrizione = "Two\r\nfloors\t";
    project->Autore = "\tAnn";
    fs::path csv = out / "villa.csv";
    ASSERT_EQ(MAKEALLCSV(csv.string(), project), kCsvOk);
    std::string expected(files::kUtf16Bom);
    expected += files::CsvLineBytes(texts::GetText(1608) + "\tVilla Rossi");
    expected += files::CsvLineBytes(texts::GetText(1609) + "\tTwo  floors ");
    expected += files::CsvLineBytes(texts::GetText(1610) + "\t Ann");
    expected += files::CsvLineBytes(texts::GetText(1611) + "\t");
    expected += files::CsvLineBytes(texts::GetText(1612));
    EXPECT_EQ(test::ReadText(csv), expected);
}

TEST_F(ControllerFile, AFailedJobLeavesTheOutputAsItWas) {
    addScenario("1", "x");
    addScenario("2", "");
    fs::path csv = out / "villa.csv";
    std::ofstream(csv) << "old content";
    EXPECT_EQ(MAKEALLCSV(csv.string(), project), kCsvListingMissing);
    EXPECT_EQ(test::ReadText(csv), "old content");
    EXPECT_EQ(MAKEALLCSV((out / "no" / "such" / "x.csv").string(), std::make_shared<Collezione>()),
              kCsvCannotWrite);
    fs::create_directories(out / "dir.csv" / "inside");
    EXPECT_EQ(MAKEALLCSV((out / "dir.csv").string(), std::make_shared<Collezione>()),
              kCsvCannotDelete);
    EXPECT_TRUE(fs::is_directory(out / "dir.csv" / "inside"));
    // A write-protected output is not replaced; one reached through a link is
    // written into the file the link names.
    fs::permissions(csv, fs::perms::owner_read | fs::perms::group_read);
    EXPECT_EQ(MAKEALLCSV(csv.string(), std::make_shared<Collezione>()), kCsvCannotDelete);
    EXPECT_EQ(test::ReadText(csv), "old content");
    fs::permissions(csv, fs::perms::owner_write, fs::perm_options::add);
    fs::create_symlink(csv, out / "link.csv");
    ASSERT_EQ(MAKEALLCSV((out / "link.csv").string(), std::make_shared<Collezione>()), kCsvOk);
    EXPECT_TRUE(fs::is_symlink(out / "link.csv"));
    EXPECT_EQ(test::ReadText(csv).substr(0, 2), files::kUtf16Bom);
}

TEST_F(ControllerFile, TheProjectFileAndTheWorkingFoldersAreNeverTheOutput) {
    addScenario("1", "x");
    fs::path tdj = out / "villa.tdj";
    std::ofstream(tdj) << "the project";
    Host().ProjectFile = tdj.string();
    fs::create_directories(out / "sub");
    fs::create_hard_link(tdj, out / "hard.tdj");
    fs::create_symlink(tdj, out / "soft.tdj");
    for (const fs::path& same :
         {tdj, out / "sub" / ".." / "villa.tdj", out / "hard.tdj", out / "soft.tdj"}) {
        EXPECT_EQ(ControllerFileRefused(same.string(), tdj.string()), "the project file") << same;
        EXPECT_EQ(MAKEALLCSV(same.string(), project), kCsvCannotDelete) << same;
    }
    EXPECT_EQ(test::ReadText(tdj), "the project");
    const fs::path listing = compiler::ListingPath(project->Scenari()->Item(1)->FullPath);
    for (const fs::path& inside : {listing, work() / "out.csv", fx.data() / "temp" / "x.csv",
                                   fx.data() / "dat" / "TESSEDITA.mdb"}) {
        EXPECT_NE(ControllerFileRefused(inside.string(), tdj.string()), "") << inside;
        EXPECT_EQ(MAKEALLCSV(inside.string(), project), kCsvCannotDelete) << inside;
    }
    EXPECT_EQ(test::ReadText(listing), "x");
    EXPECT_EQ(ControllerFileRefused(env::Env().configFile().string(), ""),
              "the configuration file");
    EXPECT_EQ(ControllerFileRefused((out / "villa.csv").string(), tdj.string()), "");
}

struct ProjectFiles : ::testing::Test {
    test::FixtureEnv fx;
    test::TempDir files;
    ProjectSession session;
    fs::path layout = files / "layout";

    void SetUp() override { fs::create_directories(layout); }
    std::string open(const fs::path& tdj, bool expected = true) {
        std::string msg;
        EXPECT_EQ(session.LoadFilePrj(tdj.string(), msg), expected) << msg;
        return msg;
    }
};

TEST_F(ProjectFiles, OlderRevisionKeepsPlainTextsAndCurrentOneDecodesHex) {
    test::WriteScenario(layout / "1.spt" / "1.tdx", "Hall");
    writeSettings(layout / "old.prj",
                  "APP_MAJOR=4\r\nAPP_MINOR=0\r\nAPP_REVISION=10\r\nnome=Villa Rosa\r\n"
                  "descrizione=Plain\r\nautore=Bob\r\ntastopanico=*15*01*15##\r\n",
                  "file1=1.spt\\1.tdx\r\n");
    packByHand(layout, files / "old.tdj");
    open(files / "old.tdj");
    auto p = session.Project();
    EXPECT_EQ(std::tuple(p->Nome, p->Descrizione, p->Autore),
              std::tuple("Villa Rosa", "Plain", "Bob"));
    const auto& panic = p->TastoPanico;
    EXPECT_EQ(std::tuple(panic.TypeCMD, panic.Conf_A, panic.Conf_PL, panic.Pulsante),
              std::tuple(1, 1, 5, 1));
    ASSERT_EQ(p->Scenari()->Count(), 1);
    auto s = p->Scenari()->Item("1");
    EXPECT_EQ(std::tuple(s->ScriptName, s->FileName, s->FilePath, s->Stato),
              std::tuple("Hall", "1.tdx", "1.spt/1.tdx", stscrDisabled));
    EXPECT_EQ(fs::path(s->FullPath), work() / "1.spt" / "1.tdx");

    fs::remove(layout / "old.prj");
    writeSettings(layout / "new.prj",
                  "APP_MAJOR=4\r\nAPP_MINOR=0\r\nAPP_REVISION=11\r\nnome=" + hex("Villa") +
                      "\r\ndescrizione=" + hex("Due piani") + "\r\nautore=" + hex("Anna") + "\r\n",
                  "file1=1.spt\\1.tdx\r\n");
    packByHand(layout, files / "new.tdj");
    open(files / "new.tdj");
    EXPECT_EQ(std::tuple(session.Project()->Nome, session.Project()->Descrizione),
              std::tuple("Villa", "Due piani"));
}

TEST_F(ProjectFiles, GapMissingInvalidAndOutsideEntries) {
    test::WriteScenario(layout / "1.spt" / "1.tdx", "One");
    test::WriteScenarioHeader(layout / "2.spt" / "2.tdx", "Wrong", 4, 0, 11);
    test::WriteScenario(layout / "5.spt" / "5.tdx", "After gap");
    writeSettings(layout / "other.prj", "APP_MAJOR=4\r\nAPP_MINOR=0\r\nAPP_REVISION=11\r\n",
                  "file1=1.spt\\1.tdx\r\nfile2=9.spt\\9.tdx\r\nfile3=2.spt\\2.tdx\r\n"
                  "file4=..\\..\\escape.tdx\r\nfile6=5.spt\\5.tdx\r\n");
    // The settings file's base name differs from the project file's: the first
    // "*.prj" is taken.
    packByHand(layout, files / "villa.tdj");
    std::string msg = open(files / "villa.tdj", false);
    EXPECT_EQ(msg, texts::GetText(1053) + "\r2.spt\\2.tdx - (" + texts::GetText(1024) +
                       ")\r..\\..\\escape.tdx - (" + texts::GetText(1780) + ")\r");
    auto p = session.Project();
    ASSERT_EQ(p->Scenari()->Count(), 1);
    EXPECT_EQ(p->Scenari()->Item(1)->Key, "1");
    EXPECT_NE(session.Tree().Find("SCENARIO$1"), nullptr);

    // Only a missing scenario: the open succeeds with the list of missing ones.
    writeSettings(layout / "other.prj", "APP_MAJOR=4\r\nAPP_MINOR=0\r\nAPP_REVISION=11\r\n",
                  "file1=1.spt\\1.tdx\r\nfile2=9.spt\\9.tdx\r\n");
    packByHand(layout, files / "villa.tdj");
    EXPECT_EQ(open(files / "villa.tdj"), texts::GetText(1032) + "\r9.spt\\9.tdx\r");
}

TEST_F(ProjectFiles, FailedOpenClearsTheWorkingFolderAndRaises10001) {
    std::string msg;
    try {
        session.LoadFilePrj((files / "none.tdj").string(), msg);
        FAIL();
    } catch (const ProjectError& e) {
        EXPECT_EQ(e.number(), 10001);
        EXPECT_EQ(std::string(e.what()), texts::GetText(1031));
    }
    std::ofstream(work() / "stale.txt") << "x";
    std::ofstream(files / "broken.tdj") << "not a zip";
    EXPECT_THROW(session.LoadFilePrj((files / "broken.tdj").string(), msg), ProjectError);
    EXPECT_TRUE(fs::is_empty(work()));
    // An archive without a settings file.
    test::WriteScenario(layout / "1.spt" / "1.tdx", "One");
    packByHand(layout, files / "noprj.tdj");
    EXPECT_THROW(session.LoadFilePrj((files / "noprj.tdj").string(), msg), ProjectError);
    EXPECT_TRUE(fs::is_empty(work()));
    EXPECT_EQ(session.Project()->Scenari()->Count(), 0);
}

TEST_F(ProjectFiles, SaveAndOpenKeepLongTextsAndCompileState) {
    session.NewProject();
    auto p = session.Project();
    p->Nome = "Villa";
    p->Descrizione = std::string(250, 'x') + "è" + std::string(249, 'y');
    p->Autore = "Ann";
    auto a = session.NewScenario("Hall");
    auto b = session.NewScenario("Garden");
    test::WriteScenario(a->FullPath, "Hall");
    test::WriteScenario(b->FullPath, "Garden");
    struct Quiet : compiler::CompileObserver {
        void log(const std::string&, const std::string&) override {}
    } quiet;
    auto r = session.Compile(a->Key, quiet);
    EXPECT_EQ(r.compiled, 1) << r.summary;
    EXPECT_EQ(a->Stato, stscrEnabled);
    EXPECT_EQ(session.Tree().Find("SCENARIO$" + a->Key)->image, "scriptok");

    fs::path tdj = files / "villa.tdj";
    ASSERT_EQ(session.SaveProject(tdj.string()), "");
    std::string info, prj;
    ASSERT_TRUE(archive::ReadEntry(tdj, "info.xml", info, archive::kProjectPassword));
    test::ExpectContains(info, {"<scenario_1>\n    <name>1.spt</name>"});
    EXPECT_EQ(info.find("2.spt"), std::string::npos);
    ASSERT_TRUE(archive::ReadEntry(tdj, "villa.prj", prj, archive::kProjectPassword));
    test::ExpectContains(prj, {"file2=2.spt\\2.tdx"});
    std::vector<archive::ArchiveEntryInfo> entries;
    ASSERT_TRUE(archive::ListArchive(tdj, entries));
    std::vector<std::string> names;
    for (const auto& e : entries) names.push_back(e.name);
    EXPECT_EQ(names, (std::vector<std::string>{"1.spt.zip", "2.spt.zip", "info.xml", "villa.prj"}));

    std::string description = p->Descrizione;
    open(tdj);
    EXPECT_EQ(session.Project()->Descrizione, description);
    auto list = session.Project()->Scenari();
    EXPECT_EQ(
        std::tuple(list->Item("1")->Stato, list->Item("2")->Stato, list->Item("2")->ScriptName),
        std::tuple(stscrEnabled, stscrDisabled, "Garden"));
}

TEST_F(ProjectFiles, RefusedSavesWriteNothing) {
    session.NewProject();
    session.Project()->Nome = "   ";
    fs::path tdj = files / "villa.tdj";
    std::ofstream(tdj) << "previous";
    EXPECT_EQ(session.SaveProject(tdj.string()), texts::GetText(1098));
    EXPECT_EQ(test::ReadText(tdj), "previous");
    EXPECT_FALSE(fs::exists(work() / "villa.prj"));

    session.Project()->Nome = "Villa";
    session.Project()->TastoPanico.TypeCMD = 2;
    EXPECT_EQ(session.SaveProject(tdj.string()), texts::GetText(1605));
    session.Project()->TastoPanico.TypeCMD = 1;
    EXPECT_EQ(session.SaveProject(tdj.string()), texts::GetText(1605));
    session.Project()->TastoPanico.Conf_PL = 3;
    EXPECT_EQ(session.SaveProject(""), texts::Format(texts::GetText(1781), {""}));
    EXPECT_FALSE(fs::exists(work() / ".prj"));
    // A target that cannot be replaced (a folder of that name): the save
    // reports it and the folder stays as it was.
    fs::create_directories(files / "busy.tdj" / "inside");
    std::string err = session.SaveProject((files / "busy.tdj").string());
    EXPECT_EQ(err, texts::Format(texts::GetText(1781), {(files / "busy.tdj").string()}));
    EXPECT_TRUE(fs::exists(files / "busy.tdj" / "inside"));
    EXPECT_EQ(test::ReadText(tdj), "previous");
    // No staging folder is left in the data folder.
    for (const auto& e : fs::directory_iterator(fx.data()))
        EXPECT_NE(e.path().filename().string().rfind("PRJ", 0), 0u) << e.path();
}

TEST_F(ProjectFiles, SaveRefusesAProjectWhoseScenarioFileHasGone) {
    session.NewProject();
    session.Project()->Nome = "Villa";
    auto a = session.NewScenario("Hall");
    auto b = session.NewScenario("Garden");
    test::WriteScenario(a->FullPath, "Hall");
    test::WriteScenario(b->FullPath, "Garden");
    fs::path tdj = files / "villa.tdj";
    Host().ProjectFile = tdj.string();
    ASSERT_EQ(session.SaveCurrent(), "");
    const std::string saved = test::ReadText(tdj);

    // The scenario's folder disappears behind the session's back.
    fs::remove_all(fs::path(b->FullPath).parent_path());
    session.SetChanged(true);
    EXPECT_EQ(session.SaveCurrent(), texts::GetText(1032) + "\rGarden (2.spt\\2.tdx)\r");
    EXPECT_EQ(test::ReadText(tdj), saved);
    EXPECT_TRUE(session.Changed());
    // Once the scenario is deleted from the project, the save goes through.
    ASSERT_TRUE(session.DeleteScenario(b->Key));
    ASSERT_EQ(session.SaveCurrent(), "");
    open(tdj);
    EXPECT_EQ(session.Project()->Scenari()->Count(), 1);
}

TEST_F(ProjectFiles, OlderMajorVersionIsConvertedToNumberedFolders) {
    test::WriteScenarioHeader(layout / "Scen" / "kitchen.tdx", "Tessaro", 3, 2, 5, "Kitchen");
    test::WriteScenarioHeader(layout / "Scen" / "hall.tdx", "Tessaro", 3, 2, 5, "Hall");
    writeSettings(layout / "old.prj",
                  "APP_MAJOR=3\r\nAPP_MINOR=2\r\nAPP_REVISION=5\r\nnome=Old villa\r\n",
                  "file1=Scen\\kitchen.tdx\r\nfile2=Scen\\gone.tdx\r\nfile3=Scen\\hall.tdx\r\n");
    // Older projects kept their scenario folders as plain folders in the archive.
    test::TempDir staging;
    fs::copy(layout, staging.path(), fs::copy_options::recursive);
    std::vector<archive::ArchiveItem> items = {
        {"old.prj", staging / "old.prj"},
        {"Scen/kitchen.tdx", staging / "Scen" / "kitchen.tdx"},
        {"Scen/hall.tdx", staging / "Scen" / "hall.tdx"}};
    ASSERT_TRUE(archive::WriteArchive(files / "old.tdj", items, archive::kProjectPassword));
    std::string msg = open(files / "old.tdj");
    EXPECT_EQ(msg, texts::GetText(1032) + "\rScen\\gone.tdx\r");
    auto p = session.Project();
    EXPECT_EQ(p->Nome, "Old villa");
    ASSERT_EQ(p->Scenari()->Count(), 2);
    for (auto [key, path, name] :
         {std::tuple{"1", "1.spt/1.tdx", "Kitchen"}, std::tuple{"3", "2.spt/2.tdx", "Hall"}})
        EXPECT_EQ(p->Scenari()->Item(key)->FilePath + " " + p->Scenari()->Item(key)->ScriptName,
                  std::string(path) + " " + name);
    EXPECT_FALSE(fs::exists(work() / "Scen"));
    for (const auto& e : fs::directory_iterator(fx.data()))
        EXPECT_NE(e.path().filename().string().rfind("PRJ", 0), 0u) << e.path();
}

// A project packed as the hostile corpus packs it: the settings file and
// one inner zip per folder of `layout`, with the project password, every
// entry with the given time (DOS fields `dosOffset` seconds ahead, as written
// in a zone east of here) and, unless `dosOnly`, the exact time too.
static void packRaw(const fs::path& layout, const fs::path& target, int64_t time, int64_t dosOffset,
                    bool dosOnly, std::vector<hostile::ZipEntry> extraInner = {}) {
    auto stamped = [&](std::string name, std::string content, std::string password) {
        hostile::ZipEntry e;
        e.name = std::move(name);
        e.content = std::move(content);
        e.password = std::move(password);
        hostile::SetTime(e, time, dosOffset);
        e.unixTime = !dosOnly;
        return e;
    };
    std::vector<hostile::ZipEntry> outer;
    for (const auto& d : fs::directory_iterator(layout)) {
        const std::string name = d.path().filename().string();
        if (!d.is_directory()) {
            outer.push_back(stamped(name, test::ReadText(d.path()), "KORVASNU"));
            continue;
        }
        std::vector<hostile::ZipEntry> inner;
        for (const auto& f : fs::directory_iterator(d.path()))
            inner.push_back(stamped(f.path().filename().string(), test::ReadText(f.path()), ""));
        for (auto& e : extraInner) inner.push_back(e);
        outer.push_back(stamped(name + ".zip", hostile::ZipBytes(inner), "KORVASNU"));
    }
    ASSERT_TRUE(hostile::WriteZip(target, outer));
}

TEST_F(ProjectFiles, AProjectBeyondAnyBoundIsRefusedSayingWhyAndLeavesNothing) {
    test::WriteScenario(layout / "1.spt" / "1.tdx", "Hall");
    const std::string generale =
        "APP_MAJOR=4\r\nAPP_MINOR=0\r\nAPP_REVISION=11\r\nnome=" + hex("Villa") + "\r\n";
    // A settings file larger than any: refused on open, not found empty.
    std::string padding;
    while (padding.size() <= profile::kMaxFileSize) padding += "; " + std::string(78, '-') + "\r\n";
    writeSettings(layout / "villa.prj", generale, "file1=1.spt\\1.tdx\r\n" + padding);
    packByHand(layout, files / "wide.tdj");
    // An inner zip holding 64 MiB of zeros in 64 KB.
    writeSettings(layout / "villa.prj", generale, "file1=1.spt\\1.tdx\r\n");
    hostile::ZipEntry bomb;
    bomb.name = "junk.bin";
    bomb.precompressed = true;
    bomb.deflated = hostile::DeflatedZeros(64);
    packRaw(layout, files / "bomb.tdj", 1705312800, 0, false, {bomb});

    const std::string opening = texts::GetText(1031) + "\r" + texts::GetText(1793);
    const std::string importing = texts::GetText(1009) + "\r" + texts::GetText(1793);
    struct Case {
        const char* file;
        std::string why;
    };
    for (const Case& c : {Case{"wide.tdj", "a settings file larger than 1 MiB"},
                          Case{"bomb.tdj", "1.spt.zip: junk.bin: unpacks to more than 32 MiB"}}) {
        std::string msg, what;
        try {
            session.LoadFilePrj((files / c.file).string(), msg);
        } catch (const ProjectError& e) {
            what = e.what();
        }
        EXPECT_EQ(what, texts::Format(opening, {c.why})) << c.file;
        EXPECT_TRUE(fs::is_empty(work())) << c.file;
        EXPECT_EQ(session.Project()->Scenari()->Count(), 0) << c.file;
        what.clear();
        try {
            session.OpenProjectForImport((files / c.file).string());
        } catch (const ProjectError& e) {
            what = e.what();
        }
        EXPECT_EQ(what, texts::Format(importing, {c.why})) << c.file;
    }
    // Neither left a scratch or staging folder behind (the lock of the
    // process's own area stays).
    std::vector<std::string> left;
    for (const auto& e : fs::recursive_directory_iterator(fx.data() / "temp"))
        if (e.is_regular_file() && e.path().extension() != ".lock")
            left.push_back(e.path().string());
    EXPECT_EQ(left, std::vector<std::string>{});
}

// An archive with DOS times only, written 14 hours east of here: its files
// unpack with times in the future unless moved back. A scenario compiled after
// the open must count as compiled, in the saved info.xml and after a reopen.
TEST_F(ProjectFiles, ACompileAfterOpeningTimesFromTheEastHoldsThroughSaveAndReopen) {
    test::WriteScenario(layout / "1.spt" / "1.tdx", "Hall");
    writeSettings(layout / "villa.prj",
                  "APP_MAJOR=4\r\nAPP_MINOR=0\r\nAPP_REVISION=11\r\nnome=" + hex("Villa") + "\r\n",
                  "file1=1.spt\\1.tdx\r\n");
    packRaw(layout, files / "east.tdj", int64_t(::time(nullptr)) - 10, 14 * 3600, true);
    open(files / "east.tdj");
    auto s = session.Project()->Scenari()->Item("1");
    EXPECT_LE(files::ModifiedSeconds(s->FullPath), int64_t(::time(nullptr)));
    struct Quiet : compiler::CompileObserver {
        void log(const std::string&, const std::string&) override {}
    } quiet;
    auto r = session.Compile(s->Key, quiet);
    EXPECT_EQ(r.compiled, 1) << r.summary;
    EXPECT_EQ(s->Stato, stscrEnabled);

    const fs::path saved = files / "saved.tdj";
    ASSERT_EQ(session.SaveProject(saved.string()), "");
    std::string info;
    ASSERT_TRUE(archive::ReadEntry(saved, "info.xml", info, archive::kProjectPassword));
    test::ExpectContains(info, {"<scenario_1>\n    <name>1.spt</name>"});
    open(saved);
    EXPECT_EQ(session.Project()->Scenari()->Item("1")->Stato, stscrEnabled);
}

TEST(OpenPrj, ReadsTheKeyfileInsideTheArchiveOrAPlainSettingsFile) {
    test::FixtureEnv fx;
    test::TempDir d;
    auto open = [](const fs::path& f) {
        std::string name = f.string();
        return OpenPrj(name);
    };
    EXPECT_EQ(open(""), 1);
    test::WriteText(d / "plain.prj", "[generale]\nkeyfile=tessaro\n");
    EXPECT_EQ(open(d / "plain.prj"), -1);
    test::WriteText(d / "wrong.prj", "[generale]\nkeyfile=other\n");
    EXPECT_EQ(open(d / "wrong.prj"), 0);

    test::WriteText(d / "stage" / "villa.prj", "[generale]\r\nkeyfile=Tessaro\r\n");
    ASSERT_TRUE(archive::PackProject(d / "stage", d / "villa.tdj"));
    EXPECT_EQ(open(d / "villa.tdj"), -1);
    fs::remove(d / "stage" / "villa.prj");
    test::WriteText(d / "stage" / "info.xml", "<script/>");
    ASSERT_TRUE(archive::PackProject(d / "stage", d / "noprj.tdj"));
    EXPECT_EQ(open(d / "noprj.tdj"), 0);
}

// Archives made elsewhere whose settings file does not name every folder
// exactly: every folder survives an open and a save.
struct LooseProjects : ProjectFiles {
    const std::string generale =
        "APP_MAJOR=4\r\nAPP_MINOR=0\r\nAPP_REVISION=11\r\nnome=" + hex("Villa") + "\r\n";
    // Opens, saves into `saved`, and lists the inner archives of the result.
    std::vector<std::string> roundTrip(const fs::path& tdj, const fs::path& saved) {
        open(tdj);
        EXPECT_EQ(session.SaveProject(saved.string()), "");
        std::vector<archive::ArchiveEntryInfo> list;
        EXPECT_TRUE(archive::ListArchive(saved, list));
        std::vector<std::string> zips;
        for (const auto& e : list)
            if (e.name.ends_with(".zip")) zips.push_back(e.name);
        return zips;
    }
    std::vector<std::string> keys() {
        std::vector<std::string> out;
        for (const auto& s : *session.Project()->Scenari())
            out.push_back(s->Key + " " + s->ScriptName);
        return out;
    }
};

TEST_F(LooseProjects, EntriesResolveWithoutRegardToLetterCaseOrCodePage) {
    test::WriteScenario(layout / "1.SPT" / "1.TDX", "Hall");
    test::WriteScenario(layout / "2.spt" /
                            "K\x81"
                            "che.tdx",
                        "Kitchen");  // code page 437
    test::WriteScenario(layout / "3.spt" / "Cave.tdx", "Cellar");
    // The settings file as Windows writes it, in Windows-1252.
    writeSettings(layout / "villa.prj", generale,
                  "file1=1.spt\\1.tdx\r\nfile2=2.spt\\K\xFC"
                  "che.tdx\r\nfile3=3.SPT\\CAVE.TDX\r\n");
    packByHand(layout, files / "villa.tdj");
    auto zips = roundTrip(files / "villa.tdj", files / "saved.tdj");
    EXPECT_EQ(keys(), (std::vector<std::string>{"1 Hall", "2 Kitchen", "3 Cellar"}));
    EXPECT_TRUE(session.UnlistedScenarioFiles().empty());
    // The folders keep their names, the entries their spelling.
    EXPECT_EQ(zips, (std::vector<std::string>{"1.SPT.zip", "2.spt.zip", "3.spt.zip"}));
    EXPECT_EQ(session.Project()->Scenari()->Item(1)->FilePath, "1.spt/1.tdx");
    open(files / "saved.tdj");
    EXPECT_EQ(keys(), (std::vector<std::string>{"1 Hall", "2 Kitchen", "3 Cellar"}));

    // Two files that both answer to an entry: neither is taken.
    test::WriteScenario(layout / "3.spt" / "cave.tdx", "Other");
    packByHand(layout, files / "two.tdj");
    std::string msg = open(files / "two.tdj", false);
    EXPECT_NE(msg.find("3.SPT\\CAVE.TDX - (" + texts::GetText(1790) + ")"), std::string::npos)
        << msg;
}

TEST_F(LooseProjects, FoldersTheSettingsDoNotListAreKept) {
    test::WriteScenario(layout / "1.spt" / "1.tdx", "One");
    test::WriteScenario(layout / "2.spt" / "2.tdx", "After a gap");
    test::WriteScenario(layout / "4.spt" / "4.tdx", "In the other settings");
    test::WriteText(layout / "5.spt" / "notes.txt", "not a scenario");
    writeSettings(layout / "villa.prj", generale, "file1=1.spt\\1.tdx\r\nfile3=2.spt\\2.tdx\r\n");
    writeSettings(layout / "second.prj", generale, "file1=4.spt\\4.tdx\r\n");
    packByHand(layout, files / "villa.tdj");
    auto zips = roundTrip(files / "villa.tdj", files / "villa.tdj");
    EXPECT_EQ(keys(), (std::vector<std::string>{"1 One"}));
    EXPECT_EQ(session.UnlistedScenarioFiles(),
              (std::vector<std::string>{"2.spt/2.tdx", "4.spt/4.tdx"}));
    EXPECT_EQ(zips, (std::vector<std::string>{"1.spt.zip", "2.spt.zip", "4.spt.zip", "5.spt.zip"}));
    // Saved again and again, they stay.
    EXPECT_EQ(roundTrip(files / "villa.tdj", files / "villa.tdj"), zips);
    EXPECT_EQ(test::ReadText(work() / "2.spt" / "2.tdx").empty(), false);

    // A settings file without [file] section: nothing is listed, all is kept.
    std::ofstream(layout / "villa.prj") << "[generale]\r\nkeyfile=Tessaro\r\n" << generale;
    fs::remove(layout / "second.prj");
    packByHand(layout, files / "bare.tdj");
    EXPECT_EQ(roundTrip(files / "bare.tdj", files / "bare.tdj"), zips);
    EXPECT_EQ(session.UnlistedScenarioFiles().size(), 3u);
}

TEST_F(LooseProjects, BeyondThreeHundredAndNestedFoldersOfOneName) {
    std::string list;
    for (int n = 1; n <= 302; ++n) {
        std::string f = std::to_string(n) + ".spt";
        test::WriteScenarioHeader(layout / f / (std::to_string(n) + ".tdx"), "Tessaro", 4, 0, 11,
                                  "S" + std::to_string(n));
        list += "file" + std::to_string(n) + "=" + f + "\\" + std::to_string(n) + ".tdx\r\n";
    }
    // Two folders named alike inside two others: their archives must not meet.
    test::WriteScenario(layout / "a" / "1.spt" / "1.tdx", "Upstairs");
    test::WriteScenario(layout / "b" / "1.spt" / "1.tdx", "Downstairs");
    list += "file303=a\\1.spt\\1.tdx\r\n";
    writeSettings(layout / "villa.prj", generale, list);
    packByHand(layout, files / "big.tdj");
    auto zips = roundTrip(files / "big.tdj", files / "big.tdj");
    EXPECT_EQ(session.Project()->Scenari()->Count(), 300);
    EXPECT_EQ(session.UnlistedScenarioFiles(),
              (std::vector<std::string>{"301.spt/301.tdx", "302.spt/302.tdx", "a/1.spt/1.tdx",
                                        "b/1.spt/1.tdx"}));
    EXPECT_EQ(zips.size(), 304u);
    open(files / "big.tdj");
    EXPECT_EQ(test::ReadText(work() / "b" / "1.spt" / "1.tdx"),
              test::ReadText(layout / "b" / "1.spt" / "1.tdx"));
    EXPECT_EQ(test::ReadText(work() / "a" / "1.spt" / "1.tdx"),
              test::ReadText(layout / "a" / "1.spt" / "1.tdx"));
}

TEST_F(ProjectFiles, ASaveFollowsALinkAndRefusesAWriteProtectedProject) {
    session.NewProject();
    session.Project()->Nome = "Villa";
    session.NewScenario("Hall");
    fs::path real = files / "real.tdj";
    ASSERT_EQ(session.SaveProject(real.string()), "");
    fs::create_symlink(real, files / "link.tdj");
    session.NewScenario("Garden");
    ASSERT_EQ(session.SaveProject((files / "link.tdj").string()), "");
    EXPECT_TRUE(fs::is_symlink(files / "link.tdj"));
    open(real);
    EXPECT_EQ(session.Project()->Scenari()->Count(), 2);

    const std::string before = test::ReadText(real);
    fs::permissions(real, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    session.NewScenario("Cellar");
    for (const fs::path& target : {real, files / "link.tdj"})
        EXPECT_EQ(session.SaveProject(target.string()),
                  texts::Format(texts::GetText(1791), {target.string()}));
    EXPECT_EQ(test::ReadText(real), before);
    // Nothing is left beside it, and no staging folder anywhere in the data folder.
    std::vector<std::string> beside;
    for (const auto& e : fs::directory_iterator(files.path()))
        beside.push_back(e.path().filename());
    std::sort(beside.begin(), beside.end());
    EXPECT_EQ(beside, (std::vector<std::string>{"layout", "link.tdj", "real.tdj"}));
    for (const auto& e : fs::recursive_directory_iterator(fx.data()))
        EXPECT_NE(e.path().filename().string().rfind("PRJ", 0), 0u) << e.path();
}
