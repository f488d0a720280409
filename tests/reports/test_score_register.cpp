#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "host/pagination.h"
#include "host/range.h"
#include "reports/record_fixture.h"
#include "reports/score_register.h"

namespace korvane::reports {
namespace {

using namespace record_testing;
using host::RangeRef;

std::vector<Ev> SevenEvents() {
  return {{"高一男子100米", "1", 1, 3},    {"高一男子4×100米接力", "1", 1, 2}, {"高一女子100米", "1", 1, 0},
          {"高一男子定向越野", "2", 5, 4}, {"高一女子跳绳", "2", 4, 2},        {"高一男子跳远", "2", 3, 2},
          {"高一男子跳高", "3", 2, 2}};
}

std::vector<std::string> RowTexts(host::Worksheet& ws, int row, int c1, int c2) {
  std::vector<std::string> v;
  for (int c = c1; c <= c2; ++c) v.push_back(Text(ws, row, c));
  return v;
}

// Every cell's shown text, to compare a sheet before and after.
std::map<std::pair<int, int>, std::string> Snapshot(host::Worksheet& ws) {
  std::map<std::pair<int, int>, std::string> s;
  for (const auto& [r, row] : ws.RowMap())
    for (const auto& cell : row.cells)
      if (cell.HasContent()) s[{r, static_cast<int>(cell.col)}] = ws.ValueAt(r, static_cast<int>(cell.col)).ToText();
  return s;
}

// Hides the register as consolidation and 报表生成 do.
void HideRegister(RecordFixture& f) {
  f.book->Unprotect();
  f.Sheet(meet::kScoreRegisterSheet).SetVisible(false);
  f.book->Protect(true, true);
}

// A user typing into the register: only unlocked cells take it.
void Type(host::Worksheet& ws, const std::string& cell, const host::CellValue& v) { ws.RangeAt(cell).SetValue(v); }

TEST(ScoreRegister, EveryEventOwnsRowsTwoKPlusOneAndTwo) {
  RecordFixture f(SevenEvents());
  host::Worksheet& reg = f.Sheet(meet::kScoreRegisterSheet);
  const std::vector<std::string> headings = RowTexts(reg, 2, 1, 6);
  const std::string banner = Text(reg, "A1");
  f.Run("ScoreEdit");
  ASSERT_TRUE(f.ui.boxes.empty()) << f.ui.boxes.front().text;

  EXPECT_EQ(RowTexts(reg, 3, 1, 8), (std::vector<std::string>{"高一男子100米", "计时", "", "号码", Number(1, 0),
                                                              Number(1, 1), Number(1, 2), ""}));
  EXPECT_EQ(RowTexts(reg, 4, 1, 5), (std::vector<std::string>{"", "", "", "成绩", ""}));
  // A relay lists its teams.
  EXPECT_EQ(RowTexts(reg, 5, 1, 7),
            (std::vector<std::string>{"高一男子4×100米接力", "计时", "", "班级", Team(2, 0), Team(2, 1), ""}));
  EXPECT_EQ(RowTexts(reg, 11, 1, 6),
            (std::vector<std::string>{"高一女子跳绳", "计个", "", "号码", Number(5, 0), Number(5, 1)}));
  EXPECT_EQ(Text(reg, "B13"), "计距");  // distance
  EXPECT_EQ(Text(reg, "B15"), "计距");  // height
  EXPECT_EQ(Text(reg, "D16"), "成绩");

  // No entrants (event 3) or method 5 (event 4): hidden, and nothing written there.
  for (int r = 3; r <= 16; ++r) EXPECT_EQ(reg.RowHidden(r), r >= 7 && r <= 10) << "row " << r;
  EXPECT_EQ(Text(reg, "A7"), "");
  EXPECT_EQ(Text(reg, "A9"), "");

  for (int r : {3, 5, 11, 13, 15})
    for (int c = 1; c <= 3; ++c) {
      const RangeRef* m = reg.MergeAt(r, c);
      ASSERT_NE(m, nullptr) << r << "," << c;
      EXPECT_EQ(*m, (RangeRef{r, c, r + 1, c}));
    }
  EXPECT_EQ(reg.MergeAt(3, 4), nullptr);
  EXPECT_EQ(reg.MergeAt(7, 1), nullptr);

  // The headings are the template's; the sheet is shown, selected and protected.
  EXPECT_EQ(RowTexts(reg, 2, 1, 6), headings);
  EXPECT_EQ(Text(reg, "A1"), banner);
  EXPECT_TRUE(reg.Visible());
  EXPECT_EQ(&f.book->ActiveSheet(), &reg);
  EXPECT_TRUE(reg.ProtectContents());
  EXPECT_TRUE(f.book->Protection().structure);
  EXPECT_FALSE(f.program.Menu().Enabled("ScoreEdit"));
  EXPECT_EQ(f.program.Caption(), "Korvane");
  EXPECT_NE(std::find(f.ui.captions.begin(), f.ui.captions.end(), "Korvane - 成绩管理..."), f.ui.captions.end());

  // It prints the page across that holds its entrants, not the template's
  // empty grid out to CA.
  ASSERT_NE(f.book->FindName("Print_Area", &reg), nullptr);
  const host::print::Pagination pages = host::print::Paginate(reg);
  ASSERT_EQ(pages.colBands.size(), 1u);
  EXPECT_GE(pages.colBands[0].last, 7);  // G: event 1's third entrant
  EXPECT_LT(pages.colBands[0].last, 20);
  EXPECT_EQ(pages.rowBands.back().last, 16);
}

TEST(ScoreRegister, ScoreEditAgainKeepsTheResultsTypedIn) {
  RecordFixture f(SevenEvents());
  f.Run("ScoreEdit");
  host::Worksheet& reg = f.Sheet(meet::kScoreRegisterSheet);
  Type(reg, "E4", 12.5);
  Type(reg, "F4", 11.9);
  Type(reg, "C3", 2);
  Type(reg, "E12", 31);
  const auto before = Snapshot(reg);
  // Even with other entry lists behind it: a register on show is never rebuilt.
  f.SetEvents({{"高一男子100米", "1", 1, 1}});
  f.Run("ScoreEdit");
  EXPECT_EQ(Snapshot(reg), before);
  EXPECT_EQ(Text(reg, "E4"), "12.5");
  EXPECT_EQ(Text(reg, "C3"), "2");
  EXPECT_TRUE(reg.RowHidden(7));
}

TEST(ScoreRegister, AHiddenRegisterIsRebuiltFromTheNewLists) {
  RecordFixture f(SevenEvents());
  f.Run("ScoreEdit");
  host::Worksheet& reg = f.Sheet(meet::kScoreRegisterSheet);
  Type(reg, "E4", 12.5);  // event 1, its first entrant: still there after the new lists
  Type(reg, "G4", 13.1);  // event 1, its third entrant: gone
  Type(reg, "E6", 50.2);  // the relay: no entrants any more
  Type(reg, "C3", 2);
  // A new consolidation: event 1 has two entrants now, event 3 gains some,
  // and there are only three events.
  HideRegister(f);
  f.SetEvents({{"高一男子100米", "1", 1, 2}, {"高一男子4×100米接力", "1", 1, 0}, {"高一女子100米", "1", 1, 3}});
  f.ui.answers = {shell::Answer::Yes};
  f.Run("ScoreEdit");
  ASSERT_EQ(f.ui.boxes.size(), 1u);
  EXPECT_EQ(f.ui.boxes[0].text, kRebuildQuestion);
  EXPECT_EQ(f.ui.boxes[0].buttons, shell::Buttons::YesNoDefaultNo);
  EXPECT_EQ(RowTexts(reg, 3, 1, 7),
            (std::vector<std::string>{"高一男子100米", "计时", "2", "号码", Number(1, 0), Number(1, 1), ""}));
  EXPECT_EQ(RowTexts(reg, 4, 4, 7), (std::vector<std::string>{"成绩", "12.5", "", ""}));
  EXPECT_TRUE(reg.RowHidden(5));
  EXPECT_TRUE(reg.RowHidden(6));
  EXPECT_EQ(Text(reg, "E6"), "");
  EXPECT_FALSE(reg.RowHidden(7));  // hidden by the earlier lists, shown again
  EXPECT_FALSE(reg.RowHidden(9));
  EXPECT_EQ(RowTexts(reg, 7, 4, 7), (std::vector<std::string>{"号码", Number(3, 0), Number(3, 1), Number(3, 2)}));
  // Nothing of the earlier lists is left below the new ones, merged or not.
  for (int r = 9; r <= 20; ++r) {
    EXPECT_EQ(RowTexts(reg, r, 1, 6), std::vector<std::string>(6)) << "row " << r;
    EXPECT_EQ(reg.MergeAt(r, 1), nullptr) << "row " << r;
  }
  EXPECT_EQ(reg.MergeAt(5, 1), nullptr);
}

TEST(ScoreRegister, NoToTheRebuildShowsTheTypedResultsAsTheyAre) {
  RecordFixture f(SevenEvents());
  f.Run("ScoreEdit");
  host::Worksheet& reg = f.Sheet(meet::kScoreRegisterSheet);
  Type(reg, "E4", 12.5);
  const auto before = Snapshot(reg);
  HideRegister(f);
  f.SetEvents({{"高一男子100米", "1", 1, 1}});
  f.ui.answers = {shell::Answer::No};
  f.Run("ScoreEdit");
  EXPECT_EQ(f.ui.boxes.size(), 1u);
  EXPECT_EQ(Snapshot(reg), before);
  EXPECT_TRUE(reg.Visible());
  EXPECT_EQ(&f.book->ActiveSheet(), &reg);
}

TEST(ScoreRegister, MissingSheetsOrWorkbookAreReported) {
  {
    RecordFixture f(SevenEvents());
    f.book->Unprotect();
    f.book->RemoveSheet(f.Sheet(meet::kTempSheet));
    f.Run("ScoreEdit");
    ASSERT_EQ(f.ui.boxes.size(), 1u);
    EXPECT_EQ(f.ui.boxes[0].text, RegisterSheetMissingText(meet::kTempSheet));
    EXPECT_FALSE(f.Sheet(meet::kScoreRegisterSheet).Visible());
    EXPECT_TRUE(f.book->Protection().structure);
  }
  {
    RecordFixture f(SevenEvents());
    f.program.Host().Close(*f.book);
    f.Run("ScoreEdit");
    ASSERT_EQ(f.ui.boxes.size(), 1u);
    EXPECT_EQ(f.ui.boxes[0].text, "文件被关闭!");
    EXPECT_FALSE(f.program.Menu().Enabled("ScoreEdit"));
  }
}

}  // namespace
}  // namespace korvane::reports
