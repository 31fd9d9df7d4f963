#include "editor/property_dialog.h"

#include <algorithm>
#include <cstdio>
#include <locale>
#include <sstream>

#include "editor/canvas.h"
#include "editor/selection_dialogs.h"
#include "env/database.h"
#include "env/environment.h"
#include "env/messages.h"
#include "env/strings.h"
#include "env/texts.h"
#include "model/catalogue_ids.h"
#include "model/element_text.h"

namespace tessed::editor {

using model::Moment;
namespace obj = model::obj;
namespace area = model::area;

namespace {

// Texts of the dialog.
constexpr int kTitle = 1002;
constexpr int kNoWhat = 1001;
constexpr int kNoWhere = 1003;
constexpr int kTimeCaption = 88;
constexpr int kInterface = 1104;
constexpr int kNoInterface = 1105;
constexpr int kNeedInterface = 1557;
constexpr int kBothDelaysZero = 1553;
constexpr int kSecondDelayShorter = 1554;
constexpr int kDelayZero = 1556;
constexpr int kMinutesTooMany = 1728;
constexpr int kHoursTooMany = 1729;
constexpr int kEnergyValueTooHigh = 1740;
constexpr int kVariableOutOfRange = 1750;
constexpr int kFourMinutesMax = 1543;
constexpr int kDurationZero = 1542;
constexpr int kRestartNote = 1544;
constexpr int kLockNote = 1656;
constexpr int kAlarmNote1 = 1751;
constexpr int kAlarmNote2 = 1752;
constexpr int kAddressOutOfRange = 1654;
constexpr const char* kDelayTag = "RITARDOACT";

// Captions and list entries of the rows ("Item" texts take "%1").
constexpr int kTemperatureCaption = 1536;
constexpr int kChannelItem = 1539;
constexpr int kChannelCaption = 1540;
constexpr int kMinutesSecondsCaption = 1541;
constexpr int kMinimumDelayCaption = 1551;
constexpr int kMaximumDelayCaption = 1552;
constexpr int kProbeCaption = 1555;
constexpr int kAuxDurationCaption = 1562;
constexpr int kModuleCaption = 1652;
constexpr int kAddressCaption = 1653;
constexpr int kOverrideDurationCaption = 1657;
constexpr int kPositionCaption = 1658;
constexpr int kPositionUnchangedItem = 1659;
constexpr int kPercentItem = 1660;
constexpr int kSpeedCaption = 1661;
constexpr int kFirstSpeedItem = 1662;
constexpr int kSlatStepsCaption = 1666;
constexpr int kStepsItem = 1667;
constexpr int kMemoryCaption = 1668;
constexpr int kMemoryItem = 1669;
constexpr int kHoursCaption = 1675;
constexpr int kComparisonCaption = 1700;
constexpr int kValueCaption = 1701;
constexpr int kVolumePercentItem = 1702;
constexpr int kVolumeComparisonCaption = 1703;
constexpr int kSourceItem = 1704;
constexpr int kSourceCaption = 1705;
constexpr int kLevelItem = 1706;
constexpr int kFirstEqualiserItem = 1707;
constexpr int kFirstUserEqualiserItem = 1717;
constexpr int kEqualiserCaption = 1727;
constexpr int kVariableValueCaption = 1736;
constexpr int kVariableComparisonCaption = 1737;
constexpr int kEnergyComparisonCaption = 1738;
constexpr int kPowerThresholdCaption = 1739;

// Delay units of object 45 and of object 9.
constexpr int kSeconds45 = 314, kMinutes45 = 315, kHours45 = 316;
constexpr int kMinutes9 = 34, kHours9 = 35;

// A number typed or shown: digits with an optional sign, anything after them
// ignored; "" and text give 0.
int64_t Val(std::string_view s) { return str::LenientInt(s); }

int32_t Clamp32(int64_t v) {
    return static_cast<int32_t>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX));
}

std::string Replace1(int text, int i) {
    return texts::Format(texts::GetText(text), {std::to_string(i)});
}

void SelectFirst(ListBox& l) { l.setIndex(l.count() > 0 ? 0 : -1); }

}  // namespace

int VolumeCode(int percent) {
    // The amplifier's volume runs 0 to 31; each step of 10 % is the nearest
    // code, so 70 % (21.7) is 22 and every step has its own code.
    switch (percent) {
        case 10:
            return 3;
        case 20:
            return 6;
        case 30:
            return 9;
        case 40:
            return 12;
        case 50:
            return 15;
        case 60:
            return 19;
        case 70:
            return 22;
        case 80:
            return 25;
        case 90:
            return 28;
        case 100:
            return 31;
        default:
            return (percent * 31 + 50) / 100;
    }
}

void Spinner::setRange(int lo, int hi) {
    min = lo;
    max = hi;
    set(value);
}

void Spinner::set(int v) { value = std::clamp(v, min, std::max(min, max)); }

std::string ClockTime::text() const {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%02d:%02d:%02d", hour % 100, minute % 100, second % 100);
    return buf;
}

std::string CaptionId::text() const {
    if (id <= 0) return {};
    return texts::GetText(id);
}

PropertyDialog::PropertyDialog(db::Database* db) : db_(db) {
    // The rows of the bus coordinates show by default; the others belong to
    // the objects that use them.
    rows_.fill(false);
    for (PropRow r : {PropRow::kCosa, PropRow::kDove, PropRow::kLevel, PropRow::kAddInt})
        ShowRow(r, true);
    cmbCosa2.visible = false;
    cmbOperatorTemp.visible = false;
    txtDOVEPI.visible = false;
    UpDownDovePI.visible = false;
    UpDownTemp.visible = false;
    UpDownTemp.setRange(-1000, 1000);
    UpDownTemp.set(200);
    for (Spinner* s : {&UpDownHour, &UpDownMin, &UpDownSec}) s->visible = false;
    UpDownHour.setRange(0, 23);
    UpDownMin.setRange(0, 59);
    UpDownSec.setRange(0, 59);
    for (TextBox* t : {&txtValue, &txtKey_OPT, &txtKey_OPT2}) t->visible = false;
    for (auto& p : cmbPos) p.visible = false;
}

db::Database& PropertyDialog::database() const { return db_ ? *db_ : env::Env().master(); }

void PropertyDialog::Form_Load() {
    buttonsEnabled = false;
    timerRunning = true;
}

void PropertyDialog::Timer1_Timer() {
    timerRunning = false;
    buttonsEnabled = true;
}

// ---------------------------------------------------------------- LoadData

