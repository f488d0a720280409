// One worksheet of a workbook: compact cell storage, row and column formats,
// merged areas, conditional formats, data validations, protection and page
// setup.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "host/address.h"
#include "host/style.h"
#include "host/value.h"

namespace korvane::host {

class Workbook;
class Range;

enum class ValueKind : std::uint8_t { Empty, Number, String, Bool, Error };

// A stored cell. Strings and formulas are ids into the workbook's string pool;
// a formula cell keeps its last cached value in the value fields.
struct Cell {
  std::uint32_t col = 0;
  std::uint32_t style = 0;
  std::uint32_t formula = 0;  // 0 = no formula; else pool id of the text without "="
  ValueKind kind = ValueKind::Empty;
  ErrorCode err = ErrorCode::Value;
  union {
    double num;
    std::uint32_t str;
    bool b;
  };
  Cell() : num(0) {}
  bool HasContent() const { return formula != 0 || kind != ValueKind::Empty; }
};

struct Row {
  std::vector<Cell> cells;  // sorted by col
  double height = -1;       // points; < 0 = default height
  bool hidden = false;
  std::uint32_t style = 0;  // row format (0 = none)
  bool customFormat = false;
};

struct ColInfo {
  double width = -1;  // character units as stored in files; < 0 = default width
  bool hidden = false;
  std::uint32_t style = 0;
  bool operator==(const ColInfo&) const = default;
};

enum class SheetVisibility : std::uint8_t { Visible, Hidden, VeryHidden };

struct SheetProtection {
  bool on = false;
  bool drawingObjects = true;
  bool contents = true;
  bool scenarios = true;
  std::string passwordHash;  // kept from files written by others; we never set one
};

struct ConditionalRule {
  std::string type = "expression";  // other types are kept with their formulas
  std::string formula;              // without "="; relative to the first cell of the area
  std::string operatorText;         // for cellIs rules
  std::string formula2;
  DiffStyle format;
  int priority = 1;
  bool stopIfTrue = false;
};

struct ConditionalFormat {
  std::vector<RangeRef> areas;
  std::vector<ConditionalRule> rules;
};

// Data validation of an area: what a cell may take, the drop-down list it
// offers and what the application says of other input. The host keeps it for
// the applications that open the file; typing into the host is not checked.
struct DataValidation {
  std::vector<RangeRef> areas;
  std::string type = "list";  // none, whole, decimal, list, date, time, textLength, custom
  std::string operatorText;   // empty: between (the file's default)
  std::string formula1;       // without "="; a list of values is one quoted text: "\"√\""
  std::string formula2;
  std::string errorStyle = "stop";  // stop (refuses), warning (asks), information (tells, accepts)
  bool allowBlank = true;
  bool inCellDropDown = true;  // a list offers its values in a drop-down at the cell
  bool showInputMessage = false;
  bool showErrorMessage = false;
  std::string promptTitle, prompt;
  std::string errorTitle, error;
  bool operator==(const DataValidation&) const = default;
};

struct PageSetup {
  int paperSize = xl::PaperA4;
  int orientation = xl::Portrait;
  // Margins in points.
  double left = 0.7 * 72, right = 0.7 * 72, top = 0.75 * 72, bottom = 0.75 * 72;
  double header = 0.3 * 72, footer = 0.3 * 72;
  bool centerHorizontally = false, centerVertically = false;
  std::string leftHeader, centerHeader, rightHeader;
  std::string leftFooter, centerFooter, rightFooter;
  std::optional<int> firstPageNumber;   // nullopt = automatic (1)
  int zoom = 100;                       // percent
  std::optional<int> fitWide, fitTall;  // fit to pages; nullopt = zoom
  bool printGridlines = false;
  bool printHeadings = false;
  bool blackAndWhite = false;
  bool overThenDown = false;
  std::vector<int> rowBreaks;  // manual breaks: a page ends after each listed row
  std::vector<int> colBreaks;
};

// The last cell of a used area, found by End().
enum class Direction { Up, Down, ToLeft, ToRight };

class Worksheet {
 public:
  Worksheet(Workbook* book, std::string name);
  Worksheet(const Worksheet&) = delete;
  Worksheet& operator=(const Worksheet&) = delete;

