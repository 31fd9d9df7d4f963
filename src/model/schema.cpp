#include "model/schema.h"

#include <mutex>
#include <string>

#include "env/database.h"
#include "env/environment.h"

namespace tessed::schema {

namespace {

template <size_t N>
bool contains(const std::array<std::string_view, N>& names, std::string_view t) {
    for (auto n : names)
        if (db::iequals(n, t)) return true;
    return false;
}

std::string sqlType(ColumnType t) {
    switch (t) {
        case ColumnType::Long:
        case ColumnType::Boolean:
            return "INTEGER";
        case ColumnType::Text:
            return "TEXT";
    }
    return "";
}

}  // namespace

bool IsElementTable(std::string_view t) { return contains(kElementTables, t); }
bool IsOperatorTable(std::string_view t) { return contains(kOperatorTables, t); }
bool IsWorkingTable(std::string_view t) { return contains(kWorkingTables, t); }

void CreateWorkingTables(db::Database& db) {
    std::string sql;
    for (auto table : kElementTables) {
        // Table names come from the fixed list above, never from input.
        sql += "DROP TABLE IF EXISTS temp." + std::string(table) + ";";
        sql += "CREATE TEMP TABLE " + std::string(table) + " (";
        bool first = true;
        for (const auto& c : kElementColumns) {
            if (!first) sql += ", ";
            first = false;
            sql += std::string(c.name) + " " + sqlType(c.type);
        }
        sql += ");";
    }
    for (auto table : kOperatorTables) {
        sql += "DROP TABLE IF EXISTS temp." + std::string(table) + ";";
        sql += "CREATE TEMP TABLE " + std::string(table) +
               " (ID_OPE INTEGER, ID1 INTEGER, ID2 INTEGER);";
    }
    db.executeScript(sql);
}

void ClearWorkingTables(db::Database& db) {
    std::string sql;
    for (auto table : kWorkingTables) sql += "DELETE FROM " + std::string(table) + ";";
    db.executeScript(sql);
}

void InstallWorkingTables() {
    static std::once_flag once;
    std::call_once(once, [] { env::SetConnectionSetup(CreateWorkingTables); });
}

}  // namespace tessed::schema
