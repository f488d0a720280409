#include "reports/report_driver.h"

#include <algorithm>

#include "host/application.h"
#include "host/range.h"
#include "meet/grades.h"
#include "meet/guards.h"
#include "meet/layout.h"
#include "meet/sheets.h"
#include "reports/commands.h"
#include "reports/number_report.h"
#include "reports/rosters.h"
#include "shell/menu_stages.h"

namespace korvane::reports {

using shell::Icon;

namespace {

constexpr int kLargestPageNumber = 1'000'000;

std::string S(std::string_view v) { return std::string(v); }

// Event rows that can hold entrants: D2 rows, but none beyond the sheet's
// used rows (an absurd D2 must not make the command walk empty rows).
int EventRowCount(const host::Worksheet& events) {
  const long long n = events.ValueAt(meet::events::kEventCount.row, meet::events::kEventCount.col).ToWhole();
  const int usable = std::max(0, events.LastUsedRow() - meet::events::kFirstEventRow + 1);
  return static_cast<int>(std::clamp<long long>(n, 0, usable));
}

char LaneRuleChar(const host::CellValue& v) {
  const std::string text = v.ToText();
  return text.empty() ? '\0' : text.front();
}

int EntrantCount(const host::CellValue& v) {
  return static_cast<int>(std::clamp<long long>(v.ToWhole(), 0, meet::events::MaxEntrantsPerEvent));
}

bool IsGroupRule(char laneRule) { return laneRule != '1' && laneRule != '2'; }

}  // namespace

std::string MissingReportSourceText(std::string_view sheet) {
  return "找不到工作表“" + S(sheet) + "”，无法生成报表。请先运行“汇总及编号”。";
}

std::string MaxPerGroupMissingText(std::string_view eventTitle) {
  return meet::parameter_text::GroupSizeMissing(eventTitle, "报表未生成", "重新生成报表");
}

int FirstReportPageOf(const host::Worksheet& settings) {
  const long long c =
      settings.ValueAt(meet::settings::FirstReportPage.row, meet::settings::FirstReportPage.col).ToWhole();
  if (c < 1 || c > kLargestPageNumber) return kDefaultFirstReportPage;
  return static_cast<int>(c);
}

meet::Refusal ReportRefusal(const host::Workbook& book, meet::Parameters& p) {
  using meet::Refusal;
  for (std::string_view sheet : {meet::kSettingsSheet, meet::kEventsSheet, meet::kNumberTableSheet, meet::kTempSheet}) {
    if (book.FindSheet(S(sheet)) == nullptr) return Refusal::Because(MissingReportSourceText(sheet));
  }
  p = meet::LoadParameters(book);
  if (Refusal refused = p.Validate({.formSize = true}, kReportCommand)) return refused;
  if (p.MaxPerGroup >= 1) return {};
  const host::Worksheet& events = *book.FindSheet(S(meet::kEventsSheet));
  const int n = EventRowCount(events);
  for (int k = 1; k <= n; ++k) {
    const int row = meet::events::EventRow(k);
    if (!IsGroupRule(LaneRuleChar(events.ValueAt(row, meet::events::kLaneRuleCol)))) continue;
    if (EntrantCount(events.ValueAt(row, meet::events::kEntrantCountCol)) < 1) continue;
    return Refusal::Because(MaxPerGroupMissingText(events.ValueAt(row, meet::events::kTitleCol).ToText()));
  }
  return {};
}

void Report(shell::Program& program, host::Workbook& book, const meet::Parameters& parameters) {
  ReportRun run;
  run.book = &book;
  run.settings = &book.Sheet(S(meet::kSettingsSheet));
  run.events = &book.Sheet(S(meet::kEventsSheet));
  run.rowsPerTeam = parameters.RowsPerTeam;
  run.maxPerGroup = parameters.MaxPerGroup;

  run.layout.FirstPage = FirstReportPageOf(*run.settings);

  // The grades and their class counts, as consolidation reads them.
  const host::Worksheet& settings = *run.settings;
  for (const meet::Grade& g : meet::ReadGrades(settings)) run.grades.push_back({g.name, g.teams});

  // The event table: lane rule and entrant count of every event row, read at once.
  const int n = EventRowCount(*run.events);
  if (n > 0) {
    const host::ValueGrid rows =
        host::Range(run.events, host::RangeRef{meet::events::EventRow(1), meet::events::kLaneRuleCol,
                                               meet::events::EventRow(n), meet::events::kEntrantCountCol})
            .Values();
    const int ruleIndex = 0;
    const int countIndex = meet::events::kEntrantCountCol - meet::events::kLaneRuleCol;
    for (const auto& row : rows)
      run.eventTable.push_back({LaneRuleChar(row[ruleIndex]), EntrantCount(row[countIndex])});
  }

  // Both sheets directly after 比赛项目名单: the rosters first, then the number
  // report in front of them.
  run.rosterReport = &book.AddSheet(nullptr, run.events, S(meet::kRosterReportSheet));
  run.numberReport = &book.AddSheet(nullptr, run.events, S(meet::kNumberReportSheet));
  run.numberTable = &book.Sheet(S(meet::kNumberTableSheet));
  run.temp = &book.Sheet(S(meet::kTempSheet));

  {
    shell::CaptionNote note(program, notes::kNumberReport);
    CreateNOReportForms(run);
  }
  {
    shell::CaptionNote note(program, notes::kEventsReport);
    CreateItemReportForms(run);
  }
  for (host::Worksheet* ws : {run.numberReport, run.rosterReport}) meet::WritePageBreaks(*ws);
  run.rosterReport->Select();
}

void CreateReport(shell::Program& program) {
  host::Workbook* book = shell::RequireMeetWorkbook(program);
  if (book == nullptr) return;

  meet::Parameters parameters;
  if (meet::Refusal refused = ReportRefusal(*book, parameters)) {
    program.ui().MessageBox(refused.Message(), Icon::Exclamation);
    return;
  }

  host::WorkbookHost& host = program.Host();
  meet::ScreenUpdatingOff quiet(host);
  meet::StructureOpen structure(*book, meet::AtEnd::Protect);

  const bool hadReports = meet::delSht(*book, 3);
  if (hadReports) {
    if (host::Worksheet* scores = book->FindSheet(S(meet::kScoreRegisterSheet))) scores->SetVisible(false);
  }

  shell::EnterMenuStep(program.Menu(), shell::MenuStep::ReportsMade);

  try {
    Report(program, *book, parameters);
  } catch (...) {
    // No half-written report stays behind to be printed or exported.
    meet::delSht(*book, 3);
    shell::EnterMenuStep(program.Menu(), shell::MenuStep::ReportsAbandoned);
    throw;
  }
}

}  // namespace korvane::reports
