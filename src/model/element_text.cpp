#include "model/element_text.h"

#include <clocale>
#include <optional>

#include "env/database.h"
#include "env/environment.h"
#include "env/texts.h"
#include "model/schema.h"

namespace tessed::model {

namespace {

constexpr const char* kCr = "\r";

// Action-only cases produce text only for rows of this table.
constexpr std::string_view kActionTable = "TMP_STEP_ACT";
// Object 38's comparison text is built only for conditions.
constexpr std::string_view kConditionTable = "TMP_COND_OK";

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

std::string TwoDigits(int64_t v) {
    std::string digits = std::to_string(v < 0 ? -v : v);
    if (digits.size() < 2) digits.insert(0, 2 - digits.size(), '0');
    return v < 0 ? "-" + digits : digits;
}

// A where code with at least two digits when it is a whole number ("5" gives
// "05"); any other text stays as it is stored.
std::string WhereNumberTwoDigits(const std::string& open) {
    if (open.empty()) return open;
    size_t i = (open[0] == '-') ? 1 : 0;
    if (i == open.size()) return open;
    for (size_t k = i; k < open.size(); ++k)
        if (open[k] < '0' || open[k] > '9') return open;
    if (open.size() - i > 18) return open;
    return TwoDigits(std::stoll(open));
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
    if (addInt > 0) suffix += "-" + TwoDigits(addInt);
    return suffix;
}

// The probe count and comparison of a temperature condition (object 38).
std::string ComparisonText(const std::optional<db::Row>& row) {
    std::string extra;
    if (auto p = IntField(row, "PARAM_1")) {
        if (*p == 1)
            extra += texts::GetText(1537) + kCr;
        else if (*p >= 2 && *p <= 9)
            extra += texts::Format(texts::GetText(1538), {std::to_string(*p - 1)}) + kCr;
    }
    auto code = IntField(row, "PARAM_2");
    auto value = IntField(row, "PARAM_3");
    static constexpr const char* kOperators[] = {">=", "<=", ">", "<"};
    if (code && *code >= 0 && *code <= 3 && value)
        extra += texts::Format(texts::GetText(1580), {kOperators[*code], Tenths(*value)});
    return extra;
}

}  // namespace

std::string Tenths(int64_t value) {
    const char* point = ".";
    if (const std::lconv* lc = std::localeconv(); lc && lc->decimal_point && *lc->decimal_point)
        point = lc->decimal_point;
    // Work on the magnitude as unsigned so that the most negative value is safe.
    uint64_t magnitude = value < 0 ? 0 - static_cast<uint64_t>(value) : uint64_t(value);
    std::string text = (value < 0 ? "-" : "") + std::to_string(magnitude / 10);
    if (magnitude % 10) text += point + std::to_string(magnitude % 10);
    return text;
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
        case 24:
            if (action)
                text = texts::GetText(1584) + " " +
                       WhereNumberTwoDigits(LookupWhere(db, DOVE_KEY).number) +
                       LevelSuffix(db, LEVEL_KEY, ADD_INT);
            break;
        case 26:
        case 27:
            if (action)
                text = LookupWhere(db, DOVE_KEY).text + LevelSuffix(db, LEVEL_KEY, ADD_INT);
            break;
        case 49:
            if (action)
                text = texts::GetText(1655) + " " + LookupWhere(db, DOVE_KEY).number +
                       LevelSuffix(db, LEVEL_KEY, ADD_INT);
            break;
        case 28:
            if (COSA_KEY == 161)
                text = texts::GetText(1586);
            else if (action)
                text = texts::GetText(1585) + " " +
                       WhereNumberTwoDigits(LookupWhere(db, DOVE_KEY).number) +
                       LevelSuffix(db, LEVEL_KEY, ADD_INT);
            break;
        case 29:
            text = texts::GetText(1579);
            break;
        case 31:
            if (action)
                text = texts::GetText(1583) + " " +
                       WhereNumberTwoDigits(LookupWhere(db, DOVE_KEY).number);
            break;
        case 33:
        case 41:
            if (COSA_KEY == 258) text = texts::GetText(1582);
            break;
        case 34:
        case 37:
            if (action && COSA_KEY == (ID_OBJ == 34 ? 236 : 237)) {
                if (auto p = IntField(ElementRow(db, tableName, ID), "PARAM_1"))
                    extra = texts::Format(texts::GetText(1581), {Tenths(*p)});
            }
            break;
        case 38:
            if (IsTable(tableName, kConditionTable))
                extra = ComparisonText(ElementRow(db, tableName, ID));
            break;
        case 39:
        case 54:
        case 61:
            text = WhatDescription(db, COSA_KEY) + kCr;
            break;
        default:
            text = LookupWhere(db, DOVE_KEY).text + LevelSuffix(db, LEVEL_KEY, ADD_INT);
            break;
    }
    if ((ID_OBJ == 34 || ID_OBJ == 37 || ID_OBJ == 38) && !extra.empty())
        text += kCr + extra;
    return text;
}

std::string ElementText(int64_t ID, int64_t ID_OBJ, int64_t COSA_KEY, int64_t DOVE_KEY,
                        int64_t LEVEL_KEY, int64_t ADD_INT, std::string_view tableName) {
    return ElementText(env::Env().master(), ID, ID_OBJ, COSA_KEY, DOVE_KEY, LEVEL_KEY, ADD_INT,
                       tableName);
}

}  // namespace tessed::model
