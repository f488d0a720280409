#include "host/conditional.h"

#include <algorithm>
#include <vector>

#include "host/formula_engine.h"
#include "host/worksheet.h"

namespace korvane::host {

namespace {

bool Truth(const std::optional<CellValue>& v) {
  if (!v) return false;
  if (v->IsBool()) return v->Bool();
  if (v->IsNumber()) return v->Number() != 0;
  return false;
}

// -1, 0, 1 as the application orders two values (numbers before texts).
int Compare(const CellValue& a, const CellValue& b) {
  double x = 0, y = 0;
  bool an = a.IsNumber() || a.IsEmpty(), bn = b.IsNumber() || b.IsEmpty();
  if (an && bn) {
    a.ToNumber(x);
    b.ToNumber(y);
    return x < y ? -1 : (x > y ? 1 : 0);
  }
  if (an != bn) return an ? -1 : 1;
  std::string s = a.ToText(), t = b.ToText();
  return s < t ? -1 : (s > t ? 1 : 0);
}

bool Holds(const Worksheet& ws, const RangeRef& area, const ConditionalRule& rule, int row, int col) {
  const int dr = row - area.r1, dc = col - area.c1;
  auto eval = [&](const std::string& f) -> std::optional<CellValue> {
    if (f.empty()) return std::nullopt;
    return Formulas().Evaluate(ws, row, col, Formulas().Translate(f, dr, dc));
  };
  if (rule.type == "expression") return Truth(eval(rule.formula));
  if (rule.type == "cellIs") {
    std::optional<CellValue> a = eval(rule.formula);
    if (!a) return false;
    const CellValue v = ws.ValueAt(row, col);
    const int c = Compare(v, *a);
    const std::string& op = rule.operatorText;
    if (op == "equal") return c == 0;
    if (op == "notEqual") return c != 0;
    if (op == "greaterThan") return c > 0;
    if (op == "greaterThanOrEqual") return c >= 0;
    if (op == "lessThan") return c < 0;
    if (op == "lessThanOrEqual") return c <= 0;
    if (op == "between" || op == "notBetween") {
      std::optional<CellValue> b = eval(rule.formula2);
      if (!b) return false;
      bool in = Compare(v, *a) >= 0 && Compare(v, *b) <= 0;
      return op == "between" ? in : !in;
    }
  }
  return false;
}

}  // namespace

std::optional<DiffStyle> ConditionalStyleAt(const Worksheet& ws, int row, int col) {
  std::vector<const ConditionalRule*> holding;
  for (const ConditionalFormat& cf : ws.ConditionalFormats()) {
    for (const RangeRef& area : cf.areas) {
      if (!area.Contains(row, col)) continue;
      for (const ConditionalRule& rule : cf.rules)
        if (Holds(ws, area, rule, row, col)) holding.push_back(&rule);
      break;
    }
  }
  if (holding.empty()) return std::nullopt;
  std::stable_sort(holding.begin(), holding.end(),
                   [](const ConditionalRule* a, const ConditionalRule* b) { return a->priority < b->priority; });
  DiffStyle out;
  bool boldSet = false, italicSet = false;
  for (auto it = holding.rbegin(); it != holding.rend(); ++it) {  // lowest priority first, overwritten by higher
    const DiffStyle& f = (*it)->format;
    if (f.setBold) out.bold = f.bold, boldSet = true;
    if (f.setItalic) out.italic = f.italic, italicSet = true;
    if (f.fontColor) out.fontColor = f.fontColor;
    if (f.fill) out.fill = f.fill;
    if (!f.numberFormat.empty()) out.numberFormat = f.numberFormat;
  }
  out.setBold = boldSet;
  out.setItalic = italicSet;
  return out;
}

}  // namespace korvane::host
