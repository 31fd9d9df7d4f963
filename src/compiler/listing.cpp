#include "compiler/listing.h"

#include <cstdint>
#include <filesystem>
#include <vector>

#include "compiler/frames.h"
#include "env/database.h"
#include "env/files.h"
#include "env/strings.h"
#include "env/texts.h"
#include "model/element_text.h"
#include "model/project.h"
#include "model/time_text.h"

namespace tessed::compiler {

using model::ElementText;
using model::Tenths;
using model::WhatDescription;

namespace fs = std::filesystem;

namespace {

enum class Section { Trigger, StopTrigger, Condition, Action };

std::string label(long id) { return texts::GetText(id); }

// A column that holds what the user typed (a description, a time text) is one
// field whatever it holds: its tabs become blanks. Its CRs stay, since a
// description may be listed one line per field.
std::string userText(const db::Row& r, const char* column) {
    return files::CsvField(r.getText(column));
}

// The lines of a description. An empty description has none, so it adds no
// field where a line per field is listed.
std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> out;
    if (text.empty()) return out;
    size_t start = 0;
    for (;;) {
        size_t cr = text.find('\r', start);
        out.push_back(text.substr(start, cr == std::string::npos ? std::string::npos : cr - start));
        if (cr == std::string::npos) break;
        start = cr + 1;
    }
    return out;
}

// Header, command and flag lines: fields joined by tabs, no trailing field.
class Line {
  public:
    explicit Line(std::string first) : text_(std::move(first)) {}
    Line& field(const std::string& f) {
        text_ += "\t" + f;
        return *this;
    }
    Line& empty(int n) {
        for (int i = 0; i < n; ++i) field("");
        return *this;
    }
    const std::string& str() const { return text_; }

