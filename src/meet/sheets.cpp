#include "meet/sheets.h"

#include <stdexcept>
#include <string>
#include <vector>

#include "host/errors.h"
#include "meet/guards.h"
#include "meet/layout.h"

namespace korvane::meet {

host::Worksheet& RequireSheet(host::Workbook& book, std::string_view name) {
  if (host::Worksheet* ws = book.FindSheet(std::string(name))) return *ws;
  throw host::HostError("工作簿中缺少工作表“" + std::string(name) + "”。");
}

bool delSht(host::Workbook& book, int stage) {
  if (stage < 1 || stage > kStageCount) throw std::out_of_range("delSht: no stage " + std::to_string(stage));
  bool existed = false;
  std::vector<host::Worksheet*> doomed;
  for (int k = stage; k <= kStageCount; ++k) {
    host::Worksheet* ws = book.FindSheet(std::string(StageSheetName(k)));
    if (!ws) continue;
    if (k == stage) existed = true;
    doomed.push_back(ws);
  }
  if (doomed.empty()) return existed;
  StructureOpen structure(book, AtEnd::Restore);
  if (host::WorkbookHost* application = book.Host()) {
    AlertsOff quiet(*application);
    book.DeleteSheets(doomed);
  } else {
    book.DeleteSheets(doomed);
  }
  return existed;
}

}  // namespace korvane::meet
