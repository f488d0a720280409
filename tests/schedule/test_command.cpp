#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "host/value.h"
#include "schedule/arrangement.h"
#include "schedule/preview.h"
#include "schedule/schedule_fixture.h"
#include "schedule/settings_form.h"

namespace korvane::schedule {
namespace {

namespace fs = std::filesystem;
using shell::Answer;
using testing::Joined;
using testing::MeetSpec;

// A meet whose track items get the codes 101 to 107 and whose field items 201 to 203.
struct Road : testing::Fixture {
  std::function<void(Frm日程安排&)> arrange = [](Frm日程安排& d) { d.CmdCancel_Click(); };
  std::vector<std::string> previewTrack;

  Road() {
    ui.driveDialog = [this](shell::DialogModel& d) {
      if (auto* s = dynamic_cast<Frm赛程设置*>(&d)) {
        s->CmdOk_Click();
      } else if (auto* a = dynamic_cast<Frm日程安排*>(&d)) {
        arrange(*a);
      } else if (auto* p = dynamic_cast<FrmPreview*>(&d)) {
        for (int i = 0; i < p->jsList.RowCount(); ++i) previewTrack.push_back(p->jsList.Cell(i, 0));
        p->cmdClose_Click();
      }
    };
    MeetSpec s;
    s.headings = {"100米", "跳远", "4×100米接力"};
    OpenMeet(s);
    Entrants("初一男子100米", 17);       // 101 预赛, 102 决赛
    Entrants("初二男子100米", 6);        // 103
    Entrants("初一女子100米", 8);        // 104
    Entrants("初二女子100米", 5);        // 105
    Entrants("初一男子4×100米接力", 6);  // 106
    Entrants("初二女子4×100米接力", 4);  // 107
    Entrants("初一男子跳远", 20, 3);     // 201 预赛, 202 决赛 (12 a group)
    Entrants("初二女子跳远", 9, 3);      // 203
  }

  void Run() {
    ui.inputs.push_back(std::string("11"));
    program.Run("Schedule");
  }

  static void Select(shell::ListBox& list, const std::string& code) {
    for (int i = 0; i < list.RowCount(); ++i)
      if (list.Cell(i, 0) == code) return list.UserSelect({i});
    throw std::invalid_argument("no row " + code);
  }
  static void SelectRow(shell::ListBox& list, int row) { list.UserSelect({row}); }

  // 8时30分 on the start boxes: the hour and minute spin buttons.
  static void StartAt(Frm日程安排& d, int hour, int minute) {
    while (d.SpinButton2.Value() != hour) d.SpinButton2.UserUp();
    while (d.SpinButton3.Value() != minute) d.SpinButton3.UserUp();
  }
  static void Duration(Frm日程安排& d, int minutes) {
    while (d.SpinButton1.Value() != minutes) d.SpinButton1.UserUp();
  }

