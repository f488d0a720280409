// The package around the workbook parts: [Content_Types].xml, the
// relationship parts, docProps/core.xml and app.xml, and the assembly of a
// whole workbook file (writing) or workbook model (reading).
#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <ctime>
#include <map>
#include <unordered_set>

#include "host/address.h"
#include "host/ascii.h"
#include "host/fault.h"
#include "host/ooxml/xlsx_internal.h"

namespace korvane::host::ooxml {

namespace {

constexpr const char* kCtWorksheet = "application/vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml";
constexpr const char* kCtStyles = "application/vnd.openxmlformats-officedocument.spreadsheetml.styles+xml";
constexpr const char* kCtSharedStrings =
    "application/vnd.openxmlformats-officedocument.spreadsheetml.sharedStrings+xml";
constexpr const char* kCtCore = "application/vnd.openxmlformats-package.core-properties+xml";
constexpr const char* kCtApp = "application/vnd.openxmlformats-officedocument.extended-properties+xml";

constexpr std::pair<FileKind, const char*> kWorkbookContentTypes[] = {
    {FileKind::Xlsx, "application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml"},
    {FileKind::Xlsm, "application/vnd.ms-excel.sheet.macroEnabled.main+xml"},
    {FileKind::Xltx, "application/vnd.openxmlformats-officedocument.spreadsheetml.template.main+xml"},
    {FileKind::Xltm, "application/vnd.ms-excel.template.macroEnabled.main+xml"},
};

std::string SheetPartName(std::size_t i) { return "xl/worksheets/sheet" + std::to_string(i + 1) + ".xml"; }

void WriteRelationship(XmlWriter& w, const std::string& id, const std::string& type, const std::string& target) {
  w.Open("Relationship").Attr("Id", id).Attr("Type", type).Attr("Target", target).Empty();
}

// W3CDTF time of the document properties: KORVANE_NOW when it holds an ISO
// date-time (deterministic runs), otherwise the current UTC time.
std::string DocumentTime() {
  if (const char* now = std::getenv("KORVANE_NOW")) {
    std::string s(now);
    double serial = 0;
    if (s.size() >= 19 && IsoToSerial(s.substr(0, 19), false, serial) && s[10] == 'T') return s.substr(0, 19) + "Z";
    if (s.size() == 10 && IsoToSerial(s, false, serial)) return s + "T00:00:00Z";
  }
  std::time_t t = std::time(nullptr);
  std::tm tm{};
  gmtime_r(&t, &tm);
  char buf[32];
  std::strftime(buf, sizeof buf, "%Y-%m-%dT%H:%M:%SZ", &tm);
  return buf;
}

std::string PercentDecode(const std::string& s) {
  if (s.find('%') == std::string::npos) return s;
  std::string out;
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '%' && i + 2 < s.size() && std::isxdigit(static_cast<unsigned char>(s[i + 1])) &&
        std::isxdigit(static_cast<unsigned char>(s[i + 2]))) {
      out += static_cast<char>(std::stoi(s.substr(i + 1, 2), nullptr, 16));
      i += 2;
    } else {
      out += s[i];
    }
  }
  return out;
}

}  // namespace

// ---------------------------------------------------------------------------
// Writing
// ---------------------------------------------------------------------------

const char* WorkbookContentType(FileKind kind) {
  for (const auto& [k, type] : kWorkbookContentTypes)
    if (k == kind) return type;
  return kWorkbookContentTypes[0].second;
}

