// The workbook host: the application object that owns the open workbooks and
// the flags the commands switch (screen updating, alerts, status bar).
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "host/style.h"
#include "host/workbook.h"

namespace korvane::host {

// How the host asks the user. The shell connects this to its Ui seam.
class HostPrompter {
 public:
  virtual ~HostPrompter() = default;
  // The application's confirmation before it deletes sheets. true = delete.
  virtual bool ConfirmSheetDeletion(const std::string& sheetNames) = 0;
};

// A print job handed to the printing layer.
struct PrintJob {
  std::string workbook;
  std::vector<std::string> sheets;
  int copies = 1;
  std::string document;  // what the job holds, named for its PDF ("报表"); the first sheet's name when not given
};

class PrintSink {
 public:
  virtual ~PrintSink() = default;
  // Prints one job. Throws what the printing layer cannot get past (a PDF
  // that cannot be written); printer trouble is the sink's to report.
  virtual void Print(Workbook& book, const std::vector<Worksheet*>& sheets, const PrintJob& job) = 0;
};

class WorkbookHost;

// The open workbooks as they were at one moment: what the host goes back to
// when a command fails part way (see WorkbookHost::Snapshot).
class HostSnapshot {
 public:
  HostSnapshot();
  ~HostSnapshot();
  HostSnapshot(HostSnapshot&&) noexcept;
  HostSnapshot& operator=(HostSnapshot&&) noexcept;

 private:
  friend class WorkbookHost;
  struct Entry {
    Workbook* original = nullptr;  // the object to put the copy back into while it is open
    std::unique_ptr<Workbook> copy;
  };
  std::vector<Entry> books_;
  int active_ = -1;
  int newBookCounter_ = 0;
};

class WorkbookHost {
 public:
  WorkbookHost();
  ~WorkbookHost();
  WorkbookHost(const WorkbookHost&) = delete;
  WorkbookHost& operator=(const WorkbookHost&) = delete;

  std::string Version() const { return "16.0"; }

  // Workbooks collection.
  int WorkbooksCount() const { return static_cast<int>(books_.size()); }
  Workbook& WorkbookAt(int index);  // 1-based
  std::vector<Workbook*> Workbooks() const;
  Workbook* FindWorkbook(const std::string& name) const;
  // A new workbook from a template file (a copy, named after the template
  // with a number, unsaved); empty path: a blank workbook with one sheet.
  Workbook& Add(const std::string& templatePath = "");
  // Opens a file. editable=true opens a template file itself (saving writes
  // back to the template); otherwise a template opens as a new copy like Add.
  Workbook& Open(const std::string& path, bool editable = false);
  // Closes a workbook; saveChanges=true saves it first.
  void Close(Workbook& book, bool saveChanges = false);
  void CloseAll();
  void Quit();

  Workbook* ActiveWorkbook() const;
  void Activate(Workbook& book);
  Worksheet* ActiveSheet() const;

  // Flags.
  bool visible = false;
  bool screenUpdating = true;
  bool displayAlerts = true;
  bool interactive = true;
  std::string statusBar;

  void SetPrompter(HostPrompter* p) { prompter_ = p; }
  HostPrompter* Prompter() const { return prompter_; }
  void SetPrintSink(PrintSink* s) { printSink_ = s; }
  // Prints sheets as one job. Jobs are recorded; a connected sink renders them.
  void PrintOut(Workbook& book, const std::vector<Worksheet*>& sheets, int copies = 1,
                const std::string& document = "");
  const std::vector<PrintJob>& PrintJobs() const { return printJobs_; }

  // WorksheetFunction and conversions.
  static double CentimetersToPoints(double cm) { return cm * 72.0 / 2.54; }
  static ValueGrid Transpose(const ValueGrid& grid);
  static long long CountIf(const ValueGrid& grid, const CellValue& criterion);
  // ExecuteExcel4Macro("get.document(50)"): printed pages of the active sheet.
  int ActiveSheetPageCount();

  const std::shared_ptr<SharedTables>& Tables() const { return tables_; }

  // A copy of every open workbook, and putting it back: workbooks opened
  // since are closed, closed ones come back, and the ones still open get
  // their old contents in place (pointers to them stay valid).
  HostSnapshot Snapshot() const;
  void Restore(HostSnapshot&& snapshot);

 private:
  std::shared_ptr<SharedTables> tables_;
  std::vector<std::unique_ptr<Workbook>> books_;
  int active_ = -1;
  int newBookCounter_ = 0;
  HostPrompter* prompter_ = nullptr;
  PrintSink* printSink_ = nullptr;
  std::vector<PrintJob> printJobs_;
};

}  // namespace korvane::host
