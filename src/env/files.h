#pragma once
// File helpers shared by the project window, the compiler and the batch jobs.
#include <sys/types.h>

#include <cstdint>
#include <filesystem>
#include <ostream>
#include <string>
#include <string_view>

namespace tessed::files {

namespace fs = std::filesystem;

// Every overwrite: the bytes go to a temporary file beside the file the target
// names and that file is renamed over it, so a failure never leaves a truncated
// file. A target reached through symbolic links is followed: the real file is
// replaced (keeping its permissions) and the links stay. A write-protected
// target (no write permission bit, or no write access) is refused, as is a
// target that is a folder or another kind of file.
//
// The temporary file is hidden and names its owner:
// "." + real name + ".~p" + process id + "-" + six characters. One whose owner
// process has gone was left by a kill; the next overwrite of the same file,
// the next opening of a project file, and the start-up sweep of the data
// folder remove it (RemoveStaleTemporaries).
class AtomicFile {
  public:
    enum class Status {
        Ok,
        ReadOnly,      // the target exists and is write-protected
        NotAFile,      // the target is a folder or a device, socket, ...
        CannotCreate,  // no temporary file can be made beside it
        CannotWrite,   // writing, syncing or renaming failed
    };
    explicit AtomicFile(const fs::path& target);
    // An uncommitted temporary file is removed.
    ~AtomicFile();
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    Status status() const { return status_; }
    bool ok() const { return status_ == Status::Ok; }
    // The file that is replaced (the target with its links followed).
    const fs::path& real() const { return real_; }
    // The temporary file's descriptor, -1 when it could not be made.
    int fd() const { return fd_; }
    // Appends bytes; false (and status CannotWrite) on failure.
    bool Write(std::string_view bytes);
    // Marks the content as failed (a writer of its own found a write error).
    void Fail() {
        if (status_ == Status::Ok) status_ = Status::CannotWrite;
    }
    // Gives the temporary file the permissions of the file it replaces (0644
    // for a new one), syncs it and renames it over the real file.
    Status Commit();

  private:
    fs::path real_;
    std::string tmp_;
    int fd_ = -1;
    mode_t mode_ = 0644;
    Status status_ = Status::Ok;
};

// Writes `bytes` through an AtomicFile. False on any failure, `why` (when
// given) telling which; the target is then unchanged and no temporary file is
// left.
bool WriteFileAtomic(const fs::path& target, std::string_view bytes,
                     AtomicFile::Status* why = nullptr);

// True when the file `target` names (links followed) exists and would be
// refused by AtomicFile as write-protected.
bool IsWriteProtected(const fs::path& target);

// True when `name` is a temporary file of AtomicFile whose owner process no
// longer runs.
bool IsStaleTemporary(const std::string& name);
// Removes the stale temporary files directly inside `folder` (only those of
// `realName` when it is given). Returns how many were removed.
int RemoveStaleTemporaries(const fs::path& folder, const std::string& realName = {});
// True when process `pid` runs (or exists under another user).
bool ProcessAlive(long pid);
// Reads a whole file; false when it cannot be read.
bool ReadFile(const fs::path& file, std::string& out);

// The smallest n in 1..999 such that `folder` has no sub-folder "n.spt" in any
// letter case ("3.SPT" of an archive made on Windows takes 3 as well); 0 when
// all 999 exist.
int NextScenarioNumber(const fs::path& folder);

// A path parent/prefix<n> that does not exist yet, n drawn at random from
// 1..`range` (a bounded number of draws, then the first free n in order). The
// parent is created first; when that fails or every n is taken, `errorText`
// receives text 1088 and the result is empty. The folder itself is not
// created: code that needs a folder of its own uses CreateUniqueFolder.
std::string UniqueFolderName(const std::string& parent, const std::string& prefix,
                             std::string& errorText, int range = 100000);

// Creates a fresh, empty folder parent/prefix + six characters (mkdtemp), so
// that no other caller can ever be given it. The parent is created first;
// on failure `errorText` receives text 1088 and the result is empty.
fs::path CreateUniqueFolder(const fs::path& parent, const std::string& prefix,
                            std::string& errorText);

// A fresh file name folder/prefix + hhmmss + nnnn + "." + extension. The folder
// is created when missing; when that fails `errorText` receives text 1088 and
// the result is empty. The name is reserved by creating the file exclusively,
// so two callers never receive the same name; the caller overwrites it.
std::string GetTempFileName(const std::string& folder, const std::string& prefix,
                            const std::string& extension, std::string& errorText);

// Compares a scenario file with its compiled ".spt" and its error file ".err"
// in the same folder: 1 (failed) when the ".err" exists and the ".spt" is
// absent or not newer than it (to the nanosecond; equal times count as
// failed, since a successful compile removes the ".err"); otherwise -1 when
// the ".spt" exists and is not older than the scenario file (by whole
// seconds), 0 when it is older or when neither file exists.
int ScenarioCompileState(const fs::path& file);

// The bytes of one controller-file line: split at TAB, each field's quotes
// doubled and the field quoted, fields joined with ";", CR LF appended, all as
// UTF-16LE. CR and LF inside the line become blanks first, so a line never
// breaks the file's line structure. An empty line gives a bare two-byte CR LF,
// so the file stays valid UTF-16LE text.
std::string CsvLineBytes(std::string_view line);
// What a user typed (a name, a description) as one field of such a line: its
// tabs become blanks, so it never adds a field. (Its CRs and LFs become blanks
// when the line is written.) Texts of the catalogue are written as they are.
std::string CsvField(std::string_view text);
// Appends one line to an open binary stream; false when the write failed.
bool WriteCsvLine(std::ostream& out, std::string_view line);
// The UTF-16LE byte-order mark that starts a project's controller file.
inline constexpr std::string_view kUtf16Bom{"\xFF\xFE", 2};

// Reversible encoding of the settings file: every byte of the text's UTF-16LE
// form as two upper-case hex digits.
std::string TextToHex(std::string_view text);
// The reverse; any input gives a result (odd length and non-hex digits read as
// far as they go, as a numeric conversion would).
std::string HexToText(std::string_view hex);

// True when `inner` lies strictly inside `outer` once both are made absolute
// and normalised (symbolic links resolved where they exist).
bool IsInside(const fs::path& inner, const fs::path& outer);

// Whole seconds since the epoch of a file's last modification; -1 when missing.
int64_t ModifiedSeconds(const fs::path& file);

}  // namespace tessed::files
