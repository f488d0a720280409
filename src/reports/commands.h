// The report and score commands under their menu controls, and the progress
// notes they show in the caption.
#pragma once

#include <string_view>

#include "shell/program.h"

namespace korvane::reports {

// Registers 报表生成, 创建成绩记录表, 成绩管理, 保护工作表 and the four print
// commands (报名表样表, 报表, 成绩记录表, 赛事日程).
void RegisterCommands(shell::CommandTable& table);

namespace notes {
inline constexpr std::string_view kNumberReport = " - 号码对照表报表...";
inline constexpr std::string_view kEventsReport = " - 比赛项目名单报表...";
inline constexpr std::string_view kScores = " - 成绩管理...";
inline constexpr std::string_view kRecordTables = " - 创建成绩记录表...";
}  // namespace notes

}  // namespace korvane::reports
