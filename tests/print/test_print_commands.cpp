// The four print commands: their questions and answers, the form that is too
// wide, what they leave hidden and protected, a PDF that cannot be written,
// and the schedule file rules.
#include <gtest/gtest.h>

#include <filesystem>

#include "files/meet_fixture.h"
#include "host/print/pdf.h"
#include "reports/commands.h"
#include "reports/print.h"
#include "support/poppler.h"

namespace fs = std::filesystem;
using namespace korvane;
using files::testing::Fixture;
using files::testing::MeetShape;
using meet::kFormSampleSheet;
using print_testing::PdfPages;
using shell::Answer;
using shell::Icon;
using shell::testing::ScopedEnv;

namespace {

struct PrintFixture : Fixture {
  ScopedEnv noPrinter{"KORVANE_PRINTER", "none"};
  host::Workbook* book = nullptr;

  PrintFixture() {
    reports::RegisterCommands(program.Commands());
    program.defaultFolder = MeetFolder().string();
  }
  void OpenMeet(const MeetShape& shape = {}) { book = &Fixture::OpenMeet(shape); }
  host::Worksheet& Form() { return book->Sheet(std::string(kFormSampleSheet)); }
  void ExpectFormPutAway() {
    EXPECT_FALSE(Form().Visible());
    EXPECT_TRUE(book->Protection().structure);
    EXPECT_TRUE(book->Protection().windows);
    EXPECT_TRUE(Host().screenUpdating);
  }
};

TEST(MyPrint1, AnsweringNoPrintsNothingAndPutsTheFormAway) {
  PrintFixture fx;
  fx.OpenMeet();
  fx.ui.answers = {Answer::No};
  fx.program.Run("MyPrint1");
  ASSERT_EQ(fx.ui.boxes.size(), 1u);
  EXPECT_EQ(fx.ui.boxes[0].text, reports::kReadyToPrintForm);
  EXPECT_EQ(fx.ui.boxes[0].icon, Icon::Question);
  EXPECT_TRUE(fx.Host().PrintJobs().empty());
  EXPECT_FALSE(fs::exists(fx.MeetFolder() / "报名表样表.pdf"));
  fx.ExpectFormPutAway();
}

TEST(MyPrint1, YesPrintsTheOnePageFormBesideTheMeetWorkbook) {
  PrintFixture fx;
  fx.OpenMeet();
  fx.ui.answers = {Answer::Yes};
  fx.program.Run("MyPrint1");
  ASSERT_EQ(fx.Host().PrintJobs().size(), 1u);
  EXPECT_EQ(fx.Host().PrintJobs()[0].sheets, std::vector<std::string>{std::string(kFormSampleSheet)});
  const fs::path pdf = fx.MeetFolder() / "报名表样表.pdf";
  EXPECT_EQ(PdfPages(pdf), 1);
  ASSERT_FALSE(fx.ui.statusTexts.empty());
  EXPECT_NE(fx.ui.statusTexts.back().find(pdf.string()), std::string::npos) << fx.ui.statusTexts.back();
  fx.ExpectFormPutAway();
}

TEST(MyPrint1, AFormWiderThanAPageIsRefused) {
  PrintFixture fx;
  fx.OpenMeet();
  fx.Form().Unprotect();
  for (int c = 1; c <= 12; ++c) fx.Form().SetColumnWidth(c, 20);
  fx.program.Run("MyPrint1");
  ASSERT_EQ(fx.ui.boxes.size(), 1u);
  EXPECT_EQ(fx.ui.boxes[0].text, reports::kFormTooWideToPrint);
  EXPECT_EQ(fx.ui.boxes[0].icon, Icon::Exclamation);
  EXPECT_TRUE(fx.Host().PrintJobs().empty());
  fx.ExpectFormPutAway();
}

TEST(MyPrint1, APdfThatCannotBeWrittenIsToldAndTheFormStillPutAway) {
  PrintFixture fx;
  fx.OpenMeet();
  const fs::path pdf = fx.MeetFolder() / "报名表样表.pdf";
  fs::create_directories(pdf / "occupied");  // a folder where the PDF should go
  fx.ui.answers = {Answer::Yes};
  fx.program.Run("MyPrint1");
  ASSERT_EQ(fx.ui.boxes.size(), 2u);
  EXPECT_EQ(fx.ui.boxes[1].icon, Icon::Exclamation);
  EXPECT_NE(fx.ui.boxes[1].text.find(pdf.string()), std::string::npos) << fx.ui.boxes[1].text;
  fx.ExpectFormPutAway();
}

TEST(MyPrint2And3, AnsweringNoPrintsNothing) {
  for (const char* command : {"MyPrint2", "MyPrint3"}) {
    PrintFixture fx;
    fx.OpenMeet(MeetShape{.generatedStages = 8});
    fx.ui.answers = {Answer::No};
    fx.program.Run(command);
    ASSERT_EQ(fx.ui.boxes.size(), 1u) << command;
    EXPECT_EQ(fx.ui.boxes[0].text, reports::kReadyToPrint);
    EXPECT_TRUE(fx.Host().PrintJobs().empty()) << command;
  }
}

TEST(MyPrint2And3, YesPrintsTheSheetsAsOneJobAndSelectsTheFirst) {
  struct Case {
    const char* command;
    const char* pdf;
    std::vector<std::string> sheets;
  };
  const Case cases[] = {
      {"MyPrint2", "报表.pdf", {"号码对照表报表", "比赛项目名单报表"}},
      {"MyPrint3", "成绩记录表.pdf", {"起终点用表", "高度记录表", "远度记录表", "其它记录表"}},
  };
  for (const Case& c : cases) {
    PrintFixture fx;
    fx.OpenMeet(MeetShape{.generatedStages = 8});
    fx.ui.answers = {Answer::Yes};
    fx.program.Run(c.command);
    ASSERT_EQ(fx.Host().PrintJobs().size(), 1u);
    EXPECT_EQ(fx.Host().PrintJobs()[0].sheets, c.sheets);
    EXPECT_EQ(PdfPages(fx.MeetFolder() / c.pdf), static_cast<int>(c.sheets.size())) << c.command;
    EXPECT_EQ(fx.book->ActiveSheet().Name(), c.sheets[0]);
  }
}

TEST(MyPrint1To3, WithoutAMeetWorkbookTheFileIsClosed) {
  for (const char* command : {"MyPrint1", "MyPrint2", "MyPrint3"}) {
    PrintFixture fx;
    fx.program.Menu().SetEnabled("MyPrint2", true);
    fx.program.Run(command);
    ASSERT_EQ(fx.ui.boxes.size(), 1u);
    EXPECT_EQ(fx.ui.boxes[0].text, shell::kFileClosed);
    EXPECT_FALSE(fx.program.Menu().Enabled("MyPrint2")) << "menu reset";
  }
}

// ---- the schedule ----

TEST(NewestScheduleFile, TheDateThenTheSerialInListingOrder) {
  const std::string ext = ".xlsx";
  struct Case {
    std::vector<std::string> names;
    int year;
    std::string chosen;
  };
  const Case cases[] = {
      {{"日程安排表_2026-05-01_00007.xlsx", "日程安排表_2026-05-01_00012.xlsx", "日程安排表_2026-05-01_00009.xlsx"},
       2026,
       "日程安排表_2026-05-01_00012.xlsx"},
      {{"日程安排表_2026-05-02_00001.xlsx", "日程安排表_2026-05-01_99999.xlsx"},
       2026,
       "日程安排表_2026-05-02_00001.xlsx"},
      {{"日程安排表_2025-12-30_00001.xlsx"}, 2026, ""},
      {{"日程安排表_2026-03-01_00001.xlsx", "日程安排表_2027-01-01_00001.xlsx"}, 2026, ""},
      {{"日程安排表_2026-05-01_00001.xlsm", "日程安排表.xlsx", "日程安排表_2026-13-01_00001.xlsx"}, 2026, ""},
  };
  for (const Case& c : cases) EXPECT_EQ(reports::NewestScheduleFile(c.names, ext, c.year), c.chosen);
}

struct ScheduleFixture : PrintFixture {
  ScopedEnv clock{"KORVANE_NOW", "2026-12-07T09:30:00"};

