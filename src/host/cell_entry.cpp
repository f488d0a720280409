#include "host/cell_entry.h"

#include "host/worksheet.h"

namespace korvane::host {

void TypeIntoCell(Range cell, const std::string& typed) {
  Range one = cell.Cells(1, 1);
  if (typed.empty()) {
    one.Sheet().CheckWritable(one.Ref());
    one.ClearContents();
    return;
  }
  if (typed.front() == '\'') {
    one.SetLiteral(CellValue(typed.substr(1)));
    return;
  }
  if (typed.front() == '=') {
    one.SetValue(CellValue(typed));
    return;
  }
  std::string upper = typed;
  for (char& c : upper)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  if (upper == "TRUE" || upper == "FALSE") {
    one.SetValue(CellValue(upper == "TRUE"));
    return;
  }
  double time = 0;
  if (ParseTimeOfDay(typed, time)) {
    one.SetValue(CellValue(typed));  // a time of day, shown as h:mm
    return;
  }
  double number = 0;
  if (CellValue(typed).ToNumber(number)) {
    one.SetValue(CellValue(number));
    return;
  }
  one.SetLiteral(CellValue(typed));
}

}  // namespace korvane::host
