// Fuzz target of the document reader and the certificate edits: any bytes
// either read or end in a FileError/HostError; a document that reads can have
// a placeholder replaced by a merge field, a data source set and be written
// and read again. Nothing else may escape, crash or run away.
//
// Built by scripts/fuzz.sh, not by the default build; its seeds are the
// certificate templates the build generates (tests/fuzz/corpus/fuzz_docx).
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
