// Seeded random sequences of editor operations (create, link, move, delete,
// edit, operator edit, check boxes, description, scrolling, a save): undoing
// every step gives the tables of the start, redoing them the end again, each
// step on the way dump-identical, the modified state following the history
// and the save, and the canvas refreshed from the restored tables.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "editor_support.h"
#include "model/document.h"
#include "model/edit_history.h"
#include "model/schema.h"
#include "support/test_env.h"

using namespace tessed;
using namespace tessed::editor;
using namespace tessed::test;

namespace {

// The scenario as a text: every working table in display order, then the
// description.
std::string Dump() {
    std::string out;
    for (auto t : schema::kWorkingTables) {
        const std::string order =
            schema::IsElementTable(t) ? " ORDER BY ORDINE, ID" : " ORDER BY rowid";
        out += std::string(t) + ":\n";
        for (const auto& r : Master().query("SELECT * FROM " + std::string(t) + order)) {
            for (size_t i = 0; i < r.size(); ++i)
                out += r.at(i).isNull() ? "<null>|" : r.at(i).toText() + "|";
            out += "\n";
        }
    }
    return out + "description: " + Document().Description() + "\n";
}

// What a slot group shows, to compare a refreshed canvas with a fresh one.
std::string Shown(const Canvas& c) {
    std::string out = std::to_string(c.chkRepeatACT) + std::to_string(c.chkRestart);
    for (StripId g : kSlotGroups) {
        out += "|";
        for (const Slot& s : c.strip(g).slots) out += s.labelTag + "," + s.caption + ";";
        for (const Mark& m : c.strip(g).marks) out += m.tag + ";";
    }
    return out;
}

// The canvas shows the tables as a fresh canvas scrolled to the same
// positions does.
void ExpectShowsTheTables(const Canvas& c, const std::string& where) {
    Canvas fresh;
    fresh.PresetApp();
    for (StripId g : kSlotGroups) fresh.Load(g, std::max(1, c.strip(g).firstShown()));
    EXPECT_EQ(Shown(c), Shown(fresh)) << where;
}

// Refreshes the canvas whenever undo or redo replaced the scenario under it,
// as the editor window does.
struct CanvasFollower : DocumentListener {
    Canvas& canvas;
    explicit CanvasFollower(Canvas& c) : canvas(c) {}
    void DocumentChanged(const DocumentChange& change) override {
        if (change.kind == ChangeKind::kRestore) canvas.Refresh();
    }
};

struct Session {
    FixtureEnv env;
    Canvas canvas;
    ScriptedDialogs dialogs;
    Placement place{canvas, dialogs};
    std::mt19937 rng;
    explicit Session(unsigned seed) : rng(seed) {
        Document().NewFile();
        canvas.PresetApp();
        for (int i = 1; i <= 10; ++i)
            if (canvas.strip(StripId::kFamilies).slot(i).labelTag == "70") canvas.imgFam_Click(i);
    }
    int pick(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); }
    StripId group() { return kSlotGroups[static_cast<size_t>(pick(0, 5))]; }
    // A filled slot of the group, 0 when it shows none.
    int filled(StripId g) {
        std::vector<int> slots;
        const Strip& s = canvas.strip(g);
        for (int i = 1; i <= static_cast<int>(s.slots.size()); ++i)
            if (s.slot(i).filled()) slots.push_back(i);
        return slots.empty() ? 0 : slots[static_cast<size_t>(pick(0, int(slots.size()) - 1))];
    }
    CanvasControl picture(StripId g, int i) { return {g, Part::kPicture, i}; }

