#include "editor/canvas.h"

#include <gtest/gtest.h>

#include "editor_support.h"
#include "env/files.h"
#include "env/state.h"
#include "model/document.h"
#include "model/element_text.h"
#include "support/test_env.h"

using namespace tessed;
using namespace tessed::editor;
using namespace tessed::model;
using namespace tessed::test;

namespace {

std::vector<std::string> PictureTags(const Strip& s) {
    std::vector<std::string> out;
    for (const Slot& slot : s.slots) out.push_back(slot.pictureTag);
    return out;
}

// A mark as "tag:picture": the file name, or "empty" / "stock" for no file.
std::string MarkText(const Mark& m) {
    std::string pic = m.picture.kind == Picture::kEmpty           ? "empty"
                      : m.picture.kind == Picture::kStockOperator ? "stock"
                      : m.picture.kind == Picture::kFile
                          ? std::filesystem::path(m.picture.file).filename().string()
                          : "other";
    return m.tag + ":" + pic;
}

}  // namespace

TEST(Canvas, FourTriggersPageToTwoThroughFour) {
    FixtureEnv env;
    for (int i = 1; i <= 4; ++i) AddElement("TMP_TRIGGER", i, 1, "T" + std::to_string(i));
    Canvas c;
    c.PresetApp();
    const Strip& s = c.strip(StripId::kTrigger);
    EXPECT_TRUE(s.scrollVisible);
    EXPECT_EQ(PictureTags(s), (std::vector<std::string>{"1", "2", "3"}));
    c.ScrollForward(StripId::kTrigger);
    EXPECT_EQ(PictureTags(s), (std::vector<std::string>{"2", "3", "4"}));
    EXPECT_EQ(s.slot(3).caption, "T4");
    // The group scrolls on while a second row shows, then stops.
    for (int i = 0; i < 3; ++i) c.ScrollForward(StripId::kTrigger);
    EXPECT_EQ(PictureTags(s), (std::vector<std::string>{"4", "", ""}));
    c.ScrollBack(StripId::kTrigger);
    EXPECT_EQ(s.firstShown(), 3);
    EXPECT_EQ(s.slot(3).caption, "");
}

TEST(Canvas, NineObjectsStopAtTheLastFullPage) {
    FixtureEnv env;
    Canvas c;
    c.PresetApp();
    const Strip& fam = c.strip(StripId::kFamilies);
    // Eleven active families: the palette scrolls; the first is current.
    EXPECT_TRUE(fam.scrollVisible);
    EXPECT_EQ(fam.rows, 11);
    EXPECT_EQ(c.CurrentFamily(), 1);
    EXPECT_EQ(c.strip(StripId::kObjects).slot(1).labelTag, "1");
    c.ScrollForward(StripId::kFamilies);
    c.ScrollForward(StripId::kFamilies);  // would leave the last page short
    EXPECT_EQ(fam.firstShown(), 2);
    c.ScrollBack(StripId::kFamilies);

    int nine = fam.rows;  // family 70 ("Nine") sits on the first page at slot 5
    for (int i = 1; i <= 10; ++i)
        if (fam.slot(i).labelTag == "70") nine = i;
    ASSERT_EQ(nine, 5);
    c.imgFam_Click(nine);
    EXPECT_EQ(c.CurrentFamily(), 70);
    const Strip& obj = c.strip(StripId::kObjects);
    EXPECT_TRUE(obj.scrollVisible);
    EXPECT_EQ(obj.slot(1).labelTag, "700");
    c.ScrollForward(StripId::kObjects);
    c.ScrollForward(StripId::kObjects);
    EXPECT_EQ(obj.firstShown(), 2);
    EXPECT_EQ(obj.slot(8).labelTag, "708");
    // A family tool tip loses its line breaks.
    EXPECT_EQ(fam.slot(nine).toolTip, "Nine  objects");
}

