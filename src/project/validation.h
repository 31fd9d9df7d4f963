#pragma once
// Project-level jobs on scenario files: the check before a file is taken into
// a project, the information file "info.xml" that travels in every project
// file, the controller file that joins every scenario's listing, and the
// writing of a scenario's name and description into its file.
#include <filesystem>
#include <string>
#include <vector>

#include "model/project.h"

namespace tessed::project {

namespace fs = std::filesystem;

// True when `scenarioFile` is a readable scenario file that this version may
// take (a greater own major version, or the same major and an own minor
// version not below the file's; revisions are not compared). Fills the
// scenario's Descrizione, ScriptName (when the file names one) and its enable
// and disable commands. False with `message` otherwise (text 1024 for a file
// that is not a scenario file, texts 1007 and 1008 with both versions for a
// newer one). Never throws.
bool ValidateScenarioFile(const std::string& scenarioFile, Scenario& scenario,
                          std::string& message);

// One scenario remembered for the information file.
struct InfoScenario {
    std::string name;  // the scenario folder's name, "3.spt"
    long id = 0;       // its number
    std::string description;
    std::string scenName;
};

// The bytes of "info.xml".
std::string FormatInfoFile(const Collezione& project, const std::vector<InfoScenario>& scenarios);
// Writes `folder`/info.xml; false when it cannot be written. Scenarios with an
// empty name are left out.
bool BuildInfoFile(const fs::path& folder, const Collezione& project,
                   const std::vector<InfoScenario>& scenarios);

// Results of the bulk compile into the controller file. On every failure an
// existing file of that name is left as it was.
inline constexpr int kCsvOk = 0;
// The output may not be replaced: an existing file that is write-protected, or
// an output refused by ControllerFileRefused (a folder, the project file, ...).
inline constexpr int kCsvCannotDelete = 2;
inline constexpr int kCsvListingMissing = 3;  // a scenario has no listing
inline constexpr int kCsvCannotWrite = 4;     // the file could not be written

// Why `fileCSV` may not receive the controller file of `projectFile`, or ""
// when it may: a folder, the project file itself (the same file by device and
// inode, so links, hard links and other spellings count too), the
// configuration file, or a file inside the data folder's "temp" (the working
// folders, where the project's own files lie) or "dat" (the catalogue).
std::string ControllerFileRefused(const std::string& fileCSV, const std::string& projectFile);

// Writes the controller file of `project` (the current project when null):
// UTF-16LE byte-order mark, five header lines, then every scenario's listing
// byte for byte followed by a two-byte CR LF. See the k Csv results. Every
// listing is read before anything is written, and the file is written through
// a temporary file renamed over it (a link is followed). The output is checked
// with ControllerFileRefused against the current project file.
int MAKEALLCSV(const std::string& fileCSV, std::shared_ptr<Collezione> project = nullptr);

// Writes the description into a scenario file, keeping everything else of it.
// Throws ProjectError (number 10001) when the file cannot be read or written.
void PrintDescri2Script(const std::string& file, const std::string& description);
// Writes the name into a scenario file as its `scen_name`; throws as above.
void PrintName2Script(const std::string& file, const std::string& name);

// The one-line description file of a scenario that is not compiled: its
// listing path holds texts 1613 and 1614 with the file name and description.
bool WriteDescriptionFile(const std::string& scenarioFile, const std::string& fileName,
                          const std::string& description);

}  // namespace tessed::project
