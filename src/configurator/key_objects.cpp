#include "configurator/key_objects.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <map>
#include <set>

#include "configurator/conversion.h"
#include "env/database.h"
#include "env/strings.h"

namespace tessed::configurator {

namespace {

// The device's associations with their configuration conditions, in object
// order. Key systems compare without letter case, as the catalogue's do.
std::vector<db::Row> associationRows(db::Database& db, const cObjOleDrag& d) {
    return db.query(
        "SELECT ASS_KEYOBJ_OBJ.ID_ASS AS ID_ASS_KO, ASS_KEYOBJ_OBJ.ID_OBJ, "
        "ANA_OGGETTI.ID_FAMIGLIA, ANA_OGGETTI.DESCRI_OBJ, ANA_KEYCONF.ID_ASS, "
        "ANA_KEYCONF.KEY_CONF, ANA_KEYCONF.KEY_VALUE FROM (ASS_KEYOBJ_OBJ LEFT JOIN ANA_KEYCONF "
        "ON ASS_KEYOBJ_OBJ.ID_ASS = ANA_KEYCONF.ID_ASS) INNER JOIN ANA_OGGETTI ON "
        "ASS_KEYOBJ_OBJ.ID_OBJ = ANA_OGGETTI.ID_OBJ WHERE ASS_KEYOBJ_OBJ.ID_KO = ? AND "
        "ASS_KEYOBJ_OBJ.ID_AREA = ? AND ASS_KEYOBJ_OBJ.KEY_SYSTEM = ? COLLATE NOCASE "
        "ORDER BY ASS_KEYOBJ_OBJ.ID_OBJ, ASS_KEYOBJ_OBJ.ID_ASS, ANA_KEYCONF.rowid",
        {d.ID_KO, d.ID_AREA, d.KEY_SYSTEM});
}

// A row without a condition matches; a row with one when the device's
// configuration value of that name is exactly the required value.
bool matches(const db::Row& r, const cObjOleDrag& d) {
    if (r["ID_ASS"].isNull()) return true;
    auto v = ConfValue(d.ConfTable.get(), r.getText("KEY_CONF"));
    return v && *v == r.getText("KEY_VALUE");
}

int32_t int32Of(int64_t v) {
    return static_cast<int32_t>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX));
}

std::optional<int> listData(int64_t key) {
    if (key <= 0 || key > INT_MAX) return std::nullopt;
    return static_cast<int>(key);
}

Found first(std::vector<db::Row> rows, const char* key, const char* description,
            const std::string& code) {
    Found f;
    if (rows.empty()) return f;
    f.key = rows.front().getInt(key);
    f.description = rows.front().getText(description);
    f.code = code;
    return f;
}

}  // namespace

std::vector<Candidate> AmbiguousCandidates(db::Database& db, const cObjOleDrag& device) {
    try {
        auto count = db.queryOne(
            "SELECT COUNT(ASS_KEYOBJ_OBJ.ID_ASS) AS NUM_ID_ASS FROM ASS_KEYOBJ_OBJ LEFT JOIN "
            "ANA_KEYCONF ON ASS_KEYOBJ_OBJ.ID_ASS = ANA_KEYCONF.ID_ASS WHERE "
            "ASS_KEYOBJ_OBJ.ID_KO = ? AND ASS_KEYOBJ_OBJ.ID_AREA = ? AND "
            "ASS_KEYOBJ_OBJ.KEY_SYSTEM = ? COLLATE NOCASE AND ANA_KEYCONF.ID_ASS IS NULL",
            {device.ID_KO, device.ID_AREA, device.KEY_SYSTEM});
        if (!count || count->getInt("NUM_ID_ASS") <= 1) return {};
        std::vector<Candidate> out;
        std::set<int32_t> seen;
        for (const db::Row& r : associationRows(db, device)) {
            const int32_t obj = int32Of(r.getInt("ID_OBJ"));
            if (!matches(r, device) || !seen.insert(obj).second) continue;
            out.push_back({obj, r.getText("DESCRI_OBJ")});
        }
        if (out.size() <= 1) return {};
        return out;
    } catch (const db::Error&) {
        return {};
    }
}

