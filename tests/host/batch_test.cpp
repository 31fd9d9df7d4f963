// The batch jobs as a host or a script runs them: `tessed doinfoxml`,
// `tessed makecsv` and `tessed compile` on projects made with Info-ZIP and on
// the demo project.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>

#include "edit.h"
#include "env/environment.h"
#include "env/files.h"
#include "env/profile.h"
#include "project/archive.h"
#include "support/test_env.h"

namespace fs = std::filesystem;
using tessed::test::ReadText;
using tessed::test::TempDir;
using tessed::test::ToolAvailable;

namespace {

using Result = tessed::test::CommandResult;

Result sh(const std::string& cmd) { return tessed::test::RunCommand(cmd + " 2>&1"); }

std::string q(const fs::path& p) { return "'" + p.string() + "'"; }

// A data folder seeded from the build tree's catalogue, and tessed run on it.
struct Batch {
    TempDir dir;
    fs::path data = dir / "data";
    Result tessed(const std::string& args) {
        return sh("TESSED_SHARE_DIR=" + q(TESSED_BINARY_DIR) + " " + q(TESSED_EXE) +
                  " --data-dir " + q(data) + " --documents-dir " + q(dir / "docs") + " " + args);
    }

    void scenario(const fs::path& folder, int n, const std::string& name) {
        fs::create_directories(folder);
        std::ofstream(folder / (std::to_string(n) + ".tdx"))
            << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<root>\n<key>Tessaro</key>\n"
               "<app_MAJOR>4</app_MAJOR>\n<app_Minor>0</app_Minor>\n<app_Revision>11</"
               "app_Revision>\n"
               "<descrizione>About "
            << name << "</descrizione>\n<scen_name>" << name
            << "</scen_name>\n<project/>\n</root>\n";
    }

    // A project made with Info-ZIP: settings file, inner zips, scenario files;
    // scenario 1 compiled and up to date with a listing, scenario 2 only a
    // listing, scenario 3 neither.
    fs::path infoZipProject(bool withListings = true) {
        fs::path src = dir / "src";
        scenario(src / "1.spt", 1, "Hall");
        scenario(src / "2.spt", 2, "Garden");
        scenario(src / "3.spt", 3, "Garage");
        std::ofstream(src / "1.spt" / "1.spt") << "compiled";
        sh("touch -d '2020-01-01 10:00:00' " + q(src / "1.spt" / "1.tdx") + " " +
           q(src / "2.spt" / "2.tdx") + " " + q(src / "3.spt" / "3.tdx"));
        sh("touch -d '2020-01-01 11:00:00' " + q(src / "1.spt" / "1.spt"));
        if (withListings) {
            std::ofstream(src / "1.spt" / "1.csv") << std::string("H\0a\0l\0l\0", 8);
            std::ofstream(src / "2.spt" / "2.csv") << std::string("G\0\xE8\0", 4);
            std::ofstream(src / "3.spt" / "3.csv") << std::string("\x20\x26", 2);
        }
        std::ofstream(src / "villa.prj")
            << "[generale]\r\nkeyfile=Tessaro\r\nAPP_MAJOR=4\r\nAPP_MINOR=0\r\nAPP_REVISION=11\r\n"
               "nome=560069006C006C006100\r\ndescrizione=\r\nautore=\r\ntastopanico=\r\n"
               "[file]\r\nfile1=1.spt\\1.tdx\r\nfile2=2.spt\\2.tdx\r\nfile3=3.spt\\3.tdx\r\n";
        for (int i = 1; i <= 3; ++i) {
            std::string n = std::to_string(i) + ".spt";
            sh("cd " + q(src / n) + " && zip -q -X ../" + n + ".zip *");
        }
        fs::path tdj = dir / "villa.tdj";
        sh("cd " + q(src) + " && zip -q -P KORVASNU " + q(tdj) +
           " villa.prj 1.spt.zip 2.spt.zip 3.spt.zip");
        return tdj;
    }
};

}  // namespace

