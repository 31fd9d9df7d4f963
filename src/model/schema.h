#pragma once
// The scenario working tables. They live as TEMP tables of the master
// connection: the joins with the catalogue run unchanged, the catalogue file is
// never written by editing, and two running editors never share a scenario.
#include <array>
#include <string_view>

namespace tessed::db {
class Database;
}

namespace tessed::schema {

// The six element tables, in the order the scenario file stores them.
inline constexpr std::array<std::string_view, 6> kElementTables = {
    "TMP_COND_OK",     "TMP_COND_KO",  "TMP_TRIGGER",
    "TMP_TRIGGERSTOP", "TMP_STEP_ACT", "TMP_STEP_ACT_ELSE"};
inline constexpr std::array<std::string_view, 2> kOperatorTables = {"TMP_OPE_OK", "TMP_OPE_KO"};
// All eight working tables: the element tables, then the operator tables. The
// scenario file stores them in another order (scenario::kFileTableOrder).
inline constexpr std::array<std::string_view, 8> kWorkingTables = {
    "TMP_COND_OK",  "TMP_COND_KO",       "TMP_TRIGGER", "TMP_TRIGGERSTOP",
    "TMP_STEP_ACT", "TMP_STEP_ACT_ELSE", "TMP_OPE_OK",  "TMP_OPE_KO"};

enum class ColumnType { Long, Text, Boolean };

struct Column {
    std::string_view name;
    ColumnType type;
};

// Columns of every element table, in stored order.
inline constexpr std::array<Column, 21> kElementColumns = {{
    {"ID", ColumnType::Long},          {"ORDINE", ColumnType::Long},
    {"ID_OBJ", ColumnType::Long},      {"DESCRI", ColumnType::Text},
    {"IMG", ColumnType::Text},         {"CHI_KEY", ColumnType::Long},
    {"COSA_KEY", ColumnType::Long},    {"DOVE_KEY", ColumnType::Long},
    {"ID_RES_COSA", ColumnType::Long}, {"PARAM_1", ColumnType::Long},
    {"PARAM_2", ColumnType::Long},     {"PARAM_3", ColumnType::Long},
    {"PARAM_4", ColumnType::Long},     {"PARAM_5", ColumnType::Long},
    {"LEVEL_KEY", ColumnType::Long},   {"ADD_INT", ColumnType::Long},
    {"KEY_OPT", ColumnType::Text},     {"CUSTOM", ColumnType::Boolean},
    {"TOOLTIP", ColumnType::Text},     {"REPEAT", ColumnType::Boolean},
    {"RESTART", ColumnType::Boolean},
}};

inline constexpr std::array<Column, 3> kOperatorColumns = {
    {{"ID_OPE", ColumnType::Long}, {"ID1", ColumnType::Long}, {"ID2", ColumnType::Long}}};

bool IsElementTable(std::string_view table);
bool IsOperatorTable(std::string_view table);
// True for the eight working table names (any letter case).
bool IsWorkingTable(std::string_view table);

// (Re)creates the eight working tables, empty, as TEMP tables of `db`.
void CreateWorkingTables(db::Database& db);
// Makes every connection the environment opens create the working tables
// (idempotent). Whatever opens the master database installs it first: the
// host, the batch jobs, the tools, the tests.
void InstallWorkingTables();
// Empties the eight working tables.
void ClearWorkingTables(db::Database& db);

}  // namespace tessed::schema
