#pragma once
// File helpers shared by the project window, the compiler and the batch jobs.
#include <cstdint>
#include <filesystem>
#include <ostream>
#include <string>
#include <string_view>

namespace tessed::files {

namespace fs = std::filesystem;

// Writes `bytes` to a temporary file in the target's folder and renames it over
// the target, so a failure never leaves a truncated file. False on any failure
// (the target is then unchanged and no temporary file is left).
bool WriteFileAtomic(const fs::path& target, std::string_view bytes);
// Reads a whole file; false when it cannot be read.
bool ReadFile(const fs::path& file, std::string& out);

// The smallest n in 1..999 such that `folder` has no sub-folder "n.spt"; 0 when
// all 999 exist.
int NextScenarioNumber(const fs::path& folder);

// A path parent/prefix<n> that does not exist yet, n drawn at random from
// 1..100000. The parent is created first; when that fails, `errorText`
// receives text 1088 and the result is empty. The folder itself is not created.
std::string UniqueFolderName(const std::string& parent, const std::string& prefix,
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
