#include "project/settings.h"

#include <algorithm>
#include <charconv>
#include <system_error>

#include "compiler/frames.h"
#include "env/environment.h"
#include "env/files.h"
#include "env/profile.h"
#include "env/strings.h"
#include "env/version.h"
#include "project/archive.h"

namespace tessed::project {

namespace {

// A number as the settings file holds it: leading digits count, anything else is 0.
long number(const std::string& text) {
    long v = 0;
    const char* b = text.data();
    const char* e = b + text.size();
    while (b < e && (*b == ' ' || *b == '\t')) ++b;
    std::from_chars(b, e, v);
    return v;
}

std::string whole(const fs::path& file, std::string_view section, std::string_view key) {
    return profile::GetWhole(file, section, key).value_or(std::string());
}

}  // namespace

bool HexEncodedTexts(long major, long minor, long revision) {
    if (major != kVersionMajor) return major > kVersionMajor;
    if (minor != kVersionMinor) return minor > kVersionMinor;
    return revision >= kHexTextsRevision;
}

Settings ReadSettings(const fs::path& file) {
    Settings s;
    // Read and indexed once: each value is then a look-up, not a pass over the file.
    const profile::File f = profile::File::Read(file);
    s.state = f.state();
    auto whole = [&f](std::string_view section, std::string_view key) {
        return f.Whole(section, key).value_or(std::string());
    };
    s.keyfile = whole(kSectionGenerale, "keyfile");
    s.appMajor = number(whole(kSectionGenerale, "APP_MAJOR"));
    s.appMinor = number(whole(kSectionGenerale, "APP_MINOR"));
    s.appRevision = number(whole(kSectionGenerale, "APP_REVISION"));
    // Hex texts are read whole: a buffer cut would shorten names and could
    // split a character in two.
    const bool hex = HexEncodedTexts(s.appMajor, s.appMinor, s.appRevision);
    auto text = [&](const char* key) {
        std::string v = whole(kSectionGenerale, key);
        return hex ? files::HexToText(v) : v;
    };
    s.nome = text("nome");
    s.descrizione = text("descrizione");
    s.autore = text("autore");
    s.tastopanico = whole(kSectionGenerale, "tastopanico");
    for (int n = 1; n <= kMaxScenarios; ++n) {
        std::string v = whole(kSectionFile, "file" + std::to_string(n));
        if (v.empty()) break;
        s.files.push_back(v);
    }
    return s;
}

std::string FormatSettings(const Collezione& project, const std::vector<std::string>& entries) {
    std::string out;
    auto line = [&](std::string_view key, std::string_view value) {
        out.append(key).append("=").append(value).append("\r\n");
    };
    out += "[generale]\r\n";
    line("keyfile", kKeyfileValue);
    line("APP_MAJOR", std::to_string(kVersionMajor));
    line("APP_MINOR", std::to_string(kVersionMinor));
    line("APP_REVISION", std::to_string(kVersionRevision));
    line("nome", files::TextToHex(project.Nome));
    line("descrizione", files::TextToHex(project.Descrizione));
    line("autore", files::TextToHex(project.Autore));
    line("tastopanico", compiler::BuildCommandFrame(project.TastoPanico));
    out += "[file]\r\n";
    int n = 0;
    for (std::string v : entries) {
        std::replace(v.begin(), v.end(), '/', '\\');
        line("file" + std::to_string(++n), v);
    }
    return out;
}

std::optional<fs::path> ScenarioFileOf(const fs::path& folder, std::string_view value) {
    std::string safe = archive::SafeEntryName(value);
    if (safe.empty()) return std::nullopt;
    fs::path p = folder / fs::path(safe);
    // A link inside the folder could still lead elsewhere.
    if (!files::IsInside(p, folder)) return std::nullopt;
    return p;
}

namespace {

void appendUtf8(std::string& out, char32_t u) {
    if (u < 0x80) {
        out += char(u);
    } else if (u < 0x800) {
        out += char(0xC0 | (u >> 6));
        out += char(0x80 | (u & 0x3F));
    } else if (u < 0x10000) {
        out += char(0xE0 | (u >> 12));
        out += char(0x80 | ((u >> 6) & 0x3F));
        out += char(0x80 | (u & 0x3F));
    } else {
        out += char(0xF0 | (u >> 18));
        out += char(0x80 | ((u >> 12) & 0x3F));
        out += char(0x80 | ((u >> 6) & 0x3F));
        out += char(0x80 | (u & 0x3F));
    }
}

// Lower case of the letters Windows folds in file names that matter here:
// ASCII and the accented Latin letters of U+00C0..U+00DE.
char32_t lower(char32_t u) {
    if (u >= 'A' && u <= 'Z') return u + 32;
    if (u >= 0xC0 && u <= 0xDE && u != 0xD7) return u + 32;
    return u;
}

}  // namespace

std::string FoldFileName(std::string_view name, bool oem) {
    std::string utf8;
    if (profile::IsValidUtf8(name)) {
        utf8 = std::string(name);
    } else if (oem) {
        utf8 = archive::EntryNameUtf8(name);
    } else {
        utf8 = profile::Cp1252ToUtf8(name);
    }
    std::string out;
    out.reserve(utf8.size());
    for (size_t i = 0; i < utf8.size();) {
        auto c = uint8_t(utf8[i]);
        size_t len = c < 0x80 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
        char32_t u = len == 1 ? c : len == 2 ? (c & 0x1F) : len == 3 ? (c & 0x0F) : (c & 0x07);
        for (size_t k = 1; k < len && i + k < utf8.size(); ++k)
            u = (u << 6) | (uint8_t(utf8[i + k]) & 0x3F);
        appendUtf8(out, lower(u));
        i += len;
    }
    return out;
}

ResolvedEntry ResolveScenarioFile(const fs::path& folder, std::string_view value) {
    ResolvedEntry r;
    auto exact = ScenarioFileOf(folder, value);
    if (!exact) {
        r.how = Resolution::Outside;
        return r;
    }
    std::error_code ec;
    if (fs::is_regular_file(*exact, ec)) {
        r.how = Resolution::Exact;
        r.file = *exact;
        return r;
    }
    fs::path cur = folder;
    for (const auto& part : fs::path(archive::SafeEntryName(value))) {
        fs::path next = cur / part;
        if (fs::exists(fs::symlink_status(next, ec))) {
            cur = next;
            continue;
        }
        const std::string wanted = FoldFileName(part.string());
        std::vector<fs::path> found;
        for (const auto& e : fs::directory_iterator(cur, ec)) {
            std::string name = e.path().filename().string();
            if (FoldFileName(name) == wanted || FoldFileName(name, true) == wanted)
                found.push_back(e.path());
        }
        if (found.empty()) return r;  // Missing
        if (found.size() > 1) {
            r.how = Resolution::Ambiguous;
            return r;
        }
        cur = found.front();
    }
    // A link on the way could still lead elsewhere.
    if (!files::IsInside(cur, folder)) {
        r.how = Resolution::Outside;
        return r;
    }
    if (!fs::is_regular_file(cur, ec)) return r;
    r.how = Resolution::Folded;
    r.file = cur;
    return r;
}

fs::path FindSettingsFile(const fs::path& folder, const std::string& baseName) {
    std::error_code ec;
    fs::path own = folder / (baseName + ".prj");
    if (!baseName.empty() && fs::is_regular_file(own, ec)) return own;
    std::vector<fs::path> found;
    for (const auto& e : fs::directory_iterator(folder, ec)) {
        std::error_code ec2;
        if (e.is_regular_file(ec2) && str::ToUpper(e.path().extension().string()) == ".PRJ")
            found.push_back(e.path());
    }
    if (found.empty()) return {};
    std::sort(found.begin(), found.end());
    return found.front();
}

int OpenPrj(std::string& path) {
    if (path.empty()) return 1;
    std::error_code ec;
    if (!fs::is_regular_file(path, ec)) return 0;
    std::string keyfile;
    std::vector<archive::ArchiveEntryInfo> entries;
    if (archive::ListArchive(path, entries)) {
        // A project file: the settings entry named after the project, else the first one.
        std::string own = fs::path(path).stem().string() + ".prj";
        std::string chosen;
        for (const auto& e : entries) {
            if (e.isDirectory || e.name.find('/') != std::string::npos) continue;
            if (str::ToUpper(fs::path(e.name).extension().string()) != ".PRJ") continue;
            if (e.name == own) {
                chosen = e.name;
                break;
            }
            if (chosen.empty()) chosen = e.name;
        }
        if (chosen.empty()) return 0;
        std::string text;
        // A settings file larger than any is not read into memory.
        if (!archive::ReadEntry(path, chosen, text, archive::kProjectPassword,
                                profile::kMaxFileSize))
            return 0;
        // The profile reader works on files: read the entry from a scratch copy.
        std::string err;
        std::string tmp =
            files::GetTempFileName(env::Env().workingFolder().string(), "~PRJ", "prj", err);
        if (tmp.empty()) return 0;
        if (files::WriteFileAtomic(tmp, text)) keyfile = whole(tmp, kSectionGenerale, "keyfile");
        fs::remove(tmp, ec);
    } else {
        keyfile = whole(path, kSectionGenerale, "keyfile");
    }
    return str::ToUpper(keyfile) == "TESSARO" ? -1 : 0;
}

}  // namespace tessed::project
