#include "env/environment.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <random>

#include "env/files.h"
#include "env/messages.h"
#include "env/profile.h"
#include "env/state.h"
#include "env/strings.h"
#include "env/texts.h"
#include "env/version.h"

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

// True when `fd` is open on the file that `path` names now.
bool sameFile(int fd, const fs::path& path) {
    struct stat a {
    }, b{};
    return ::fstat(fd, &a) == 0 && ::stat(path.c_str(), &b) == 0 && a.st_dev == b.st_dev &&
           a.st_ino == b.st_ino;
}

// Opens `file` and takes the flock `op` on it; the descriptor, or -1. A lock
// that was granted on a file renamed away while we waited (a compaction's copy
// took its place) guards nothing, so that case takes the lock again on the
// file the path names now.
int lockCurrentFile(const fs::path& file, int op) {
    for (int attempt = 0; attempt < 1000; ++attempt) {
        int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) return -1;
        if (::flock(fd, op) != 0) {
            ::close(fd);
            return -1;
        }
        if (sameFile(fd, file)) return fd;
        ::close(fd);
    }
    return -1;
}

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
    sweepWorkingFolders();
    sweepScratch();
    return true;
}

std::string Environment::configuredLanguage() const {
    std::string lang = profile::GetString(configFile(), "GENERALE", "LINGUA", "");
    return lang.empty() ? "ITA" : lang;
}

fs::path Environment::findDatabase(const std::string& lang) const {
    if (lang.empty()) return {};
    // The code compares without regard to case, as the language list does.
    const std::string wanted = "TESSED" + str::ToUpper(lang) + ".MDB";
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(data_ / "dat", ec)) {
        std::error_code ec2;
        if (e.is_regular_file(ec2) && str::ToUpper(e.path().filename().string()) == wanted)
            return e.path();
    }
    return {};
}

std::string Environment::effectiveLanguage(const std::string& wanted) const {
    return findDatabase(wanted).empty() ? "ITA" : wanted;
}

bool Environment::OpenSystemDatabase() {
    // A language without a database falls back to Italian, for the QUARN
    // host's language and the configured one alike, exactly as CanRun
    // decides: a "True" from CanRun is never followed by a failed start.
    language_ = effectiveLanguage(Host().isQuarnHost() ? Host().ParentLang : configuredLanguage());

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
            LanguageTool tool{
                1000 + n, "mnulang", row->getText("LINGUA"), code, db::iequals(code, language_), f};
            if (tool.checked) masterFile_ = f;
            languages_.push_back(std::move(tool));
        } catch (const db::Error&) {
            // An unreadable language database gets no menu entry.
        }
    }

    if (!OpenConnection()) {
        Messages().critical("Warning", "Unable to load system database.\rThe application will end");
        return false;
    }
    CompactDatabase();
    if (!OpenConnection()) {
        Messages().critical("Warning", "Unable to load system database.\rThe application will end");
        return false;
    }
    resources_ = data_ / "dat" / "res";
    return true;
}

bool Environment::holdSharedLock() {
    if (lockFd_ >= 0 && lockPid_ == ::getpid()) {
        // Already shared: nothing happens. Exclusive: becomes shared in one
        // step. Lost (a failed upgrade drops it): waits for it again.
        if (::flock(lockFd_, LOCK_SH) == 0 && sameFile(lockFd_, masterFile_)) return true;
    }
    releaseLock();
    int fd = lockCurrentFile(masterFile_, LOCK_SH);
    if (fd < 0) return false;
    lockFd_ = fd;
    lockPid_ = ::getpid();
    return true;
}

void Environment::releaseLock() {
    // Closing, never LOCK_UN: a descriptor inherited through fork() shares its
    // lock with the parent, which must keep it.
    if (lockFd_ >= 0) ::close(lockFd_);
    lockFd_ = -1;
    lockPid_ = 0;
}

