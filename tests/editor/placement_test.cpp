#include "editor/placement.h"

#include <gtest/gtest.h>

#include <functional>

#include "editor_support.h"
#include "env/state.h"
#include "env/texts.h"
#include "model/document.h"
#include "model/edit_history.h"
#include "support/test_env.h"

using namespace tessed;
using namespace tessed::editor;
using namespace tessed::test;

namespace {

// A canvas showing the family of test objects (700 places everywhere, 701
// nowhere) with a placement on scripted dialogs and a manual timer.
struct Editor {
    FixtureEnv env;
    Canvas canvas;
    ScriptedDialogs dialogs;
    ManualTimer timer;
    Placement place{canvas, dialogs, &timer};
    Editor() {
        canvas.PresetApp();
        for (int i = 1; i <= 10; ++i)
            if (canvas.strip(StripId::kFamilies).slot(i).labelTag == "70") canvas.imgFam_Click(i);
    }
    // The palette slot of object 700 is 1, of 701 is 2.
    bool drop(const std::string& target, int index = 0, int objSlot = 1) {
        return place.Drop(Control("IMGOBJ", objSlot), Control(target, index));
    }
    bool drop(const std::string& source, int index, const std::string& target, int at = 0) {
        return place.Drop(Control(source, index), Control(target, at));
    }
    std::vector<int64_t> ids(const std::string& table) {
        std::vector<int64_t> out;
        for (auto& r : Master().query("SELECT ID FROM " + table + " ORDER BY ORDINE"))
            out.push_back(r.getInt("ID"));
        return out;
    }
};

}  // namespace

TEST(Placement, TwentyFirstTriggerRefusedNegatedConditionAccepted) {
    Editor e;
    ScopedMessages msgs;
    for (int i = 1; i <= 20; ++i) {
        AddElement("TMP_TRIGGER", i, 1);
        AddElement("TMP_COND_KO", i, 1);
        AddElement("TMP_COND_OK", i, 1);
    }
    e.canvas.PresetApp();
    e.canvas.imgFam_Click(5);
    EXPECT_FALSE(e.drop("imgfraEvent"));
    EXPECT_EQ(e.dialogs.shown, 0);
    ASSERT_EQ(msgs->calls.size(), 1u);
    EXPECT_EQ(msgs->calls[0],
              (ScriptedMessages::Call{"warning", texts::GetText(1002), texts::GetText(1561)}));
    EXPECT_FALSE(e.drop("lblCondOK", 2));
    EXPECT_EQ(Count("SELECT COUNT(*) FROM TMP_TRIGGER"), 20);
    EXPECT_TRUE(e.drop("imgCondKO", 1));
    EXPECT_EQ(Count("SELECT COUNT(*) FROM TMP_COND_KO"), 21);
    EXPECT_EQ(msgs->calls.size(), 2u);
}

TEST(Placement, ObjectWithoutFlagsIsRefusedEverywhere) {
    Editor e;
    for (const char* frame : {"imgfraEvent", "imgfraEventSTOP", "imgfraIF", "imgfraNOTIF",
                              "imgfraACT", "imgfraACTELSE"}) {
        EXPECT_EQ(e.place.Hover(Control("IMGOBJ", 2), Control(frame)), DragIcon::kStop) << frame;
        EXPECT_EQ(e.place.Hover(Control("IMGOBJ", 1), Control(frame)), DragIcon::kDrag) << frame;
        EXPECT_FALSE(e.drop(frame, 0, 2));
    }
    EXPECT_EQ(e.dialogs.shown, 0);
    for (auto t : schema::kElementTables)
        EXPECT_EQ(Count("SELECT COUNT(*) FROM " + std::string(t)), 0);
}

