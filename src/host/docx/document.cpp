// The .docx document: its package parts, the text search over runs, merge
// fields and the mail-merge settings.
#include "host/docx/document.h"
#include "host/ascii.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <new>

#include <pugixml.hpp>

#include "host/file_save.h"
#include "host/ooxml/xlsx_internal.h"

namespace korvane::host::docx {

namespace fs = std::filesystem;
using ooxml::Child;
using ooxml::LocalName;
using ooxml::ReadContext;

namespace {

constexpr const char* kContentTypesPart = "[Content_Types].xml";
constexpr const char* kPackageRelsPart = "_rels/.rels";
constexpr const char* kNsW = "http://schemas.openxmlformats.org/wordprocessingml/2006/main";
constexpr const char* kDocumentMainType =
    "application/vnd.openxmlformats-officedocument.wordprocessingml.document.main+xml";
constexpr const char* kSettingsType = "application/vnd.openxmlformats-officedocument.wordprocessingml.settings+xml";
constexpr const char* kRelSettings = "http://schemas.openxmlformats.org/officeDocument/2006/relationships/settings";
constexpr const char* kRelMailMergeSource =
    "http://schemas.openxmlformats.org/officeDocument/2006/relationships/mailMergeSource";

// Separator standing for a tab, a break or a field boundary in a paragraph's
// text: no searched text contains it, so no match reaches across one.
constexpr char kSeparator = '\x01';
// The same for white space (tab, break): a blank in the plain text.
constexpr char kBlank = '\x02';

// Elements of the settings part that come before w:mailMerge, in the order
// the schema fixes; w:mailMerge goes after the last of them present.
constexpr std::string_view kBeforeMailMerge[] = {"writeProtection",
                                                 "view",
                                                 "zoom",
                                                 "removePersonalInformation",
                                                 "removeDateAndTime",
                                                 "doNotDisplayPageBoundaries",
                                                 "displayBackgroundShape",
                                                 "printPostScriptOverText",
                                                 "printFractionalCharacterWidth",
                                                 "printFormsData",
                                                 "embedTrueTypeFonts",
                                                 "embedSystemFonts",
                                                 "saveSubsetFonts",
                                                 "saveFormsData",
                                                 "mirrorMargins",
                                                 "alignBordersAndEdges",
                                                 "bordersDoNotSurroundHeader",
                                                 "bordersDoNotSurroundFooter",
                                                 "gutterAtTop",
                                                 "hideSpellingErrors",
                                                 "hideGrammaticalErrors",
                                                 "activeWritingStyle",
                                                 "proofState",
                                                 "formsDesign",
                                                 "attachedTemplate",
                                                 "linkStyles",
                                                 "stylePaneFormatFilter",
                                                 "stylePaneSortMethod",
                                                 "documentType"};

std::string_view Local(const pugi::xml_node& n) { return LocalName(n.name()); }

// "w:" from "w:p"; "" for an unprefixed name.
std::string PrefixOf(const pugi::xml_node& n) {
  const std::string_view name = n.name();
  const auto colon = name.find(':');
  return colon == std::string_view::npos ? std::string() : std::string(name.substr(0, colon + 1));
}

pugi::xml_node Node(void* p) { return pugi::xml_node(static_cast<pugi::xml_node_struct*>(p)); }
void* Handle(const pugi::xml_node& n) { return n.internal_object(); }

void SetPreserve(pugi::xml_node t) {
  if (!t.attribute("xml:space")) t.append_attribute("xml:space") = "preserve";
}

// A piece of a paragraph's text: the w:t element it comes from (null for a
// separator) and where it starts in the paragraph's text.
struct Segment {
  pugi::xml_node t;
  std::size_t start = 0;
  std::size_t length = 0;
};

struct ParagraphText {
  std::string text;
  std::vector<Segment> segments;
};

void CollectRuns(const pugi::xml_node& parent, ParagraphText& out) {
  for (pugi::xml_node child : parent.children()) {
    if (child.type() != pugi::node_element) continue;
    const std::string_view local = Local(child);
    if (local == "r") {
      for (pugi::xml_node rc : child.children()) {
        if (rc.type() != pugi::node_element) continue;
        const std::string_view rl = Local(rc);
        if (rl == "t") {
          const std::string_view s = rc.text().get();
          out.segments.push_back(Segment{rc, out.text.size(), s.size()});
          out.text += s;
        } else if (rl == "tab" || rl == "br" || rl == "cr" || rl == "ptab") {
          out.segments.push_back(Segment{pugi::xml_node(), out.text.size(), 1});
          out.text += kBlank;
        } else if (rl == "fldChar" || rl == "sym") {
          out.segments.push_back(Segment{pugi::xml_node(), out.text.size(), 1});
          out.text += kSeparator;
        }
      }
    } else if (local == "p" || local == "pPr" || local == "rPr" || local == "del" || local == "moveFrom" ||
               local == "txbxContent") {
      // Nested paragraphs are searched on their own; deleted text is not text.
    } else {
      CollectRuns(child, out);  // hyperlinks, smart tags, insertions, content controls, simple fields
    }
  }
}

ParagraphText TextOf(const pugi::xml_node& p) {
  ParagraphText out;
  CollectRuns(p, out);
  return out;
}

void Paragraphs(const pugi::xml_node& n, std::vector<pugi::xml_node>& out) {
  for (pugi::xml_node child : n.children()) {
    if (child.type() != pugi::node_element) continue;
    if (Local(child) == "p") out.push_back(child);
    Paragraphs(child, out);  // text boxes inside a paragraph's runs
  }
}

bool HasContentBefore(const pugi::xml_node& t) {
  for (pugi::xml_node n = t.previous_sibling(); n; n = n.previous_sibling())
    if (n.type() == pugi::node_element && Local(n) != "rPr") return true;
  return false;
}

bool HasContentAfter(const pugi::xml_node& t) {
  for (pugi::xml_node n = t.next_sibling(); n; n = n.next_sibling())
    if (n.type() == pugi::node_element) return true;
  return false;
}

// Splits the run of text element t at byte `offset` of its text: the run
// keeps what comes before, a new run after it (same properties) takes the
// rest. Nothing happens when the offset is already at the run's edge.
void SplitRunAt(pugi::xml_node t, std::size_t offset) {
  const std::string text = t.text().get();
  const bool before = offset > 0 || HasContentBefore(t);
  const bool after = offset < text.size() || HasContentAfter(t);
  if (!before || !after) return;
  pugi::xml_node run = t.parent();
  pugi::xml_node rest = run.parent().insert_child_after(run.name(), run);
  if (pugi::xml_node rPr = Child(run, "rPr")) rest.append_copy(rPr);
  if (offset < text.size()) {
    pugi::xml_node nt = rest.append_child(t.name());
    SetPreserve(nt);
    nt.text().set(text.substr(offset).c_str());
  }
  for (pugi::xml_node n = t.next_sibling(); n;) {
    pugi::xml_node next = n.next_sibling();
    rest.append_move(n);
    n = next;
  }
  if (offset == 0) {
    run.remove_child(t);
  } else {
    SetPreserve(t);
    t.text().set(text.substr(0, offset).c_str());
  }
}

const Segment* SegmentAt(const ParagraphText& pt, std::size_t pos, bool endInclusive) {
  for (const Segment& s : pt.segments) {
    if (!s.t) continue;
    if (endInclusive ? (s.start < pos && pos <= s.start + s.length) : (s.start <= pos && pos < s.start + s.length))
      return &s;
  }
  return nullptr;
}

std::string Serialize(const pugi::xml_document& doc) {
  struct Writer : pugi::xml_writer {
    std::string out;
    void write(const void* data, size_t size) override { out.append(static_cast<const char*>(data), size); }
  } w;
  doc.save(w, "", pugi::format_raw, pugi::encoding_utf8);
  return std::move(w.out);
}

std::string Trim(std::string_view s) {
  const auto b = s.find_first_not_of(" \t\r\n");
  if (b == std::string_view::npos) return {};
  const auto e = s.find_last_not_of(" \t\r\n");
  return std::string(s.substr(b, e - b + 1));
}

// The namespace prefix (with ":") an element's document binds to uri, or ""
// when none is bound on the root.
std::string BoundPrefix(const pugi::xml_node& root, std::string_view uri) {
  for (pugi::xml_attribute a : root.attributes()) {
    const std::string_view name = a.name();
    if (name.rfind("xmlns:", 0) == 0 && uri == a.value()) return std::string(name.substr(6)) + ":";
  }
  return {};
}

}  // namespace

// ---------------------------------------------------------------------------
// Package parts
// ---------------------------------------------------------------------------

struct Document::Impl {
  struct Part {
    std::string name;
    std::string raw;                    // as read, while not parsed
    std::unique_ptr<std::string> text;  // parsed in place: must outlive doc
    pugi::xml_document doc;
    bool parsed = false;
  };
  std::vector<std::unique_ptr<Part>> parts;
  std::string mainPart;
  std::string displayName;
  pugi::xml_document formats;  // run properties of deleted texts, for the fields put in their place
  std::size_t formatCount = 0;

