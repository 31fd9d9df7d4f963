#pragma once
// The scenario document: the scenario open in the editor lives in the working
// tables of the master connection; this class creates, loads and saves it and
// holds the row operations through which the editor changes it.
//
// It is the one change path of a scenario: nothing else writes the working
// tables of an open scenario. Every change counts a revision and is told to
// the listeners (kind, table, rows). "Modified" means the revision differs
// from the one last saved or loaded. Changes are grouped into steps (one user
// action each; nested steps fold into the outermost), which an EditHistory
// attached to the document records for undo and redo through snapshots of the
// whole scenario.
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

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

// What a change did.
enum class ChangeKind {
    kInsert,       // rows added to `table`
    kUpdate,       // rows of `table` rewritten in place
    kDelete,       // rows removed from `table` (an element with its links: two notices)
    kReorder,      // the order of `table` changed
    kDescription,  // the scenario description
    kReset,        // a new or loaded scenario replaced everything (NewFile, LoadPrj)
    kRestore,      // a snapshot replaced everything (undo, redo, Restore)
    kSaved,        // no content change: saved, or marked modified or unmodified
};

struct DocumentChange {
    ChangeKind kind = ChangeKind::kUpdate;
    // The working table; empty for the kinds that concern the whole document.
    std::string table;
    // The element IDs touched; for an operator table the IDs of the two
    // conditions of the link. Empty: every row of the table.
    std::vector<int32_t> rows;
    uint64_t revision = 0;  // the document's revision after the change
};

// Told of every change, after it was made. A listener may read the document
// but must not change it from inside the notice.
class DocumentListener {
  public:
    virtual ~DocumentListener() = default;
    virtual void DocumentChanged(const DocumentChange& change) = 0;
};

// The whole scenario at one revision: the eight working tables (by
// schema::kWorkingTables, rows in stored order), description, name, and the
// enable and disable commands the file carried.
struct ScenarioSnapshot {
    uint64_t revision = 0;
    std::array<rowset::TableRows, 8> tables;
    std::string description, name;
    Abilita abilita;
    Disabilita disabilita;
};

class EditHistory;

class ScenarioDocument {
  public:
    // `db` null: the process-wide master connection, taken at each call, and
    // the process-wide modified flag kept in step; otherwise that connection only.
    explicit ScenarioDocument(db::Database* db = nullptr) : db_(db) {}
    ~ScenarioDocument();
    ScenarioDocument(const ScenarioDocument&) = delete;
    ScenarioDocument& operator=(const ScenarioDocument&) = delete;

    // Document state.
    const std::string& CurrentFile() const { return currentFile_; }
    // The revision differs from the one last saved or loaded (or the document
    // was marked modified). Flags().scenarioChanged mirrors it.
    bool Modified() const;
    // true marks the document modified until the next save or load; false
    // takes the current revision as the saved one.
    void SetModified(bool on);
    // Counts up with every change; undo and redo bring back the revision of
    // the state they restore, so equal revisions mean equal content.
    uint64_t Revision() const { return revision_; }
    const std::string& Description() const { return description_; }
    // Replaces the description (the name dialog); a different text is a change.
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

    // Listeners are not owned; a listener removes itself before it goes.
    void AddListener(DocumentListener* l);
    void RemoveListener(DocumentListener* l);

    // Empties the working tables, the description and the name, forgets the
    // current file and leaves the new scenario marked as modified.
    void NewFile();
    // Reads a scenario file into the working tables. Throws ProjectError
    // (ScenarioFileError for an unreadable file, number 10001 with the version
    // message for a newer one); after a failure the tables are empty, as the
    // preceding NewFile left them, and the modified flag stays set.
    // A file without the signature or without a complete version loads its
    // description, name and commands but no rows; it is then not made the
    // current file (a save asks for a name, the original stays as it is) and
    // text 1119 says so.
    void LoadPrj(const std::string& path);
    // Writes the working tables to `path` (the current file when empty), which
    // then becomes the current file; clears the modified flag. The previous
    // file survives any failure. Throws ScenarioFileError.
    void SaveAs(const std::string& path);

