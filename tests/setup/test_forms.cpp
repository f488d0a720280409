#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "meet/sheets.h"
#include "setup/forms.h"
#include "setup_support.h"

namespace korvane::setup {
namespace {

using namespace testing;
namespace meet = korvane::meet;

std::vector<std::string> SheetNames(const host::Workbook& book) {
  std::vector<std::string> out;
  for (host::Worksheet* ws : book.Sheets()) out.push_back(ws->Name() + (ws->Visible() ? "" : " hidden"));
  return out;
}

std::string FileBytes(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// 设置 with the given grades and team counts in A2:B8, nothing below them.
void Grades(host::Workbook& book, const std::vector<std::pair<std::string, host::CellValue>>& grades) {
  host::Worksheet& s = book.Sheet("设置");
  for (int r = 2; r <= 8; ++r) {
    s.Cells(r, 1).SetValue(host::CellValue());
    s.Cells(r, 2).SetValue(host::CellValue());
  }
  for (std::size_t i = 0; i < grades.size(); ++i) {
    s.Cells(static_cast<int>(i) + 2, 1).SetValue(grades[i].first);
    s.Cells(static_cast<int>(i) + 2, 2).SetValue(grades[i].second);
  }
}

// What a refused or untouched workbook must still look like.
struct Snapshot {
  std::vector<std::string> sheets;
  int names = 0;
  std::vector<std::string> teamNames;
  int formLastRow = 0;
  bool formProtected = false;
  std::string formA2Formula;
  bool saved = false;
  bool structure = false;
  std::string file;
  explicit Snapshot(host::Workbook& book) {
    sheets = SheetNames(book);
    names = book.NameCount();
    for (int r = 2; r <= 12; ++r) teamNames.push_back(book.Sheet("设置").ValueAt(r, 4).ToText());
    formLastRow = book.Sheet("报名表样表").LastUsedRow();
    formProtected = book.Sheet("报名表样表").ProtectContents();
    formA2Formula = book.Sheet("报名表样表").FormulaAt(2, 1);
    saved = book.Saved();
    structure = book.Protection().structure;
    file = FileBytes(book.FullName());
  }
  bool operator==(const Snapshot&) const = default;
};

struct Forms : SetupFixture {
  host::Workbook& book = NewMeetWorkbook();
};

// ---- class mode ----

TEST(CreateBMB, ClassModeNamesTheClassesAndMakesOneSheetPerTeamInFrontOfSettings) {
  Forms f;
  Grades(f.book, {{"高一", 3}, {"高二", 2}});
  ASSERT_EQ(f.book.Sheet("设置").ValueAt(9, 2).ToWhole(), 5);
  std::map<std::string, bool> visibleBefore;
  for (host::Worksheet* ws : f.book.Sheets()) visibleBefore[ws->Name()] = ws->Visible();
  EXPECT_EQ(CreateBMB(f.program, f.book), FormsResult::Created);
  EXPECT_TRUE(f.ui.boxes.empty());

  std::vector<std::string> expected{"高一(1)班", "高一(2)班", "高一(3)班", "高二(1)班", "高二(2)班"};
  for (int t = 1; t <= 5; ++t) {
    EXPECT_EQ(Text(f.book, "设置", "D" + std::to_string(t + 1)), expected[t - 1]);
    EXPECT_FALSE(f.book.Sheet("设置").Cells(t + 1, 4).HasFormula());
    EXPECT_EQ(f.book.Sheet(t).Name(), std::to_string(t));
    EXPECT_EQ(f.book.Sheet(t).RangeAt("C2").Value().ToText(), expected[t - 1]);
    EXPECT_TRUE(f.book.Sheet(t).Visible());
    EXPECT_TRUE(f.book.Sheet(t).ProtectContents());
  }
  EXPECT_EQ(Text(f.book, "4", "C2"), "高二(1)班");
  std::vector<std::string> order;
  for (host::Worksheet* ws : f.book.Sheets()) order.push_back(ws->Name());
  EXPECT_EQ(order, (std::vector<std::string>{"1", "2", "3", "4", "5", "设置", "报名表样表", "比赛项目名单",
                                             "成绩登记表", "记录表1", "记录表2", "记录表3"}));
  for (const char* hidden : {"设置", "报名表样表", "比赛项目名单"})
    EXPECT_FALSE(f.book.Sheet(hidden).Visible()) << hidden;
  for (const char* other : {"成绩登记表", "记录表1", "记录表2", "记录表3"})
    EXPECT_EQ(f.book.Sheet(other).Visible(), visibleBefore[other]) << other;
  EXPECT_EQ(f.book.Count(), 5 + meet::kFixedSheetCount);
  EXPECT_TRUE(f.book.Sheet("设置").ProtectContents());
  EXPECT_EQ(&f.book.ActiveSheet(), &f.book.Sheet(1));
  // Saved in place: the file on disk has the forms.
  EXPECT_TRUE(f.book.Saved());
  host::WorkbookHost other;
  host::Workbook& reread = other.Open(f.book.FullName());
  EXPECT_EQ(SheetNames(reread), SheetNames(f.book));
  EXPECT_EQ(Text(reread, "5", "C2"), "高二(2)班");
  // The forms are read back as the size they were made with.
  const meet::Parameters parameters = meet::LoadParameters(f.book);
  EXPECT_EQ(parameters.RowsPerTeam, 20);
  EXPECT_EQ(parameters.FormRows, 20);
  EXPECT_EQ(parameters.MaxPerTeamPerEvent, 2);
  EXPECT_EQ(parameters.MaxEventsPerAthlete, 2);
  EXPECT_EQ(parameters.MaxPerGroup, 12);
}

TEST(CreateBMB, TheFormulasOfTheFormBecomeValues) {
  Forms f;
  Grades(f.book, {{"高一", 1}});
  ASSERT_FALSE(f.book.Sheet("报名表样表").FormulaAt(2, 1).empty());
  ASSERT_EQ(CreateBMB(f.program, f.book), FormsResult::Created);
  for (const char* sheet : {"报名表样表", "1"}) {
    host::Worksheet& ws = f.book.Sheet(sheet);
    EXPECT_TRUE(ws.FormulaAt(2, 1).empty()) << sheet;
    EXPECT_EQ(ws.ValueAt(2, 1).ToText(), "班级：") << sheet;
    EXPECT_TRUE(ws.FormulaAt(24, 2).empty()) << sheet;
    EXPECT_NE(ws.ValueAt(24, 2).ToText().find("每人限报2项"), std::string::npos) << sheet;
  }
}

// ---- sizing ----

TEST(CreateBMB, TwentyAthletesMakeTwoBlocksOfTenRowsTwentyEightPointsHigh) {
  Forms f;
  Grades(f.book, {{"高一", 1}});
  // A template saved before its tick cells had their list still gives forms that have it.
  f.book.Sheet("报名表样表").DataValidations().clear();
  ASSERT_EQ(f.book.Sheet("设置").ValueAt(2, 8).ToWhole(), 20);
  ASSERT_EQ(CreateBMB(f.program, f.book), FormsResult::Created);
  for (const char* sheet : {"报名表样表", "1"}) {
    host::Worksheet& ws = f.book.Sheet(sheet);
    for (int r = 4; r <= 23; ++r) {
      EXPECT_EQ(ws.ValueAt(r, 2).ToWhole(), r <= 13 ? r - 3 : r - 13) << sheet << " row " << r;
      EXPECT_DOUBLE_EQ(ws.RowHeight(r), 28) << sheet << " row " << r;
    }
    // The closing row follows: its column-A cell is the last of column A.
    EXPECT_EQ(ws.End(host::kMaxRows, 1, host::Direction::Up).first, 24) << sheet;
    EXPECT_EQ(ws.ValueAt(24, 1).ToText(), "注：") << sheet;
    EXPECT_NE(ws.RowHeight(24), 28) << sheet;
    // Each block keeps its sex label merged over it and the double line between them.
    ASSERT_NE(ws.MergeAt(4, 1), nullptr);
    EXPECT_EQ(*ws.MergeAt(4, 1), (host::RangeRef{4, 1, 13, 1})) << sheet;
    ASSERT_NE(ws.MergeAt(14, 1), nullptr);
    EXPECT_EQ(*ws.MergeAt(14, 1), (host::RangeRef{14, 1, 23, 1})) << sheet;
    EXPECT_EQ(ws.Cells(13, 6).Border(host::xl::EdgeBottom), host::xl::Double) << sheet;
    EXPECT_NE(ws.Cells(12, 6).Border(host::xl::EdgeBottom), host::xl::Double) << sheet;
    EXPECT_EQ(ws.Cells(23, 6).Border(host::xl::EdgeBottom), host::xl::Continuous) << sheet;
    ASSERT_EQ(ws.DataValidations().size(), 1u) << sheet;
    EXPECT_EQ(ws.DataValidations()[0].areas,
              (std::vector<host::RangeRef>{{4, 4, 23, ws.End(3, host::kMaxCols, host::Direction::ToLeft).second}}))
        << sheet;
    EXPECT_EQ(ws.DataValidations()[0].errorStyle, "information") << sheet;
  }
  EXPECT_TRUE(f.book.Sheet("报名表样表").ProtectContents());
}

TEST(CreateBMB, FourAthletesKeepTheTemplateRows) {
  Forms f;
  Grades(f.book, {{"初一", 2}});
  Type(f.book, "设置", "H2", 4);
  ASSERT_EQ(CreateBMB(f.program, f.book), FormsResult::Created);
  host::Worksheet& ws = f.book.Sheet("2");
  EXPECT_EQ(ws.ValueAt(4, 2).ToWhole(), 1);
  EXPECT_EQ(ws.ValueAt(5, 2).ToWhole(), 2);
  EXPECT_EQ(ws.ValueAt(6, 2).ToWhole(), 1);
  EXPECT_EQ(ws.ValueAt(7, 2).ToWhole(), 2);
  EXPECT_EQ(ws.ValueAt(8, 1).ToText(), "注：");
  EXPECT_EQ(ws.End(host::kMaxRows, 1, host::Direction::Up).first, 8);
  for (int r = 4; r <= 7; ++r) EXPECT_DOUBLE_EQ(ws.RowHeight(r), 140);
  EXPECT_EQ(meet::LoadParameters(f.book).FormRows, 4);
}

// ---- names, flags ----

TEST(CreateBMB, AddsTheElevenSheetLevelNamesInOrder) {
  Forms f;
  Grades(f.book, {{"高一", 1}});
  ASSERT_EQ(f.book.NameCount(), 0);
  ASSERT_EQ(CreateBMB(f.program, f.book), FormsResult::Created);
  struct Expected {
    const char* sheet;
    const char* name;
    const char* refersTo;
  };
  const Expected expected[] = {
      {"比赛项目名单", "Print_Titles", "=比赛项目名单!$A:$E,比赛项目名单!$1:$2"},
      {"比赛项目名单", "人数", "=SUM(IF(比赛项目名单!B1:BX1=\"\",0,1))"},
      {"成绩登记表", "myRng", "=成绩登记表!$E1:$BB1"},
      {"成绩登记表", "myRng1", "=成绩登记表!$E2:$BB2"},
      {"成绩登记表", "Print_Titles", "=成绩登记表!$1:$2"},
      {"成绩登记表", "计法1", "=成绩登记表!$B1"},
      {"成绩登记表", "计法2", "=OFFSET(成绩登记表!$B1,-1,0)"},
      {"成绩登记表", "数目1", "=成绩登记表!$C1"},
      {"成绩登记表", "数目2", "=OFFSET(成绩登记表!$C1,-1,0)"},
      {"成绩登记表", "条件1",
       "=(IF(成绩登记表!计法1=\"计时\",RANK(成绩登记表!A2,成绩登记表!myRng1,1),RANK(成绩登记表!A2,成绩登记表!myRng1))<="
       "成绩登记表!数目1)"},
      {"成绩登记表", "条件2",
       "=(IF(成绩登记表!计法2=\"计时\",RANK(成绩登记表!A1,成绩登记表!myRng,1),RANK(成绩登记表!A1,成绩登记表!myRng))<="
       "成绩登记表!数目2)"},
  };
  ASSERT_EQ(f.book.NameCount(), 11);
  for (int i = 0; i < 11; ++i) {
    const host::DefinedName& n = f.book.NameAt(i + 1);
    EXPECT_EQ(n.name, expected[i].name) << i;
    ASSERT_NE(n.scope, nullptr) << i;
    EXPECT_EQ(n.scope->Name(), expected[i].sheet) << i;
    EXPECT_EQ(n.refersTo, expected[i].refersTo) << i;
  }
  // They survive the save.
  host::WorkbookHost other;
  host::Workbook& reread = other.Open(f.book.FullName());
  ASSERT_EQ(reread.NameCount(), 11);
  EXPECT_EQ(reread.NameAt(7).refersTo, expected[6].refersTo);
}

TEST(CreateBMB, JuniorGradesTogetherAreFlaggedForTheGradeMerge) {
  Forms f;
  Grades(f.book, {{"初一", 1}, {"初二", 1}});
  host::Worksheet& events = f.book.Sheet("比赛项目名单");
  events.PutValue(3, 1, host::CellValue("初中"));
  ASSERT_EQ(CreateBMB(f.program, f.book), FormsResult::Created);
  EXPECT_EQ(events.ValueAt(1, 6).ToWhole(), 1);

  Forms g;
  Grades(g.book, {{"初一", 1}});
  ASSERT_EQ(CreateBMB(g.program, g.book), FormsResult::Created);
  EXPECT_TRUE(g.book.Sheet("比赛项目名单").ValueAt(1, 6).IsEmpty());
}

// ---- team mode ----

TEST(CreateBMB, TeamModeTakesTheListedTeamsOfEveryGradeFromItsColumnPair) {
  Forms f;
  Grades(f.book, {{"初中", 2}, {"高中", 1}, {"教工", 2}});
  Type(f.book, "设置", "M1", "√");
  Type(f.book, "设置", "L6", "城关中学");
  Type(f.book, "设置", "M6", "张老师");
  // A name that looks like a formula, kept as text by the organiser's cell.
  f.book.Sheet("设置").PutValue(7, 12, host::CellValue("=实验中学"));
  Type(f.book, "设置", "M7", "李老师");
  Type(f.book, "设置", "O6", "第一中学");
  // The third grade's table lies beyond the two the sheet prepares: the
  // organiser lifts the sheet's protection to fill it.
  f.book.Sheet("设置").Unprotect();
  Type(f.book, "设置", "R6", "教育局队");
  Type(f.book, "设置", "S6", "王老师");
  Type(f.book, "设置", "R7", "退休教师队");
  ASSERT_EQ(CreateBMB(f.program, f.book), FormsResult::Created);
  const std::vector<std::string> names{"城关中学", "=实验中学", "第一中学", "教育局队", "退休教师队"};
  const std::vector<std::string> leaders{"张老师", "李老师", "", "王老师", ""};
  host::Worksheet& s = f.book.Sheet("设置");
  for (int t = 1; t <= 5; ++t) {
    EXPECT_EQ(s.ValueAt(t + 1, 4).ToText(), names[t - 1]) << t;
    EXPECT_TRUE(s.FormulaAt(t + 1, 4).empty()) << t;
    EXPECT_EQ(s.ValueAt(t + 1, 5).ToText(), leaders[t - 1]) << t;
    EXPECT_EQ(f.book.Sheet(t).ValueAt(2, 3).ToText(), names[t - 1]) << t;
    EXPECT_TRUE(f.book.Sheet(t).FormulaAt(2, 3).empty()) << t;
  }
  EXPECT_EQ(Text(f.book, "报名表样表", "A2"), "代表队：");
  EXPECT_TRUE(s.ProtectContents());
}

TEST(CreateBMB, TeamModeNumbersTheTeamsOfALaterGradeLeftUnlisted) {
  Forms f;
  Grades(f.book, {{"初中", 1}, {"高中", 1}, {"教工", 2}, {"家长", 1}});
  Type(f.book, "设置", "M1", "√");
  Type(f.book, "设置", "L6", "城关中学");
  Type(f.book, "设置", "O6", "第一中学");
  ASSERT_EQ(CreateBMB(f.program, f.book), FormsResult::Created);
  EXPECT_EQ(Text(f.book, "3", "C2"), "教工(1)队");
  EXPECT_EQ(Text(f.book, "4", "C2"), "教工(2)队");
  EXPECT_EQ(Text(f.book, "5", "C2"), "家长(1)队");
  EXPECT_EQ(Text(f.book, "设置", "D5"), "教工(2)队");
}

TEST(CreateBMB, TeamModeRefusesAnIncompleteList) {
  struct Case {
    std::function<void(host::Workbook&)> arrange;
    std::string message;
  };
  const std::vector<Case> cases{
      {[](host::Workbook& b) { Type(b, "设置", "L6", "城关中学"); },
       "设置!O6 的代表队名称不能为空（代表队模式下，第2个年级的代表队填在O、P两列，从第6行起）。"},
      {[](host::Workbook& b) {
         Type(b, "设置", "L6", "城关中学");
         Type(b, "设置", "O6", "第一中学");
         b.Sheet("设置").Unprotect();
         Type(b, "设置", "R6", "教育局队");
         b.Sheet("设置").Protect();
       },
       "设置!R7 的代表队名称不能为空（代表队模式下，第3个年级的代表队填在R、S两列，从第6行起）。"},
  };
  for (const Case& c : cases) {
    Forms f;
    Grades(f.book, {{"初中", 1}, {"高中", 1}, {"教工", 2}});
    Type(f.book, "设置", "M1", "√");
    c.arrange(f.book);
    Snapshot before(f.book);
    EXPECT_EQ(CreateBMB(f.program, f.book), FormsResult::Refused);
    ASSERT_EQ(f.ui.boxes.size(), 1u);
    EXPECT_EQ(f.ui.boxes[0].text, c.message);
    EXPECT_EQ(f.ui.boxes[0].icon, shell::Icon::Exclamation);
    EXPECT_EQ(f.ui.boxes[0].title, "Korvane");
    EXPECT_EQ(Snapshot(f.book), before);
  }
}

// ---- nothing to do, refusals ----

TEST(CreateBMB, NoTeamsLeavesTheWorkbookExactlyAsItWas) {
  for (const host::CellValue& count : {host::CellValue(0), host::CellValue(-3), host::CellValue()}) {
    Forms f;
    Grades(f.book, {{"高一", 0}});
    host::Worksheet& s = f.book.Sheet("设置");
    s.ClearCell(9, 2);
    s.PutValue(9, 2, count);
    f.book.SetSaved(true);
    Snapshot before(f.book);
    const bool visibleBefore = s.Visible();
    EXPECT_EQ(CreateBMB(f.program, f.book), FormsResult::NothingToCreate);
    EXPECT_TRUE(f.ui.boxes.empty());
    EXPECT_EQ(Snapshot(f.book), before);
    EXPECT_EQ(s.Visible(), visibleBefore);
    EXPECT_EQ(meet::LoadParameters(f.book).FormRows, 0);
  }
}

struct Refusal {
  const char* what;
  std::function<void(host::Workbook&)> arrange;
  std::string message;
};

TEST(CreateBMB, RefusesWithAMessageNamingTheCellAndChangesNothing) {
  const std::vector<Refusal> cases{
      {"odd team size", [](host::Workbook& b) { Type(b, "设置", "H2", 21); },
       "设置!H2 的每队人数必须是不小于4的偶数。"},
      {"team size 2", [](host::Workbook& b) { Type(b, "设置", "H2", 2); }, "设置!H2 的每队人数必须是不小于4的偶数。"},
      {"team size text", [](host::Workbook& b) { Type(b, "设置", "H2", "二十"); },
       "设置!H2 的每队人数必须是不小于4的偶数。"},
      {"team size empty", [](host::Workbook& b) { Type(b, "设置", "H2", host::CellValue()); },
       "设置!H2 的每队人数必须是不小于4的偶数。"},
      {"team size 100", [](host::Workbook& b) { Type(b, "设置", "H2", 100); },
       "设置!H2 的每队人数不能超过98（运动员号码中的序号只有两位）。"},
      {"negative count",
       [](host::Workbook& b) {
         Grades(b, {{"高一", 3}, {"高二", -1}, {"高三", 2}});
       },
       "设置!B3 的班级（代表队）数必须是不小于0的整数。"},
      {"text count",
       [](host::Workbook& b) {
         Grades(b, {{"高一", 3}, {"高二", "两个"}});
       },
       "设置!B3 的班级（代表队）数必须是不小于0的整数。"},
      {"count without grade",
       [](host::Workbook& b) {
         Grades(b, {{"高一", 3}});
         Type(b, "设置", "B8", "x");
       },
       "设置!B8 的班级（代表队）数必须是不小于0的整数。"},
      {"100 classes",
       [](host::Workbook& b) {
         Grades(b, {{"高一", 100}});
       },
       "设置!B2 的班级（代表队）数不能超过99（运动员号码中的队号只有两位）。"},
      {"counts beyond the grades",
       [](host::Workbook& b) {
         Grades(b, {{"高一", 3}, {"高二", 2}});
         Type(b, "设置", "B6", 4);
       },
       "设置!B9 的参赛队总数（9）与各年级的班级（代表队）数之和（5）不一致。"},
      {"empty grade inside",
       [](host::Workbook& b) {
         Grades(b, {{"高一", 3}, {"", 2}, {"高三", 2}});
       },
       "设置!A3 的年级名称不能为空。"},
      {"no grades",
       [](host::Workbook& b) {
         Grades(b, {});
         Type(b, "设置", "B2", 2);
       },
       "设置!A2 起没有年级名称，无法创建报名表。"},
      {"total not a number",
       [](host::Workbook& b) {
         b.Sheet("设置").ClearCell(9, 2);
         b.Sheet("设置").PutValue(9, 2, host::CellValue("很多"));
       },
       "设置!B9 的参赛队总数必须是数字。"},
      {"a team sheet name is taken",
       [](host::Workbook& b) {
         Grades(b, {{"高一", 3}});
         b.Sheet("记录表3").SetName("2");
       },
       "工作簿中已有名为“2”的工作表，无法创建报名表。"},
      {"score sheet missing",
       [](host::Workbook& b) {
         Grades(b, {{"高一", 3}});
         b.RemoveSheet(b.Sheet("成绩登记表"));
       },
       "工作簿中缺少工作表“成绩登记表”，无法创建报名表。"},
  };
  for (const Refusal& c : cases) {
    Forms f;
    f.book.Sheet("设置").Unprotect();
    c.arrange(f.book);
    f.book.Sheet("设置").Protect();
    f.book.Save();
    Snapshot before(f.book);
    EXPECT_EQ(CreateBMB(f.program, f.book), FormsResult::Refused) << c.what;
    ASSERT_EQ(f.ui.boxes.size(), 1u) << c.what;
    EXPECT_EQ(f.ui.boxes[0].text, c.message) << c.what;
    EXPECT_EQ(f.ui.boxes[0].icon, shell::Icon::Exclamation) << c.what;
    EXPECT_EQ(Snapshot(f.book), before) << c.what;
    EXPECT_EQ(f.program.Caption(), "Korvane") << c.what;
  }
}

TEST(CreateBMB, AFailedSaveIsReportedAndTheFileKeepsItsState) {
  Forms f;
  Grades(f.book, {{"高一", 2}});
  f.book.Save();
  const std::string before = FileBytes(f.book.FullName());
  // Another program holds the workbook open: its lock file refuses the save.
  const fs::path lock = fs::path(f.book.Path()) / ("~$" + f.book.Name());
  { std::ofstream(lock) << "someone"; }
  EXPECT_EQ(CreateBMB(f.program, f.book), FormsResult::Refused);
  ASSERT_EQ(f.ui.boxes.size(), 1u);
  EXPECT_EQ(f.ui.boxes[0].text.rfind("报名表已创建，但保存工作簿失败：", 0), 0u) << f.ui.boxes[0].text;
  EXPECT_EQ(FileBytes(f.book.FullName()), before);
  EXPECT_EQ(f.program.Caption(), "Korvane");
}

TEST(CreateBMB, ShowsItsProgressInTheCaption) {
  Forms f;
  Grades(f.book, {{"高一", 1}});
  ASSERT_EQ(CreateBMB(f.program, f.book), FormsResult::Created);
  EXPECT_NE(std::find(f.ui.captions.begin(), f.ui.captions.end(), "Korvane - 创建报名表..."), f.ui.captions.end());
  EXPECT_EQ(f.ui.captions.back(), "Korvane");
}

// ---- delSht ----

struct Generated : SetupFixture {
  host::Workbook& book = Host().Add();
  Generated(std::initializer_list<int> stages) {
    book.Sheet(1).SetName("1");
    for (int k : stages) book.AddSheet(nullptr, &book.Sheet(book.Count()), std::string(meet::StageSheetName(k)));
  }
};

TEST(DelSht, DeletesFromTheStageOnAndTellsWhetherItsSheetWasThere) {
  Generated g({1, 2, 4, 5, 6, 7, 8});
  EXPECT_FALSE(meet::delSht(g.book, 3));
  EXPECT_EQ(SheetNames(g.book), (std::vector<std::string>{"1", "号码对照表", "temp"}));
  EXPECT_TRUE(g.ui.boxes.empty());  // no question asked
  EXPECT_TRUE(g.Host().displayAlerts);
  EXPECT_TRUE(meet::delSht(g.book, 2));
  EXPECT_EQ(SheetNames(g.book), (std::vector<std::string>{"1", "号码对照表"}));
  EXPECT_TRUE(meet::delSht(g.book, 1));
  EXPECT_EQ(SheetNames(g.book), (std::vector<std::string>{"1"}));
  EXPECT_FALSE(meet::delSht(g.book, 1));
}

TEST(DelSht, OnlyTheStageCountsAndAProtectedStructureStaysProtected) {
  Generated g({1, 2, 3});
  g.book.Protect(true, true);
  EXPECT_FALSE(meet::delSht(g.book, 4));
  EXPECT_EQ(g.book.Count(), 4);
  EXPECT_TRUE(meet::delSht(g.book, 3));
  EXPECT_EQ(SheetNames(g.book), (std::vector<std::string>{"1", "号码对照表", "temp"}));
  EXPECT_TRUE(g.book.Protection().structure);
  EXPECT_TRUE(g.book.Protection().windows);
  EXPECT_THROW(meet::delSht(g.book, 0), std::out_of_range);
  EXPECT_THROW(meet::delSht(g.book, 9), std::out_of_range);
}

}  // namespace
}  // namespace korvane::setup
