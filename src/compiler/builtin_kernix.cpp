#include "compiler/builtin_kernix.h"

#include <array>
#include <cstdio>
#include <map>

#include "compiler/external_kernix.h"
#include "compiler/frames.h"
#include "env/database.h"
#include "env/files.h"
#include "env/texts.h"
#include "env/version.h"
#include "model/time_text.h"

namespace tessed::compiler {

namespace {

// Texts of the compiler's own findings and progress.
enum : long {
    kTxtCompiling = 1900,
    kTxtNoTrigger = 1901,
    kTxtNoAction = 1902,
    kTxtNoOperator = 1903,
    kTxtTooMany = 1904,
    kTxtBadTime = 1905,
    kTxtBadWho = 1906,
    kTxtBadWhat = 1907,
    kTxtBadWhere = 1908,
    kTxtBadObject = 1909,
    kTxtCompiled = 1910,
    kTxtCannotWrite = 1911,
    kTxtMissingValue = 1914,
};

struct Group {
    const char* table;
    long label;  // the group's name, as the listing names its sections
    int limit;   // 0: no limit
};

constexpr std::array<Group, 6> kGroups = {{
    {"TMP_TRIGGER", 1619, kGroupLimit},
    {"TMP_TRIGGERSTOP", 1620, kGroupLimit},
    {"TMP_COND_OK", 1621, kGroupLimit},
    {"TMP_COND_KO", 1912, 0},
    {"TMP_STEP_ACT", 1624, 0},
    {"TMP_STEP_ACT_ELSE", 1913, 0},
}};

// Every element of a group with the catalogue values the controller needs.
// Table names come from the fixed list above; values are never in the text.
std::vector<db::Row> elements(db::Database& c, const std::string& t) {
    return c.query(
        "SELECT E.*, ANA_CHI.ID_CHI AS CAT_CHI, ANA_OGGETTI.ID_OBJ AS CAT_OBJ, "
        "ANA_COSA.ID_COSA AS CAT_COSA, ANA_COSA.OPEN_COSA AS OPEN_COSA, "
        "ANA_DOVE.ID_DOVE AS CAT_DOVE, ANA_DOVE.OPEN_DOVE AS OPEN_DOVE, "
        "ANA_RULE_OPEN_EXT.ID_OPEN_EXT AS CAT_LEVEL, "
        "ANA_RULE_OPEN_EXT.LEVEL_OPEN AS LEVEL_OPEN FROM " +
        t +
        " AS E "
        "LEFT JOIN ANA_CHI ON ANA_CHI.ID_CHI = E.CHI_KEY "
        "LEFT JOIN ANA_OGGETTI ON ANA_OGGETTI.ID_OBJ = E.ID_OBJ "
        "LEFT JOIN ANA_COSA ON ANA_COSA.ID_COSA = E.COSA_KEY "
        "LEFT JOIN ANA_DOVE ON ANA_DOVE.ID_DOVE = E.DOVE_KEY "
        "LEFT JOIN ANA_RULE_OPEN_EXT ON ANA_RULE_OPEN_EXT.ID_OPEN_EXT = E.LEVEL_KEY "
        "ORDER BY E.ORDINE, E.ID");
}

std::vector<db::Row> operators(db::Database& c, const std::string& t) {
    return c.query("SELECT ID_OPE, ID1, ID2 FROM " + t + " ORDER BY ID1, ID2, ID_OPE");
}

bool isDigits(const std::string& s, size_t from, size_t n) {
    if (from + n > s.size()) return false;
    for (size_t i = from; i < from + n; ++i)
        if (s[i] < '0' || s[i] > '9') return false;
    return true;
}

// "hh-mm-ss" with a real time of day.
bool validClock(const std::string& s) {
    if (s.size() != 8 || s[2] != '-' || s[5] != '-') return false;
    if (!isDigits(s, 0, 2) || !isDigits(s, 3, 2) || !isDigits(s, 6, 2)) return false;
    return std::stoi(s.substr(0, 2)) < 24 && std::stoi(s.substr(3, 2)) < 60 &&
           std::stoi(s.substr(6, 2)) < 60;
}

// Escapes the characters that would break a line or a field of the file.
// A time text of a time element: "KEY=value|" parts whose values are "-1"
// (not set), or pairs of digits or "**" (any) making real hours and minutes.
bool validTimeText(const std::string& s) {
    auto parts = model::SplitTimeText(s);
    if (!parts.valid) return false;
    bool any = false;
    auto pairs = [&](const std::optional<std::string>& v, bool clock) {
        if (!v) return true;
        any = true;
        if (*v == "-1") return true;
        if (v->empty() || v->size() % 2 || v->size() > 8) return false;
        for (size_t i = 0; i < v->size(); i += 2) {
            auto f = model::FieldValue(std::string_view(*v).substr(i, 2));
            if (!f) return false;
            if (clock && *f >= 0 && *f > (i == 0 ? 23 : 59)) return false;
        }
        return true;
    };
    bool ok = pairs(parts.oraFrom, true) && pairs(parts.oraTo, true) &&
              pairs(parts.dataFrom, false) && pairs(parts.dataTo, false);
    if (parts.sett) {
        any = true;
        ok = ok && (*parts.sett == "-1" || model::ParseWeekMask(*parts.sett).has_value());
    }
    return ok && any;
}

std::string esc(const std::string& s) {
    std::string out;
    out.reserve(s.size());
    for (unsigned char c : s) {
        if (c == '%' || c == '|' || c < 0x20 || c == 0x7F) {
            char buf[4];
            std::snprintf(buf, sizeof buf, "%%%02X", c);
            out += buf;
        } else {
            out += char(c);
        }
    }
    return out;
}

std::string num(const db::Value& v) { return std::to_string(v.toInt()); }

std::string text(const db::Value& v) { return v.isNull() ? "" : esc(v.toText()); }

}  // namespace

std::string IconKeyForColour(uint32_t colour) {
    switch (colour) {
        case kColourBlue:
            return "vbblue";
        case kColourRed:
            return "vbred";
        case kColourBlack:
            return "vbblack";
        default:
            return "";
    }
}

std::unique_ptr<Kernix> CreateKernix() {
    std::string program = ConfiguredKernixProgram();
    if (!program.empty()) return std::make_unique<ExternalKernix>(program);
    return std::make_unique<BuiltinKernix>();
}

void BuiltinKernix::report(const std::string& t) {
    findings_.push_back(t);
    Operation(t, kColourRed);
}

void BuiltinKernix::check(db::Database& c) {
    std::map<std::string, std::vector<db::Row>> rows;
    for (const auto& g : kGroups) rows[g.table] = elements(c, g.table);

    if (rows["TMP_TRIGGER"].empty()) report(texts::GetText(kTxtNoTrigger));
    if (rows["TMP_STEP_ACT"].empty()) report(texts::GetText(kTxtNoAction));

    for (const auto& g : kGroups) {
        const auto& list = rows[g.table];
        std::string group = texts::GetText(g.label);
        if (g.limit > 0 && int(list.size()) > g.limit)
            report(texts::Format(texts::GetText(kTxtTooMany),
                                 {group, std::to_string(list.size()), std::to_string(g.limit)}));
        int position = 0;
        for (const auto& r : list) {
            ++position;
            std::string pos = std::to_string(position);
            auto bad = [&](long txt, const std::string& what) {
                report(texts::Format(texts::GetText(txt), {pos, group, what}));
            };
            if (r["CAT_OBJ"].isNull()) bad(kTxtBadObject, num(r["ID_OBJ"]));
            if (r["CAT_CHI"].isNull()) bad(kTxtBadWho, num(r["CHI_KEY"]));
            if (r.getInt("COSA_KEY") != 0 && r["CAT_COSA"].isNull())
                bad(kTxtBadWhat, num(r["COSA_KEY"]));
            if (r.getInt("DOVE_KEY") != 0 && r["CAT_DOVE"].isNull())
                bad(kTxtBadWhere, num(r["DOVE_KEY"]));
            int64_t obj = r.getInt("ID_OBJ");
            std::string keyOpt = r.getText("KEY_OPT");
            bool custom = r.getBool("CUSTOM");
            if (custom && keyOpt.empty()) {
                bad(kTxtMissingValue, "");
            } else if (obj == 8 && custom && !validClock(keyOpt)) {
                bad(kTxtBadTime, keyOpt);
            } else if (obj == 23 && custom && !validClock(keyOpt) && !validTimeText(keyOpt)) {
                bad(kTxtBadTime, keyOpt);
            }
        }
    }

    // Every pair of consecutive conditions must be linked by an operator.
    const auto& conds = rows["TMP_COND_OK"];
    auto links = operators(c, "TMP_OPE_OK");
    for (size_t i = 0; i + 1 < conds.size(); ++i) {
        int64_t a = conds[i].getInt("ID"), b = conds[i + 1].getInt("ID");
        bool linked = false;
        for (const auto& l : links)
            linked = linked || (l.getInt("ID1") == a && l.getInt("ID2") == b);
        if (!linked)
            report(texts::Format(texts::GetText(kTxtNoOperator),
                                 {std::to_string(i + 1), std::to_string(i + 2)}));
    }
}

std::string BuiltinKernix::Render(db::Database& c, const Abilita& enable, const Disabilita& disable,
                                  const std::string& text1, const std::string& text2) {
    std::string out;
    out += "TESSARO-SPT\n";
    out += "format=" + std::to_string(kSptFormatVersion) + "\n";
    out += "name=" + esc(text2) + "\n";
    out += "description=" + esc(text1) + "\n";
    out += "enable=" + esc(BuildCommandFrame(enable)) + "\n";
    out += "disable=" + esc(BuildCommandFrame(disable)) + "\n";
    auto first = c.queryOne("SELECT REPEAT, RESTART FROM TMP_STEP_ACT ORDER BY ORDINE, ID");
    out += std::string("repeat=") + (first && first->getBool("REPEAT") ? "1" : "0") + "\n";
    out += std::string("restart=") + (first && first->getBool("RESTART") ? "1" : "0") + "\n";
    for (const auto& g : kGroups) {
        auto list = elements(c, g.table);
        out += "[" + std::string(g.table) + "] " + std::to_string(list.size()) + "\n";
        for (const auto& r : list) {
            out += "element=" + num(r["ORDINE"]) + "|" + num(r["ID"]) + "|" + num(r["ID_OBJ"]) +
                   "|" + num(r["CHI_KEY"]) + "|" + num(r["COSA_KEY"]) + "|" + text(r["OPEN_COSA"]) +
                   "|" + num(r["DOVE_KEY"]) + "|" + text(r["OPEN_DOVE"]) + "|" +
                   (r.getBool("CUSTOM") ? "1" : "0") + "|" + num(r["LEVEL_KEY"]) + "|" +
                   text(r["LEVEL_OPEN"]) + "|" + num(r["ADD_INT"]);
            for (const char* p : {"PARAM_1", "PARAM_2", "PARAM_3", "PARAM_4", "PARAM_5"})
                out += "|" + num(r[p]);
            out += "|" + text(r["KEY_OPT"]) + "\n";
        }
    }
    for (const char* t : {"TMP_OPE_OK", "TMP_OPE_KO"}) {
        auto list = operators(c, t);
        out += "[" + std::string(t) + "] " + std::to_string(list.size()) + "\n";
        for (const auto& r : list)
            out +=
                "operator=" + num(r["ID_OPE"]) + "|" + num(r["ID1"]) + "|" + num(r["ID2"]) + "\n";
    }
    out += "end\n";
    return out;
}

void BuiltinKernix::Compile(db::Database& c, const std::string& sptPath, const std::string& text1,
                            const std::string& text2, std::string& errorText, int32_t& status) {
    findings_.clear();
    errorText.clear();
    status = 0;
    Operation(texts::Format(texts::GetText(kTxtCompiling), {text2}), kColourBlue);
    try {
        check(c);
    } catch (const db::Error& e) {
        report(e.what());
    }
    if (!findings_.empty()) {
        errorText = findings_.front();
        return;
    }
    std::string content;
    try {
        content = Render(c, enableCommand(), disableCommand(), text1, text2);
    } catch (const db::Error& e) {
        report(e.what());
        errorText = findings_.front();
        return;
    }
    if (!files::WriteFileAtomic(sptPath, content)) {
        report(texts::Format(texts::GetText(kTxtCannotWrite), {sptPath}));
        errorText = findings_.front();
        return;
    }
    Operation(texts::Format(texts::GetText(kTxtCompiled), {text2}), kColourBlack);
    status = -1;
}

}  // namespace tessed::compiler
