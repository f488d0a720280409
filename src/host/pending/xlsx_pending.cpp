// Temporary fallback while the xlsx codec is being written; removed when it lands.
#include "host/errors.h"
#include "host/xlsx.h"
namespace korvane::host {
std::unique_ptr<Workbook> ReadWorkbookFile(const std::string&, std::shared_ptr<SharedTables>, WorkbookHost*, const ReadLimits&) { throw FileError("pending"); }
std::unique_ptr<Workbook> ReadWorkbookBytes(const std::string&, std::shared_ptr<SharedTables>, WorkbookHost*, const ReadLimits&) { throw FileError("pending"); }
std::string WriteWorkbookBytes(const Workbook&, FileKind) { throw FileError("pending"); }
void WriteWorkbookFile(const Workbook&, const std::string&, FileKind) { throw FileError("pending"); }
std::string ForeignLockFile(const std::string&) { return {}; }
void WriteFileAtomically(const std::string&, const std::string&) { throw FileError("pending"); }
}
