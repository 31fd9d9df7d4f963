#include "env/files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fstream>
#include <random>
#include <sstream>
#include <vector>

#include "env/profile.h"
#include "env/strings.h"
#include "env/texts.h"

namespace tessed::files {

namespace {

std::mt19937& rng() {
    // Seeded from the clock and the process, as the names must differ between
    // two instances started in the same second.
    static std::mt19937 gen(unsigned(std::chrono::steady_clock::now().time_since_epoch().count()) ^
                            unsigned(getpid()));
    return gen;
}

int randomIn(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng()); }

std::string withSlash(std::string s) {
    if (!s.empty() && s.back() != '/') s += '/';
    return s;
}

// Creates a missing folder; false with text 1088 in `errorText` when it cannot.
bool ensureFolder(const std::string& folder, std::string& errorText) {
    std::error_code ec;
    if (fs::is_directory(folder, ec)) return true;
    fs::create_directories(folder, ec);
    if (fs::is_directory(folder, ec)) return true;
    errorText = texts::GetText(1088);
    return false;
}

}  // namespace

namespace {

// The file a path names once symbolic links in its last component are
// followed (links in the folders above resolve by themselves). A dangling link
// gives the file it points to, which is then created.
fs::path followLinks(const fs::path& target) {
    fs::path p = target;
    for (int hop = 0; hop < 40; ++hop) {
        std::error_code ec;
        if (!fs::is_symlink(fs::symlink_status(p, ec))) return p;
        fs::path link = fs::read_symlink(p, ec);
        if (ec) return p;
        p = link.is_absolute() ? link : p.parent_path() / link;
    }
    return p;  // a loop of links: the rename below fails on it
}

constexpr const char* kTempMark = ".~p";
// Long names are cut so the temporary name stays within the 255 bytes a name may have.
constexpr size_t kTempNameRoom = 200;

std::string tempPrefix(const std::string& realName) {
    return "." + realName.substr(0, kTempNameRoom) + kTempMark;
}

// The write permission bits count even for a user who may write anyway
// (root): a file marked read-only is not replaced.
bool writeProtected(const fs::path& real, const struct stat& st) {
    return (st.st_mode & 0222) == 0 || ::access(real.c_str(), W_OK) != 0;
}

}  // namespace

bool IsWriteProtected(const fs::path& target) {
    fs::path real = followLinks(target);
    struct stat st {};
    return ::stat(real.c_str(), &st) == 0 && S_ISREG(st.st_mode) && writeProtected(real, st);
}

AtomicFile::AtomicFile(const fs::path& target) : real_(followLinks(target)) {
    struct stat st {};
    if (::stat(real_.c_str(), &st) == 0) {
        if (!S_ISREG(st.st_mode)) {
            status_ = Status::NotAFile;
            return;
        }
        if (writeProtected(real_, st)) {
            status_ = Status::ReadOnly;
            return;
        }
        mode_ = st.st_mode & 07777;
    }
    fs::path dir = real_.parent_path();
    if (dir.empty()) dir = ".";
    tmp_ = (dir / (tempPrefix(real_.filename().string()) + std::to_string(::getpid()) + "-XXXXXX"))
               .string();
    fd_ = ::mkstemp(tmp_.data());
    if (fd_ < 0) {
        tmp_.clear();
        status_ = Status::CannotCreate;
    }
}

AtomicFile::~AtomicFile() {
    if (fd_ >= 0) ::close(fd_);
    if (!tmp_.empty()) ::unlink(tmp_.c_str());
}

bool AtomicFile::Write(std::string_view bytes) {
    if (status_ != Status::Ok) return false;
    size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = ::write(fd_, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            status_ = Status::CannotWrite;
            return false;
        }
        done += size_t(n);
    }
    return true;
}

AtomicFile::Status AtomicFile::Commit() {
    if (status_ != Status::Ok) return status_;
    bool ok = ::fchmod(fd_, mode_) == 0 && ::fsync(fd_) == 0;
    ok = ::close(fd_) == 0 && ok;
    fd_ = -1;
    if (ok && std::rename(tmp_.c_str(), real_.c_str()) == 0) {
        tmp_.clear();
        // What a killed writer of this same file left beside it goes now.
        fs::path dir = real_.parent_path();
        RemoveStaleTemporaries(dir.empty() ? fs::path(".") : dir, real_.filename().string());
        return status_;
    }
    status_ = Status::CannotWrite;
    return status_;
}

