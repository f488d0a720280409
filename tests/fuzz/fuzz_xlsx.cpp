// Fuzz target of the workbook reader. The input is a list of package parts
// (see parts_input.h), zipped with correct checksums, so that mutations reach
// the XML readers rather than stopping at the zip layer. Whatever the parts
// hold, reading ends in a workbook or a FileError/HostError; a workbook read
// is saved, read again and saved again, and the two saves must be the same
// bytes (nothing changes on a second save). The clock of the document
// properties is fixed: their modification time is the one thing a later
// save may rightly change.
//
// Built by scripts/fuzz.sh, not by the default build.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "host/errors.h"
#include "host/ooxml/xlsx.h"
#include "host/ooxml/xlsx_internal.h"
#include "support/parts_input.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  setenv("KORVANE_NOW", "2026-03-01T08:00:00", 1);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace korvane::host;
  using namespace korvane::host::ooxml;
  const auto parts = korvane::fuzz::SplitParts(std::string_view(reinterpret_cast<const char*>(data), size));
  if (parts.empty()) return 0;
  ooxml::ZipWriter zip(1);
  for (const auto& [name, bytes] : parts) zip.Add(name, bytes);
  const std::string file = zip.Finish();
  ReadLimits limits;
  limits.maxTotalUncompressed = 64u << 20;
  limits.maxPartUncompressed = 32u << 20;
  limits.maxCells = 500'000;
  std::unique_ptr<Workbook> book;
  try {
    book = ReadWorkbookBytes(file, std::make_shared<SharedTables>(), nullptr, limits);
  } catch (const HostError&) {
    return 0;
  }
  const std::string first = WriteWorkbookBytes(*book, FileKind::Xlsx);
  std::unique_ptr<Workbook> again;
  try {
    again = ReadWorkbookBytes(first, std::make_shared<SharedTables>(), nullptr, limits);
  } catch (const HostError& e) {
    std::fprintf(stderr, "our own file does not read back: %s\n", e.what());
    std::abort();
  }
  if (WriteWorkbookBytes(*again, FileKind::Xlsx) != first) {
    std::fprintf(stderr, "a second save changed the file\n");
    std::abort();
  }
  return 0;
}