TEST(Placement, AcceptanceTable) {
    Editor e;
    using D = DropEffect;
    const std::tuple<const char*, const char*, DropEffect> cases[] = {
        {"IMGTRIGGER", "imgTrigger", D::kNoEffect},
        {"IMGTRIGGERSTOP", "imgfraEvent", D::kRefuse},
        {"IMGOPE", "imgfraIF", D::kLink},
        {"IMGOPE", "imgOPEKO", D::kLink},
        {"IMGCONDOK", "lblCondOK", D::kMove},
        {"IMGOPEOK", "imgCondOK", D::kNoEffect},
        {"IMGCONDKO", "imgCondKO", D::kNoEffect},
        {"IMGOPEKO", "imgfraNOTIF", D::kNoEffect},
        {"IMGICOSTEPACT", "imgICOStepACT", D::kMove},
        {"IMGICOSTEPACT", "imgfraACTELSE", D::kRefuse},
        {"IMGICOSTEPACTELSE", "lblStepACTElse", D::kMove},
        {"IMGCONDKO", "imgObj", D::kDelete},
        {"IMGOBJ", "imgfraOBJ", D::kNoEffect},
        {"IMGOPEKO", "imgfraOPE", D::kDeleteLink},
        {"IMGOPE", "imgOpe", D::kNoEffect},
        {"IMGTRIGGER", "imgOpe", D::kRefuse},
        {"IMGOPEOK", "imgCestino", D::kDeleteLink},
        {"IMGOPEKO", "imgfraCestino", D::kRefuse},
        {"IMGICOSTEPACTELSE", "imgCestino", D::kDelete},
        {"IMGOBJ", "imgCestino", D::kNoEffect},
        {"IMGOBJ", "imgFam", D::kRefuse}};
    for (auto [src, target, effect] : cases)
        EXPECT_EQ(e.place.Effect(Control(src, 1), Control(target, 1)), effect)
            << src << " on " << target;
    // Drags start only from slots that show a picture.
    EXPECT_TRUE(e.place.CanDrag(Control("IMGOBJ", 1)));
    EXPECT_FALSE(e.place.CanDrag(Control("IMGTRIGGER", 1)));
    EXPECT_FALSE(e.place.CanDrag(Control("IMGOPEOK", 1)));
}

TEST(Placement, NewActionDroppedOnTheThirdSlotLandsThird) {
    Editor e;
    for (int i = 1; i <= 4; ++i) AddElement("TMP_STEP_ACT", i, 1, "A" + std::to_string(i));
    e.canvas.chkRepeatACT = true;
    e.canvas.LoadStepACT(1);
    e.dialogs.property = [&](PropertyDialog& d) {
        d.txtDescri.text = "New";
        d.cmdOK();
    };
    EXPECT_TRUE(e.drop("imgICOStepACT", 3));
    EXPECT_EQ(e.dialogs.shown, 1);
    EXPECT_EQ(e.ids("TMP_STEP_ACT"), (std::vector<int64_t>{1, 2, 5, 3, 4}));
    const Strip& s = e.canvas.strip(StripId::kStepAct);
    EXPECT_EQ(s.slot(3).caption, "New");
    EXPECT_EQ(s.slot(3).labelTag, "5");
    // Every row takes the check boxes' values.
    EXPECT_EQ(Count("SELECT COUNT(*) FROM TMP_STEP_ACT WHERE REPEAT<>0"), 5);
    auto row = Master().queryOne("SELECT * FROM TMP_STEP_ACT WHERE ID=5");
    EXPECT_EQ(Columns(*row, "COSA_KEY DOVE_KEY LEVEL_KEY ADD_INT"), "700|700|3|-1");
}

TEST(Placement, CancelledDialogChangesNothing) {
    Editor e;
    e.dialogs.property = [](PropertyDialog& d) { d.cmdAnnulla(); };
    EXPECT_FALSE(e.drop("imgfraACT"));
    EXPECT_EQ(e.dialogs.shown, 1);
    EXPECT_EQ(Count("SELECT COUNT(*) FROM TMP_STEP_ACT"), 0);
}

