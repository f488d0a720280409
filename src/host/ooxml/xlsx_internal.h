// Private pieces of the workbook codec shared by its part readers and
// writers. Not included outside src/host/xlsx_*.cpp.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include <pugixml.hpp>

#include "host/errors.h"
#include "host/ooxml/xlsx.h"
#include "host/style.h"
#include "host/workbook.h"
#include "host/worksheet.h"

namespace korvane::host::ooxml {

// ---------------------------------------------------------------------------
// Namespaces and relationship types
// ---------------------------------------------------------------------------
inline constexpr const char* kNsMain = "http://schemas.openxmlformats.org/spreadsheetml/2006/main";
inline constexpr const char* kNsRel = "http://schemas.openxmlformats.org/officeDocument/2006/relationships";
inline constexpr const char* kNsPkgRel = "http://schemas.openxmlformats.org/package/2006/relationships";
inline constexpr const char* kXmlDecl = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n";

// ---------------------------------------------------------------------------
// XML text out
// ---------------------------------------------------------------------------

// Element text: & < > escaped; everything else copied.
void AppendEscaped(std::string& out, std::string_view s);
// Attribute value: & < > " escaped, tab/newline/carriage return as character
// references so that attribute normalisation keeps them.
void AppendAttrEscaped(std::string& out, std::string_view s);
// Text of a cell string (shared string, inline or formula result): control
// characters XML cannot carry become _xHHHH_, a literal "_xHHHH_" gets its
// underscore escaped as _x005F_, invalid UTF-8 is replaced by U+FFFD, then
// the XML escaping of AppendEscaped.
void AppendCellString(std::string& out, std::string_view s);
// Whether a text needs xml:space="preserve" (leading or trailing white space).
bool NeedsSpacePreserve(std::string_view s);
// The shortest decimal text that reads back as the same double.
void AppendNumber(std::string& out, double d);
void AppendInt(std::string& out, long long v);
std::string NumberText(double d);
// "FF00AA11" from an ARGB value.
std::string ArgbText(std::uint32_t argb);

// A small streaming writer over a string. Elements are opened with Open(),
// attributes added, then closed with End() (children follow) or Empty().
class XmlWriter {
 public:
  explicit XmlWriter(std::string& out) : out_(out) {}
  void Declaration() { out_ += kXmlDecl; }
  XmlWriter& Open(const char* name) {
    out_ += '<';
    out_ += name;
    return *this;
  }
  XmlWriter& Attr(const char* name, std::string_view value) {
    out_ += ' ';
    out_ += name;
    out_ += "=\"";
    AppendAttrEscaped(out_, value);
    out_ += '"';
    return *this;
  }
  XmlWriter& Attr(const char* name, const char* value) { return Attr(name, std::string_view(value)); }
  XmlWriter& Attr(const char* name, const std::string& value) { return Attr(name, std::string_view(value)); }
  XmlWriter& Attr(const char* name, int value) { return AttrInt(name, value); }
  XmlWriter& AttrInt(const char* name, long long value) {
    out_ += ' ';
    out_ += name;
    out_ += "=\"";
    AppendInt(out_, value);
    out_ += '"';
    return *this;
  }
  XmlWriter& AttrNum(const char* name, double value) {
    out_ += ' ';
    out_ += name;
    out_ += "=\"";
    AppendNumber(out_, value);
    out_ += '"';
    return *this;
  }
  XmlWriter& AttrFlag(const char* name) { return Attr(name, "1"); }
  void End() { out_ += '>'; }
  void Empty() { out_ += "/>"; }
  void Close(const char* name) {
    out_ += "</";
    out_ += name;
    out_ += '>';
  }
  void Text(std::string_view s) { AppendEscaped(out_, s); }
  void Raw(std::string_view s) { out_ += s; }
  // <name>text</name>
  void TextElement(const char* name, std::string_view text) {
    Open(name).End();
    Text(text);
    Close(name);
  }
  std::string& Out() { return out_; }