bool PropertyDialog::LoadData(int32_t idObj, int32_t idArea) {
    loading_ = true;
    idObj_ = idObj;
    IdArea = idArea;
    custom_ = false;
    db::Database& db = database();

    const WhoCaption who = LookupWhoCaption(db, idObj, idArea);
    lblChi = who.caption;
    lblChiTag = who.whoCode;

    cmbCosa.clear();
    cmbIDRESCOSA.clear();
    const bool twoWhats = idObj == obj::kRandomDelay && idArea == area::kActions;
    if (twoWhats) cmbCosa2.clear();
    try {
        auto& st = db.cached(
            "SELECT ASS_OBJ_COSA.ID_OBJ, ASS_OBJ_COSA.ID_COSA, ANA_COSA.DESCRI_COSA, "
            "ANA_COSA.OPEN_COSA, ANA_COSA.ID_RES_COSA FROM ANA_COSA INNER JOIN ASS_OBJ_COSA "
            "ON ANA_COSA.ID_COSA = ASS_OBJ_COSA.ID_COSA WHERE ASS_OBJ_COSA.ID_OBJ=? AND "
            "ASS_OBJ_COSA.ID_AREA=? ORDER BY ASS_OBJ_COSA.ORDINE");
        st.bindAll({idObj, idArea});
        for (const db::Row& r : st.rows()) {
            const int id = static_cast<int>(r.getInt("ID_COSA"));
            cmbCosa.add(r.getText("DESCRI_COSA"), id);
            cmbIDRESCOSA.push_back(r.getText("ID_RES_COSA"));
            if (twoWhats) cmbCosa2.add(r.getText("DESCRI_COSA"), id);
        }
    } catch (const db::Error&) {
    }
    if (cmbCosa.count() > 0) {
        cmbCosa.enabled = true;
        cmbCosa.setIndex(0);  // the handler waits for the loading flag
        if (twoWhats) SelectFirst(cmbCosa2);
    } else {
        cmbCosa.enabled = false;
        cmbCosa.setIndex(-1);
    }

    fillDove(cmbCosa.data());
    if (idObj == obj::kRoomLights) custom_ = true;

    if (cmbDove.count() > 0) {
        cmbDove.enabled = true;
        SelectDove(0);
    } else {
        cmbDove.enabled = false;
        SelectDove(-1);
    }
    if (!cmbCosa.enabled) ShowRow(PropRow::kCosa, false);
    if (!cmbDove.enabled) ShowRow(PropRow::kDove, false);

    extensionCount_ = 0;
    try {
        auto& st = db.cached(
            "SELECT COUNT(ASS_RULE_OPEN_DOVE.ID_DOVE) AS NUM_OPEN_EXT FROM (ANA_DOVE INNER JOIN "
            "ASS_RULE_OPEN_DOVE ON ANA_DOVE.ID_DOVE = ASS_RULE_OPEN_DOVE.ID_DOVE) INNER JOIN "
            "ASS_OBJ_DOVE ON ANA_DOVE.ID_DOVE = ASS_OBJ_DOVE.ID_DOVE WHERE ASS_OBJ_DOVE.ID_OBJ=? "
            "AND ASS_OBJ_DOVE.ID_AREA=?");
        st.bindAll({idObj, idArea});
        if (st.step()) extensionCount_ = st.column(0).toInt();
        st.reset();
    } catch (const db::Error&) {
    }

    txtKey_OPT.visible = false;
    txtKey_OPT.tag.clear();
    dtpTimeVisible = false;
    {
        const Moment now = Moment::Now();
        dtpTime = {now.hour, now.minute, 0};
    }

    if (idObj == obj::kTimeOfDay || idObj == obj::kDelay || idObj == obj::kRandomDelay) {
        fixedLayout();
    } else if (!custom_) {
        if (extensionCount_ <= 0) {
            ShowRow(PropRow::kLevel, false);
            ShowRow(PropRow::kAddInt, false);
        }
    } else if (extensionCount_ > 0) {
        firstTable();
    } else {
        secondTable();
    }
    loading_ = false;
    return custom_;
}

void PropertyDialog::fillDove(std::optional<int> cosa) {
    cmbDove.clear();
    db::Database& db = database();
    std::vector<db::Row> rows;
    try {
        if (cosa) {
            auto& st = db.cached(
                "SELECT ASS_OBJ_DOVE.ID_OBJ, ASS_OBJ_DOVE.ID_DOVE, ANA_DOVE.DESCRI_DOVE, "
                "ANA_DOVE.OPEN_DOVE, ASS_OBJ_DOVE.GESTIONE_CUSTOM FROM ANA_DOVE INNER JOIN "
                "ASS_OBJ_DOVE ON ANA_DOVE.ID_DOVE = ASS_OBJ_DOVE.ID_DOVE WHERE "
                "ASS_OBJ_DOVE.ID_OBJ=?1 AND ASS_OBJ_DOVE.ID_AREA=?2 AND NOT EXISTS (SELECT 1 FROM "
                "ANA_NOT_COSA_DOVE N WHERE N.ID_OBJ=?1 AND N.ID_COSA=?3 AND N.ID_DOVE = "
                "ANA_DOVE.ID_DOVE) ORDER BY ASS_OBJ_DOVE.ORDINE");
            st.bindAll({idObj_, IdArea, *cosa});
            rows = st.rows();
        } else {
            auto& st = db.cached(
                "SELECT ASS_OBJ_DOVE.ID_OBJ, ASS_OBJ_DOVE.ID_DOVE, ANA_DOVE.DESCRI_DOVE, "
                "ANA_DOVE.OPEN_DOVE, ASS_OBJ_DOVE.GESTIONE_CUSTOM FROM ANA_DOVE INNER JOIN "
                "ASS_OBJ_DOVE ON ANA_DOVE.ID_DOVE = ASS_OBJ_DOVE.ID_DOVE WHERE "
                "ASS_OBJ_DOVE.ID_OBJ=? AND ASS_OBJ_DOVE.ID_AREA=? ORDER BY ASS_OBJ_DOVE.ORDINE");
            st.bindAll({idObj_, IdArea});
            rows = st.rows();
        }
    } catch (const db::Error&) {
        return;
    }
    if (rows.empty()) return;
    if (idObj_ == obj::kLightByAddress) {
        // A typed address between the first and the last point.
        const db::Row& first = rows.front();
        const db::Row& last = rows.back();
        cmbDove.add(first.getText("DESCRI_DOVE"), static_cast<int>(first.getInt("ID_DOVE")));
        if (rows.size() > 1)
            cmbDove.add(last.getText("DESCRI_DOVE"), static_cast<int>(last.getInt("ID_DOVE")));
        UpDownDovePI.min = Clamp32(Val(first.getText("OPEN_DOVE")));
        UpDownDovePI.max = Clamp32(Val(last.getText("OPEN_DOVE")));
        txtDOVEPI.text = first.getText("OPEN_DOVE");
        UpDownDovePI.value = Clamp32(Val(txtDOVEPI.text));
        custom_ = first.getBool("GESTIONE_CUSTOM");
        return;
    }
    for (const db::Row& r : rows)
        cmbDove.add(r.getText("DESCRI_DOVE"), static_cast<int>(r.getInt("ID_DOVE")));
    custom_ = rows.back().getBool("GESTIONE_CUSTOM");
}

