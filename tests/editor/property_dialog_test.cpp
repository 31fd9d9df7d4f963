#include "editor/property_dialog.h"

#include <gtest/gtest.h>

#include "editor/canvas.h"
#include "editor_support.h"
#include "env/texts.h"
#include "model/element_text.h"
#include "support/test_env.h"

using namespace tessed;
using namespace tessed::editor;
using namespace tessed::test;

namespace {

using R = PropRow;

std::vector<PropRow> Rows(std::initializer_list<PropRow> r) { return r; }

std::vector<int> Data(const ChoiceList& l) {
    std::vector<int> out;
    for (int i = 0; i < l.count(); ++i) out.push_back(l.item(i).data);
    return out;
}

// A dialog loaded for an object in an area.
PropertyDialog Loaded(int obj, int area) {
    PropertyDialog d;
    d.LoadData(obj, area);
    return d;
}

// The inputs a person can use among those the WHAT rules switch: shown in a
// visible row and enabled.
std::string Enabled(const PropertyDialog& d) {
    std::string out;
    auto add = [&](bool on, const std::string& name) {
        if (on) out += (out.empty() ? "" : " ") + name;
    };
    add(d.RowVisible(R::kLevel) && d.cmbLevel.enabled, "level");
    add(d.RowVisible(R::kTemp) && d.cmbOperatorTemp.visible && d.cmbOperatorTemp.enabled,
        "operator");
    add(d.RowVisible(R::kTemp) && d.UpDownTemp.visible && d.UpDownTemp.enabled, "temperature");
    add(d.RowVisible(R::kSonda) && d.cmbSonda.visible && d.cmbSonda.enabled, "probe");
    add(d.RowVisible(R::kTime) && d.UpDownHour.visible && d.UpDownHour.enabled, "hours");
    for (int i = 0; i < 3; ++i)
        add(d.RowVisible(PropRow(int(R::kPos8) + i)) && d.cmbPos[size_t(i)].enabled,
            "pos" + std::to_string(8 + i));
    return out;
}

// Types each text into the field and checks the label OK answers with.
void ExpectOkText(PropertyDialog& d, TextBox& field,
                  std::initializer_list<std::pair<const char*, int>> cases) {
    for (auto [text, label] : cases) {
        field.text = text;
        EXPECT_EQ(d.cmdOK().text, label) << "'" << text << "'";
    }
}

}  // namespace

TEST(PropertyDialog, ExtensionItemsForTwoDigits) {
    FixtureEnv env;
    PropertyDialog d;
    EXPECT_FALSE(d.LoadData(700, 5));
    EXPECT_EQ(Data(d.cmbCosa), (std::vector<int>{700, 701}));
    EXPECT_EQ(Data(d.cmbDove), (std::vector<int>{700, 701, 702}));
    EXPECT_EQ(Data(d.cmbLevel), (std::vector<int>{3, 70}));
    EXPECT_EQ(d.VisibleRows(), Rows({R::kCosa, R::kDove, R::kLevel, R::kAddInt}));
    d.SelectLevel(1);
    EXPECT_EQ(Data(d.cmbADDInt), (std::vector<int>{-1, 1, 2, 10, 11, 12}));
    // A where whose levels include the one chosen keeps it; otherwise the first.
    d.SelectDove(1);
    EXPECT_EQ(d.cmbLevel.data(), 3);
    d.SelectDove(0);
    EXPECT_EQ(d.cmbLevel.data(), 3);
    d.SelectLevel(1);
    d.SelectDove(2);  // no levels at all
    EXPECT_FALSE(d.cmbLevel.enabled);
    EXPECT_FALSE(d.cmbADDInt.enabled);
    EXPECT_EQ(d.cmbADDInt.count(), 0);
    d.SelectDove(0);
    EXPECT_TRUE(d.cmbADDInt.enabled);
    // The excluded where disappears with WHAT 701; the chosen one survives when it can.
    d.SelectDove(1);
    d.SelectCosa(1);
    EXPECT_EQ(Data(d.cmbDove), (std::vector<int>{701, 702}));
    EXPECT_EQ(d.cmbDove.data(), 701);
}