  ReadContext Ctx() const { return ReadContext(displayName, ReadContext::Kind::Document); }

  Part* FindPart(std::string_view name) const {
    for (const auto& p : parts)
      if (EqualsAsciiNoCase(p->name, name)) return p.get();
    return nullptr;
  }

  pugi::xml_document& Xml(Part& p) {
    if (!p.parsed) {
      p.text = std::make_unique<std::string>(std::move(p.raw));
      p.raw.clear();
      ooxml::ParseXmlPart(p.doc, *p.text, Ctx(), p.name);
      p.parsed = true;
    }
    return p.doc;
  }
  pugi::xml_document* Xml(std::string_view name) {
    Part* p = FindPart(name);
    return p == nullptr ? nullptr : &Xml(*p);
  }

  Part& AddPart(const std::string& name, std::string content) {
    auto p = std::make_unique<Part>();
    p->name = name;
    p->raw = std::move(content);
    parts.push_back(std::move(p));
    return *parts.back();
  }

  std::string Bytes(const Part& p) const { return p.parsed ? Serialize(p.doc) : p.raw; }

  pugi::xml_node MainRoot() { return Xml(mainPart)->document_element(); }

  // The relationships part of a part, created empty when missing.
  pugi::xml_node RelsRoot(const std::string& part, bool create) {
    const std::string relsName = ooxml::RelsPartOf(part);
    if (FindPart(relsName) == nullptr) {
      if (!create) return {};
      AddPart(relsName, std::string(ooxml::kXmlDecl) + "<Relationships xmlns=\"" + ooxml::kNsPkgRel + "\"/>");
    }
    return Xml(relsName)->document_element();
  }