void PropertyDialog::fixedLayout() {
    if (idObj_ == obj::kTimeOfDay && (IdArea == area::kTriggers || IdArea == area::kStopTriggers)) {
        cmbCosa.visible = false;
        dtpTimeVisible = true;
        ShowRow(PropRow::kCosa, true);
        ShowRow(PropRow::kLevel, false);
        ShowRow(PropRow::kAddInt, false);
        lblCosa.id = kTimeCaption;
    } else if ((idObj_ == obj::kDelay || idObj_ == obj::kRandomDelay) && IdArea == area::kActions) {
        keyOptBesideWhat = true;
        txtKey_OPT.maxLength = 4;
        txtKey_OPT.tag = kDelayTag;
        txtKey_OPT.visible = true;
        ShowRow(PropRow::kLevel, false);
        ShowRow(PropRow::kAddInt, false);
        if (idObj_ == obj::kRandomDelay) {
            lblCosa.id = kMinimumDelayCaption;
            lblDove.id = kMaximumDelayCaption;
            ShowRow(PropRow::kDove, true);
            cmbDove.visible = false;
            cmbCosa2.visible = true;
            txtKey_OPT2.maxLength = 4;
            txtKey_OPT2.tag = kDelayTag;
            txtKey_OPT2.visible = true;
        }
    }
}

void PropertyDialog::fillOperators(bool withEqual) {
    cmbOperatorTemp.clear();
    // The item data is the code stored, which the element texts read back.
    for (int code = 1; code <= (withEqual ? 5 : 4); ++code)
        cmbOperatorTemp.add(std::string(model::ComparisonOperator(code)), code);
    cmbOperatorTemp.visible = true;
    // A comparison is never stored without its operator.
    SelectFirst(cmbOperatorTemp);
}

void PropertyDialog::fillProbes(int text, int last) {
    cmbSonda.clear();
    for (int i = 1; i <= last; ++i) cmbSonda.add(Replace1(text, i), i);
    SelectFirst(cmbSonda);
}

void PropertyDialog::fillScale() {
    cmbSonda.clear();
    for (int i = 10; i <= 100; i += 10)
        cmbSonda.add(Replace1(kVolumePercentItem, i), VolumeCode(i));
    SelectFirst(cmbSonda);
}

void PropertyDialog::enableList(ListBox& list, bool on) {
    list.enabled = on;
    list.setIndex(on && list.count() > 0 ? 0 : -1);
}

void PropertyDialog::setTempEnabled(bool on) { UpDownTemp.enabled = on; }

void PropertyDialog::setHourEnabled(bool on) { UpDownHour.enabled = on; }

void PropertyDialog::firstTable() {
    auto hideLevels = [&] {
        ShowRow(PropRow::kLevel, false);
        ShowRow(PropRow::kAddInt, false);
    };
    switch (idObj_) {
        case obj::kScenarioModule:
            hideLevels();
            lblDove.id = kModuleCaption;
            break;
        case obj::kTimedLight:
        case obj::kScenarioButton:
            ShowRow(PropRow::kAddInt, false);
            break;
        case obj::kRoomLights:
            ShowRow(PropRow::kAddInt, false);
            ShowRow(PropRow::kDove, true);
            loading_ = false;
            cmbCosa_Click();
            loading_ = true;
            break;
        case obj::kLoad:
        case obj::kTimedOutput:
            if (idObj_ == obj::kLoad && IdArea == area::kConditions) {
                fillOperators(true);
                fillProbes(kChannelItem, 100);
                ShowRow(PropRow::kTemp, true);
                ShowRow(PropRow::kSonda, true);
                lblTemp.id = kComparisonCaption;
                lblSonda.id = kValueCaption;
                enableList(cmbSonda, what() == 566);
                enableList(cmbOperatorTemp, what() == 566);
            } else {
                fillProbes(kChannelItem, 100);
                ShowRow(PropRow::kTemp, true);
                ShowRow(PropRow::kSonda, true);
                UpDownMin.visible = UpDownSec.visible = true;
                UpDownMin.setRange(0, 4);
                UpDownSec.set(1);
                lblSonda.id = kChannelCaption;
                lblTemp.id = kMinutesSecondsCaption;
                lblTempCentred = true;
                const int w = what();
                const bool off =
                    idObj_ == obj::kLoad ? (w >= 263 && w <= 264) : (w >= 308 && w <= 309);
                enableList(cmbSonda, !off);
            }
            break;
        case obj::kTimedAux:
            ShowRow(PropRow::kTemp, true);
            ShowRow(PropRow::kTime, true);
            ShowRow(PropRow::kSonda, false);
            UpDownHour.visible = UpDownMin.visible = UpDownSec.visible = true;
            UpDownMin.setRange(0, 59);
            UpDownHour.setRange(0, 255);
            UpDownSec.set(1);
            lblSonda.id = kChannelCaption;
            lblTemp.id = kAuxDurationCaption;
            lblTempCentred = true;
            break;
        case obj::kLightByAddress:
            hideLevels();
            lblDove.id = kAddressCaption;
            cmbDove.visible = false;
            txtDOVEPI.visible = true;
            UpDownDovePI.visible = true;
            break;
        case obj::kEnergyMeter:
            fillOperators(true);
            fillProbes(kChannelItem, 100);
            ShowRow(PropRow::kTemp, true);
            ShowRow(PropRow::kSonda, true);
            lblTemp.id = kEnergyComparisonCaption;
            lblSonda.id = kPowerThresholdCaption;
            cmbSonda.visible = false;  // the value box takes its place
            txtValue.text = "0";
            txtValue.maxLength = 4;
            txtValue.visible = true;
            break;
        default:
            break;
    }
}