bool WriteFileAtomic(const fs::path& target, std::string_view bytes, AtomicFile::Status* why) {
    AtomicFile file(target);
    file.Write(bytes);
    AtomicFile::Status st = file.Commit();
    if (why) *why = st;
    return st == AtomicFile::Status::Ok;
}

bool ProcessAlive(long pid) {
    if (pid <= 0) return false;
    return ::kill(pid_t(pid), 0) == 0 || errno == EPERM;
}

bool IsStaleTemporary(const std::string& name) {
    // "." name ".~p" pid "-" XXXXXX
    if (name.size() < 12 || name[0] != '.') return false;
    size_t mark = name.rfind(kTempMark);
    if (mark == std::string::npos || mark == 0) return false;
    size_t digits = mark + std::strlen(kTempMark);
    size_t dash = name.find('-', digits);
    if (dash == std::string::npos || dash == digits || name.size() - dash - 1 != 6) return false;
    long pid = 0;
    for (size_t i = digits; i < dash; ++i) {
        if (!str::IsDigit(name[i]) || dash - digits > 9) return false;
        pid = pid * 10 + (name[i] - '0');
    }
    return !ProcessAlive(pid);
}

int RemoveStaleTemporaries(const fs::path& folder, const std::string& realName) {
    const std::string prefix = realName.empty() ? std::string() : tempPrefix(realName);
    int removed = 0;
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(folder, ec)) {
        std::string name = e.path().filename().string();
        if (!prefix.empty() && name.rfind(prefix, 0) != 0) continue;
        std::error_code ec2;
        if (!e.is_symlink(ec2) && e.is_regular_file(ec2) && IsStaleTemporary(name) &&
            fs::remove(e.path(), ec2))
            ++removed;
    }
    return removed;
}

bool ReadFile(const fs::path& file, std::string& out) {
    std::ifstream in(file, std::ios::binary);
    if (!in) return false;
    std::ostringstream ss;
    ss << in.rdbuf();
    if (in.bad()) return false;
    out = ss.str();
    return true;
}

int NextScenarioNumber(const fs::path& folder) {
    // One pass over the folder: "n.spt" in any letter case takes n, since the
    // two names would be one folder once the project is unpacked on Windows.
    std::vector<bool> taken(1000);
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(folder, ec)) {
        std::error_code ec2;
        if (!e.is_directory(ec2)) continue;
        std::string name = e.path().filename().string();
        if (name.size() < 5 ||
            !str::IEquals(std::string_view(name).substr(name.size() - 4), ".spt"))
            continue;
        std::string_view digits(name.data(), name.size() - 4);
        int n = 0;
        auto [end, err] = std::from_chars(digits.data(), digits.data() + digits.size(), n);
        if (err == std::errc() && end == digits.data() + digits.size() && n >= 1 && n <= 999 &&
            std::to_string(n) == digits)
            taken[size_t(n)] = true;
    }
    for (int n = 1; n <= 999; ++n)
        if (!taken[size_t(n)]) return n;
    return 0;
}

std::string UniqueFolderName(const std::string& parent, const std::string& prefix,
                             std::string& errorText, int range) {
    if (!ensureFolder(parent, errorText)) return {};
    const int kMax = std::max(range, 1);
    std::error_code ec;
    // A few draws find a free name at once in any folder that is not nearly full;
    // then every number is tried in order, so the search always ends.
    for (int draw = 0; draw < 100; ++draw) {
        std::string candidate = withSlash(parent) + prefix + std::to_string(randomIn(1, kMax));
        if (!fs::exists(fs::symlink_status(candidate, ec))) return candidate;
    }
    for (int n = 1; n <= kMax; ++n) {
        std::string candidate = withSlash(parent) + prefix + std::to_string(n);
        if (!fs::exists(fs::symlink_status(candidate, ec))) return candidate;
    }
    errorText = texts::GetText(1088);
    return {};
}

fs::path CreateUniqueFolder(const fs::path& parent, const std::string& prefix,
                            std::string& errorText) {
    if (!ensureFolder(parent.string(), errorText)) return {};
    std::string tmpl = (parent / (prefix + "XXXXXX")).string();
    if (!::mkdtemp(tmpl.data())) {
        errorText = texts::GetText(1088);
        return {};
    }
    return tmpl;
}

std::string GetTempFileName(const std::string& folder, const std::string& prefix,
                            const std::string& extension, std::string& errorText) {
    if (!ensureFolder(folder, errorText)) return {};
    for (int attempt = 0; attempt < 100000; ++attempt) {
        std::time_t now = std::time(nullptr);
        std::tm tm{};
        localtime_r(&now, &tm);
        char name[64];
        std::snprintf(name, sizeof name, "%02d%02d%02d%04d", tm.tm_hour, tm.tm_min, tm.tm_sec,
                      randomIn(1, 1000));
        std::string path = withSlash(folder) + prefix + name + "." + extension;
        int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (fd >= 0) {
            ::close(fd);
            return path;
        }
        if (errno != EEXIST) break;
    }
    errorText = texts::GetText(1088);
    return {};
}