bool Environment::OpenConnection() {
    master_.close();
    if (masterFile_.empty()) {
        releaseLock();
        return false;
    }
    try {
        // The shared lock marks this instance as a user of the database; it is
        // taken before the connection, and a lock already held on this file
        // (as a compaction leaves it) is kept, so that CanRun never sees a gap.
        if (!holdSharedLock()) return false;
        master_.open(masterFile_.string(), db::Database::Mode::ReadWrite);
        if (connectionSetup()) connectionSetup()(master_);
        texts::Load(master_);
        return true;
    } catch (const db::Error&) {
        master_.close();
        releaseLock();
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
    releaseLock();
}

void Environment::CompactDatabase() {
    master_.close();
    if (masterFile_.empty()) return;
    if (!holdSharedLock()) return;
    // Another instance that has the database open keeps it as it is. A failed
    // upgrade may have dropped the shared lock: it is taken again at once.
    if (::flock(lockFd_, LOCK_EX | LOCK_NB) != 0 || !sameFile(lockFd_, masterFile_)) {
        holdSharedLock();
        return;
    }
    // Not "*.mdb": a copy left by a crash must not be listed as a language.
    fs::path tmp = masterFile_.parent_path() / ("." + masterFile_.filename().string() +
                                                ".compact-" + std::to_string(::getpid()));
    std::error_code ec;
    fs::remove(tmp, ec);
    try {
        std::string language;
        {
            db::Database src(masterFile_.string(), db::Database::Mode::ReadOnly);
            auto row = src.queryOne("SELECT LINGUA FROM DB_CONFIG");
            if (!row) throw db::Error("the database has no language record");
            language = row->getText("LINGUA");
            src.execute("VACUUM INTO ?1", {tmp.string()});
        }
        // Only a copy that opens, is whole and holds the language record that
        // OpenSystemDatabase reads replaces the original.
        {
            db::Database check(tmp.string(), db::Database::Mode::ReadOnly);
            auto verdict = check.queryOne("PRAGMA quick_check");
            if (!verdict || verdict->at(0).toText() != "ok") throw db::Error("damaged copy");
            auto row = check.queryOne("SELECT LINGUA FROM DB_CONFIG");
            if (!row || row->getText("LINGUA") != language)
                throw db::Error("the copy lacks the language record");
        }
        struct stat st {};
        if (::stat(masterFile_.c_str(), &st) == 0) ::chmod(tmp.c_str(), st.st_mode & 07777);
        // The copy is locked before it takes the database's place, so an
        // opener waiting on the old file finds the new one held as well.
        int fd = lockCurrentFile(tmp, LOCK_EX | LOCK_NB);
        if (fd >= 0) {
            if (::rename(tmp.c_str(), masterFile_.c_str()) == 0) {
                ::close(lockFd_);
                lockFd_ = fd;
            } else {
                ::close(fd);
            }
        }
    } catch (const db::Error&) {
    }
    fs::remove(tmp, ec);
    holdSharedLock();
}

bool Environment::CanRun(const std::string& parentLang) const {
    try {
        fs::path file = findDatabase(
            effectiveLanguage(Host().isQuarnHost() ? parentLang : configuredLanguage()));
        if (file.empty()) return false;
        int fd = lockCurrentFile(file, LOCK_EX | LOCK_NB);
        if (fd < 0) return false;
        bool ok = true;
        try {
            // Readable as the start reads it: a database without its language
            // record gets no menu entry and cannot be the master database.
            db::Database probe(file.string(), db::Database::Mode::ReadOnly);
            ok = probe.queryOne("SELECT LINGUA FROM DB_CONFIG").has_value();
        } catch (const db::Error&) {
            ok = false;
        }
        ::close(fd);
        return ok;
    } catch (...) {
        return false;
    }
}

// ---------------------------------------------------------------------------
// Working folders

namespace {

constexpr const char* kLockSuffix = ".lock";

fs::path workingRoot(const fs::path& data) { return data / "temp"; }

// Removes everything inside `folder`; links are removed themselves, never followed.
void emptyFolder(const fs::path& folder) {
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(folder, ec)) {
        std::error_code ec2;
        fs::remove_all(e.path(), ec2);
    }
}

}  // namespace

