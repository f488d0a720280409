// The printable schedule sheets and the clash check.
//
// 径赛 (track): A the half day, B the start of a ceremony or check-in (a time
// shown h:mm) or an event's span, C the ceremony or the grade, D sex, E event,
// F stage, G groups. 田赛 (field): A the half day, B the judges' group, C the
// time, D the ceremony or the grade, E sex, F event, G stage, H groups. Row 1
// is the template's heading row; data from row 2, 28 rows a printed page
// under the repeated heading.
#pragma once

#include <string>
#include <vector>

#include "host/workbook.h"
#include "host/worksheet.h"
#include "schedule/timeline.h"

namespace korvane::schedule {

// Replaces the data rows of the sheet by the timeline's rows; returns the
// last data row (1 when the list is empty), the row PagesFor counts from.
int WriteTrackSheet(host::Worksheet& ws, const Timeline& timeline);
int WriteFieldSheet(host::Worksheet& ws, const Timeline& timeline);

// An athlete entered in two events whose spans overlap on the same half day.
struct ClashEvent {
  std::string title;  // grade + sex + event
  std::string span;
};
struct Clash {
  std::string number, name, halfDay;
  ClashEvent first, second;
};
// The clashes of an arrangement, found through the meet's number table and
// the entrant numbers of its event rows (temp): every 预赛 and 预决赛 row, track
// and field, takes its entrants; 决赛 rows are left out, their finalists are
// not known yet. Ordered by athlete number, then by the events' order.
std::vector<Clash> FindClashes(const host::Workbook& meet, const Timeline& track, const Timeline& field);
// One information message listing them (the first ones when there are many).
std::string ClashMessage(const std::vector<Clash>& clashes);
// The sheet 冲突检查 of the schedule workbook: written afresh when there are
// clashes, removed when there are none.
void WriteClashSheet(host::Workbook& schedule, const std::vector<Clash>& clashes);

}  // namespace korvane::schedule
