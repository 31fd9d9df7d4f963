#pragma once
// The scenario listing: a readable ".csv" file beside the scenario file with a
// header, the enable and disable frames, the repeat and restart flags and one
// line per trigger, stop trigger, condition (with its operator) and action, in
// the order the user arranged them. UTF-16LE, no byte-order mark.
#include <string>

#include "model/commands.h"

namespace tessed::db {
class Database;
}

namespace tessed {
class Collezione;
class Scenario;
}  // namespace tessed

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

// What the listing shows of a project's scenario: a copy, so that a compile
// run on another thread never reads the project while the window changes it.
ListingScenario ListingScenarioOf(const Scenario& scenario);

// The listing's path: the scenario file's folder, its base name and ".csv".
std::string ListingPath(const std::string& scenarioFile);

// The listing's bytes for the scenario loaded in the working tables of `db`.
std::string BuildListing(db::Database& db, const ListingScenario& scenario,
                         const std::string& errorText);

// Writes the listing through a temporary file renamed over the target; false
// when it cannot be written.
bool WriteListing(db::Database& db, const ListingScenario& scenario, const std::string& errorText);

// The listing of `project`'s scenario whose full path equals `scenarioPath`
// (without regard to case), for the scenario loaded in the working tables of
// `connection`. A path that is not in the project writes nothing.
void MakeCSVSingleS(db::Database& connection, Collezione& project, const std::string& scenarioPath,
                    const std::string& errorText);

}  // namespace tessed::compiler
