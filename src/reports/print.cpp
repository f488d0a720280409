#include "reports/print.h"

#include <algorithm>
#include <filesystem>

#include "host/errors.h"
#include "host/print/pdf.h"
#include "host/workbook.h"
#include "host/worksheet.h"
#include "meet/layout.h"
#include "shell/clock.h"

namespace korvane::reports {

using shell::Answer;
using shell::Buttons;
using shell::Icon;

namespace {

// Puts ScreenUpdating back when the command ends, however it ends.
class ScreenUpdatingOff {
 public:
  explicit ScreenUpdatingOff(host::WorkbookHost& host) : host_(host) { host_.screenUpdating = false; }
  ~ScreenUpdatingOff() { host_.screenUpdating = true; }
  ScreenUpdatingOff(const ScreenUpdatingOff&) = delete;
  ScreenUpdatingOff& operator=(const ScreenUpdatingOff&) = delete;

 private:
  host::WorkbookHost& host_;
};

bool Confirm(shell::Program& program, std::string_view question) {
  return program.ui().MessageBox(std::string(question), Icon::Question, Buttons::YesNo) == Answer::Yes;
}

// One print job. A PDF that cannot be written is told to the user; the
// command goes on with its remaining steps.
void PrintJob(shell::Program& program, host::Workbook& book, const std::vector<std::string_view>& names,
              std::string_view document) {
  std::vector<host::Worksheet*> sheets;
  for (std::string_view n : names) sheets.push_back(&book.Sheet(std::string(n)));
  try {
    program.Host().PrintOut(book, sheets, 1, std::string(document));
  } catch (const host::print::PrintError& e) {
    program.ui().MessageBox(e.what(), Icon::Exclamation);
  }
}

bool StartsWith(std::string_view s, std::string_view prefix) { return s.substr(0, prefix.size()) == prefix; }

void PrintSchedule(shell::Program& program, host::Workbook& book) {
  PrintJob(program, book, {kTrackSheet, kFieldSheet}, kScheduleDocument);
}

}  // namespace

void MyPrint1(shell::Program& program) {
  host::Workbook* book = shell::RequireMeetWorkbook(program);
  if (!book) return;
  host::WorkbookHost& host = program.Host();
  ScreenUpdatingOff screen(host);
  book->Unprotect();
  host::Worksheet& form = book->Sheet(std::string(meet::kFormSampleSheet));
  // The form is hidden and the structure protected again however the command ends.
  struct Restore {
    host::Workbook& book;
    host::Worksheet& form;
    ~Restore() {
      form.SetVisible(false);
      book.Protect(true, true);
    }
  } restore{*book, form};
  form.SetVisible(true);
  form.Select();
  if (host.ActiveSheetPageCount() == 1) {
    if (Confirm(program, kReadyToPrintForm)) PrintJob(program, *book, {meet::kFormSampleSheet}, meet::kFormSampleSheet);
  } else {
    program.ui().MessageBox(std::string(kFormTooWideToPrint), Icon::Exclamation);
  }
}

void MyPrint2(shell::Program& program) {
  host::Workbook* book = shell::RequireMeetWorkbook(program);
  if (!book) return;
  if (!Confirm(program, kReadyToPrint)) return;
  PrintJob(program, *book, {meet::kNumberReportSheet, meet::kRosterReportSheet}, kReportsDocument);
  book->Sheet(std::string(meet::kNumberReportSheet)).Select();
}

void MyPrint3(shell::Program& program) {
  host::Workbook* book = shell::RequireMeetWorkbook(program);
  if (!book) return;
  if (!Confirm(program, kReadyToPrint)) return;
  PrintJob(program, *book,
           {meet::kStartFinishSheet, meet::kHeightRecordSheet, meet::kDistanceRecordSheet, meet::kOtherRecordSheet},
           kRecordSheetsDocument);
  book->Sheet(std::string(meet::kStartFinishSheet)).Select();
}

std::string NewestScheduleFile(const std::vector<std::string>& fileNames, std::string_view extension, int currentYear) {
  const std::string* chosen = nullptr;
  meet::DatedName best;
  for (const std::string& name : fileNames) {
    const meet::DatedName d = meet::MatchDatedFileName(meet::kScheduleWorkbookPrefix, name, extension);
    if (d.match != meet::DatedNameMatch::Match) continue;
    if (!chosen || meet::IsMoreRecent(d, best)) {
      chosen = &name;
      best = d;
    }
  }
  if (!chosen || static_cast<int>(best.date.year()) != currentYear) return {};
  return *chosen;
}

void MyPrint4(shell::Program& program) {
  host::WorkbookHost& host = program.Host();
  ScreenUpdatingOff screen(host);
  if (host.WorkbooksCount() == 0) {
    program.ui().MessageBox(std::string(shell::kFileClosed), Icon::Information);
    shell::ResetForm(program);
    return;
  }
  for (host::Workbook* book : host.Workbooks()) {
    if (StartsWith(book->Name(), kScheduleBookPrefix)) {
      PrintSchedule(program, *book);
      return;
    }
  }
  namespace fs = std::filesystem;
  std::vector<std::string> names;
  std::error_code ec;
  if (!program.defaultFolder.empty()) {
    for (fs::directory_iterator it(fs::path(program.defaultFolder), ec), end; !ec && it != end; it.increment(ec)) {
      names.push_back(it->path().filename().string());
    }
  }
  const std::string file = NewestScheduleFile(names, program.tables.extensions[2], shell::Now().year);
  if (file.empty()) {
    program.ui().MessageBox(std::string(kScheduleMissing), Icon::None);
    return;
  }
  host::Workbook& book = host.Open((fs::path(program.defaultFolder) / fs::path(file)).string());
  struct CloseUnsaved {
    host::WorkbookHost& host;
    host::Workbook& book;
    ~CloseUnsaved() { host.Close(book, /*saveChanges=*/false); }
  } closer{host, book};
  PrintSchedule(program, book);
}

}  // namespace korvane::reports
