// The program's printer: every print job of the host becomes a PDF in the
// folder of the workbook printed (the default folder for a workbook never
// saved) under the job's document name, and goes on to the system's printer
// (see host/print/job.h for KORVANE_PRINTER). The status bar says where the
// PDF is and whether a printer took it.
#pragma once

#include <string>

#include "host/application.h"

namespace korvane::shell {

class Program;

class PdfPrintSink : public host::PrintSink {
 public:
  explicit PdfPrintSink(Program& program) : program_(program) {}
  // Throws host::print::PrintError when the PDF cannot be written.
  void Print(host::Workbook& book, const std::vector<host::Worksheet*>& sheets, const host::PrintJob& job) override;

 private:
  Program& program_;
};

// The PDF a job of `document` from `book` is written to.
std::string PrintPdfPath(const host::Workbook& book, const std::string& document, const std::string& defaultFolder);

// Status-bar texts of a finished job.
std::string PrintedStatusText(const std::string& pdfPath, int pages, const std::string& printer);
std::string NotSentStatusText(const std::string& pdfPath, int pages, const std::string& reason);
inline constexpr std::string_view kNothingToPrint = "没有可打印的内容";

}  // namespace korvane::shell
