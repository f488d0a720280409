// Numbering the athletes of 号码对照表 (the number itself: meet/athlete_number.h).
#pragma once

#include "host/workbook.h"

namespace korvane::processing {

// Numbers the athletes of 号码对照表, whose column A consolidation has just
// filled: every named row of a taking-part team (one whose block starts with
// a name) gets its number in column B; the team's name (设置 column D) goes
// into column C of the block's first row, merged down over the block; a grid
// is drawn around A1 to the last block. Blocks of teams that take no part stay
// empty. Reads the grades from the workbook; `rowsPerTeam` is 设置!H2 as
// the command checked it.
void AutoNumber(host::Workbook& book, int rowsPerTeam);

}  // namespace korvane::processing
