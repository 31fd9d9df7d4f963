// The shared text helpers, and numbers read and written the same under every
// process locale.
#include "env/strings.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

#include "env/database.h"
#include "env/texts.h"
#include "support/test_env.h"

using namespace tessed;

TEST(Strings, TrimCutAndTwoDigits) {
    EXPECT_EQ(str::Trim(" \t a b \r\n"), "a b");
    EXPECT_EQ(str::Trim(" \r\n "), "");
    EXPECT_EQ(str::TwoDigits(5), "05");
    EXPECT_EQ(str::TwoDigits(-5), "-05");
    EXPECT_EQ(str::TwoDigits(123), "123");
    EXPECT_EQ(str::TwoDigits(std::numeric_limits<int64_t>::min()), "-9223372036854775808");
    // Never half a character: "è" and "€" are two and three bytes.
    EXPECT_EQ(str::CutUtf8("caffè", 5), "caffè");
    EXPECT_EQ(str::CutUtf8("caffè", 4), "caff");
    EXPECT_EQ(str::CutUtf8("€€€", 2), "€€");
    EXPECT_EQ(str::CutUtf8("abc", 0), "");
}

TEST(Strings, XmlCharsKeepsOnlyWhatXml10Allows) {
    const std::string fffd = "\xEF\xBF\xBD";
    const std::pair<std::string, std::string> cases[] = {
        // Kept: text, markup characters (escaping is the writer's), tab, LF, CR,
        // DEL, two- to four-byte characters, the highest code point.
        {"a<b & 'c'", "a<b & 'c'"},
        {"x\ty\nz\r", "x\ty\nz\r"},
        {"\x7F", "\x7F"},
        {"caff\xC3\xA8 \xE2\x82\xAC \xF0\x9F\x98\x80",
         "caff\xC3\xA8 \xE2\x82\xAC \xF0\x9F\x98\x80"},
        {"\xEF\xBF\xBD\xF4\x8F\xBF\xBF", "\xEF\xBF\xBD\xF4\x8F\xBF\xBF"},
        // Control characters become blanks.
        {"Bell\x07 end", "Bell  end"},
        {std::string("\x01\0\x1F", 3), "   "},
        // Bytes that are not UTF-8: one replacement per broken sequence.
        {"caf\xE8", "caf" + fffd},
        {"\xE2\x82x", fffd + "x"},
        {"\x80\xBF", fffd + fffd},
        {"\xC0\xAF", fffd + fffd},                        // an overlong "/"
        {"\xED\xA0\x80", fffd + fffd + fffd},             // a surrogate
        {"\xF4\x90\x80\x80", fffd + fffd + fffd + fffd},  // beyond U+10FFFF
        {"\xF0\x9F\x98", fffd},                           // cut at the end
        // The two non-characters XML excludes.
        {"\xEF\xBF\xBE\xEF\xBF\xBF", fffd + fffd},
    };
    for (const auto& [text, expected] : cases) EXPECT_EQ(str::XmlChars(text), expected) << text;
}

TEST(Strings, LenientNumbersReadWhatUsersType) {
    for (auto [text, value] : {std::pair<const char*, int64_t>{"", 0},
                               {"abc", 0},
                               {"-", 0},
                               {"  42", 42},
                               {"\t-7x", -7},
                               {"+12abc", 12},
                               {"2.5", 2},
                               {"99999999999999999999", std::numeric_limits<int64_t>::max()},
                               {"-99999999999999999999", std::numeric_limits<int64_t>::min()}})
        EXPECT_EQ(str::LenientInt(text), value) << "'" << text << "'";
    for (auto [text, value] : {std::pair<const char*, double>{"2.5", 2.5},
                               {" -0.5e1x", -5},
                               {".5", 0.5},
                               {"0,5", 0},
                               {"x1", 0},
                               {"1e999", 0},
                               {"--1", 0}})
        EXPECT_EQ(str::LenientNumber(text), value) << "'" << text << "'";
}

// Under a locale whose separator is a comma, as under C: "2.5" is two and a
// half (rounded to 3 as a whole number), "0.5" is True, and a real number is
// written with a point.
TEST(Strings, DatabaseValuesIgnoreTheLocale) {
    for (const char* name : test::kNumberLocales) {
        test::ScopedLocale locale(name);
        ASSERT_TRUE(locale.active()) << "locale " << name << " is not installed: run scripts/setup";
        SCOPED_TRACE(name);
        EXPECT_EQ(db::Value(std::string("2.5")).toInt(), 3);
        EXPECT_EQ(db::Value(std::string(" 2.5")).toDouble(), 2.5);
        EXPECT_TRUE(db::Value(std::string("0.5")).toBool());
        EXPECT_FALSE(db::Value(std::string("0,5")).toBool());
        EXPECT_EQ(db::Value(2.5).toText(), "2.5");
        EXPECT_EQ(db::Value(1234567.25).toText(), "1234567.25");
        EXPECT_EQ(db::Value(0.1 + 0.2).toText(), "0.3");  // fifteen significant digits
        EXPECT_EQ(str::LenientNumber("1234.5"), 1234.5);
    }
}

TEST(Texts, FormatFillsPlaceholdersInOnePass) {
    EXPECT_EQ(texts::Format("Valore %1 %2", {">=", "2.5"}), "Valore >= 2.5");
    EXPECT_EQ(texts::Format("%1 and %10", {"a", "b", "c", "d", "e", "f", "g", "h", "i", "j"}),
              "a and j");
    // A value holding a placeholder is inserted as it is.
    EXPECT_EQ(texts::Format("%1: %2", {"Luci", "descrizione con %1"}), "Luci: descrizione con %1");
    EXPECT_EQ(texts::Format("%2 %1", {"%2", "x"}), "x %2");
    // A placeholder beyond the arguments, a lone "%" and "%0" stay.
    EXPECT_EQ(texts::Format("%10 %3 100% %0 %", {"a"}), "a0 %3 100% %0 %");
}
