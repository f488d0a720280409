// 导入报名数据: the entries the teams made in the registration workbook are
// copied into the meet workbook's team sheets, all of them or none.
#include <system_error>
#include <vector>

#include "files/files.h"
#include "files/host_flags.h"
#include "host/errors.h"
#include "host/meet_layout.h"
#include "host/range.h"
#include "host/workbook.h"
#include "host/worksheet.h"
#include "host/xlsx.h"

namespace korvane::files {

namespace fs = std::filesystem;
namespace meet = host::meet;
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

}  // namespace

void Import(shell::Program& program) {
  host::WorkbookHost& host = program.Host();
  shell::Ui& ui = program.ui();

  host::Workbook* meetBook = shell::RequireMeetWorkbook(program, shell::kTargetFileClosed);
  if (meetBook == nullptr) return;

  ui.MessageBox(std::string(text::kPickImportFolder), Icon::Information);
  const std::string folder = shell::PathLocation(program);
  if (folder == shell::kPickerCancelled) return;

  const std::string path = (fs::path(folder) / (std::string(meet::kRegistrationWorkbookBaseName) +
                                                std::string(program.tables.extensions.meetWorkbook)))
                               .string();
  program.workPath = path;
  std::error_code ec;
  if (!fs::is_regular_file(path, ec)) {
    ui.MessageBox(text::SourceMissing(path), Icon::Information);
    return;
  }
  if (ui.MessageBox(std::string(text::kOverwriteQuestion), Icon::None, Buttons::YesNo) != Answer::Yes) return;

  HostFlagsGuard flags(host);
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
  const long long teams = settings.ValueAt(meet::settings::TeamSheetCount.row, meet::settings::TeamSheetCount.col)
                              .ToWhole();
  const int lastEventCol = LastUsedColumnOfRow(sample, meet::form::kHeadingRow);
  const int rowsPerTeam = program.tables.parameters.RowsPerTeam;

  // The returned forms must be the meet's forms: one sheet per team, the same
  // events, the same number of athlete rows (the closing row is the last cell
  // of column A).
  const host::Worksheet& firstForm = registration->Sheet(1);
  const bool sameShape = rowsPerTeam > 0 && lastEventCol >= meet::form::kAthleteNameCol &&
                         registration->Count() == teams &&
                         LastUsedColumnOfRow(firstForm, meet::form::kHeadingRow) == lastEventCol &&
                         LastUsedRowOfColumn(firstForm, 1) == meet::form::ClosingRow(rowsPerTeam);
  if (!sameShape) {
    ui.MessageBox(std::string(text::kWrongShape), Icon::Information);
    return;
  }

  const host::RangeRef area{meet::form::kFirstAthleteRow, meet::form::kAthleteNameCol,
                            meet::form::LastAthleteRow(rowsPerTeam), lastEventCol};
  const int teamCount = static_cast<int>(teams);

  // Read every form and check every team sheet before the first value is
  // written, so a failure never leaves some teams imported and others not.
  std::vector<host::ValueGrid> entries;
  entries.reserve(static_cast<std::size_t>(teamCount));
  for (int i = 1; i <= teamCount; ++i) {
    host::Worksheet& form = registration->Sheet(i);
    entries.push_back(host::Range(&form, area).Values());
  }
  std::vector<host::Worksheet*> teamSheets;
  for (int i = 1; i <= teamCount; ++i) {
    host::Worksheet* sheet = i <= meetBook->Count() ? &meetBook->Sheet(i) : nullptr;
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
