// 汇总及编号: from the filled team sheets to the lists every report is made
// from. Surplus ticks are erased from the team sheets, the athletes of all
// teams are gathered into 号码对照表 and numbered, every event row of
// 比赛项目名单 gets its entrants (names, or team names for a relay) with their
// numbers in the hidden sheet temp, and every event's entrants are put into
// random order. It can run again at any time: it first removes what an
// earlier run and the reports built on it produced, and undoes a grade merge.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "host/workbook.h"
#include "meet/parameters.h"
#include "shell/program.h"
#include "shell/random.h"

namespace korvane::processing {

// Undoes a grade merge so the lists can be rebuilt: shows every row of
// 比赛项目名单, gives every merged title (初一初二男子100米: two neighbouring
// grades of 设置) back its first grade alone (初一男子100米), and clears the
// merge flags F1:I1 (F1 stays 1 when the junior grades compete as 初中).
void RestoreItem(host::Workbook& book);

// The consolidation itself, on the meet workbook `book` whose generated
// sheets have been removed and whose structure is unprotected, with the
// meet's parameters `p` as checked by the command. Draws the random order
// from `rng`. Does nothing when 报名表样表 has no events.
void SJHZ(shell::Program& program, host::Workbook& book, const meet::Parameters& p, shell::CommandRandom& rng);

// 汇总及编号 (menu control consolidate). Checks the meet's settings and team
// sheets first and refuses, changing nothing, when they cannot be consolidated.
void Consolidate(shell::Program& program);

// A tick of the registration forms: "√" or "✓", also with blanks around it
// (a trailing space typed after the mark, a full-width space).
inline constexpr std::string_view kCheckMark = "✓";
bool IsEntryTick(const host::CellValue& v);

// A cell of a team sheet that did not become an entry: a mark other than a
// tick, a tick beyond a limit of the meet, a tick without a name.
struct EntryIssue {
  std::string sheet;    // the team sheet
  std::string cell;     // its address, "E7"
  std::string athlete;  // the name in that row
  std::string event;    // the heading, or the event's title
  std::string why;
  bool notATick = false;
};

// 汇总检查.xlsx, beside the meet workbook: one line per issue (sheet, cell,
// athlete, event, why). Written after a consolidation that had any; a list
// left by an earlier run is removed when there are none. The meet workbook
// itself gets no sheet for it, as its stage is read from its sheet count.
inline constexpr std::string_view kEntryIssuesFile = "汇总检查.xlsx";
inline constexpr std::string_view kEntryIssuesSheet = "汇总检查";
std::string EntryIssuesPath(const host::Workbook& book);
// Writes the list and shows one message with the counts (nothing when there
// are no issues).
void ReportEntryIssues(shell::Program& program, const host::Workbook& book, const std::vector<EntryIssue>& issues);

namespace text {
std::string NotATick(std::string_view mark);
std::string NotATickErased(std::string_view mark);
std::string OverEventLimit(int maxEvents);
std::string OverTeamLimit(int maxPerTeam);
std::string OverEventCapacity(int capacity);
inline constexpr std::string_view kTickWithoutName = "有“√”但这一行没有姓名，没有计入";
std::string EntryIssuesSummary(int notTicks, int dropped);
std::string IssuesWritten(std::string_view path);
std::string IssuesNotWritten(std::string_view reason);
}  // namespace text

// Refusals.
// A name cell of a team sheet holding only blanks (spaces, ideographic
// spaces, tabs, line feeds): consolidation refuses, naming the cell.
std::string BlankNameText(std::string_view sheet, std::string_view cell);
// Consolidation's own wording of the parameter rules (meet::Parameters::Fault);
// the other faults take meet::Parameters::Validate's messages.
inline constexpr std::string_view kRowsPerTeamNotEven = "设置!H2 的每队人数必须是正偶数。";
inline constexpr std::string_view kMaxPerTeamNotPositive = "设置!H3 的每项每队限报人数必须是正整数。";
inline constexpr std::string_view kMaxEventsNotPositive = "设置!H4 的每人限报项数必须是正整数。";
inline constexpr std::string_view kTooManyAthleteRows =
    "设置!H2 的每队人数乘以参赛队数，超出了号码对照表能容纳的行数。";
std::string MissingTeamSheetText(int team);

}  // namespace korvane::processing