void Environment::sweepWorkingFolders() const {
    const fs::path root = workingRoot(data_);
    std::error_code ec;
    if (data_.empty() || !fs::is_directory(root, ec) || !files::IsInside(root, data_)) return;
    std::vector<fs::path> entries;
    for (const auto& e : fs::directory_iterator(root, ec)) entries.push_back(e.path());
    for (const auto& p : entries) {
        std::string name = p.filename().string();
        std::error_code ec2;
        if (name.size() > std::strlen(kLockSuffix) && name.ends_with(kLockSuffix)) {
            // Its owner has gone when its lock can be had. The area goes
            // first and the lock file last, while the lock is held, so a live
            // owner never loses its area.
            int fd = ::open(p.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
            if (fd < 0) {
                fs::remove(p, ec2);
                continue;
            }
            if (::flock(fd, LOCK_EX | LOCK_NB) == 0 && sameFile(fd, p)) {
                fs::remove_all(root / name.substr(0, name.size() - std::strlen(kLockSuffix)), ec2);
                fs::remove(p, ec2);
            }
            ::close(fd);
        } else {
            // Anything without its lock file: an owner takes the lock file
            // before it makes its area and loses it only after the area is
            // gone, so nobody holds this (it may also be left from the time
            // when every process shared "temp").
            if (!fs::exists(root / (name + kLockSuffix), ec2)) fs::remove_all(p, ec2);
        }
    }
}

namespace {

// "<anything>.compact-<pid>" with an optional SQLite side-file suffix: the copy
// a compaction makes beside the database; its process id, or 0.
long compactionOwner(const std::string& name) {
    static const std::string kMark = ".compact-";
    if (name.empty() || name[0] != '.') return 0;
    size_t at = name.rfind(kMark);
    if (at == std::string::npos) return 0;
    std::string_view rest = std::string_view(name).substr(at + kMark.size());
    for (std::string_view side : {"-journal", "-wal", "-shm"})
        if (rest.ends_with(side)) rest.remove_suffix(side.size());
    if (rest.empty() || rest.size() > 9) return 0;
    long pid = 0;
    for (char c : rest) {
        if (!str::IsDigit(c)) return 0;
        pid = pid * 10 + (c - '0');
    }
    return pid;
}

// Folders "PRJ" + digits directly in the data folder were the staging, import
// and conversion folders of earlier builds, which recorded no owner. A save
// takes seconds and an import dialog stays open for minutes, so one untouched
// for this long has nobody left working in it.
constexpr auto kOldStagingAge = std::chrono::hours(6);

bool oldStagingName(const std::string& name) {
    return name.size() > 3 && name.compare(0, 3, "PRJ") == 0 &&
           std::all_of(name.begin() + 3, name.end(), [](char c) { return str::IsDigit(c); });
}

}  // namespace

void Environment::sweepScratch() const {
    if (data_.empty()) return;
    std::error_code ec;
    // Temporary files of overwrites killed half-way (the configuration file).
    files::RemoveStaleTemporaries(data_);
    files::RemoveStaleTemporaries(data_ / "dat");
    files::RemoveStaleTemporaries(data_ / "system");
    // Compaction copies and their journals whose process has gone.
    for (const auto& e : fs::directory_iterator(data_ / "dat", ec)) {
        std::error_code ec2;
        long pid = compactionOwner(e.path().filename().string());
        if (pid > 0 && !files::ProcessAlive(pid) && !e.is_symlink(ec2) && e.is_regular_file(ec2))
            fs::remove(e.path(), ec2);
    }
    const auto now = fs::file_time_type::clock::now();
    for (const auto& e : fs::directory_iterator(data_, ec)) {
        std::error_code ec2;
        if (!oldStagingName(e.path().filename().string()) || e.is_symlink(ec2) ||
            !e.is_directory(ec2))
            continue;
        auto when = fs::last_write_time(e.path(), ec2);
        if (!ec2 && now - when > kOldStagingAge) fs::remove_all(e.path(), ec2);
    }
}

Environment::WorkingFolderLease Environment::takeWorkingFolder() const {
    WorkingFolderLease lease;
    lease.pid = ::getpid();
    const fs::path root = workingRoot(data_);
    std::error_code ec;
    fs::create_directories(root, ec);
    static std::mt19937 gen(std::random_device{}() ^ unsigned(::getpid()));
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string owner = "p" + std::to_string(::getpid()) + "-" +
                            std::to_string(std::uniform_int_distribution<int>(1, 999999)(gen));
        fs::path lockFile = root / (owner + kLockSuffix);
        int fd = ::open(lockFile.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (fd < 0) {
            if (errno == EEXIST) continue;
            break;
        }
        // A sweep may have removed the new lock file before it was locked.
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0 || !sameFile(fd, lockFile)) {
            ::close(fd);
            continue;
        }
        lease.area = root / owner;
        lease.folder = lease.area / "work";
        lease.lockFile = lockFile;
        lease.fd = fd;
        // The name is ours now; whatever a former owner of it left goes.
        if (!fs::create_directory(lease.area, ec) && !ec) emptyFolder(lease.area);
        fs::create_directory(lease.folder, ec);
        return lease;
    }
    // No lock to be had (a read-only data folder): the folder is named all
    // the same, and writing into it fails as it would have.
    lease.area = root / ("p" + std::to_string(::getpid()));
    lease.folder = lease.area / "work";
    return lease;
}

