#pragma once

#include <QString>

class QHeaderView;
class QWidget;

// A window's size and place and its list's columns (widths, order, the sort shown), kept where
// the program keeps its choices (QSettings "Vellumark") when the window goes, and given back when
// it is made again. Nothing is kept until a window has gone once, so the first start shows the
// layout as designed.
namespace RememberedLayout {

// Gives back what was kept under name; false when nothing was. columns may be null.
bool restore(QWidget *window, QHeaderView *columns, const QString &name);
void save(const QWidget *window, const QHeaderView *columns, const QString &name);

} // namespace RememberedLayout
