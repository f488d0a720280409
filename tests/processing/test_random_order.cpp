// Random order: names and numbers move together, counts and sets stay, relay
// rows leave temp alone, rows get their own draws, and 随机排序 removes stale
// reports.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "meet/athlete_number.h"
#include "processing/numbering.h"
#include "processing/random_order.h"
#include "processing_fixture.h"

namespace korvane::processing::testing {
namespace {

namespace ev = meet::events;
using Pairs = std::vector<std::pair<std::string, std::string>>;

// A consolidated state written by hand: counts and names in 比赛项目名单,
// numbers in the same cells of the hidden sheet temp.
void Fill(Fixture& fx, const std::string& title, const Pairs& entrants) {
  host::Worksheet& events = fx.Sheet(meet::kEventsSheet);
  host::Worksheet* temp = fx.book->FindSheet(std::string(meet::kTempSheet));
  if (!temp) {
    fx.book->Unprotect();
    temp = &fx.book->AddSheet(nullptr, &fx.book->Sheet(fx.book->Count()), std::string(meet::kTempSheet));
    temp->SetVisible(false);
    fx.book->Protect(true, true);
  }
  const int row = fx.EventRow(title);
  events.PutValue(row, ev::kEntrantCountCol, static_cast<int>(entrants.size()));
  for (std::size_t i = 0; i < entrants.size(); ++i) {
    const int col = ev::kFirstEntrantCol + static_cast<int>(i);
    events.PutValue(row, col, entrants[i].first);
    if (!entrants[i].second.empty()) temp->PutValue(row, col, entrants[i].second);
  }
}

Pairs Athletes(int n, const std::string& prefix, const std::string& code = "7") {
  Pairs v;
  for (int i = 1; i <= n; ++i) v.emplace_back(prefix + std::to_string(i), meet::AthleteNumber(code, 1, i));
  return v;
}

std::multiset<std::pair<std::string, std::string>> AsSet(const Pairs& p) { return {p.begin(), p.end()}; }

TEST(ShuffleEntrants, KeepsEveryEntrantAndDrawsOneKeyEach) {
  std::vector<Entrant> original;
  for (int i = 1; i <= 9; ++i) original.push_back({host::CellValue("选手" + std::to_string(i)), host::CellValue(i)});
  shell::CommandRandom a(42), b(42);
  std::vector<Entrant> shuffled = original;
  ShuffleEntrants(shuffled, a);
  for (std::size_t i = 0; i < original.size(); ++i) b.Next();
  EXPECT_EQ(a.Next(), b.Next()) << "one draw per entrant, no more, no fewer";
  std::vector<Entrant> again = original;
  shell::CommandRandom c(42);
  ShuffleEntrants(again, c);
  EXPECT_EQ(shuffled, again) << "the same draws give the same order";
  auto key = [](const Entrant& e) { return e.name.ToText() + "|" + e.number.ToText(); };
  std::multiset<std::string> before, after;
  for (const Entrant& e : original) before.insert(key(e));
  for (const Entrant& e : shuffled) after.insert(key(e));
  EXPECT_EQ(before, after);
}

TEST(ShuffleEntrants, EveryEntrantCanComeFirstAndLast) {
  shell::CommandRandom rng(7);
  std::set<std::string> first, last;
  for (int round = 0; round < 300; ++round) {
    std::vector<Entrant> list;
    for (int i = 1; i <= 5; ++i) list.push_back({host::CellValue("A" + std::to_string(i)), host::CellValue()});
    ShuffleEntrants(list, rng);
    first.insert(list.front().name.ToText());
    last.insert(list.back().name.ToText());
  }
  EXPECT_EQ(first.size(), 5u);
  EXPECT_EQ(last.size(), 5u);
}

TEST(ShuffleEntrants, EmptyAndSingleListsStay) {
  shell::CommandRandom rng(1);
  std::vector<Entrant> none;
  ShuffleEntrants(none, rng);
  EXPECT_TRUE(none.empty());
  std::vector<Entrant> one{{host::CellValue("独"), host::CellValue("70101")}};
  ShuffleEntrants(one, rng);
  ASSERT_EQ(one.size(), 1u);
  EXPECT_EQ(one[0].number.ToText(), "70101");
}

class SJPXTest : public ::testing::Test {
 protected:
  Fixture fx;
  void SetUp() override {
    fx.Open();
    fx.Sheet(meet::kEventsSheet).Unprotect();
  }
};

TEST_F(SJPXTest, NamesWithUnderscoresKeepTheirOwnNumbers) {
  const Pairs entrants{{"王_小明", "70101"}, {"_李", "70102"}, {"赵__", "70103"}, {"钱_70104_", "70104"},
                       {"孙", "70105"},      {"周_", "70106"}, {"吴", "70107"}};
  Fill(fx, "初一男子100米", entrants);
  shell::CommandRandom rng(3);
  SJPX(*fx.book, rng);
  EXPECT_EQ(AsSet(fx.Entrants("初一男子100米")), AsSet(entrants));
  EXPECT_EQ(fx.Count("初一男子100米"), "7");
}

TEST_F(SJPXTest, EveryRowIsReorderedWithPairsAndCountsIntact) {
  std::map<std::string, Pairs> filled;
  for (const std::string& title : fx.spec.events) {
    if (title.ends_with("接力")) continue;
    filled[title] = Athletes(8, title.substr(0, 12), title.substr(0, 6) == "初一" ? "7" : "8");
    Fill(fx, title, filled[title]);
  }
  shell::CommandRandom rng(11);
  SJPX(*fx.book, rng);
  int reordered = 0;
  for (const auto& [title, entrants] : filled) {
    const Pairs now = fx.Entrants(title);
    EXPECT_EQ(AsSet(now), AsSet(entrants)) << title;
    EXPECT_EQ(fx.Count(title), "8") << title;
    if (now != entrants) ++reordered;
  }
  // Eight entrants keep their order with chance 1/8! per row at most.
  EXPECT_EQ(reordered, static_cast<int>(filled.size()));
}

TEST_F(SJPXTest, RowsDrawIndependently) {
  // Rows with the same entrants: one generator for the command gives them
  // different orders (a generator restarted per row would repeat one order).
  std::set<Pairs> orders;
  const Pairs same = Athletes(10, "同");
  for (const std::string& title : fx.spec.events)
    if (!title.ends_with("接力")) Fill(fx, title, same);
  shell::CommandRandom rng(5);
  SJPX(*fx.book, rng);
  for (const std::string& title : fx.spec.events)
    if (!title.ends_with("接力")) orders.insert(fx.Entrants(title));
  EXPECT_GT(orders.size(), 1u);
}

TEST_F(SJPXTest, RelayRowsReorderTeamsAndLeaveTempAlone) {
  const std::string relay = "初一男子4×100米接力";
  Fill(fx, relay, {{"初一(1)班", ""}, {"初一(2)班", ""}, {"初二(1)班", ""}, {"初二(2)班", ""}});
  Fill(fx, "初一男子100米", Athletes(3, "甲"));  // makes temp
  host::Worksheet& temp = fx.Sheet(meet::kTempSheet);
  const int row = fx.EventRow(relay);
  temp.PutValue(row, ev::kFirstEntrantCol, "留");  // whatever temp holds there stays where it is
  shell::CommandRandom rng(9);
  SJPX(*fx.book, rng);
  std::multiset<std::string> teams;
  for (int c = 0; c < 4; ++c)
    teams.insert(fx.Sheet(meet::kEventsSheet).ValueAt(row, ev::kFirstEntrantCol + c).ToText());
  EXPECT_EQ(teams, (std::multiset<std::string>{"初一(1)班", "初一(2)班", "初二(1)班", "初二(2)班"}));
  EXPECT_EQ(temp.ValueAt(row, ev::kFirstEntrantCol).ToText(), "留");
  EXPECT_FALSE(temp.HasContent(row, ev::kFirstEntrantCol + 1));
}

TEST_F(SJPXTest, RowsWithoutEntrantsAndCellsBeyondTheCountStay) {
  Fill(fx, "初一男子100米", Athletes(1, "单"));
  host::Worksheet& events = fx.Sheet(meet::kEventsSheet);
  const int zero = fx.EventRow("初一女子100米");
  events.PutValue(zero, ev::kEntrantCountCol, 0);
  events.PutValue(zero, ev::kFirstEntrantCol, "不动");
  const int three = fx.EventRow("初二男子跳远");
  Fill(fx, "初二男子跳远", Athletes(3, "乙"));
  events.PutValue(three, ev::kFirstEntrantCol + 3, "界外");  // beyond the count of 3
  shell::CommandRandom rng(2);
  SJPX(*fx.book, rng);
  EXPECT_EQ(fx.Entrants("初一男子100米"), Athletes(1, "单"));
  EXPECT_EQ(events.ValueAt(zero, ev::kFirstEntrantCol).ToText(), "不动");
  EXPECT_EQ(events.ValueAt(three, ev::kFirstEntrantCol + 3).ToText(), "界外");
  EXPECT_TRUE(events.ProtectContents()) << "比赛项目名单 is protected again";
}

TEST_F(SJPXTest, RemovesTheReportSheetsOnly) {
  Fill(fx, "初一男子100米", Athletes(2, "丙"));
  fx.book->Unprotect();
  fx.book->AddSheet(nullptr, &fx.book->Sheet(fx.book->Count()), std::string(meet::kNumberTableSheet));
  for (int stage = 3; stage <= 8; ++stage)
    fx.book->AddSheet(nullptr, &fx.book->Sheet(fx.book->Count()), std::string(meet::StageSheetName(stage)));
  shell::CommandRandom rng(4);
  SJPX(*fx.book, rng);
  EXPECT_NE(fx.book->FindSheet(std::string(meet::kNumberTableSheet)), nullptr);
  EXPECT_NE(fx.book->FindSheet(std::string(meet::kTempSheet)), nullptr);
  for (int stage = 3; stage <= 8; ++stage)
    EXPECT_EQ(fx.book->FindSheet(std::string(meet::StageSheetName(stage))), nullptr) << stage;
}

// ---- the 随机排序 command ----

class SortCommand : public ::testing::Test {
 protected:
  Fixture fx;
  void SetUp() override {
    fx.Open();
    Fill(fx, "初一男子100米", Athletes(6, "丁"));
    fx.book->Unprotect();
    fx.book->AddSheet(&fx.Sheet(meet::kEventsSheet), nullptr, std::string(meet::kNumberTableSheet));
    fx.Sheet(meet::kEventsSheet).SetVisible(true);
    fx.book->Protect(true, true);
    fx.Sheet(meet::kEventsSheet).Protect();
    fx.program.Menu().SetEnabled(
        {"Sort", "CreateReport", "ExportPRF", "MyPrint2", "MyPrint4", "ScoreEdit", "CreateTables", "Schedule"}, true);
  }
  void AddReports() {
    fx.book->Unprotect();
    for (int stage = 3; stage <= 5; ++stage)
      fx.book->AddSheet(nullptr, &fx.book->Sheet(fx.book->Count()), std::string(meet::StageSheetName(stage)));
    fx.Sheet(meet::kScoreRegisterSheet).SetVisible(true);
    fx.book->Protect(true, true);
  }
};

TEST_F(SortCommand, AfterReportsRemovesThemAndDisablesWhatNeedsThem) {
  AddReports();
  fx.program.Run("Sort");
  for (int stage = 3; stage <= 8; ++stage)
    EXPECT_EQ(fx.book->FindSheet(std::string(meet::StageSheetName(stage))), nullptr) << stage;
  EXPECT_FALSE(fx.Sheet(meet::kScoreRegisterSheet).Visible());
  for (const char* item : {"ExportPRF", "MyPrint1", "MyPrint2", "MyPrint3", "MyPrint4", "ScoreEdit", "CreateTables"})
    EXPECT_FALSE(fx.program.Menu().Enabled(item)) << item;
  for (const char* item : {"Sort", "CreateReport", "consolidate", "Schedule"})
    EXPECT_TRUE(fx.program.Menu().Enabled(item)) << item;
  EXPECT_EQ(AsSet(fx.Entrants("初一男子100米")), AsSet(Athletes(6, "丁")));
  EXPECT_TRUE(fx.book->Protection().structure);
  EXPECT_TRUE(fx.book->Protection().windows);
  EXPECT_EQ(&fx.book->ActiveSheet(), &fx.Sheet(meet::kEventsSheet));
  EXPECT_TRUE(fx.ui.boxes.empty());
  ASSERT_FALSE(fx.ui.captions.empty());
  EXPECT_EQ(fx.ui.captions.back(), "Korvane");
  EXPECT_NE(std::find(fx.ui.captions.begin(), fx.ui.captions.end(), "Korvane - 随机排序..."), fx.ui.captions.end());
}

TEST_F(SortCommand, WithoutReportsLeavesTheMenuAsItWas) {
  fx.program.Run("Sort");
  for (const char* item : {"ExportPRF", "MyPrint2", "MyPrint4", "ScoreEdit", "CreateTables"})
    EXPECT_TRUE(fx.program.Menu().Enabled(item)) << item;
  EXPECT_TRUE(fx.Sheet(meet::kScoreRegisterSheet).Visible());
}

TEST_F(SortCommand, RefusesBeforeConsolidation) {
  fx.book->Unprotect();
  fx.book->RemoveSheet(fx.Sheet(meet::kTempSheet));
  fx.book->Protect(true, true);
  fx.ui.boxes.clear();
  fx.program.Run("Sort");
  ASSERT_EQ(fx.Texts(), std::vector<std::string>{std::string(kNotConsolidated)});
  EXPECT_EQ(fx.ui.boxes[0].icon, shell::Icon::Exclamation);
}

TEST_F(SortCommand, WithTheWorkbookClosedResetsTheMenu) {
  fx.Host().Close(*fx.book);
  fx.program.Run("Sort");
  ASSERT_EQ(fx.Texts(), std::vector<std::string>{"文件被关闭!"});
  EXPECT_EQ(fx.ui.boxes[0].icon, shell::Icon::Information);
  EXPECT_FALSE(fx.program.Menu().Enabled("Sort"));
  EXPECT_TRUE(fx.program.Menu().Enabled("New"));
}

}  // namespace
}  // namespace korvane::processing::testing