void Environment::releaseWorkingFolder(WorkingFolderLease& lease, bool remove) {
    if (lease.pid == ::getpid()) {
        std::error_code ec;
        if (remove && !lease.area.empty()) fs::remove_all(lease.area, ec);
        if (remove && lease.fd >= 0) fs::remove(lease.lockFile, ec);
    }
    // Closing, never LOCK_UN: a parent's lock inherited through fork() stays the parent's.
    if (lease.fd >= 0) ::close(lease.fd);
    lease = WorkingFolderLease{};
}

fs::path Environment::workingFolder() const {
    std::lock_guard<std::mutex> lock(leasesMutex_);
    if (!leases_.empty()) {
        WorkingFolderLease& top = leases_.back();
        // Valid in the process that took it and for the current data folder.
        if (top.pid == ::getpid() && top.area.parent_path() == workingRoot(data_))
            return top.folder;
        releaseWorkingFolder(top, true);
        top = takeWorkingFolder();
        return top.folder;
    }
    leases_.push_back(takeWorkingFolder());
    return leases_.back().folder;
}

Environment::~Environment() {
    std::lock_guard<std::mutex> lock(leasesMutex_);
    for (auto& lease : leases_) releaseWorkingFolder(lease, true);
    releaseLock();
}

ScopedWorkingFolder::ScopedWorkingFolder() {
    auto& env = Env();
    std::lock_guard<std::mutex> lock(env.leasesMutex_);
    // The process's own folder stays as it is (taken only when it is used).
    env.leases_.push_back(env.takeWorkingFolder());
}

ScopedWorkingFolder::~ScopedWorkingFolder() {
    auto& env = Env();
    std::lock_guard<std::mutex> lock(env.leasesMutex_);
    if (env.leases_.empty()) return;
    Environment::releaseWorkingFolder(env.leases_.back(), true);
    env.leases_.pop_back();
}

void Environment::ClearWorkingFolder() {
    fs::path work = workingFolder();
    std::error_code ec;
    if (!data_.empty() && fs::is_directory(work, ec) && files::IsInside(work, data_))
        emptyFolder(work);
    ResetProjectObject();
}

}  // namespace tessed::env
