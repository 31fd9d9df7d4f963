#include "model/edit_history.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>

#include "env/environment.h"
#include "env/state.h"
#include "model/document.h"
#include "model/project.h"
#include "model/schema.h"
#include "support/test_env.h"

namespace tessed {
namespace {

db::Database& master() { return env::Env().master(); }

// Every working table rendered row by row, in display order: equal dumps mean
// the scenario is the same.
std::map<std::string, std::string> dump() {
    std::map<std::string, std::string> m;
    for (auto t : schema::kWorkingTables) {
        const std::string order =
            schema::IsElementTable(t) ? " ORDER BY ORDINE, ID" : " ORDER BY rowid";
        std::string& out = m[std::string(t)];
        for (const auto& r : master().query("SELECT * FROM " + std::string(t) + order)) {
            for (size_t i = 0; i < r.size(); ++i)
                out += r.at(i).isNull() ? "<null>|" : r.at(i).toText() + "|";
            out += "\n";
        }
    }
    return m;
}

struct Recorder : DocumentListener {
    std::vector<DocumentChange> changes;
    void DocumentChanged(const DocumentChange& c) override { changes.push_back(c); }
};

class HistoryTest : public ::testing::Test {
  protected:
    test::FixtureEnv env;
    ScenarioDocument doc;

    void SetUp() override {
        SetCurrentProject(nullptr);
        doc.NewFile();
    }