TEST(PropertyDialog, ObjectWithoutWhatOrLevels) {
    FixtureEnv env;
    PropertyDialog d;
    // Object 2 in area 3: no WHAT, no WHERE.
    d.LoadData(2, 3);
    EXPECT_FALSE(d.cmbCosa.enabled);
    EXPECT_FALSE(d.cmbDove.enabled);
    EXPECT_TRUE(d.VisibleRows().empty());
    EXPECT_TRUE(d.cmdOK().confirmed);
    // Object 1 in area 3: a WHERE without WHAT, built without exclusion.
    PropertyDialog e = Loaded(1, 3);
    EXPECT_EQ(Data(e.cmbDove), (std::vector<int>{2, 3}));
}

TEST(PropertyDialog, Object49TakesFirstAndLastPoint) {
    FixtureEnv env;
    ScopedMessages msgs;
    PropertyDialog d;
    EXPECT_TRUE(d.LoadData(49, 5));
    EXPECT_EQ(Data(d.cmbDove), (std::vector<int>{771, 779}));
    EXPECT_EQ(std::tuple(d.UpDownDovePI.min, d.UpDownDovePI.max, d.txtDOVEPI.text),
              std::tuple(71, 79, "71"));
    // 75 is in range but names no point.
    ExpectOkText(d, d.txtDOVEPI, {{"70", 1654}, {"80", 1654}, {"", 1654}, {"75", 1654}});
    d.txtDOVEPI.text = "72";
    EXPECT_TRUE(d.cmdOK().confirmed);
    EXPECT_EQ(d.ReadValues(true).DOVE_KEY, 772);
    // WHAT 419 confirms at once with its note, but only for an address that
    // names a point: the note never lets WHERE 0 through.
    PropertyDialog n = Loaded(49, 5);
    n.SelectCosa(1);
    n.txtDOVEPI.text = "99";
    EXPECT_EQ(n.cmdOK().text, 1654);
    EXPECT_FALSE(n.Confirmed);
    n.txtDOVEPI.text = "79";
    OkResult r = n.cmdOK();
    EXPECT_TRUE(r.confirmed);
    EXPECT_EQ(r.text, 1656);
    EXPECT_EQ(msgs->calls.back().kind, "information");
    EXPECT_EQ(n.ReadValues(true).DOVE_KEY, 779);
}

TEST(PropertyDialog, Object45Delays) {
    FixtureEnv env;
    ScopedMessages msgs;
    PropertyDialog d = Loaded(45, 5);
    EXPECT_EQ(d.cmdOK().text, 1553);
    // 2 minutes then 90 seconds: refused.
    d.txtKey_OPT.text = "2";
    d.SelectCosa(1);
    d.txtKey_OPT2.text = "90";
    d.cmbCosa2.setIndex(0);
    EXPECT_EQ(d.cmdOK().text, 1554);
    EXPECT_EQ(msgs->calls.back().text, texts::GetText(1554));
    // 90 seconds then 2 minutes: accepted.
    d.txtKey_OPT.text = "90";
    d.SelectCosa(0);
    d.txtKey_OPT2.text = "2";
    d.cmbCosa2.setIndex(1);
    EXPECT_TRUE(d.cmdOK().confirmed);
    ElementValues v = d.ReadValues(false);
    EXPECT_EQ(std::tuple(v.value, v.COSA_KEY, v.PARAM[0], v.PARAM[1]),
              std::tuple("90", 314, 2, 315));
    // Upper bounds of minutes and hours.
    d.txtKey_OPT2.text = "1441";
    EXPECT_EQ(d.cmdOK().text, 1728);
    d.cmbCosa2.setIndex(2);
    d.txtKey_OPT2.text = "25";
    EXPECT_EQ(d.cmdOK().text, 1729);
}

