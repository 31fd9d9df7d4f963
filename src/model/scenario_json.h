#pragma once
// The JSON form of a scenario file (`tessed dump`), for inspecting, comparing
// and diffing scenarios. Its shape is stable: the header values, the two
// commands and the eight working tables, one row per line.
#include <string>

#include "model/scenario_file.h"

namespace tessed::scenario {

// Texts that are not UTF-8 (a scenario file may carry any bytes) have each
// broken sequence replaced by U+FFFD, so the result is always valid JSON.
std::string ScenarioJson(const ScenarioFile& file);

}  // namespace tessed::scenario
