#include "model/rowset.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <optional>
#include <pugixml.hpp>
#include <unordered_map>
#include <unordered_set>
#include <utility>

#include "env/strings.h"

namespace tessed::rowset {

namespace {

using schema::ColumnType;

// The format's namespaces, by URI; prefixes are only conventional.
constexpr std::string_view kNsSchema = "uuid:BDC6E3F0-6DA3-11d1-A2A3-00AA00C14882";
constexpr std::string_view kNsDataType = "uuid:C2F41010-65B3-11d1-A29F-00AA00C14882";
constexpr std::string_view kNsRowset = "urn:schemas-microsoft-com:rowset";
constexpr std::string_view kNsRow = "#RowsetSchema";

// The namespace declarations in scope: an element's own, then its
// ancestors' through `parent`. A scope is made for the few elements on the way
// down to the rows and for elements that declare something; it refers to its
// parent, never copies it, so a file of many declarations costs each one once.
class Scope {
  public:
    Scope() = default;
    explicit Scope(const Scope* parent) : parent_(parent) {}
    Scope(const Scope&) = delete;
    Scope& operator=(const Scope&) = delete;

    void declare(const pugi::xml_node& n) {
        for (auto a : n.attributes()) {
            std::string_view name = a.name();
            // A prefix declared twice on one element: the later one counts.
            if (name == "xmlns")
                decls_.insert_or_assign(std::string(), std::string(a.value()));
            else if (name.substr(0, 6) == "xmlns:")
                decls_.insert_or_assign(std::string(name.substr(6)), std::string(a.value()));
        }
    }
    static bool declares(const pugi::xml_node& n) {
        for (auto a : n.attributes()) {
            std::string_view name = a.name();
            if (name == "xmlns" || name.substr(0, 6) == "xmlns:") return true;
        }
        return false;
    }
    // The URI bound to `prefix`. An undeclared conventional prefix falls back to
    // its usual namespace, so a fragment cut out of its document still reads.
    std::string_view uri(std::string_view prefix) const {
        for (const Scope* s = this; s; s = s->parent_) {
            if (s->decls_.empty()) continue;
            auto it = s->decls_.find(std::string(prefix));
            if (it != s->decls_.end()) return it->second;
        }
        if (prefix == "s") return kNsSchema;
        if (prefix == "dt") return kNsDataType;
        if (prefix == "rs") return kNsRowset;
        if (prefix == "z") return kNsRow;
        return {};
    }

  private:
    const Scope* parent_ = nullptr;
    std::unordered_map<std::string, std::string> decls_;
};

// The scope of `n` inside `parent`: its own declarations over the parent's.
class ScopeOf {
  public:
    ScopeOf(const Scope& parent, const pugi::xml_node& n) : own_(&parent) {
        if (Scope::declares(n)) {
            own_.declare(n);
            scope_ = &own_;
        } else {
            scope_ = &parent;
        }
    }
    const Scope& operator*() const { return *scope_; }