TEST(PropertyDialog, Object9DelayChecksAndKeys) {
    FixtureEnv env;
    ScopedMessages msgs;
    PropertyDialog d = Loaded(9, 5);
    EXPECT_EQ(d.cmdOK().text, 1556);
    d.txtKey_OPT.text = "1441";
    d.SelectCosa(1);  // WHAT 34
    EXPECT_EQ(d.cmdOK().text, 1728);
    d.SelectCosa(2);  // WHAT 35
    d.txtKey_OPT.text = "25";
    EXPECT_EQ(d.cmdOK().text, 1729);
    using F = PropertyDialog::Field;
    // Digits and backspace in the number fields, anything in the description.
    EXPECT_EQ((std::vector<bool>{d.KeyPress(F::kKeyOpt, '7'), d.KeyPress(F::kKeyOpt, 'a'),
                                 d.KeyPress(F::kKeyOpt, kKeyBackspace), d.KeyPress(F::kDescri, 'a'),
                                 d.KeyPress(F::kValue, '-')}),
              (std::vector<bool>{true, false, true, true, false}));
    EXPECT_EQ((std::vector<bool>{d.DigitsOnly(F::kKeyOpt), d.DigitsOnly(F::kKeyOpt2),
                                 d.DigitsOnly(F::kDescri), d.DigitsOnly(F::kDOVEPI)}),
              (std::vector<bool>{true, false, false, true}));
    d.txtKey_OPT.text = "24";
    d.Timer1_Timer();
    EXPECT_FALSE(d.KeyPress(F::kDescri, kKeyEnter));  // swallowed, and OK pressed
    EXPECT_TRUE(d.Confirmed);
    PropertyDialog c = Loaded(9, 5);
    c.Visible = true;
    c.Timer1_Timer();
    c.KeyPress(F::kForm, kKeyEscape);
    EXPECT_FALSE(c.Confirmed);
    EXPECT_FALSE(c.Visible);
}

TEST(PropertyDialog, KeysWaitForTheStartUpGuard) {
    FixtureEnv env;
    ScopedMessages msgs;
    using F = PropertyDialog::Field;
    PropertyDialog d;
    d.Form_Load();
    d.LoadData(9, 5);
    d.txtKey_OPT.text = "5";
    d.Visible = true;
    // While the buttons are disabled neither key acts, not even through a message.
    d.KeyPress(F::kForm, kKeyEnter);
    d.KeyPress(F::kDescri, kKeyEscape);
    EXPECT_EQ(std::tuple(d.Confirmed, d.Visible, msgs->calls.size()), std::tuple(false, true, 0u));
    d.Timer1_Timer();
    EXPECT_TRUE(d.buttonsEnabled);
    d.KeyPress(F::kForm, kKeyEnter);
    EXPECT_EQ(std::tuple(d.Confirmed, d.Visible), std::tuple(true, false));
}

TEST(PropertyDialog, AddressSpinnerWritesTheTypedAddress) {
    FixtureEnv env;
    PropertyDialog d = Loaded(49, 5);
    // Within the first and last point; beyond them the spinner stops.
    for (auto [moved, text] : {std::pair{73, "73"}, {200, "79"}, {-5, "71"}}) {
        d.UpDownDovePI_Change(moved);
        EXPECT_EQ(d.txtDOVEPI.text, text) << moved;
    }
}