 private:
  std::string& out_;
};

// ---------------------------------------------------------------------------
// XML in
// ---------------------------------------------------------------------------

// Element and attribute names without their namespace prefix: readers match
// local names so that prefixed documents and the strict namespace both load.
const char* LocalName(const char* qualified);
inline bool IsNamed(const pugi::xml_node& n, const char* local) {
  return n.type() == pugi::node_element && std::string_view(LocalName(n.name())) == local;
}
pugi::xml_node Child(const pugi::xml_node& n, const char* local);
pugi::xml_attribute Attribute(const pugi::xml_node& n, const char* local);
std::string_view AttrText(const pugi::xml_node& n, const char* local);
bool AttrBool(const pugi::xml_node& n, const char* local, bool fallback);
long long AttrInt(const pugi::xml_node& n, const char* local, long long fallback);
double AttrDouble(const pugi::xml_node& n, const char* local, double fallback);
bool ParseBool(std::string_view s, bool fallback);
bool ParseDouble(std::string_view s, double& out);
bool ParseInt(std::string_view s, long long& out);
// Concatenated character data of an element (text and CDATA children).
std::string ElementText(const pugi::xml_node& n);
// Text of a string item (<si> or <is>): plain <t> or rich-text runs
// concatenated; phonetic runs skipped; _xHHHH_ decoded.
std::string StringItemText(const pugi::xml_node& n);
// Decodes _xHHHH_ escapes of cell strings.
std::string DecodeCellString(std::string_view s);

// "B12" -> (12, 2). Returns false when not a cell reference. Row and column
// are returned unchecked against the sheet limits (up to large values) so the
// caller can tell "beyond the grid" from "not a reference".
bool ParseCellRef(std::string_view s, long long& row, long long& col);
// "A1:B2" or "A1" (optionally with $): false when malformed.
bool ParseAreaRef(std::string_view s, long long& r1, long long& c1, long long& r2, long long& c2);
// Column letters appended to out.
void AppendColumnLetters(std::string& out, int col);

// ---------------------------------------------------------------------------
// Errors while reading
// ---------------------------------------------------------------------------
class ReadContext {
 public:
  // What the file should be, for the messages: a workbook, or a word-processing
  // document (the .docx reader shares the zip and XML readers).
  enum class Kind { Workbook, Document };
  explicit ReadContext(std::string displayName, Kind kind = Kind::Workbook)
      : name_(std::move(displayName)), kind_(kind) {}
  // "无法打开文件“X”：" + reason
  [[noreturn]] void Fail(const std::string& reason) const;
  // The file is damaged or not a workbook; detail names what is wrong.
  [[noreturn]] void Damaged(const std::string& detail = "") const;
  [[noreturn]] void TooLarge() const;
  [[noreturn]] void Encrypted() const;
  // Called in a catch block: the exception being handled, as the reader
  // reports it. A FileError goes on as it is; any other error of the host or
  // the library means a damaged file, and running out of memory a file too
  // large.
  [[noreturn]] void ReportCurrentException() const;
  const std::string& Name() const { return name_; }

 private:
  std::string name_;
  Kind kind_;
};

// How deep the elements of a part read whole may nest: far more than the
// office programs write (a few dozen at most), few enough for the readers'
// recursive walks.
inline constexpr std::size_t kMaxXmlDepth = 256;
// Parses one XML part. Rejects document type and entity declarations
// (in any encoding) and elements nested deeper than kMaxXmlDepth; throws
// through ctx on malformed XML. `text` is parsed in place and must outlive doc.
void ParseXmlPart(pugi::xml_document& doc, std::string& text, const ReadContext& ctx, const std::string& part);

// ---------------------------------------------------------------------------
// Zip container
// ---------------------------------------------------------------------------

// Writes a zip archive into memory: every entry deflated (libdeflate), sizes
// and CRC in the local headers, no data descriptors, fixed 1980-01-01 time
// stamps. Parts are compressed as they are added, on worker threads where the
// machine has cores to spare, while the caller writes the next part; a part's
// text is dropped once compressed, and the caller compresses a part itself
// when the workers are behind, so few uncompressed parts wait at a time.
// Finish() lays the entries out with the `first` ones leading, then the others
// in the order they were added. Archives beyond the 4 GB of plain zip refuse.
class ZipWriter {
 public:
  // level: libdeflate's 0 (stored) .. 12; workers: threads besides the
  // caller's (-1: one fewer than the machine's cores, at most 3).
  explicit ZipWriter(int level = 6, int workers = -1);
  ~ZipWriter();
  ZipWriter(const ZipWriter&) = delete;
  ZipWriter& operator=(const ZipWriter&) = delete;

  void Add(const std::string& name, std::string&& data, bool first = false);
  void Add(const std::string& name, std::string_view data, bool first = false) { Add(name, std::string(data), first); }
  void Add(const std::string& name, const char* data, bool first = false) { Add(name, std::string_view(data), first); }
  // The archive's bytes. Throws FileError when a part could not be
  // compressed or the archive would pass 4 GB.
  std::string Finish();

