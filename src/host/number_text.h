// Number and text helpers of the cell values, which the formula engine uses too:
// reading texts as numbers, writing numbers as texts, case folding and the
// wildcard match of criteria.
#pragma once

#include <string>
#include <string_view>

namespace korvane::host::text {

// Reads a text as a number the way the application coerces texts: surrounding
// spaces, a sign, thousands separators in groups of three, decimals, an
// exponent and a trailing percent sign ("50%" is 0.5). False for anything else
// (empty text included).
bool ParseNumberText(std::string_view s, double& out);

// True when a text the number reader refused may still be a date or a time to
// the application ("2024-5-1", "3/4", "12:30", "5月1日"): the formula engine
// does not convert those and leaves such formulas unevaluated.
bool LooksLikeDateOrTime(std::string_view s);

// The decimal digits of a positive finite number rounded to `significant`
// digits: value = 0.d1d2d3... * 10^(exponent + 1), i.e. d1 sits at 10^exponent.
// Trailing zeros are removed (at least one digit remains).
struct Decimal {
  std::string digits;
  int exponent = 0;
};
Decimal ToDecimal(double positive, int significant);
// Rounds half up to `significant` digits (>= 1).
Decimal RoundDecimal(const Decimal& d, int significant);

// The text a number becomes inside a formula ("&", LEN, TEXT of a number):
// up to 15 significant digits without a width limit.
std::string NumberToText(double d);

// ASCII letters folded to lower case; other bytes unchanged.
std::string FoldCase(std::string_view s);
bool EqualsFolded(std::string_view a, std::string_view b);

// Wildcard match, case-insensitive for ASCII letters: "*" any run, "?" one
// code point, "~" makes the next character literal.
bool WildcardMatch(std::string_view pattern, std::string_view text);
bool HasWildcards(std::string_view pattern);

}  // namespace korvane::host::text
