// The lists of a competition schedule and the rows they hold.
//
// A schedule workbook keeps five lists side by side on its sheet 附件: the
// track and field items not yet scheduled, the additional items (ceremonies,
// check-in, judges' groups, rest, one row per half day), and the arranged
// track and field schedules. Every row starts with its item code, whose first
// character tells its kind: 1 track item, 2 field item, 3 additional row
// (301 开幕式, 302 闭幕式, 303 开始检录, 304-307 judges' groups, 308 休息, 309
// onward the half days), 600 a user-defined item.
#pragma once

#include <array>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "host/workbook.h"
#include "host/worksheet.h"
#include "meet/layout.h"

namespace korvane::schedule {

// One list row: its columns as texts, the code first.
using ListRow = std::vector<std::string>;

// ---- the schedule workbook ----

// Its file names, sheets and the blocks of 附件 are the meet layer's.
inline constexpr std::string_view kTemplateBaseName = meet::kScheduleTemplateBaseName;
inline constexpr std::string_view kWorkbookPrefix = meet::kScheduleWorkbookPrefix;
using meet::schedule_book::kBlockStartColumns;
using meet::schedule_book::kClashSheet;
using meet::schedule_book::kFieldSheet;
using meet::schedule_book::kFirstListRow;
using meet::schedule_book::kListCount;
using meet::schedule_book::kListsSheet;
using meet::schedule_book::kTrackSheet;
using meet::schedule_book::ListColumns;
enum ListId { kTrackItems = 0, kFieldItems = 1, kAdditional = 2, kTrackSchedule = 3, kFieldSchedule = 4 };

// ---- codes and texts ----

inline constexpr std::string_view kOpeningCode = "301";
inline constexpr std::string_view kClosingCode = "302";
inline constexpr std::string_view kCheckInCode = "303";
inline constexpr std::string_view kRestCode = "308";
inline constexpr std::string_view kUserDefinedCode = "600";
inline constexpr int kFirstHalfDayCode = 309;

inline constexpr std::string_view kOpening = "开幕式";
inline constexpr std::string_view kClosing = "闭幕式";
inline constexpr std::string_view kCheckIn = "开始检录";
inline constexpr std::string_view kRest = "休息";
inline constexpr std::array<std::string_view, 4> kJudgesGroups{"第一组裁判", "第二组裁判", "第三组裁判", "第四组裁判"};

inline constexpr std::string_view kPreliminary = "预赛";
inline constexpr std::string_view kFinal = "决赛";
inline constexpr std::string_view kSingleRound = "预决赛";
inline constexpr std::string_view kMetre = "米";
inline constexpr std::string_view kMinutesUnit = "分钟";

// The code of the n-th item (1-based) of the track (kind '1') or field (kind
// '2') list: the kind and the two-digit running number up to 99 ("101" ..
// "199"), then the kind and the running number in full ("1100", "1101", ...).
// Codes stay unique, and read as numbers they keep the items' order, however
// many items a meet has.
std::string ItemCode(char kind, int n);

enum class RowKind { TrackItem, FieldItem, UserDefined, Opening, Closing, CheckIn, Judges, Rest, HalfDay, Other };
RowKind KindOf(std::string_view code);
// Track, field and user-defined items: the rows that are events.
bool IsEvent(RowKind kind);
// A code read as a number (0 when it does not read).
long long CodeNumber(std::string_view code);

// ---- the meet's dates ----

// "2026年10月25日3天": the first day of the meet and its number of days.
struct MeetStart {
  int year = 0, month = 0, day = 0, days = 0;
};
// nullopt when the text is not of that form or the date does not exist.
std::optional<MeetStart> ParseMeetStartSpec(std::string_view spec);
// The half-day rows of a meet: codes from 309, "10月25日上午", "10月25日下午",
// day after day (two columns).
std::vector<ListRow> HalfDayRows(const MeetStart& start);
// The additional list of a new schedule: 301 to 308 with their texts, then
// the half-day rows.
std::vector<ListRow> AdditionalRows(const MeetStart& start);

// ---- items derived from the meet workbook ----

// The meet cannot give the schedule its items; the message says why.
class ItemsRefused : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct DerivedItems {
  std::vector<ListRow> track;  // six columns: code, grade, sex, event, stage, groups
  std::vector<ListRow> field;
  // Titles of event rows with entrants whose grade (or sex) the meet does not
  // have: they give no item, and the command names them.
  std::vector<std::string> unknownGrade;
};
// The competition items of the meet: every title of the event list with
// entrants gives one item (and a 决赛 row after a 预赛 row), its grade, sex
// and event read from the title itself, so that merged grades (初一初二) and
// a school level competing as one group (初中) keep their events. Items follow
// the registration headings, then sex, then the grades' order in 设置. Throws
// ItemsRefused when an event laid out in groups finds no usable 设置!H5.
DerivedItems DeriveItems(const host::Workbook& meet);
// The message naming the titles whose grade the meet does not have.
std::string UnknownGradeText(const std::vector<std::string>& titles);
// The refusal when 设置!H5 cannot split an event into groups.
std::string MaxPerGroupText(std::string_view eventTitle);

// ---- user-defined items ----

// The typed entry of a user-defined item as it is checked: "m" and "M" become
// "米", "x" and "X" "×", the full-width comma, brackets and digits their
// half-width forms, and blanks after a comma or around the text are dropped.
std::string NormalizeEntryText(std::string_view typed);
// Grade, sex, event, stage and groups of a normalised entry text such as
// 高一男子5000米,预决赛,1组(25人); nullopt when it does not have that form.
std::optional<std::array<std::string, 5>> SplitEntryText(std::string_view normalized);

// ---- texts by characters ----
namespace text {
bool Contains(std::string_view s, std::string_view part);
bool StartsWith(std::string_view s, std::string_view prefix);
std::string ReplaceAll(std::string_view s, std::string_view from, std::string_view to);
}  // namespace text

}  // namespace korvane::schedule