std::string WriteContentTypes(FileKind kind, std::size_t sheetCount, bool sharedStrings) {
  std::string out;
  XmlWriter w(out);
  w.Declaration();
  w.Open("Types").Attr("xmlns", "http://schemas.openxmlformats.org/package/2006/content-types").End();
  w.Open("Default")
      .Attr("Extension", "rels")
      .Attr("ContentType", "application/vnd.openxmlformats-package.relationships+xml")
      .Empty();
  w.Open("Default").Attr("Extension", "xml").Attr("ContentType", "application/xml").Empty();
  auto override = [&](const std::string& part, const char* type) {
    w.Open("Override").Attr("PartName", "/" + part).Attr("ContentType", type).Empty();
  };
  override("xl/workbook.xml", WorkbookContentType(kind));
  for (std::size_t i = 0; i < sheetCount; ++i) override(SheetPartName(i), kCtWorksheet);
  override("xl/styles.xml", kCtStyles);
  if (sharedStrings) override("xl/sharedStrings.xml", kCtSharedStrings);
  override("docProps/core.xml", kCtCore);
  override("docProps/app.xml", kCtApp);
  w.Close("Types");
  return out;
}

std::string WritePackageRels() {
  std::string out;
  XmlWriter w(out);
  w.Declaration();
  w.Open("Relationships").Attr("xmlns", kNsPkgRel).End();
  WriteRelationship(w, "rId1", std::string(kNsRel) + "/officeDocument", "xl/workbook.xml");
  WriteRelationship(w, "rId2", "http://schemas.openxmlformats.org/package/2006/relationships/metadata/core-properties",
                    "docProps/core.xml");
  WriteRelationship(w, "rId3", std::string(kNsRel) + "/extended-properties", "docProps/app.xml");
  w.Close("Relationships");
  return out;
}

std::string WriteWorkbookRels(std::size_t sheetCount, bool sharedStrings) {
  std::string out;
  XmlWriter w(out);
  w.Declaration();
  w.Open("Relationships").Attr("xmlns", kNsPkgRel).End();
  for (std::size_t i = 0; i < sheetCount; ++i)
    WriteRelationship(w, "rId" + std::to_string(i + 1), std::string(kNsRel) + "/worksheet",
                      "worksheets/sheet" + std::to_string(i + 1) + ".xml");
  WriteRelationship(w, "rId" + std::to_string(sheetCount + 1), std::string(kNsRel) + "/styles", "styles.xml");
  if (sharedStrings)
    WriteRelationship(w, "rId" + std::to_string(sheetCount + 2), std::string(kNsRel) + "/sharedStrings",
                      "sharedStrings.xml");
  w.Close("Relationships");
  return out;
}

std::string WriteCoreProps(const Workbook& book) {
  const std::string time = DocumentTime();
  const std::string& created = book.createdTime.empty() ? time : book.createdTime;
  std::string out;
  XmlWriter w(out);
  w.Declaration();
  w.Open("cp:coreProperties")
      .Attr("xmlns:cp", "http://schemas.openxmlformats.org/package/2006/metadata/core-properties")
      .Attr("xmlns:dc", "http://purl.org/dc/elements/1.1/")
      .Attr("xmlns:dcterms", "http://purl.org/dc/terms/")
      .Attr("xmlns:dcmitype", "http://purl.org/dc/dcmitype/")
      .Attr("xmlns:xsi", "http://www.w3.org/2001/XMLSchema-instance")
      .End();
  w.TextElement("dc:creator", "Korvane");
  w.TextElement("cp:lastModifiedBy", "Korvane");
  w.Open("dcterms:created").Attr("xsi:type", "dcterms:W3CDTF").End();
  w.Text(created);
  w.Close("dcterms:created");
  w.Open("dcterms:modified").Attr("xsi:type", "dcterms:W3CDTF").End();
  w.Text(time);
  w.Close("dcterms:modified");
  w.Close("cp:coreProperties");
  return out;
}

