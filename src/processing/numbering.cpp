#include "processing/numbering.h"

#include <utility>
#include <vector>

#include "host/range.h"
#include "host/worksheet.h"
#include "meet/athlete_number.h"
#include "meet/grades.h"
#include "meet/layout.h"
#include "meet/page_format.h"
#include "meet/sheets.h"

namespace korvane::processing {

namespace nt = meet::numbers;

void AutoNumber(host::Workbook& book, int rowsPerTeam) {
  host::Worksheet& settings = meet::RequireSheet(book, meet::kSettingsSheet);
  host::Worksheet& table = meet::RequireSheet(book, meet::kNumberTableSheet);
  const std::vector<meet::Grade> grades = meet::ReadGrades(book);
  int teams = 0;
  for (const meet::Grade& g : grades) teams += g.teams;
  if (rowsPerTeam <= 0) return;
  const int lastRow = nt::kFirstRow + teams * rowsPerTeam - 1;

  if (teams > 0) {
    const host::ValueGrid names = host::Range(&table, {nt::kFirstRow, nt::kNameCol, lastRow, nt::kNameCol}).Values();
    host::ValueGrid numbers(names.size(), std::vector<host::CellValue>(1));
    std::vector<std::pair<int, host::CellValue>> teamHeads;  // block start row, team name
    for (const meet::Grade& g : grades) {
      const std::string code = meet::GradeCode(g.name);
      for (int c = 1; c <= g.teams; ++c) {
        const int team = g.firstTeam + c - 1;
        const int first = nt::BlockFirstRow(team, rowsPerTeam);
        if (meet::IsBlank(names[first - nt::kFirstRow][0])) continue;  // the team takes no part
        for (int i = 1; i <= rowsPerTeam; ++i)
          if (!meet::IsBlank(names[first - nt::kFirstRow + i - 1][0]))
            numbers[first - nt::kFirstRow + i - 1][0] = host::CellValue(meet::AthleteNumber(code, c, i));
        teamHeads.emplace_back(first, settings.ValueAt(meet::settings::TeamRow(team), meet::settings::kTeamNameCol));
      }
    }
    table.Cells(nt::kFirstRow, nt::kNumberCol).SetLiterals(numbers);
    for (const auto& [first, name] : teamHeads) {
      table.Cells(first, nt::kTeamCol).SetLiteral(name);
      host::Range(&table, {first, nt::kTeamCol, first + rowsPerTeam - 1, nt::kTeamCol}).Merge();
    }
  }
  meet::Borders_Setup(host::Range(&table, {nt::kHeadingRow, nt::kNameCol, lastRow, nt::kTeamCol}), 1);
}

}  // namespace korvane::processing
