#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "host/address.h"
#include "host/errors.h"
#include "host/pagination.h"
#include "host/range.h"
#include "reports/record_fixture.h"
#include "reports/record_tables.h"

namespace korvane::reports {
namespace {

using namespace record_testing;
using host::RangeRef;

std::vector<std::string> RowTexts(host::Worksheet& ws, int row, int c1, int c2) {
  std::vector<std::string> v;
  for (int c = c1; c <= c2; ++c) v.push_back(Text(ws, row, c));
  return v;
}

// `lead` empty cells, then the given texts, then empty cells up to `width`.
std::vector<std::string> Padded(int lead, const std::vector<std::string>& middle, int width) {
  std::vector<std::string> v(static_cast<std::size_t>(lead));
  v.insert(v.end(), middle.begin(), middle.end());
  v.resize(static_cast<std::size_t>(width));
  return v;
}

std::vector<std::string> Names(int k, int from, int count) {
  std::vector<std::string> v;
  for (int i = from; i < from + count; ++i) v.push_back(Name(k, i));
  return v;
}
std::vector<std::string> Numbers(int k, int from, int count) {
  std::vector<std::string> v;
  for (int i = from; i < from + count; ++i) v.push_back(Number(k, i));
  return v;
}
std::vector<std::string> Teams(int k, int from, int count) {
  std::vector<std::string> v;
  for (int i = from; i < from + count; ++i) v.push_back(Team(k, i));
  return v;
}

// The entrants of a form laid out one per row from row r: numbers in A, names
// in B; the form's rows after them (of its `capacity`) stay empty.
void ExpectColumnEntrants(host::Worksheet& ws, int r, int k, int from, int count, int capacity) {
  for (int i = 0; i < count; ++i) {
    EXPECT_EQ(Text(ws, r + i, 1), Number(k, from + i)) << ws.Name() << " row " << r + i;
    EXPECT_EQ(Text(ws, r + i, 2), Name(k, from + i)) << ws.Name() << " row " << r + i;
  }
  for (int i = count; i < capacity; ++i) {
    EXPECT_EQ(Text(ws, r + i, 1), "") << ws.Name() << " row " << r + i;
    EXPECT_EQ(Text(ws, r + i, 2), "") << ws.Name() << " row " << r + i;
  }
}

bool EmptyArea(host::Worksheet& ws, RangeRef r) {
  for (int row = r.r1; row <= r.r2; ++row)
    for (int c = r.c1; c <= r.c2; ++c)
      if (ws.HasContent(row, c)) return false;
  return true;
}

// Every text on a sheet, to look for what must not be there.
std::set<std::string> AllTexts(host::Worksheet& ws) {
  std::set<std::string> s;
  for (const auto& [r, row] : ws.RowMap())
    for (const auto& cell : row.cells) s.insert(ws.ValueAt(r, static_cast<int>(cell.col)).ToText());
  return s;
}

constexpr int kL = 12;  // the folded half starts in column L

// ---- where the forms go ----

TEST(RecordForms, EverySheetBreaksItsPagesWhereOurPaginationDoes) {
  RecordFixture f({{"高一男子100米", "1", 1, 40},
                   {"高一男子跳高", "2", 2, 30},
                   {"高一男子跳远", "2", 3, 30},
                   {"高一女子跳绳", "2", 4, 30}});
  f.Run("CreateTables");
  for (const char* name : {"起终点用表", "高度记录表", "远度记录表", "其它记录表"}) {
    SCOPED_TRACE(name);
    const host::Worksheet& ws = f.Sheet(name);
    const host::print::Pagination p = host::print::Paginate(ws);
    std::vector<int> ends;
    for (std::size_t i = 0; i + 1 < p.rowBands.size(); ++i) ends.push_back(p.rowBands[i].last);
    EXPECT_GE(ends.size(), 1u);
    EXPECT_EQ(ws.Page().rowBreaks, ends);
  }
}

TEST(RecordFormsLayout, TimedFormsTakeRowsOneElevenEighteenNumberedDownTheSheet) {
  RecordFormsLayout layout = PlanRecordForms({{"高一男子100米", '1', 1, 20}}, 12);
  ASSERT_EQ(layout.forms.size(), 3u);
  std::vector<int> tops, sequences, sizes;
  for (const RecordFormPlan& p : layout.forms) {
    tops.push_back(p.top);
    sequences.push_back(p.sequence);
    sizes.push_back(p.entrants);
  }
  EXPECT_EQ(tops, (std::vector<int>{1, 11, 18}));
  EXPECT_EQ(sequences, (std::vector<int>{1, 2, 3}));
  EXPECT_EQ(sizes, (std::vector<int>{7, 7, 6}));  // the earlier heats are the larger
  EXPECT_FALSE(layout.forms[0].copyForm);         // the sheet starts with the first form
  EXPECT_TRUE(layout.forms[1].copyForm);
  EXPECT_EQ(PrintSequenceLabel(3), "打印顺序号:003");
  // The next form would start the third page at row 35.
  EXPECT_EQ(layout.nextEntrantRow[0], 31);
}

TEST(RecordFormsLayout, EachSheetCountsItsOwnRows) {
  RecordFormsLayout layout =
      PlanRecordForms({{"高一男子跳远", '2', 3, 30}, {"高一男子跳高", '3', 2, 25}, {"高一男子100米", '1', 1, 4}}, 30);
  std::map<int, std::vector<int>> tops;
  for (const RecordFormPlan& p : layout.forms) tops[p.kind->method].push_back(p.top);
  EXPECT_EQ(tops[3], (std::vector<int>{1, 21, 38}));  // two 17-row forms a 37-row page
  EXPECT_EQ(tops[2], (std::vector<int>{1, 24}));      // one 23-row form a page
  EXPECT_EQ(tops[1], (std::vector<int>{1}));
  for (const RecordFormPlan& p : layout.forms)
    if (p.kind->method != 1) {  // only the timed forms carry print numbers
      EXPECT_EQ(p.sequence, 0);
    }
}

TEST(RecordFormsLayout, ContinuationTitlesCountOnPastNine) {
  // More forms than a list of 75 entrants can need: the suffix is built from
  // the title, never cut from the previous one.
  RecordFormsLayout layout = PlanRecordForms({{"高一男子长跑", '2', 1, 100}}, 12);
  ASSERT_EQ(layout.forms.size(), 13u);
  EXPECT_EQ(layout.forms[0].title, "高一男子长跑预决赛");
  EXPECT_EQ(layout.forms[9].title, "高一男子长跑预决赛(续9)");
  EXPECT_EQ(layout.forms[10].title, "高一男子长跑预决赛(续10)");
  EXPECT_EQ(layout.forms[12].title, "高一男子长跑预决赛(续12)");
}

TEST(RecordFormsLayout, GroupsNeedAPositiveGroupSize) {
  EXPECT_THROW(PlanRecordForms({{"高一男子跳高", '3', 2, 10}}, 0), std::invalid_argument);
  // Lanes and one list never read it; an event without forms neither.
  EXPECT_NO_THROW(PlanRecordForms({{"高一男子100米", '1', 1, 10},
                                   {"高一男子跳远", '2', 3, 10},
                                   {"高一男子定向", '3', 5, 10},
                                   {"高一男子跳高", '3', 2, 0}},
                                  0));
}

TEST(RecordFormsLayout, TheFoldMovesTheSecondHalfOfThePages) {
  EXPECT_FALSE(TimedFoldFor(4).fold);   // no timed form beyond the first
  EXPECT_FALSE(TimedFoldFor(21).fold);  // two forms: one page
  TimedFold three = TimedFoldFor(31);
  EXPECT_TRUE(three.fold);
  EXPECT_EQ(three.first, 18);
  EXPECT_EQ(three.last, 27);
  TimedFold five = TimedFoldFor(48);
  EXPECT_EQ(five.first, 18);
  EXPECT_EQ(five.last, 44);
  TimedFold six = TimedFoldFor(55);
  EXPECT_EQ(six.first, 35);
  EXPECT_EQ(six.last, 51);
}

// ---- the sheets on the shipped template ----

TEST(RecordTables, TimedHeatsFillTheFormsAndTheThirdFoldsBesideTheFirstPage) {
  RecordFixture f({{"高一男子100米", "1", 1, 20}});
  f.Run("CreateTables");
  ASSERT_TRUE(f.Texts().empty()) << f.Texts().front();
  host::Worksheet& ws = f.Sheet(meet::kStartFinishSheet);
  host::Worksheet& tpl = f.Sheet(meet::kRecordSheet1);
  ASSERT_NE(Text(tpl, 1, 1), Text(tpl, 11, 1));  // the individual and the relay form differ

  // Forms at rows 1 and 11; the third, at rows 18 to 24, now stands at L1.
  for (auto [row, col] : {std::pair{1, 1}, {11, 1}, {1, kL}}) {
    EXPECT_EQ(Text(ws, row, col), Text(tpl, 1, 1)) << row << "," << col;
    EXPECT_EQ(Text(ws, row + 3, col), Text(tpl, 4, 1));
    EXPECT_EQ(Text(ws, row + 4, col), Text(tpl, 5, 1));
    EXPECT_EQ(Text(ws, row + 1, col + 1), "高一男子100米预赛");
  }
  EXPECT_EQ(Text(ws, "J3"), "打印顺序号:001");
  EXPECT_EQ(Text(ws, "J13"), "打印顺序号:002");
  EXPECT_EQ(Text(ws, "U3"), "打印顺序号:003");
  EXPECT_EQ(RowTexts(ws, 2, 8, 9), (std::vector<std::string>{"1", "3"}));
  EXPECT_EQ(RowTexts(ws, 12, 8, 9), (std::vector<std::string>{"2", "3"}));
  EXPECT_EQ(RowTexts(ws, 2, kL + 7, kL + 8), (std::vector<std::string>{"3", "3"}));

  // Heats of 7, 7 and 6 on the eight lanes B:I, centred.
  EXPECT_EQ(RowTexts(ws, 4, 2, 9), Padded(0, Names(1, 0, 7), 8));
  EXPECT_EQ(RowTexts(ws, 5, 2, 9), Padded(0, Numbers(1, 0, 7), 8));
  EXPECT_EQ(RowTexts(ws, 14, 2, 9), Padded(0, Names(1, 7, 7), 8));
  EXPECT_EQ(RowTexts(ws, 4, kL + 1, kL + 8), Padded(1, Names(1, 14, 6), 8));
  EXPECT_EQ(RowTexts(ws, 5, kL + 1, kL + 8), Padded(1, Numbers(1, 14, 6), 8));

  EXPECT_TRUE(EmptyArea(ws, RangeRef{8, 1, 10, 10}));   // the gap between the two forms of a page
  EXPECT_TRUE(EmptyArea(ws, RangeRef{18, 1, 40, 10}));  // what moved left nothing behind
}

TEST(RecordTables, TwoTimedFormsStayOnOnePageUnfolded) {
  RecordFixture f({{"高一女子100米", "1", 1, 16}});
  f.Run("CreateTables");
  host::Worksheet& ws = f.Sheet(meet::kStartFinishSheet);
  EXPECT_EQ(Text(ws, "B12"), "高一女子100米预赛");
  EXPECT_EQ(RowTexts(ws, 14, 2, 9), Names(1, 8, 8));
  EXPECT_TRUE(EmptyArea(ws, RangeRef{1, kL, 40, kL + 9}));
}

TEST(RecordTables, FiveAndSixTimedFormsFoldAtTheMiddlePage) {
  {
    // Five forms, three pages: the first page stays, pages two and three go beside it.
    RecordFixture f({{"高一男子200米", "1", 1, 40}});
    f.Run("CreateTables");
    host::Worksheet& ws = f.Sheet(meet::kStartFinishSheet);
    EXPECT_EQ(Text(ws, "J13"), "打印顺序号:002");
    EXPECT_EQ(Text(ws, "U3"), "打印顺序号:003");
    EXPECT_EQ(Text(ws, "U13"), "打印顺序号:004");
    EXPECT_EQ(Text(ws, "U20"), "打印顺序号:005");
    EXPECT_EQ(RowTexts(ws, 21, kL + 1, kL + 8), Names(1, 32, 8));
    EXPECT_TRUE(EmptyArea(ws, RangeRef{18, 1, 60, 10}));
  }
  {
    // Six forms, three full pages: the first two stay, the third goes beside them.
    RecordFixture f({{"高一男子200米", "1", 1, 48}});
    f.Run("CreateTables");
    host::Worksheet& ws = f.Sheet(meet::kStartFinishSheet);
    EXPECT_EQ(Text(ws, "J20"), "打印顺序号:003");
    EXPECT_EQ(Text(ws, "J30"), "打印顺序号:004");
    EXPECT_EQ(Text(ws, "U3"), "打印顺序号:005");
    EXPECT_EQ(Text(ws, "U13"), "打印顺序号:006");
    EXPECT_EQ(RowTexts(ws, 31, 2, 9), Names(1, 24, 8));
    EXPECT_EQ(RowTexts(ws, 14, kL + 1, kL + 8), Names(1, 40, 8));
    EXPECT_TRUE(EmptyArea(ws, RangeRef{35, 1, 60, 10}));
    EXPECT_TRUE(EmptyArea(ws, RangeRef{18, kL, 60, kL + 9}));
  }
}

TEST(RecordTables, NineTimedEntrantsGiveTwoCentredHeats) {
  RecordFixture f({{"高一男子100米", "1", 1, 9}});
  f.Run("CreateTables");
  host::Worksheet& ws = f.Sheet(meet::kStartFinishSheet);
  EXPECT_EQ(Text(ws, "B2"), "高一男子100米预赛");
  EXPECT_EQ(Text(ws, "B12"), "高一男子100米预赛");
  EXPECT_EQ(RowTexts(ws, 2, 8, 9), (std::vector<std::string>{"1", "2"}));
  EXPECT_EQ(RowTexts(ws, 12, 8, 9), (std::vector<std::string>{"2", "2"}));
  // Lanes 二 to 六 (C:G) for the five, 三 to 六 (D:G) for the four.
  EXPECT_EQ(RowTexts(ws, 4, 2, 9), Padded(1, Names(1, 0, 5), 8));
  EXPECT_EQ(RowTexts(ws, 5, 2, 9), Padded(1, Numbers(1, 0, 5), 8));
  EXPECT_EQ(RowTexts(ws, 14, 2, 9), Padded(2, Names(1, 5, 4), 8));
  EXPECT_EQ(RowTexts(ws, 15, 2, 9), Padded(2, Numbers(1, 5, 4), 8));
}

TEST(RecordTables, TheRelayFormIsPastedOnlyFromTheSecondFormOn) {
  RecordFixture f({{"高一男子4×100米接力", "1", 1, 12}, {"高一男子100米", "1", 1, 8}});
  f.Run("CreateTables");
  host::Worksheet& ws = f.Sheet(meet::kStartFinishSheet);
  host::Worksheet& tpl = f.Sheet(meet::kRecordSheet1);
  // The sheet's own first form is the individual one, also for a relay: team
  // names across its name row, nothing in its number row.
  EXPECT_EQ(Text(ws, "A1"), Text(tpl, "A1"));
  EXPECT_EQ(Text(ws, "B2"), "高一男子4×100米接力预赛");
  EXPECT_EQ(RowTexts(ws, 4, 2, 9), Padded(1, Teams(1, 0, 6), 8));
  EXPECT_EQ(RowTexts(ws, 5, 2, 9), Padded(0, {}, 8));
  // The second heat gets the relay form (six rows, no number row).
  for (int r = 11; r <= 16; ++r) EXPECT_EQ(Text(ws, r, 1), Text(tpl, r, 1)) << r;
  EXPECT_EQ(Text(ws, "B12"), "高一男子4×100米接力预赛");
  EXPECT_EQ(Text(ws, "J13"), "打印顺序号:002");
  EXPECT_EQ(RowTexts(ws, 14, 2, 9), Padded(1, Teams(1, 6, 6), 8));
  EXPECT_EQ(RowTexts(ws, 15, 2, 9), Padded(0, {}, 8));
  EXPECT_TRUE(EmptyArea(ws, RangeRef{17, 1, 17, 10}));
  // The individual event after it is back on the individual form (folded to L1).
  EXPECT_EQ(Text(ws, 1, kL), Text(tpl, "A1"));
  EXPECT_EQ(Text(ws, 5, kL), Text(tpl, "A5"));
  EXPECT_EQ(Text(ws, 2, kL + 1), "高一男子100米预决赛");
  EXPECT_EQ(RowTexts(ws, 2, kL + 7, kL + 8), (std::vector<std::string>{"1", "1"}));
  EXPECT_EQ(RowTexts(ws, 5, kL + 1, kL + 8), Numbers(2, 0, 8));
}

TEST(RecordTables, ThirtyDistanceEntrantsInOneListTakeThreeForms) {
  RecordFixture f({{"高一男子跳远", "2", 3, 30}});
  f.Run("CreateTables");
  host::Worksheet& ws = f.Sheet(meet::kDistanceRecordSheet);
  host::Worksheet& tpl = f.Sheet(meet::kRecordSheet3);
  for (int top : {1, 21, 38}) {
    EXPECT_EQ(Text(ws, top, 1), Text(tpl, "A1")) << top;
    EXPECT_EQ(Text(ws, top + 2, 1), Text(tpl, "A3")) << top;
    EXPECT_EQ(RowTexts(ws, top + 1, 10, 11), (std::vector<std::string>{"", ""})) << "no group cells in one list";
  }
  EXPECT_EQ(Text(ws, "B2"), "高一男子跳远预决赛");
  EXPECT_EQ(Text(ws, "B22"), "高一男子跳远预决赛(续1)");
  EXPECT_EQ(Text(ws, "B39"), "高一男子跳远预决赛(续2)");
  ExpectColumnEntrants(ws, 4, 1, 0, 14, 14);
  ExpectColumnEntrants(ws, 24, 1, 14, 14, 14);
  ExpectColumnEntrants(ws, 41, 1, 28, 2, 14);
  EXPECT_TRUE(EmptyArea(ws, RangeRef{18, 1, 20, 12}));
}

TEST(RecordTables, TwentyFiveHeightEntrantsInOneGroupOfThirty) {
  RecordFixture f({{"高一男子跳高", "3", 2, 25}}, 30);
  f.Run("CreateTables");
  host::Worksheet& ws = f.Sheet(meet::kHeightRecordSheet);
  host::Worksheet& tpl = f.Sheet(meet::kRecordSheet2);
  const int at = host::ColumnNumber("AT");
  EXPECT_EQ(Text(ws, "B2"), "高一男子跳高预决赛");
  EXPECT_EQ(RowTexts(ws, 2, at, at + 1), (std::vector<std::string>{"第1-1组", "1"}));
  EXPECT_EQ(Text(ws, "A24"), Text(tpl, "A1"));
  EXPECT_EQ(Text(ws, "B25"), "高一男子跳高预决赛(续1)");
  EXPECT_EQ(RowTexts(ws, 25, at, at + 1), (std::vector<std::string>{"第1-2组", "1"}));
  ExpectColumnEntrants(ws, 4, 1, 0, 20, 20);
  ExpectColumnEntrants(ws, 27, 1, 20, 5, 20);
}

TEST(RecordTables, CountedFormsStartTheirSheetAndEachSheetKeepsOnlyItsForm) {
  RecordFixture f({{"高一女子跳绳", "2", 4, 16}});
  f.Run("CreateTables");
  host::Worksheet& tpl = f.Sheet(meet::kRecordSheet3);
  host::Worksheet& counted = f.Sheet(meet::kOtherRecordSheet);
  EXPECT_EQ(Text(counted, "A1"), Text(tpl, "A21"));
  EXPECT_EQ(Text(counted, "A3"), Text(tpl, "A23"));
  EXPECT_EQ(Text(counted, "B2"), "高一女子跳绳预决赛");
  ExpectColumnEntrants(counted, 4, 1, 0, 14, 14);
  EXPECT_EQ(Text(counted, "A21"), Text(tpl, "A21"));
  EXPECT_EQ(Text(counted, "B22"), "高一女子跳绳预决赛(续1)");
  ExpectColumnEntrants(counted, 24, 1, 14, 2, 14);
  // The other sheets keep their first form and nothing of the forms that belong elsewhere.
  host::Worksheet& distance = f.Sheet(meet::kDistanceRecordSheet);
  EXPECT_EQ(Text(distance, "A1"), Text(tpl, "A1"));
  EXPECT_TRUE(EmptyArea(distance, RangeRef{18, 1, 40, 12}));
  EXPECT_EQ(Text(distance, "B2"), "");
  host::Worksheet& timed = f.Sheet(meet::kStartFinishSheet);
  EXPECT_TRUE(EmptyArea(timed, RangeRef{8, 1, 20, 21}));
}

TEST(RecordTables, AnEventOfMethodFiveIsOnNoSheet) {
  RecordFixture f({{"高一男子定向越野", "2", 5, 10}, {"高一男子100米", "1", 1, 5}});
  f.Run("CreateTables");
  for (std::string_view name :
       {meet::kStartFinishSheet, meet::kHeightRecordSheet, meet::kDistanceRecordSheet, meet::kOtherRecordSheet}) {
    std::set<std::string> texts = AllTexts(f.Sheet(name));
    for (const std::string& t : texts) EXPECT_EQ(t.find("定向越野"), std::string::npos) << name << ": " << t;
    for (int i = 0; i < 10; ++i) EXPECT_EQ(texts.count(Name(1, i)), 0u) << name;
  }
  EXPECT_EQ(Text(f.Sheet(meet::kStartFinishSheet), "B2"), "高一男子100米预决赛");
}

TEST(RecordTables, SheetsMenuAndProtectionAfterTheRun) {
  RecordFixture f({{"高一男子100米", "1", 1, 6}});
  f.program.Menu().SetEnabled("MyPrint3", false);
  f.Run("CreateTables");
  std::vector<std::string> names;
  for (host::Worksheet* ws : f.book->Sheets()) names.push_back(ws->Name());
  ASSERT_GE(names.size(), 4u);
  EXPECT_EQ(std::vector<std::string>(names.end() - 5, names.end()),
            (std::vector<std::string>{"temp", "起终点用表", "高度记录表", "远度记录表", "其它记录表"}));
  EXPECT_TRUE(f.program.Menu().Enabled("MyPrint3"));
  EXPECT_FALSE(f.program.Menu().Enabled("CreateTables"));
  EXPECT_EQ(f.program.Caption(), "Korvane");
  EXPECT_NE(std::find(f.ui.captions.begin(), f.ui.captions.end(), "Korvane - 创建成绩记录表..."), f.ui.captions.end());
  for (std::string_view tpl : {meet::kRecordSheet1, meet::kRecordSheet2, meet::kRecordSheet3})
    EXPECT_FALSE(f.Sheet(tpl).Visible()) << tpl;
  for (std::string_view name :
       {meet::kStartFinishSheet, meet::kHeightRecordSheet, meet::kDistanceRecordSheet, meet::kOtherRecordSheet}) {
    EXPECT_TRUE(f.Sheet(name).Visible()) << name;
    EXPECT_TRUE(f.Sheet(name).ProtectContents()) << name;
  }
  EXPECT_TRUE(f.book->Protection().structure);
  EXPECT_TRUE(f.book->Protection().windows);
  EXPECT_TRUE(f.program.Host().screenUpdating);
}

// ---- the printed pages ----

std::vector<std::pair<int, int>> RowBands(const host::Worksheet& ws) {
  std::vector<std::pair<int, int>> v;
  for (const host::print::Band& b : host::print::Paginate(ws).rowBands) v.emplace_back(b.first, b.last);
  return v;
}

TEST(RecordTables, EveryPrintedPageHoldsWholeForms) {
  // The row counters assume 17 rows a timed page, a page per height form and
  // 37 rows a distance or counted page; the host's pagination must agree.
  RecordFixture f({{"高一男子200米", "1", 1, 48},
                   {"高一男子跳高", "2", 2, 50},
                   {"高一男子跳远", "2", 3, 40},
                   {"高一女子跳绳", "2", 4, 20}});
  f.Run("CreateTables");
  ASSERT_TRUE(f.ui.boxes.empty());
  using Bands = std::vector<std::pair<int, int>>;
  host::Worksheet& timed = f.Sheet(meet::kStartFinishSheet);
  EXPECT_EQ(RowBands(timed), (Bands{{1, 17}, {18, 34}}));       // six forms folded onto two sheets
  EXPECT_EQ(host::print::Paginate(timed).colBands.size(), 1u);  // both halves across one sheet
  EXPECT_EQ(RowBands(f.Sheet(meet::kHeightRecordSheet)), (Bands{{1, 23}, {24, 46}, {47, 69}}));
  EXPECT_EQ(RowBands(f.Sheet(meet::kDistanceRecordSheet)), (Bands{{1, 37}, {38, 54}}));
  EXPECT_EQ(RowBands(f.Sheet(meet::kOtherRecordSheet)), (Bands{{1, 37}}));
  for (std::string_view name : {meet::kHeightRecordSheet, meet::kDistanceRecordSheet, meet::kOtherRecordSheet})
    EXPECT_EQ(host::print::Paginate(f.Sheet(name)).colBands.size(), 1u) << name;
}

// ---- refusals and the sound layouts ----

TEST(RecordTables, GroupsWithoutAGroupSizeAreRefusedNamingTheEventAndTheSetting) {
  for (std::optional<int> h5 : {std::optional<int>(0), std::optional<int>()}) {
    RecordFixture f({{"高一男子100米", "1", 1, 6}, {"高一女子跳高", "3", 2, 9}}, h5);
    const int sheets = f.book->Count();
    f.Run("CreateTables");
    ASSERT_EQ(f.ui.boxes.size(), 1u);
    EXPECT_NE(f.ui.boxes[0].text.find("高一女子跳高"), std::string::npos) << f.ui.boxes[0].text;
    EXPECT_NE(f.ui.boxes[0].text.find("设置!H5"), std::string::npos) << f.ui.boxes[0].text;
    EXPECT_EQ(f.ui.boxes[0].icon, shell::Icon::Exclamation);
    EXPECT_EQ(f.book->Count(), sheets);
    EXPECT_TRUE(f.program.Menu().Enabled("CreateTables"));  // it can run again once H5 is set
    EXPECT_FALSE(f.Sheet(meet::kRecordSheet1).Visible());
    EXPECT_TRUE(f.book->Protection().structure);
  }
}

TEST(RecordTables, NoGroupSizeIsNeededWhenNoGroupedEventHasForms) {
  RecordFixture f({{"高一男子100米", "1", 1, 6}, {"高一女子定向", "3", 5, 9}, {"高一女子跳高", "3", 2, 0}}, 0);
  f.Run("CreateTables");
  EXPECT_TRUE(f.ui.boxes.empty());
  EXPECT_NE(f.Find(meet::kStartFinishSheet), nullptr);
}

TEST(RecordTables, ExistingRecordSheetsOrMissingTemplatesAreRefused) {
  {
    RecordFixture f({{"高一男子100米", "1", 1, 6}});
    f.Run("CreateTables");
    const int sheets = f.book->Count();
    f.Run("CreateTables");
    ASSERT_EQ(f.ui.boxes.size(), 1u);
    EXPECT_EQ(f.ui.boxes[0].text, RecordSheetExistsText(meet::kStartFinishSheet));
    EXPECT_EQ(f.book->Count(), sheets);
  }
  {
    RecordFixture f({{"高一男子100米", "1", 1, 6}});
    f.book->Unprotect();
    f.book->RemoveSheet(f.Sheet(meet::kRecordSheet2));
    f.Run("CreateTables");
    ASSERT_EQ(f.ui.boxes.size(), 1u);
    EXPECT_EQ(f.ui.boxes[0].text, RecordSheetMissingText(meet::kRecordSheet2));
    EXPECT_EQ(f.Find(meet::kStartFinishSheet), nullptr);
  }
}

TEST(RecordTables, WithoutAMeetWorkbookTheCommandSaysSoAndResetsTheMenu) {
  RecordFixture f({{"高一男子100米", "1", 1, 6}});
  f.program.Host().Close(*f.book);
  f.Run("CreateTables");
  ASSERT_EQ(f.ui.boxes.size(), 1u);
  EXPECT_EQ(f.ui.boxes[0].text, "文件被关闭!");
  EXPECT_FALSE(f.program.Menu().Enabled("CreateTables"));
  EXPECT_FALSE(f.program.Menu().Enabled("MyPrint3"));
}

TEST(RecordTables, TwentyGroupsOfTwoEachGetAFormOfTheirOwn) {
  // Far more than fifteen groups: every group still has its own form, and
  // every entrant is on exactly one form, beside its own number.
  RecordFixture f({{"高一男子跳高", "3", 2, 40}, {"高一女子60米", "3", 1, 40}}, 2);
  f.Run("CreateTables");
  ASSERT_TRUE(f.ui.boxes.empty());
  host::Worksheet& height = f.Sheet(meet::kHeightRecordSheet);
  const int at = host::ColumnNumber("AT");
  std::multiset<std::string> seen;
  for (int g = 1; g <= 20; ++g) {
    const int top = 1 + 23 * (g - 1);
    EXPECT_EQ(Text(height, top + 1, 2), "高一男子跳高预赛") << g;
    EXPECT_EQ(RowTexts(height, top + 1, at, at + 1), (std::vector<std::string>{std::to_string(g), "20"})) << g;
    ExpectColumnEntrants(height, top + 3, 1, 2 * (g - 1), 2, 20);
  }
  for (const auto& [r, row] : height.RowMap()) {
    const std::string number = Text(height, r, 1);
    if (number.rfind("2", 0) == 0 && number.size() == 5) seen.insert(number);
  }
  EXPECT_EQ(seen.size(), 40u);
  EXPECT_EQ(std::set<std::string>(seen.begin(), seen.end()).size(), 40u);

  // Twenty timed groups of two: twenty forms, numbered 001 to 020 across both halves.
  host::Worksheet& timed = f.Sheet(meet::kStartFinishSheet);
  std::set<std::string> labels, names;
  for (const auto& [r, row] : timed.RowMap())
    for (int c : {10, kL + 9}) {
      const std::string t = Text(timed, r, c);
      if (t.rfind("打印顺序号:", 0) == 0) labels.insert(t);
    }
  for (const auto& [r, row] : timed.RowMap())
    for (int c = 2; c <= kL + 8; ++c) {
      const std::string t = Text(timed, r, c);
      if (t.rfind("乙2-", 0) == 0) {
        EXPECT_TRUE(names.insert(t).second) << t << " twice";
      }
    }
  EXPECT_EQ(labels.size(), 20u);
  EXPECT_EQ(labels.count("打印顺序号:020"), 1u);
  EXPECT_EQ(names.size(), 40u);
}

TEST(RecordTables, AFailureHalfWayLeavesNoRecordSheetBehind) {
  RecordFixture f({{"高一男子100米", "1", 1, 6}, {"高一男子跳高", "3", 2, 9}});
  // A template whose group cell no longer accepts writes while protected.
  host::Worksheet& tpl = f.Sheet(meet::kRecordSheet2);
  tpl.Unprotect();
  tpl.RangeAt("AT2").SetLocked(true);
  tpl.Protect();
  const int sheets = f.book->Count();
  f.Run("CreateTables");
  ASSERT_FALSE(f.ui.boxes.empty());
  EXPECT_EQ(f.ui.boxes.back().icon, shell::Icon::Critical);  // reported by Program::Run
  EXPECT_EQ(f.book->Count(), sheets);
  for (std::string_view name :
       {meet::kStartFinishSheet, meet::kHeightRecordSheet, meet::kDistanceRecordSheet, meet::kOtherRecordSheet})
    EXPECT_EQ(f.Find(name), nullptr) << name;
  EXPECT_FALSE(f.Sheet(meet::kRecordSheet2).Visible());
  EXPECT_TRUE(f.book->Protection().structure);
  EXPECT_TRUE(f.program.Menu().Enabled("CreateTables"));
  EXPECT_EQ(f.program.Caption(), "Korvane");
}

}  // namespace
}  // namespace korvane::reports