  Workbook& Book() const { return *book_; }
  const std::string& Name() const { return name_; }
  // Renames the sheet; checks the name, its uniqueness and the workbook's
  // structure protection. Formulas and names of the workbook follow the rename.
  void SetName(const std::string& name);
  int Index() const;  // 1-based position in the workbook

  // ---- the application's object model ----
  Range Cells(int row, int col);
  Range RangeAt(const std::string& address);  // "C4:K23", "11:16", "$A:$E", "A1"
  Range Rows(int row);
  Range Rows(const std::string& address);  // "11:16"
  Range Columns(int col);
  Range Columns(const std::string& address);  // "A:E"
  Range AllCells();
  static int RowsCount() { return kMaxRows; }
  static int ColumnsCount() { return kMaxCols; }

  SheetVisibility Visibility() const { return visibility_; }
  bool Visible() const { return visibility_ == SheetVisibility::Visible; }
  void SetVisibility(SheetVisibility v);
  void SetVisible(bool v) { SetVisibility(v ? SheetVisibility::Visible : SheetVisibility::Hidden); }

  void Protect(bool drawingObjects = true, bool contents = true, bool scenarios = true);
  void Unprotect();
  bool ProtectContents() const { return protection_.on && protection_.contents; }
  const SheetProtection& Protection() const { return protection_; }
  SheetProtection& MutableProtection() { return protection_; }

  PageSetup& Page() { return page_; }
  const PageSetup& Page() const { return page_; }

  // Copies this sheet into `target` (this workbook or another) before or after
  // the given sheet (null `before` and `after`: at the end). The copy becomes
  // the active sheet of the target workbook. Returns the copy. It is named
  // `name`, or when that is empty after this sheet ("Sheet1 (2)"); a copy named
  // at once costs no renaming of references afterwards. Throws HostError for
  // a name that is invalid or taken in the target, before anything changes.
  Worksheet& CopyTo(Workbook& target, Worksheet* before, Worksheet* after, const std::string& name = "");
  void Copy(Worksheet* before, Worksheet* after) { CopyTo(Book(), before, after); }
  // Deletes this sheet from its workbook. Unless the host's DisplayAlerts is
  // off, the user is asked first; returns false when the user declines.
  bool Delete();
  void Select();
  void Activate();

  // ---- storage ----
  // Value of a cell as a reader sees it: formulas the host evaluates give their
  // current result; other formulas their cached value.
  CellValue ValueAt(int row, int col) const;
  // Stored cached/constant value, without evaluation.
  CellValue StoredValue(int row, int col) const;
  CellValue ValueOfCell(const Cell& c) const;     // a stored cell's constant or cached value
  std::string FormulaAt(int row, int col) const;  // without "="; empty when none
  bool HasContent(int row, int col) const;
  const Cell* FindCell(int row, int col) const;
  std::uint32_t StyleIdAt(int row, int col) const;  // cell, else row, else column format
  const Style& StyleAt(int row, int col) const;

  // Writes without any protection check (the codec, copies). A value of kind
  // text is stored as text, never as a formula.
  void PutValue(int row, int col, const CellValue& v);
  void PutFormula(int row, int col, const std::string& formulaWithoutEq, const CellValue& cached);
  // Stores what the formula of a formula cell evaluates to as its cached value
  // (the value files carry for readers that do not calculate). Readers of the
  // host already see that result, so computed formula results stay.
  void PutFormulaResult(int row, int col, const CellValue& result);
  // A text already interned in this workbook's string pool (the file reader).
  void PutStringId(int row, int col, std::uint32_t stringId, std::uint32_t style);
  void PutStyle(int row, int col, std::uint32_t style);
  void ClearCell(int row, int col);  // value and formula; keeps the format

  // Last used row / column over all cells with content (0 when none).
  int LastUsedRow() const;
  int LastUsedCol() const;
  // The rectangle A1..(last row, last col) of content and visible formatting
  // (borders, fills, merges): what printing covers. nullopt when empty.
  std::optional<RangeRef> PrintedArea() const;
  // End(direction) from a cell as the application computes it.
  std::pair<int, int> End(int row, int col, Direction d) const;

