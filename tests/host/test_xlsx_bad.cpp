// Damaged, hostile and foreign files: the reader refuses them with a clear
// Chinese FileError, never crashes and never uses unbounded memory.
#include <gtest/gtest.h>

#include <cstring>

#include "host/application.h"
#include "host/errors.h"
#include "host/ooxml/xlsx.h"
#include "support/xlsx_package.h"

using namespace korvane::host;
using namespace korvane::host::ooxml;
using namespace korvane::host::testing_xlsx;

namespace {

std::string FileReadError(const std::string& path, const ReadLimits& limits = {}) {
  try {
    ReadWorkbookFile(path, std::make_shared<SharedTables>(), nullptr, limits);
  } catch (const FileError& e) {
    return e.what();
  }
  return "";
}

std::string Contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos ? "" : "“" + text + "” lacks “" + part + "”";
}

std::string GoodBytes() {
  WorkbookHost host;
  Workbook& wb = host.Add();
  for (int r = 1; r <= 200; ++r) wb.Sheet(1).PutValue(r, 1, "第" + std::to_string(r) + "行的一些文字");
  return WriteWorkbookBytes(wb, FileKind::Xlsx);
}

HandPackage OneSheet(const std::string& sheetXml, const std::string& name = "表") {
  HandPackage p;
  p.sheets = {{name, sheetXml}};
  return p;
}

}  // namespace

TEST(XlsxBadFiles, MissingNotAZipTruncatedOrEmpty) {
  ScratchDir dir;
  const std::string missing = dir / "不存在.xlsx";
  std::string e = FileReadError(missing);
  EXPECT_EQ(Contains(e, "不存在"), "");
  EXPECT_EQ(Contains(e, missing), "");

  WriteFile(dir / "text.xlsx", "这只是一个文本文件，不是工作簿。\n");
  EXPECT_EQ(Contains(FileReadError(dir / "text.xlsx"), "文件已损坏或不是Excel工作簿"), "");
  WriteFile(dir / "empty.xlsx", "");
  EXPECT_EQ(Contains(FileReadError(dir / "empty.xlsx"), "文件已损坏或不是Excel工作簿"), "");
  EXPECT_EQ(Contains(FileReadError(dir.Path().string()), "文件夹"), "");

  const std::string good = GoodBytes();
  for (std::size_t keep : {good.size() / 2, good.size() - 10, std::size_t{30}, std::size_t{4}}) {
    const std::string cut = good.substr(0, keep);
    EXPECT_EQ(Contains(ReadError(cut), "文件已损坏"), "") << keep;
    WriteFile(dir / "cut.xlsx", cut);
    EXPECT_EQ(Contains(FileReadError(dir / "cut.xlsx"), "文件已损坏"), "") << keep;
  }
  // Damage inside the compressed data of a part.
  std::string flipped = good;
  for (std::size_t i = 200; i < flipped.size() / 2; i += 97) flipped[i] = static_cast<char>(flipped[i] ^ 0x5A);
  EXPECT_NE(ReadError(flipped), "");
}

