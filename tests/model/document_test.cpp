#include "model/document.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "env/environment.h"
#include "env/files.h"
#include "env/texts.h"
#include "env/version.h"
#include "model/project.h"
#include "model/scenario_file.h"
#include "model/scenario_json.h"
#include "model/schema.h"
#include "support/test_env.h"

namespace tessed {
namespace {

namespace fs = std::filesystem;

db::Database& master() { return env::Env().master(); }

// One table's rows, rendered for comparison, in display order.
std::vector<std::string> tableText(std::string_view table) {
    std::string order = schema::IsElementTable(table) ? " ORDER BY ORDINE, ID" : " ORDER BY rowid";
    std::vector<std::string> out;
    for (const auto& r : master().query("SELECT * FROM " + std::string(table) + order)) {
        std::string line;
        for (size_t i = 0; i < r.size(); ++i)
            line += r.names()[i] + "=" +
                    (r.at(i).isNull() ? "<null>" : "[" + r.at(i).toText() + "]") + " ";
        out.push_back(line);
    }
    return out;
}

std::map<std::string, std::vector<std::string>> allTables() {
    std::map<std::string, std::vector<std::string>> m;
    for (auto t : schema::kWorkingTables) m[std::string(t)] = tableText(t);
    return m;
}

std::vector<int64_t> column(std::string_view table, std::string_view col) {
    std::vector<int64_t> out;
    for (const auto& r : master().query("SELECT " + std::string(col) + " FROM " +
                                        std::string(table) + " ORDER BY ORDINE, ID"))
        out.push_back(r.at(0).toInt(-999));
    return out;
}

// The Windows-shaped scenario file of the fixtures, with `part` replaced by
// `by` when a part is given.
fs::path WindowsShape() { return test::SourceFixtures() / "scenarios" / "windows_shape.tdx"; }
std::string WindowsShapeText(const std::string& part = "", const std::string& by = "") {
    std::string s = test::ReadText(WindowsShape());
    if (!part.empty()) s.replace(s.find(part), part.size(), by);
    return s;
}

class DocumentTest : public ::testing::Test {
  protected:
    test::FixtureEnv env;
    ScenarioDocument doc;

    void SetUp() override {
        SetCurrentProject(nullptr);
        doc.NewFile();
    }