std::string ReadCreatedTime(const pugi::xml_node& coreProperties) {
  const std::string text = ElementText(Child(coreProperties, "created"));
  auto isDigit = [](char c) { return c >= '0' && c <= '9'; };
  // YYYY-MM-DDThh:mm[:ss[.fraction]] followed by Z or +hh:mm / -hh:mm.
  auto digits = [&](std::size_t at, std::size_t n) {
    if (at + n > text.size()) return false;
    for (std::size_t i = at; i < at + n; ++i)
      if (!isDigit(text[i])) return false;
    return true;
  };
  if (text.size() > 40 || !digits(0, 4) || text[4] != '-' || !digits(5, 2) || text[7] != '-' || !digits(8, 2) ||
      text[10] != 'T' || !digits(11, 2) || text[13] != ':' || !digits(14, 2))
    return "";
  std::size_t p = 16;
  if (p < text.size() && text[p] == ':') {
    if (!digits(p + 1, 2)) return "";
    p += 3;
    if (p < text.size() && text[p] == '.') {
      const std::size_t start = ++p;
      while (p < text.size() && isDigit(text[p])) ++p;
      if (p == start) return "";
    }
  }
  if (p + 1 == text.size() && text[p] == 'Z') return text;
  if (p + 6 == text.size() && (text[p] == '+' || text[p] == '-') && digits(p + 1, 2) && text[p + 3] == ':' &&
      digits(p + 4, 2))
    return text;
  return "";
}

std::string WriteAppProps(const Workbook&, const std::vector<const Worksheet*>& sheets) {
  std::string out;
  XmlWriter w(out);
  w.Declaration();
  w.Open("Properties")
      .Attr("xmlns", "http://schemas.openxmlformats.org/officeDocument/2006/extended-properties")
      .Attr("xmlns:vt", "http://schemas.openxmlformats.org/officeDocument/2006/docPropsVTypes")
      .End();
  w.TextElement("Application", "Microsoft Excel");
  w.TextElement("DocSecurity", "0");
  w.TextElement("ScaleCrop", "false");
  const int n = static_cast<int>(sheets.size());
  out +=
      "<HeadingPairs><vt:vector size=\"2\" baseType=\"variant\"><vt:variant><vt:lpstr>工作表</vt:lpstr></vt:variant>";
  out += "<vt:variant><vt:i4>" + std::to_string(n) + "</vt:i4></vt:variant></vt:vector></HeadingPairs>";
  out += "<TitlesOfParts>";
  w.Open("vt:vector").Attr("size", n).Attr("baseType", "lpstr").End();
  for (const Worksheet* ws : sheets) w.TextElement("vt:lpstr", ws->Name());
  out += "</vt:vector></TitlesOfParts>";
  w.TextElement("LinksUpToDate", "false");
  w.TextElement("SharedDoc", "false");
  w.TextElement("HyperlinksChanged", "false");
  w.TextElement("AppVersion", "16.0300");
  w.Close("Properties");
  return out;
}

// ---------------------------------------------------------------------------
// Relationships
// ---------------------------------------------------------------------------

std::vector<Relationship> ParseRelationships(pugi::xml_node root) {
  std::vector<Relationship> rels;
  for (pugi::xml_node n : root.children()) {
    if (!IsNamed(n, "Relationship")) continue;
    Relationship r;
    r.id = std::string(AttrText(n, "Id"));
    r.type = std::string(AttrText(n, "Type"));
    r.target = std::string(AttrText(n, "Target"));
    r.external = AttrText(n, "TargetMode") == "External";
    rels.push_back(std::move(r));
  }
  return rels;
}

bool RelTypeIs(const std::string& type, std::string_view kind) {
  return type.size() > kind.size() && type.compare(type.size() - kind.size(), kind.size(), kind) == 0 &&
         type[type.size() - kind.size() - 1] == '/';
}

std::string ResolvePartName(const std::string& sourcePart, const std::string& target) {
  std::string t = PercentDecode(target);
  std::replace(t.begin(), t.end(), '\\', '/');
  std::string path;
  if (!t.empty() && t.front() == '/') {
    path = t.substr(1);
  } else {
    const auto slash = sourcePart.rfind('/');
    path = (slash == std::string::npos ? std::string() : sourcePart.substr(0, slash + 1)) + t;
  }
  std::vector<std::string> parts;
  std::size_t pos = 0;
  while (pos <= path.size()) {
    std::size_t end = path.find('/', pos);
    if (end == std::string::npos) end = path.size();
    const std::string seg = path.substr(pos, end - pos);
    if (seg == "..") {
      if (!parts.empty()) parts.pop_back();
    } else if (!seg.empty() && seg != ".") {
      parts.push_back(seg);
    }
    pos = end + 1;
  }
  std::string out;
  for (const auto& p : parts) out += (out.empty() ? "" : "/") + p;
  return out;
}