TEST(BatchJobs, DoInfoXmlRewritesAnInfoZipProject) {
    if (!ToolAvailable("zip") || !ToolAvailable("unzip")) GTEST_SKIP() << "zip/unzip not installed";
    Batch b;
    fs::path tdj = b.infoZipProject();
    Result r = b.tessed("doinfoxml " + q(tdj));
    ASSERT_EQ(r.code, 0) << r.out;
    Result list = sh("unzip -Z1 " + q(tdj));
    EXPECT_EQ(list.out, "1.spt.zip\n2.spt.zip\n3.spt.zip\ninfo.xml\nvilla.prj\n");
    Result info = sh("unzip -P KORVASNU -p " + q(tdj) + " info.xml");
    EXPECT_NE(info.out.find("<scenario_1>\n    <name>1.spt</name>"), std::string::npos) << info.out;
    EXPECT_EQ(info.out.find("2.spt"), std::string::npos);
    EXPECT_EQ(info.out.find("3.spt"), std::string::npos);
    Result prj = sh("unzip -P KORVASNU -p " + q(tdj) + " villa.prj");
    EXPECT_NE(prj.out.find("file3=3.spt\\3.tdx"), std::string::npos);
    // The working folder is left empty.
    EXPECT_TRUE(fs::is_empty(b.data / "temp"));
}

TEST(BatchJobs, MakeCsvJoinsTheListingsByteForByte) {
    if (!ToolAvailable("zip")) GTEST_SKIP() << "zip not installed";
    Batch b;
    fs::path tdj = b.infoZipProject();
    fs::path csv = b.dir / "villa.csv";
    Result r = b.tessed("makecsv " + q(tdj) + " " + q(csv));
    ASSERT_EQ(r.code, 0) << r.out;
    std::string bytes = ReadText(csv);
    ASSERT_GT(bytes.size(), 2u);
    EXPECT_EQ(bytes.substr(0, 2), "\xFF\xFE");
    std::string tail = std::string("H\0a\0l\0l\0", 8) + std::string("\r\0\n\0", 4) +
                       std::string("G\0\xE8\0", 4) + std::string("\r\0\n\0", 4) +
                       std::string("\x20\x26", 2) + std::string("\r\0\n\0", 4);
    ASSERT_GE(bytes.size(), tail.size());
    EXPECT_EQ(bytes.substr(bytes.size() - tail.size()), tail);
    // Five header lines before the listings.
    std::string head = bytes.substr(2, bytes.size() - 2 - tail.size());
    size_t lines = 0;
    for (size_t i = 0; i + 3 < head.size(); i += 2)
        if (head.compare(i, 4, std::string("\r\0\n\0", 4)) == 0) ++lines;
    EXPECT_EQ(lines, 5u);
}

TEST(BatchJobs, MakeCsvResultCodes) {
    if (!ToolAvailable("zip")) GTEST_SKIP() << "zip not installed";
    Batch b;
    fs::path csv = b.dir / "out.csv";
    EXPECT_EQ(b.tessed("makecsv " + q(b.dir / "none.tdj") + " " + q(csv)).code, 1);

    fs::path tdj = b.infoZipProject(false);
    EXPECT_EQ(b.tessed("makecsv " + q(tdj) + " " + q(csv)).code, 3);
    EXPECT_FALSE(fs::exists(csv));

    // Wrong password.
    fs::path wrong = b.dir / "wrong.tdj";
    sh("cd " + q(b.dir / "src") + " && zip -q -P OTHER " + q(wrong) + " villa.prj 1.spt.zip");
    EXPECT_EQ(b.tessed("makecsv " + q(wrong) + " " + q(csv)).code, 2);
    // Corrupt archive.
    std::string good = ReadText(tdj);
    std::ofstream(b.dir / "corrupt.tdj") << good.substr(0, good.size() / 2);
    EXPECT_EQ(b.tessed("makecsv " + q(b.dir / "corrupt.tdj") + " " + q(csv)).code, 2);
    // An entry that leaves its folder: nothing is extracted outside.
    if (ToolAvailable("python3")) {
        sh("python3 -c \"import zipfile,sys; z=zipfile.ZipFile(sys.argv[1],'w'); "
           "z.writestr('villa.prj','[generale]\\nkeyfile=Tessaro\\n'); "
           "z.writestr('../escape.txt','x'); z.close()\" " +
           q(b.dir / "evil.tdj"));
        ASSERT_TRUE(fs::exists(b.dir / "evil.tdj"));
        EXPECT_EQ(b.tessed("makecsv " + q(b.dir / "evil.tdj") + " " + q(csv)).code, 2);
    }
    EXPECT_FALSE(fs::exists(b.data / "escape.txt"));
    EXPECT_TRUE(fs::is_empty(b.data / "temp"));
    EXPECT_FALSE(fs::exists(csv));
}

