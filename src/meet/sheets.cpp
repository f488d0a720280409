#include "processing/workbook_guards.h"

#include <stdexcept>
#include <string>
#include <vector>

#include "host/errors.h"
#include "host/meet_layout.h"

namespace korvane::processing {

namespace meet = host::meet;

host::Worksheet& RequireSheet(host::Workbook& book, std::string_view name) {
  if (host::Worksheet* ws = book.FindSheet(std::string(name))) return *ws;
  throw host::HostError("工作簿中缺少工作表“" + std::string(name) + "”。");
}

bool DeleteStages(host::Workbook& book, int stage) {
  if (stage < 1 || stage > meet::kStageCount) throw std::out_of_range("no stage " + std::to_string(stage));
  bool existed = false;
  std::vector<host::Worksheet*> doomed;
  for (int k = stage; k <= meet::kStageCount; ++k) {
    host::Worksheet* ws = book.FindSheet(std::string(meet::StageSheetName(k)));
    if (!ws) continue;
    if (k == stage) existed = true;
    doomed.push_back(ws);
  }
  if (doomed.empty()) return existed;
  host::WorkbookHost* host = book.Host();
  const bool alerts = host ? host->displayAlerts : false;
  if (host) host->displayAlerts = false;
  try {
    book.DeleteSheets(doomed);
  } catch (...) {
    if (host) host->displayAlerts = alerts;
    throw;
  }
  if (host) host->displayAlerts = alerts;
  return existed;
}

}  // namespace korvane::processing
