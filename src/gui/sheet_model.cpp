#include "gui/sheet_model.h"

#include <QColor>
#include <QVariant>

#include <algorithm>
#include <cmath>

#include "gui/fonts.h"
#include "host/address.h"
#include "host/cell_entry.h"
#include "host/conditional.h"
#include "host/errors.h"
#include "host/number_format.h"
#include "host/pagination.h"
#include "host/range.h"
#include "host/workbook.h"

namespace korvane::gui {

namespace {

// Empty rows and columns shown beyond the used area, so there is room to type.
constexpr int kSpareRows = 100;
constexpr int kSpareCols = 10;
constexpr int kMinRows = 200;
constexpr int kMinCols = 26;

int MaxDigitWidth(const host::Worksheet& ws) {
  return host::print::MaxDigitWidthPixels(ws.Book().defaultFontName, ws.Book().defaultFontSize);
}

QColor Argb(std::uint32_t argb) { return QColor((argb >> 16) & 0xFF, (argb >> 8) & 0xFF, argb & 0xFF); }

}  // namespace

int ColumnWidthPixels(const host::Worksheet& ws, double chars) {
  return static_cast<int>(std::lround(host::print::ColumnWidthToPoints(chars, MaxDigitWidth(ws)) * 96.0 / 72.0));
}

double ColumnWidthChars(const host::Worksheet& ws, int pixels) {
  const int mdw = std::max(1, MaxDigitWidth(ws));
  if (pixels <= 5) return 0;
  // The inverse of the width in pixels (characters plus 5 px padding), to 1/100.
  return std::round((pixels - 5) * 100.0 / mdw) / 100.0;
}

int RowHeightPixels(double points) { return static_cast<int>(std::lround(points * 96.0 / 72.0)); }
double RowHeightPoints(int pixels) { return std::round(pixels * 72.0 / 96.0 * 4) / 4; }  // quarter points

QString CellAddress(int row, int col) {
  return QString::fromStdString(host::ColumnLetters(col)) + QString::number(row);
}

SheetModel::SheetModel(QObject* parent) : QAbstractTableModel(parent) {}

void SheetModel::SetSheet(host::Worksheet* ws) {
  ws_ = ws;
  Reload();
}

void SheetModel::Reload() {
  beginResetModel();
  rows_ = cols_ = 0;
  if (ws_) {
    int lastRow = ws_->LastUsedRow(), lastCol = ws_->LastUsedCol();
    if (auto area = ws_->PrintedArea()) {
      lastRow = std::max(lastRow, area->r2);
      lastCol = std::max(lastCol, area->c2);
    }
    for (const host::RangeRef& m : ws_->Merges()) {
      lastRow = std::max(lastRow, std::min(m.r2, host::kMaxRows - kSpareRows));
      lastCol = std::max(lastCol, std::min(m.c2, host::kMaxCols - kSpareCols));
    }
    rows_ = std::max(kMinRows, lastRow + kSpareRows);
    cols_ = std::max(kMinCols, lastCol + kSpareCols);
  }
  endResetModel();
}

int SheetModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : rows_; }
int SheetModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : cols_; }

QFont SheetModel::DefaultFont() const {
  if (!ws_) return CjkFont(QStringLiteral("宋体"), 11);
  return CjkFont(QString::fromStdString(ws_->Book().defaultFontName), ws_->Book().defaultFontSize);
}

QFont SheetModel::FontOf(const host::Style& s, const std::optional<host::DiffStyle>& cf) const {
  const host::Workbook& book = ws_->Book();
  QFont font = CjkFont(QString::fromStdString(s.font.name.empty() ? book.defaultFontName : s.font.name),
                       s.font.size > 0 ? s.font.size : book.defaultFontSize);
  bool bold = s.font.bold, italic = s.font.italic;
  if (cf && cf->setBold) bold = cf->bold;
  if (cf && cf->setItalic) italic = cf->italic;
  font.setBold(bold);
  font.setItalic(italic);
  font.setUnderline(s.font.underline);
  font.setStrikeOut(s.font.strike);
  return font;
}

