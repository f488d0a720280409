// The schedule template. 附件 keeps the five item lists of the arrangement
// dialog side by side (data from row 3, headings in rows 1-2); 径赛 and 田赛 are
// the printed schedule (headings in row 1, data from row 2). The program never
// writes the heading rows.
//
// The page counts of the schedule assume 28 schedule rows per printed page:
// every row is one height, so a page holds the repeated heading row and 28
// rows below it.

#include <string>
#include <vector>

#include "builders.h"
#include "kit.h"
#include "meet/layout.h"

namespace korvane::templates {

using namespace korvane::host;

namespace {

namespace sb = korvane::meet::schedule_book;
// The sheet names as C strings (each view is a whole string literal).
constexpr const char* kListsSheet = sb::kListsSheet.data();
constexpr const char* kTrackSheet = sb::kTrackSheet.data();
constexpr const char* kFieldSheet = sb::kFieldSheet.data();

// First column of each list block of 附件, and of the column after the last.
constexpr const auto& kBlockStart = sb::kBlockStartColumns;

struct Block {
  const char* title;
  std::vector<std::string> headings;
};

void BuildLists(Worksheet& ws) {
  const Block blocks[] = {
      {"径赛项目（待安排）", {"代码", "年级", "性别", "项目", "赛次", "组数"}},
      {"田赛项目（待安排）", {"代码", "年级", "性别", "项目", "赛次", "组数"}},
      {"附加项目", {"代码", "内容"}},
      {"径赛日程", {"代码", "年级/内容", "性别/时间", "项目/时长", "赛次", "组数", "用时"}},
      {"田赛日程", {"代码", "年级/内容", "性别/时间", "项目", "赛次", "组数", "开始_用时"}},
  };
  const double widths[] = {5, 9, 9, 11, 7, 10, 10};
  for (int k = 0; k < 5; ++k) {
    const int first = kBlockStart[k];
    const int last = kBlockStart[k + 1] - 2;
    Put(ws, 1, first, blocks[k].title);
    Merge(ws, Area(1, first, 1, last));
    for (int i = 0; i < static_cast<int>(blocks[k].headings.size()); ++i) {
      Put(ws, 2, first + i, blocks[k].headings[i]);
      Widths(ws, first + i, first + i, widths[i]);
    }
    Format(ws, Area(1, first, 1, last), Heading(12));
    Format(ws, Area(2, first, 2, last), Heading(10));
    Grid(ws, Area(1, first, 2, last));
    FormatColumns(ws, first, last, Look{.halign = xl::Center});
    if (k < 4) Widths(ws, last + 1, last + 1, 2);
  }
  ws.SetRowHeight(1, 24);
  ws.SetRowHeight(2, 20);
  Page(ws, xl::PaperA4, xl::Landscape, Inches(0.4), Inches(0.4), Inches(0.6), Inches(0.6));
}

// Row height and margins that put the heading row and 28 schedule rows on one A4 page.
constexpr double kScheduleRow = 25;

void BuildSchedule(Worksheet& ws, const char* title, const std::vector<std::string>& headings,
                   const std::vector<double>& widths) {
  for (int i = 0; i < static_cast<int>(headings.size()); ++i) {
    Put(ws, 1, i + 1, headings[i]);
    Widths(ws, i + 1, i + 1, widths[i]);
  }
  const int last = static_cast<int>(headings.size());
  // The column after the last keeps durations while the times are computed.
  Widths(ws, last + 1, last + 1, 8);
  FormatColumns(ws, 1, last, Look{.halign = xl::Center, .valign = xl::Center});
  FormatColumns(ws, 1, 1, Look{.halign = xl::Left});
  Format(ws, Area(1, 1, 1, last), Heading(11));
  Edge(ws, Area(1, 1, 1, last), xl::EdgeTop, xl::Continuous);
  Edge(ws, Area(1, 1, 1, last), xl::EdgeBottom, xl::Double);
  ws.SetDefaultRowHeight(kScheduleRow);
  ws.SetRowHeight(1, kScheduleRow);
  Page(ws, xl::PaperA4, xl::Portrait, Inches(0.5), Inches(0.5), Inches(0.75), Inches(0.75));
  PageSetup& p = ws.Page();
  p.centerHorizontally = true;
  p.centerHeader = title;
  p.centerFooter = "第 &P 页";
  FitColumnsToPage(ws);
}

}  // namespace

Workbook& BuildScheduleTemplate(WorkbookHost& host) {
  Workbook& book = NewWorkbook(host, {kListsSheet, kTrackSheet, kFieldSheet});
  BuildLists(book.Sheet(kListsSheet));
  BuildSchedule(book.Sheet(kTrackSheet), "径赛日程安排",
                {"日期", "时间", "年级", "性别", "项目", "赛次", "组数（人数）"}, {12, 13, 10, 6, 13, 8, 13});
  BuildSchedule(book.Sheet(kFieldSheet), "田赛日程安排",
                {"日期", "裁判组", "时间", "年级", "性别", "项目", "赛次", "组数（人数）"},
                {11, 10, 12, 9, 5, 12, 7, 13});
  book.AddName(std::string("'") + kListsSheet + "'!Print_Titles", std::string("=") + kListsSheet + "!$1:$2");
  book.AddName(std::string("'") + kTrackSheet + "'!Print_Titles", std::string("=") + kTrackSheet + "!$1:$1");
  book.AddName(std::string("'") + kFieldSheet + "'!Print_Titles", std::string("=") + kFieldSheet + "!$1:$1");
  book.SetActiveSheet(book.Sheet(kTrackSheet));
  return book;
}

}  // namespace korvane::templates
