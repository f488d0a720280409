// 新建 and 打开: making a meet workbook from the template, and reopening the
// most recent one with the menu of the stage it has reached.
#include <algorithm>
#include <system_error>
#include <vector>

#include "files/files.h"
#include "host/errors.h"
#include "host/workbook.h"
#include "host/worksheet.h"
#include "meet/guards.h"
#include "meet/layout.h"
#include "meet/page_format.h"
#include "setup/forms.h"
#include "setup/setup.h"
#include "shell/menu_stages.h"
#include "shell/paths.h"
#include "shell/settings.h"

namespace korvane::files {

namespace fs = std::filesystem;
using shell::Answer;
using shell::Buttons;
using shell::Icon;

namespace {

// SaveAs's file format for a meet workbook of the newer family (macro-enabled).
constexpr int kMacroEnabledFormat = 52;
constexpr int kSecondsPerDay = 24 * 60 * 60;

bool PathTaken(const fs::path& p) {
  std::error_code ec;
  return fs::exists(fs::symlink_status(p, ec));
}

int WholeAt(const host::Worksheet& ws, meet::CellPos at) {
  const long long v = ws.ValueAt(at.row, at.col).ToWhole();
  return static_cast<int>(std::clamp<long long>(v, -1'000'000'000LL, 1'000'000'000LL));
}

// The menu once a meet workbook is open, whatever its stage.
void EnableMeetOpen(shell::MenuState& menu) { shell::EnterMenuStep(menu, shell::MenuStep::MeetOpen); }

}  // namespace

// ---- rules ----

std::vector<fs::path> MeetWorkbooksNewestFirst(const std::string& folder, std::string_view extension) {
  std::error_code ec;
  fs::directory_iterator it(fs::path(folder), ec);
  if (ec) return {};
  std::vector<std::pair<meet::DatedName, fs::path>> found;
  for (; it != fs::directory_iterator(); it.increment(ec)) {
    if (ec) break;
    std::error_code fec;
    if (!it->is_regular_file(fec)) continue;
    const meet::DatedName name = meet::MatchMeetWorkbookFileName(it->path().filename().string(), extension);
    if (name.match == meet::DatedNameMatch::Match) found.emplace_back(name, it->path());
  }
  // The directory's own order is arbitrary; between two equally recent
  // files the first name in byte order comes first, so the choice repeats.
  std::sort(found.begin(), found.end(), [](const auto& a, const auto& b) {
    if (meet::IsMoreRecent(a.first, b.first)) return true;
    if (meet::IsMoreRecent(b.first, a.first)) return false;
    return a.second < b.second;
  });
  std::vector<fs::path> files;
  for (auto& f : found) files.push_back(std::move(f.second));
  return files;
}

std::optional<fs::path> NewestMeetWorkbook(const std::string& folder, std::string_view extension) {
  std::vector<fs::path> files = MeetWorkbooksNewestFirst(folder, extension);
  if (files.empty()) return std::nullopt;
  return files.front();
}

std::string FreeMeetWorkbookName(const std::string& folder, const host::WorkbookHost& host, const shell::DateTime& now,
                                 std::string_view extension) {
  for (int stamp = now.SecondsOfDay(); stamp < kSecondsPerDay; ++stamp) {
    std::string name = meet::MeetWorkbookFileName(now.Date(), stamp, extension);
    if (!PathTaken(fs::path(folder) / name) && host.FindWorkbook(name) == nullptr) return name;
  }
  throw host::HostError("今天剩余的文件名都已被占用，无法再新建运动会工作簿。");
}

void ApplyStageMenu(shell::MenuState& menu, int teamCount, int sheetCount, bool teamMode) {
  shell::EnterMenuStep(menu, shell::OpenedStep(meet::StageFromSheetCount(sheetCount, teamCount)), teamMode);
}

// ---- 新建 ----

void New(shell::Program& program) {
  host::WorkbookHost& host = program.Host();
  shell::Ui& ui = program.ui();
  const meet::ExtensionTable& ext = program.tables.extensions;

  const std::string templatePath = setup::TemplateForNew(program);
  std::error_code ec;
  if (!fs::is_regular_file(templatePath, ec)) {
    ui.MessageBox(std::string(shell::kTemplateMissing), Icon::None, Buttons::Ok);
    return;
  }

  meet::HostFlagsGuard flags(host);
  const bool wasVisible = host.visible;
  host::Workbook* book = &host.Add(templatePath);

  std::string folder;
  if (std::optional<std::string> stored = shell::DefaultFolder(program.Settings())) {
    folder = *stored;
  } else {
    ui.MessageBox(std::string(shell::kMustSetDefaultFolder), Icon::Information);
    host.screenUpdating = false;
    folder = shell::PathLocation(program);
    if (folder == shell::kPickerCancelled) {
      host.Close(*book, /*saveChanges=*/false);
      host.visible = false;
      return;
    }
    try {
      shell::SaveDefaultPath(program.Settings(), folder);
    } catch (const shell::SettingsError& e) {
      // Without a stored folder the next 打开 would not find this meet: make none.
      host.Close(*book, /*saveChanges=*/false);
      host.visible = wasVisible;
      ui.MessageBox(text::CannotCreate(e.what()), Icon::Exclamation);
      return;
    }
  }
  program.defaultFolder = folder;

  // The new workbook starts without any defined name; the forms add their own.
  std::string path;
  bool written = false;
  try {
    book->Unprotect();
    while (book->NameCount() > 0) book->DeleteName(1);
    const std::string name = FreeMeetWorkbookName(folder, host, shell::Now(), ext.meetWorkbook);
    path = (fs::path(folder) / name).string();
    book->SaveAs(path, meet::IsNewerFileFamily(host.Version()) ? kMacroEnabledFormat : 0);
    written = true;
    host.Close(*book, /*saveChanges=*/false);
    book = nullptr;
    book = &host.Open(path);
  } catch (const host::HostError& e) {
    if (book != nullptr) host.Close(*book, /*saveChanges=*/false);
    if (written) {
      std::error_code rec;
      fs::remove(path, rec);
    }
    host.visible = wasVisible;
    ui.MessageBox(text::CannotCreate(e.what()), Icon::Exclamation);
    return;
  }

  host.screenUpdating = false;
  host.visible = true;

  // Forms that cannot be made leave nothing behind: the half-made workbook
  // is closed and its file removed, and the menu stays as it was.
  auto discard = [&] {
    host.Close(*book, /*saveChanges=*/false);
    std::error_code rec;
    fs::remove(path, rec);
    host.visible = wasVisible;
  };
  setup::FormsResult made;
  try {
    made = setup::CreateBMB(program, *book);
  } catch (...) {
    discard();
    throw;
  }
  if (made == setup::FormsResult::Refused) {
    discard();
    return;
  }

  book->Protect(/*structure=*/true, /*windows=*/true);
  shell::ShowGreeting(program);
  host.screenUpdating = true;

  EnableMeetOpen(program.Menu());
  shell::EnterMenuStep(program.Menu(), shell::MenuStep::OpenedAtEntries);
}

// ---- 打开 ----

void Open(shell::Program& program) {
  host::WorkbookHost& host = program.Host();
  shell::Ui& ui = program.ui();

  const std::string folder = shell::StoredDefaultPath(program.Settings());
  if (folder.empty()) {
    ui.MessageBox(std::string(text::kNoMeetFile), Icon::Information);
    return;
  }
  program.defaultFolder = folder;
  const std::vector<fs::path> candidates = MeetWorkbooksNewestFirst(folder, program.tables.extensions.meetWorkbook);
  if (candidates.empty()) {
    ui.MessageBox(std::string(text::kNoMeetFile), Icon::Information);
    return;
  }

  meet::HostFlagsGuard flags(host);
  host.screenUpdating = false;
  host::Workbook* book = nullptr;
  const host::Worksheet* settingsSheet = nullptr;
  // The newest first; when it cannot be read the teacher may go on to the
  // next newest (an older copy of the same meet) rather than be stuck.
  for (std::size_t i = 0; i < candidates.size(); ++i) {
    const std::string path = candidates[i].string();
    try {
      book = &host.Open(path);
      settingsSheet = &book->Sheet(std::string(meet::kSettingsSheet));
      break;
    } catch (const host::HostError& e) {
      if (book != nullptr) host.Close(*book, /*saveChanges=*/false);
      book = nullptr;
      if (i + 1 == candidates.size()) {
        ui.MessageBox(text::CannotOpen(path, e.what()), Icon::Exclamation);
        return;
      }
      const std::string next = candidates[i + 1].string();
      if (ui.MessageBox(text::OpenNextNewestQuestion(path, e.what(), next), Icon::Question, Buttons::YesNo) !=
          Answer::Yes)
        return;
    }
  }
  // Protecting the workbook as it was protected is no change to save: the
  // question before closing is kept for real changes.
  const host::WorkbookProtection opened = book->Protection();
  const bool wasSaved = book->Saved();
  book->Unprotect();
  book->Protect(/*structure=*/true, /*windows=*/true);
  if (opened.structure && opened.windows && opened.passwordHash.empty()) book->SetSaved(wasSaved);
  host.visible = true;

  shell::ShowGreeting(program);
  host.screenUpdating = true;

  shell::MenuState& menu = program.Menu();
  EnableMeetOpen(menu);
  const int teams = WholeAt(*settingsSheet, meet::settings::TeamSheetCount);
  const bool teamMode =
      settingsSheet->ValueAt(meet::settings::kTeamModeFlag.row, meet::settings::kTeamModeFlag.col).ToText() ==
      meet::settings::kTeamModeMark;
  ApplyStageMenu(menu, teams, book->Count(), teamMode);

  // Reports opened with a first page number other than the one 设置!C1 asks
  // for are renumbered.
  if (meet::StageFromSheetCount(book->Count(), teams) >= meet::MeetStage::Reports) {
    const int firstPage = WholeAt(*settingsSheet, meet::settings::FirstReportPage);
    const host::Worksheet* report = book->FindSheet(std::string(meet::kNumberReportSheet));
    if (firstPage > 0 && report != nullptr && report->Page().firstPageNumber != firstPage)
      meet::ResetPage(program.Host());
  }
}

}  // namespace korvane::files
