// 导入报名数据: the entries the teams made in the registration workbook are
// copied into the meet workbook's team sheets, all of them or none.
#include <algorithm>
#include <system_error>
#include <vector>

#include "files/files.h"
#include "host/address.h"
#include "host/cell_limits.h"
#include "host/errors.h"
#include "host/file_save.h"
#include "host/ooxml/xlsx.h"
#include "host/range.h"
#include "host/workbook.h"
#include "host/worksheet.h"
#include "meet/guards.h"
#include "meet/layout.h"
#include "meet/parameters.h"
#include "meet/refusal.h"

namespace korvane::files {

namespace fs = std::filesystem;
using shell::Answer;
using shell::Buttons;
using shell::Icon;

namespace {

int LastUsedColumnOfRow(const host::Worksheet& ws, int row) {
  return ws.End(row, host::Worksheet::ColumnsCount(), host::Direction::ToLeft).second;
}

int LastUsedRowOfColumn(const host::Worksheet& ws, int col) {
  return ws.End(host::Worksheet::RowsCount(), col, host::Direction::Up).first;
}

// Closes the registration workbook unsaved when the command ends, unless it
// was already open before the command (then it stays as the user had it), and
// makes the meet workbook the active one again.
class ReadOnlyBook {
 public:
  ReadOnlyBook(host::WorkbookHost& host, host::Workbook& book, bool openedHere, host::Workbook& meetBook)
      : host_(host), book_(book), openedHere_(openedHere), meetBook_(meetBook) {}
  ~ReadOnlyBook() {
    if (openedHere_) host_.Close(book_, /*saveChanges=*/false);
    host_.Activate(meetBook_);
  }
  ReadOnlyBook(const ReadOnlyBook&) = delete;
  ReadOnlyBook& operator=(const ReadOnlyBook&) = delete;
  host::Workbook& operator*() const { return book_; }
  host::Workbook* operator->() const { return &book_; }

