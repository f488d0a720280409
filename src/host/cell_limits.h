// What a cell may hold in the office programs: longer texts and formulas are
// cut or refused by Excel, WPS and LibreOffice, so the host refuses them where
// they come in (typing, scripts, imported data) with the cell named.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "host/value.h"

namespace korvane::host {

inline constexpr std::size_t kMaxCellTextLength = 32767;  // characters (UTF-16 units, as the programs count)
inline constexpr std::size_t kMaxFormulaLength = 8192;    // characters of the formula with its "="
inline constexpr int kMaxFormulaNesting = 64;             // levels of parentheses

// Characters as the office programs count them: UTF-16 code units (a
// character outside the basic plane counts two).
std::size_t Utf16Length(std::string_view utf8);

// The deepest nesting of parentheses of a formula text, outside its string
// literals and quoted sheet names.
int FormulaNesting(std::string_view formula);

// Why `v` cannot be put into a cell ("文字超过32767个字符" ...), or "" when it
// can. Without `literal`, a text beginning with "=" is a formula.
std::string CellContentProblem(const CellValue& v, bool literal);

}  // namespace korvane::host
