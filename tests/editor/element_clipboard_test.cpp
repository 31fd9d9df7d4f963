// Copy, cut and paste of elements without a window: the clipboard text and
// what it refuses, the paste's checks (group, catalogue flags, row limit),
// where pasted elements land with their links, one undo step per paste or cut,
// and the selection by identity.
#include "editor/element_clipboard.h"

#include <gtest/gtest.h>

#include "editor/element_selection.h"
#include "editor_support.h"
#include "env/texts.h"
#include "model/document.h"
#include "model/edit_history.h"
#include "support/test_env.h"

using namespace tessed;
using namespace tessed::editor;
using namespace tessed::test;

namespace {

// A scenario on the fixture catalogue: object 700 goes everywhere, 701
// nowhere. The history records every step as the editor's does.
struct Editing {
    FixtureEnv env;
    Canvas canvas;
    Placement place{canvas};
    EditHistory history{Document()};
    Editing() {
        Document().NewFile();
        canvas.PresetApp();
    }
    static std::vector<int64_t> Ids(const std::string& table) {
        std::vector<int64_t> out;
        for (auto& r : Master().query("SELECT ID FROM " + table + " ORDER BY ORDINE, ID"))
            out.push_back(r.getInt("ID"));
        return out;
    }
    // A row of a table by its identity, without ID and ORDINE.
    static std::vector<db::Value> Row(const std::string& table, int64_t id) {
        auto r = rowset::FromDbRows(
            Master().query("SELECT * FROM " + table + " WHERE ID=?", {static_cast<long long>(id)}),
            table);
        if (r.empty()) return {};
        r[0].erase(r[0].begin(), r[0].begin() + 2);
        return r[0];
    }
    static std::vector<std::vector<int64_t>> Links(const std::string& table) {
        std::vector<std::vector<int64_t>> out;
        for (auto& r : Master().query("SELECT ID_OPE, ID1, ID2 FROM " + table + " ORDER BY rowid"))
            out.push_back({r.getInt("ID_OPE"), r.getInt("ID1"), r.getInt("ID2")});
        return out;
    }
    // The plan committed; the new identities.
    std::vector<int64_t> Paste(const CopiedElements& copy, StripId group, int64_t after = 0) {
        EditPlan p = place.PlanPaste(std::make_shared<CopiedElements>(copy), group, after);
        EXPECT_EQ(p.warning, 0);
        EXPECT_TRUE(place.Commit(p));
        return p.Created();
    }
};

// Three conditions A, B, C linked A-B by 1 and B-C by 2.
void ThreeLinkedConditions() {
    AddElement("TMP_COND_OK", 1, 700, "A", 700, 700, 700);
    AddElement("TMP_COND_OK", 2, 700, "B", 700, 701, 700);
    AddElement("TMP_COND_OK", 3, 700, "C", 701, 702, 700);
    Link("TMP_OPE_OK", 1, 1, 2);
    Link("TMP_OPE_OK", 2, 2, 3);
}

}  // namespace

TEST(ElementClipboard, CopyTakesTheRowsInStoredOrderWithTheLinksBetweenThem) {
    Editing s;
    ThreeLinkedConditions();
    // Asked in another order: stored order counts; 99 is no element.
    const CopiedElements copy = CopyElements(Master(), StripId::kCondOk, {2, 99, 1});
    ASSERT_EQ(copy.rows.size(), 2u);
    EXPECT_EQ(copy.rows[0][3].toText(), "A");  // DESCRI
    EXPECT_EQ(copy.rows[1][3].toText(), "B");
    // Identities and places are given by a paste.
    EXPECT_TRUE(copy.rows[0][0].isNull() && copy.rows[0][1].isNull());
    // A-B is copied, B-C is not (C stayed behind).
    EXPECT_EQ(copy.links, (std::vector<CopiedLink>{{1, 0, 1}}));

    const std::string bytes = WriteElements(copy);
    const auto back = ReadElements(bytes);
    ASSERT_TRUE(back);
    EXPECT_EQ(*back, copy);
}

