#include "host/workbook_codec.h"

#include <stdexcept>

namespace korvane::host {

namespace {
const WorkbookCodec* g_codec = nullptr;
}  // namespace

const WorkbookCodec& WorkbookFiles() {
  if (!g_codec) throw std::logic_error("no workbook file format: the program does not link the .xlsx layer");
  return *g_codec;
}

void InstallWorkbookCodec(const WorkbookCodec& codec) { g_codec = &codec; }

}  // namespace korvane::host
