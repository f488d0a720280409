// Fuzz target of A1 addresses and sheet-name quoting: whatever parses as an
// address reads back the same from both its relative and absolute texts, and
// a valid sheet name quoted into "name!A1" splits back into the same name.
//
// Built by scripts/fuzz.sh, not by the default build.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "host/address.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace korvane::host;
  if (size > 4096) return 0;
  const std::string text(reinterpret_cast<const char*>(data), size);
  if (auto r = ParseA1(text)) {
    for (const std::string& again : {RelativeAddress(*r), AbsoluteAddress(*r)}) {
      auto back = ParseA1(again);
      if (!back || !(*back == *r)) {
        std::fprintf(stderr, "address %s does not read back\n", again.c_str());
        std::abort();
      }
    }
  }
  if (SheetNameProblem(text).empty()) {
    std::string sheet, address;
    SplitSheetRef(QuoteSheetName(text) + "!B7", sheet, address);
    if (sheet != text || address != "B7") {
      std::fprintf(stderr, "sheet name does not survive quoting\n");
      std::abort();
    }
  }
  std::string sheet, address;
  SplitSheetRef(text, sheet, address);
  (void)ColumnNumber(text);
  return 0;
}
