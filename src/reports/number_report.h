// The number lookup report (号码对照表报表): for every class or team with
// entrants one block of six rows across the page, its name, its leader and
// coach, and its men and women with their athlete numbers, names above
// numbers. Four blocks fill a printed page; the blocks of odd-numbered pages
// start one column to the right for binding.
#pragma once

#include "reports/report_driver.h"

namespace korvane::reports {

// Label texts of a block.
inline constexpr std::string_view kLeaderLabel = "领队兼教练员：";
inline constexpr std::string_view kMenNamesLabel = "姓名(男)";
inline constexpr std::string_view kWomenNamesLabel = "姓名(女)";
inline constexpr std::string_view kNumbersLabel = "号码";

// Rows of one block: the name, the leader, names and numbers of each sex.
inline constexpr int kNumberBlockRows = 6;

// Writes the number report into run.numberReport (a fresh sheet): page and
// column set-up, first page number run.layout.FirstPage, then for class
// t = 1 .. 设置!B9 whose first men's row in 号码对照表 is filled, the block at
// run.layout.LastRow (starting at 1) with label column 1 + ColShift. A class
// without entrants takes no rows, and every class's athletes are read from
// its own block of run.rowsPerTeam rows. Leaves run.layout.LastRow one past
// the last row written (1 when nothing was written) and RowsPerPage 24.
void CreateNOReportForms(ReportRun& run);

}  // namespace korvane::reports
