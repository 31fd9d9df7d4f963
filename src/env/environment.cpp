#include "env/environment.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "env/files.h"
#include "env/messages.h"
#include "env/profile.h"
#include "env/state.h"
#include "env/texts.h"
#include "env/version.h"
#include "env/strings.h"

namespace tessed::env {

namespace {

std::string getenvStr(const char* name) {
    const char* v = std::getenv(name);
    return v ? v : "";
}

fs::path homeFolder() {
    std::string h = getenvStr("HOME");
    return h.empty() ? fs::path("/tmp") : fs::path(h);
}

// The XDG documents folder, as `xdg-user-dir DOCUMENTS` reports it.
fs::path xdgDocuments() {
    std::string cfg = getenvStr("XDG_CONFIG_HOME");
    fs::path dirs = (cfg.empty() ? homeFolder() / ".config" : fs::path(cfg)) / "user-dirs.dirs";
    std::ifstream in(dirs);
    std::string line;
    while (std::getline(in, line)) {
        if (line.rfind("XDG_DOCUMENTS_DIR=", 0) != 0) continue;
        std::string v = line.substr(18);
        if (v.size() >= 2 && v.front() == '"' && v.back() == '"') v = v.substr(1, v.size() - 2);
        if (v.rfind("$HOME", 0) == 0) v = homeFolder().string() + v.substr(5);
        if (!v.empty() && v[0] == '/') return v;
    }
    return homeFolder() / "Documents";
}

bool ensureDir(const fs::path& p) {
    std::error_code ec;
    if (fs::is_directory(p, ec)) return true;
    fs::create_directory(p, ec);
    return fs::is_directory(p, ec);
}

// Holds a lock on a database file for the life of the object.
struct FileLock {
    int fd = -1;
    FileLock(const fs::path& file, int op) {
        fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd >= 0 && ::flock(fd, op) != 0) {
            ::close(fd);
            fd = -1;
        }
    }
    ~FileLock() {
        if (fd >= 0) ::close(fd);
    }
    bool held() const { return fd >= 0; }
};

fs::path selfExecutableFolder() {
    std::error_code ec;
    fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    return ec ? fs::path() : exe.parent_path();
}

bool hasCatalogue(const fs::path& folder) {
    std::error_code ec;
    if (!fs::is_directory(folder / "dat", ec)) return false;
    for (const auto& e : fs::directory_iterator(folder / "dat", ec))
        if (str::ToUpper(e.path().extension().string()) == ".MDB") return true;
    return false;
}

}  // namespace

std::string AppFolderName() {
    char buf[32];
    std::snprintf(buf, sizeof buf, "EditorTessaro_%02d%02d", kVersionMajor % 100,
                  kVersionMinor % 100);
    return buf;
}

namespace {
ConnectionSetup& connectionSetup() {
    static ConnectionSetup setup;
    return setup;
}
}  // namespace

void SetConnectionSetup(ConnectionSetup setup) { connectionSetup() = std::move(setup); }

Environment& Env() {
    static Environment env;
    return env;
}

fs::path Environment::databaseFile(const std::string& lang) const {
    return data_ / "dat" / ("TESSED" + lang + ".mdb");
}

fs::path Environment::ShippedCatalogueFolder() {
    std::string over = getenvStr("TESSED_SHARE_DIR");
    if (!over.empty()) return over;
    std::vector<fs::path> candidates;
    fs::path exeDir = selfExecutableFolder();
    if (!exeDir.empty()) {
        candidates.push_back(exeDir.parent_path() / "share" / "tessed");
        candidates.push_back(exeDir);  // the build tree keeps dat/ beside the programs
        candidates.push_back(exeDir.parent_path());
    }
    candidates.push_back(TESSED_INSTALL_SHARE_DIR);
    candidates.push_back(TESSED_BUILD_SHARE_DIR);
    for (const auto& c : candidates)
        if (hasCatalogue(c)) return c;
    return {};
}

void Environment::seedCatalogue() {
    if (hasCatalogue(data_)) return;
    fs::path from = ShippedCatalogueFolder();
    if (from.empty()) return;
    std::error_code ec;
    for (const char* sub : {"dat", "system"}) {
        if (!fs::is_directory(from / sub, ec)) continue;
        fs::copy(from / sub, data_ / sub,
                 fs::copy_options::recursive | fs::copy_options::skip_existing, ec);
    }
}

bool Environment::InitFolders(const std::string& appFolderName) {
    std::string dataOver = getenvStr("TESSED_DATA_DIR");
    if (!dataOver.empty()) {
        data_ = dataOver;
        std::error_code ec;
        fs::create_directories(data_, ec);
    } else {
        std::string xdg = getenvStr("XDG_DATA_HOME");
        fs::path base = xdg.empty() ? homeFolder() / ".local" / "share" : fs::path(xdg);
        std::error_code ec;
        fs::create_directories(base, ec);
        data_ = base / "Velmora";
        if (ensureDir(data_)) ensureDir(data_ / appFolderName);
        data_ /= appFolderName;
    }
    resources_ = data_ / "dat" / "res";
    std::error_code ec;
    if (!fs::is_directory(data_, ec)) return false;

    std::string docOver = getenvStr("TESSED_DOCUMENTS_DIR");
    if (!docOver.empty()) {
        documents_ = docOver;
        fs::create_directories(documents_, ec);
        ensureDir(documents_ / "Export");
    } else {
        documents_ = xdgDocuments();
        if (fs::is_directory(documents_, ec)) {
            documents_ /= "Velmora";
            if (ensureDir(documents_)) {
                documents_ /= appFolderName;
                if (ensureDir(documents_)) ensureDir(documents_ / "Export");
            }
        }
    }
    seedCatalogue();
    return true;
}

