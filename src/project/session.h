#pragma once
// The project session: what the project window shows and does, without the
// window. It holds the open project's tree (nodes with keys, texts, images and
// tags), the property items of a node and their write-back, and the project and
// scenario operations: open, save, new, delete, duplicate, export, import,
// conversion of older projects, compilation, and the recent-files list.
//
// The open project lives unpacked in the working folder; its object is the
// process-wide CurrentProject(), and the changed flag is Flags().projectChanged.
// Dialogs (names, confirmations, file choices) belong to the window: the
// operations here take what the user chose.
//
// Change notifications. A tree view registers a TreeListener and refreshes
// only what it is told. Every operation that changes the tree reports it once,
// at its end, when the tree and the project object agree again: NewProject and
// LoadFilePrj (also a failed open, which leaves the fixed nodes) report the
// whole tree as replaced; every other operation lists the nodes it added,
// removed or changed (text, image, parent or tag), found by comparing the tree
// with the one last reported, so a change made through Tree() is reported with
// the next operation. An operation that changes no node reports nothing. A
// listener may read the session but must not change it while it is called.
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "compiler/compile_run.h"
#include "model/project.h"

namespace tessed::project {

namespace fs = std::filesystem;

// Tree node keys and images.
inline constexpr const char* kNodeProject = "COLLEZIONE";
inline constexpr const char* kNodePanic = "COLLEZIONE$TASTOPANICO";
inline constexpr const char* kNodeAllScenarios = "COLLEZIONE$ALLSCENARI";
inline constexpr const char* kScenarioPrefix = "SCENARIO$";
inline constexpr size_t kMaxNameLength = 15;

struct TreeNode {
    std::string key;
    std::string parent;  // empty for the root
    std::string text;
    std::string image;  // also the selected image
    std::string tag;    // the scenario's key, for scenario nodes
};

// The project tree in insertion order (children after their parent).
class ProjectTree {
  public:
    void Clear() { nodes_.clear(); }
    // The project, panic-button and all-scenarios nodes.
    void AddFixedNodes();
    // A scenario's node with its enable and disable children.
    void AddScenario(const Scenario& s);
    // Removes a node and everything under it.
    void Remove(std::string_view key);
    const TreeNode* Find(std::string_view key) const;
    TreeNode* Find(std::string_view key);
    std::vector<const TreeNode*> Children(std::string_view key) const;
    const std::vector<TreeNode>& Nodes() const { return nodes_; }

  private:
    void add(TreeNode n);
    std::vector<TreeNode> nodes_;
};

std::string ScenarioNodeKey(const std::string& scenarioKey);
// "scriptok", "scriptko" or "scripterror".
std::string StateImage(ScrptStatus state);
// ScenarioCompileState (-1, 0, 1) as the scenario's state.
ScrptStatus StateOf(int compileState);

// What one operation did to the tree. `replaced`: the tree was built anew and
// the lists are empty (reload every node). Otherwise node keys in tree order:
// `removed` as the tree was before (a scenario's node before its enable and
// disable children), `added` and `changed` as it is now.
struct TreeChange {
    bool replaced = false;
    std::vector<std::string> added, removed, changed;
    bool empty() const { return !replaced && added.empty() && removed.empty() && changed.empty(); }
};
using TreeListener = std::function<void(const TreeChange&)>;

// One row of the property list. `key` is the node key, "$" and the item name.
struct PropertyItem {
    std::string key;
    std::string caption;
    std::string description;
    std::string category;  // a group heading inside the list, for command items
    std::string value;
    std::string image;  // the state image of a row of the all-scenarios node
    bool editable = true;
};

struct PropertyList {
    std::string heading;
    std::vector<PropertyItem> items;
};

// One row of the import list.
struct ImportRow {
    bool checked = false;
    std::string text;  // the scenario's name
    std::string tag;   // its scenario file in the import folder
};

// The four most recently used project files (section "FileCfg", File1..File4
// of the configuration file).
class RecentFiles {
  public:
    static constexpr int kCount = 4;
    // Entries that could not have been stored (below) read as empty.
    void ReadIni();
    // Moves or adds `file` to the top and writes the list back; an empty path,
    // or one that the configuration file cannot hold as it is (Storable),
    // changes nothing and is never listed. False when the configuration file
    // cannot be written.
    bool SaveFileCfgToIni(const std::string& file);
    const std::vector<std::string>& Entries() const { return entries_; }  // always kCount
    // The separator before the entries is shown when there is at least one.
    bool AnyEntry() const;
    // Whether a path reads back from the configuration file as it was
    // written: no line break, NUL or tab, no blank at either end, no pair of
    // outer quotes.
    static bool Storable(const std::string& file);

  private:
    std::vector<std::string> entries_ = std::vector<std::string>(kCount);
};

class ProjectSession {
  public:
    ProjectSession();

    ProjectTree& Tree() { return tree_; }
    const ProjectTree& Tree() const { return tree_; }
    std::shared_ptr<Collezione> Project() const { return CurrentProject(); }
    fs::path WorkingFolder() const;
    bool Changed() const;
    void SetChanged(bool on);

    // Registers a listener of tree changes; the number removes it again.
    int AddTreeListener(TreeListener listener);
    void RemoveTreeListener(int id);

    // "mnunewprj": clears the working folder and shows an empty project.
    void NewProject();