TEST(Canvas, FamilyPictureSwitchesWithTheCurrentFamily) {
    FixtureEnv env;
    for (const char* f : {"light.gif", "lightp.gif", "shutter.gif", "shutterp.gif"})
        TouchPicture(f);
    EXPECT_EQ(SelectedFamilyPicture("lights.gif"), "lightsp.gif");
    EXPECT_EQ(SelectedFamilyPicture("a.b.png"), "a.bp.png");
    Canvas c;
    c.PresetApp();
    const Strip& fam = c.strip(StripId::kFamilies);
    auto file = [&](int i) { return std::filesystem::path(fam.slot(i).picture.file).filename(); };
    EXPECT_EQ(file(1), "lightp.gif");
    EXPECT_EQ(file(2), "shutter.gif");
    EXPECT_EQ(fam.slot(1).picture.kind, Picture::kFile);
    c.imgFam_Click(2);
    EXPECT_EQ(file(1), "light.gif");
    EXPECT_EQ(file(2), "shutterp.gif");
    EXPECT_EQ(c.strip(StripId::kObjects).slot(1).labelTag, "2");
    // A missing family picture shows the stock picture.
    EXPECT_EQ(fam.slot(3).picture.kind, Picture::kStockElement);
}

TEST(Canvas, OperatorPicturesBetweenConditions) {
    FixtureEnv env;
    TouchPicture("and.gif");
    TouchPicture("NoOpe.gif");
    for (int i = 1; i <= 3; ++i) {
        AddElement("TMP_COND_OK", i, 1, "C" + std::to_string(i));
        AddElement("TMP_COND_KO", i, 1, "K" + std::to_string(i));
    }
    Link("TMP_OPE_OK", 1, 1, 2);
    Link("TMP_OPE_KO", 2, 2, 3);
    Canvas c;
    c.PresetApp();
    const Strip& ok = c.strip(StripId::kCondOk);
    EXPECT_EQ(MarkText(ok.marks[0]), "1:and.gif");
    EXPECT_EQ(MarkText(ok.marks[1]), "?:NoOpe.gif");
    // or.gif is missing: the operator stock picture.
    const Strip& ko = c.strip(StripId::kCondKo);
    EXPECT_EQ(MarkText(ko.marks[0]) + " " + MarkText(ko.marks[1]), ":empty 2:stock");
    // Only two conditions shown: no mark next to the empty third slot.
    Master().execute("DELETE FROM TMP_COND_OK WHERE ID=3");
    c.LoadCondOK(1);
    EXPECT_EQ(MarkText(ok.marks[1]), ":empty");
}

TEST(Canvas, CaptionsAndToolTips) {
    FixtureEnv env;
    TouchPicture("r700.gif");
    TouchPicture("noimg.gif");
    AddElement("TMP_TRIGGER", 1, 1, "Hall\r\nlight\rnow", 1, 2, 700);
    AddElement("TMP_TRIGGER", 2, 1, "", 1, 2, 701);
    AddElement("TMP_TRIGGER", 3, 23, "ignored", 200, 0, 0, "****|-1|-1|******|-1|");
    AddElement("TMP_COND_OK", 1, 23, "Range", 0, 0, 0,
               "ORAFROM=-1|ORATO=-1|SETT=7F|DATAFROM=-1|DATATO=-1|");
    AddElement("TMP_STEP_ACT", 1, 9, "", 34, 0, 0, "5");
    AddElement("TMP_STEP_ACT", 2, 45, "", 314, 0, 0, "5");
    Master().execute("UPDATE TMP_STEP_ACT SET PARAM_1=2, PARAM_2=315 WHERE ID=2");
    AddElement("TMP_COND_KO", 1, 1, "Not here", 1, 2);
    Master().execute("UPDATE TMP_COND_KO SET TOOLTIP='Its tip' WHERE ID=1");
    Canvas c;
    c.PresetApp();
    const Strip& t = c.strip(StripId::kTrigger);
    const std::string et = model::ElementText(Master(), 1, 1, 1, 2, 0, 0, "TMP_TRIGGER");
    EXPECT_FALSE(et.empty());
    // The tool tip on one line: description and element text.
    EXPECT_EQ(t.slot(1).caption, "Hall\r\nlight\rnow");
    EXPECT_EQ(t.slot(1).toolTip, "Hall  light  now " + et);
    EXPECT_EQ(std::filesystem::path(t.slot(1).picture.file).filename(), "r700.gif");
    // No description: the element text; a resource without picture: noimg.gif.
    EXPECT_EQ(t.slot(2).caption, model::ElementText(Master(), 2, 1, 1, 2, 0, 0, "TMP_TRIGGER"));
    EXPECT_EQ(std::filesystem::path(t.slot(2).picture.file).filename(), "noimg.gif");
    // The time event shows its moment whatever its description.
    EXPECT_EQ(t.slot(3).caption, FormatMomentText("****|-1|-1|******|-1|"));
    EXPECT_EQ(t.slot(3).toolTip.substr(0, 8), "ignored ");
    EXPECT_EQ(c.strip(StripId::kCondOk).slot(1).caption,
              FormatRangeText("ORAFROM=-1|ORATO=-1|SETT=7F|DATAFROM=-1|DATATO=-1|"));
    const Strip& a = c.strip(StripId::kStepAct);
    EXPECT_EQ(a.slot(1).caption, "5 Seconds");
    EXPECT_EQ(a.slot(2).caption + "/" + a.slot(2).toolTip, "5sec -> 2min/5sec -> 2min");
    const Strip& ko = c.strip(StripId::kCondKo);
    EXPECT_EQ(ko.slot(1).caption + "/" + ko.slot(1).toolTip, "Not here/Its tip");
}