std::string Environment::configuredLanguage() const {
    std::string lang = profile::GetString(configFile(), "GENERALE", "LINGUA", "");
    return lang.empty() ? "ITA" : lang;
}

bool Environment::OpenSystemDatabase() {
    language_ = configuredLanguage();
    if (Host().isQuarnHost()) {
        language_ = Host().ParentLang;
        std::error_code ec;
        if (language_.empty() || !fs::is_regular_file(databaseFile(language_), ec)) language_ = "ITA";
    }

    languages_.clear();
    masterFile_.clear();
    std::vector<fs::path> files;
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(data_ / "dat", ec))
        if (e.is_regular_file(ec) && str::ToUpper(e.path().extension().string()) == ".MDB")
            files.push_back(e.path());
    std::sort(files.begin(), files.end());
    int n = 0;
    for (const auto& f : files) {
        try {
            db::Database probe(f.string(), db::Database::Mode::ReadOnly);
            auto row = probe.queryOne("SELECT LINGUA FROM DB_CONFIG");
            if (!row) continue;
            ++n;
            std::string code = str::ToUpper(f.filename().string());
            code.erase(0, code.rfind("TESSED", 0) == 0 ? 6 : 0);
            if (code.size() >= 4 && code.compare(code.size() - 4, 4, ".MDB") == 0)
                code.erase(code.size() - 4);
            LanguageTool tool{1000 + n, "mnulang", row->getText("LINGUA"), code,
                              db::iequals(code, language_), f};
            if (tool.checked) masterFile_ = f;
            languages_.push_back(std::move(tool));
        } catch (const db::Error&) {
            // An unreadable language database gets no menu entry.
        }
    }

    if (!OpenConnection()) {
        Messages().critical("Warning",
                            "Unable to load system database.\rThe application will end");
        return false;
    }
    CompactDatabase();
    if (!OpenConnection()) {
        Messages().critical("Warning",
                            "Unable to load system database.\rThe application will end");
        return false;
    }
    resources_ = data_ / "dat" / "res";
    return true;
}

bool Environment::OpenConnection() {
    CloseConnection();
    if (masterFile_.empty()) return false;
    try {
        // The shared lock marks this instance as a user of the database; it is
        // taken before the connection so that CanRun never sees a gap.
        FileLock lock(masterFile_, LOCK_SH);
        if (!lock.held()) return false;
        master_.open(masterFile_.string(), db::Database::Mode::ReadWrite);
        if (connectionSetup()) connectionSetup()(master_);
        lockFd_ = lock.fd;
        lock.fd = -1;
        texts::Load(master_);
        return true;
    } catch (const db::Error&) {
        master_.close();
        return false;
    }
}

db::Database Environment::OpenWorkConnection() const {
    if (masterFile_.empty()) throw db::Error("no master database is open");
    db::Database work(masterFile_.string(), db::Database::Mode::ReadWrite);
    if (connectionSetup()) connectionSetup()(work);
    return work;
}

void Environment::CloseConnection() {
    master_.close();
    if (lockFd_ >= 0) {
        ::close(lockFd_);
        lockFd_ = -1;
    }
}

void Environment::CompactDatabase() {
    CloseConnection();
    if (masterFile_.empty()) return;
    // Another instance that has the database open keeps it as it is.
    FileLock lock(masterFile_, LOCK_EX | LOCK_NB);
    if (!lock.held()) return;
    fs::path tmp = masterFile_.parent_path() /
                   ("temp-" + std::to_string(::getpid()) + "-" + masterFile_.filename().string());
    std::error_code ec;
    fs::remove(tmp, ec);
    try {
        db::Database src(masterFile_.string(), db::Database::Mode::ReadOnly);
        src.execute("VACUUM INTO ?1", {tmp.string()});
        src.close();
        // Only a copy that opens and has the language record replaces the original.
        db::Database check(tmp.string(), db::Database::Mode::ReadOnly);
        check.queryOne("SELECT LINGUA FROM DB_CONFIG");
        check.close();
        fs::rename(tmp, masterFile_, ec);
    } catch (const db::Error&) {
    }
    fs::remove(tmp, ec);
}

bool Environment::CanRun(const std::string& parentLang) const {
    try {
        std::string lang = Host().isQuarnHost() ? parentLang : configuredLanguage();
        std::error_code ec;
        fs::path file = databaseFile(lang);
        if (lang.empty() || !fs::is_regular_file(file, ec)) file = databaseFile("ITA");
        if (!fs::is_regular_file(file, ec)) return false;
        FileLock lock(file, LOCK_EX | LOCK_NB);
        if (!lock.held()) return false;
        db::Database probe(file.string(), db::Database::Mode::ReadOnly);
        return true;
    } catch (...) {
        return false;
    }
}

void Environment::ClearWorkingFolder() {
    fs::path work = workingFolder();
    std::error_code ec;
    if (!data_.empty() && fs::is_directory(work, ec) && files::IsInside(work, data_)) {
        for (const auto& e : fs::directory_iterator(work, ec)) {
            std::error_code ec2;
            // Links are removed themselves, never followed.
            fs::remove_all(e.path(), ec2);
        }
    }
    ResetProjectObject();
}

}  // namespace tessed::env