  // Row and column formats.
  double RowHeight(int row) const;  // points (default when not set)
  void SetRowHeight(int row, double points);
  bool RowHidden(int row) const;
  void SetRowHidden(int row, bool hidden);
  double ColumnWidth(int col) const;  // character units
  void SetColumnWidth(int col, double chars);
  bool ColumnHidden(int col) const;
  void SetColumnHidden(int col, bool hidden);
  double DefaultRowHeight() const;
  void SetDefaultRowHeight(double points) { defaultRowHeight_ = points; }
  double DefaultColumnWidth() const;
  void SetDefaultColumnWidth(double chars) { defaultColWidth_ = chars; }

  // Row and column shifts. count > 0; formats of the row above (left) are
  // taken by the inserted rows (columns). Merges, conditional formats, row
  // heights, formulas, names and page breaks follow.
  void InsertRows(int at, int count);
  void DeleteRows(int at, int count);
  void InsertColumns(int at, int count);
  void DeleteColumns(int at, int count);

  // Merged areas.
  const std::vector<RangeRef>& Merges() const { return merges_; }
  void AddMerge(const RangeRef& r);        // removes merges it overlaps
  void RemoveMergesIn(const RangeRef& r);  // every merge intersecting r
  // Adds merges that overlap neither each other nor any merge of the sheet
  // (the caller has cleared their area), without searching the existing ones.
  void AddMergesInClearedArea(const std::vector<RangeRef>& merges);
  const RangeRef* MergeAt(int row, int col) const;

  std::vector<ConditionalFormat>& ConditionalFormats() { return condFormats_; }
  const std::vector<ConditionalFormat>& ConditionalFormats() const { return condFormats_; }

  // Data validations; their areas follow row and column shifts, are copied
  // with the sheet and stay when contents are cleared, as in the application.
  std::vector<DataValidation>& DataValidations() { return validations_; }
  const std::vector<DataValidation>& DataValidations() const { return validations_; }
  // The validation that covers a cell, if any (the first one listed).
  const DataValidation* ValidationAt(int row, int col) const;

  const std::map<int, Row>& RowMap() const { return rows_; }
  const std::map<int, ColInfo>& ColMap() const { return cols_; }
  std::map<int, ColInfo>& MutableColMap() { return cols_; }
  Row& MutableRow(int row);  // direct access to a row's cells: computed formula results are dropped

  // Sheet view details kept from files.
  bool showGridLines = true;
  std::uint32_t tabColor = 0;
  int zoomScale = 100;

  // Throws HostError when the cell is locked and the sheet protects contents.
  void CheckWritable(int row, int col) const;
  void CheckWritable(const RangeRef& r) const;
  void CheckFormatsChangeable() const;  // a protected sheet refuses format changes

  // Approximate bytes used by the cell storage (for memory checks).
  std::size_t StorageBytes() const;

 private:
  friend class Workbook;
  // Everything of a sheet but its cells, rows, columns, name and visibility:
  // merges, conditional formats, validations, protection, page set-up and
  // view settings. Sheet copies and workbook clones share it.
  void CopySheetPropertiesFrom(const Worksheet& other);
  Cell* FindMutable(int row, int col);
  Cell& Obtain(int row, int col);
  void ShiftRowsStorage(int at, int count);
  void ShiftColsStorage(int at, int count);

  Workbook* book_;
  std::string name_;
  std::map<int, Row> rows_;
  std::map<int, ColInfo> cols_;
  std::vector<RangeRef> merges_;
  std::vector<ConditionalFormat> condFormats_;
  std::vector<DataValidation> validations_;
  SheetVisibility visibility_ = SheetVisibility::Visible;
  SheetProtection protection_;
  PageSetup page_;
  double defaultRowHeight_ = -1;  // < 0: from the workbook's default font
  double defaultColWidth_ = -1;   // < 0: 8.43-like default of the font
};

}  // namespace korvane::host
