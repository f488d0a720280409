// Paints one cell of the grid as a spreadsheet does: fill, text with its
// font, alignment, wrapping, shrink to fit or vertical text, and the borders
// of each edge (thin, medium, thick, dashed, dotted, double), with light grid
// lines where the sheet shows them and a cell has no border.
#pragma once

#include <QStyledItemDelegate>

namespace korvane::gui {

class CellPainter : public QStyledItemDelegate {
  Q_OBJECT

 public:
  using QStyledItemDelegate::QStyledItemDelegate;
  void SetGridLines(bool on) { gridLines_ = on; }

  void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
  // The editor takes the cell's typed text and font.
  void setEditorData(QWidget* editor, const QModelIndex& index) const override;

 private:
  // The rectangle a cell's text may use: the cell, and for text that runs on,
  // the empty cells to its right that it needs.
  QRect RunOnRect(const QModelIndex& index, const QRect& cell, const QString& text) const;
  void PaintText(QPainter* painter, const QModelIndex& index, const QRect& area, const QRect& clip, const QString& text,
                 const QColor& fallbackColor) const;
  bool gridLines_ = true;
};

}  // namespace korvane::gui