void PropertyDialog::secondTable() {
    // Each object hides the level and interface rows it names; the others
    // keep them, and objects without a layout of their own hide both.
    auto hideLevels = [&] {
        ShowRow(PropRow::kLevel, false);
        ShowRow(PropRow::kAddInt, false);
    };
    auto tempWithValue = [&](int lo, int hi) {
        ShowRow(PropRow::kTemp, true);
        lblTempVVisible = true;
        UpDownTemp.visible = true;
        UpDownTemp.setRange(lo, hi);
    };
    switch (idObj_) {
        case obj::kScenarioButton:
            ShowRow(PropRow::kAddInt, false);
            break;
        case obj::kExtendedButton:
            hideLevels();
            break;
        case obj::kVolume:
            hideLevels();
            fillOperators(true);
            fillScale();
            ShowRow(PropRow::kTemp, true);
            ShowRow(PropRow::kSonda, true);
            lblTemp.id = kVolumeComparisonCaption;
            lblSonda.id = kValueCaption;
            enableList(cmbSonda, what() == 567);
            enableList(cmbOperatorTemp, what() == 567);
            break;
        case obj::kCentralUnit:
            ShowRow(PropRow::kDove, false);
            hideLevels();
            tempWithValue(30, 400);
            setTempEnabled(what() == model::what::kCentralUnitManualTemperature);
            break;
        case obj::kSeason:
        case obj::kWeeklyProgramme:
        case obj::kTariffBand:
        case obj::kAlarmPanel:
            ShowRow(PropRow::kDove, false);
            hideLevels();
            break;
        case obj::kZoneSetPoint:
            hideLevels();
            if (IdArea == area::kActions) tempWithValue(30, 400);
            setTempEnabled(what() == model::what::kZoneSetTemperature);
            break;
        case obj::kZoneReading:
        case obj::kOutdoorTemperature:
            fillOperators(false);
            lblTemp.id = kTemperatureCaption;
            if (idObj_ == obj::kZoneReading) {
                // Named as the element text names the stored probe. No entry
                // is preselected: an untouched dialog stores no probe (0).
                cmbSonda.clear();
                for (int code = model::kFirstProbeCode; code <= model::kLastProbeCode; ++code)
                    cmbSonda.add(model::ProbeText(code), code);
                ShowRow(PropRow::kSonda, true);
                lblSonda.id = kProbeCaption;
                tempWithValue(-50, 500);
            } else {
                tempWithValue(-200, 600);
            }
            break;
        case obj::kZoneOverride:
            ShowRow(PropRow::kTemp, true);
            ShowRow(PropRow::kTime, true);
            UpDownHour.visible = UpDownMin.visible = UpDownSec.visible = true;
            UpDownMin.setRange(0, 59);
            UpDownHour.setRange(0, 23);
            UpDownSec.set(1);
            lblSonda.id = kChannelCaption;
            lblTemp.id = kOverrideDurationCaption;
            lblTempCentred = true;
            break;
        case obj::kShutterPosition:
            ShowRow(PropRow::kPos8, true);
            ShowRow(PropRow::kPos9, true);
            ShowRow(PropRow::kPos10, true);
            for (auto& p : cmbPos) p.clear(), p.visible = true;
            lblPos = {CaptionId{kPositionCaption}, CaptionId{kSpeedCaption},
                      CaptionId{kSlatStepsCaption}};
            cmbPos[0].add(texts::GetText(kPositionUnchangedItem), 0);
            for (int i = 1; i <= 100; ++i) cmbPos[0].add(Replace1(kPercentItem, i), i);
            for (int i = 0; i <= 3; ++i) cmbPos[1].add(texts::GetText(kFirstSpeedItem + i), i);
            for (int i = 1; i <= 6; ++i) cmbPos[2].add(Replace1(kStepsItem, i), i);
            cmbPos[2].add(Replace1(kStepsItem, 8), 7);
            cmbPos[2].add(Replace1(kStepsItem, 10), 8);
            for (auto& p : cmbPos) SelectFirst(p);
            loading_ = false;
            cmbCosa_Click();
            loading_ = true;
            break;
        case obj::kStoredPosition:
            ShowRow(PropRow::kPos8, true);
            cmbPos[0].clear();
            cmbPos[0].visible = true;
            lblPos[0] = CaptionId{kMemoryCaption};
            for (int i = 0; i <= 31; ++i) cmbPos[0].add(Replace1(kMemoryItem, i), i);
            SelectFirst(cmbPos[0]);
            break;
        case obj::kZoneManual:
            tempWithValue(30, 400);
            ShowRow(PropRow::kTime, true);
            UpDownHour.visible = true;
            UpDownHour.setRange(0, 24);
            lblPos[0] = CaptionId{kHoursCaption};
            setTempEnabled(what() == 553 || what() == 554);
            setHourEnabled(what() == 554);
            break;
        case obj::kAudioSettings:
            if (IdArea == area::kConditions) {
                fillOperators(true);
                ShowRow(PropRow::kTemp, true);
            }
            ShowRow(PropRow::kSonda, true);
            lblSonda.id = kValueCaption;
            lblTemp.id = -1;
            loading_ = false;
            cmbCosa_Click();
            loading_ = true;
            break;
        case obj::kVariable:
            txtValue.visible = true;
            txtValue.maxLength = 5;
            ShowRow(PropRow::kTemp, true);
            if (IdArea == area::kConditions) {
                fillOperators(true);
                ShowRow(PropRow::kSonda, true);
                cmbSonda.visible = false;  // the value box takes its place
                lblTemp.id = kVariableComparisonCaption;
                lblSonda.id = kVariableValueCaption;
                txtValue.text = "0";
            } else {
                lblTemp.id = kVariableValueCaption;
                txtValue.text = "1";
            }
            break;
        default:
            hideLevels();
            break;
    }
}

// ---------------------------------------------------------------- handlers

void PropertyDialog::SelectCosa(int index) {
    cmbCosa.setIndex(index);
    cmbCosa_Click();
}

void PropertyDialog::SelectDove(int index) {
    cmbDove.setIndex(index);
    cmbDove_Click();
}

void PropertyDialog::SelectLevel(int index) {
    cmbLevel.setIndex(index);
    cmbLevel_Click();
}

void PropertyDialog::cmbCosa_Click() {
    if (loading_) return;
    const std::string where = cmbDove.text();
    fillDove(cmbCosa.data());
    if (cmbDove.count() > 0) {
        cmbDove.enabled = true;
        int keep = -1;
        for (int i = 0; i < cmbDove.count() && keep < 0; ++i)
            if (!where.empty() && cmbDove.item(i).text == where) keep = i;
        SelectDove(keep >= 0 ? keep : 0);
    } else {
        cmbDove.enabled = false;
        SelectDove(-1);
    }
    // The inputs that depend on the WHAT; after the where, whose levels the
    // rule of the room lights overrides.
    if (custom_) whatRules();
}