bool ResolveKeyObject(db::Database& db, cObjOleDrag& device, std::optional<int32_t> chosen) {
    std::vector<db::Row> rows;
    try {
        rows = associationRows(db, device);
    } catch (const db::Error&) {
        return false;
    }
    for (const db::Row& r : rows) {
        const int32_t obj = int32Of(r.getInt("ID_OBJ"));
        if (chosen && obj != *chosen) continue;
        if (!matches(r, device)) continue;
        device.ID_ASS = int32Of(r.getInt("ID_ASS_KO"));
        device.ID_OBJ = obj;
        device.ID_FAMIGLIA = int32Of(r.getInt("ID_FAMIGLIA"));
        return true;
    }
    return false;
}

KeyObjectResolution KeyObjectResolution::Begin(db::Database& db, const cObjOleDrag& device) {
    KeyObjectResolution r;
    r.candidates_ = AmbiguousCandidates(db, device);
    if (r.candidates_.empty()) return r;
    r.choice_ = std::make_unique<editor::AmbiguityDialog>();
    for (const Candidate& c : r.candidates_) r.choice_->cmbAmbiguo.add(c.description, c.idObj);
    r.choice_->cmbAmbiguo.setIndex(0);
    return r;
}

bool KeyObjectResolution::Finish(db::Database& db, cObjOleDrag& device) const {
    if (!choice_) return ResolveKeyObject(db, device);
    // A choice the user declined chooses nothing.
    if (!choice_->Confirmed) return false;
    auto chosen = choice_->Result();
    if (!chosen) return false;
    return ResolveKeyObject(db, device, *chosen);
}

Found LookupWhere(db::Database& db, int32_t idObj, int32_t idArea, const std::string& value) {
    try {
        return first(db.query("SELECT ANA_DOVE.ID_DOVE, ANA_DOVE.DESCRI_DOVE FROM ANA_DOVE INNER "
                              "JOIN ASS_OBJ_DOVE ON ANA_DOVE.ID_DOVE = ASS_OBJ_DOVE.ID_DOVE WHERE "
                              "ASS_OBJ_DOVE.ID_OBJ = ? AND ASS_OBJ_DOVE.ID_AREA = ? AND "
                              "ANA_DOVE.OPEN_DOVE = ? ORDER BY ASS_OBJ_DOVE.ORDINE LIMIT 1",
                              {idObj, idArea, value}),
                     "ID_DOVE", "DESCRI_DOVE", value);
    } catch (const db::Error&) {
        return {};
    }
}

Found LookupWhat(db::Database& db, int32_t idObj, int32_t idArea, const std::string& value) {
    try {
        return first(db.query("SELECT ANA_COSA.ID_COSA, ANA_COSA.DESCRI_COSA FROM ANA_COSA INNER "
                              "JOIN ASS_OBJ_COSA ON ANA_COSA.ID_COSA = ASS_OBJ_COSA.ID_COSA WHERE "
                              "ANA_COSA.OPEN_COSA = ? AND ASS_OBJ_COSA.ID_OBJ = ? AND "
                              "ASS_OBJ_COSA.ID_AREA = ? ORDER BY ASS_OBJ_COSA.ORDINE LIMIT 1",
                              {value, idObj, idArea}),
                     "ID_COSA", "DESCRI_COSA", value);
    } catch (const db::Error&) {
        return {};
    }
}

