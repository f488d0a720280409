#include "shell/printing.h"

#include <filesystem>

#include "host/print/job.h"
#include "host/workbook.h"
#include "shell/program.h"

namespace korvane::shell {

std::string PrintPdfPath(const host::Workbook& book, const std::string& document, const std::string& defaultFolder) {
  namespace fs = std::filesystem;
  std::string folder = book.Path();
  if (folder.empty()) folder = defaultFolder;
  if (folder.empty()) folder = ".";
  return (fs::path(folder) / fs::path(document + ".pdf")).string();
}

std::string PrintedStatusText(const std::string& pdfPath, int pages, const std::string& printer) {
  return "已打印到 " + printer + "，共 " + std::to_string(pages) + " 页；PDF 保存在 " + pdfPath;
}

std::string NotSentStatusText(const std::string& pdfPath, int pages, const std::string& reason) {
  return "PDF 保存在 " + pdfPath + "，共 " + std::to_string(pages) + " 页；未送打印机：" + reason;
}

void PdfPrintSink::Print(host::Workbook& book, const std::vector<host::Worksheet*>& sheets, const host::PrintJob& job) {
  const std::vector<const host::Worksheet*> printed(sheets.begin(), sheets.end());
  const std::string path = PrintPdfPath(book, job.document, program_.defaultFolder);
  const host::print::JobResult result = host::print::PrintSheets(printed, path, job.document);
  Ui& ui = program_.ui();
  auto status = [&](const std::string& text) {
    if (program_.HasHost()) program_.Host().statusBar = text;
    ui.SetStatusBar(text);
  };
  if (result.pages == 0) {
    status(std::string(kNothingToPrint));
    return;
  }
  const auto& sp = result.spooling;
  status(sp.sent ? PrintedStatusText(result.pdfPath, result.pages, sp.printer)
                 : NotSentStatusText(result.pdfPath, result.pages, sp.reason));
  ui.PrintJobDone(result.pdfPath, result.pages, sp.sent ? sp.printer : std::string());
}

}  // namespace korvane::shell
