// 导出报名数据 and 导出打印报表: sheets of the meet workbook copied into a new
// workbook in a folder the user picks. The new workbook is put together in
// memory and written once at the end, so a failure never leaves a
// half-written file under the target name; the meet workbook is not changed.
#include <cstdio>
#include <memory>
#include <vector>

#include "files/files.h"
#include "host/errors.h"
#include "host/ooxml/xlsx.h"
#include "host/workbook.h"
#include "host/worksheet.h"
#include "meet/guards.h"
#include "meet/layout.h"
#include "shell/clock.h"

namespace korvane::files {

namespace fs = std::filesystem;
using shell::Icon;

namespace {

constexpr int kMacroEnabledFormat = 52;
// The blank sheets of a new workbook, removed once the copies are in.
constexpr std::string_view kBlankSheetPrefix = "Sheet";

// Copies `names` of the meet workbook, in this order, into a new workbook
// saved as `path`. Shows a message and writes nothing when a sheet is missing
// or the file cannot be written.
void WriteExportWorkbook(shell::Program& program, host::Workbook& meetBook, const std::vector<std::string>& names,
                         const std::string& path) {
  host::WorkbookHost& host = program.Host();
  std::vector<host::Worksheet*> sources;
  for (const std::string& name : names) {
    host::Worksheet* ws = meetBook.FindSheet(name);
    if (ws == nullptr) {
      program.ui().MessageBox(text::SheetMissing(name), Icon::Exclamation);
      return;
    }
    sources.push_back(ws);
  }

  host::Workbook& out = host.Add();
  try {
    host::Worksheet* blank = &out.Sheet(1);
    for (host::Worksheet* ws : sources) ws->CopyTo(out, blank, nullptr);
    std::vector<host::Worksheet*> blanks;
    for (host::Worksheet* ws : out.Sheets())
      if (ws->Name().starts_with(kBlankSheetPrefix)) blanks.push_back(ws);
    if (!blanks.empty()) out.DeleteSheets(blanks);
    for (host::Worksheet* ws : out.Sheets())
      ws->Protect(/*drawingObjects=*/true, /*contents=*/true, /*scenarios=*/true);
    out.Sheet(1).Select();
    out.SaveAs(path, meet::IsNewerFileFamily(host.Version()) ? kMacroEnabledFormat : 0);
  } catch (const host::HostError& e) {
    host.Close(out, /*saveChanges=*/false);
    host.Activate(meetBook);
    program.ui().MessageBox(text::ExportFailed(path, e.what()), Icon::Exclamation);
    return;
  }
  host.Close(out, /*saveChanges=*/false);
  host.Activate(meetBook);
}

// Whether a registration workbook already holds something a team typed: a
// value in the athlete rows (from C4 rightward) of any of its sheets. A file
// that cannot be read counts as holding entries, so it is never replaced
// without a question.
bool HoldsEntries(const std::string& path) {
  std::unique_ptr<host::Workbook> book;
  try {
    book = host::ooxml::ReadWorkbookFile(path, nullptr);
  } catch (const host::HostError&) {
    return true;
  }
  for (const host::Worksheet* ws : book->Sheets()) {
    const int lastRow = ws->LastUsedRow();
    for (const auto& [r, row] : ws->RowMap()) {
      // The closing row below the athlete rows holds the form's own text.
      if (r < meet::form::kFirstAthleteRow || r >= lastRow) continue;
      for (const auto& cell : row.cells)
        if (static_cast<int>(cell.col) >= meet::form::kAthleteNameCol && cell.HasContent() &&
            !ws->ValueAt(r, static_cast<int>(cell.col)).IsEmpty())
          return true;
    }
  }
  return false;
}

// A free name beside `path` for its backup: NAME.bak.YYYYMMDD-HHMMSS.EXT,
// with -2, -3 ... when a backup of that second is already there.
fs::path BackupPath(const fs::path& path) {
  const shell::DateTime now = shell::Now();
  char stamp[32];
  std::snprintf(stamp, sizeof stamp, "%04d%02d%02d-%02d%02d%02d", now.year, now.month, now.day, now.hour, now.minute,
                now.second);
  const std::string stem = path.stem().string() + ".bak." + stamp;
  fs::path candidate = path.parent_path() / (stem + path.extension().string());
  std::error_code ec;
  for (int n = 2; fs::exists(candidate, ec); ++n)
    candidate = path.parent_path() / (stem + "-" + std::to_string(n) + path.extension().string());
  return candidate;
}

std::string TargetPath(const shell::Program& program, const std::string& folder, std::string_view baseName) {
  return (fs::path(folder) / (std::string(baseName) + std::string(program.tables.extensions.meetWorkbook))).string();
}

}  // namespace

void Export(shell::Program& program) {
  host::WorkbookHost& host = program.Host();
  host::Workbook* meetBook = shell::RequireMeetWorkbook(program);
  if (meetBook == nullptr) return;

  program.ui().MessageBox(std::string(text::kPickExportFolder), Icon::Information);
  const std::string folder = shell::PathLocation(program);
  meet::HostFlagsGuard flags(host);
  host.screenUpdating = false;
  host.displayAlerts = false;
  if (folder == shell::kPickerCancelled) return;

  const host::Worksheet& settings = meetBook->Sheet(std::string(meet::kSettingsSheet));
  const long long teams =
      settings.ValueAt(meet::settings::TeamSheetCount.row, meet::settings::TeamSheetCount.col).ToWhole();
  if (teams <= 0) {
    program.ui().MessageBox(std::string(text::kNoTeams), Icon::Information);
    return;
  }
  // Team sheets "1" to "N": a meet workbook holds at most as many as it has sheets.
  if (teams > meetBook->Count()) {
    program.ui().MessageBox(text::SheetMissing(meet::TeamSheetName(meetBook->Count() + 1)), Icon::Exclamation);
    return;
  }
  std::vector<std::string> names;
  for (int t = 1; t <= static_cast<int>(teams); ++t) names.push_back(meet::TeamSheetName(t));

  const std::string path = TargetPath(program, folder, meet::kRegistrationWorkbookBaseName);
  // This is the file 导入报名数据 reads: once the teams have returned their
  // entries in it, it is replaced only on the user's word, and a copy of it stays.
  std::error_code ec;
  if (fs::exists(path, ec) && HoldsEntries(path)) {
    if (program.ui().MessageBox(text::ReplaceEntriesQuestion(path), Icon::Exclamation,
                                shell::Buttons::YesNoDefaultNo) != shell::Answer::Yes)
      return;
    const fs::path backup = BackupPath(path);
    fs::copy_file(path, backup, ec);
    if (ec) {
      program.ui().MessageBox(text::ExportFailed(path, "无法保留原文件的副本：" + ec.message()), Icon::Exclamation);
      return;
    }
  }
  WriteExportWorkbook(program, *meetBook, names, path);
}

void ExportPRF(shell::Program& program) {
  host::WorkbookHost& host = program.Host();
  host::Workbook* meetBook = shell::RequireMeetWorkbook(program);
  if (meetBook == nullptr) return;

  program.ui().MessageBox(std::string(text::kPickExportFolder), Icon::Information);
  const std::string folder = shell::PathLocation(program);
  if (folder == shell::kPickerCancelled) return;
  meet::HostFlagsGuard flags(host);
  host.screenUpdating = false;
  host.displayAlerts = false;

  const std::string path = TargetPath(program, folder, meet::kReportWorkbookBaseName);
  WriteExportWorkbook(program, *meetBook,
                      {std::string(meet::kNumberReportSheet), std::string(meet::kRosterReportSheet)}, path);
}

}  // namespace korvane::files
