// The meet template. Every new meet workbook is a copy of it, so besides its
// look it carries a complete default meet (six grades, their classes, the
// form parameters, an event catalogue and the events held per grade and sex)
// that the organiser adjusts through 初始化... and 项目管理....
//
// What the commands rely on, and how this file keeps it:
// - 设置: the number of grades is the last used row of column A minus 1, so
//   column A holds nothing below the grades; C1 is the first report page and
//   starts empty; the cells the organiser types into and C1 (written by the
//   schedule while the sheet is protected) are unlocked.
// - 报名表样表: the number of events is the last used column of row 3 minus 3,
//   so row 3 holds nothing right of the events; rows 4-5 and 6-7 are the two
//   athlete blocks numbered 1, 2 in column B; row 8 is the closing row and A8
//   the last used cell of column A. The team sheets copied from it stay
//   protected while the program writes C2 and the entries, so those are unlocked.
// - 成绩登记表: the highlighting rules use the sheet-level names that the
//   program also adds to every new meet workbook.
// - 记录表1-3: the five judges' forms at fixed ranges with fixed reserved
//   cells; the program pastes further copies below them and writes into them
//   while the sheets are protected.

#include <iterator>
#include <string>
#include <vector>

#include "builders.h"
#include "host/range.h"
#include "kit.h"
#include "meet/form_sheet.h"
#include "meet/layout.h"