std::string RelsPartOf(const std::string& part) {
  const auto slash = part.rfind('/');
  if (slash == std::string::npos) return "_rels/" + part + ".rels";
  return part.substr(0, slash) + "/_rels/" + part.substr(slash + 1) + ".rels";
}

// ---------------------------------------------------------------------------
// Reading
// ---------------------------------------------------------------------------
namespace {

// One parsed part: the text must live as long as the document.
struct Part {
  std::string text;
  pugi::xml_document doc;
  pugi::xml_node Root() const { return doc.document_element(); }
};

bool LoadPart(ZipReader& zip, const ReadContext& ctx, const std::string& name, Part& part, bool required) {
  if (!required && !zip.Has(name)) return false;
  part.text = zip.Read(name, required);
  ParseXmlPart(part.doc, part.text, ctx, name);
  return true;
}

std::vector<Relationship> LoadRels(ZipReader& zip, const ReadContext& ctx, const std::string& part) {
  Part rels;
  if (!LoadPart(zip, ctx, RelsPartOf(part), rels, false)) return {};
  return ParseRelationships(rels.Root());
}

// Sheet names compare without regard to ASCII case, as the applications do.
std::string SheetKey(const std::string& name) { return AsciiLower(name); }

}  // namespace

std::unique_ptr<Workbook> ReadPackage(ZipReader& zip, const ReadContext& ctx, std::shared_ptr<SharedTables> tables,
                                      WorkbookHost* host, const ReadLimits& limits) {
  // Reading builds a new workbook; its cell writes are not host operations
  // a command could fail at.
  fault::Suspended quiet;
  // The workbook part, found through the package relationships.
  std::string workbookPart, corePart;
  for (const Relationship& r : LoadRels(zip, ctx, "")) {
    if (r.external) continue;
    if (RelTypeIs(r.type, "officeDocument")) workbookPart = ResolvePartName("", r.target);
    if (RelTypeIs(r.type, "core-properties")) corePart = ResolvePartName("", r.target);
  }
  if (workbookPart.empty() || !zip.Has(workbookPart)) {
    if (!zip.Has("xl/workbook.xml")) ctx.Damaged("缺少工作簿内容xl/workbook.xml");
    workbookPart = "xl/workbook.xml";
  }

  WorkbookPartIn wb;
  {
    Part part;
    LoadPart(zip, ctx, workbookPart, part, true);
    if (!IsNamed(part.Root(), "workbook")) ctx.Damaged(workbookPart + "不是工作簿内容");
    wb = ReadWorkbookXml(part.Root());
  }
  std::map<std::string, Relationship> rels;
  std::string stylesPart, stringsPart, themePart;
  for (Relationship& r : LoadRels(zip, ctx, workbookPart)) {
    if (r.external) continue;
    r.target = ResolvePartName(workbookPart, r.target);
    if (RelTypeIs(r.type, "styles")) stylesPart = r.target;
    if (RelTypeIs(r.type, "sharedStrings")) stringsPart = r.target;
    if (RelTypeIs(r.type, "theme")) themePart = r.target;
    rels[r.id] = r;
  }

  // Sheet names are checked before anything is built.
  if (wb.sheets.empty()) ctx.Damaged("工作簿中没有工作表");
  {
    std::unordered_set<std::string> names;
    for (const auto& s : wb.sheets) {
      const std::string problem = SheetNameProblem(s.name);
      if (!problem.empty()) ctx.Fail("工作表名称“" + s.name + "”无效（" + problem + "），文件已损坏。");
      if (!names.insert(SheetKey(s.name)).second) ctx.Fail("工作表名称“" + s.name + "”重复，文件已损坏。");
    }
  }

  ThemeColors theme;
  if (!themePart.empty()) {
    Part part;
    if (LoadPart(zip, ctx, themePart, part, false)) theme = ReadThemeColors(part.Root());
  }

  auto book = std::make_unique<Workbook>(std::move(tables), host);
  book->date1904 = wb.date1904;

  StylesRead styles;
  {
    Part part;
    if (stylesPart.empty() && zip.Has("xl/styles.xml")) stylesPart = "xl/styles.xml";
    if (!stylesPart.empty() && LoadPart(zip, ctx, stylesPart, part, false)) {
      styles = ReadStyles(part.Root(), book->Tables().styles, theme, book->defaultFontName, book->defaultFontSize);
    } else {
      styles.defaultFontName = book->defaultFontName;
      styles.defaultFontSize = book->defaultFontSize;
      styles.xfStyle.push_back(0);
    }
    book->defaultFontName = styles.defaultFontName;
    book->defaultFontSize = styles.defaultFontSize;
  }

  std::vector<std::string> sharedStrings;
  {
    Part part;
    if (stringsPart.empty() && zip.Has("xl/sharedStrings.xml")) stringsPart = "xl/sharedStrings.xml";
    if (!stringsPart.empty() && LoadPart(zip, ctx, stringsPart, part, false))
      sharedStrings = ReadSharedStrings(part.Root());
  }

  // Each shared text is kept in memory while the sheets are read: it counts
  // as a cell.
  std::uint64_t cellCount = sharedStrings.size();
  if (cellCount > limits.maxCells) ctx.TooLarge();
  SheetReadEnv env;
  env.ctx = &ctx;
  env.sharedStrings = &sharedStrings;
  std::vector<std::uint32_t> sharedStringIds(sharedStrings.size(), UINT32_MAX);
  env.sharedStringIds = &sharedStringIds;
  env.styles = &styles;
  env.theme = &theme;
  env.date1904 = wb.date1904;
  env.cellCount = &cellCount;
  env.maxCells = limits.maxCells;

  // Position in <sheets> -> worksheet of the model (chart and dialog sheets
  // have no counterpart and are left out).
  std::vector<Worksheet*> byPosition(wb.sheets.size(), nullptr);
  for (std::size_t i = 0; i < wb.sheets.size(); ++i) {
    const auto& entry = wb.sheets[i];
    auto it = rels.find(entry.relId);
    if (it == rels.end()) ctx.Damaged("缺少工作表“" + entry.name + "”的内容");
    if (!RelTypeIs(it->second.type, "worksheet")) continue;
    // Every sheet has a fixed cost in memory: it counts as many cells, so
    // that a small file naming one part for thousands of sheets stays bounded.
    cellCount += 1024;
    if (cellCount > limits.maxCells) ctx.TooLarge();
    Worksheet& ws = book->AppendSheetUnchecked(entry.name);
    ReadWorksheetPart(zip, it->second.target, ws, env);
    byPosition[i] = &ws;
  }
  if (book->Count() == 0) ctx.Damaged("工作簿中没有可读取的工作表");

  // Visibility once every sheet exists; a file whose sheets are all hidden
  // keeps the model's rule of one visible sheet.
  for (std::size_t i = 0; i < wb.sheets.size(); ++i) {
    if (!byPosition[i] || wb.sheets[i].state == SheetVisibility::Visible) continue;
    try {
      byPosition[i]->SetVisibility(wb.sheets[i].state);
    } catch (const HostError&) {
    }
  }
  Worksheet* active = nullptr;
  if (wb.activeTab >= 0 && wb.activeTab < static_cast<long long>(byPosition.size())) active = byPosition[wb.activeTab];
  if (!active || !active->Visible()) {
    active = nullptr;
    for (Worksheet* ws : byPosition)
      if (ws && ws->Visible()) {
        active = ws;
        break;
      }
  }
  if (active) book->SetActiveSheet(*active);

  for (const auto& n : wb.names) {
    if (n.name.empty()) continue;
    Worksheet* scope = nullptr;
    if (n.localSheetId >= 0) {
      if (n.localSheetId >= static_cast<long long>(byPosition.size()) || !byPosition[n.localSheetId]) continue;
      scope = byPosition[n.localSheetId];
    }
    DefinedName d;
    d.name = ModelNameOfDefinedName(n.name);
    d.refersTo = "=" + n.text;
    d.scope = scope;
    d.hidden = n.hidden;
    d.comment = n.comment;
    book->Names().push_back(std::move(d));
  }
  // The document's creation time, from its core properties. The part is
  // only metadata: a damaged one leaves the time unknown, not the file
  // unreadable (its size still counts against the limits).
  if (corePart.empty() || !zip.Has(corePart)) corePart = "docProps/core.xml";
  if (zip.Has(corePart)) {
    std::string text = zip.Read(corePart, false);
    pugi::xml_document doc;
    if (text.find("<!DOCTYPE") == std::string::npos && text.find("<!ENTITY") == std::string::npos &&
        doc.load_buffer_inplace(text.data(), text.size(), pugi::parse_default, pugi::encoding_auto))
      book->createdTime = ReadCreatedTime(doc.document_element());
  }
  // Last: structure protection would refuse the visibility changes above.
  book->MutableProtection() = wb.protection;
  book->SetSaved(true);
  return book;
}

}  // namespace korvane::host::ooxml

