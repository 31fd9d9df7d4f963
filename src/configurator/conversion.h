#pragma once
// The conversion of a device's configuration values into the bus codes the
// catalogue compares them with (OPEN_COSA, OPEN_DOVE).
//
// Contract:
// - A formula is one of a closed set of fixed texts (kFormulas), recognised
//   whole and in any letter case; it is never parsed as an expression. Any
//   other text converts to nothing, and nothing matches no catalogue code.
// - X and Y are texts. Val(t) is the leading decimal number of t ("" and text
//   without a number give 0), read with "." whatever the locale; a number is
//   written in its shortest decimal form ("7", "4012", "2.5").
// - A value composed from configuration values whose names are missing from
//   the device's table is nothing: a rule never looks up a code made of the
//   values that happen to be there.
#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "model/project.h"

namespace tessed::configurator {

// The formulas, as the catalogue's ANA_CONVERSION_TYPE.CONVERSION holds them.
inline constexpr std::array<std::string_view, 10> kFormulas = {
    "X",      "2[X]",      "1[X]", "4000+[X]", "IIF(X<10;0[X];X)",
    "VAL(X)", "2[VAL(X)]", "3[X]", "3#X#Y",    "3[F[HEX(X)-HEX(Y)]]"};

// The leading decimal number of a text, 0 when there is none.
double Val(std::string_view text);
// A number in its shortest decimal form, with "." and no thousands grouping.
std::string NumberText(double value);

// Converts X (and Y) by `formula`; nothing for a formula outside the set, and
// for "3[F[HEX(X)-HEX(Y)]]" when X or Y is not a whole number from 0 to
// 4294967295 (it has no hexadecimal form without leading zeros otherwise).
std::optional<std::string> EvaluateConversion(std::string_view x, std::string_view formula,
                                              std::string_view y = {});

// The configuration value `name` (any case); nothing when the table lacks it.
std::optional<std::string> ConfValue(const ConfValues* table, std::string_view name);

// A plain rule's value: the configuration values named by `parameter`,
// joined at "+", in order; nothing when a name is missing.
std::optional<std::string> ComposeValue(const ConfValues* table, std::string_view parameter);

// The custom where formats, by the upper-cased `format`:
// - "A+PL": the values named by the two parts (split at "+") joined as texts,
//   with a "0" put between them (A above 9, PL at most 9) or before them (A at
//   most 9, PL above 9), comparing their numbers; the joined text is X of the
//   conversion.
// - "A-PF", "Z-N_AI": the values named by the two parts (split at "-") are X
//   and Y of the conversion, which combines them.
// Any other format gives nothing, as does a missing value.
std::optional<std::string> CustomWhereValue(const ConfValues* table, std::string_view format,
                                            std::string_view conversion);

// The converted value of a where or what rule: CustomWhereValue for a custom
// rule, else ComposeValue then EvaluateConversion(X, conversion, "").
std::optional<std::string> RuleValue(const ConfValues* table, bool custom,
                                     std::string_view parameter, std::string_view conversion);

}  // namespace tessed::configurator