TEST(PropertyDialog, LayoutsOfBothTables) {
    FixtureEnv env;
    struct Case {
        int obj, area;
        std::vector<PropRow> rows;
    };
    const std::vector<Case> cases = {
        // Objects whose WHERE has extension rules.
        {26, 3, {R::kCosa, R::kDove}},
        {27, 5, {R::kDove, R::kLevel}},
        {30, 3, {R::kDove, R::kLevel}},
        {28, 5, {R::kCosa, R::kDove, R::kLevel}},
        {43, 4, {R::kCosa, R::kDove, R::kLevel, R::kAddInt, R::kTemp, R::kSonda}},
        {43, 5, {R::kCosa, R::kDove, R::kLevel, R::kAddInt, R::kTemp, R::kSonda}},
        {44, 5, {R::kCosa, R::kDove, R::kLevel, R::kAddInt, R::kTemp, R::kSonda}},
        {48, 5, {R::kCosa, R::kDove, R::kLevel, R::kAddInt, R::kTemp, R::kTime}},
        {49, 5, {R::kCosa, R::kDove}},
        {62, 4, {R::kCosa, R::kDove, R::kLevel, R::kAddInt, R::kTemp, R::kSonda}},
        // Objects without: only those that name the level and interface rows hide them.
        {30, 6, {R::kDove, R::kLevel}},
        {67, 3, {R::kDove}},
        {31, 4, {R::kCosa, R::kDove, R::kTemp, R::kSonda}},
        {34, 5, {R::kCosa, R::kTemp}},
        {35, 5, {}},
        {54, 3, {}},
        {61, 3, {R::kCosa}},
        {37, 5, {R::kCosa, R::kDove, R::kTemp}},
        {37, 3, {R::kCosa, R::kDove}},
        {38, 4, {R::kCosa, R::kDove, R::kLevel, R::kAddInt, R::kTemp, R::kSonda}},
        {58, 4, {R::kCosa, R::kDove, R::kLevel, R::kAddInt, R::kTemp}},
        {50, 5, {R::kCosa, R::kDove, R::kLevel, R::kAddInt, R::kTemp, R::kTime}},
        {51, 5, {R::kCosa, R::kDove, R::kLevel, R::kAddInt, R::kPos8, R::kPos9, R::kPos10}},
        {52, 5, {R::kCosa, R::kDove, R::kLevel, R::kAddInt, R::kPos8}},
        {56, 5, {R::kCosa, R::kDove, R::kLevel, R::kAddInt, R::kTemp, R::kTime}},
        {60, 4, {R::kCosa, R::kDove, R::kLevel, R::kAddInt, R::kTemp, R::kSonda}},
        {60, 5, {R::kCosa, R::kDove, R::kLevel, R::kAddInt, R::kSonda}},
        {66, 4, {R::kCosa, R::kDove, R::kLevel, R::kAddInt, R::kTemp, R::kSonda}},
        {66, 5, {R::kCosa, R::kDove, R::kLevel, R::kAddInt, R::kTemp}},
    };
    for (const Case& c : cases) {
        PropertyDialog d;
        EXPECT_TRUE(d.LoadData(c.obj, c.area)) << c.obj;
        EXPECT_EQ(d.VisibleRows(), c.rows) << c.obj << "/" << c.area;
    }
}

TEST(PropertyDialog, TheWhatSwitchesTheInputsThatDependOnIt) {
    FixtureEnv env;
    // Object, area, the WHAT entry chosen, the inputs then usable.
    const std::tuple<int, int, int, const char*> cases[] = {
        {43, 4, 0, "level operator probe"},  // 566: the channel comparison
        {43, 4, 1, "level"},
        {44, 5, 0, "level"},  // 308: no channel
        {44, 5, 1, "level probe"},
        {28, 5, 0, "level"},
        {28, 5, 1, ""},  // 161: the general address, without level
        {31, 4, 0, "operator probe"},
        {31, 4, 1, ""},
        {34, 5, 0, "temperature"},
        {34, 5, 1, ""},
        {51, 5, 0, "pos8"},
        {51, 5, 2, "pos9 pos10"},  // 432
        {56, 5, 0, "temperature"},
        {56, 5, 1, "temperature hours"},
        {56, 5, 2, ""},
        {60, 4, 0, "probe"},           // 585: four sources, no operator
        {60, 4, 1, "operator probe"},  // 572: the volume scale
        {60, 4, 3, "probe"},           // 581: stations
        {60, 4, 4, ""},                // any other
        {50, 5, 0, "hours"},
        {50, 5, 1, ""},  // 423: no duration
    };
    for (auto [obj, area, what, usable] : cases) {
        PropertyDialog d = Loaded(obj, area);
        d.SelectCosa(what);
        EXPECT_EQ(Enabled(d), usable) << obj << "/" << area << " WHAT entry " << what;
    }
}

