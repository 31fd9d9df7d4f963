#include "model/time_text.h"

#include <chrono>
#include <ctime>
#include <vector>

#include "env/strings.h"
#include "env/texts.h"

namespace tessed::model {

namespace {

// Characters `start` (1-based) to `start + len - 1`, cut at the end of the text.
std::string Mid(std::string_view s, size_t start, size_t len) {
    if (start == 0 || start > s.size()) return {};
    return std::string(s.substr(start - 1, len));
}

std::string Left(std::string_view s, size_t n) { return std::string(s.substr(0, n)); }
std::string Right(std::string_view s, size_t n) {
    return std::string(s.size() <= n ? s : s.substr(s.size() - n));
}

void AddLine(std::string& text, const std::string& line) {
    if (line.empty()) return;
    if (!text.empty()) text += kLineBreak;
    text += line;
}

// "hhmm" as "hh:mm".
std::string Clock(std::string_view v) { return Left(v, 2) + ":" + Right(v, 2); }

// A range date "ddmm20yy" as "dd.mm.yy".
std::string RangeDate(std::string_view v) {
    return Mid(v, 1, 2) + "." + Mid(v, 3, 2) + "." + Mid(v, 7, 2);
}

}  // namespace

Moment Moment::Now() {
    std::time_t t = std::time(nullptr);
    std::tm local{};
    localtime_r(&t, &local);
    return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min};
}

TimeTextParts SplitTimeText(std::string_view text) {
    TimeTextParts parts;
    if (text.find('|') == std::string_view::npos) return parts;
    parts.valid = true;
    struct Key {
        std::string_view name;
        std::optional<std::string> TimeTextParts::*field;
    };
    // ORATO= is no part of ORAFROM=, nor DATATO= of DATAFROM=, so the order of
    // the search does not matter.
    static const Key keys[] = {{"ORAFROM=", &TimeTextParts::oraFrom},
                               {"ORATO=", &TimeTextParts::oraTo},
                               {"SETT=", &TimeTextParts::sett},
                               {"DATAFROM=", &TimeTextParts::dataFrom},
                               {"DATATO=", &TimeTextParts::dataTo}};
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find('|', start);
        if (end == std::string_view::npos) end = text.size();
        std::string_view part = text.substr(start, end - start);
        std::string upper = str::ToUpper(part);
        for (const auto& key : keys) {
            size_t at = upper.find(key.name);
            if (at != std::string::npos) {
                parts.*key.field = std::string(part.substr(at + key.name.size()));
                break;
            }
        }
        start = end + 1;
    }
    return parts;
}

std::string SettPart(int mask) {
    static const char* hex = "0123456789ABCDEF";
    std::string digits;
    unsigned v = static_cast<unsigned>(mask);
    do {
        digits.insert(digits.begin(), hex[v % 16]);
        v /= 16;
    } while (v);
    return std::string("SETT=") + (mask <= 9 ? "0" : "") + digits + "|";
}

std::optional<int> ParseWeekMask(std::string_view value) {
    if (value.empty() || value.size() > 2) return std::nullopt;
    int mask = 0;
    for (char c : value) {
        int d;
        if (c >= '0' && c <= '9')
            d = c - '0';
        else if (c >= 'A' && c <= 'F')
            d = c - 'A' + 10;
        else if (c >= 'a' && c <= 'f')
            d = c - 'a' + 10;
        else
            return std::nullopt;
        mask = mask * 16 + d;
    }
    return mask;
}

std::string WeekdayNames(int mask) {
    std::string line;
    for (int i = 0; i < 7; ++i) {
        if (i) line += " ";
        line += (mask & (1 << i)) ? texts::GetText(1068 + i) : std::string(" - ");
    }
    return line;
}

std::optional<int> FieldValue(std::string_view field) {
    if (field == "**") return -1;
    if (field.size() != 2 || !str::IsDigit(field[0]) || !str::IsDigit(field[1]))
        return std::nullopt;
    return (field[0] - '0') * 10 + (field[1] - '0');
}

std::string FormatMomentText(std::string_view timeText) {
    TimeTextParts parts = SplitTimeText(timeText);
    if (!parts.valid) return {};
    std::string text;
    if (parts.dataFrom) {
        const std::string& d = *parts.dataFrom;
        AddLine(text, d == "******" ? texts::GetText(58)
                                    : texts::GetText(1109) + " " + Mid(d, 1, 2) + "/" +
                                          Mid(d, 3, 2) + "/" + Mid(d, 5, 2));
    }
    if (parts.oraFrom) {
        const std::string& t = *parts.oraFrom;
        AddLine(text, t == "****" ? texts::GetText(1578)
                                  : texts::GetText(1110) + " " + Left(t, 2) + "." + Right(t, 2));
    }
    return text;
}

std::string FormatRangeText(std::string_view timeText) {
    TimeTextParts parts = SplitTimeText(timeText);
    if (!parts.valid) return {};
    auto set = [](const std::optional<std::string>& v) { return v && *v != "-1"; };
    std::string text;

    if (!set(parts.oraFrom))
        AddLine(text, texts::GetText(1086));
    else if (!set(parts.oraTo))
        AddLine(text, texts::GetText(1623) + " " + Clock(*parts.oraFrom));
    else
        AddLine(text, texts::GetText(1622) + " " + Clock(*parts.oraFrom) + " " +
                          texts::GetText(1623) + " " + Clock(*parts.oraTo));

    if (parts.sett) {
        if (auto mask = ParseWeekMask(*parts.sett))
            AddLine(text, *mask >= kAllWeekdays ? texts::GetText(1080) : WeekdayNames(*mask));
    }

    if (!set(parts.dataFrom)) {
        AddLine(text, texts::GetText(1078));
    } else {
        AddLine(text, texts::GetText(1076) + " " + RangeDate(*parts.dataFrom));
        if (set(parts.dataTo)) AddLine(text, texts::GetText(1077) + " " + RangeDate(*parts.dataTo));
    }
    return text;
}

int DaysInMonth(int year, int month) {
    using namespace std::chrono;
    if (month < 1 || month > 12) return 0;
    return static_cast<int>(unsigned(
        year_month_day_last(std::chrono::year(year),
                            month_day_last(std::chrono::month(static_cast<unsigned>(month))))
            .day()));
}

bool IsRealDate(int year, int month, int day) {
    return month >= 1 && month <= 12 && day >= 1 && day <= DaysInMonth(year, month);
}

}  // namespace tessed::model
