#pragma once
// The project settings file (".prj"): an INI text inside every project file
// that names the project, the version that saved it, its panic button and its
// scenario files. See docs/project-files.md.
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "env/profile.h"
#include "model/project.h"

namespace tessed::project {

namespace fs = std::filesystem;

// Section and key names, as the settings file spells them.
inline constexpr const char* kSectionGenerale = "generale";
inline constexpr const char* kSectionFile = "file";
inline constexpr const char* kKeyfileValue = "Tessaro";
// At most this many `file<n>` entries are read.
inline constexpr int kMaxScenarios = 300;
// The first revision whose settings files hold hex-encoded texts.
inline constexpr long kHexTextsRevision = 11;

// Numbered texts of the project layer.
inline constexpr long kTextProjectMissing = 1031;    // project file missing or unreadable
inline constexpr long kTextScenariosMissing = 1032;  // listed scenario files not found
inline constexpr long kTextScenariosInvalid = 1053;  // listed scenario files refused
inline constexpr long kTextNameRequired = 1098;      // the project has no name
inline constexpr long kTextPanicIncomplete = 1605;   // the panic button has no address
inline constexpr long kTextTooManyScenarios = 1753;  // 300 scenarios already
inline constexpr long kTextImportCannotOpen = 1009;
inline constexpr long kTextCannotExport = 1090;
inline constexpr long kTextNotScenario = 1024;
// A `file<n>` entry that would lead out of the project's folder.
inline constexpr long kTextScenarioOutside = 1780;
// A `file<n>` entry that several files of the project answer to.
inline constexpr long kTextScenarioAmbiguous = 1790;
// The project file to save is write-protected (%1: the file).
inline constexpr long kTextWriteProtected = 1791;
// Scenario files that the settings file does not list (a batch job refuses them).
inline constexpr long kTextScenariosUnlisted = 1792;
// A project file that unpacks to more than any project holds (%1: what it exceeded).
inline constexpr long kTextTooLarge = 1793;

// True when settings written by version major.minor.revision hold their
// texts hex-encoded: from the component's own major and minor version with
// revision 11 on, and for every later major or minor version.
bool HexEncodedTexts(long major, long minor, long revision);

// What a settings file says, read whole (no 255-character cut).
struct Settings {
    // How the file was read: kRead, or kMissing (every value empty); kTooLarge
    // (larger than any settings file, profile::kMaxFileSize) and kUnreadable
    // leave every value empty too, and the file must not be taken as empty.
    profile::File::State state = profile::File::State::kMissing;
    std::string keyfile;
    long appMajor = 0, appMinor = 0, appRevision = 0;
    std::string nome, descrizione, autore;  // decoded under the version rule
    std::string tastopanico;                // the frame text
    // file1, file2, ... up to the first empty entry or file300, as written.
    std::vector<std::string> files;
};

// Reads a settings file, once. A missing file reads as empty values.
Settings ReadSettings(const fs::path& file);

// The settings text for `project` and the scenario entries (relative paths
// with "/" or "\"; written with "\"), keys in their fixed order, CR LF line
// ends, with the running component's version.
std::string FormatSettings(const Collezione& project, const std::vector<std::string>& files);

// The scenario file named by a `file<n>` value, under `folder`; nullopt when
// the value is absolute, has a drive prefix or a ".." part, or would lead out
// of `folder` through a link.
std::optional<fs::path> ScenarioFileOf(const fs::path& folder, std::string_view value);

// How a `file<n>` value was found among the files of a project.
enum class Resolution {
    Exact,      // the path exists as written
    Folded,     // found without regard to letter case or code page (below)
    Missing,    // no file answers to it
    Ambiguous,  // more than one file answers to it: none is taken
    Outside,    // the value would lead out of the folder (ScenarioFileOf)
};
struct ResolvedEntry {
    Resolution how = Resolution::Missing;
    fs::path file;  // Exact and Folded: the file as it is named on disk
};

// Finds the file a `file<n>` value names under `folder`. A path that does not
// exist as written is looked up part by part, each part that is not there as
// written compared with the names on disk without regard to letter case (as
// Windows compares them, Latin letters with accents included) and with names
// that are not UTF-8 read as the zip format's code page 437 or as Windows-1252
// (archives made on Windows store them so, the settings file in Windows-1252):
// "1.SPT\1.TDX" for "1.spt/1.tdx", "K\x81che.tdx" for "Küche.tdx". A part
// that several names answer to makes the value ambiguous.
ResolvedEntry ResolveScenarioFile(const fs::path& folder, std::string_view value);

// The form in which two file names compare as Windows compares them: UTF-8
// (names that are not UTF-8 read as Windows-1252, or as code page 437 when
// `oem` is set), letters lower-cased. Exposed for the tests.
std::string FoldFileName(std::string_view name, bool oem = false);

// The settings file of a project unpacked in `folder`: base name + ".prj" when
// present, else the first "*.prj" (by name, any letter case); empty when none.
fs::path FindSettingsFile(const fs::path& folder, const std::string& baseName);

// The project-file check of the open dialog. `path` empty: 1 (nothing chosen;
// the dialog itself belongs to the window). Otherwise -1 when the settings file
// says keyfile=Tessaro (any letter case) and 0 when it does not or cannot be
// read. `path` may be a project file (the settings file is read from inside the
// archive, with the project password) or a plain settings file.
int OpenPrj(std::string& path);

}  // namespace tessed::project
