#include "model/element_text.h"

#include <optional>

#include "env/database.h"
#include "env/environment.h"
#include "env/strings.h"
#include "env/texts.h"
#include "model/catalogue_ids.h"
#include "model/schema.h"

namespace tessed::model {

namespace {

constexpr const char* kCr = "\r";

// Action-only cases produce text only for rows of this table.
constexpr std::string_view kActionTable = "TMP_STEP_ACT";
// Object 38's comparison text is built only for conditions.
constexpr std::string_view kConditionTable = "TMP_COND_OK";

// Texts of the element descriptions.
constexpr long kZoneProbeText = 1537;
constexpr long kAdditionalProbeText = 1538;  // "%1": the probe's number
constexpr long kAllLightsText = 1579;
constexpr long kComparisonText = 1580;   // "%1" operator, "%2" temperature
constexpr long kTemperatureText = 1581;  // "%1" temperature
constexpr long kAllScenariosText = 1582;
constexpr long kAmplifierText = 1583;
constexpr long kGroupText = 1584;
constexpr long kRoomText = 1585;
constexpr long kGeneralSwitchOffText = 1586;
constexpr long kLightPointText = 1655;

// One catalogue row, or nothing when the lookup fails for any reason.
std::optional<db::Row> LookupRow(db::Database& db, std::string_view sql, int64_t key) {
    if (!db.isOpen()) return std::nullopt;
    try {
        return db.queryOne(sql, {db::Value(static_cast<long long>(key))});
    } catch (const db::Error&) {
        return std::nullopt;
    }
}

// The element's own row. The table name goes into the statement only when it is
// one of the fixed working-table names, spelled as the schema spells it.
std::optional<db::Row> ElementRow(db::Database& db, std::string_view table, int64_t id) {
    for (auto name : schema::kElementTables) {
        if (db::iequals(name, table))
            return LookupRow(db, "SELECT * FROM " + std::string(name) + " WHERE ID=?", id);
    }
    return std::nullopt;
}

bool IsTable(std::string_view table, std::string_view name) { return db::iequals(table, name); }

// An integer value of a row's column; nothing when the row or the value is missing.
std::optional<int64_t> IntField(const std::optional<db::Row>& row, std::string_view column) {
    if (!row) return std::nullopt;
    const db::Value& v = (*row)[column];
    if (v.isNull()) return std::nullopt;
    return v.toInt();
}

// A where code with at least two digits when it is a whole number ("5" gives
// "05"); any other text stays as it is stored.
std::string WhereNumberTwoDigits(const std::string& open) {
    if (open.empty()) return open;
    size_t i = (open[0] == '-') ? 1 : 0;
    if (i == open.size()) return open;
    for (size_t k = i; k < open.size(); ++k)
        if (!str::IsDigit(open[k])) return open;
    if (open.size() - i > 18) return open;
    return str::TwoDigits(str::LenientInt(open));
}

struct Where {
    std::string text;    // DESCRI_DOVE
    std::string number;  // OPEN_DOVE
};

Where LookupWhere(db::Database& db, int64_t doveKey) {
    Where w;
    auto row = LookupRow(db, "SELECT * FROM ANA_DOVE WHERE ID_DOVE=?", doveKey);
    if (row) {
        w.text = row->getText("DESCRI_DOVE");
        w.number = row->getText("OPEN_DOVE");
    }
    return w;
}

// "-" and the level, then "-" and the interface with two digits; nothing when
// the level row is missing or has no level.
std::string LevelSuffix(db::Database& db, int64_t levelKey, int64_t addInt) {
    if (levelKey <= 0) return {};
    auto row = LookupRow(db, "SELECT * FROM ANA_RULE_OPEN_EXT WHERE ID_OPEN_EXT=?", levelKey);
    if (!row || (*row)["LEVEL_OPEN"].isNull()) return {};
    std::string suffix = "-" + row->getText("LEVEL_OPEN");
    if (addInt > 0) suffix += "-" + str::TwoDigits(addInt);
    return suffix;
}

// The probe and comparison of a zone reading (object 38).
std::string ZoneReadingText(const std::optional<db::Row>& row) {
    std::string extra;
    if (auto p = IntField(row, "PARAM_1")) {
        if (std::string probe = ProbeText(*p); !probe.empty()) extra += probe + kCr;
    }
    auto code = IntField(row, "PARAM_2");
    auto value = IntField(row, "PARAM_3");
    if (code && value) extra += ZoneComparisonText(*code, *value);
    return extra;
}

// The magnitude's whole part and its tenth, with the sign before them; the
// unsigned magnitude keeps the most negative value safe.
std::string TenthsText(int64_t value, bool alwaysDecimal) {
    const uint64_t magnitude = value < 0 ? 0 - static_cast<uint64_t>(value) : uint64_t(value);
    std::string text = (value < 0 ? "-" : "") + std::to_string(magnitude / 10);
    if (alwaysDecimal || magnitude % 10) text += "." + std::to_string(magnitude % 10);
    return text;
}

}  // namespace

std::string Tenths(int64_t value) { return TenthsText(value, false); }

std::string TenthsOneDecimal(int64_t value) { return TenthsText(value, true); }

std::string_view ComparisonOperator(int64_t code) {
    static constexpr std::string_view kOperators[] = {">=", "<=", ">", "<", "="};
    if (code < 1 || code > 5) return {};
    return kOperators[code - 1];
}

std::string ProbeText(int64_t code) {
    if (code == kFirstProbeCode) return texts::GetText(kZoneProbeText);
    if (code > kFirstProbeCode && code <= kLastProbeCode)
        return texts::Format(texts::GetText(kAdditionalProbeText),
                             {std::to_string(code - kFirstProbeCode)});
    return {};
}

std::string ZoneComparisonText(int64_t operatorCode, int64_t tenths) {
    // "=" is no choice of the zone reading's list.
    if (operatorCode < 1 || operatorCode > 4) return {};
    return texts::Format(texts::GetText(kComparisonText),
                         {std::string(ComparisonOperator(operatorCode)), Tenths(tenths)});
}

std::string WhatDescription(db::Database& db, int64_t ID_COSA) {
    auto row = LookupRow(db, "SELECT * FROM ANA_COSA WHERE ID_COSA=?", ID_COSA);
    return row ? row->getText("DESCRI_COSA") : std::string();
}

std::string WhatDescription(int64_t ID_COSA) {
    return WhatDescription(env::Env().master(), ID_COSA);
}

std::string ElementText(db::Database& db, int64_t ID, int64_t ID_OBJ, int64_t COSA_KEY,
                        int64_t DOVE_KEY, int64_t LEVEL_KEY, int64_t ADD_INT,
                        std::string_view tableName) {
    const bool action = IsTable(tableName, kActionTable);
    std::string text;
    std::string extra;
    switch (ID_OBJ) {
        case obj::kLightGroup:
            if (action)
                text = texts::GetText(kGroupText) + " " +
                       WhereNumberTwoDigits(LookupWhere(db, DOVE_KEY).number) +
                       LevelSuffix(db, LEVEL_KEY, ADD_INT);
            break;
        case obj::kScenarioModule:
        case obj::kTimedLight:
            if (action) text = LookupWhere(db, DOVE_KEY).text + LevelSuffix(db, LEVEL_KEY, ADD_INT);
            break;
        case obj::kLightByAddress:
            if (action)
                text = texts::GetText(kLightPointText) + " " + LookupWhere(db, DOVE_KEY).number +
                       LevelSuffix(db, LEVEL_KEY, ADD_INT);
            break;
        case obj::kRoomLights:
            if (COSA_KEY == what::kGeneralSwitchOff)
                text = texts::GetText(kGeneralSwitchOffText);
            else if (action)
                text = texts::GetText(kRoomText) + " " +
                       WhereNumberTwoDigits(LookupWhere(db, DOVE_KEY).number) +
                       LevelSuffix(db, LEVEL_KEY, ADD_INT);
            break;
        case obj::kAllLights:
            text = texts::GetText(kAllLightsText);
            break;
        case obj::kVolume:
            if (action)
                text = texts::GetText(kAmplifierText) + " " +
                       WhereNumberTwoDigits(LookupWhere(db, DOVE_KEY).number);
            break;
        case obj::kProgrammedScenario:
        case obj::kEnableScenario:
            if (COSA_KEY == what::kAllScenariosDisabled) text = texts::GetText(kAllScenariosText);
            break;
        case obj::kCentralUnit:
        case obj::kZoneSetPoint:
            if (action &&
                COSA_KEY == (ID_OBJ == obj::kCentralUnit ? what::kCentralUnitManualTemperature
                                                         : what::kZoneSetTemperature)) {
                if (auto p = IntField(ElementRow(db, tableName, ID), "PARAM_1"))
                    extra = texts::Format(texts::GetText(kTemperatureText), {Tenths(*p)});
            }
            break;
        case obj::kZoneReading:
            if (IsTable(tableName, kConditionTable))
                extra = ZoneReadingText(ElementRow(db, tableName, ID));
            break;
        case obj::kCentralStatus:
        case obj::kTariffBand:
        case obj::kAlarmPanel:
            text = WhatDescription(db, COSA_KEY) + kCr;
            break;
        default:
            text = LookupWhere(db, DOVE_KEY).text + LevelSuffix(db, LEVEL_KEY, ADD_INT);
            break;
    }
    // Only these three build an extra text.
    if (!extra.empty()) text += kCr + extra;
    return text;
}

std::string ElementText(int64_t ID, int64_t ID_OBJ, int64_t COSA_KEY, int64_t DOVE_KEY,
                        int64_t LEVEL_KEY, int64_t ADD_INT, std::string_view tableName) {
    return ElementText(env::Env().master(), ID, ID_OBJ, COSA_KEY, DOVE_KEY, LEVEL_KEY, ADD_INT,
                       tableName);
}

}  // namespace tessed::model
