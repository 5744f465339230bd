#pragma once

#include <QCoreApplication>

class QAction;
class QString;
class QMenu;
class QPoint;
class QWidget;

// The list's context menu: Open, Open Containing Folder, Copy Path, Remove, Undo Remove
// (Ctrl+Z in the window), then Export List... and Show Duplicates, then Discs... and Find...
// (Ctrl+D and Ctrl+F in the window), then the setting Look inside archives (checked when on).
// Made once;
// its owner connects the items to the commands.
class ListMenu
{
    Q_DECLARE_TR_FUNCTIONS(ListMenu)

public:
    explicit ListMenu(QWidget *parent);

    // Shows the menu at a point of the screen and returns at once; the items that act on the
    // selection are enabled only when there is one.
    // Undo Remove only when a removal can be put back.
    void popup(const QPoint &globalPos, bool hasSelection, bool canUndo);
    // Remove and Undo Remove are kept disabled, with refusal as their tooltip, while refusal says
    // why they cannot write; the empty text allows them again.
    void setWritable(const QString &refusal);

    QMenu *menu;
    QAction *mnuOpen;
    QAction *mnuOpenFolder;
    QAction *mnuCopyPath;
    QAction *mnuRemove;
    QAction *mnuUndoRemove;
    QAction *mnuExportList;
    QAction *mnuShowDuplicates;
    QAction *mnuDiscs;
    QAction *mnuFind;
    QAction *mnuLookInsideArchives;

private:
    bool m_writable = true;
};
