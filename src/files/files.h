// The File menu's workbook commands: 新建 and 打开 of a meet workbook,
// 导入报名数据 and 导出报名数据 of the teams' registration workbook, 导出打印报表,
// 保存所有 and 关闭所有.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "host/application.h"
#include "shell/clock.h"
#include "shell/menu.h"
#include "shell/program.h"

namespace korvane::files {

// ---- the commands ----

// 新建: a date-stamped meet workbook from the template in the default folder,
// with one registration form per team; it stays open.
void New(shell::Program& program);
// 打开: the most recent meet workbook of the default folder, with the menu of
// the stage the meet has reached.
void Open(shell::Program& program);
// 导入报名数据: the teams' entries of a registration workbook into the team
// sheets, after checking that its forms have the meet's shape.
void Import(shell::Program& program);
// 导出报名数据: the team sheets as the registration workbook for the teams.
void Export(shell::Program& program);
// 导出打印报表: the two report sheets as a report workbook.
void ExportPRF(shell::Program& program);
// 保存所有: saves every open workbook in place.
void Save(shell::Program& program);
// 关闭所有: asks for each workbook with unsaved changes whether to save it
// (是 saves, 否 drops the changes, 取消 keeps everything open), then closes
// every open workbook and hides the host.
void Close(shell::Program& program);

// ---- rules the commands follow ----

// The most recent meet workbook in `folder`: among the files named
// 号码对照表及分组分道编排表_YYYY-MM-DD_SSSSS + extension, the latest date,
// and on the same date the greatest stamp. A name whose date or stamp does
// not read is skipped. nullopt when there is none (or no such folder).
std::optional<std::filesystem::path> NewestMeetWorkbook(const std::string& folder, std::string_view extension);
// Every meet workbook of `folder` by that order, newest first.
std::vector<std::filesystem::path> MeetWorkbooksNewestFirst(const std::string& folder, std::string_view extension);

// The name of a new meet workbook created at `now`: the stamp is the seconds
// since midnight; when a file of that name is already in `folder`, or a
// workbook of that name is open in the host, the next free stamp of the day
// is taken, so a second workbook made within the same second never replaces
// the first. Throws host::HostError when no stamp of the day is left.
std::string FreeMeetWorkbookName(const std::string& folder, const host::WorkbookHost& host, const shell::DateTime& now,
                                 std::string_view extension);

// The menu items that depend on how far a meet has come, from its team count
// (设置!B9) and sheet count: entries not yet consolidated allow 导入报名数据;
// consolidated allows merging grades (class mode only), random order, reports
// and the schedule instead of printing the blank forms; reports allow their
// export, printing and score management; then either the record tables'
// printing or their creation.
void ApplyStageMenu(shell::MenuState& menu, int teamCount, int sheetCount, bool teamMode);

// ---- texts ----
namespace text {
inline constexpr std::string_view kNoMeetFile = "文件不存在，请先建立!";
inline constexpr std::string_view kPickImportFolder = "指定文件位置";
inline constexpr std::string_view kOverwriteQuestion = "是否覆盖原有数据？";
inline constexpr std::string_view kWrongShape = "数据格式有误!";
// The command as the parameter refusals name it.
inline constexpr std::string_view kImportCommand = "导入报名数据";
inline constexpr std::string_view kPickExportFolder = "指定导出位置";
inline constexpr std::string_view kNoTeams = "请先设置班级数据!";

// "数据格式有误!" followed by the sheet and what differs.
std::string WrongShape(std::string_view problem);
// "源文件：“PATH”未找到!"
std::string SourceMissing(std::string_view path);
// A meet workbook that cannot be created or opened.
std::string CannotCreate(std::string_view reason);
std::string CannotOpen(std::string_view path, std::string_view reason);
// The newest meet workbook cannot be read: which one, why, and whether to
// open the next newest instead.
std::string OpenNextNewestQuestion(std::string_view damaged, std::string_view reason, std::string_view next);
// A registration workbook that cannot be read: not a workbook, damaged, or
// held open by another program.
std::string CannotRead(std::string_view path, std::string_view reason);
std::string OpenElsewhere(std::string_view path);
// Team sheets that do not take the imported entries.
std::string NotWritable(std::string_view sheet, std::string_view reason);
// A sheet to be exported that the meet workbook does not have.
std::string SheetMissing(std::string_view sheet);
// The question before 导出报名数据 replaces a registration workbook that
// holds entries (default 否); the old file is kept as a .bak copy beside it.
std::string ReplaceEntriesQuestion(std::string_view path);
// An export that could not be written.
std::string ExportFailed(std::string_view path, std::string_view reason);
// Workbooks that 保存所有 could not save, one per line with the reason.
std::string NotSaved(std::string_view list);
}  // namespace text

}  // namespace korvane::files
