// The certificate templates prize/精神文明奖.docx, prize/团体总分奖.docx and
// prize/单项奖.docx: A4 landscape certificates of a school meet with a double
// page border, the meet's title, the award, and one 《heading》 placeholder per
// column of the award's list, which 奖状(证书)生成 turns into merge fields.
// What cannot come from the lists (the class number, the winner's name) has
// a blank to write in by hand. Each paragraph is one run, or a few runs of one
// look, so the placeholders are easy to find and to edit in a word processor.

#include <string>
#include <utility>
#include <vector>

#include "builders.h"
#include "host/docx/document.h"

namespace korvane::templates {

namespace {

constexpr const char* kW = "http://schemas.openxmlformats.org/wordprocessingml/2006/main";

struct Run {
  std::string text;
  bool underline = false;
};

struct Para {
  std::vector<Run> runs;
  const char* align = "left";  // left, center, right
  const char* font = "楷体";
  int halfPoints = 44;  // 22 pt
  bool bold = false;
  int before = 0;          // space before, twentieths of a point
  int firstLineChars = 0;  // first-line indent in hundredths of a character
};

std::string Escape(const std::string& s) {
  std::string out;
  for (char c : s) {
    if (c == '&')
      out += "&amp;";
    else if (c == '<')
      out += "&lt;";
    else if (c == '>')
      out += "&gt;";
    else
      out += c;
  }
  return out;
}

std::string RunProperties(const Para& p, bool underline) {
  std::string f = p.font;
  std::string s = "<w:rPr><w:rFonts w:ascii=\"" + f + "\" w:hAnsi=\"" + f + "\" w:eastAsia=\"" + f + "\"/>";
  if (p.bold) s += "<w:b/>";
  if (underline) s += "<w:u w:val=\"single\"/>";
  s += "<w:sz w:val=\"" + std::to_string(p.halfPoints) + "\"/><w:szCs w:val=\"" + std::to_string(p.halfPoints) +
       "\"/></w:rPr>";
  return s;
}

std::string ParagraphXml(const Para& p) {
  std::string s = "<w:p><w:pPr><w:spacing w:before=\"" + std::to_string(p.before) +
                  "\" w:after=\"0\" w:line=\"264\" w:lineRule=\"auto\"/>";
  // The indent in characters, and the same in twentieths of a point for
  // readers that know only that.
  if (p.firstLineChars > 0)
    s += "<w:ind w:firstLineChars=\"" + std::to_string(p.firstLineChars) + "\" w:firstLine=\"" +
         std::to_string(p.firstLineChars * p.halfPoints / 10) + "\"/>";
  s += "<w:jc w:val=\"" + std::string(p.align) + "\"/></w:pPr>";
  for (const Run& r : p.runs)
    s += "<w:r>" + RunProperties(p, r.underline) + "<w:t xml:space=\"preserve\">" + Escape(r.text) + "</w:t></w:r>";
  return s + "</w:p>";
}

// The meet's title and the big word at the top of every certificate.
std::vector<Para> Heading(const char* word) {
  return {Para{{{"田径运动会"}}, "center", "黑体", 56, true, 0}, Para{{{word}}, "center", "黑体", 112, true, 120}};
}

// The signature block at the bottom right.
std::vector<Para> Signature(const char* closing) {
  return {Para{{{closing}}, "left", "楷体", 44, false, 240, 200},
          Para{{{"田径运动会组委会"}}, "right", "楷体", 40, false, 360},
          Para{{{"　　　　年　　月　　日"}}, "right", "楷体", 40, false, 120}};
}

std::vector<Para> Spirit() {
  std::vector<Para> v = Heading("奖　状");
  v.push_back(Para{{{"《年级》"}, {"（　　　）", true}, {"班："}}, "left", "楷体", 48, true, 480});
  v.push_back(Para{
      {{"在本届田径运动会中，遵守纪律，团结友爱，奋力拼搏，表现突出，被评为"}}, "left", "楷体", 44, false, 240, 200});
  v.push_back(Para{{{"精神文明奖"}}, "center", "黑体", 64, true, 240});
  auto sig = Signature("特发此状，以资鼓励。");
  v.insert(v.end(), sig.begin(), sig.end());
  return v;
}

std::vector<Para> Team() {
  std::vector<Para> v = Heading("奖　状");
  v.push_back(Para{{{"《年级》"}, {"（　　　）", true}, {"班："}}, "left", "楷体", 48, true, 480});
  v.push_back(Para{{{"在本届田径运动会中，奋勇争先，成绩优异，荣获"}}, "left", "楷体", 44, false, 240, 200});
  v.push_back(Para{{{"团体总分第《名次》名"}}, "center", "黑体", 64, true, 240});
  auto sig = Signature("特发此状，以资鼓励。");
  v.insert(v.end(), sig.begin(), sig.end());
  return v;
}

std::vector<Para> Individual() {
  std::vector<Para> v = Heading("荣誉证书");
  v.push_back(Para{{{"　　　　　　　　", true}, {"同学："}}, "left", "楷体", 48, true, 480});
  v.push_back(
      Para{{{"在本届田径运动会《年级》《组别》《项目》比赛中，成绩优异，荣获"}}, "left", "楷体", 44, false, 240, 200});
  v.push_back(Para{{{"第《名次》名"}}, "center", "黑体", 64, true, 240});
  auto sig = Signature("特发此证，以资鼓励。");
  v.insert(v.end(), sig.begin(), sig.end());
  return v;
}

std::string DocumentXml(const std::vector<Para>& paras) {
  std::string s = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n<w:document xmlns:w=\"" +
                  std::string(kW) + "\"><w:body>";
  for (const Para& p : paras) s += ParagraphXml(p);
  // A4 landscape (twentieths of a point), margins of 2.5 cm and 2 cm, and a
  // double red border set in from the page's edge.
  s += "<w:sectPr><w:pgSz w:w=\"16838\" w:h=\"11906\" w:orient=\"landscape\"/>"
       "<w:pgMar w:top=\"1134\" w:right=\"1417\" w:bottom=\"1134\" w:left=\"1417\" w:header=\"567\" "
       "w:footer=\"567\" w:gutter=\"0\"/>"
       "<w:pgBorders w:offsetFrom=\"page\">"
       "<w:top w:val=\"double\" w:sz=\"18\" w:space=\"24\" w:color=\"C00000\"/>"
       "<w:left w:val=\"double\" w:sz=\"18\" w:space=\"24\" w:color=\"C00000\"/>"
       "<w:bottom w:val=\"double\" w:sz=\"18\" w:space=\"24\" w:color=\"C00000\"/>"
       "<w:right w:val=\"double\" w:sz=\"18\" w:space=\"24\" w:color=\"C00000\"/>"
       "</w:pgBorders><w:cols w:space=\"425\"/><w:docGrid w:linePitch=\"312\"/></w:sectPr>";
  return s + "</w:body></w:document>";
}

std::vector<std::pair<std::string, std::string>> Package(const std::vector<Para>& paras) {
  const std::string decl = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n";
  return {
      {"[Content_Types].xml",
       decl + "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
              "<Default Extension=\"rels\" ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>"
              "<Default Extension=\"xml\" ContentType=\"application/xml\"/>"
              "<Override PartName=\"/word/document.xml\" ContentType=\"application/vnd.openxmlformats-"
              "officedocument.wordprocessingml.document.main+xml\"/>"
              "<Override PartName=\"/word/styles.xml\" ContentType=\"application/vnd.openxmlformats-"
              "officedocument.wordprocessingml.styles+xml\"/>"
              "<Override PartName=\"/word/settings.xml\" ContentType=\"application/vnd.openxmlformats-"
              "officedocument.wordprocessingml.settings+xml\"/>"
              "<Override PartName=\"/docProps/core.xml\" ContentType=\"application/vnd.openxmlformats-"
              "package.core-properties+xml\"/>"
              "</Types>"},
      {"_rels/.rels",
       decl + "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
              "<Relationship Id=\"rId1\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/"
              "relationships/officeDocument\" Target=\"word/document.xml\"/>"
              "<Relationship Id=\"rId2\" Type=\"http://schemas.openxmlformats.org/package/2006/relationships/"
              "metadata/core-properties\" Target=\"docProps/core.xml\"/>"
              "</Relationships>"},
      {"docProps/core.xml",
       decl + "<cp:coreProperties xmlns:cp=\"http://schemas.openxmlformats.org/package/2006/metadata/"
              "core-properties\" xmlns:dc=\"http://purl.org/dc/elements/1.1/\"><dc:title>奖状</dc:title>"
              "<dc:creator>Korvane</dc:creator></cp:coreProperties>"},
      {"word/_rels/document.xml.rels",
       decl + "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
              "<Relationship Id=\"rId1\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/"
              "relationships/styles\" Target=\"styles.xml\"/>"
              "<Relationship Id=\"rId2\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/"
              "relationships/settings\" Target=\"settings.xml\"/>"
              "</Relationships>"},
      {"word/document.xml", DocumentXml(paras)},
      {"word/styles.xml",
       decl + "<w:styles xmlns:w=\"" + kW +
           "\"><w:docDefaults><w:rPrDefault><w:rPr><w:rFonts w:ascii=\"宋体\" w:hAnsi=\"宋体\" w:eastAsia=\"宋体\"/>"
           "<w:sz w:val=\"24\"/><w:lang w:val=\"en-US\" w:eastAsia=\"zh-CN\"/></w:rPr></w:rPrDefault>"
           "<w:pPrDefault/></w:docDefaults>"
           "<w:style w:type=\"paragraph\" w:default=\"1\" w:styleId=\"Normal\"><w:name w:val=\"Normal\"/></w:style>"
           "</w:styles>"},
      {"word/settings.xml", decl + "<w:settings xmlns:w=\"" + kW +
                                "\" xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/"
                                "relationships\"><w:zoom w:percent=\"100\"/>"
                                "<w:defaultTabStop w:val=\"420\"/>"
                                "<w:characterSpacingControl w:val=\"compressPunctuation\"/>"
                                "<w:compat><w:compatSetting w:name=\"compatibilityMode\" "
                                "w:uri=\"http://schemas.microsoft.com/office/word\" w:val=\"15\"/>"
                                "</w:compat></w:settings>"},
  };
}

}  // namespace

void WriteCertificateTemplates(const std::string& prizeFolder) {
  const std::pair<const char*, std::vector<Para>> certificates[] = {
      {"精神文明奖", Spirit()}, {"团体总分奖", Team()}, {"单项奖", Individual()}};
  for (const auto& [type, paras] : certificates)
    host::docx::Document::FromParts(Package(paras)).SaveAs(prizeFolder + "/" + type + ".docx");
}

}  // namespace korvane::templates
