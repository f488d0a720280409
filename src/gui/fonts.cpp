#include "gui/fonts.h"

#include <QStringList>

namespace korvane::gui {

QFont CjkFont(const QString& family, double points) {
  QFont font;
  const bool serif = family.contains(QStringLiteral("宋")) || family.contains(QStringLiteral("楷")) ||
                     family.contains(QStringLiteral("仿宋")) ||
                     family.compare(QStringLiteral("SimSun"), Qt::CaseInsensitive) == 0;
  QStringList families;
  if (!family.isEmpty()) families << family;
  if (serif) families << QStringLiteral("Noto Serif CJK SC");
  families << QStringLiteral("Noto Sans CJK SC") << QStringLiteral("WenQuanYi Micro Hei")
           << QStringLiteral("Sans Serif");
  font.setFamilies(families);
  if (points > 0) font.setPointSizeF(points);
  return font;
}

QFont DialogFont() { return CjkFont(QStringLiteral("微软雅黑"), 9); }

}  // namespace korvane::gui
