#pragma once
// The scenario listing: a readable ".csv" file beside the scenario file with a
// header, the enable and disable frames, the repeat and restart flags and one
// line per trigger, stop trigger, condition (with its operator) and action, in
// the order the user arranged them. UTF-16LE, no byte-order mark.
#include <string>
#include <utility>

#include "model/commands.h"

namespace tessed::db {
class Database;
}

namespace tessed::compiler {

// What the listing needs to know of the scenario besides its tables.
struct ListingScenario {
    std::string fullPath;     // the scenario file
    std::string fileName;     // its file name, as the project records it
    std::string scriptName;   // the scenario's name
    std::string descrizione;  // its description
    Abilita abilita;
    Disabilita disabilita;
};

// The listing's path: the scenario file's folder, its base name and ".csv".
std::string ListingPath(const std::string& scenarioFile);

// The listing's bytes for the scenario loaded in the working tables of `db`.
std::string BuildListing(db::Database& db, const ListingScenario& scenario,
                         const std::string& errorText);

// Writes the listing through a temporary file renamed over the target; false
// when it cannot be written.
bool WriteListing(db::Database& db, const ListingScenario& scenario, const std::string& errorText);

// The listing of the current project's scenario whose full path equals
// `scenarioPath` (without regard to case), for the scenario loaded in the
// master connection's working tables. A path that is not in the project writes
// nothing.
void MakeCSVSingleS(const std::string& scenarioPath, const std::string& errorText);

// The enable and disable commands of a scenario file: those of the current
// project's scenario, else those the document read from it when it is the
// document's current file; empty records otherwise.
std::pair<Abilita, Disabilita> ScenarioCommands(const std::string& scenarioPath);

}  // namespace tessed::compiler