TEST(Canvas, ActionCheckBoxesFollowRowsAndWriteEveryRow) {
    FixtureEnv env;
    AddElement("TMP_STEP_ACT", 1, 1);
    AddElement("TMP_STEP_ACT", 2, 1);
    Master().execute("UPDATE TMP_STEP_ACT SET REPEAT=1 WHERE ID=2");
    Canvas c;
    c.PresetApp();
    EXPECT_TRUE(c.chkRepeatACT);
    EXPECT_FALSE(c.chkRestart);
    c.document().SetModified(false);
    c.chkRestart_Click(true);
    EXPECT_TRUE(c.document().Modified());
    const char* sums = "SELECT SUM(REPEAT<>0) AS REP, SUM(RESTART<>0) AS RST FROM TMP_STEP_ACT";
    EXPECT_EQ(Columns(*Master().queryOne(sums), "REP RST"), "1|2");
    c.chkRepeatACT_Click(false);
    EXPECT_EQ(Columns(*Master().queryOne(sums), "REP RST"), "0|2");
    // A new scenario starts with both boxes cleared.
    Master().execute("DELETE FROM TMP_STEP_ACT");
    c.PresetApp();
    EXPECT_FALSE(c.chkRepeatACT || c.chkRestart);
}

TEST(Canvas, Command1CopiesTheDummyPictureToMissingFilesOnly) {
    FixtureEnv env;
    auto res = env::Env().resourcesFolder();
    WriteText(res / "dummy.gif", "DUMMY");
    WriteText(res / "lamp.gif", "OWN");
    Master().execute("UPDATE ANA_OGGETTI SET IMG_OBJ='../escape.gif' WHERE ID_OBJ=99");
    Canvas c;
    EXPECT_GT(c.Command1(), 10);
    EXPECT_EQ(ReadText(res / "light.gif"), "DUMMY");
    EXPECT_EQ(ReadText(res / "lamp.gif"), "OWN");
    EXPECT_TRUE(std::filesystem::exists(res / "on.gif"));
    EXPECT_FALSE(std::filesystem::exists(res.parent_path() / "escape.gif"));
    EXPECT_EQ(c.Command1(), 0);
}

TEST(Canvas, DocumentRefillRunsThroughTheHookAndEmptiesEveryGroup) {
    FixtureEnv env;
    Canvas c;
    ScenarioDocument doc;
    doc.PresetApp = [&] { c.PresetApp(); };
    for (int i = 1; i <= 4; ++i) {
        AddElement("TMP_TRIGGER", i, 1, "Old");
        AddElement("TMP_COND_OK", i, 1, "Old");
    }
    Link("TMP_OPE_OK", 1, 1, 2);
    c.PresetApp();
    ASSERT_TRUE(c.strip(StripId::kTrigger).scrollVisible);
    doc.NewFile();
    for (StripId g : kSlotGroups) {
        const Strip& s = c.strip(g);
        EXPECT_FALSE(s.scrollVisible) << Info(g).table;
        for (const Slot& slot : s.slots)
            EXPECT_TRUE(!slot.filled() && slot.picture.kind == Picture::kEmpty &&
                        slot.caption.empty() && slot.toolTip.empty())
                << Info(g).table;
        for (const Mark& m : s.marks) EXPECT_EQ(m.tag, "") << Info(g).table;
    }
}
