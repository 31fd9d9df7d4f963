#include "env/database.h"

#include <sqlite3.h>

#include <charconv>
#include <cmath>

#include "env/strings.h"

namespace tessed::db {

bool iequals(std::string_view a, std::string_view b) { return str::IEquals(a, b); }

namespace {

// The leading number of a text, "." as the separator under every locale; 0
// when there is none.
double parseNumber(const std::string& s) { return str::LenientNumber(s); }

}  // namespace

int64_t Value::toInt(int64_t def) const {
    if (isNull()) return def;
    if (auto* i = std::get_if<int64_t>(&v_)) return *i;
    double d = isReal() ? std::get<double>(v_) : parseNumber(std::get<std::string>(v_));
    if (!std::isfinite(d) || d > 9.2e18 || d < -9.2e18) return 0;
    return static_cast<int64_t>(std::llround(d));
}

double Value::toDouble(double def) const {
    if (isNull()) return def;
    if (auto* i = std::get_if<int64_t>(&v_)) return double(*i);
    if (auto* d = std::get_if<double>(&v_)) return *d;
    return parseNumber(std::get<std::string>(v_));
}

bool Value::toBool(bool def) const {
    if (isNull()) return def;
    if (isText()) {
        const auto& s = std::get<std::string>(v_);
        if (iequals(s, "true")) return true;
        if (iequals(s, "false")) return false;
        return parseNumber(s) != 0;
    }
    return toDouble() != 0;
}

std::string Value::toText(std::string_view def) const {
    if (isNull()) return std::string(def);
    if (auto* i = std::get_if<int64_t>(&v_)) return std::to_string(*i);
    if (auto* d = std::get_if<double>(&v_)) {
        // Fifteen significant digits, as "%.15g" writes them, with "." under
        // every locale.
        char buf[64];
        auto [end, ec] = std::to_chars(buf, buf + sizeof buf, *d, std::chars_format::general, 15);
        return ec == std::errc() ? std::string(buf, end) : std::string();
    }
    return std::get<std::string>(v_);
}

// ---------------------------------------------------------------- Row

namespace {
const Value& nullValue() {
    static const Value v;
    return v;
}
const std::vector<std::string>& emptyNames() {
    static const std::vector<std::string> v;
    return v;
}
}  // namespace

int Row::index(std::string_view column) const {
    if (!names_) return -1;
    const auto& n = *names_;
    for (size_t i = 0; i < n.size(); ++i)
        if (iequals(n[i], column)) return int(i);
    return -1;
}

const Value& Row::operator[](std::string_view column) const {
    int i = index(column);
    return i < 0 ? nullValue() : values_[size_t(i)];
}

const std::vector<std::string>& Row::names() const { return names_ ? *names_ : emptyNames(); }

// ---------------------------------------------------------------- Statement

Statement::Statement(sqlite3* db, std::string_view sql) : db_(db) {
    if (!db) throw Error("database is not open");
    if (sqlite3_prepare_v2(db, sql.data(), int(sql.size()), &stmt_, nullptr) != SQLITE_OK)
        throw Error(std::string(sqlite3_errmsg(db)) + " in: " + std::string(sql));
    if (!stmt_) throw Error("empty statement: " + std::string(sql));
}

Statement::~Statement() {
    if (stmt_) sqlite3_finalize(stmt_);
}

Statement::Statement(Statement&& o) noexcept
    : db_(o.db_), stmt_(o.stmt_), names_(std::move(o.names_)) {
    o.stmt_ = nullptr;
}

Statement& Statement::operator=(Statement&& o) noexcept {
    if (this != &o) {
        if (stmt_) sqlite3_finalize(stmt_);
        db_ = o.db_;
        stmt_ = o.stmt_;
        names_ = std::move(o.names_);
        o.stmt_ = nullptr;
    }
    return *this;
}

Statement& Statement::bind(int index, const Value& v) {
    int rc;
    if (v.isNull())
        rc = sqlite3_bind_null(stmt_, index);
    else if (v.isInt())
        rc = sqlite3_bind_int64(stmt_, index, std::get<int64_t>(v.v_));
    else if (v.isReal())
        rc = sqlite3_bind_double(stmt_, index, std::get<double>(v.v_));
    else {
        const auto& s = std::get<std::string>(v.v_);
        rc = sqlite3_bind_text(stmt_, index, s.data(), int(s.size()), SQLITE_TRANSIENT);
    }
    if (rc != SQLITE_OK) throw Error(std::string("bind: ") + sqlite3_errmsg(db_));
    return *this;
}

Statement& Statement::bind(std::string_view name, const Value& v) {
    std::string n(name);
    int idx = sqlite3_bind_parameter_index(stmt_, n.c_str());
    if (idx == 0) throw Error("no parameter " + n);
    return bind(idx, v);
}

Statement& Statement::bindAll(std::initializer_list<Value> values) {
    int i = 1;
    for (const auto& v : values) bind(i++, v);
    return *this;
}

Statement& Statement::bindAll(const std::vector<Value>& values) {
    int i = 1;
    for (const auto& v : values) bind(i++, v);
    return *this;
}

bool Statement::step() {
    int rc = sqlite3_step(stmt_);
    if (rc == SQLITE_ROW) return true;
    if (rc == SQLITE_DONE) return false;
    std::string msg = sqlite3_errmsg(db_);
    sqlite3_reset(stmt_);
    throw Error(msg);
}

int Statement::execute() {
    while (step()) {
    }
    int changed = sqlite3_changes(db_);
    sqlite3_reset(stmt_);
    return changed;
}

void Statement::reset() {
    sqlite3_reset(stmt_);
    sqlite3_clear_bindings(stmt_);
    // The statement may be prepared again after a schema change: read the
    // column names afresh on the next row.
    names_.reset();
}

int Statement::columnCount() const { return sqlite3_column_count(stmt_); }

std::string Statement::columnName(int i) const {
    const char* n = sqlite3_column_name(stmt_, i);
    return n ? n : "";
}

Value Statement::column(int i) const {
    switch (sqlite3_column_type(stmt_, i)) {
        case SQLITE_NULL:
            return Value();
        case SQLITE_INTEGER:
            return Value(static_cast<long long>(sqlite3_column_int64(stmt_, i)));
        case SQLITE_FLOAT:
            return Value(sqlite3_column_double(stmt_, i));
        default: {
            const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(stmt_, i));
            int n = sqlite3_column_bytes(stmt_, i);
            return Value(std::string(p ? p : "", size_t(n)));
        }
    }
}