  private:
    std::string text_;
};

// Element lines carry a tab after each field they add, so they end with an
// empty field, except where `last` closes the line without one.
struct ElementLine {
    std::string text;
    void add(const std::string& f) { text += f + "\t"; }
    void addEmpty(int n) {
        for (int i = 0; i < n; ++i) add("");
    }
    void last(const std::string& f) { text += f; }
};

// The section query. The joins keep the meaning of the catalogue's joins: who
// and object must exist (inner), a missing where or level keeps the row
// (outer), and a missing what drops a trigger but keeps a condition or an
// action. "A RIGHT JOIN B" is written as "B LEFT JOIN A", which returns the
// same rows and lets SQLite look the catalogue rows up by key instead of
// scanning the catalogue once per element.
const char* kQuery =
    "SELECT ANA_CHI.DESCRI_CHI, ANA_OGGETTI.DESCRI_OBJ, ANA_COSA.DESCRI_COSA, "
    "ANA_DOVE.DESCRI_DOVE, ANA_RULE_OPEN_EXT.DESCRI AS LEVEL_DESCRI, ANA_RULE_OPEN_EXT.LEVEL_OPEN, "
    "@T.* FROM @T INNER JOIN ANA_CHI ON ANA_CHI.ID_CHI = @T.CHI_KEY "
    "INNER JOIN ANA_OGGETTI ON @T.ID_OBJ = ANA_OGGETTI.ID_OBJ "
    "@J ANA_COSA ON ANA_COSA.ID_COSA = @T.COSA_KEY "
    "LEFT JOIN ANA_DOVE ON ANA_DOVE.ID_DOVE = @T.DOVE_KEY "
    "LEFT JOIN ANA_RULE_OPEN_EXT ON @T.LEVEL_KEY = ANA_RULE_OPEN_EXT.ID_OPEN_EXT "
    "ORDER BY @T.ORDINE ASC";

std::string sectionQuery(const std::string& table, bool keepMissingWhat) {
    std::string q = kQuery;
    str::ReplaceAll(q, "@T", table);
    str::ReplaceAll(q, "@J", keepMissingWhat ? "LEFT JOIN" : "INNER JOIN");
    return q;
}

// The address block: what, where, level, and the interface field whose
// presence depends on the level's bus level.
void addressBlock(ElementLine& l, const db::Row& r) {
    l.add(r.getText("DESCRI_COSA"));
    l.add(r.getText("DESCRI_DOVE"));
    l.add(r.getText("LEVEL_DESCRI"));
    const db::Value& level = r["LEVEL_OPEN"];
    if (level.isNull())
        l.add("");
    else if (level.toText() == "4")
        l.add(str::TwoDigits(r.getInt("ADD_INT")));
}

std::string shortTime(const std::string& keyOpt) {
    return keyOpt.substr(0, 2) + ":" + (keyOpt.size() > 3 ? keyOpt.substr(3, 2) : "");
}

// Date and time of a single-moment text "DATAFROM=ddmmyy|ORAFROM=hhmm|".
void momentFields(const std::string& keyOpt, std::string& date, std::string& time) {
    auto parts = model::SplitTimeText(keyOpt);
    std::string d = parts.dataFrom.value_or("");
    std::string t = parts.oraFrom.value_or("");
    date = d.size() >= 6 ? d.substr(0, 2) + "/" + d.substr(2, 2) + "/" + d.substr(4, 2) : "";
    time = t.size() >= 4 ? t.substr(0, 2) + ":" + t.substr(2, 2) : "";
}

// The comparison of a zone reading, by the operator code its dialog stores.
std::string comparisonText(const db::Row& r) {
    return model::ZoneComparisonText(r.getInt("PARAM_2"), r.getInt("PARAM_3"));
}

std::string description(db::Database& db, Section s, const db::Row& r) {
    int64_t id = r.getInt("ID"), obj = r.getInt("ID_OBJ"), cosa = r.getInt("COSA_KEY");
    auto text = [&](const char* table) {
        return ElementText(db, id, obj, cosa, r.getInt("DOVE_KEY"), r.getInt("LEVEL_KEY"),
                           r.getInt("ADD_INT"), table);
    };
    std::string descri = userText(r, "DESCRI");
    std::string keyOpt = userText(r, "KEY_OPT");
    switch (s) {
        case Section::Trigger:
        case Section::StopTrigger:
            if (descri.empty()) return text("TMP_TRIGGER");
            if (obj == 23) return model::FormatMomentText(keyOpt);
            return descri;
        case Section::Condition:
            // An empty time text counts as none: only a stored text replaces
            // the element's own description.
            if (!keyOpt.empty()) return model::FormatRangeText(keyOpt);
            return descri.empty() ? text("TMP_COND_OK") : descri;
        case Section::Action:
            if (!descri.empty()) return descri;
            if (obj == 9) return keyOpt + " " + WhatDescription(db, cosa);
            if (obj == 45)
                return keyOpt + WhatDescription(db, cosa) + " -> " +
                       std::to_string(r.getInt("PARAM_1")) +
                       WhatDescription(db, r.getInt("PARAM_2"));
            return text("TMP_STEP_ACT");
    }
    return descri;
}

std::string flattened(Section s, std::string d) {
    if (s == Section::StopTrigger) {
        str::ReplaceAll(d, "\r", "");
    } else {
        str::ReplaceAll(d, "\r", " ");
        str::ReplaceAll(d, "\n", "");
    }
    return d;
}

std::string elementLine(db::Database& db, Section s, const std::string& key, long sectionLabel,
                        const db::Row& r) {
    ElementLine l;
    l.add(key);
    l.add(label(sectionLabel));
    l.add(r.getText("DESCRI_CHI"));
    l.add(r.getText("DESCRI_OBJ"));
    std::string raw = description(db, s, r);
    l.add(flattened(s, raw));
    int64_t obj = r.getInt("ID_OBJ"), cosa = r.getInt("COSA_KEY");
    std::string keyOpt = userText(r, "KEY_OPT");
    auto descLines = [&](size_t n) {
        auto ls = lines(raw);
        for (size_t i = 0; i < ls.size() && i < n; ++i) l.add(ls[i]);
    };
    switch (s) {
        case Section::Trigger:
        case Section::StopTrigger:
            if (obj == 23) {
                std::string date, time;
                momentFields(keyOpt, date, time);
                l.addEmpty(6);
                l.add(date);
                l.last(time);
            } else if (obj == 8) {
                l.addEmpty(7);
                l.last(shortTime(keyOpt));
            } else if (obj == 37) {
                l.add(r.getText("DESCRI_COSA"));
                l.add(r.getText("DESCRI_DOVE"));
            } else if (obj == 28 || obj == 30) {
                l.add(r.getText("DESCRI_COSA"));
                l.add(r.getText("DESCRI_DOVE"));
                l.add(r.getText("LEVEL_DESCRI"));
            } else {
                addressBlock(l, r);
            }
            break;
        case Section::Condition:
            if (obj == 23) {
                l.addEmpty(8);
                descLines(4);
            } else if (obj == 8) {
                l.addEmpty(7);
                l.last(shortTime(keyOpt));
            } else if (obj == 38) {
                l.add(r.getText("DESCRI_COSA"));
                l.add(r.getText("DESCRI_DOVE"));
                l.addEmpty(2);
                l.last(comparisonText(r));
            } else {
                addressBlock(l, r);
            }
            break;
        case Section::Action:
            if (obj == 43 || obj == 44) {
                addressBlock(l, r);
                if (r.getInt("PARAM_3") > 0) l.add(std::to_string(r.getInt("PARAM_3")));
                l.addEmpty(1);
                l.last(std::to_string(r.getInt("PARAM_1")) + label(1625) + " " +
                       std::to_string(r.getInt("PARAM_2")) + label(1626));
            } else if (obj == 35 || obj == 36 || obj == 29) {
                l.add(r.getText("DESCRI_COSA"));
            } else if (obj == 9) {
                l.add(keyOpt + " " + WhatDescription(db, cosa));
            } else if (obj == 34 || obj == 37) {
                l.add(r.getText("DESCRI_COSA"));
                l.addEmpty(3);
                bool tenths = (obj == 34 && cosa == 236) || (obj == 37 && cosa == 237);
                l.last(tenths ? texts::Format(label(1581), {Tenths(r.getInt("PARAM_1"))}) : "");
            } else if (obj == 28) {
                if (cosa == 161)
                    l.add(r.getText("DESCRI_COSA"));
                else
                    addressBlock(l, r);
            } else if (obj == 48) {
                addressBlock(l, r);
                l.addEmpty(2);
                l.last(str::TwoDigits(r.getInt("PARAM_1")) + ":" +
                       str::TwoDigits(r.getInt("PARAM_2")) + ":" +
                       str::TwoDigits(r.getInt("PARAM_3")));
            } else if (obj == 23) {
                l.addEmpty(6);
                descLines(3);
            } else if (obj == 45) {
                l.addEmpty(6);
                l.add(keyOpt + WhatDescription(db, cosa));
                l.last(std::to_string(r.getInt("PARAM_1")) +
                       WhatDescription(db, r.getInt("PARAM_2")));
            } else {
                addressBlock(l, r);
            }
            break;
    }
    return l.text;
}

std::string frameOf(const CommandRecord& c) { return c.TypeCMD > 0 ? BuildCommandFrame(c) : ""; }

}  // namespace

