// 导出报名数据, 导入报名数据 and 导出打印报表 on meet workbooks of several shapes.
#include <gtest/gtest.h>

#include "host/errors.h"
#include "meet_fixture.h"

namespace korvane::files::testing {
namespace {

using shell::Answer;
using shell::Buttons;
using shell::Icon;

// Exports the registration workbook of the open meet into `folder`.
void ExportTo(Fixture& f, const fs::path& folder) {
  f.ui.folders.push_back(folder.string());
  f.program.Run("Export");
}

// Imports from `folder`, answering the overwrite question with `answer`.
void ImportFrom(Fixture& f, const fs::path& folder, Answer answer = Answer::Yes) {
  f.ui.folders.push_back(folder.string());
  f.ui.answers.push_back(answer);
  f.program.Run("Import");
}

// Everything the teams can change on every team sheet, for "nothing changed" checks.
std::vector<host::ValueGrid> TeamSheetValues(host::Workbook& book, int teams, int lastRow, int lastCol) {
  std::vector<host::ValueGrid> v;
  for (int t = 1; t <= teams; ++t)
    v.push_back(host::Range(&book.Sheet(t), host::RangeRef{1, 1, lastRow, lastCol}).Values());
  return v;
}

// ---- export ----

TEST(Export, WritesProtectedTeamSheetsOnlyInTeamOrder) {
  Fixture f;
  host::Workbook& meetBook = f.OpenMeet({.teams = 3, .rowsPerTeam = 4, .events = 5});
  meetBook.Sheet(2).PutValue(4, 3, "张三");
  const int sheetsBefore = meetBook.Count();
  const fs::path out = f.Folder("out");

  ExportTo(f, out);

  ASSERT_EQ(f.Texts(), std::vector<std::string>{"指定导出位置"});
  EXPECT_EQ(f.ui.boxes[0].icon, Icon::Information);
  EXPECT_EQ(f.ui.boxes[0].title, "Korvane");
  FileReader reg(out / kRegistrationFile);
  ASSERT_EQ(reg->Count(), 3);
  for (int t = 1; t <= 3; ++t) {
    const host::Worksheet& ws = reg->Sheet(t);
    EXPECT_EQ(ws.Name(), std::to_string(t));
    EXPECT_TRUE(ws.ProtectContents()) << ws.Name();
    EXPECT_TRUE(ws.Visible());
    EXPECT_EQ(Cell(ws, 2, 3), "高一(" + std::to_string(t) + ")班");
  }
  EXPECT_EQ(Cell(reg->Sheet(2), 4, 3), "张三");
  // Only the meet workbook stays open; it is unchanged and active again.
  EXPECT_EQ(f.Host().WorkbooksCount(), 1);
  EXPECT_EQ(f.Host().ActiveWorkbook(), &meetBook);
  EXPECT_EQ(meetBook.Count(), sheetsBefore);
  EXPECT_TRUE(f.Host().screenUpdating);
  EXPECT_TRUE(f.Host().displayAlerts);
}

TEST(Export, OneTeamGivesTheSingleSheet1) {
  Fixture f;
  f.OpenMeet({.teams = 1});
  const fs::path out = f.Folder("out");
  ExportTo(f, out);
  FileReader reg(out / kRegistrationFile);
  ASSERT_EQ(reg->Count(), 1);
  EXPECT_EQ(reg->Sheet(1).Name(), "1");
  EXPECT_TRUE(reg->Sheet(1).ProtectContents());
}

TEST(Export, RefusesWithoutTeamsAndCreatesNoFile) {
  Fixture f;
  host::Workbook& book = f.OpenMeet({.teams = 2});
  book.Sheet(std::string(meet::kSettingsSheet)).PutValue(9, 2, 0);
  const fs::path out = f.Folder("out");
  ExportTo(f, out);
  EXPECT_EQ(f.Texts(), (std::vector<std::string>{"指定导出位置", "请先设置班级数据!"}));
  EXPECT_EQ(f.ui.boxes[1].icon, Icon::Information);
  EXPECT_TRUE(fs::is_empty(out));
  EXPECT_EQ(f.Host().WorkbooksCount(), 1);
  EXPECT_TRUE(f.Host().displayAlerts);
}

TEST(Export, CancelledPickerCreatesNothing) {
  Fixture f;
  f.OpenMeet({.teams = 2});
  f.ui.folders.push_back(std::nullopt);
  f.program.Run("Export");
  EXPECT_EQ(f.Texts(), std::vector<std::string>{"指定导出位置"});
  EXPECT_EQ(f.Host().WorkbooksCount(), 1);
  EXPECT_TRUE(f.Host().screenUpdating);
  EXPECT_TRUE(f.Host().displayAlerts);
}

TEST(Export, WithoutMeetWorkbookResetsTheMenu) {
  Fixture f;
  f.program.Menu().SetEnabled("Export", true);
  f.program.Run("Export");
  EXPECT_EQ(f.Texts(), std::vector<std::string>{"文件被关闭!"});
  EXPECT_FALSE(f.program.Menu().Enabled("Export"));
  EXPECT_EQ(f.ui.pickerCalls, 0);
}

TEST(Export, ReplacesAnEarlierFileWithoutEntriesWithoutAsking) {
  Fixture f;
  host::Workbook& book = f.OpenMeet({.teams = 2});
  const fs::path out = f.Folder("out");
  ExportTo(f, out);
  book.Sheet(1).PutValue(5, 3, "李四");
  ExportTo(f, out);
  EXPECT_EQ(f.Texts(), (std::vector<std::string>{"指定导出位置", "指定导出位置"}));
  FileReader reg(out / kRegistrationFile);
  EXPECT_EQ(Cell(reg->Sheet(1), 5, 3), "李四");
  EXPECT_EQ(std::distance(fs::directory_iterator(out), fs::directory_iterator()), 1);
}

TEST(Export, AFileHoldingEntriesIsReplacedOnlyOnYesAndKeptAsACopy) {
  Fixture f;
  f.OpenMeet({.teams = 2});
  const fs::path out = f.Folder("out");
  ExportTo(f, out);
  {
    // The teams return their entries in the exported file.
    host::WorkbookHost other;
    host::Workbook& reg = other.Open((out / kRegistrationFile).string());
    reg.Sheet(2).PutValue(6, 4, "√");
    reg.Save();
  }
  f.ui.boxes.clear();
  f.ui.answers = {Answer::No};
  ExportTo(f, out);
  ASSERT_EQ(f.ui.boxes.size(), 2u);
  EXPECT_EQ(f.ui.boxes[1].buttons, Buttons::YesNoDefaultNo);
  EXPECT_EQ(f.ui.boxes[1].text, text::ReplaceEntriesQuestion((out / kRegistrationFile).string()));
  EXPECT_EQ(Cell(FileReader(out / kRegistrationFile)->Sheet(2), 6, 4), "√");
  EXPECT_EQ(std::distance(fs::directory_iterator(out), fs::directory_iterator()), 1);

  f.ui.answers = {Answer::Yes};
  ExportTo(f, out);
  EXPECT_EQ(Cell(FileReader(out / kRegistrationFile)->Sheet(2), 6, 4), "");
  std::vector<fs::path> backups;
  for (const auto& e : fs::directory_iterator(out))
    if (e.path().filename().string().starts_with("运动会报名登记表.bak.")) backups.push_back(e.path());
  ASSERT_EQ(backups.size(), 1u);
  EXPECT_EQ(backups[0].extension(), fs::path(kRegistrationFile).extension());
  EXPECT_EQ(Cell(FileReader(backups[0])->Sheet(2), 6, 4), "√");
}

TEST(Export, ATargetHeldByAnotherProgramIsLeftAsItWas) {
  Fixture f;
  host::Workbook& book = f.OpenMeet({.teams = 2});
  const fs::path out = f.Folder("out");
  ExportTo(f, out);
  const auto before = fs::file_size(out / kRegistrationFile);
  WriteText(out / (std::string("~$") + kRegistrationFile), "owner");
  book.Sheet(1).PutValue(5, 3, "李四");

  ExportTo(f, out);

  ASSERT_EQ(f.ui.boxes.size(), 3u);
  EXPECT_EQ(f.ui.boxes[2].icon, Icon::Exclamation);
  EXPECT_NE(f.ui.boxes[2].text.find("无法导出到"), std::string::npos) << f.ui.boxes[2].text;
  EXPECT_EQ(fs::file_size(out / kRegistrationFile), before);
  FileReader reg(out / kRegistrationFile);
  EXPECT_EQ(Cell(reg->Sheet(1), 5, 3), "");
  // No temporary or half-made file beside it, and no export workbook left open.
  int files = 0;
  for (auto& e : fs::directory_iterator(out)) files += e.is_regular_file() ? 1 : 0;
  EXPECT_EQ(files, 2);
  EXPECT_EQ(f.Host().WorkbooksCount(), 1);
  EXPECT_EQ(f.Host().ActiveWorkbook(), &book);
}

TEST(Export, TakesTheLaterOfTwoMeetWorkbooks) {
  Fixture f;
  f.OpenMeet({.teams = 2});
  f.OpenMeet({.teams = 4}, "号码对照表及分组分道编排表_2024-05-01_00001.xlsm");
  const fs::path out = f.Folder("out");
  ExportTo(f, out);
  FileReader reg(out / kRegistrationFile);
  EXPECT_EQ(reg->Count(), 4);
}

TEST(ExportPRF, WritesTheTwoReportsInOrderProtected) {
  Fixture f;
  host::Workbook& book = f.OpenMeet({.teams = 2, .generatedStages = 4});
  const fs::path out = f.Folder("out");
  f.ui.folders.push_back(out.string());
  f.program.Run("ExportPRF");
  EXPECT_EQ(f.Texts(), std::vector<std::string>{"指定导出位置"});
  FileReader rep(out / kReportFile);
  ASSERT_EQ(rep->Count(), 2);
  EXPECT_EQ(rep->Sheet(1).Name(), "号码对照表报表");
  EXPECT_EQ(rep->Sheet(2).Name(), "比赛项目名单报表");
  EXPECT_EQ(Cell(rep->Sheet(1), 1, 1), "第3阶段");
  EXPECT_EQ(Cell(rep->Sheet(2), 1, 1), "第4阶段");
  EXPECT_TRUE(rep->Sheet(1).ProtectContents());
  EXPECT_TRUE(rep->Sheet(2).ProtectContents());
  EXPECT_EQ(f.Host().WorkbooksCount(), 1);
  EXPECT_EQ(f.Host().ActiveWorkbook(), &book);
}

TEST(ExportPRF, AMissingReportSheetWritesNothing) {
  Fixture f;
  f.OpenMeet({.teams = 2, .generatedStages = 3});
  const fs::path out = f.Folder("out");
  f.ui.folders.push_back(out.string());
  f.program.Run("ExportPRF");
  ASSERT_EQ(f.ui.boxes.size(), 2u);
  EXPECT_NE(f.ui.boxes[1].text.find("比赛项目名单报表"), std::string::npos);
  EXPECT_TRUE(fs::is_empty(out));
  EXPECT_EQ(f.Host().WorkbooksCount(), 1);
}

TEST(ExportPRF, CancelAndClosedMeet) {
  Fixture f;
  f.program.Run("ExportPRF");
  EXPECT_EQ(f.Texts(), std::vector<std::string>{"文件被关闭!"});
  f.OpenMeet({.teams = 2, .generatedStages = 4});
  f.ui.folders.push_back(std::nullopt);
  f.program.Run("ExportPRF");
  EXPECT_EQ(f.Texts(), (std::vector<std::string>{"文件被关闭!", "指定导出位置"}));
  EXPECT_EQ(f.Host().WorkbooksCount(), 1);
}

// ---- import ----

struct ImportFixture : Fixture {
  host::Workbook* meetBook = nullptr;
  fs::path in;
  MeetShape shape;
  explicit ImportFixture(MeetShape s = {.teams = 3, .rowsPerTeam = 20, .events = 8}) : shape(s) {
    meetBook = &OpenMeet(shape);
    in = Folder("in");
    ExportTo(*this, in);
    ui.boxes.clear();
  }
  fs::path RegistrationPath() const { return in / kRegistrationFile; }
  // Edits the registration workbook on disk as a team would.
  template <typename F>
  void EditRegistration(F&& edit) {
    host::WorkbookHost other;
    host::Workbook& reg = other.Open(RegistrationPath().string());
    edit(reg);
    reg.Save();
  }
};

TEST(Import, CopiesTheDataAreaOfEveryTeamAndNothingElse) {
  // H2 = 20 and events D3:K3: the area is C4:K23, the closing row 24.
  ImportFixture f;
  f.EditRegistration([](host::Workbook& reg) {
    for (int t = 1; t <= 3; ++t) {
      host::Worksheet& ws = reg.Sheet(t);
      ws.PutValue(4, 3, "男" + std::to_string(t));
      ws.PutValue(4, 4, "√");
      ws.PutValue(23, 11, "√");
      ws.PutValue(23, 3, "女" + std::to_string(t));
      // Outside the area: the team name, a column right of the events, the
      // row-number column and the closing row.
      ws.PutValue(2, 3, "改过的队名");
      ws.PutValue(4, 12, "×");
      ws.PutValue(5, 2, 99);
      ws.PutValue(24, 3, "注释");
    }
  });
  f.meetBook->Sheet(1).PutValue(24, 3, "原有");

  ImportFrom(f, f.in);

  EXPECT_EQ(f.Texts(), (std::vector<std::string>{"指定文件位置", "是否覆盖原有数据？"}));
  EXPECT_EQ(f.ui.boxes[0].icon, Icon::Information);
  EXPECT_EQ(f.ui.boxes[1].icon, Icon::None);
  EXPECT_EQ(f.ui.boxes[1].buttons, Buttons::YesNo);
  for (int t = 1; t <= 3; ++t) {
    const host::Worksheet& ws = f.meetBook->Sheet(t);
    EXPECT_EQ(Cell(ws, 4, 3), "男" + std::to_string(t));
    EXPECT_EQ(Cell(ws, 4, 4), "√");
    EXPECT_EQ(Cell(ws, 23, 11), "√");
    EXPECT_EQ(Cell(ws, 23, 3), "女" + std::to_string(t));
    EXPECT_EQ(Cell(ws, 2, 3), "高一(" + std::to_string(t) + ")班");
    EXPECT_EQ(Cell(ws, 3, 4), "项目1");
    EXPECT_EQ(Cell(ws, 4, 12), "");
    EXPECT_EQ(Cell(ws, 5, 2), "2");
  }
  EXPECT_EQ(Cell(f.meetBook->Sheet(1), 24, 3), "原有");
  EXPECT_EQ(Cell(f.meetBook->Sheet(2), 24, 3), "");
  // The registration workbook is closed again; the meet workbook is active.
  EXPECT_EQ(f.Host().WorkbooksCount(), 1);
  EXPECT_EQ(f.Host().ActiveWorkbook(), f.meetBook);
  EXPECT_TRUE(f.Host().screenUpdating);
}

TEST(Import, CopiesValuesNeverFormulas) {
  ImportFixture f({.teams = 2, .rowsPerTeam = 4, .events = 3});
  f.EditRegistration([](host::Workbook& reg) {
    host::Worksheet& ws = reg.Sheet(1);
    ws.PutValue(4, 3, "=HYPERLINK(\"http://example.com\",\"点我\")");
    ws.PutValue(5, 3, "=1+1");
    ws.PutFormula(6, 4, "2+3", host::CellValue(5.0));
  });
  ImportFrom(f, f.in);
  const host::Worksheet& ws = f.meetBook->Sheet(1);
  EXPECT_EQ(ws.FormulaAt(4, 3), "");
  EXPECT_EQ(ws.ValueAt(4, 3), host::CellValue("=HYPERLINK(\"http://example.com\",\"点我\")"));
  EXPECT_EQ(ws.FormulaAt(5, 3), "");
  EXPECT_EQ(ws.ValueAt(5, 3), host::CellValue("=1+1"));
  // A team's formula in an event column arrives as the value it shows (one
  // in a name cell is refused: a catalogued bad input).
  EXPECT_EQ(ws.FormulaAt(6, 4), "");
  EXPECT_EQ(ws.ValueAt(6, 4), host::CellValue(5.0));
}

TEST(Import, ASecondImportReplacesTheFirst) {
  ImportFixture f({.teams = 2, .rowsPerTeam = 4, .events = 3});
  f.EditRegistration([](host::Workbook& reg) {
    reg.Sheet(1).PutValue(4, 3, "甲");
    reg.Sheet(1).PutValue(4, 4, "√");
    reg.Sheet(2).PutValue(6, 3, "乙");
  });
  ImportFrom(f, f.in);
  f.EditRegistration([](host::Workbook& reg) {
    reg.Sheet(1).PutValue(4, 3, "丙");
    reg.Sheet(1).PutValue(4, 4, host::CellValue());
    reg.Sheet(2).PutValue(6, 3, host::CellValue());
  });
  ImportFrom(f, f.in);
  EXPECT_EQ(Cell(f.meetBook->Sheet(1), 4, 3), "丙");
  EXPECT_EQ(Cell(f.meetBook->Sheet(1), 4, 4), "");
  EXPECT_EQ(Cell(f.meetBook->Sheet(2), 6, 3), "");
}

TEST(Import, ShapeMismatchesOfAnySheetCopyNothingAndSayWhat) {
  struct Case {
    const char* what;
    std::function<void(host::Workbook&)> edit;
    const char* message;  // after "数据格式有误!\n"
  };
  const std::vector<Case> cases = {
      {"an extra sheet such as 设置",
       [](host::Workbook& reg) { reg.AddSheet(nullptr, &reg.Sheet(reg.Count()), "设置"); },
       "多出工作表“设置”（本次运动会只有工作表“1”到“3”）。"},
      {"one team sheet missing", [](host::Workbook& reg) { reg.RemoveSheet(reg.Sheet(reg.Count())); },
       "缺少工作表“3”（本次运动会有 3 张报名表）。"},
      {"an extra event column", [](host::Workbook& reg) { reg.Sheet(1).PutValue(3, 7, "跳远"); },
       "工作表“1”：第3行的表头与本次运动会的报名表不同：G3 为“跳远”，应为“”。"},
      {"an event column less on sheet 2", [](host::Workbook& reg) { reg.Sheet(2).ClearCell(3, 6); },
       "工作表“2”：第3行的表头与本次运动会的报名表不同：F3 为“”，应为“项目3”。"},
      {"last year's form: as many events, other headings",
       [](host::Workbook& reg) { reg.Sheet(3).PutValue(3, 5, "铅球"); },
       "工作表“3”：第3行的表头与本次运动会的报名表不同：E3 为“铅球”，应为“项目2”。"},
      {"a longer form", [](host::Workbook& reg) { reg.Sheet(1).PutValue(9, 1, "注："); },
       "工作表“1”：报名表的结束行在第9行，应在第8行（运动员行数与本次运动会的不同）。"},
      {"a row inserted on sheet 3",
       [](host::Workbook& reg) {
         reg.Sheet(3).Unprotect();
         reg.Sheet(3).InsertRows(5, 1);
       },
       "工作表“3”：报名表的结束行在第9行，应在第8行（运动员行数与本次运动会的不同）。"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ImportFixture f({.teams = 3, .rowsPerTeam = 4, .events = 3});
    f.EditRegistration([&](host::Workbook& reg) {
      for (int t = 1; t <= std::min(3, reg.Count()); ++t) reg.Sheet(t).PutValue(4, 3, "新名字");
      c.edit(reg);
    });
    const auto before = TeamSheetValues(*f.meetBook, 3, 10, 8);
    ImportFrom(f, f.in);
    EXPECT_EQ(f.Texts(), (std::vector<std::string>{"指定文件位置", "是否覆盖原有数据？",
                                                   std::string("数据格式有误!\n") + c.message}));
    EXPECT_EQ(f.ui.boxes.back().icon, Icon::Information);
    EXPECT_EQ(TeamSheetValues(*f.meetBook, 3, 10, 8), before);
    EXPECT_EQ(f.Host().WorkbooksCount(), 1);
  }
}

TEST(Import, SheetsInAnotherOrderGoToTheirOwnTeams) {
  ImportFixture f({.teams = 3, .rowsPerTeam = 4, .events = 3});
  f.EditRegistration([](host::Workbook& reg) {
    for (int t = 1; t <= 3; ++t) reg.Sheet(t).PutValue(4, 3, "队" + std::to_string(t));
    reg.MoveSheet(reg.Sheet("3"), 1);
  });
  ImportFrom(f, f.in);
  for (int t = 1; t <= 3; ++t) EXPECT_EQ(Cell(f.meetBook->Sheet(std::to_string(t)), 4, 3), "队" + std::to_string(t));
}

TEST(Import, FilesThatCannotBeReadCopyNothing) {
  struct Case {
    const char* what;
    std::function<void(const fs::path&)> spoil;
    const char* words;  // part of the message
  };
  const std::vector<Case> cases = {
      {"not a workbook", [](const fs::path& p) { WriteText(p, "姓名,项目\n张三,100米\n"); }, "无法读取报名数据文件"},
      {"damaged",
       [](const fs::path& p) {
         std::string bytes;
         {
           std::ifstream in(p, std::ios::binary);
           bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
         }
         WriteText(p, bytes.substr(0, bytes.size() / 2));
       },
       "无法读取报名数据文件"},
      {"open in another program",
       [](const fs::path& p) { WriteText(p.parent_path() / (".~lock." + p.filename().string() + "#"), "x"); },
       "正被其他程序打开"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ImportFixture f({.teams = 2, .rowsPerTeam = 4, .events = 3});
    f.EditRegistration([](host::Workbook& reg) { reg.Sheet(1).PutValue(4, 3, "新名字"); });
    c.spoil(f.RegistrationPath());
    const auto before = TeamSheetValues(*f.meetBook, 2, 10, 8);
    ImportFrom(f, f.in);
    ASSERT_EQ(f.ui.boxes.size(), 3u);
    EXPECT_NE(f.ui.boxes[2].text.find(c.words), std::string::npos) << f.ui.boxes[2].text;
    EXPECT_NE(f.ui.boxes[2].text.find(f.RegistrationPath().string()), std::string::npos);
    EXPECT_EQ(f.ui.boxes[2].icon, Icon::Exclamation);
    EXPECT_EQ(TeamSheetValues(*f.meetBook, 2, 10, 8), before);
    EXPECT_EQ(f.Host().WorkbooksCount(), 1);
    EXPECT_EQ(f.Host().ActiveWorkbook(), f.meetBook);
  }
}

TEST(Import, ALockedCellOfOneTeamStopsTheWholeImport) {
  ImportFixture f({.teams = 3, .rowsPerTeam = 4, .events = 3});
  f.EditRegistration([](host::Workbook& reg) {
    for (int t = 1; t <= 3; ++t) reg.Sheet(t).PutValue(4, 3, "新名字");
  });
  host::Worksheet& team3 = f.meetBook->Sheet(3);
  team3.Unprotect();
  host::Range(&team3, host::RangeRef{7, 6, 7, 6}).SetLocked(true);
  team3.Protect();
  const auto before = TeamSheetValues(*f.meetBook, 3, 10, 8);
  ImportFrom(f, f.in);
  ASSERT_EQ(f.ui.boxes.size(), 3u);
  EXPECT_NE(f.ui.boxes[2].text.find("报名表“3”"), std::string::npos) << f.ui.boxes[2].text;
  EXPECT_EQ(TeamSheetValues(*f.meetBook, 3, 10, 8), before);
}

TEST(Import, StopsQuietlyOnCancelOrNo) {
  ImportFixture f({.teams = 2, .rowsPerTeam = 4, .events = 3});
  f.EditRegistration([](host::Workbook& reg) { reg.Sheet(1).PutValue(4, 3, "新名字"); });
  f.ui.folders.push_back(std::nullopt);
  f.program.Run("Import");
  EXPECT_EQ(f.Texts(), std::vector<std::string>{"指定文件位置"});
  ImportFrom(f, f.in, Answer::No);
  EXPECT_EQ(f.Texts(), (std::vector<std::string>{"指定文件位置", "指定文件位置", "是否覆盖原有数据？"}));
  EXPECT_EQ(Cell(f.meetBook->Sheet(1), 4, 3), "");
  EXPECT_EQ(f.Host().WorkbooksCount(), 1);
}

TEST(Import, AMissingFileIsNamed) {
  Fixture f;
  f.OpenMeet({.teams = 2});
  const fs::path empty = f.Folder("empty");
  f.ui.folders.push_back(empty.string() + "/");
  f.program.Run("Import");
  const std::string path = (empty / kRegistrationFile).string();
  EXPECT_EQ(f.Texts(), (std::vector<std::string>{"指定文件位置", "源文件：“" + path + "”未找到!"}));
  EXPECT_EQ(f.ui.boxes[1].icon, Icon::Information);
}

TEST(Import, WithoutMeetWorkbookSaysTheTargetIsClosed) {
  Fixture f;
  f.program.Menu().SetEnabled("Import", true);
  f.program.Run("Import");
  EXPECT_EQ(f.Texts(), std::vector<std::string>{"目标文件被关闭!"});
  EXPECT_EQ(f.ui.boxes[0].icon, Icon::Information);
  EXPECT_FALSE(f.program.Menu().Enabled("Import"));
}

TEST(Import, LeavesTheMenuAsItWas) {
  ImportFixture f({.teams = 2, .rowsPerTeam = 4, .events = 3});
  f.program.Menu().SetEnabled({"Import", "Export", "Save", "Close"}, true);
  const auto revision = f.program.Menu().Revision();
  ImportFrom(f, f.in);
  EXPECT_EQ(f.program.Menu().Revision(), revision);
}

}  // namespace
}  // namespace korvane::files::testing