TEST(Placement, DeletingAConditionRemovesItsLinksOnBothSides) {
    Editor e;
    TouchPicture("NoOpe.gif");
    for (int i = 1; i <= 3; ++i) AddElement("TMP_COND_OK", i, 1);
    Link("TMP_OPE_OK", 1, 1, 2);
    Link("TMP_OPE_OK", 2, 2, 3);
    e.canvas.LoadCondOK(1);
    EXPECT_TRUE(e.drop("IMGCONDOK", 2, "imgCestino"));
    EXPECT_EQ(Count("SELECT COUNT(*) FROM TMP_OPE_OK"), 0);
    const Strip& s = e.canvas.strip(StripId::kCondOk);
    EXPECT_EQ(s.slot(2).labelTag, "3");
    EXPECT_EQ(s.marks[0].tag, "?");
    EXPECT_EQ(std::filesystem::path(s.marks[0].picture.file).filename(), "NoOpe.gif");
    EXPECT_EQ(s.marks[1].tag, "");
    // Back onto the object palette: deleted too.
    EXPECT_TRUE(e.drop("IMGCONDOK", 1, "imgObj", 4));
    EXPECT_EQ(e.ids("TMP_COND_OK"), (std::vector<int64_t>{3}));
}

TEST(Placement, LinksBetweenConditions) {
    Editor e;
    ScopedMessages msgs;
    for (int i = 1; i <= 2; ++i) AddElement("TMP_COND_OK", i, 1);
    for (int i = 1; i <= 3; ++i) AddElement("TMP_COND_KO", i, 1);
    e.canvas.PresetApp();
    // Never next to an empty slot.
    EXPECT_FALSE(e.drop("IMGOPE", 1, "imgOPEOK", 2));
    EXPECT_EQ(Count("SELECT COUNT(*) FROM TMP_OPE_OK"), 0);
    EXPECT_TRUE(e.drop("IMGOPE", 2, "imgfraIF"));
    EXPECT_EQ(Count("SELECT COUNT(*) FROM TMP_OPE_OK WHERE ID_OPE=2 AND ID1=1 AND ID2=2"), 1);
    EXPECT_EQ(e.canvas.strip(StripId::kCondOk).marks[0].tag, "2");
    // A second operator on the same pair replaces the first.
    EXPECT_TRUE(e.drop("IMGOPE", 1, "lblCondOK", 1));
    EXPECT_EQ(Count("SELECT COUNT(*) FROM TMP_OPE_OK"), 1);
    EXPECT_EQ(e.canvas.strip(StripId::kCondOk).marks[0].tag, "1");
    // Negated conditions: lower slot drops link with the slot above.
    EXPECT_TRUE(e.drop("IMGOPE", 1, "imgOPEKO", 2));
    EXPECT_EQ(Count("SELECT COUNT(*) FROM TMP_OPE_KO WHERE ID1=2 AND ID2=3"), 1);
    // Its link into the trash: no effect; onto the operator palette: deleted.
    EXPECT_FALSE(e.drop("IMGOPEKO", 2, "imgCestino"));
    EXPECT_EQ(Count("SELECT COUNT(*) FROM TMP_OPE_KO"), 1);
    EXPECT_TRUE(e.drop("IMGOPEKO", 2, "imgfraOPE"));
    EXPECT_EQ(Count("SELECT COUNT(*) FROM TMP_OPE_KO"), 0);
    EXPECT_TRUE(e.drop("IMGOPEOK", 1, "imgCestino"));
    EXPECT_EQ(Count("SELECT COUNT(*) FROM TMP_OPE_OK"), 0);
    EXPECT_TRUE(msgs->calls.empty());
}

