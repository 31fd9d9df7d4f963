#include "env/profile.h"

#include <fstream>
#include <system_error>

#include "env/files.h"
#include "env/strings.h"

namespace tessed::profile {

namespace {

enum class Encoding { Utf8, Utf16Le, Cp1252 };

struct Document {
    Encoding encoding = Encoding::Utf8;
    std::vector<std::string> lines;  // UTF-8, without line ends
    bool exists = false;
    bool tooLarge = false;
    bool unreadable = false;
};

void appendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += char(c);
    } else if (c < 0x800) {
        out += char(0xC0 | (c >> 6));
        out += char(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += char(0xE0 | (c >> 12));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    } else {
        out += char(0xF0 | (c >> 18));
        out += char(0x80 | ((c >> 12) & 0x3F));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    }
}

// Lines are split at every CR and LF, so blanks and tabs are all there is to
// trim around names and values.
using str::Trim;

Document load(const std::filesystem::path& file) {
    Document doc;
    std::error_code ec;
    if (!std::filesystem::exists(file, ec)) return doc;
    doc.exists = true;
    // Size first: a huge file is refused before any of it is read.
    std::uintmax_t size = std::filesystem::file_size(file, ec);
    if (ec) {
        doc.unreadable = true;
        return doc;
    }
    if (size > kMaxFileSize) {
        doc.tooLarge = true;
        return doc;
    }
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        doc.unreadable = true;
        return doc;
    }
    std::string raw;
    raw.resize(size_t(size));
    in.read(raw.data(), std::streamsize(size));
    raw.resize(size_t(in.gcount()));
    std::string text;
    if (raw.size() >= 2 && uint8_t(raw[0]) == 0xFF && uint8_t(raw[1]) == 0xFE) {
        doc.encoding = Encoding::Utf16Le;
        text = Utf16LeToUtf8(std::string_view(raw).substr(2));
    } else if (IsValidUtf8(raw)) {
        text = std::move(raw);
    } else {
        doc.encoding = Encoding::Cp1252;
        text = Cp1252ToUtf8(raw);
    }
    // CR LF, lone CR and lone LF all end a line.
    std::string cur;
    for (size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == '\r' || c == '\n') {
            doc.lines.push_back(std::move(cur));
            cur.clear();
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        } else {
            cur += c;
        }
    }
    if (!cur.empty()) doc.lines.push_back(std::move(cur));
    return doc;
}

bool save(const std::filesystem::path& file, const Document& doc) {
    std::string text;
    for (const auto& l : doc.lines) {
        text += l;
        text += "\r\n";
    }
    std::string bytes;
    if (doc.encoding == Encoding::Utf16Le) {
        bytes = "\xFF\xFE" + Utf8ToUtf16Le(text);
    } else {
        // A single-byte file is rewritten as UTF-8: its characters survive, and
        // the reader recognises either form.
        bytes = std::move(text);
    }
    return files::WriteFileAtomic(file, bytes);
}

// Section line: "[name]..." with blanks allowed; returns the trimmed name.
std::optional<std::string_view> sectionName(std::string_view line) {
    std::string_view t = Trim(line);
    if (t.empty() || t[0] != '[') return std::nullopt;
    size_t close = t.find(']');
    if (close == std::string_view::npos) return std::nullopt;
    return Trim(t.substr(1, close - 1));
}

struct KeyLine {
    std::string_view key;
    std::string_view value;
};

std::optional<KeyLine> keyLine(std::string_view line) {
    std::string_view t = Trim(line);
    if (t.empty() || t[0] == ';') return std::nullopt;
    size_t eq = t.find('=');
    if (eq == std::string_view::npos) return std::nullopt;
    return KeyLine{Trim(t.substr(0, eq)), Trim(t.substr(eq + 1))};
}

// Range of lines [begin, end) belonging to the first section with this name;
// begin is the section line itself. npos when absent.
struct Range {
    size_t begin = std::string::npos;
    size_t end = std::string::npos;
};

Range findSection(const Document& doc, std::string_view section) {
    Range r;
    for (size_t i = 0; i < doc.lines.size(); ++i) {
        auto name = sectionName(doc.lines[i]);
        if (!name) continue;
        if (r.begin != std::string::npos) {
            r.end = i;
            return r;
        }
        if (str::IEquals(*name, section)) r.begin = i;
    }
    if (r.begin != std::string::npos) r.end = doc.lines.size();
    return r;
}

