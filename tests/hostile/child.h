#pragma once
// Running the tessed command as a hostile input's victim: in a process group
// of its own, with a deadline, a ceiling on the size of any file it writes,
// its peak memory measured and the disk use of a folder sampled while it runs;
// and snapshots of folders, to tell what a run created, changed or removed.
#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace tessed::hostile {

namespace fs = std::filesystem;

struct Limits {
    int timeoutMs = 10000;
    uint64_t maxFileBytes = 64ull << 20;  // RLIMIT_FSIZE: a larger write ends in SIGXFSZ
    fs::path watched;                     // its disk use is sampled while the child runs
};

struct ChildResult {
    bool started = false;
    bool timedOut = false;
    int exitCode = -1;  // when it exited
    int signal = 0;     // when a signal ended it
    std::string out, err;
    double seconds = 0;
    long maxRssKb = 0;
    uint64_t peakDiskBytes = 0;  // largest sampled size of `watched`
};

// Runs argv[0] with exactly `env` as its environment (no shell).
ChildResult RunChild(const std::vector<std::string>& argv, const std::vector<std::string>& env,
                     const Limits& limits);

// What a folder holds: path relative to it -> a fingerprint of the entry
// (type, size, modification time and content for files, target for links).
struct Fingerprint {
    char type = '?';  // f file, d folder, l link, o other
    uint64_t size = 0;
    int64_t mtimeNs = 0;
    size_t hash = 0;
    std::string link;
    unsigned mode = 0;
    bool operator==(const Fingerprint&) const = default;
};
using Snapshot = std::map<std::string, Fingerprint>;
Snapshot Take(const fs::path& folder);
// The total size of the files under a folder.
uint64_t DiskUse(const fs::path& folder);

}  // namespace tessed::hostile