TEST(PropertyDialog, ListsOfferTheCodesTheBusReads) {
    FixtureEnv env;
    // Volume steps of 10 %, each its own code of 0..31.
    EXPECT_EQ(Data(Loaded(31, 4).cmbSonda),
              (std::vector<int>{3, 6, 9, 12, 15, 19, 22, 25, 28, 31}));
    // Slat steps 1 to 6, 8 and 10.
    EXPECT_EQ(Data(Loaded(51, 5).cmbPos[2]), (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8}));
    PropertyDialog d28 = Loaded(28, 5);
    d28.SelectCosa(1);
    EXPECT_EQ(Data(d28.cmbDove), (std::vector<int>{1}));
    PropertyDialog d60 = Loaded(60, 4);
    EXPECT_EQ(Data(d60.cmbSonda), (std::vector<int>{1, 2, 3, 4}));
    d60.SelectCosa(1);
    EXPECT_EQ(d60.cmbSonda.count(), 10);
    d60.SelectCosa(2);  // 573: balance -10..10
    EXPECT_EQ(std::tuple(d60.cmbSonda.item(0).data, d60.cmbSonda.item(20).data,
                         d60.cmbSonda.item(0).text),
              std::tuple(0, 60, "Step -10"));
    d60.SelectCosa(3);  // 581: ten stations, then ten of the user's from 16
    EXPECT_EQ(std::tuple(d60.cmbSonda.count(), d60.cmbSonda.item(10).data), std::tuple(20, 16));
    d60.SelectCosa(4);
    EXPECT_EQ(d60.cmbSonda.count(), 0);
    EXPECT_EQ(Loaded(60, 5).cmbSonda.count(), 5) << "586 in the action area: up to 50 %";
}

TEST(PropertyDialog, OkChecksOfDurationsAndValues) {
    FixtureEnv env;
    ScopedMessages msgs;
    PropertyDialog d44 = Loaded(44, 5);
    d44.UpDownMin.set(4);
    EXPECT_EQ(d44.cmdOK().text, 1543);
    d44.UpDownMin.set(0);
    d44.UpDownSec.set(0);
    EXPECT_EQ(d44.cmdOK().text, 1542);
    PropertyDialog d50 = Loaded(50, 5);
    d50.UpDownSec.set(0);
    EXPECT_EQ(d50.cmdOK().text, 1542);
    d50.SelectCosa(1);  // 423: no duration
    EXPECT_TRUE(d50.cmdOK().confirmed);
    PropertyDialog d62 = Loaded(62, 4);
    ExpectOkText(d62, d62.txtValue, {{"2001", 1740}});
    PropertyDialog d66 = Loaded(66, 4);
    ExpectOkText(d66, d66.txtValue, {{"", 1750}, {"32001", 1750}});
    d66.txtValue.text = "32000";
    EXPECT_TRUE(d66.cmdOK().confirmed);
}

TEST(PropertyDialog, NotesAndInterfaceCheck) {
    FixtureEnv env;
    ScopedMessages msgs;
    PropertyDialog d61 = Loaded(61, 3);
    OkResult r = d61.cmdOK();
    EXPECT_TRUE(r.confirmed);
    EXPECT_EQ(msgs->calls.back().text, texts::GetText(1751) + " " + texts::GetText(1752));
    PropertyDialog d26 = Loaded(26, 3);
    EXPECT_EQ(d26.cmdOK().text, 1656);
    // A level that needs an interface refuses "none" (level 2 of room 1).
    PropertyDialog d1 = Loaded(1, 5);
    d1.SelectDove(1);
    ASSERT_EQ(Data(d1.cmbLevel), (std::vector<int>{1, 2}));  // a Null level sorts first
    d1.SelectLevel(1);
    EXPECT_EQ(d1.cmdOK().text, 1557);
    d1.SelectAddInt(1);
    EXPECT_TRUE(d1.cmdOK().confirmed);
    // Nothing selected in an enabled list.
    PropertyDialog d2 = Loaded(1, 5);
    d2.cmbCosa.setIndex(-1);
    EXPECT_EQ(d2.cmdOK().text, 1001);
    d2.cmbCosa.setIndex(0);
    d2.cmbDove.setIndex(-1);
    EXPECT_EQ(d2.cmdOK().text, 1003);
}

