#pragma once
// Small text helpers shared by every module. Names of tables, columns, keys,
// sections and file extensions compare in ASCII without regard to case, as the
// Windows component compared them.
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

}  // namespace tessed::str
