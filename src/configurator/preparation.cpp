#include "configurator/preparation.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstring>
#include <pugixml.hpp>
#include <sstream>
#include <thread>
#include <utility>

#include "env/database.h"
#include "env/environment.h"
#include "env/files.h"
#include "env/profile.h"
#include "env/state.h"
#include "env/strings.h"
#include "env/texts.h"

extern char** environ;

namespace tessed::configurator {

namespace {

constexpr std::array<std::pair<std::string_view, std::string_view>, 17> kLanguages = {{
    {"ITA", "it"},
    {"FRA", "fr"},
    {"ENG", "en"},
    {"SPA", "es"},
    {"FIA", "nl"},
    {"POR", "pt"},
    {"GER", "de"},
    {"ARA", "ar"},
    {"CHS", "zh_CN"},
    {"CHT", "zh_TW"},
    {"HUN", "hu"},
    {"SL", "sl"},
    {"HR", "hr"},
    {"RUS", "ru"},
    {"GRK", "el"},
    {"POL", "pl"},
    {"TUR", "tr"},
}};

std::string failure(long text, const std::string& why) { return texts::GetText(text) + "\r" + why; }

std::string pathError(const fs::path& p, const std::error_code& ec) {
    return p.string() + ": " + ec.message();
}

// A folder that exists (made when missing) inside the data folder; false
// with `why` otherwise.
bool folderInside(const fs::path& folder, const fs::path& data, std::string& why) {
    std::error_code ec;
    fs::create_directories(folder, ec);
    if (!fs::is_directory(folder, ec)) {
        why = pathError(folder, ec ? ec : std::make_error_code(std::errc::not_a_directory));
        return false;
    }
    if (!files::IsInside(folder, data)) {
        why = folder.string() + ": not inside the data folder " + data.string();
        return false;
    }
    return true;
}

// Deletes the files of a folder (links themselves, never what they name);
// sub-folders stay.
bool deleteFiles(const fs::path& folder, std::string& why) {
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(folder, ec)) {
        std::error_code one;
        if (e.is_directory(one) && !e.is_symlink(one)) continue;
        if (!fs::remove(e.path(), one) && one) {
            why = pathError(e.path(), one);
            return false;
        }
    }
    if (ec) why = pathError(folder, ec);
    return !ec;
}

}  // namespace

ConfiguratorFolders ConfiguratorFolders::Under(const fs::path& data) {
    ConfiguratorFolders f;
    f.lx = data / "LX";
    f.temp = f.lx / "Temp";
    f.drag = f.lx / "Drag";
    f.system = data / "system";
    f.filterFile = f.system / "filters.xml";
    f.logs = data / "LOGS";
    f.logsLx = f.logs / "LX";
    f.lockFile = f.lx / "configurator.lock";
    return f;
}

std::string LanguageCode(std::string_view hostLanguage) {
    const std::string upper = str::ToUpper(str::Trim(hostLanguage));
    for (const auto& [host, code] : kLanguages)
        if (upper == host) return std::string(code);
    return "en";
}

std::string FilterFileText(db::Database& db, int32_t koGateway, int32_t gotoBusIn) {
    pugi::xml_document doc;
    auto decl = doc.append_child(pugi::node_declaration);
    decl.append_attribute("version") = "1.0";
    decl.append_attribute("encoding") = "UTF-8";
    auto gui = doc.append_child("lexora").append_child("lexoragui");
    gui.append_child("mode").text().set("1");
    auto gateway = gui.append_child("gateways").append_child("gateway");
    gateway.append_child("key_object").text().set(std::to_string(koGateway).c_str());
    gateway.append_child("go_to_bus_in").text().set(std::to_string(gotoBusIn).c_str());
    // A failing query fails the file: without "allowed_ko" the configurator
    // would offer every device.
    auto rows = db.query("SELECT ID_KO FROM ANA_KEYOBJECT ORDER BY ID_KO");
    if (!rows.empty()) {
        auto allowed = gui.append_child("allowed_ko");
        for (const db::Row& r : rows)
            allowed.append_child("ko").append_attribute("val") =
                std::to_string(r.getInt("ID_KO")).c_str();
    }
    std::ostringstream out;
    doc.save(out, "  ", pugi::format_default, pugi::encoding_utf8);
    return out.str();
}

bool WriteFilterFile(const fs::path& path, db::Database& db, int32_t koGateway, int32_t gotoBusIn) {
    std::string text;
    try {
        text = FilterFileText(db, koGateway, gotoBusIn);
    } catch (const db::Error&) {
        return false;
    }
    return files::WriteFileAtomic(path, text);
}

std::string ConfiguredProgram() {
    return profile::GetString(env::Env().configFile(), "LEXORA", "Program", "");
}

std::vector<std::string> LaunchArguments::Argv(const std::string& program) const {
    return {program,
            "--language",
            language,
            "--lx",
            folders.lx.string(),
            "--temp",
            folders.temp.string(),
            "--drag",
            folders.drag.string(),
            "--filters",
            folders.filterFile.string(),
            "--logs",
            folders.logsLx.string(),
            "--logging",
            logging ? "1" : "0",
            "--project",
            projectFile};
}

// ------------------------------------------------------------------ process

ConfiguratorProcess::~ConfiguratorProcess() { End(); }

