#pragma once
// The JSON form of a scenario file (`tessed dump`), for inspecting, comparing
// and diffing scenarios. Its shape is stable: the header values, the two
// commands and the eight working tables, one row per line.
#include <nlohmann/json.hpp>
#include <string>

#include "model/scenario_file.h"
#include "model/schema.h"

namespace tessed::scenario {

// Texts that are not UTF-8 (a scenario file may carry any bytes) have each
// broken sequence replaced by U+FFFD, so the result is always valid JSON.
std::string ScenarioJson(const ScenarioFile& file);

// One cell of a working table as JSON: null, a number, true/false or a text,
// by the column's type. The dump and the clipboard's element copies write
// cells alike, so a copied row reads as it dumps.
nlohmann::ordered_json CellJson(const db::Value& v, schema::ColumnType type);

}  // namespace tessed::scenario
