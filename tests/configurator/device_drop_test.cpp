// A device dropped on the canvas: its area, the palettes brought to its
// object, the replayed palette drop and what it stores.
#include "configurator/device_drop.h"

#include <gtest/gtest.h>

#include "../editor/editor_support.h"
#include "env/state.h"
#include "env/texts.h"
#include "support/test_env.h"

using namespace tessed;
using namespace tessed::configurator;
using namespace tessed::editor;
using namespace tessed::test;
using Stage = DeviceDrop::Stage;

namespace {

struct Editor {
    FixtureEnv env;
    TempDir dir;
    Canvas canvas;
    Placement place{canvas};
    Editor() { canvas.PresetApp(); }

    // The drop text naming a device file written with `object` as its OBJECT.
    std::string deviceDrop(const std::string& name, const std::string& object) {
        WriteText(dir / name, "<DRAGGEDELEMENTS><DEVICE><OBJECT>" + object +
                                  "</OBJECT></DEVICE>"
                                  "</DRAGGEDELEMENTS>");
        return "LX," + (dir / name).string();
    }
    // Begins and continues a drop on `target`; the choice, when one is asked
    // for, is made by `choose`.
    DeviceDrop drop(const std::string& text, const std::string& target, int index = 0,
                    std::function<void(AmbiguityDialog&)> choose = {}) {
        DeviceDrop d = DeviceDrop::Begin(text, Control(target, index), canvas);
        if (d.stage() == Stage::kChoose && choose) choose(*d.Choice());
        if (d.stage() == Stage::kChoose || d.stage() == Stage::kResolved) d.Continue(canvas, place);
        return d;
    }
    // Confirms the plan's property dialog and commits it.
    bool commit(DeviceDrop& d) {
        EditPlan& plan = d.Plan();
        if (PropertyDialog* p = plan.Property()) p->cmdOK();
        return place.Commit(plan);
    }
};

const char* kLight =
    "<KEYOBJECT>90</KEYOBJECT><SYSTEMTYPE>automation</SYSTEMTYPE><BUSLEVEL>3</BUSLEVEL>"
    "<USERDESCRIPTION>Kitchen</USERDESCRIPTION><CONFTABLE>"
    "<CONF><KEYCONF>A</KEYCONF><KEYVALUE>1</KEYVALUE></CONF>"
    "<CONF><KEYCONF>PL</KEYCONF><KEYVALUE>1</KEYVALUE></CONF>"
    "<CONF><KEYCONF>STATO</KEYCONF><KEYVALUE>01</KEYVALUE></CONF></CONFTABLE>";

}  // namespace

TEST(DeviceDrop, SlotAreas) {
    struct {
        const char* name;
        int area;
    } cases[] = {
        {"imgTrigger", 3},     {"LBLTRIGGER", 3},     {"imgfraEvent", 3},     {"imgCondOK", 4},
        {"lblCondOK", 4},      {"imgOPEOK", 4},       {"imgfraIF", 4},        {"imgICOStepACT", 5},
        {"lblStepACT", 5},     {"imgfraACT", 5},      {"imgLeftACT", 5},      {"imgRightACT", 5},
        {"imgTriggerSTOP", 6}, {"lblTriggerSTOP", 6}, {"imgfraEventSTOP", 6}, {"imgCondKO", 0},
        {"imgfraACTELSE", 0},  {"imgUpTrigger", 0},   {"imgObj", 0},          {"", 0}};
    for (const auto& c : cases) {
        EXPECT_EQ(SlotArea(c.name), c.area) << c.name;
        if (auto control = ControlFromName(c.name, 1)) {
            EXPECT_EQ(SlotArea(*control), c.area) << c.name;
        }
    }
}

