// The conversion formulas and the composition of a rule's value, as tables.
#include "configurator/conversion.h"

#include <gtest/gtest.h>

#include "support/test_env.h"

using namespace tessed;
using namespace tessed::configurator;

namespace {

std::shared_ptr<ConfValues> Table(std::initializer_list<std::pair<const char*, const char*>> v) {
    auto t = std::make_shared<ConfValues>();
    for (const auto& [k, val] : v) t->AddMember(k, std::make_shared<std::string>(val));
    return t;
}

struct Case {
    const char* formula;
    const char* x;
    const char* y;
    std::optional<std::string> result;
};

void PrintTo(const Case& c, std::ostream* os) {
    *os << c.formula << " (" << c.x << ", " << c.y << ")";
}

// clang-format off
const Case kCases[] = {
    // The design's edge cases.
    {"IIF(X<10;0[X];X)", "7", "", "07"},
    {"IIF(X<10;0[X];X)", "12", "", "12"},
    {"IIF(X<10;0[X];X)", "A", "", "0A"},        // Val("A") is 0
    {"2[VAL(X)]", "007", "", "27"},
    {"3[F[HEX(X)-HEX(Y)]]", "9", "10", "3100"},  // 9A = 154
    {"3[F[HEX(X)-HEX(Y)]]", "10", "0", "3106"},  // A0 = 160
    {"3[F[HEX(X)-HEX(Y)]]", "1", "2", "312"},    // 12 = 18: below 154
    // Every other formula of the set.
    {"X", " 05 ", "", " 05 "},
    {"2[X]", "1", "", "21"},
    {"1[X]", "8", "", "18"},
    {"4000+[X]", "7", "", "4007"},
    {"4000+[X]", "2.5", "", "4002.5"},
    {"4000+[X]", "", "", "4000"},
    {"VAL(X)", "0012abc", "", "12"},
    {"VAL(X)", "-3", "", "-3"},
    {"3[X]", "1", "", "31"},
    {"3#X#Y", "01", "2x", "3#1#2"},
    {"3[F[HEX(X)-HEX(Y)]]", "15", "15", "3201"},  // FF = 255
    {"3[F[HEX(X)-HEX(Y)]]", "0", "0", "300"},
    {"3[F[HEX(X)-HEX(Y)]]", "4294967295", "4294967295",
     "3" + std::to_string(0xFFFFFFFFFFFFFFFFull - 54)},
    // Only whole numbers from 0 to 2^32 - 1 have a hexadecimal form here.
    {"3[F[HEX(X)-HEX(Y)]]", "-1", "0", std::nullopt},
    {"3[F[HEX(X)-HEX(Y)]]", "1.5", "0", std::nullopt},
    {"3[F[HEX(X)-HEX(Y)]]", "4294967296", "0", std::nullopt},
    // Any case; recognised whole, never as an expression.
    {"iif(x<10;0[x];x)", "7", "", "07"},
    {"2[val(x)]", "007", "", "27"},
    {"3[f[hex(x)-hex(y)]]", "10", "0", "3106"},
    {"X+1", "1", "", std::nullopt},
    {" X", "1", "", std::nullopt},
    {"IIF(X<10;0[X];X) ", "1", "", std::nullopt},
    {"", "1", "", std::nullopt},
    {"Y", "1", "2", std::nullopt},
};
// clang-format on

class Formula : public ::testing::TestWithParam<Case> {};

TEST_P(Formula, Converts) {
    const Case& c = GetParam();
    EXPECT_EQ(EvaluateConversion(c.x, c.formula, c.y), c.result);
}

INSTANTIATE_TEST_SUITE_P(Table, Formula, ::testing::ValuesIn(kCases));

// Numbers read and write the same under a locale whose separator is a comma.
TEST(Conversion, NumbersIgnoreTheLocale) {
    for (const char* name : test::kNumberLocales) {
        test::ScopedLocale locale(name);
        ASSERT_TRUE(locale.active()) << name;
        EXPECT_EQ(EvaluateConversion("2.5", "VAL(X)"), "2.5") << name;
        EXPECT_EQ(EvaluateConversion("1234567", "4000+[X]"), "1238567") << name;
        EXPECT_EQ(NumberText(1e20), "1e+20") << name;
    }
}

struct WhereCase {
    bool custom;
    const char* parameter;
    const char* conversion;
    std::optional<std::string> result;
};

void PrintTo(const WhereCase& c, std::ostream* os) {
    *os << (c.custom ? "custom " : "") << c.parameter << " / " << c.conversion;
}

// A device table: A 12, PL 3, PF 0, Z 1, N_AI 2, S 1, SOLO 15, EMPTY "".
// clang-format off
const WhereCase kWheres[] = {
    // "A+PL": a "0" between or before, comparing the numbers.
    {true, "A+PL", "X", "1203"},
    {true, "a+pl", "x", "1203"},
    {true, "S+SOLO", "X", std::nullopt},   // only A+PL is the format
    {true, "A-PF", "3[F[HEX(X)-HEX(Y)]]", "3138"},  // C0 = 192
    {true, "Z-N_AI", "3#X#Y", "3#1#2"},
    {true, "A-MISSING", "3#X#Y", std::nullopt},
    {true, "B+PL", "X", std::nullopt},
    {true, "PL", "X", std::nullopt},
    // Plain rules: the named values joined at "+", then converted.
    {false, "Z+N_AI", "X", "12"},
    {false, "z+n_ai", "2[VAL(X)]", "212"},
    {false, "A+EMPTY", "X", "12"},
    {false, "A+MISSING", "X", std::nullopt},  // never "12" alone
    {false, "", "X", std::nullopt},
    {false, "A", "UNKNOWN", std::nullopt},
};
// clang-format on

class Where : public ::testing::TestWithParam<WhereCase> {};

TEST_P(Where, Composes) {
    const WhereCase& c = GetParam();
    auto t = Table({{"A", "12"},
                    {"PL", "3"},
                    {"PF", "0"},
                    {"Z", "1"},
                    {"N_AI", "2"},
                    {"S", "1"},
                    {"SOLO", "15"},
                    {"EMPTY", ""}});
    EXPECT_EQ(RuleValue(t.get(), c.custom, c.parameter, c.conversion), c.result);
}

INSTANTIATE_TEST_SUITE_P(Table, Where, ::testing::ValuesIn(kWheres));

TEST(Conversion, APlusPlPutsTheZeroByTheNumbers) {
    struct {
        const char *a, *pl, *where;
    } cases[] = {{"12", "3", "1203"},  {"1", "15", "0115"}, {"1", "5", "15"},
                 {"12", "15", "1215"}, {"9", "9", "99"},    {"10", "9", "1009"},
                 {"09", "10", "00910"}};  // the texts as given, the numbers compared
    for (const auto& c : cases) {
        auto t = Table({{"A", c.a}, {"PL", c.pl}});
        EXPECT_EQ(CustomWhereValue(t.get(), "A+PL", "X"), c.where) << c.a << " " << c.pl;
    }
    EXPECT_EQ(CustomWhereValue(nullptr, "A+PL", "X"), std::nullopt);
}

}  // namespace
