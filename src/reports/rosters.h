// The event rosters (比赛项目名单报表): for every event with entrants, its
// entrants in random order split into heats with lanes (lane rule 1), one list
// (rule 2) or groups (any other rule), with names and athlete numbers. The
// heat and lane of every athlete are decided here. The rosters go on from the
// page where the number report ended, always starting on an odd-numbered
// page, and no block crosses a page.
#pragma once

#include "reports/report_driver.h"

namespace korvane::reports {

// Texts of the roster blocks.
inline constexpr std::string_view kFinalWithoutHeats = "预决赛";
inline constexpr std::string_view kPreliminaries = "预赛";
inline constexpr std::string_view kLaneLabel = "道次";
inline constexpr std::string_view kNameLabel = "姓名";
inline constexpr std::string_view kNumberLabel = "号码";
inline constexpr std::string_view kRelayTeamLabel = "班级";
// Lanes of a heat and entrants of a list line.
inline constexpr int kLanes = 8;

// Heading of heat or group h (1-based): 第一组, 第二组, ... 第十组, 第十一组 ...
std::string HeatHeading(int h);

// First page of the rosters after a number report that started on page
// `numberFirstPage` and whose next free row is `numberLastRow`: the pages the
// number report filled (24 rows a page) are passed, and an even page number
// moves on to the next odd one.
int RosterFirstPage(int numberFirstPage, int numberLastRow);

// Writes the rosters into run.rosterReport (a fresh sheet) from the event
// table, the titles and names of 比赛项目名单 and the numbers of temp, going on
// from run.layout as the number report left it. Event rows beyond the used
// rows of 比赛项目名单 have no entrants; an entrant count above 75 (the most
// entrant cells of a row) is taken as 75. The group rule needs
// run.maxPerGroup >= 1 whenever an event of that rule has entrants
// (std::invalid_argument otherwise; the command refuses earlier with a
// message). Any number of heats or groups is laid out, headed 第十一组 and on.
void CreateItemReportForms(ReportRun& run);

}  // namespace korvane::reports
