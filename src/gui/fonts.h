// Fonts named in workbooks and dialogs (宋体, 黑体, 微软雅黑 ...) with an
// installed CJK font behind them, so that Chinese text always shows.
#pragma once

#include <QFont>
#include <QString>

namespace korvane::gui {

// `family` at `points`, falling back to Noto CJK (serif for the Song and
// Kai families, sans for the rest) when the family is not installed.
QFont CjkFont(const QString& family, double points);

// The font of the program's dialogs: 微软雅黑 or its fallback, 9 points.
QFont DialogFont();

}  // namespace korvane::gui
