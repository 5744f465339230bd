#include "window/list/listmenu.h"

#include <QKeySequence>
#include <QMenu>
#include <QString>

ListMenu::ListMenu(QWidget *parent) : menu(new QMenu(parent))
{
    menu->setObjectName(QStringLiteral("mnuList"));
    mnuOpen = menu->addAction(tr("&Open"));
    mnuOpenFolder = menu->addAction(tr("Open Containing &Folder"));
    mnuCopyPath = menu->addAction(tr("&Copy Path"));
    // Shown beside the item; the list itself handles the key.
    mnuCopyPath->setShortcut(QKeySequence::Copy);
    mnuCopyPath->setShortcutContext(Qt::WidgetShortcut);
    mnuRemove = menu->addAction(tr("&Remove"));
    mnuUndoRemove = menu->addAction(tr("&Undo Remove"));
    mnuUndoRemove->setShortcut(QKeySequence::Undo);
    mnuUndoRemove->setShortcutContext(Qt::WindowShortcut);
    // Disabled only while the menu shows it: Ctrl+Z in the window asks the command, which
    // knows whether there is anything to put back.
    QObject::connect(menu, &QMenu::aboutToHide, mnuUndoRemove,
                     [item = mnuUndoRemove] { item->setEnabled(true); });
    menu->addSeparator();
    mnuExportList = menu->addAction(tr("&Export List..."));
    mnuShowDuplicates = menu->addAction(tr("Show &Duplicates"));
    mnuDiscs = menu->addAction(tr("D&iscs..."));
    // Also Ctrl+D anywhere in the owner's window, once the owner takes the item in.
    mnuDiscs->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_D));
    mnuDiscs->setShortcutContext(Qt::WindowShortcut);
    mnuFind = menu->addAction(tr("Fi&nd..."));
    mnuFind->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F));
    mnuFind->setShortcutContext(Qt::WindowShortcut);
    menu->addSeparator();
    // Whether indexing catalogues what archives hold; its owner keeps the choice.
    mnuLookInsideArchives = menu->addAction(tr("Look inside &archives"));
    mnuLookInsideArchives->setCheckable(true);
}

void ListMenu::popup(const QPoint &globalPos, bool hasSelection, bool canUndo)
{
    for (QAction *item : {mnuOpen, mnuOpenFolder, mnuCopyPath, mnuRemove})
        item->setEnabled(hasSelection);
    mnuRemove->setEnabled(hasSelection && m_writable);
    mnuUndoRemove->setEnabled(canUndo && m_writable);
    menu->popup(globalPos);
}

void ListMenu::setWritable(const QString &refusal)
{
    m_writable = refusal.isEmpty();
    for (QAction *item : {mnuRemove, mnuUndoRemove}) {
        item->setToolTip(refusal);
        if (!m_writable)
            item->setEnabled(false);
    }
}
