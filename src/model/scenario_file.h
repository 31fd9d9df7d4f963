#pragma once
// Scenario files (".tdx"): an XML document in UTF-8 whose `root` holds the
// signature, the writer's version, the description and name, the enable and
// disable commands, and each non-empty working table as an embedded rowset.
#include <array>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "env/errors.h"
#include "model/commands.h"
#include "model/rowset.h"

namespace tessed::scenario {

// The signature stored in `key`.
inline constexpr std::string_view kSignature = "Tessaro";

// Scenario files are kilobytes; a larger file than this is not one and is
// refused before it is parsed (project archives hold their scenario files to
// the same bound).
inline constexpr size_t kMaxFileSize = size_t(8) << 20;

// The working tables in the order the file stores them under `project`.
inline constexpr std::array<std::string_view, 8> kFileTableOrder = {
    "TMP_COND_OK", "TMP_COND_KO",     "TMP_OPE_OK",   "TMP_OPE_KO",
    "TMP_TRIGGER", "TMP_TRIGGERSTOP", "TMP_STEP_ACT", "TMP_STEP_ACT_ELSE"};

// The child elements of `ABILITA` and `DISABILITA`, in file order.
inline constexpr std::array<std::string_view, 8> kCommandFields = {
    "CONF_A",   "CONF_PL", "INTERFACCIA",  "LIVELLO",
    "PULSANTE", "TYPECMD", "PULSANTE_CEN", "INDIRIZZO_CEN"};

// A command element as the file holds it: each field may be missing.
struct CommandFields {
    std::array<std::optional<int64_t>, 8> values;  // by kCommandFields

    static CommandFields From(const CommandRecord& r);
    // Missing fields are 0.
    void ApplyTo(CommandRecord& r) const;
};

// The content of a scenario file. Elements missing from a file read as empty.
struct ScenarioFile {
    std::optional<std::string> key;
    std::optional<int64_t> appMajor, appMinor, appRevision;
    std::optional<std::string> descrizione;
    std::optional<std::string> scenName;
    std::optional<CommandFields> abilita, disabilita;
    // The tables present under `project`, in file order, as rows of the table's
    // columns. A table may appear once only.
    std::vector<std::pair<std::string, rowset::TableRows>> tables;

    const rowset::TableRows* table(std::string_view name) const;
    // The key is the signature, in any letter case.
    bool KeyAccepted() const;
};

// A scenario file that cannot be read or written. The text (what()) is the
// localised message for the user; `detail` says what exactly was wrong, for
// logs and the command line.
class ScenarioFileError : public ProjectError {
  public:
    ScenarioFileError(const std::string& text, std::string detail)
        : ProjectError(text), detail_(std::move(detail)) {}
    const std::string& detail() const { return detail_; }

  private:
    std::string detail_;
};

// The localised texts of failures. `text` is one of the numbers below, the
// file's path follows it.
inline constexpr long kTextUnreadable = 1024;  // not a readable scenario file
inline constexpr long kTextCannotSave = 1090;  // the scenario file could not be written
inline constexpr long kTextNewerFile = 1007;   // written by a newer version ... (file version)
inline constexpr long kTextOwnVersion = 1008;  // ... this version (own version)

// Reads a scenario file from its bytes: every rowset is read completely and
// mapped onto its table's columns before anything is returned, so a reader
// never sees half a table. Throws ScenarioFileError (larger than
// kMaxFileSize, not well-formed XML, truncated, no `root` or a second root
// element, a malformed rowset, a table given twice).
ScenarioFile ParseScenarioFile(std::string_view bytes, const std::string& pathForMessages = {});
ScenarioFile ReadScenarioFile(const std::filesystem::path& file);

// The file text: declaration, then `root` with its children in the stored
// order; empty tables are left out.
std::string FormatScenarioFile(const ScenarioFile& file);

// Throws ProjectError (number 10001) with the version message when the file's
// version is newer than the component's (major, then minor, then revision).
// Returns false when the file has no complete version (no `app_Revision`).
bool CheckVersion(const ScenarioFile& file);

}  // namespace tessed::scenario
