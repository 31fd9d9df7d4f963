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
