#include "configurator/conversion.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <vector>

#include "env/strings.h"

namespace tessed::configurator {

namespace {

std::vector<std::string_view> split(std::string_view s, char sep) {
    std::vector<std::string_view> parts;
    size_t start = 0;
    for (;;) {
        size_t at = s.find(sep, start);
        parts.push_back(s.substr(start, at == std::string_view::npos ? s.npos : at - start));
        if (at == std::string_view::npos) return parts;
        start = at + 1;
    }
}

// The hexadecimal digits of a whole number from 0 to 2^32 - 1, without
// leading zeros ("A" for 10, "0" for 0); nothing for any other number.
std::optional<std::string> hexDigits(double v) {
    if (!(v >= 0) || v > 4294967295.0 || std::floor(v) != v) return std::nullopt;
    char buf[16];
    auto r = std::to_chars(buf, buf + sizeof buf, static_cast<uint64_t>(v), 16);
    return str::ToUpper(std::string_view(buf, static_cast<size_t>(r.ptr - buf)));
}

// "3[F[HEX(X)-HEX(Y)]]": the two hexadecimal texts joined and read as one
// number n; "3" and n - 154 + 100 when n is at least 154, else "3", Val(X)
// and Val(Y).
std::optional<std::string> packedHex(std::string_view x, std::string_view y) {
    const double vx = Val(x), vy = Val(y);
    auto hx = hexDigits(vx), hy = hexDigits(vy);
    if (!hx || !hy) return std::nullopt;
    const std::string joined = *hx + *hy;  // at most 16 digits: fits 64 bits
    uint64_t n = 0;
    std::from_chars(joined.data(), joined.data() + joined.size(), n, 16);
    if (n < 154) return "3" + NumberText(vx) + NumberText(vy);
    return "3" + std::to_string(n - 154 + 100);
}

}  // namespace

double Val(std::string_view text) { return str::LenientNumber(text); }

std::string NumberText(double value) {
    if (!std::isfinite(value)) return "0";
    // Whole numbers within the exact range of a double: plain digits.
    if (std::floor(value) == value && std::fabs(value) < 1e15)
        return std::to_string(static_cast<int64_t>(value));
    char buf[64];
    auto r = std::to_chars(buf, buf + sizeof buf, value);
    return std::string(buf, static_cast<size_t>(r.ptr - buf));
}

std::optional<std::string> EvaluateConversion(std::string_view x, std::string_view formula,
                                              std::string_view y) {
    const std::string f = str::ToUpper(formula);
    if (f == "X") return std::string(x);
    if (f == "2[X]") return "2" + std::string(x);
    if (f == "1[X]") return "1" + std::string(x);
    if (f == "4000+[X]") return NumberText(Val(x) + 4000);
    if (f == "IIF(X<10;0[X];X)") return Val(x) < 10 ? "0" + std::string(x) : std::string(x);
    if (f == "VAL(X)") return NumberText(Val(x));
    if (f == "2[VAL(X)]") return "2" + NumberText(Val(x));
    if (f == "3[X]") return "3" + NumberText(Val(x));
    if (f == "3#X#Y") return "3#" + NumberText(Val(x)) + "#" + NumberText(Val(y));
    if (f == "3[F[HEX(X)-HEX(Y)]]") return packedHex(x, y);
    return std::nullopt;
}

std::optional<std::string> ConfValue(const ConfValues* table, std::string_view name) {
    if (!table) return std::nullopt;
    auto v = table->Item(str::ToUpper(name));
    if (!v) return std::nullopt;
    return *v;
}

std::optional<std::string> ComposeValue(const ConfValues* table, std::string_view parameter) {
    std::string x;
    for (std::string_view name : split(parameter, '+')) {
        auto v = ConfValue(table, name);
        if (!v) return std::nullopt;
        x += *v;
    }
    return x;
}

std::optional<std::string> CustomWhereValue(const ConfValues* table, std::string_view format,
                                            std::string_view conversion) {
    const std::string f = str::ToUpper(format);
    if (f == "A+PL") {
        auto parts = split(f, '+');
        auto a = ConfValue(table, parts[0]), pl = ConfValue(table, parts[1]);
        if (!a || !pl) return std::nullopt;
        const bool aBig = Val(*a) > 9, plBig = Val(*pl) > 9;
        std::string where;
        if (aBig && !plBig)
            where = *a + "0" + *pl;
        else if (!aBig && plBig)
            where = "0" + *a + *pl;
        else
            where = *a + *pl;
        return EvaluateConversion(where, conversion, "");
    }
    if (f == "A-PF" || f == "Z-N_AI") {
        auto parts = split(f, '-');
        auto x = ConfValue(table, parts[0]), y = ConfValue(table, parts[1]);
        if (!x || !y) return std::nullopt;
        return EvaluateConversion(*x, conversion, *y);
    }
    return std::nullopt;
}

std::optional<std::string> RuleValue(const ConfValues* table, bool custom,
                                     std::string_view parameter, std::string_view conversion) {
    if (custom) return CustomWhereValue(table, parameter, conversion);
    auto x = ComposeValue(table, parameter);
    if (!x) return std::nullopt;
    return EvaluateConversion(*x, conversion, "");
}

}  // namespace tessed::configurator
