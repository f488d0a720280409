#include "host/formula_engine.h"

#include <stdexcept>

namespace korvane::host {

namespace {
const FormulaEngine* g_engine = nullptr;
}  // namespace

const FormulaEngine& Formulas() {
  if (!g_engine) throw std::logic_error("no formula engine: the program does not link the formula layer");
  return *g_engine;
}

void InstallFormulaEngine(const FormulaEngine& engine) { g_engine = &engine; }

const std::optional<CellValue>* FormulaValueCache::Find(const Worksheet* sheet, int row, int col,
                                                        std::string_view text) const {
  if (entries_.empty()) return nullptr;
  auto it = entries_.find(Key{sheet, row, col, std::hash<std::string_view>()(text)});
  return it != entries_.end() && it->second.text == text ? &it->second.value : nullptr;
}

void FormulaValueCache::Store(const Worksheet* sheet, int row, int col, std::string_view text,
                              const std::optional<CellValue>& value) {
  Entry& e = entries_[Key{sheet, row, col, std::hash<std::string_view>()(text)}];
  e.text.assign(text);
  e.value = value;
}

}  // namespace korvane::host
