#pragma once
// What a device file holds and what it stands for in the catalogue, as JSON
// (the `tessed device` command; docs/configurator.md shows the shape).
#include <optional>
#include <string>

#include "configurator/device_file.h"

namespace tessed::db {
class Database;
}

namespace tessed::configurator {

// The areas a device may be dropped in, in the order the report lists them.
inline constexpr int kReportAreas[] = {3, 6, 4, 0, 5};

// The device (its values and configuration table in file order), its
// gateways, and for `area` (every area in which it resolves, when not given)
// the objects it stands for, each with the WHAT, WHERE, level, interface,
// probe and description its rules give. An ambiguous device lists every
// object the user could choose. Texts that are not UTF-8 are repaired.
std::string DeviceReportJson(const std::string& path, const DeviceFile& file, db::Database& db,
                             std::optional<int> area);

}  // namespace tessed::configurator
