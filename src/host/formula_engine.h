// What the sheet model needs of formulas: a cell's formula evaluated, the
// references of formulas rewritten when rows, columns or sheets change, and
// the results remembered between two changes of the workbook.
//
// The formula language itself lives in the layer above (host/formula/), which
// reads the sheet model to evaluate; the model reaches it through this seam.
// That layer installs its engine when its library is linked (CMakeLists.txt
// makes the linker keep the installing object), so every program that links
// it evaluates formulas; a program without it is refused at the first formula.
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

// A structural change of one sheet: rows (or columns) inserted at `at`
// (count > 0) or deleted from `at` (count < 0 deletes -count rows/columns).
struct SheetShift {
  std::string sheet;  // the sheet whose rows/columns moved
  bool rows = true;
  int at = 1;
  int count = 0;
};

class FormulaEngine {
 public:
  virtual ~FormulaEngine() = default;

  // Evaluates `text` (a formula without its leading "=") as the formula of
  // cell (row, col) of `ws`. nullopt when the formula uses anything outside
  // the subset evaluated. Never throws; errors of evaluation become error values.
  virtual std::optional<CellValue> Evaluate(const Worksheet& ws, int row, int col, std::string_view text) const = 0;

  // COUNTIF's test of one value against a criterion ("a", ">5", "<>", "=x", 3 ...).
  virtual bool MatchesCriterion(const CellValue& value, const CellValue& criterion) const = 0;

  // References in `text`, a formula that lives on sheet `home`, after the
  // shift; with absoluteOnly only the parts written with "$" move.
  virtual std::string AdjustForShift(std::string_view text, std::string_view home, const SheetShift& shift,
                                     bool absoluteOnly) const = 0;
  // A sheet renamed: references naming it follow.
  virtual std::string RenameSheet(std::string_view text, std::string_view oldName, std::string_view newName) const = 0;
  // A sheet deleted: references into it become #REF!.
  virtual std::string InvalidateSheet(std::string_view text, std::string_view deletedName) const = 0;
  // A formula copied by (dRow, dCol) cells.
  virtual std::string Translate(std::string_view text, int dRow, int dCol) const = 0;
};

// The installed engine. Throws std::logic_error when the program links no
// formula layer.
const FormulaEngine& Formulas();
void InstallFormulaEngine(const FormulaEngine& engine);

// Results of formulas computed since their workbook last changed, so that
// each formula is evaluated once between two changes however often it is read
// (a save, a grid repainting its cells, a chain of formulas each using the one
// before). The workbook owns one and clears it on every change that can alter
// a value: a cell written or cleared, rows or columns inserted or deleted, a
// sheet added, renamed, copied, moved or deleted, a defined name changed. Not
// for use from several threads at once.
class FormulaValueCache {
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

}  // namespace korvane::host
