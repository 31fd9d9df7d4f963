#include <gtest/gtest.h>

#include <filesystem>

#include "compiler/builtin_kernix.h"
#include "env/environment.h"
#include "env/files.h"
#include "model/project.h"
#include "support/test_env.h"

using namespace tessed;
using namespace tessed::compiler;
namespace fs = std::filesystem;

namespace {

void element(const char* table, int id, int obj, int chi, int cosa, int dove,
             const char* keyOpt = nullptr, bool custom = false) {
    env::Env().master().execute(
        std::string("INSERT INTO ") + table +
            " (ID, ORDINE, ID_OBJ, CHI_KEY, COSA_KEY, DOVE_KEY, KEY_OPT, "
            "CUSTOM, LEVEL_KEY, ADD_INT) VALUES (?1, ?1, ?2, ?3, ?4, ?5, "
            "?6, ?7, 0, 0)",
        {id, obj, chi, cosa, dove, keyOpt ? db::Value(keyOpt) : db::Value(), custom});
}

void minimalScenario() {
    element("TMP_TRIGGER", 1, 1, 1, 1, 2);
    element("TMP_STEP_ACT", 1, 1, 1, 2, 3);
}

struct Compiled {
    std::vector<std::string> findings;
    std::string error;
    int32_t status = 0;
    std::vector<std::pair<std::string, uint32_t>> events;
};

Compiled compile(const fs::path& spt) {
    BuiltinKernix k;
    Compiled c;
    k.setOperationHandler([&](const std::string& t, uint32_t col) {
        c.events.push_back({t, col});
    });
    k.Compile(env::Env().master(), spt.string(), "Description", "Name", c.error, c.status);
    c.findings = k.findings();
    return c;
}

}  // namespace

TEST(BuiltinKernix, ValidScenarioCompilesDeterministically) {
    test::FixtureEnv fx;
    minimalScenario();
    element("TMP_COND_OK", 1, 8, 1, 0, 0, "07-30-00", true);
    element("TMP_COND_OK", 2, 1, 1, 1, 2);
    env::Env().master().execute("INSERT INTO TMP_OPE_OK (ID_OPE, ID1, ID2) VALUES (1, 1, 2)");
    auto spt = fx.data() / "Kitchen.spt";
    Compiled c = compile(spt);
    EXPECT_EQ(c.status, -1) << c.error;
    EXPECT_TRUE(c.error.empty());
    ASSERT_FALSE(c.events.empty());
    EXPECT_EQ(c.events.front().second, kColourBlue);
    std::string first, second;
    ASSERT_TRUE(files::ReadFile(spt, first));
    ASSERT_EQ(compile(spt).status, -1);
    ASSERT_TRUE(files::ReadFile(spt, second));
    EXPECT_EQ(first, second);
    EXPECT_EQ(first.rfind("TESSARO-SPT\nformat=1\nname=Name\ndescription=Description\n", 0), 0u);
    // The bus codes of the catalogue travel with the element.
    EXPECT_NE(first.find("[TMP_TRIGGER] 1\nelement=1|1|1|1|1|1|2|1|0|0||0|0|0|0|0|0|\n"),
              std::string::npos)
        << first;
    EXPECT_NE(first.find("element=1|1|8|1|0||0||1|0||0|0|0|0|0|0|07-30-00\n"), std::string::npos);
    EXPECT_NE(first.find("[TMP_OPE_OK] 1\noperator=1|1|2\n"), std::string::npos);
    EXPECT_EQ(first.substr(first.size() - 4), "end\n");
}

TEST(BuiltinKernix, RejectsWhatAControllerCannotRun) {
    test::FixtureEnv fx;
    auto spt = fx.data() / "Bad.spt";
    Compiled empty = compile(spt);
    EXPECT_NE(empty.status, -1);
    ASSERT_EQ(empty.findings.size(), 2u);  // no trigger, no action
    EXPECT_EQ(empty.error, empty.findings[0]);
    EXPECT_FALSE(fs::exists(spt));
    for (const auto& [text, colour] : empty.events) {
        if (text == empty.findings[0]) {
            EXPECT_EQ(colour, kColourRed);
        }
    }

    minimalScenario();
    element("TMP_COND_OK", 1, 1, 1, 1, 2);
    element("TMP_COND_OK", 2, 1, 1, 1, 2);                    // no operator links 1 and 2
    element("TMP_STEP_ACT", 2, 1, 99, 1, 2);                  // unknown WHO
    element("TMP_STEP_ACT", 3, 1, 1, 999, 2);                 // unknown WHAT
    element("TMP_STEP_ACT", 4, 1, 1, 1, 999);                 // unknown WHERE
    element("TMP_STEP_ACT", 5, 777, 1, 1, 2);                 // unknown object
    element("TMP_TRIGGER", 2, 8, 1, 0, 0, "25-61-00", true);  // not a time of day
    element("TMP_STEP_ACT", 6, 9, 1, 0, 0, "", true);         // a delay without its value
    Compiled bad = compile(spt);
    EXPECT_NE(bad.status, -1);
    EXPECT_EQ(bad.findings.size(), 7u);
    EXPECT_FALSE(fs::exists(spt));
}