    int32_t add(std::string_view table, const std::string& descri = "e") {
        ElementValues v;
        v.ID_OBJ = 1;
        v.DESCRI = descri;
        v.CHI_KEY = 1;
        v.COSA_KEY = 1;
        v.DOVE_KEY = 2;
        v.ID_RES_COSA = 1;
        v.area = 4;
        int32_t id = 0;
        EXPECT_TRUE(doc.InsertIntoPRJ(table, v, id));
        return id;
    }
};

TEST_F(HistoryTest, EveryChangeCountsARevisionAndIsTold) {
    const int32_t a = add("TMP_COND_OK"), b = add("TMP_COND_OK");
    add("TMP_STEP_ACT");
    Recorder rec;
    doc.AddListener(&rec);
    using K = ChangeKind;
    struct Case {
        const char* what;
        std::function<bool()> run;
        std::vector<std::tuple<K, std::string, std::vector<int32_t>>> told;
    };
    ElementValues v;
    v.ID_OBJ = 2;
    int32_t id = a;
    const std::vector<Case> cases = {
        {"update",
         [&] { return doc.InsertIntoPRJ("TMP_COND_OK", v, id); },
         {{K::kUpdate, "TMP_COND_OK", {a}}}},
        {"link",
         [&] { return doc.InsertIntoOPE("TMP_OPE_OK", 1, a, b); },
         {{K::kInsert, "TMP_OPE_OK", {a, b}}}},
        {"operator",
         [&] { return doc.UpdateOPE("TMP_OPE_OK", 2, a, b); },
         {{K::kUpdate, "TMP_OPE_OK", {a, b}}}},
        // The link a-b ends on b already: only the order changes.
        {"reorder",
         [&] { return doc.RebuildOrder("TMP_COND_OK", b, a); },
         {{K::kReorder, "TMP_COND_OK", {b, a}}}},
        {"reorder back",
         [&] { return doc.RebuildOrder("TMP_COND_OK", a, b); },
         {{K::kReorder, "TMP_COND_OK", {a, b}}, {K::kUpdate, "TMP_OPE_OK", {a, b}}}},
        {"flags",
         [&] { return doc.SetActionFlags(true, false); },
         {{K::kUpdate, "TMP_STEP_ACT", {}}}},
        {"time text",
         [&] { return doc.SetTimeText("TMP_COND_OK", b, "ORAFROM=0700|"); },
         {{K::kUpdate, "TMP_COND_OK", {b}}}},
        {"delete with links",
         [&] { return doc.DeletePRJ("TMP_COND_OK", a, "TMP_OPE_OK"); },
         {{K::kDelete, "TMP_COND_OK", {a}}, {K::kDelete, "TMP_OPE_OK", {a}}}},
        {"description",
         [&] {
             doc.SetDescription("new");
             return true;
         },
         {{K::kDescription, "", {}}}},
        // What changes nothing is no change.
        {"nothing to delete", [&] { return doc.DeletePRJ("TMP_COND_OK", 99); }, {}},
        {"no such link", [&] { return doc.DeleteOPE("TMP_OPE_OK", 1, 7, 8); }, {}},
        {"no such element", [&] { return doc.RebuildOrder("TMP_COND_OK", b, 99); }, {}},
        {"same position", [&] { return !doc.RebuildOrder("TMP_COND_OK", b, b); }, {}},
        {"not a table", [&] { return doc.InsertIntoPRJ("ANA_LABELS", v, id); }, {}},
        {"same description",
         [&] {
             doc.SetDescription("new");
             return false;
         },
         {}},
    };
    // Each case returns true when the operation reported success, except that
    // a move onto its own position is a success that changes nothing (its
    // case returns the negation).
    for (const auto& c : cases) {
        rec.changes.clear();
        const uint64_t before = doc.Revision();
        const bool ok = c.run();
        std::vector<std::tuple<K, std::string, std::vector<int32_t>>> told;
        for (const auto& ch : rec.changes) told.emplace_back(ch.kind, ch.table, ch.rows);
        EXPECT_EQ(told, c.told) << c.what;
        EXPECT_EQ(ok, !c.told.empty()) << c.what;
        EXPECT_EQ(doc.Revision() > before, !c.told.empty()) << c.what;
        if (!rec.changes.empty()) {
            EXPECT_EQ(rec.changes.back().revision, doc.Revision()) << c.what;
        }
    }
    doc.RemoveListener(&rec);
    rec.changes.clear();
    add("TMP_TRIGGER");
    EXPECT_TRUE(rec.changes.empty());
}

TEST_F(HistoryTest, ModifiedMeansADifferentRevisionThanTheSavedOne) {
    test::TempDir dir;
    Recorder rec;
    doc.AddListener(&rec);
    EXPECT_TRUE(doc.Modified()) << "a new scenario is unsaved";
    doc.SaveAs((dir / "a.tdx").string());
    EXPECT_FALSE(doc.Modified());
    EXPECT_EQ(rec.changes.back().kind, ChangeKind::kSaved);
    EXPECT_FALSE(doc.DeletePRJ("TMP_TRIGGER", 1)) << "nothing to delete";
    EXPECT_FALSE(doc.Modified()) << "a failed change is no change";
    add("TMP_TRIGGER");
    EXPECT_TRUE(doc.Modified());
    EXPECT_TRUE(Flags().scenarioChanged) << "the process-wide flag follows";
    doc.SetModified(false);
    EXPECT_FALSE(doc.Modified());
    EXPECT_FALSE(Flags().scenarioChanged);
    doc.LoadPrj((dir / "a.tdx").string());
    EXPECT_FALSE(doc.Modified());
    EXPECT_EQ(rec.changes.back().kind, ChangeKind::kReset);
    doc.RemoveListener(&rec);
}

// A scenario with rows in every table, a description and commands.
void fill(ScenarioDocument& doc, const std::string& text) {
    auto& db = master();
    for (auto t : schema::kElementTables)
        for (int i = 1; i <= 3; ++i)
            db.execute("INSERT INTO " + std::string(t) +
                           " (ID,ORDINE,ID_OBJ,DESCRI,KEY_OPT,CUSTOM,REPEAT) "
                           "VALUES (?,?,1,?,?,?,1)",
                       {i, 4 - i, text + std::to_string(i), i == 2 ? db::Value() : "k", i == 1});
    // Two links for one pair: their stored order decides which one shows.
    db.execute("INSERT INTO TMP_OPE_OK (ID_OPE,ID1,ID2) VALUES (2,1,2), (1,1,2), (1,2,3)");
    db.execute("INSERT INTO TMP_OPE_KO (ID_OPE,ID1,ID2) VALUES (1,3,2)");
    doc.SetDescription(text);
}

TEST_F(HistoryTest, SnapshotsRestoreTheWholeScenarioOrNothing) {
    fill(doc, "first");
    const auto first = dump();
    const ScenarioSnapshot snap = doc.TakeSnapshot();
    EXPECT_EQ(snap.revision, doc.Revision());
    schema::ClearWorkingTables(master());
    fill(doc, "second");
    ASSERT_NE(dump(), first);

    Recorder rec;
    doc.AddListener(&rec);
    ASSERT_TRUE(doc.Restore(snap));
    EXPECT_EQ(dump(), first);
    EXPECT_EQ(doc.Description(), "first");
    EXPECT_EQ(doc.Revision(), snap.revision);
    ASSERT_EQ(rec.changes.size(), 1u);
    EXPECT_EQ(rec.changes[0].kind, ChangeKind::kRestore);

    // A table that cannot be written: the whole restore is undone.
    const ScenarioSnapshot again = doc.TakeSnapshot();
    doc.SetDescription("changed");
    master().execute("DELETE FROM TMP_TRIGGER");
    const auto changed = [&] {
        auto d = dump();
        d.erase("TMP_OPE_KO");
        return d;
    }();
    const uint64_t revision = doc.Revision();
    master().executeScript("DROP TABLE temp.TMP_OPE_KO");
    EXPECT_FALSE(doc.Restore(again));
    master().executeScript(
        "CREATE TEMP TABLE TMP_OPE_KO (ID_OPE INTEGER, ID1 INTEGER, ID2 INTEGER)");
    auto after = dump();
    after.erase("TMP_OPE_KO");
    EXPECT_EQ(after, changed);
    EXPECT_EQ(doc.Description(), "changed");
    EXPECT_EQ(doc.Revision(), revision);
    doc.RemoveListener(&rec);
}

TEST_F(HistoryTest, StepsUndoRedoAndTheSavedState) {
    test::TempDir dir;
    EditHistory history(doc);
    const auto empty = dump();

    // One user action: nested steps fold into the outer one.
    history.BeginStep();
    add("TMP_COND_OK");
    add("TMP_COND_OK");
    doc.BeginStep();
    doc.InsertIntoOPE("TMP_OPE_OK", 1, 1, 2);
    doc.EndStep();
    EXPECT_FALSE(history.Undo()) << "not inside an open step";
    history.EndStep();
    EXPECT_EQ(history.UndoSteps(), 1u);
    const auto linked = dump();

    // A step that changed nothing is not kept; a change outside a step is one.
    history.BeginStep();
    doc.DeletePRJ("TMP_COND_OK", 42);
    history.EndStep();
    add("TMP_TRIGGER");
    doc.SetDescription("described");
    EXPECT_EQ(history.UndoSteps(), 3u);
    const auto saved = dump();
    doc.SaveAs((dir / "s.tdx").string());
    add("TMP_STEP_ACT");
    const auto last = dump();

    EXPECT_TRUE(doc.Modified());
    ASSERT_TRUE(history.Undo());
    EXPECT_EQ(dump(), saved);
    EXPECT_FALSE(doc.Modified()) << "back at the saved state";
    ASSERT_TRUE(history.Undo());
    EXPECT_EQ(doc.Description(), "");
    EXPECT_TRUE(doc.Modified());
    ASSERT_TRUE(history.Undo());
    EXPECT_EQ(dump(), linked);
    ASSERT_TRUE(history.Undo());
    EXPECT_EQ(dump(), empty);
    EXPECT_FALSE(history.Undo());

    for (int i = 0; i < 3; ++i) ASSERT_TRUE(history.Redo());
    EXPECT_EQ(dump(), saved);
    EXPECT_EQ(doc.Description(), "described");
    EXPECT_FALSE(doc.Modified());
    ASSERT_TRUE(history.Redo());
    EXPECT_EQ(dump(), last);
    EXPECT_FALSE(history.Redo());

    // A new change after an undo clears what could be redone.
    history.Undo();
    add("TMP_TRIGGERSTOP");
    EXPECT_FALSE(history.CanRedo());
    EXPECT_TRUE(doc.Modified());
    history.Undo();
    EXPECT_EQ(dump(), saved);
    EXPECT_FALSE(doc.Modified()) << "the saved state, reached another way";
}

TEST_F(HistoryTest, ANewScenarioStartsAfreshAndTheOldestStepsGo) {
    EditHistory history(doc, 3);
    for (int i = 0; i < 5; ++i) add("TMP_TRIGGER");
    EXPECT_EQ(history.UndoSteps(), 3u);
    while (history.Undo()) {
    }
    EXPECT_EQ(master().queryOne("SELECT COUNT(*) FROM TMP_TRIGGER")->at(0).toInt(), 2);
    history.Redo();
    doc.NewFile();
    EXPECT_FALSE(history.CanUndo());
    EXPECT_FALSE(history.CanRedo());
    {
        // A history that goes leaves the document as it was; a document that
        // goes leaves its history inert.
        auto other = std::make_unique<ScenarioDocument>();
        EditHistory orphan(*other);
        other.reset();
        EXPECT_FALSE(orphan.Undo());
    }
    add("TMP_TRIGGER");
    EXPECT_EQ(history.UndoSteps(), 1u);
}

}  // namespace
}  // namespace tessed