int64_t ModifiedSeconds(const fs::path& file) {
    struct stat st {};
    if (::stat(file.c_str(), &st) != 0) return -1;
    return int64_t(st.st_mtim.tv_sec);
}

int ScenarioCompileState(const fs::path& file) {
    fs::path spt = file;
    spt.replace_extension(".spt");
    fs::path err = file;
    err.replace_extension(".err");
    struct stat sptStat {
    }, errStat{};
    const bool hasSpt = ::stat(spt.c_str(), &sptStat) == 0 && S_ISREG(sptStat.st_mode);
    const bool hasErr = ::stat(err.c_str(), &errStat) == 0 && S_ISREG(errStat.st_mode);
    if (!hasSpt) return hasErr ? 1 : 0;
    // A failing compile keeps the previous compiled file and a successful one
    // removes the error file, so both files together mean that the last
    // compile failed unless the compiled file is the later one. Equal times
    // (a file system or an archive that keeps whole seconds) count as failed.
    if (hasErr) {
        const auto& e = errStat.st_mtim;
        const auto& c = sptStat.st_mtim;
        if (e.tv_sec > c.tv_sec || (e.tv_sec == c.tv_sec && e.tv_nsec >= c.tv_nsec)) return 1;
    }
    int64_t diff = int64_t(sptStat.st_mtim.tv_sec) - ModifiedSeconds(file);
    return diff >= 0 ? -1 : 0;
}

std::string CsvLineBytes(std::string_view line) {
    std::string text;
    if (!line.empty()) {
        text.reserve(line.size() + 8);
        text += '"';
        for (char c : line) {
            if (c == '\t') {
                text += "\";\"";
            } else if (c == '"') {
                text += "\"\"";
            } else if (c == '\r' || c == '\n') {
                text += ' ';
            } else {
                text += c;
            }
        }
        text += '"';
    }
    text += "\r\n";
    return profile::Utf8ToUtf16Le(text);
}

std::string CsvField(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (c == '\t') c = ' ';
    return out;
}

bool WriteCsvLine(std::ostream& out, std::string_view line) {
    std::string bytes = CsvLineBytes(line);
    out.write(bytes.data(), std::streamsize(bytes.size()));
    return bool(out);
}

std::string TextToHex(std::string_view text) {
    static const char* digits = "0123456789ABCDEF";
    std::string bytes = profile::Utf8ToUtf16Le(text);
    std::string out;
    out.reserve(bytes.size() * 2);
    for (char c : bytes) {
        out += digits[(uint8_t(c) >> 4) & 0xF];
        out += digits[uint8_t(c) & 0xF];
    }
    return out;
}

std::string HexToText(std::string_view hex) {
    auto digit = [](char c) -> int {
        if (c >= '0' && c <= '9') return c - '0';
        if (c >= 'A' && c <= 'F') return c - 'A' + 10;
        if (c >= 'a' && c <= 'f') return c - 'a' + 10;
        return -1;
    };
    std::string bytes;
    bytes.reserve(hex.size() / 2);
    for (size_t i = 0; i + 1 < hex.size(); i += 2) {
        // A pair reads as far as its hex digits go: "4Z" is 4, "Z4" is 0.
        int hi = digit(hex[i]);
        int value = 0;
        if (hi >= 0) {
            int lo = digit(hex[i + 1]);
            value = lo >= 0 ? hi * 16 + lo : hi;
        }
        bytes += char(value);
    }
    if (bytes.size() % 2) bytes.pop_back();
    return profile::Utf16LeToUtf8(bytes);
}

bool IsInside(const fs::path& inner, const fs::path& outer) {
    std::error_code ec;
    fs::path a = fs::weakly_canonical(fs::absolute(inner, ec), ec);
    fs::path b = fs::weakly_canonical(fs::absolute(outer, ec), ec);
    if (ec) return false;
    auto ai = a.begin(), bi = b.begin();
    for (; bi != b.end(); ++ai, ++bi) {
        if (bi->empty()) continue;  // trailing separator
        if (ai == a.end() || *ai != *bi) return false;
    }
    for (; ai != a.end(); ++ai)
        if (!ai->empty()) return true;
    return false;
}

}  // namespace tessed::files
