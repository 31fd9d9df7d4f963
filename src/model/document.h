#pragma once
// The scenario document: the scenario open in the editor lives in the working
// tables of the master connection; this class creates, loads and saves it and
// holds the row operations through which the editor changes it.
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "model/commands.h"
#include "model/rowset.h"

namespace tessed::db {
class Database;
}

namespace tessed {

class Collezione;

// The values of one element as the property and time dialogs deliver them.
struct ElementValues {
    int32_t ID_OBJ = 0;
    std::string DESCRI;
    int64_t CHI_KEY = 0;
    int64_t COSA_KEY = 0;
    int64_t DOVE_KEY = 0;
    int32_t ID_RES_COSA = 0;
    // The element's own value: a time for objects 8 and 23, a time text or a
    // number otherwise (see InsertIntoPRJ).
    std::string value;
    int32_t area = 0;  // area code of the slot group: 3, 4, 5, 6 or 0
    int32_t LEVEL_KEY = 0;
    int32_t ADD_INT = 0;
    std::array<int32_t, 5> PARAM{};  // PARAM_1 .. PARAM_5
};

class ScenarioDocument {
  public:
    // `db` null: the process-wide master connection, taken at each call, and
    // the editor's modified flag; otherwise that connection and a flag of its own.
    explicit ScenarioDocument(db::Database* db = nullptr) : db_(db) {}

    // Document state.
    const std::string& CurrentFile() const { return currentFile_; }
    bool Modified() const;
    void SetModified(bool on);
    const std::string& Description() const { return description_; }
    // Replaces the description (the name dialog); a change sets the modified flag.
    void SetDescription(const std::string& text);
    const std::string& ScenarioName() const { return name_; }
    // Text 1096, a space, the scenario name.
    std::string TitleText() const;
    // The project the scenario belongs to; the current project when none was set.
    std::shared_ptr<Collezione> Project() const;
    void SetProject(std::shared_ptr<Collezione> p) { project_ = std::move(p); }
    // The editor's refill of palette and slots; run where a new or loaded
    // scenario must be shown.
    std::function<void()> PresetApp;

    // Empties the working tables, the description and the name, forgets the
    // current file and leaves the new scenario marked as modified.
    void NewFile();
    // Reads a scenario file into the working tables. Throws ProjectError
    // (ScenarioFileError for an unreadable file, number 10001 with the version
    // message for a newer one); after a failure the tables are empty, as the
    // preceding NewFile left them, and the modified flag stays set.
    void LoadPrj(const std::string& path);
    // Writes the working tables to `path` (the current file when empty), which
    // then becomes the current file; clears the modified flag. The previous
    // file survives any failure. Throws ScenarioFileError.
    void SaveAs(const std::string& path);

    // Inserts a new element (`ID` not found in `table`) or updates the element
    // `ID`; `ID` receives the element's identity. True on success.
    bool InsertIntoPRJ(std::string_view table, const ElementValues& values, int32_t& ID);
    // Links two conditions; `ID1` 0 takes the last condition before `ID2`.
    bool InsertIntoOPE(std::string_view opeTable, int32_t ID_OPE, int32_t ID1, int32_t ID2);
    // Deletes element `ID`, and with `opeTable` the links naming it.
    bool DeletePRJ(std::string_view table, int32_t ID, std::string_view opeTable = {});
    bool DeleteOPE(std::string_view opeTable, int32_t ID_OPE, int32_t ID1, int32_t ID2);
    // Moves element `id1` to the position of element `id2`.
    bool RebuildOrder(std::string_view table, int32_t id1, int32_t id2, bool relink = false);

    // The enable and disable commands that the last loaded file carried; they
    // are written back when the project has no entry for the saved file.
    const Abilita& FileAbilita() const { return fileAbilita_; }
    const Disabilita& FileDisabilita() const { return fileDisabilita_; }

  private:
    db::Database& database() const;
    void preset();

    db::Database* db_;
    bool modified_ = false;
    std::shared_ptr<Collezione> project_;
    std::string currentFile_, description_, name_;
    Abilita fileAbilita_;
    Disabilita fileDisabilita_;
};

// The editor's document (process-wide, like the editor window it belongs to).
ScenarioDocument& Document();

// Reads a persisted rowset file and deletes it (a failure to delete is
// ignored). Throws ScenarioFileError when the file does not exist or is not a
// readable rowset.
rowset::Rowset GetRecordSet(const std::string& path);

// Appends rows to a working table: every source column that the table has is
// copied by name, the others are skipped. Returns the number of rows added;
// throws db::Error or rowset::RowsetError (nothing is added then).
int AppendRecords(db::Database& db, const rowset::TableRows& rows, std::string_view table);
int AppendRecords(db::Database& db, const rowset::Rowset& rows, std::string_view table);

// The value formatted as a time of day with the given separator ("hh-mm-ss"
// with '-' and seconds, "hh:mm" with ':' without). A value that is not a time
// ("h:mm", "h:mm:ss", "hh-mm-ss", or a date and time) is returned unchanged.
std::string FormatTimeValue(std::string_view value, char separator, bool seconds);

}  // namespace tessed
