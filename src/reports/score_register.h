// 成绩管理: the score register, sheet 成绩登记表, where the results of the meet
// are typed in. Event k of 比赛项目名单 owns rows 2k+1 and 2k+2: its title,
// method and the entrants (athlete numbers, or the teams of a relay) in the
// first row, the results below them. The template's conditional formats rank
// each result within its row and highlight the leading places.
#pragma once

#include <string>
#include <string_view>

#include "host/workbook.h"
#include "shell/program.h"

namespace korvane::reports {

// The register's layout and method texts are the meet's: meet::scores.

// Fills 成绩登记表 from the consolidated entry lists when the sheet is hidden
// (consolidation and every report run hide it): rows from 3 on are cleared,
// unmerged and shown, then every event with entrants and a method other than
// 5 gets its two rows, and the rows of the other events are hidden. A visible
// register is left exactly as it is, so results typed in stay. When the
// hidden register holds typed results or place counts, asks kRebuildQuestion
// first (default 否): 是 rebuilds and puts each typed result back beside the
// same event's same entrant (and each place count beside the same event)
// where the new lists still have them; 否 shows the register as it is.
// Returns false after a message when a sheet it reads is missing.
bool FillScoreRegister(host::Workbook& book, shell::Ui& ui);

// The menu command 成绩管理: finds the meet workbook (文件被关闭! when none),
// disables itself (报表生成 enables it again), fills the register when it is
// hidden and shows it.
void ScoreEdit(shell::Program& program);

std::string RegisterSheetMissingText(std::string_view sheet);
inline constexpr std::string_view kRebuildQuestion =
    "成绩登记表中已录入了成绩。要按新的比赛项目名单重新生成成绩登记表吗？\n"
    "（是：重新生成，已录入的成绩保留在同一项目、同一号码的位置上；否：保持原样）";

}  // namespace korvane::reports
