// The meet workbook's fixed layout: file names, sheet names, the cells and
// columns of its sheets that several commands share, its defined names, and
// the program-wide tables (sheet names, numerals, file extensions) built from
// them. The form parameters are in meet/parameters.h.
#pragma once

#include <array>
#include <chrono>
#include <string>
#include <string_view>

#include "meet/parameters.h"

namespace korvane::host {
class Workbook;
class WorkbookHost;
}  // namespace korvane::host

namespace korvane::meet {

// A cell position, 1-based.
struct CellPos {
  int row = 0, col = 0;
};

// ---- files ----

// The meet template: program folder + this + the template extension.
inline constexpr std::string_view kTemplateBaseName = "号码对照表及分组分道编排";
// Meet workbooks: this + "YYYY-MM-DD" + "_" + five-digit seconds of the day + extension.
inline constexpr std::string_view kMeetWorkbookPrefix = "号码对照表及分组分道编排表_";
// An open workbook whose name begins with these 12 characters is the meet
// workbook (a meet workbook or the template opened for editing).
inline constexpr std::string_view kRecognitionPrefix = "号码对照表及分组分道编排";
inline constexpr int kRecognitionPrefixChars = 12;
// Registration workbook handed to the teams, and the exported report workbook
// (both + the meet workbook extension, in a folder the user picks).
inline constexpr std::string_view kRegistrationWorkbookBaseName = "运动会报名登记表";
inline constexpr std::string_view kReportWorkbookBaseName = "运动会报表";
// The schedule template (program folder) and its dated workbooks (default folder).
inline constexpr std::string_view kScheduleTemplateBaseName = "日程安排表";
inline constexpr std::string_view kScheduleWorkbookPrefix = "日程安排表_";
// Prize files: the template is program folder/prize/奖项设置 + template
// extension; the prize workbook in the default folder begins with 奖项设置,
// which is how it is recognised among the open workbooks; the certificate
// templates are program folder/prize/<award type>.
inline constexpr std::string_view kPrizeFolder = "prize";
inline constexpr std::string_view kPrizeTemplateBaseName = "奖项设置";
inline constexpr std::string_view kPrizeWorkbookBaseName = "奖项设置";
inline constexpr std::array<std::string_view, 3> kAwardTypes{"精神文明奖", "团体总分奖", "单项奖"};

// programDir + "/prize/奖项设置" + templateExtension.
std::string PrizeTemplatePath(std::string_view programDir, std::string_view templateExtension);

// ---- sheets ----

inline constexpr std::string_view kSettingsSheet = "设置";
inline constexpr std::string_view kFormSampleSheet = "报名表样表";
inline constexpr std::string_view kEventsSheet = "比赛项目名单";
inline constexpr std::string_view kScoreRegisterSheet = "成绩登记表";
inline constexpr std::string_view kRecordSheet1 = "记录表1";
inline constexpr std::string_view kRecordSheet2 = "记录表2";
inline constexpr std::string_view kRecordSheet3 = "记录表3";
// The seven sheets of the template, in order.
inline constexpr std::array<std::string_view, 7> kTemplateSheets{
    kSettingsSheet, kFormSampleSheet, kEventsSheet, kScoreRegisterSheet, kRecordSheet1, kRecordSheet2, kRecordSheet3};
// Sheets besides the team sheets before anything is generated.
inline constexpr int kFixedSheetCount = 7;

// The sheet-name table: generated sheets in stage order; stage k (1 to 8) is
// entry k - 1. Removing stage k removes the sheets of stages k to 8.
inline constexpr std::array<std::string_view, 8> kSheetNames{
    "号码对照表", "temp", "号码对照表报表", "比赛项目名单报表", "起终点用表", "高度记录表", "远度记录表", "其它记录表"};
inline constexpr int kStageCount = 8;
inline constexpr std::string_view kNumberTableSheet = kSheetNames[0];
inline constexpr std::string_view kTempSheet = kSheetNames[1];
inline constexpr std::string_view kNumberReportSheet = kSheetNames[2];
inline constexpr std::string_view kRosterReportSheet = kSheetNames[3];
inline constexpr std::string_view kStartFinishSheet = kSheetNames[4];
inline constexpr std::string_view kHeightRecordSheet = kSheetNames[5];
inline constexpr std::string_view kDistanceRecordSheet = kSheetNames[6];
inline constexpr std::string_view kOtherRecordSheet = kSheetNames[7];
// The sheet of stage 1 to 8; throws std::out_of_range otherwise.
constexpr std::string_view StageSheetName(int stage) { return kSheetNames.at(static_cast<std::size_t>(stage - 1)); }

// Team sheet t is named "t" and is worksheet t of the meet workbook.
std::string TeamSheetName(int team);

// ---- sheet 设置 ----
namespace settings {
inline constexpr int kGradeCol = 1;      // A2 downward: grade names, no gaps
inline constexpr int kTeamsCol = 2;      // B2:B8: teams of the grade in the same row
inline constexpr int kTeamTotalCol = 3;  // C2:C8: running total of teams
inline constexpr int kFirstGradeRow = 2;
inline constexpr int kMaxGrades = 7;
inline constexpr int kLastGradeRow = kFirstGradeRow + kMaxGrades - 1;  // row 8
inline constexpr CellPos TeamSheetCount{9, 2};                         // B9
inline constexpr CellPos FirstReportPage{1, 3};                        // C1
inline constexpr int kTeamNameCol = 4;                                 // D: team t in row t + 1
inline constexpr int kTeamLeaderCol = 5;                               // E: leader and coach of team t in row t + 1
constexpr int TeamRow(int team) { return team + 1; }
inline constexpr int kParameterCol = 8;  // H2:H5
inline constexpr CellPos RowsPerTeam{2, 8};
inline constexpr CellPos MaxPerTeamPerEvent{3, 8};
inline constexpr CellPos MaxEventsPerAthlete{4, 8};
inline constexpr CellPos MaxPerGroup{5, 8};
// Team mode: names and second texts of the teams of the first grade in L:M,
// of the second grade in O:P, from row 6.
inline constexpr int kTeamModeFirstRow = 6;
inline constexpr int kTeamModeGrade1Col = 12;   // L (M beside it)
inline constexpr int kTeamModeGrade2Col = 15;   // O (P beside it)
inline constexpr CellPos kTeamModeFlag{1, 13};  // M1
inline constexpr std::string_view kTeamModeMark = "√";
// A grade name whose first character is 初 is a junior grade.
inline constexpr std::string_view kJuniorGradeMark = "初";
// The refusal of a meet whose team total (B9) is not the sum of its grades' teams.
std::string TeamTotalMismatchText(long long total, long long sum);
}  // namespace settings

// ---- sheet 报名表样表 and the team sheets copied from it ----
namespace form {
inline constexpr int kTitleRow = 1;         // merged from A1 to the last event column
inline constexpr CellPos kTitleLine{2, 1};  // A2: computed by the template, frozen on creation
inline constexpr CellPos kTeamName{2, 3};   // C2: the sheet's own team
inline constexpr int kHeadingRow = 3;       // event catalogue from D3 rightward
inline constexpr int kFirstEventCol = 4;    // D
inline constexpr int kRowNumberCol = 2;     // B: 1..RowsPerTeam/2 in each block
inline constexpr int kAthleteNameCol = 3;   // C
inline constexpr int kFirstAthleteRow = 4;
inline constexpr std::string_view kEntryMark = "√";
inline constexpr std::string_view kRelaySuffix = "接力";
// The template before the forms are sized: men in rows 4-5, women in 6-7,
// closing row 8.
inline constexpr int kTemplateMaleFirstRow = 4;
inline constexpr int kTemplateMaleLastRow = 5;
inline constexpr int kTemplateFemaleFirstRow = 6;
inline constexpr int kTemplateFemaleLastRow = 7;
inline constexpr int kTemplateClosingRow = 8;
// Sized forms, for rowsPerTeam athlete rows (设置!H2; half per sex block).
constexpr int BlockRows(int rowsPerTeam) { return rowsPerTeam / 2; }
constexpr int MaleLastRow(int rowsPerTeam) { return rowsPerTeam / 2 + 3; }
constexpr int FemaleFirstRow(int rowsPerTeam) { return rowsPerTeam / 2 + 4; }
constexpr int LastAthleteRow(int rowsPerTeam) { return rowsPerTeam + 3; }
constexpr int ClosingRow(int rowsPerTeam) { return rowsPerTeam + 4; }
// Height of an athlete row in points: Int(56000 / rowsPerTeam) / 100, so that the
// athlete rows together stay within 560 points. 0 when rowsPerTeam is not positive.
double AthleteRowHeight(int rowsPerTeam);
}  // namespace form

// ---- sheet 比赛项目名单 (the sheet temp holds athlete numbers in the same cells) ----
namespace events {
inline constexpr CellPos kEventCount{2, 4};  // D2: number of configured events
inline constexpr int kFirstEventRow = 3;
constexpr int EventRow(int k) { return k + 2; }  // configured event k, 1-based
inline constexpr int kGradeCol = 1;              // A: grade (equal neighbours merged)
inline constexpr int kLaneRuleCol = 2;           // B: LaneRule code
inline constexpr int kMethodCol = 3;             // C: measuring-method code
inline constexpr int kTitleCol = 4;              // D: grade + sex + event name
inline constexpr int kEntrantCountCol = 5;       // E
inline constexpr int kFirstEntrantCol = 6;       // F
inline constexpr int kLastEntrantCol = 80;       // CB
inline constexpr int MaxEntrantsPerEvent = kLastEntrantCol - kFirstEntrantCol + 1;  // 75
// F1:I1: grade-merge flags; F1 = 1 when the junior grades compete together.
inline constexpr CellPos kMergeFlagsFirst{1, 6};
inline constexpr int kMergeFlagCount = 4;
// Grade names of an event open to a whole school level.
inline constexpr std::string_view kAllJunior = "初中";
inline constexpr std::string_view kAllSenior = "高中";
}  // namespace events

// ---- sheet 成绩登记表 (the score register) ----
// Event k of 比赛项目名单 owns rows 2k+1 and 2k+2: title, method and place
// count merged over both, the entrants in the first row from E, their results
// below them. The defined names 计法1/计法2 read the method from column B and
// 数目1/数目2 the count of places to highlight from column C.
namespace scores {
inline constexpr int kFirstEventRow = 3;
inline constexpr int kTitleCol = 1;         // A, merged over the event's two rows
inline constexpr int kMethodCol = 2;        // B, merged: kTimed, kCounted or kOther
inline constexpr int kPlacesCol = 3;        // C, merged: the places to highlight, typed by the user
inline constexpr int kLabelCol = 4;         // D: kNumberLabel / kTeamLabel above, kResultLabel below
inline constexpr int kFirstEntrantCol = 5;  // E
inline constexpr int kLastEntrantCol = kFirstEntrantCol + events::MaxEntrantsPerEvent - 1;  // CA
// First of the two rows of event k (1-based).
constexpr int EventRow(int k) { return 2 * k + 1; }
// The method texts: timed results rank smaller first, the others larger first.
inline constexpr std::string_view kTimed = "计时";
inline constexpr std::string_view kCounted = "计个";
inline constexpr std::string_view kOther = "计距";
inline constexpr std::string_view kNumberLabel = "号码";
inline constexpr std::string_view kTeamLabel = "班级";
inline constexpr std::string_view kResultLabel = "成绩";
// The method text of a measuring-method code: kTimed for 计时, kCounted for
// 计个, kOther for every other code.
std::string_view MethodText(int method);
}  // namespace scores

// ---- the schedule workbook (kScheduleTemplateBaseName, kScheduleWorkbookPrefix) ----
namespace schedule_book {
inline constexpr std::string_view kListsSheet = "附件";
inline constexpr std::string_view kTrackSheet = "径赛";
inline constexpr std::string_view kFieldSheet = "田赛";
inline constexpr std::string_view kClashSheet = "冲突检查";
// 附件: list k (0 to 4) occupies the columns kBlockStartColumns[k] to
// kBlockStartColumns[k + 1] - 2, data from row 3; list column c is sheet
// column kBlockStartColumns[k] + c.
inline constexpr std::array<int, 6> kBlockStartColumns{1, 8, 15, 18, 26, 34};
inline constexpr int kFirstListRow = 3;
inline constexpr int kListCount = 5;
constexpr int ListColumns(int list) { return kBlockStartColumns[list + 1] - kBlockStartColumns[list] - 1; }
}  // namespace schedule_book

// ---- sheet 号码对照表 ----
namespace numbers {
inline constexpr int kHeadingRow = 1;
inline constexpr int kNameCol = 1;    // A
inline constexpr int kNumberCol = 2;  // B: five-character athlete number
inline constexpr int kTeamCol = 3;    // C: team name, merged down over the team's block
inline constexpr std::string_view kNameHeading = "姓名";
inline constexpr std::string_view kNumberHeading = "号码";
inline constexpr std::string_view kTeamHeadingTeamMode = "代表队";
inline constexpr std::string_view kTeamHeadingClassMode = "班级";
inline constexpr int kFirstRow = 2;
inline constexpr int kAthleteNumberLength = 5;
// First row of team t's block of `rowsPerTeam` rows.
constexpr int BlockFirstRow(int team, int rowsPerTeam) { return kFirstRow + (team - 1) * rowsPerTeam; }
// Row of the athlete in registration row `formRow` of team sheet `team`.
constexpr int RowOf(int team, int formRow, int rowsPerTeam) { return (team - 1) * rowsPerTeam + formRow - 2; }
}  // namespace numbers

// ---- codes ----

enum class LaneRule : int {
  Lanes = 1,            // 分道
  NoLanesNoGroups = 2,  // 不分道&不分组
  GroupsNoLanes = 3,    // 分组不分道/田赛分组
};
enum class MeasuringMethod : int {
  Time = 1,      // 计时
  Height = 2,    // 计高
  Distance = 3,  // 计远
  Count = 4,     // 计个
  Other = 5,     // 其它
};
inline constexpr std::array<std::string_view, 3> kLaneRuleNames{"分道", "不分道&不分组", "分组不分道/田赛分组"};
inline constexpr std::array<std::string_view, 5> kMeasuringMethodNames{"计时", "计高", "计远", "计个", "其它"};
// Name of a code; empty for a code outside the table.
std::string_view LaneRuleName(int code);
std::string_view MeasuringMethodName(int code);
// Code of a name; 0 for a text outside the table.
int LaneRuleCode(std::string_view name);
int MeasuringMethodCode(std::string_view name);

inline constexpr std::string_view kMale = "男子";
inline constexpr std::string_view kFemale = "女子";
inline constexpr std::string_view kMixed = "混合";
inline constexpr std::array<std::string_view, 3> kSexes{kMale, kFemale, kMixed};

// ---- defined names ----

// A sheet-level name of the meet workbook. refersTo is the exact text,
// leading "=" included.
struct NameDefinition {
  std::string_view sheet;
  std::string_view name;
  std::string_view refersTo;
};
// The eleven names, in the order they are added. "The row above" (计法2,
// 数目2) is written with OFFSET: a relative row reference that wraps round the
// bottom of the sheet works in the spreadsheet application but not in
// LibreOffice, which would then never highlight a result row.
inline constexpr std::array<NameDefinition, 11> kDefinedNames{{
    {"比赛项目名单", "Print_Titles", "=比赛项目名单!$A:$E,比赛项目名单!$1:$2"},
    {"比赛项目名单", "人数", "=SUM(IF(比赛项目名单!B1:BX1=\"\",0,1))"},
    {"成绩登记表", "myRng", "=成绩登记表!$E1:$BB1"},
    {"成绩登记表", "myRng1", "=成绩登记表!$E2:$BB2"},
    {"成绩登记表", "Print_Titles", "=成绩登记表!$1:$2"},
    {"成绩登记表", "计法1", "=成绩登记表!$B1"},
    {"成绩登记表", "计法2", "=OFFSET(成绩登记表!$B1,-1,0)"},
    {"成绩登记表", "数目1", "=成绩登记表!$C1"},
    {"成绩登记表", "数目2", "=OFFSET(成绩登记表!$C1,-1,0)"},
    {"成绩登记表", "条件1",
     "=(IF(成绩登记表!计法1=\"计时\",RANK(成绩登记表!A2,成绩登记表!myRng1,1),"
     "RANK(成绩登记表!A2,成绩登记表!myRng1))<=成绩登记表!数目1)"},
    {"成绩登记表", "条件2",
     "=(IF(成绩登记表!计法2=\"计时\",RANK(成绩登记表!A1,成绩登记表!myRng,1),"
     "RANK(成绩登记表!A1,成绩登记表!myRng))<=成绩登记表!数目2)"},
}};
// The name as Workbook::AddName takes a sheet-level name: "'sheet'!name".
std::string QualifiedName(const NameDefinition& def);

// ---- program-wide tables ----

// Numeral table: entry i stands for i + 1.
inline constexpr std::array<std::string_view, 10> kNumerals{"一", "二", "三", "四", "五", "六", "七", "八", "九", "十"};

// Extension table, chosen by the host's version.
struct ExtensionTable {
  std::string_view meetWorkbook;   // entry 0: meet and registration workbooks
  std::string_view meetTemplate;   // entry 1: the meet template
  std::string_view plainWorkbook;  // entry 2: plain workbooks (schedule, exports)
  std::string_view plainTemplate;  // entry 3: plain templates (schedule)
  // Entry 0 to 3; throws std::out_of_range otherwise.
  std::string_view operator[](int entry) const;
};
// True when the whole-number part of the version text is above 11 ("12.0",
// "16.0"); "11.0", and text that does not start with a number, are the older
// family.
bool IsNewerFileFamily(std::string_view version);
// ".xlsm" ".xltm" ".xlsx" ".xltx" for the newer family, else ".xls" ".xlt" ".xls" ".xlt".
ExtensionTable ExtensionsForVersion(std::string_view version);

// The meet workbook among the host's open workbooks: the last one (in the
// host's order) whose name begins with kRecognitionPrefix; null when none.
host::Workbook* FindMeetWorkbook(const host::WorkbookHost& host);
bool IsMeetWorkbookName(std::string_view workbookName);

// ---- dated file names ----

// prefix + "YYYY-MM-DD" + "_" + five-digit seconds of the day + extension.
// Throws HostError for an invalid date or seconds outside 0..86399.
std::string DatedFileName(std::string_view prefix, std::chrono::year_month_day date, int secondsOfDay,
                          std::string_view extension);
// "号码对照表及分组分道编排表_2024-04-09_03715.xlsm".
std::string MeetWorkbookFileName(std::chrono::year_month_day date, int secondsOfDay, std::string_view extension);

enum class DatedNameMatch {
  NoMatch,     // not of the form prefix + "????-??-??_?????" + extension
  Match,       // of that form, with a real date and seconds of the day
  Unreadable,  // of that form, but the date or the seconds do not read: skip it
};
struct DatedName {
  DatedNameMatch match = DatedNameMatch::NoMatch;
  std::chrono::year_month_day date{};  // when Match
  int secondsOfDay = 0;                // when Match
};
// Matches a file name (no folder) against prefix + "????-??-??_?????" +
// extension, where each ? is one character. The extension is compared without
// regard to ASCII case, as the file systems the files come from do.
DatedName MatchDatedFileName(std::string_view prefix, std::string_view fileName, std::string_view extension);
DatedName MatchMeetWorkbookFileName(std::string_view fileName, std::string_view extension);
// True when `candidate` is more recent than `current`: a later date, or the
// same date and a greater stamp. Both must be Match.
bool IsMoreRecent(const DatedName& candidate, const DatedName& current);

// ---- stages ----

// How far a meet has come, read from its sheet count: with b = teams + 7, at
// most b sheets: not consolidated; above b: consolidated (stages 1-2); above
// b + 2: reports (stages 3-4); above b + 4: record tables (stages 5-8).
enum class MeetStage { NotConsolidated, Consolidated, Reports, RecordTables };
MeetStage StageFromSheetCount(int sheetCount, int teamSheetCount);

}  // namespace korvane::meet
