// Any formula text with any X and Y (input: formula, line feed, X, line feed,
// Y) converts without failing, and only as the closed set says: a formula
// outside the set gives nothing in any case; a formula of the set gives the
// same in upper and lower case; the text formulas keep X as it is; the
// number formulas write numbers that read back as the same value.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "configurator/conversion.h"
#include "env/strings.h"

namespace {

using namespace tessed;
using namespace tessed::configurator;

void Fail(const char* what, std::string_view f, std::string_view x, std::string_view y,
          const std::optional<std::string>& r) {
    std::fprintf(stderr, "%s\nformula [%.*s] x [%.*s] y [%.*s] -> %s\n", what, int(f.size()),
                 f.data(), int(x.size()), x.data(), int(y.size()), y.data(),
                 r ? r->c_str() : "(nothing)");
    std::abort();
}

std::string Lower(std::string_view s) {
    std::string o(s);
    for (auto& c : o)
        if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
    return o;
}

bool Same(double a, double b) { return a == b || (std::isnan(a) && std::isnan(b)); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view in(reinterpret_cast<const char*>(data), size);
    size_t a = in.find('\n');
    std::string_view formula = in.substr(0, a);
    std::string_view rest = a == std::string_view::npos ? std::string_view() : in.substr(a + 1);
    size_t b = rest.find('\n');
    std::string_view x = rest.substr(0, b);
    std::string_view y = b == std::string_view::npos ? std::string_view() : rest.substr(b + 1);

    // The input's own formula text.
    bool known = false;
    for (std::string_view f : kFormulas) known = known || str::IEquals(f, formula);
    auto r = EvaluateConversion(x, formula, y);
    if (!known && r) Fail("a formula outside the set converted", formula, x, y, r);
    if (known && r != EvaluateConversion(x, Lower(formula), y))
        Fail("the lower-case formula differs", formula, x, y, r);

    // Every formula of the set on the input's X and Y.
    for (std::string_view f : kFormulas) {
        auto v = EvaluateConversion(x, f, y);
        const std::string name(f);
        if (name == "3[F[HEX(X)-HEX(Y)]]") {
            if (v && (v->empty() || (*v)[0] != '3')) Fail("packed hex", f, x, y, v);
            continue;
        }
        if (!v) Fail("a formula of the set gave nothing", f, x, y, v);
        if (name == "X" && *v != x) Fail("X changed", f, x, y, v);
        if (name == "2[X]" && *v != "2" + std::string(x)) Fail("2[X]", f, x, y, v);
        if (name == "VAL(X)" && !Same(Val(*v), Val(x))) Fail("VAL(X) read back", f, x, y, v);
        if (name == "4000+[X]" && !Same(Val(*v), Val(x) + 4000))
            Fail("4000+[X] read back", f, x, y, v);
        if (name == "IIF(X<10;0[X];X)" && *v != (Val(x) < 10 ? "0" : "") + std::string(x))
            Fail("IIF", f, x, y, v);
    }
    return 0;
}
