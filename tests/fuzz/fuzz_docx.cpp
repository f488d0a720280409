// Fuzz target of the document reader and the certificate edits: any bytes
// either read or end in a FileError/HostError; a document that reads can have
// a placeholder replaced by a merge field, a data source set and be written
// and read again. Nothing else may escape, crash or run away.
//
// Not part of the default build (it needs clang's libFuzzer). Build and run:
//   clang++ -std=c++20 -g -O1 -fsanitize=fuzzer,address,undefined -I src \
//     tests/fuzz/fuzz_docx.cpp src/host/*.cpp src/host/docx/*.cpp $(pkg-config --cflags --libs libzip) \
//     -lpugixml -lz -o /tmp/fuzz_docx
//   mkdir -p /tmp/docx-corpus && cp build/share/korvane/prize/*.docx /tmp/docx-corpus/
//   /tmp/fuzz_docx /tmp/docx-corpus -max_len=200000 -rss_limit_mb=2048
#include <cstddef>
#include <cstdint>
#include <string>

#include "host/docx/document.h"
#include "host/errors.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace korvane::host;
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  docx::DocumentLimits limits;
  limits.bytes.maxTotalUncompressed = 64u << 20;
  limits.bytes.maxPartUncompressed = 32u << 20;
  try {
    docx::Document doc = docx::Document::FromBytes(bytes, limits);
    for (const char* heading : {"年级", "名次"})
      if (auto found = doc.Find(std::string("《") + heading + "》")) doc.InsertMergeField(doc.Delete(*found), heading);
    doc.SetMailMergeSource("/tmp/奖项设置.xlsx", "SELECT * FROM `单项奖$`");
    docx::Document again = docx::Document::FromBytes(doc.ToBytes(), limits);
    (void)again.MergeFields();
    (void)again.MailMerge();
  } catch (const FileError&) {
  } catch (const HostError&) {
  }
  return 0;
}
