#include <gtest/gtest.h>

#include "awards/awards_fixture.h"
#include "host/ooxml/xlsx.h"

namespace korvane::awards {
namespace {

using namespace testing;
using host::CellValue;
using Lines = std::vector<std::vector<std::string>>;

const std::vector<std::string> kSevenGrades = {"初一", "初二", "初三", "高一", "高二", "高三", "高四"};
const std::vector<std::string> kThreeGrades = {"高一", "高二", "高三"};
const std::vector<std::string> kEvents = {"100米", "跳远", "4×100米接力"};

bool HasBorder(const host::Worksheet& ws, int row, int col) {
  const host::Style& s = ws.StyleAt(row, col);
  return s.left.style != host::LineStyle::None || s.bottom.style != host::LineStyle::None;
}

TEST(PrizeSetup, MakesThePrizeWorkbookWithTheMeetsGradesAndEvents) {
  struct Case {
    std::vector<std::string> grades;
    int lastGridRow;  // 3G + 2
    int noteRow;      // the template's note, moved up with the rows below the removed blocks
  };
  for (const Case& c : {Case{kSevenGrades, 23, 25}, Case{kThreeGrades, 11, 13}}) {
    AwardsFixture f(c.grades, kEvents);
    f.Run("PrizeSetup");
    ASSERT_TRUE(f.ui.boxes.empty()) << f.ui.boxes.front().text;
    const fs::path file = f.meets / "奖项设置.xlsx";
    ASSERT_TRUE(fs::exists(file));
    EXPECT_EQ(f.Prize()->FullName(), file.string());
    EXPECT_FALSE(f.program.Menu().Enabled("PrizeSetup"));
    EXPECT_TRUE(f.program.Menu().Enabled("PrizeList"));
    EXPECT_TRUE(f.program.Menu().Enabled("PrizeCreate"));

    // What is on disk, as the lists and the certificates will read it.
    auto saved = host::ooxml::ReadWorkbookFile(file.string(), f.program.Host().Tables());
    host::Worksheet& ws = saved->Sheet("设置");
    for (std::size_t g = 0; g < c.grades.size(); ++g)
      EXPECT_EQ(ws.ValueAt(3 * static_cast<int>(g) + 3, 1).ToText(), c.grades[g]);
    EXPECT_EQ(ws.ValueAt(2, 6).ToText(), "100米");
    EXPECT_EQ(ws.ValueAt(2, 8).ToText(), "4×100米接力");
    EXPECT_TRUE(ws.ValueAt(2, 9).IsEmpty());
    EXPECT_NE(ws.ValueAt(c.noteRow, 1).ToText().find("说明"), std::string::npos);
    // The grid: A2 to the last grade row, up to two columns past the last event.
    EXPECT_TRUE(HasBorder(ws, c.lastGridRow, 8));
    EXPECT_TRUE(HasBorder(ws, 2, 8));
    EXPECT_FALSE(HasBorder(ws, c.lastGridRow + 1, 8));
  }
}

TEST(PrizeSetup, OpensAnExistingPrizeWorkbookAsItIs) {
  AwardsFixture f(kThreeGrades, kEvents);
  f.Run("PrizeSetup");
  f.Set("设置", "E3", CellValue(4));
  f.Prize()->Save();
  f.program.Host().Close(*f.Prize());
  host::Worksheet& form = f.meetBook->Sheet("报名表样表");
  form.Unprotect();
  form.RangeAt("G3").SetValue(CellValue("跳高"));  // an event added later
  f.program.Menu().SetEnabled("PrizeSetup", true);

  f.Run("PrizeSetup");
  ASSERT_TRUE(f.ui.boxes.empty());
  EXPECT_EQ(f.Text("设置", 3, 5), "4");
  EXPECT_TRUE(f.PrizeSheet("设置").ValueAt(2, 9).IsEmpty());  // not brought up to date
  EXPECT_TRUE(f.program.Menu().Enabled("PrizeList"));
}

TEST(PrizeSetup, RefusesWithoutTemplateOrMeetWorkbook) {
  {
    AwardsFixture f(kThreeGrades, kEvents);
    fs::remove(f.dir / "program" / "prize" / "奖项设置.xltx");
    f.Run("PrizeSetup");
    EXPECT_EQ(f.BoxTexts(), std::vector<std::string>{"模板文件缺失，请联系作者!"});
    EXPECT_EQ(f.ui.boxes[0].icon, shell::Icon::None);
    EXPECT_FALSE(fs::exists(f.meets / "奖项设置.xlsx"));
    EXPECT_TRUE(f.program.Menu().Enabled("PrizeSetup"));
    EXPECT_EQ(f.Prize(), nullptr);
  }
  {
    AwardsFixture f(kThreeGrades, kEvents);
    f.program.Host().Close(*f.meetBook);
    f.Run("PrizeSetup");
    EXPECT_EQ(f.BoxTexts(), std::vector<std::string>{"目标文件被关闭!"});
    EXPECT_FALSE(f.program.Menu().Enabled("PrizeSetup"));  // the menu with no meet workbook
    EXPECT_TRUE(f.program.Menu().Enabled("New"));
  }
}

// A prize workbook of three grades with these settings: places of the
// total-score award per grade, individual places and "／" per group row.
AwardsFixture& Listed(AwardsFixture& f) {
  f.Run("PrizeSetup");
  for (int r = 3; r <= 11; ++r) f.Set("设置", ("E" + std::to_string(r)).c_str(), CellValue(0));
  f.Set("设置", "D3", CellValue(2));  // 高一: two total-score certificates
  f.Set("设置", "D6", CellValue(0));  // 高二: none
  f.Set("设置", "D9", CellValue());   // 高三: empty, none
  f.Set("设置", "B3", CellValue("男子组"));
  f.Set("设置", "E3", CellValue(3));     // 高一 男子组: three places
  f.Set("设置", "F3", CellValue("／"));  // but no 100米
  f.Set("设置", "G3", CellValue("／"));  // nor 跳远
  f.Set("设置", "B7", CellValue("女子组"));
  f.Set("设置", "E7", CellValue(1));  // 高二 女子组: one place in each event
  f.Run("PrizeList");
  return f;
}

TEST(PrizeList, ExpandsGradesPlacesGroupsAndRelayRunners) {
  AwardsFixture f(kThreeGrades, kEvents);
  Listed(f);
  ASSERT_TRUE(f.ui.boxes.empty()) << f.ui.boxes.front().text;
  EXPECT_EQ(f.Text("精神文明奖", 1, 1), "年级");
  EXPECT_EQ(f.Lines("精神文明奖"), (Lines{{"高一"}, {"高二"}, {"高三"}}));
  EXPECT_EQ(f.Lines("团体总分奖"), (Lines{{"高一", "一"}, {"高一", "二"}}));
  Lines individual;
  for (const char* place : {"一", "二", "三"})
    for (int runner = 0; runner < 4; ++runner) individual.push_back({"高一", "男子组", "4×100米接力", place});
  for (const char* event : {"100米", "跳远"}) individual.push_back({"高二", "女子组", event, "一"});
  for (int runner = 0; runner < 4; ++runner) individual.push_back({"高二", "女子组", "4×100米接力", "一"});
  EXPECT_EQ(f.Lines("单项奖"), individual);
  EXPECT_EQ(f.Text("单项奖", 1, 4), "名次");
  EXPECT_FALSE(f.Prize()->Saved());

  // A second run gives the same lists, not twice as many.
  f.Run("PrizeList");
  EXPECT_EQ(f.Lines("单项奖"), individual);
  EXPECT_EQ(f.Lines("团体总分奖"), (Lines{{"高一", "一"}, {"高一", "二"}}));
}

TEST(PrizeList, RefusesAPlaceCountThatIsNoWholeNumberUpToTenAndKeepsTheLists) {
  struct Case {
    const char* cell;
    CellValue value;
  };
  for (const Case& c : {Case{"E4", CellValue(11)}, Case{"D6", CellValue(2.5)}, Case{"E7", CellValue("三")},
                        Case{"E8", CellValue(-1)}}) {
    AwardsFixture f(kThreeGrades, kEvents);
    Listed(f);
    const Lines before = f.Lines("单项奖");
    f.Set("设置", c.cell, c.value);
    f.Run("PrizeList");
    ASSERT_EQ(f.ui.boxes.size(), 1u) << c.cell;
    const std::string& text = f.ui.boxes[0].text;
    EXPECT_NE(text.find(std::string("单元格") + c.cell), std::string::npos) << text;
    EXPECT_NE(text.find("10"), std::string::npos) << text;
    EXPECT_EQ(f.Lines("单项奖"), before) << c.cell;
    EXPECT_TRUE(f.program.Menu().Enabled("PrizeList"));
  }
}

TEST(PrizeList, ARelayWithoutItsRunnerCountIsRefusedOnlyWhereItIsAwarded) {
  AwardsFixture f(kThreeGrades, {"100米", "迎面接力"});
  Listed(f);
  ASSERT_EQ(f.ui.boxes.size(), 1u);
  EXPECT_NE(f.ui.boxes[0].text.find("单元格G2"), std::string::npos) << f.ui.boxes[0].text;
  for (int r = 3; r <= 11; ++r) f.Set("设置", ("G" + std::to_string(r)).c_str(), CellValue("／"));
  f.Run("PrizeList");
  EXPECT_EQ(f.ui.boxes.size(), 1u);
  EXPECT_EQ(f.Lines("单项奖"), (Lines{{"高二", "女子组", "100米", "一"}}));
}

TEST(PrizeList, AClosedPrizeWorkbookEndsItAndPutsThePrizeMenuBack) {
  AwardsFixture f(kThreeGrades, kEvents);
  f.Run("PrizeSetup");
  f.program.Host().Close(*f.Prize());
  f.Run("PrizeList");
  EXPECT_EQ(f.BoxTexts(), std::vector<std::string>{"相关文件被关闭，操作终止!"});
  EXPECT_EQ(f.ui.boxes[0].icon, shell::Icon::Information);
  EXPECT_TRUE(f.program.Menu().Enabled("PrizeSetup"));
  EXPECT_FALSE(f.program.Menu().Enabled("PrizeList"));
  EXPECT_FALSE(f.program.Menu().Enabled("PrizeCreate"));
}

TEST(RelayMultiplicity, LeadingDigitOfARelayOtherwiseOne) {
  EXPECT_EQ(RelayMultiplicity("4×100米接力"), 4);
  EXPECT_EQ(RelayMultiplicity("8×50米接力"), 8);
  EXPECT_EQ(RelayMultiplicity("跳远"), 1);
  EXPECT_EQ(RelayMultiplicity("迎面接力"), 0);
  EXPECT_EQ(RelayMultiplicity("0×100米接力"), 0);
}

}  // namespace
}  // namespace korvane::awards
