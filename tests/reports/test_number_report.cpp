#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "reports/number_report.h"
#include "reports/report_fixture.h"

namespace korvane::reports {
namespace {

using namespace testing;
namespace xl = host::xl;

struct NumberBlock {
  int row = 0;  // first row
  int col = 0;  // label column
};

// Blocks of the number report, found by their 姓名(男) label two rows below the class name.
std::vector<NumberBlock> ReadBlocks(const host::Worksheet& ws) {
  std::vector<NumberBlock> blocks;
  for (int r = 3; r <= ws.LastUsedRow(); ++r)
    for (int c : {1, 2})
      if (At(ws, r, c) == "姓名(男)") blocks.push_back({r - 2, c});
  return blocks;
}

MeetSpec WithClasses(std::vector<ClassSpec> classes, int rowsPerTeam = 20) {
  MeetSpec spec;
  spec.rowsPerTeam = rowsPerTeam;
  spec.classes = std::move(classes);
  spec.events = {{"高一男子100米", "1", 3}};
  return spec;
}

TEST(NumberReport, OneBlockPerClassNamesAboveNumbersMenThenWomen) {
  std::vector<ClassSpec> classes = Classes(2);
  classes[0] = {"高一(1)班", "王老师", 3, 10};  // 3 men and 10 women of m = 10
  ReportFixture f(WithClasses(classes));
  f.CreateReport();
  host::Worksheet& ws = f.Numbers();
  const std::vector<NumberBlock> blocks = ReadBlocks(ws);
  ASSERT_EQ(blocks.size(), 2u);
  EXPECT_EQ(blocks[0].row, 1);
  EXPECT_EQ(blocks[1].row, 7);
  const int c = blocks[0].col;
  EXPECT_EQ(c, 2);  // page 21
  EXPECT_EQ(At(ws, 1, c), "高一(1)班");
  EXPECT_EQ(At(ws, 2, c), "领队兼教练员：王老师");
  EXPECT_EQ(At(ws, 3, c), "姓名(男)");
  EXPECT_EQ(At(ws, 4, c), "号码");
  EXPECT_EQ(At(ws, 5, c), "姓名(女)");
  EXPECT_EQ(At(ws, 6, c), "号码");
  for (int i = 0; i < 10; ++i) {
    EXPECT_EQ(At(ws, 3, c + 1 + i), i < 3 ? AthleteName(1, true, i) : "") << i;
    EXPECT_EQ(At(ws, 4, c + 1 + i), i < 3 ? AthleteNumber(1, i + 1) : "") << i;
    EXPECT_EQ(At(ws, 5, c + 1 + i), AthleteName(1, false, i)) << i;
    EXPECT_EQ(At(ws, 6, c + 1 + i), AthleteNumber(1, 11 + i)) << i;
  }
  EXPECT_EQ(At(ws, 3, c + 11), "");

  // Header rows merged across the block in 黑体 18 and 33 points high; the
  // athlete rows bordered, inside lines included.
  for (int r : {1, 2}) {
    const host::RangeRef* merge = ws.MergeAt(r, c);
    ASSERT_NE(merge, nullptr) << r;
    EXPECT_EQ(*merge, (host::RangeRef{r, c, r, c + 10}));
    EXPECT_EQ(ws.Cells(r, c).FontName(), "黑体");
    EXPECT_DOUBLE_EQ(ws.Cells(r, c).FontSize(), 18);
    EXPECT_DOUBLE_EQ(ws.RowHeight(r), meet::kTeamHeaderRowHeight);
  }
  EXPECT_DOUBLE_EQ(ws.RowHeight(3), meet::kDataRowHeight);
  for (int r = 3; r <= 6; ++r)
    for (int col = c; col <= c + 10; ++col) {
      EXPECT_EQ(ws.Cells(r, col).Border(xl::EdgeLeft), xl::Continuous) << r << "," << col;
      EXPECT_EQ(ws.Cells(r, col).Border(xl::EdgeTop), xl::Continuous) << r << "," << col;
    }
  EXPECT_EQ(ws.Cells(6, c + 10).Border(xl::EdgeRight), xl::Continuous);
  EXPECT_EQ(ws.Cells(6, c + 10).Border(xl::EdgeBottom), xl::Continuous);
  EXPECT_EQ(ws.Cells(3, c + 11).Border(xl::EdgeTop), xl::LineNone);  // nothing beyond the block
  EXPECT_EQ(ws.Cells(2, c).Border(xl::EdgeTop), xl::LineNone);

  // The class without a leader gets the label alone.
  f.book->Sheet(std::string(meet::kSettingsSheet)).ClearCell(3, 5);
  f.CreateReport();
  EXPECT_EQ(At(f.Numbers(), 8, c), "领队兼教练员：");
}

TEST(NumberReport, FourBlocksAPageAndTheFifthOnTheNextPageOneColumnLeft) {
  ReportFixture f(WithClasses(Classes(8, 10, 10)));
  f.CreateReport();
  host::Worksheet& ws = f.Numbers();
  EXPECT_EQ(ws.Page().firstPageNumber, 21);  // 设置!C1 empty
  const std::vector<NumberBlock> blocks = ReadBlocks(ws);
  ASSERT_EQ(blocks.size(), 8u);
  for (int i = 0; i < 8; ++i) {
    EXPECT_EQ(blocks[i].row, 1 + 6 * i);
    EXPECT_EQ(blocks[i].col, i < 4 ? 2 : 1) << i;  // B to L on page 21, A to K on page 22
    const int last = blocks[i].col + 10;
    EXPECT_EQ(At(ws, blocks[i].row + 2, last), AthleteName(i + 1, true, 9));
    EXPECT_EQ(At(ws, blocks[i].row + 2, last + 1), "");
  }
  // The columns: 12 of 6.75 for ten athletes of each sex.
  EXPECT_DOUBLE_EQ(ws.ColumnWidth(1), 6.75);
  EXPECT_DOUBLE_EQ(ws.ColumnWidth(12), 6.75);
  EXPECT_TRUE(ws.Cells(3, 3).ShrinkToFit());
  EXPECT_EQ(ws.Cells(3, 3).HorizontalAlignment(), xl::Center);
  const host::PageSetup& p = ws.Page();
  EXPECT_EQ(p.centerFooter, "第 &P 页");
  EXPECT_EQ(p.paperSize, xl::PaperA4);
  EXPECT_TRUE(p.centerHorizontally);
}

TEST(NumberReport, ClassesWithoutEntrantsAreSkippedAndOthersReadTheirOwnBlock) {
  std::vector<ClassSpec> classes = Classes(5, 4, 4);
  classes[1].men = classes[1].women = 0;
  classes[2].men = 0;  // women only: the class is still left out
  ReportFixture f(WithClasses(classes, 16));
  f.CreateReport();
  host::Worksheet& ws = f.Numbers();
  const std::vector<NumberBlock> blocks = ReadBlocks(ws);
  ASSERT_EQ(blocks.size(), 3u);
  EXPECT_EQ(blocks[1].row, 7);
  EXPECT_EQ(At(ws, 7, blocks[1].col), "高一(4)班");
  EXPECT_EQ(At(ws, 8, blocks[1].col), "领队兼教练员：老师4");
  // Class 4's athletes, from its own rows 2 + 3 * 16 on.
  EXPECT_EQ(At(ws, 9, blocks[1].col + 1), AthleteName(4, true, 0));
  EXPECT_EQ(At(ws, 10, blocks[1].col + 1), AthleteNumber(4, 1));
  EXPECT_EQ(At(ws, 11, blocks[1].col + 4), AthleteName(4, false, 3));
  EXPECT_EQ(At(ws, 12, blocks[1].col + 4), AthleteNumber(4, 8 + 4));
  EXPECT_EQ(At(ws, 13, blocks[2].col), "高一(5)班");
  EXPECT_EQ(At(ws, 17, blocks[2].col + 1), AthleteName(5, false, 0));
  // Eight athletes of each sex: 10 columns of 8.1, blocks nine columns wide.
  EXPECT_DOUBLE_EQ(ws.ColumnWidth(3), 8.1);
  EXPECT_NE(ws.MergeAt(7, blocks[1].col + 8), nullptr);
  EXPECT_EQ(ws.MergeAt(7, blocks[1].col + 9), nullptr);
  EXPECT_EQ(f.Rosters().Page().firstPageNumber, 23);  // 18 rows on page 21: the rosters on 22, so 23
}

TEST(NumberReport, NoClassesGiveAnEmptyReportWithItsPageSetup) {
  ReportFixture f(WithClasses(Classes(3, 0, 0)));
  f.CreateReport();
  host::Worksheet& ws = f.Numbers();
  EXPECT_EQ(ws.LastUsedRow(), 0);
  EXPECT_EQ(ws.Page().centerFooter, "第 &P 页");
  EXPECT_EQ(ws.Page().firstPageNumber, 21);
  EXPECT_EQ(f.Rosters().Page().firstPageNumber, 21);  // nothing filled: the rosters start on page 21
}

TEST(NumberReport, TheRostersStartOnPage23AfterThirtyAndAfterTwentyFourRows) {
  for (int classes : {5, 4}) {
    ReportFixture f(WithClasses(Classes(classes)));
    f.CreateReport();
    EXPECT_EQ(f.Numbers().LastUsedRow(), classes * 6);
    EXPECT_EQ(f.Numbers().Page().firstPageNumber, 21);
    EXPECT_EQ(f.Rosters().Page().firstPageNumber, 23) << classes << " classes";
  }
  // From page 30 set in 设置!C1: 30 rows fill pages 30 and 31, so the rosters start on 33.
  MeetSpec spec = WithClasses(Classes(5));
  spec.firstPage = 30;
  ReportFixture f(spec);
  f.CreateReport();
  EXPECT_EQ(f.Numbers().Page().firstPageNumber, 30);
  EXPECT_EQ(f.Rosters().Page().firstPageNumber, 33);
  const std::vector<NumberBlock> blocks = ReadBlocks(f.Numbers());
  ASSERT_EQ(blocks.size(), 5u);
  EXPECT_EQ(blocks[0].col, 1);  // page 30 is even
  EXPECT_EQ(blocks[4].col, 2);  // page 31
}

}  // namespace
}  // namespace korvane::reports
