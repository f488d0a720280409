// The formula subset the host evaluates, and the rewriting of references when
// rows, columns or sheets change.
//
// Evaluated: numbers, texts, booleans, error literals, & + - * / ^ unary -,
// comparisons (= <> < > <= >=), references to cells and ranges of the same or
// another sheet ('quoted names' too), defined names, and the functions IF, SUM,
// COUNTA, COUNTIF (plus a few harmless ones the templates may use). Anything
// else is "not evaluated": the caller keeps the cell's cached value.
//
// The sheet model reaches these through its FormulaEngine (host/formula_engine.h),
// which this layer installs (model_engine.cpp).
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "host/formula_engine.h"
#include "host/value.h"

namespace korvane::host::formula {

// Evaluates `text` (a formula without its leading "=") as the formula of cell
// (row, col) of `ws`. nullopt when the formula uses anything outside the subset.
// Never throws; errors of evaluation become error values. Cycles give #REF!.
std::optional<CellValue> Evaluate(const Worksheet& ws, int row, int col, std::string_view text);

// COUNTIF's test of one value against a criterion ("a", ">5", "<>", "=x", 3 ...).
bool MatchesCriterion(const CellValue& value, const CellValue& criterion);

// A structural change of one sheet (rows or columns inserted or deleted).
using Shift = SheetShift;

// Rewrites references in `text`, a formula that lives on sheet `home`
// (references without a sheet part refer to `home`), for the shift. References
// into deleted cells become #REF!. With absoluteOnly, only row (column) parts
// written with "$" move (the relative offsets of defined names stay).
std::string AdjustForShift(std::string_view text, std::string_view home, const Shift& shift, bool absoluteOnly = false);

// A sheet was renamed: references naming it follow.
std::string RenameSheet(std::string_view text, std::string_view oldName, std::string_view newName);

// A sheet was deleted: references into it become #REF!.
std::string InvalidateSheet(std::string_view text, std::string_view deletedName);

// Copying a formula by (dRow, dCol) cells: relative references move, absolute
// ones stay; references pushed off the sheet become #REF!.
std::string Translate(std::string_view text, int dRow, int dCol);

}  // namespace korvane::host::formula
