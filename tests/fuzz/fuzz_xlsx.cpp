// Fuzz target of the workbook reader: any bytes either read or end in a
// FileError/HostError; nothing else may escape, crash or run away.
//
// Not part of the default build (it needs clang's libFuzzer). Build and run:
//   clang++ -std=c++20 -g -O1 -fsanitize=fuzzer,address,undefined -I src \
//     tests/fuzz/fuzz_xlsx.cpp src/host/*.cpp $(pkg-config --cflags --libs libzip) -lpugixml -lz \
//     -o /tmp/fuzz_xlsx
//   mkdir -p /tmp/fuzz-corpus && cp some/*.xlsx /tmp/fuzz-corpus/
//   /tmp/fuzz_xlsx /tmp/fuzz-corpus -max_len=200000 -rss_limit_mb=2048
// (src/host/*.cpp is the host library; its files have no main().)
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "host/errors.h"
#include "host/xlsx.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace korvane::host;
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  ReadLimits limits;
  limits.maxTotalUncompressed = 64u << 20;
  limits.maxPartUncompressed = 32u << 20;
  limits.maxCells = 2'000'000;
  try {
    auto book = ReadWorkbookBytes(bytes, std::make_shared<SharedTables>(), nullptr, limits);
    // What was read can be written again.
    (void)WriteWorkbookBytes(*book, FileKind::Xlsx);
  } catch (const FileError&) {
  } catch (const HostError&) {
  }
  return 0;
}
