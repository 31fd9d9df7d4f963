// Listings compared byte for byte with the expected files of data-driven
// cases: each folder under tests/fixtures/listings holds the scenario's rows
// (scenario.sql), its project data (case.ini) and the expected listing
// (expected.txt, one line per record, UTF-8, as the quoted fields appear).
#include "compiler/listing.h"

#include <gtest/gtest.h>

#include <fstream>

#include "env/environment.h"
#include "env/files.h"
#include "env/profile.h"
#include "env/strings.h"
#include "model/project.h"
#include "support/test_env.h"

using namespace tessed;
namespace fs = std::filesystem;

namespace {

CommandRecord command(const fs::path& ini, const char* section) {
    auto get = [&](const char* k) {
        return static_cast<int32_t>(str::LenientInt(profile::GetString(ini, section, k, "0")));
    };
    CommandRecord c;
    c.TypeCMD = get("TypeCMD");
    c.Pulsante = get("Pulsante");
    c.Conf_A = get("Conf_A");
    c.Conf_PL = get("Conf_PL");
    c.Livello = get("Livello");
    c.Interfaccia = get("Interfaccia");
    c.PULSANTE_CEN = get("PULSANTE_CEN");
    c.Indirizzo_CEN = get("Indirizzo_CEN");
    return c;
}

std::string expectedBytes(const fs::path& file) {
    std::string text, out;
    files::ReadFile(file, text);
    size_t start = 0;
    while (start < text.size()) {
        size_t nl = text.find('\n', start);
        std::string line = text.substr(start, nl == std::string::npos ? nl : nl - start);
        out += profile::Utf8ToUtf16Le(line + "\r\n");
        if (nl == std::string::npos) break;
        start = nl + 1;
    }
    return out;
}

std::string readable(const std::string& utf16) {
    std::string s = profile::Utf16LeToUtf8(utf16);
    std::string out;
    for (char c : s) {
        if (c == '\r') continue;
        out += c;
    }
    return out;
}

class ListingCase : public ::testing::TestWithParam<std::string> {};

}  // namespace

TEST_P(ListingCase, MatchesExpectedBytes) {
    test::FixtureEnv fx(true, "ENG");
    fs::path dir = test::SourceFixtures() / "listings" / GetParam();
    std::string sql;
    ASSERT_TRUE(files::ReadFile(dir / "scenario.sql", sql));
    env::Env().master().executeScript(sql);

    fs::path ini = dir / "case.ini";
    compiler::ListingScenario sc;
    fs::path folder = fx.data() / "temp" / "3.spt";
    fs::create_directories(folder);
    sc.fileName = profile::GetString(ini, "scenario", "FileName", "3.tdx");
    sc.fullPath = (folder / sc.fileName).string();
    sc.scriptName = profile::GetString(ini, "scenario", "ScriptName");
    sc.descrizione = profile::GetString(ini, "scenario", "Descrizione");
    static_cast<CommandRecord&>(sc.abilita) = command(ini, "abilita");
    static_cast<CommandRecord&>(sc.disabilita) = command(ini, "disabilita");
    std::string error = profile::GetString(ini, "scenario", "Error");
    if (!error.empty()) std::ofstream(fs::path(sc.fullPath).replace_extension(".err")) << error;

    // The same bytes whatever the process locale (a comma locale included).
    for (const char* name : test::kNumberLocales) {
        test::ScopedLocale locale(name);
        ASSERT_TRUE(locale.active()) << "locale " << name << " is not installed: run scripts/setup";
        ASSERT_TRUE(compiler::WriteListing(env::Env().master(), sc, error));
        std::string actual;
        ASSERT_TRUE(files::ReadFile(compiler::ListingPath(sc.fullPath), actual));
        EXPECT_EQ(fs::path(compiler::ListingPath(sc.fullPath)).filename(), "3.csv");
        EXPECT_EQ(actual, expectedBytes(dir / "expected.txt"))
            << "under " << name << ", actual listing:\n"
            << readable(actual);
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, ListingCase,
                         ::testing::Values("basic", "triggers", "conditions", "actions",
                                           "no-actions", "error-header", "empty-lines-and-signs",
                                           "tabs-in-texts"));

TEST(MakeCSVSingleS, WritesTheListingOfTheProjectsScenarioOnTheGivenConnection) {
    test::FixtureEnv fx;
    fs::path folder = fx.data() / "temp" / "4.spt";
    fs::create_directories(folder);
    Collezione project;
    auto s = project.Scenari()->Add("4");
    s->FullPath = (folder / "4.tdx").string();
    s->FileName = "4.tdx";
    s->ScriptName = "Porch";
    db::Database work = env::Env().OpenWorkConnection();
    work.execute(
        "INSERT INTO TMP_STEP_ACT (ID, ORDINE, ID_OBJ, CHI_KEY, COSA_KEY, DOVE_KEY, REPEAT) "
        "VALUES (1, 1, 1, 1, 2, 2, 1)");

    // A path of another case finds the scenario; the flags come from `work`,
    // whose actions repeat, not from the master's empty tables.
    std::string upper = s->FullPath;
    for (auto& c : upper) c = char(std::toupper(static_cast<unsigned char>(c)));
    compiler::MakeCSVSingleS(work, project, upper, "");
    std::string listing = test::ReadText(folder / "4.csv");
    test::ExpectContains(listing, {profile::Utf8ToUtf16Le("\"Porch\""),
                                   files::CsvLineBytes("Scenario_4.tdx\tRipeti\tSi")});

    fs::remove(folder / "4.csv");
    compiler::MakeCSVSingleS(work, project, (folder / "5.tdx").string(), "");
    EXPECT_FALSE(fs::exists(folder / "4.csv"));
    EXPECT_FALSE(fs::exists(folder / "5.csv"));
}
