// 汇总及编号: the trimming of surplus ticks, who is entered in which event,
// the sheets it makes and removes, the menu, reruns, the undoing of a grade
// merge, and the refusals.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "host/ooxml/xlsx.h"
#include "meet/grades.h"
#include "processing/consolidation.h"
#include "processing_fixture.h"

namespace korvane::processing::testing {
namespace {

namespace ev = meet::events;
namespace nt = meet::numbers;
using PairSet = std::multiset<std::pair<std::string, std::string>>;

std::string Tick(Fixture& fx, int team, int row, const std::string& event) {
  return fx.Team(team).ValueAt(row, fx.EventColumn(event)).ToText();
}

// ---- surplus ticks ----

TEST(Consolidation, SurplusTicksKeepTheLeftmostAndLeaveRelaysAlone) {
  Fixture fx;
  MeetSpec spec;
  spec.grades = {{"初一", 1}};
  spec.headings = {"4×100米接力", "100米", "200米", "跳远", "铅球", "4×400米接力"};
  spec.maxEventsPerAthlete = 2;
  fx.Open(spec);
  const int r = fx.MaleRow(1);
  fx.Athlete(1, r, "甲", {"4×100米接力", "100米", "200米", "跳远", "铅球", "4×400米接力"});
  // A row without a name is trimmed too, and anything past the limit goes.
  fx.Tick(1, fx.MaleRow(2), "200米");
  fx.Tick(1, fx.MaleRow(2), "跳远");
  fx.Team(1).Cells(fx.MaleRow(2), fx.EventColumn("铅球")).SetLiteral("x");
  fx.program.Run("consolidate");

  EXPECT_EQ(Tick(fx, 1, r, "4×100米接力"), "√");
  EXPECT_EQ(Tick(fx, 1, r, "100米"), "√");
  EXPECT_EQ(Tick(fx, 1, r, "200米"), "√");
  EXPECT_EQ(Tick(fx, 1, r, "跳远"), "");
  EXPECT_EQ(Tick(fx, 1, r, "铅球"), "");
  EXPECT_EQ(Tick(fx, 1, r, "4×400米接力"), "√");
  EXPECT_EQ(Tick(fx, 1, fx.MaleRow(2), "200米"), "√");
  EXPECT_EQ(Tick(fx, 1, fx.MaleRow(2), "跳远"), "√");
  EXPECT_EQ(Tick(fx, 1, fx.MaleRow(2), "铅球"), "");
  EXPECT_EQ(fx.Count("初一男子跳远"), "0");
  EXPECT_EQ(fx.Count("初一男子100米"), "1");
  // The relays on either side of the trimmed ticks still enter the team.
  EXPECT_EQ(fx.EntrantSet("初一男子4×100米接力"), (PairSet{{"初一(1)班", ""}}));
  EXPECT_EQ(fx.EntrantSet("初一男子4×400米接力"), (PairSet{{"初一(1)班", ""}}));
  EXPECT_TRUE(fx.Team(1).ProtectContents());
}

// ---- who is entered ----

class Entries : public ::testing::Test {
 protected:
  Fixture fx;
  void SetUp() override {
    MeetSpec spec;
    spec.grades = {{"初一", 2}, {"初二", 1}};
    spec.rowsPerTeam = 8;
    spec.maxPerTeamPerEvent = 2;
    spec.maxEventsPerAthlete = 3;
    fx.Open(spec);
  }
  std::string Number(int team, int formRow) {
    return fx.Sheet(meet::kNumberTableSheet).ValueAt(nt::RowOf(team, formRow, 8), nt::kNumberCol).ToText();
  }
};

TEST_F(Entries, NamesWithTheirNumbersPerSexAndGrade) {
  fx.Athlete(1, fx.MaleRow(1), "张一", {"100米", "跳远"});
  fx.Athlete(1, fx.MaleRow(3), "张三", {"100米"});
  fx.Athlete(2, fx.MaleRow(1), "李一", {"跳远"});
  fx.Athlete(1, fx.FemaleRow(2), "王二", {"100米"});
  fx.Athlete(3, fx.MaleRow(1), "赵一", {"100米"});
  fx.program.Run("consolidate");
  EXPECT_EQ(fx.EntrantSet("初一男子100米"), (PairSet{{"张一", "70101"}, {"张三", "70103"}}));
  EXPECT_EQ(fx.EntrantSet("初一男子跳远"), (PairSet{{"张一", "70101"}, {"李一", "70201"}}));
  EXPECT_EQ(fx.EntrantSet("初一女子100米"), (PairSet{{"王二", "70106"}}));
  EXPECT_EQ(fx.EntrantSet("初二男子100米"), (PairSet{{"赵一", "80101"}}));
  EXPECT_EQ(fx.Count("初一男子100米"), "2");
  EXPECT_EQ(fx.Count("初一女子跳远"), "0");
  EXPECT_EQ(Number(1, fx.FemaleRow(2)), "70106");
}

TEST_F(Entries, NamelessTicksDoNotCountAgainstTheTeamLimit) {
  fx.Athlete(1, fx.MaleRow(1), "队长");
  fx.Tick(1, fx.FemaleRow(1), "100米");           // no name: not an entrant, not counted
  fx.Athlete(1, fx.FemaleRow(2), "", {"100米"});  // a name of empty text is no name either
  fx.Athlete(1, fx.FemaleRow(3), "甲", {"100米"});
  fx.Athlete(1, fx.FemaleRow(4), "乙", {"100米"});
  fx.Athlete(2, fx.MaleRow(1), "丙");
  fx.Athlete(2, fx.FemaleRow(1), "丁", {"100米"});
  fx.program.Run("consolidate");
  EXPECT_EQ(fx.EntrantSet("初一女子100米"), (PairSet{{"甲", "70107"}, {"乙", "70108"}, {"丁", "70205"}}));
}

TEST_F(Entries, AtMostTheTeamLimitPerEventFirstRowsFirst) {
  for (int i = 1; i <= 4; ++i) fx.Athlete(1, fx.MaleRow(i), "男" + std::to_string(i), {"跳远"});
  fx.program.Run("consolidate");
  EXPECT_EQ(fx.EntrantSet("初一男子跳远"), (PairSet{{"男1", "70101"}, {"男2", "70102"}}));
}

TEST_F(Entries, ATeamWithoutAFirstManTakesNoPart) {
  fx.Athlete(2, fx.MaleRow(2), "男二", {"100米"});
  fx.Athlete(2, fx.FemaleRow(1), "女一", {"100米", "4×100米接力"});
  fx.Tick(2, fx.MaleRow(1), "4×100米接力");
  fx.Athlete(1, fx.MaleRow(1), "甲", {"100米"});
  fx.program.Run("consolidate");
  EXPECT_EQ(fx.EntrantSet("初一男子100米"), (PairSet{{"甲", "70101"}}));
  EXPECT_EQ(fx.Count("初一女子100米"), "0");
  EXPECT_EQ(fx.Count("初一男子4×100米接力"), "0");
  EXPECT_EQ(fx.Count("初一女子4×100米接力"), "0");
  host::Worksheet& table = fx.Sheet(meet::kNumberTableSheet);
  for (int r = nt::BlockFirstRow(2, 8); r < nt::BlockFirstRow(3, 8); ++r) EXPECT_FALSE(table.HasContent(r, 1)) << r;
}

TEST_F(Entries, RelayIsTheTickInTheFirstRowOfTheSexBlock) {
  for (int t = 1; t <= 3; ++t) fx.Athlete(t, fx.MaleRow(1), "队员" + std::to_string(t));
  fx.Tick(1, fx.MaleRow(1), "4×100米接力");
  fx.Tick(2, fx.MaleRow(2), "4×100米接力");    // not the first row: not entered
  fx.Tick(1, fx.FemaleRow(1), "4×100米接力");  // women's relay of a woman-less team still counts
  fx.Tick(2, fx.FemaleRow(3), "4×100米接力");
  fx.Tick(3, fx.MaleRow(1), "4×100米接力");
  fx.program.Run("consolidate");
  EXPECT_EQ(fx.EntrantSet("初一男子4×100米接力"), (PairSet{{"初一(1)班", ""}}));
  EXPECT_EQ(fx.EntrantSet("初一女子4×100米接力"), (PairSet{{"初一(1)班", ""}}));
  EXPECT_EQ(fx.EntrantSet("初二男子4×100米接力"), (PairSet{{"初二(1)班", ""}}));
  EXPECT_EQ(fx.Count("初一男子4×100米接力"), "1");
  // temp holds no numbers for relays.
  host::Worksheet& temp = fx.Sheet(meet::kTempSheet);
  EXPECT_FALSE(temp.HasContent(fx.EventRow("初一男子4×100米接力"), ev::kFirstEntrantCol));
}

TEST_F(Entries, TicksWithBlanksCountOtherMarksAndDroppedTicksAreListed) {
  fx.book->SaveAs((fx.dir / kMeetName).string());
  auto mark = [&](int row, const std::string& event, const host::CellValue& v) {
    fx.Team(1).Cells(row, fx.EventColumn(event)).SetLiteral(v);
  };
  fx.Athlete(1, fx.MaleRow(1), "甲");
  fx.Athlete(1, fx.MaleRow(2), "乙");
  fx.Athlete(1, fx.MaleRow(3), "丙");
  fx.Athlete(1, fx.MaleRow(4), "丁");
  mark(fx.MaleRow(1), "100米", host::CellValue("✓"));
  mark(fx.MaleRow(2), "100米", host::CellValue("√ "));
  mark(fx.MaleRow(3), "100米", host::CellValue("\u3000√"));  // a tick beyond the team's 2
  mark(fx.MaleRow(4), "100米", host::CellValue("v"));
  mark(fx.MaleRow(4), "跳远", host::CellValue(1.0));
  fx.program.Run("consolidate");

  EXPECT_EQ(fx.EntrantSet("初一男子100米"), (PairSet{{"甲", "70101"}, {"乙", "70102"}}));
  EXPECT_EQ(fx.Count("初一男子跳远"), "0");
  const std::string path = (fx.dir / std::string(kEntryIssuesFile)).string();
  ASSERT_EQ(fx.ui.boxes.size(), 1u);
  EXPECT_EQ(fx.ui.boxes[0].text, text::EntryIssuesSummary(2, 1) + text::IssuesWritten(path));
  EXPECT_EQ(fx.ui.boxes[0].icon, shell::Icon::Exclamation);
  auto list = host::ooxml::ReadWorkbookFile(path, nullptr);
  const host::Worksheet& ws = list->Sheet(1);
  auto row = [&](int r) {
    std::vector<std::string> v;
    for (int c = 1; c <= 5; ++c) v.push_back(ws.ValueAt(r, c).ToText());
    return v;
  };
  const std::string d = std::to_string(fx.MaleRow(4)), c3 = std::to_string(fx.MaleRow(3));
  EXPECT_EQ(row(1), (std::vector<std::string>{"工作表", "单元格", "姓名", "项目", "原因"}));
  EXPECT_EQ(row(2), (std::vector<std::string>{"1", "D" + d, "丁", "100米", text::NotATick("v")}));
  EXPECT_EQ(row(3), (std::vector<std::string>{"1", "E" + d, "丁", "跳远", text::NotATick("1")}));
  EXPECT_EQ(row(4), (std::vector<std::string>{"1", "D" + c3, "丙", "初一男子100米", text::OverTeamLimit(2)}));
  EXPECT_EQ(ws.ValueAt(5, 1).ToText(), "");
  // The meet workbook gets no sheet for it; a clean rerun removes the list.
  EXPECT_EQ(fx.book->FindSheet(std::string(kEntryIssuesSheet)), nullptr);
  mark(fx.MaleRow(3), "100米", host::CellValue());
  mark(fx.MaleRow(4), "100米", host::CellValue());
  mark(fx.MaleRow(4), "跳远", host::CellValue());
  fx.ui.boxes.clear();
  fx.program.Run("consolidate");
  EXPECT_TRUE(fx.ui.boxes.empty());
  EXPECT_FALSE(std::filesystem::exists(path));
}

TEST_F(Entries, NoMoreThan75EntrantsFirstFoundFirst) {
  MeetSpec spec;
  spec.grades = {{"高一", 40}};
  spec.rowsPerTeam = 4;
  spec.headings = {"100米"};
  fx.Open(spec);
  for (int t = 1; t <= 40; ++t) {
    fx.Athlete(t, fx.MaleRow(1), "甲" + std::to_string(t), {"100米"});
    fx.Athlete(t, fx.MaleRow(2), "乙" + std::to_string(t), {"100米"});
  }
  fx.program.Run("consolidate");
  EXPECT_EQ(fx.Count("高一男子100米"), "75");
  const auto entrants = fx.EntrantSet("高一男子100米");
  EXPECT_EQ(entrants.size(), 75u);
  EXPECT_EQ(entrants.count({"甲38", "13801"}), 1u);
  EXPECT_EQ(entrants.count({"甲38", "13801"}) + entrants.count({"乙38", "13802"}), 1u) << "75th is 甲38";
  EXPECT_EQ(entrants.count({"甲39", "13901"}), 0u);
}

TEST(Consolidation, LevelEventsCollectEveryGradeOfTheLevel) {
  Fixture fx;
  MeetSpec spec;
  spec.grades = {{"初一", 1}, {"初二", 2}, {"高一", 1}};
  spec.headings = {"100米", "跳高"};
  spec.events = {"初中男子100米", "初中女子100米", "初中男子跳高", "高一男子100米",
                 "高中男子跳高",  "高三男子100米", "初一男子跳绳"};
  spec.eventGrades = {"初中", "初中", "初中", "高一", "高中", "高三", "初一"};
  fx.Open(spec);
  fx.Athlete(1, fx.MaleRow(1), "初一甲", {"100米"});
  fx.Athlete(3, fx.MaleRow(1), "初二乙", {"100米", "跳高"});
  fx.Athlete(4, fx.MaleRow(1), "高一丙", {"100米", "跳高"});
  fx.program.Run("consolidate");
  ASSERT_TRUE(fx.ui.boxes.empty());
  EXPECT_EQ(fx.EntrantSet("初中男子100米"), (PairSet{{"初一甲", "70101"}, {"初二乙", "80201"}}));
  EXPECT_EQ(fx.EntrantSet("初中男子跳高"), (PairSet{{"初二乙", "80201"}}));
  EXPECT_EQ(fx.EntrantSet("高一男子100米"), (PairSet{{"高一丙", "10101"}}));
  EXPECT_EQ(fx.EntrantSet("高中男子跳高"), (PairSet{{"高一丙", "10101"}}));
  // A grade the meet does not have, and an event the forms do not have: count 0.
  EXPECT_EQ(fx.Count("高三男子100米"), "0");
  EXPECT_EQ(fx.Count("初一男子跳绳"), "0");
  // F1 = 1: the junior grades compete together.
  EXPECT_EQ(fx.Sheet(meet::kEventsSheet).ValueAt(1, 6).ToText(), "1");
}

TEST(Consolidation, UnmatchedEventRowsGetCountZeroInsteadOfAStaleCount) {
  Fixture fx;
  MeetSpec spec;
  spec.grades = {{"初一", 1}};
  spec.headings = {"100米"};
  spec.events = {"初一男子100米", "初一男子铁饼"};
  fx.Open(spec);
  host::Worksheet& events = fx.Sheet(meet::kEventsSheet);
  events.PutValue(fx.EventRow("初一男子铁饼"), ev::kEntrantCountCol, 5);
  events.PutValue(fx.EventRow("初一男子铁饼"), ev::kFirstEntrantCol, "旧名");
  fx.Athlete(1, fx.MaleRow(1), "甲", {"100米"});
  fx.program.Run("consolidate");
  EXPECT_EQ(fx.Count("初一男子铁饼"), "0");
  EXPECT_TRUE(fx.Entrants("初一男子铁饼").empty());
  EXPECT_EQ(fx.Count("初一男子100米"), "1");
}

// ---- sheets, menu, reruns ----

TEST(Consolidation, SheetsMenuAndCaptions) {
  Fixture fx;
  fx.Open();
  fx.Athlete(1, fx.MaleRow(1), "甲", {"100米"});
  fx.ui.captions.clear();
  fx.program.Run("consolidate");
  ASSERT_TRUE(fx.ui.boxes.empty());

  const std::vector<host::Worksheet*> sheets = fx.book->Sheets();
  const int events = fx.book->IndexOf(fx.Sheet(meet::kEventsSheet));
  EXPECT_EQ(fx.book->IndexOf(fx.Sheet(meet::kNumberTableSheet)), events - 1);
  EXPECT_EQ(sheets.back()->Name(), "temp");
  EXPECT_FALSE(sheets.back()->Visible());
  EXPECT_TRUE(fx.Sheet(meet::kEventsSheet).Visible());
  EXPECT_TRUE(fx.Sheet(meet::kEventsSheet).ProtectContents());
  EXPECT_FALSE(fx.Sheet(meet::kScoreRegisterSheet).Visible());
  EXPECT_EQ(&fx.book->ActiveSheet(), &fx.Sheet(meet::kEventsSheet));
  EXPECT_TRUE(fx.book->Protection().structure);
  EXPECT_TRUE(fx.book->Protection().windows);
  EXPECT_TRUE(fx.Host().screenUpdating);

  const shell::MenuState& menu = fx.program.Menu();
  for (const char* on :
       {"Combine", "Sort", "CreateReport", "Schedule", "consolidate", "MNBM", "Save", "Close", "Export"})
    EXPECT_TRUE(menu.Enabled(on)) << on;
  for (const char* off : {"Import", "ExportPRF", "MyPrint1", "MyPrint2", "MyPrint3", "MyPrint4", "ScoreEdit", "New"})
    EXPECT_FALSE(menu.Enabled(off)) << off;

  const std::vector<std::string> expected{"Korvane - 整理报名数据...", "Korvane - 汇总各班名单...",
                                          "Korvane - 自动编号...",     "Korvane - 汇总报名项目...",
                                          "Korvane - 随机排序...",     "Korvane"};
  EXPECT_EQ(fx.ui.captions, expected);
}

TEST(Consolidation, RerunRemovesReportsAndGivesTheSameLists) {
  Fixture fx;
  MeetSpec spec;
  spec.teamMode = true;
  fx.Open(spec);
  for (int t = 1; t <= 4; ++t)
    for (int i = 1; i <= 3; ++i) fx.Athlete(t, fx.MaleRow(i), "男" + std::to_string(t) + std::to_string(i), {"100米"});
  fx.Athlete(2, fx.FemaleRow(1), "女", {"跳远", "4×100米接力"});
  fx.program.Run("consolidate");
  std::map<std::string, PairSet> first;
  for (const std::string& title : fx.spec.events) first[title] = fx.EntrantSet(title);
  EXPECT_FALSE(fx.program.Menu().Enabled("Combine")) << "team mode has no grade merge";

  // Reports and record tables exist; some menu items were switched by them.
  fx.book->Unprotect();
  for (int stage = 3; stage <= 8; ++stage)
    fx.book->AddSheet(nullptr, &fx.book->Sheet(fx.book->Count()), std::string(meet::StageSheetName(stage)));
  fx.Sheet(meet::kScoreRegisterSheet).SetVisible(true);
  fx.book->Protect(true, true);
  fx.program.Menu().SetEnabled({"CreateTables", "ItemSetup", "Initialization", "ScoreEdit", "MyPrint3"}, true);
  fx.program.Menu().SetEnabled({"Save", "MNBM"}, false);

  fx.program.Run("consolidate");
  int numberTables = 0, temps = 0;
  for (host::Worksheet* ws : fx.book->Sheets()) {
    numberTables += ws->Name() == meet::kNumberTableSheet;
    temps += ws->Name() == meet::kTempSheet;
  }
  EXPECT_EQ(numberTables, 1);
  EXPECT_EQ(temps, 1);
  for (int stage = 3; stage <= 8; ++stage)
    EXPECT_EQ(fx.book->FindSheet(std::string(meet::StageSheetName(stage))), nullptr) << stage;
  for (const std::string& title : fx.spec.events) EXPECT_EQ(fx.EntrantSet(title), first[title]) << title;
  EXPECT_EQ(fx.EntrantSet("初一女子4×100米接力"), (PairSet{{"初一(2)班", ""}}));
  const shell::MenuState& menu = fx.program.Menu();
  for (const char* off : {"CreateTables", "ItemSetup", "Initialization", "ScoreEdit", "MyPrint3"})
    EXPECT_FALSE(menu.Enabled(off)) << off;
  for (const char* on : {"Save", "MNBM", "Close", "consolidate"}) EXPECT_TRUE(menu.Enabled(on)) << on;
  EXPECT_FALSE(fx.Sheet(meet::kScoreRegisterSheet).Visible());
}

// ---- undoing a grade merge ----

// The state a merge of 初一 with 初二 leaves, made by hand: 初一's titles carry
// both grades and hold 初二's entrants too, 初二's rows are hidden, F1 is set.
void MergeByHand(Fixture& fx, const std::string& x, const std::string& y, int flagCol) {
  host::Worksheet& events = fx.Sheet(meet::kEventsSheet);
  for (std::size_t k = 0; k < fx.spec.events.size(); ++k) {
    const int row = ev::EventRow(static_cast<int>(k) + 1);
    const std::string title = events.ValueAt(row, ev::kTitleCol).ToText();
    if (title.rfind(x, 0) == 0) events.PutValue(row, ev::kTitleCol, x + y + title.substr(x.size()));
    if (title.rfind(y, 0) == 0) events.SetRowHidden(row, true);
  }
  events.PutValue(1, flagCol, 1);
}

TEST(Consolidation, UndoesAGradeMergeWhateverTheBlockSizes) {
  Fixture fx;
  MeetSpec spec;
  spec.grades = {{"初一", 1}, {"初二", 1}, {"初三", 1}, {"高一", 1}, {"高二", 1}};
  spec.headings = {"100米", "跳远", "铅球"};
  // Blocks of different lengths: 初一 holds one event, 初二 three, 高一 two, 高二 one.
  spec.events = {"初一男子100米", "初二男子100米", "初二男子跳远", "初二女子跳远",
                 "初三男子铅球",  "高一男子100米", "高一男子铅球", "高二男子100米"};
  fx.Open(spec);
  fx.Athlete(1, fx.MaleRow(1), "初一甲", {"100米"});
  fx.Athlete(2, fx.MaleRow(1), "初二乙", {"100米", "跳远"});
  fx.Athlete(4, fx.MaleRow(1), "高一丙", {"100米", "铅球"});
  fx.Athlete(5, fx.MaleRow(1), "高二丁", {"100米"});
  fx.program.Run("consolidate");
  std::map<std::string, PairSet> unmerged;
  for (const std::string& title : fx.spec.events) unmerged[title] = fx.EntrantSet(title);

  // Both levels merged: 初一 with 初二 and 高一 with 高二.
  host::Worksheet& events = fx.Sheet(meet::kEventsSheet);
  events.Unprotect();
  MergeByHand(fx, "初一", "初二", 6);
  MergeByHand(fx, "高一", "高二", 8);
  const int row = fx.EventRow("初一男子100米");
  events.PutValue(row, ev::kEntrantCountCol, 2);
  events.PutValue(row, ev::kFirstEntrantCol + 1, "初二乙");
  fx.Sheet(meet::kTempSheet).PutValue(row, ev::kFirstEntrantCol + 1, "80101");
  events.Protect();
  ASSERT_EQ(events.ValueAt(fx.EventRow("高一男子铅球"), ev::kTitleCol).ToText(), "高一高二男子铅球");

  fx.program.Run("consolidate");
  for (std::size_t k = 0; k < fx.spec.events.size(); ++k) {
    const int r = ev::EventRow(static_cast<int>(k) + 1);
    EXPECT_EQ(events.ValueAt(r, ev::kTitleCol).ToText(), fx.spec.events[k]);
    EXPECT_FALSE(events.RowHidden(r)) << fx.spec.events[k];
    EXPECT_EQ(fx.EntrantSet(fx.spec.events[k]), unmerged[fx.spec.events[k]]) << fx.spec.events[k];
  }
  for (int c = 6; c <= 9; ++c) EXPECT_FALSE(events.HasContent(1, c)) << c;
}

TEST(Consolidation, JuniorLevelFlagStaysAfterUndoingAMerge) {
  Fixture fx;
  MeetSpec spec;
  spec.grades = {{"初一", 1}, {"初二", 1}, {"高一", 1}, {"高二", 1}};
  spec.headings = {"100米"};
  spec.events = {"初中男子100米", "高一男子100米", "高二男子100米"};
  spec.eventGrades = {"初中", "高一", "高二"};
  fx.Open(spec);
  fx.Athlete(3, fx.MaleRow(1), "高一甲", {"100米"});
  host::Worksheet& events = fx.Sheet(meet::kEventsSheet);
  ASSERT_EQ(events.ValueAt(1, 6).ToText(), "1");
  events.Unprotect();
  MergeByHand(fx, "高一", "高二", 8);
  fx.program.Run("consolidate");
  EXPECT_EQ(events.ValueAt(fx.EventRow("高一男子100米"), ev::kTitleCol).ToText(), "高一男子100米");
  EXPECT_EQ(events.ValueAt(1, 6).ToText(), "1");
  EXPECT_FALSE(events.HasContent(1, 8));
  EXPECT_EQ(fx.EntrantSet("高一男子100米"), (PairSet{{"高一甲", "10101"}}));
}

// ---- refusals ----

class Refusals : public ::testing::Test {
 protected:
  Fixture fx;
  void SetUp() override {
    fx.Open();
    fx.Athlete(1, fx.MaleRow(1), "甲", {"100米", "跳远", "铅球"});
  }
  void ExpectRefused(const std::string& text) {
    const int sheets = fx.book->Count();
    fx.program.Run("consolidate");
    ASSERT_EQ(fx.Texts(), std::vector<std::string>{text});
    EXPECT_EQ(fx.ui.boxes[0].icon, shell::Icon::Exclamation);
    EXPECT_EQ(fx.book->Count(), sheets);
    EXPECT_EQ(Tick(fx, 1, fx.MaleRow(1), "铅球"), "√") << "nothing is trimmed";
    EXPECT_FALSE(fx.program.Menu().Enabled("Sort"));
  }
  void SetSetting(meet::CellPos at, const host::CellValue& v) {
    fx.Sheet(meet::kSettingsSheet).PutValue(at.row, at.col, v);
  }
};

TEST_F(Refusals, ZeroEventsPerAthlete) {
  SetSetting(meet::settings::MaxEventsPerAthlete, 0);
  ExpectRefused(std::string(kMaxEventsNotPositive));
}

TEST_F(Refusals, ZeroPerTeamLimit) {
  SetSetting(meet::settings::MaxPerTeamPerEvent, host::CellValue());
  ExpectRefused(std::string(kMaxPerTeamNotPositive));
}

TEST_F(Refusals, OddRowsPerTeam) {
  SetSetting(meet::settings::RowsPerTeam, 7);
  ExpectRefused(std::string(kRowsPerTeamNotEven));
}

TEST_F(Refusals, TeamCountsThatDoNotAddUp) {
  SetSetting(meet::settings::TeamSheetCount, 5);
  ExpectRefused("设置!B9 的参赛队总数（5）与各年级的班级（代表队）数之和（4）不一致。");
}

TEST_F(Refusals, AMissingTeamSheet) {
  fx.book->Unprotect();
  fx.book->RemoveSheet(fx.Team(3));
  fx.book->Protect(true, true);
  ExpectRefused(MissingTeamSheetText(3));
}

TEST_F(Refusals, NoMeetWorkbook) {
  fx.Host().Close(*fx.book);
  fx.program.Run("consolidate");
  EXPECT_EQ(fx.Texts(), std::vector<std::string>{"文件被关闭!"});
  EXPECT_FALSE(fx.program.Menu().Enabled("consolidate"));
}

// ---- FindPosition ----

TEST(FindPosition, GradesLevelsAndUnknownNames) {
  const std::vector<meet::Grade> grades{{"初一", 2, 1, 2}, {"初二", 3, 3, 5}, {"高一", 1, 6, 6}, {"高二", 0, 7, 6}};
  auto range = [&](const char* g) {
    meet::TeamRange r = meet::FindPosition(grades, g);
    return std::make_pair(r.first, r.last);
  };
  EXPECT_EQ(range("初二"), std::make_pair(3, 5));
  EXPECT_EQ(range("初中"), std::make_pair(1, 5));
  EXPECT_EQ(range("高中"), std::make_pair(6, 6));
  EXPECT_TRUE(meet::FindPosition(grades, "高二").Empty());
  EXPECT_TRUE(meet::FindPosition(grades, "高三").Empty());
  EXPECT_TRUE(meet::FindPosition({{"初一", 2, 1, 2}}, "高中").Empty());
  // A grade actually named 初中 is that grade alone.
  const std::vector<meet::Grade> named{{"初一", 1, 1, 1}, {"初中", 2, 2, 3}};
  EXPECT_EQ(meet::FindPosition(named, "初中").first, 2);
}

}  // namespace
}  // namespace korvane::processing::testing
