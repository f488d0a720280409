// Athlete numbers: five characters saying where the athlete stands in the
// entries — grade code, team within the grade (two digits), row within the
// team's block of the number table (two digits) — so the same row of the
// same team sheet gets the same number in every meet with that layout.
#pragma once

#include <string>
#include <string_view>

#include "host/workbook.h"

namespace korvane::processing {

// "1" "2" "3" for 高一 高二 高三, "7" "8" "9" for 初一 初二 初三, "C" for 初中,
// "G" for 高中, "T" for any other grade name.
std::string GradeCode(std::string_view grade);

// The last two digits of a whole number, with a leading zero: 1 -> "01",
// 12 -> "12", 105 -> "05".
std::string TwoDigits(int n);

// code + TwoDigits(team) + TwoDigits(row): 70312 for 初一, team 3, row 12.
std::string AthleteNumber(std::string_view code, int team, int row);

// Numbers the athletes of 号码对照表, whose column A consolidation has just
// filled: every named row of a taking-part team (one whose block starts with
// a name) gets its number in column B; the team's name (设置 column D) goes
// into column C of the block's first row, merged down over the block; a grid
// is drawn around A1 to the last block. Blocks of teams that take no part stay
// empty. Reads the grades and 设置!H2 from the workbook.
void AutoNumber(host::Workbook& book);

}  // namespace korvane::processing
