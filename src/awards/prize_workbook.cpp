// 设置 and 明细单: the prize workbook and the certificate lists in it.
#include <filesystem>

#include "awards/awards.h"
#include "awards/command_support.h"
#include "host/errors.h"
#include "host/range.h"
#include "host/worksheet.h"
#include "meet/guards.h"
#include "meet/layout.h"
#include "meet/page_format.h"
#include "shell/menu_stages.h"
#include "shell/paths.h"
#include "shell/settings.h"

namespace korvane::awards {

namespace fs = std::filesystem;
using host::RangeRef;
using shell::Icon;

namespace detail {

void SetPrizeWorkbookOpen(shell::MenuState& menu, bool open) {
  shell::EnterMenuStep(menu, open ? shell::MenuStep::PrizeWorkbookOpen : shell::MenuStep::PrizeWorkbookClosed);
}

std::optional<std::string> RequireDefaultFolder(shell::Program& program) {
  if (std::optional<std::string> stored = shell::DefaultFolder(program.Settings())) {
    program.defaultFolder = *stored;
    return stored;
  }
  program.ui().MessageBox(std::string(shell::kMustSetDefaultFolder), Icon::Information);
  const std::string folder = shell::PathLocation(program);
  if (folder == shell::kPickerCancelled) return std::nullopt;
  shell::SaveDefaultPath(program.Settings(), folder);
  program.defaultFolder = folder;
  return folder;
}

std::string PrizeWorkbookPath(const shell::Program& program, const std::string& folder) {
  return (fs::path(folder) /
          (std::string(meet::kPrizeWorkbookBaseName) + std::string(program.tables.extensions.plainWorkbook)))
      .string();
}

}  // namespace detail

namespace {

constexpr int kPlainWorkbookFormat = 51;

// Fills a new prize workbook's 设置 from the meet: the event headings of the
// registration form in row 2 from F, the grade names in A(3g), the blocks of
// absent grades removed, the grid bordered.
void FillPrizeSettings(host::Worksheet& prize, host::Worksheet& form, const std::vector<std::string>& grades,
                       const host::Worksheet& meetSettings) {
  namespace fm = meet::form;
  const int lastEventCol = form.End(fm::kHeadingRow, host::Worksheet::ColumnsCount(), host::Direction::ToLeft).second;
  if (lastEventCol >= fm::kFirstEventCol)
    host::Range(&form, RangeRef{fm::kHeadingRow, fm::kFirstEventCol, fm::kHeadingRow, lastEventCol})
        .Copy(host::Range(&prize, RangeRef{kHeadingRow, kFirstEventCol, kHeadingRow, kFirstEventCol}));
  const int g = static_cast<int>(grades.size());
  for (int i = 1; i <= g; ++i)
    host::Range(&prize, RangeRef{BlockRow(i), 1, BlockRow(i), 1})
        .SetLiteral(meetSettings.ValueAt(meet::settings::kFirstGradeRow + i - 1, meet::settings::kGradeCol));
  if (g < kGradeBlocks) prize.DeleteRows(BlockRow(g + 1), kLastTemplateBlockRow - BlockRow(g + 1) + 1);
  meet::Borders_Setup(host::Range(&prize, RangeRef{kHeadingRow, 1, BlockRow(g) + 2, lastEventCol + 2}), 1);
}

}  // namespace

void PrizeSetup(shell::Program& program) {
  host::WorkbookHost& host = program.Host();
  shell::Ui& ui = program.ui();
  meet::ScreenUpdatingOff screen(host);
  host::Workbook* meetBook = shell::RequireMeetWorkbook(program, shell::kTargetFileClosed);
  if (meetBook == nullptr) return;
  const std::optional<std::string> folder = detail::RequireDefaultFolder(program);
  if (!folder) return;
  const std::string path = detail::PrizeWorkbookPath(program, *folder);

  std::error_code ec;
  if (fs::exists(path, ec)) {
    // Opened as it is (when it is open already, the host just brings it forward).
    try {
      host.Open(path);
    } catch (const host::HostError& e) {
      ui.MessageBox(text::CannotOpen(path, e.what()), Icon::Exclamation);
      return;
    }
    host.visible = true;
    detail::SetPrizeWorkbookOpen(program.Menu(), true);
    return;
  }

  const std::string templatePath =
      meet::PrizeTemplatePath(shell::ProgramFolder(), program.tables.extensions.plainTemplate);
  if (!fs::is_regular_file(templatePath, ec)) {
    ui.MessageBox(std::string(shell::kTemplateMissing), Icon::None);
    return;
  }
  host::Worksheet* form = meetBook->FindSheet(std::string(meet::kFormSampleSheet));
  host::Worksheet* meetSettings = meetBook->FindSheet(std::string(meet::kSettingsSheet));
  for (auto [ws, name] : {std::pair{form, meet::kFormSampleSheet}, std::pair{meetSettings, meet::kSettingsSheet}})
    if (ws == nullptr) {
      ui.MessageBox(text::SheetMissing(meetBook->Name(), name), Icon::Exclamation);
      return;
    }
  const std::vector<std::string> grades = MeetGrades(*meetSettings);
  if (static_cast<int>(grades.size()) > kGradeBlocks) {
    ui.MessageBox(text::TooManyGrades(static_cast<int>(grades.size())), Icon::Exclamation);
    return;
  }

  host::Workbook* prize = nullptr;
  try {
    prize = &host.Add(templatePath);
    host::Worksheet* settings = prize->FindSheet(std::string(meet::kSettingsSheet));
    if (settings == nullptr) throw host::HostError(text::SheetMissing(templatePath, meet::kSettingsSheet));
    FillPrizeSettings(*settings, *form, grades, *meetSettings);
    prize->SaveAs(path, kPlainWorkbookFormat);
  } catch (const host::HostError& e) {
    // Nothing half-made stays open; the atomic save left no file behind.
    if (prize != nullptr) host.Close(*prize, /*saveChanges=*/false);
    ui.MessageBox(text::CannotSave(e.what()), Icon::Exclamation);
    return;
  }
  host.visible = true;
  detail::SetPrizeWorkbookOpen(program.Menu(), true);
}

void PrizeList(shell::Program& program) {
  host::WorkbookHost& host = program.Host();
  shell::Ui& ui = program.ui();
  meet::ScreenUpdatingOff screen(host);
  host::Workbook* meetBook = meet::FindMeetWorkbook(host);
  host::Workbook* prize = FindPrizeWorkbook(host);
  if (meetBook == nullptr || prize == nullptr) {
    ui.MessageBox(std::string(text::kFilesClosed), Icon::Information);
    detail::SetPrizeWorkbookOpen(program.Menu(), false);
    return;
  }
  host::Worksheet* meetSettings = meetBook->FindSheet(std::string(meet::kSettingsSheet));
  if (meetSettings == nullptr) {
    ui.MessageBox(text::SheetMissing(meetBook->Name(), meet::kSettingsSheet), Icon::Exclamation);
    return;
  }
  std::vector<host::Worksheet*> sheets;
  for (std::string_view name :
       {meet::kSettingsSheet, meet::kAwardTypes[0], meet::kAwardTypes[1], meet::kAwardTypes[2]}) {
    host::Worksheet* ws = prize->FindSheet(std::string(name));
    if (ws == nullptr) {
      ui.MessageBox(text::SheetMissing(prize->Name(), name), Icon::Exclamation);
      return;
    }
    sheets.push_back(ws);
  }

  const PrizeLinesResult expanded = ExpandPrizeSettings(*sheets[0], MeetGrades(*meetSettings));
  if (!expanded.refusal.empty()) {
    ui.MessageBox(expanded.refusal, Icon::Exclamation);
    return;
  }

  shell::CaptionNote note(program, shell::notes::kPleaseWait);
  const std::vector<std::vector<std::string>> headings = {{"年级"}, {"年级", "名次"}, {"年级", "组别", "项目", "名次"}};
  const std::vector<std::vector<std::string>>* lines[] = {&expanded.lines.spirit, &expanded.lines.team,
                                                          &expanded.lines.individual};
  for (int i = 0; i < 3; ++i) {
    host::Worksheet& ws = *sheets[static_cast<std::size_t>(i + 1)];
    const int lastRow = ws.LastUsedRow(), lastCol = ws.LastUsedCol();
    if (lastRow > 0 && lastCol > 0) host::Range(&ws, RangeRef{1, 1, lastRow, lastCol}).ClearContents();
    host::ValueGrid grid;
    grid.reserve(lines[i]->size() + 1);
    for (const auto* row : {&headings[static_cast<std::size_t>(i)]}) grid.emplace_back(row->begin(), row->end());
    for (const std::vector<std::string>& line : *lines[i]) grid.emplace_back(line.begin(), line.end());
    host::Range(&ws, RangeRef{1, 1, 1, 1}).SetLiterals(grid);
  }
  prize->SetSaved(false);
}

}  // namespace korvane::awards