TEST(PropertyDialog, ParametersRoundTrip) {
    FixtureEnv env;
    AddElement("TMP_COND_OK", 1, 38, "Warm\rsecond line", 1, 781);
    Master().execute("UPDATE TMP_COND_OK SET PARAM_1=4, PARAM_2=3, PARAM_3=-25 WHERE ID=1");
    auto row = Master().queryOne("SELECT * FROM TMP_COND_OK WHERE ID=1");
    PropertyDialog d;
    bool custom = d.LoadData(38, 4);
    d.txtDescri.maxLength = 20;
    d.Restore(*row, custom);
    EXPECT_EQ(std::tuple(d.txtDescri.text, d.cmbSonda.data(), d.cmbOperatorTemp.data(),
                         d.UpDownTemp.value),
              std::tuple("Warm", 4, 3, -25));
    EXPECT_TRUE(d.cmdOK().confirmed);
    ElementValues v = d.ReadValues(custom);
    EXPECT_EQ(std::tuple(v.PARAM[0], v.PARAM[1], v.PARAM[2], v.DOVE_KEY),
              std::tuple(4, 3, -25, 781));
    // Object 8's time comes back from "hh-mm-ss".
    AddElement("TMP_TRIGGER", 1, 8, "", 0, 0, 0, "07-05-09");
    auto t = Master().queryOne("SELECT * FROM TMP_TRIGGER WHERE ID=1");
    PropertyDialog d8 = Loaded(8, 3);
    d8.Restore(*t, false);
    EXPECT_EQ(d8.ReadValues(false).value, "07:05:09");
}

// A zone reading (object 38) shows on the canvas what its dialog showed: the
// same probe and the same comparison, for every entry of both lists.
TEST(PropertyDialog, ZoneReadingCaptionShowsTheChosenProbeAndOperator) {
    FixtureEnv env;
    PropertyDialog fresh = Loaded(38, 4);
    // No probe is preselected: an untouched dialog stores none.
    EXPECT_EQ(fresh.cmbSonda.index(), -1);
    EXPECT_EQ(fresh.ReadParameters()[0], 0);
    EXPECT_EQ(fresh.cmbSonda.item(2).text, "Sonda aggiuntiva 2");

    AddElement("TMP_COND_OK", 1, 38);
    for (int probe = 0; probe < fresh.cmbSonda.count(); ++probe) {
        for (int op = 0; op < fresh.cmbOperatorTemp.count(); ++op) {
            PropertyDialog d = Loaded(38, 4);
            d.cmbSonda.setIndex(probe);
            d.cmbOperatorTemp.setIndex(op);
            d.SetTemperature(-15);
            ASSERT_TRUE(d.cmdOK().confirmed);
            auto p = d.ReadValues(true).PARAM;
            Master().execute("UPDATE TMP_COND_OK SET PARAM_1=?, PARAM_2=?, PARAM_3=? WHERE ID=1",
                             {p[0], p[1], p[2]});
            EXPECT_EQ(model::ElementText(1, 38, 0, 0, 0, 0, "TMP_COND_OK"),
                      "\r" + d.cmbSonda.text() + "\rValore " + d.cmbOperatorTemp.text() + " -1.5")
                << "probe entry " << probe << ", operator entry " << op;
        }
    }
}

TEST(PropertyDialog, TemperatureLabelUsesAPointUnderEveryLocale) {
    FixtureEnv env;
    for (const char* name : kNumberLocales) {
        ScopedLocale locale(name);
        ASSERT_TRUE(locale.active()) << "locale " << name << " is not installed: run scripts/setup";
        PropertyDialog d = Loaded(34, 5);
        d.SetTemperature(215);
        EXPECT_EQ(d.lblTempV(),
                  "21.5\xC2\xB0"
                  "C")
            << name;
        d.SetTemperature(200);
        EXPECT_EQ(d.lblTempV(),
                  "20.0\xC2\xB0"
                  "C")
            << name;
        PropertyDialog cold = Loaded(38, 4);
        cold.SetTemperature(-5);
        EXPECT_EQ(cold.lblTempV(),
                  "-0.5\xC2\xB0"
                  "C")
            << name;
        // The state dump writes numbers without grouping ("-1.000" under a
        // comma locale).
        EXPECT_NE(PropertyDialog().StateText().find("UpDownTemp: 200 [-1000,1000]"),
                  std::string::npos)
            << name;
    }
}