QString SheetModel::EditText(int row, int col) const {
  if (!ws_) return {};
  std::string f = ws_->FormulaAt(row, col);
  if (!f.empty()) return QString::fromStdString("=" + f);
  return QString::fromStdString(ws_->StoredValue(row, col).ToText());
}

QVariant SheetModel::data(const QModelIndex& index, int role) const {
  if (!ws_ || !index.isValid()) return {};
  const int row = index.row() + 1, col = index.column() + 1;
  switch (role) {
    case Qt::DisplayRole: {
      if (!ws_->HasContent(row, col)) return {};
      const host::Style& s = ws_->StyleAt(row, col);
      std::optional<host::DiffStyle> cf;
      if (!ws_->ConditionalFormats().empty()) cf = host::ConditionalStyleAt(*ws_, row, col);
      const std::string& fmt = cf && !cf->numberFormat.empty() ? cf->numberFormat : s.numberFormat;
      return QString::fromStdString(host::FormatValue(ws_->ValueAt(row, col), fmt, ws_->Book().date1904));
    }
    case Qt::EditRole: return EditText(row, col);
    case Qt::FontRole: {
      std::optional<host::DiffStyle> cf;
      if (!ws_->ConditionalFormats().empty()) cf = host::ConditionalStyleAt(*ws_, row, col);
      return FontOf(ws_->StyleAt(row, col), cf);
    }
    case Qt::ForegroundRole: {
      std::uint32_t color = ws_->StyleAt(row, col).font.color;
      if (!ws_->ConditionalFormats().empty())
        if (auto cf = host::ConditionalStyleAt(*ws_, row, col); cf && cf->fontColor) color = cf->fontColor;
      return color ? QVariant(Argb(color)) : QVariant();
    }
    case FillRole: {
      std::uint32_t fill = ws_->StyleAt(row, col).fill;
      if (!ws_->ConditionalFormats().empty())
        if (auto cf = host::ConditionalStyleAt(*ws_, row, col); cf && cf->fill) fill = cf->fill;
      return fill ? QVariant(Argb(fill)) : QVariant();
    }
    case Qt::TextAlignmentRole: {
      const host::Style& s = ws_->StyleAt(row, col);
      Qt::Alignment h;
      switch (s.halign) {
        case host::HAlign::Left: h = Qt::AlignLeft; break;
        case host::HAlign::Center:
        case host::HAlign::CenterContinuous:
        case host::HAlign::Distributed: h = Qt::AlignHCenter; break;
        case host::HAlign::Right: h = Qt::AlignRight; break;
        case host::HAlign::Justify: h = Qt::AlignJustify; break;
        default: {
          // General: numbers to the right, booleans and errors centred, texts left.
          host::CellValue v = ws_->ValueAt(row, col);
          h = v.IsNumber() ? Qt::AlignRight : (v.IsBool() || v.IsError()) ? Qt::AlignHCenter : Qt::AlignLeft;
        }
      }
      Qt::Alignment v = s.valign == host::VAlign::Top      ? Qt::AlignTop
                        : s.valign == host::VAlign::Center ? Qt::AlignVCenter
                        : s.valign == host::VAlign::Bottom ? Qt::AlignBottom
                                                           : Qt::AlignVCenter;
      return QVariant::fromValue(h | v);
    }
    case WrapRole: return ws_->StyleAt(row, col).wrap;
    case ShrinkRole: return ws_->StyleAt(row, col).shrink;
    case RotationRole: return ws_->StyleAt(row, col).rotation;
    case BordersRole: {
      // A merged area shows the outer edges of its corner cells.
      host::RangeRef area{row, col, row, col};
      if (const host::RangeRef* m = ws_->MergeAt(row, col)) area = *m;
      CellBorders b;
      b.left = ws_->StyleAt(area.r1, area.c1).left;
      b.top = ws_->StyleAt(area.r1, area.c1).top;
      b.right = ws_->StyleAt(area.r1, area.c2).right;
      b.bottom = ws_->StyleAt(area.r2, area.c1).bottom;
      // An edge is drawn by either neighbour: take the one across the line too.
      if (b.right.style == host::LineStyle::None && area.c2 < host::kMaxCols)
        b.right = ws_->StyleAt(area.r1, area.c2 + 1).left;
      if (b.bottom.style == host::LineStyle::None && area.r2 < host::kMaxRows)
        b.bottom = ws_->StyleAt(area.r2 + 1, area.c1).top;
      return QVariant::fromValue(b);
    }
    case Qt::ToolTipRole: return {};
    default: return {};
  }
}

