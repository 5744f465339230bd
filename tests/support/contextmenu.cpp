#include "support/contextmenu.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QMenu>
#include <QTableView>
#include <QtTest>

namespace ContextMenu {

QMenu *rightClick(QTableView *view, int row)
{
    const QPoint at = row >= 0 ? view->visualRect(view->model()->index(row, 2)).center()
                               : QPoint(10, view->viewport()->height() - 2);
    // As the system does it: the press reaches the list, then the menu is asked for.
    QTest::mousePress(view->viewport(), Qt::RightButton, {}, at);
    QContextMenuEvent event(QContextMenuEvent::Mouse, at, view->viewport()->mapToGlobal(at));
    QApplication::sendEvent(view->viewport(), &event);
    return qobject_cast<QMenu *>(QApplication::activePopupWidget());
}

QStringList items(const QMenu *menu)
{
    QStringList result;
    for (const QAction *action : menu->actions())
        result << (action->isSeparator() ? QStringLiteral("-")
                                         : QString(action->text()).remove(QLatin1Char('&'))) +
                      (action->isEnabled() ? QString() : QStringLiteral(" (off)"));
    return result;
}

void choose(QTableView *view, int row, const QString &item)
{
    QMenu *menu = rightClick(view, row);
    QVERIFY2(menu, "no menu opened");
    for (QAction *action : menu->actions())
        if (QString(action->text()).remove(QLatin1Char('&')) == item)
            return QTest::mouseClick(menu, Qt::LeftButton, {},
                                     menu->actionGeometry(action).center());
    QFAIL(qPrintable(QStringLiteral("no item ") + item));
}

} // namespace ContextMenu
