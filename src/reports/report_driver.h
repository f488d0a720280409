// 报表生成: turns the consolidated, randomly ordered entry lists of a meet into
// the two printable reports of the meet booklet, the number lookup report
// (号码对照表报表) and the event rosters split into heats and lanes or groups
// (比赛项目名单报表). Both are rebuilt from scratch on every run; the judges'
// record sheets made from an earlier run are removed with them.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "host/workbook.h"
#include "host/worksheet.h"
#include "meet/page_format.h"
#include "meet/parameters.h"
#include "meet/refusal.h"
#include "shell/program.h"

namespace korvane::reports {

// The first page number of the number report when 设置!C1 gives none.
inline constexpr int kDefaultFirstReportPage = 21;

// One row of the event table: the lane rule's first character ('1' lanes,
// '2' one list, anything else groups) and the number of entrants.
struct ReportEvent {
  char laneRule = '3';
  int entrants = 0;
};

struct ReportGrade {
  std::string name;
  long long classes = 0;
};

// Everything one run of the report writers shares: the sheets they read and
// write, the form parameters, the event table and the page state that the
// number report leaves for the rosters. Owned by the running command.
struct ReportRun {
  host::Workbook* book = nullptr;
  host::Worksheet* settings = nullptr;      // 设置
  host::Worksheet* events = nullptr;        // 比赛项目名单: titles and entrant names
  host::Worksheet* numberTable = nullptr;   // 号码对照表
  host::Worksheet* temp = nullptr;          // temp: entrant numbers beside the names
  host::Worksheet* numberReport = nullptr;  // 号码对照表报表
  host::Worksheet* rosterReport = nullptr;  // 比赛项目名单报表
  int rowsPerTeam = 0;                      // 设置!H2: athlete rows of a team, half of them men
  int maxPerGroup = 0;                      // 设置!H5: the most athletes of one group
  std::vector<ReportGrade> grades;
  std::vector<ReportEvent> eventTable;  // event k at index k - 1
  meet::ReportLayout layout;            // FirstPage, LastRow, RowsPerPage, ...
};

// 设置!C1 as the first page of the number report: a whole page number from 1
// to 1,000,000, else (empty, 0, text, negative, absurd) 21.
int FirstReportPageOf(const host::Worksheet& settings);

// Why the reports of `book` cannot be made, or none: a sheet that
// consolidation makes is missing, the team size (设置!H2) breaks its rule or is
// no longer the size of the team sheets, or an event with entrants is laid out
// in groups while the most athletes of a group (设置!H5) is empty or not
// positive. The text names the sheet, the cell and the event, so the user
// knows what to fix. Reads the meet's parameters into `p` on the way.
meet::Refusal ReportRefusal(const host::Workbook& book, meet::Parameters& p);

// The two report writers' driver: reads the first page number, the grades and
// the event table, adds 号码对照表报表 and 比赛项目名单报表 directly after
// 比赛项目名单, writes the number report and then the rosters (the rosters go
// on from the page where the number report ends), and selects the rosters.
// The report sheets must not exist yet. `parameters` are the meet's as
// ReportRefusal read them.
void Report(shell::Program& program, host::Workbook& book, const meet::Parameters& parameters);

// The 报表生成 menu command: finds the meet workbook, refuses with a message
// when ReportRefusal has one (nothing changes then), removes every report and
// record sheet of an earlier run (hiding 成绩登记表 when reports existed),
// enables 导出打印报表, 报表(A4), 赛事日程(A4), 成绩管理 and 创建成绩记录表,
// disables 报名表样表(A4) and 成绩记录表(B4), writes the reports and protects
// the workbook's structure again. The parameters are read afresh from 设置,
// so a corrected setting counts.
void CreateReport(shell::Program& program);

// The command as the parameter refusals name it, and the refusal texts.
inline constexpr std::string_view kReportCommand = "生成报表";
std::string MissingReportSourceText(std::string_view sheet);
std::string MaxPerGroupMissingText(std::string_view eventTitle);

}  // namespace korvane::reports
