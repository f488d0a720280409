// The formula subset the host evaluates, and the rewriting of references when
// rows, columns or sheets change.
//
// Evaluated: numbers, texts, booleans, error literals, & + - * / ^ unary -,
// comparisons (= <> < > <= >=), references to cells and ranges of the same or
// another sheet ('quoted names' too), defined names, and the functions IF, SUM,
// COUNTA, COUNTIF (plus a few harmless ones the templates may use). Anything
// else is "not evaluated": the caller keeps the cell's cached value.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

#include "host/value.h"

namespace korvane::host {
class Worksheet;
}

namespace korvane::host::formula {

// Evaluates `text` (a formula without its leading "=") as the formula of cell
// (row, col) of `ws`. nullopt when the formula uses anything outside the subset.
// Never throws; errors of evaluation become error values. Cycles give #REF!.
std::optional<CellValue> Evaluate(const Worksheet& ws, int row, int col, std::string_view text);

// Results of formulas computed since their workbook last changed, so that
// each formula is evaluated once between two changes however often it is read
// (a save, a grid repainting its cells, a chain of formulas each using the one
// before). The workbook owns one and clears it on every change that can alter
// a value: a cell written or cleared, rows or columns inserted or deleted, a
// sheet added, renamed, copied, moved or deleted, a defined name changed. Not
// for use from several threads at once.
class ValueCache {
 public:
  // The result remembered for formula `text` evaluated at cell (row, col) of
  // `sheet` (the cell's own formula, or a conditional format's); null when
  // none. A nullopt result means "not evaluated".
  const std::optional<CellValue>* Find(const Worksheet* sheet, int row, int col, std::string_view text) const;
  void Store(const Worksheet* sheet, int row, int col, std::string_view text, const std::optional<CellValue>& value);
  void Clear() {
    if (!entries_.empty()) entries_ = {};
  }
  std::size_t Size() const { return entries_.size(); }

 private:
  struct Key {
    const Worksheet* sheet;
    int row, col;
    std::size_t text;  // hash of the formula text
    bool operator==(const Key&) const = default;
  };
  struct KeyHash {
    std::size_t operator()(const Key& k) const {
      return std::hash<const void*>()(k.sheet) ^ (static_cast<std::size_t>(k.row) * 0x9E3779B97F4A7C15ull) ^
             (static_cast<std::size_t>(k.col) << 1) ^ k.text;
    }
  };
  struct Entry {
    std::string text;
    std::optional<CellValue> value;
  };
  std::unordered_map<Key, Entry, KeyHash> entries_;
};

// COUNTIF's test of one value against a criterion ("a", ">5", "<>", "=x", 3 ...).
bool MatchesCriterion(const CellValue& value, const CellValue& criterion);

// A structural change of one sheet: rows (or columns) inserted at `at`
// (count > 0) or deleted from `at` (count < 0 deletes -count rows/columns).
struct Shift {
  std::string sheet;  // the sheet whose rows/columns moved
  bool rows = true;
  int at = 1;
  int count = 0;
};

// Rewrites references in `text`, a formula that lives on sheet `home`
// (references without a sheet part refer to `home`), for the shift. References
// into deleted cells become #REF!. With absoluteOnly, only row (column) parts
// written with "$" move (the relative offsets of defined names stay).
std::string AdjustForShift(std::string_view text, std::string_view home, const Shift& shift,
                           bool absoluteOnly = false);

// A sheet was renamed: references naming it follow.
std::string RenameSheet(std::string_view text, std::string_view oldName, std::string_view newName);

// A sheet was deleted: references into it become #REF!.
std::string InvalidateSheet(std::string_view text, std::string_view deletedName);

// Copying a formula by (dRow, dCol) cells: relative references move, absolute
// ones stay; references pushed off the sheet become #REF!.
std::string Translate(std::string_view text, int dRow, int dCol);

}  // namespace korvane::host::formula