TEST(BatchJobs, DoInfoXmlReportsAFailedSave) {
    if (!ToolAvailable("zip")) GTEST_SKIP() << "zip not installed";
    Batch b;
    fs::path tdj = b.infoZipProject();
    // A project whose name is only blanks cannot be saved: result 3, the file stays.
    fs::path src = b.dir / "src";
    std::ofstream(src / "villa.prj")
        << "[generale]\r\nkeyfile=Tessaro\r\nAPP_MAJOR=4\r\nAPP_MINOR=0\r\nAPP_REVISION=11\r\n"
           "nome=20002000\r\n[file]\r\nfile1=1.spt\\1.tdx\r\n";
    fs::remove(tdj);
    sh("cd " + q(src) + " && zip -q -P KORVASNU " + q(tdj) + " villa.prj 1.spt.zip");
    std::string before = ReadText(tdj);
    EXPECT_EQ(b.tessed("doinfoxml " + q(tdj)).code, 3);
    EXPECT_EQ(ReadText(tdj), before);
    EXPECT_EQ(b.tessed("doinfoxml " + q(b.dir / "none.tdj")).code, 1);
    std::ofstream(b.dir / "junk.tdj") << "junk";
    EXPECT_EQ(b.tessed("doinfoxml " + q(b.dir / "junk.tdj")).code, 2);
}

TEST(BatchJobs, CompileTheDemoThenMakeCsv) {
    Batch b;
    fs::path demo =
        fs::path(TESSED_TEST_SOURCE_FIXTURES).parent_path().parent_path() / "examples" / "demo.tdj";
    ASSERT_TRUE(fs::exists(demo));
    fs::create_directories(b.dir.path());
    fs::copy_file(demo, b.dir / "demo.tdj");
    Result r = b.tessed("compile " + q(b.dir / "demo.tdj"));
    ASSERT_EQ(r.code, 0) << r.out;
    EXPECT_NE(r.out.find(" failed"), std::string::npos);
    // Every scenario is remembered as compiled in the saved project.
    std::string info;
    ASSERT_TRUE(tessed::archive::ReadEntry(b.dir / "demo.tdj", "info.xml", info,
                                           tessed::archive::kProjectPassword));
    EXPECT_NE(info.find("<scenario_6>"), std::string::npos) << info;
    EXPECT_EQ(b.tessed("makecsv " + q(b.dir / "demo.tdj") + " " + q(b.dir / "demo.csv")).code, 0);
    EXPECT_GT(fs::file_size(b.dir / "demo.csv"), 1000u);
}