 private:
  struct Entry;
  struct Pool;
  class Compressor;
  // Compresses an entry's text into its deflated bytes and drops the text.
  static void Compress(Entry& e, const Compressor& c);

  std::vector<std::unique_ptr<Entry>> entries_;
  std::unique_ptr<Compressor> compressor_;  // the caller's, made on first use
  std::unique_ptr<Pool> pool_;              // destroyed first: its threads end before the entries go
  int level_;
};

// Reads parts from a zip archive (file or memory) with size limits that count
// the bytes actually inflated.
class ZipReader {
 public:
  ZipReader(const std::string& bytes, const ReadContext& ctx, const ReadLimits& limits);
  ZipReader(const std::string& path, bool fromFile, const ReadContext& ctx, const ReadLimits& limits);
  ~ZipReader();
  ZipReader(const ZipReader&) = delete;
  ZipReader& operator=(const ZipReader&) = delete;

  bool Has(const std::string& name) const;
  // The part's bytes; throws through ctx when missing (if required), damaged,
  // encrypted or over the limits. Missing optional parts give "".
  std::string Read(const std::string& name, bool required = true);
  // The names of the archive's entries in their stored order; throws through
  // ctx when there are more than maxEntries.
  std::vector<std::string> EntryNames(std::size_t maxEntries) const;
  // Passes the part's bytes to `sink` in pieces as they are inflated, with
  // the same checks and limits as Read. The part must exist.
  void Stream(const std::string& name, const std::function<void(const char*, std::size_t)>& sink);

 private:
  long long Locate(const std::string& name) const;
  // Takes the opened archive, refusing one that holds a name twice (we would
  // read the first copy, other programs the last).
  void Adopt(void* zip);
  void* zip_ = nullptr;  // zip_t*
  const ReadContext& ctx_;
  ReadLimits limits_;
  std::uint64_t total_ = 0;
  std::uint64_t size_ = 0;  // the size the zip claims for the part being read
};

// ---------------------------------------------------------------------------
// Package relationships
// ---------------------------------------------------------------------------
struct Relationship {
  std::string id, type, target;
  bool external = false;
};
// Parses a .rels part.
std::vector<Relationship> ParseRelationships(pugi::xml_node root);
// Whether a relationship type URI names `kind` ("officeDocument",
// "worksheet", "styles", ...) in the transitional or strict vocabulary.
bool RelTypeIs(const std::string& type, std::string_view kind);
// Resolves a target against the folder of the source part ("xl/workbook.xml"
// + "worksheets/sheet1.xml" -> "xl/worksheets/sheet1.xml").
std::string ResolvePartName(const std::string& sourcePart, const std::string& target);
// "xl/workbook.xml" -> "xl/_rels/workbook.xml.rels"
std::string RelsPartOf(const std::string& part);

// ---------------------------------------------------------------------------
// Styles
// ---------------------------------------------------------------------------

// Number formats the file format knows by id (no numFmt element needed).
// Returns the id or -1.
int BuiltinNumberFormatId(std::string_view code);
// The format code of a built-in id ("" when unknown).
std::string BuiltinNumberFormatCode(int id);

// Registers the formats used by the sheets while they are written, then
// assembles xl/styles.xml.
class StylesWriter {
 public:
  explicit StylesWriter(const Workbook& book);
  ~StylesWriter();
  int XfIndex(std::uint32_t styleId);
  int DxfIndex(const DiffStyle& d);
  std::string Assemble() const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

// Colours a file refers to by number: the theme colours of
// xl/theme/theme1.xml (in the index order cells use) and the indexed palette.
struct ThemeColors {
  std::vector<std::uint32_t> colors;   // ARGB
  std::vector<std::uint32_t> indexed;  // ARGB; the standard palette unless the file has its own
  ThemeColors();                       // the default Office theme and palette
};
ThemeColors ReadThemeColors(pugi::xml_node root);

// A colour element (<color>, <fgColor>, <tabColor> ...) as ARGB; 0 for
// automatic or absent.
std::uint32_t ReadColor(const pugi::xml_node& n, const ThemeColors& theme);

struct StylesRead {
  std::vector<std::uint32_t> xfStyle;  // cellXfs index -> style id of the table
  std::vector<DiffStyle> dxfs;
  std::string defaultFontName;
  double defaultFontSize = 0;
};
// Reads xl/styles.xml. The workbook default font is font 0 of the Normal
// style; cell formats that use it keep an empty name / zero size.
// A custom indexed palette of the file replaces theme.indexed.
StylesRead ReadStyles(pugi::xml_node root, StyleTable& table, ThemeColors& theme, const std::string& fallbackFontName,
                      double fallbackFontSize);

// ---------------------------------------------------------------------------
// Shared strings
// ---------------------------------------------------------------------------
class SharedStringsWriter {
 public:
  explicit SharedStringsWriter(const StringPool& pool) : pool_(pool) {}
  std::uint32_t Index(std::uint32_t poolId);
  bool Empty() const { return order_.empty(); }
  std::string Assemble() const;