 private:
  host::WorkbookHost& host_;
  host::Workbook& book_;
  bool openedHere_;
  host::Workbook& meetBook_;
};

// Why a returned registration workbook is not the meet's forms, naming the
// sheet and what differs; none when every form has the meet's shape.
meet::Refusal FormShapeProblem(const host::Workbook& registration, const host::Worksheet& sample, int teams,
                               int lastEventCol, int rowsPerTeam) {
  for (int i = 1; i <= teams; ++i)
    if (registration.FindSheet(meet::TeamSheetName(i)) == nullptr)
      return meet::Refusal::Because("缺少工作表“" + meet::TeamSheetName(i) + "”（本次运动会有 " +
                                    std::to_string(teams) + " 张报名表）。");
  for (const host::Worksheet* ws : registration.Sheets()) {
    bool ours = false;
    for (int i = 1; i <= teams && !ours; ++i) ours = host::Workbook::SameSheetName(ws->Name(), meet::TeamSheetName(i));
    if (!ours)
      return meet::Refusal::Because("多出工作表“" + ws->Name() + "”（本次运动会只有工作表“1”到“" +
                                    meet::TeamSheetName(teams) + "”）。");
  }
  const int headingRow = meet::form::kHeadingRow;
  for (int i = 1; i <= teams; ++i) {
    const host::Worksheet& form = *registration.FindSheet(meet::TeamSheetName(i));
    const std::string where = "工作表“" + form.Name() + "”：";
    const int lastCol = std::max(LastUsedColumnOfRow(form, headingRow), lastEventCol);
    for (int c = 1; c <= lastCol; ++c) {
      const std::string got = form.ValueAt(headingRow, c).ToText();
      const std::string want = sample.ValueAt(headingRow, c).ToText();
      if (got != want)
        return meet::Refusal::Because(where + "第" + std::to_string(headingRow) + "行的表头与本次运动会的报名表不同：" +
                                      host::RelativeAddress(host::RangeRef{headingRow, c, headingRow, c}) + " 为“" +
                                      got + "”，应为“" + want + "”。");
    }
    const int closing = LastUsedRowOfColumn(form, 1);
    if (closing != meet::form::ClosingRow(rowsPerTeam))
      return meet::Refusal::Because(where + "报名表的结束行在第" + std::to_string(closing) + "行，应在第" +
                                    std::to_string(meet::form::ClosingRow(rowsPerTeam)) +
                                    "行（运动员行数与本次运动会的不同）。");
  }
  return {};
}

}  // namespace

void Import(shell::Program& program) {
  host::WorkbookHost& host = program.Host();
  shell::Ui& ui = program.ui();

  host::Workbook* meetBook = shell::RequireMeetWorkbook(program, shell::kTargetFileClosed);
  if (meetBook == nullptr) return;
  // The forms are read at the size the meet's team sheets were made with.
  const meet::Parameters parameters = meet::LoadParameters(*meetBook);
  if (meet::Refusal refused = parameters.Validate({.formSize = true}, text::kImportCommand)) {
    ui.MessageBox(refused.Message(), Icon::Exclamation);
    return;
  }

  ui.MessageBox(std::string(text::kPickImportFolder), Icon::Information);
  const std::string folder = shell::PathLocation(program);
  if (folder == shell::kPickerCancelled) return;

  const std::string path = (fs::path(folder) / (std::string(meet::kRegistrationWorkbookBaseName) +
                                                std::string(program.tables.extensions.meetWorkbook)))
                               .string();
  std::error_code ec;
  if (!fs::is_regular_file(path, ec)) {
    ui.MessageBox(text::SourceMissing(path), Icon::Information);
    return;
  }
  if (ui.MessageBox(std::string(text::kOverwriteQuestion), Icon::None, Buttons::YesNo) != Answer::Yes) return;

  meet::HostFlagsGuard flags(host);
  host.screenUpdating = false;

  // A file another program holds open may be half-saved by it: leave it alone.
  if (!host::ForeignLockFile(path).empty()) {
    ui.MessageBox(text::OpenElsewhere(path), Icon::Exclamation);
    return;
  }
  host::Workbook* opened = nullptr;
  bool openedHere = false;
  try {
    const int before = host.WorkbooksCount();
    opened = &host.Open(path);
    openedHere = host.WorkbooksCount() > before;
  } catch (const host::HostError& e) {
    ui.MessageBox(text::CannotRead(path, e.what()), Icon::Exclamation);
    return;
  }
  ReadOnlyBook registration(host, *opened, openedHere, *meetBook);

  const host::Worksheet& settings = meetBook->Sheet(std::string(meet::kSettingsSheet));
  const host::Worksheet& sample = meetBook->Sheet(std::string(meet::kFormSampleSheet));
  const long long teams =
      settings.ValueAt(meet::settings::TeamSheetCount.row, meet::settings::TeamSheetCount.col).ToWhole();
  const int lastEventCol = LastUsedColumnOfRow(sample, meet::form::kHeadingRow);
  const int rowsPerTeam = parameters.RowsPerTeam;

  const host::RangeRef area{meet::form::kFirstAthleteRow, meet::form::kAthleteNameCol,
                            meet::form::LastAthleteRow(rowsPerTeam), lastEventCol};
  const int teamCount = static_cast<int>(teams);
  if (rowsPerTeam <= 0 || lastEventCol < meet::form::kAthleteNameCol || teamCount <= 0) {
    ui.MessageBox(std::string(text::kWrongShape), Icon::Information);
    return;
  }

  // The returned forms must be the meet's forms, every one of them: a sheet
  // "1".."N" for each team and no other, the meet's headings in row 3, the
  // closing row (the last cell of column A) where the form size puts it.
  // Sheets are matched by name, so forms saved in another order still go to
  // their own team.
  if (meet::Refusal problem = FormShapeProblem(*registration, sample, teamCount, lastEventCol, rowsPerTeam)) {
    ui.MessageBox(text::WrongShape(problem.Message()), Icon::Information);
    return;
  }

  // Read every form and check every team sheet before the first value is
  // written, so a failure never leaves some teams imported and others not.
  std::vector<host::ValueGrid> entries;
  entries.reserve(static_cast<std::size_t>(teamCount));
  for (int i = 1; i <= teamCount; ++i) {
    host::Worksheet& form = *registration->FindSheet(meet::TeamSheetName(i));
    entries.push_back(host::Range(&form, area).Values());
    for (std::size_t r = 0; r < entries.back().size(); ++r)
      for (std::size_t c = 0; c < entries.back()[r].size(); ++c) {
        const host::CellValue& value = entries.back()[r][c];
        const int row = area.r1 + static_cast<int>(r), col = area.c1 + static_cast<int>(c);
        // Texts longer than the office programs hold would be cut by them; a
        // name from a formula is whatever the program that saved it computed
        // (or nothing at all), and an error value is no entry.
        std::string problem = host::CellContentProblem(value, true);
        if (problem.empty() && col == meet::form::kAthleteNameCol && !form.FormulaAt(row, col).empty())
          problem = "内容是公式，导入时不会采用公式的结果，请直接填写。";
        else if (problem.empty() && value.IsError())
          problem = "内容是错误值“" + std::string(host::ErrorText(value.Err())) + "”。";
        if (!problem.empty()) {
          const std::string cell = host::ColumnLetters(col) + std::to_string(row);
          ui.MessageBox(text::CannotRead(path, "工作表“" + form.Name() + "”单元格" + cell + "的" + problem),
                        Icon::Exclamation);
          return;
        }
      }
  }
  std::vector<host::Worksheet*> teamSheets;
  for (int i = 1; i <= teamCount; ++i) {
    host::Worksheet* sheet = meetBook->FindSheet(meet::TeamSheetName(i));
    try {
      if (sheet == nullptr) throw host::HostError("运动会工作簿中没有这张报名表。");
      sheet->CheckWritable(area);
      teamSheets.push_back(sheet);
    } catch (const host::HostError& e) {
      ui.MessageBox(text::NotWritable(sheet ? sheet->Name() : meet::TeamSheetName(i), e.what()), Icon::Exclamation);
      return;
    }
  }

  // Values only: a text such as "=HYPERLINK(...)" stays a text.
  for (int i = 0; i < teamCount; ++i) host::Range(teamSheets[i], area).SetLiterals(entries[i]);
}

}  // namespace korvane::files
