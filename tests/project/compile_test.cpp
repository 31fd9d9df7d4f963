// Compiling from the project session: the editor's open scenario stays as it
// is, and the states the tree, the listing and "info.xml" show follow the last
// compile.
#include <gtest/gtest.h>

#include <fstream>

#include "compiler/builtin_kernix.h"
#include "compiler/listing.h"
#include "env/environment.h"
#include "env/files.h"
#include "env/texts.h"
#include "model/document.h"
#include "model/schema.h"
#include "project/archive.h"
#include "project/session.h"
#include "project_support.h"
#include "support/test_env.h"

using namespace tessed;
using namespace tessed::project;
namespace fs = std::filesystem;

namespace {

struct Quiet : compiler::CompileObserver {
    void log(const std::string&, const std::string&) override {}
};

// A compiler that rejects every scenario, as one that changed its rules would.
struct Rejecting : compiler::Kernix {
    void Compile(db::Database&, const std::string&, const std::string&, const std::string&,
                 std::string& errorText, int32_t& status) override {
        Operation("rejected", compiler::kColourRed);
        errorText = "rejected by the controller";
        status = 0;
    }
};

// Every row of the eight working tables, in table order, one text per row.
std::vector<std::string> DumpWorkingTables(db::Database& db) {
    std::vector<std::string> out;
    for (auto table : schema::kWorkingTables) {
        for (const auto& row :
             db.query("SELECT * FROM " + std::string(table) + " ORDER BY rowid")) {
            std::string line(table);
            for (size_t i = 0; i < row.size(); ++i)
                line += "|" + (row.at(i).isNull() ? std::string("<null>") : row.at(i).toText());
            out.push_back(std::move(line));
        }
    }
    return out;
}

struct SessionCompile : ::testing::Test {
    test::FixtureEnv fx;
    test::TempDir files;
    ProjectSession session;
    Quiet quiet;
    std::shared_ptr<Scenario> hall, garden;

    void SetUp() override {
        session.NewProject();
        session.Project()->Nome = "Villa";
        hall = session.NewScenario("Hall");
        garden = session.NewScenario("Garden");
        test::WriteScenario(hall->FullPath, "Hall");
        test::WriteScenario(garden->FullPath, "Garden");
    }
};

}  // namespace

TEST_F(SessionCompile, TheEditorsUnsavedScenarioSurvivesACompile) {
    auto& doc = Document();
    doc.LoadPrj(garden->FullPath);
    ElementValues extra;
    extra.ID_OBJ = 1;
    extra.CHI_KEY = 1;
    extra.COSA_KEY = 2;
    extra.DOVE_KEY = 2;
    extra.area = 5;
    int32_t id = 0;
    ASSERT_TRUE(doc.InsertIntoPRJ("TMP_STEP_ACT", extra, id));
    // Something in every working table, so that each one is compared.
    for (const char* table :
         {"TMP_TRIGGERSTOP", "TMP_COND_OK", "TMP_COND_KO", "TMP_STEP_ACT_ELSE"}) {
        extra.area = 0;
        id = 0;
        ASSERT_TRUE(doc.InsertIntoPRJ(table, extra, id)) << table;
    }
    auto& master = env::Env().master();
    master.execute("INSERT INTO TMP_OPE_OK (ID_OPE, ID1, ID2) VALUES (1, 1, 2)");
    master.execute("INSERT INTO TMP_OPE_KO (ID_OPE, ID1, ID2) VALUES (2, 1, 2)");
    doc.SetDescription("not saved yet");
    const auto before = DumpWorkingTables(master);
    for (auto table : schema::kWorkingTables)
        ASSERT_FALSE(master.query("SELECT * FROM " + std::string(table)).empty()) << table;
    ASSERT_TRUE(doc.Modified());

    compiler::CompileResult all = session.CompileAll(quiet);
    EXPECT_EQ(all.compiled, 2) << all.summary;
    compiler::CompileResult one = session.Compile(hall->Key, quiet);
    EXPECT_EQ(one.compiled, 1) << one.summary;

    EXPECT_EQ(DumpWorkingTables(master), before);
    EXPECT_TRUE(doc.Modified());
    EXPECT_EQ(doc.CurrentFile(), garden->FullPath);
    EXPECT_EQ(doc.Description(), "not saved yet");
}

TEST_F(SessionCompile, AFailedRecompileShowsAsFailedEverywhere) {
    ASSERT_EQ(session.Compile(hall->Key, quiet).compiled, 1);
    EXPECT_EQ(hall->Stato, stscrEnabled);
    const std::string spt = test::ReadText(compiler::CompileRun::SptPath(hall->FullPath));

    compiler::CompileResult bad = session.Compile(hall->Key, quiet, [](compiler::CompileRun& run) {
        run.setKernixFactory([] { return std::make_unique<Rejecting>(); });
    });
    EXPECT_EQ(bad.failed, 1);
    // The old compiled file stays on disk, but the scenario is failed: in its
    // state, in the tree, in its listing's header and in "info.xml".
    EXPECT_EQ(test::ReadText(compiler::CompileRun::SptPath(hall->FullPath)), spt);
    EXPECT_EQ(hall->Stato, stscrError);
    EXPECT_EQ(session.Tree().Find(ScenarioNodeKey(hall->Key))->image, "scripterror");
    const std::string header =
        files::CsvLineBytes(texts::GetText(1613) + "_" + hall->FileName + "\t" + hall->FileName +
                            "\tHall\t\t" + texts::GetText(1616) + "\trejected by the controller");
    EXPECT_EQ(test::ReadText(compiler::ListingPath(hall->FullPath)).substr(0, header.size()),
              header);

    ASSERT_EQ(session.Compile(garden->Key, quiet).compiled, 1);
    fs::path tdj = files / "villa.tdj";
    ASSERT_EQ(session.SaveProject(tdj.string()), "");
    std::string info;
    ASSERT_TRUE(archive::ReadEntry(tdj, "info.xml", info, archive::kProjectPassword));
    EXPECT_EQ(info.find("<name>1.spt</name>"), std::string::npos) << info;
    EXPECT_NE(info.find("<name>2.spt</name>"), std::string::npos) << info;

    // Compiling again with a compiler that accepts it clears the failure.
    EXPECT_EQ(session.Compile(hall->Key, quiet).compiled, 1);
    EXPECT_FALSE(fs::exists(compiler::CompileRun::ErrPath(hall->FullPath)));
    EXPECT_EQ(hall->Stato, stscrEnabled);
    EXPECT_EQ(session.Tree().Find(ScenarioNodeKey(hall->Key))->image, "scriptok");
}
