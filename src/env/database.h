#pragma once
// A small RAII layer over SQLite: prepared statements with bound values, rows
// read by column name (case-insensitive, as the catalogue's names are), Null kept
// distinct from 0 and "". No value is ever pasted into SQL text.
#include <cstdint>
#include <initializer_list>
#include <map>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace tessed::db {

class Error : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// One column value. Booleans are stored as integers; any non-zero is True.
class Value {
  public:
    Value() = default;
    Value(std::nullptr_t) {}
    Value(int v) : v_(int64_t{v}) {}
    Value(long v) : v_(int64_t{v}) {}
    Value(long long v) : v_(int64_t{v}) {}
    Value(bool v) : v_(int64_t{v ? 1 : 0}) {}
    Value(double v) : v_(v) {}
    Value(std::string v) : v_(std::move(v)) {}
    Value(std::string_view v) : v_(std::string(v)) {}
    Value(const char* v) : v_(std::string(v)) {}

    bool isNull() const { return std::holds_alternative<std::monostate>(v_); }
    bool isInt() const { return std::holds_alternative<int64_t>(v_); }
    bool isReal() const { return std::holds_alternative<double>(v_); }
    bool isText() const { return std::holds_alternative<std::string>(v_); }

    // Numeric reading in the manner of a numeric conversion: a text is parsed
    // as a number (0 when it is none), Null gives `def`.
    int64_t toInt(int64_t def = 0) const;
    double toDouble(double def = 0) const;
    bool toBool(bool def = false) const;
    // Text reading: numbers are formatted in decimal, Null gives `def`.
    std::string toText(std::string_view def = {}) const;

    bool operator==(const Value& o) const { return v_ == o.v_; }

  private:
    friend class Statement;
    std::variant<std::monostate, int64_t, double, std::string> v_;
};

// A row read from a statement: values by column name, names shared by all rows
// of one result.
class Row {
  public:
    Row() = default;
    Row(std::shared_ptr<const std::vector<std::string>> names, std::vector<Value> values)
        : names_(std::move(names)), values_(std::move(values)) {}

    bool has(std::string_view column) const { return index(column) >= 0; }
    // The value of a column; Null when the row has no such column.
    const Value& operator[](std::string_view column) const;
    const Value& at(size_t i) const { return values_.at(i); }
    size_t size() const { return values_.size(); }
    const std::vector<std::string>& names() const;
    int index(std::string_view column) const;

    int64_t getInt(std::string_view c, int64_t def = 0) const { return (*this)[c].toInt(def); }
    bool getBool(std::string_view c, bool def = false) const { return (*this)[c].toBool(def); }
    std::string getText(std::string_view c, std::string_view def = {}) const {
        return (*this)[c].toText(def);
    }

  private:
    std::shared_ptr<const std::vector<std::string>> names_;
    std::vector<Value> values_;
};

class Statement {
  public:
    Statement() = default;
    Statement(sqlite3* db, std::string_view sql);
    ~Statement();
    Statement(Statement&& o) noexcept;
    Statement& operator=(Statement&& o) noexcept;
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    // Binds by 1-based position; `bindAll` binds a list from position 1.
    Statement& bind(int index, const Value& v);
    Statement& bind(std::string_view name, const Value& v);
    Statement& bindAll(std::initializer_list<Value> values);
    Statement& bindAll(const std::vector<Value>& values);

    // Advances to the next row; false when the statement is done.
    bool step();
    // Runs to completion and returns the number of rows changed.
    int execute();
    void reset();

    int columnCount() const;
    std::string columnName(int i) const;
    Value column(int i) const;
    Value column(std::string_view name) const;
    Row row() const;
    // Every remaining row.
    std::vector<Row> rows();

  private:
    sqlite3* db_ = nullptr;
    sqlite3_stmt* stmt_ = nullptr;
    std::shared_ptr<const std::vector<std::string>> names_;
};

class Database {
  public:
    enum class Mode { ReadWrite, ReadOnly, Create };

    Database() = default;
    explicit Database(const std::string& path, Mode mode = Mode::ReadWrite) { open(path, mode); }
    ~Database();
    Database(Database&& o) noexcept;
    Database& operator=(Database&& o) noexcept;
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    void open(const std::string& path, Mode mode = Mode::ReadWrite);
    void close();
    bool isOpen() const { return db_ != nullptr; }
    const std::string& path() const { return path_; }
    sqlite3* handle() const { return db_; }

    Statement prepare(std::string_view sql) const;
    // A statement kept prepared for the life of the connection: for queries run
    // many times (the palette and slot loaders). It is reset before it is returned.
    Statement& cached(const std::string& sql);

    // Runs one statement with bound values; returns the affected-row count.
    int execute(std::string_view sql, std::initializer_list<Value> params = {});
    int execute(std::string_view sql, const std::vector<Value>& params);
    // Runs several statements without parameters (schema scripts).
    void executeScript(const std::string& sql);
    std::vector<Row> query(std::string_view sql, std::initializer_list<Value> params = {});
    std::vector<Row> query(std::string_view sql, const std::vector<Value>& params);
    std::optional<Row> queryOne(std::string_view sql, std::initializer_list<Value> params = {});

    bool tableExists(std::string_view table) const;

  private:
    sqlite3* db_ = nullptr;
    std::string path_;
    std::map<std::string, Statement> cache_;
};

// Commits on `commit()`, rolls back when destroyed without it.
class Transaction {
  public:
    explicit Transaction(Database& db);
    ~Transaction();
    void commit();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

  private:
    Database& db_;
    bool done_ = false;
};

// Case-insensitive ASCII comparison, as column and table names compare.
bool iequals(std::string_view a, std::string_view b);

}  // namespace tessed::db