TEST(Placement, OperatorDialogInsertsThenUpdates) {
    Editor e;
    for (int i = 1; i <= 2; ++i) AddElement("TMP_COND_OK", i, 1);
    e.canvas.LoadCondOK(1);
    std::optional<int> preselected;
    e.dialogs.ope = [&](OperatorDialog& d) {
        preselected = d.cmbOperatore.data();
        d.Preselect(2);
        d.Ok();
    };
    Document().SetModified(false);
    EXPECT_TRUE(e.place.DoubleClick(Control("imgOPEOK", 1)));
    EXPECT_EQ(e.dialogs.lastMark, 1);
    EXPECT_TRUE(Document().Modified());
    EXPECT_EQ(preselected, 1);  // a new link offers the first operator
    EXPECT_EQ(Count("SELECT ID_OPE FROM TMP_OPE_OK WHERE ID1=1 AND ID2=2"), 2);
    e.dialogs.ope = [&](OperatorDialog& d) {
        preselected = d.cmbOperatore.data();
        d.Preselect(1);
        d.Ok();
    };
    EXPECT_TRUE(e.place.DoubleClick(Control("imgOPEOK", 1)));
    EXPECT_EQ(preselected, 2);
    EXPECT_EQ(Count("SELECT COUNT(*) FROM TMP_OPE_OK"), 1);
    EXPECT_EQ(Count("SELECT ID_OPE FROM TMP_OPE_OK"), 1);
    // No dialog next to an empty slot.
    EXPECT_FALSE(e.place.DoubleClick(Control("imgOPEOK", 2)));
    EXPECT_EQ(e.dialogs.shown, 2);
}

TEST(Placement, MovingConditionsAndActions) {
    Editor e;
    for (int i = 1; i <= 3; ++i) {
        AddElement("TMP_COND_OK", i, 1);
        AddElement("TMP_STEP_ACT_ELSE", i, 1);
    }
    AddElement("TMP_TRIGGER", 1, 1);
    AddElement("TMP_TRIGGER", 2, 1);
    e.canvas.PresetApp();
    // A frame drop lands on the slot the window found under the drop point.
    EXPECT_TRUE(e.drop("IMGCONDOK", 3, "imgfraIF", 2));
    EXPECT_EQ(e.ids("TMP_COND_OK"), (std::vector<int64_t>{1, 3, 2}));
    EXPECT_FALSE(e.drop("IMGCONDOK", 1, "imgCondOK", 1));
    // An empty action slot means the last filled one.
    EXPECT_TRUE(e.drop("IMGICOSTEPACTELSE", 1, "imgICOStepACTELSE", 7));
    EXPECT_EQ(e.ids("TMP_STEP_ACT_ELSE"), (std::vector<int64_t>{2, 3, 1}));
    // Triggers keep their order.
    EXPECT_FALSE(e.drop("IMGTRIGGER", 2, "imgTrigger", 1));
    EXPECT_EQ(e.ids("TMP_TRIGGER"), (std::vector<int64_t>{1, 2}));
}

TEST(Placement, EditingKeepsTheElementInPlace) {
    Editor e;
    for (int i = 1; i <= 3; ++i)
        AddElement("TMP_STEP_ACT", i, 700, "A" + std::to_string(i), 700, 701);
    e.canvas.LoadStepACT(1);
    std::string restored;
    e.dialogs.property = [&](PropertyDialog& d) {
        restored = d.txtDescri.text;
        EXPECT_EQ(d.cmbDove.data(), 701);
        d.SelectCosa(1);
        d.txtDescri.text = "Changed";
        d.cmdOK();
    };
    EXPECT_TRUE(e.place.DoubleClick(Control("imgICOStepACT", 2)));
    EXPECT_EQ(restored, "A2");
    auto row = Master().queryOne("SELECT * FROM TMP_STEP_ACT WHERE ID=2");
    EXPECT_EQ(Columns(*row, "DESCRI COSA_KEY ORDINE"), "Changed|701|2");
    EXPECT_EQ(e.canvas.strip(StripId::kStepAct).slot(2).caption, "Changed");
    EXPECT_FALSE(e.place.DoubleClick(Control("imgICOStepACT", 9)));
}

