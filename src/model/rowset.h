#pragma once
// The rowset XML format in which scenario files embed each working table: a
// schema of the columns, then one row element per record. The writer copies the
// shape the Windows data-access library writes for a table of the working
// schema, so files move both ways; the reader takes everything that library may
// write (any prefixes bound to the format's namespaces, either quote, columns in
// any order, omitted Nulls, update/insert/delete sections, unknown parts).
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "env/database.h"
#include "model/schema.h"

namespace pugi {
class xml_node;
}

namespace tessed::rowset {

// A rowset that cannot be read: its text says which part is missing or malformed.
class RowsetError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// The value kind a rowset declares for a column.
enum class DataType { String, Int, Float, Boolean, DateTime };

struct ColumnInfo {
    std::string name;  // the real column name (rs:name when the schema aliases it)
    DataType type = DataType::String;
};

// A rowset as read: its columns in column order, each row's values in that order.
// An omitted value is Null; integers are Int, floats Real, booleans Int 1/0,
// texts and dates Text.
struct Rowset {
    std::vector<ColumnInfo> columns;
    std::vector<std::vector<db::Value>> rows;

    int columnIndex(std::string_view name) const;  // -1 when absent (case-insensitive)
};

// What a rowset may hold: a working table has tens of rows in a real scenario
// and a rowset as many columns as its table. A rowset beyond these is not one
// a scenario holds and is refused (RowsetError) before it fills memory: rows,
// and values read (rows times the schema's columns, updates included).
inline constexpr size_t kMaxRows = 10'000;
inline constexpr size_t kMaxCells = 1'000'000;

// Reads the rowset whose root element (`xml`) is `root`. Namespace declarations
// of the root's ancestors are honoured, so a rowset embedded in a larger
// document reads the same as a stand-alone one. Throws RowsetError.
Rowset ReadRowset(const pugi::xml_node& root);
// Reads a stand-alone rowset document. Throws RowsetError.
Rowset ParseRowset(std::string_view text);

// Rows of one working table in the table's own column order (schema lists):
// Long columns Int, Text columns Text, Boolean columns Int 1/0, any may be Null.
using TableRows = std::vector<std::vector<db::Value>>;

// The working-table column layout of `table` (element or operator table).
// Throws RowsetError for a name outside the working tables.
std::span<const schema::Column> ColumnsOf(std::string_view table);

// Maps a rowset read from a file onto the columns of `table`: columns are matched
// by name without regard to case, columns the table lacks are skipped, columns
// the rowset lacks are Null; each value is converted to the table's column type
// (a key column that arrives as int, float or numeric text becomes an integer).
// A value that cannot be converted throws RowsetError naming the row and column.
TableRows ToTableRows(const Rowset& rowset, std::string_view table);

// Reads rows of `table` from a database result into its column order.
TableRows FromDbRows(const std::vector<db::Row>& rows, std::string_view table);

// The rowset document for `rows` of `table`, in the library's own shape: the
// root element `xml` with the four namespace declarations, single-quoted
// attributes, tab indentation, Null values as omitted attributes, booleans as
// True/False, and the special characters as hexadecimal character references.
// Lines end with "\n"; `indent` is prepended to every line but the first.
std::string WriteRowset(std::string_view table, const TableRows& rows,
                        std::string_view indent = {});

// Escapes a value for an attribute or element text as the library does.
std::string EscapeXml(std::string_view text);

// Appends `indent`, "<name>", the escaped text, "</name>" and a line end: the
// plain text elements of scenario files and of the information file.
void AppendTextElement(std::string& out, std::string_view name, std::string_view text,
                       std::string_view indent = {});

}  // namespace tessed::rowset
