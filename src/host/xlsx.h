// Reading and writing Office Open XML workbooks (.xlsx, .xlsm, .xltx, .xltm).
#pragma once

#include <memory>
#include <string>

#include "host/workbook.h"

namespace korvane::host {

class WorkbookHost;

struct ReadLimits {
  std::uint64_t maxTotalUncompressed = 1ull << 30;  // all parts together
  std::uint64_t maxPartUncompressed = 512ull << 20;
  std::uint64_t maxCells = 50'000'000;
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

// The lock file of another program beside `path` ("~$name", ".~lock.name#"),
// or "" when there is none.
std::string ForeignLockFile(const std::string& path);

// Writes bytes to a file atomically (shared with the other document writers).
void WriteFileAtomically(const std::string& path, const std::string& bytes);

}  // namespace korvane::host
