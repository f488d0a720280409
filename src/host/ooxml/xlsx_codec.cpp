// The .xlsx codec for the sheet model, installed when this library is linked:
// the linker is told to keep this object (korvane_host_xlsx's link options in
// CMakeLists.txt), and its initialiser installs the codec before main runs.
#include "host/ooxml/xlsx.h"
#include "host/workbook_codec.h"

namespace korvane::host::ooxml {
namespace {

class Codec final : public WorkbookCodec {
 public:
  std::unique_ptr<Workbook> ReadFile(const std::string& path, std::shared_ptr<SharedTables> tables,
                                     WorkbookHost* host) const override {
    return ReadWorkbookFile(path, std::move(tables), host);
  }
  void WriteFile(const Workbook& book, const std::string& path, FileKind kind) const override {
    WriteWorkbookFile(book, path, kind);
  }
};

const Codec g_codec;

int Install() {
  InstallWorkbookCodec(g_codec);
  return 1;
}

}  // namespace
}  // namespace korvane::host::ooxml

// The symbol the linker is told to keep.
extern "C" {
extern const int korvane_host_xlsx_codec;
const int korvane_host_xlsx_codec = korvane::host::ooxml::Install();
}