void PropertyDialog::whatRules() {
    const int w = what();
    switch (idObj_) {
        case obj::kRoomLights:
            enableList(cmbLevel, w != model::what::kGeneralSwitchOff);
            cmbLevel_Click();
            break;
        case obj::kCentralUnit:
            setTempEnabled(w == model::what::kCentralUnitManualTemperature);
            break;
        case obj::kZoneSetPoint:
            setTempEnabled(w == model::what::kZoneSetTemperature);
            break;
        case obj::kLoad:
            if (IdArea == area::kConditions) {
                enableList(cmbSonda, w == 566);
                enableList(cmbOperatorTemp, w == 566);
            } else {
                enableList(cmbSonda, !(w >= 263 && w <= 264));
            }
            break;
        case obj::kTimedOutput:
            enableList(cmbSonda, !(w >= 308 && w <= 309));
            break;
        case obj::kZoneOverride: {
            bool on = w == 421 || w == 422 || w == 426 || w == 427;
            bool off = w >= 423 && w <= 425;
            if (on || off) {
                for (Spinner* s : {&UpDownHour, &UpDownMin, &UpDownSec}) s->enabled = on;
            }
            break;
        }
        case obj::kShutterPosition: {
            bool p8 = false, p9 = false, p10 = false;
            if (w == 430) p8 = true;
            if (w == 432 || w == 433) p9 = p10 = true;
            if (w == 430 || w == 431 || w == 432 || w == 433 || w == 434) {
                cmbPos[0].enabled = p8;
                cmbPos[1].enabled = p9;
                cmbPos[2].enabled = p10;
            }
            break;
        }
        case obj::kZoneManual:
            setTempEnabled(w == 553 || w == 554);
            setHourEnabled(w == 554);
            break;
        case obj::kVolume:
            if (IdArea == area::kConditions) {
                enableList(cmbSonda, w == 567);
                enableList(cmbOperatorTemp, w == 567);
            }
            break;
        case obj::kAudioSettings:
            if (IdArea == area::kConditions || IdArea == area::kActions) object60Probes(w);
            break;
        default:
            break;
    }
}

void PropertyDialog::object60Probes(int w) {
    cmbSonda.clear();
    auto operatorOn = [&](bool on) {
        if (IdArea == area::kConditions) enableList(cmbOperatorTemp, on);
    };
    auto steps = [&](int last) {
        for (int i = 1; i <= last; ++i) cmbSonda.add(Replace1(kLevelItem, i), i);
    };
    int probeCaption = kValueCaption;
    int tempCaption = kComparisonCaption;
    if (w == 585) {
        for (int i = 1; i <= 4; ++i) cmbSonda.add(Replace1(kSourceItem, i), i);
        probeCaption = kSourceCaption;
        operatorOn(false);
    } else if (w == 572 || w == 586 || w == 587) {
        const int last = (IdArea == area::kActions && w != 572) ? 50 : 100;
        for (int i = 10; i <= last; i += 10)
            cmbSonda.add(Replace1(kVolumePercentItem, i), VolumeCode(i));
        operatorOn(w == 572);
    } else if (w == 573 || w == 574) {
        for (int i = -10; i <= 10; ++i) cmbSonda.add(Replace1(kLevelItem, i), 3 * (i + 10));
        operatorOn(true);
    } else if (w == 577 || w == 592 || w == 593 || w == 599 || w == 600) {
        steps(10);
        operatorOn(true);
    } else if (w == 578 || w == 594 || w == 595) {
        steps(7);
        operatorOn(true);
    } else if (w >= 588 && w <= 591) {
        steps(20);
        tempCaption = 0;  // unchanged
    } else if (w == 581 || w == 598) {
        for (int i = 0; i < 10; ++i) cmbSonda.add(texts::GetText(kFirstEqualiserItem + i), 2 + i);
        for (int i = 0; i < 10; ++i)
            cmbSonda.add(texts::GetText(kFirstUserEqualiserItem + i), 16 + i);
        probeCaption = kEqualiserCaption;
        tempCaption = -1;
        operatorOn(false);
    } else {
        enableList(cmbSonda, false);
        lblSonda.id = -1;
        lblTemp.id = -1;
        operatorOn(false);
        return;
    }
    enableList(cmbSonda, true);
    lblSonda.id = probeCaption;
    if (tempCaption != 0) lblTemp.id = tempCaption;
}

void PropertyDialog::cmbDove_Click() {
    const std::optional<int> level = cmbLevel.data();
    cmbLevel.clear();
    if (auto dove = cmbDove.data()) {
        try {
            auto& st = database().cached(
                "SELECT ANA_RULE_OPEN_EXT.* FROM ASS_RULE_OPEN_DOVE INNER JOIN ANA_RULE_OPEN_EXT "
                "ON ASS_RULE_OPEN_DOVE.ID_OPEN_EXT = ANA_RULE_OPEN_EXT.ID_OPEN_EXT WHERE "
                "ASS_RULE_OPEN_DOVE.ID_DOVE=? ORDER BY ANA_RULE_OPEN_EXT.LEVEL_OPEN");
            st.bindAll({*dove});
            for (const db::Row& r : st.rows())
                cmbLevel.add(r.getText("DESCRI"), static_cast<int>(r.getInt("ID_OPEN_EXT")));
        } catch (const db::Error&) {
        }
    }
    if (cmbLevel.count() > 0) {
        int keep = level ? cmbLevel.find(*level) : -1;
        cmbLevel.enabled = true;
        SelectLevel(keep >= 0 ? keep : 0);
    } else {
        cmbLevel.enabled = false;
        cmbADDInt.enabled = false;
        cmbADDInt.clear();
    }
}

