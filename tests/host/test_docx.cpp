#include <gtest/gtest.h>

#include <unistd.h>
#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "host/docx/document.h"
#include "host/errors.h"
#include "host/ooxml/xlsx_internal.h"

namespace korvane::host::docx {
namespace {

namespace fs = std::filesystem;

const std::string kW = "http://schemas.openxmlformats.org/wordprocessingml/2006/main";

std::string DocumentXml(const std::string& body) {
  return "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?><w:document xmlns:w=\"" + kW + "\"><w:body>" +
         body + "</w:body></w:document>";
}

// A package with the given body; settings.xml only when `settings` is not empty.
std::vector<std::pair<std::string, std::string>> Parts(const std::string& body, const std::string& settings = "",
                                                       const std::string& mainType =
                                                           "application/vnd.openxmlformats-officedocument."
                                                           "wordprocessingml.document.main+xml") {
  std::string types =
      "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
      "<Default Extension=\"rels\" ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>"
      "<Default Extension=\"xml\" ContentType=\"application/xml\"/>"
      "<Override PartName=\"/word/document.xml\" ContentType=\"" +
      mainType + "\"/>";
  std::string docRels = "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">";
  std::vector<std::pair<std::string, std::string>> parts;
  if (!settings.empty()) {
    types +=
        "<Override PartName=\"/word/settings.xml\" "
        "ContentType=\"application/vnd.openxmlformats-officedocument.wordprocessingml.settings+xml\"/>";
    docRels +=
        "<Relationship Id=\"rId1\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/"
        "relationships/settings\" Target=\"settings.xml\"/>";
    parts.emplace_back("word/settings.xml", "<w:settings xmlns:w=\"" + kW + "\">" + settings + "</w:settings>");
  }
  parts.emplace_back("[Content_Types].xml", types + "</Types>");
  parts.emplace_back("_rels/.rels",
                     "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
                     "<Relationship Id=\"rId1\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/"
                     "relationships/officeDocument\" Target=\"word/document.xml\"/></Relationships>");
  parts.emplace_back("word/document.xml", DocumentXml(body));
  parts.emplace_back("word/_rels/document.xml.rels", docRels + "</Relationships>");
  return parts;
}

std::string Zip(const std::vector<std::pair<std::string, std::string>>& parts) {
  ooxml::ZipWriter zip;
  for (const auto& [name, data] : parts) zip.Add(name, data);
  return zip.Finish();
}

// Replaces a placeholder as the certificate command does.
bool Replace(Document& doc, const std::string& heading) {
  auto found = doc.Find("《" + heading + "》");
  if (!found) return false;
  doc.InsertMergeField(doc.Delete(*found), heading);
  return true;
}

TEST(Docx, PlaceholderSplitOverRunsBecomesOneMergeFieldWithItsFormatting) {
  // Word splits a typed placeholder wherever editing or spell checking left
  // a run boundary; the text around it must stay.
  Document doc = Document::FromParts(
      Parts("<w:p><w:r><w:t>获奖：</w:t></w:r>"
            "<w:r><w:rPr><w:b/><w:sz w:val=\"48\"/></w:rPr><w:t>前《年</w:t></w:r>"
            "<w:proofErr w:type=\"spellStart\"/>"
            "<w:r><w:rPr><w:i/></w:rPr><w:t>级</w:t><w:t>》后</w:t></w:r></w:p>"
            "<w:tbl><w:tr><w:tc><w:p><w:r><w:t>第《名次》名</w:t></w:r></w:p></w:tc></w:tr></w:tbl>"));
  ASSERT_TRUE(Replace(doc, "年级"));
  ASSERT_TRUE(Replace(doc, "名次"));
  EXPECT_FALSE(doc.Find("《年级》"));

  // Read back from the saved bytes, as another program would.
  Document again = Document::FromBytes(doc.ToBytes());
  EXPECT_EQ(again.PlainText(), "获奖：前«年级»后\n第«名次»名\n");
  const std::vector<MergeField> fields = again.MergeFields();
  ASSERT_EQ(fields.size(), 2u);
  EXPECT_EQ(fields[0].instruction, "MERGEFIELD  年级");
  EXPECT_EQ(fields[0].result, "«年级»");
  EXPECT_EQ(fields[1].instruction, "MERGEFIELD  名次");
  // The field is formatted like the placeholder's first character.
  const std::string bytes = again.ToBytes();
  ooxml::ReadContext ctx("t");
  ooxml::ZipReader zip(bytes, ctx, ooxml::ReadLimits{});
  const std::string xml = zip.Read("word/document.xml");
  EXPECT_NE(xml.find("<w:r><w:rPr><w:b/><w:sz w:val=\"48\"/></w:rPr><w:fldChar w:fldCharType=\"begin\"/></w:r>"),
            std::string::npos)
      << xml;
}

TEST(Docx, LookShowsEachMergeFieldsValueWithItsRunsFormattingAndThePageSetup) {
  Document doc = Document::FromParts(
      Parts("<w:p><w:pPr><w:spacing w:before=\"240\" w:line=\"360\" w:lineRule=\"auto\"/><w:jc w:val=\"center\"/>"
            "<w:ind w:firstLineChars=\"200\"/></w:pPr>"
            "<w:r><w:rPr><w:rFonts w:eastAsia=\"楷体\"/><w:sz w:val=\"44\"/></w:rPr><w:t>获奖：《年级》</w:t></w:r>"
            "<w:r><w:rPr><w:u w:val=\"single\"/></w:rPr><w:t>（　）</w:t></w:r>"
            "<w:fldSimple w:instr=\" MERGEFIELD 名次 \"><w:r><w:t>«名次»</w:t></w:r></w:fldSimple></w:p>"
            "<w:sectPr><w:pgSz w:w=\"16838\" w:h=\"11906\" w:orient=\"landscape\"/>"
            "<w:pgMar w:top=\"1134\" w:right=\"1417\" w:bottom=\"1134\" w:left=\"1417\"/>"
            "<w:pgBorders w:offsetFrom=\"page\"><w:top w:val=\"double\" w:sz=\"18\" w:space=\"24\" "
            "w:color=\"C00000\"/></w:pgBorders></w:sectPr>"));
  ASSERT_TRUE(Replace(doc, "年级"));
  const DocumentLook look = Document::FromBytes(doc.ToBytes()).Look({{"年级", "高一"}, {"名次", "三"}});
  EXPECT_NEAR(look.pageWidth, 841.9, 0.1);
  EXPECT_NEAR(look.pageHeight, 595.3, 0.1);
  EXPECT_NEAR(look.marginLeft, 70.85, 0.01);
  EXPECT_TRUE(look.border.present && look.border.doubleLine && look.border.fromPageEdge);
  EXPECT_EQ(look.border.color, 0xC00000u);
  EXPECT_DOUBLE_EQ(look.border.width, 2.25);
  ASSERT_EQ(look.paragraphs.size(), 1u);
  const ParagraphLook& p = look.paragraphs[0];
  EXPECT_EQ(p.align, ParagraphAlign::Center);
  EXPECT_DOUBLE_EQ(p.spaceBefore, 12);
  EXPECT_DOUBLE_EQ(p.lineSpacing, 1.5);
  EXPECT_DOUBLE_EQ(p.firstLineIndent, 44);  // two characters of 22 points
  ASSERT_EQ(p.runs.size(), 3u);
  EXPECT_EQ(p.runs[0].text, "获奖：高一");  // the field took the placeholder's look: one run
  EXPECT_EQ(p.runs[0].font, "楷体");
  EXPECT_DOUBLE_EQ(p.runs[0].size, 22);
  EXPECT_EQ(p.runs[1].text, "（　）");
  EXPECT_TRUE(p.runs[1].underline);
  EXPECT_EQ(p.runs[2].text, "三");
}

TEST(Docx, FindDoesNotReachAcrossTabsBreaksOrParagraphsAndIgnoresAsciiCase) {
  Document doc =
      Document::FromParts(Parts("<w:p><w:r><w:t>《年</w:t><w:tab/><w:t>级》</w:t></w:r></w:p>"
                                "<w:p><w:r><w:t>《名</w:t></w:r></w:p><w:p><w:r><w:t>次》</w:t></w:r></w:p>"
                                "<w:p><w:del><w:r><w:t>《组别》</w:t></w:r></w:del><w:r><w:t>Grade</w:t></w:r></w:p>"));
  EXPECT_FALSE(doc.Find("《年级》"));
  EXPECT_FALSE(doc.Find("《名次》"));
  EXPECT_FALSE(doc.Find("《组别》"));  // deleted text is not there
  EXPECT_TRUE(doc.Find("gRADE"));
  EXPECT_FALSE(doc.Find(""));
}

TEST(Docx, MailMergeSourceSitsInSchemaOrderAndReplacesAnEarlierOne) {
  Document doc = Document::FromParts(Parts(
      "<w:p/>", "<w:zoom w:percent=\"100\"/><w:documentType w:val=\"letter\"/><w:defaultTabStop w:val=\"420\"/>"));
  doc.SetMailMergeSource("/tmp/a b/奖项设置.xlsx", "SELECT * FROM `精神文明奖$`");
  doc.SetMailMergeSource("/tmp/a b/奖项设置.xlsx", "SELECT * FROM `单项奖$`");
  Document again = Document::FromBytes(doc.ToBytes());
  auto mm = again.MailMerge();
  ASSERT_TRUE(mm);
  EXPECT_EQ(mm->mainDocumentType, "formLetters");
  EXPECT_EQ(mm->dataType, "native");
  EXPECT_TRUE(mm->linkToQuery);
  EXPECT_EQ(mm->query, "SELECT * FROM `单项奖$`");
  EXPECT_EQ(mm->dataSource, "file:///tmp/a%20b/奖项设置.xlsx");

  // One w:mailMerge, between documentType and defaultTabStop; one data source relationship.
  std::string bytes = again.ToBytes();
  ooxml::ReadContext ctx("t");
  ooxml::ZipReader zip(bytes, ctx, ooxml::ReadLimits{});
  const std::string settings = zip.Read("word/settings.xml");
  EXPECT_EQ(settings.find("<w:mailMerge>"), settings.rfind("<w:mailMerge>"));
  const auto doctype = settings.find("documentType"), merge = settings.find("mailMerge"),
             tab = settings.find("defaultTabStop");
  EXPECT_LT(doctype, merge);
  EXPECT_LT(merge, tab);
  const std::string rels = zip.Read("word/_rels/settings.xml.rels");
  EXPECT_EQ(rels.find("mailMergeSource"), rels.rfind("mailMergeSource"));
  EXPECT_NE(rels.find("TargetMode=\"External\""), std::string::npos);
}

TEST(Docx, DocumentWithoutSettingsGetsThemAndATemplateBecomesADocument) {
  Document doc = Document::FromParts(
      Parts("<w:p/>", "", "application/vnd.openxmlformats-officedocument.wordprocessingml.template.main+xml"));
  doc.SetMailMergeSource("/m/奖项设置.xlsx", "SELECT * FROM `团体总分奖$`");
  const std::string bytes = doc.ToBytes();
  ooxml::ReadContext ctx("t");
  ooxml::ZipReader zip(bytes, ctx, ooxml::ReadLimits{});
  const std::string types = zip.Read("[Content_Types].xml");
  EXPECT_NE(types.find("wordprocessingml.document.main+xml"), std::string::npos);
  EXPECT_EQ(types.find("template.main"), std::string::npos);
  EXPECT_NE(types.find("/word/settings.xml"), std::string::npos);
  EXPECT_NE(zip.Read("word/_rels/document.xml.rels").find("settings.xml"), std::string::npos);
  EXPECT_EQ(Document::FromBytes(bytes).MailMerge()->query, "SELECT * FROM `团体总分奖$`");

  // A settings relationship whose part is missing gets its part.
  auto parts = Parts("<w:p/>", "<w:zoom/>");
  parts.erase(parts.begin());  // word/settings.xml
  Document dangling = Document::FromParts(parts);
  dangling.SetMailMergeSource("/m/奖项设置.xlsx", "SELECT * FROM `单项奖$`");
  EXPECT_EQ(Document::FromBytes(dangling.ToBytes()).MailMerge()->query, "SELECT * FROM `单项奖$`");
}

TEST(Docx, HostileOrWrongFilesAreRefusedWithAReason) {
  struct Case {
    const char* what;
    std::string bytes;
    DocumentLimits limits;
    const char* expected;
  };
  auto entity = Parts("");
  entity[2].second = "<!DOCTYPE d [<!ENTITY a \"aaaa\">]><w:document xmlns:w=\"" + kW + "\">&a;</w:document>";
  auto big = Parts("<w:p><w:r><w:t>" + std::string(20000, 'x') + "</w:t></w:r></w:p>");
  DocumentLimits small;
  small.bytes.maxPartUncompressed = 4000;
  auto many = Parts("");
  for (int i = 0; i < 20; ++i) many.emplace_back("extra/" + std::to_string(i) + ".bin", "x");
  DocumentLimits fewEntries;
  fewEntries.maxEntries = 10;
  auto workbook = Parts("");
  workbook[0].second =
      "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
      "<Override PartName=\"/word/document.xml\" ContentType=\"application/vnd.openxmlformats-"
      "officedocument.spreadsheetml.sheet.main+xml\"/></Types>";
  // The same declaration in UTF-16: found once the part is decoded.
  auto utf16 = entity;
  utf16[2].second = "\xFF\xFE";
  for (char c : "<?xml version=\"1.0\" encoding=\"UTF-16\"?>" + entity[2].second) utf16[2].second += {c, '\0'};
  std::string deep;
  for (int i = 0; i < 100000; ++i) deep += "<w:sdt>";
  for (int i = 0; i < 100000; ++i) deep += "</w:sdt>";
  auto twice = Parts("<w:p><w:r><w:t>第一份</w:t></w:r></w:p>");
  twice.emplace_back("word/document.xml", DocumentXml("<w:p><w:r><w:t>第二份</w:t></w:r></w:p>"));
  const std::vector<Case> cases = {
      {"entity declaration", Zip(entity), {}, "DOCTYPE"},
      {"an entry stored twice", Zip(twice), {}, "“word/document.xml”出现了两次"},
      {"entity declaration in UTF-16", Zip(utf16), {}, "DOCTYPE"},
      {"elements nested 100,000 deep", Zip(Parts("<w:p>" + deep + "</w:p>")), {}, "嵌套过深"},
      {"part over the limit", Zip(big), small, "文件过大"},
      {"too many entries", Zip(many), fewEntries, "文件过大"},
      {"not a zip", std::string(100, 'z'), {}, "不是Word文档"},
      {"no main document", Zip({entity[0], entity[1]}), {}, "缺少主文档部分"},
      {"a workbook's content type", Zip(workbook), {}, "不是文字处理文档"},
  };
  for (const Case& c : cases) {
    try {
      Document::FromBytes(c.bytes, c.limits);
      ADD_FAILURE() << c.what << ": accepted";
    } catch (const FileError& e) {
      EXPECT_NE(std::string(e.what()).find(c.expected), std::string::npos) << c.what << ": " << e.what();
    }
  }
}

TEST(Docx, SaveReplacesAnOldFileButNotOneOpenElsewhere) {
  const fs::path dir = fs::temp_directory_path() / ("korvane-docx-" + std::to_string(::getpid()));
  fs::create_directories(dir);
  const fs::path out = dir / "单项奖.docx";
  { std::ofstream(out) << "old"; }
  Document doc = Document::FromParts(Parts("<w:p><w:r><w:t>《年级》</w:t></w:r></w:p>"));
  ASSERT_TRUE(Replace(doc, "年级"));
  doc.SaveAs(out.string());
  EXPECT_EQ(Document::FromTemplate(out.string()).MergeFields().size(), 1u);

  { std::ofstream(dir / "~$单项奖.docx") << "lock"; }
  Document other = Document::FromParts(Parts("<w:p/>"));
  EXPECT_THROW(other.SaveAs(out.string()), FileError);
  EXPECT_EQ(Document::FromTemplate(out.string()).MergeFields().size(), 1u);  // untouched
  fs::remove_all(dir);
}

}  // namespace
}  // namespace korvane::host::docx
