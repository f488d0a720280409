// 年级合并...: the merge of two neighbouring grades on a consolidated meet (the
// entrants and their numbers move together, titles carry both grades, the
// second grade's rows are hidden), the 75-entrant room of an event row, and
// the dialog frm年级合并 with its frames, options and buttons.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "processing/grade_merge.h"
#include "processing/processing_fixture.h"

namespace korvane::processing::testing {
namespace {

namespace ev = meet::events;
using Pairs = std::multiset<std::pair<std::string, std::string>>;

struct MergeFixture : Fixture {
  void Consolidate() {
    program.Run("consolidate");
    ASSERT_NE(book->FindSheet(std::string(meet::kTempSheet)), nullptr) << "consolidation failed";
  }

  // Runs 年级合并... and hands the dialog to `drive`, which must close it.
  void Combine(const std::function<void(Frm年级合并&)>& drive) {
    ui.driveDialog = [&](shell::DialogModel& d) { drive(dynamic_cast<Frm年级合并&>(d)); };
    program.Run("Combine");
  }
  // Merges the pairs of the given options.
  void Merge(std::initializer_list<int> options) {
    Combine([&](Frm年级合并& dlg) {
      for (int o : options) dlg.Option.UserClick(o);
      dlg.OKButton.Click();
    });
  }

