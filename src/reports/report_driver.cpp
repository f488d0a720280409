#include "reports/report_driver.h"

#include <algorithm>

#include "host/application.h"
#include "host/range.h"
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
// Any group limit from the number of entrants of an event up means one group;
// larger settings are kept within a whole number.
constexpr long long kLargestGroup = 1'000'000;

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

std::string RowsPerTeamUnusableText(int rowsPerTeam) {
  return "设置!H2 的每队人数（" + std::to_string(rowsPerTeam) + "）不是正偶数，无法读取号码对照表，报表未生成。";
}

std::string MaxPerGroupMissingText(std::string_view eventTitle) {
  return "项目“" + S(eventTitle) +
         "”按分组不分道编排，但设置!H5 的每组最多人数为空或不是正整数，无法分组，报表未生成。\n"
         "请在设置!H5 中填写每组最多人数后重新生成报表。";
}

int FirstReportPageOf(const host::Worksheet& settings) {
  const long long c =
      settings.ValueAt(meet::settings::FirstReportPage.row, meet::settings::FirstReportPage.col).ToWhole();
  if (c < 1 || c > kLargestPageNumber) return kDefaultFirstReportPage;
  return static_cast<int>(c);
}

std::optional<std::string> ReportRefusal(const host::Workbook& book, int rowsPerTeam, int maxPerGroup) {
  for (std::string_view sheet :
       {meet::kSettingsSheet, meet::kEventsSheet, meet::kNumberTableSheet, meet::kTempSheet}) {
    if (book.FindSheet(S(sheet)) == nullptr) return MissingReportSourceText(sheet);
  }
  if (rowsPerTeam < 2 || rowsPerTeam % 2 != 0) return RowsPerTeamUnusableText(rowsPerTeam);
  if (maxPerGroup >= 1) return std::nullopt;
  const host::Worksheet& events = *book.FindSheet(S(meet::kEventsSheet));
  const int n = EventRowCount(events);
  for (int k = 1; k <= n; ++k) {
    const int row = meet::events::EventRow(k);
    if (!IsGroupRule(LaneRuleChar(events.ValueAt(row, meet::events::kLaneRuleCol)))) continue;
    if (EntrantCount(events.ValueAt(row, meet::events::kEntrantCountCol)) < 1) continue;
    return MaxPerGroupMissingText(events.ValueAt(row, meet::events::kTitleCol).ToText());
  }
  return std::nullopt;
}

void Report(shell::Program& program, host::Workbook& book) {
  ReportRun run;
  run.book = &book;
  run.settings = &book.Sheet(S(meet::kSettingsSheet));
  run.events = &book.Sheet(S(meet::kEventsSheet));
  run.rowsPerTeam = program.tables.parameters.RowsPerTeam;
  run.maxPerGroup = program.tables.parameters.MaxPerGroup;

  run.layout.FirstPage = FirstReportPageOf(*run.settings);

  // The grades and their class counts, as consolidation reads them.
  const host::Worksheet& settings = *run.settings;
  const int lastGradeRow = settings.End(host::Worksheet::RowsCount(), meet::settings::kGradeCol, host::Direction::Up).first;
  for (int row = meet::settings::kFirstGradeRow; row <= lastGradeRow; ++row)
    run.grades.push_back({settings.ValueAt(row, meet::settings::kGradeCol).ToText(),
                          settings.ValueAt(row, meet::settings::kTeamsCol).ToWhole()});

  // The event table: lane rule and entrant count of every event row, read at once.
  const int n = EventRowCount(*run.events);
  if (n > 0) {
    const host::ValueGrid rows =
        host::Range(run.events, host::RangeRef{meet::events::EventRow(1), meet::events::kLaneRuleCol,
                                               meet::events::EventRow(n), meet::events::kEntrantCountCol})
            .Values();
    const int ruleIndex = 0;
    const int countIndex = meet::events::kEntrantCountCol - meet::events::kLaneRuleCol;
    for (const auto& row : rows) run.eventTable.push_back({LaneRuleChar(row[ruleIndex]), EntrantCount(row[countIndex])});
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

  // A corrected 设置!H5 counts from the next run on; the judges' forms made
  // afterwards split the events the same way, from the same table.
  if (const host::Worksheet* settings = book->FindSheet(S(meet::kSettingsSheet)))
    program.tables.parameters.MaxPerGroup = static_cast<int>(std::clamp<long long>(
        settings->ValueAt(meet::settings::MaxPerGroup.row, meet::settings::MaxPerGroup.col).ToWhole(), 0,
        kLargestGroup));
  const meet::Parameters& parameters = program.tables.parameters;
  if (std::optional<std::string> refusal = ReportRefusal(*book, parameters.RowsPerTeam, parameters.MaxPerGroup)) {
    program.ui().MessageBox(*refusal, Icon::Exclamation);
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
    Report(program, *book);
  } catch (...) {
    // No half-written report stays behind to be printed or exported.
    meet::delSht(*book, 3);
    shell::EnterMenuStep(program.Menu(), shell::MenuStep::ReportsAbandoned);
    throw;
  }
}

}  // namespace korvane::reports
