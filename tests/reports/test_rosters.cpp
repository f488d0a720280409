#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "reports/report_fixture.h"
#include "reports/rosters.h"

namespace korvane::reports {
namespace {

using namespace testing;
namespace xl = host::xl;

const char* const kLaneNumerals[] = {"一", "二", "三", "四", "五", "六", "七", "八"};

// A meet of one class whose events are the given ones, the number report
// filling one page (four classes), so the rosters start on page 23.
MeetSpec WithEvents(std::vector<EventSpec> events, std::optional<int> maxPerGroup = 12) {
  MeetSpec spec;
  spec.classes = Classes(4);
  spec.events = std::move(events);
  spec.maxPerGroup = maxPerGroup;
  return spec;
}

// Entrant i of event k is in the given column and row; with its number below it.
void ExpectEntrant(const RosterEntrant& e, int k, int i, bool withNumber = true) {
  EXPECT_EQ(e.name, EntrantName(k, i));
  if (withNumber) {
    EXPECT_EQ(e.number, EntrantNumber(k, i)) << e.name;
  }
}

// Every entrant of event k appears once, in entrant order.
void ExpectAllInOrder(const RosterEvent& e, int k, int n) {
  const std::vector<RosterEntrant> all = Flatten(e);
  ASSERT_EQ(static_cast<int>(all.size()), n) << e.title;
  for (int i = 0; i < n; ++i) ExpectEntrant(all[i], k, i);
}

// ---- lanes ----

TEST(RosterLanes, OneEntrantRunsTheFinalInLaneFour) {
  ReportFixture f(WithEvents({{"高一男子100米", "1", 1}}));
  f.CreateReport();
  host::Worksheet& ws = f.Rosters();
  const std::vector<RosterEvent> events = ReadRosters(ws);
  ASSERT_EQ(events.size(), 1u);
  const RosterEvent& e = events[0];
  EXPECT_EQ(e.title, "高一男子100米");
  EXPECT_TRUE(e.single);
  ASSERT_EQ(e.heats.size(), 1u);
  const RosterHeat& h = e.heats[0];
  EXPECT_TRUE(h.lanes);
  EXPECT_EQ(h.firstRow, 1);
  EXPECT_EQ(h.lastRow, 4);  // title and three rows
  const int c = h.labelCol;
  EXPECT_EQ(c, 2);  // page 23 is odd
  EXPECT_EQ(At(ws, 1, c), "高一男子100米预决赛");
  EXPECT_EQ(At(ws, 2, c), "道次");
  EXPECT_EQ(At(ws, 3, c), "姓名");
  EXPECT_EQ(At(ws, 4, c), "号码");
  for (int lane = 1; lane <= 8; ++lane) EXPECT_EQ(At(ws, 2, c + lane), kLaneNumerals[lane - 1]);
  ASSERT_EQ(h.lines.size(), 1u);
  ASSERT_EQ(h.lines[0].size(), 1u);
  EXPECT_EQ(h.lines[0][0].col, c + 4);  // lane 四
  ExpectEntrant(h.lines[0][0], 1, 0);

  // The title runs left in 黑体; the lane block is bordered all round and inside.
  EXPECT_EQ(ws.Cells(1, c).HorizontalAlignment(), xl::General);
  EXPECT_EQ(ws.Cells(1, c).FontName(), "黑体");
  EXPECT_EQ(ws.Cells(2, c).HorizontalAlignment(), xl::Center);
  for (int r = 2; r <= 4; ++r)
    for (int col = c; col <= c + 8; ++col) {
      EXPECT_EQ(ws.Cells(r, col).Border(xl::EdgeLeft), xl::Continuous) << r << "," << col;
      EXPECT_EQ(ws.Cells(r, col).Border(xl::EdgeTop), xl::Continuous) << r << "," << col;
    }
  EXPECT_EQ(ws.Cells(4, c + 8).Border(xl::EdgeBottom), xl::Continuous);
  EXPECT_EQ(ws.Cells(4, c + 8).Border(xl::EdgeRight), xl::Continuous);
  EXPECT_EQ(ws.Cells(1, c).Border(xl::EdgeTop), xl::LineNone);  // the title row has none
  EXPECT_EQ(ws.Cells(1, c).Border(xl::EdgeLeft), xl::LineNone);
}

TEST(RosterLanes, EightFillEveryLaneAndNineRunTwoHeatsOfFiveAndFour) {
  ReportFixture f(WithEvents({{"高一男子100米", "1", 8}, {"高一女子100米", "1", 9}}));
  f.CreateReport();
  host::Worksheet& ws = f.Rosters();
  const std::vector<RosterEvent> events = ReadRosters(ws);
  ASSERT_EQ(events.size(), 2u);

  const RosterEvent& eight = events[0];
  EXPECT_TRUE(eight.single);
  ASSERT_EQ(eight.heats.size(), 1u);
  const int c = eight.heats[0].labelCol;
  ASSERT_EQ(eight.heats[0].lines[0].size(), 8u);
  for (int i = 0; i < 8; ++i) EXPECT_EQ(eight.heats[0].lines[0][i].col, c + 1 + i);
  ExpectAllInOrder(eight, 1, 8);

  const RosterEvent& nine = events[1];
  EXPECT_FALSE(nine.single);
  ASSERT_EQ(nine.heats.size(), 2u);
  const RosterHeat& first = nine.heats[0];
  const RosterHeat& second = nine.heats[1];
  EXPECT_EQ(At(ws, first.firstRow, c), "高一女子100米预赛");
  EXPECT_EQ(At(ws, first.firstRow + 1, c), "第一组");
  EXPECT_EQ(first.lastRow - first.firstRow + 1, 5);
  EXPECT_EQ(first.firstRow, 5);  // right after the first event's four rows
  EXPECT_EQ(At(ws, second.firstRow, c), "第二组");
  EXPECT_EQ(second.firstRow, first.lastRow + 1);
  EXPECT_EQ(second.lastRow - second.firstRow + 1, 4);
  // Heat of five in lanes 二 to 六, heat of four in lanes 三 to 六.
  ASSERT_EQ(first.lines[0].size(), 5u);
  EXPECT_EQ(first.lines[0].front().col, c + 2);
  EXPECT_EQ(first.lines[0].back().col, c + 6);
  ASSERT_EQ(second.lines[0].size(), 4u);
  EXPECT_EQ(second.lines[0].front().col, c + 3);
  EXPECT_EQ(second.lines[0].back().col, c + 6);
  // Every lane row carries all eight lanes, also where they stay empty.
  for (const RosterHeat* h : {&first, &second})
    for (int lane = 1; lane <= 8; ++lane) EXPECT_EQ(At(ws, h->lastRow - 2, c + lane), kLaneNumerals[lane - 1]);
  ExpectAllInOrder(nine, 2, 9);
}

TEST(RosterLanes, HeatsAreSplitFromTheLastBackAndKeepTheRandomOrder) {
  // 17 give 6, 6, 5; 19 give 7, 6, 6; 75 give ten heats of 8, 8, 8, 8, 8, 7, 7, 7, 7, 7.
  ReportFixture f(WithEvents({{"高一男子200米", "1", 17}, {"高一男子400米", "1", 19}, {"高一男子60米", "1", 75}}));
  f.CreateReport();
  const std::vector<RosterEvent> events = ReadRosters(f.Rosters());
  ASSERT_EQ(events.size(), 3u);
  const std::vector<std::vector<int>> sizes = {{6, 6, 5}, {7, 6, 6}, {8, 8, 8, 8, 8, 7, 7, 7, 7, 7}};
  for (std::size_t k = 0; k < 3; ++k) {
    ASSERT_EQ(events[k].heats.size(), sizes[k].size()) << k;
    for (std::size_t h = 0; h < sizes[k].size(); ++h) {
      const RosterHeat& heat = events[k].heats[h];
      EXPECT_EQ(heat.heading, HeatHeading(static_cast<int>(h) + 1));
      ASSERT_EQ(heat.lines.size(), 1u);
      const int m = sizes[k][h];
      ASSERT_EQ(static_cast<int>(heat.lines[0].size()), m);
      EXPECT_EQ(heat.lines[0].front().col, heat.labelCol + 1 + (8 - m) / 2) << k << " heat " << h;
    }
    int n = 0;
    for (int m : sizes[k]) n += m;
    ExpectAllInOrder(events[k], static_cast<int>(k) + 1, n);
  }
  EXPECT_EQ(events[2].heats[9].heading, "第十组");
}

TEST(RosterLanes, RelayHeatsShowTheTeamsWrappedWithoutNumbers) {
  ReportFixture f(WithEvents({{"高一男子4×100米接力", "1", 9}, {"高一女子4×100米接力", "1", 3}}));
  f.CreateReport();
  host::Worksheet& ws = f.Rosters();
  const std::vector<RosterEvent> events = ReadRosters(ws);
  ASSERT_EQ(events.size(), 2u);
  const RosterEvent& nine = events[0];
  ASSERT_EQ(nine.heats.size(), 2u);
  // Title, 第一组, lanes, teams; then 第二组, lanes, teams.
  EXPECT_EQ(nine.heats[0].lastRow - nine.heats[0].firstRow + 1, 4);
  EXPECT_EQ(nine.heats[1].lastRow - nine.heats[1].firstRow + 1, 3);
  const int c = nine.heats[0].labelCol;
  const int teamsRow = nine.heats[0].firstRow + 3;
  EXPECT_EQ(At(ws, teamsRow, c), "班级");
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(At(ws, teamsRow, c + 2 + i), RelayTeam(1, i));
    EXPECT_TRUE(ws.Cells(teamsRow, c + 2 + i).WrapText());
  }
  EXPECT_FALSE(ws.Cells(teamsRow, c + 1).WrapText());  // an empty lane
  EXPECT_EQ(At(ws, teamsRow + 1, c), "第二组");        // no number row
  EXPECT_EQ(ws.Cells(teamsRow, c + 8).Border(xl::EdgeBottom), xl::Continuous);
  EXPECT_EQ(ws.Cells(teamsRow - 1, c).Border(xl::EdgeTop), xl::Continuous);

