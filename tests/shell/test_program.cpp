#include <gtest/gtest.h>

#include <fstream>

#include "host/range.h"
#include "host/workbook.h"
#include "shell/about_form.h"
#include "shell/clock.h"
#include "shell/commands.h"
#include "shell/paths.h"
#include "shell/program.h"
#include "support/scratch.h"
#include "support/test_ui.h"

namespace korvane::shell {
namespace {

using testing::ScopedEnv;
using testing::TempDir;
using testing::TestUi;
namespace fs = std::filesystem;

const char* const kMeetName = "号码对照表及分组分道编排表_2024-04-09_03715.xlsm";

struct Fixture {
  TempDir dir;
  TestUi ui;
  Program program{std::make_unique<host::WorkbookHost>(), ui, SettingsStore(dir / "settings.ini")};
  Fixture() { RegisterShellCommands(program.Commands()); }
  host::Workbook& OpenBook(const std::string& name) {
    host::Workbook& b = program.Host().Add();
    b.SetUnsavedName(name);
    return b;
  }
};

// ---- command table ----

TEST(CommandTable, RegistersMenuControlsOnce) {
  CommandTable t;
  int runs = 0;
  t.Register("Sort", [&](Program&) { ++runs; });
  EXPECT_THROW(t.Register("Sort", [](Program&) {}), std::invalid_argument);
  EXPECT_THROW(t.Register("NoSuchItem", [](Program&) {}), std::invalid_argument);
  EXPECT_THROW(t.Register("Open", CommandHandler{}), std::invalid_argument);
  EXPECT_TRUE(t.Has("Sort"));
  EXPECT_FALSE(t.Has("Open"));
}

TEST(Program, ACommandWithoutHandlerSaysSoAndDoesNothingElse) {
  Fixture f;
  auto revision = f.program.Menu().Revision();
  f.program.Run("consolidate");
  ASSERT_EQ(f.ui.boxes.size(), 1u);
  EXPECT_EQ(f.ui.boxes[0].text, "“汇总及编号”功能尚未实现，暂时不能使用。");
  EXPECT_EQ(f.ui.boxes[0].icon, Icon::Information);
  EXPECT_EQ(f.ui.boxes[0].title, "Korvane");
  EXPECT_EQ(f.program.Menu().Revision(), revision);
  EXPECT_THROW(f.program.Run("Bogus"), std::invalid_argument);
}

TEST(Program, RunsTheRegisteredHandler) {
  Fixture f;
  int runs = 0;
  f.program.Commands().Register("Sort", [&](Program& p) {
    EXPECT_EQ(&p, &f.program);
    ++runs;
  });
  f.program.Run("Sort");
  EXPECT_EQ(runs, 1);
  EXPECT_TRUE(f.ui.boxes.empty());
}

TEST(Program, ACommandThatFailsUnexpectedlyIsReportedAndUndone) {
  Fixture f;
  host::Workbook& book = f.OpenBook(kMeetName);
  f.program.Menu().SetEnabled("Sort", true);
  f.program.Commands().Register("Sort", [&](Program& p) {
    p.Menu().SetEnabled({"Sort", "Save"}, false);
    p.Menu().SetChecked("ProtectAllYN", true);
    p.SetCaptionNote(" - 随机排序...");
    book.Sheet(1).Cells(1, 1).SetValue("changed");
    throw std::runtime_error("磁盘已满");
  });
  const MenuState before = f.program.Menu();
  const unsigned long revision = f.program.Menu().Revision();

  f.program.Run("Sort");
  ASSERT_EQ(f.ui.boxes.size(), 1u);
  EXPECT_EQ(f.ui.boxes[0].text, "执行“随机排序”时发生意外错误：磁盘已满");
  EXPECT_EQ(f.ui.boxes[0].icon, Icon::Critical);
  EXPECT_EQ(f.ui.boxes[0].buttons, Buttons::Ok);
  EXPECT_EQ(f.program.Caption(), "Korvane");
  for (const MenuNode* n : MenuItems()) {
    EXPECT_EQ(f.program.Menu().Enabled(n->control), before.Enabled(n->control)) << n->control;
    EXPECT_EQ(f.program.Menu().Checked(n->control), before.Checked(n->control)) << n->control;
  }
  EXPECT_GT(f.program.Menu().Revision(), revision);  // a view refreshes
  // The workbook stays open, as it was before the command.
  ASSERT_EQ(f.program.Host().Workbooks().size(), 1u);
  EXPECT_EQ(f.program.Host().Workbooks()[0]->Sheet(1).ValueAt(1, 1).ToText(), "");
}

TEST(Program, AUiThatStopsEndsTheCommandWithoutAMessage) {
  Fixture f;
  f.program.Commands().Register("Sort",
                                [](Program& p) { p.ui().MessageBox("继续吗？", Icon::Question, Buttons::YesNo); });
  EXPECT_THROW(f.program.Run("Sort"), UiStopped);  // the test double has no answer queued
  EXPECT_TRUE(f.ui.boxes.empty() || f.ui.boxes.back().icon != Icon::Critical);
}

TEST(Program, FillsTheTablesFromTheHost) {
  Fixture f;
  f.program.FillTables();
  EXPECT_TRUE(f.program.tables.filled);
  EXPECT_EQ(f.program.tables.sheetNames[0], "号码对照表");
  EXPECT_EQ(f.program.tables.sheetNames[7], "其它记录表");
  EXPECT_EQ(f.program.tables.numerals[0], "一");
  EXPECT_EQ(f.program.tables.numerals[9], "十");
  EXPECT_EQ(f.program.tables.extensions[0], ".xlsm");  // the host is of the newer family
  EXPECT_EQ(f.program.tables.extensions[3], ".xltx");
}

// ---- caption, greeting, clock ----

TEST(Caption, NoteShownWhileTheCommandRunsAndResetAfterwards) {
  Fixture f;
  EXPECT_EQ(f.program.Caption(), "Korvane");
  try {
    CaptionNote note(f.program, notes::kPleaseWait);
    EXPECT_EQ(f.program.Caption(), "Korvane - 请稍候...");
    throw std::runtime_error("the command fails");
  } catch (const std::runtime_error&) {
  }
  EXPECT_EQ(f.program.Caption(), "Korvane");
  EXPECT_EQ(f.ui.captions, (std::vector<std::string>{"Korvane - 请稍候...", "Korvane"}));
}

TEST(Clock, ReadsIsoDateTimesAndOnlyRealOnes) {
  auto t = ParseDateTime("2026-12-07T09:30:05");
  ASSERT_TRUE(t);
  EXPECT_EQ(t->SecondsOfDay(), 9 * 3600 + 30 * 60 + 5);
  EXPECT_EQ(ParseDateTime("2024-02-29 23:59")->minute, 59);
  EXPECT_EQ(ParseDateTime("2024-04-09")->day, 9);
  for (const char* bad : {"2023-02-29", "2026-13-01", "2026-12-07T24:00:00", "2026-12-07T10:60", "2026-12-7",
                          "2026-12-07T09:30:05Z", "", "today"})
    EXPECT_FALSE(ParseDateTime(bad)) << bad;
}

TEST(Clock, LongDateAndWeekdayAsTheChineseLocaleWritesThem) {
  EXPECT_EQ(GreetingText(*ParseDateTime("2026-12-07")), "作者: Merisk   今天是 2026年12月7日 星期一");
  EXPECT_EQ(WeekdayText(*ParseDateTime("2024-02-29")), "星期四");
  EXPECT_EQ(WeekdayText(*ParseDateTime("2000-01-01")), "星期六");
  EXPECT_EQ(WeekdayText(*ParseDateTime("2023-10-01")), "星期日");
  EXPECT_EQ(LongDateText(*ParseDateTime("2024-04-09")), "2024年4月9日");
}

TEST(Clock, KorvaneNowFixesTheClockAndAMalformedValueIsAnError) {
  {
    ScopedEnv now("KORVANE_NOW", "2024-04-09T01:01:55");
    EXPECT_EQ(Now(), *ParseDateTime("2024-04-09T01:01:55"));
    Fixture f;
    ShowGreeting(f.program);
    EXPECT_EQ(f.program.Host().statusBar, "作者: Merisk   今天是 2024年4月9日 星期二");
    EXPECT_EQ(f.ui.statusTexts, (std::vector<std::string>{f.program.Host().statusBar}));
  }
  {
    ScopedEnv now("KORVANE_NOW", "9th of April");
    EXPECT_THROW(Now(), std::runtime_error);
  }
}

// ---- the meet workbook ----

TEST(MeetWorkbook, TheLastMatchingOpenWorkbookIsTaken) {
  Fixture f;
  f.OpenBook("运动会报名登记表.xlsm");
  f.OpenBook(kMeetName);
  host::Workbook& later = f.OpenBook("号码对照表及分组分道编排.xltm");  // the template opened for editing
  f.OpenBook("日程安排表_2024-04-09_00001.xlsx");
  EXPECT_EQ(RequireMeetWorkbook(f.program), &later);
  EXPECT_TRUE(f.ui.boxes.empty());
}

TEST(MeetWorkbook, ClosedBehindTheProgramsBackTheCommandRefusesAndResetsTheMenu) {
  Fixture f;
  host::Workbook& meet = f.OpenBook(kMeetName);
  // A command that works on the meet workbook, as the subsystems write them.
  int worked = 0;
  f.program.Commands().Register("consolidate", [&](Program& p) {
    host::Workbook* book = RequireMeetWorkbook(p);
    if (!book) return;
    ++worked;
  });
  // The menu of an open, consolidated meet, with a progress note showing.
  for (const MenuNode* n : MenuItems()) f.program.Menu().SetEnabled(n->control, true);
  f.program.Menu().SetChecked("ProtectAllYN", true);
  f.program.SetCaptionNote(notes::kPleaseWait);

  f.program.Run("consolidate");
  EXPECT_EQ(worked, 1);

  f.program.Host().Close(meet);  // the user closes it in the workbook window
  f.program.Run("consolidate");
  EXPECT_EQ(worked, 1);
  ASSERT_EQ(f.ui.boxes.size(), 1u);
  EXPECT_EQ(f.ui.boxes[0].text, "文件被关闭!");
  EXPECT_EQ(f.ui.boxes[0].icon, Icon::Information);
  EXPECT_EQ(f.ui.boxes[0].buttons, Buttons::Ok);
  EXPECT_EQ(f.ui.boxes[0].title, "Korvane");
  MenuState reset;
  ResetMenu(reset);
  for (const MenuNode* n : MenuItems()) {
    EXPECT_EQ(f.program.Menu().Enabled(n->control), reset.Enabled(n->control)) << n->control;
    EXPECT_FALSE(f.program.Menu().Checked(n->control)) << n->control;
  }
  EXPECT_EQ(f.program.Caption(), "Korvane");

  EXPECT_EQ(RequireMeetWorkbook(f.program, kTargetFileClosed), nullptr);
  EXPECT_EQ(f.ui.boxes.back().text, "目标文件被关闭!");
}

// ---- the folder picker and 默认目录... ----

TEST(PathLocation, ReturnsTheFolderWithoutItsTrailingSeparatorOrOneOnCancel) {
  Fixture f;
  f.ui.folders = {"/srv/meets/", "/srv/meets", "/", std::nullopt};
  EXPECT_EQ(PathLocation(f.program), "/srv/meets");
  EXPECT_EQ(PathLocation(f.program), "/srv/meets");
  EXPECT_EQ(PathLocation(f.program), "/");  // the root folder keeps its only separator
  EXPECT_EQ(PathLocation(f.program), "1");
}

TEST(DefaultFolderCommand, NothingStoredAsksForAFolderAndStoresThePick) {
  Fixture f;
  fs::create_directories(f.dir / "meets");
  f.ui.folders = {(f.dir / "meets").string() + "/"};
  f.program.Run("DefaultFolder");
  ASSERT_EQ(f.ui.boxes.size(), 1u);
  EXPECT_EQ(f.ui.boxes[0].text, "请指定保存的默认目录!");
  EXPECT_EQ(f.ui.boxes[0].icon, Icon::Information);
  EXPECT_EQ(StoredDefaultPath(f.program.Settings()), (f.dir / "meets").string());
  EXPECT_EQ(f.program.defaultFolder, (f.dir / "meets").string());
}

TEST(DefaultFolderCommand, AnUnwritableSettingsFileIsToldAndNothingChanges) {
  Fixture f;
  fs::create_directories(f.dir / "meets");
  fs::create_directories(f.program.Settings().File() / "blocked");  // a folder where the file belongs
  f.ui.folders = {(f.dir / "meets").string()};
  f.program.Run("DefaultFolder");
  ASSERT_EQ(f.ui.boxes.size(), 2u);
  EXPECT_EQ(f.ui.boxes[1].icon, Icon::Exclamation);
  EXPECT_EQ(f.ui.boxes[1].text.rfind("无法保存设置文件“" + f.program.Settings().File().string() + "”", 0), 0u)
      << f.ui.boxes[1].text;
  EXPECT_EQ(f.program.defaultFolder, "");
}

TEST(DefaultFolderCommand, CancellingStoresNothing) {
  Fixture f;
  f.ui.folders = {std::nullopt};
  f.program.Run("DefaultFolder");
  EXPECT_EQ(f.ui.pickerCalls, 1);
  EXPECT_FALSE(fs::exists(f.program.Settings().File()));
  EXPECT_EQ(f.program.defaultFolder, "");
}

TEST(DefaultFolderCommand, AFolderThatIsGoneCountsAsNotSet) {
  Fixture f;
  SaveDefaultPath(f.program.Settings(), (f.dir / "deleted").string());
  fs::create_directories(f.dir / "new");
  f.ui.folders = {(f.dir / "new").string()};
  f.program.Run("DefaultFolder");
  ASSERT_EQ(f.ui.boxes.size(), 1u);
  EXPECT_EQ(f.ui.boxes[0].text, "请指定保存的默认目录!");
  EXPECT_EQ(StoredDefaultPath(f.program.Settings()), (f.dir / "new").string());
}

TEST(DefaultFolderCommand, AStoredFolderIsShownAndChangedOnlyOnYes) {
  Fixture f;
  fs::create_directories(f.dir / "a");
  fs::create_directories(f.dir / "b");
  SaveDefaultPath(f.program.Settings(), (f.dir / "a").string());

  f.ui.answers = {Answer::No};
  f.program.Run("DefaultFolder");
  ASSERT_EQ(f.ui.boxes.size(), 1u);
  EXPECT_EQ(f.ui.boxes[0].text, "默认目录已设置：\n" + (f.dir / "a").string() + "\n要修改吗？");
  EXPECT_EQ(f.ui.boxes[0].icon, Icon::Question);
  EXPECT_EQ(f.ui.boxes[0].buttons, Buttons::YesNo);
  EXPECT_EQ(f.ui.pickerCalls, 0);
  EXPECT_EQ(StoredDefaultPath(f.program.Settings()), (f.dir / "a").string());

  f.ui.answers = {Answer::Yes};
  f.ui.folders = {(f.dir / "b").string()};
  f.program.Run("DefaultFolder");
  EXPECT_EQ(StoredDefaultPath(f.program.Settings()), (f.dir / "b").string());

  f.ui.answers = {Answer::Yes};
  f.ui.folders = {std::nullopt};  // yes, then cancel: the stored folder stays
  f.program.Run("DefaultFolder");
  EXPECT_EQ(StoredDefaultPath(f.program.Settings()), (f.dir / "b").string());
  EXPECT_EQ(f.program.defaultFolder, (f.dir / "b").string());
}

TEST(DefaultFolderCommand, AHiddenHostStaysHiddenAfterThePicker) {
  Fixture f;
  fs::create_directories(f.dir / "a");
  host::WorkbookHost& host = f.program.Host();
  f.ui.onPickFolder = [&] { host.visible = true; };  // the picker brings the host forward
  f.ui.folders = {(f.dir / "a").string(), (f.dir / "a").string()};
  host.visible = false;
  f.program.Run("DefaultFolder");
  EXPECT_FALSE(host.visible);
  f.ui.answers = {Answer::Yes};
  host.visible = true;
  f.program.Run("DefaultFolder");
  EXPECT_TRUE(host.visible);
}

// ---- 退出, 关于, 内容 ----

TEST(QuitCommand, AsksToSaveChangesThenClosesEverythingAndEnds) {
  Fixture f;
  host::Workbook& a = f.OpenBook(kMeetName);
  a.SetFileIdentity(f.dir.path().string(), kMeetName);
  a.Sheet(1).Cells(1, 1).SetValue(host::CellValue("changed"));
  a.SetSaved(false);
  f.OpenBook("运动会报表.xlsm").SetSaved(true);
  f.ui.answers = {Answer::No};
  f.program.Run("Quit");
  EXPECT_TRUE(f.program.Ended());
  EXPECT_FALSE(f.program.HasHost());
  EXPECT_FALSE(fs::exists(f.dir / kMeetName));  // 否: nothing was saved
  ASSERT_EQ(f.ui.boxes.size(), 1u);
  EXPECT_EQ(f.ui.boxes[0].text, "是否保存对 " + std::string(kMeetName) + " 的更改?");
}

TEST(QuitCommand, CancelKeepsTheProgramRunning) {
  Fixture f;
  host::Workbook& a = f.OpenBook(kMeetName);
  a.SetSaved(false);
  f.ui.answers = {Answer::Cancel};
  f.program.Run("Quit");
  EXPECT_FALSE(f.program.Ended());
  ASSERT_TRUE(f.program.HasHost());
  EXPECT_EQ(f.program.Host().WorkbooksCount(), 1);
}

TEST(AboutCommand, ShowsTheDescriptionAndVersionUntilOkIsPressed) {
  Fixture f;
  int shown = 0;
  f.ui.driveDialog = [&](DialogModel& d) {
    ++shown;
    EXPECT_EQ(d.Caption(), "关于 Korvane");
    const std::string& text = d.Get<StaticControl>("lblDescription").caption;
    EXPECT_EQ(text.rfind("　　本软件用于中学校运会、县运会的自动报表及打印", 0), 0u);
    EXPECT_NE(text.find("大大地降低了前后不一致的人为打印错误。"), std::string::npos);
    EXPECT_EQ(d.Get<StaticControl>("lblVersion").caption, std::string("版本：") + KORVANE_VERSION);
    auto& ok = d.Get<Button>("cmdOK");
    EXPECT_EQ(ok.caption, "确定");
    EXPECT_TRUE(d.IsOpen());
    ok.Click();
  };
  f.program.Run("About");
  EXPECT_EQ(shown, 1);
  EXPECT_EQ(f.ui.dialogsShown, (std::vector<std::string>{"关于 Korvane"}));
}

TEST(ContentCommand, OpensTheHelpOfTheProgramFolder) {
  Fixture f;
  ScopedEnv program("KORVANE_PROGRAM_DIR", f.dir.path().string() + "/");
  std::string help = (f.dir / "Quillowen.html").string();

  f.program.Run("Content");  // not there
  ASSERT_EQ(f.ui.boxes.size(), 1u);
  EXPECT_EQ(f.ui.boxes[0].text, "找不到帮助文件：" + help);
  EXPECT_TRUE(f.ui.helpOpened.empty());

  std::ofstream(help) << "<html></html>";
  f.program.Run("Content");
  EXPECT_EQ(f.ui.helpOpened, (std::vector<std::string>{help}));
  EXPECT_EQ(f.ui.boxes.size(), 1u);

  f.ui.helpOpens = false;  // no viewer could show it
  f.program.Run("Content");
  EXPECT_EQ(f.ui.boxes.back().text, "无法打开帮助文件：" + help);
}

TEST(ProgramFolder, IsTheShareFolderBesideTheExecutableUnlessSet) {
  {
    ScopedEnv program("KORVANE_PROGRAM_DIR", std::nullopt);
    EXPECT_EQ(fs::path(ProgramFolder()), fs::path(KORVANE_SHARE_DIR).lexically_normal());
    EXPECT_EQ(fs::path(HelpFilePath()), fs::path(KORVANE_SHARE_DIR).lexically_normal() / "Quillowen.html");
  }
  {
    ScopedEnv program("KORVANE_PROGRAM_DIR", "/opt/korvane/");
    EXPECT_EQ(ProgramFolder(), "/opt/korvane");
  }
}

// ---- the host's questions ----

TEST(HostPrompter, SheetDeletionIsAskedThroughTheUi) {
  Fixture f;
  host::Workbook& book = f.OpenBook(kMeetName);
  host::Worksheet& extra = book.AddSheet(nullptr, &book.Sheet(1), "temp");
  f.ui.answers = {Answer::No, Answer::Yes};
  EXPECT_FALSE(extra.Delete());
  EXPECT_EQ(book.Count(), 2);
  ASSERT_EQ(f.ui.boxes.size(), 1u);
  EXPECT_EQ(f.ui.boxes[0].text, "将永久删除工作表“temp”。是否继续？");
  EXPECT_EQ(f.ui.boxes[0].buttons, Buttons::YesNo);
  EXPECT_TRUE(book.FindSheet("temp")->Delete());
  EXPECT_EQ(book.Count(), 1);
  f.program.Host().displayAlerts = false;  // alerts off: no question
  book.AddSheet(nullptr, nullptr, "again");
  EXPECT_TRUE(book.FindSheet("again")->Delete());
  EXPECT_EQ(f.ui.boxes.size(), 2u);
}

}  // namespace
}  // namespace korvane::shell
