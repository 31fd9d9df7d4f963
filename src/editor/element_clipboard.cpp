#include "editor/element_clipboard.h"

#include <algorithm>
#include <limits>
#include <map>
#include <memory>
#include <nlohmann/json.hpp>
#include <set>

#include "env/database.h"
#include "model/scenario_json.h"
#include "model/schema.h"

namespace tessed::editor {

namespace {

using Json = nlohmann::ordered_json;

constexpr std::string_view kFormat = "tessed-elements";
constexpr int kVersion = 1;
// A text column holds a description or a time text: short, but a file may
// carry longer ones.
constexpr size_t kMaxText = 4096;

// Given anew by a paste: not part of a copy.
bool Renumbered(std::string_view column) { return column == "ID" || column == "ORDINE"; }

std::optional<StripId> GroupOfTable(std::string_view table) {
    for (StripId g : kSlotGroups)
        if (Info(g).table == table) return g;
    return std::nullopt;
}

// The value of one column as the table stores it; none when the JSON value is
// not of the column's kind or out of its range.
std::optional<db::Value> FromJson(const Json& j, schema::ColumnType type) {
    if (j.is_null()) return db::Value();
    switch (type) {
        case schema::ColumnType::Long: {
            if (!j.is_number_integer()) return std::nullopt;
            if (j.is_number_unsigned()) {
                const auto u = j.get<uint64_t>();
                if (u > static_cast<uint64_t>(std::numeric_limits<int32_t>::max()))
                    return std::nullopt;
                return db::Value(static_cast<long long>(u));
            }
            const auto i = j.get<int64_t>();
            if (i < std::numeric_limits<int32_t>::min() || i > std::numeric_limits<int32_t>::max())
                return std::nullopt;
            return db::Value(static_cast<long long>(i));
        }
        case schema::ColumnType::Boolean:
            if (!j.is_boolean()) return std::nullopt;
            return db::Value(j.get<bool>());
        case schema::ColumnType::Text: {
            if (!j.is_string()) return std::nullopt;
            const auto& s = j.get_ref<const std::string&>();
            if (s.size() > kMaxText) return std::nullopt;
            return db::Value(s);
        }
    }
    return std::nullopt;
}

// An index into the copied rows.
std::optional<size_t> Place(const Json& j, size_t rows) {
    if (!j.is_number_unsigned()) return std::nullopt;
    const auto u = j.get<uint64_t>();
    if (u >= rows) return std::nullopt;
    return static_cast<size_t>(u);
}

}  // namespace

CopiedElements CopyElements(db::Database& db, StripId group, const std::vector<int64_t>& ids) {
    CopiedElements copy;
    copy.group = group;
    const StripInfo& info = Info(group);
    if (info.table.empty() || ids.empty()) return copy;
    const std::string table(info.table);
    const std::set<int64_t> wanted(ids.begin(), ids.end());
    // The place in the copy of each copied identity.
    std::map<int64_t, size_t> place;
    rowset::TableRows rows =
        rowset::FromDbRows(db.query("SELECT * FROM " + table + " ORDER BY ORDINE, ID"), table);
    const auto columns = rowset::ColumnsOf(table);
    for (auto& row : rows) {
        const int64_t id = row.at(0).toInt();
        if (!wanted.count(id)) continue;
        place[id] = copy.rows.size();
        for (size_t c = 0; c < columns.size() && c < row.size(); ++c)
            if (Renumbered(columns[c].name)) row[c] = db::Value();
        copy.rows.push_back(std::move(row));
    }
    if (!info.hasMarks()) return copy;
    // The links whose two conditions were both copied, in stored order, one
    // per pair as the canvas shows them.
    std::set<std::pair<size_t, size_t>> pairs;
    for (const db::Row& r : db.query("SELECT ID_OPE, ID1, ID2 FROM " + std::string(info.opeTable) +
                                     " ORDER BY rowid")) {
        auto a = place.find(r.getInt("ID1"));
        auto b = place.find(r.getInt("ID2"));
        if (a == place.end() || b == place.end() || r["ID_OPE"].isNull()) continue;
        if (!pairs.insert({a->second, b->second}).second) continue;
        copy.links.push_back({static_cast<int32_t>(r.getInt("ID_OPE")), a->second, b->second});
    }
    return copy;
}

std::string WriteElements(const CopiedElements& copy) {
    const std::string table(Info(copy.group).table);
    const auto columns = rowset::ColumnsOf(table);
    Json rows = Json::array();
    for (const auto& row : copy.rows) {
        Json r = Json::object();
        for (size_t c = 0; c < columns.size(); ++c) {
            if (Renumbered(columns[c].name)) continue;
            r[std::string(columns[c].name)] =
                scenario::CellJson(c < row.size() ? row[c] : db::Value(), columns[c].type);
        }
        rows.push_back(std::move(r));
    }
    Json links = Json::array();
    for (const CopiedLink& l : copy.links)
        links.push_back({{"ID_OPE", l.idOpe}, {"upper", l.upper}, {"lower", l.lower}});
    Json out = Json::object();
    out["format"] = kFormat;
    out["version"] = kVersion;
    out["table"] = table;
    out["rows"] = std::move(rows);
    out["links"] = std::move(links);
    return out.dump(-1, ' ', false, Json::error_handler_t::replace);
}

std::optional<CopiedElements> ReadElements(std::string_view bytes) {
    if (bytes.empty() || bytes.size() > kMaxClipboardBytes) return std::nullopt;
    const Json j = Json::parse(bytes.begin(), bytes.end(), nullptr, false);
    if (!j.is_object()) return std::nullopt;
    auto member = [&](const char* key) -> const Json* {
        auto it = j.find(key);
        return it == j.end() ? nullptr : &*it;
    };
    const Json* format = member("format");
    const Json* version = member("version");
    const Json* table = member("table");
    const Json* rows = member("rows");
    const Json* links = member("links");
    if (!format || !version || !table || !rows || !links || !format->is_string() ||
        format->get_ref<const std::string&>() != kFormat || !version->is_number_integer() ||
        version->get<int64_t>() != kVersion || !table->is_string() || !rows->is_array() ||
        !links->is_array())
        return std::nullopt;
    const auto group = GroupOfTable(table->get_ref<const std::string&>());
    if (!group || rows->empty() || rows->size() > kMaxCopiedElements) return std::nullopt;

    CopiedElements copy;
    copy.group = *group;
    const auto columns = rowset::ColumnsOf(Info(*group).table);
    for (const Json& r : *rows) {
        // Exactly the columns a copy writes, each of its kind.
        if (!r.is_object() || r.size() != columns.size() - 2) return std::nullopt;
        std::vector<db::Value> row(columns.size());
        for (size_t c = 0; c < columns.size(); ++c) {
            if (Renumbered(columns[c].name)) continue;
            auto it = r.find(std::string(columns[c].name));
            if (it == r.end()) return std::nullopt;
            auto v = FromJson(*it, columns[c].type);
            if (!v) return std::nullopt;
            row[c] = std::move(*v);
        }
        copy.rows.push_back(std::move(row));
    }
    if (!links->empty() && !Info(*group).hasMarks()) return std::nullopt;
    std::set<std::pair<size_t, size_t>> pairs;
    for (const Json& l : *links) {
        if (!l.is_object() || l.size() != 3) return std::nullopt;
        auto ope = l.find("ID_OPE");
        auto upper = l.find("upper");
        auto lower = l.find("lower");
        if (ope == l.end() || upper == l.end() || lower == l.end()) return std::nullopt;
        const auto idOpe = FromJson(*ope, schema::ColumnType::Long);
        const auto a = Place(*upper, copy.rows.size());
        const auto b = Place(*lower, copy.rows.size());
        if (!idOpe || idOpe->isNull() || idOpe->toInt() < 1 || !a || !b || *a == *b ||
            !pairs.insert({*a, *b}).second)
            return std::nullopt;
        copy.links.push_back({static_cast<int32_t>(idOpe->toInt()), *a, *b});
    }
    return copy;
}

std::string DescribeElements(db::Database& db, const CopiedElements& copy,
                             const std::string& title) {
    const std::string table(Info(copy.group).table);
    const auto columns = rowset::ColumnsOf(table);
    auto names = std::make_shared<std::vector<std::string>>();
    for (const auto& c : columns) names->emplace_back(c.name);
    std::string out = title + "\n";
    for (const auto& row : copy.rows) {
        std::vector<db::Value> values = row;
        values.resize(columns.size());
        SlotTexts texts;
        try {
            texts = ElementSlotTexts(db, copy.group, db::Row(names, std::move(values)));
        } catch (const db::Error&) {
        }
        std::string line = texts.toolTip.empty() ? texts.caption : texts.toolTip;
        // One element a line.
        std::replace(line.begin(), line.end(), '\n', ' ');
        std::replace(line.begin(), line.end(), '\r', ' ');
        out += line + "\n";
    }
    return out;
}

}  // namespace tessed::editor
