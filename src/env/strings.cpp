#include "env/strings.h"

namespace tessed::str {

namespace {
char up(char c) { return (c >= 'a' && c <= 'z') ? char(c - 'a' + 'A') : c; }
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

}  // namespace tessed::str