TEST(Placement, TimeElementsOpenTheTimeDialogs) {
    Editor e;
    e.place.now = [] { return Moment{2025, 6, 15, 10, 45}; };
    e.canvas.imgFam_Click(3);  // the time family: 8, 9, 23, 45
    int slot23 = 0;
    for (int i = 1; i <= 8; ++i)
        if (e.canvas.strip(StripId::kObjects).slot(i).labelTag == "23") slot23 = i;
    ASSERT_GT(slot23, 0);
    e.dialogs.single = [](TimeSingleDialog& d) {
        d.hour.selectData(7);
        d.minute.selectData(30);
        ASSERT_TRUE(d.Ok(Master()));
    };
    EXPECT_TRUE(e.drop("IMGOBJ", slot23, "imgfraEvent"));
    auto row = Master().queryOne("SELECT * FROM TMP_TRIGGER");
    ASSERT_TRUE(row);
    ExpectContains(row->getText("KEY_OPT"), {"0730"});
    EXPECT_EQ(Columns(*row, "CHI_KEY COSA_KEY"), "200|200");
    // A time range among the conditions.
    e.dialogs.range = [](TimeRangeDialog& d) {
        d.setWeekday(0, true);
        ASSERT_TRUE(d.Ok(Master()));
    };
    e.canvas.imgFam_Click(3);
    EXPECT_TRUE(e.drop("IMGOBJ", slot23, "imgfraIF"));
    row = Master().queryOne("SELECT * FROM TMP_COND_OK");
    ASSERT_TRUE(row);
    EXPECT_EQ(row->getText("KEY_OPT").substr(0, 13), "ORAFROM=1045|");
}

TEST(Placement, PendingConfiguratorElementIsAppliedOnce) {
    Editor e;
    auto device = std::make_shared<cObjOleDrag>();
    e.place.pending = device;
    int applied = 0;
    e.place.ApplyPayload = [&](PropertyDialog& d, cObjOleDrag&) {
        ++applied;
        d.txtDescri.text = "From device";
    };
    EXPECT_TRUE(e.drop("imgfraACT"));
    EXPECT_TRUE(e.drop("imgfraACT"));
    EXPECT_EQ(applied, 1);
    EXPECT_TRUE(device->NoValid);
    EXPECT_FALSE(e.place.pending);
    EXPECT_EQ(Count("SELECT COUNT(*) FROM TMP_STEP_ACT WHERE DESCRI='From device'"), 1);
}

TEST(Placement, RefusedReplayedDropLeavesNoConfiguratorElementBehind) {
    // Each replayed drop is refused in its own way; the next, unrelated palette
    // drop must not receive the device.
    const std::tuple<const char*, std::function<bool(Editor&)>> refusals[] = {
        {"capability flag off", [](Editor& e) { return e.drop("imgfraACT", 0, 2); }},
        {"20 rows",
         [](Editor& e) {
             for (int i = 1; i <= 20; ++i) AddElement("TMP_TRIGGER", i, 1);
             return e.drop("imgfraEvent");
         }},
        {"time object",
         [](Editor& e) {
             e.dialogs.single = [](TimeSingleDialog& d) { d.Confirmed = false; };
             return e.place.CreateElement(23, StripId::kTrigger);
         }},
        {"target refuses the object", [](Editor& e) { return e.drop("imgfraOBJ"); }},
    };
    for (const auto& [label, refuse] : refusals) {
        Editor e;
        ScopedMessages msgs;
        e.place.pending = std::make_shared<cObjOleDrag>();
        int applied = 0;
        e.place.ApplyPayload = [&](PropertyDialog&, cObjOleDrag&) { ++applied; };
        EXPECT_FALSE(refuse(e)) << label;
        EXPECT_FALSE(e.place.pending) << label;
        EXPECT_TRUE(e.drop("imgfraACTELSE")) << label;
        EXPECT_EQ(applied, 0) << label;
    }
}

