#include "gui/cell_painter.h"

#include <QApplication>
#include <QLineEdit>
#include <QPainter>
#include <QPen>
#include <QTableView>

#include "gui/sheet_model.h"

namespace korvane::gui {

namespace {

constexpr int kPadding = 2;

QColor EdgeColor(const host::BorderEdge& e) {
  if (!e.color) return Qt::black;
  return QColor((e.color >> 16) & 0xFF, (e.color >> 8) & 0xFF, e.color & 0xFF);
}

QPen EdgePen(const host::BorderEdge& e) {
  QPen pen(EdgeColor(e));
  pen.setCapStyle(Qt::FlatCap);
  switch (e.style) {
    case host::LineStyle::Medium:
    case host::LineStyle::MediumDashed:
    case host::LineStyle::MediumDashDot:
    case host::LineStyle::MediumDashDotDot:
    case host::LineStyle::SlantDashDot: pen.setWidth(2); break;
    case host::LineStyle::Thick: pen.setWidth(3); break;
    default: pen.setWidth(1);
  }
  switch (e.style) {
    case host::LineStyle::Dashed:
    case host::LineStyle::MediumDashed: pen.setStyle(Qt::DashLine); break;
    case host::LineStyle::Dotted:
    case host::LineStyle::Hair: pen.setStyle(Qt::DotLine); break;
    case host::LineStyle::DashDot:
    case host::LineStyle::MediumDashDot:
    case host::LineStyle::SlantDashDot: pen.setStyle(Qt::DashDotLine); break;
    case host::LineStyle::DashDotDot:
    case host::LineStyle::MediumDashDotDot: pen.setStyle(Qt::DashDotDotLine); break;
    default: pen.setStyle(Qt::SolidLine);
  }
  return pen;
}

// One edge from a to b; a double line is two thin lines, the second `inward`
// (a unit vector into the cell) two pixels away.
void DrawEdge(QPainter* p, const host::BorderEdge& e, QPoint a, QPoint b, QPoint inward) {
  if (e.style == host::LineStyle::None) return;
  QPen pen = EdgePen(e);
  p->setPen(pen);
  if (e.style == host::LineStyle::Double) {
    p->drawLine(a, b);
    p->drawLine(a + inward * 2, b + inward * 2);
    return;
  }
  if (pen.width() > 1) {
    // Thicker lines grow into the cell from the edge.
    for (int i = 0; i < pen.width(); ++i) {
      QPen one = pen;
      one.setWidth(1);
      p->setPen(one);
      p->drawLine(a + inward * i, b + inward * i);
    }
    return;
  }
  p->drawLine(a, b);
}

// Text that may run on into the empty cells to its right, as in a
// spreadsheet: one line, not shrunk or turned, aligned left.
bool Overflows(const QModelIndex& index) {
  if (index.data(WrapRole).toBool() || index.data(ShrinkRole).toBool() || index.data(RotationRole).toInt() != 0)
    return false;
  const auto align = Qt::Alignment(index.data(Qt::TextAlignmentRole).toInt());
  return (align & Qt::AlignHorizontal_Mask) == Qt::AlignLeft;
}

}  // namespace

QRect CellPainter::RunOnRect(const QModelIndex& index, const QRect& cell, const QString& text) const {
  auto* view = qobject_cast<const QTableView*>(parent());
  if (!view || text.isEmpty() || !Overflows(index)) return cell;
  if (view->columnSpan(index.row(), index.column()) > 1) return cell;
  const QFontMetrics fm(index.data(Qt::FontRole).value<QFont>());
  const int need = fm.horizontalAdvance(text) + 2 * kPadding + 1;
  QRect out = cell;
  const QAbstractItemModel* model = index.model();
  for (int col = index.column() + 1; out.width() < need && col < model->columnCount(); ++col) {
    const QModelIndex next = model->index(index.row(), col);
    if (!next.data(Qt::DisplayRole).toString().isEmpty() || view->columnSpan(index.row(), col) > 1 ||
        view->rowSpan(index.row(), col) > 1)
      break;
    if (!view->isColumnHidden(col)) out.setRight(out.right() + view->columnWidth(col));
  }
  return out;
}

void CellPainter::PaintText(QPainter* painter, const QModelIndex& index, const QRect& area, const QRect& clip,
                            const QString& text, const QColor& fallbackColor) const {
  QFont font = index.data(Qt::FontRole).value<QFont>();
  QVariant fg = index.data(Qt::ForegroundRole);
  painter->setPen(fg.isValid() ? fg.value<QColor>() : fallbackColor);
  const auto align = Qt::Alignment(index.data(Qt::TextAlignmentRole).toInt());
  painter->setFont(font);
  painter->setClipRect(clip);
  painter->drawText(area.adjusted(kPadding, 1, -kPadding - 1, -2), static_cast<int>(align), text);
  painter->setClipping(false);
}

void CellPainter::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const {
  painter->save();
  const QRect r = option.rect;
  // The last pixel column and row carry the cell's right and bottom line.
  QColor fill = index.data(FillRole).value<QColor>();
  painter->fillRect(r, fill.isValid() ? fill : option.palette.base().color());

  const CellBorders b = index.data(BordersRole).value<CellBorders>();
  if (gridLines_) {
    painter->setPen(QColor(0xD4, 0xD4, 0xD4));
    if (b.right.style == host::LineStyle::None) painter->drawLine(r.topRight(), r.bottomRight());
    if (b.bottom.style == host::LineStyle::None) painter->drawLine(r.bottomLeft(), r.bottomRight());
  }

  const QString text = index.data(Qt::DisplayRole).toString();
  if (text.isEmpty()) {
    // Text of a cell to the left that runs on into this empty one.
    auto* view = qobject_cast<const QTableView*>(parent());
    if (view && view->rowSpan(index.row(), index.column()) == 1 && view->columnSpan(index.row(), index.column()) == 1) {
      int x = r.left();
      for (int col = index.column() - 1, steps = 0; col >= 0 && steps < 16; --col, ++steps) {
        if (view->isColumnHidden(col)) continue;
        x -= view->columnWidth(col);
        const QModelIndex left = index.model()->index(index.row(), col);
        const QString leftText = left.data(Qt::DisplayRole).toString();
        if (leftText.isEmpty()) continue;
        const QRect leftCell(x, r.top(), view->columnWidth(col), r.height());
        const QRect run = RunOnRect(left, leftCell, leftText);
        if (run.right() >= r.left()) PaintText(painter, left, run, r, leftText, option.palette.text().color());
        break;
      }
    }
  } else if (Overflows(index) && !index.data(Qt::DisplayRole).toString().isEmpty()) {
    PaintText(painter, index, RunOnRect(index, r, text), r, text, option.palette.text().color());
  } else {
    QFont font = index.data(Qt::FontRole).value<QFont>();
    QVariant fg = index.data(Qt::ForegroundRole);
    painter->setPen(fg.isValid() ? fg.value<QColor>() : option.palette.text().color());
    Qt::Alignment align = Qt::Alignment(index.data(Qt::TextAlignmentRole).toInt());
    const int rotation = index.data(RotationRole).toInt();
    const bool wrap = index.data(WrapRole).toBool();
    const bool shrink = index.data(ShrinkRole).toBool();
    QRect area = r.adjusted(kPadding, 1, -kPadding - 1, -2);
    if (rotation == 255) {
      // Stacked vertical text: one character under the other.
      QString stacked;
      for (qsizetype i = 0; i < text.size(); ++i) {
        if (i) stacked += QLatin1Char('\n');
        stacked += text.at(i);
        if (text.at(i).isHighSurrogate() && i + 1 < text.size()) stacked += text.at(++i);
      }
      if (shrink) {
        QFontMetricsF fm(font);
        QRectF need = fm.boundingRect(QRectF(0, 0, area.width(), 100000), Qt::AlignHCenter, stacked);
        if (need.height() > area.height() && need.height() > 0)
          font.setPointSizeF(std::max(4.0, font.pointSizeF() * area.height() / need.height()));
      }
      painter->setFont(font);
      painter->drawText(area, Qt::AlignHCenter | (align & Qt::AlignVertical_Mask), stacked);
    } else if (rotation != 0) {
      // Rotated text: 1..90 counter-clockwise, 91..180 clockwise.
      const int degrees = rotation <= 90 ? -rotation : rotation - 90;
      painter->setFont(font);
      painter->translate(area.center());
      painter->rotate(degrees);
      QRect turned(-area.height() / 2, -area.width() / 2, area.height(), area.width());
      painter->drawText(turned, Qt::AlignCenter, text);
    } else {
      int flags = static_cast<int>(align);
      if (wrap) flags |= Qt::TextWordWrap;
      if (shrink && !wrap) {
        QFontMetricsF fm(font);
        const double width = fm.horizontalAdvance(text);
        if (width > area.width() && width > 0)
          font.setPointSizeF(std::max(4.0, font.pointSizeF() * area.width() / width));
      }
      painter->setFont(font);
      painter->setClipRect(r);
      painter->drawText(area, flags, text);
      painter->setClipping(false);
    }
  }

  if (option.state & QStyle::State_Selected) {
    QColor sel = option.palette.highlight().color();
    sel.setAlpha(60);
    painter->fillRect(r, sel);
  }

  // Right and bottom edges on the cell's last pixels; left and top edges on the
  // pixel before the cell (the neighbour's last one), painted after it.
  DrawEdge(painter, b.right, r.topRight() + QPoint(0, -1), r.bottomRight(), QPoint(-1, 0));
  DrawEdge(painter, b.bottom, r.bottomLeft() + QPoint(-1, 0), r.bottomRight(), QPoint(0, -1));
  DrawEdge(painter, b.left, r.topLeft() + QPoint(-1, -1), r.bottomLeft() + QPoint(-1, 0), QPoint(1, 0));
  DrawEdge(painter, b.top, r.topLeft() + QPoint(-1, -1), r.topRight() + QPoint(0, -1), QPoint(0, 1));

  if (option.state & QStyle::State_HasFocus) {
    painter->setPen(QPen(QColor(0x21, 0x73, 0x46), 2));
    painter->setBrush(Qt::NoBrush);
    painter->drawRect(r.adjusted(0, 0, -1, -1));
  }
  painter->restore();
}

void CellPainter::setEditorData(QWidget* editor, const QModelIndex& index) const {
  if (auto* line = qobject_cast<QLineEdit*>(editor)) {
    // Typing starts from the cell's typed text (its formula where it has one);
    // a key that opened the editor replaces it, as the view arranges.
    line->setText(index.data(Qt::EditRole).toString());
    return;
  }
  QStyledItemDelegate::setEditorData(editor, index);
}

}  // namespace korvane::gui
