#include "compiler/frames.h"

#include <charconv>
#include <optional>
#include <vector>

#include "env/strings.h"

namespace tessed::compiler {

namespace {

// The level number that adds the interface part to a simple command's address.
constexpr int32_t kInterfaceLevel = 4;

// A number written with at least two digits, as the "00" picture writes it.
using str::TwoDigits;

std::string Decimal(int64_t v) { return std::to_string(v); }

// A non-empty run of decimal digits that fits the record's 32-bit fields.
std::optional<int32_t> Digits(std::string_view s) {
    if (s.empty()) return std::nullopt;
    for (char c : s)
        if (c < '0' || c > '9') return std::nullopt;
    int32_t v = 0;
    auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
    if (ec != std::errc() || end != s.data() + s.size()) return std::nullopt;
    return v;
}

std::vector<std::string_view> Split(std::string_view s, char sep) {
    std::vector<std::string_view> parts;
    size_t start = 0;
    while (true) {
        size_t pos = s.find(sep, start);
        if (pos == std::string_view::npos) {
            parts.push_back(s.substr(start));
            return parts;
        }
        parts.push_back(s.substr(start, pos - start));
        start = pos + 1;
    }
}

bool StripSuffix(std::string_view& s, std::string_view suffix) {
    if (s.size() < suffix.size() || s.substr(s.size() - suffix.size()) != suffix) return false;
    s.remove_suffix(suffix.size());
    return true;
}

bool StripPrefix(std::string_view& s, std::string_view prefix) {
    if (s.substr(0, prefix.size()) != prefix) return false;
    s.remove_prefix(prefix.size());
    return true;
}

using str::Trim;

// The address of a simple command: A and PL, then optionally "#4#" and the
// interface. Two address digits are A and PL of one digit each; four digits are
// A (two digits, at most 10) and PL (two digits). These are the only shapes the
// builder writes for addresses in the bus ranges.
bool ParseSimpleAddress(std::string_view part, CommandRecord& out) {
    auto pieces = Split(part, '#');
    if (pieces.size() != 1 && pieces.size() != 3) return false;
    std::string_view address = pieces[0];
    if (!Digits(address)) return false;
    if (address.size() == 2) {
        out.Conf_A = address[0] - '0';
        out.Conf_PL = address[1] - '0';
    } else if (address.size() == 4) {
        out.Conf_A = *Digits(address.substr(0, 2));
        out.Conf_PL = *Digits(address.substr(2, 2));
        if (out.Conf_A > 10) return false;
    } else {
        return false;
    }
    if (pieces.size() == 3) {
        auto level = Digits(pieces[1]);
        auto interface = Digits(pieces[2]);
        if (!level || *level != kInterfaceLevel || !interface) return false;
        out.Livello = *level;
        out.Interfaccia = *interface;
    }
    return true;
}

bool ParseFrame(std::string_view text, CommandRecord& out) {
    auto parts = Split(text, '*');
    if (parts.size() != 4 || !parts[0].empty()) return false;
    std::string_view third = parts[2];
    std::string_view fourth = parts[3];
    if (!StripSuffix(fourth, "##")) return false;
    if (parts[1] == "15") {
        auto button = Digits(third);
        if (!button) return false;
        out.Pulsante = *button;
        if (!ParseSimpleAddress(fourth, out)) return false;
        out.TypeCMD = 1;
        return true;
    }
    if (parts[1] == "25") {
        if (!StripPrefix(third, "22#") || !StripPrefix(fourth, "2")) return false;
        auto button = Digits(third);
        auto address = Digits(fourth);
        if (!button || !address) return false;
        out.PULSANTE_CEN = *button;
        out.Indirizzo_CEN = *address;
        out.TypeCMD = 2;
        return true;
    }
    return false;
}

}  // namespace

std::string BuildCommandFrame(const CommandRecord& r) {
    switch (r.TypeCMD) {
        case 1: {
            std::string frame = "*15*" + TwoDigits(r.Pulsante);
            const int64_t a = r.Conf_A, pl = r.Conf_PL;
            if (a == 10)
                frame += pl > 9 ? "*10" + Decimal(pl) : "*100" + Decimal(pl);
            else
                frame += pl > 9 ? "*0" + Decimal(a) + Decimal(pl) : "*" + Decimal(a) + Decimal(pl);
            if (r.Livello == kInterfaceLevel)
                frame += "#" + Decimal(kInterfaceLevel) + "#" + TwoDigits(r.Interfaccia);
            return frame + "##";
        }
        case 2:
            return "*25*22#" + Decimal(r.PULSANTE_CEN) + "*2" + Decimal(r.Indirizzo_CEN) + "##";
        default:
            return {};
    }
}

bool ParseCommandFrame(std::string_view text, CommandRecord& command) {
    command = CommandRecord{};
    text = Trim(text);
    if (text.empty()) return true;
    CommandRecord read;
    if (!ParseFrame(text, read)) return false;
    command = read;
    return true;
}

CommandRecord FrameContent(const CommandRecord& r) {
    CommandRecord out;
    out.TypeCMD = r.TypeCMD;
    if (r.TypeCMD == 1) {
        out.Pulsante = r.Pulsante;
        out.Conf_A = r.Conf_A;
        out.Conf_PL = r.Conf_PL;
        if (r.Livello == kInterfaceLevel) {
            out.Livello = r.Livello;
            out.Interfaccia = r.Interfaccia;
        }
    } else if (r.TypeCMD == 2) {
        out.PULSANTE_CEN = r.PULSANTE_CEN;
        out.Indirizzo_CEN = r.Indirizzo_CEN;
    } else {
        out.TypeCMD = 0;
    }
    return out;
}

}  // namespace tessed::compiler
