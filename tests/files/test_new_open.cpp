// 新建 and 打开: the file name with its stamp, the newest-file rule, the menu
// of each stage, and both commands on the shipped template.
#include <gtest/gtest.h>

#include "host/errors.h"
#include "meet_fixture.h"
#include "shell/menu.h"

namespace korvane::files::testing {
namespace {

using shell::Icon;

const std::string kExt = ".xlsm";

fs::path Touch(const fs::path& folder, const std::string& name) {
  WriteText(folder / name, "x");
  return folder / name;
}

std::string MeetFile(const std::string& date, const std::string& stamp) {
  return "号码对照表及分组分道编排表_" + date + "_" + stamp + kExt;
}

// ---- the newest meet workbook ----

TEST(NewestMeetWorkbook, SameDayTakesTheGreaterStamp) {
  TempDir dir;
  Touch(dir.path(), MeetFile("2024-04-09", "41002"));
  Touch(dir.path(), MeetFile("2024-04-09", "03715"));
  EXPECT_EQ(NewestMeetWorkbook(dir.path().string(), kExt), dir.path() / MeetFile("2024-04-09", "41002"));
}

TEST(NewestMeetWorkbook, TheLaterDateWinsWhateverTheStamps) {
  TempDir dir;
  Touch(dir.path(), MeetFile("2024-04-09", "86399"));
  Touch(dir.path(), MeetFile("2024-05-01", "00000"));
  Touch(dir.path(), MeetFile("2023-12-31", "50000"));
  EXPECT_EQ(NewestMeetWorkbook(dir.path().string(), kExt), dir.path() / MeetFile("2024-05-01", "00000"));
}

TEST(NewestMeetWorkbook, SkipsNamesThatOnlyLookLikeMeetWorkbooks) {
  TempDir dir;
  Touch(dir.path(), MeetFile("2024-04-09", "03715"));
  // Not dates or stamps: skipped, although they would sort later.
  Touch(dir.path(), MeetFile("2024-13-01", "00001"));
  Touch(dir.path(), MeetFile("2024-02-30", "00001"));
  Touch(dir.path(), MeetFile("2025-01-01", "9999x"));
  Touch(dir.path(), MeetFile("2025-01-01", "90000"));  // more seconds than a day has
  Touch(dir.path(), MeetFile("2025-1-011", "00001"));
  // Other files of the folder.
  Touch(dir.path(), "号码对照表及分组分道编排表_2026-01-01_00001.xlsx");
  Touch(dir.path(), "号码对照表及分组分道编排表_2026-01-01_000011.xlsm");
  Touch(dir.path(), "日程安排表_2026-01-01_00001.xlsm");
  fs::create_directory(dir.path() / MeetFile("2027-01-01", "00001"));
  EXPECT_EQ(NewestMeetWorkbook(dir.path().string(), kExt), dir.path() / MeetFile("2024-04-09", "03715"));
}

TEST(NewestMeetWorkbook, NoneInAnEmptyOrMissingFolder) {
  TempDir dir;
  EXPECT_EQ(NewestMeetWorkbook(dir.path().string(), kExt), std::nullopt);
  Touch(dir.path(), MeetFile("2024-02-30", "00001"));
  EXPECT_EQ(NewestMeetWorkbook(dir.path().string(), kExt), std::nullopt);
  EXPECT_EQ(NewestMeetWorkbook((dir.path() / "gone").string(), kExt), std::nullopt);
}

// ---- the new file's name ----

TEST(FreeMeetWorkbookName, StampIsFiveDigitSecondsOfTheDay) {
  TempDir dir;
  host::WorkbookHost host;
  shell::DateTime t{2024, 4, 9, 0, 0, 5};
  EXPECT_EQ(FreeMeetWorkbookName(dir.path().string(), host, t, kExt), MeetFile("2024-04-09", "00005"));
  t = {2024, 12, 31, 23, 59, 59};
  EXPECT_EQ(FreeMeetWorkbookName(dir.path().string(), host, t, kExt), MeetFile("2024-12-31", "86399"));
  t = {2024, 4, 9, 1, 1, 55};
  EXPECT_EQ(FreeMeetWorkbookName(dir.path().string(), host, t, kExt), MeetFile("2024-04-09", "03715"));
}

TEST(FreeMeetWorkbookName, TakesTheNextFreeStampInsteadOfReplacing) {
  TempDir dir;
  host::WorkbookHost host;
  const shell::DateTime t{2024, 4, 9, 1, 1, 55};
  Touch(dir.path(), MeetFile("2024-04-09", "03715"));
  Touch(dir.path(), MeetFile("2024-04-09", "03716"));
  EXPECT_EQ(FreeMeetWorkbookName(dir.path().string(), host, t, kExt), MeetFile("2024-04-09", "03717"));
  // A workbook of that name open in the host (from another folder) also counts.
  host.Add().SetUnsavedName(MeetFile("2024-04-09", "03717"));
  EXPECT_EQ(FreeMeetWorkbookName(dir.path().string(), host, t, kExt), MeetFile("2024-04-09", "03718"));
}

TEST(FreeMeetWorkbookName, RefusesWhenTheDayIsUsedUp) {
  TempDir dir;
  host::WorkbookHost books;
  Touch(dir.path(), MeetFile("2024-04-09", "86398"));
  Touch(dir.path(), MeetFile("2024-04-09", "86399"));
  EXPECT_THROW(FreeMeetWorkbookName(dir.path().string(), books, {2024, 4, 9, 23, 59, 58}, kExt), host::HostError);
}

// ---- the menu of each stage ----

// The items a stage decides, as enabled after 打开.
std::map<std::string, bool> StageItems(int teams, int sheets, bool teamMode) {
  shell::MenuState menu;
  shell::ResetMenu(menu);
  ApplyStageMenu(menu, teams, sheets, teamMode);
  std::map<std::string, bool> m;
  for (const char* c : {"Import", "MyPrint1", "Combine", "Sort", "CreateReport", "Schedule", "ExportPRF", "MyPrint2",
                        "MyPrint4", "ScoreEdit", "CreateTables", "MyPrint3"})
    m[c] = menu.Enabled(c);
  return m;
}

TEST(ApplyStageMenu, TwelveTeamsThroughTheStages) {
  // 12 teams: b = 19. MyPrint1 starts disabled here (ResetForm) and is
  // enabled by 打开 before the stage items are applied.
  using M = std::map<std::string, bool>;
  const M none = {{"Import", false},       {"MyPrint1", false},  {"Combine", false},      {"Sort", false},
                  {"CreateReport", false}, {"Schedule", false},  {"ExportPRF", false},    {"MyPrint2", false},
                  {"MyPrint4", false},     {"ScoreEdit", false}, {"CreateTables", false}, {"MyPrint3", false}};
  auto with = [&](std::initializer_list<const char*> on) {
    M m = none;
    for (const char* c : on) m[c] = true;
    return m;
  };
  EXPECT_EQ(StageItems(12, 19, false), with({"Import"}));
  EXPECT_EQ(StageItems(12, 12, false), with({"Import"}));
  EXPECT_EQ(StageItems(12, 20, false), with({"Combine", "Sort", "CreateReport", "Schedule"}));
  EXPECT_EQ(StageItems(12, 21, false), with({"Combine", "Sort", "CreateReport", "Schedule"}));
  EXPECT_EQ(StageItems(12, 22, false), with({"Combine", "Sort", "CreateReport", "Schedule", "ExportPRF", "MyPrint2",
                                             "MyPrint4", "ScoreEdit", "CreateTables"}));
  EXPECT_EQ(StageItems(12, 23, false), StageItems(12, 22, false));
  EXPECT_EQ(StageItems(12, 24, false), with({"Combine", "Sort", "CreateReport", "Schedule", "ExportPRF", "MyPrint2",
                                             "MyPrint4", "ScoreEdit", "MyPrint3"}));
  // Team mode never offers the grade merge.
  EXPECT_EQ(StageItems(12, 21, true), with({"Sort", "CreateReport", "Schedule"}));
  EXPECT_EQ(StageItems(12, 24, true),
            with({"Sort", "CreateReport", "Schedule", "ExportPRF", "MyPrint2", "MyPrint4", "ScoreEdit", "MyPrint3"}));
}

TEST(ApplyStageMenu, ConsolidatedMeetsNoLongerPrintBlankForms) {
  shell::MenuState menu;
  shell::ResetMenu(menu);
  menu.SetEnabled("MyPrint1", true);
  ApplyStageMenu(menu, 3, 10, false);
  EXPECT_TRUE(menu.Enabled("MyPrint1"));
  ApplyStageMenu(menu, 3, 11, false);
  EXPECT_FALSE(menu.Enabled("MyPrint1"));
}

// ---- 打开 ----

struct OpenFixture : Fixture {
  // Writes a meet workbook of the given shape into the default folder and
  // closes it again, as a meet left from an earlier session.
  fs::path Leave(const MeetShape& shape, const std::string& name = kMeetName) {
    host::Workbook& book = OpenMeet(shape, name);
    const fs::path path = MeetFolder() / name;
    Host().Close(book, false);
    return path;
  }
  void SetDefaultFolder() { shell::SaveDefaultPath(program.Settings(), MeetFolder().string()); }
};

TEST(Open, RestoresTheMenuOfTheStageAndTheParameters) {
  OpenFixture f;
  f.Leave({.teams = 12, .rowsPerTeam = 20, .generatedStages = 2});  // 12 + 7 + 2 = 21 sheets
  f.SetDefaultFolder();
  f.program.Run("Open");

  EXPECT_TRUE(f.ui.boxes.empty());
  host::Workbook* book = meet::FindMeetWorkbook(f.Host());
  ASSERT_NE(book, nullptr);
  EXPECT_EQ(book->Name(), kMeetName);
  EXPECT_EQ(book->Count(), 21);
  EXPECT_TRUE(book->Protection().structure);
  EXPECT_TRUE(book->Protection().windows);
  EXPECT_TRUE(f.Host().visible);
  EXPECT_TRUE(f.Host().screenUpdating);
  EXPECT_EQ(meet::LoadParameters(*book).FormRows, 20);
  ASSERT_FALSE(f.ui.statusTexts.empty());
  EXPECT_EQ(f.ui.statusTexts.back().rfind("作者: Merisk   今天是 ", 0), 0u);

  const shell::MenuState& m = f.program.Menu();
  for (const char* c :
       {"New", "Open", "Initialization", "Import", "MyPrint1", "ExportPRF", "CreateTables", "ItemSetup"})
    EXPECT_FALSE(m.Enabled(c)) << c;
  for (const char* c : {"Export", "Save", "Close", "consolidate", "MNBM", "PrizeSetup", "Combine", "Sort",
                        "CreateReport", "Schedule", "DefaultFolder"})
    EXPECT_TRUE(m.Enabled(c)) << c;
}

TEST(Open, PicksTheNewestFile) {
  OpenFixture f;
  f.Leave({.teams = 2}, MeetFile("2024-04-09", "41002"));
  f.Leave({.teams = 3}, MeetFile("2024-04-09", "03715"));
  f.Leave({.teams = 4}, MeetFile("2024-03-31", "80000"));
  f.SetDefaultFolder();
  f.program.Run("Open");
  ASSERT_EQ(f.Host().WorkbooksCount(), 1);
  EXPECT_EQ(f.Host().WorkbookAt(1).Name(), MeetFile("2024-04-09", "41002"));
}

TEST(Open, NothingToOpen) {
  OpenFixture f;
  // No default folder stored.
  f.program.Run("Open");
  // A stored folder without meet workbooks.
  f.SetDefaultFolder();
  Touch(f.MeetFolder(), "其他文件.xlsm");
  f.program.Run("Open");
  EXPECT_EQ(f.Texts(), (std::vector<std::string>{"文件不存在，请先建立!", "文件不存在，请先建立!"}));
  EXPECT_EQ(f.ui.boxes[0].icon, Icon::Information);
  EXPECT_EQ(f.Host().WorkbooksCount(), 0);
  EXPECT_TRUE(f.program.Menu().Enabled("Open"));
}

TEST(Open, ADamagedNewestFileIsReportedAndTheMenuStays) {
  OpenFixture f;
  f.SetDefaultFolder();
  const fs::path bad = Touch(f.MeetFolder(), MeetFile("2024-04-09", "03715"));
  f.program.Run("Open");
  ASSERT_EQ(f.ui.boxes.size(), 1u);
  EXPECT_EQ(f.ui.boxes[0].icon, Icon::Exclamation);
  EXPECT_NE(f.ui.boxes[0].text.find(bad.string()), std::string::npos) << f.ui.boxes[0].text;
  EXPECT_EQ(f.Host().WorkbooksCount(), 0);
  EXPECT_TRUE(f.program.Menu().Enabled("Open"));
  EXPECT_TRUE(f.program.Menu().Enabled("New"));
  EXPECT_TRUE(f.Host().screenUpdating);
}

TEST(Open, RenumbersReportsWhoseFirstPageDiffers) {
  OpenFixture f;
  {
    host::Workbook& book = f.OpenMeet({.teams = 2, .generatedStages = 4});
    book.Sheet(std::string(meet::kSettingsSheet)).PutValue(1, 3, 21);
    book.Sheet(std::string(meet::kNumberReportSheet)).Page().firstPageNumber = 1;
    book.Sheet(std::string(meet::kRosterReportSheet)).Page().firstPageNumber = 9;
    book.Save();
    f.Host().Close(book, false);
  }
  f.SetDefaultFolder();
  f.program.Run("Open");
  host::Workbook& book = f.Host().WorkbookAt(1);
  EXPECT_EQ(book.Sheet(std::string(meet::kNumberReportSheet)).Page().firstPageNumber, 21);
  EXPECT_EQ(book.Sheet(std::string(meet::kRosterReportSheet)).Page().firstPageNumber, 29);
  for (const char* c : {"ExportPRF", "MyPrint2", "MyPrint4", "ScoreEdit", "CreateTables"})
    EXPECT_TRUE(f.program.Menu().Enabled(c)) << c;
  EXPECT_FALSE(f.program.Menu().Enabled("MyPrint3"));
}

TEST(Open, LeavesReportsAloneWithoutAFirstPage) {
  OpenFixture f;
  {
    host::Workbook& book = f.OpenMeet({.teams = 2, .generatedStages = 6});
    book.Sheet(std::string(meet::kNumberReportSheet)).Page().firstPageNumber = 3;
    book.Sheet(std::string(meet::kRosterReportSheet)).Page().firstPageNumber = 7;
    book.Save();
    f.Host().Close(book, false);
  }
  f.SetDefaultFolder();
  f.program.Run("Open");
  host::Workbook& book = f.Host().WorkbookAt(1);
  EXPECT_EQ(book.Sheet(std::string(meet::kNumberReportSheet)).Page().firstPageNumber, 3);
  EXPECT_EQ(book.Sheet(std::string(meet::kRosterReportSheet)).Page().firstPageNumber, 7);
  EXPECT_TRUE(f.program.Menu().Enabled("MyPrint3"));
  EXPECT_FALSE(f.program.Menu().Enabled("CreateTables"));
}

// ---- 新建 on the shipped template ----

struct NewFixture : Fixture {
  ScopedEnv programDir{"KORVANE_PROGRAM_DIR", std::string(KORVANE_SHARE_DIR)};
  ScopedEnv now{"KORVANE_NOW", std::string("2024-04-09T00:00:05")};
};

TEST(New, MakesTheStampedMeetWithFormsInTheDefaultFolder) {
  NewFixture f;
  const fs::path meets = f.MeetFolder();
  shell::SaveDefaultPath(f.program.Settings(), meets.string());

  f.program.Run("New");

  EXPECT_TRUE(f.ui.boxes.empty()) << f.ui.boxes[0].text;
  const std::string name = MeetFile("2024-04-09", "00005");
  ASSERT_TRUE(fs::exists(meets / name));
  ASSERT_EQ(f.Host().WorkbooksCount(), 1);
  host::Workbook& book = f.Host().WorkbookAt(1);
  EXPECT_EQ(book.Name(), name);
  EXPECT_EQ(book.Path(), meets.string());
  EXPECT_TRUE(book.Protection().structure);
  EXPECT_TRUE(book.Protection().windows);
  // The forms were made: one team sheet per team in front of 设置, and the
  // workbook's names are exactly the forms' own.
  const int teams = static_cast<int>(book.Sheet(std::string(meet::kSettingsSheet)).ValueAt(9, 2).ToWhole());
  ASSERT_GT(teams, 0);
  EXPECT_EQ(book.Count(), teams + meet::kFixedSheetCount);
  EXPECT_EQ(book.Sheet(1).Name(), "1");
  EXPECT_EQ(book.Sheet(teams + 1).Name(), std::string(meet::kSettingsSheet));
  EXPECT_EQ(book.NameCount(), static_cast<int>(meet::kDefinedNames.size()));
  EXPECT_TRUE(f.Host().visible);
  EXPECT_TRUE(f.Host().screenUpdating);
  EXPECT_GT(meet::LoadParameters(book).FormRows, 0);

  const shell::MenuState& m = f.program.Menu();
  for (const char* c : {"New", "Open", "Initialization", "ExportPRF", "Combine", "ItemSetup"})
    EXPECT_FALSE(m.Enabled(c)) << c;
  for (const char* c : {"Import", "Export", "Save", "Close", "MyPrint1", "consolidate", "MNBM", "PrizeSetup"})
    EXPECT_TRUE(m.Enabled(c)) << c;

  // The same file read back from disk has the forms too.
  FileReader saved(meets / name);
  EXPECT_EQ(saved->Count(), teams + meet::kFixedSheetCount);
}

TEST(New, TwiceInOneSecondKeepsBothMeets) {
  NewFixture f;
  const fs::path meets = f.MeetFolder();
  shell::SaveDefaultPath(f.program.Settings(), meets.string());
  f.program.Run("New");
  f.ui.answers.push_back(shell::Answer::No);  // the forms made after its first save
  f.program.Run("Close");
  f.program.Run("New");
  EXPECT_TRUE(fs::exists(meets / MeetFile("2024-04-09", "00005")));
  EXPECT_TRUE(fs::exists(meets / MeetFile("2024-04-09", "00006")));
  EXPECT_EQ(f.Host().WorkbookAt(1).Name(), MeetFile("2024-04-09", "00006"));
}

TEST(New, AsksForTheDefaultFolderAndRemembersIt) {
  NewFixture f;
  const fs::path meets = f.MeetFolder();
  f.ui.folders.push_back(meets.string() + "/");
  f.program.Run("New");
  ASSERT_EQ(f.Texts(), std::vector<std::string>{"必须先指定保存的默认目录!"});
  EXPECT_EQ(f.ui.boxes[0].icon, Icon::Information);
  EXPECT_EQ(shell::StoredDefaultPath(f.program.Settings()), meets.string());
  EXPECT_EQ(f.program.defaultFolder, meets.string());
  EXPECT_TRUE(fs::exists(meets / MeetFile("2024-04-09", "00005")));
}

TEST(New, AnUnwritableSettingsFileCreatesNothingAndSaysWhy) {
  NewFixture f;
  const fs::path meets = f.MeetFolder();
  fs::create_directories(f.program.Settings().File() / "blocked");  // a folder where the file belongs
  f.ui.folders.push_back(meets.string());
  f.program.Run("New");
  ASSERT_EQ(f.ui.boxes.size(), 2u);
  EXPECT_EQ(f.ui.boxes[1].text.rfind(text::CannotCreate("无法保存设置文件“"), 0), 0u) << f.ui.boxes[1].text;
  EXPECT_EQ(f.Host().WorkbooksCount(), 0);
  EXPECT_TRUE(fs::is_empty(meets));
  EXPECT_TRUE(f.program.Menu().Enabled("New"));
}

TEST(New, ACancelledPickerLeavesNothing) {
  NewFixture f;
  f.ui.folders.push_back(std::nullopt);
  f.Host().visible = true;
  f.program.Run("New");
  EXPECT_EQ(f.Texts(), std::vector<std::string>{"必须先指定保存的默认目录!"});
  EXPECT_EQ(f.Host().WorkbooksCount(), 0);
  EXPECT_FALSE(f.Host().visible);
  EXPECT_TRUE(f.Host().screenUpdating);
  EXPECT_EQ(shell::StoredDefaultPath(f.program.Settings()), "");
  EXPECT_TRUE(f.program.Menu().Enabled("New"));
  EXPECT_FALSE(f.program.Menu().Enabled("Save"));
}

TEST(New, WithoutTheTemplateCreatesNothing) {
  NewFixture f;
  ScopedEnv elsewhere{"KORVANE_PROGRAM_DIR", f.Folder("empty-program").string()};
  f.program.Run("New");
  ASSERT_EQ(f.Texts(), std::vector<std::string>{"模板文件缺失，请联系作者!"});
  EXPECT_EQ(f.ui.boxes[0].icon, Icon::None);
  EXPECT_EQ(f.ui.boxes[0].buttons, shell::Buttons::Ok);
  EXPECT_EQ(f.Host().WorkbooksCount(), 0);
  EXPECT_EQ(f.ui.pickerCalls, 0);
  EXPECT_TRUE(f.program.Menu().Enabled("New"));
}

// A template whose forms cannot be made (an odd number of athlete rows):
// 新建 removes the file it saved and leaves the menu as it was.
TEST(New, FormsRefusedLeaveNoFileBehind) {
  NewFixture f;
  const fs::path program = f.Folder("program");
  {
    host::WorkbookHost h;
    host::Workbook& tpl = h.Open(std::string(KORVANE_SHARE_DIR) + "/号码对照表及分组分道编排.xltm", true);
    host::Worksheet& settings = tpl.Sheet(std::string(meet::kSettingsSheet));
    settings.PutValue(2, 8, 7);
    tpl.SaveAs((program / "号码对照表及分组分道编排.xltm").string());
  }
  ScopedEnv programDir{"KORVANE_PROGRAM_DIR", program.string()};
  const fs::path meets = f.MeetFolder();
  shell::SaveDefaultPath(f.program.Settings(), meets.string());
  f.Host().visible = false;

  f.program.Run("New");

  ASSERT_EQ(f.ui.boxes.size(), 1u);  // the forms' own refusal
  EXPECT_NE(f.ui.boxes[0].text.find("H2"), std::string::npos) << f.ui.boxes[0].text;
  EXPECT_TRUE(fs::is_empty(meets));
  EXPECT_EQ(f.Host().WorkbooksCount(), 0);
  EXPECT_FALSE(f.Host().visible);
  EXPECT_TRUE(f.Host().screenUpdating);
  EXPECT_TRUE(f.program.Menu().Enabled("New"));
  EXPECT_TRUE(f.program.Menu().Enabled("Open"));
  EXPECT_FALSE(f.program.Menu().Enabled("Save"));
}

TEST(New, ThenOpenRestoresTheSameMeet) {
  NewFixture f;
  const fs::path meets = f.MeetFolder();
  shell::SaveDefaultPath(f.program.Settings(), meets.string());
  f.program.Run("New");
  f.program.Run("Save");
  f.program.Run("Close");
  f.program.Run("Open");
  ASSERT_EQ(f.Host().WorkbooksCount(), 1);
  EXPECT_EQ(f.Host().WorkbookAt(1).Name(), MeetFile("2024-04-09", "00005"));
  EXPECT_TRUE(f.program.Menu().Enabled("Import"));
  EXPECT_TRUE(f.program.Menu().Enabled("MyPrint1"));
  EXPECT_FALSE(f.program.Menu().Enabled("Sort"));
}

}  // namespace
}  // namespace korvane::files::testing