TEST(ElementClipboard, AnythingButACopyReadsAsNothing) {
    Editing s;
    ThreeLinkedConditions();
    const std::string good = WriteElements(CopyElements(Master(), StripId::kCondOk, {1, 2}));
    ASSERT_TRUE(ReadElements(good));
    auto edited = [&](const std::string& from, const std::string& to) {
        std::string t = good;
        const size_t at = t.find(from);
        EXPECT_NE(at, std::string::npos) << from;
        return at == std::string::npos ? std::string() : t.replace(at, from.size(), to);
    };
    // A copy of `n` actions, each the first row of the good copy.
    const size_t first = good.find("{\"ID_OBJ\"");
    const std::string row = good.substr(first, good.find('}', first) - first + 1);
    auto actions = [&](size_t n) {
        std::string t =
            R"({"format":"tessed-elements","version":1,"table":"TMP_STEP_ACT","rows":[)";
        for (size_t i = 0; i < n; ++i) t += (i ? "," : "") + row;
        return t + R"(],"links":[]})";
    };
    ASSERT_TRUE(ReadElements(actions(kMaxCopiedElements)));
    const std::string many = actions(kMaxCopiedElements + 1);
    const std::pair<const char*, std::string> cases[] = {
        {"empty", ""},
        {"garbage", "\x01\x02garbage\xff"},
        {"not an object", "[1,2,3]"},
        {"cut short", good.substr(0, good.size() / 2)},
        {"another format", edited("tessed-elements", "tessed-other")},
        {"a newer version", edited("\"version\":1", "\"version\":2")},
        {"an operator table", edited("TMP_COND_OK", "TMP_OPE_OK")},
        {"no table at all", edited("TMP_COND_OK", "sqlite_master")},
        {"no rows",
         edited(good.substr(good.find("[{"), good.find("}],") + 2 - good.find("[{")), "[]")},
        {"a column unknown", edited("\"DESCRI\":", "\"DESCRIPTION\":")},
        {"a text for a number", edited("\"ID_OBJ\":700", "\"ID_OBJ\":\"700\"")},
        {"a number out of range", edited("\"ID_OBJ\":700", "\"ID_OBJ\":4294967296")},
        {"a negative past the range", edited("\"ID_OBJ\":700", "\"ID_OBJ\":-2147483649")},
        {"a fraction", edited("\"ID_OBJ\":700", "\"ID_OBJ\":700.5")},
        {"a number for a yes/no", edited("\"REPEAT\":false", "\"REPEAT\":0")},
        {"a link past the rows", edited("\"lower\":1", "\"lower\":2")},
        {"a link to itself", edited("\"lower\":1", "\"lower\":0")},
        {"a link without operator", edited("\"ID_OPE\":1", "\"ID_OPE\":0")},
        {"links among actions", edited("TMP_COND_OK", "TMP_STEP_ACT")},
        {"too many rows", many},
        {"too many bytes", good + std::string(kMaxClipboardBytes, ' ')},
    };
    for (const auto& [what, bytes] : cases) EXPECT_FALSE(ReadElements(bytes)) << what;
    // The excluded conditions have links too.
    EXPECT_TRUE(ReadElements(edited("TMP_COND_OK", "TMP_COND_KO")));
}

TEST(ElementClipboard, PastedElementsAreStoredAsCopiedInAnotherScenario) {
    Editing s;
    AddElement("TMP_STEP_ACT", 1, 700, "one", 700, 700, 700);
    AddElement("TMP_STEP_ACT", 2, 700, "two", 701, 701, 700, std::string("5"));
    AddElement("TMP_STEP_ACT", 3, 700, "three", 700, 702, 700);
    const auto one = Editing::Row("TMP_STEP_ACT", 1), three = Editing::Row("TMP_STEP_ACT", 3);
    const std::string bytes = WriteElements(CopyElements(Master(), StripId::kStepAct, {1, 3}));

    // Another scenario, with an action of its own.
    Document().NewFile();
    AddElement("TMP_STEP_ACT", 7, 700, "own", 700, 700, 700);
    s.canvas.PresetApp();
    const auto copy = ReadElements(bytes);
    ASSERT_TRUE(copy);
    const auto made = s.Paste(*copy, StripId::kStepAct);
    ASSERT_EQ(made.size(), 2u);
    EXPECT_EQ(Editing::Ids("TMP_STEP_ACT"), (std::vector<int64_t>{7, made[0], made[1]}));
    EXPECT_EQ(made[0], 8);
    EXPECT_EQ(Editing::Row("TMP_STEP_ACT", made[0]), one);
    EXPECT_EQ(Editing::Row("TMP_STEP_ACT", made[1]), three);
    // The canvas shows them at once.
    EXPECT_EQ(s.canvas.strip(StripId::kStepAct).slot(2).labelTag, std::to_string(made[0]));
}