  const RosterEvent& three = events[1];
  EXPECT_TRUE(three.single);
  ASSERT_EQ(three.heats.size(), 1u);
  EXPECT_EQ(three.heats[0].lastRow - three.heats[0].firstRow + 1, 3);
  ASSERT_EQ(three.heats[0].lines[0].size(), 3u);
  EXPECT_EQ(three.heats[0].lines[0][0].col, c + 3);  // lanes 三 to 五
  EXPECT_EQ(three.heats[0].lines[0][0].name, RelayTeam(2, 0));
}

// ---- one list and groups ----

TEST(RosterLists, TwentyInOneListGiveLinesOfEightEightAndFour) {
  ReportFixture f(WithEvents({{"高一男子1500米", "2", 20}}));
  f.CreateReport();
  host::Worksheet& ws = f.Rosters();
  const std::vector<RosterEvent> events = ReadRosters(ws);
  ASSERT_EQ(events.size(), 1u);
  const RosterEvent& e = events[0];
  EXPECT_TRUE(e.single);
  ASSERT_EQ(e.heats.size(), 1u);
  const RosterHeat& h = e.heats[0];
  EXPECT_FALSE(h.lanes);
  EXPECT_EQ(h.lastRow - h.firstRow + 1, 7);
  ASSERT_EQ(h.lines.size(), 3u);
  const int c = h.labelCol;
  EXPECT_EQ(At(ws, 1, c), "高一男子1500米预决赛");
  for (int j = 0; j < 3; ++j) {
    EXPECT_EQ(At(ws, 2 + 2 * j, c), "姓名");
    EXPECT_EQ(At(ws, 3 + 2 * j, c), "号码");
    const std::size_t m = j < 2 ? 8 : 4;
    ASSERT_EQ(h.lines[j].size(), m);
    for (std::size_t i = 0; i < m; ++i) EXPECT_EQ(h.lines[j][i].col, c + 1 + static_cast<int>(i));  // from the left
  }
  ExpectAllInOrder(e, 1, 20);
  EXPECT_EQ(ws.Cells(2, c).Border(xl::EdgeTop), xl::LineNone);  // lists have no borders
}

TEST(RosterGroups, TwentyWithTwelvePerGroupGiveTwoGroupsOfTen) {
  ReportFixture f(WithEvents({{"高一男子跳远", "3", 20}}, 12));
  f.CreateReport();
  host::Worksheet& ws = f.Rosters();
  const std::vector<RosterEvent> events = ReadRosters(ws);
  ASSERT_EQ(events.size(), 1u);
  const RosterEvent& e = events[0];
  EXPECT_FALSE(e.single);
  ASSERT_EQ(e.heats.size(), 2u);
  EXPECT_EQ(e.heats[0].lastRow - e.heats[0].firstRow + 1, 6);  // title, 第一组, two lines
  EXPECT_EQ(e.heats[1].lastRow - e.heats[1].firstRow + 1, 5);  // 第二组, two lines
  EXPECT_EQ(e.heats[0].heading, "第一组");
  EXPECT_EQ(e.heats[1].heading, "第二组");
  for (const RosterHeat& h : e.heats) {
    ASSERT_EQ(h.lines.size(), 2u);
    EXPECT_EQ(h.lines[0].size(), 8u);
    EXPECT_EQ(h.lines[1].size(), 2u);
    EXPECT_EQ(h.lines[1][0].col, h.labelCol + 1);
  }
  EXPECT_EQ(At(ws, 1, 2), "高一男子跳远预赛");
  ExpectAllInOrder(e, 1, 20);
}

TEST(RosterGroups, OtherLaneRulesAreGroupsAndRelaysInListsHaveNoNumbers) {
  // Rule "5" and an empty rule are laid out as groups; a relay in one list keeps an empty number row.
  ReportFixture f(WithEvents({{"高一男子铅球", "5", 13}, {"高一女子铅球", "", 5}, {"高一男子4×400米接力", "2", 4}}, 6));
  f.CreateReport();
  host::Worksheet& ws = f.Rosters();
  const std::vector<RosterEvent> events = ReadRosters(ws);
  ASSERT_EQ(events.size(), 3u);
  ASSERT_EQ(events[0].heats.size(), 3u);  // 13 in groups of at most 6: 5, 4, 4
  EXPECT_EQ(events[0].heats[0].lines[0].size(), 5u);
  EXPECT_EQ(events[0].heats[2].lines[0].size(), 4u);
  ExpectAllInOrder(events[0], 1, 13);
  EXPECT_TRUE(events[1].single);
  ExpectAllInOrder(events[1], 2, 5);
  const RosterHeat& relay = events[2].heats[0];
  ASSERT_EQ(relay.lines.size(), 1u);
  EXPECT_EQ(relay.lines[0][0].name, RelayTeam(3, 0));
  EXPECT_EQ(At(ws, relay.lines[0][0].row + 1, relay.labelCol), "号码");
  EXPECT_EQ(At(ws, relay.lines[0][0].row + 1, relay.labelCol + 1), "");
}

TEST(RosterGroups, MoreThanTenGroupsAreHeadedOnAndNoBlockOverwritesAnother) {
  // 30 in groups of at most 2: fifteen groups, 第十一组 to 第十五组 included.
  ReportFixture f(WithEvents({{"高一男子跳高", "3", 30}, {"高一女子跳高", "3", 3}}, 2));
  f.CreateReport();
  EXPECT_TRUE(f.ui.boxes.empty());
  host::Worksheet& ws = f.Rosters();
  const std::vector<RosterEvent> events = ReadRosters(ws);
  ASSERT_EQ(events.size(), 2u);
  ASSERT_EQ(events[0].heats.size(), 15u);
  for (int h = 0; h < 15; ++h) EXPECT_EQ(events[0].heats[h].heading, HeatHeading(h + 1));
  EXPECT_EQ(events[0].heats[10].heading, "第十一组");
  EXPECT_EQ(events[0].heats[14].heading, "第十五组");
  ExpectAllInOrder(events[0], 1, 30);
  ASSERT_EQ(events[1].heats.size(), 2u);  // 3 in groups of 2: 2 and 1
  ExpectAllInOrder(events[1], 2, 3);
  std::set<int> rows;
  for (const RosterEvent& e : events)
    for (const RosterHeat& h : e.heats)
      for (int r = h.firstRow; r <= h.lastRow; ++r) EXPECT_TRUE(rows.insert(r).second) << "row " << r << " twice";
}

// ---- events without entrants, counts beyond the row ----

TEST(RosterEvents, EventsWithoutEntrantsGiveNoBlockAndCountsAreKeptWithinTheRow) {
  MeetSpec spec = WithEvents({{"高一男子100米", "1", 0}, {"高一男子200米", "1", 2}, {"高一男子跳远", "3", 0}});
  ReportFixture f(spec);
  // A count beyond the 75 entrant cells of a row is taken as the 75 cells.
  host::Worksheet& events = f.Sheet(meet::kEventsSheet);
  events.PutValue(meet::events::EventRow(2), meet::events::kEntrantCountCol, 1000000000);
  f.CreateReport();
  const std::vector<RosterEvent> read = ReadRosters(f.Rosters());
  ASSERT_EQ(read.size(), 1u);
  EXPECT_EQ(read[0].title, "高一男子200米");
  ASSERT_EQ(read[0].heats.size(), 10u);
  EXPECT_EQ(Flatten(read[0]).size(), 2u);  // the cells beyond the two entrants are empty
}

// ---- placement on pages ----

TEST(RosterPages, ABlockThatDoesNotFitStartsTheNextPageInThatPagesLabelColumn) {
  // Five lists of 20 (7 rows each): three fill rows 1-21, the fourth would
  // reach row 28, so it starts the second page at row 27 in column A.
  std::vector<EventSpec> lists;
  for (int i = 0; i < 5; ++i) lists.push_back({"高一男子" + std::to_string(i + 1) + "000米", "2", 20});
  ReportFixture f(WithEvents(lists));
  f.CreateReport();
  const std::vector<RosterEvent> events = ReadRosters(f.Rosters());
  ASSERT_EQ(events.size(), 5u);
  EXPECT_EQ(events[2].heats[0].firstRow, 15);
  EXPECT_EQ(events[2].heats[0].labelCol, 2);
  EXPECT_EQ(events[3].heats[0].firstRow, 27);
  EXPECT_EQ(events[3].heats[0].labelCol, 1);  // page 24
  EXPECT_EQ(events[4].heats[0].firstRow, 34);
  EXPECT_EQ(events[4].heats[0].labelCol, 1);
  EXPECT_EQ(f.Rosters().Page().firstPageNumber, 23);
}

TEST(RosterPages, LabelColumnsFollowThePageParityFromTheFirstPage) {
  std::vector<EventSpec> many;
  for (int i = 0; i < 40; ++i)
    many.push_back({"项目" + std::to_string(i + 1), i % 3 == 0 ? "1" : (i % 3 == 1 ? "2" : "3"), 5 + i});
  for (int firstPage : {20, 21}) {
    MeetSpec spec = WithEvents(many);
    spec.firstPage = firstPage;
    spec.classes = Classes(5);  // 30 rows: the rosters start two pages on, then odd
    ReportFixture f(spec);
    f.CreateReport();
    const int rosterFirst = *f.Rosters().Page().firstPageNumber;
    EXPECT_EQ(rosterFirst, 23) << firstPage;
    const std::vector<RosterEvent> events = ReadRosters(f.Rosters());
    ASSERT_EQ(events.size(), many.size());
    std::set<int> pages;
    for (const RosterEvent& e : events)
      for (const RosterHeat& h : e.heats) {
        const int page = rosterFirst + (h.firstRow - 1) / meet::kRosterRowsPerPage;
        EXPECT_EQ((h.lastRow - 1) / meet::kRosterRowsPerPage, (h.firstRow - 1) / meet::kRosterRowsPerPage) << e.title;
        EXPECT_EQ(h.labelCol, page % 2 == 1 ? 2 : 1) << e.title << " on page " << page;
        pages.insert(page);
      }
    EXPECT_GT(pages.size(), 4u);
  }
}

TEST(RosterFirstPage, TheRostersStartOnTheOddPageAfterTheNumberReport) {
  EXPECT_EQ(RosterFirstPage(21, 31), 23);  // 30 rows: pages 21 and 22
  EXPECT_EQ(RosterFirstPage(21, 25), 23);  // 24 rows: page 21, then 22 is even
  EXPECT_EQ(RosterFirstPage(21, 1), 21);   // nothing written
  EXPECT_EQ(RosterFirstPage(22, 25), 23);
  EXPECT_EQ(RosterFirstPage(20, 49), 23);  // 48 rows: pages 20 and 21
}

}  // namespace
}  // namespace korvane::reports
