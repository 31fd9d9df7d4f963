#include "model/scenario_json.h"

#include <algorithm>
#include <nlohmann/json.hpp>
#include <vector>

#include "model/rowset.h"
#include "model/schema.h"

namespace tessed::scenario {

namespace {

// Keys stay in the order they are added: the shape is part of the format.
using Json = nlohmann::ordered_json;

// One scalar or a key, as JSON text. Every string goes through here, so bytes
// that are not UTF-8 are replaced instead of copied or thrown on.
std::string scalar(const Json& j) { return j.dump(-1, ' ', false, Json::error_handler_t::replace); }

// A value on one line: ", " between members and ": " after keys.
std::string oneLine(const Json& j) {
    if (!j.is_structured()) return scalar(j);
    const bool object = j.is_object();
    std::string out = object ? "{" : "[";
    bool first = true;
    for (const auto& [key, value] : j.items()) {
        if (!first) out += ", ";
        first = false;
        if (object) out += scalar(Json(key)) + ": ";
        out += oneLine(value);
    }
    return out + (object ? "}" : "]");
}

template <class T>
Json orNull(const std::optional<T>& v) {
    return v ? Json(*v) : Json(nullptr);
}

Json command(const std::optional<CommandFields>& f) {
    if (!f) return nullptr;
    Json out = Json::object();
    for (size_t i = 0; i < kCommandFields.size(); ++i)
        out[std::string(kCommandFields[i])] = orNull(f->values[i]);
    return out;
}

// The rows of one table as loading would store them, every column of the
// table in its order; element tables in display order.
Json tableRows(const ScenarioFile& f, std::string_view table) {
    auto columns = rowset::ColumnsOf(table);
    std::vector<const std::vector<db::Value>*> ordered;
    if (const rowset::TableRows* rows = f.table(table))
        for (const auto& r : *rows) ordered.push_back(&r);
    if (schema::IsElementTable(table)) {
        // ORDINE, Null first as the database sorts it, ties in file order.
        std::stable_sort(ordered.begin(), ordered.end(), [](auto* a, auto* b) {
            const db::Value& x = (*a)[1];
            const db::Value& y = (*b)[1];
            if (x.isNull() || y.isNull()) return x.isNull() && !y.isNull();
            return x.toInt() < y.toInt();
        });
    }
    Json out = Json::array();
    for (const auto* r : ordered) {
        Json row = Json::object();
        for (size_t c = 0; c < columns.size(); ++c)
            row[std::string(columns[c].name)] =
                CellJson(c < r->size() ? (*r)[c] : db::Value(), columns[c].type);
        out.push_back(std::move(row));
    }
    return out;
}

}  // namespace

Json CellJson(const db::Value& v, schema::ColumnType type) {
    if (v.isNull()) return nullptr;
    switch (type) {
        case schema::ColumnType::Long:
            return v.toInt();
        case schema::ColumnType::Boolean:
            return v.toBool();
        case schema::ColumnType::Text:
            return v.toText();
    }
    return nullptr;
}

std::string ScenarioJson(const ScenarioFile& f) {
    Json header = Json::object();
    header["key"] = orNull(f.key);
    header["app_major"] = orNull(f.appMajor);
    header["app_minor"] = orNull(f.appMinor);
    header["app_revision"] = orNull(f.appRevision);
    header["descrizione"] = orNull(f.descrizione);
    header["scen_name"] = orNull(f.scenName);
    header["abilita"] = command(f.abilita);
    header["disabilita"] = command(f.disabilita);

    // Laid out by hand around the library's values: the header one value a
    // line, the tables one row a line, so that a dump diffs well.
    std::string out = "{\n";
    for (const auto& [key, v] : header.items())
        out += "  " + scalar(Json(key)) + ": " + oneLine(v) + ",\n";
    out += "  \"tables\": {";
    bool firstTable = true;
    for (auto table : schema::kWorkingTables) {
        out += firstTable ? "\n" : ",\n";
        firstTable = false;
        Json rows = tableRows(f, table);
        out += "    " + scalar(Json(std::string(table))) + ": [";
        bool firstRow = true;
        for (const auto& row : rows) {
            out += firstRow ? "\n" : ",\n";
            firstRow = false;
            out += "      " + oneLine(row);
        }
        out += rows.empty() ? "]" : "\n    ]";
    }
    out += "\n  }\n}\n";
    return out;
}

}  // namespace tessed::scenario
