// Workbook files on disk: reading, and saving through the host's atomic
// file writer.
#include <filesystem>

#include "host/file_save.h"
#include "host/ooxml/xlsx_internal.h"

namespace korvane::host::ooxml {

namespace fs = std::filesystem;

std::unique_ptr<Workbook> ReadWorkbookFile(const std::string& path, std::shared_ptr<SharedTables> tables,
                                           WorkbookHost* host, const ReadLimits& limits) {
  ooxml::ReadContext ctx(path);
  try {
    ooxml::ZipReader zip(path, true, ctx, limits);
    auto book = ooxml::ReadPackage(zip, ctx, std::move(tables), host, limits);
    std::error_code ec;
    fs::path full = fs::absolute(fs::path(path), ec);
    if (ec) full = fs::path(path);
    book->SetFileIdentity(full.parent_path().string(), full.filename().string());
    // The extension decides the kind: it is what the applications check the
    // content type against when the file is saved again.
    book->SetKind(FileKindFromExtension(path));
    book->SetSaved(true);
    return book;
  } catch (...) {
    ctx.ReportCurrentException();
  }
}

void WriteWorkbookFile(const Workbook& book, const std::string& path, FileKind kind) {
  const std::string lock = ForeignLockFile(path);
  if (!lock.empty()) {
    throw FileError("文件“" + path + "”正被其他程序打开，请先在该程序中关闭它。（发现锁定文件“" +
                    fs::path(lock).filename().string() +
                    "”；如果确认没有程序在使用该文件，可以删除这个锁定文件后再保存。）");
  }
  const std::string bytes = WriteWorkbookBytes(book, kind);
  WriteFileAtomically(path, bytes);
}

}  // namespace korvane::host::ooxml