    // Inserts a new element (`ID` not found in `table`) or updates the element
    // `ID`; `ID` receives the element's identity. True on success.
    bool InsertIntoPRJ(std::string_view table, const ElementValues& values, int32_t& ID);
    // Inserts whole element rows (in the table's column order; their ID and
    // ORDINE are ignored) after the element `afterId`, or after the last one
    // when `afterId` is 0 or not in the table: new identities after the
    // largest, the places after it moved on. All rows or none; `ids` receives
    // the new identities in the order of `rows`. A paste of copied elements.
    bool InsertElementRows(std::string_view table, const rowset::TableRows& rows, int32_t afterId,
                           std::vector<int32_t>& ids);
    // Links two conditions; `ID1` 0 takes the last condition before `ID2`.
    bool InsertIntoOPE(std::string_view opeTable, int32_t ID_OPE, int32_t ID1, int32_t ID2);
    // Changes the operator of the link between `ID1` and `ID2`.
    bool UpdateOPE(std::string_view opeTable, int32_t ID_OPE, int32_t ID1, int32_t ID2);
    // Deletes element `ID`, and with `opeTable` the links naming it.
    bool DeletePRJ(std::string_view table, int32_t ID, std::string_view opeTable = {});
    bool DeleteOPE(std::string_view opeTable, int32_t ID_OPE, int32_t ID1, int32_t ID2);
    // Moves element `id1` to the position of element `id2`.
    bool RebuildOrder(std::string_view table, int32_t id1, int32_t id2, bool relink = false);
    // The time text of element `ID`: `KEY_OPT`, `DOVE_KEY` 0 and `CUSTOM` set,
    // as a time element stores them (negated time conditions, which the
    // element insert leaves without them).
    bool SetTimeText(std::string_view table, int32_t ID, const std::string& keyOpt);
    // The action check boxes: `REPEAT` and `RESTART` of every action row, or
    // `RESTART` alone. True when rows were written (none when there are no
    // actions, which is no change).
    bool SetActionFlags(bool repeat, bool restart);
    bool SetActionRestart(bool restart);

    // The enable and disable commands that the last loaded file carried; they
    // are written back when the project has no entry for the saved file.
    const Abilita& FileAbilita() const { return fileAbilita_; }
    const Disabilita& FileDisabilita() const { return fileDisabilita_; }

    // The whole scenario as it stands. Throws db::Error.
    ScenarioSnapshot TakeSnapshot() const;
    // Puts a snapshot back in one savepoint: all of it or, on a failure
    // (false), nothing. The document takes the snapshot's revision, so a
    // restored saved state reads unmodified. The current file stays.
    bool Restore(const ScenarioSnapshot& snapshot);

    // Steps: the changes between the outermost BeginStep and its EndStep are
    // one user action. Every change outside a step is a step of its own.
    void BeginStep();
    void EndStep();
    bool InStep() const { return stepDepth_ > 0; }
    class Step {
      public:
        explicit Step(ScenarioDocument& doc) : doc_(doc) { doc_.BeginStep(); }
        ~Step() { doc_.EndStep(); }
        Step(const Step&) = delete;
        Step& operator=(const Step&) = delete;

      private:
        ScenarioDocument& doc_;
    };

  private:
    friend class EditHistory;
    db::Database& database() const;
    void preset();
    // Empties tables and state for a new scenario (no notice).
    void clearContent();
    // Before the first write of a change: the history keeps the state before.
    void aboutToChange();
    // After a change: a new revision, the mirror flag, the listeners.
    void changed(ChangeKind kind, std::string table = {}, std::vector<int32_t> rows = {});
    void notify(const DocumentChange& change);
    void syncFlag() const;

    db::Database* db_;
    std::shared_ptr<Collezione> project_;
    std::string currentFile_, description_, name_;
    Abilita fileAbilita_;
    Disabilita fileDisabilita_;
    uint64_t revision_ = 0;
    uint64_t lastRevision_ = 0;                  // the highest revision handed out; never reused
    std::optional<uint64_t> savedRevision_ = 0;  // none: marked modified
    int stepDepth_ = 0;
    std::vector<DocumentListener*> listeners_;
    EditHistory* history_ = nullptr;
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