TEST(Placement, AutoScrollWhileHoveringAScrollControl) {
    Editor e;
    for (int i = 1; i <= 5; ++i) AddElement("TMP_TRIGGER", i, 1);
    e.canvas.LoadTrigger(1);
    const Strip& s = e.canvas.strip(StripId::kTrigger);
    EXPECT_EQ(e.place.Hover(Control("IMGOBJ", 1), Control("imgDWNTrigger")), DragIcon::kDrag);
    EXPECT_EQ(std::pair(e.timer.running, e.timer.interval), std::pair(true, 500));
    EXPECT_EQ(s.firstShown(), 1);  // nothing before the first tick
    e.timer.Fire();
    EXPECT_EQ(s.firstShown(), 2);
    e.timer.Fire();
    e.timer.Fire();  // positions 4, 5 and an empty last slot
    EXPECT_EQ(s.firstShown(), 4);
    e.timer.Fire();  // the last slot is empty: stop
    EXPECT_EQ(s.firstShown(), 4);
    EXPECT_FALSE(e.timer.running);
    EXPECT_FALSE(e.place.Scrolling());
    // Back until position 1 shows; leaving the control stops it.
    e.place.Hover(Control("IMGOBJ", 1), Control("imgUpTrigger"));
    e.timer.Fire();
    EXPECT_EQ(s.firstShown(), 3);
    e.place.Hover(Control("IMGOBJ", 1), Control("imgfraEvent"));
    EXPECT_FALSE(e.timer.running);
    e.timer.Fire();
    EXPECT_EQ(s.firstShown(), 3);
    // Releasing over the control stops it too and drops nothing.
    e.place.Hover(Control("IMGOBJ", 1), Control("imgUpTrigger"));
    EXPECT_FALSE(e.drop("IMGOBJ", 1, "imgUpTrigger"));
    EXPECT_FALSE(e.timer.running);
    EXPECT_EQ(e.dialogs.shown, 0);
}

TEST(Placement, HighlightOnlyOverConditionAndActionSlots) {
    Editor e;
    e.place.Hover(Control("IMGOBJ", 1), Control("imgICOStepACT", 4));
    ASSERT_TRUE(e.place.highlight);
    EXPECT_EQ(e.place.highlight->index, 4);
    // Object 701 (slot 2) is refused everywhere: no highlight over a condition either.
    for (auto [src, slot, target, lit] :
         {std::tuple{"IMGOPE", 1, "imgOPEOK", true}, std::tuple{"IMGOBJ", 1, "imgTrigger", false},
          std::tuple{"IMGOBJ", 2, "imgCondOK", false}}) {
        e.place.Hover(Control(src, slot), Control(target, 1));
        EXPECT_EQ(bool(e.place.highlight), lit) << src << " over " << target;
    }
}

TEST(Placement, ADropIsPlannedThenCommittedOnceAsOneStep) {
    Editor e;
    EditHistory history(Document());
    for (int i = 1; i <= 2; ++i) AddElement("TMP_STEP_ACT", i, 1, "A" + std::to_string(i));
    e.canvas.LoadStepACT(1);
    e.place.Hover(Control("IMGOBJ", 1), Control("imgICOStepACT", 1));
    EditPlan plan = e.place.PlanDrop(Control("IMGOBJ", 1), Control("imgICOStepACT", 1));
    // Planned: the effect, the dialog loaded for the area; nothing shown, nothing written.
    EXPECT_FALSE(e.place.highlight);
    EXPECT_EQ(plan.effect, DropEffect::kCreate);
    ASSERT_EQ(plan.Dialog(), PlanDialog::kProperty);
    EXPECT_EQ(plan.Property()->IdArea, 5);
    EXPECT_EQ(e.dialogs.shown, 0);
    EXPECT_EQ(Count("SELECT COUNT(*) FROM TMP_STEP_ACT"), 2);
    EXPECT_FALSE(e.place.Commit(plan)) << "the dialog is not confirmed yet";
    plan.Property()->txtDescri.text = "First";
    plan.Property()->cmdOK();
    const size_t steps = history.UndoSteps();
    EXPECT_TRUE(e.place.Commit(plan));
    EXPECT_FALSE(e.place.Commit(plan)) << "a plan commits once";
    EXPECT_EQ(e.ids("TMP_STEP_ACT"), (std::vector<int64_t>{3, 1, 2}));
    EXPECT_EQ(e.canvas.strip(StripId::kStepAct).slot(1).caption, "First");
    // Insert, move to the slot and the check boxes: one step.
    EXPECT_EQ(history.UndoSteps(), steps + 1);
    ASSERT_TRUE(history.Undo());
    EXPECT_EQ(e.ids("TMP_STEP_ACT"), (std::vector<int64_t>{1, 2}));

    // A plan never committed writes nothing.
    { EditPlan dropped = e.place.PlanDrop(Control("IMGOBJ", 1), Control("imgfraACT")); }
    EXPECT_EQ(Count("SELECT COUNT(*) FROM TMP_STEP_ACT"), 2);
    EXPECT_EQ(e.dialogs.shown, 0);
}