 private:
  const StringPool& pool_;
  std::vector<std::uint32_t> index_;  // pool id -> sst index + 1 (0 = not yet)
  std::vector<std::uint32_t> order_;  // sst index -> pool id
  std::uint64_t refs_ = 0;
};
std::vector<std::string> ReadSharedStrings(pugi::xml_node root);

// ---------------------------------------------------------------------------
// Worksheets
// ---------------------------------------------------------------------------
std::string WriteWorksheetXml(const Worksheet& ws, bool tabSelected, StylesWriter& styles,
                              SharedStringsWriter& strings);

struct SheetReadEnv {
  const ReadContext* ctx = nullptr;
  const std::vector<std::string>* sharedStrings = nullptr;
  // Pool ids of the shared strings, interned on first use (UINT32_MAX: not yet).
  std::vector<std::uint32_t>* sharedStringIds = nullptr;
  const StylesRead* styles = nullptr;
  const ThemeColors* theme = nullptr;
  bool date1904 = false;
  std::uint64_t* cellCount = nullptr;
  std::uint64_t maxCells = 0;
};
// Reads a worksheet part streamed from the zip (cells never build a tree).
void ReadWorksheetPart(ZipReader& zip, const std::string& part, Worksheet& ws, const SheetReadEnv& env);

// Header/footer composition: "&L" left "&C" center "&R" right; empty parts
// are left out. Parsing splits on the section codes, keeping "&&" and other
// codes inside the parts; text before any section code belongs to the center.
std::string ComposeHeaderFooter(const std::string& left, const std::string& center, const std::string& right);
void ParseHeaderFooter(std::string_view text, std::string& left, std::string& center, std::string& right);

// ISO 8601 date/time text -> serial number of the date system; false when
// the text is not a date.
bool IsoToSerial(std::string_view text, bool date1904, double& serial);

// ---------------------------------------------------------------------------
// Workbook part and package
// ---------------------------------------------------------------------------
struct WorkbookPartOut {
  std::vector<const Worksheet*> sheets;
  int activeTab = 0;
};
std::string WriteWorkbookXml(const Workbook& book, const WorkbookPartOut& info);

struct WorkbookPartIn {
  bool date1904 = false;
  WorkbookProtection protection;
  long long activeTab = 0;
  struct SheetEntry {
    std::string name, relId;
    SheetVisibility state = SheetVisibility::Visible;
  };
  std::vector<SheetEntry> sheets;
  struct NameEntry {
    std::string name, text, comment;
    long long localSheetId = -1;
    bool hidden = false;
  };
  std::vector<NameEntry> names;
};
WorkbookPartIn ReadWorkbookXml(pugi::xml_node root);

// Defined names the file spells with the reserved "_xlnm." prefix and the
// model without it.
std::string FileNameOfDefinedName(const std::string& modelName);
std::string ModelNameOfDefinedName(const std::string& fileName);

const char* WorkbookContentType(FileKind kind);
std::string WriteContentTypes(FileKind kind, std::size_t sheetCount, bool sharedStrings);
std::string WritePackageRels();
std::string WriteWorkbookRels(std::size_t sheetCount, bool sharedStrings);
// docProps/core.xml: created is the workbook's creation time (the save's
// time when it has none), modified the save's time.
std::string WriteCoreProps(const Workbook& book);
// The creation time a core properties part holds, when it is a well-formed
// W3CDTF date-time; "" otherwise.
std::string ReadCreatedTime(const pugi::xml_node& coreProperties);
std::string WriteAppProps(const Workbook& book, const std::vector<const Worksheet*>& sheets);

// Reads a whole package into a new workbook.
std::unique_ptr<Workbook> ReadPackage(ZipReader& zip, const ReadContext& ctx, std::shared_ptr<SharedTables> tables,
                                      WorkbookHost* host, const ReadLimits& limits);

}  // namespace korvane::host::ooxml
