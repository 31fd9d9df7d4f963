// Runs the tessed command as a user or a script would.
#include <gtest/gtest.h>

#include <cstdio>

#include "support/test_env.h"

namespace fs = std::filesystem;
using tessed::test::TempDir;

namespace {

using Result = tessed::test::CommandResult;

// Runs tessed with the given arguments and environment prefix; stderr is kept
// apart so that the printed answer is exactly what scripts read.
Result run(const std::string& args, const std::string& envPrefix = "") {
    return tessed::test::RunCommand(envPrefix + " '" TESSED_EXE "' " + args + " 2>/dev/null");
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

TEST(Cli, CanRunOfAQuarnHostFallsBackToItalianAndFailsWithoutDatabase) {
    TempDir d;
    std::string opts = "--data-dir '" + (d / "data").string() + "' --documents-dir '" +
                       (d / "docs").string() + "' ";
    std::string share = shareEnv(tessed::test::FixtureCatalogue());
    // A QUARN host asks for its own language; a missing one falls back.
    EXPECT_EQ(run(opts + "--host QUARN canrun DEU", share).out, "True\n");

    TempDir empty;
    Result none = run("--data-dir '" + (d / "bare").string() + "' --documents-dir '" +
                          (d / "docs").string() + "' canrun",
                      shareEnv(empty.path()));
    EXPECT_EQ(none.out, "False\n");
    EXPECT_EQ(none.code, 1);
}

TEST(Cli, DumpIsTheSameUnderEveryLocale) {
    const std::string file =
        (tessed::test::SourceFixtures() / "scenarios" / "windows_shape.tdx").string();
    Result c = run("dump '" + file + "'", "LC_ALL=C");
    ASSERT_EQ(c.code, 0);
    ASSERT_NE(c.out.find("\"tables\""), std::string::npos) << c.out;
    // The command takes the locale from the environment, as the windows do;
    // a missing locale would silently fall back to C, so it is checked first.
    ASSERT_EQ(tessed::test::RunCommand("locale -a | grep -qix 'it_IT.utf-\\?8'").code, 0)
        << "locale " << tessed::test::kCommaLocale << " is not installed: run scripts/setup";
    Result it = run("dump '" + file + "'", std::string("LC_ALL=") + tessed::test::kCommaLocale);
    EXPECT_EQ(it.code, 0);
    EXPECT_EQ(it.out, c.out);
}

TEST(Cli, ShowWithoutADisplayAndUnknownWordsSayWhy) {
    TempDir d;
    const std::string opts = "--data-dir '" + (d / "data").string() + "' --documents-dir '" +
                             (d / "docs").string() + "' ";
    const std::string noDisplay = "env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM";
    struct Row {
        std::string args;
        int code;
        const char* said;  // on standard error
    };
    for (const Row& r :
         {Row{"show", 1, "cannot show the user interface: no display"}, Row{"", 1, "no display"},
          Row{"house.tdj", 1, "no display"}, Row{"frobnicate", 2, "unknown command frobnicate"},
          Row{"--bogus show", 2, "unknown option --bogus"}}) {
        auto res = tessed::test::RunCommand(noDisplay + " '" TESSED_EXE "' " + opts + r.args +
                                            " 2>&1 >/dev/null");
        EXPECT_EQ(res.code, r.code) << r.args;
        EXPECT_NE(res.out.find(r.said), std::string::npos) << r.args << ": " << res.out;
    }
}