Value Statement::column(std::string_view name) const {
    int n = columnCount();
    for (int i = 0; i < n; ++i)
        if (iequals(columnName(i), name)) return column(i);
    return Value();
}

Row Statement::row() const {
    if (!names_) {
        auto names = std::make_shared<std::vector<std::string>>();
        int n = columnCount();
        for (int i = 0; i < n; ++i) names->push_back(columnName(i));
        const_cast<Statement*>(this)->names_ = std::move(names);
    }
    std::vector<Value> values;
    values.reserve(names_->size());
    for (int i = 0; i < int(names_->size()); ++i) values.push_back(column(i));
    return Row(names_, std::move(values));
}

std::vector<Row> Statement::rows() {
    std::vector<Row> out;
    while (step()) out.push_back(row());
    sqlite3_reset(stmt_);
    return out;
}

// ---------------------------------------------------------------- Database

Database::~Database() { close(); }

Database::Database(Database&& o) noexcept
    : db_(o.db_), path_(std::move(o.path_)), cache_(std::move(o.cache_)) {
    o.db_ = nullptr;
}

Database& Database::operator=(Database&& o) noexcept {
    if (this != &o) {
        close();
        db_ = o.db_;
        path_ = std::move(o.path_);
        cache_ = std::move(o.cache_);
        o.db_ = nullptr;
    }
    return *this;
}