    int32_t add(std::string_view table, int32_t obj, const std::string& descri = "e",
                int32_t area = 4) {
        ElementValues v;
        v.ID_OBJ = obj;
        v.DESCRI = descri;
        v.CHI_KEY = 1;
        v.COSA_KEY = 1;
        v.DOVE_KEY = 2;
        v.ID_RES_COSA = 1;
        v.area = area;
        int32_t id = 0;
        EXPECT_TRUE(doc.InsertIntoPRJ(table, v, id));
        return id;
    }
};

TEST_F(DocumentTest, IdentityAndOrderRules) {
    EXPECT_EQ(add("TMP_TRIGGER", 1), 1);
    EXPECT_EQ(column("TMP_TRIGGER", "ORDINE"), (std::vector<int64_t>{1}));
    EXPECT_EQ(add("TMP_TRIGGER", 1), 2);
    EXPECT_EQ(add("TMP_TRIGGER", 1), 3);
    // Deleting the highest ID lets the next insert take it again ...
    EXPECT_TRUE(doc.DeletePRJ("TMP_TRIGGER", 3));
    EXPECT_EQ(add("TMP_TRIGGER", 1), 3);
    // ... deleting another leaves a gap in both ID and ORDINE.
    EXPECT_TRUE(doc.DeletePRJ("TMP_TRIGGER", 1));
    EXPECT_EQ(add("TMP_TRIGGER", 1), 4);
    EXPECT_EQ(column("TMP_TRIGGER", "ID"), (std::vector<int64_t>{2, 3, 4}));
    EXPECT_EQ(column("TMP_TRIGGER", "ORDINE"), (std::vector<int64_t>{2, 3, 4}));
    EXPECT_FALSE(doc.DeletePRJ("TMP_TRIGGER", 1)) << "nothing left to delete";

    // An update keeps ID and ORDINE and rewrites the common columns.
    ElementValues v;
    v.ID_OBJ = 2;
    v.DESCRI = "tapparella";
    v.ID_RES_COSA = 3;
    v.LEVEL_KEY = 2;
    v.ADD_INT = 5;
    v.PARAM = {1, 2, 3, 4, 5};
    int32_t id = 3;
    ASSERT_TRUE(doc.InsertIntoPRJ("TMP_TRIGGER", v, id));
    EXPECT_EQ(id, 3);
    const char* cols = "ORDINE DESCRI IMG LEVEL_KEY ADD_INT PARAM_5 CUSTOM";
    auto row = master().queryOne("SELECT * FROM TMP_TRIGGER WHERE ID=3");
    EXPECT_EQ(test::Columns(*row, cols), "3|tapparella|up.gif|2|5|5|0");

    // No level: both level columns 0; an unknown icon resource: the placeholder.
    v.LEVEL_KEY = 0;
    v.ID_RES_COSA = 77;
    ASSERT_TRUE(doc.InsertIntoPRJ("TMP_TRIGGER", v, id));
    row = master().queryOne("SELECT * FROM TMP_TRIGGER WHERE ID=3");
    EXPECT_EQ(test::Columns(*row, cols), "3|tapparella|noimg.gif|0|0|5|0");

    // Past the Long range there is no next identity: nothing is added.
    master().execute("INSERT INTO TMP_COND_KO (ID,ORDINE) VALUES (2147483647,1)");
    int32_t none = 0;
    EXPECT_FALSE(doc.InsertIntoPRJ("TMP_COND_KO", v, none));
    EXPECT_EQ(column("TMP_COND_KO", "ID"), (std::vector<int64_t>{2147483647}));

    // Only the fixed working tables are ever named in a statement.
    EXPECT_FALSE(doc.InsertIntoPRJ("ANA_LABELS", v, id));
    EXPECT_FALSE(doc.InsertIntoPRJ("TMP_TRIGGER; DROP TABLE ANA_LABELS", v, id));
    EXPECT_FALSE(doc.DeletePRJ("TMP_OPE_OK", 1));
    EXPECT_TRUE(master().tableExists("ANA_LABELS"));
}

TEST_F(DocumentTest, SpecialValuesByObjectAndArea) {
    struct Case {
        int32_t obj, area;
        std::string value, keyOpt, descri, custom, dove;
    };
    const std::vector<Case> cases = {
        {8, 3, "7:05", "07-05-00", "Ora\r07:05", "1", "0"},
        {8, 6, "2024-03-01T21:30:15", "21-30-15", "Ora\r21:30", "1", "0"},
        {8, 4, "21:30:15", "21-30-15", "Ora", "1", "0"},
        {23, 3, "ORAFROM=0700/ORATO=-1/", "ORAFROM=0700/ORATO=-1/", "Ora", "1", "0"},
        {23, 4, "08:00", "08-00-00", "Ora", "1", "0"},
        {9, 5, "30", "30", "Ora", "1", "2"},
        {45, 5, "12", "12", "Ora", "1", "2"},
        {9, 0, "30", "<null>", "Ora", "0", "2"},
        {8, 5, "7:05", "<null>", "Ora", "0", "2"},
    };
    for (const auto& c : cases) {
        ElementValues v;
        v.ID_OBJ = c.obj;
        v.DESCRI = "Ora";
        v.DOVE_KEY = 2;
        v.value = c.value;
        v.area = c.area;
        int32_t id = 0;
        ASSERT_TRUE(doc.InsertIntoPRJ("TMP_COND_OK", v, id));
        auto r = master().queryOne("SELECT * FROM TMP_COND_OK WHERE ID=?", {id});
        EXPECT_EQ(test::Columns(*r, "KEY_OPT DESCRI CUSTOM DOVE_KEY"),
                  c.keyOpt + "|" + c.descri + "|" + c.custom + "|" + c.dove)
            << c.obj << "/" << c.area;
    }
    EXPECT_EQ(FormatTimeValue("not a time", '-', true), "not a time");
    EXPECT_EQ(FormatTimeValue("25:00", '-', true), "25:00");
}

TEST_F(DocumentTest, OperatorLinksGoWithTheirCondition) {
    int32_t a = add("TMP_COND_OK", 1), b = add("TMP_COND_OK", 1), c = add("TMP_COND_OK", 1);
    EXPECT_TRUE(doc.InsertIntoOPE("TMP_OPE_OK", 1, a, b));
    // ID1 0: the last condition before the new one.
    EXPECT_TRUE(doc.InsertIntoOPE("TMP_OPE_OK", 2, 0, c));
    EXPECT_EQ(tableText("TMP_OPE_OK")[1], "ID_OPE=[2] ID1=[2] ID2=[3] ");
    master().execute("INSERT INTO TMP_OPE_OK (ID_OPE,ID1,ID2) VALUES (1,7,8)");
    int32_t k1 = add("TMP_COND_KO", 1), k2 = add("TMP_COND_KO", 1);
    EXPECT_TRUE(doc.InsertIntoOPE("TMP_OPE_KO", 1, k1, k2));

    EXPECT_TRUE(doc.DeletePRJ("TMP_COND_OK", b, "TMP_OPE_OK"));
    EXPECT_EQ(tableText("TMP_OPE_OK"), (std::vector<std::string>{"ID_OPE=[1] ID1=[7] ID2=[8] "}));
    EXPECT_EQ(tableText("TMP_OPE_KO").size(), 1u) << "the other group's links stay";
    // A condition without links is deleted, and that is a success.
    EXPECT_TRUE(doc.DeletePRJ("TMP_COND_OK", c, "TMP_OPE_OK"));
    EXPECT_EQ(column("TMP_COND_OK", "ID"), (std::vector<int64_t>{a}));

    EXPECT_FALSE(doc.DeleteOPE("TMP_OPE_KO", 2, k1, k2)) << "another operator";
    EXPECT_TRUE(doc.DeleteOPE("TMP_OPE_KO", 1, k1, k2));
    EXPECT_TRUE(tableText("TMP_OPE_KO").empty());
    // Nothing to link to: no link.
    EXPECT_TRUE(doc.DeletePRJ("TMP_COND_KO", k1, "TMP_OPE_KO"));
    EXPECT_FALSE(doc.InsertIntoOPE("TMP_OPE_KO", 1, 0, k2));
    EXPECT_TRUE(tableText("TMP_OPE_KO").empty());
}

TEST_F(DocumentTest, RebuildOrderMovesAndRelinks) {
    for (int i = 0; i < 4; ++i) add("TMP_COND_OK", 1);
    // Moving the third onto the first: 3 takes order 1, the former 1 and 2 shift down.
    ASSERT_TRUE(doc.RebuildOrder("TMP_COND_OK", 3, 1));
    EXPECT_EQ(column("TMP_COND_OK", "ID"), (std::vector<int64_t>{3, 1, 2, 4}));
    EXPECT_EQ(column("TMP_COND_OK", "ORDINE"), (std::vector<int64_t>{1, 2, 3, 4}));
    // From above: 3 (order 1) onto 4 (order 4).
    ASSERT_TRUE(doc.RebuildOrder("TMP_COND_OK", 3, 4));
    EXPECT_EQ(column("TMP_COND_OK", "ID"), (std::vector<int64_t>{1, 2, 4, 3}));
    EXPECT_EQ(column("TMP_COND_OK", "ORDINE"), (std::vector<int64_t>{1, 2, 3, 4}));
    EXPECT_FALSE(doc.RebuildOrder("TMP_COND_OK", 3, 99));
    EXPECT_EQ(column("TMP_COND_OK", "ID"), (std::vector<int64_t>{1, 2, 4, 3}));

    doc.InsertIntoOPE("TMP_OPE_OK", 1, 1, 2);
    doc.InsertIntoOPE("TMP_OPE_OK", 1, 2, 4);
    doc.InsertIntoOPE("TMP_OPE_OK", 2, 4, 3);
    ASSERT_TRUE(doc.RebuildOrder("TMP_COND_OK", 3, 2));  // without relink: ID2 follows
    EXPECT_EQ(tableText("TMP_OPE_OK")[0], "ID_OPE=[1] ID1=[1] ID2=[3] ");
    doc.InsertIntoOPE("TMP_OPE_OK", 2, 3, 2);
    // With relink every link naming either condition goes; the caller adds new ones.
    ASSERT_TRUE(doc.RebuildOrder("TMP_COND_OK", 1, 4, true));
    EXPECT_EQ(tableText("TMP_OPE_OK"), (std::vector<std::string>{"ID_OPE=[2] ID1=[3] ID2=[2] "}));
}

// A scenario with rows in all eight tables and awkward texts.
void fillEverything(ScenarioDocument& doc) {
    auto& db = master();
    const std::string awkward =
        "\"Sala\" & 'cucina' <luci>\r\nriga 2\n\tfine \xC3\xA0\xC3\xA9 \xE2\x82\xAC "
        "\xF0\x9F\x92\xA1";
    int n = 0;
    for (auto t : schema::kElementTables) {
        ++n;
        db.execute("INSERT INTO " + std::string(t) +
                       " (ID,ORDINE,ID_OBJ,DESCRI,IMG,CHI_KEY,COSA_KEY,DOVE_KEY,ID_RES_COSA,"
                       "PARAM_1,LEVEL_KEY,ADD_INT,KEY_OPT,CUSTOM,TOOLTIP,REPEAT,RESTART) "
                       "VALUES (?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)",
                   {1, 2, 1, awkward, "on.gif", 1, 2, 0, 1, -5, 2, 3, "a=1|b=2", true, awkward,
                    true, false});
        db.execute("INSERT INTO " + std::string(t) +
                       " (ID,ORDINE,ID_OBJ,DESCRI,KEY_OPT,CUSTOM) "
                       "VALUES (?,?,?,?,?,?)",
                   {5, 1, n, "", nullptr, false});
    }
    db.execute("INSERT INTO TMP_OPE_OK (ID_OPE,ID1,ID2) VALUES (1,5,1), (2,1,5)");
    db.execute("INSERT INTO TMP_OPE_KO (ID_OPE,ID1,ID2) VALUES (2,1,5)");
    doc.SetDescription(awkward);
}

TEST_F(DocumentTest, RoundTripKeepsEveryTableAndTheDump) {
    test::TempDir dir;
    fillEverything(doc);
    auto before = allTables();
    std::string description = doc.Description();
    fs::path first = dir / "first.tdx", second = dir / "second.tdx";
    doc.SaveAs(first.string());
    EXPECT_FALSE(doc.Modified());
    EXPECT_EQ(doc.CurrentFile(), first.string());

    doc.LoadPrj(first.string());
    EXPECT_EQ(allTables(), before);
    EXPECT_EQ(doc.Description(), description);
    EXPECT_FALSE(doc.Modified());
    doc.SaveAs(second.string());

    std::string a = scenario::ScenarioJson(scenario::ReadScenarioFile(first));
    std::string b = scenario::ScenarioJson(scenario::ReadScenarioFile(second));
    EXPECT_EQ(a, b);
    EXPECT_EQ(test::ReadText(first), test::ReadText(second));

    // The file itself: signature, version, element order, UTF-8 text as it stands.
    std::string text = test::ReadText(first);
    EXPECT_EQ(text.rfind("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<root>\n<key>Tessaro</key>\n"
                         "<app_MAJOR>" +
                             std::to_string(kVersionMajor) + "</app_MAJOR>\n",
                         0),
              0u);
    size_t last = 0;
    for (auto t : scenario::kFileTableOrder) {
        size_t at = text.find("<" + std::string(t) + "recordset><xml ");
        ASSERT_NE(at, std::string::npos) << t;
        EXPECT_GT(at, last) << t;
        last = at;
    }
    EXPECT_NE(text.find("\xF0\x9F\x92\xA1"), std::string::npos);
}

TEST_F(DocumentTest, EmptyScenarioSavesAnEmptyProjectElement) {
    test::TempDir dir;
    fs::path file = dir / "empty.tdx";
    doc.SaveAs(file.string());
    EXPECT_NE(test::ReadText(file).find("<project/>"), std::string::npos);
    fillEverything(doc);
    doc.LoadPrj(file.string());
    for (const auto& [name, rows] : allTables()) EXPECT_TRUE(rows.empty()) << name;
}

TEST_F(DocumentTest, WindowsFileLoadsAndDimmerStepsMove) {
    const fs::path file = WindowsShape();
    // A load nests in a transaction the caller holds open.
    master().executeScript("BEGIN");
    doc.LoadPrj(file.string());
    master().executeScript("COMMIT");
    EXPECT_EQ(doc.Description(),
              "Cucina & soggiorno: \xC2\xAB"
              "sera\xC2\xBB");
    EXPECT_EQ(doc.ScenarioName(), "Scena 1");
    EXPECT_EQ(doc.TitleText(), "T1096 Scena 1");
    EXPECT_EQ(doc.CurrentFile(), file.string());
    EXPECT_EQ(std::tuple(doc.FileAbilita().TypeCMD, doc.FileAbilita().Indirizzo_CEN),
              std::tuple(2, 7));

    auto cond = tableText("TMP_COND_OK");
    ASSERT_EQ(cond.size(), 3u);
    test::ExpectContains(cond[0], {"ID=[2] ORDINE=[1] ID_OBJ=[8] DESCRI=[Ora\r07:30] IMG=<null> "
                                   "CHI_KEY=[1] COSA_KEY=[0] DOVE_KEY=[0]",
                                   "KEY_OPT=[07-30-00] CUSTOM=[1]"});
    test::ExpectContains(cond[1],
                         {"DESCRI=[Luce 'A' & <B>\r\nriga due]", "KEY_OPT=<null> CUSTOM=[0]"});
    test::ExpectContains(cond[2], {"ID=[3] ORDINE=[3] ID_OBJ=<null>"});
    EXPECT_EQ(tableText("TMP_OPE_OK"), (std::vector<std::string>{"ID_OPE=[2] ID1=[2] ID2=[1] ",
                                                                 "ID_OPE=[1] ID1=[1] ID2=[3] ",
                                                                 "ID_OPE=[2] ID1=[3] ID2=[4] "}));
    // Object 1 with what-codes 3 to 11 is object 42 after loading; 1, 2 and 12
    // stay, as does another object with what-code 3.
    EXPECT_EQ(column("TMP_STEP_ACT", "ID_OBJ"), (std::vector<int64_t>{1, 42, 42, 42, 1, 2, 1}));
    EXPECT_EQ(column("TMP_STEP_ACT", "REPEAT"), (std::vector<int64_t>(7, 1)));
}

TEST_F(DocumentTest, KeyAndVersionChecks) {
    test::TempDir dir;
    auto version = [&](int major, int minor, int revision) {
        const fs::path p = dir / "v.tdx";
        test::WriteText(
            p, WindowsShapeText("<app_MAJOR>4</app_MAJOR><app_Minor>0</app_Minor><app_Revision>3",
                                "<app_MAJOR>" + std::to_string(major) + "</app_MAJOR><app_Minor>" +
                                    std::to_string(minor) + "</app_Minor><app_Revision>" +
                                    std::to_string(revision)));
        return p.string();
    };
    doc.LoadPrj(version(kVersionMajor, kVersionMinor, kVersionRevision));
    EXPECT_EQ(tableText("TMP_COND_OK").size(), 3u) << "the same version loads";
    doc.LoadPrj(version(kVersionMajor - 1, 99, 99));
    EXPECT_EQ(tableText("TMP_COND_OK").size(), 3u) << "an older version loads";

    const int newer[][3] = {{kVersionMajor + 1, 0, 0},
                            {kVersionMajor, kVersionMinor + 1, 0},
                            {kVersionMajor, kVersionMinor, kVersionRevision + 1}};
    for (const auto& v : newer) {
        std::string file = version(v[0], v[1], v[2]);
        try {
            doc.LoadPrj(file);
            ADD_FAILURE() << "a newer file must be refused";
        } catch (const ProjectError& e) {
            EXPECT_EQ(e.number(), 10001);
            std::string expected = "T1007 (" + std::to_string(v[0]) + "." + std::to_string(v[1]) +
                                   "." + std::to_string(v[2]) + ") T1008 (" + kVersionText + ")";
            EXPECT_EQ(e.what(), expected);
        }
        EXPECT_TRUE(tableText("TMP_COND_OK").empty());
        EXPECT_TRUE(doc.Modified());
        EXPECT_TRUE(doc.CurrentFile().empty());
    }
}

TEST_F(DocumentTest, AFileLoadedWithoutItsRowsIsNeverSavedOver) {
    test::TempDir dir;
    const std::pair<const char*, std::string> incomplete[] = {
        {"another key", WindowsShapeText("<key>TESSARO</key>", "<key>Tessera</key>")},
        {"no revision", WindowsShapeText("<app_Revision>3</app_Revision>", "")},
    };
    for (const auto& [label, content] : incomplete) {
        SCOPED_TRACE(label);
        const fs::path original = dir / "original.tdx";
        test::WriteText(original, content);
        test::ScopedMessages msgs;
        doc.LoadPrj(original.string());
        // As designed: description and name, no rows; and it is said.
        EXPECT_EQ(doc.ScenarioName(), "Scena 1");
        for (const auto& [name, rows] : allTables()) EXPECT_TRUE(rows.empty()) << name;
        EXPECT_FALSE(doc.Modified());
        ASSERT_EQ(msgs->calls.size(), 1u);
        EXPECT_EQ(msgs->calls[0], (test::ScriptedMessages::Call{
                                      "warning", texts::GetText(1002),
                                      texts::Format(texts::GetText(1119), {original.string()})}));
        // Not the current file: a save must ask for a name, never overwrite it.
        EXPECT_TRUE(doc.CurrentFile().empty());
        add("TMP_TRIGGER", 1);
        EXPECT_THROW(doc.SaveAs(""), scenario::ScenarioFileError);
        EXPECT_EQ(test::ReadText(original), content);
        const fs::path copy = dir / "copy.tdx";
        doc.SaveAs(copy.string());
        EXPECT_EQ(doc.CurrentFile(), copy.string());
        EXPECT_EQ(test::ReadText(original), content);
    }
    // A complete file says nothing and becomes the current file.
    test::ScopedMessages msgs;
    const fs::path complete = dir / "complete.tdx";
    test::WriteText(complete, WindowsShapeText());
    doc.LoadPrj(complete.string());
    EXPECT_TRUE(msgs->calls.empty());
    EXPECT_EQ(doc.CurrentFile(), complete.string());
}

TEST_F(DocumentTest, BrokenFilesFailCleanly) {
    test::TempDir dir;
    const std::string good = WindowsShapeText();
    const std::vector<std::pair<std::string, std::string>> broken = {
        {"not xml", "Tessaro, but not XML at all"},
        {"truncated", good.substr(0, good.size() * 2 / 3)},
        {"no root", "<?xml version=\"1.0\"?><scenario><key>Tessaro</key></scenario>"},
        {"bad value", WindowsShapeText("ID=\"3\" ORDINE=\"3\"", "ID=\"3\" ORDINE=\"x\"")},
        {"no rowset",
         [&] {
             std::string s = good;
             size_t a = s.find("<TMP_STEP_ACTrecordset>") + 23;
             s.erase(a, s.find("</TMP_STEP_ACTrecordset>") - a);
             return s;
         }()},
        {"no data",
         [&] {
             std::string s = good;
             size_t a = s.find("<rs:data>");
             s.erase(a, s.find("</rs:data>") + 10 - a);
             return s;
         }()},
    };
    for (const auto& [label, content] : broken) {
        fillEverything(doc);
        const fs::path p = dir / "broken.tdx";
        test::WriteText(p, content);
        try {
            doc.LoadPrj(p.string());
            ADD_FAILURE() << label << ": no error";
        } catch (const scenario::ScenarioFileError& e) {
            EXPECT_EQ(e.number(), 10001);
            EXPECT_EQ(std::string(e.what()), "T1024: " + p.string()) << label;
            EXPECT_FALSE(e.detail().empty()) << label;
        }
        for (const auto& [name, rows] : allTables()) EXPECT_TRUE(rows.empty()) << label << name;
        EXPECT_TRUE(doc.Modified()) << label;
        EXPECT_TRUE(doc.CurrentFile().empty()) << label;
    }
    EXPECT_THROW(doc.LoadPrj((dir / "missing.tdx").string()), scenario::ScenarioFileError);
}

// A second root element makes a file not XML; a file larger than any
// scenario file is refused before it is parsed, on disk and in memory alike.
TEST_F(DocumentTest, ASecondRootOrAnOversizedFileIsRefused) {
    test::TempDir dir;
    const std::string good = WindowsShapeText();
    const size_t max = scenario::kMaxFileSize;
    struct Case {
        const char* what;
        std::string text;
        std::string detail;  // empty: read
    };
    const std::vector<Case> cases{
        {"two roots", good + "<root><key>Tessaro</key></root>", "a second root element"},
        {"another element after the root", good + "<other/>", "a second root element"},
        {"blanks up to the limit", good + std::string(max - good.size(), ' '), ""},
        {"one byte more", good + std::string(max + 1 - good.size(), ' '), "more than the"},
    };
    for (const auto& c : cases) {
        const fs::path p = dir / "s.tdx";
        test::WriteText(p, c.text);
        for (bool fromFile : {false, true}) {
            std::string detail;
            try {
                if (fromFile)
                    scenario::ReadScenarioFile(p);
                else
                    scenario::ParseScenarioFile(c.text, p.string());
            } catch (const scenario::ScenarioFileError& e) {
                EXPECT_EQ(std::string(e.what()), "T1024: " + p.string()) << c.what;
                detail = e.detail();
            }
            if (c.detail.empty())
                EXPECT_EQ(detail, "") << c.what;
            else
                EXPECT_NE(detail.find(c.detail), std::string::npos) << c.what << ": " << detail;
        }
    }
}

TEST_F(DocumentTest, SaveTakesNameAndCommandsFromTheProject) {
    test::TempDir dir;
    fs::path file = dir / "1.spt" / "Cucina.tdx";
    fs::create_directories(file.parent_path());
    auto project = std::make_shared<Collezione>();
    auto entry = project->Scenari()->Add("s1");
    entry->FullPath = file.string();
    entry->ScriptName = "Cucina sera";
    entry->Abilita.Livello = 4;
    entry->Abilita.Interfaccia = 3;
    entry->Disabilita.TypeCMD = 1;
    doc.SetProject(project);
    add("TMP_TRIGGER", 1);
    doc.SaveAs(file.string());

    scenario::ScenarioFile f = scenario::ReadScenarioFile(file);
    EXPECT_EQ(f.scenName, "Cucina sera");
    CommandRecord ab, dis;
    f.abilita->ApplyTo(ab);
    f.disabilita->ApplyTo(dis);
    EXPECT_EQ(std::tuple(ab.Livello, ab.Interfaccia, dis.TypeCMD), std::tuple(4, 3, 1));

    // A save that cannot be written throws, and the previous file stays.
    std::string previous = test::ReadText(file);
    doc.SetDescription("changed");
    fs::create_directories(dir / "blocked.tdx" / "inside");
    EXPECT_THROW(doc.SaveAs((dir / "blocked.tdx").string()), scenario::ScenarioFileError);
    EXPECT_THROW(doc.SaveAs((dir / "nofolder" / "x.tdx").string()), scenario::ScenarioFileError);
    EXPECT_TRUE(doc.Modified());
    EXPECT_EQ(doc.CurrentFile(), file.string());
    EXPECT_EQ(test::ReadText(file), previous);
    for (const auto& e : fs::directory_iterator(file.parent_path()))
        EXPECT_EQ(e.path().filename(), "Cucina.tdx") << "no temporary file left behind";
}

TEST_F(DocumentTest, NewFileEmptiesAndCountsAsUnsaved) {
    int presets = 0;
    doc.PresetApp = [&] { ++presets; };
    fillEverything(doc);
    doc.SetModified(false);
    doc.NewFile();
    EXPECT_TRUE(doc.Modified());
    EXPECT_TRUE(doc.Description().empty());
    EXPECT_EQ(presets, 1);
    for (const auto& [name, rows] : allTables()) EXPECT_TRUE(rows.empty()) << name;
}

TEST_F(DocumentTest, GetRecordSetAndAppendRecords) {
    test::TempDir dir;
    fs::path p = dir / "RS~1.tmp";
    rowset::TableRows rows = {{1, 2, 3}, {2, nullptr, 4}};
    std::ofstream(p, std::ios::binary) << rowset::WriteRowset("TMP_OPE_KO", rows);
    rowset::Rowset rs = GetRecordSet(p.string());
    EXPECT_FALSE(fs::exists(p)) << "the file is deleted after reading";
    EXPECT_EQ(AppendRecords(master(), rs, "TMP_OPE_KO"), 2);
    EXPECT_EQ(tableText("TMP_OPE_KO")[1], "ID_OPE=[2] ID1=<null> ID2=[4] ");
    EXPECT_THROW(GetRecordSet(p.string()), scenario::ScenarioFileError);
    // A bad value anywhere adds nothing.
    rowset::Rowset bad = rs;
    bad.rows.push_back({db::Value("x"), 1, 1});
    bad.columns[0].type = rowset::DataType::String;
    EXPECT_THROW(AppendRecords(master(), bad, "TMP_OPE_KO"), rowset::RowsetError);
    EXPECT_EQ(tableText("TMP_OPE_KO").size(), 2u);
}

TEST(DumpCommand, PrintsTheFileAsJsonWithoutADataFolder) {
    fs::path exe = TESSED_EXE;
    test::TempDir dir;
    fs::path out = dir / "out.json", err = dir / "err.txt";
    const fs::path file = WindowsShape();
    // A data folder that does not exist must stay so: the dump reads the file alone.
    std::string env = "TESSED_DATA_DIR='" + (dir / "nodata").string() + "' ";
    auto run = [&](const fs::path& f) {
        std::string cmd = env + "'" + exe.string() + "' dump '" + f.string() + "' >'" +
                          out.string() + "' 2>'" + err.string() + "'";
        return WEXITSTATUS(std::system(cmd.c_str()));
    };
    ASSERT_EQ(run(file), 0) << test::ReadText(err);
    EXPECT_FALSE(fs::exists(dir / "nodata"));
    EXPECT_EQ(test::ReadText(out), scenario::ScenarioJson(scenario::ReadScenarioFile(file)));
    // Rows in ORDINE order, every column, Null as null, booleans as true/false.
    test::ExpectContains(
        test::ReadText(out),
        {"\"key\": \"TESSARO\",\n  \"app_major\": 4,\n  \"app_minor\": 0,\n  \"app_revision\": "
         "3,\n",
         "\"abilita\": {\"CONF_A\": 1, \"CONF_PL\": 2, \"INTERFACCIA\": 0, \"LIVELLO\": 4, "
         "\"PULSANTE\": 5, \"TYPECMD\": 2, \"PULSANTE_CEN\": 6, \"INDIRIZZO_CEN\": 7}",
         "\"TMP_COND_OK\": [\n      {\"ID\": 2, \"ORDINE\": 1, \"ID_OBJ\": 8, "
         "\"DESCRI\": \"Ora\\r07:30\", \"IMG\": null",
         "\"KEY_OPT\": \"07-30-00\", \"CUSTOM\": true", "\"TMP_TRIGGER\": [],",
         "\"TMP_OPE_OK\": [\n      {\"ID_OPE\": 2, \"ID1\": 2, \"ID2\": 1},",
         "\"TMP_OPE_KO\": []\n  }\n}\n"});

    std::ofstream(dir / "bad.tdx") << "<root><project><TMP_COND_OKrecordset><xml>";
    EXPECT_EQ(run(dir / "bad.tdx"), 2);
    EXPECT_TRUE(test::ReadText(out).empty());
    test::ExpectContains(test::ReadText(err), {"cannot read scenario file"});
    EXPECT_EQ(run(dir / "missing.tdx"), 2);
}

}  // namespace
}  // namespace tessed
