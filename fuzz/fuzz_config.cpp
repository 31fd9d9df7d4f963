// Any bytes as the configuration file read without failing, values are cut as
// the Windows buffer cuts them, and a recent file written into them reads back
// exactly while every other entry keeps its value and its key order.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "env/files.h"
#include "env/profile.h"
#include "env/strings.h"
#include "scratch.h"

namespace {

namespace fs = std::filesystem;
using namespace tessed;

// Names that may stand for sections and keys in the bytes: whatever comes
// between "[" and "]" and before "=" on any line, decoded as the file is, plus
// the entries the component reads. They are only candidates; the values come
// from the module under test.
std::vector<std::pair<std::string, std::string>> Candidates(const profile::File& file,
                                                            std::string_view bytes) {
    std::set<std::string> sections{"GENERALE", "KERNIX", "FileCfg"};
    std::set<std::string> keys{"LINGUA", "Program", "File1", "File2", "File3", "File4"};
    std::string text =
        profile::IsValidUtf8(bytes) ? std::string(bytes) : profile::Cp1252ToUtf8(bytes);
    if (bytes.size() >= 2 && uint8_t(bytes[0]) == 0xFF && uint8_t(bytes[1]) == 0xFE)
        text = profile::Utf16LeToUtf8(bytes.substr(2));
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find_first_of("\r\n", start);
        if (end == std::string::npos) end = text.size();
        std::string_view line = str::Trim(std::string_view(text).substr(start, end - start));
        if (!line.empty() && line[0] == '[') {
            size_t close = line.find(']');
            if (close != std::string_view::npos)
                sections.insert(std::string(str::Trim(line.substr(1, close - 1))));
        } else if (size_t eq = line.find('='); eq != std::string_view::npos) {
            keys.insert(std::string(str::Trim(line.substr(0, eq))));
        }
        start = end + 1;
    }
    std::vector<std::pair<std::string, std::string>> out;
    for (const auto& s : sections)
        for (const auto& k : file.Keys(s)) out.emplace_back(s, k);
    for (const auto& s : sections)
        for (const auto& k : keys) out.emplace_back(s, k);
    return out;
}

void Fail(const char* what, const std::string& section, const std::string& key,
          const std::optional<std::string>& a, const std::optional<std::string>& b) {
    std::fprintf(stderr, "%s: [%s] %s: %s -> %s\n", what, section.c_str(), key.c_str(),
                 a ? a->c_str() : "(missing)", b ? b->c_str() : "(missing)");
    std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const fs::path file = fuzz::ScratchRoot() / "Tessed40.INI";
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    if (!files::WriteFileAtomic(file, bytes)) return 0;

    // What the component reads at start and for the external compiler.
    // A value is cut as the Windows buffer cuts it: whole characters, at most
    // one less than the buffer holds.
    std::string lang = profile::GetString(file, "GENERALE", "LINGUA", "ITA");
    std::string whole = profile::GetWhole(file, "GENERALE", "LINGUA").value_or("ITA");
    size_t chars = 0;
    for (char c : lang) chars += (uint8_t(c) & 0xC0) != 0x80;
    if (chars >= profile::kBufferSize || whole.compare(0, lang.size(), lang) != 0 ||
        !profile::IsValidUtf8(lang))
        Fail("cut value", "GENERALE", "LINGUA", whole, lang);
    profile::GetString(file, "KERNIX", "Program", "");

    const profile::File before = profile::File::Read(file);
    auto candidates = Candidates(before, bytes);

    // The recent-files list writes its first entry.
    const std::string recent = "/home/u/Villa Rossi.tdj";
    if (!profile::WriteString(file, "FileCfg", "File1", recent)) std::abort();
    if (profile::GetString(file, "filecfg", "FILE1") != recent) std::abort();
    const profile::File after = profile::File::Read(file);
    for (const auto& [s, k] : candidates) {
        if (str::IEquals(s, "FileCfg") && str::IEquals(k, "File1")) continue;
        if (after.Whole(s, k) != before.Whole(s, k))
            Fail("another entry changed", s, k, before.Whole(s, k), after.Whole(s, k));
    }
    std::set<std::string> sections;
    for (const auto& c : candidates) sections.insert(c.first);
    for (const auto& s : sections) {
        std::vector<std::string> keys = before.Keys(s);
        // A new key goes to the end of its section.
        if (str::IEquals(s, "FileCfg") && !before.Whole(s, "File1")) keys.push_back("File1");
        if (after.Keys(s) != keys) Fail("keys changed order", s, "", std::nullopt, std::nullopt);
    }
    files::HexToText(bytes);
    return 0;
}