TEST(BatchJobs, CompileReportsFailedScenariosWithExitFour) {
    if (!ToolAvailable("zip")) GTEST_SKIP() << "zip not installed";
    Batch b;
    // Scenarios without triggers or actions do not compile.
    fs::path tdj = b.infoZipProject();
    Result r = b.tessed("compile " + q(tdj));
    EXPECT_EQ(r.code, 4) << r.out;
    EXPECT_NE(r.out.find("compiled 0 of 3 scenarios, 3 failed"), std::string::npos) << r.out;
    // Scenario 1 keeps its old compiled file, but its last compile failed: the
    // saved project no longer remembers it as compiled.
    std::string info;
    ASSERT_TRUE(
        tessed::archive::ReadEntry(tdj, "info.xml", info, tessed::archive::kProjectPassword));
    EXPECT_EQ(info.find("<scenario_"), std::string::npos) << info;
    EXPECT_EQ(b.tessed("compile " + q(b.dir / "none.tdj")).code, 1);
}

TEST(EditBatch, FunctionsRunWithoutAnyHook) {
    if (!ToolAvailable("zip")) GTEST_SKIP() << "zip not installed";
    Batch b;
    fs::path tdj = b.infoZipProject();
    tessed::test::FixtureEnv fx;  // a data folder with the fixture catalogue
    tessed::Edit e;
    EXPECT_EQ(e.DOINFOXML(tdj.string()), 0);
    // Saved as the user's "save" does: the file heads the recent files.
    EXPECT_EQ(tessed::profile::GetString(tessed::env::Env().configFile(), "FileCfg", "File1"),
              tdj.string());
    EXPECT_EQ(e.MAKECSV(tdj.string(), (b.dir / "x.csv").string()), 0);
    EXPECT_TRUE(fs::exists(b.dir / "x.csv"));
}

TEST(BatchJobs, MakeCsvNeverWritesOverTheProjectOrItsOwnFolders) {
    if (!ToolAvailable("zip")) GTEST_SKIP() << "zip not installed";
    Batch b;
    fs::path tdj = b.infoZipProject(false);  // not compiled: no listings
    const std::string project = ReadText(tdj);
    Result r = b.tessed("makecsv " + q(tdj) + " " + q(tdj));
    EXPECT_EQ(r.code, 2) << r.out;
    EXPECT_NE(r.out.find("may not be written to " + tdj.string() + ": the project file"),
              std::string::npos)
        << r.out;
    // Another spelling, a link, a folder, a working folder.
    fs::create_symlink(tdj, b.dir / "link.tdj");
    for (const fs::path& out : {b.dir / "src" / ".." / "villa.tdj", b.dir / "link.tdj",
                                b.dir.path(), b.data / "temp" / "x.csv"})
        EXPECT_EQ(b.tessed("makecsv " + q(tdj) + " " + q(out)).code, 2) << out;
    EXPECT_EQ(ReadText(tdj), project);
    EXPECT_FALSE(fs::exists(b.data / "temp" / "x.csv"));

    // A job that fails leaves an existing output as it was.
    std::ofstream(b.dir / "out.csv") << "previous";
    EXPECT_EQ(b.tessed("makecsv " + q(tdj) + " " + q(b.dir / "out.csv")).code, 3);
    EXPECT_EQ(ReadText(b.dir / "out.csv"), "previous");

    // Compiled, the same: the project is never replaced by the controller file.
    fs::path compiled = b.infoZipProject(true);
    const std::string before = ReadText(compiled);
    EXPECT_EQ(b.tessed("makecsv " + q(compiled) + " " + q(b.dir / "link.tdj")).code, 2);
    EXPECT_EQ(ReadText(compiled), before);
}