TEST(ElementClipboard, APasteLandsAfterTheElementWithItsLinksAndIsOneStep) {
    Editing s;
    ThreeLinkedConditions();
    s.canvas.PresetApp();
    const auto copy = CopyElements(Master(), StripId::kCondOk, {2, 3});
    const uint64_t before = Document().Revision();
    const auto made = s.Paste(copy, StripId::kCondOk, 1);
    ASSERT_EQ(made.size(), 2u);
    EXPECT_EQ(Editing::Ids("TMP_COND_OK"), (std::vector<int64_t>{1, made[0], made[1], 2, 3}));
    // The copied link B-C joins the two pasted conditions; the others stay.
    EXPECT_EQ(Editing::Links("TMP_OPE_OK"),
              (std::vector<std::vector<int64_t>>{{1, 1, 2}, {2, 2, 3}, {2, made[0], made[1]}}));
    EXPECT_EQ(s.history.UndoSteps(), 1u);
    ASSERT_TRUE(s.history.Undo());
    EXPECT_EQ(Editing::Ids("TMP_COND_OK"), (std::vector<int64_t>{1, 2, 3}));
    EXPECT_EQ(Editing::Links("TMP_OPE_OK").size(), 2u);
    EXPECT_EQ(Document().Revision(), before);
    ASSERT_TRUE(s.history.Redo());
    EXPECT_EQ(Editing::Ids("TMP_COND_OK").size(), 5u);
}

TEST(ElementClipboard, APasteIsCheckedAsADropAndARefusedOneChangesNothing) {
    Editing s;
    ScopedMessages msgs;
    for (int i = 1; i <= 19; ++i) AddElement("TMP_TRIGGER", i, 700, "T");
    AddElement("TMP_STEP_ACT", 1, 700, "act");
    AddElement("TMP_STEP_ACT", 2, 701, "nowhere");
    s.canvas.PresetApp();
    const auto one =
        std::make_shared<CopiedElements>(CopyElements(Master(), StripId::kTrigger, {1}));
    const auto two =
        std::make_shared<CopiedElements>(CopyElements(Master(), StripId::kTrigger, {1, 2}));
    const auto actions =
        std::make_shared<CopiedElements>(CopyElements(Master(), StripId::kStepAct, {1}));
    const auto refused =
        std::make_shared<CopiedElements>(CopyElements(Master(), StripId::kStepAct, {1, 2}));
    const uint64_t revision = Document().Revision();
    struct Case {
        const char* what;
        std::shared_ptr<const CopiedElements> copy;
        StripId group;
        int warning;
    };
    const Case cases[] = {
        {"nothing readable", nullptr, StripId::kTrigger, 1929},
        {"another group", actions, StripId::kStepActElse, 1929},
        {"an object the group does not take", refused, StripId::kStepAct, 1929},
        {"past 20 rows", two, StripId::kTrigger, 1561},
    };
    for (const Case& c : cases) {
        EditPlan p = s.place.PlanPaste(c.copy, c.group);
        EXPECT_EQ(p.warning, c.warning) << c.what;
        EXPECT_FALSE(p.Committable()) << c.what;
        EXPECT_FALSE(s.place.Commit(p)) << c.what;
    }
    EXPECT_EQ(Document().Revision(), revision);
    EXPECT_EQ(s.history.UndoSteps(), 0u);
    // The one-phase calls show no message: the window shows the plan's warning.
    EXPECT_TRUE(msgs->calls.empty());

    // The 20th fits; then the group is full.
    EXPECT_EQ(s.Paste(*one, StripId::kTrigger).size(), 1u);
    EXPECT_EQ(s.place.PlanPaste(one, StripId::kTrigger).warning, 1561);
    EXPECT_EQ(Count("SELECT COUNT(*) FROM TMP_TRIGGER"), 20);
}

