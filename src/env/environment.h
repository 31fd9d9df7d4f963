#pragma once
// The component's folders, its configuration file, the choice and opening of
// the master database, its compaction, and the advisory lock by which running
// instances see each other.
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "env/database.h"

namespace tessed::env {

namespace fs = std::filesystem;

// One entry of the language sub-menu.
struct LanguageTool {
    int id = 0;              // 1000 + n, n counting the readable databases from 1
    std::string name;        // "mnulang"
    std::string caption;     // DB_CONFIG.LINGUA of the database
    std::string tag;         // the language code, "ITA"
    bool checked = false;    // the current language
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
    fs::path workingFolder() const { return data_ / "temp"; }
    const fs::path& resourcesFolder() const { return resources_; }
    fs::path configFile() const { return data_ / kConfigFileName; }
    fs::path databaseFile(const std::string& lang) const;
    fs::path splashPicture() const { return data_ / "system" / "splash.gif"; }

    const std::string& currentLanguage() const { return language_; }
    const fs::path& masterDatabase() const { return masterFile_; }
    const std::vector<LanguageTool>& languages() const { return languages_; }

    // Chooses the language, fills the language list, opens and compacts the
    // master database. On failure shows the critical "Unable to load system
    // database." message and returns false.
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
    // over it. Skipped when another instance holds the database; every failure
    // is ignored and the database is then used as it is.
    void CompactDatabase();

    // True when the database of the language the component would use can be
    // taken exclusively now: no other instance has it open.
    bool CanRun(const std::string& parentLang) const;

    // Empties the working folder (only when it lies inside the data folder),
    // then replaces the project object and empties the current project file.
    void ClearWorkingFolder();

    // The folder holding the shipped catalogue (dat/, dat/res/, system/): the
    // TESSED_SHARE_DIR override, the installed share folder next to the
    // program, the configured install prefix, or the build tree.
    static fs::path ShippedCatalogueFolder();

private:
    void seedCatalogue();
    std::string configuredLanguage() const;

    fs::path data_, documents_, resources_, masterFile_;
    std::string language_ = "ITA";
    std::vector<LanguageTool> languages_;
    db::Database master_;
    int lockFd_ = -1;
};

// The process-wide environment.
Environment& Env();

}  // namespace tessed::env