  // A whole morning: opening, check-in, two heats around a rest on the track;
  // check-in, first judges' group, the long jump on the field; the other
  // half-day rows are left at the end of the lists for the check to trim.
  static void Morning(Frm日程安排& d) {
    Select(d.ListBox13, "301");
    StartAt(d, 8, 0);
    d.cmdAppend.Click();        // 309 开幕式 310 ...
    SelectRow(d.ListBox21, 2);  // before 310
    Select(d.ListBox13, "303");
    StartAt(d, 8, 30);
    Duration(d, 10);
    d.cmdAppend.Click();  // 309 开幕式 检录 310 ...
    Duration(d, 15);
    Select(d.ListBox11, "101");
    SelectRow(d.ListBox21, 3);
    d.cmdAppend.Click();
    Duration(d, 5);
    Select(d.ListBox13, "308");
    SelectRow(d.ListBox21, 4);
    d.cmdAppend.Click();
    Duration(d, 10);
    Select(d.ListBox11, "104");
    SelectRow(d.ListBox21, 5);
    d.cmdAppend.Click();  // ... 101 休息 104 310 ...
    // The field list.
    SelectRow(d.ListBox22, 1);
    Select(d.ListBox13, "303");
    StartAt(d, 8, 45);
    d.cmdAppend.Click();
    Select(d.ListBox13, "304");
    SelectRow(d.ListBox22, 2);
    d.cmdAppend.Click();
    Select(d.ListBox12, "201");
    StartAt(d, 9, 0);
    Duration(d, 45);
    SelectRow(d.ListBox22, 3);
    d.cmdAppend.Click();  // 309 检录 裁判 201 310 ...
  }
};

TEST(ScheduleSettingsForm, DaysFollowTheMonthAndOkGivesTheSpec) {
  Frm赛程设置 form(2026);
  for (int i = 0; i < 10; ++i) form.SpinButton2.UserUp();
  EXPECT_EQ(form.TextBox2.Text(), "31日");
  form.SpinButton1.UserUp();  // November
  EXPECT_EQ(form.TextBox1.Text(), "11月");
  EXPECT_EQ(form.TextBox2.Text(), "30日");
  form.SpinButton1.UserUp();  // no month after 11
  EXPECT_EQ(form.TextBox1.Text(), "11月");
  for (int i = 0; i < 9; ++i) form.SpinButton3.UserUp();
  EXPECT_EQ(form.TextBox3.Text(), "7天");
  form.TextBox3.UserType("2");
  EXPECT_EQ(form.TextBox3.Text(), "2天");
  form.TextBox1.UserType("十二月");  // not a month of the range: put back
  EXPECT_EQ(form.TextBox1.Text(), "11月");
  form.CmdOk_Click();
  EXPECT_EQ(form.MeetStartSpec(), "2026年11月30日2天");
  Frm赛程设置 cancelled(2026);
  cancelled.CmdCancel_Click();
  EXPECT_EQ(cancelled.MeetStartSpec(), "");
  EXPECT_FALSE(cancelled.IsOpen());
}

TEST(ScheduleCommand, NewScheduleAsksForAnOddFirstPageAndLoadsTheLists) {
  Road f;
  f.ui.inputs = {std::string("100"), std::string("ab"), std::nullopt, std::string(""), std::string("12")};
  int firstPage = 0;
  std::vector<std::string> track, additional, arranged;
  f.arrange = [&](Frm日程安排& d) {
    firstPage = d.NextPageNumber();
    track = Joined(d.ListBox11);
    additional = Joined(d.ListBox13);
    arranged = Joined(d.ListBox21);
    EXPECT_FALSE(d.cmdApply.enabled);
    EXPECT_FALSE(d.tbHours.enabled);
    EXPECT_TRUE(d.tbTimes.enabled);
    d.CmdCancel_Click();
  };
  f.program.Run("Schedule");
  EXPECT_TRUE(f.ui.inputs.empty());
  EXPECT_EQ(firstPage, 13);
  EXPECT_EQ(f.ui.dialogsShown, (std::vector<std::string>{"赛程设置", "赛事日程安排"}));
  EXPECT_EQ(track, (std::vector<std::string>{
                       "101|初一|男子|100米|预赛|3组(17人)", "102|初一|男子|100米|决赛|1组",
                       "103|初二|男子|100米|预决赛|1组(6人)", "104|初一|女子|100米|预决赛|1组(8人)",
                       "105|初二|女子|100米|预决赛|1组(5人)", "106|初一|男子|4×100米接力|预决赛|1组(6班)",
                       "107|初二|女子|4×100米接力|预决赛|1组(4班)"}));
  ASSERT_EQ(additional.size(), 14u);
  EXPECT_EQ(additional[0], "301|开幕式");
  EXPECT_EQ(additional[13], "314|10月27日下午");
  EXPECT_EQ(arranged, (std::vector<std::string>{"309|10月25日上午", "310|10月25日下午", "311|10月26日上午",
                                                "312|10月26日下午", "313|10月27日上午", "314|10月27日下午"}));
  // Cancel closes the new workbook unsaved; nothing is written to the folder.
  EXPECT_EQ(f.Schedule(), nullptr);
  EXPECT_TRUE(fs::is_empty(f.meets));
}

TEST(ScheduleCommand, SettingsCancelledMakesNoSchedule) {
  Road f;
  f.ui.driveDialog = [](shell::DialogModel& d) { static_cast<Frm赛程设置&>(d).CmdCancel_Click(); };
  f.program.Run("Schedule");
  EXPECT_EQ(f.ui.dialogsShown, (std::vector<std::string>{"赛程设置"}));
  EXPECT_EQ(f.Schedule(), nullptr);
}

TEST(ScheduleCommand, InsertRemoveAndMoveKeepTheLeftListsInCodeOrder) {
  Road f;
  f.arrange = [&](Frm日程安排& d) {
    Road::Select(d.ListBox11, "105");
    d.cmdAppend.Click();
    Road::Select(d.ListBox11, "106");
    Road::SelectRow(d.ListBox21, 0);  // before the first row
    d.cmdAppend.Click();
    EXPECT_EQ(d.ListBox21.Cell(0, 0), "106");
    EXPECT_EQ(d.ListBox21.Cell(7, 0), "105");
    EXPECT_EQ(d.ListBox21.Cell(7, 6), "5分钟");
    EXPECT_TRUE(d.cmdApply.enabled);
    Road::SelectRow(d.ListBox21, 7);
    d.cmdRemove.Click();
    EXPECT_EQ(Joined(d.ListBox11)[4], "105|初二|女子|100米|预决赛|1组(5人)");  // between 104 and 107
    EXPECT_EQ(d.ListBox11.Cell(5, 0), "107");
    // 开幕式 goes after the first half-day row whatever is selected, and only once.
    Road::SelectRow(d.ListBox21, 3);
    Road::Select(d.ListBox13, "301");
    d.cmdAppend.Click();
    EXPECT_EQ(d.ListBox21.Cell(1, 0), "301");
    EXPECT_EQ(d.ListBox21.Cell(1, 2), "8:30");
    EXPECT_EQ(d.ListBox13.FindRow("开幕式"), -1);
    // Check-in with no arranged row selected asks for the list: No is the field list, without a duration.
    d.ListBox21.ClearSelection();
    f.ui.answers.push_back(Answer::No);
    Road::Select(d.ListBox13, "303");
    d.cmdAppend.Click();
    EXPECT_EQ(Joined(d.ListBox22).back(), "303|开始检录|8:30");
    EXPECT_EQ(f.ui.boxes.back().title, "请选择：『目标列表框』");
    // Removing check-in only deletes it; removing 开幕式 brings it back in code order.
    Road::SelectRow(d.ListBox22, d.ListBox22.RowCount() - 1);
    d.cmdRemove.Click();
    EXPECT_EQ(d.ListBox13.RowCount(), 13);
    Road::SelectRow(d.ListBox21, 1);
    d.cmdRemove.Click();
    EXPECT_EQ(d.ListBox13.Cell(0, 1), "开幕式");
    // Moving.
    Road::SelectRow(d.ListBox21, 0);
    d.cmdUp.Click();
    d.cmdDown.Click();
    EXPECT_EQ(d.ListBox21.Cell(1, 0), "106");
    EXPECT_EQ(d.ListBox21.ListIndex(), 1);
    Road::SelectRow(d.ListBox21, d.ListBox21.RowCount() - 1);
    d.cmdDown.Click();
    d.ListBox21.ClearSelection();
    d.cmdDown.Click();
    d.cmdRemove.Click();
    d.ListBox13.ClearSelection();
    d.cmdAppend.Click();
    // A user-defined item without 米 goes to the field list with a start time, never before row 0.
    d.tbInsert.UserType("高一男子跳远，预决赛，1组(20人)");
    Road::SelectRow(d.ListBox22, 0);
    d.cmdUserDef.Click();
    EXPECT_EQ(Joined(d.ListBox22)[1], "600|高一|男子|跳远|预决赛|1组(20人)|8:30_5分钟");
    EXPECT_EQ(d.tbInsert.Text(), "");
    d.tbInsert.UserType("高四男子100米,预赛,1组(8人)");
    d.cmdUserDef.Click();
    d.CmdCancel_Click();
  };
  f.Run();
  const std::vector<std::string> texts = f.Texts();
  EXPECT_NE(std::find(texts.begin(), texts.end(), "已经到顶了!"), texts.end());
  EXPECT_NE(std::find(texts.begin(), texts.end(), "已经到底了!"), texts.end());
  EXPECT_NE(std::find(texts.begin(), texts.end(), "请选择要移动的条目"), texts.end());
  EXPECT_NE(std::find(texts.begin(), texts.end(), "请选择要从日程安排中移除的条目"), texts.end());
  EXPECT_NE(std::find(texts.begin(), texts.end(), "请选择：『源列表框』条目"), texts.end());
  EXPECT_EQ(texts.back(), "输入格式不正确!\n格式：高一男子5000米，预决赛，1组(25人)");
}

TEST(ScheduleCommand, SpinButtonsWrap) {
  Road f;
  f.arrange = [&](Frm日程安排& d) {
    d.SpinButton1.UserDown();
    d.SpinButton1.UserDown();
    d.SpinButton1.UserDown();
    d.SpinButton1.UserDown();
    EXPECT_EQ(d.tbTimes.Text(), "1分钟");
    d.SpinButton1.UserDown();
    EXPECT_EQ(d.tbTimes.Text(), "120分钟");
    d.SpinButton1.UserUp();
    EXPECT_EQ(d.tbTimes.Text(), "1分钟");
    d.tbInsert.UserType("");  // enables the start boxes
    d.SpinButton2.UserDown();
    EXPECT_EQ(d.tbHours.Text(), "17时");
    d.SpinButton2.UserUp();
    EXPECT_EQ(d.tbHours.Text(), "8时");
    for (int i = 0; i < 30; ++i) d.SpinButton3.UserUp();
    EXPECT_EQ(d.tbMinutes.Text(), "00分");
    d.SpinButton3.UserUp();
    EXPECT_EQ(d.tbMinutes.Text(), "01分");
    EXPECT_EQ(d.FieldTimeText(), "8:01_1分钟");
    d.CmdCancel_Click();
  };
  f.Run();
}

TEST(ScheduleCommand, OrderCheckNamesTheBrokenHalfDays) {
  Road f;
  f.arrange = [&](Frm日程安排& d) {
    // Track: check-in without the opening ceremony on the first half day.
    Road::SelectRow(d.ListBox21, 1);
    Road::Select(d.ListBox13, "303");
    d.cmdAppend.Click();
    Road::Select(d.ListBox11, "101");
    Road::SelectRow(d.ListBox21, 2);
    d.cmdAppend.Click();
    // Field: check-in and then directly an event.
    Road::SelectRow(d.ListBox22, 1);
    Road::Select(d.ListBox13, "303");
    d.cmdAppend.Click();
    Road::Select(d.ListBox12, "201");
    Road::SelectRow(d.ListBox22, 2);
    d.cmdAppend.Click();
    d.CmdOk.Click();
    EXPECT_TRUE(d.IsOpen());
    // The half-day rows after the last event were trimmed.
    EXPECT_EQ(d.ListBox21.RowCount(), 3);
    EXPECT_EQ(d.ListBox22.RowCount(), 3);
    d.CmdCancel_Click();
  };
  f.Run();
  const std::vector<std::string> texts = f.Texts();
  ASSERT_EQ(texts.size(), 2u);
  EXPECT_EQ(texts[0], "径赛日程安排中，“第1条目”处存在逻辑问题!");
  EXPECT_EQ(texts[1], "田赛日程安排中，“第1条目”处存在逻辑问题!");
}

TEST(ScheduleCommand, OrderCheckRefusesAnEventAboveTheFirstHalfDay) {
  Road f;
  f.arrange = [&](Frm日程安排& d) {
    Road::Morning(d);
    Road::Select(d.ListBox12, "203");
    Road::SelectRow(d.ListBox22, 4);
    d.cmdAppend.Click();  // 309 检录 裁判 201 203 310 ...
    Road::Select(d.ListBox22, "203");
    while (d.ListBox22.ListIndex() > 0) d.cmdUp.Click();
    ASSERT_EQ(d.ListBox22.Cell(0, 0), "203");
    d.CmdOk.Click();
    EXPECT_TRUE(d.IsOpen());
    d.CmdCancel_Click();
  };
  f.Run();
  EXPECT_EQ(f.Texts(),
            (std::vector<std::string>{"田赛日程安排中，第1条目“初二女子跳远”排在第一个日期之前，请把它移到日期之后!"}));
}

TEST(ScheduleCommand, OkWritesTheSheetsPagesAndANewDatedFile) {
  Road f;
  f.arrange = [&](Frm日程安排& d) {
    Road::Morning(d);
    d.cmdPreview.Click();
    d.CmdOk.Click();
    EXPECT_FALSE(d.IsOpen());
  };
  f.Run();
  EXPECT_EQ(f.previewTrack, (std::vector<std::string>{"", "8:00", "8:30", "8:40～8:55", "9:00～9:10"}));
  const fs::path saved = f.meets / "日程安排表_2026-12-07_34200.xlsx";
  ASSERT_TRUE(fs::exists(saved));
  host::Workbook* book = f.Schedule();
  ASSERT_NE(book, nullptr);  // stays open after OK
  host::Worksheet& track = book->Sheet("径赛");
  EXPECT_EQ(track.ValueAt(5, 2).ToText(), "8:40～8:55");
  EXPECT_EQ(track.ValueAt(6, 2).ToText(), "9:00～9:10");
  EXPECT_EQ(book->Sheet("田赛").ValueAt(5, 3).ToText(), "9:00～9:45");
  EXPECT_EQ(track.Page().firstPageNumber, 11);
  EXPECT_EQ(book->Sheet("田赛").Page().firstPageNumber, 13);
  EXPECT_EQ(f.Sheet(meet::kSettingsSheet).ValueAt(1, 3).ToText(), "15");
  EXPECT_EQ(book->FindSheet("冲突检查"), nullptr);
  // The arrangement is kept on 附件, start times as times that load back as typed.
  host::Worksheet& lists = book->Sheet("附件");
  EXPECT_EQ(lists.ValueAt(4, 18).ToText(), "301");
  EXPECT_EQ(host::FormatTimeOfDay(lists.ValueAt(4, 20).Number()), "8:00");

  // The next 赛事日程... of this year edits that file in place.
  std::vector<std::string> reloaded;
  f.arrange = [&](Frm日程安排& d) {
    reloaded = Joined(d.ListBox21);
    EXPECT_EQ(d.NextPageNumber(), 11);
    Road::Select(d.ListBox11, "103");
    d.cmdAppend.Click();
    d.CmdOk.Click();
  };
  f.program.Run("Schedule");
  EXPECT_EQ(reloaded, (std::vector<std::string>{"309|10月25日上午", "301|开幕式|8:00", "303|开始检录|8:30|10分钟",
                                                "101|初一|男子|100米|预赛|3组(17人)|15分钟", "308|休息|5分钟",
                                                "104|初一|女子|100米|预决赛|1组(8人)|10分钟"}));
  EXPECT_EQ(f.ui.dialogsShown.back(), "赛事日程安排");
  EXPECT_EQ(std::count(f.ui.dialogsShown.begin(), f.ui.dialogsShown.end(), "赛程设置"), 1);
  int files = 0;
  for (const auto& e : fs::directory_iterator(f.meets)) files += e.is_regular_file();
  EXPECT_EQ(files, 1);
  EXPECT_EQ(f.Schedule()->Sheet("径赛").ValueAt(7, 2).ToText(), "9:10～9:15");
}

TEST(ScheduleCommand, CancelAfterApplyLeavesTheFileAsItWas) {
  Road f;
  f.arrange = [&](Frm日程安排& d) {
    Road::Morning(d);
    d.CmdOk.Click();
  };
  f.Run();
  const fs::path saved = f.meets / "日程安排表_2026-12-07_34200.xlsx";
  std::ifstream before(saved, std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(before)), std::istreambuf_iterator<char>());
  f.arrange = [&](Frm日程安排& d) {
    Road::Select(d.ListBox11, "103");
    d.cmdAppend.Click();
    d.cmdApply.Click();
    EXPECT_FALSE(d.cmdApply.enabled);
    EXPECT_FALSE(d.PendingChanges());
    d.CmdCancel.Click();
  };
  f.program.Run("Schedule");
  std::ifstream after(saved, std::ios::binary);
  EXPECT_EQ(std::string((std::istreambuf_iterator<char>(after)), std::istreambuf_iterator<char>()), bytes);
  EXPECT_EQ(f.Schedule(), nullptr);
}

TEST(ScheduleCommand, NewestFileOfThisYearIsEditedAndLastYearsIgnored) {
  testing::Fixture f;
  for (const char* name : {"日程安排表_2026-05-10_00100.xlsx", "日程安排表_2026-05-10_36000.xlsx",
                           "日程安排表_2025-12-30_50000.xlsx", "日程安排表_2026-05-1_36000.xlsx"})
    std::ofstream(f.meets / name) << "x";
  const std::optional<FoundSchedule> newest = NewestSchedule(f.meets.string(), ".xlsx");
  ASSERT_TRUE(newest);
  EXPECT_EQ(newest->path.filename().string(), "日程安排表_2026-05-10_36000.xlsx");
  EXPECT_EQ(newest->year, 2026);
  fs::remove(f.meets / "日程安排表_2026-05-10_00100.xlsx");
  fs::remove(f.meets / "日程安排表_2026-05-10_36000.xlsx");
  EXPECT_EQ(NewestSchedule(f.meets.string(), ".xlsx")->year, 2025);
  // Last year's schedule starts a new one: the settings dialog comes first.
  f.OpenMeet();
  f.ui.driveDialog = [](shell::DialogModel& d) {
    if (auto* s = dynamic_cast<Frm赛程设置*>(&d)) return s->CmdCancel_Click();
    d.Close();
  };
  f.program.Run("Schedule");
  EXPECT_EQ(f.ui.dialogsShown, (std::vector<std::string>{"赛程设置"}));
}

TEST(ScheduleCommand, RefusalsBeforeAnyQuestion) {
  testing::Fixture f;
  f.program.Run("Schedule");
  EXPECT_EQ(f.Texts(), (std::vector<std::string>{"文件被关闭!"}));
  MeetSpec spec;
  spec.maxPerGroup = 0;
  f.OpenMeet(spec);
  f.Entrants("初一女子铅球", 20, 3);
  f.program.Run("Schedule");
  EXPECT_NE(f.Texts().back().find("初一女子铅球"), std::string::npos);
  EXPECT_TRUE(f.ui.dialogsShown.empty());
  f.Entrants("初一女子铅球", 20, 1);
  testing::ScopedEnv nowhere("KORVANE_PROGRAM_DIR", (f.dir / "nowhere").string());
  f.program.Run("Schedule");
  EXPECT_EQ(f.Texts().back(), "模板文件缺失，请联系作者!");
  EXPECT_TRUE(f.ui.dialogsShown.empty());
}

TEST(ScheduleCommand, UnreadableTimeRefusesOkByRow) {
  Road f;
  f.arrange = [&](Frm日程安排& d) {
    Road::Morning(d);
    d.tbTimes.UserType("十分钟");
    Road::Select(d.ListBox11, "103");
    Road::SelectRow(d.ListBox21, 6);
    d.cmdAppend.Click();
    d.CmdOk.Click();
    EXPECT_TRUE(d.IsOpen());
    d.CmdCancel_Click();
  };
  f.Run();
  EXPECT_EQ(f.Texts().back(), "径赛日程安排中，第7条目的时间“十分钟”无法识别，请改正后再试!");
  EXPECT_TRUE(fs::is_empty(f.meets));
}

TEST(ScheduleCommand, ClashesAreReportedAndListed) {
  Road f;
  // 10101 runs the 100m heats (8:40～8:55) and jumps from 9:00; 10102 runs
  // the 100m heats and the girls' 100m (9:00～9:10) after them: no clash.
  // 10103 runs 100m and jumps at the same time.
  f.Numbers({{"10101", "张三"}, {"10102", "李四"}, {"10103", "王五"}}, {{"初一男子100米", {"10101", "10102", "10103"}},
                                                                        {"初一女子100米", {"10102"}},
                                                                        {"初一男子跳远", {"10103", "10101"}}});
  f.Entrants("初一男子100米", 17);
  f.Entrants("初一男子跳远", 20, 3);
  f.arrange = [&](Frm日程安排& d) {
    Road::Morning(d);
    // The long jump from 8:45 instead.
    d.ListBox22.SetCell(3, 6, "8:45_45分钟");
    d.CmdOk.Click();
  };
  f.Run();
  host::Workbook* book = f.Schedule();
  ASSERT_NE(book, nullptr);
  const host::Worksheet* sheet = book->FindSheet("冲突检查");
  ASSERT_NE(sheet, nullptr);
  ASSERT_EQ(sheet->LastUsedRow(), 3);
  EXPECT_EQ(sheet->ValueAt(2, 1).ToText() + sheet->ValueAt(2, 2).ToText(), "10101张三");
  EXPECT_EQ(sheet->ValueAt(2, 4).ToText() + " " + sheet->ValueAt(2, 5).ToText() + " " + sheet->ValueAt(2, 6).ToText() +
                " " + sheet->ValueAt(2, 7).ToText(),
            "初一男子100米 8:40～8:55 初一男子跳远 8:45～9:30");
  EXPECT_EQ(sheet->ValueAt(3, 1).ToText(), "10103");
  const std::string message = f.Texts().back();
  EXPECT_NE(message.find("10101 张三"), std::string::npos);
  EXPECT_EQ(message.find("10102"), std::string::npos);
  EXPECT_EQ(f.ui.boxes.back().icon, shell::Icon::Information);
  ASSERT_TRUE(fs::exists(f.meets / "日程安排表_2026-12-07_34200.xlsx"));

  // Moved apart, the clash sheet goes.
  f.arrange = [&](Frm日程安排& d) {
    d.ListBox22.SetCell(3, 6, "9:00_45分钟");
    d.CmdOk.Click();
  };
  const std::size_t boxes = f.ui.boxes.size();
  f.program.Run("Schedule");
  EXPECT_EQ(f.Schedule()->FindSheet("冲突检查"), nullptr);
  EXPECT_EQ(f.ui.boxes.size(), boxes);
}

}  // namespace
}  // namespace korvane::schedule
