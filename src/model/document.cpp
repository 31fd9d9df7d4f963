#include "model/document.h"

#include <algorithm>
#include <filesystem>
#include <limits>
#include <optional>

#include "env/database.h"
#include "env/environment.h"
#include "env/files.h"
#include "env/messages.h"
#include "env/state.h"
#include "env/texts.h"
#include "env/version.h"
#include "model/edit_history.h"
#include "model/project.h"
#include "model/scenario_file.h"
#include "model/schema.h"

namespace tessed {

namespace {

constexpr long kTextTitle = 1096;
constexpr long kTextMessageTitle = 1002;
// The file is no complete scenario: only its description and name were loaded.
constexpr long kTextLoadedWithoutRows = 1119;
constexpr std::string_view kNoImage = "noimg.gif";

// The canonical spelling of a working-table name from the fixed lists, so that
// no caller-supplied text ever reaches SQL. Empty when `name` is none of them.
template <size_t N>
std::string canonical(const std::array<std::string_view, N>& list, std::string_view name) {
    for (auto t : list)
        if (db::iequals(t, name)) return std::string(t);
    return {};
}

std::string unreadable(const std::string& path) {
    return texts::GetText(scenario::kTextUnreadable) + ": " + path;
}
std::string cannotSave(const std::string& path) {
    return texts::GetText(scenario::kTextCannotSave) + ": " + path;
}

// Releases a savepoint on commit, rolls back to it otherwise; nests inside an
// open transaction, which a plain BEGIN would not.
class Savepoint {
  public:
    Savepoint(db::Database& db, const char* name) : db_(db), name_(name) {
        db_.executeScript("SAVEPOINT " + name_);
    }
    ~Savepoint() {
        if (done_) return;
        try {
            db_.executeScript("ROLLBACK TO " + name_ + "; RELEASE " + name_);
        } catch (const db::Error&) {
        }
    }
    void commit() {
        db_.executeScript("RELEASE " + name_);
        done_ = true;
    }