    // Opens a project file into the working folder (which is cleared first)
    // and fills the project object and the tree. True, or False when listed
    // scenarios failed validation (`message` names them; the project is open
    // in both cases). Throws ProjectError when the project cannot be opened;
    // the working folder is then cleared and the project is a new empty one.
    bool LoadFilePrj(const std::string& projectFile, std::string& message);
    // The scenario files that the last open found in folders that hold none
    // of the listed scenarios (the settings file does not reach them: no
    // [file] section, an entry after a gap or beyond file300, a second
    // settings file). They are not scenarios of the project, and every save
    // keeps their folders as they are. Relative paths with "/".
    const std::vector<std::string>& UnlistedScenarioFiles() const { return unlisted_; }
    // Writes the working folder into `targetFile`; "" on success, else the
    // text that explains the failure. An existing target is replaced only by a
    // complete new file (a link is followed, a write-protected file refused).
    // A project whose scenario file has gone is refused (text 1032 and the
    // scenarios) and nothing is written. Every folder of the working folder is
    // saved as an inner archive, the scenarios' and any other (see
    // UnlistedScenarioFiles), so nothing the open unpacked is ever dropped.
    std::string SaveProject(const std::string& targetFile);
    // "mnusaveprj" with a current project file: saves into it; on success the
    // file goes to the recent files and the changed flag is cleared.
    std::string SaveCurrent(RecentFiles* recent = nullptr);

    // "new": a scenario named `name` (cut to 15 characters) in the next free
    // scenario folder. Throws ProjectError (text 1753 at 300 scenarios).
    std::shared_ptr<Scenario> NewScenario(const std::string& name);
    // "delete": the scenario, its folder and its nodes. False when unknown.
    bool DeleteScenario(const std::string& key);
    // "duplicate": a copy of the scenario file in the next free folder.
    std::shared_ptr<Scenario> DuplicateScenario(const std::string& key);
    // "esporta": copies the scenario file to `target` (".TDX" added when it has
    // no extension). False with text 1090 in `message` on failure.
    bool ExportScenario(const std::string& key, const std::string& target, std::string& message);
    // "importscript": a scenario file taken into the project as a new scenario.
    // Throws ProjectError when the file is refused or cannot be copied.
    std::shared_ptr<Scenario> ImportScenarioFile(const std::string& file);

    // "mnuimportprj": unpacks another project into a fresh import folder and
    // lists its scenarios. Throws ProjectError (1031 missing file, 1009 a
    // project that cannot be opened).
    std::vector<ImportRow> OpenProjectForImport(const std::string& projectFile);
    // Adds the checked rows in list order; stops at the first failure, whose
    // text goes to `message`. Returns the number added.
    int ImportScenarios(const std::vector<ImportRow>& rows, std::string& message);
    // Deletes the import folder.
    void CloseImport();
    const fs::path& ImportFolder() const { return importFolder_; }

    // Rearranges an older project in the working folder into numbered
    // scenario folders, rewriting the `file<n>` entries of `settingsFile`.
    // Throws ProjectError.
    void ConvertOldProject(const fs::path& settingsFile);

    PropertyList Properties(const std::string& nodeKey) const;
    // Writes a changed item back; `shown` receives the value the item shows
    // afterwards. False (nothing changed) for an unknown item, a value that is
    // not accepted, or a file that cannot be written (`error` says which).
    bool SetProperty(const std::string& itemKey, const std::string& value, std::string& shown,
                     std::string& error);

    // "compile" and "compileall": the compile run over one scenario or all of
    // them, then every compiled scenario's state is read again. The run loads
    // the scenarios on connections of its own: the scenario open in the editor
    // and its modified flag stay as they are. `prepare` may adjust the run
    // (compiler, loader, workers) before it starts.
    using RunSetup = std::function<void(compiler::CompileRun&)>;
    compiler::CompileResult Compile(const std::string& key, compiler::CompileObserver& observer,
                                    const RunSetup& prepare = {});
    compiler::CompileResult CompileAll(compiler::CompileObserver& observer,
                                       const RunSetup& prepare = {});
    // Reads a scenario's state from its files and updates its node's image.
    void RefreshState(Scenario& s);

    // The same runs for a caller that executes them elsewhere, such as the log
    // window's worker thread: PrepareCompile makes the run on the session's
    // thread (it copies what it needs of the project), the caller runs it on
    // any thread, and FinishCompile reads the states again and reports the
    // tree's changes, back on the session's thread. An empty `key` means every
    // scenario ("compileall"); an unknown key gives a run without entries.
    struct PreparedCompile {
        std::unique_ptr<compiler::CompileRun> run;
        std::vector<std::string> keys;  // the scenarios in the run, in project order
    };
    PreparedCompile PrepareCompile(const std::string& key);
    void FinishCompile(const PreparedCompile& prepared);

  private:
    std::shared_ptr<Scenario> addScenarioFile(const std::string& source, bool validate,
                                              const std::string& name);
    std::shared_ptr<Scenario> addLoaded(const fs::path& file, const std::string& relative,
                                        const std::string& key, Scenario&& s);
    std::string nextKey() const;
    compiler::CompileResult runCompile(const std::string& key, compiler::CompileObserver& observer,
                                       const RunSetup& prepare);
    // Sets the changed flag and reports the tree's changes to the listeners.
    void changed();
    // Reports the tree as replaced.
    void replaced();
    void publish();

    ProjectTree tree_;
    std::vector<std::string> unlisted_;
    fs::path importFolder_;
    std::vector<std::pair<int, TreeListener>> listeners_;
    int nextListener_ = 0;
    std::vector<TreeNode> shown_;  // the tree as last reported
    bool replacedPending_ = false;
    int holdReports_ = 0;  // inside an operation made of several: report at its end
};

}  // namespace tessed::project