TEST(DeviceDrop, PalettesReachTheirLastPage) {
    Editor e;
    // Family 76 is the eleventh of ten family slots; object 708 the ninth of
    // eight object slots.
    EXPECT_EQ(SelectInPalette(e.canvas, 76, 760), 1);
    EXPECT_EQ(e.canvas.CurrentFamily(), 76);
    EXPECT_EQ(e.canvas.strip(StripId::kFamilies).firstShown(), 2);
    EXPECT_EQ(e.canvas.strip(StripId::kFamilies).slot(10).labelTag, "76");
    EXPECT_EQ(SelectInPalette(e.canvas, 70, 708), 8);
    EXPECT_EQ(e.canvas.strip(StripId::kObjects).slot(8).labelTag, "708");
    EXPECT_EQ(e.canvas.strip(StripId::kObjects).firstShown(), 2);
    // A family already in view is not scrolled; one out of view comes back.
    EXPECT_EQ(SelectInPalette(e.canvas, 2, 2), 1);
    EXPECT_EQ(e.canvas.strip(StripId::kFamilies).firstShown(), 2);
    EXPECT_EQ(SelectInPalette(e.canvas, 1, 42), 2);
    EXPECT_EQ(e.canvas.strip(StripId::kFamilies).firstShown(), 1);
    // An inactive family, or an object of another family, is not in the palette.
    EXPECT_EQ(SelectInPalette(e.canvas, 9, 900), 0);
    EXPECT_EQ(SelectInPalette(e.canvas, 1, 2), 0);
}

TEST(DeviceDrop, DeviceBecomesAnElementFilledFromIt) {
    Editor e;
    DeviceDrop d = e.drop(e.deviceDrop("light.xml", kLight), "lblStepACT", 1);
    ASSERT_EQ(d.stage(), Stage::kPlanned);
    EXPECT_EQ(d.Device()->ID_AREA, 5);
    EXPECT_EQ(e.canvas.CurrentFamily(), 1);
    ASSERT_EQ(d.Plan().Dialog(), PlanDialog::kProperty);
    PropertyDialog& dlg = *d.Plan().Property();
    EXPECT_EQ(dlg.cmbCosa.data(), 1);
    EXPECT_EQ(dlg.cmbDove.data(), 3);
    EXPECT_EQ(dlg.txtDescri.text, "Kitchen");
    ASSERT_TRUE(e.commit(d));
    auto row = Master().queryOne("SELECT * FROM TMP_STEP_ACT");
    ASSERT_TRUE(row);
    EXPECT_EQ(Columns(*row, "ID_OBJ COSA_KEY DOVE_KEY DESCRI"), "1|1|3|Kitchen");
    EXPECT_FALSE(e.place.pending);
}

TEST(DeviceDrop, TriggerLabelGivesTheTriggerArea) {
    Editor e;
    DeviceDrop d = e.drop(e.deviceDrop("light.xml", kLight), "lblTrigger", 2);
    ASSERT_EQ(d.stage(), Stage::kPlanned);
    EXPECT_EQ(d.Device()->ID_AREA, 3);
    EXPECT_EQ(d.Device()->ID_ASS, 901);
    ASSERT_TRUE(e.commit(d));
    EXPECT_EQ(Columns(*Master().queryOne("SELECT * FROM TMP_TRIGGER"), "ID_OBJ DOVE_KEY DESCRI"),
              "1|3|Kitchen");
}

TEST(DeviceDrop, CancelledChoiceStoresNothing) {
    Editor e;
    const std::string text = e.deviceDrop("dimmer.xml",
                                          "<KEYOBJECT>92</KEYOBJECT>"
                                          "<SYSTEMTYPE>AUTOMATION</SYSTEMTYPE>");
    DeviceDrop d = e.drop(text, "imgfraACT", 0, [](AmbiguityDialog& c) {
        EXPECT_EQ(c.cmbAmbiguo.count(), 2);
        c.Cancel();
    });
    EXPECT_EQ(d.stage(), Stage::kCancelled);
    EXPECT_EQ(d.Device()->ID_OBJ, 0);
    EXPECT_FALSE(e.place.pending);
    EXPECT_EQ(Count("SELECT COUNT(*) FROM TMP_STEP_ACT"), 0);

    DeviceDrop chosen = e.drop(text, "imgfraACT", 0, [](AmbiguityDialog& c) {
        c.cmbAmbiguo.setIndex(1);
        c.Ok();
    });
    ASSERT_EQ(chosen.stage(), Stage::kPlanned);
    ASSERT_TRUE(e.commit(chosen));
    EXPECT_EQ(Count("SELECT ID_OBJ FROM TMP_STEP_ACT"), 42);
}

