// The times of an arranged schedule, as the printed sheets and the preview
// show them.
//
// Track: a check-in (开始检录) restarts the clock at its start time and runs
// for its check-in duration; then every event runs for its expected duration
// right after the one before, and a rest (休息) pushes the next event back
// without a row of its own. Field: every event has its own start time and
// duration ("9:00_45分钟"). Times are whole minutes from midnight, so that an
// event that starts when another ends touches it exactly; they become
// fractions of a day only in the texts written to cells. An event's span
// reads "8:40～8:55".
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "schedule/items.h"

namespace korvane::schedule {

// "5分钟" read as whole minutes: the number left when "分钟" is taken away
// (also "5分" or a bare number); nullopt when nothing, a fraction of a minute
// or something else is left.
std::optional<int> ReadMinutes(std::string_view duration);
// "8:30_5分钟": the start time in minutes from midnight and the minutes.
struct StartAndDuration {
  int start = 0;
  int minutes = 0;
};
std::optional<StartAndDuration> ReadStartAndDuration(std::string_view text);

// "8:40～8:55" from minutes after midnight.
std::string SpanText(int start, int end);

// One row of the schedule as printed: rests are not rows.
struct TimedRow {
  RowKind kind = RowKind::Other;
  ListRow row;             // the arranged row, code first
  std::string timeText;    // the time column: "8:30" for a ceremony or check-in, a span for an event, else empty
  int start = 0, end = 0;  // an event's span in minutes from midnight
  std::string halfDay;     // the text of the half-day row above ("10月25日上午"); empty before the first
};

struct Timeline {
  std::vector<TimedRow> rows;
  // The first arranged row (0-based) whose time or duration does not read,
  // and that text; -1 when every one reads.
  int badRow = -1;
  std::string badText;
};

Timeline TrackTimeline(const std::vector<ListRow>& arranged);
Timeline FieldTimeline(const std::vector<ListRow>& arranged);

// "径赛日程安排中，第N条目的时间“TEXT”无法识别，请改正后再试!"
std::string UnreadableTimeText(bool track, int position, std::string_view text);

// The pages of a schedule sheet whose data end at `lastRow`: the heading
// (row 1) repeats on every page and 28 data rows fill one. The page breaks
// and the page count follow this one rule, so that the page numbers counted
// for the next sheet are the pages printed.
inline constexpr int kRowsPerPage = 28;
// The rows after which a new page starts (29, 57, ...), none on the last page.
std::vector<int> PageBreakRows(int lastRow);
// The printed pages: one for the heading alone, one more for every break.
int PagesFor(int lastRow);
// The page number after `first` + `pages`, made odd: every schedule sheet and
// the reports start on a right-hand page.
int NextOddPage(int first, int pages);

}  // namespace korvane::schedule