void PropertyDialog::cmbLevel_Click() {
    cmbADDInt.clear();
    std::optional<db::Row> rule;
    if (auto level = cmbLevel.data()) {
        try {
            auto& st = database().cached("SELECT * FROM ANA_RULE_OPEN_EXT WHERE ID_OPEN_EXT=?");
            st.bindAll({*level});
            if (st.step()) rule = st.row();
            st.reset();
        } catch (const db::Error&) {
        }
    }
    if (rule) {
        const int64_t digits = rule->getInt("NUM_DIGIT_ADD");
        auto lo = [&](int i) {
            return static_cast<int>(rule->getInt("MIN_ADD_I" + std::to_string(i)));
        };
        auto hi = [&](int i) {
            return static_cast<int>(rule->getInt("MAX_ADD_I" + std::to_string(i)));
        };
        auto d = [](int v) { return std::to_string(v); };
        if (digits > 0) cmbADDInt.add(texts::GetText(kNoInterface), -1);
        if (digits == 1) {
            for (int a = lo(1); a <= hi(1); ++a) cmbADDInt.add(d(a), a);
        } else if (digits == 2) {
            for (int a = lo(1); a <= hi(1); ++a)
                for (int b = lo(2); b <= hi(2); ++b)
                    if (a != 0 || b != 0)
                        cmbADDInt.add(texts::GetText(kInterface) + " " + d(a) + d(b), 10 * a + b);
        } else if (digits == 3) {
            for (int a = lo(1); a <= hi(1); ++a)
                for (int b = lo(2); b <= hi(2); ++b)
                    for (int c = lo(3); c <= hi(3); ++c)
                        cmbADDInt.add(d(a) + d(b) + d(c), 100 * a + 10 * b + c);
        } else if (digits == 4) {
            for (int a = lo(1); a <= hi(1); ++a)
                for (int b = lo(2); b <= hi(2); ++b)
                    for (int c = lo(3); c <= hi(3); ++c)
                        for (int e = lo(4); e <= hi(4); ++e)
                            cmbADDInt.add(d(a) + d(b) + d(c) + d(e),
                                          1000 * a + 100 * b + 10 * c + e);
        }
    }
    // The extension follows its level: a level that offers extensions makes
    // the list usable again after a where without levels had disabled it.
    cmbADDInt.enabled = cmbADDInt.count() > 0;
    if (cmbADDInt.count() > 0) cmbADDInt.setIndex(0);
}

void PropertyDialog::SetTemperature(int tenths) { UpDownTemp.set(tenths); }

std::string PropertyDialog::lblTempV() const { return TemperatureText(UpDownTemp.value); }

std::string TemperatureText(int tenths) {
    // "." as the separator, as in the listing and the slot captions.
    return model::TenthsOneDecimal(tenths) +
           "\xC2\xB0"
           "C";
}

void PropertyDialog::UpDownDovePI_Change(int value) {
    UpDownDovePI.set(value);
    txtDOVEPI.text = std::to_string(UpDownDovePI.value);
}

// ---------------------------------------------------------------- OK

OkResult PropertyDialog::fail(int text, Icon icon) {
    Messages().warning(texts::GetText(kTitle), texts::GetText(text));
    return {false, text, icon};
}

OkResult PropertyDialog::confirm(int note, Icon icon) {
    Confirmed = true;
    Visible = false;
    return {true, note, icon};
}

OkResult PropertyDialog::cmdOK() {
    if (cmbCosa.enabled && cmbCosa.index() < 0) return fail(kNoWhat);
    if (cmbLevel.count() > 0 && cmbLevel.enabled) {
        const int level = cmbLevel.data().value_or(0);
        if ((level == 2 || level == 4) && RowVisible(PropRow::kAddInt) && cmbADDInt.visible &&
            cmbADDInt.enabled && cmbADDInt.data().value_or(-1) <= 0)
            return fail(kNeedInterface);
    }
    if (cmbDove.enabled && cmbDove.index() < 0) return fail(kNoWhere);

    if (idObj_ == obj::kRandomDelay) {
        const int64_t v1 = Val(txtKey_OPT.text);
        const int64_t v2 = Val(txtKey_OPT2.text);
        if (v1 == 0 && v2 == 0) return fail(kBothDelaysZero);
        int64_t seconds[2] = {0, 0};
        const std::pair<int64_t, int> delays[2] = {{v1, cmbCosa.data().value_or(0)},
                                                   {v2, cmbCosa2.data().value_or(0)}};
        for (int i = 0; i < 2; ++i) {
            auto [v, unit] = delays[i];
            if (unit == kMinutes45) {
                if (v > 1440) return fail(kMinutesTooMany);
                seconds[i] = v * 60;
            } else if (unit == kHours45) {
                if (v > 24) return fail(kHoursTooMany);
                seconds[i] = v * 3600;
            } else {
                seconds[i] = v;
            }
        }
        if (seconds[1] < seconds[0]) return fail(kSecondDelayShorter);
    } else if (idObj_ == obj::kEnergyMeter) {
        if (Val(txtValue.text) > 2000) return fail(kEnergyValueTooHigh);
    } else if (idObj_ == obj::kVariable) {
        const int64_t v = Val(txtValue.text);
        if (txtValue.text.empty() || v > 32000 || v < 0) return fail(kVariableOutOfRange);
    } else if (txtKey_OPT.tag == kDelayTag) {
        const int64_t v = Val(txtKey_OPT.text);
        if (v == 0) return fail(kDelayZero);
        if (what() == kMinutes9 && v > 1440) return fail(kMinutesTooMany);
        if (what() == kHours9 && v > 24) return fail(kHoursTooMany);
    }

    if (RowVisible(PropRow::kTemp) && (idObj_ == obj::kLoad || idObj_ == obj::kTimedOutput) &&
        IdArea != area::kConditions) {
        if (UpDownMin.value == 4 && UpDownSec.value > 0) return fail(kFourMinutesMax);
        if (UpDownMin.value == 0 && UpDownSec.value == 0) return fail(kDurationZero);
    }

    // Object 49's typed address is checked before the notes: the note of WHAT
    // 419 confirms at once, and an address left unchecked would be stored as
    // WHERE 0.
    if (idObj_ == obj::kLightByAddress && !typedAddressValid()) return fail(kAddressOutOfRange);

    int note = 0;
    if (idObj_ == obj::kController && what() == 244) note = kRestartNote;
    if ((idObj_ == obj::kScenarioModule && what() == 155) ||
        (idObj_ == obj::kLightByAddress && what() == 419))
        note = kLockNote;
    if (note) {
        Messages().information(texts::GetText(kTitle), texts::GetText(note));
        return confirm(note, Icon::kInformation);
    }

    if ((idObj_ == obj::kTimedAux || idObj_ == obj::kZoneOverride) && UpDownHour.enabled &&
        UpDownHour.value == 0 && UpDownMin.value == 0 && UpDownSec.value == 0)
        return fail(kDurationZero);

    if (idObj_ == obj::kAlarmPanel && (IdArea == area::kTriggers || IdArea == area::kConditions ||
                                       IdArea == area::kStopTriggers)) {
        Messages().warning(texts::GetText(kTitle),
                           texts::GetText(kAlarmNote1) + " " + texts::GetText(kAlarmNote2));
        return confirm(kAlarmNote1, Icon::kExclamation);
    }

    return confirm();
}

