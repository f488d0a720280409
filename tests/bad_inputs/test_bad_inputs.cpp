// The catalogue of bad inputs (README.md beside this file): each case brings
// the program to a stage, spoils something the way a teacher or a returned
// file might, runs a command and checks what it says and that what must stay
// unchanged did. Refusals leave the open workbooks and the meet's files
// exactly as they were; accepted inputs come out as they were typed.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdlib>
#include <functional>

#include "host/range.h"
#include "meet/layout.h"
#include "support/meet_session.h"
#include "support/xlsx_package.h"

namespace {

using namespace korvane;
using namespace korvane::testing;

enum class Stage { Template, Meet };

struct BadInput {
  const char* name;
  Stage stage;
  std::string spoil;                                             // statements that spoil the input (run normally)
  std::function<void(shell::Program&, MeetSession&)> spoilHost;  // or a change made directly
  std::string command;                                           // the command under test, with its answers
  std::vector<std::string> says;                                 // what the output must contain
  bool refused = true;  // refused: workbooks and files stay exactly as they were
};

std::string Repeat(const std::string& s, int n) {
  std::string r;
  for (int i = 0; i < n; ++i) r += s;
  return r;
}

// A team sheet changed by hand.
std::function<void(shell::Program&, MeetSession&)> OnMeet(std::function<void(host::Workbook&)> f) {
  return [f](shell::Program& program, MeetSession&) {
    host::Workbook& meet = *meet::FindMeetWorkbook(program.Host());
    meet.Unprotect();
    f(meet);
  };
}

// 设置 of the template open for editing, changed directly (cells the
// template locks).
std::function<void(shell::Program&, MeetSession&)> OnSettings(std::function<void(host::Worksheet&)> f) {
  return [f](shell::Program& program, MeetSession&) {
    for (host::Workbook* b : program.Host().Workbooks())
      if (host::Worksheet* s = b->FindSheet("设置")) f(*s);
  };
}

// A returned registration workbook replaced by other bytes.
std::function<void(shell::Program&, MeetSession&)> RegistrationBytes(std::function<std::string()> bytes) {
  return [bytes](shell::Program&, MeetSession& s) {
    std::ofstream(fs::path(s.Forms()) / "运动会报名登记表.xlsm", std::ios::binary) << bytes();
  };
}

// The returned registration workbook with a change made to it.
std::function<void(shell::Program&, MeetSession&)> RegistrationEdited(std::function<void(host::Workbook&)> f) {
  return [f](shell::Program& program, MeetSession& s) {
    const std::string path = (fs::path(s.Forms()) / "运动会报名登记表.xlsm").string();
    auto book = host::ooxml::ReadWorkbookFile(path, program.Host().Tables());
    book->Unprotect();
    for (host::Worksheet* ws : book->Sheets()) ws->Unprotect();
    f(*book);
    host::ooxml::WriteWorkbookFile(*book, path, host::FileKind::Xlsm);
  };
}

const std::string kImport = "folder @FORMS@\nanswer yes\nImport";
const std::string kNew = "New";

std::vector<BadInput> Catalogue() {
  const std::string longName = Repeat("长", 100);
  return {
      // ---- 设置, read by 新建 ----
      {"classes_text",
       Stage::Template,
       "set 设置!B2 三",
       {},
       kNew,
       {"设置!B2 的班级（代表队）数必须是不小于0的整数。"}},
      {"classes_negative",
       Stage::Template,
       "set 设置!B2 -1",
       {},
       kNew,
       {"设置!B2 的班级（代表队）数必须是不小于0的整数。"}},
      {"classes_fraction", Stage::Template, "set 设置!B2 3.7", {}, kNew, {"设置!B2 的值3.7不是整数"}},
      {"classes_huge", Stage::Template, "set 设置!B2 100000", {}, kNew, {"设置!B2 的班级（代表队）数不能超过99"}},
      {"classes_boolean",
       Stage::Template,
       "set 设置!B3 TRUE",
       {},
       kNew,
       {"设置!B3 的班级（代表队）数必须是不小于0的整数。"}},
      {"classes_date_text",
       Stage::Template,
       "set 设置!B2 2024-04-09",
       {},
       kNew,
       {"设置!B2 的班级（代表队）数必须是不小于0的整数。"}},
      {"team_total_text",
       Stage::Template,
       "",
       OnSettings([](host::Worksheet& s) { s.PutValue(9, 2, "很多"); }),
       kNew,
       {"设置!B9 的参赛队总数必须是数字。"}},
      {"team_total_fraction",
       Stage::Template,
       "",
       OnSettings([](host::Worksheet& s) { s.PutValue(9, 2, 20.7); }),
       kNew,
       {"设置!B9 的值20.7不是整数"}},
      {"team_total_mismatch",
       Stage::Template,
       "",
       OnSettings([](host::Worksheet& s) { s.PutValue(9, 2, 99); }),
       kNew,
       {"设置!B9 的参赛队总数（99）与各年级的班级（代表队）数之和"}},
      {"rows_per_team_odd", Stage::Template, "set 设置!H2 5", {}, kNew, {"设置!H2 的每队人数必须是不小于4的偶数。"}},
      {"rows_per_team_fraction", Stage::Template, "set 设置!H2 4.5", {}, kNew, {"设置!H2 的值4.5不是整数"}},
      {"rows_per_team_text",
       Stage::Template,
       "set 设置!H2 二十",
       {},
       kNew,
       {"设置!H2 的每队人数必须是不小于4的偶数。"}},
      {"rows_per_team_two", Stage::Template, "set 设置!H2 2", {}, kNew, {"设置!H2 的每队人数必须是不小于4的偶数。"}},
      {"rows_per_team_huge", Stage::Template, "set 设置!H2 1000000", {}, kNew, {"设置!H2 的每队人数不能超过98"}},
      {"rows_per_team_negative",
       Stage::Template,
       "set 设置!H2 -8",
       {},
       kNew,
       {"设置!H2 的每队人数必须是不小于4的偶数。"}},
      {"per_event_fraction", Stage::Template, "set 设置!H3 2.5", {}, kNew, {"设置!H3 的值2.5不是整数"}},
      {"events_per_athlete_fraction", Stage::Template, "set 设置!H4 1.5", {}, kNew, {"设置!H4 的值1.5不是整数"}},
      {"group_size_fraction", Stage::Template, "set 设置!H5 7.25", {}, kNew, {"设置!H5 的值7.25不是整数"}},
      {"grade_name_four_characters",
       Stage::Template,
       "set 设置!A2 高一年级",
       {},
       kNew,
       {"年级名称必须是两个字!(如单元格A2为“高一年级”)"}},
      {"grade_name_one_character",
       Stage::Template,
       "set 设置!A3 高",
       {},
       kNew,
       {"年级名称必须是两个字!(如单元格A3为“高”)"}},
      {"grades_eight",
       Stage::Template,
       "",
       OnSettings([](host::Worksheet& s) {
         const char* names[] = {"初一", "初二", "初三", "高一", "高二", "高三", "高四", "高五"};
         for (int i = 0; i < 8; ++i) s.PutValue(2 + i, 1, names[i]);
       }),
       kNew,
       {},
       false},
      {"team_mode_name_missing",
       Stage::Template,
       "set 设置!M1 √\nset 设置!L6 \"\"",
       {},
       kNew,
       {"的代表队名称不能为空"}},
      {"grade_name_missing", Stage::Template, "set 设置!A2 \"\"", {}, kNew, {"设置!A2 的年级名称不能为空。"}},
      {"grades_none",
       Stage::Template,
       "set 设置!A2 \"\"\nset 设置!A3 \"\"\nset 设置!A4 \"\"\nset 设置!A5 \"\"\nset 设置!A6 \"\"\nset 设置!A7 "
       "\"\"\nset 设置!A8 \"\"",
       {},
       kNew,
       {"设置!A2 起没有年级名称，无法创建报名表。"}},
      {"name_too_long_typed",
       Stage::Template,
       "",
       {},
       "set 设置!A7 " + Repeat("名", 32768),
       {"单元格“设置!A7”不能写入：文字超过32767个字符（共32768个）。"}},
      {"formula_too_long_typed",
       Stage::Template,
       "",
       {},
       "set 设置!A7 =\"" + Repeat("a", 8200) + "\"",
       {"单元格“设置!A7”不能写入：公式超过8192个字符"}},
      {"formula_too_deep_typed",
       Stage::Template,
       "",
       {},
       "set 设置!A7 =" + Repeat("(", 70) + "1" + Repeat(")", 70),
       {"单元格“设置!A7”不能写入：公式的括号嵌套超过64层。"}},

      // ---- team sheets changed by hand, read by 汇总及编号 ----
      {"team_sheet_deleted",
       Stage::Meet,
       "",
       OnMeet([](host::Workbook& b) { b.RemoveSheet(b.Sheet("2")); }),
       "consolidate",
       {"缺少第2队的报名表：工作表“2”应是工作簿中的第2张工作表。"}},
      {"team_sheet_renamed",
       Stage::Meet,
       "",
       OnMeet([](host::Workbook& b) { b.Sheet("1").SetName("一班"); }),
       "consolidate",
       {"缺少第1队的报名表：工作表“1”应是工作簿中的第1张工作表。"}},
      {"team_sheets_reordered",
       Stage::Meet,
       "",
       OnMeet([](host::Workbook& b) { b.MoveSheet(b.Sheet("1"), 2); }),
       "consolidate",
       {"缺少第1队的报名表：工作表“1”应是工作簿中的第1张工作表。"}},
      {"settings_sheet_deleted",
       Stage::Meet,
       "",
       OnMeet([](host::Workbook& b) { b.RemoveSheet(b.Sheet("设置")); }),
       "consolidate",
       {"工作簿中缺少工作表“设置”，无法汇总。"}},
      {"form_sample_deleted",
       Stage::Meet,
       "",
       OnMeet([](host::Workbook& b) { b.RemoveSheet(b.Sheet("报名表样表")); }),
       "consolidate",
       {"工作簿中缺少工作表“报名表样表”，无法汇总。"}},
      {"events_sheet_renamed",
       Stage::Meet,
       "",
       OnMeet([](host::Workbook& b) { b.Sheet("比赛项目名单").SetName("项目"); }),
       "consolidate",
       {"工作簿中缺少工作表“比赛项目名单”，无法汇总。"}},
      {"settings_classes_fraction_later",
       Stage::Meet,
       "",
       OnMeet([](host::Workbook& b) { b.Sheet("设置").PutValue(2, 2, 3.7); }),
       "consolidate",
       {"设置!B2 的值3.7不是整数"}},
      {"settings_per_event_zero_later",
       Stage::Meet,
       "",
       OnMeet([](host::Workbook& b) { b.Sheet("设置").PutValue(3, 8, 0); }),
       "consolidate",
       {"设置!H3 的每项每队限报人数必须是正整数。"}},
      {"settings_per_athlete_negative_later",
       Stage::Meet,
       "",
       OnMeet([](host::Workbook& b) { b.Sheet("设置").PutValue(4, 8, -2); }),
       "consolidate",
       {"设置!H4 的每人限报项数必须是正整数。"}},
      {"settings_rows_text_later",
       Stage::Meet,
       "",
       OnMeet([](host::Workbook& b) { b.Sheet("设置").PutValue(2, 8, "很多"); }),
       "consolidate",
       {"设置!H2 的每队人数必须是正偶数。"}},
      {"simulate_without_limits",
       Stage::Meet,
       "",
       OnMeet([](host::Workbook& b) { b.Sheet("设置").PutValue(4, 8, 0); }),
       "MNBM",
       {"设置!H4 的每人限报项数必须大于0"}},
      {"simulate_fraction",
       Stage::Meet,
       "",
       OnMeet([](host::Workbook& b) { b.Sheet("设置").PutValue(3, 8, 1.5); }),
       "MNBM",
       {"设置!H3 的值1.5不是整数"}},
      {"simulate_team_sheet_missing",
       Stage::Meet,
       "",
       OnMeet([](host::Workbook& b) { b.RemoveSheet(b.Sheet("3")); }),
       "MNBM",
       {"找不到第3队的报名表（工作表“3”），无法模拟报名。"}},

      // ---- the meet workbook's file ----
      {"save_read_only",
       Stage::Meet,
       "",
       [](shell::Program& program, MeetSession&) {
         ::chmod(meet::FindMeetWorkbook(program.Host())->FullName().c_str(), 0444);
       },
       "set '1'!C5 王五\nSave",
       {"文件是只读的。"},
       false},
      {"open_newest_damaged",
       Stage::Meet,
       "Save\nClose",
       [](shell::Program&, MeetSession& s) {
         std::ofstream(fs::path(s.Meets()) / "号码对照表及分组分道编排表_2024-04-10_00001.xlsm", std::ios::binary)
             << "damaged";
       },
       "answer yes\nOpen\nget '1'!C4",
       {"号码对照表及分组分道编排表_2024-04-10_00001.xlsm", "要打开次新的运动会工作簿", "张伟"},
       false},
      {"open_only_damaged",
       Stage::Meet,
       "Save\nClose",
       [](shell::Program&, MeetSession& s) {
         for (const auto& e : fs::directory_iterator(s.Meets())) std::ofstream(e.path(), std::ios::binary) << "damaged";
       },
       "Open",
       {"无法打开运动会工作簿"}},
      {"import_declined", Stage::Meet, "", {}, "folder @FORMS@\nanswer no\nImport", {"是否覆盖原有数据？ -> no"}},
      {"export_cancelled", Stage::Meet, "", {}, "folder cancel\nExport", {"folder: -> cancel"}},

      // ---- names typed into the forms: kept as typed ----
      {"name_underscore",
       Stage::Meet,
       "set '1'!C4 张_三\nset '1'!D4 √",
       {},
       "consolidate\nget 号码对照表!A2:A3",
       {"张_三"},
       false},
      {"name_equals",
       Stage::Meet,
       "set '1'!C4 '=1+1\nset '1'!D4 √",
       {},
       "consolidate\nget 号码对照表!A2:A3",
       {"=1+1"},
       false},
      {"name_formula_injection",
       Stage::Meet,
       "set '1'!C4 '=HYPERLINK(\"http://x\",\"点\")\nset '1'!D4 √",
       {},
       "consolidate\nget 号码对照表!A2:A3",
       {"=HYPERLINK(\"http://x\",\"点\")"},
       false},
      {"name_quotes",
       Stage::Meet,
       "set '1'!C4 \"王\\\"小'明\"\nset '1'!D4 √",
       {},
       "consolidate\nget 号码对照表!A2:A3",
       {"王\"小'明"},
       false},
      {"name_line_feed",
       Stage::Meet,
       "set '1'!C4 \"李\\n四\"\nset '1'!D4 √",
       {},
       "consolidate\nget 号码对照表!A2:A3",
       {"李\\n四"},
       false},
      {"name_emoji",
       Stage::Meet,
       "set '1'!C4 小明😀\nset '1'!D4 √",
       {},
       "consolidate\nget 号码对照表!A2:A3",
       {"小明😀"},
       false},
      {"name_100_characters",
       Stage::Meet,
       "set '1'!C4 " + longName + "\nset '1'!D4 √",
       {},
       "consolidate\nget 号码对照表!A2:A3",
       {longName},
       false},
      {"name_control_character",
       Stage::Meet,
       "",
       OnMeet([](host::Workbook& b) {
         b.Sheet("1").PutValue(4, 3, std::string("赵\x01钱"));
         b.Sheet("1").PutValue(4, 4, "√");
       }),
       "consolidate\nSave\nClose\nOpen\nget 号码对照表!A2:A3",
       {"赵\x01钱"},
       false},
      {"name_only_spaces",
       Stage::Meet,
       "set '1'!C5 \"   \"\nset '1'!D5 √",
       {},
       "consolidate",
       {"工作表“1”的单元格C5中的姓名只有空格"}},
      {"name_ideographic_spaces",
       Stage::Meet,
       "set '2'!C14 \"\u3000\u3000\"",
       {},
       "consolidate",
       {"工作表“2”的单元格C14中的姓名只有空格"}},

      // ---- more entrants than an event holds: the first 75 are kept, the rest listed ----
      {"entrants_over_75",
       Stage::Meet,
       "",
       OnMeet([](host::Workbook& b) {
         // 初一男子100米 opened to every junior grade, ten boys of each of the
         // eight classes of 初一 and 初二 on it, ten a class allowed.
         host::Worksheet& events = b.Sheet("比赛项目名单");
         for (int r = 3; r < 60; ++r)
           if (events.ValueAt(r, 4).ToText() == "初一男子100米") events.PutValue(r, 4, "初中男子100米");
         b.Sheet("设置").PutValue(3, 8, 10);
         for (int t = 1; t <= 8; ++t) {
           host::Worksheet& team = b.Sheet(std::to_string(t));
           int col = 4;
           while (team.ValueAt(3, col).ToText() != "100米") ++col;
           for (int r = 4; r <= 13; ++r) {
             team.PutValue(r, 3, "队" + std::to_string(t) + "员" + std::to_string(r));
             team.PutValue(r, col, "√");
           }
         }
       }),
       "consolidate\nget 比赛项目名单!D3:E3",
       {"汇总完成，但有些报名没有计入", "初中男子100米\t75"},
       false},

      // ---- the schedule: a time that does not read ----
      {"schedule_time_unreadable",
       Stage::Meet,
       "consolidate",
       {},
       "input 12\nSchedule\n spin SpinButton3 down\n press CmdOk\n select ListBox13 =开幕式\n press cmdAppend\n select "
       "ListBox21 2\n"
       " select ListBox13 =开始检录\n spin SpinButton1 up 5\n press cmdAppend\n select ListBox11 0\n select ListBox21 "
       "3\n"
       " type tbTimes 十分钟\n press cmdAppend\n press CmdOk\n press CmdCancel",
       {"径赛日程安排中，第4条目的时间“十分钟”无法识别，请改正后再试!"},
       false},

      // ---- prizes: place counts above ten ----
      {"prize_places_eleven",
       Stage::Meet,
       "PrizeSetup\nset 奖项设置.xlsx:设置!E3 11",
       {},
       "PrizeList",
       {"单元格E3的名次数“11”不是0到10之间的整数"}},
      {"prize_places_hundred_total",
       Stage::Meet,
       "PrizeSetup\nset 奖项设置.xlsx:设置!D3 100",
       {},
       "PrizeList",
       {"单元格D3的名次数“100”不是0到10之间的整数"}},
      {"prize_places_fraction",
       Stage::Meet,
       "PrizeSetup\nset 奖项设置.xlsx:设置!E3 2.5",
       {},
       "PrizeList",
       {"单元格E3的名次数“2.5”不是0到10之间的整数"}},

      // ---- returned registration workbooks, read by 导入报名数据 ----
      {"registration_missing",
       Stage::Meet,
       "",
       [](shell::Program&, MeetSession& s) { fs::remove(fs::path(s.Forms()) / "运动会报名登记表.xlsm"); },
       "folder @FORMS@\nImport",
       {"未找到"}},
      {"registration_damaged",
       Stage::Meet,
       "",
       RegistrationBytes([] { return std::string("PK\x03\x04 not really a zip"); }),
       kImport,
       {"无法读取报名数据文件", "没有导入任何数据"}},
      {"registration_empty_file",
       Stage::Meet,
       "",
       RegistrationBytes([] { return std::string(); }),
       kImport,
       {"无法读取报名数据文件"}},
      {"registration_encrypted",
       Stage::Meet,
       "",
       RegistrationBytes([] { return std::string("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1") + std::string(600, '\0'); }),
       kImport,
       {"加密"}},
      {"registration_text_file",
       Stage::Meet,
       "",
       RegistrationBytes([] { return std::string("姓名,项目\n张三,100米\n"); }),
       kImport,
       {"无法读取报名数据文件"}},
      {"registration_enormous",
       Stage::Meet,
       "",
       [](shell::Program&, MeetSession& s) {
         // Ten million cells in a few megabytes.
         std::string row = "<row>";
         for (int c = 0; c < 16384; ++c) row += "<c><v>1</v></c>";
         row += "</row>";
         host::testing_xlsx::HandPackage p;
         p.sheets.emplace_back("1", host::testing_xlsx::SheetXml(Repeat(row, 611)));
         std::ofstream(fs::path(s.Forms()) / "运动会报名登记表.xlsm", std::ios::binary) << p.Bytes();
       },
       kImport,
       {"文件过大"}},
      {"registration_sheet_missing",
       Stage::Meet,
       "",
       RegistrationEdited([](host::Workbook& b) { b.RemoveSheet(b.Sheet(2)); }),
       kImport,
       {"数据格式有误!"}},
      {"registration_extra_sheet",
       Stage::Meet,
       "",
       RegistrationEdited([](host::Workbook& b) { b.AddSheet(nullptr, &b.Sheet(b.Count()), "多余"); }),
       kImport,
       {"数据格式有误!"}},
      {"registration_other_events",
       Stage::Meet,
       "",
       RegistrationEdited([](host::Workbook& b) { b.Sheet(1).PutValue(3, 30, "铁饼"); }),
       kImport,
       {"数据格式有误!"}},
      {"registration_other_size",
       Stage::Meet,
       "",
       RegistrationEdited([](host::Workbook& b) { b.Sheet(1).InsertRows(6, 2); }),
       kImport,
       {"数据格式有误!"}},
      {"registration_name_too_long",
       Stage::Meet,
       "",
       RegistrationEdited([](host::Workbook& b) { b.Sheet(2).PutValue(5, 3, std::string(40000, 'x')); }),
       kImport,
       {"工作表“2”单元格C5的文字超过32767个字符（共40000个）。"}},
      {"registration_name_formula",
       Stage::Meet,
       "",
       RegistrationEdited(
           [](host::Workbook& b) { b.Sheet(2).PutFormula(6, 3, "\"张\"&\"三\"", host::CellValue("张三")); }),
       kImport,
       {"工作表“2”单元格C6的内容是公式，导入时不会采用公式的结果，请直接填写。"}},
      {"registration_name_error",
       Stage::Meet,
       "",
       RegistrationEdited(
           [](host::Workbook& b) { b.Sheet(1).PutValue(7, 3, host::CellValue(host::ErrorCode::Value)); }),
       kImport,
       {"工作表“1”单元格C7的内容是错误值“#VALUE!”。"}},
      {"registration_other_meet",
       Stage::Meet,
       "",
       RegistrationEdited([](host::Workbook& b) {
         for (int i = b.Count(); i > 2; --i) b.RemoveSheet(b.Sheet(i));
       }),
       kImport,
       {"数据格式有误!"}},

  };
}

// The meet the Meet cases start from: 新建 on the shipped template, two
// entries, and the registration workbook exported to forms/.
std::string MeetRoad(const MeetSession& s) {
  return "Close\nNew\nset '1'!C4 张伟\nset '1'!D4 √\nset '2'!C4 李娜\nset '2'!E4 √\nfolder " + s.Forms() + "\nExport\n";
}

// Puts the files of a folder back as they were: what a case wrote beside the
// commands (a spoiled file) is not in any journal.
void PutBack(const fs::path& dir, const std::map<std::string, std::string>& files) {
  for (const auto& e : fs::directory_iterator(dir))
    if (!files.count(e.path().filename().string())) fs::remove_all(e.path());
  for (const auto& [name, bytes] : files) {
    ::chmod((dir / name).c_str(), 0644);
    std::ofstream(dir / name, std::ios::binary) << bytes;
  }
}

std::string Replace(std::string s, const std::string& from, const std::string& to) {
  for (std::size_t p = s.find(from); p != std::string::npos; p = s.find(from, p + to.size()))
    s.replace(p, from.size(), to);
  return s;
}

}  // namespace

