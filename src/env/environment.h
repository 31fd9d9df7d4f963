#pragma once
// The component's folders, its configuration file, the choice and opening of
// the master database, its compaction, and the advisory locks by which running
// instances see each other.
//
// Working folders. Every process that opens a project owns an area of its own
// under the data folder's "temp":
//
//   temp/<owner>.lock    the process holds an exclusive flock on it while it lives
//   temp/<owner>/        its area: everything it unpacks or stages beside its
//     work/              working folder, which workingFolder() returns
//
// <owner> is "p" + process id + "-" + a random number, and the lock file is
// created exclusively, so no two processes ever share a name. The area is made
// and locked at the first call of workingFolder(); a batch job takes a fresh
// one for its duration (ScopedWorkingFolder). InitFolders removes what no live
// owner holds: areas whose lock can be taken because their owner has gone, and
// anything else in "temp" (the layout of old, when every process shared
// "temp" itself). Clearing a working folder therefore never touches another
// process's project. Staging, import and conversion folders are made inside
// the area too (areaFolder()), so a killed process leaves nothing that the
// next start does not remove. The start also removes the other scratch a kill
// leaves in the data folder: hidden temporaries of overwrites and compaction
// copies (with their journals) whose process has gone, and "PRJ<n>" folders of
// earlier builds untouched for hours.
//
// Master database locks. While the master connection is open the process holds
// a shared flock on the database file; CanRun asks for an exclusive one without
// waiting. A lock only counts on the file the path names now: a compaction
// renames its copy over the database, so every lock taken is checked against
// the path afterwards and taken again when the file was replaced meanwhile.
// Compaction turns the process's own shared lock into an exclusive one, locks
// its copy before renaming it over the database and turns that lock back into a
// shared one, so there is no moment in which the database is held by nobody.
// (When the upgrade is refused because another instance holds the database,
// the kernel may drop the shared lock first; it is taken again at once, and
// the other instance holds the database meanwhile.)
#include <sys/types.h>

#include <filesystem>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "env/database.h"

namespace tessed::env {

namespace fs = std::filesystem;

// One entry of the language sub-menu.
struct LanguageTool {
    int id = 0;            // 1000 + n, n counting the readable databases from 1
    std::string name;      // "mnulang"
    std::string caption;   // DB_CONFIG.LINGUA of the database
    std::string tag;       // the language code, "ITA"
    bool checked = false;  // the current language
    fs::path file;
};

// "EditorTessaro_" + major "00" + minor "00": "EditorTessaro_0400" for 4.0.
std::string AppFolderName();
// The configuration file's name: the component's own file name + ".INI".
inline constexpr const char* kConfigFileName = "Tessed40.INI";

// Prepares every connection the environment opens on a master database before
// anyone uses it. The model installs the creation of the scenario working
// tables here (schema::InstallWorkingTables), so that the environment does not
// depend on the layer above it.
using ConnectionSetup = std::function<void(db::Database&)>;
void SetConnectionSetup(ConnectionSetup setup);

class Environment {
  public:
    // Prepares the data and documents folders (class initialisation of Edit).
    // The data folder comes from TESSED_DATA_DIR when set, else
    // ${XDG_DATA_HOME:-~/.local/share}/Velmora/<appFolderName>; the documents
    // folder from TESSED_DOCUMENTS_DIR, else the XDG documents folder +
    // /Velmora/<appFolderName>, with its "Export" sub-folder. On a data folder
    // without a master database, the shipped catalogue is copied into it.
    // True when the data folder exists afterwards.
    bool InitFolders(const std::string& appFolderName);

    const fs::path& dataFolder() const { return data_; }
    const fs::path& documentsFolder() const { return documents_; }
    fs::path exportFolder() const { return documents_ / "Export"; }
    // The process's own working folder, "temp/<owner>/work" (see the top of
    // this file); made and locked at the first call.
    fs::path workingFolder() const;
    // The area holding the current working folder ("temp/<owner>"), where
    // scratch folders of the process's own go.
    fs::path areaFolder() const { return workingFolder().parent_path(); }
    const fs::path& resourcesFolder() const { return resources_; }
    fs::path configFile() const { return data_ / kConfigFileName; }
    fs::path databaseFile(const std::string& lang) const;
    fs::path splashPicture() const { return data_ / "system" / "splash.gif"; }

