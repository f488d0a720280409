// The word-processor stand-in: a .docx document made from a template, edited
// the way a mail-merge main document is prepared (find a placeholder, delete
// it, put a merge field in its place, connect the data source) and saved.
//
// The document keeps every part of its package as it was read; only the parts
// it edits (the main document, the settings, their relationships and the
// content types) are parsed and written again.
//
//   Document doc = Document::FromTemplate("prize/单项奖.docx");
//   doc.SetMailMergeSource("/meets/奖项设置.xlsx", "SELECT * FROM `单项奖$`");
//   if (auto found = doc.Find("《年级》")) doc.InsertMergeField(doc.Delete(*found), "年级");
//   doc.SaveAs("/meets/单项奖.docx");
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "host/ooxml/xlsx.h"

namespace korvane::host::docx {

// Limits while reading a package: the inflated bytes (ReadLimits) and the
// number of entries of the zip archive.
struct DocumentLimits {
  ooxml::ReadLimits bytes{.maxTotalUncompressed = 256ull << 20, .maxPartUncompressed = 128ull << 20};
  std::size_t maxEntries = 4096;
};

// What Find found: a text in one paragraph, possibly spread over several
// runs. Valid until the document is changed.
struct TextMatch {
  void* paragraph = nullptr;  // the w:p element (pugi node handle)
  std::size_t begin = 0;      // byte offsets into the paragraph's text
  std::size_t end = 0;
};

// Where a deleted text stood: the place a merge field goes. Valid until the
// document is changed otherwise.
struct InsertionPoint {
  void* parent = nullptr;  // element that held the first deleted run
  void* after = nullptr;   // the sibling to insert after; null: first in parent
  std::size_t format = 0;  // index of the deleted text's run properties (0: none)
};

// One merge field as a reader sees it: its instruction without the field's
// surrounding blanks, and the text shown in its place.
struct MergeField {
  std::string instruction;  // "MERGEFIELD  年级"
  std::string result;       // "«年级»"
};

// The mail-merge settings of a main document.
struct MailMergeSettings {
  std::string mainDocumentType;  // "formLetters"
  std::string dataType;          // "native"
  std::string query;             // "SELECT * FROM `单项奖$`"
  std::string dataSource;        // target of the data source relationship
  bool linkToQuery = false;
};

// What a page of the document looks like, for drawing it without a word
// processor: page size, margins and border, and each paragraph with its runs.
// Sizes are in points.
struct RunLook {
  std::string text;
  std::string font;  // the East Asian font of the run ("黑体", "楷体"...); "" = the document's default
  double size = 12;
  bool bold = false;
  bool underline = false;
};
enum class ParagraphAlign { Left, Center, Right };
struct ParagraphLook {
  std::vector<RunLook> runs;
  ParagraphAlign align = ParagraphAlign::Left;
  double spaceBefore = 0, spaceAfter = 0;
  double firstLineIndent = 0;
  double lineSpacing = 1;  // multiple of a single line
};
struct PageBorder {
  bool present = false;
  bool doubleLine = false;
  double width = 0;  // of one line
  double space = 0;  // from the page's edge (or from the text, when !fromPageEdge)
  bool fromPageEdge = false;
  std::uint32_t color = 0;  // RGB
};
struct DocumentLook {
  double pageWidth = 595.3, pageHeight = 841.9;
  double marginTop = 72, marginRight = 90, marginBottom = 72, marginLeft = 90;
  PageBorder border;
  std::vector<ParagraphLook> paragraphs;
};

class Document {
 public:
  // A new document from a .docx (or .dotx) template: the template's parts, with
  // the main part typed as a document. Throws FileError with a Chinese message
  // for a missing, damaged, encrypted or oversized file, or one that is not a
  // word-processing document. Document type declarations are refused.
  static Document FromTemplate(const std::string& path, const DocumentLimits& limits = {});
  static Document FromBytes(const std::string& bytes, const DocumentLimits& limits = {});
  // A document from its parts (name without leading "/", content). The parts
  // must include [Content_Types].xml, _rels/.rels and the main document.
  static Document FromParts(std::vector<std::pair<std::string, std::string>> parts);

  Document(Document&&) noexcept;
  Document& operator=(Document&&) noexcept;
  ~Document();

  // The first occurrence of `text` in the document's paragraphs, in document
  // order (tables and text boxes included), also when the text is split over
  // several runs. ASCII letters match either case; full-width and half-width
  // forms are different characters. Text never matches across a tab, a break
  // or a paragraph end.
  std::optional<TextMatch> Find(std::string_view text) const;
  // Removes the found text; runs that held only part of it keep the rest.
  InsertionPoint Delete(const TextMatch& match);
  // Inserts a merge field at the point, formatted like the text deleted there:
  // instruction "MERGEFIELD  " + name (two blanks), shown as «name».
  void InsertMergeField(const InsertionPoint& at, std::string_view name);

  // Makes the document a form-letter main document bound to a data source
  // file with a query: the w:mailMerge element of the settings part (created
  // when the template has none) and its external data source relationship.
  // Replaces an earlier binding.
  void SetMailMergeSource(const std::string& dataSourcePath, const std::string& query);

  // The merge fields of the main document in order (both the complex and the
  // simple field form); the mail-merge settings, when there are any.
  std::vector<MergeField> MergeFields() const;
  std::optional<MailMergeSettings> MailMerge() const;
  // The text of every paragraph of the main document, one line each.
  std::string PlainText() const;
  // The look of the document's one section with every merge field showing
  // the value of its name in `values` (empty when the name is not there), as
  // a merged copy shows one record.
  DocumentLook Look(const std::vector<std::pair<std::string, std::string>>& values) const;

  // The package bytes.
  std::string ToBytes() const;
  // Saves atomically (temporary file, flush, rename). Refuses with FileError
  // when another program holds the file open (its lock file is beside it);
  // the old file is then untouched.
  void SaveAs(const std::string& path) const;

  struct Impl;  // the parts; defined in document.cpp

 private:
  explicit Document(std::unique_ptr<Impl> impl);
  std::unique_ptr<Impl> impl_;
};

// "file:///path" for a local path: the path made absolute, with the
// characters a URI cannot hold (blank, %, #, ?, control characters)
// percent-encoded; other characters, Chinese ones included, kept.
std::string FileUri(const std::string& path);

}  // namespace korvane::host::docx
