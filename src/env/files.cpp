#include "env/files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <random>
#include <sstream>

#include "env/profile.h"
#include "env/texts.h"

namespace tessed::files {

namespace {

std::mt19937& rng() {
    // Seeded from the clock and the process, as the names must differ between
    // two instances started in the same second.
    static std::mt19937 gen(
        unsigned(std::chrono::steady_clock::now().time_since_epoch().count()) ^ unsigned(getpid()));
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

bool WriteFileAtomic(const fs::path& target, std::string_view bytes) {
    fs::path dir = target.parent_path();
    if (dir.empty()) dir = ".";
    std::string tmpl = (dir / ("." + target.filename().string() + ".XXXXXX")).string();
    int fd = mkstemp(tmpl.data());
    if (fd < 0) return false;
    bool ok = true;
    size_t done = 0;
    while (ok && done < bytes.size()) {
        ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            ok = false;
        } else {
            done += size_t(n);
        }
    }
    // Keep the permissions of the file being replaced; new files get the usual 0644.
    struct stat st {};
    mode_t mode = (::stat(target.c_str(), &st) == 0) ? (st.st_mode & 07777) : 0644;
    if (ok && ::fchmod(fd, mode) != 0) ok = false;
    if (ok && ::fsync(fd) != 0) ok = false;
    if (::close(fd) != 0) ok = false;
    if (ok && std::rename(tmpl.c_str(), target.c_str()) != 0) ok = false;
    if (!ok) ::unlink(tmpl.c_str());
    return ok;
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
    for (int n = 1; n <= 999; ++n) {
        std::error_code ec;
        if (!fs::is_directory(folder / (std::to_string(n) + ".spt"), ec)) return n;
    }
    return 0;
}

std::string UniqueFolderName(const std::string& parent, const std::string& prefix,
                             std::string& errorText) {
    if (!ensureFolder(parent, errorText)) return {};
    std::error_code ec;
    for (;;) {
        std::string candidate = withSlash(parent) + prefix + std::to_string(randomIn(1, 100000));
        if (!fs::exists(candidate, ec)) return candidate;
    }
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
    struct stat sptStat {}, errStat {};
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
