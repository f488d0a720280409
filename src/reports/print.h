// The 打印 sub-menu of 文件: each command prints finished sheets as one job
// after a confirmation. A job becomes a PDF beside the workbook printed and goes
// on to the system's printer (shell/printing.h); printer trouble never stops a
// command, a PDF that cannot be written is reported and the command still
// finishes its steps.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "meet/layout.h"
#include "shell/program.h"

namespace korvane::reports {

// 报名表样表(A4): shows 报名表样表 and, when the host paginates it as one page,
// asks kReadyToPrintForm and prints it (PDF 报名表样表.pdf); a wider form is
// refused with kFormTooWideToPrint. Either way the sheet is hidden again and
// the workbook structure protected (Structure and Windows, no password).
void MyPrint1(shell::Program& program);
// 报表(A4): asks kReadyToPrint; on Yes prints 号码对照表报表 and 比赛项目名单报表
// as one job (报表.pdf) and selects 号码对照表报表.
void MyPrint2(shell::Program& program);
// 成绩记录表(B4): asks kReadyToPrint; on Yes prints the four record sheets as
// one job (成绩记录表.pdf) and selects 起终点用表.
void MyPrint3(shell::Program& program);
// 赛事日程(A4): prints 径赛 and 田赛 of the schedule as one job (赛事日程.pdf):
// an open workbook whose name begins with 日程安排表, else the newest dated
// schedule workbook of the default folder when it is of the current year
// (opened, printed and closed unsaved); otherwise kScheduleMissing.
// No workbook open at all: 文件被关闭! and the menu reset.
void MyPrint4(shell::Program& program);

// The schedule workbook file MyPrint4 prints from `folder`: the newest name of
// the dated form (a later date, or the same date and a greater serial, in
// listing order); empty when there is none or it is not of `currentYear`.
std::string NewestScheduleFile(const std::vector<std::string>& fileNames, std::string_view extension, int currentYear);

// Texts.
inline constexpr std::string_view kReadyToPrintForm = "准备好了要打印『报名表』吗？";
inline constexpr std::string_view kReadyToPrint = "准备好了要打印吗？";
inline constexpr std::string_view kFormTooWideToPrint =
    "列数过多一页放不下，需调整列宽!\n请先关闭当前窗口，依次单击“设置—初始化”，调整报名表样表列宽。";
inline constexpr std::string_view kScheduleMissing = "日程安排未生成!";
inline constexpr std::string_view kReportsDocument = "报表";
inline constexpr std::string_view kRecordSheetsDocument = "成绩记录表";
inline constexpr std::string_view kScheduleDocument = "赛事日程";
inline constexpr std::string_view kScheduleBookPrefix = meet::kScheduleTemplateBaseName;
using meet::schedule_book::kFieldSheet;
using meet::schedule_book::kTrackSheet;

}  // namespace korvane::reports