TEST(BuiltinKernix, GroupLimitsApplyToTriggersAndConditionsOnly) {
    test::FixtureEnv fx;
    minimalScenario();
    for (int i = 2; i <= 25; ++i) element("TMP_STEP_ACT", i, 1, 1, 2, 3);
    for (int i = 1; i <= 25; ++i) element("TMP_COND_KO", i, 1, 1, 1, 2);
    EXPECT_EQ(compile(fx.data() / "a.spt").status, -1);
    for (int i = 2; i <= kGroupLimit + 1; ++i) element("TMP_TRIGGER", i, 1, 1, 1, 2);
    Compiled c = compile(fx.data() / "b.spt");
    EXPECT_NE(c.status, -1);
    EXPECT_EQ(c.findings.size(), 1u);
}

TEST(BuiltinKernix, TextsAreEscapedSoTheFileKeepsItsLines) {
    test::FixtureEnv fx;
    minimalScenario();
    std::string out =
        BuiltinKernix::Render(env::Env().master(), {}, {}, "two\r\nlines | 100%", "n");
    EXPECT_NE(out.find("description=two%0D%0Alines %7C 100%25\n"), std::string::npos) << out;
}

TEST(BuiltinKernix, IconKeysFollowTheColour) {
    EXPECT_EQ(IconKeyForColour(kColourBlue), "vbblue");
    EXPECT_EQ(IconKeyForColour(kColourRed), "vbred");
    EXPECT_EQ(IconKeyForColour(kColourBlack), "vbblack");
    EXPECT_EQ(IconKeyForColour(0x00FF00), "");
}

TEST(BuiltinKernix, TimeTextsOfTimetablesMustParse) {
    test::FixtureEnv fx;
    minimalScenario();
    element("TMP_TRIGGER", 2, 23, 200, 200, 0, "DATAFROM=251226|ORAFROM=0730|", true);
    element("TMP_COND_OK", 1, 23, 200, 200, 0,
            "ORAFROM=0730|ORATO=1800|SETT=1F|DATAFROM=-1|DATATO=-1|", true);
    EXPECT_EQ(compile(fx.data() / "a.spt").status, -1);
    element("TMP_TRIGGER", 3, 23, 200, 200, 0, "ORAFROM=2575|", true);
    element("TMP_TRIGGER", 4, 23, 200, 200, 0, "no parts at all", true);
    element("TMP_TRIGGER", 5, 23, 200, 200, 0, "SETT=ZZ|", true);
    Compiled c = compile(fx.data() / "b.spt");
    EXPECT_EQ(c.findings.size(), 3u);
}

TEST(BuiltinKernix, CommandsGoIntoTheCompiledFile) {
    test::FixtureEnv fx;
    minimalScenario();
    Abilita enable;
    enable.TypeCMD = 1;
    enable.Pulsante = 5;
    enable.Conf_A = 1;
    enable.Conf_PL = 5;
    Disabilita disable;
    disable.TypeCMD = 2;
    disable.PULSANTE_CEN = 7;
    disable.Indirizzo_CEN = 123;
    BuiltinKernix k;
    k.setCommands(enable, disable);
    std::string error;
    int32_t status = 0;
    auto spt = fx.data() / "a.spt";
    k.Compile(env::Env().master(), spt.string(), "d", "n", error, status);
    ASSERT_EQ(status, -1) << error;
    EXPECT_NE(test::ReadText(spt).find("enable=*15*05*15##\ndisable=*25*22#7*2123##\n"),
              std::string::npos);
    // A compiler that was given no commands writes none.
    BuiltinKernix plain;
    plain.Compile(env::Env().master(), spt.string(), "d", "n", error, status);
    EXPECT_NE(test::ReadText(spt).find("enable=\ndisable=\n"), std::string::npos);
}
