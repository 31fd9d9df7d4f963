// Runs the tessed command as a user or a script would.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <fstream>

#include "env/database.h"
#include "support/test_env.h"

namespace fs = std::filesystem;
using tessed::test::TempDir;

namespace {

struct Result {
    int code = -1;
    std::string out;
};

// Runs tessed with the given arguments and environment prefix; stderr is kept
// apart so that the printed answer is exactly what scripts read.
Result run(const std::string& args, const std::string& envPrefix = "") {
    std::string cmd = envPrefix + " '" TESSED_EXE "' " + args + " 2>/dev/null";
    Result r;
    FILE* p = popen(cmd.c_str(), "r");
    if (!p) return r;
    std::array<char, 256> buf{};
    while (fgets(buf.data(), int(buf.size()), p)) r.out += buf.data();
    int status = pclose(p);
    r.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return r;
}

std::string shareEnv(const fs::path& share) { return "TESSED_SHARE_DIR='" + share.string() + "'"; }

}  // namespace

TEST(Cli, VersionAndHelp) {
    Result v = run("--version");
    EXPECT_EQ(v.code, 0);
    EXPECT_EQ(v.out.rfind("tessed 4.0.", 0), 0u) << v.out;
    Result h = run("--help");
    EXPECT_EQ(h.code, 0);
    EXPECT_NE(h.out.find("canrun"), std::string::npos);
    EXPECT_EQ(run("--bogus").code, 2);
    EXPECT_EQ(run("makecsv only-one-argument").code, 2);
}

TEST(Cli, CanRunSeedsAnEmptyDataFolderFromTheShippedCatalogue) {
    TempDir d;
    // No override: the catalogue is found beside the program in the build tree.
    Result r = run("--data-dir '" + (d / "data").string() + "' --documents-dir '" +
                   (d / "docs").string() + "' canrun");
    EXPECT_EQ(r.out, "True\n");
    EXPECT_EQ(r.code, 0);
    EXPECT_TRUE(fs::exists(d / "data" / "dat" / "TESSEDITA.mdb"));
    EXPECT_TRUE(fs::is_directory(d / "docs" / "Export"));
}

TEST(Cli, CanRunFallsBackToItalianAndFailsWithoutDatabase) {
    TempDir d;
    std::string opts = "--data-dir '" + (d / "data").string() + "' --documents-dir '" +
                       (d / "docs").string() + "' ";
    std::string share = shareEnv(tessed::test::FixtureCatalogue());
    ASSERT_EQ(run(opts + "canrun", share).out, "True\n");
    std::ofstream(d / "data" / "Tessed40.INI") << "[GENERALE]\r\nLINGUA=XYZ\r\n";
    EXPECT_EQ(run(opts + "canrun", share).out, "True\n");
    // A QUARN host asks for its own language; a missing one falls back too.
    EXPECT_EQ(run(opts + "--host QUARN canrun DEU", share).code, 0);

    TempDir empty;
    Result none = run("--data-dir '" + (d / "bare").string() + "' --documents-dir '" +
                          (d / "docs").string() + "' canrun",
                      shareEnv(empty.path()));
    EXPECT_EQ(none.out, "False\n");
    EXPECT_EQ(none.code, 1);
}

TEST(Cli, CanRunIsFalseWhileAnotherInstanceHoldsTheDatabase) {
    TempDir d;
    std::string opts = "--data-dir '" + (d / "data").string() + "' --documents-dir '" +
                       (d / "docs").string() + "' ";
    std::string share = shareEnv(tessed::test::FixtureCatalogue());
    ASSERT_EQ(run(opts + "canrun", share).code, 0);
    // `flock` stands in for a running editor that holds its master connection.
    std::string db = (d / "data" / "dat" / "TESSEDITA.mdb").string();
    std::string cmd = "flock -s '" + db + "' '" TESSED_EXE "' " + opts + "canrun 2>/dev/null";
    FILE* p = popen((share + " " + cmd).c_str(), "r");
    ASSERT_NE(p, nullptr);
    std::array<char, 64> buf{};
    std::string out;
    while (fgets(buf.data(), int(buf.size()), p)) out += buf.data();
    int status = pclose(p);
    EXPECT_EQ(out, "False\n");
    EXPECT_EQ(WEXITSTATUS(status), 1);
}

TEST(Cli, BatchFunctionsReportAMissingProject) {
    TempDir d;
    std::string opts = "--data-dir '" + (d / "data").string() + "' --documents-dir '" +
                       (d / "docs").string() + "' ";
    std::string share = shareEnv(tessed::test::FixtureCatalogue());
    EXPECT_EQ(run(opts + "doinfoxml '" + (d / "none.tdj").string() + "'", share).code, 1);
    EXPECT_EQ(run(opts + "makecsv '" + (d / "none.tdj").string() + "' out.csv", share).code, 1);
}