std::string ListingPath(const std::string& scenarioFile) {
    fs::path p = scenarioFile;
    p.replace_extension(".csv");
    return p.string();
}

std::string BuildListing(db::Database& db, const ListingScenario& sc,
                         const std::string& errorText) {
    std::string out;
    auto write = [&](const std::string& line) {
        std::string flat = line;
        str::ReplaceAll(flat, "\r", " ");
        str::ReplaceAll(flat, "\n", " ");
        out += files::CsvLineBytes(flat);
    };
    // The scenario's names, description and error text are one field each.
    const std::string fileName = files::CsvField(sc.fileName);
    const std::string key = label(1613) + "_" + fileName;

    int state = files::ScenarioCompileState(sc.fullPath);
    Line header(key);
    header.field(fileName)
        .field(files::CsvField(sc.scriptName))
        .field(files::CsvField(sc.descrizione));
    if (state == 0)
        header.field(label(1614));
    else if (state == -1)
        header.field(label(1615));
    else
        header.field(label(1616)).field(files::CsvField(errorText));
    write(header.str());
    write(Line(key).field(label(1617)).field("").field(frameOf(sc.abilita)).str());
    write(Line(key).field(label(1618)).field("").field(frameOf(sc.disabilita)).str());

    bool repeat = false, restart = false;
    try {
        if (auto first = db.queryOne("SELECT * FROM TMP_STEP_ACT")) {
            repeat = first->getBool("REPEAT");
            restart = first->getBool("RESTART");
        }
    } catch (const db::Error&) {
    }
    write(Line(key).field(label(1642)).field(label(repeat ? 1644 : 1645)).str());
    write(Line(key).field(label(1643)).field(label(restart ? 1644 : 1645)).str());

    struct Part {
        Section section;
        const char* table;
        long label;
        bool keepMissingWhat;
    };
    const Part parts[] = {
        {Section::Trigger, "TMP_TRIGGER", 1619, false},
        {Section::StopTrigger, "TMP_TRIGGERSTOP", 1620, false},
        {Section::Condition, "TMP_COND_OK", 1621, true},
        {Section::Action, "TMP_STEP_ACT", 1624, true},
    };
    for (const auto& p : parts) {
        std::vector<db::Row> rows;
        try {
            rows = db.query(sectionQuery(p.table, p.keepMissingWhat));
        } catch (const db::Error&) {
            continue;
        }
        for (const auto& r : rows) {
            write(elementLine(db, p.section, key, p.label, r));
            if (p.section != Section::Condition) continue;
            try {
                auto op = db.queryOne("SELECT * FROM TMP_OPE_OK WHERE ID1 = ?1", {r.getInt("ID")});
                if (!op) continue;
                int64_t ope = op->getInt("ID_OPE");
                write(Line(key)
                          .field(label(1621))
                          .field(label(ope == 1   ? 1627
                                       : ope == 2 ? 1628
                                                  : 1629))
                          .str());
            } catch (const db::Error&) {
            }
        }
    }
    return out;
}

bool WriteListing(db::Database& db, const ListingScenario& sc, const std::string& errorText) {
    return files::WriteFileAtomic(ListingPath(sc.fullPath), BuildListing(db, sc, errorText));
}

ListingScenario ListingScenarioOf(const Scenario& s) {
    ListingScenario sc;
    sc.fullPath = s.FullPath;
    sc.fileName = s.FileName.empty() ? fs::path(s.FullPath).filename().string() : s.FileName;
    sc.scriptName = s.ScriptName;
    sc.descrizione = s.Descrizione;
    sc.abilita = s.Abilita;
    sc.disabilita = s.Disabilita;
    return sc;
}

void MakeCSVSingleS(db::Database& connection, Collezione& project, const std::string& scenarioPath,
                    const std::string& errorText) {
    if (auto s = project.FindByFullPath(scenarioPath))
        WriteListing(connection, ListingScenarioOf(*s), errorText);
}

}  // namespace tessed::compiler
