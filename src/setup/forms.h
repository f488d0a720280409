// Registration forms: CreateBMB turns a freshly created meet workbook into one
// registration form per team.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "host/workbook.h"
#include "shell/program.h"

namespace korvane::setup {

enum class FormsResult { Created, NothingToCreate, Refused };

// Creates the registration forms in `book` (the meet workbook just opened by
// 新建): completes the team names on 设置 (class mode: 高一(1)班 ...; team mode:
// the names the organiser listed per grade), sizes 报名表样表 to 设置!H2 athlete
// rows, copies it once per team as sheets "1", "2", ... in front of 设置, adds
// the meet workbook's defined names, hides 设置, 报名表样表 and 比赛项目名单 and
// saves the workbook. Loads the program's parameter table from 设置!H2:H5.
//
// NothingToCreate when 设置!B9 <= 0: the workbook is left exactly as it was.
// Refused after showing a clear message that names the cell at fault: a
// missing sheet, a count that is not a number, an athlete count (H2) that is
// odd, below 4 or above 98, a team count below 0 or above 99, team counts
// that do not add up to B9, an empty grade name or team name, a sheet already
// named like a team sheet. Everything is checked before anything is changed,
// so a refused workbook is untouched. Also Refused (with a message) when the
// final save fails: the file then keeps its state from before the call.
//
// Team mode (设置!M1 = "√") lists the teams of grade g (1-based) in the column
// pair that starts at column L + 3 (g - 1) from row 6: L:M for the first
// grade, O:P for the second, R:S for the third and so on; the first column
// holds the team name, the second its leader. The first two grades must list
// every team. A later grade whose table is left empty gets numbered teams,
// 教工(1)队, 教工(2)队, ...; once its table is started, it must be complete.
FormsResult CreateBMB(shell::Program& program, host::Workbook& book);

// ---- the rules CreateBMB follows ----

// First column of the team-mode table of grade g (1-based): L, O, R, ...
int TeamModeColumn(int grade);
// Team k of a grade in class mode: grade + "(" + k + ")班".
std::string ClassTeamName(std::string_view grade, int k);
// Team k of a grade in team mode whose teams are not listed: grade + "(" + k + ")队".
std::string NumberedTeamName(std::string_view grade, int k);

// Refusal texts.
std::string MissingSheetText(std::string_view sheet);
inline constexpr std::string_view kTeamCountNotNumber = "设置!B9 的参赛队总数必须是数字。";
inline constexpr std::string_view kNoGradesForForms = "设置!A2 起没有年级名称，无法创建报名表。";
std::string EmptyGradeNameText(int row);
std::string BadTeamCountText(int row);
std::string TooManyTeamsText(int row);
std::string EmptyTeamNameText(int row, int col, int grade);
std::string SheetExistsText(std::string_view name);
std::string SaveFailedText(std::string_view reason);

}  // namespace korvane::setup