std::optional<size_t> findKey(const Document& doc, const Range& r, std::string_view key) {
    for (size_t i = r.begin + 1; i < r.end; ++i) {
        auto kl = keyLine(doc.lines[i]);
        if (kl && str::IEquals(kl->key, key)) return i;
    }
    return std::nullopt;
}

std::string unquote(std::string_view v) {
    if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
        return std::string(v.substr(1, v.size() - 2));
    return std::string(v);
}

}  // namespace

std::string Utf16LeToUtf8(std::string_view b) {
    std::string out;
    out.reserve(b.size() / 2);
    for (size_t i = 0; i + 1 < b.size(); i += 2) {
        char32_t u = char32_t(uint8_t(b[i])) | (char32_t(uint8_t(b[i + 1])) << 8);
        if (u >= 0xD800 && u < 0xDC00 && i + 3 < b.size()) {
            char32_t lo = char32_t(uint8_t(b[i + 2])) | (char32_t(uint8_t(b[i + 3])) << 8);
            if (lo >= 0xDC00 && lo < 0xE000) {
                u = 0x10000 + ((u - 0xD800) << 10) + (lo - 0xDC00);
                i += 2;
            } else {
                u = 0xFFFD;
            }
        } else if (u >= 0xD800 && u < 0xE000) {
            u = 0xFFFD;
        }
        appendUtf8(out, u);
    }
    return out;
}

std::string Utf8ToUtf16Le(std::string_view s) {
    std::string out;
    out.reserve(s.size() * 2);
    auto put = [&](char32_t u) {
        out += char(u & 0xFF);
        out += char((u >> 8) & 0xFF);
    };
    for (size_t i = 0; i < s.size();) {
        uint8_t c = uint8_t(s[i]);
        char32_t u;
        size_t len;
        if (c < 0x80) {
            u = c;
            len = 1;
        } else if ((c & 0xE0) == 0xC0) {
            u = c & 0x1F;
            len = 2;
        } else if ((c & 0xF0) == 0xE0) {
            u = c & 0x0F;
            len = 3;
        } else if ((c & 0xF8) == 0xF0) {
            u = c & 0x07;
            len = 4;
        } else {
            put(0xFFFD);
            ++i;
            continue;
        }
        if (i + len > s.size()) {
            put(0xFFFD);
            break;
        }
        bool ok = true;
        for (size_t k = 1; k < len; ++k) {
            uint8_t cc = uint8_t(s[i + k]);
            if ((cc & 0xC0) != 0x80) {
                ok = false;
                break;
            }
            u = (u << 6) | (cc & 0x3F);
        }
        if (!ok) {
            put(0xFFFD);
            ++i;
            continue;
        }
        i += len;
        if (u >= 0x10000) {
            u -= 0x10000;
            put(0xD800 + (u >> 10));
            put(0xDC00 + (u & 0x3FF));
        } else {
            put(u);
        }
    }
    return out;
}

std::string Cp1252ToUtf8(std::string_view b) {
    // The 0x80..0x9F block differs from Latin-1; the rest maps one to one.
    static const char16_t high[32] = {
        0x20AC, 0xFFFD, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
        0x2039, 0x0152, 0xFFFD, 0x017D, 0xFFFD, 0xFFFD, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
        0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0xFFFD, 0x017E, 0x0178};
    std::string out;
    out.reserve(b.size());
    for (char ch : b) {
        uint8_t c = uint8_t(ch);
        char32_t u = (c >= 0x80 && c < 0xA0) ? high[c - 0x80] : c;
        appendUtf8(out, u);
    }
    return out;
}

bool IsValidUtf8(std::string_view s) {
    for (size_t i = 0; i < s.size();) {
        uint8_t c = uint8_t(s[i]);
        size_t len = c < 0x80             ? 1
                     : (c & 0xE0) == 0xC0 ? 2
                     : (c & 0xF0) == 0xE0 ? 3
                     : (c & 0xF8) == 0xF0 ? 4
                                          : 0;
        if (len == 0 || i + len > s.size()) return false;
        if (len == 2 && c < 0xC2) return false;
        for (size_t k = 1; k < len; ++k)
            if ((uint8_t(s[i + k]) & 0xC0) != 0x80) return false;
        i += len;
    }
    return true;
}

