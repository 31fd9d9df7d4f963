#pragma once
// Zip archives of the project manager: the password-protected project file
// (settings file, one inner zip per scenario folder, information file) and the
// unprotected inner scenario zips.
//
// Archives are written in standard zip format, deflated, with the traditional
// PKWARE password encryption when a password is given, so that they open with
// the Windows component's engine and with common zip tools. Entry names use "/";
// names read from an archive accept "\" as well.
//
// Extraction is all or nothing: entries go into a fresh folder beside the
// destination and are moved into the destination only when every entry was
// read, decrypted and checked. An archive that holds an absolute path, a ".."
// component, a drive prefix, a link or a device entry is refused as a whole,
// and so is one that unpacks to more than any project holds (ExtractLimits):
// the bytes are counted as they are decompressed, whatever the headers claim.
//
// Failures are reported by result, never thrown: the caller turns them into the
// numbered text of its own operation (the project layer raises ProjectError).
// The detail text is technical (archive library message, entry name) and is
// meant for logs, not for message boxes.
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace tessed::archive {

namespace fs = std::filesystem;

// The password of every project file ("*.tdj"); inner archives have none.
inline constexpr std::string_view kProjectPassword = "KORVASNU";

enum class ArchiveStatus {
    Ok,
    Missing,        // the archive (or a source file) does not exist
    CannotRead,     // the archive exists but cannot be opened or is not a zip archive
    Corrupt,        // truncated or damaged data, bad checksum
    WrongPassword,  // an encrypted entry and no password or the wrong one
    UnsafeEntry,    // absolute path, "..", drive prefix, link, device, bad name
    CannotWrite,    // a file or folder could not be created, written or renamed
    NotFound,       // ReadEntry: no entry of that name
    TooLarge,       // more entries or bytes than ExtractLimits allows
};

struct ArchiveResult {
    ArchiveStatus status = ArchiveStatus::Ok;
    std::string detail;

    bool ok() const { return status == ArchiveStatus::Ok; }
    explicit operator bool() const { return ok(); }
};

// What extraction unpacks at most. A real project holds at most 300 scenario
// folders of a few files each, scenario files of kilobytes; these bounds are
// far above that and far below what would fill a disk or take minutes. They
// are checked while unpacking, on the bytes actually decompressed, and the
// counts of a project's inner archives add to those of the outer one.
struct ExtractLimits {
    uint64_t entries = 10'000;                  // entries, inner archives' included
    uint64_t entryBytes = uint64_t(32) << 20;   // one entry, unpacked
    uint64_t totalBytes = uint64_t(128) << 20;  // every entry, unpacked
    // One scenario file (a name ending in ".tdx", any letter case); the
    // scenario reader refuses larger files as well.
    uint64_t scenarioBytes = uint64_t(8) << 20;
};

// One file to store: the name it gets inside the archive and the file it is read from.
struct ArchiveItem {
    std::string entryName;
    fs::path source;
};

struct ArchiveEntryInfo {
    std::string name;  // as stored, with "\" turned into "/"
    int64_t size = 0;  // uncompressed size; 0 for folders
    bool isDirectory = false;
    bool encrypted = false;
};

// Writes a zip archive holding `items` in the given order. With a non-empty
// password every entry is encrypted. The archive is written to a temporary file
// beside `target` and renamed over it, so an existing target stays intact when
// anything fails. Entry names that extraction would refuse are refused here too.
ArchiveResult WriteArchive(const fs::path& target, const std::vector<ArchiveItem>& items,
                           std::string_view password = {});

// Packs the regular files directly inside `folder` (the "folder\*.*" of the
// engine: no sub-folders, names without the folder's path), sorted by name, into
// `target` as WriteArchive does. Sub-folders and links are not packed.
ArchiveResult PackFolder(const fs::path& folder, const fs::path& target,
                         std::string_view password = {});

// Lists the entries of an archive (the names are readable without the password).
ArchiveResult ListArchive(const fs::path& archive, std::vector<ArchiveEntryInfo>& entries);

// Extracts every entry into `destination` (created when missing, merged with
// what it holds otherwise; files of the same name are replaced). Files keep the
// modification time stored in the archive, so the compile state of a scenario
// (compiled file not older than the scenario file) survives a save and an open.
// Times in the future (DOS times written in a time zone east of the reader)
// move back, all of the archive's by the same amount, until the latest is the
// present: their order, which is what the compile state reads, is kept.
// On any failure nothing is added to or changed in `destination`.
ArchiveResult ExtractArchive(const fs::path& archive, const fs::path& destination,
                             std::string_view password = {}, const ExtractLimits& limits = {});

// Reads one entry (name compared exactly, "\" read as "/") into memory; an
// entry larger than `maxBytes` unpacked is refused (TooLarge).
ArchiveResult ReadEntry(const fs::path& archive, std::string_view entryName, std::string& out,
                        std::string_view password = {},
                        uint64_t maxBytes = ExtractLimits{}.entryBytes);

// Unpacks a project file the way a project is opened: the outer archive with
// the project password, then every top-level "*.zip" (any letter case) without
// password into a folder named after its base name ("3.spt.zip" into "3.spt"),
// the inner zip being deleted. Either the whole project lands in `destination`
// or nothing does. The limits count the outer and the inner archives together.
ArchiveResult UnpackProject(const fs::path& projectFile, const fs::path& destination,
                            std::string_view password = kProjectPassword,
                            const ExtractLimits& limits = {});

// Packs the files of a staging folder into a project file with the project password.
inline ArchiveResult PackProject(const fs::path& stagingFolder, const fs::path& projectFile,
                                 std::string_view password = kProjectPassword) {
    return PackFolder(stagingFolder, projectFile, password);
}

// A name as UTF-8: byte sequences that are not UTF-8 are read as code page
// 437, the zip format's code page for names stored without the UTF-8 flag
// (extraction keeps such names as raw bytes). Archives are written with UTF-8
// names only.
std::string EntryNameUtf8(std::string_view name);

// The safe relative form of an entry name: "\" read as "/", empty and "."
// components dropped. Empty when the name is absolute, has a drive prefix, a
// ".." component or nothing left.
std::string SafeEntryName(std::string_view name);

}  // namespace tessed::archive
