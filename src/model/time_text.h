#pragma once
// Time texts: the "KEY=value|" text that a time element keeps in KEY_OPT.
//   ORAFROM=hhmm|ORATO=hhmm|SETT=<hex weekday mask>|DATAFROM=<date>|DATATO=<date>|
// "-1" marks a part that is not set. Range texts write dates as day, month,
// "20", year (eight characters); single-moment texts as day, month, year (six);
// every two-character field of a single moment may be "**" (any).
#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace tessed::model {

// Every weekday ticked.
inline constexpr int kAllWeekdays = 0x7F;
// Description lines are separated by carriage returns, as slot captions and
// the compile log show them.
inline constexpr const char* kLineBreak = "\r";

// A calendar moment of the local clock. The dialogs take "now" from outside so
// that date checks do not depend on the day the tests run.
struct Moment {
    int year = 2000, month = 1, day = 1, hour = 0, minute = 0;
    static Moment Now();
};

// The five parts of a time text, each the value after its key, or nothing when
// the part is absent. `valid` is false for a text without "|".
struct TimeTextParts {
    bool valid = false;
    std::optional<std::string> oraFrom, oraTo, sett, dataFrom, dataTo;
};
// Splits at "|" and recognises each part by the key it contains, upper-cased.
TimeTextParts SplitTimeText(std::string_view text);

// "SETT=" and the mask in upper-case hexadecimal, with a "0" before masks of 9
// or less: "SETT=01|", "SETT=09|", "SETT=A|", "SETT=7F|".
std::string SettPart(int mask);
// A weekday mask read as hexadecimal of one or two digits, either case.
std::optional<int> ParseWeekMask(std::string_view value);
// The weekday line of a description: for each of the seven days its name
// (texts 1068 to 1074) when set, " - " when not, separated by spaces.
std::string WeekdayNames(int mask);

// A two-character field: "**" gives -1, two digits give their number; anything
// else gives nothing.
std::optional<int> FieldValue(std::string_view field);

// Readable descriptions of stored texts; "" for a text that does not split into
// at least two parts.
std::string FormatMomentText(std::string_view timeText);
std::string FormatRangeText(std::string_view timeText);

// Days in a month of a year (2000 + two-digit year in the dialogs).
int DaysInMonth(int year, int month);
bool IsRealDate(int year, int month, int day);

}  // namespace tessed::model
