#include "compiler/external_kernix.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <fstream>

#include "compiler/kernix.h"
#include "env/environment.h"
#include "env/files.h"
#include "env/profile.h"
#include "env/texts.h"
#include "support/test_env.h"

using namespace tessed;
using namespace tessed::compiler;
namespace fs = std::filesystem;

namespace {

fs::path script(const fs::path& dir, const std::string& name, const std::string& body) {
    fs::path p = dir / name;
    std::ofstream(p) << "#!/bin/sh\n" << body;
    ::chmod(p.c_str(), 0755);
    return p;
}

struct Outcome {
    std::string error;
    int32_t status = 0;
    std::vector<std::pair<std::string, uint32_t>> events;
};

Outcome compile(Kernix& k, const fs::path& spt) {
    Outcome r;
    k.setOperationHandler([&](const std::string& t, uint32_t c) { r.events.push_back({t, c}); });
    k.Compile(env::Env().master(), spt.string(), "first text", "Name; with $(odd) chars", r.error,
              r.status);
    return r;
}

}  // namespace

TEST(ExternalKernix, ArgumentsReachTheProgramUnchangedAndItsLinesTheLog) {
    test::FixtureEnv fx;
    fs::path prog = script(fx.data(), "ok.sh",
                           "echo \"compiling $1\"\nprintf '%s|%s' \"$3\" \"$4\" > \"$2\"\n");
    ExternalKernix k(prog.string());
    Outcome r = compile(k, fx.data() / "7.spt");
    EXPECT_EQ(r.status, -1);
    EXPECT_TRUE(r.error.empty());
    std::string out;
    ASSERT_TRUE(files::ReadFile(fx.data() / "7.spt", out));
    EXPECT_EQ(out, "first text|Name; with $(odd) chars");
    ASSERT_EQ(r.events.size(), 1u);
    EXPECT_EQ(r.events[0].first, "compiling " + (fx.data() / "7.tdx").string());
    EXPECT_EQ(r.events[0].second, kColourBlack);
}

TEST(ExternalKernix, FailuresGiveTheProgramsErrorOrAClearText) {
    test::FixtureEnv fx;
    ExternalKernix bad(
        script(fx.data(), "bad.sh", "echo working\necho 'error: no trigger'\necho done\nexit 3\n")
            .string());
    Outcome r = compile(bad, fx.data() / "1.spt");
    EXPECT_NE(r.status, -1);
    EXPECT_EQ(r.error, "no trigger");
    EXPECT_EQ(r.events[1].second, kColourRed);

    ExternalKernix silent(script(fx.data(), "silent.sh", "exit 2\n").string());
    EXPECT_EQ(compile(silent, fx.data() / "1.spt").error,
              texts::Format(texts::GetText(1916), {"2"}));

    ExternalKernix missing((fx.data() / "nowhere").string());
    Outcome m = compile(missing, fx.data() / "1.spt");
    EXPECT_NE(m.status, -1);
    EXPECT_EQ(m.error, texts::Format(texts::GetText(1915), {(fx.data() / "nowhere").string()}));
}

TEST(ExternalKernix, TheConfigurationChoosesTheCompiler) {
    test::FixtureEnv fx;
    EXPECT_EQ(dynamic_cast<ExternalKernix*>(CreateKernix().get()), nullptr);
    ASSERT_TRUE(
        profile::WriteString(env::Env().configFile(), "KERNIX", "Program", "/opt/kx/compile"));
    auto k = CreateKernix();
    auto* ext = dynamic_cast<ExternalKernix*>(k.get());
    ASSERT_NE(ext, nullptr);
    EXPECT_EQ(ext->program(), "/opt/kx/compile");
}

// Exit status 0 is not enough: a program that leaves no compiled file, or
// leaves the one from an earlier run, has compiled nothing.
TEST(ExternalKernix, SuccessNeedsACompiledFileWrittenByTheRun) {
    struct Case {
        const char* name;
        const char* body;
        bool earlierFile;  // a compiled file from an earlier run lies there
        bool compiled;
    };
    const Case cases[] = {
        {"writes", "echo new > \"$2\"\n", false, true},
        {"rewrites", "echo new > \"$2\"\n", true, true},
        {"replaces", "echo new > \"$2.tmp\" && mv \"$2.tmp\" \"$2\"\n", true, true},
        {"writes nothing", "exit 0\n", false, false},
        {"leaves the old file", "exit 0\n", true, false},
        {"writes elsewhere", "echo new > \"$2.other\"\n", false, false},
        {"makes a folder", "mkdir \"$2\"\n", false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        test::FixtureEnv fx;
        fs::path spt = fx.data() / "5.spt";
        if (c.earlierFile) {
            std::ofstream(spt) << "old";
            fs::last_write_time(spt, fs::last_write_time(spt) - std::chrono::hours(1));
        }
        ExternalKernix k(script(fx.data(), "prog.sh", c.body).string());
        Outcome r = compile(k, spt);
        EXPECT_EQ(r.status == -1, c.compiled);
        if (c.compiled) {
            EXPECT_TRUE(r.error.empty()) << r.error;
        } else {
            EXPECT_EQ(r.error, texts::Format(texts::GetText(1918), {spt.string()}));
            ASSERT_FALSE(r.events.empty());
            EXPECT_EQ(r.events.back().second, kColourRed);
        }
    }
}