TEST(BadInputs, EachIsRefusedWithItsMessageOrKeptAsTyped) {
  MeetSession session;
  const bool print = std::getenv("KORVANE_BAD_INPUTS_PRINT") != nullptr;
  int tried = 0;
  session.Start([&](shell::Program& program) {
    auto run = [&](const std::string& statements) {
      const std::string said = session.Run(program, Replace(statements, "@FORMS@", session.Forms()));
      return said;
    };
    ASSERT_EQ(run("folder " + session.Meets() + "\nDefaultFolder\nInitialization\n").find("error"), std::string::npos);
    Stage stage = Stage::Template;
    for (const BadInput& c : Catalogue()) {
      SCOPED_TRACE(c.name);
      if (c.stage != stage) {
        const std::string said = run(MeetRoad(session));
        ASSERT_EQ(said.find("error"), std::string::npos) << said;
        stage = c.stage;
      }
      const auto meetsAtStage = Files(session.Meets()), formsAtStage = Files(session.Forms());
      Checkpoint checkpoint(program);
      if (!c.spoil.empty()) {
        const std::string said = run(c.spoil);
        ASSERT_EQ(said.find("error"), std::string::npos) << said;
      }
      if (c.spoilHost) c.spoilHost(program, session);
      // 新建 reads the template from its file: the spoiled one is saved first.
      if (stage == Stage::Template && (!c.spoil.empty() || c.spoilHost)) {
        const std::string said = run("Save\nClose");
        ASSERT_EQ(said.find("error"), std::string::npos) << said;
      }
      const std::string workbooks = Dump(program.Host());
      const auto meets = Files(session.Meets()), forms = Files(session.Forms());
      const std::string said = run(c.command);
      if (print) std::cout << "== " << c.name << "\n" << said.substr(0, 600) << "\n";
      for (const std::string& text : c.says) EXPECT_NE(said.find(text), std::string::npos) << said.substr(0, 2000);
      if (c.refused) {
        EXPECT_EQ(Dump(program.Host()), workbooks);
        EXPECT_EQ(Files(session.Meets()), meets);
        EXPECT_EQ(Files(session.Forms()), forms);
      } else {
        EXPECT_EQ(said.find("error"), std::string::npos) << said.substr(0, 2000);
      }
      ++tried;
      checkpoint.Restore();
      PutBack(session.Meets(), meetsAtStage);
      PutBack(session.Forms(), formsAtStage);
    }
  });
  std::cout << "bad inputs: " << tried << " cases tried\n";
  EXPECT_GE(tried, 60);
}