void Database::open(const std::string& path, Mode mode) {
    close();
    int flags = SQLITE_OPEN_NOMUTEX;
    switch (mode) {
        case Mode::ReadOnly:
            flags |= SQLITE_OPEN_READONLY;
            break;
        case Mode::ReadWrite:
            flags |= SQLITE_OPEN_READWRITE;
            break;
        case Mode::Create:
            flags |= SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE;
            break;
    }
    sqlite3* db = nullptr;
    int rc = sqlite3_open_v2(path.c_str(), &db, flags, nullptr);
    if (rc != SQLITE_OK) {
        std::string msg = db ? sqlite3_errmsg(db) : "out of memory";
        sqlite3_close(db);
        throw Error("cannot open " + path + ": " + msg);
    }
    sqlite3_busy_timeout(db, 2000);
    sqlite3_extended_result_codes(db, 1);
    db_ = db;
    path_ = path;
    // A file that is not a database opens without complaint; read its schema now
    // so that the failure is reported here and not at the first query.
    try {
        execute("SELECT count(*) FROM sqlite_master");
    } catch (...) {
        close();
        throw;
    }
}

void Database::close() {
    cache_.clear();
    if (db_) {
        sqlite3_close_v2(db_);
        db_ = nullptr;
    }
}

Statement Database::prepare(std::string_view sql) const { return Statement(db_, sql); }

Statement& Database::cached(const std::string& sql) {
    auto it = cache_.find(sql);
    if (it == cache_.end()) it = cache_.emplace(sql, prepare(sql)).first;
    it->second.reset();
    return it->second;
}

// The one-shot helpers run on cached statements: the same texts come back many
// times (every element of a listing, every slot of the canvas), and preparing
// costs more than running them. Each helper runs its statement to the end and
// resets it, so a cached statement is never left half-read.
int Database::execute(std::string_view sql, std::initializer_list<Value> params) {
    Statement& st = cached(std::string(sql));
    st.bindAll(params);
    return st.execute();
}

int Database::execute(std::string_view sql, const std::vector<Value>& params) {
    Statement& st = cached(std::string(sql));
    st.bindAll(params);
    return st.execute();
}

void Database::executeScript(const std::string& sql) {
    if (!db_) throw Error("database is not open");
    char* err = nullptr;
    if (sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, &err) != SQLITE_OK) {
        std::string msg = err ? err : "error";
        sqlite3_free(err);
        throw Error(msg);
    }
}

std::vector<Row> Database::query(std::string_view sql, std::initializer_list<Value> params) {
    Statement& st = cached(std::string(sql));
    st.bindAll(params);
    return st.rows();
}

std::vector<Row> Database::query(std::string_view sql, const std::vector<Value>& params) {
    Statement& st = cached(std::string(sql));
    st.bindAll(params);
    return st.rows();
}

std::optional<Row> Database::queryOne(std::string_view sql, std::initializer_list<Value> params) {
    Statement& st = cached(std::string(sql));
    st.bindAll(params);
    std::optional<Row> out;
    if (st.step()) out = st.row();
    st.reset();
    return out;
}

bool Database::tableExists(std::string_view table) const {
    Statement st = prepare(
        "SELECT 1 FROM sqlite_master WHERE type='table' AND name=?1 COLLATE NOCASE "
        "UNION ALL SELECT 1 FROM sqlite_temp_master WHERE type='table' AND name=?1 COLLATE NOCASE");
    st.bind(1, Value(std::string(table)));
    return st.step();
}

// ---------------------------------------------------------------- Transaction

Transaction::Transaction(Database& db) : db_(db) { db_.executeScript("BEGIN"); }

Transaction::~Transaction() {
    if (!done_) {
        try {
            db_.executeScript("ROLLBACK");
        } catch (...) {
        }
    }
}

void Transaction::commit() {
    db_.executeScript("COMMIT");
    done_ = true;
}

}  // namespace tessed::db
