// The grid of the workbook window: a table model over one worksheet of the
// host. It reads cells on demand (values as the host shows them, formats,
// conditional fills), so a sheet of thousands of rows costs nothing until it
// is scrolled into view. Edits go through the host exactly as typed cells do
// in command scripts; a refused edit leaves the sheet as it was and reports
// the host's reason through `refused`.
#pragma once

#include <QAbstractTableModel>
#include <QFont>
#include <QString>

#include <functional>
#include <string>

#include "host/worksheet.h"

namespace korvane::gui {

// Extra data roles the cell painter reads.
enum CellRole {
  BordersRole = Qt::UserRole + 1,  // CellBorders of the cell (for a merged area: its outer edges)
  WrapRole,                        // bool
  ShrinkRole,                      // bool
  RotationRole,                    // int: 0..180 as in files, 255 stacked vertical text
  FillRole,                        // QColor of the fill (conditional fill first); invalid when none
};

struct CellBorders {
  host::BorderEdge left, top, right, bottom;
};

// Pixels at 96 dpi of the host's units: column widths in characters of the
// workbook's default font, row heights in points.
int ColumnWidthPixels(const host::Worksheet& ws, double chars);
double ColumnWidthChars(const host::Worksheet& ws, int pixels);
int RowHeightPixels(double points);
double RowHeightPoints(int pixels);

// A1 address of a cell ("C4").
QString CellAddress(int row, int col);

class SheetModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  explicit SheetModel(QObject* parent = nullptr);

  // The sheet shown; null shows nothing. The model does not own it.
  void SetSheet(host::Worksheet* ws);
  host::Worksheet* Sheet() const { return ws_; }
  // Re-reads the sheet after the program changed it (size, every cell).
  void Reload();

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;
  // Types the text into the cell (see host::TypeIntoCell).
  bool setData(const QModelIndex& index, const QVariant& value, int role) override;

  // The text of the cell as it is typed (its formula with "=" where it has one).
  QString EditText(int row, int col) const;
  // Types one text into a cell; false (and `refused` emitted) when the host refuses.
  bool TypeInto(int row, int col, const QString& text);
  // Types a block of texts (rows of cells) with its top-left at (row, col).
  // Every cell is checked first: a block that touches a locked cell of a
  // protected sheet changes nothing.
  bool TypeBlock(int row, int col, const std::vector<std::vector<QString>>& block);
  // Clears the contents of a rectangle (0-based model rows and columns).
  bool ClearBlock(int top, int left, int bottom, int right);

  // Stores a column width / row height dragged in the header. False (and
  // `refused`) on a protected sheet.
  bool StoreColumnWidth(int col, int pixels);
  bool StoreRowHeight(int row, int pixels);

  // The workbook's default font in the view.
  QFont DefaultFont() const;

 signals:
  void refused(const QString& reason);
  // The sheet's contents changed through the grid.
  void edited();

 private:
  QFont FontOf(const host::Style& s, const std::optional<host::DiffStyle>& cf) const;
  host::Worksheet* ws_ = nullptr;
  int rows_ = 0, cols_ = 0;
};

}  // namespace korvane::gui

Q_DECLARE_METATYPE(korvane::gui::CellBorders)
