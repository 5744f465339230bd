#include "window/list/filestable.h"

#include "window/list/cataloguelist.h"
#include "window/list/cataloguelistmodel.h"
#include "window/main/twips.h"

#include <QContextMenuEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>

FilesTable::FilesTable(CatalogueList &list, QWidget *parent) : QTableView(parent)
{
    setObjectName(QStringLiteral("lvwFiles"));
    setShowGrid(false);
    setWordWrap(false);
    setCornerButtonEnabled(false);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setTextElideMode(Qt::ElideRight);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    // Its row heights are all the same, so a million rows cost no more to lay out than a
    // thousand.
    QHeaderView *rows = verticalHeader();
    rows->hide();
    rows->setSectionResizeMode(QHeaderView::Fixed);
    rows->setDefaultSectionSize(fontMetrics().height() + 4);
    setModel(list.model());
    setSelectionModel(list.selectionModel());
    QHeaderView *header = horizontalHeader();
    header->setSectionsMovable(true); // the columns' order is the user's, and kept
    header->setStretchLastSection(false);
    header->setMinimumSectionSize(0);
    header->setSectionsClickable(true);
    header->setHighlightSections(false);
    header->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    // The ID travels with every row but is not shown.
    setColumnWidth(CatalogueListModel::ID, 0);
    for (int c = CatalogueListModel::Path; c < CatalogueListModel::ColumnCount; ++c)
        setColumnWidth(c, twipsToPixels(1440));
}

void FilesTable::lvwFiles_DblClick()
{
    Q_EMIT openWanted();
}

void FilesTable::lvwFiles_KeyDown(int key)
{
    if (key == Qt::Key_Backspace)
        Q_EMIT removeWanted();
    else if (key == Qt::Key_Return || key == Qt::Key_Enter)
        Q_EMIT openWanted();
}

void FilesTable::keyPressEvent(QKeyEvent *event)
{
    if (event->matches(QKeySequence::Copy)) {
        Q_EMIT copyWanted(); // the paths, not the view's own copy of one cell
        return;
    }
    if (event->key() == Qt::Key_F10 && event->modifiers() == Qt::ShiftModifier) {
        Q_EMIT menuWanted(keyboardMenuPos());
        return;
    }
    lvwFiles_KeyDown(event->key());
    QTableView::keyPressEvent(event);
}

void FilesTable::mousePressEvent(QMouseEvent *event)
{
    // A click on the empty part of the list keeps the selected item: a double-click there acts
    // on it.
    if (event->button() == Qt::LeftButton && !indexAt(event->position().toPoint()).isValid())
        return;
    QTableView::mousePressEvent(event);
}

void FilesTable::mouseDoubleClickEvent(QMouseEvent *event)
{
    lvwFiles_DblClick();
    if (indexAt(event->position().toPoint()).isValid())
        QTableView::mouseDoubleClickEvent(event); // else the view takes it for a press on nothing
}

void FilesTable::contextMenuEvent(QContextMenuEvent *event)
{
    // A right-click arrives at the rows (the click has already selected the row under it); the
    // Menu key at the list, where the menu opens by the focused row.
    Q_EMIT menuWanted(event->reason() == QContextMenuEvent::Mouse ? event->globalPos()
                                                                  : keyboardMenuPos());
}

QPoint FilesTable::keyboardMenuPos() const
{
    const QRect rows = viewport()->rect();
    const QRect focused = visualRect(currentIndex());
    const QPoint at = rows.contains(focused.bottomLeft()) ? focused.bottomLeft() : rows.topLeft();
    return viewport()->mapToGlobal(at + QPoint(twipsToPixels(240), 0));
}