Found LookupLevel(db::Database& db, int64_t whereKey, int32_t busLevel) {
    const std::string select =
        "SELECT ANA_RULE_OPEN_EXT.ID_OPEN_EXT, ANA_RULE_OPEN_EXT.DESCRI FROM ASS_RULE_OPEN_DOVE "
        "INNER JOIN ANA_RULE_OPEN_EXT ON ASS_RULE_OPEN_DOVE.ID_OPEN_EXT = "
        "ANA_RULE_OPEN_EXT.ID_OPEN_EXT WHERE ASS_RULE_OPEN_DOVE.ID_DOVE = ? AND ";
    const std::string order = " ORDER BY ANA_RULE_OPEN_EXT.ID_OPEN_EXT LIMIT 1";
    try {
        // Bus level 3 is the plain level, which has no LEVEL_OPEN.
        if (busLevel == 3)
            return first(
                db.query(select + "ANA_RULE_OPEN_EXT.LEVEL_OPEN IS NULL" + order, {whereKey}),
                "ID_OPEN_EXT", "DESCRI", {});
        return first(db.query(select + "ANA_RULE_OPEN_EXT.LEVEL_OPEN = ?" + order,
                              {whereKey, std::to_string(busLevel)}),
                     "ID_OPEN_EXT", "DESCRI", {});
    } catch (const db::Error&) {
        return {};
    }
}

AppliedRule::Property PropertyOf(std::string_view name) {
    using P = AppliedRule::Property;
    const std::string n = str::ToUpper(str::Trim(name));
    if (n == "ID_DOVE") return P::kWhere;
    if (n == "LEVEL_KEY") return P::kLevel;
    if (n == "ID_COSA") return P::kWhat;
    if (n == "ADD_INT") return P::kInterface;
    if (n == "SONDA") return P::kProbe;
    if (n == "DESCRI") return P::kDescription;
    return P::kOther;
}

std::vector<AppliedRule> ComputeParameters(db::Database& db, const cObjOleDrag& device) {
    using P = AppliedRule::Property;
    const ConfValues* conf = device.ConfTable.get();
    const std::string rulesSql =
        "SELECT ANA_PARAMETER.*, ANA_PARAMETER.rowid AS RULE_ROW, ANA_CONVERSION_TYPE.CONVERSION "
        "FROM ANA_PARAMETER INNER JOIN ANA_CONVERSION_TYPE ON ANA_PARAMETER.ID_CONV_TYPE = "
        "ANA_CONVERSION_TYPE.ID_CONV_TYPE WHERE ANA_PARAMETER.ID_ASS = ?";
    const std::string orderSql = " ORDER BY ANA_PARAMETER.\"ORDER\", RULE_ROW";
    auto where = [&](const db::Row& r) {
        auto v =
            RuleValue(conf, r.getBool("CUSTOM"), r.getText("PARAMETER"), r.getText("CONVERSION"));
        return v ? LookupWhere(db, device.ID_OBJ, device.ID_AREA, *v) : Found{};
    };
    auto what = [&](const db::Row& r) {
        auto v = RuleValue(conf, false, r.getText("PARAMETER"), r.getText("CONVERSION"));
        return v ? LookupWhat(db, device.ID_OBJ, device.ID_AREA, *v) : Found{};
    };

    // Properties with several rules: the first rule (by rank) whose lookup
    // finds a key is the one applied; none when no rule finds one.
    std::map<std::string, std::optional<int64_t>> chosen;
    try {
        for (const db::Row& p :
             db.query("SELECT UPPER(ANA_PARAMETER.PROPERTY) AS PROPERTY, "
                      "COUNT(ANA_PARAMETER.PROPERTY) AS N FROM ANA_PARAMETER WHERE "
                      "ANA_PARAMETER.ID_ASS = ? GROUP BY UPPER(ANA_PARAMETER.PROPERTY) "
                      "HAVING COUNT(ANA_PARAMETER.PROPERTY) > 1",
                      {device.ID_ASS})) {
            std::optional<int64_t>& pick = chosen[p.getText("PROPERTY")];
            for (const db::Row& r :
                 db.query(rulesSql + " AND UPPER(ANA_PARAMETER.PROPERTY) = ?" + orderSql,
                          {device.ID_ASS, p.getText("PROPERTY")})) {
                const P kind = PropertyOf(r.getText("PROPERTY"));
                const Found f = kind == P::kWhere ? where(r) : kind == P::kWhat ? what(r) : Found{};
                if (f.key != 0) {
                    pick = r.getInt("ORDER");
                    break;
                }
            }
        }
    } catch (const db::Error&) {
    }

    std::vector<AppliedRule> out;
    std::vector<db::Row> rules;
    try {
        rules = db.query(rulesSql + orderSql, {device.ID_ASS});
    } catch (const db::Error&) {
        return out;
    }
    int64_t whereKey = 0;
    for (const db::Row& r : rules) {
        AppliedRule a;
        a.name = r.getText("PROPERTY");
        a.property = PropertyOf(a.name);
        a.order = static_cast<int>(std::clamp<int64_t>(r.getInt("ORDER"), INT_MIN, INT_MAX));
        if (auto it = chosen.find(str::ToUpper(a.name)); it != chosen.end())
            if (!it->second || *it->second != r.getInt("ORDER")) continue;
        switch (a.property) {
            case P::kWhere:
                a.found = where(r);
                whereKey = a.found.key;
                break;
            case P::kLevel:
                if (whereKey != 0) a.found = LookupLevel(db, whereKey, device.BUS_LEVEL);
                break;
            case P::kWhat:
                a.found = what(r);
                break;
            case P::kInterface:
                if (r.getBool("CUSTOM")) {
                    // The interface number: I1 for a part "I1", I2 for a part
                    // "I2", each only when it is above 0.
                    int64_t sum = 0;
                    const std::string parts = str::ToUpper(r.getText("PARAMETER"));
                    size_t start = 0;
                    for (size_t plus = 0; plus != std::string::npos; start = plus + 1) {
                        plus = parts.find('+', start);
                        const std::string_view part = str::Trim(std::string_view(parts).substr(
                            start, plus == std::string::npos ? std::string::npos : plus - start));
                        if (part == "I1" && device.I1 > 0) sum += device.I1;
                        if (part == "I2" && device.I2 > 0) sum += device.I2;
                    }
                    a.number = static_cast<int>(std::clamp<int64_t>(sum, 0, INT_MAX));
                }
                break;
            case P::kProbe:
                if (auto sla = ConfValue(conf, "SLA")) {
                    const double n = Val(*sla) + 1;
                    if (n > 0 && n <= INT_MAX) a.number = static_cast<int>(n);
                }
                break;
            case P::kDescription:
                a.text = device.USERDESCRIPTION;
                break;
            case P::kOther:
                break;
        }
        out.push_back(std::move(a));
    }
    return out;
}

