#include "schedule/schedule.h"

#include <algorithm>
#include <chrono>
#include <vector>

#include "host/application.h"
#include "host/errors.h"
#include "meet/guards.h"
#include "meet/layout.h"
#include "schedule/arrangement.h"
#include "schedule/items.h"
#include "schedule/settings_form.h"
#include "shell/clock.h"
#include "shell/paths.h"
#include "shell/settings.h"

namespace korvane::schedule {

namespace fs = std::filesystem;
using shell::Icon;

namespace text {

std::string CannotOpenText(std::string_view path, std::string_view reason) {
  return "无法打开日程安排表：" + std::string(path) + "\n" + std::string(reason);
}

std::string OpenScheduleNotSavedText(std::string_view name, std::string_view reason) {
  return "已打开的日程安排表“" + std::string(name) + "”未能保存，请先关闭其他程序中打开的该文件。\n" +
         std::string(reason);
}

}  // namespace text

std::optional<FoundSchedule> NewestSchedule(const std::string& folder, std::string_view extension) {
  std::error_code ec;
  fs::directory_iterator it(fs::path(folder), ec);
  if (ec) return std::nullopt;
  // Names in byte order, so that the choice between equal stamps is repeatable.
  std::vector<fs::path> files;
  for (; it != fs::directory_iterator(); it.increment(ec)) {
    if (ec) break;
    std::error_code fec;
    if (it->is_regular_file(fec)) files.push_back(it->path());
  }
  std::sort(files.begin(), files.end());
  std::optional<FoundSchedule> pick;
  meet::DatedName best;
  for (const fs::path& file : files) {
    const meet::DatedName name = meet::MatchDatedFileName(kWorkbookPrefix, file.filename().string(), extension);
    if (name.match != meet::DatedNameMatch::Match) continue;
    if (!pick || meet::IsMoreRecent(name, best)) {
      pick = FoundSchedule{file, static_cast<int>(name.date.year())};
      best = name;
    }
  }
  return pick;
}

void Schedule(shell::Program& program) {
  host::WorkbookHost& host = program.Host();
  shell::Ui& ui = program.ui();
  meet::ScreenUpdatingOff quiet(host);

  host::Workbook* meetBook = shell::RequireMeetWorkbook(program);
  if (!meetBook) return;

  // A schedule left open by the last OK is closed with its changes saved.
  for (host::Workbook* book : host.Workbooks()) {
    if (!text::StartsWith(book->Name(), kTemplateBaseName)) continue;
    if (!book->Path().empty() && !book->Saved()) {
      try {
        book->Save();
      } catch (const host::HostError& e) {
        ui.MessageBox(text::OpenScheduleNotSavedText(book->Name(), e.what()), Icon::Exclamation);
        return;
      }
    }
    host.Close(*book, /*saveChanges=*/false);
    break;
  }

  meetBook->Sheet(std::string(meet::kSettingsSheet));
  std::string folder;
  if (std::optional<std::string> stored = shell::DefaultFolder(program.Settings())) {
    folder = *stored;
  } else {
    ui.MessageBox(std::string(shell::kMustSetDefaultFolder), Icon::Information);
    folder = shell::PathLocation(program);
    if (folder == shell::kPickerCancelled) return;
    shell::SaveDefaultPath(program.Settings(), folder);
  }
  program.defaultFolder = folder;

  const shell::DateTime now = shell::Now();
  const std::string ext(program.tables.extensions.plainWorkbook);
  const std::optional<FoundSchedule> newest = NewestSchedule(folder, ext);
  const bool exists = newest && newest->year == now.year;

  Frm日程安排 dialog(program, *meetBook, ScheduleFile{exists, folder});
  if (exists) {
    const std::string path = newest->path.string();
    try {
      dialog.LoadExisting(host.Open(path));
    } catch (const host::HostError& e) {
      if (host::Workbook* opened = host.FindWorkbook(newest->path.filename().string())) host.Close(*opened, false);
      ui.MessageBox(text::CannotOpenText(path, e.what()), Icon::Exclamation);
      return;
    }
  } else {
    const std::string templatePath = shell::ProgramFolder() + "/" + std::string(kTemplateBaseName) +
                                     std::string(program.tables.extensions.plainTemplate);
    std::error_code ec;
    if (!fs::is_regular_file(templatePath, ec)) {
      ui.MessageBox(std::string(shell::kTemplateMissing));
      return;
    }
    // The items first: a meet that cannot give them is refused before any question.
    DerivedItems items;
    try {
      items = DeriveItems(*meetBook);
    } catch (const ItemsRefused& e) {
      ui.MessageBox(e.what(), Icon::Exclamation);
      return;
    }
    if (!items.unknownGrade.empty()) ui.MessageBox(UnknownGradeText(items.unknownGrade), Icon::Information);
    Frm赛程设置 settingsForm(now.year);
    ui.ShowDialog(settingsForm);
    const std::optional<MeetStart> start = ParseMeetStartSpec(settingsForm.MeetStartSpec());
    if (!start) return;
    host::Workbook* book = nullptr;
    try {
      book = &host.Add(templatePath);
      dialog.LoadNew(*book, items, *start);
    } catch (...) {
      if (book) host.Close(*book, false);
      throw;
    }
  }
  ui.ShowDialog(dialog);
}

}  // namespace korvane::schedule