  host::Worksheet& Events() { return Sheet(meet::kEventsSheet); }
  std::string Title(const std::string& original) {
    return Events().ValueAt(EventRow(original), ev::kTitleCol).ToText();
  }
  bool Hidden(const std::string& original) { return Events().RowHidden(EventRow(original)); }
  std::string Flag(int i) { return Events().ValueAt(ev::kMergeFlagsFirst.row, ev::kMergeFlagsFirst.col + i).ToText(); }
};

Pairs Union(const Pairs& a, const Pairs& b) {
  Pairs u = a;
  u.insert(b.begin(), b.end());
  return u;
}

// Two junior grades of two classes, and events that only one grade holds.
MeetSpec TwoJuniorGrades() {
  MeetSpec spec;
  spec.grades = {{"初一", 2}, {"初二", 2}};
  spec.rowsPerTeam = 6;
  spec.headings = {"100米", "跳远", "铅球", "4×100米接力"};
  spec.events = {"初一男子100米", "初一男子跳远", "初一男子4×100米接力",
                 "初二男子100米", "初二男子铅球", "初二男子4×100米接力"};
  return spec;
}

TEST(GradeMerge, MovesEntrantsWithTheirNumbersAndRenamesEveryTitleOfTheFirstGrade) {
  MergeFixture f;
  f.Open(TwoJuniorGrades());
  f.Athlete(1, f.MaleRow(1), "张一", {"100米", "4×100米接力"});
  f.Athlete(1, f.MaleRow(2), "李一", {"100米", "跳远"});
  f.Athlete(2, f.MaleRow(1), "王二", {"100米"});
  f.Athlete(3, f.MaleRow(1), "赵三", {"100米", "4×100米接力"});
  f.Athlete(3, f.MaleRow(2), "周三", {"铅球"});
  f.Athlete(4, f.MaleRow(1), "钱四", {"100米"});
  f.Athlete(4, f.MaleRow(2), "孙四", {"铅球"});
  f.Consolidate();

  const Pairs sprint1 = f.EntrantSet("初一男子100米"), sprint2 = f.EntrantSet("初二男子100米");
  const Pairs jump = f.EntrantSet("初一男子跳远"), shot = f.EntrantSet("初二男子铅球");
  const Pairs relay1 = f.EntrantSet("初一男子4×100米接力"), relay2 = f.EntrantSet("初二男子4×100米接力");
  ASSERT_EQ(sprint1.size(), 3u);
  ASSERT_EQ(sprint2.size(), 2u);
  ASSERT_EQ(relay1.size(), 1u);

  f.Merge({0});

  // 100米: both grades' entrants with their own numbers in the first grade's row.
  EXPECT_EQ(f.Title("初一男子100米"), "初一初二男子100米");
  EXPECT_EQ(f.EntrantSet("初一男子100米"), Union(sprint1, sprint2));
  EXPECT_EQ(f.Count("初一男子100米"), "5");
  EXPECT_TRUE(f.Hidden("初二男子100米"));
  EXPECT_TRUE(f.Entrants("初二男子100米").empty());
  EXPECT_EQ(f.Count("初二男子100米"), "");
  // An event of the first grade alone keeps its entrants under the merged title.
  EXPECT_EQ(f.Title("初一男子跳远"), "初一初二男子跳远");
  EXPECT_EQ(f.EntrantSet("初一男子跳远"), jump);
  EXPECT_FALSE(f.Hidden("初一男子跳远"));
  // An event of the second grade alone stays visible under its own title.
  EXPECT_EQ(f.Title("初二男子铅球"), "初二男子铅球");
  EXPECT_FALSE(f.Hidden("初二男子铅球"));
  EXPECT_EQ(f.EntrantSet("初二男子铅球"), shot);
  // A relay moves team names only; temp holds no numbers for it.
  EXPECT_EQ(f.Title("初一男子4×100米接力"), "初一初二男子4×100米接力");
  EXPECT_EQ(f.EntrantSet("初一男子4×100米接力"), Union(relay1, relay2));
  for (const auto& [team, number] : f.Entrants("初一男子4×100米接力")) EXPECT_EQ(number, "") << team;
  EXPECT_TRUE(f.Hidden("初二男子4×100米接力"));
  // The level is marked as merged.
  EXPECT_EQ(f.Flag(0), "1");
  EXPECT_EQ(f.Flag(1), "");
  EXPECT_TRUE(f.Events().ProtectContents());
  EXPECT_TRUE(f.book->Protection().structure);
  EXPECT_EQ(f.program.Caption(), "Korvane");
  EXPECT_NE(std::find(f.ui.captions.begin(), f.ui.captions.end(), "Korvane - 年级合并..."), f.ui.captions.end());
}

TEST(GradeMerge, ConsolidationAfterAMergeBringsBackTheGradesLists) {
  MergeFixture f;
  f.Open(TwoJuniorGrades());
  f.Athlete(1, f.MaleRow(1), "张一", {"100米"});
  f.Athlete(3, f.MaleRow(1), "赵三", {"100米"});
  f.Consolidate();
  const Pairs sprint1 = f.EntrantSet("初一男子100米"), sprint2 = f.EntrantSet("初二男子100米");
  f.Merge({0});
  ASSERT_EQ(f.Title("初一男子100米"), "初一初二男子100米");

  f.Consolidate();
  EXPECT_EQ(f.Title("初一男子100米"), "初一男子100米");
  EXPECT_EQ(f.Title("初一男子跳远"), "初一男子跳远");
  EXPECT_FALSE(f.Hidden("初二男子100米"));
  EXPECT_EQ(f.EntrantSet("初一男子100米"), sprint1);
  EXPECT_EQ(f.EntrantSet("初二男子100米"), sprint2);
  EXPECT_EQ(f.Flag(0), "");
}

// Grades of `teams` classes each, two boys per class entered in 100米 except
// the last class of the second grade, which enters `lastTeamSecond` boys.
MeetSpec CrowdedSprint(int teams) {
  MeetSpec spec;
  spec.grades = {{"初一", teams}, {"初二", teams}};
  spec.rowsPerTeam = 4;
  spec.maxPerTeamPerEvent = 2;
  spec.headings = {"100米", "跳远"};
  spec.events = {"初一男子100米", "初一男子跳远", "初二男子100米", "初二男子跳远"};
  return spec;
}

void EnterSprinters(MergeFixture& f, int teams, int lastTeamSecond) {
  for (int t = 1; t <= 2 * teams; ++t) {
    const int boys = t == 2 * teams ? lastTeamSecond : 2;
    for (int i = 1; i <= boys; ++i)
      f.Athlete(t, f.MaleRow(i), "甲" + std::to_string(t) + "_" + std::to_string(i), {"100米"});
  }
  f.Tick(1, f.MaleRow(1), "跳远");
  f.Tick(teams + 1, f.MaleRow(1), "跳远");
}

TEST(GradeMerge, AnEventThatWouldExceedSeventyFiveEntrantsStaysApartAndIsNamed) {
  MergeFixture f;
  f.Open(CrowdedSprint(20));
  EnterSprinters(f, 20, 2);
  f.Consolidate();
  ASSERT_EQ(f.Count("初一男子100米"), "40");
  ASSERT_EQ(f.Count("初二男子100米"), "40");
  const Pairs sprint1 = f.EntrantSet("初一男子100米"), sprint2 = f.EntrantSet("初二男子100米");
  const Pairs jump = Union(f.EntrantSet("初一男子跳远"), f.EntrantSet("初二男子跳远"));
  f.ui.boxes.clear();

  f.Merge({0});

  // 100米 keeps both rows as they were: no entrant lost, nothing past CB.
  EXPECT_EQ(f.Title("初一男子100米"), "初一男子100米");
  EXPECT_EQ(f.Title("初二男子100米"), "初二男子100米");
  EXPECT_FALSE(f.Hidden("初二男子100米"));
  EXPECT_EQ(f.Count("初一男子100米"), "40");
  EXPECT_EQ(f.Count("初二男子100米"), "40");
  EXPECT_EQ(f.EntrantSet("初一男子100米"), sprint1);
  EXPECT_EQ(f.EntrantSet("初二男子100米"), sprint2);
  host::Worksheet& temp = f.Sheet(meet::kTempSheet);
  for (const char* title : {"初一男子100米", "初二男子100米"}) {
    EXPECT_FALSE(f.Events().HasContent(f.EventRow(title), ev::kLastEntrantCol + 1)) << title;
    EXPECT_FALSE(temp.HasContent(f.EventRow(title), ev::kLastEntrantCol + 1)) << title;
  }
  // The other event merges.
  EXPECT_EQ(f.Title("初一男子跳远"), "初一初二男子跳远");
  EXPECT_EQ(f.EntrantSet("初一男子跳远"), jump);
  // The user is told which event stayed apart.
  ASSERT_EQ(f.ui.boxes.size(), 1u);
  EXPECT_EQ(f.ui.boxes[0].icon, shell::Icon::Exclamation);
  const std::string& text = f.ui.boxes[0].text;
  EXPECT_NE(text.find("初一男子100米（40人）与初二男子100米（40人）"), std::string::npos) << text;
  EXPECT_NE(text.find("75"), std::string::npos) << text;
  EXPECT_EQ(text.find("跳远"), std::string::npos) << text;
}

TEST(GradeMerge, SeventyFiveEntrantsTogetherFillTheRowExactly) {
  MergeFixture f;
  f.Open(CrowdedSprint(19));
  EnterSprinters(f, 19, 1);  // 38 + 37
  f.Consolidate();
  const Pairs all = Union(f.EntrantSet("初一男子100米"), f.EntrantSet("初二男子100米"));
  ASSERT_EQ(all.size(), 75u);
  f.ui.boxes.clear();

  f.Merge({0});

  EXPECT_TRUE(f.ui.boxes.empty());
  EXPECT_EQ(f.Title("初一男子100米"), "初一初二男子100米");
  EXPECT_EQ(f.Count("初一男子100米"), "75");
  EXPECT_EQ(f.EntrantSet("初一男子100米"), all);
  const int row = f.EventRow("初一男子100米");
  EXPECT_TRUE(f.Events().HasContent(row, ev::kLastEntrantCol));
  EXPECT_FALSE(f.Events().HasContent(row, ev::kLastEntrantCol + 1));
  EXPECT_TRUE(f.Hidden("初二男子100米"));
}

TEST(GradeMerge, RemovingReportsDisablesTheCommandsThatNeedThem) {
  MergeFixture f;
  f.Open(TwoJuniorGrades());
  f.Athlete(1, f.MaleRow(1), "张一", {"100米"});
  f.Consolidate();
  // Reports as 报表生成 leaves them.
  f.book->Unprotect();
  host::Worksheet& last = f.book->Sheet(f.book->Count());
  f.book->AddSheet(nullptr, &last, std::string(meet::kNumberReportSheet));
  f.Sheet(meet::kScoreRegisterSheet).SetVisible(true);
  f.book->Protect(true, true);
  const std::vector<std::string_view> reportItems{"ExportPRF", "MyPrint1",  "MyPrint2",    "MyPrint3",
                                                  "MyPrint4",  "ScoreEdit", "CreateTables"};
  for (auto item : reportItems) f.program.Menu().SetEnabled(item, true);

  f.Merge({0});

  EXPECT_EQ(f.book->FindSheet(std::string(meet::kNumberReportSheet)), nullptr);
  EXPECT_FALSE(f.Sheet(meet::kScoreRegisterSheet).Visible());
  for (auto item : reportItems) EXPECT_FALSE(f.program.Menu().Enabled(item)) << item;
  EXPECT_TRUE(f.program.Menu().Enabled("Sort"));
  EXPECT_TRUE(f.program.Menu().Enabled("CreateReport"));
}

// ---- the dialog ----

MeetSpec Grades(std::vector<std::string> names) {
  MeetSpec spec;
  spec.grades.clear();
  for (auto& n : names) spec.grades.push_back({n, 1});
  spec.rowsPerTeam = 4;
  spec.headings = {"100米"};
  return spec;
}

struct OptionView {
  bool visible, enabled;
  std::string caption;
  bool operator==(const OptionView&) const = default;
};
std::vector<OptionView> Options(const Frm年级合并& dlg) {
  std::vector<OptionView> v;
  for (const auto& o : dlg.Option.options) v.push_back({o.visible, o.enabled, o.caption});
  return v;
}

TEST(GradeMergeDialog, TwoLevelsOfThreeGradesOfferTwoPairsEach) {
  MergeFixture f;
  f.Open(Grades({"初一", "初二", "初三", "高一", "高二", "高三"}));
  f.Consolidate();
  bool seen = false;
  f.Combine([&](Frm年级合并& dlg) {
    seen = true;
    EXPECT_EQ(dlg.Caption(), "年级合并");
    EXPECT_TRUE(dlg.Frame1.visible);
    EXPECT_TRUE(dlg.Frame2.visible);
    EXPECT_EQ(dlg.Frame1.caption, "年级合并1");
    EXPECT_EQ(dlg.Frame2.caption, "年级合并2");
    EXPECT_FALSE(dlg.Label1.visible);
    EXPECT_EQ(dlg.Width(), Frm年级合并::kTwoColumnWidth);
    EXPECT_EQ(dlg.Left("Frame2") - dlg.Left("Frame1"), Frm年级合并::kColumnShift);
    EXPECT_EQ(Options(dlg), (std::vector<OptionView>{{true, true, "初一、初二"},
                                                     {true, true, "初二、初三"},
                                                     {true, true, "高一、高二"},
                                                     {true, true, "高二、高三"}}));
    // One pair per level: a second choice in the level replaces the first.
    EXPECT_FALSE(dlg.OKButton.enabled);
    dlg.Option.UserClick(0);
    EXPECT_TRUE(dlg.OKButton.enabled);
    dlg.Option.UserClick(1);
    dlg.Option.UserClick(3);
    EXPECT_EQ(dlg.Choice(), "0101");
    dlg.CancelButton.Click();
  });
  ASSERT_TRUE(seen);
  // 取消 changes nothing.
  EXPECT_EQ(f.Title("初二男子100米"), "初二男子100米");
  EXPECT_EQ(f.Title("高二男子100米"), "高二男子100米");
  for (int i = 0; i < 4; ++i) EXPECT_EQ(f.Flag(i), "") << i;
}

TEST(GradeMergeDialog, AMergedLevelIsGreyedOutUntilTheNextConsolidation) {
  MergeFixture f;
  f.Open(Grades({"初一", "初二", "初三", "高一", "高二", "高三"}));
  f.Athlete(2, f.MaleRow(1), "初二甲", {"100米"});
  f.Athlete(3, f.MaleRow(1), "初三甲", {"100米"});
  f.Athlete(4, f.MaleRow(1), "高一甲", {"100米"});
  f.Athlete(5, f.MaleRow(1), "高二甲", {"100米"});
  f.Consolidate();
  f.Merge({1});
  EXPECT_EQ(f.Title("初二男子100米"), "初二初三男子100米");
  EXPECT_EQ(f.Title("初一男子100米"), "初一男子100米");
  EXPECT_EQ(f.Count("初二男子100米"), "2");
  EXPECT_EQ(f.Flag(1), "1");

  f.Combine([&](Frm年级合并& dlg) {
    EXPECT_FALSE(dlg.Option.At(0).enabled);
    EXPECT_FALSE(dlg.Option.At(1).enabled);
    EXPECT_TRUE(dlg.Option.At(2).enabled);
    EXPECT_TRUE(dlg.Option.At(3).enabled);
    dlg.Option.UserClick(2);
    dlg.OKButton.Click();
  });
  // The senior pair merges; the junior merge stays as it was.
  EXPECT_EQ(f.Title("高一男子100米"), "高一高二男子100米");
  EXPECT_EQ(f.Count("高一男子100米"), "2");
  EXPECT_TRUE(f.Hidden("高二男子100米"));
  EXPECT_EQ(f.Title("初二男子100米"), "初二初三男子100米");
  EXPECT_EQ(f.Title("高三男子100米"), "高三男子100米");

  f.Consolidate();
  f.Combine([&](Frm年级合并& dlg) {
    for (int i = 0; i < 4; ++i) EXPECT_TRUE(dlg.Option.At(i).enabled) << i;
    dlg.CancelButton.Click();
  });
}

TEST(GradeMergeDialog, OneLevelToMergeShowsOneColumn) {
  {
    // The first level has one grade: the second level's frame moves left.
    MergeFixture f;
    f.Open(Grades({"初一", "高一", "高二"}));
    f.Consolidate();
    f.Combine([&](Frm年级合并& dlg) {
      EXPECT_FALSE(dlg.Frame1.visible);
      EXPECT_TRUE(dlg.Frame2.visible);
      EXPECT_EQ(dlg.Frame2.caption, "年级合并");
      EXPECT_EQ(dlg.Left("Frame2"), dlg.Left("Frame1"));
      EXPECT_EQ(dlg.Width(), Frm年级合并::kOneColumnWidth);
      shell::CommandRandom rng(1);
      const Frm年级合并 design(f.program, *f.book, {1, 2}, rng);
      EXPECT_EQ(design.Left("OKButton") - dlg.Left("OKButton"), Frm年级合并::kColumnShift);
      EXPECT_EQ(design.Left("CancelButton") - dlg.Left("CancelButton"), Frm年级合并::kColumnShift);
      EXPECT_EQ(Options(dlg), (std::vector<OptionView>{{false, true, "初一、初二"},
                                                       {false, true, "初二、初三"},
                                                       {true, true, "高一、高二"},
                                                       {false, true, "高二、高三"}}));
      dlg.Option.UserClick(2);
      dlg.OKButton.Click();
    });
    EXPECT_EQ(f.Title("高一男子100米"), "高一高二男子100米");
    EXPECT_EQ(f.Title("初一男子100米"), "初一男子100米");
    EXPECT_EQ(f.Flag(2), "1");
  }
  {
    // A single level: its own frame, captioned without a number.
    MergeFixture f;
    f.Open(Grades({"高一", "高二", "高三"}));
    f.Consolidate();
    f.Combine([&](Frm年级合并& dlg) {
      EXPECT_TRUE(dlg.Frame1.visible);
      EXPECT_FALSE(dlg.Frame2.visible);
      EXPECT_EQ(dlg.Frame1.caption, "年级合并");
      EXPECT_EQ(dlg.Width(), Frm年级合并::kOneColumnWidth);
      EXPECT_EQ(dlg.Option.At(0).caption, "高一、高二");
      EXPECT_EQ(dlg.Option.At(1).caption, "高二、高三");
      EXPECT_TRUE(dlg.Option.At(1).visible);
      EXPECT_FALSE(dlg.Option.At(2).visible);
      dlg.Option.UserClick(1);
      dlg.OKButton.Click();
    });
    EXPECT_EQ(f.Title("高二男子100米"), "高二高三男子100米");
    EXPECT_EQ(f.Title("高一男子100米"), "高一男子100米");
    EXPECT_TRUE(f.Hidden("高三男子100米"));
  }
}

TEST(GradeMergeDialog, NoLevelWithTwoGradesOnlySaysSo) {
  MergeFixture f;
  f.Open(Grades({"初一", "高一"}));
  f.Consolidate();
  f.Combine([&](Frm年级合并& dlg) {
    EXPECT_FALSE(dlg.Frame1.visible);
    EXPECT_FALSE(dlg.Frame2.visible);
    EXPECT_TRUE(dlg.Label1.visible);
    EXPECT_EQ(dlg.Label1.caption, "没有年级需要合并");
    EXPECT_FALSE(dlg.OKButton.enabled);
    for (const auto& o : dlg.Option.options) EXPECT_FALSE(o.visible);
    dlg.CancelButton.Click();
  });
}

TEST(GradeMergeDialog, JuniorEventsHeldForTheWholeLevelLeaveOnlyTheSeniorPair) {
  MergeFixture f;
  MeetSpec spec = Grades({"初一", "初二", "高一", "高二"});
  spec.events = {"初中男子100米", "初中女子100米", "高一男子100米", "高二男子100米"};
  f.Open(spec);
  f.Athlete(1, f.MaleRow(1), "初一甲", {"100米"});
  f.Athlete(3, f.MaleRow(1), "高一甲", {"100米"});
  f.Athlete(4, f.MaleRow(1), "高二甲", {"100米"});
  f.Consolidate();
  const Pairs senior = Union(f.EntrantSet("高一男子100米"), f.EntrantSet("高二男子100米"));
  f.Combine([&](Frm年级合并& dlg) {
    EXPECT_FALSE(dlg.Option.At(0).enabled);
    EXPECT_TRUE(dlg.Option.At(2).enabled);
    dlg.Option.UserClick(2);
    dlg.OKButton.Click();
  });
  EXPECT_EQ(f.Title("初中男子100米"), "初中男子100米");
  EXPECT_EQ(f.Title("高一男子100米"), "高一高二男子100米");
  EXPECT_EQ(f.EntrantSet("高一男子100米"), senior);
  EXPECT_EQ(f.Flag(0), "1");
  EXPECT_EQ(f.Flag(2), "1");
}

TEST(GradeMergeCommand, RefusesOrDoesNothingBeforeTheDialog) {
  {
    // Grades of three school levels.
    MergeFixture f;
    f.Open(Grades({"初一", "高一", "小一"}));
    f.Consolidate();
    f.ui.boxes.clear();
    f.program.Run("Combine");
    ASSERT_EQ(f.Texts(), std::vector<std::string>{std::string(kTooManyLevels)});
    EXPECT_EQ(f.ui.boxes[0].icon, shell::Icon::Information);
    EXPECT_TRUE(f.ui.dialogsShown.empty());
  }
  {
    // One grade: nothing to merge, nothing said.
    MergeFixture f;
    f.Open(Grades({"初一"}));
    f.Consolidate();
    f.ui.boxes.clear();
    f.program.Run("Combine");
    EXPECT_TRUE(f.ui.boxes.empty());
    EXPECT_TRUE(f.ui.dialogsShown.empty());
  }
  {
    // Not consolidated yet: no lists to merge.
    MergeFixture f;
    f.Open(TwoJuniorGrades());
    f.program.Run("Combine");
    EXPECT_EQ(f.Texts(), std::vector<std::string>{MergeMissingSheetText(meet::kTempSheet)});
    EXPECT_TRUE(f.ui.dialogsShown.empty());
  }
  {
    // The meet workbook closed behind the program's back.
    MergeFixture f;
    f.Open(TwoJuniorGrades());
    f.Host().Close(*f.book, false);
    f.program.Run("Combine");
    EXPECT_EQ(f.Texts(), std::vector<std::string>{"文件被关闭!"});
    EXPECT_FALSE(f.program.Menu().Enabled("Combine"));
  }
}

TEST(GradeMerge, SchoolLevelsSplitWhereTheFirstCharacterChanges) {
  EXPECT_EQ(SchoolLevels({"初一", "初二", "初三", "高一", "高二", "高三"}), (std::vector<int>{3, 3}));
  EXPECT_EQ(SchoolLevels({"初一", "高一", "高二"}), (std::vector<int>{1, 2}));
  EXPECT_EQ(SchoolLevels({"初一", "初二", "高一", "初三"}), (std::vector<int>{2, 1, 1}));
  EXPECT_TRUE(SchoolLevels({}).empty());
}

}  // namespace
}  // namespace korvane::processing::testing