TEST(BatchJobs, ABatchJobNeverSavesFewerScenarioFoldersThanItOpened) {
    if (!ToolAvailable("zip")) GTEST_SKIP() << "zip not installed";
    Batch b;
    fs::path src = b.dir / "src";
    // Folders as an archive made on Windows names them.
    b.scenario(src / "1.SPT", 1, "Hall");
    fs::rename(src / "1.SPT" / "1.tdx", src / "1.SPT" / "1.TDX");
    b.scenario(src / "2.spt", 2, "Garden");
    b.scenario(src / "3.spt", 3, "Garage");
    std::ofstream(src / "villa.prj")
        << "[generale]\r\nkeyfile=Tessaro\r\nAPP_MAJOR=4\r\nAPP_MINOR=0\r\nAPP_REVISION=11\r\n"
           "nome=560069006C006C006100\r\n[file]\r\nfile1=1.spt\\1.tdx\r\nfile2=2.spt\\2.tdx\r\n"
           "file4=3.spt\\3.tdx\r\n";
    for (const char* n : {"1.SPT", "2.spt", "3.spt"})
        sh("cd " + q(src / n) + " && zip -q -X ../" + n + ".zip *");
    fs::path tdj = b.dir / "villa.tdj";
    sh("cd " + q(src) + " && zip -q -P KORVASNU " + q(tdj) +
       " villa.prj 1.SPT.zip 2.spt.zip 3.spt.zip");
    const std::string before = ReadText(tdj);

    // compile would leave the scenario after the gap behind its "compiled N
    // of N": it refuses the project, which stays as it was.
    Result r = b.tessed("compile " + q(tdj));
    EXPECT_EQ(r.code, 2) << r.out;
    EXPECT_NE(r.out.find("3.spt/3.tdx"), std::string::npos) << r.out;
    EXPECT_EQ(ReadText(tdj), before);
    EXPECT_EQ(b.tessed("makecsv " + q(tdj) + " " + q(b.dir / "x.csv")).code, 2);

    // doinfoxml loses nothing: the scenario in "1.SPT" is found, the folder
    // after the gap is kept.
    r = b.tessed("doinfoxml " + q(tdj));
    ASSERT_EQ(r.code, 0) << r.out;
    EXPECT_EQ(sh("unzip -Z1 " + q(tdj)).out,
              "1.SPT.zip\n2.spt.zip\n3.spt.zip\ninfo.xml\nvilla.prj\n");
    Result prj = sh("unzip -P KORVASNU -p " + q(tdj) + " villa.prj");
    EXPECT_NE(prj.out.find("file1=1.spt\\1.tdx\r\nfile2=2.spt\\2.tdx\r\n"), std::string::npos)
        << prj.out;
}

TEST(BatchJobs, ALanguageWithoutDatabaseRunsInItalianAndAMissingCatalogueIsNamed) {
    if (!ToolAvailable("zip")) GTEST_SKIP() << "zip not installed";
    Batch b;
    fs::path tdj = b.infoZipProject();
    ASSERT_EQ(b.tessed("canrun").code, 0);
    ASSERT_TRUE(tessed::profile::WriteString(b.data / "Tessed40.INI", "GENERALE", "LINGUA", "XYZ"));
    EXPECT_EQ(b.tessed("canrun").out, "True\n");
    Result r = b.tessed("doinfoxml " + q(tdj));
    EXPECT_EQ(r.code, 0) << r.out;
    EXPECT_EQ(b.tessed("makecsv " + q(tdj) + " " + q(b.dir / "x.csv")).code, 0);

    // No catalogue at all: the job says so instead of blaming the project.
    for (const auto& e : fs::directory_iterator(b.data / "dat"))
        if (e.path().extension() == ".mdb") fs::remove(e.path());
    fs::create_directories(b.data / "dat" / "keep");  // the data folder is not seeded again
    std::ofstream(b.data / "dat" / "TESSEDXYZ.txt") << "";
    r = sh("TESSED_SHARE_DIR=/nonexistent " + q(TESSED_EXE) + " --data-dir " + q(b.data) +
           " doinfoxml " + q(tdj));
    EXPECT_EQ(r.code, 2) << r.out;
    EXPECT_NE(r.out.find("cannot open the master database"), std::string::npos) << r.out;
    EXPECT_EQ(r.out.find("cannot open project file"), std::string::npos) << r.out;
}