  // The part a relationship of the given type leads to ("" when none).
  std::string RelatedPart(const std::string& source, std::string_view kind) {
    pugi::xml_node rels = RelsRoot(source, false);
    if (!rels) return {};
    for (const ooxml::Relationship& r : ooxml::ParseRelationships(rels))
      if (!r.external && ooxml::RelTypeIs(r.type, kind)) return ooxml::ResolvePartName(source, r.target);
    return {};
  }

  static std::string FreeRelId(const pugi::xml_node& rels) {
    for (int n = 1;; ++n) {
      const std::string id = "rId" + std::to_string(n);
      bool used = false;
      for (pugi::xml_node r : rels.children())
        if (std::string_view(r.attribute("Id").value()) == id) used = true;
      if (!used) return id;
    }
  }

  // Sets the content type override of a part.
  void SetContentType(const std::string& part, const char* type) {
    pugi::xml_node types = Xml(kContentTypesPart)->document_element();
    const std::string partName = "/" + part;
    for (pugi::xml_node o : types.children()) {
      if (Local(o) == "Override" && EqualsAsciiNoCase(o.attribute("PartName").value(), partName)) {
        o.attribute("ContentType").set_value(type);
        return;
      }
    }
    pugi::xml_node o =
        types.append_child(PrefixOf(types).empty() ? "Override" : (PrefixOf(types) + "Override").c_str());
    o.append_attribute("PartName") = partName.c_str();
    o.append_attribute("ContentType") = type;
  }

  std::string ContentTypeOf(const std::string& part) {
    pugi::xml_node types = Xml(kContentTypesPart)->document_element();
    const std::string partName = "/" + part;
    for (pugi::xml_node o : types.children())
      if (Local(o) == "Override" && EqualsAsciiNoCase(o.attribute("PartName").value(), partName))
        return o.attribute("ContentType").value();
    const auto dot = part.rfind('.');
    const std::string ext = dot == std::string::npos ? std::string() : part.substr(dot + 1);
    for (pugi::xml_node d : types.children())
      if (Local(d) == "Default" && EqualsAsciiNoCase(d.attribute("Extension").value(), ext))
        return d.attribute("ContentType").value();
    return {};
  }

  // The settings part, made when the document has none.
  std::string SettingsPart(bool create) {
    std::string settings = RelatedPart(mainPart, "settings");
    if (EqualsAsciiNoCase(settings, mainPart) || EqualsAsciiNoCase(settings, kContentTypesPart) ||
        (!settings.empty() && settings.back() == '/') || settings.find("_rels/") != std::string::npos)
      throw HostError("文档的设置部分无效。");
    if (Part* existing = settings.empty() ? nullptr : FindPart(settings)) return existing->name;
    if (!create) return {};
    if (settings.empty()) {
      const auto slash = mainPart.rfind('/');
      settings = (slash == std::string::npos ? std::string() : mainPart.substr(0, slash + 1)) + "settings.xml";
      pugi::xml_node rels = RelsRoot(mainPart, true);
      pugi::xml_node r = rels.append_child((PrefixOf(rels) + "Relationship").c_str());
      r.append_attribute("Id") = FreeRelId(rels).c_str();
      r.append_attribute("Type") = kRelSettings;
      r.append_attribute("Target") = settings.substr(slash == std::string::npos ? 0 : slash + 1).c_str();
    }
    // A relationship whose part is missing gets the part it names.
    AddPart(settings,
            std::string(ooxml::kXmlDecl) + "<w:settings xmlns:w=\"" + kNsW + "\" xmlns:r=\"" + ooxml::kNsRel + "\"/>");
    SetContentType(settings, kSettingsType);
    return settings;
  }

