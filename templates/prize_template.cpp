// The prize template. On 设置 the program fills the event headings (row 2 from
// F), the grade names (A3, A6, ... A21) and removes the blocks of grades the
// meet does not have; the organiser fills the place counts and marks with "／"
// the events a group gets no individual award for. The other three sheets
// receive the prize lines and are the mail-merge sources of the certificates:
// their row 1 holds the merge field names.
//
// 设置 stays unprotected: the program deletes rows and draws borders on it.

#include <string>

#include "builders.h"
#include "kit.h"
#include "meet/layout.h"

namespace korvane::templates {

using namespace korvane::host;
namespace layout = korvane::meet;

namespace {

constexpr int kGradeBlocks = 7;
constexpr int kFirstBlockRow = 3;
constexpr int kLastBlockRow = kFirstBlockRow + 3 * kGradeBlocks - 1;  // 23
constexpr int kFirstEventCol = 6;                                     // F
constexpr int kPreparedEventCols = 80;                                // event cells unlocked up to CB

constexpr const char* kGroups[] = {"男子组", "女子组", "混合组"};
constexpr int kTeamPlaces = 3;                  // 团体总分奖: first three classes of a grade
constexpr int kIndividualPlaces[] = {6, 6, 0};  // 单项奖: first six; no mixed group by default

void BuildSettings(Worksheet& ws) {
  Widths(ws, 1, 1, 8);
  Widths(ws, 2, 2, 10);
  Widths(ws, 3, 3, 8);
  Widths(ws, 4, 5, 10);
  Widths(ws, kFirstEventCol, 40, 6);

  Put(ws, "A1", "赛事奖项设置");
  Merge(ws, Area("A1:E1"));
  Format(ws, Area("A1:E1"), Title(16));
  ws.SetRowHeight(1, 30);
  PutRow(ws, 2, 1, {"年级", "组别", "备注", "团体总分奖名次数", "单项奖名次数"});
  Format(ws, Area("A2:E2"), Heading(10));
  ws.SetRowHeight(2, 48);

  for (int g = 0; g < kGradeBlocks; ++g) {
    const int top = kFirstBlockRow + 3 * g;
    Merge(ws, Area(top, 1, top + 2, 1));  // the grade name, written by the program
    Merge(ws, Area(top, 4, top + 2, 4));
    Put(ws, top, 4, kTeamPlaces);
    for (int i = 0; i < 3; ++i) {
      Put(ws, top + i, 2, kGroups[i]);
      Put(ws, top + i, 5, kIndividualPlaces[i]);
    }
  }
  Format(ws, Area(kFirstBlockRow, 1, kLastBlockRow, kPreparedEventCols), Centered());
  Format(ws, Area(kFirstBlockRow, 1, kLastBlockRow, 1), Look{.bold = true});
  Grid(ws, Area(2, 1, kLastBlockRow, 5));
  Unlock(ws, Area(kFirstBlockRow, 2, kLastBlockRow, kPreparedEventCols));

  Put(ws, 25, 1,
      "说明：1. 年级（A列）和比赛项目（第2行F列起）由“赛事奖项—设置”根据报名表自动填入。\n"
      "2. D列填写各年级团体总分奖的录取名次数，E列填写各组别单项奖的录取名次数（0表示不设，最多10名）。\n"
      "3. 某组别某项目不设单项奖时，在对应格内填“／”；B列组别名称将印在单项奖证书上。");
  Merge(ws, Area(25, 1, 28, 16));
  Format(ws, Area(25, 1, 28, 16), Note());
  Page(ws, xl::PaperA4, xl::Landscape, Inches(0.5), Inches(0.5), Inches(0.6), Inches(0.6));
}

void BuildLines(Worksheet& ws, std::initializer_list<CellValue> headings, std::initializer_list<double> widths) {
  PutRow(ws, 1, 1, headings);
  int c = 1;
  for (double w : widths) Widths(ws, c, c, w), ++c;
  Format(ws, Area(1, 1, 1, static_cast<int>(headings.size())), Heading(11));
  FormatColumns(ws, 1, static_cast<int>(headings.size()), Look{.halign = xl::Center});
  Page(ws, xl::PaperA4, xl::Portrait, Inches(0.7), Inches(0.7), Inches(0.75), Inches(0.75));
}

}  // namespace

Workbook& BuildPrizeTemplate(WorkbookHost& host) {
  std::vector<std::string> names{"设置"};
  for (std::string_view t : layout::kAwardTypes) names.emplace_back(t);
  Workbook& book = NewWorkbook(host, names);
  BuildSettings(book.Sheet("设置"));
  BuildLines(book.Sheet(std::string(layout::kAwardTypes[0])), {"年级"}, {12});
  BuildLines(book.Sheet(std::string(layout::kAwardTypes[1])), {"年级", "名次"}, {12, 8});
  BuildLines(book.Sheet(std::string(layout::kAwardTypes[2])), {"年级", "组别", "项目", "名次"}, {12, 12, 16, 8});
  book.SetActiveSheet(book.Sheet("设置"));
  return book;
}

}  // namespace korvane::templates
