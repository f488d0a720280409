// Reading and writing Office Open XML workbooks (.xlsx, .xlsm, .xltx, .xltm).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "host/workbook.h"

namespace korvane::host {
class WorkbookHost;
}  // namespace korvane::host

namespace korvane::host::ooxml {

// What reading a file may cost, whatever the file claims. Beyond them the
// file is refused as "文件过大". Worksheets are streamed, so their size costs
// time, not memory; memory is bounded by the cell budget (about 50 bytes a
// cell, a stored row counting as four cells, each sheet as 1024) and by the
// size of the parts read as a whole (workbook, styles, shared strings).
// A meet or registration workbook holds well under a million cells.
struct ReadLimits {
  std::uint64_t maxTotalUncompressed = 2ull << 30;      // all parts together
  std::uint64_t maxPartUncompressed = 1ull << 30;       // one worksheet part
  std::uint64_t maxTreePartUncompressed = 64ull << 20;  // one part read as a whole
  std::uint64_t maxCells = 5'000'000;
};

// Reads a workbook file. Throws FileError with a clear Chinese message for a
// file that is missing, not a workbook, encrypted, damaged or too large.
std::unique_ptr<Workbook> ReadWorkbookFile(const std::string& path, std::shared_ptr<SharedTables> tables,
                                           WorkbookHost* host = nullptr, const ReadLimits& limits = {});
std::unique_ptr<Workbook> ReadWorkbookBytes(const std::string& bytes, std::shared_ptr<SharedTables> tables,
                                            WorkbookHost* host = nullptr, const ReadLimits& limits = {});

// Serialises a workbook as a package of the given kind.
std::string WriteWorkbookBytes(const Workbook& book, FileKind kind);
// Writes atomically: temporary file in the same folder, flush, rename over the
// target. Refuses (FileError) when another program holds the file open (its
// lock file is beside it); the target is then untouched.
void WriteWorkbookFile(const Workbook& book, const std::string& path, FileKind kind);

}  // namespace korvane::host::ooxml