  // Checks the package and types its main part as a document.
  void Open() {
    const ReadContext ctx = Ctx();
    if (FindPart(kContentTypesPart) == nullptr) ctx.Damaged("缺少" + std::string(kContentTypesPart));
    if (FindPart(kPackageRelsPart) == nullptr) ctx.Damaged("缺少" + std::string(kPackageRelsPart));
    Xml(kContentTypesPart);
    pugi::xml_node rels = Xml(kPackageRelsPart)->document_element();
    for (const ooxml::Relationship& r : ooxml::ParseRelationships(rels))
      if (!r.external && ooxml::RelTypeIs(r.type, "officeDocument")) {
        mainPart = ooxml::ResolvePartName("", r.target);
        break;
      }
    if (!mainPart.empty() && mainPart.front() == '/') mainPart.erase(0, 1);
    if (mainPart.empty() || FindPart(mainPart) == nullptr) ctx.Damaged("缺少主文档部分");
    mainPart = FindPart(mainPart)->name;
    const std::string type = ContentTypeOf(mainPart);
    if (type.find("wordprocessingml") == std::string::npos && type.find("ms-word") == std::string::npos)
      ctx.Damaged("这不是文字处理文档");
    if (Local(MainRoot()) != "document") ctx.Damaged("主文档部分的根元素不是document");
    // A document made from a template (.dotx, .dotm) is a plain document.
    if (type != kDocumentMainType) SetContentType(mainPart, kDocumentMainType);
  }
};

Document::Document(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
Document::Document(Document&&) noexcept = default;
Document& Document::operator=(Document&&) noexcept = default;
Document::~Document() = default;

namespace {

template <typename Fill>
std::unique_ptr<Document::Impl> Load(const std::string& displayName, Fill fill) {
  auto impl = std::make_unique<Document::Impl>();
  impl->displayName = displayName;
  const ReadContext ctx = impl->Ctx();
  try {
    fill(*impl, ctx);
    impl->Open();
  } catch (...) {
    ctx.ReportCurrentException();
  }
  return impl;
}

void ReadAll(ooxml::ZipReader& zip, Document::Impl& impl, const DocumentLimits& limits) {
  for (const std::string& name : zip.EntryNames(limits.maxEntries)) {
    if (name.empty() || name.back() == '/') continue;  // folder entries
    std::string stored = name.front() == '/' ? name.substr(1) : name;
    if (impl.FindPart(stored) != nullptr) continue;  // a duplicate name: the first one counts
    impl.AddPart(stored, zip.Read(name));
  }
}

}  // namespace

Document Document::FromTemplate(const std::string& path, const DocumentLimits& limits) {
  return Document(Load(path, [&](Impl& impl, const ReadContext& ctx) {
    ooxml::ZipReader zip(path, true, ctx, limits.bytes);
    ReadAll(zip, impl, limits);
  }));
}

Document Document::FromBytes(const std::string& bytes, const DocumentLimits& limits) {
  return Document(Load("", [&](Impl& impl, const ReadContext& ctx) {
    ooxml::ZipReader zip(bytes, ctx, limits.bytes);
    ReadAll(zip, impl, limits);
  }));
}

Document Document::FromParts(std::vector<std::pair<std::string, std::string>> parts) {
  return Document(Load("", [&](Impl& impl, const ReadContext&) {
    for (auto& [name, content] : parts) impl.AddPart(name, std::move(content));
  }));
}

// ---------------------------------------------------------------------------
// Find, delete, merge fields
// ---------------------------------------------------------------------------

std::optional<TextMatch> Document::Find(std::string_view text) const {
  if (text.empty() || text.find_first_of("\x01\x02") != std::string_view::npos) return std::nullopt;
  std::vector<pugi::xml_node> paragraphs;
  Paragraphs(impl_->MainRoot(), paragraphs);
  for (const pugi::xml_node& p : paragraphs) {
    const ParagraphText pt = TextOf(p);
    const std::size_t at = FindAsciiNoCase(pt.text, text);
    if (at != std::string_view::npos) return TextMatch{Handle(p), at, at + text.size()};
  }
  return std::nullopt;
}

InsertionPoint Document::Delete(const TextMatch& match) {
  const pugi::xml_node p = Node(match.paragraph);
  // Runs are split where the text begins and ends (the end first, so the
  // beginning's offset stays valid), then the runs in between go.
  {
    const ParagraphText pt = TextOf(p);
    const Segment* last = SegmentAt(pt, match.end, true);
    if (last == nullptr) throw HostError("要删除的文字已不在文档中。");
    SplitRunAt(last->t, match.end - last->start);
  }
  {
    const ParagraphText pt = TextOf(p);
    const Segment* first = SegmentAt(pt, match.begin, false);
    if (first == nullptr) throw HostError("要删除的文字已不在文档中。");
    SplitRunAt(first->t, match.begin - first->start);
  }
  std::vector<pugi::xml_node> runs;
  for (const Segment& s : TextOf(p).segments) {
    if (!s.t || s.start < match.begin || s.start >= match.end) continue;
    const pugi::xml_node run = s.t.parent();
    if (std::find(runs.begin(), runs.end(), run) == runs.end()) runs.push_back(run);
  }
  if (runs.empty()) throw HostError("要删除的文字已不在文档中。");

  InsertionPoint at;
  at.parent = Handle(runs.front().parent());
  at.after = Handle(runs.front().previous_sibling());
  if (pugi::xml_node rPr = Child(runs.front(), "rPr")) {
    impl_->formats.append_copy(rPr);
    at.format = ++impl_->formatCount;
  }
  for (pugi::xml_node run : runs) run.parent().remove_child(run);
  return at;
}

void Document::InsertMergeField(const InsertionPoint& at, std::string_view name) {
  pugi::xml_node parent = Node(at.parent);
  pugi::xml_node after = Node(at.after);
  pugi::xml_node format;
  if (at.format > 0) {
    std::size_t i = 0;
    for (pugi::xml_node n : impl_->formats.children())
      if (++i == at.format) format = n;
  }
  const std::string w = PrefixOf(parent);
  auto addRun = [&]() {
    pugi::xml_node run =
        after ? parent.insert_child_after((w + "r").c_str(), after) : parent.prepend_child((w + "r").c_str());
    if (format) run.append_copy(format);
    after = run;
    return run;
  };
  auto fldChar = [&](const char* type) {
    addRun().append_child((w + "fldChar").c_str()).append_attribute((w + "fldCharType").c_str()) = type;
  };
  const std::string field(name);
  fldChar("begin");
  pugi::xml_node instr = addRun().append_child((w + "instrText").c_str());
  SetPreserve(instr);
  instr.text().set((" MERGEFIELD  " + field + " ").c_str());
  fldChar("separate");
  pugi::xml_node t = addRun().append_child((w + "t").c_str());
  t.text().set(("«" + field + "»").c_str());
  fldChar("end");
}

std::vector<MergeField> Document::MergeFields() const {
  struct Open {
    std::string instr, result;
    bool inResult = false;
  };
  std::vector<MergeField> fields;
  std::vector<Open> stack;
  auto emit = [&](const std::string& instr, const std::string& result) {
    const std::string trimmed = Trim(instr);
    if (trimmed.rfind("MERGEFIELD", 0) == 0) fields.push_back(MergeField{trimmed, result});
  };
  auto walk = [&](auto&& self, const pugi::xml_node& n) -> void {
    for (pugi::xml_node c : n.children()) {
      if (c.type() != pugi::node_element) continue;
      const std::string_view local = Local(c);
      if (local == "fldSimple") {
        std::string result;
        for (const pugi::xpath_node& t : c.select_nodes(".//*[local-name()='t']")) result += t.node().text().get();
        emit(std::string(ooxml::AttrText(c, "instr")), result);
        continue;
      }
      if (local == "fldChar") {
        const std::string_view type = ooxml::AttrText(c, "fldCharType");
        if (type == "begin") {
          stack.push_back(Open{});
        } else if (type == "separate" && !stack.empty()) {
          stack.back().inResult = true;
        } else if (type == "end" && !stack.empty()) {
          Open done = std::move(stack.back());
          stack.pop_back();
          emit(done.instr, done.result);
          if (!stack.empty() && stack.back().inResult) stack.back().result += done.result;
        }
        continue;
      }
      if (local == "instrText" && !stack.empty() && !stack.back().inResult) {
        stack.back().instr += c.text().get();
        continue;
      }
      if (local == "t" && !stack.empty() && stack.back().inResult) {
        stack.back().result += c.text().get();
        continue;
      }
      self(self, c);
    }
  };
  walk(walk, impl_->MainRoot());
  return fields;
}

std::string Document::PlainText() const {
  std::vector<pugi::xml_node> paragraphs;
  Paragraphs(impl_->MainRoot(), paragraphs);
  std::string out;
  for (const pugi::xml_node& p : paragraphs) {
    for (char c : TextOf(p).text)
      if (c == kBlank)
        out += ' ';
      else if (c != kSeparator)
        out += c;
    out += '\n';
  }
  return out;
}

// ---------------------------------------------------------------------------
// Mail merge
// ---------------------------------------------------------------------------

std::string FileUri(const std::string& path) {
  std::error_code ec;
  std::string full = fs::absolute(fs::path(path), ec).string();
  if (ec) full = path;
  std::string uri = "file://";
  if (full.empty() || full.front() != '/') uri += '/';
  static const char* hex = "0123456789ABCDEF";
  for (unsigned char c : full) {
    if (c <= 0x20 || c == 0x7F || c == '%' || c == '#' || c == '?') {
      uri += '%';
      uri += hex[c >> 4];
      uri += hex[c & 15];
    } else {
      uri += static_cast<char>(c);
    }
  }
  return uri;
}

void Document::SetMailMergeSource(const std::string& dataSourcePath, const std::string& query) {
  Impl& impl = *impl_;
  const std::string settingsPart = impl.SettingsPart(true);
  pugi::xml_node settings = impl.Xml(settingsPart)->document_element();
  const std::string w = PrefixOf(settings);

  // The relationship to the data source file replaces an earlier one.
  pugi::xml_node rels = impl.RelsRoot(settingsPart, true);
  for (pugi::xml_node r = rels.first_child(); r;) {
    pugi::xml_node next = r.next_sibling();
    if (ooxml::RelTypeIs(r.attribute("Type").value(), "mailMergeSource")) rels.remove_child(r);
    r = next;
  }
  const std::string relId = Impl::FreeRelId(rels);
  pugi::xml_node rel = rels.append_child((PrefixOf(rels) + "Relationship").c_str());
  rel.append_attribute("Id") = relId.c_str();
  rel.append_attribute("Type") = kRelMailMergeSource;
  rel.append_attribute("Target") = FileUri(dataSourcePath).c_str();
  rel.append_attribute("TargetMode") = "External";

  std::string r = BoundPrefix(settings, ooxml::kNsRel);
  if (r.empty()) {
    r = settings.attribute("xmlns:r") ? "korvaner:" : "r:";  // "r" may be bound to another namespace
    settings.append_attribute(("xmlns:" + r.substr(0, r.size() - 1)).c_str()) = ooxml::kNsRel;
  }

  for (pugi::xml_node c = settings.first_child(); c;) {
    pugi::xml_node next = c.next_sibling();
    if (c.type() == pugi::node_element && Local(c) == "mailMerge") settings.remove_child(c);
    c = next;
  }
  pugi::xml_node anchor;
  for (pugi::xml_node c : settings.children()) {
    if (c.type() != pugi::node_element) continue;
    const std::string_view local = Local(c);
    if (std::find(std::begin(kBeforeMailMerge), std::end(kBeforeMailMerge), local) != std::end(kBeforeMailMerge))
      anchor = c;
  }
  const std::string mm = w + "mailMerge";
  pugi::xml_node merge = anchor ? settings.insert_child_after(mm.c_str(), anchor) : settings.prepend_child(mm.c_str());
  auto val = [&](const char* local, const std::string& value) {
    merge.append_child((w + local).c_str()).append_attribute((w + "val").c_str()) = value.c_str();
  };
  std::error_code ec;
  std::string full = fs::absolute(fs::path(dataSourcePath), ec).string();
  if (ec) full = dataSourcePath;
  val("mainDocumentType", "formLetters");
  merge.append_child((w + "linkToQuery").c_str());
  val("dataType", "native");
  val("connectString", "Provider=Microsoft.ACE.OLEDB.12.0;User ID=Admin;Data Source=" + full +
                           ";Mode=Read;Extended Properties=\"HDR=YES;IMEX=1;\";");
  val("query", query);
  merge.append_child((w + "dataSource").c_str()).append_attribute((r + "id").c_str()) = relId.c_str();
}

std::optional<MailMergeSettings> Document::MailMerge() const {
  Impl& impl = *impl_;
  const std::string settingsPart = impl.SettingsPart(false);
  if (settingsPart.empty()) return std::nullopt;
  pugi::xml_node settings = impl.Xml(settingsPart)->document_element();
  pugi::xml_node merge = Child(settings, "mailMerge");
  if (!merge) return std::nullopt;
  MailMergeSettings out;
  auto val = [&](const char* local) { return std::string(ooxml::AttrText(Child(merge, local), "val")); };
  out.mainDocumentType = val("mainDocumentType");
  out.dataType = val("dataType");
  out.query = val("query");
  out.linkToQuery = static_cast<bool>(Child(merge, "linkToQuery"));
  const std::string id(ooxml::AttrText(Child(merge, "dataSource"), "id"));
  if (pugi::xml_node rels = impl.RelsRoot(settingsPart, false))
    for (const ooxml::Relationship& rel : ooxml::ParseRelationships(rels))
      if (rel.id == id) out.dataSource = rel.target;
  return out;
}

// ---------------------------------------------------------------------------
// The look of the pages
// ---------------------------------------------------------------------------

namespace {

double Twips(const pugi::xml_node& n, const char* attr, double fallback) {
  long long v = 0;
  const std::string_view t = ooxml::AttrText(n, attr);
  if (t.empty() || !ooxml::ParseInt(t, v)) return fallback;
  return static_cast<double>(v) / 20.0;
}

bool OnOff(const pugi::xml_node& n) {
  if (!n) return false;
  const std::string_view v = ooxml::AttrText(n, "val");
  return v.empty() || (v != "0" && v != "false" && v != "off" && v != "none");
}

struct RunDefaults {
  std::string font;
  double size = 12;
};

RunLook LookOfRun(const pugi::xml_node& run, const RunDefaults& defaults) {
  RunLook look;
  look.font = defaults.font;
  look.size = defaults.size;
  if (pugi::xml_node rPr = Child(run, "rPr")) {
    if (pugi::xml_node fonts = Child(rPr, "rFonts")) {
      std::string_view f = ooxml::AttrText(fonts, "eastAsia");
      if (f.empty()) f = ooxml::AttrText(fonts, "ascii");
      if (!f.empty()) look.font = std::string(f);
    }
    long long half = 0;
    if (pugi::xml_node sz = Child(rPr, "sz");
        sz && ooxml::ParseInt(ooxml::AttrText(sz, "val"), half) && half > 0 && half < 4000)
      look.size = static_cast<double>(half) / 2.0;
    look.bold = OnOff(Child(rPr, "b"));
    look.underline = OnOff(Child(rPr, "u"));
  }
  return look;
}

class LookBuilder {
 public:
  LookBuilder(const std::vector<std::pair<std::string, std::string>>& values, RunDefaults defaults)
      : values_(values), defaults_(std::move(defaults)) {}

  ParagraphLook Paragraph(const pugi::xml_node& p) {
    ParagraphLook look;
    if (pugi::xml_node pPr = Child(p, "pPr")) {
      const std::string_view jc = ooxml::AttrText(Child(pPr, "jc"), "val");
      if (jc == "center")
        look.align = ParagraphAlign::Center;
      else if (jc == "right" || jc == "end")
        look.align = ParagraphAlign::Right;
      if (pugi::xml_node sp = Child(pPr, "spacing")) {
        look.spaceBefore = Twips(sp, "before", 0);
        look.spaceAfter = Twips(sp, "after", 0);
        const std::string_view rule = ooxml::AttrText(sp, "lineRule");
        long long line = 0;
        if ((rule.empty() || rule == "auto") && ooxml::ParseInt(ooxml::AttrText(sp, "line"), line) && line > 0)
          look.lineSpacing = std::clamp(static_cast<double>(line) / 240.0, 0.5, 5.0);
      }
      firstLine_ = Child(pPr, "ind");
    } else {
      firstLine_ = pugi::xml_node();
    }
    paragraph_ = &look;
    Walk(p);
    if (firstLine_) {
      long long chars = 0;
      const double size = look.runs.empty() ? defaults_.size : look.runs.front().size;
      if (ooxml::ParseInt(ooxml::AttrText(firstLine_, "firstLineChars"), chars) && chars > 0)
        look.firstLineIndent = static_cast<double>(chars) / 100.0 * size;
      else
        look.firstLineIndent = std::max(0.0, Twips(firstLine_, "firstLine", 0));
    }
    return look;
  }

 private:
  struct Field {
    std::string instr;
    bool inResult = false;
    bool shown = false;  // the value has been put in the place of the result
  };

  std::string ValueOf(const std::string& instruction) const {
    std::string rest = Trim(instruction);
    if (rest.rfind("MERGEFIELD", 0) != 0) return {};
    rest = Trim(rest.substr(10));
    const auto space = rest.find_first_of(" \t");
    if (space != std::string::npos) rest = rest.substr(0, space);  // switches after the name
    if (rest.size() >= 2 && rest.front() == '"' && rest.back() == '"') rest = rest.substr(1, rest.size() - 2);
    for (const auto& [name, value] : values_)
      if (name == rest) return value;
    return {};
  }

  bool InMergeResult() const {
    for (const Field& f : fields_)
      if (f.inResult && Trim(f.instr).rfind("MERGEFIELD", 0) == 0) return true;
    return false;
  }

  void Text(const pugi::xml_node& run, const std::string& text) {
    RunLook look = LookOfRun(run, defaults_);
    look.text = text;
    if (!paragraph_->runs.empty()) {
      RunLook& last = paragraph_->runs.back();
      if (last.font == look.font && last.size == look.size && last.bold == look.bold &&
          last.underline == look.underline) {
        last.text += text;
        return;
      }
    }
    paragraph_->runs.push_back(std::move(look));
  }

  void Walk(const pugi::xml_node& n) {
    for (pugi::xml_node c : n.children()) {
      if (c.type() != pugi::node_element) continue;
      const std::string_view local = Local(c);
      if (local == "pPr" || local == "del" || local == "moveFrom" || local == "p") continue;
      if (local == "fldSimple") {
        pugi::xml_node firstRun;
        for (pugi::xml_node r : c.children())
          if (Local(r) == "r") {
            firstRun = r;
            break;
          }
        Text(firstRun ? firstRun : c, ValueOf(std::string(ooxml::AttrText(c, "instr"))));
        continue;
      }
      if (local != "r") {
        Walk(c);
        continue;
      }
      for (pugi::xml_node rc : c.children()) {
        if (rc.type() != pugi::node_element) continue;
        const std::string_view rl = Local(rc);
        if (rl == "fldChar") {
          const std::string_view type = ooxml::AttrText(rc, "fldCharType");
          if (type == "begin")
            fields_.push_back(Field{});
          else if (type == "separate" && !fields_.empty())
            fields_.back().inResult = true;
          else if (type == "end" && !fields_.empty()) {
            Field done = fields_.back();
            fields_.pop_back();
            // A merge field without a shown result still shows its value.
            if (!done.shown && Trim(done.instr).rfind("MERGEFIELD", 0) == 0) Text(c, ValueOf(done.instr));
          }
        } else if (rl == "instrText") {
          if (!fields_.empty() && !fields_.back().inResult) fields_.back().instr += rc.text().get();
        } else if (rl == "t" || rl == "tab") {
          if (InMergeResult()) {
            Field& f = fields_.back();
            if (!f.shown && f.inResult) {
              f.shown = true;
              Text(c, ValueOf(f.instr));
            }
            continue;
          }
          bool inInstruction = false;
          for (const Field& f : fields_) inInstruction = inInstruction || !f.inResult;
          if (inInstruction) continue;
          Text(c, rl == "t" ? std::string(rc.text().get()) : std::string("　"));
        }
      }
    }
  }

  const std::vector<std::pair<std::string, std::string>>& values_;
  RunDefaults defaults_;
  std::vector<Field> fields_;
  ParagraphLook* paragraph_ = nullptr;
  pugi::xml_node firstLine_;
};

}  // namespace

DocumentLook Document::Look(const std::vector<std::pair<std::string, std::string>>& values) const {
  Impl& impl = *impl_;
  DocumentLook look;
  RunDefaults defaults;
  const std::string stylesPart = impl.RelatedPart(impl.mainPart, "styles");
  if (pugi::xml_document* styles = stylesPart.empty() ? nullptr : impl.Xml(stylesPart)) {
    pugi::xml_node rPr = Child(Child(Child(styles->document_element(), "docDefaults"), "rPrDefault"), "rPr");
    if (rPr) {
      pugi::xml_document scratch;
      pugi::xml_node run = scratch.append_child("r");
      run.append_copy(rPr).set_name("rPr");
      const RunLook d = LookOfRun(run, defaults);
      defaults.font = d.font;
      defaults.size = d.size;
    }
  }
  pugi::xml_node body = Child(impl.MainRoot(), "body");
  if (pugi::xml_node sect = Child(body, "sectPr")) {
    if (pugi::xml_node sz = Child(sect, "pgSz")) {
      look.pageWidth = std::clamp(Twips(sz, "w", look.pageWidth), 72.0, 2000.0);
      look.pageHeight = std::clamp(Twips(sz, "h", look.pageHeight), 72.0, 2000.0);
    }
    if (pugi::xml_node m = Child(sect, "pgMar")) {
      look.marginTop = std::clamp(std::abs(Twips(m, "top", look.marginTop)), 0.0, look.pageHeight / 3);
      look.marginBottom = std::clamp(std::abs(Twips(m, "bottom", look.marginBottom)), 0.0, look.pageHeight / 3);
      look.marginLeft = std::clamp(Twips(m, "left", look.marginLeft), 0.0, look.pageWidth / 3);
      look.marginRight = std::clamp(Twips(m, "right", look.marginRight), 0.0, look.pageWidth / 3);
    }
    if (pugi::xml_node b = Child(sect, "pgBorders")) {
      pugi::xml_node top = Child(b, "top");
      const std::string_view val = ooxml::AttrText(top, "val");
      if (top && !val.empty() && val != "none" && val != "nil") {
        look.border.present = true;
        look.border.doubleLine = val == "double";
        long long eighths = 4, space = 0;
        ooxml::ParseInt(ooxml::AttrText(top, "sz"), eighths);
        ooxml::ParseInt(ooxml::AttrText(top, "space"), space);
        look.border.width = std::clamp(static_cast<double>(eighths) / 8.0, 0.25, 12.0);
        look.border.space = std::clamp(static_cast<double>(space), 0.0, 72.0);
        look.border.fromPageEdge = ooxml::AttrText(b, "offsetFrom") == "page";
        std::uint32_t rgb = 0;
        const std::string_view color = ooxml::AttrText(top, "color");
        if (color.size() == 6) {
          for (char ch : color) {
            const int d = ch >= '0' && ch <= '9'   ? ch - '0'
                          : ch >= 'A' && ch <= 'F' ? ch - 'A' + 10
                          : ch >= 'a' && ch <= 'f' ? ch - 'a' + 10
                                                   : -1;
            if (d < 0) {
              rgb = 0;
              break;
            }
            rgb = rgb * 16 + static_cast<std::uint32_t>(d);
          }
        }
        look.border.color = rgb;
      }
    }
  }
  LookBuilder builder(values, defaults);
  for (pugi::xml_node c : body.children())
    if (c.type() == pugi::node_element && Local(c) == "p") look.paragraphs.push_back(builder.Paragraph(c));
  return look;
}

// ---------------------------------------------------------------------------
// Saving
// ---------------------------------------------------------------------------

std::string Document::ToBytes() const {
  ooxml::ZipWriter zip;
  for (const auto& p : impl_->parts)
    if (p->name == kContentTypesPart) zip.Add(p->name, impl_->Bytes(*p), /*first=*/true);
  for (const auto& p : impl_->parts)
    if (p->name != kContentTypesPart) zip.Add(p->name, impl_->Bytes(*p));
  return zip.Finish();
}

void Document::SaveAs(const std::string& path) const {
  const std::string lock = ForeignLockFile(path);
  if (!lock.empty()) {
    throw FileError("文件“" + path + "”正被其他程序打开，请先在该程序中关闭它。（发现锁定文件“" +
                    fs::path(lock).filename().string() +
                    "”；如果确认没有程序在使用该文件，可以删除这个锁定文件后再保存。）");
  }
  WriteFileAtomically(path, ToBytes());
}

}  // namespace korvane::host::docx
