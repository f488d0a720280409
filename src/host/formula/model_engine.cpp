// The formula layer's engine for the sheet model, installed when this library
// is linked: the linker is told to keep this object (korvane_host_formula's
// link options in CMakeLists.txt), and its initialiser installs the engine
// before main runs.
#include "host/formula/formula.h"

namespace korvane::host::formula {
namespace {

class Engine final : public FormulaEngine {
 public:
  std::optional<CellValue> Evaluate(const Worksheet& ws, int row, int col, std::string_view text) const override {
    return formula::Evaluate(ws, row, col, text);
  }
  bool MatchesCriterion(const CellValue& value, const CellValue& criterion) const override {
    return formula::MatchesCriterion(value, criterion);
  }
  std::string AdjustForShift(std::string_view text, std::string_view home, const SheetShift& shift,
                             bool absoluteOnly) const override {
    return formula::AdjustForShift(text, home, shift, absoluteOnly);
  }
  std::string RenameSheet(std::string_view text, std::string_view oldName, std::string_view newName) const override {
    return formula::RenameSheet(text, oldName, newName);
  }
  std::string InvalidateSheet(std::string_view text, std::string_view deletedName) const override {
    return formula::InvalidateSheet(text, deletedName);
  }
  std::string Translate(std::string_view text, int dRow, int dCol) const override {
    return formula::Translate(text, dRow, dCol);
  }
};

const Engine g_engine;

int Install() {
  InstallFormulaEngine(g_engine);
  return 1;
}

}  // namespace
}  // namespace korvane::host::formula

// The symbol the linker is told to keep.
extern "C" {
extern const int korvane_host_formula_engine;
const int korvane_host_formula_engine = korvane::host::formula::Install();
}
