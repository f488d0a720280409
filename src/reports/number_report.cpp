#include "reports/number_report.h"

#include <algorithm>

#include "host/range.h"
#include "host/style.h"
#include "meet/layout.h"

namespace korvane::reports {

namespace xl = host::xl;

void CreateNOReportForms(ReportRun& run) {
  host::Worksheet& report = *run.numberReport;
  const host::Worksheet& settings = *run.settings;
  meet::ReportLayout& layout = run.layout;
  const int rowsPerTeam = run.rowsPerTeam;
  const int m = rowsPerTeam / 2;  // athletes of each sex

  layout.LastRow = 1;
  layout.RowsPerPage = meet::kNumberReportRowsPerPage;
  meet::Page_Setup(report);
  meet::RowCol_Setup(report, rowsPerTeam);
  report.Page().firstPageNumber = layout.FirstPage;

  // Classes whose blocks lie within the used rows of 号码对照表; the blocks of
  // later classes are empty, so they would be skipped anyway.
  const long long teamCount =
      settings.ValueAt(meet::settings::TeamSheetCount.row, meet::settings::TeamSheetCount.col).ToWhole();
  const int lastUsed = run.numberTable->LastUsedRow();
  if (m < 1 || teamCount < 1 || lastUsed < meet::numbers::kFirstRow) return;
  const int teams =
      static_cast<int>(std::min<long long>(teamCount, (lastUsed - meet::numbers::kFirstRow) / rowsPerTeam + 1));

  // Names and numbers of every block, and the classes' names and leaders, read at once.
  const host::ValueGrid athletes =
      host::Range(run.numberTable,
                  host::RangeRef{meet::numbers::kFirstRow, meet::numbers::kNameCol,
                                 meet::numbers::BlockFirstRow(teams + 1, rowsPerTeam) - 1, meet::numbers::kNumberCol})
          .Values();
  const host::ValueGrid classes =
      host::Range(run.settings, host::RangeRef{meet::settings::TeamRow(1), meet::settings::kTeamNameCol,
                                               meet::settings::TeamRow(teams), meet::settings::kTeamLeaderCol})
          .Values();

  const int nameIndex = 0, numberIndex = meet::numbers::kNumberCol - meet::numbers::kNameCol;
  const int leaderIndex = meet::settings::kTeamLeaderCol - meet::settings::kTeamNameCol;
  for (int t = 1; t <= teams; ++t) {
    // Block of class t: its first row in `athletes`, men first, then women.
    const int first = (t - 1) * rowsPerTeam;
    if (athletes[first][nameIndex].ToText().empty()) continue;  // the class takes no part

    const int r = layout.LastRow;
    layout.ColShift = (layout.FirstPage + r / meet::kNumberReportRowsPerPage) % 2;
    const int c = 1 + layout.ColShift;

    host::ValueGrid block(kNumberBlockRows, std::vector<host::CellValue>(static_cast<std::size_t>(m) + 1));
    block[0][0] = classes[t - 1][0];
    block[1][0] = std::string(kLeaderLabel) + classes[t - 1][leaderIndex].ToText();
    block[2][0] = std::string(kMenNamesLabel);
    block[3][0] = std::string(kNumbersLabel);
    block[4][0] = std::string(kWomenNamesLabel);
    block[5][0] = std::string(kNumbersLabel);
    for (int i = 0; i < m; ++i) {
      const auto& man = athletes[first + i];
      const auto& woman = athletes[first + m + i];
      block[2][i + 1] = man[nameIndex];
      block[3][i + 1] = man[numberIndex];
      block[4][i + 1] = woman[nameIndex];
      block[5][i + 1] = woman[numberIndex];
    }
    host::Range(&report, host::RangeRef{r, c, r, c}).SetLiterals(block);

    meet::title_format2(host::Range(&report, host::RangeRef{r, c, r + 1, c + m}));
    host::Range(&report, host::RangeRef{r, c, r, c + m}).Merge();
    host::Range(&report, host::RangeRef{r + 1, c, r + 1, c + m}).Merge();
    meet::Borders_Setup(host::Range(&report, host::RangeRef{r + 2, c, r + 5, c + m}), xl::Continuous);

    layout.LastRow = r + kNumberBlockRows;
  }
}

}  // namespace korvane::reports