QVariant SheetModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (role != Qt::DisplayRole) return QAbstractTableModel::headerData(section, orientation, role);
  if (orientation == Qt::Horizontal) return QString::fromStdString(host::ColumnLetters(section + 1));
  return QString::number(section + 1);
}

Qt::ItemFlags SheetModel::flags(const QModelIndex& index) const {
  if (!index.isValid()) return Qt::NoItemFlags;
  return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable;
}

bool SheetModel::setData(const QModelIndex& index, const QVariant& value, int role) {
  if (!index.isValid() || role != Qt::EditRole) return false;
  return TypeInto(index.row() + 1, index.column() + 1, value.toString());
}

bool SheetModel::TypeInto(int row, int col, const QString& text) { return TypeBlock(row, col, {{text}}); }

bool SheetModel::TypeBlock(int row, int col, const std::vector<std::vector<QString>>& block) {
  if (!ws_ || block.empty()) return false;
  int width = 0;
  for (const auto& line : block) width = std::max(width, static_cast<int>(line.size()));
  if (width == 0) return false;
  const int lastRow = std::min(host::kMaxRows, row + static_cast<int>(block.size()) - 1);
  const int lastCol = std::min(host::kMaxCols, col + width - 1);
  try {
    // Checked as a whole first, so that a refusal changes no cell.
    ws_->CheckWritable(host::RangeRef{row, col, lastRow, lastCol});
    for (int r = row; r <= lastRow; ++r) {
      const auto& line = block[static_cast<std::size_t>(r - row)];
      for (int c = col; c <= lastCol; ++c) {
        const std::size_t i = static_cast<std::size_t>(c - col);
        host::TypeIntoCell(ws_->Cells(r, c), i < line.size() ? line[i].toStdString() : std::string());
      }
    }
  } catch (const host::HostError& e) {
    emit refused(QString::fromStdString(e.what()));
    return false;
  }
  ws_->Book().SetSaved(false);
  if (lastRow + kSpareRows > rows_ || lastCol + kSpareCols > cols_) {
    Reload();
  } else {
    // Formulas elsewhere may depend on the cells typed: repaint everything visible.
    emit dataChanged(index(0, 0), index(rows_ - 1, cols_ - 1));
  }
  emit edited();
  return true;
}

bool SheetModel::ClearBlock(int top, int left, int bottom, int right) {
  if (!ws_) return false;
  try {
    host::RangeRef r{top + 1, left + 1, bottom + 1, right + 1};
    ws_->CheckWritable(r);
    host::Range(ws_, r).ClearContents();
  } catch (const host::HostError& e) {
    emit refused(QString::fromStdString(e.what()));
    return false;
  }
  ws_->Book().SetSaved(false);
  emit dataChanged(index(0, 0), index(rows_ - 1, cols_ - 1));
  emit edited();
  return true;
}

bool SheetModel::StoreColumnWidth(int col, int pixels) {
  if (!ws_) return false;
  try {
    ws_->Columns(col + 1).SetColumnWidth(ColumnWidthChars(*ws_, pixels));
  } catch (const host::HostError& e) {
    emit refused(QString::fromStdString(e.what()));
    return false;
  }
  return true;
}

bool SheetModel::StoreRowHeight(int row, int pixels) {
  if (!ws_) return false;
  try {
    ws_->Rows(row + 1).SetRowHeight(RowHeightPoints(pixels));
  } catch (const host::HostError& e) {
    emit refused(QString::fromStdString(e.what()));
    return false;
  }
  return true;
}

}  // namespace korvane::gui