namespace korvane::host::ooxml {

std::string WriteWorkbookBytes(const Workbook& book, FileKind kind) {
  using namespace ooxml;
  WorkbookPartOut info;
  for (Worksheet* ws : book.Sheets()) info.sheets.push_back(ws);
  if (info.sheets.empty()) throw FileError("工作簿中没有工作表，无法保存。");
  const int n = static_cast<int>(info.sheets.size());

  // A hidden sheet cannot be the active tab: the first visible one is.
  int active = std::clamp(book.ActiveIndex(), 0, n - 1);
  if (!info.sheets[active]->Visible()) {
    for (int i = 0; i < n; ++i)
      if (info.sheets[i]->Visible()) {
        active = i;
        break;
      }
  }
  info.activeTab = active;

  StylesWriter styles(book);
  SharedStringsWriter strings(book.Tables().strings);
  ZipWriter zip;
  for (int i = 0; i < n; ++i)
    zip.Add(SheetPartName(i), WriteWorksheetXml(*info.sheets[i], i == active, styles, strings));
  zip.Add("xl/workbook.xml", WriteWorkbookXml(book, info));
  zip.Add("xl/styles.xml", styles.Assemble());
  if (!strings.Empty()) zip.Add("xl/sharedStrings.xml", strings.Assemble());
  zip.Add("xl/_rels/workbook.xml.rels", WriteWorkbookRels(info.sheets.size(), !strings.Empty()));
  zip.Add("docProps/core.xml", WriteCoreProps(book));
  zip.Add("docProps/app.xml", WriteAppProps(book, info.sheets));
  zip.Add("[Content_Types].xml", WriteContentTypes(kind, info.sheets.size(), !strings.Empty()), true);
  zip.Add("_rels/.rels", WritePackageRels(), true);
  return zip.Finish();
}

std::unique_ptr<Workbook> ReadWorkbookBytes(const std::string& bytes, std::shared_ptr<SharedTables> tables,
                                            WorkbookHost* host, const ReadLimits& limits) {
  ooxml::ReadContext ctx("");
  try {
    ooxml::ZipReader zip(bytes, ctx, limits);
    return ooxml::ReadPackage(zip, ctx, std::move(tables), host, limits);
  } catch (...) {
    ctx.ReportCurrentException();
  }
}

}  // namespace korvane::host::ooxml
