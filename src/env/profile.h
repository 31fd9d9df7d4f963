#pragma once
// Configuration and settings files with the semantics of the Windows
// private-profile functions, so files move between the two systems unchanged:
// case-insensitive sections and keys, trimmed values, one outer pair of quotes
// removed, ';' comments, the first of duplicate keys or sections wins, a missing
// section appended at the end and a missing key at the end of its section.
// Files are read as UTF-8, as UTF-16LE when they start with its byte-order mark,
// or as Windows-1252 when they are not valid UTF-8; they are written back in
// their own encoding (new files as UTF-8), through a temporary file renamed over
// the target.
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace tessed::profile {

// The buffer size the Windows component reads with.
inline constexpr size_t kBufferSize = 255;

// Configuration and settings files are a few kilobytes; a file larger than
// this is not one of them and is refused whole: reads find nothing in it and
// writes leave it as it is.
inline constexpr std::uintmax_t kMaxFileSize = 1 << 20;

// A file read and indexed once, for callers that read many keys of one file
// (each lookup is then a hash look-up, not a scan of the file).
class File {
  public:
    enum class State { kRead, kMissing, kTooLarge, kUnreadable };
    // A missing file gives an empty, readable-as-missing File (state kMissing).
    static File Read(const std::filesystem::path& file);
    State state() const { return state_; }
    // The value whole; nullopt when the section or key is missing.
    std::optional<std::string> Whole(std::string_view section, std::string_view key) const;
    // The keys of a section in file order (first occurrence of each).
    std::vector<std::string> Keys(std::string_view section) const;

  private:
    struct Entry {
        std::string key, value;
    };
    struct Section {
        std::vector<Entry> entries;                     // first of each key, in order
        std::unordered_map<std::string, size_t> byKey;  // upper-cased key -> entry
    };
    State state_ = State::kMissing;
    std::vector<Section> sections_;
    std::unordered_map<std::string, size_t> bySection;  // upper-cased name -> first section
};

// True when the text may stand in a file as a section name, a key or a value:
// no line break or NUL in any of them (they would start a line of their own
// and so add sections and keys that nobody wrote), no "]" in a section name,
// no "=" in a key, and a key that does not start like a comment or section.
bool IsWritableSection(std::string_view section);
bool IsWritableKey(std::string_view key);
bool IsWritableValue(std::string_view value);

// Reads a value; a missing file, section or key gives `def`. The result is cut
// to `bufferSize - 1` characters, as a fixed buffer would cut it.
std::string GetString(const std::filesystem::path& file, std::string_view section,
                      std::string_view key, std::string_view def = {},
                      size_t bufferSize = kBufferSize);

// Reads a value whole, without any cut; nullopt when the key is missing.
std::optional<std::string> GetWhole(const std::filesystem::path& file, std::string_view section,
                                    std::string_view key);

// Writes a value. A null value deletes the key; a null key deletes the whole
// section. Returns false when the file could not be written, or when the
// section, key or value is not writable (see above) or the file is too large;
// the file is then left as it was.
bool WriteString(const std::filesystem::path& file, std::string_view section,
                 std::optional<std::string_view> key, std::optional<std::string_view> value);

// The keys of a section in file order (first occurrence of each), and the
// section names; used by tools that show or copy a whole file.
std::vector<std::string> Keys(const std::filesystem::path& file, std::string_view section);

// Encoding helpers shared with other readers of Windows text files.
std::string Utf16LeToUtf8(std::string_view bytes);
std::string Utf8ToUtf16Le(std::string_view utf8);
std::string Cp1252ToUtf8(std::string_view bytes);
bool IsValidUtf8(std::string_view s);

}  // namespace tessed::profile
