#include "host/print/job.h"

#include <cups/cups.h>

#include <cstdlib>
#include <string_view>

#include "host/print/sheet_pdf.h"

namespace korvane::host::print {

namespace {

constexpr std::string_view kNoPrinterWanted = "none";

std::string PrinterChoice() {
  const char* env = std::getenv("KORVANE_PRINTER");
  return env ? std::string(env) : std::string();
}

}  // namespace

Spooling SendToPrinter(const std::string& pdfPath, const std::string& title) {
  Spooling s;
  std::string printer = PrinterChoice();
  if (printer == kNoPrinterWanted) {
    s.reason = "未设置打印机";
    return s;
  }
  if (printer.empty()) {
    cups_dest_t* dest = cupsGetNamedDest(CUPS_HTTP_DEFAULT, nullptr, nullptr);
    if (!dest) {
      s.reason = "没有默认打印机";
      return s;
    }
    printer = dest->name;
    cupsFreeDests(1, dest);
  }
  s.printer = printer;
  cups_option_t* options = nullptr;
  int count = cupsAddOption("copies", "1", 0, &options);
  const int job = cupsPrintFile2(CUPS_HTTP_DEFAULT, printer.c_str(), pdfPath.c_str(), title.c_str(), count, options);
  cupsFreeOptions(count, options);
  if (job <= 0) {
    const char* why = cupsLastErrorString();
    s.reason = "打印机 " + printer + " 未接受打印任务" + (why && *why ? std::string("（") + why + "）" : std::string());
    return s;
  }
  s.sent = true;
  return s;
}

JobResult PrintSheets(const std::vector<const Worksheet*>& sheets, const std::string& pdfPath,
                      const std::string& title) {
  JobResult result;
  if (PrintedPageCount(sheets) == 0) return result;
  PdfDocument doc(pdfPath, title);
  result.pages = RenderSheets(sheets, doc);
  doc.Close();
  result.pdfPath = pdfPath;
  result.spooling = SendToPrinter(pdfPath, title);
  return result;
}

}  // namespace korvane::host::print