bool ConfiguratorProcess::Start(const std::vector<std::string>& argv, int lockFd,
                                std::string& why) {
    End();
    posix_spawnattr_t attr;
    posix_spawnattr_init(&attr);
    // A group of its own, so that End reaches whatever the program starts;
    // the signals as a fresh program expects them, whatever the editor set.
    posix_spawnattr_setpgroup(&attr, 0);
    sigset_t none, defaults;
    sigemptyset(&none);
    sigemptyset(&defaults);
    for (int s : {SIGPIPE, SIGINT, SIGTERM, SIGHUP, SIGCHLD}) sigaddset(&defaults, s);
    posix_spawnattr_setsigmask(&attr, &none);
    posix_spawnattr_setsigdefault(&attr, &defaults);
    posix_spawnattr_setflags(
        &attr, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    std::vector<char*> args;
    for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    pid_t pid = 0;
    const int rc = argv.empty() || argv[0].empty()
                       ? ENOENT
                       : posix_spawnp(&pid, args[0], &actions, &attr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attr);
    if (rc != 0) {
        why = std::strerror(rc);
        if (lockFd >= 0) ::close(lockFd);
        return false;
    }
    pid_ = pid;
    owner_ = ::getpid();
    lockFd_ = lockFd;
    return true;
}

bool ConfiguratorProcess::Running() {
    if (pid_ <= 0 || owner_ != ::getpid()) return false;
    int status = 0;
    pid_t r;
    while ((r = ::waitpid(pid_, &status, WNOHANG)) < 0 && errno == EINTR) {
    }
    if (r == 0) return true;
    released();
    return false;
}

void ConfiguratorProcess::End() {
    // A forked copy of the editor owns nothing of its parent's.
    if (pid_ <= 0 || owner_ != ::getpid()) return;
    if (Running()) {
        ::kill(-pid_, SIGTERM);
        ::kill(pid_, SIGTERM);
        const auto until = std::chrono::steady_clock::now() + kEndGrace;
        while (Running() && std::chrono::steady_clock::now() < until)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        if (pid_ > 0) {
            ::kill(-pid_, SIGKILL);
            ::kill(pid_, SIGKILL);
            int status = 0;
            while (::waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
            }
            released();
        }
    }
}

void ConfiguratorProcess::released() {
    pid_ = 0;
    if (lockFd_ >= 0) ::close(lockFd_);
    lockFd_ = -1;
}

ConfiguratorProcess& Configurator() {
    static ConfiguratorProcess process;
    return process;
}

void EndConfigurator() { Configurator().End(); }

// ------------------------------------------------------------------ preparing

std::string PrepareConfigurator(const fs::path& dataFolder, db::Database& db,
                                const std::string& projectFile) {
    ConfiguratorProcess& process = Configurator();
    if (process.Running()) return {};
    const ConfiguratorFolders f = ConfiguratorFolders::Under(dataFolder);
    std::string why;
    if (!folderInside(f.lx, dataFolder, why) || !folderInside(f.logs, dataFolder, why))
        return failure(kTextFoldersFailed, why);

    // The folders are this editor's while its configurator runs.
    int lock = ::open(f.lockFile.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0644);
    if (lock < 0)
        return failure(kTextFoldersFailed, pathError(f.lockFile, {errno, std::generic_category()}));
    if (::flock(lock, LOCK_EX | LOCK_NB) != 0) {
        ::close(lock);
        return failure(kTextFoldersFailed, texts::GetText(kTextInUse));
    }
    auto fail = [&](long text, const std::string& reason) {
        ::close(lock);
        return failure(text, reason);
    };
    if (!folderInside(f.temp, dataFolder, why) || !deleteFiles(f.temp, why))
        return fail(kTextFoldersFailed, why);
    std::error_code ec;
    fs::create_directories(f.logsLx, ec);

    const HostSettings& host = Host();
    if (!folderInside(f.system, dataFolder, why)) return fail(kTextFilterFailed, why);
    if (!WriteFilterFile(f.filterFile, db, host.KOGateway, host.GotoBusIN) ||
        !fs::is_regular_file(f.filterFile, ec))
        return fail(kTextFilterFailed, f.filterFile.string());
    if (!folderInside(f.drag, dataFolder, why) || !deleteFiles(f.drag, why))
        return fail(kTextFoldersFailed, why);

    const std::string program = ConfiguredProgram();
    if (program.empty())
        return fail(kTextCannotStart, texts::Format(texts::GetText(kTextNoProgram),
                                                    {env::Env().configFile().string()}));
    LaunchArguments args{LanguageCode(host.ParentLang), f, host.Logging, projectFile};
    if (!process.Start(args.Argv(program), lock, why))
        return failure(kTextCannotStart,
                       texts::Format(texts::GetText(kTextNoExecute), {program}) + " (" + why + ")");
    return {};
}

std::string PrepareConfigurator() {
    env::Environment& e = env::Env();
    if (Configurator().Running()) return {};
    // A connection of its own: the compile window runs this on its worker
    // thread, and the master connection belongs to the window's thread.
    db::Database db;
    try {
        db = e.OpenWorkConnection();
    } catch (const db::Error& ex) {
        return failure(kTextFilterFailed, ex.what());
    }
    return PrepareConfigurator(e.dataFolder(), db, Host().KRZProjectFile);
}

}  // namespace tessed::configurator