TEST(DeviceDrop, RefusedReplayLeavesNoDevicePending) {
    Editor e;
    ScopedMessages msgs;
    for (int i = 1; i <= 20; ++i) AddElement("TMP_TRIGGER", i, 1);
    e.canvas.PresetApp();
    DeviceDrop d = e.drop(e.deviceDrop("light.xml", kLight), "imgfraEvent");
    ASSERT_EQ(d.stage(), Stage::kPlanned);
    EXPECT_EQ(d.Plan().warning, 1561);
    EXPECT_FALSE(d.Plan().Committable());
    EXPECT_FALSE(e.place.pending);
    // The next, ordinary palette drop gets nothing of the device.
    EditPlan next = e.place.PlanDrop(Control("IMGOBJ", 1), Control("imgfraACT"));
    ASSERT_TRUE(next.Property());
    EXPECT_EQ(next.Property()->txtDescri.text, "");
}

TEST(DeviceDrop, ObjectOnTheLastPalettePageIsStored) {
    Editor e;
    DeviceDrop d = e.drop(e.deviceDrop("last.xml",
                                       "<KEYOBJECT>94</KEYOBJECT><SYSTEMTYPE>"
                                       "AUTOMATION</SYSTEMTYPE>"),
                          "imgfraACT");
    ASSERT_EQ(d.stage(), Stage::kPlanned);
    EXPECT_EQ(d.ObjectSlot(), 8);
    ASSERT_TRUE(e.commit(d));
    EXPECT_EQ(Count("SELECT ID_OBJ FROM TMP_STEP_ACT"), 708);
}

TEST(DeviceDrop, WhatIsNotADeviceDropChangesNothing) {
    Editor e;
    Host().SysAddressGateway = 4;
    const std::string gateway =
        "<GATEWAY><DEVICE><OBJECT><KEYOBJECT>150</KEYOBJECT><CONFTABLE><CONF><KEYCONF>"
        "SYSADDRESS</KEYCONF><KEYVALUE>9</KEYVALUE></CONF></CONFTABLE></OBJECT></DEVICE>"
        "</GATEWAY>";
    WriteText(e.dir / "other.xml", "<DRAGGEDELEMENTS>" + gateway + "<DEVICE><OBJECT>" + kLight +
                                       "</OBJECT></DEVICE></DRAGGEDELEMENTS>");
    DeviceDrop other = e.drop("LX," + (e.dir / "other.xml").string(), "imgfraACT");
    EXPECT_EQ(other.stage(), Stage::kRefused);
    EXPECT_EQ(other.Message(), texts::GetText(1118) + "\r" + texts::GetText(1116));

    WriteText(e.dir / "junk.xml", "junk");
    DeviceDrop junk = e.drop("LX," + (e.dir / "junk.xml").string(), "imgfraACT");
    EXPECT_EQ(junk.stage(), Stage::kRefused);
    EXPECT_EQ(junk.Message(), texts::GetText(1118) + "\r" + texts::GetText(1930));

    const std::string three = "a,b," + (e.dir / "other.xml").string();
    for (const std::string& text : {three, std::string("LX,/dev/zero"), std::string("plain text"),
                                    "LX," + (e.dir / "missing.xml").string()})
        EXPECT_EQ(e.drop(text, "imgfraACT").stage(), Stage::kIgnored) << text;
    // A device of no catalogue object here: nothing to say.
    EXPECT_EQ(e.drop(e.deviceDrop("light.xml", kLight), "imgfraIF").stage(), Stage::kNoObject);
    EXPECT_EQ(
        Count("SELECT COUNT(*) FROM TMP_STEP_ACT") + Count("SELECT COUNT(*) FROM TMP_COND_OK"), 0);
    EXPECT_FALSE(e.place.pending);
}
