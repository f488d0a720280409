// The zip writer of saved workbooks: whatever the number of threads that
// compress, the archive is the same, every part reads back (through libzip)
// with its bytes, size and CRC, and the leading parts come first.
#include <gtest/gtest.h>
#include <zip.h>
#include <zlib.h>

#include <random>
#include <string>
#include <vector>

#include "host/ooxml/xlsx_internal.h"

using korvane::host::ooxml::ZipWriter;

namespace {

struct Part {
  std::string name;
  std::string data;
  bool first = false;
};

// Parts of every kind a workbook holds: empty, tiny, repetitive XML, noise
// that does not compress, large enough to keep the workers busy.
std::vector<Part> SampleParts() {
  std::vector<Part> parts;
  std::mt19937 rng(7);
  parts.push_back({"xl/empty.xml", "", false});
  for (int i = 0; i < 12; ++i) {
    std::string xml = "<sheetData>";
    for (int r = 0; r < 2000 * (i % 4 + 1); ++r)
      xml += "<row r=\"" + std::to_string(r + 1) + "\"><c r=\"A" + std::to_string(r + 1) + "\" t=\"s\"><v>" +
             std::to_string(rng() % 500) + "</v></c></row>";
    parts.push_back({"xl/worksheets/sheet" + std::to_string(i + 1) + ".xml", xml + "</sheetData>", false});
  }
  std::string noise(300000, '\0');
  for (char& c : noise) c = static_cast<char>(rng());
  parts.push_back({"xl/media/图片.bin", noise, false});
  parts.push_back({"[Content_Types].xml", "<Types/>", true});
  parts.push_back({"_rels/.rels", "<Relationships/>", true});
  return parts;
}

std::string Write(const std::vector<Part>& parts, int workers) {
  ZipWriter zip(6, workers);
  for (const Part& p : parts) zip.Add(p.name, std::string(p.data), p.first);
  return zip.Finish();
}

}  // namespace

TEST(ZipWriter, EveryThreadCountGivesTheSameArchiveThatReadsBackWhole) {
  const std::vector<Part> parts = SampleParts();
  const std::string archive = Write(parts, 0);
  for (int workers : {1, 3}) EXPECT_EQ(Write(parts, workers), archive) << workers << " workers";

  zip_error_t err;
  zip_error_init(&err);
  zip_source_t* src = zip_source_buffer_create(archive.data(), archive.size(), 0, &err);
  ASSERT_NE(src, nullptr);
  zip_t* za = zip_open_from_source(src, ZIP_RDONLY | ZIP_CHECKCONS, &err);
  ASSERT_NE(za, nullptr) << zip_error_strerror(&err);
  ASSERT_EQ(zip_get_num_entries(za, 0), static_cast<zip_int64_t>(parts.size()));

  // The leading parts first, then the others in the order they were added.
  std::vector<const Part*> order;
  for (const Part& p : parts)
    if (p.first) order.push_back(&p);
  for (const Part& p : parts)
    if (!p.first) order.push_back(&p);
  for (zip_uint64_t i = 0; i < order.size(); ++i) {
    const Part& p = *order[i];
    EXPECT_EQ(zip_get_name(za, i, ZIP_FL_ENC_RAW), p.name);
    zip_stat_t st;
    ASSERT_EQ(zip_stat_index(za, i, 0, &st), 0);
    EXPECT_EQ(st.size, p.data.size()) << p.name;
    EXPECT_EQ(st.comp_method, ZIP_CM_DEFLATE) << p.name;
    EXPECT_EQ(st.crc, crc32(0, reinterpret_cast<const Bytef*>(p.data.data()), static_cast<uInt>(p.data.size())))
        << p.name;
    zip_file_t* f = zip_fopen_index(za, i, 0);
    ASSERT_NE(f, nullptr) << p.name;
    std::string back(p.data.size() + 1, '\0');
    const zip_int64_t n = zip_fread(f, back.data(), back.size());
    zip_fclose(f);
    ASSERT_EQ(n, static_cast<zip_int64_t>(p.data.size())) << p.name;
    back.resize(static_cast<std::size_t>(n));
    EXPECT_TRUE(back == p.data) << p.name;
  }
  zip_discard(za);
  zip_error_fini(&err);
}