    // One user action; true when it reported a change of the tables.
    bool act(std::string& what) {
        dialogs.property = [this](PropertyDialog& d) {
            d.txtDescri.text = "D" + std::to_string(pick(1, 99));
            if (pick(0, 9) == 0)
                d.cmdAnnulla();
            else
                d.cmdOK();
        };
        dialogs.ope = [this](OperatorDialog& d) {
            d.Preselect(pick(1, 2));
            d.Ok();
        };
        const StripId g = group();
        switch (pick(0, 9)) {
            case 0:
            case 1: {
                what = "create";
                const CanvasControl target =
                    pick(0, 1) ? CanvasControl{g, Part::kFrame, 0}
                               : picture(g, pick(1, static_cast<int>(Info(g).slots)));
                return place.Drop(picture(StripId::kObjects, 1), target);
            }
            case 2: {
                what = "link";
                const StripId c = pick(0, 1) ? StripId::kCondOk : StripId::kCondKo;
                const CanvasControl target = pick(0, 2) ? CanvasControl{c, Part::kMark, pick(1, 2)}
                                                        : CanvasControl{c, Part::kFrame, 0};
                return place.Drop(picture(StripId::kOperators, pick(1, 2)), target);
            }
            case 3: {
                what = "move";
                const int from = filled(g);
                const int slots = static_cast<int>(Info(g).slots);
                return from && place.Drop(picture(g, from), picture(g, pick(1, slots)));
            }
            case 4: {
                what = "delete";
                const int from = filled(g);
                const CanvasControl target =
                    pick(0, 1) ? CanvasControl::Trash()
                               : CanvasControl{StripId::kObjects, Part::kFrame, 0};
                return from && place.Drop(picture(g, from), target);
            }
            case 5: {
                what = "delete link";
                const StripId c = pick(0, 1) ? StripId::kCondOk : StripId::kCondKo;
                const CanvasControl mark{c, Part::kMark, pick(1, 2)};
                return place.CanDrag(mark) &&
                       place.Drop(mark, {StripId::kOperators, Part::kFrame, 0});
            }
            case 6: {
                what = "edit";
                const int slot = filled(g);
                return slot && place.DoubleClick(picture(g, slot));
            }
            case 7:
                what = "operator";
                return place.DoubleClick({StripId::kCondOk, Part::kMark, pick(1, 2)});
            case 8:
                what = "check box";
                if (pick(0, 1))
                    canvas.chkRepeatACT_Click(!canvas.chkRepeatACT);
                else
                    canvas.chkRestart_Click(!canvas.chkRestart);
                return false;
            default:
                what = pick(0, 1) ? "description" : "scroll";
                if (what == "description")
                    Document().SetDescription("S" + std::to_string(pick(1, 3)));
                else if (pick(0, 1))
                    canvas.ScrollForward(g);
                else
                    canvas.ScrollBack(g);
                return false;
        }
    }
};

}  // namespace

TEST(UndoSequence, UndoingEveryStepLeadsBackAndRedoingLeadsForward) {
    for (unsigned seed : {1u, 7u, 42u, 1234u, 2025u, 99991u}) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        Session s(seed);
        test::TempDir dir;
        EditHistory history(Document());
        CanvasFollower follower(s.canvas);
        Document().AddListener(&follower);

        std::vector<std::string> states = {Dump()};
        int saved = -1;
        const int saveAt = s.pick(10, 50);
        for (int op = 0; op < 90; ++op) {
            const size_t before = history.UndoSteps();
            std::string what;
            const bool changed = s.act(what);
            // A drop that reports a change is exactly one step; one that
            // does not is none.
            if (what != "check box" && what != "description" && what != "scroll") {
                ASSERT_EQ(history.UndoSteps(), before + (changed ? 1 : 0)) << op << " " << what;
            }
            ASSERT_LE(history.UndoSteps(), before + 1) << op << " " << what;
            if (history.UndoSteps() > before) states.push_back(Dump());
            if (op == saveAt) {
                Document().SaveAs((dir / "s.tdx").string());
                saved = static_cast<int>(states.size()) - 1;
            }
        }
        ASSERT_GT(states.size(), 20u) << "the sequence must change the scenario often";
        ASSERT_EQ(history.UndoSteps(), states.size() - 1);

        for (size_t i = states.size() - 1; i > 0; --i) {
            ASSERT_TRUE(history.Undo()) << i;
            ASSERT_EQ(Dump(), states[i - 1]) << "after undoing step " << i;
            EXPECT_EQ(Document().Modified(), static_cast<int>(i - 1) != saved) << i;
            ExpectShowsTheTables(s.canvas, "undo " + std::to_string(i));
        }
        EXPECT_FALSE(history.Undo());

        for (size_t i = 1; i < states.size(); ++i) {
            ASSERT_TRUE(history.Redo()) << i;
            ASSERT_EQ(Dump(), states[i]) << "after redoing step " << i;
            EXPECT_EQ(Document().Modified(), static_cast<int>(i) != saved) << i;
            ExpectShowsTheTables(s.canvas, "redo " + std::to_string(i));
        }
        EXPECT_FALSE(history.Redo());
        Document().RemoveListener(&follower);
    }
}
