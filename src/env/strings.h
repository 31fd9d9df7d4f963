#pragma once
// Small text helpers shared by every module. Names of tables, columns, keys,
// sections and file extensions compare in ASCII without regard to case, as the
// Windows component compared them.
//
// Numbers: everything here reads and writes digits, signs and the decimal
// point "." only, whatever the process locale says (a Qt application installs
// the user's locale, whose separator may be a comma). No helper consults the
// locale, so a file or listing written under one locale reads the same under
// any other.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace tessed::str {

// ASCII letters upper-cased; every other byte (UTF-8 included) unchanged.
std::string ToUpper(std::string_view s);
// Equal without regard to ASCII letter case.
bool IEquals(std::string_view a, std::string_view b);
// Replaces every occurrence of `what` (not empty) by `with`, left to right;
// replaced text is not searched again.
void ReplaceAll(std::string& s, std::string_view what, std::string_view with);

// Blanks, tabs, carriage returns and line feeds removed at both ends.
std::string_view Trim(std::string_view s);
// An ASCII digit 0-9 (never a digit of another script, whatever the locale).
inline bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// At least two digits, as the "00" picture writes them: 5 gives "05", -5
// gives "-05", 123 stays "123".
std::string TwoDigits(int64_t v);

// The first `maxChars` characters of a UTF-8 text, never half a character.
std::string CutUtf8(std::string_view s, size_t maxChars);

// The text with only the characters XML 1.0 allows in a document: control
// characters other than tab, line feed and carriage return become blanks;
// byte sequences that are not UTF-8 (each maximal broken sequence), encoded
// surrogates and the non-characters U+FFFE and U+FFFF become U+FFFD. Every
// other character, valid UTF-8 included, is kept as it is.
std::string XmlChars(std::string_view s);

// A whole number read as a user types it: leading blanks and tabs skipped, an
// optional sign, then the digits up to the first other character; "", "abc"
// and "-" give 0, "12abc" gives 12. Values beyond the 64-bit range stop at
// its ends.
int64_t LenientInt(std::string_view s);
// The leading decimal number of a text, with "." as the separator: leading
// blanks and tabs skipped, an optional sign, digits, a fraction and an
// exponent; "2.5" gives 2.5, "0,5" gives 0, text without a number and values
// that are not finite give 0.
double LenientNumber(std::string_view s);

}  // namespace tessed::str
