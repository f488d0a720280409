// Print jobs: sheets rendered to a PDF that is kept beside the workbook, then
// sent to the system's printer (CUPS) when there is one.
//
// KORVANE_PRINTER chooses the printer: unset or empty, the system's default
// printer; "none", no printer at all (tests, the demo); any other value, the
// CUPS queue of that name.
#pragma once

#include <string>
#include <vector>

#include "host/print/pdf.h"

namespace korvane::host {
class Worksheet;
}

namespace korvane::host::print {

// What happened to a job's printer step.
struct Spooling {
  bool sent = false;
  std::string printer;  // the queue the job went to (also when it refused the job)
  std::string reason;   // why it was not sent (Chinese, for the status bar); empty when sent
};

struct JobResult {
  std::string pdfPath;  // the PDF written; empty when nothing printed
  int pages = 0;        // pages of the PDF
  Spooling spooling;
};

// Renders the sheets, in order, as one PDF at `pdfPath` (replacing the file of
// that name only once the new one is complete), then sends it to the printer,
// one copy, titled `title`. Sheets of which nothing prints add no page; when
// nothing prints at all no file is written and nothing is sent (pages 0).
// Throws PrintError, naming the file, when the PDF cannot be written. A
// missing CUPS server, no default printer or a refused job are not errors:
// they are reported in `spooling`.
JobResult PrintSheets(const std::vector<const Worksheet*>& sheets, const std::string& pdfPath,
                      const std::string& title);

// Sends a finished PDF to the printer chosen as above, one copy.
Spooling SendToPrinter(const std::string& pdfPath, const std::string& title);

}  // namespace korvane::host::print