void ApplyRules(editor::PropertyDialog& d, const std::vector<AppliedRule>& rules) {
    using P = AppliedRule::Property;
    for (const AppliedRule& a : rules) {
        switch (a.property) {
            case P::kWhere:
                if (auto k = listData(a.found.key))
                    if (int i = d.cmbDove.find(*k); i >= 0) d.SelectDove(i);
                break;
            case P::kLevel:
                if (auto k = listData(a.found.key))
                    if (int i = d.cmbLevel.find(*k); i >= 0) d.SelectLevel(i);
                break;
            case P::kWhat:
                if (auto k = listData(a.found.key))
                    if (int i = d.cmbCosa.find(*k); i >= 0) d.SelectCosa(i);
                break;
            case P::kInterface:
                if (a.number)
                    if (int i = d.cmbADDInt.find(*a.number); i >= 0) d.SelectAddInt(i);
                break;
            case P::kProbe:
                if (a.number && *a.number > 0)
                    if (int i = d.cmbSonda.find(*a.number); i >= 0) d.cmbSonda.setIndex(i);
                break;
            case P::kDescription:
                d.txtDescri.text = editor::LimitLength(a.text, d.txtDescri.maxLength);
                break;
            case P::kOther:
                break;
        }
    }
}

void ApplyParameters(db::Database& db, editor::PropertyDialog& dialog, const cObjOleDrag& device) {
    ApplyRules(dialog, ComputeParameters(db, device));
}

}  // namespace tessed::configurator