namespace korvane::templates {

using namespace korvane::host;
namespace layout = korvane::meet;

namespace {

// ---- the default meet ----

struct GradeSeed {
  const char* name;
  int classes;
};
constexpr GradeSeed kGrades[] = {{"初一", 4}, {"初二", 4}, {"初三", 4}, {"高一", 3}, {"高二", 3}, {"高三", 3}};

constexpr int kRowsPerTeam = 20;         // H2: ten boys and ten girls per class
constexpr int kMaxPerTeamPerEvent = 2;   // H3
constexpr int kMaxEventsPerAthlete = 2;  // H4
constexpr int kMaxPerGroup = 12;         // H5

struct CatalogueEvent {
  const char* name;
  int laneRule;  // 1 分道, 2 不分道&不分组, 3 分组不分道/田赛分组
  int method;    // 1 计时, 2 计高, 3 计远, 4 计个
  // Held by junior (初) and senior grades, for boys and for girls.
  bool juniorBoys, juniorGirls, seniorBoys, seniorGirls;
};
constexpr CatalogueEvent kCatalogue[] = {
    {"100米", 1, 1, true, true, true, true},       {"200米", 1, 1, true, true, true, true},
    {"400米", 1, 1, true, true, true, true},       {"800米", 3, 1, true, true, false, true},
    {"1500米", 3, 1, false, false, true, false},   {"跳高", 3, 2, true, true, true, true},
    {"跳远", 3, 3, true, true, true, true},        {"铅球", 3, 3, false, false, true, true},
    {"实心球", 3, 3, true, true, false, false},    {"跳绳", 3, 4, true, true, false, false},
    {"4×100米接力", 1, 1, true, true, true, true},
};
constexpr int kEventCount = static_cast<int>(std::size(kCatalogue));
constexpr int kGradeCount = static_cast<int>(std::size(kGrades));

int TotalTeams() {
  int n = 0;
  for (const GradeSeed& g : kGrades) n += g.classes;
  return n;
}

bool IsJunior(const std::string& grade) { return grade.rfind(std::string(layout::settings::kJuniorGradeMark), 0) == 0; }

bool Held(const CatalogueEvent& e, bool junior, int sex) {
  if (junior) return sex == 1 ? e.juniorBoys : e.juniorGirls;
  return sex == 1 ? e.seniorBoys : e.seniorGirls;
}

struct ConfiguredEvent {
  int grade;  // 0-based into kGrades
  int event;  // 0-based into kCatalogue
  int sex;    // 1 男子, 2 女子
  std::string Title() const {
    return std::string(kGrades[grade].name) + std::string(layout::kSexes[sex - 1]) + kCatalogue[event].name;
  }
};

// Ordered as the event dialog writes them: by grade, catalogue position, sex.
std::vector<ConfiguredEvent> DefaultEvents() {
  std::vector<ConfiguredEvent> out;
  for (int g = 0; g < kGradeCount; ++g)
    for (int e = 0; e < kEventCount; ++e)
      for (int sex = 1; sex <= 2; ++sex)
        if (Held(kCatalogue[e], IsJunior(kGrades[g].name), sex)) out.push_back({g, e, sex});
  return out;
}

constexpr std::uint32_t kInputFill = 0xFFFFF2CC;  // pale yellow: cells the organiser fills

// ---- 设置 ----

constexpr int kTeamRowsPrepared = 150;  // team names and leaders for up to 150 teams
constexpr int kTeamModeRowsPrepared = 50;

// Name of team t in class mode, as registration form creation writes it:
// grade + "(" + k + ")班". Empty beyond the last team and in team mode, where
// the names come from columns L and O.
std::string TeamNameFormula(int t) {
  std::string f = "\"\"";
  for (int g = layout::settings::kMaxGrades; g >= 1; --g) {
    const std::string row = std::to_string(g + 1);
    const std::string number = g == 1 ? std::to_string(t) : "(" + std::to_string(t) + "-$C$" + std::to_string(g) + ")";
    f = "IF($C$" + row + ">=" + std::to_string(t) + ",$A$" + row + "&\"(\"&" + number + "&\")班\"," + f + ")";
  }
  return "IF($M$1=\"√\",\"\",IF(" + std::to_string(t) + ">$B$9,\"\"," + f + "))";
}

std::string TeamNameOf(int t) {
  if (t > TotalTeams()) return "";
  for (const GradeSeed& g : kGrades) {
    if (t <= g.classes) return std::string(g.name) + "(" + std::to_string(t) + ")班";
    t -= g.classes;
  }
  return "";
}

void BuildSettings(Worksheet& ws) {
  namespace s = layout::settings;
  Widths(ws, 1, 3, 8);
  Widths(ws, 4, 4, 16);
  Widths(ws, 5, 5, 16);
  Widths(ws, 6, 6, 2);
  Widths(ws, 7, 7, 26);
  Widths(ws, 8, 8, 8);
  Widths(ws, 9, 11, 6);
  Widths(ws, 12, 12, 22);
  Widths(ws, 13, 13, 14);
  Widths(ws, 14, 14, 2);
  Widths(ws, 15, 15, 22);
  Widths(ws, 16, 16, 14);
  ws.SetRowHeight(1, 30);

  // Grades, class counts, running totals and the total.
  Put(ws, "A1", "年级");
  Put(ws, "B1", "班级数");
  int total = 0;
  for (int g = 0; g < kGradeCount; ++g) {
    Put(ws, s::kFirstGradeRow + g, s::kGradeCol, kGrades[g].name);
    Put(ws, s::kFirstGradeRow + g, s::kTeamsCol, kGrades[g].classes);
  }
  for (int r = s::kFirstGradeRow; r <= s::kLastGradeRow; ++r) {
    const int g = r - s::kFirstGradeRow;
    if (g < kGradeCount) total += kGrades[g].classes;
    PutFormula(ws, "C" + std::to_string(r), "SUM($B$2:B" + std::to_string(r) + ")", total);
  }
  PutFormula(ws, "B9", "SUM(B2:B8)", total);
  Put(ws, "C9", "← 总数");
  Format(ws, Area("A1:C1"), Heading());
  Format(ws, Area("A2:C9"), Centered());
  Format(ws, Area("C9"), Look{.size = 10, .halign = xl::Left});
  Format(ws, Area("A2:B8"), Look{.fill = kInputFill});
  Format(ws, Area("B9"), Look{.bold = true});
  Grid(ws, Area("A1:C8"));
  Grid(ws, Area("B9"));
  Unlock(ws, Area("A2:B8"));
  // The first report page, written by the schedule.
  Format(ws, Area("C1"), Centered());
  Unlock(ws, Area("C1"));

  // Team names (computed for class mode) and their leaders.
  Put(ws, "D1", "班级（代表队）名称");
  Put(ws, "E1", "领队兼教练员");
  for (int t = 1; t <= kTeamRowsPrepared; ++t)
    PutFormula(ws, "D" + std::to_string(s::TeamRow(t)), TeamNameFormula(t), TeamNameOf(t));
  const RangeRef teams = Area(1, s::kTeamNameCol, s::TeamRow(kTeamRowsPrepared), s::kTeamLeaderCol);
  Format(ws, teams, Centered());
  Format(ws, Area("D1:E1"), Heading());
  Grid(ws, teams);
  Unlock(ws, Area(2, s::kTeamLeaderCol, s::TeamRow(kTeamRowsPrepared), s::kTeamLeaderCol));

  // The four form parameters, labelled in column G.
  Put(ws, "G1", "报名表参数");
  Put(ws, "H1", "数值");
  Put(ws, "G2", "每队报名人数（男女各半，须为偶数）");
  Put(ws, "G3", "每项每队限报人数");
  Put(ws, "G4", "每人限报项数（接力除外）");
  Put(ws, "G5", "不分道项目每组最多人数");
  Put(ws, s::RowsPerTeam.row, s::RowsPerTeam.col, kRowsPerTeam);
  Put(ws, s::MaxPerTeamPerEvent.row, s::MaxPerTeamPerEvent.col, kMaxPerTeamPerEvent);
  Put(ws, s::MaxEventsPerAthlete.row, s::MaxEventsPerAthlete.col, kMaxEventsPerAthlete);
  Put(ws, s::MaxPerGroup.row, s::MaxPerGroup.col, kMaxPerGroup);
  Format(ws, Area("G1:H1"), Heading());
  Format(ws, Area("G2:G5"), Look{.valign = xl::Center, .shrink = true});
  Format(ws, Area("H2:H5"), Look{.halign = xl::Center, .valign = xl::Center, .fill = kInputFill});
  Grid(ws, Area("G1:H5"));
  Unlock(ws, Area("H2:H5"));

  // Mode switch and the representative teams of team mode.
  Put(ws, "L1", "代表队模式（填“√”）");
  Format(ws, Area("L1"), Look{.bold = true, .halign = xl::Right, .valign = xl::Center});
  Format(ws, Area(s::kTeamModeFlag.row, s::kTeamModeFlag.col, s::kTeamModeFlag.row, s::kTeamModeFlag.col),
         Look{.size = 14, .halign = xl::Center, .valign = xl::Center, .fill = kInputFill});
  Grid(ws, Area("M1"));
  Unlock(ws, Area("M1"));
  Put(ws, "L3", "代表队模式：在下表依次填写第一、第二年级各代表队的名称及领队兼教练员（人数填在B2、B3）。");
  Merge(ws, Area("L3:P4"));
  Format(ws, Area("L3:P4"), Note());
  const int lastTeamModeRow = s::kTeamModeFirstRow + kTeamModeRowsPrepared - 1;
  PutRow(ws, s::kTeamModeFirstRow - 1, s::kTeamModeGrade1Col, {"第一年级代表队", "领队兼教练员"});
  PutRow(ws, s::kTeamModeFirstRow - 1, s::kTeamModeGrade2Col, {"第二年级代表队", "领队兼教练员"});
  for (int col : {s::kTeamModeGrade1Col, s::kTeamModeGrade2Col}) {
    const RangeRef table = Area(s::kTeamModeFirstRow - 1, col, lastTeamModeRow, col + 1);
    Format(ws, table, Centered());
    Format(ws, Area(table.r1, col, table.r1, col + 1), Heading());
    Grid(ws, table);
    Unlock(ws, Area(s::kTeamModeFirstRow, col, lastTeamModeRow, col + 1));
  }

  // How the sheet is filled in.
  Put(ws, "G7",
      "填写说明：\n"
      "1. A列从A2起依次填写年级名称（两个字，如“初一”“高二”；最多7个年级，中间不能留空，"
      "初中年级在前），B列填写该年级的班级（代表队）数；A列年级以下请勿填写任何内容。\n"
      "2. C列（累计班级数）、B9（总数）和D列（班级名称）由公式自动计算；E列填写各班领队兼教练员。\n"
      "3. H2为每队报名人数，男女各占一半，须为偶数；H3、H4、H5为报名限制和分组人数。\n"
      "4. M1填“√”为代表队模式（按队名报名），否则为班级模式。\n"
      "5. C1为报表起始页码，由“赛事日程”自动写入。");
  Merge(ws, Area("G7:K20"));
  Format(ws, Area("G7:K20"), Note());

  Page(ws, xl::PaperA4, xl::Landscape, Inches(0.5), Inches(0.5), Inches(0.6), Inches(0.6));
  FitColumnsToPage(ws);
  ws.Protect();
}

// ---- 报名表样表 ----

constexpr const char* kFormTitle = "田径运动会报名表";

void BuildForm(Worksheet& ws) {
  namespace f = layout::form;
  const int lastEventCol = f::kFirstEventCol + kEventCount - 1;
  constexpr int kPreparedEventCols = 32;  // widths and heading look for a longer catalogue
  constexpr int kUnlockedLastCol = layout::events::kLastEntrantCol;

  // Narrow columns: with the margins below at least 20 events fit one A4
  // page across (a sex, a row number, a name of four ideographs).
  Widths(ws, 1, 2, 3);
  Widths(ws, f::kAthleteNameCol, f::kAthleteNameCol, 8);
  Widths(ws, f::kFirstEventCol, kPreparedEventCols, meet::kEventColumnWidth);

  // Title over the event columns.
  Put(ws, "A1", kFormTitle);
  Merge(ws, Area(f::kTitleRow, 1, f::kTitleRow, lastEventCol));
  Format(ws, Area(f::kTitleRow, 1, f::kTitleRow, lastEventCol), Title(18));
  ws.SetRowHeight(f::kTitleRow, 36);

  // Row 2: the team label (class or representative team) and the team's name.
  PutFormula(ws, "A2", "IF(设置!M1=\"√\",\"代表队：\",\"班级：\")", "班级：");
  Merge(ws, Area("A2:B2"));
  Format(ws, Area("A2:B2"), Look{.bold = true, .halign = xl::Right, .valign = xl::Center});
  Merge(ws, Area("C2:F2"));
  Format(ws, Area("C2:F2"), Look{.size = 12, .bold = true, .halign = xl::Left, .valign = xl::Center});
  Edge(ws, Area("C2:F2"), xl::EdgeBottom, xl::Continuous);
  Unlock(ws, Area("C2:F2"));
  ws.SetRowHeight(2, 24);

  // Row 3: headings, the event catalogue from D3.
  PutRow(ws, f::kHeadingRow, 1, {"性别", "序号", "姓名"});
  for (int e = 0; e < kEventCount; ++e) Put(ws, f::kHeadingRow, f::kFirstEventCol + e, kCatalogue[e].name);
  Format(ws, Area(f::kHeadingRow, 1, f::kHeadingRow, f::kAthleteNameCol), Heading(10));
  Format(ws, Area(f::kHeadingRow, f::kFirstEventCol, f::kHeadingRow, kPreparedEventCols),
         Heading(meet::kEventHeadingFontSize));
  for (int e = 0; e < kEventCount; ++e) meet::OrientEventHeading(ws, f::kFirstEventCol + e);
  // Tall enough for a vertical name of six ideographs; the page keeps its
  // one-page height with the athlete rows' 560 points.
  ws.SetRowHeight(f::kHeadingRow, 72);

  // Athlete rows: boys 4-5, girls 6-7, numbered 1, 2 in each block.
  Put(ws, f::kTemplateMaleFirstRow, 1, std::string(layout::kMale));
  Put(ws, f::kTemplateFemaleFirstRow, 1, std::string(layout::kFemale));
  Merge(ws, Area(f::kTemplateMaleFirstRow, 1, f::kTemplateMaleLastRow, 1));
  Merge(ws, Area(f::kTemplateFemaleFirstRow, 1, f::kTemplateFemaleLastRow, 1));
  for (int r = f::kTemplateMaleFirstRow; r <= f::kTemplateFemaleLastRow; ++r) {
    const int block = r <= f::kTemplateMaleLastRow ? f::kTemplateMaleFirstRow : f::kTemplateFemaleFirstRow;
    Put(ws, r, f::kRowNumberCol, r - block + 1);
  }
  const RangeRef athletes = Area(f::kTemplateMaleFirstRow, 1, f::kTemplateFemaleLastRow, kPreparedEventCols);
  Format(ws, athletes, Centered());
  Format(ws, Area(f::kTemplateMaleFirstRow, 1, f::kTemplateFemaleLastRow, 1), Look{.bold = true, .rotation = 255});
  Heights(ws, f::kTemplateMaleFirstRow, f::kTemplateFemaleLastRow, f::AthleteRowHeight(kRowsPerTeam));
  // Names and ticks, also in the columns of events added later.
  Unlock(ws, Area(f::kTemplateMaleFirstRow, f::kAthleteNameCol, f::kTemplateFemaleLastRow, kUnlockedLastCol));
  // The tick cells offer "√"; the rows inserted for the team size take it too.
  meet::SetTickValidation(ws, f::kTemplateFemaleLastRow, lastEventCol);

  // Lines: a grid over headings and athletes, a double line between the
  // blocks. The double line is the bottom edge of the last boys' row only, so
  // that rows inserted into the girls' block (they copy the first girls' row)
  // do not repeat it.
  Grid(ws, Area(f::kHeadingRow, 1, f::kTemplateFemaleLastRow, lastEventCol));
  const RangeRef girlsTop = Area(f::kTemplateFemaleFirstRow, 1, f::kTemplateFemaleFirstRow, lastEventCol);
  Edge(ws, girlsTop, xl::EdgeTop, xl::LineNone);
  Edge(ws, Area(f::kTemplateMaleLastRow, 1, f::kTemplateMaleLastRow, lastEventCol), xl::EdgeBottom, xl::Double);

  // The closing row: A8 is the last cell of column A; B8 states the limits.
  const int closing = f::kTemplateClosingRow;
  Put(ws, closing, 1, "注：");
  PutFormula(ws, "B" + std::to_string(closing),
             "\"每人限报\"&设置!H4&\"项（接力除外），每项每队限报\"&设置!H3&\"人；请在所报项目下方格内打“√”。\"",
             "每人限报" + std::to_string(kMaxEventsPerAthlete) + "项（接力除外），每项每队限报" +
                 std::to_string(kMaxPerTeamPerEvent) + "人；请在所报项目下方格内打“√”。");
  Format(ws, Area(closing, 1, closing, 2), Look{.size = 10, .halign = xl::Left, .valign = xl::Center});
  ws.SetRowHeight(closing, 24);

  Page(ws, xl::PaperA4, xl::Portrait, Inches(0.25), Inches(0.25), Inches(0.6), Inches(0.6));
  ws.Page().centerHorizontally = true;
  ws.Protect();
}

// ---- 比赛项目名单 ----

void BuildEvents(Worksheet& ws, const std::vector<ConfiguredEvent>& events) {
  namespace e = layout::events;
  const int n = static_cast<int>(events.size());
  const int lastRow = e::EventRow(n);

  Widths(ws, e::kGradeCol, e::kGradeCol, 6);
  Widths(ws, e::kLaneRuleCol, e::kMethodCol, 5);
  Widths(ws, e::kTitleCol, e::kTitleCol, 22);
  Widths(ws, e::kEntrantCountCol, e::kEntrantCountCol, 5);
  Widths(ws, e::kFirstEntrantCol, e::kLastEntrantCol, 8);

  PutRow(ws, 1, 1, {"年级", "分道", "计量", "比赛项目", "人数"});
  Put(ws, "A2", "已设项目数");
  Merge(ws, Area("A2:C2"));
  Put(ws, e::kEventCount.row, e::kEventCount.col, n);
  for (int k = 1; k <= e::MaxEntrantsPerEvent; ++k) Put(ws, 2, e::kFirstEntrantCol + k - 1, k);
  Format(ws, Area(1, 1, 2, e::kLastEntrantCol), Heading(10));
  Grid(ws, Area("A1:E2"));
  Grid(ws, Area(2, e::kFirstEntrantCol, 2, e::kLastEntrantCol));
  // The grade-merge flags F1:I1 are written while the sheet is protected.
  Unlock(ws, Area(e::kMergeFlagsFirst.row, e::kMergeFlagsFirst.col, e::kMergeFlagsFirst.row,
                  e::kMergeFlagsFirst.col + e::kMergeFlagCount - 1));

  for (int k = 1; k <= n; ++k) {
    const ConfiguredEvent& ev = events[k - 1];
    const int r = e::EventRow(k);
    Put(ws, r, e::kGradeCol, kGrades[ev.grade].name);
    Put(ws, r, e::kLaneRuleCol, kCatalogue[ev.event].laneRule);
    Put(ws, r, e::kMethodCol, kCatalogue[ev.event].method);
    Put(ws, r, e::kTitleCol, ev.Title());
  }
  // Equal neighbouring grades share one merged cell.
  int start = e::kFirstEventRow;
  for (int r = e::kFirstEventRow + 1; r <= lastRow + 1; ++r) {
    if (r == lastRow + 1 || events[r - e::kFirstEventRow].grade != events[start - e::kFirstEventRow].grade) {
      if (r - 1 > start) Merge(ws, Area(start, e::kGradeCol, r - 1, e::kGradeCol));
      start = r;
    }
  }
  Format(ws, Area(e::kFirstEventRow, 1, lastRow, e::kLastEntrantCol), Centered());
  Format(ws, Area(e::kFirstEventRow, e::kTitleCol, lastRow, e::kTitleCol), Look{.halign = xl::Left});
  Grid(ws, Area(e::kFirstEventRow, 1, lastRow, e::kLastEntrantCol));

  Page(ws, xl::PaperA4, xl::Landscape, Inches(0.5), Inches(0.5), Inches(0.6), Inches(0.6));
  ws.Page().centerFooter = "第 &P 页";
  ws.Protect();
}

// ---- 成绩登记表 ----

// Event rows prepared for results: event k owns rows 2k+1 and 2k+2.
constexpr int kRegisterEvents = 500;
constexpr int kRegisterLastRow = 2 * kRegisterEvents + 2;
constexpr int kRegisterFirstEntrantCol = 5;                                                                  // E
constexpr int kRegisterLastEntrantCol = kRegisterFirstEntrantCol + layout::events::MaxEntrantsPerEvent - 1;  // CA

void BuildRegister(Worksheet& ws) {
  Widths(ws, 1, 1, 20);
  Widths(ws, 2, 2, 5);
  Widths(ws, 3, 3, 6);
  Widths(ws, 4, 4, 5);
  Widths(ws, kRegisterFirstEntrantCol, kRegisterLastEntrantCol, 6);

  Put(ws, "A1", "运动会成绩登记表");
  Merge(ws, Area("A1:T1"));
  Format(ws, Area("A1:T1"), Title(16));
  ws.SetRowHeight(1, 30);
  PutRow(ws, 2, 1, {"比赛项目", "计法", "录取名次", "类别"});
  for (int k = 1; k <= layout::events::MaxEntrantsPerEvent; ++k) Put(ws, 2, kRegisterFirstEntrantCol + k - 1, k);
  Format(ws, Area(2, 1, 2, kRegisterLastEntrantCol), Heading(10));
  ws.SetRowHeight(2, 30);
  Edge(ws, Area(2, 1, 2, kRegisterLastEntrantCol), xl::EdgeBottom, xl::Continuous);

  // Titles, method and row labels are written by score management; results
  // (every second row) and the number of places are typed by the user.
  Format(ws, Area(3, 1, kRegisterLastRow, 4), Centered());
  Format(ws, Area(3, 1, kRegisterLastRow, 1), Look{.wrap = true});
  Unlock(ws, Area(3, 3, kRegisterLastRow, 3));
  for (int r = 4; r <= kRegisterLastRow; r += 2)
    Unlock(ws, Area(r, kRegisterFirstEntrantCol, r, kRegisterLastEntrantCol));

  // Leading places: 条件1 on the number rows (odd), 条件2 on the result rows (even).
  ConditionalFormat cf;
  cf.areas.push_back(Area(3, kRegisterFirstEntrantCol, kRegisterLastRow, kRegisterLastEntrantCol));
  DiffStyle highlight;
  highlight.bold = true;
  highlight.setBold = true;
  highlight.fontColor = 0xFF9C0006;
  highlight.fill = 0xFFFFC7CE;
  ConditionalRule numbers;
  numbers.formula = "AND(MOD(ROW(E3),2)=1,条件1)";
  numbers.format = highlight;
  numbers.priority = 1;
  ConditionalRule results;
  results.formula = "AND(MOD(ROW(E3),2)=0,条件2)";
  results.format = highlight;
  results.priority = 2;
  cf.rules = {numbers, results};
  ws.ConditionalFormats().push_back(cf);

  Page(ws, xl::PaperA4, xl::Landscape, Inches(0.5), Inches(0.5), Inches(0.6), Inches(0.6));
  ws.Page().printGridlines = true;
  ws.Page().centerFooter = "第 &P 页";
  ws.Protect();
}

// ---- the judges' forms ----
//
// All rows of a record sheet have one height (the sheet's default height):
// further copies of a form are pasted below without their row heights, and
// must still fall on the pages the program counts with (17 rows per page for
// timed forms, 23 for height forms, 37 for distance and counted forms).

const std::string kGroupNumberFormat = "\"第\"0\"组\"";
const std::string kGroupCountFormat = "\"共\"0\"组\"";

Look Label() { return Look{.bold = true, .halign = xl::Center, .valign = xl::Center, .shrink = true}; }

// Rows T+1 (title and group cells) of a form: a label, the title from column
// B merged over `titleTo`, a label for the group cells, the two group cells.
void FormHeader(Worksheet& ws, int top, int titleTo, int groupLabelFrom, int groupCol) {
  const int r = top + 1;
  Put(ws, r, 1, "项目");
  Merge(ws, Area(r, 2, r, titleTo));
  Format(ws, Area(r, 2, r, titleTo), Look{.size = 12, .bold = true, .halign = xl::Left, .valign = xl::Center});
  Unlock(ws, Area(r, 2, r, titleTo));
  Put(ws, r, groupLabelFrom, "组次");
  if (groupCol - 1 > groupLabelFrom) Merge(ws, Area(r, groupLabelFrom, r, groupCol - 1));
  Format(ws, Area(r, 1, r, 1), Label());
  Format(ws, Area(r, groupLabelFrom, r, groupCol - 1), Label());
  Format(ws, Area(r, groupCol, r, groupCol + 1),
         Look{.bold = true, .halign = xl::Center, .valign = xl::Center, .shrink = true});
  Format(ws, Area(r, groupCol, r, groupCol), Look{.numberFormat = kGroupNumberFormat});
  Format(ws, Area(r, groupCol + 1, r, groupCol + 1), Look{.numberFormat = kGroupCountFormat});
  Unlock(ws, Area(r, groupCol, r, groupCol + 1));
}

void FormTitle(Worksheet& ws, int row, int lastCol, const char* text) {
  Put(ws, row, 1, text);
  Merge(ws, Area(row, 1, row, lastCol));
  Format(ws, Area(row, 1, row, lastCol), Title(16));
}

// Timed form at rows top..top+6 (relay: top..top+5), columns A:J: lanes 一 to 八
// in B:I, names in row top+3, numbers in row top+4 (not for relays), the
// print sequence label in J(top+2).
void TimedForm(Worksheet& ws, int top, bool relay) {
  constexpr int kLastCol = 10;  // J
  FormTitle(ws, top, kLastCol, relay ? "接力项目起终点记录表" : "径赛起终点记录表");
  FormHeader(ws, top, 6, 7, 8);  // title B:F, label G, group cells H and I
  const int lanes = top + 2;
  Put(ws, lanes, 1, "道次");
  for (int k = 0; k < 8; ++k) Put(ws, lanes, 2 + k, std::string(layout::kNumerals[k]));
  Format(ws, Area(lanes, 1, lanes, 9), Label());
  Format(ws, Area(lanes, kLastCol, lanes, kLastCol),
         Look{.size = 9, .halign = xl::Right, .valign = xl::Center, .shrink = true});
  std::vector<std::string> labels = relay ? std::vector<std::string>{"队名", "成绩", "名次"}
                                          : std::vector<std::string>{"姓名", "号码", "成绩", "名次"};
  const int first = top + 3;
  const int last = first + static_cast<int>(labels.size()) - 1;
  for (int i = 0; i < static_cast<int>(labels.size()); ++i) Put(ws, first + i, 1, labels[i]);
  Format(ws, Area(first, 1, last, 1), Label());
  Format(ws, Area(first, 2, last, 9), Look{.halign = xl::Center, .valign = xl::Center, .shrink = true});
  Format(ws, Area(first, 2, first, 9), Look{.size = 12, .bold = true});
  Put(ws, first, kLastCol, "备注");
  Format(ws, Area(first, kLastCol, first, kLastCol), Label());
  Merge(ws, Area(first + 1, kLastCol, last, kLastCol));
  Grid(ws, Area(top + 1, 1, last, kLastCol));
  Line(ws, Area(top + 1, 1, last, 1), Side::Left, LineStyle::Medium);
  Line(ws, Area(top + 1, kLastCol, last, kLastCol), Side::Right, LineStyle::Medium);
  Line(ws, Area(top + 1, 1, top + 1, kLastCol), Side::Top, LineStyle::Medium);
  Line(ws, Area(last, 1, last, kLastCol), Side::Bottom, LineStyle::Medium);
}

void BuildTimedForms(Worksheet& ws) {
  // Every cell of this sheet stays editable: besides the reserved cells the
  // program pastes form copies below the first form and, for a long sheet,
  // moves the lower half of the pages beside the upper half (L:U).
  constexpr int kLastFoldedCol = 21;  // U
  UnlockColumns(ws, 1, kLastFoldedCol);
  const double row = 36;  // 17 rows fill a B4 page printed across
  ws.SetDefaultRowHeight(row);
  for (int half : {0, 11}) {
    Widths(ws, half + 1, half + 1, 6);
    Widths(ws, half + 2, half + 9, 6.5);
    Widths(ws, half + 10, half + 10, 12);
  }
  Widths(ws, 11, 11, 2);
  TimedForm(ws, 1, false);
  TimedForm(ws, 11, true);
  Heights(ws, 1, 17, row);
  Page(ws, xl::PaperB4, xl::Landscape, Inches(0.3), Inches(0.3), Inches(0.5), Inches(0.5));
  ws.Page().centerHorizontally = true;
  FitColumnsToPage(ws);
  ws.Protect();
}

// Height form A1:AW23: numbers and names of up to 20 athletes in A4:B23,
// fourteen bar heights of three attempts each (C:AR), best, place, points,
// remarks; group cells AT2:AU2.
void BuildHeightForm(Worksheet& ws) {
  constexpr int kLastCol = 49;  // AW
  constexpr int kFirstTry = 3;  // C
  constexpr int kHeights = 14;
  constexpr int kLastTry = kFirstTry + 3 * kHeights - 1;  // AR
  constexpr int kLastRow = 23;
  const double row = 27;  // 23 rows fill a B4 page printed across
  ws.SetDefaultRowHeight(row);
  Widths(ws, 1, 1, 5.5);
  Widths(ws, 2, 2, 7);
  Widths(ws, kFirstTry, kLastTry, 2);
  Widths(ws, kLastTry + 1, kLastTry + 1, 6);    // AS
  Widths(ws, kLastTry + 2, kLastTry + 3, 6.5);  // AT, AU
  Widths(ws, kLastTry + 4, kLastCol, 5);        // AV, AW

  Put(ws, "A1", "田赛高度记录表");
  Merge(ws, Area(1, 1, 1, 32));
  Format(ws, Area(1, 1, 1, 32), Title(16));
  Put(ws, 1, 33, "试跳成功记“○”，失败记“×”，免跳记“—”");
  Merge(ws, Area(1, 33, 1, kLastCol));
  Format(ws, Area(1, 33, 1, kLastCol), Look{.size = 9, .halign = xl::Right, .valign = xl::Bottom});

  FormHeader(ws, 1, 32, 33, 46);  // title B:AF, label AG:AS, group cells AT and AU
  Merge(ws, Area(2, 48, 2, kLastCol));

  Put(ws, "A3", "号码");
  Put(ws, "B3", "姓名");
  for (int h = 0; h < kHeights; ++h) {
    const int c = kFirstTry + 3 * h;
    Merge(ws, Area(3, c, 3, c + 2));  // the bar height, written in by the judges
  }
  PutRow(ws, 3, kLastTry + 1, {"最好成绩", "名次", "得分", "备注"});
  Merge(ws, Area(3, kLastTry + 4, 3, kLastCol));
  Format(ws, Area(3, 1, 3, kLastCol), Label());
  for (int r = 4; r <= kLastRow; ++r) Merge(ws, Area(r, kLastTry + 4, r, kLastCol));
  Format(ws, Area(4, 1, kLastRow, kLastCol), Look{.halign = xl::Center, .valign = xl::Center, .shrink = true});
  Unlock(ws, Area(4, 1, kLastRow, 2));

  Grid(ws, Area(2, 1, kLastRow, kLastCol));
  for (int h = 0; h <= kHeights; ++h) ColumnRule(ws, 3, kLastRow, kFirstTry + 3 * h, LineStyle::Medium);
  Line(ws, Area(2, 1, kLastRow, 1), Side::Left, LineStyle::Medium);
  Line(ws, Area(2, kLastCol, kLastRow, kLastCol), Side::Right, LineStyle::Medium);
  Line(ws, Area(2, 1, 2, kLastCol), Side::Top, LineStyle::Medium);
  Line(ws, Area(kLastRow, 1, kLastRow, kLastCol), Side::Bottom, LineStyle::Medium);
  Heights(ws, 1, kLastRow, row);

  // Further forms are pasted below while the sheet is protected.
  UnlockColumns(ws, 1, kLastCol);
  Page(ws, xl::PaperB4, xl::Landscape, Inches(0.3), Inches(0.3), Inches(0.5), Inches(0.5));
  ws.Page().centerHorizontally = true;
  FitColumnsToPage(ws);
  ws.Protect();
}

// Distance form A1:L17 (six trials, the first three and the final three
// apart) and counted form A21:L37 (three trials), 14 athletes each; group
// cells in J and K of the form's second row.
void TrialForm(Worksheet& ws, int top, bool counted) {
  constexpr int kLastCol = 12;  // L
  const int last = top + 16;
  FormTitle(ws, top, kLastCol, counted ? "计数项目记录表" : "田赛远度记录表");
  FormHeader(ws, top, 8, 9, 10);  // title B:H, label I, group cells J and K
  const int head = top + 2;
  Put(ws, head, 1, "号码");
  Put(ws, head, 2, "姓名");
  if (counted) {
    PutRow(ws, head, 3, {"第一次", "第二次", "第三次", "最好成绩", "名次", "得分", "备注"});
    Merge(ws, Area(head, 9, head, kLastCol));
    for (int r = head + 1; r <= last; ++r) Merge(ws, Area(r, 9, r, kLastCol));
  } else {
    PutRow(ws, head, 3,
           {"第一次", "第二次", "第三次", "第四次", "第五次", "第六次", "最好成绩", "名次", "得分", "备注"});
  }
  Format(ws, Area(head, 1, head, kLastCol), Label());
  Format(ws, Area(head + 1, 1, last, kLastCol), Look{.halign = xl::Center, .valign = xl::Center, .shrink = true});
  Unlock(ws, Area(head + 1, 1, last, 2));
  Grid(ws, Area(top + 1, 1, last, kLastCol));
  ColumnRule(ws, head, last, 6, LineStyle::Medium);  // after the third trial
  Line(ws, Area(top + 1, 1, last, 1), Side::Left, LineStyle::Medium);
  Line(ws, Area(top + 1, kLastCol, last, kLastCol), Side::Right, LineStyle::Medium);
  Line(ws, Area(top + 1, 1, top + 1, kLastCol), Side::Top, LineStyle::Medium);
  Line(ws, Area(last, 1, last, kLastCol), Side::Bottom, LineStyle::Medium);
}

void BuildTrialForms(Worksheet& ws) {
  constexpr int kLastCol = 12;
  const double row = 25;  // 37 rows fill a B4 page printed upright
  ws.SetDefaultRowHeight(row);
  Widths(ws, 1, 1, 6);
  Widths(ws, 2, 2, 8);
  Widths(ws, 3, 8, 8);
  Widths(ws, 9, 9, 8);
  Widths(ws, 10, 11, 7);
  Widths(ws, 12, 12, 8);
  TrialForm(ws, 1, false);
  TrialForm(ws, 21, true);
  Heights(ws, 1, 37, row);
  UnlockColumns(ws, 1, kLastCol);
  Page(ws, xl::PaperB4, xl::Portrait, Inches(0.5), Inches(0.5), Inches(0.5), Inches(0.5));
  ws.Page().centerHorizontally = true;
  FitColumnsToPage(ws);
  ws.Protect();
}

}  // namespace

Workbook& BuildMeetTemplate(WorkbookHost& host) {
  std::vector<std::string> names;
  for (std::string_view n : layout::kTemplateSheets) names.emplace_back(n);
  Workbook& book = NewWorkbook(host, names);
  const std::vector<ConfiguredEvent> events = DefaultEvents();

  BuildSettings(book.Sheet(std::string(layout::kSettingsSheet)));
  BuildForm(book.Sheet(std::string(layout::kFormSampleSheet)));
  BuildEvents(book.Sheet(std::string(layout::kEventsSheet)), events);
  BuildRegister(book.Sheet(std::string(layout::kScoreRegisterSheet)));
  BuildTimedForms(book.Sheet(std::string(layout::kRecordSheet1)));
  BuildHeightForm(book.Sheet(std::string(layout::kRecordSheet2)));
  BuildTrialForms(book.Sheet(std::string(layout::kRecordSheet3)));

  // The names the register's highlighting uses (and the events' print titles).
  for (const layout::NameDefinition& def : layout::kDefinedNames)
    book.AddName(layout::QualifiedName(def), std::string(def.refersTo));

  // The judges' forms are kept out of sight; the program shows them while it
  // copies them.
  for (std::string_view n : {layout::kRecordSheet1, layout::kRecordSheet2, layout::kRecordSheet3})
    book.Sheet(std::string(n)).SetVisible(false);
  book.SetActiveSheet(book.Sheet(std::string(layout::kSettingsSheet)));
  book.Protect(true, true);
  return book;
}

Workbook& NewWorkbook(WorkbookHost& host, const std::vector<std::string>& sheetNames) {
  Workbook& book = host.Add();
  Worksheet* last = &book.Sheet(1);
  last->SetName(sheetNames.at(0));
  for (std::size_t i = 1; i < sheetNames.size(); ++i) last = &book.AddSheet(nullptr, last, sheetNames[i]);
  return book;
}

}  // namespace korvane::templates
