// xl/workbook.xml: date system, workbook protection, the active tab, the
// sheet list and the defined names. Writer and reader.
#include <algorithm>
#include <set>

#include "host/ascii.h"
#include "host/ooxml/xlsx_internal.h"

namespace korvane::host::ooxml {

namespace {

// Reserved names the model spells without the "_xlnm." prefix. Other
// reserved names (_FilterDatabase, Criteria, ...) keep their prefix in the
// model too, so they pass through unchanged.
constexpr const char* kModelReservedNames[] = {"Print_Titles", "Print_Area"};
constexpr std::string_view kReservedPrefix = "_xlnm.";

// Workbook and sheet passwords are kept as read: a legacy 16-bit hash in
// hex, or "algorithm:spin:salt:hash" for the newer hashes.
void WritePasswordHash(XmlWriter& w, const std::string& hash, const char* legacyAttr, const char* prefix) {
  if (hash.empty()) return;
  const auto c1 = hash.find(':');
  const auto c2 = c1 == std::string::npos ? c1 : hash.find(':', c1 + 1);
  const auto c3 = c2 == std::string::npos ? c2 : hash.find(':', c2 + 1);
  if (c3 == std::string::npos) {
    w.Attr(legacyAttr, hash);
    return;
  }
  const std::string p(prefix);
  w.Attr((p + "AlgorithmName").c_str(), hash.substr(0, c1));
  w.Attr((p + "HashValue").c_str(), hash.substr(c3 + 1));
  w.Attr((p + "SaltValue").c_str(), hash.substr(c2 + 1, c3 - c2 - 1));
  w.Attr((p + "SpinCount").c_str(), hash.substr(c1 + 1, c2 - c1 - 1));
}

}  // namespace

std::string FileNameOfDefinedName(const std::string& modelName) {
  for (const char* reserved : kModelReservedNames)
    if (AsciiLower(modelName) == AsciiLower(reserved)) return std::string(kReservedPrefix) + reserved;
  return modelName;
}

std::string ModelNameOfDefinedName(const std::string& fileName) {
  if (fileName.size() > kReservedPrefix.size() &&
      AsciiLower(fileName.substr(0, kReservedPrefix.size())) == kReservedPrefix) {
    const std::string rest = fileName.substr(kReservedPrefix.size());
    for (const char* reserved : kModelReservedNames)
      if (AsciiLower(rest) == AsciiLower(reserved)) return reserved;
  }
  return fileName;
}

std::string WriteWorkbookXml(const Workbook& book, const WorkbookPartOut& info) {
  std::string out;
  XmlWriter w(out);
  w.Declaration();
  w.Open("workbook").Attr("xmlns", kNsMain).Attr("xmlns:r", kNsRel).End();
  w.Open("workbookPr");
  if (book.date1904) w.AttrFlag("date1904");
  w.Empty();

  const WorkbookProtection& prot = book.Protection();
  if (prot.structure || prot.windows) {
    w.Open("workbookProtection");
    WritePasswordHash(w, prot.passwordHash, "workbookPassword", "workbook");
    if (prot.structure) w.AttrFlag("lockStructure");
    if (prot.windows) w.AttrFlag("lockWindows");
    w.Empty();
  }

  out += "<bookViews>";
  w.Open("workbookView").Attr("xWindow", 0).Attr("yWindow", 0).Attr("windowWidth", 28800).Attr("windowHeight", 12300);
  w.Attr("activeTab", info.activeTab).Empty();
  out += "</bookViews>";

  out += "<sheets>";
  for (std::size_t i = 0; i < info.sheets.size(); ++i) {
    const Worksheet& ws = *info.sheets[i];
    w.Open("sheet").Attr("name", ws.Name()).Attr("sheetId", static_cast<int>(i + 1));
    // The active sheet is always shown (the caller made sure it is visible).
    if (static_cast<int>(i) != info.activeTab) {
      if (ws.Visibility() == SheetVisibility::Hidden) w.Attr("state", "hidden");
      if (ws.Visibility() == SheetVisibility::VeryHidden) w.Attr("state", "veryHidden");
    }
    w.Attr("r:id", "rId" + std::to_string(i + 1)).Empty();
  }
  out += "</sheets>";

  // Names: one per name and scope (a duplicate makes the applications
  // repair the file), scopes as positions of the sheets written.
  std::string names;
  XmlWriter nw(names);
  std::set<std::pair<std::string, long long>> seen;
  for (const DefinedName& n : book.Names()) {
    std::string text = n.refersTo;
    if (!text.empty() && text.front() == '=') text.erase(0, 1);
    if (n.name.empty() || text.empty()) continue;
    long long scope = -1;
    if (n.scope) {
      auto it = std::find(info.sheets.begin(), info.sheets.end(), n.scope);
      if (it == info.sheets.end()) continue;  // the scope sheet is not part of this workbook
      scope = it - info.sheets.begin();
    }
    const std::string fileName = FileNameOfDefinedName(n.name);
    if (!seen.insert({AsciiLower(fileName), scope}).second) continue;
    nw.Open("definedName").Attr("name", fileName);
    if (!n.comment.empty()) nw.Attr("comment", n.comment);
    if (n.hidden) nw.AttrFlag("hidden");
    if (scope >= 0) nw.AttrInt("localSheetId", scope);
    nw.End();
    nw.Text(text);
    nw.Close("definedName");
  }
  if (!names.empty()) {
    out += "<definedNames>";
    out += names;
    out += "</definedNames>";
  }
  // Readers that cannot calculate show the cached values; Excel recalculates.
  out += "<calcPr calcId=\"191029\" fullCalcOnLoad=\"1\"/>";
  w.Close("workbook");
  return out;
}

WorkbookPartIn ReadWorkbookXml(pugi::xml_node root) {
  WorkbookPartIn in;
  for (pugi::xml_node n = root.first_child(); n; n = n.next_sibling()) {
    if (n.type() != pugi::node_element) continue;
    const std::string_view name = LocalName(n.name());
    if (name == "workbookPr") {
      in.date1904 = AttrBool(n, "date1904", false);
    } else if (name == "workbookProtection") {
      in.protection.structure = AttrBool(n, "lockStructure", false);
      in.protection.windows = AttrBool(n, "lockWindows", false);
      if (pugi::xml_attribute legacy = Attribute(n, "workbookPassword")) {
        in.protection.passwordHash = legacy.value();
      } else if (Attribute(n, "workbookHashValue")) {
        in.protection.passwordHash =
            std::string(AttrText(n, "workbookAlgorithmName")) + ":" + std::string(AttrText(n, "workbookSpinCount")) +
            ":" + std::string(AttrText(n, "workbookSaltValue")) + ":" + std::string(AttrText(n, "workbookHashValue"));
      }
    } else if (name == "bookViews") {
      if (pugi::xml_node v = Child(n, "workbookView")) in.activeTab = AttrInt(v, "activeTab", 0);
    } else if (name == "sheets") {
      for (pugi::xml_node s : n.children()) {
        if (!IsNamed(s, "sheet")) continue;
        WorkbookPartIn::SheetEntry e;
        e.name = std::string(AttrText(s, "name"));
        e.relId = std::string(AttrText(s, "id"));
        const std::string_view state = AttrText(s, "state");
        if (state == "hidden") e.state = SheetVisibility::Hidden;
        if (state == "veryHidden") e.state = SheetVisibility::VeryHidden;
        in.sheets.push_back(std::move(e));
      }
    } else if (name == "definedNames") {
      for (pugi::xml_node d : n.children()) {
        if (!IsNamed(d, "definedName")) continue;
        WorkbookPartIn::NameEntry e;
        e.name = std::string(AttrText(d, "name"));
        e.text = ElementText(d);
        e.comment = std::string(AttrText(d, "comment"));
        e.localSheetId = AttrInt(d, "localSheetId", -1);
        e.hidden = AttrBool(d, "hidden", false);
        in.names.push_back(std::move(e));
      }
    }
  }
  return in;
}

}  // namespace korvane::host::ooxml
