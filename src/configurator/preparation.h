#pragma once
// Preparing and running the configurator: its folders, the language code it
// is given, the filter file that tells it which gateway and key objects the
// editor accepts, and the program itself.
//
// Contract:
// - The configurator is a program of its own, named in the configuration file
//   (section "LEXORA", key "Program"), started without a shell as
//     PROGRAM --language CODE --lx DIR --temp DIR --drag DIR --filters FILE
//             --logs DIR --logging 0|1 --project FILE
//   (docs/configurator.md). It runs in a process group of its own; End stops
//   that group (SIGTERM, then SIGKILL after kEndGrace) and reaps it. The
//   project window ends it when it closes, and the process when it exits.
// - Its folders lie under the data folder: "LX", "LX/Temp", "LX/Drag",
//   "system" (with "filters.xml") and "LOGS", "LOGS/LX". One data folder
//   serves one configurator at a time: preparing takes an exclusive lock on
//   "LX/configurator.lock" that the editor holds while its configurator runs,
//   so a second editor on the same data folder never empties the folders a
//   running configurator uses (it is told so with 1111 and 1933).
// - Preparing while this process's configurator still runs changes nothing
//   and succeeds: the configurator is already open.
// - Failures are texts, never exceptions: 1111 (a folder), 1112 (the filter
//   file), 1113 (the program), each followed by a line saying why.
#include <sys/types.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace tessed::db {
class Database;
}

namespace tessed::configurator {

namespace fs = std::filesystem;

inline constexpr long kTextFoldersFailed = 1111;
inline constexpr long kTextFilterFailed = 1112;
inline constexpr long kTextCannotStart = 1113;
inline constexpr long kTextPreparationFailed = 1114;
inline constexpr long kTextInUse = 1933;      // open from another editor on this data folder
inline constexpr long kTextNoProgram = 1934;  // %1: the configuration file
inline constexpr long kTextNoExecute = 1935;  // %1: the program

struct ConfiguratorFolders {
    fs::path lx, temp, drag, system, filterFile, logs, logsLx, lockFile;
    // The folders under a data folder.
    static ConfiguratorFolders Under(const fs::path& dataFolder);
};

// The configurator's language code for a host language (any case): "ITA"
// gives "it", ..., any other "en".
std::string LanguageCode(std::string_view hostLanguage);

// The filter file's text: mode 1, the gateway's key object and bus-in
// number, and one "ko" per key object of the catalogue in ID_KO order.
std::string FilterFileText(db::Database& db, int32_t koGateway, int32_t gotoBusIn);
// Writes it through a temporary file renamed over `path`; false on failure.
bool WriteFilterFile(const fs::path& path, db::Database& db, int32_t koGateway, int32_t gotoBusIn);

// The program named in the configuration file; "" when none is.
std::string ConfiguredProgram();

// The arguments the program is started with (after its name).
struct LaunchArguments {
    std::string language;
    ConfiguratorFolders folders;
    bool logging = false;
    std::string projectFile;
    std::vector<std::string> Argv(const std::string& program) const;
};

// The configurator program this process started.
class ConfiguratorProcess {
  public:
    static constexpr std::chrono::milliseconds kEndGrace{2000};

    ConfiguratorProcess() = default;
    ~ConfiguratorProcess();
    ConfiguratorProcess(const ConfiguratorProcess&) = delete;
    ConfiguratorProcess& operator=(const ConfiguratorProcess&) = delete;

    // Starts `argv` (argv[0] looked up on the search path) in a process group
    // of its own, holding the lock descriptor `lockFd` while it runs (taken
    // over, closed on failure). False with `why` when it cannot be started.
    bool Start(const std::vector<std::string>& argv, int lockFd, std::string& why);
    // Whether the program still runs; reaps it (and frees the lock) once it ended.
    bool Running();
    // Ends the program and everything it started; waits until it is gone.
    void End();
    pid_t Pid() const { return pid_; }

  private:
    void released();
    pid_t pid_ = 0;
    pid_t owner_ = 0;  // the process that started it
    int lockFd_ = -1;
};

// The process's configurator.
ConfiguratorProcess& Configurator();
// Ends it (the project window calls this when it closes).
void EndConfigurator();

// Prepares the folders and the filter file under `dataFolder` and starts the
// configurator on `projectFile`; "" on success, else the text of the failure
// (1111, 1112 or 1113, a line break, and why). `db` gives the key objects;
// the host's language, gateway numbers and logging flag come from Host().
std::string PrepareConfigurator(const fs::path& dataFolder, db::Database& db,
                                const std::string& projectFile);
// The same on the environment's data folder, with a connection of its own on
// the master database (so any thread may run it) and the host's project file
// (KRZProjectFile): the compile run's starter in mode "LEXORA".
std::string PrepareConfigurator();

}  // namespace tessed::configurator
