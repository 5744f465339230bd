#pragma once

#include <QStringList>

class QMenu;
class QTableView;

// The list's context menu as a person uses it.
namespace ContextMenu {

// A right-click on a row of the list (-1: below the last row); the menu open then, or null.
QMenu *rightClick(QTableView *view, int row);
// The items as shown, "&" marks dropped, "-" for a separator, "(off)" after a disabled one.
QStringList items(const QMenu *menu);
// Opens the menu on a row and clicks the item with this text (without "&" marks).
void choose(QTableView *view, int row, const QString &item);

} // namespace ContextMenu
