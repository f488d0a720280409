// How the sheet model reads and writes workbook files. The file format lives
// in the layer above (host/ooxml/), which builds workbooks of this model; the
// host's Open, Add from a template, Save and SaveAs reach it through this
// seam. That layer installs its codec when its library is linked
// (CMakeLists.txt makes the linker keep the installing object).
#pragma once

#include <memory>
#include <string>

#include "host/workbook.h"

namespace korvane::host {

class WorkbookHost;

class WorkbookCodec {
 public:
  virtual ~WorkbookCodec() = default;
  // Reads a workbook file. Throws FileError with a message for the user for
  // a file that is missing, not a workbook, damaged or too large.
  virtual std::unique_ptr<Workbook> ReadFile(const std::string& path, std::shared_ptr<SharedTables> tables,
                                             WorkbookHost* host) const = 0;
  // Writes atomically; the target is untouched when writing fails.
  virtual void WriteFile(const Workbook& book, const std::string& path, FileKind kind) const = 0;
};

// The installed codec. Throws std::logic_error when the program links no
// file format.
const WorkbookCodec& WorkbookFiles();
void InstallWorkbookCodec(const WorkbookCodec& codec);

}  // namespace korvane::host
