// A workbook saved, read back and saved again: the second file holds what the
// first held. Only the modification time of the document properties follows
// the clock; the creation time stays that of the file that was read (it used
// to be replaced by every save, so two saves on either side of a clock tick
// differed).
#include <gtest/gtest.h>

#include <cstdlib>

#include <pugixml.hpp>

#include "host/application.h"
#include "host/ooxml/xlsx.h"
#include "support/parts_input.h"
#include "support/xlsx_package.h"

using namespace korvane::host;
using namespace korvane::host::ooxml;
using namespace korvane::host::testing_xlsx;

namespace {

// Sets the clock of the document properties for the scope.
class Clock {
 public:
  explicit Clock(const char* iso) {
    if (const char* old = std::getenv("KORVANE_NOW")) old_ = old, had_ = true;
    Set(iso);
  }
  ~Clock() {
    if (had_)
      setenv("KORVANE_NOW", old_.c_str(), 1);
    else
      unsetenv("KORVANE_NOW");
  }
  void Set(const char* iso) { setenv("KORVANE_NOW", iso, 1); }

 private:
  std::string old_;
  bool had_ = false;
};

std::string CoreTime(const std::string& package, const char* element) {
  const std::string core = Unzip(package).at("docProps/core.xml");
  pugi::xml_document doc;
  doc.load_string(core.c_str());
  return doc.document_element().child(element).text().get();
}

std::unique_ptr<Workbook> Read(const std::string& bytes) {
  return ReadWorkbookBytes(bytes, std::make_shared<SharedTables>());
}

// Saves `bytes` read as a workbook at 08:00:00, reads that back and saves it
// at 08:00:01, then once more at 08:00:01.
struct ThreeSaves {
  std::string first, second, third;
  explicit ThreeSaves(const std::string& bytes) {
    Clock clock("2026-03-01T08:00:00");
    first = WriteWorkbookBytes(*Read(bytes), FileKind::Xlsx);
    clock.Set("2026-03-01T08:00:01");
    second = WriteWorkbookBytes(*Read(first), FileKind::Xlsx);
    third = WriteWorkbookBytes(*Read(second), FileKind::Xlsx);
  }
};

void ExpectSameExceptModified(const std::string& a, const std::string& b) {
  auto pa = Unzip(a), pb = Unzip(b);
  ASSERT_EQ(pa.size(), pb.size());
  for (const auto& [name, text] : pa) {
    if (name == "docProps/core.xml") continue;
    EXPECT_EQ(text, pb.at(name)) << name;
  }
  EXPECT_EQ(CoreTime(a, "dcterms:created"), CoreTime(b, "dcterms:created"));
}

}  // namespace

// The input the fuzz target reported (a schedule workbook with one byte
// changed): the second save differed whenever the clock ticked between the
// saves.
TEST(XlsxSecondSave, TheFuzzFindingReadsAndSavesTheSameAcrossAClockTick) {
  const std::string input = ReadFile(std::string(KORVANE_TEST_DIR) + "/fuzz/corpus/fuzz_xlsx/second_save_clock");
  ASSERT_FALSE(input.empty());
  const auto parts = korvane::fuzz::SplitParts(input);
  ASSERT_FALSE(parts.empty());
  const ThreeSaves saves(Zip(parts));
  ExpectSameExceptModified(saves.first, saves.second);
  EXPECT_EQ(saves.second, saves.third);
  EXPECT_EQ(CoreTime(saves.second, "dcterms:modified"), "2026-03-01T08:00:01Z");
}

TEST(XlsxSecondSave, ANewWorkbookIsCreatedAtItsFirstSaveAndKeepsThatTime) {
  WorkbookHost host;
  Workbook& wb = host.Add();
  wb.Sheet(1).PutValue(1, 1, "一年级");
  std::string bytes;
  {
    Clock clock("2026-02-01T09:30:00");
    bytes = WriteWorkbookBytes(wb, FileKind::Xlsx);
  }
  const ThreeSaves saves(bytes);
  EXPECT_EQ(CoreTime(saves.third, "dcterms:created"), "2026-02-01T09:30:00Z");
  EXPECT_EQ(CoreTime(saves.third, "dcterms:modified"), "2026-03-01T08:00:01Z");
  EXPECT_EQ(saves.second, saves.third);
}

// What another program wrote as the creation time is kept when it is a
// date-time; anything else gives way to the time of the save.
TEST(XlsxSecondSave, CreationTimeOfAForeignFile) {
  const struct {
    const char* stored;
    const char* saved;
  } cases[] = {
      {"2019-05-06T07:08:09Z", "2019-05-06T07:08:09Z"},
      {"2019-05-06T07:08:09.25+08:00", "2019-05-06T07:08:09.25+08:00"},
      {"2019-05-06T07:08Z", "2019-05-06T07:08Z"},
      {"2019-05-06", "2026-03-01T08:00:00Z"},
      {"2019-05-06T07:08:09", "2026-03-01T08:00:00Z"},
      {"2019-05-06T07:08:09Z<x/>", "2026-03-01T08:00:00Z"},
      {"昨天", "2026-03-01T08:00:00Z"},
      {"", "2026-03-01T08:00:00Z"},
  };
  for (const auto& c : cases) {
    HandPackage p;
    p.sheets = {{"Sheet1", SheetXml("")}};
    std::string text = c.stored;
    if (text.find('<') != std::string::npos) text.replace(text.find('<'), 1, "&lt;");
    p.extra = {{"docProps/core.xml",
                "<?xml version=\"1.0\"?><cp:coreProperties "
                "xmlns:cp=\"http://schemas.openxmlformats.org/package/2006/metadata/core-properties\" "
                "xmlns:dcterms=\"http://purl.org/dc/terms/\"><dcterms:created>" +
                    text + "</dcterms:created></cp:coreProperties>"}};
    Clock clock("2026-03-01T08:00:00");
    EXPECT_EQ(CoreTime(WriteWorkbookBytes(*Read(p.Bytes()), FileKind::Xlsx), "dcterms:created"), c.saved) << c.stored;
  }
  // A damaged properties part leaves the time unknown, not the file unreadable.
  HandPackage damaged;
  damaged.sheets = {{"Sheet1", SheetXml("")}};
  damaged.extra = {{"docProps/core.xml", "<cp:coreProperties><dcterms:created>"}};
  EXPECT_NO_THROW(Read(damaged.Bytes()));
}

// A workbook made from a template is new: it does not take the template's
// creation time.
TEST(XlsxSecondSave, AWorkbookFromATemplateIsCreatedWhenFirstSaved) {
  ScratchDir dir;
  {
    WorkbookHost host;
    Clock clock("2020-01-01T00:00:00");
    WriteWorkbookFile(host.Add(), dir / "模板.xltx", FileKind::Xltx);
  }
  WorkbookHost host;
  Workbook& wb = host.Add(dir / "模板.xltx");
  Clock clock("2026-03-01T08:00:00");
  EXPECT_EQ(CoreTime(WriteWorkbookBytes(wb, FileKind::Xlsx), "dcterms:created"), "2026-03-01T08:00:00Z");
  Workbook& edited = host.Open(dir / "模板.xltx", true);
  EXPECT_EQ(CoreTime(WriteWorkbookBytes(edited, FileKind::Xltx), "dcterms:created"), "2020-01-01T00:00:00Z");
}