  // A schedule workbook with its two sheets, saved in the default folder.
  void SaveSchedule(const std::string& name, const std::string& mark) {
    host::Workbook& b = Host().Add();
    b.Sheet(1).SetName("径赛");
    b.Sheet(1).PutValue(1, 1, "径赛" + mark);
    b.AddSheet(nullptr, &b.Sheet(1), "田赛").PutValue(1, 1, "田赛" + mark);
    b.SaveAs((MeetFolder() / name).string());
    Host().Close(b);
  }
  std::string Printed() { return print_testing::Squeezed(print_testing::PdfText(MeetFolder() / "赛事日程.pdf", 1)); }
};

TEST(MyPrint4, TheNewestFileOfTheYearIsPrintedAndClosed) {
  ScheduleFixture fx;
  fx.SaveSchedule("日程安排表_2026-10-01_00005.xlsx", "甲");
  fx.SaveSchedule("日程安排表_2026-10-01_00020.xlsx", "乙");
  fx.SaveSchedule("日程安排表_2026-09-30_30000.xlsx", "丙");
  fx.OpenMeet();
  fx.program.Run("MyPrint4");
  EXPECT_TRUE(fx.ui.boxes.empty());
  ASSERT_EQ(fx.Host().PrintJobs().size(), 1u);
  EXPECT_EQ(fx.Host().PrintJobs()[0].workbook, "日程安排表_2026-10-01_00020.xlsx");
  EXPECT_EQ(fx.Host().PrintJobs()[0].sheets, (std::vector<std::string>{"径赛", "田赛"}));
  EXPECT_EQ(PdfPages(fx.MeetFolder() / "赛事日程.pdf"), 2);
  EXPECT_NE(fx.Printed().find("径赛乙"), std::string::npos);
  EXPECT_EQ(fx.Host().WorkbooksCount(), 1) << "the schedule is closed again";
}

TEST(MyPrint4, LastYearsScheduleIsNotPrinted) {
  ScheduleFixture fx;
  fx.SaveSchedule("日程安排表_2025-10-01_00005.xlsx", "甲");
  fx.OpenMeet();
  fx.program.Run("MyPrint4");
  ASSERT_EQ(fx.ui.boxes.size(), 1u);
  EXPECT_EQ(fx.ui.boxes[0].text, reports::kScheduleMissing);
  EXPECT_EQ(fx.ui.boxes[0].icon, Icon::None);
  EXPECT_TRUE(fx.Host().PrintJobs().empty());
}

TEST(MyPrint4, AnOpenScheduleWinsOverANewerFile) {
  ScheduleFixture fx;
  fx.SaveSchedule("日程安排表_2026-01-01_00001.xlsx", "旧");
  fx.SaveSchedule("日程安排表_2026-11-01_00001.xlsx", "新");
  fx.Host().Open((fx.MeetFolder() / "日程安排表_2026-01-01_00001.xlsx").string());
  fx.program.Run("MyPrint4");
  ASSERT_EQ(fx.Host().PrintJobs().size(), 1u);
  EXPECT_EQ(fx.Host().PrintJobs()[0].workbook, "日程安排表_2026-01-01_00001.xlsx");
  EXPECT_NE(fx.Printed().find("径赛旧"), std::string::npos);
}

TEST(MyPrint4, NoWorkbookOpenIsAClosedFile) {
  ScheduleFixture fx;
  fx.SaveSchedule("日程安排表_2026-11-01_00001.xlsx", "新");
  fx.program.Run("MyPrint4");
  ASSERT_EQ(fx.ui.boxes.size(), 1u);
  EXPECT_EQ(fx.ui.boxes[0].text, shell::kFileClosed);
  EXPECT_TRUE(fx.Host().PrintJobs().empty());
}

}  // namespace
