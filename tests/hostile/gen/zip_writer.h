#pragma once
// A zip writer for hostile test inputs: unlike the project's own archive writer
// it stores whatever it is told (names with "..", links, devices, NUL bytes,
// wrong sizes, DOS times only, several entries of one name), so that the
// reader's refusals can be tried. It writes stored or deflated entries, the
// traditional password encryption, the extended-timestamp field and zip64
// sizes; nothing here is meant to make archives for users.
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace tessed::hostile {

// Deflates `bytes` (raw deflate, as zip stores it).
std::string Deflate(const std::string& bytes);
uint32_t Crc32(const std::string& bytes);

// A deflate stream of `mebibytes` MiB of zero bytes, built from one
// compressed MiB repeated, so that gigabytes cost milliseconds; its CRC too.
struct Compressed {
    std::string data;
    uint32_t crc = 0;
    uint64_t size = 0;
};
Compressed DeflatedZeros(uint64_t mebibytes);

struct ZipEntry {
    std::string name;
    std::string content;         // the plain bytes (ignored when `precompressed`)
    bool precompressed = false;  // `deflated`, `crc` and `size` given as they are
    Compressed deflated;
    bool deflate = true;
    std::string password;     // non-empty: traditional encryption
    uint32_t mode = 0100644;  // st_mode stored in the external attributes
    bool utf8Flag = false;
    // Modification time as local wall-clock fields (the DOS time) and, when
    // `unixTime` is set, the extended-timestamp field with it.
    int year = 2024, month = 1, day = 15, hour = 10, minute = 0, second = 0;
    bool unixTime = true;
    int64_t mtime = 1705312800;  // 2024-01-15 10:00:00 UTC
    // Sizes written into the headers instead of the true ones (a lying archive).
    bool lieAboutSize = false;
    uint64_t claimedSize = 0;
};

// Sets the entry's DOS and Unix times from seconds since the epoch; `dosOffset`
// seconds are added to the DOS fields only, as a writer in another time zone
// would store its local time.
void SetTime(ZipEntry& e, int64_t seconds, int64_t dosOffset = 0);

// The archive's bytes: local headers and data in order, the central directory
// and its end record.
std::string ZipBytes(const std::vector<ZipEntry>& entries);
bool WriteZip(const std::filesystem::path& file, const std::vector<ZipEntry>& entries);

}  // namespace tessed::hostile
