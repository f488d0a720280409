// 汇总及编号: from the filled team sheets to the lists every report is made
// from. Surplus ticks are erased from the team sheets, the athletes of all
// teams are gathered into 号码对照表 and numbered, every event row of
// 比赛项目名单 gets its entrants (names, or team names for a relay) with their
// numbers in the hidden sheet temp, and every event's entrants are put into
// random order. It can run again at any time: it first removes what an
// earlier run and the reports built on it produced, and undoes a grade merge.
#pragma once

#include <string>
#include <string_view>

#include "host/workbook.h"
#include "shell/program.h"
#include "shell/random.h"

namespace korvane::processing {

// Undoes a grade merge so the lists can be rebuilt: shows every row of
// 比赛项目名单, gives every merged title (初一初二男子100米: two neighbouring
// grades of 设置) back its first grade alone (初一男子100米), and clears the
// merge flags F1:I1 (F1 stays 1 when the junior grades compete as 初中).
void RestoreItem(host::Workbook& book);

// The consolidation itself, on the meet workbook `book` whose generated
// sheets have been removed and whose structure is unprotected. Draws the
// random order from `rng`. Does nothing when 报名表样表 has no events.
void SJHZ(shell::Program& program, host::Workbook& book, shell::CommandRandom& rng);

// 汇总及编号 (menu control consolidate). Checks the meet's settings and team
// sheets first and refuses, changing nothing, when they cannot be consolidated.
void Consolidate(shell::Program& program);

// Registers 汇总及编号 and 随机排序 under their menu controls.
void RegisterConsolidationCommands(shell::CommandTable& table);

// Refusals.
inline constexpr std::string_view kRowsPerTeamNotEven = "设置!H2 的每队人数必须是正偶数。";
inline constexpr std::string_view kMaxPerTeamNotPositive = "设置!H3 的每项每队限报人数必须是正整数。";
inline constexpr std::string_view kMaxEventsNotPositive = "设置!H4 的每人限报项数必须是正整数。";
inline constexpr std::string_view kTooManyAthleteRows = "设置!H2 的每队人数乘以参赛队数，超出了号码对照表能容纳的行数。";
std::string MissingTeamSheetText(int team);

}  // namespace korvane::processing
