// The registration form's event columns: their width, the direction of their
// headings and the drop-down list of the tick cells. The template is laid out
// with them, and 项目管理... keeps a changed catalogue the same way.
#pragma once

#include <string_view>

#include "host/worksheet.h"

namespace korvane::meet {

// Width of an event column in character units as the template ships it, and
// the narrowest that still takes a tick comfortably.
inline constexpr double kEventColumnWidth = 3.125;
inline constexpr double kNarrowestEventColumn = 2.5;
// Font size of the event headings.
inline constexpr double kEventHeadingFontSize = 9;

// Whether an event name reads across a column of `widthChars` character
// units at the heading size; a longer one is printed vertically.
bool EventHeadingFitsAcross(std::string_view name, double widthChars);

// Sets the heading (row 3) of event column `col` across or vertical after its
// name and the column's width: a name of ideographs only is stacked, one with
// digits reads upward.
void OrientEventHeading(host::Worksheet& form, int col);

// The tick cells of rows kFirstAthleteRow..lastAthleteRow under the event
// columns D..lastEventCol offer "√" in a drop-down list. The validation is of
// the information kind: another mark is accepted after a notice, so that the
// consolidation can report it. Replaces the validations of those rows' event
// columns; with no event column, they only go.
void SetTickValidation(host::Worksheet& form, int lastAthleteRow, int lastEventCol);

}  // namespace korvane::meet