TEST(XlsxBadFiles, EncryptedWorkbooksAndOldFormatFiles) {
  std::string ole("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8);
  ole += std::string(4096, '\0');
  std::string e = ReadError(ole);
  EXPECT_EQ(Contains(e, "加密"), "");
  EXPECT_EQ(Contains(e, ".xls"), "");
  ScratchDir dir;
  WriteFile(dir / "加密.xlsx", ole);
  EXPECT_EQ(Contains(FileReadError(dir / "加密.xlsx"), "加密"), "");

  // A zip whose parts are encrypted with a password.
  std::string bytes = GoodBytes();
  zip_error_t err;
  zip_error_init(&err);
  zip_source_t* src = zip_source_buffer_create(nullptr, 0, 0, &err);
  zip_t* za = zip_open_from_source(src, ZIP_TRUNCATE, &err);
  ASSERT_NE(za, nullptr);
  zip_source_keep(src);
  auto parts = Unzip(bytes);
  for (const auto& [name, data] : parts) {
    zip_source_t* s = zip_source_buffer(za, data.data(), data.size(), 0);
    const zip_int64_t idx = zip_file_add(za, name.c_str(), s, 0);
    ASSERT_GE(idx, 0);
    ASSERT_EQ(zip_file_set_encryption(za, static_cast<zip_uint64_t>(idx), ZIP_EM_TRAD_PKWARE, "密码"), 0);
  }
  ASSERT_EQ(zip_close(za), 0);
  zip_source_open(src);
  zip_source_seek(src, 0, SEEK_END);
  std::string encrypted(static_cast<std::size_t>(zip_source_tell(src)), '\0');
  zip_source_seek(src, 0, SEEK_SET);
  zip_source_read(src, encrypted.data(), encrypted.size());
  zip_source_close(src);
  zip_source_free(src);
  EXPECT_EQ(Contains(ReadError(encrypted), "加密"), "");
}

TEST(XlsxBadFiles, ZipBombsStopAtTheLimitsCountingInflatedBytes) {
  // 12 MB of one letter deflates to a few kilobytes; two such parts.
  const std::string huge(12u << 20, 'a');
  HandPackage p = OneSheet(SheetXml("<row r=\"1\"><c r=\"A1\" t=\"inlineStr\"><is><t>" + huge + "</t></is></c></row>"));
  p.sharedStrings =
      "<?xml version=\"1.0\"?><sst xmlns=\"" + std::string(kMain) + "\"><si><t>" + huge + "</t></si></sst>";
  const std::string bomb = p.Bytes();
  ASSERT_LT(bomb.size(), 1u << 20);
  ReadLimits limits;
  limits.maxPartUncompressed = 8u << 20;
  EXPECT_EQ(Contains(ReadError(bomb, limits), "文件过大"), "");
  limits = ReadLimits{};
  limits.maxTotalUncompressed = 20u << 20;  // each part fits, both together do not
  EXPECT_EQ(Contains(ReadError(bomb, limits), "文件过大"), "");
  // Within the limits the same file reads.
  EXPECT_EQ(ReadError(bomb), "");

  // The central directory claims a tiny size: the limit still holds, since
  // what counts is what inflating produces.
  std::string lying = bomb;
  const std::string name = "xl/sharedStrings.xml";
  std::size_t pos = 0;
  int patched = 0;
  while ((pos = lying.find(name, pos)) != std::string::npos) {
    // Local header: sizes at -8 (uncompressed) before the name's length fields; central: at -22.
    const std::size_t local = pos - 30, central = pos - 46;
    const std::uint32_t small = 100;
    if (std::memcmp(lying.data() + local, "PK\x03\x04", 4) == 0) {
      std::memcpy(lying.data() + local + 22, &small, 4), ++patched;
    } else if (std::memcmp(lying.data() + central, "PK\x01\x02", 4) == 0) {
      std::memcpy(lying.data() + central + 24, &small, 4), ++patched;
    }
    pos += name.size();
  }
  ASSERT_EQ(patched, 2);
  limits = ReadLimits{};
  limits.maxPartUncompressed = 8u << 20;
  EXPECT_NE(ReadError(lying, limits), "");
  // A claimed size far above the real one must not make the reader reserve it.
  std::string boasting = GoodBytes();
  pos = boasting.find("xl/sharedStrings.xml");
  pos = boasting.find("xl/sharedStrings.xml", pos + 1);  // the central directory entry
  ASSERT_NE(pos, std::string::npos);
  const std::uint32_t claim = 0xFFFFFFF0u;
  std::memcpy(boasting.data() + pos - 46 + 24, &claim, 4);
  const std::string result = ReadError(boasting);  // damaged or read: either way no crash
  SUCCEED() << result;
}

TEST(XlsxBadFiles, DocumentTypeAndEntityDeclarationsAreRefused) {
  const std::string laughs =
      "<?xml version=\"1.0\"?><!DOCTYPE lolz [<!ENTITY lol \"lol\"><!ENTITY lol2 \"&lol;&lol;&lol;&lol;\">]>"
      "<worksheet xmlns=\"" +
      std::string(kMain) +
      "\"><sheetData><row r=\"1\"><c r=\"A1\" t=\"inlineStr\"><is>"
      "<t>&lol2;</t></is></c></row></sheetData></worksheet>";
  EXPECT_EQ(Contains(ReadError(OneSheet(laughs).Bytes()), "DOCTYPE"), "");
  const std::string external =
      "<?xml version=\"1.0\"?><!DOCTYPE x [<!ENTITY xxe SYSTEM \"file:///etc/passwd\">]><sst xmlns=\"" +
      std::string(kMain) + "\"><si><t>&xxe;</t></si></sst>";
  HandPackage p = OneSheet(SheetXml(""));
  p.sharedStrings = external;
  EXPECT_EQ(Contains(ReadError(p.Bytes()), "文件已损坏"), "");
  HandPackage q = OneSheet(SheetXml("<row r=\"1\"><c r=\"A1\"><v>1</v></c>"));  // unclosed row
  EXPECT_EQ(Contains(ReadError(q.Bytes()), "XML"), "");
}

TEST(XlsxBadFiles, PositionsBeyondTheGrid) {
  const std::string cases[] = {
      SheetXml("<row r=\"1048577\"><c><v>1</v></c></row>"),
      SheetXml("<row r=\"1\"><c r=\"XFE1\"><v>1</v></c></row>"),
      SheetXml("<row r=\"1\"><c r=\"A99999999999\"><v>1</v></c></row>"),
      SheetXml("", "", "<dimension ref=\"A1:XFE5\"/>"),
      SheetXml("", "", "<dimension ref=\"A1:B1048577\"/>"),
      SheetXml("", "", "<cols><col min=\"1\" max=\"16385\" width=\"9\"/></cols>"),
      SheetXml("", "<mergeCells count=\"1\"><mergeCell ref=\"A1:A1048577\"/></mergeCells>"),
      SheetXml("", "<rowBreaks count=\"1\"><brk id=\"2000000\" man=\"1\"/></rowBreaks>"),
      SheetXml("<row r=\"1\"><c r=\"XFD1\"><v>1</v></c><c><v>2</v></c></row>"),
  };
  for (const std::string& sheet : cases) {
    const std::string e = ReadError(OneSheet(sheet).Bytes());
    EXPECT_EQ(Contains(e, "超出范围"), "") << sheet;
  }
  // The last cell of the grid is fine.
  EXPECT_EQ(ReadError(OneSheet(SheetXml("<row r=\"1048576\"><c r=\"XFD1048576\"><v>1</v></c></row>")).Bytes()), "");
}

TEST(XlsxBadFiles, MissingWorkbookOrSheetParts) {
  auto parts = Unzip(GoodBytes());
  auto without = [&](const std::string& name) {
    auto copy = parts;
    copy.erase(name);
    return Zip(AsParts(copy));
  };
  EXPECT_EQ(Contains(ReadError(without("xl/workbook.xml")), "文件已损坏"), "");
  EXPECT_EQ(Contains(ReadError(without("xl/worksheets/sheet1.xml")), "文件已损坏"), "");
  // Without package relationships the conventional workbook part is used.
  EXPECT_EQ(ReadError(without("_rels/.rels")), "");
  EXPECT_EQ(ReadError(without("xl/sharedStrings.xml")).empty(), false);  // strings the cells refer to are gone

  HandPackage noSheets;
  EXPECT_EQ(Contains(ReadError(noSheets.Bytes()), "没有工作表"), "");
  HandPackage badRel = OneSheet(SheetXml(""));
  auto p2 = Unzip(badRel.Bytes());
  std::string& wb = p2["xl/workbook.xml"];
  wb.replace(wb.find("r:id=\"rId1\""), 11, "r:id=\"rId9\"");
  EXPECT_EQ(Contains(ReadError(Zip(AsParts(p2))), "文件已损坏"), "");
}

TEST(XlsxBadFiles, InvalidOrDuplicateSheetNames) {
  const std::string longName(32, 'x');
  for (const std::string& name : {longName, std::string("a[b]"), std::string("总:分"), std::string("问?"),
                                  std::string("a/b"), std::string("'引号'"), std::string("")}) {
    const std::string e = ReadError(OneSheet(SheetXml(""), name).Bytes());
    EXPECT_EQ(Contains(e, "工作表名称"), "") << name;
  }
  EXPECT_EQ(ReadError(OneSheet(SheetXml(""), std::string(31, 'x')).Bytes()), "");
  HandPackage twice;
  twice.sheets = {{"Data", SheetXml("")}, {"data", SheetXml("")}};
  EXPECT_EQ(Contains(ReadError(twice.Bytes()), "重复"), "");
}

TEST(XlsxBadFiles, ContentThatDoesNotFit) {
  // A shared string index past the table, a number that is no number, an unknown cell type.
  for (const std::string& row : {std::string("<row r=\"1\"><c r=\"A1\" t=\"s\"><v>5</v></c></row>"),
                                 std::string("<row r=\"1\"><c r=\"A1\" t=\"s\"><v>-1</v></c></row>"),
                                 std::string("<row r=\"1\"><c r=\"A1\"><v>12abc</v></c></row>"),
                                 std::string("<row r=\"1\"><c r=\"A1\" t=\"zz\"><v>1</v></c></row>"),
                                 std::string("<row r=\"x\"><c><v>1</v></c></row>"),
                                 std::string("<row r=\"1\"><c r=\"1A\"><v>1</v></c></row>")}) {
    HandPackage p = OneSheet(SheetXml(row));
    p.sharedStrings = "<?xml version=\"1.0\"?><sst xmlns=\"" + std::string(kMain) + "\"><si><t>a</t></si></sst>";
    EXPECT_EQ(Contains(ReadError(p.Bytes()), "文件已损坏"), "") << row;
  }
  // More cells than the limit allows.
  std::string rows;
  for (int r = 1; r <= 300; ++r) rows += "<row r=\"" + std::to_string(r) + "\"><c><v>1</v></c><c><v>2</v></c></row>";
  ReadLimits limits;
  // The sheet itself counts too, and each stored row as four cells.
  limits.maxCells = 1024 + 300 * 4 + 500;
  EXPECT_EQ(Contains(ReadError(OneSheet(SheetXml(rows)).Bytes(), limits), "文件过大"), "");
  limits.maxCells = 1024 + 300 * 4 + 600;
  EXPECT_EQ(ReadError(OneSheet(SheetXml(rows)).Bytes(), limits), "");
}

TEST(XlsxBadFiles, ThousandsOfSheetsStayBounded) {
  HandPackage p;
  // Every sheet counts against the cell budget with its fixed cost.
  for (int i = 0; i < 3000; ++i) p.sheets.emplace_back("s" + std::to_string(i), SheetXml(""));
  ReadLimits limits;
  limits.maxCells = 1'000'000;
  EXPECT_EQ(Contains(ReadError(p.Bytes(), limits), "文件过大"), "");
}