bool PropertyDialog::typedAddressValid() const {
    // The typed address must lie between the first and the last point and
    // name a where of the catalogue, which the element then stores.
    const std::string& typed = txtDOVEPI.text;
    const int64_t v = Val(typed);
    if (typed.empty() || cmbDove.count() == 0 || v < UpDownDovePI.min || v > UpDownDovePI.max)
        return false;
    try {
        return database()
            .queryOne("SELECT ID_DOVE FROM ANA_DOVE WHERE OPEN_DOVE=?", {std::to_string(v)})
            .has_value();
    } catch (const db::Error&) {
        return false;
    }
}

void PropertyDialog::cmdAnnulla() {
    Confirmed = false;
    Visible = false;
}

bool PropertyDialog::KeyPress(Field field, int key) {
    if (key == kKeyEnter) {
        if (buttonsEnabled) cmdOK();
        return false;
    }
    if (key == kKeyEscape) {
        if (buttonsEnabled) cmdAnnulla();
        return false;
    }
    if (DigitsOnly(field)) return (key >= '0' && key <= '9') || key == kKeyBackspace;
    return true;
}

bool PropertyDialog::DigitsOnly(Field field) const {
    return field == Field::kDOVEPI || field == Field::kValue ||
           (field == Field::kKeyOpt && txtKey_OPT.tag == kDelayTag) ||
           (field == Field::kKeyOpt2 && txtKey_OPT2.tag == kDelayTag);
}

// ---------------------------------------------------------------- values

std::array<int32_t, 3> PropertyDialog::ReadParameters() const {
    std::array<int32_t, 3> p{};
    const int op = cmbOperatorTemp.data().value_or(0);
    const int probe = cmbSonda.data().value_or(0);
    const int temp = UpDownTemp.value;
    const int w = what();
    switch (idObj_) {
        case obj::kVolume:
            if (IdArea == area::kConditions && w == 567) p[0] = op;
            p[1] = probe;
            break;
        case obj::kCentralUnit:
            if (w == model::what::kCentralUnitManualTemperature) p[0] = temp;
            break;
        case obj::kZoneSetPoint:
            if (w == model::what::kZoneSetTemperature) p[0] = temp;
            break;
        case obj::kZoneReading:
            p = {probe, op, temp};
            break;
        case obj::kLoad:
        case obj::kTimedOutput:
            if (idObj_ == obj::kLoad && IdArea == area::kConditions) {
                if (w == 566) p[0] = op;
                p[1] = probe;
            } else {
                p[0] = UpDownMin.value;
                p[1] = UpDownSec.value;
            }
            p[2] = probe;
            break;
        case obj::kTimedAux:
        case obj::kZoneOverride:
            p = {UpDownHour.value, UpDownMin.value, UpDownSec.value};
            break;
        case obj::kShutterPosition:
            p = {cmbPos[0].data().value_or(0), cmbPos[1].data().value_or(0),
                 cmbPos[2].data().value_or(0)};
            break;
        case obj::kStoredPosition:
            p[0] = cmbPos[0].data().value_or(0);
            break;
        case obj::kZoneManual:
            p = {temp, UpDownHour.value, 0};
            break;
        case obj::kOutdoorTemperature:
            p = {op, temp, 0};
            break;
        case obj::kAudioSettings:
            if (IdArea == area::kConditions) {
                if (cmbSonda.enabled) p[0] = probe;
                if (cmbOperatorTemp.enabled) p[1] = op;
            } else if (IdArea == area::kActions) {
                if (cmbSonda.enabled) p[0] = probe;
            }
            break;
        case obj::kEnergyMeter:
            if (IdArea == area::kConditions) {
                if (txtValue.enabled) p[0] = Clamp32(Val(txtValue.text));
                if (cmbOperatorTemp.enabled) p[1] = op;
            } else {
                p[1] = op;
            }
            break;
        case obj::kVariable:
            if (IdArea == area::kConditions) {
                p[0] = Clamp32(Val(txtValue.text));
                if (cmbOperatorTemp.enabled) p[1] = op;
            } else if (IdArea == area::kActions) {
                p[0] = Clamp32(Val(txtValue.text));
            }
            break;
        default:
            break;
    }
    return p;
}

ElementValues PropertyDialog::ReadValues(bool custom) {
    ElementValues v;
    v.ID_OBJ = idObj_;
    v.area = IdArea;
    v.DESCRI = txtDescri.text;
    v.CHI_KEY = lblChiTag;
    v.COSA_KEY = cmbCosa.data().value_or(0);
    v.DOVE_KEY = cmbDove.data().value_or(0);
    const int i = cmbCosa.index();
    if (i >= 0 && i < static_cast<int>(cmbIDRESCOSA.size()))
        v.ID_RES_COSA = Clamp32(Val(cmbIDRESCOSA[static_cast<size_t>(i)]));
    v.LEVEL_KEY = cmbLevel.count() > 0 ? cmbLevel.data().value_or(0) : 0;
    v.ADD_INT = cmbADDInt.count() > 0 ? cmbADDInt.data().value_or(0) : 0;
    v.value = dtpTime.text();
    if (custom) {
        auto p = ReadParameters();
        for (size_t k = 0; k < p.size(); ++k) v.PARAM[k] = p[k];
    }
    if (IdArea == area::kActions) {
        if (txtKey_OPT.visible) v.value = std::to_string(Val(txtKey_OPT.text));
        if (idObj_ == obj::kRandomDelay) {
            v.PARAM[0] = Clamp32(Val(txtKey_OPT2.text));
            v.PARAM[1] = cmbCosa2.data().value_or(0);
        }
        if (idObj_ == obj::kLightByAddress) {
            v.DOVE_KEY = 0;
            try {
                auto r = database().queryOne("SELECT * FROM ANA_DOVE WHERE OPEN_DOVE=?",
                                             {std::to_string(Val(txtDOVEPI.text))});
                if (r) v.DOVE_KEY = r->getInt("ID_DOVE");
            } catch (const db::Error&) {
            }
        }
    }
    return v;
}