TEST(ElementClipboard, ACutDeletesTheElementsWithTheirLinksInOneStep) {
    Editing s;
    ThreeLinkedConditions();
    s.canvas.PresetApp();
    EditPlan cut = s.place.PlanDeleteElements(StripId::kCondOk, {1, 3, 3});
    ASSERT_TRUE(s.place.Commit(cut));
    EXPECT_EQ(Editing::Ids("TMP_COND_OK"), (std::vector<int64_t>{2}));
    EXPECT_TRUE(Editing::Links("TMP_OPE_OK").empty());
    EXPECT_EQ(s.canvas.strip(StripId::kCondOk).slot(1).labelTag, "2");
    EXPECT_EQ(s.history.UndoSteps(), 1u);
    ASSERT_TRUE(s.history.Undo());
    EXPECT_EQ(Editing::Ids("TMP_COND_OK"), (std::vector<int64_t>{1, 2, 3}));
    EXPECT_EQ(Editing::Links("TMP_OPE_OK").size(), 2u);
    // An element that is gone already: nothing of the cut happens.
    EditPlan stale = s.place.PlanDeleteElements(StripId::kCondOk, {1, 42});
    const uint64_t revision = Document().Revision();
    EXPECT_FALSE(s.place.Commit(stale));
    EXPECT_EQ(Editing::Ids("TMP_COND_OK"), (std::vector<int64_t>{1, 2, 3}));
    EXPECT_EQ(Document().Revision(), revision);
}

TEST(ElementClipboard, TheDescriptionSaysWhatTheSlotsSay) {
    Editing s;
    AddElement("TMP_STEP_ACT", 1, 700, "Hall\r\nlight");
    AddElement("TMP_STEP_ACT", 2, 700, "Porch");
    s.canvas.PresetApp();
    const auto& strip = s.canvas.strip(StripId::kStepAct);
    const std::string text =
        DescribeElements(Master(), CopyElements(Master(), StripId::kStepAct, {1, 2}), "Actions");
    EXPECT_EQ(text, "Actions\n" + strip.slot(1).toolTip + "\n" + strip.slot(2).toolTip + "\n");
    EXPECT_EQ(text.find('\r'), std::string::npos);
}

TEST(ElementSelection, ClicksTogglesAndRunsFollowTheStoredOrder) {
    Editing s;
    // Stored order 4, 1, 3, 2 (ORDINE differs from the identity).
    for (auto [id, order] : {std::pair{1, 2}, {2, 4}, {3, 3}, {4, 1}})
        Master().execute("INSERT INTO TMP_STEP_ACT (ID, ORDINE, ID_OBJ) VALUES (?,?,700)",
                         {id, order});
    AddElement("TMP_TRIGGER", 1, 700);
    ElementSelection sel(s.canvas);
    sel.Select(StripId::kStepAct, 1);
    sel.Extend(StripId::kStepAct, 2);
    EXPECT_EQ(sel.Ids(), (std::vector<int64_t>{1, 3, 2}));
    sel.Extend(StripId::kStepAct, 4);  // the anchor stays at 1
    EXPECT_EQ(sel.Ids(), (std::vector<int64_t>{4, 1}));
    sel.Toggle(StripId::kStepAct, 2);
    EXPECT_EQ(sel.Ids(), (std::vector<int64_t>{4, 1, 2}));
    sel.Toggle(StripId::kStepAct, 4);
    EXPECT_EQ(sel.Ids(), (std::vector<int64_t>{1, 2}));
    EXPECT_TRUE(sel.Contains(StripId::kStepAct, 2));
    EXPECT_FALSE(sel.Contains(StripId::kTrigger, 2));
    // Another group starts afresh.
    sel.Toggle(StripId::kTrigger, 1);
    EXPECT_EQ(sel.Group(), StripId::kTrigger);
    EXPECT_EQ(sel.Ids(), (std::vector<int64_t>{1}));
    // Gone elements leave the selection.
    sel.SelectAll(StripId::kStepAct, {3, 2, 1});
    Master().execute("DELETE FROM TMP_STEP_ACT WHERE ID=3");
    sel.Prune();
    EXPECT_EQ(sel.Ids(), (std::vector<int64_t>{1, 2}));
    sel.Clear();
    EXPECT_TRUE(sel.Empty());
}