    const std::string& currentLanguage() const { return language_; }
    const fs::path& masterDatabase() const { return masterFile_; }
    const std::vector<LanguageTool>& languages() const { return languages_; }

    // Chooses the language, fills the language list, opens and compacts the
    // master database. The language is LINGUA of the configuration file (the
    // QUARN host's ParentLang instead), or "ITA" when that language has no
    // database, as CanRun chooses it. On failure shows the critical "Unable to
    // load system database." message and returns false.
    bool OpenSystemDatabase();
    // Opens the master connection on the chosen database; true on success.
    // Runs the connection setup (the working tables), loads the texts and
    // takes the shared lock.
    bool OpenConnection();
    void CloseConnection();
    // Another connection on the master database, with working tables of its
    // own (the connection setup runs on it): a compile run loads scenarios
    // there and never touches the scenario shown in the editor. Each thread
    // uses its own. Throws db::Error when the database cannot be opened.
    db::Database OpenWorkConnection() const;
    bool connected() const { return master_.isOpen(); }
    db::Database& master() { return master_; }

    // Rewrites the master database compacted, through a temporary file renamed
    // over it; only a copy that passes the quick integrity check and holds the
    // same language record (DB_CONFIG.LINGUA) as the database replaces it.
    // Skipped when another instance holds the database; every failure is
    // ignored and the database is then used as it is. Leaves the process
    // holding the shared lock on the database file.
    void CompactDatabase();

    // True when the database of the language the component would use (the
    // same choice as OpenSystemDatabase) holds its language record and can be
    // taken exclusively now: no other instance has it open.
    bool CanRun(const std::string& parentLang) const;

    // Empties the process's working folder (only when it lies inside the data
    // folder), then replaces the project object and empties the current
    // project file.
    void ClearWorkingFolder();

    // The folder holding the shipped catalogue (dat/, dat/res/, system/): the
    // TESSED_SHARE_DIR override, the installed share folder next to the
    // program, the configured install prefix, or the build tree.
    static fs::path ShippedCatalogueFolder();

    Environment() = default;
    // Removes the process's own working folders.
    ~Environment();
    Environment(const Environment&) = delete;
    Environment& operator=(const Environment&) = delete;

  private:
    friend class ScopedWorkingFolder;

    // A working folder and the lock that makes it the process's own.
    struct WorkingFolderLease {
        fs::path area, folder, lockFile;
        int fd = -1;
        pid_t pid = 0;  // the process that took it: a forked child owns none of its parent's
    };

    void seedCatalogue();
    std::string configuredLanguage() const;
    // The database file of a language code in any letter case; empty when none.
    fs::path findDatabase(const std::string& lang) const;
    // `wanted` when it has a database, else "ITA".
    std::string effectiveLanguage(const std::string& wanted) const;
    void sweepWorkingFolders() const;
    // Removes what killed processes left elsewhere in the data folder.
    void sweepScratch() const;
    WorkingFolderLease takeWorkingFolder() const;
    static void releaseWorkingFolder(WorkingFolderLease& lease, bool remove);
    bool holdSharedLock();
    void releaseLock();

    fs::path data_, documents_, resources_, masterFile_;
    std::string language_ = "ITA";
    std::vector<LanguageTool> languages_;
    db::Database master_;
    int lockFd_ = -1;
    pid_t lockPid_ = 0;
    // The process's own working folder, then one per batch job running in it.
    mutable std::vector<WorkingFolderLease> leases_;
    mutable std::mutex leasesMutex_;
};

// Gives the process a fresh working folder of its own for the life of the
// object, then removes it and makes the previous one current again. Batch jobs
// run in one, so they never clear the folder of a project the process has
// open. The folder is the process's current one while the object lives, for
// every thread: batch jobs run on the host's thread, like everything else.
class ScopedWorkingFolder {
  public:
    ScopedWorkingFolder();
    ~ScopedWorkingFolder();
    ScopedWorkingFolder(const ScopedWorkingFolder&) = delete;
    ScopedWorkingFolder& operator=(const ScopedWorkingFolder&) = delete;
};

// The process-wide environment.
Environment& Env();

}  // namespace tessed::env