  private:
    Scope own_;
    const Scope* scope_;
};

std::pair<std::string_view, std::string_view> splitName(std::string_view qname) {
    auto colon = qname.find(':');
    if (colon == std::string_view::npos) return {{}, qname};
    return {qname.substr(0, colon), qname.substr(colon + 1)};
}

// Whether `n` is the element `local` of namespace `ns`; an element's own
// declarations apply to its name.
bool is(const pugi::xml_node& n, const Scope& scope, std::string_view ns, std::string_view local) {
    if (n.type() != pugi::node_element) return false;
    auto [prefix, name] = splitName(n.name());
    if (!db::iequals(name, local)) return false;
    return db::iequals((*ScopeOf(scope, n)).uri(prefix), ns);
}

// The element child in namespace `ns` with the local name `local`.
pugi::xml_node child(const pugi::xml_node& n, const Scope& scope, std::string_view ns,
                     std::string_view local) {
    for (auto c : n.children())
        if (is(c, scope, ns, local)) return c;
    return {};
}

// A namespace-qualified attribute (`rs:number`, `dt:type`); null when absent.
pugi::xml_attribute qattr(const pugi::xml_node& n, const Scope& scope, std::string_view ns,
                          std::string_view local) {
    for (auto a : n.attributes()) {
        auto [prefix, name] = splitName(a.name());
        if (prefix.empty() || prefix == "xmlns") continue;
        if (db::iequals(name, local) && db::iequals(scope.uri(prefix), ns)) return a;
    }
    return {};
}

// An attribute without prefix (`name`, `type`).
pugi::xml_attribute plainAttr(const pugi::xml_node& n, std::string_view local) {
    for (auto a : n.attributes())
        if (db::iequals(a.name(), local)) return a;
    return {};
}

using str::Trim;

std::optional<int64_t> parseInt(std::string_view s) {
    s = Trim(s);
    if (!s.empty() && s.front() == '+') s.remove_prefix(1);
    if (s.empty()) return std::nullopt;
    int64_t v = 0;
    auto [p, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
    if (ec != std::errc() || p != s.data() + s.size()) return std::nullopt;
    return v;
}

std::optional<double> parseFloat(std::string_view s) {
    s = Trim(s);
    if (!s.empty() && s.front() == '+') s.remove_prefix(1);
    if (s.empty()) return std::nullopt;
    double v = 0;
    auto [p, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
    if (ec != std::errc() || p != s.data() + s.size() || !std::isfinite(v)) return std::nullopt;
    return v;
}

std::optional<bool> parseBool(std::string_view s) {
    s = Trim(s);
    if (db::iequals(s, "True")) return true;
    if (db::iequals(s, "False")) return false;
    if (auto i = parseInt(s)) return *i != 0;
    return std::nullopt;
}

DataType typeFromName(std::string_view t) {
    static constexpr std::string_view ints[] = {"int", "i1",  "i2",  "i4", "i8",
                                                "ui1", "ui2", "ui4", "ui8"};
    static constexpr std::string_view floats[] = {"float",      "r4",      "r8",     "number",
                                                  "fixed.14.4", "decimal", "numeric"};
    for (auto n : ints)
        if (db::iequals(t, n)) return DataType::Int;
    for (auto n : floats)
        if (db::iequals(t, n)) return DataType::Float;
    if (db::iequals(t, "boolean")) return DataType::Boolean;
    if (db::iequals(t, "dateTime") || db::iequals(t, "date") || db::iequals(t, "time") ||
        db::iequals(t, "dateTime.tz"))
        return DataType::DateTime;
    return DataType::String;
}

std::string quoted(std::string_view v) {
    std::string s(v.substr(0, 40));
    if (v.size() > 40) s += "...";
    return "'" + s + "'";
}

// A file value of a column declared `type`.
db::Value parseValue(std::string_view text, DataType type, const std::string& column, size_t row) {
    auto fail = [&](const char* what) {
        return RowsetError("row " + std::to_string(row) + ", column " + column + ": " +
                           quoted(text) + " is not " + what);
    };
    switch (type) {
        case DataType::Int:
            if (auto i = parseInt(text)) return db::Value(static_cast<long long>(*i));
            // Some writers give integral columns a decimal point.
            if (auto f = parseFloat(text)) return db::Value(*f);
            throw fail("a number");
        case DataType::Float:
            if (auto f = parseFloat(text)) return db::Value(*f);
            throw fail("a number");
        case DataType::Boolean:
            if (auto b = parseBool(text)) return db::Value(*b);
            throw fail("True or False");
        case DataType::String:
        case DataType::DateTime:
            break;
    }
    return db::Value(std::string(text));
}

struct SchemaColumn {
    ColumnInfo info;
    std::string alias;  // the attribute name rows use
    std::optional<long> number;
    size_t position = 0;  // order in the schema, for columns without a number
};

std::vector<SchemaColumn> readSchema(const pugi::xml_node& elementType, const Scope& scope) {
    std::vector<SchemaColumn> cols;
    // Names already declared: the alias exactly, the real name in upper case.
    std::unordered_set<std::string> aliases, names;
    for (auto at : elementType.children()) {
        if (!is(at, scope, kNsSchema, "AttributeType")) continue;
        ScopeOf scoped(scope, at);
        const Scope& s = *scoped;
        SchemaColumn c;
        c.alias = plainAttr(at, "name").value();
        if (c.alias.empty()) throw RowsetError("a column of the schema has no name");
        auto real = qattr(at, s, kNsRowset, "name");
        c.info.name = real ? real.value() : c.alias;
        if (auto num = qattr(at, s, kNsRowset, "number")) {
            if (auto n = parseInt(num.value()); n && *n > 0 && *n < 100000) c.number = long(*n);
        }
        pugi::xml_attribute type;
        if (auto dt = child(at, s, kNsSchema, "datatype"))
            type = qattr(dt, *ScopeOf(s, dt), kNsDataType, "type");
        if (!type) type = qattr(at, s, kNsDataType, "type");
        c.info.type = type ? typeFromName(type.value()) : DataType::String;
        c.position = cols.size();
        if (!aliases.insert(c.alias).second || !names.insert(str::ToUpper(c.info.name)).second)
            throw RowsetError("the schema declares the column " + c.info.name + " twice");
        cols.push_back(std::move(c));
    }
    // Columns stand in rs:number order, whatever order the schema lists them in.
    std::stable_sort(cols.begin(), cols.end(), [](const SchemaColumn& a, const SchemaColumn& b) {
        if (a.number && b.number) return *a.number < *b.number;
        return a.number.has_value() && !b.number.has_value();
    });
    return cols;
}

class RowReader {
  public:
    RowReader(const std::vector<SchemaColumn>& cols, std::string rowName)
        : cols_(cols), rowName_(std::move(rowName)) {
        // The first column of each alias, exactly and in upper case: a row's
        // attribute is then found by a look-up, not a pass over the columns.
        for (size_t i = 0; i < cols_.size(); ++i) {
            exact_.emplace(cols_[i].alias, int(i));
            folded_.emplace(str::ToUpper(cols_[i].alias), int(i));
        }
    }

    bool isRow(const pugi::xml_node& n, const Scope& scope) const {
        return is(n, scope, kNsRow, rowName_);
    }

    // Reads a row element into `values`, which may hold an earlier version of
    // the row (an update's original): given attributes replace, forced Nulls clear.
    void read(const pugi::xml_node& row, const Scope& parent, size_t rowNumber,
              std::vector<db::Value>& values) {
        // Each row read fills every column: rows times columns is what reading
        // costs, whatever the file's size.
        cells_ += std::max<size_t>(cols_.size(), 1);
        if (cells_ > kMaxCells)
            throw RowsetError("more than " + std::to_string(kMaxCells) + " values");
        ScopeOf scoped(parent, row);
        const Scope& scope = *scoped;
        values.resize(cols_.size());
        std::vector<bool> seen(cols_.size(), false);
        for (auto a : row.attributes()) {
            auto [prefix, local] = splitName(a.name());
            if (!prefix.empty()) {
                if (prefix != "xmlns" && db::iequals(local, "forcenull") &&
                    db::iequals(scope.uri(prefix), kNsRowset)) {
                    forceNull(a.value(), values);
                }
                continue;
            }
            if (local == "xmlns") continue;
            int i = find(local);
            if (i < 0) continue;  // a column the schema does not declare
            if (seen[i])
                throw RowsetError("row " + std::to_string(rowNumber) + " gives the column " +
                                  cols_[i].info.name + " twice");
            seen[i] = true;
            values[i] = parseValue(a.value(), cols_[i].info.type, cols_[i].info.name, rowNumber);
        }
    }

  private:
    int find(std::string_view alias) const {
        if (auto it = exact_.find(std::string(alias)); it != exact_.end()) return it->second;
        if (auto it = folded_.find(str::ToUpper(alias)); it != folded_.end()) return it->second;
        return -1;
    }
    void forceNull(std::string_view list, std::vector<db::Value>& values) const {
        size_t pos = 0;
        while (pos < list.size()) {
            size_t end = list.find_first_of(" \t\r\n", pos);
            if (end == std::string_view::npos) end = list.size();
            if (end > pos) {
                int i = find(list.substr(pos, end - pos));
                if (i >= 0) values[i] = db::Value();
            }
            pos = end + 1;
        }
    }

    const std::vector<SchemaColumn>& cols_;
    std::string rowName_;
    std::unordered_map<std::string, int> exact_, folded_;
    size_t cells_ = 0;
};

}  // namespace

int Rowset::columnIndex(std::string_view name) const {
    for (size_t i = 0; i < columns.size(); ++i)
        if (db::iequals(columns[i].name, name)) return int(i);
    return -1;
}

Rowset ReadRowset(const pugi::xml_node& root) {
    if (!root || root.type() != pugi::node_element) throw RowsetError("the rowset is missing");
    Scope scope;
    std::vector<pugi::xml_node> chain;
    for (auto n = root; n && n.type() == pugi::node_element; n = n.parent()) chain.push_back(n);
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) scope.declare(*it);

    auto schemaNode = child(root, scope, kNsSchema, "Schema");
    if (!schemaNode) throw RowsetError("the rowset has no schema");
    Scope schemaScope(&scope);
    schemaScope.declare(schemaNode);
    auto elementType = child(schemaNode, schemaScope, kNsSchema, "ElementType");
    if (!elementType) throw RowsetError("the rowset schema has no row type");
    Scope typeScope(&schemaScope);
    typeScope.declare(elementType);
    auto cols = readSchema(elementType, typeScope);
    std::string rowName = plainAttr(elementType, "name").value();
    if (rowName.empty()) rowName = "row";

    auto data = child(root, scope, kNsRowset, "data");
    if (!data) throw RowsetError("the rowset has no data section");
    Scope dataScope(&scope);
    dataScope.declare(data);

    Rowset out;
    for (const auto& c : cols) out.columns.push_back(c.info);
    RowReader reader(cols, rowName);
    auto push = [&](std::vector<db::Value>&& values) {
        if (out.rows.size() >= kMaxRows)
            throw RowsetError("more than " + std::to_string(kMaxRows) + " rows");
        out.rows.push_back(std::move(values));
    };
    auto plain = [&](const pugi::xml_node& n, const Scope& s) {
        std::vector<db::Value> values;
        reader.read(n, s, out.rows.size() + 1, values);
        push(std::move(values));
    };
    for (auto n : data.children()) {
        if (n.type() != pugi::node_element) continue;
        if (reader.isRow(n, dataScope)) {
            plain(n, dataScope);
        } else if (is(n, dataScope, kNsRowset, "insert")) {
            Scope s(&dataScope);
            s.declare(n);
            for (auto r : n.children())
                if (reader.isRow(r, s)) plain(r, s);
        } else if (is(n, dataScope, kNsRowset, "update")) {
            // The new version of an updated row: its original, overlaid with the
            // values the update gives.
            Scope s(&dataScope);
            s.declare(n);
            std::vector<db::Value> values;
            size_t number = out.rows.size() + 1;
            if (auto original = child(n, s, kNsRowset, "original")) {
                Scope os(&s);
                os.declare(original);
                for (auto r : original.children())
                    if (reader.isRow(r, os)) reader.read(r, os, number, values);
            }
            bool any = false;
            for (auto r : n.children())
                if (reader.isRow(r, s)) {
                    reader.read(r, s, number, values);
                    any = true;
                }
            if (!any && values.empty()) throw RowsetError("an update section holds no row");
            values.resize(cols.size());
            push(std::move(values));
        }
        // rs:delete and anything unknown: skipped.
    }
    return out;
}

Rowset ParseRowset(std::string_view text) {
    pugi::xml_document doc;
    auto result =
        doc.load_buffer(text.data(), text.size(), pugi::parse_default, pugi::encoding_utf8);
    if (!result)
        throw RowsetError(std::string("not XML: ") + result.description() + " at offset " +
                          std::to_string(result.offset));
    int elements = 0;
    for (auto n : doc.children()) elements += n.type() == pugi::node_element;
    if (elements > 1) throw RowsetError("not XML: more than one root element");
    auto root = doc.document_element();
    if (!db::iequals(splitName(root.name()).second, "xml"))
        throw RowsetError("the document is not a rowset");
    return ReadRowset(root);
}

std::span<const schema::Column> ColumnsOf(std::string_view table) {
    if (schema::IsElementTable(table)) return schema::kElementColumns;
    if (schema::IsOperatorTable(table)) return schema::kOperatorColumns;
    throw RowsetError("not a working table: " + std::string(table));
}

namespace {

std::string formatDouble(double d) {
    char buf[64];
    auto [p, ec] = std::to_chars(buf, buf + sizeof buf, d);
    // Sixty-four characters hold every double in its shortest form.
    return ec == std::errc() ? std::string(buf, p) : std::string();
}

// A whole number for a Long column. The range is the stored integer's, not the
// 32 bits the Windows tables declare, so that every value this side writes
// also reads back.
std::optional<int64_t> toLong(double d) {
    if (!std::isfinite(d)) return std::nullopt;
    double r = std::nearbyint(d);
    if (r < -9.2e18 || r > 9.2e18) return std::nullopt;
    return static_cast<int64_t>(r);
}

// Converts a value read from a file (declared `src`) to a working-table column.
// Empty optional: the value has no meaning in that column.
std::optional<db::Value> convert(const db::Value& v, DataType src, ColumnType dst) {
    if (v.isNull()) return db::Value();
    switch (dst) {
        case ColumnType::Long: {
            if (src == DataType::Boolean) return db::Value(v.toInt() ? -1 : 0);
            if (v.isInt()) return v;
            if (v.isReal()) {
                auto l = toLong(v.toDouble());
                if (!l) return std::nullopt;
                return db::Value(static_cast<long long>(*l));
            }
            std::string text = v.toText();
            if (Trim(text).empty()) return db::Value();
            if (auto i = parseInt(text)) return db::Value(static_cast<long long>(*i));
            if (auto f = parseFloat(text)) {
                auto l = toLong(*f);
                if (!l) return std::nullopt;
                return db::Value(static_cast<long long>(*l));
            }
            return std::nullopt;
        }
        case ColumnType::Text:
            if (src == DataType::Boolean) return db::Value(v.toInt() ? "True" : "False");
            if (v.isReal()) return db::Value(formatDouble(v.toDouble()));
            return db::Value(v.toText());
        case ColumnType::Boolean:
            if (v.isInt() || v.isReal()) return db::Value(v.toDouble() != 0);
            if (Trim(v.toText()).empty()) return db::Value();
            if (auto b = parseBool(v.toText())) return db::Value(*b);
            if (auto f = parseFloat(v.toText())) return db::Value(*f != 0);
            return std::nullopt;
    }
    return std::nullopt;
}

const char* typeWord(ColumnType t) {
    switch (t) {
        case ColumnType::Long:
            return "a whole number";
        case ColumnType::Text:
            return "a text";
        case ColumnType::Boolean:
            return "True or False";
    }
    return "";
}

}  // namespace

TableRows ToTableRows(const Rowset& rowset, std::string_view table) {
    auto columns = ColumnsOf(table);
    std::vector<int> source;
    for (const auto& c : columns) source.push_back(rowset.columnIndex(c.name));
    TableRows out;
    out.reserve(rowset.rows.size());
    for (size_t r = 0; r < rowset.rows.size(); ++r) {
        std::vector<db::Value> row(columns.size());
        for (size_t c = 0; c < columns.size(); ++c) {
            int s = source[c];
            if (s < 0 || size_t(s) >= rowset.rows[r].size()) continue;
            const db::Value& v = rowset.rows[r][s];
            auto converted = convert(v, rowset.columns[s].type, columns[c].type);
            if (!converted)
                throw RowsetError("row " + std::to_string(r + 1) + ", column " +
                                  std::string(columns[c].name) + ": " + quoted(v.toText()) +
                                  " is not " + typeWord(columns[c].type));
            row[c] = std::move(*converted);
        }
        out.push_back(std::move(row));
    }
    return out;
}

TableRows FromDbRows(const std::vector<db::Row>& rows, std::string_view table) {
    auto columns = ColumnsOf(table);
    TableRows out;
    out.reserve(rows.size());
    for (const auto& r : rows) {
        std::vector<db::Value> row(columns.size());
        for (size_t c = 0; c < columns.size(); ++c) {
            const db::Value& v = r[columns[c].name];
            if (v.isNull()) continue;
            switch (columns[c].type) {
                case ColumnType::Long:
                    if (v.isReal()) {
                        row[c] = db::Value(static_cast<long long>(std::llround(v.toDouble())));
                    } else if (v.isInt()) {
                        row[c] = v;
                    } else {
                        // A text in a numeric column reads with a numeric conversion.
                        auto conv = convert(v, DataType::String, ColumnType::Long);
                        row[c] = conv ? *conv : db::Value(static_cast<long long>(v.toInt()));
                    }
                    break;
                case ColumnType::Text:
                    row[c] =
                        v.isReal() ? db::Value(formatDouble(v.toDouble())) : db::Value(v.toText());
                    break;
                case ColumnType::Boolean:
                    row[c] = db::Value(v.toBool());
                    break;
            }
        }
        out.push_back(std::move(row));
    }
    return out;
}

std::string EscapeXml(std::string_view text) {
    static const char* hex = "0123456789abcdef";
    std::string out;
    out.reserve(text.size());
    for (char ch : text) {
        auto c = static_cast<unsigned char>(ch);
        if (c == '&' || c == '\'' || c == '<' || c == '>' || c == '"' || c < 0x20) {
            out += "&#x";
            if (c >= 0x10) out += hex[c >> 4];
            out += hex[c & 0xF];
            out += ';';
        } else {
            out += ch;
        }
    }
    return out;
}

namespace {
size_t charCount(std::string_view s) {
    size_t n = 0;
    for (char c : s)
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++n;
    return n;
}
}  // namespace

std::string WriteRowset(std::string_view table, const TableRows& rows, std::string_view indent) {
    auto columns = ColumnsOf(table);
    // The canonical spelling of the table name from the fixed list.
    std::string tableName;
    for (auto t : schema::kWorkingTables)
        if (db::iequals(t, table)) tableName = std::string(t);

    std::string nl = "\n" + std::string(indent);
    std::string out;
    out += "<xml xmlns:s='" + std::string(kNsSchema) + "'";
    out += nl + "\txmlns:dt='" + std::string(kNsDataType) + "'";
    out += nl + "\txmlns:rs='" + std::string(kNsRowset) + "'";
    out += nl + "\txmlns:z='" + std::string(kNsRow) + "'>";
    out += nl + "<s:Schema id='RowsetSchema'>";
    out += nl + "\t<s:ElementType name='row' content='eltOnly' rs:updatable='true'>";
    for (size_t c = 0; c < columns.size(); ++c) {
        std::string name(columns[c].name);
        out += nl + "\t\t<s:AttributeType name='" + name + "' rs:number='" + std::to_string(c + 1) +
               "'";
        // A yes/no column of the database cannot hold Null.
        if (columns[c].type != ColumnType::Boolean) out += " rs:nullable='true'";
        out += " rs:maydefer='true' rs:write='true' rs:basetable='" + tableName +
               "' rs:basecolumn='" + name + "'>";
        out += nl + "\t\t\t<s:datatype ";
        switch (columns[c].type) {
            case ColumnType::Long:
                out += "dt:type='int' dt:maxLength='4' rs:precision='10' rs:fixedlength='true'/>";
                break;
            case ColumnType::Boolean:
                out += "dt:type='boolean' dt:maxLength='2' rs:fixedlength='true'/>";
                break;
            case ColumnType::Text: {
                // Text(255) as the tables declare it; a longer value makes the
                // column a memo so that nothing is cut on the other side.
                size_t longest = 0;
                for (const auto& r : rows)
                    if (c < r.size() && !r[c].isNull())
                        longest = std::max(longest, charCount(r[c].toText()));
                if (longest > 255)
                    out += "dt:type='string' dt:maxLength='536870910' rs:long='true'/>";
                else
                    out += "dt:type='string' dt:maxLength='255'/>";
                break;
            }
        }
        out += nl + "\t\t</s:AttributeType>";
    }
    out += nl + "\t\t<s:extends type='rs:rowbase'/>";
    out += nl + "\t</s:ElementType>";
    out += nl + "</s:Schema>";
    out += nl + "<rs:data>";
    for (const auto& r : rows) {
        out += nl + "\t<z:row";
        for (size_t c = 0; c < columns.size() && c < r.size(); ++c) {
            const db::Value& v = r[c];
            if (v.isNull()) continue;
            out += ' ';
            out += columns[c].name;
            out += "='";
            switch (columns[c].type) {
                case ColumnType::Long:
                    out += std::to_string(v.toInt());
                    break;
                case ColumnType::Boolean:
                    out += v.toBool() ? "True" : "False";
                    break;
                case ColumnType::Text:
                    out += EscapeXml(v.toText());
                    break;
            }
            out += '\'';
        }
        out += "/>";
    }
    out += nl + "</rs:data>";
    out += nl + "</xml>";
    return out;
}

void AppendTextElement(std::string& out, std::string_view name, std::string_view text,
                       std::string_view indent) {
    out += indent;
    out += "<";
    out += name;
    out += ">";
    out += EscapeXml(text);
    out += "</";
    out += name;
    out += ">\n";
}

}  // namespace tessed::rowset
