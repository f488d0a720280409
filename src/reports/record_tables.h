// 创建成绩记录表: the judges' score record sheets. For every event with
// entrants, copies of a paper form filled with the event title, the heat or
// group and the entrants' numbers and names, collected on one sheet per kind
// of measurement: 起终点用表 (timed events, for the start and finish judges),
// 高度记录表 (height), 远度记录表 (distance) and 其它记录表 (counted events).
// The forms themselves come from the template sheets 记录表1-3; this decides
// how many copies each event needs, where they go and what is written into
// them. Heats and groups follow the same split as the rosters, with the
// capacity of a form in place of eight lanes.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "host/value.h"
#include "host/workbook.h"
#include "shell/program.h"

namespace korvane::reports {

// The four kinds of form, by measuring method 1 to 4.
struct RecordFormKind {
  int method;                      // 1 计时, 2 计高, 3 计远, 4 计个
  std::string_view sheet;          // the record sheet that collects them
  std::string_view templateSheet;  // 记录表1 .. 记录表3
  std::string_view form;           // the form's range on its template sheet
  std::string_view relayForm;      // timed relays only: the relay form's range
  int capacity;                    // entrants per form
  int pageRows;                    // rows of a printed page (0: one form a page)
  int firstOnPageAdvance;          // rows from one form to the next when it is the first of its page
  int advance;                     // rows from one form to the next otherwise
  int groupCol;                    // the group-number cell of the form's second row (count beside it)
  bool across;                     // entrants across two rows (timed) or one per row
};

// Kind of the measuring method; null for a method without a record form
// (5 其它, or anything outside 1 to 4).
const RecordFormKind* RecordFormFor(int method);

// One form copy to write.
struct RecordFormPlan {
  const RecordFormKind* kind = nullptr;
  int event = 0;                // 1-based event row index k (比赛项目名单 row k + 2)
  bool relay = false;           // a timed relay: the relay form, names only
  bool copyForm = false;        // false for the form the record sheet starts with
  int top = 0;                  // first row of the form on its record sheet
  std::string title;            // written into column B of row top + 1
  bool groupCells = false;      // the group cells are written (every rule but one list)
  host::CellValue groupNumber;  // h, or "第h-j组" when the group needs several forms
  int groupCount = 0;
  int sequence = 0;         // timed forms: the print sequence number
  int firstEntrant = 0;     // 0-based offset into the event's entrant list
  int entrants = 0;         // entrants on this form
  int firstEntrantCol = 0;  // timed forms: column of the first entrant (lanes centred for heats)
};

// What the record sheets need of one event row of 比赛项目名单.
struct RecordEvent {
  std::string title;  // column D
  char laneRule = 0;  // first character of column B
  int method = 0;     // column C
  int entrants = 0;   // column E, at most the 75 entrant columns
};

// Every form copy of the events in order. Each record sheet keeps a row
// counter, the first entrant row of its next form, starting at 4 (its first
// form is the one the sheet starts with) and advancing by the kind's rows.
struct RecordFormsLayout {
  std::vector<RecordFormPlan> forms;
  std::array<int, 4> nextEntrantRow{};  // the counters after the last form, by method 1 to 4
};
// `maxPerGroup` is used by the group rule only. Throws std::invalid_argument
// when an event laid out in groups needs forms and maxPerGroup is below 1 (the
// command checks that first and names the event).
RecordFormsLayout PlanRecordForms(const std::vector<RecordEvent>& events, int maxPerGroup);

// Last row of the timed forms (the row counter of 起终点用表 minus 4) and the
// fold of a long 起终点用表: when it runs over one 17-row page, the second half
// of its pages, rows `first` to `last` of columns A:J, moves beside the first
// half from L1 on, so that one B4 sheet carries two pages.
struct TimedFold {
  bool fold = false;
  int first = 0, last = 0;
};
TimedFold TimedFoldFor(int timedRowCounter);

// The print sequence label of a timed form whose first entrant row is r: two
// forms a 17-row page, numbered down the sheet: "打印顺序号:001".
std::string PrintSequenceLabel(int sequence);
int PrintSequenceNumber(int entrantRow);

// Builds the four record sheets in the meet workbook `book`. Everything is
// checked before anything changes; a refusal shows its message and returns
// false with the workbook untouched. Refused when a sheet it needs is missing
// (比赛项目名单, temp, 记录表1-3), when a record sheet already exists, or when an
// event laid out in groups has entrants and 设置!H5 (MaxPerGroup, from the
// program's parameter table) is not a positive number. A failure of the host
// half way removes the record sheets made so far and rethrows.
bool CreateTables(shell::Program& program, host::Workbook& book);

// The menu command 创建成绩记录表: finds the meet workbook (文件被关闭! when
// none), builds the record sheets with the progress note in the caption, then
// enables 成绩记录表(B4) printing and disables itself: the sheets are built
// once per report run, which deletes them.
void CreateTables(shell::Program& program);

// Refusal texts.
std::string RecordSheetMissingText(std::string_view sheet);
std::string RecordSheetExistsText(std::string_view sheet);
std::string MaxPerGroupInvalidText(std::string_view eventTitle);

}  // namespace korvane::reports