  private:
    db::Database& db_;
    std::string name_;
    bool done_ = false;
};

}  // namespace

db::Database& ScenarioDocument::database() const { return db_ ? *db_ : env::Env().master(); }

ScenarioDocument::~ScenarioDocument() {
    if (history_) history_->doc_ = nullptr;
}

bool ScenarioDocument::Modified() const { return !savedRevision_ || *savedRevision_ != revision_; }

// The editor's document keeps the process-wide flag in step, where the host
// and the windows read it; a document on a connection of its own (a compile
// run's) never touches it, so loading scenarios there leaves the editor's
// state alone.
void ScenarioDocument::syncFlag() const {
    if (!db_) Flags().scenarioChanged = Modified();
}

void ScenarioDocument::SetModified(bool on) {
    if (on)
        savedRevision_.reset();
    else
        savedRevision_ = revision_;
    syncFlag();
    notify({ChangeKind::kSaved, {}, {}, revision_});
}

void ScenarioDocument::AddListener(DocumentListener* l) {
    if (l && std::find(listeners_.begin(), listeners_.end(), l) == listeners_.end())
        listeners_.push_back(l);
}

void ScenarioDocument::RemoveListener(DocumentListener* l) {
    listeners_.erase(std::remove(listeners_.begin(), listeners_.end(), l), listeners_.end());
}

void ScenarioDocument::notify(const DocumentChange& change) {
    // A copy: a listener may remove itself from inside its notice.
    const auto listeners = listeners_;
    for (DocumentListener* l : listeners) l->DocumentChanged(change);
}

void ScenarioDocument::BeginStep() {
    if (stepDepth_++ == 0 && history_) history_->stepBegun();
}

void ScenarioDocument::EndStep() {
    if (stepDepth_ == 0) return;
    if (--stepDepth_ == 0 && history_) history_->stepEnded();
}

void ScenarioDocument::aboutToChange() {
    if (history_) history_->aboutToChange();
}

void ScenarioDocument::changed(ChangeKind kind, std::string table, std::vector<int32_t> rows) {
    revision_ = ++lastRevision_;
    syncFlag();
    notify({kind, std::move(table), std::move(rows), revision_});
}

void ScenarioDocument::SetDescription(const std::string& text) {
    if (text == description_) return;
    Step step(*this);
    aboutToChange();
    description_ = text;
    changed(ChangeKind::kDescription);
}

std::string ScenarioDocument::TitleText() const { return texts::GetText(kTextTitle) + " " + name_; }

std::shared_ptr<Collezione> ScenarioDocument::Project() const {
    return project_ ? project_ : CurrentProject();
}

void ScenarioDocument::preset() {
    if (PresetApp) PresetApp();
}

void ScenarioDocument::clearContent() {
    currentFile_.clear();
    db::Database& db = database();
    for (auto table : scenario::kFileTableOrder) {
        try {
            db.execute("DELETE FROM " + std::string(table));
        } catch (const db::Error&) {
            // Each table on its own: one that fails does not keep the others full.
        }
    }
    description_.clear();
    name_.clear();
    fileAbilita_ = {};
    fileDisabilita_ = {};
    // A new scenario counts as unsaved until it is saved.
    revision_ = ++lastRevision_;
    savedRevision_.reset();
    syncFlag();
    if (history_) history_->documentReset();
}

void ScenarioDocument::NewFile() {
    clearContent();
    preset();
    notify({ChangeKind::kReset, {}, {}, revision_});
}

void ScenarioDocument::LoadPrj(const std::string& path) {
    clearContent();
    preset();
    // The tables were emptied: the listeners hear of it however the load ends.
    bool complete = false;
    try {
        // The whole file is read and checked before the tables are touched, so a
        // bad file never leaves part of a scenario behind.
        scenario::ScenarioFile file = scenario::ReadScenarioFile(path);
        const bool versionOk = scenario::CheckVersion(file);
        complete = file.KeyAccepted() && versionOk;

        db::Database& db = database();
        try {
            Savepoint sp(db, "load_scenario");
            if (complete)
                for (const auto& [table, rows] : file.tables) AppendRecords(db, rows, table);
            // Dimmer steps stored on the plain light object belong to the dimmer object.
            for (int n = 3; n <= 11; ++n)
                db.execute("UPDATE TMP_STEP_ACT SET ID_OBJ=42 WHERE ID_OBJ=1 AND COSA_KEY=?", {n});
            sp.commit();
        } catch (const db::Error& e) {
            throw scenario::ScenarioFileError(unreadable(path), e.what());
        }

        description_ = file.descrizione.value_or("");
        name_ = file.scenName.value_or("");
        if (file.abilita) file.abilita->ApplyTo(fileAbilita_);
        if (file.disabilita) file.disabilita->ApplyTo(fileDisabilita_);
        // A file loaded without its rows is not the scenario it holds: saving
        // over it would lose them, so a save asks for a new name.
        if (complete) currentFile_ = path;
        revision_ = ++lastRevision_;
        savedRevision_ = revision_;
        syncFlag();
        preset();
    } catch (...) {
        notify({ChangeKind::kReset, {}, {}, revision_});
        throw;
    }
    notify({ChangeKind::kReset, {}, {}, revision_});
    if (!complete)
        Messages().warning(texts::GetText(kTextMessageTitle),
                           texts::Format(texts::GetText(kTextLoadedWithoutRows), {path}));
}

void ScenarioDocument::SaveAs(const std::string& path) {
    const std::string target = path.empty() ? currentFile_ : path;
    if (target.empty()) throw scenario::ScenarioFileError(cannotSave(target), "no file name");

    scenario::ScenarioFile file;
    file.key = std::string(scenario::kSignature);
    file.appMajor = kVersionMajor;
    file.appMinor = kVersionMinor;
    file.appRevision = kVersionRevision;
    file.descrizione = description_;
    // The project's entry for the file supplies the name and the commands; a
    // file outside the project keeps what it was loaded with.
    if (auto entry = Project()->FindByFullPath(target)) {
        file.scenName = entry->ScriptName;
        file.abilita = scenario::CommandFields::From(entry->Abilita);
        file.disabilita = scenario::CommandFields::From(entry->Disabilita);
    } else {
        file.scenName = name_;
        file.abilita = scenario::CommandFields::From(fileAbilita_);
        file.disabilita = scenario::CommandFields::From(fileDisabilita_);
    }
    db::Database& db = database();
    try {
        for (auto table : scenario::kFileTableOrder) {
            std::string order =
                schema::IsElementTable(table) ? " ORDER BY ORDINE, ID" : " ORDER BY rowid";
            auto rows = db.query("SELECT * FROM " + std::string(table) + order);
            if (!rows.empty()) file.tables.emplace_back(table, rowset::FromDbRows(rows, table));
        }
    } catch (const db::Error& e) {
        throw scenario::ScenarioFileError(cannotSave(target), e.what());
    }
    // Written beside the target and renamed over it: a failed save keeps the
    // previous file.
    if (!files::WriteFileAtomic(target, scenario::FormatScenarioFile(file)))
        throw scenario::ScenarioFileError(cannotSave(target), "the file cannot be written");
    currentFile_ = target;
    savedRevision_ = revision_;
    syncFlag();
    notify({ChangeKind::kSaved, {}, {}, revision_});
}

namespace {

std::optional<int> twoDigits(std::string_view s, int max) {
    if (s.empty() || s.size() > 2) return std::nullopt;
    int v = 0;
    for (char c : s) {
        if (c < '0' || c > '9') return std::nullopt;
        v = v * 10 + (c - '0');
    }
    if (v > max) return std::nullopt;
    return v;
}

}  // namespace

std::string FormatTimeValue(std::string_view value, char separator, bool seconds) {
    std::string_view t = value;
    while (!t.empty() && t.front() == ' ') t.remove_prefix(1);
    while (!t.empty() && t.back() == ' ') t.remove_suffix(1);
    // A date and time: the time part.
    if (t.size() > 10 && t[4] == '-' && t[7] == '-' && (t[10] == 'T' || t[10] == ' '))
        t = t.substr(11);
    std::vector<std::string_view> parts;
    char sep = t.find(':') != std::string_view::npos ? ':' : '-';
    size_t pos = 0;
    while (true) {
        size_t end = t.find(sep, pos);
        parts.push_back(t.substr(pos, end == std::string_view::npos ? end : end - pos));
        if (end == std::string_view::npos) break;
        pos = end + 1;
    }
    if (parts.size() < 2 || parts.size() > 3) return std::string(value);
    auto h = twoDigits(parts[0], 23);
    auto m = twoDigits(parts[1], 59);
    auto s = parts.size() == 3 ? twoDigits(parts[2], 59) : std::optional<int>(0);
    if (!h || !m || !s) return std::string(value);
    char buf[16];
    if (seconds)
        std::snprintf(buf, sizeof buf, "%02d%c%02d%c%02d", *h, separator, *m, separator, *s);
    else
        std::snprintf(buf, sizeof buf, "%02d%c%02d", *h, separator, *m);
    return buf;
}

bool ScenarioDocument::InsertIntoPRJ(std::string_view table, const ElementValues& v, int32_t& ID) {
    const std::string t = canonical(schema::kElementTables, table);
    if (t.empty()) return false;
    db::Database& db = database();
    Step step(*this);

    std::string img(kNoImage);
    try {
        auto r = db.queryOne("SELECT IMG FROM ANA_RES_COSA WHERE ID_RES_COSA=?", {v.ID_RES_COSA});
        if (r && !r->getText("IMG").empty()) img = r->getText("IMG");
    } catch (const db::Error&) {
        // No icon to be had: the element shows the placeholder.
    }

    // The columns every insert or update writes, then the values by object and area.
    std::string descri = v.DESCRI;
    int64_t dove = v.DOVE_KEY;
    int32_t level = v.LEVEL_KEY < 1 ? 0 : v.LEVEL_KEY;
    int32_t addInt = v.LEVEL_KEY < 1 ? 0 : v.ADD_INT;
    std::optional<std::string> keyOpt;
    const bool trigger = v.area == 3 || v.area == 6;
    if (v.ID_OBJ == 8 && trigger) {
        keyOpt = FormatTimeValue(v.value, '-', true);
        descri = v.DESCRI + "\r" + FormatTimeValue(v.value, ':', false);
        dove = 0;
    } else if ((v.ID_OBJ == 8 || v.ID_OBJ == 23) && v.area == 4) {
        keyOpt = FormatTimeValue(v.value, '-', true);
        dove = 0;
    } else if (v.ID_OBJ == 23 && trigger) {
        keyOpt = v.value;
        dove = 0;
    } else if ((v.ID_OBJ == 9 || v.ID_OBJ == 45) && v.area == 5) {
        keyOpt = v.value;
    }

    std::vector<db::Value> common = {v.ID_OBJ,
                                     descri,
                                     img,
                                     static_cast<long long>(v.CHI_KEY),
                                     static_cast<long long>(v.COSA_KEY),
                                     static_cast<long long>(dove),
                                     v.ID_RES_COSA,
                                     v.PARAM[0],
                                     v.PARAM[1],
                                     v.PARAM[2],
                                     v.PARAM[3],
                                     v.PARAM[4],
                                     level,
                                     addInt};
    static constexpr const char* kCommon =
        "ID_OBJ,DESCRI,IMG,CHI_KEY,COSA_KEY,DOVE_KEY,ID_RES_COSA,PARAM_1,PARAM_2,PARAM_3,"
        "PARAM_4,PARAM_5,LEVEL_KEY,ADD_INT";
    const db::Value keyOptValue = keyOpt ? db::Value(*keyOpt) : db::Value();
    const db::Value customValue(keyOpt.has_value());
    try {
        auto existing = db.queryOne("SELECT ID FROM " + t + " WHERE ID=?", {ID});
        aboutToChange();
        if (existing) {
            std::string sql = "UPDATE " + t +
                              " SET ID_OBJ=?,DESCRI=?,IMG=?,CHI_KEY=?,COSA_KEY=?,DOVE_KEY=?,"
                              "ID_RES_COSA=?,PARAM_1=?,PARAM_2=?,PARAM_3=?,PARAM_4=?,PARAM_5=?,"
                              "LEVEL_KEY=?,ADD_INT=?";
            std::vector<db::Value> values = common;
            if (keyOpt) {
                sql += ",KEY_OPT=?,CUSTOM=?";
                values.insert(values.end(), {keyOptValue, customValue});
            }
            sql += " WHERE ID=?";
            values.insert(values.end(), {db::Value(ID)});
            if (db.execute(sql, values) < 1) return false;
            changed(ChangeKind::kUpdate, t, {ID});
            return true;
        }
        auto max = db.queryOne("SELECT MAX(ID) AS MAXID, MAX(ORDINE) AS MAXORDINE FROM " + t);
        int64_t newId = max ? (*max)["MAXID"].toInt(0) + 1 : 1;
        int64_t newOrder = max ? (*max)["MAXORDINE"].toInt(0) + 1 : 1;
        // Identity and order are Long columns: past their range there is no
        // next number, and a wrapped identity would name another element.
        constexpr int64_t kLongMax = std::numeric_limits<int32_t>::max();
        if (newId > kLongMax || newOrder > kLongMax) return false;
        // One statement writes the whole row, so a failure never leaves a row
        // holding only its identity. Yes/no columns start False, as the
        // database's yes/no columns do.
        std::vector<db::Value> values = {static_cast<long long>(newId),
                                         static_cast<long long>(newOrder)};
        values.insert(values.end(), common.begin(), common.end());
        values.insert(values.end(), {keyOptValue, customValue});
        std::string sql = "INSERT INTO " + t + " (ID,ORDINE," + kCommon +
                          ",KEY_OPT,CUSTOM,REPEAT,RESTART) VALUES "
                          "(?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,0,0)";
        if (db.execute(sql, values) < 1) return false;
        ID = static_cast<int32_t>(newId);
        changed(ChangeKind::kInsert, t, {ID});
        return true;
    } catch (const db::Error&) {
        return false;
    }
}

bool ScenarioDocument::InsertElementRows(std::string_view table, const rowset::TableRows& rows,
                                         int32_t afterId, std::vector<int32_t>& ids) {
    ids.clear();
    const std::string t = canonical(schema::kElementTables, table);
    if (t.empty() || rows.empty()) return false;
    db::Database& db = database();
    Step step(*this);
    try {
        auto max = db.queryOne("SELECT MAX(ID) AS MAXID, MAX(ORDINE) AS MAXORDINE FROM " + t);
        const int64_t firstId = max ? (*max)["MAXID"].toInt(0) + 1 : 1;
        int64_t place = max ? (*max)["MAXORDINE"].toInt(0) : 0;
        if (afterId != 0)
            if (auto after = db.queryOne("SELECT ORDINE FROM " + t + " WHERE ID=?", {afterId});
                after && !(*after)["ORDINE"].isNull())
                place = after->getInt("ORDINE");
        const auto n = static_cast<int64_t>(rows.size());
        // Identity and order are Long columns: no number past their range.
        constexpr int64_t kLongMax = std::numeric_limits<int32_t>::max();
        if (firstId + n - 1 > kLongMax || (max ? (*max)["MAXORDINE"].toInt(0) : 0) + n > kLongMax)
            return false;
        const auto columns = rowset::ColumnsOf(t);
        std::string names, marks;
        for (const auto& c : columns) {
            names += (names.empty() ? "" : ",") + std::string(c.name);
            marks += marks.empty() ? "?" : ",?";
        }
        aboutToChange();
        Savepoint sp(db, "insert_rows");
        const int moved = db.execute("UPDATE " + t + " SET ORDINE=ORDINE+? WHERE ORDINE>?",
                                     {static_cast<long long>(n), static_cast<long long>(place)});
        db::Statement st =
            db.prepare("INSERT INTO " + t + " (" + names + ") VALUES (" + marks + ")");
        std::vector<int32_t> made;
        for (int64_t i = 0; i < n; ++i) {
            const auto& row = rows[static_cast<size_t>(i)];
            st.reset();
            for (size_t c = 0; c < columns.size(); ++c) {
                db::Value v = c < row.size() ? row[c] : db::Value();
                if (columns[c].name == "ID") v = static_cast<long long>(firstId + i);
                if (columns[c].name == "ORDINE") v = static_cast<long long>(place + 1 + i);
                st.bind(static_cast<int>(c + 1), v);
            }
            if (st.execute() < 1) return false;
            made.push_back(static_cast<int32_t>(firstId + i));
        }
        sp.commit();
        ids = made;
        changed(ChangeKind::kInsert, t, std::move(made));
        if (moved > 0) changed(ChangeKind::kReorder, t);
        return true;
    } catch (const db::Error&) {
        ids.clear();
        return false;
    }
}

bool ScenarioDocument::InsertIntoOPE(std::string_view opeTable, int32_t ID_OPE, int32_t ID1,
                                     int32_t ID2) {
    const std::string t = canonical(schema::kOperatorTables, opeTable);
    if (t.empty()) return false;
    db::Database& db = database();
    Step step(*this);
    try {
        if (ID1 == 0) {
            // The last condition before the new one, in the group the link belongs to.
            const char* conditions = t == "TMP_OPE_OK" ? "TMP_COND_OK" : "TMP_COND_KO";
            auto r = db.queryOne(std::string("SELECT ID FROM ") + conditions +
                                     " WHERE ID<>? ORDER BY ORDINE DESC LIMIT 1",
                                 {ID2});
            // Without a condition to link to there is no link.
            if (!r || (*r)["ID"].isNull()) return false;
            ID1 = static_cast<int32_t>(r->getInt("ID"));
        }
        aboutToChange();
        if (db.execute("INSERT INTO " + t + " (ID_OPE,ID1,ID2) VALUES(?,?,?)", {ID_OPE, ID1, ID2}) <
            1)
            return false;
        changed(ChangeKind::kInsert, t, {ID1, ID2});
        return true;
    } catch (const db::Error&) {
        return false;
    }
}

bool ScenarioDocument::UpdateOPE(std::string_view opeTable, int32_t ID_OPE, int32_t ID1,
                                 int32_t ID2) {
    const std::string t = canonical(schema::kOperatorTables, opeTable);
    if (t.empty()) return false;
    Step step(*this);
    aboutToChange();
    try {
        if (database().execute("UPDATE " + t + " SET ID_OPE=? WHERE ID1=? AND ID2=?",
                               {ID_OPE, ID1, ID2}) < 1)
            return false;
        changed(ChangeKind::kUpdate, t, {ID1, ID2});
        return true;
    } catch (const db::Error&) {
        return false;
    }
}

bool ScenarioDocument::DeletePRJ(std::string_view table, int32_t ID, std::string_view opeTable) {
    const std::string t = canonical(schema::kElementTables, table);
    const std::string ope = canonical(schema::kOperatorTables, opeTable);
    if (t.empty() || (!opeTable.empty() && ope.empty())) return false;
    db::Database& db = database();
    Step step(*this);
    aboutToChange();
    try {
        // The element and its links go together or not at all.
        Savepoint sp(db, "delete_element");
        int removed = db.execute("DELETE FROM " + t + " WHERE ID=?", {ID});
        if (removed < 1) return false;
        int links = 0;
        if (!ope.empty())
            links = db.execute("DELETE FROM " + ope + " WHERE ID1=? OR ID2=?", {ID, ID});
        sp.commit();
        changed(ChangeKind::kDelete, t, {ID});
        if (links > 0) changed(ChangeKind::kDelete, ope, {ID});
        return true;
    } catch (const db::Error&) {
        return false;
    }
}

bool ScenarioDocument::DeleteOPE(std::string_view opeTable, int32_t ID_OPE, int32_t ID1,
                                 int32_t ID2) {
    const std::string t = canonical(schema::kOperatorTables, opeTable);
    if (t.empty()) return false;
    Step step(*this);
    aboutToChange();
    try {
        if (database().execute("DELETE FROM " + t + " WHERE ID_OPE=? AND ID1=? AND ID2=?",
                               {ID_OPE, ID1, ID2}) < 1)
            return false;
        changed(ChangeKind::kDelete, t, {ID1, ID2});
        return true;
    } catch (const db::Error&) {
        return false;
    }
}

bool ScenarioDocument::RebuildOrder(std::string_view table, int32_t id1, int32_t id2, bool relink) {
    const std::string t = canonical(schema::kElementTables, table);
    if (t.empty()) return false;
    db::Database& db = database();
    Step step(*this);
    try {
        auto a = db.queryOne("SELECT ORDINE FROM " + t + " WHERE ID=?", {id1});
        auto b = db.queryOne("SELECT ORDINE FROM " + t + " WHERE ID=?", {id2});
        if (!a || !b || (*a)["ORDINE"].isNull() || (*b)["ORDINE"].isNull()) return false;
        const int64_t from = a->getInt("ORDINE");
        const int64_t to = b->getInt("ORDINE");
        aboutToChange();
        Savepoint sp(db, "reorder");
        int links = 0;
        if (from > to) {
            db.execute("UPDATE " + t + " SET ORDINE=ORDINE+1 WHERE ORDINE>=? AND ORDINE<?",
                       {static_cast<long long>(to), static_cast<long long>(from)});
            db.execute("UPDATE " + t + " SET ORDINE=? WHERE ID=?",
                       {static_cast<long long>(to), id1});
        } else if (from < to) {
            db.execute("UPDATE " + t + " SET ORDINE=ORDINE-1 WHERE ORDINE>? AND ORDINE<=?",
                       {static_cast<long long>(from), static_cast<long long>(to)});
            db.execute("UPDATE " + t + " SET ORDINE=? WHERE ID=?",
                       {static_cast<long long>(to), id1});
        }
        if (t == "TMP_COND_OK") {
            // The links around the moved condition; the caller adds the new ones.
            if (relink) {
                links += db.execute("DELETE FROM TMP_OPE_OK WHERE ID1=? OR ID2=?", {id1, id1});
                links += db.execute("DELETE FROM TMP_OPE_OK WHERE ID1=? OR ID2=?", {id2, id2});
            } else {
                links += db.execute("UPDATE TMP_OPE_OK SET ID2=? WHERE ID2=?", {id1, id2});
            }
        }
        sp.commit();
        // Equal positions change nothing, and a move is still a success.
        if (from != to) changed(ChangeKind::kReorder, t, {id1, id2});
        if (links > 0)
            changed(relink ? ChangeKind::kDelete : ChangeKind::kUpdate, "TMP_OPE_OK", {id1, id2});
        return true;
    } catch (const db::Error&) {
        return false;
    }
}

bool ScenarioDocument::SetTimeText(std::string_view table, int32_t ID, const std::string& keyOpt) {
    const std::string t = canonical(schema::kElementTables, table);
    if (t.empty()) return false;
    Step step(*this);
    aboutToChange();
    try {
        if (database().execute("UPDATE " + t + " SET KEY_OPT=?, DOVE_KEY=0, CUSTOM=1 WHERE ID=?",
                               {keyOpt, ID}) < 1)
            return false;
        changed(ChangeKind::kUpdate, t, {ID});
        return true;
    } catch (const db::Error&) {
        return false;
    }
}

bool ScenarioDocument::SetActionFlags(bool repeat, bool restart) {
    Step step(*this);
    aboutToChange();
    try {
        if (database().execute("UPDATE TMP_STEP_ACT SET REPEAT=?, RESTART=?", {repeat, restart}) <
            1)
            return false;
        changed(ChangeKind::kUpdate, "TMP_STEP_ACT");
        return true;
    } catch (const db::Error&) {
        return false;
    }
}

bool ScenarioDocument::SetActionRestart(bool restart) {
    Step step(*this);
    aboutToChange();
    try {
        if (database().execute("UPDATE TMP_STEP_ACT SET RESTART=?", {restart}) < 1) return false;
        changed(ChangeKind::kUpdate, "TMP_STEP_ACT");
        return true;
    } catch (const db::Error&) {
        return false;
    }
}

ScenarioSnapshot ScenarioDocument::TakeSnapshot() const {
    ScenarioSnapshot s;
    s.revision = revision_;
    db::Database& db = database();
    for (size_t i = 0; i < schema::kWorkingTables.size(); ++i) {
        const std::string t(schema::kWorkingTables[i]);
        // Stored order, so that a restore keeps the order of rows that compare
        // equal (links of one pair: the first one counts).
        s.tables[i] = rowset::FromDbRows(db.query("SELECT * FROM " + t + " ORDER BY rowid"), t);
    }
    s.description = description_;
    s.name = name_;
    s.abilita = fileAbilita_;
    s.disabilita = fileDisabilita_;
    return s;
}

bool ScenarioDocument::Restore(const ScenarioSnapshot& s) {
    db::Database& db = database();
    Step step(*this);
    aboutToChange();
    try {
        Savepoint sp(db, "restore_scenario");
        for (size_t i = 0; i < schema::kWorkingTables.size(); ++i) {
            const std::string t(schema::kWorkingTables[i]);
            db.execute("DELETE FROM " + t);
            AppendRecords(db, s.tables[i], t);
        }
        sp.commit();
    } catch (const db::Error&) {
        return false;
    } catch (const rowset::RowsetError&) {
        return false;
    }
    description_ = s.description;
    name_ = s.name;
    fileAbilita_ = s.abilita;
    fileDisabilita_ = s.disabilita;
    // The restored state's own revision: equal revisions mean equal content.
    revision_ = s.revision;
    syncFlag();
    notify({ChangeKind::kRestore, {}, {}, revision_});
    return true;
}

ScenarioDocument& Document() {
    static ScenarioDocument doc;
    return doc;
}

rowset::Rowset GetRecordSet(const std::string& path) {
    std::error_code ec;
    std::string bytes;
    if (!std::filesystem::is_regular_file(path, ec) || !files::ReadFile(path, bytes))
        throw scenario::ScenarioFileError(unreadable(path), "the file does not exist");
    rowset::Rowset rs;
    try {
        rs = rowset::ParseRowset(bytes);
    } catch (const rowset::RowsetError& e) {
        throw scenario::ScenarioFileError(unreadable(path), e.what());
    }
    std::filesystem::remove(path, ec);  // a file that stays is left in the working folder
    return rs;
}

int AppendRecords(db::Database& db, const rowset::TableRows& rows, std::string_view table) {
    std::string t = canonical(schema::kWorkingTables, table);
    if (t.empty()) throw rowset::RowsetError("not a working table: " + std::string(table));
    auto columns = rowset::ColumnsOf(t);
    std::string names, marks;
    for (const auto& c : columns) {
        if (!names.empty()) {
            names += ",";
            marks += ",";
        }
        names += c.name;
        marks += "?";
    }
    Savepoint sp(db, "append_records");
    db::Statement st = db.prepare("INSERT INTO " + t + " (" + names + ") VALUES (" + marks + ")");
    int added = 0;
    for (const auto& row : rows) {
        st.reset();
        for (size_t c = 0; c < columns.size(); ++c)
            st.bind(static_cast<int>(c + 1), c < row.size() ? row[c] : db::Value());
        added += st.execute();
    }
    sp.commit();
    return added;
}

int AppendRecords(db::Database& db, const rowset::Rowset& rows, std::string_view table) {
    return AppendRecords(db, rowset::ToTableRows(rows, table), table);
}

}  // namespace tessed