File File::Read(const std::filesystem::path& file) {
    File f;
    Document doc = load(file);
    if (!doc.exists) return f;
    if (doc.tooLarge || doc.unreadable) {
        f.state_ = doc.tooLarge ? State::kTooLarge : State::kUnreadable;
        return f;
    }
    f.state_ = State::kRead;
    // One pass: the first section of each name and the first key of each name
    // in it count; a later duplicate section is read but never looked up.
    Section* current = nullptr;
    for (const auto& line : doc.lines) {
        if (auto name = sectionName(line)) {
            f.sections_.emplace_back();
            current = &f.sections_.back();
            f.bySection.emplace(str::ToUpper(*name), f.sections_.size() - 1);
            continue;
        }
        if (!current) continue;
        auto kl = keyLine(line);
        if (!kl) continue;
        if (current->byKey.emplace(str::ToUpper(kl->key), current->entries.size()).second)
            current->entries.push_back({std::string(kl->key), unquote(kl->value)});
    }
    return f;
}

std::optional<std::string> File::Whole(std::string_view section, std::string_view key) const {
    auto s = bySection.find(str::ToUpper(Trim(section)));
    if (s == bySection.end()) return std::nullopt;
    const Section& sec = sections_[s->second];
    auto k = sec.byKey.find(str::ToUpper(Trim(key)));
    if (k == sec.byKey.end()) return std::nullopt;
    return sec.entries[k->second].value;
}

std::vector<std::string> File::Keys(std::string_view section) const {
    std::vector<std::string> out;
    auto s = bySection.find(str::ToUpper(Trim(section)));
    if (s == bySection.end()) return out;
    for (const auto& e : sections_[s->second].entries) out.push_back(e.key);
    return out;
}

namespace {
bool hasBreakOrNul(std::string_view s) {
    return s.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos;
}
}  // namespace

bool IsWritableSection(std::string_view section) {
    return !hasBreakOrNul(section) && section.find(']') == std::string_view::npos;
}

bool IsWritableKey(std::string_view key) {
    std::string_view k = Trim(key);
    return !hasBreakOrNul(key) && key.find('=') == std::string_view::npos && !k.empty() &&
           k[0] != ';' && k[0] != '[';
}

bool IsWritableValue(std::string_view value) { return !hasBreakOrNul(value); }

std::optional<std::string> GetWhole(const std::filesystem::path& file, std::string_view section,
                                    std::string_view key) {
    return File::Read(file).Whole(section, key);
}

std::string GetString(const std::filesystem::path& file, std::string_view section,
                      std::string_view key, std::string_view def, size_t bufferSize) {
    auto v = GetWhole(file, section, key);
    std::string out = v ? std::move(*v) : std::string(Trim(def));
    if (bufferSize == 0) return {};
    return str::CutUtf8(out, bufferSize - 1);
}

std::vector<std::string> Keys(const std::filesystem::path& file, std::string_view section) {
    return File::Read(file).Keys(section);
}

bool WriteString(const std::filesystem::path& file, std::string_view section,
                 std::optional<std::string_view> key, std::optional<std::string_view> value) {
    if (!IsWritableSection(section) || (key && !IsWritableKey(*key)) ||
        (value && !IsWritableValue(*value)))
        return false;
    Document doc = load(file);
    // A file that cannot be read whole is never rewritten from what was read.
    if (doc.tooLarge || doc.unreadable) return false;
    std::string_view sec = Trim(section);
    Range r = findSection(doc, sec);
    if (!key) {
        if (r.begin == std::string::npos) return true;
        doc.lines.erase(doc.lines.begin() + long(r.begin), doc.lines.begin() + long(r.end));
        return save(file, doc);
    }
    std::string_view k = Trim(*key);
    if (!value) {
        if (r.begin == std::string::npos) return true;
        auto at = findKey(doc, r, k);
        if (!at) return true;
        doc.lines.erase(doc.lines.begin() + long(*at));
        return save(file, doc);
    }
    if (r.begin == std::string::npos) {
        doc.lines.push_back("[" + std::string(sec) + "]");
        doc.lines.push_back(std::string(k) + "=" + std::string(*value));
        return save(file, doc);
    }
    if (auto at = findKey(doc, r, k)) {
        // The existing key keeps its spelling and position.
        auto kl = keyLine(doc.lines[*at]);
        doc.lines[*at] = std::string(kl->key) + "=" + std::string(*value);
    } else {
        // At the end of the section, before any blank lines that close it.
        size_t pos = r.end;
        while (pos > r.begin + 1 && Trim(doc.lines[pos - 1]).empty()) --pos;
        doc.lines.insert(doc.lines.begin() + long(pos), std::string(k) + "=" + std::string(*value));
    }
    return save(file, doc);
}

}  // namespace tessed::profile