void PropertyDialog::Restore(const db::Row& row, bool custom) {
    std::string descri = row.getText("DESCRI");
    descri = descri.substr(0, descri.find('\r'));
    txtDescri.text = LimitLength(descri, txtDescri.maxLength);

    SelectCosa(FindItemIndex(cmbCosa, static_cast<int>(row.getInt("COSA_KEY"))));
    if (idObj_ == obj::kLightByAddress) {
        // The typed address comes back from the stored where.
        try {
            auto r = database().queryOne("SELECT OPEN_DOVE FROM ANA_DOVE WHERE ID_DOVE=?",
                                         {row.getInt("DOVE_KEY")});
            if (r) txtDOVEPI.text = r->getText("OPEN_DOVE");
            UpDownDovePI.value = Clamp32(Val(txtDOVEPI.text));
        } catch (const db::Error&) {
        }
    } else {
        SelectDove(FindItemIndex(cmbDove, static_cast<int>(row.getInt("DOVE_KEY"))));
    }
    SelectLevel(FindItemIndex(cmbLevel, static_cast<int>(row.getInt("LEVEL_KEY"))));
    SelectAddInt(FindItemIndex(cmbADDInt, static_cast<int>(row.getInt("ADD_INT"))));

    const int p1 = static_cast<int>(row.getInt("PARAM_1"));
    const int p2 = static_cast<int>(row.getInt("PARAM_2"));
    const int p3 = static_cast<int>(row.getInt("PARAM_3"));
    auto sel = [](ListBox& l, int v) { l.setIndex(FindItemIndex(l, v)); };
    if (custom) {
        const int w = what();
        switch (idObj_) {
            case obj::kVolume:
                if (IdArea == area::kConditions && w == 567) sel(cmbOperatorTemp, p1);
                if (cmbSonda.enabled) sel(cmbSonda, p2);
                break;
            case obj::kCentralUnit:
                if (w == model::what::kCentralUnitManualTemperature) SetTemperature(p1);
                break;
            case obj::kZoneSetPoint:
                if (w == model::what::kZoneSetTemperature) SetTemperature(p1);
                break;
            case obj::kZoneReading:
                sel(cmbSonda, p1);
                sel(cmbOperatorTemp, p2);
                SetTemperature(p3);
                break;
            case obj::kLoad:
            case obj::kTimedOutput:
                if (idObj_ == obj::kLoad && IdArea == area::kConditions) {
                    if (w == 566) sel(cmbOperatorTemp, p1);
                } else {
                    UpDownMin.set(p1);
                    UpDownSec.set(p2);
                }
                if (cmbSonda.enabled) sel(cmbSonda, p3);
                break;
            case obj::kTimedAux:
            case obj::kZoneOverride:
                UpDownHour.set(p1);
                UpDownMin.set(p2);
                UpDownSec.set(p3);
                break;
            case obj::kShutterPosition:
                sel(cmbPos[0], p1);
                sel(cmbPos[1], p2);
                sel(cmbPos[2], p3);
                break;
            case obj::kStoredPosition:
                sel(cmbPos[0], p1);
                break;
            case obj::kZoneManual:
                SetTemperature(p1);
                UpDownHour.set(p2);
                break;
            case obj::kOutdoorTemperature:
                sel(cmbOperatorTemp, p1);
                SetTemperature(p2);
                break;
            case obj::kAudioSettings:
                if (cmbSonda.enabled) sel(cmbSonda, p1);
                if (IdArea == area::kConditions && cmbOperatorTemp.enabled)
                    sel(cmbOperatorTemp, p2);
                break;
            case obj::kEnergyMeter:
                if (IdArea == area::kConditions) txtValue.text = std::to_string(p1);
                sel(cmbOperatorTemp, p2);
                break;
            case obj::kVariable:
                txtValue.text = std::to_string(p1);
                if (IdArea == area::kConditions) sel(cmbOperatorTemp, p2);
                break;
            default:
                break;
        }
    }
    const std::string keyOpt = row.getText("KEY_OPT");
    if (keyOpt.size() == 8) {
        dtpTime.hour = static_cast<int>(Val(keyOpt.substr(0, 2)));
        dtpTime.minute = static_cast<int>(Val(keyOpt.substr(3, 2)));
        dtpTime.second = static_cast<int>(Val(keyOpt.substr(6, 2)));
    }
    // The delays of an action come back into their boxes.
    if (txtKey_OPT.visible) txtKey_OPT.text = keyOpt;
    if (idObj_ == obj::kRandomDelay && IdArea == area::kActions) {
        txtKey_OPT2.text = std::to_string(p1);
        sel(cmbCosa2, p2);
    }
}

// ---------------------------------------------------------------- state

std::vector<PropRow> PropertyDialog::VisibleRows() const {
    std::vector<PropRow> out;
    for (int i = 0; i < kPropRowCount; ++i)
        if (rows_[static_cast<size_t>(i)]) out.push_back(static_cast<PropRow>(i));
    return out;
}

std::string PropertyDialog::StateText() const {
    std::ostringstream o;
    // Numbers as the C locale writes them (no grouping), whatever the process
    // locale is.
    o.imbue(std::locale::classic());
    auto list = [&](const char* name, const ListBox& l) {
        o << name << ": n=" << l.count() << " sel=" << l.index()
          << " data=" << (l.data() ? std::to_string(*l.data()) : "-") << " en=" << l.enabled
          << " vis=" << l.visible << "\n";
    };
    auto spin = [&](const char* name, const Spinner& s) {
        o << name << ": " << s.value << " [" << s.min << "," << s.max << "] en=" << s.enabled
          << " vis=" << s.visible << "\n";
    };
    auto box = [&](const char* name, const TextBox& t) {
        o << name << ": '" << t.text << "' tag=" << t.tag << " vis=" << t.visible << "\n";
    };
    o << "obj=" << idObj_ << " area=" << IdArea << " chi=" << lblChiTag << "\nrows:";
    for (PropRow r : VisibleRows()) o << " " << static_cast<int>(r);
    o << "\n";
    list("cmbCosa", cmbCosa);
    list("cmbCosa2", cmbCosa2);
    list("cmbDove", cmbDove);
    list("cmbLevel", cmbLevel);
    list("cmbADDInt", cmbADDInt);
    list("cmbOperatorTemp", cmbOperatorTemp);
    list("cmbSonda", cmbSonda);
    for (size_t i = 0; i < cmbPos.size(); ++i)
        list(("cmbPos" + std::to_string(8 + i)).c_str(), cmbPos[i]);
    spin("UpDownTemp", UpDownTemp);
    spin("UpDownHour", UpDownHour);
    spin("UpDownMin", UpDownMin);
    spin("UpDownSec", UpDownSec);
    spin("UpDownDovePI", UpDownDovePI);
    box("txtDOVEPI", txtDOVEPI);
    box("txtValue", txtValue);
    box("txtKey_OPT", txtKey_OPT);
    box("txtKey_OPT2", txtKey_OPT2);
    box("txtDescri", txtDescri);
    o << "dtpTime: " << (dtpTimeVisible ? dtpTime.text() : "hidden") << "\n";
    o << "captions: " << lblCosa.id << " " << lblDove.id << " " << lblTemp.id << " " << lblSonda.id
      << "\n";
    return o.str();
}

}  // namespace tessed::editor
