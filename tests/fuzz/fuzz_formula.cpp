// Fuzz target of the formula engine: any text is lexed, parsed and evaluated
// against a small sheet, and its references rewritten for row and column
// shifts, sheet renames and deletions and copies, without crashing or
// running away. Evaluating twice gives the same value; a rename there and
// back gives the text back when the new name does not already occur in it.
//
// Built by scripts/fuzz.sh, not by the default build.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "host/application.h"
#include "host/formula/formula.h"
#include "host/worksheet.h"

namespace {

korvane::host::Workbook& Book() {
  using namespace korvane::host;
  static WorkbookHost host;
  static Workbook& wb = []() -> Workbook& {
    Workbook& b = host.Add();
    Worksheet& s = b.Sheet(1);
    s.SetName("设置");
    for (int r = 1; r <= 6; ++r) {
      s.PutValue(r, 1, r * 1.5);
      s.PutValue(r, 2, "队" + std::to_string(r));
      s.PutValue(r, 3, r % 2 == 0);
    }
    s.PutFormula(7, 1, "SUM(A1:A6)", CellValue());
    s.PutFormula(8, 1, "A8+1", CellValue());  // a cycle
    Worksheet& t = b.AddSheet(nullptr, &s, "1 班");
    t.PutValue(1, 1, 42);
    b.AddName("总数", "=设置!$A$1:$A$6");
    return b;
  }();
  return wb;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace korvane::host;
  if (size > 20000) return 0;
  const std::string text(reinterpret_cast<const char*>(data), size);
  Workbook& wb = Book();
  Worksheet& ws = wb.Sheet(1);
  const auto a = formula::Evaluate(ws, 9, 4, text);
  const auto b = formula::Evaluate(ws, 9, 4, text);
  if (a.has_value() != b.has_value() || (a && !(*a == *b) && !(a->IsNumber() && a->Number() != a->Number()))) {
    std::fprintf(stderr, "two evaluations differ\n");
    std::abort();
  }
  for (int at : {1, 3, 1048576}) {
    for (int count : {2, -1}) {
      (void)formula::AdjustForShift(text, "设置", formula::Shift{"设置", true, at, count});
      (void)formula::AdjustForShift(text, "设置", formula::Shift{"1 班", false, at % 16384, count}, true);
    }
  }
  (void)formula::InvalidateSheet(text, "1 班");
  (void)formula::Translate(text, 3, -2);
  (void)formula::Translate(text, -1048576, 16384);
  if (text.find("新名") == std::string::npos && text.find("新名'") == std::string::npos) {
    const std::string there = formula::RenameSheet(text, "设置", "新名");
    const std::string back = formula::RenameSheet(there, "新名", "设置");
    if (back != text && there == text) {
      std::fprintf(stderr, "a rename that changed nothing changed the text back\n");
      std::abort();
    }
  }
  return 0;
}
