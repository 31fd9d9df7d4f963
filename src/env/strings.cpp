#include "env/strings.h"

#include <charconv>
#include <cmath>
#include <limits>

namespace tessed::str {

namespace {
char up(char c) { return (c >= 'a' && c <= 'z') ? char(c - 'a' + 'A') : c; }

// Leading blanks and tabs, then an optional sign: the rest of the text and
// whether the number is negative.
std::string_view skipSign(std::string_view s, bool& negative) {
    size_t i = 0;
    while (i < s.size() && (s[i] == ' ' || s[i] == '\t')) ++i;
    negative = false;
    if (i < s.size() && (s[i] == '-' || s[i] == '+')) negative = s[i++] == '-';
    return s.substr(i);
}
}  // namespace

std::string ToUpper(std::string_view s) {
    std::string r(s);
    for (auto& c : r) c = up(c);
    return r;
}

bool IEquals(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (up(a[i]) != up(b[i])) return false;
    return true;
}

void ReplaceAll(std::string& s, std::string_view what, std::string_view with) {
    if (what.empty()) return;
    for (size_t p = s.find(what); p != std::string::npos; p = s.find(what, p + with.size()))
        s.replace(p, what.size(), with);
}

std::string_view Trim(std::string_view s) {
    constexpr std::string_view blanks = " \t\r\n";
    size_t b = s.find_first_not_of(blanks);
    if (b == std::string_view::npos) return {};
    size_t e = s.find_last_not_of(blanks);
    return s.substr(b, e - b + 1);
}

std::string TwoDigits(int64_t v) {
    // The magnitude as unsigned, so that the most negative value is safe.
    const uint64_t magnitude = v < 0 ? 0 - static_cast<uint64_t>(v) : static_cast<uint64_t>(v);
    std::string digits = std::to_string(magnitude);
    if (digits.size() < 2) digits.insert(0, 2 - digits.size(), '0');
    return v < 0 ? "-" + digits : digits;
}

std::string CutUtf8(std::string_view s, size_t maxChars) {
    size_t count = 0;
    for (size_t i = 0; i < s.size(); ++i) {
        // Every byte that is not a continuation byte starts a character.
        if ((static_cast<unsigned char>(s[i]) & 0xC0) != 0x80) {
            if (count == maxChars) return std::string(s.substr(0, i));
            ++count;
        }
    }
    return std::string(s);
}

namespace {

// The length of the valid UTF-8 character at s[i] (1 to 4), or 0 when the bytes
// there start none; `prefix` receives how many bytes belong to the broken
// sequence (at least 1), so that it is replaced as one.
size_t utf8Length(std::string_view s, size_t i, size_t& prefix) {
    auto at = [&](size_t k) { return static_cast<unsigned char>(s[k]); };
    unsigned char b = at(i);
    size_t n = 0;
    unsigned char lo = 0x80, hi = 0xBF;  // the range of the second byte
    if (b < 0x80) return 1;
    if (b >= 0xC2 && b <= 0xDF)
        n = 2;
    else if (b >= 0xE0 && b <= 0xEF)
        n = 3;
    else if (b >= 0xF0 && b <= 0xF4)
        n = 4;
    if (b == 0xE0) lo = 0xA0;
    if (b == 0xED) hi = 0x9F;  // no surrogates
    if (b == 0xF0) lo = 0x90;
    if (b == 0xF4) hi = 0x8F;  // nothing beyond U+10FFFF
    prefix = 1;
    if (n == 0) return 0;
    for (size_t k = 1; k < n; ++k) {
        if (i + k >= s.size()) return 0;
        unsigned char c = at(i + k);
        if (k == 1 ? (c < lo || c > hi) : (c < 0x80 || c > 0xBF)) return 0;
        prefix = k + 1;
    }
    return n;
}

}  // namespace

std::string XmlChars(std::string_view s) {
    static constexpr std::string_view kReplacement = "\xEF\xBF\xBD";  // U+FFFD
    std::string out;
    out.reserve(s.size());
    for (size_t i = 0; i < s.size();) {
        size_t prefix = 1;
        size_t n = utf8Length(s, i, prefix);
        if (n == 0) {
            out += kReplacement;
            i += prefix;
            continue;
        }
        std::string_view ch = s.substr(i, n);
        i += n;
        if (n == 1) {
            char c = ch[0];
            bool control =
                static_cast<unsigned char>(c) < 0x20 && c != '\t' && c != '\n' && c != '\r';
            out += control ? ' ' : c;
        } else if (ch == "\xEF\xBF\xBE" || ch == "\xEF\xBF\xBF") {  // U+FFFE, U+FFFF
            out += kReplacement;
        } else {
            out += ch;
        }
    }
    return out;
}

int64_t LenientInt(std::string_view s) {
    bool negative = false;
    s = skipSign(s, negative);
    // Accumulated as a negative number, whose range includes the lowest value.
    constexpr int64_t lowest = std::numeric_limits<int64_t>::min();
    int64_t v = 0;
    for (size_t i = 0; i < s.size() && IsDigit(s[i]); ++i) {
        const int digit = s[i] - '0';
        if (v < (lowest + digit) / 10) {
            v = lowest;
            break;
        }
        v = v * 10 - digit;
    }
    if (negative) return v;
    return v == lowest ? std::numeric_limits<int64_t>::max() : -v;
}

double LenientNumber(std::string_view s) {
    bool negative = false;
    s = skipSign(s, negative);
    // from_chars reads the C format and never the locale's; it takes no sign
    // here, so "--1" and "+-1" read nothing.
    if (s.empty() || !(IsDigit(s[0]) || s[0] == '.')) return 0;
    double d = 0;
    auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), d);
    if (ec != std::errc() || !std::isfinite(d)) return 0;
    return negative ? -d : d;
}

}  // namespace tessed::str