TEST(Placement, PlansSayWhatTheyNeed) {
    Editor e;
    ScopedMessages msgs;
    for (int i = 1; i <= 20; ++i) AddElement("TMP_TRIGGER", i, 1);
    for (int i = 1; i <= 2; ++i) AddElement("TMP_COND_OK", i, 1);
    e.canvas.PresetApp();
    // The row limit: a warning to show, nothing to commit; the plan shows nothing.
    EditPlan full = e.place.PlanDrop(Control("IMGOBJ", 1), Control("imgfraEvent"));
    EXPECT_EQ(std::tuple(full.warning, full.Committable()), std::tuple(1561, false));
    EXPECT_TRUE(msgs->calls.empty());
    // A move needs no dialog; a link next to an empty slot is nothing to do.
    EditPlan move = e.place.PlanDrop(Control("IMGCONDOK", 2), Control("imgCondOK", 1));
    EXPECT_EQ(std::tuple(move.effect, move.Dialog(), move.Committable()),
              std::tuple(DropEffect::kMove, PlanDialog::kNone, true));
    EditPlan link = e.place.PlanDrop(Control("IMGOPE", 1), Control("imgOPEOK", 2));
    EXPECT_EQ(std::tuple(link.effect, link.Committable()), std::tuple(DropEffect::kLink, false));
    EXPECT_TRUE(e.place.Commit(move));
    EXPECT_EQ(e.ids("TMP_COND_OK"), (std::vector<int64_t>{2, 1}));
    // Without dialogs, the one-phase drop does what needs none and nothing else.
    Placement bare(e.canvas);
    EXPECT_TRUE(bare.Drop(Control("IMGCONDOK", 2), Control("imgCondOK", 1)));
    EXPECT_EQ(e.ids("TMP_COND_OK"), (std::vector<int64_t>{1, 2}));
    EXPECT_FALSE(bare.Drop(Control("IMGOBJ", 1), Control("imgfraACT")));
    EXPECT_EQ(Count("SELECT COUNT(*) FROM TMP_STEP_ACT"), 0);
}

TEST(Placement, AStepMovesAnElementPastTheSlotsShownAndStopsAtTheEnds) {
    Editor e;
    for (int i = 1; i <= 12; ++i) AddElement("TMP_STEP_ACT", i, 700);
    AddElement("TMP_TRIGGER", 1, 700);
    AddElement("TMP_TRIGGER", 2, 700);
    e.canvas.PresetApp();
    // Slot 10 shows the tenth; the eleventh is beyond the slots shown.
    EditPlan forward = e.place.PlanStep(StripId::kStepAct, 10, 1);
    EXPECT_EQ(forward.effect, DropEffect::kMove);
    ASSERT_TRUE(e.place.Commit(forward));
    EXPECT_EQ(e.ids("TMP_STEP_ACT"), (std::vector<int64_t>{1, 2, 3, 4, 5, 6, 7, 8, 9, 11, 10, 12}));
    EditPlan back = e.place.PlanStep(StripId::kStepAct, 10, -1);
    ASSERT_TRUE(e.place.Commit(back));
    EXPECT_EQ(e.ids("TMP_STEP_ACT"), (std::vector<int64_t>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}));
    // Nothing before the first, after the last, in groups that keep their
    // order, or for an element that is not there.
    EXPECT_FALSE(e.place.PlanStep(StripId::kStepAct, 1, -1).Committable());
    EXPECT_FALSE(e.place.PlanStep(StripId::kStepAct, 12, 1).Committable());
    EXPECT_FALSE(e.place.PlanStep(StripId::kTrigger, 1, 1).Committable());
    EXPECT_FALSE(e.place.PlanStep(StripId::kStepAct, 99, 1).Committable());
}
