#pragma once

#include <QTableView>

class CatalogueList;

// lvwFiles: the catalogue list in report form, one line per file, whole rows selected. It tells
// its owner what its keys, double-clicks and menu requests ask for; it still gets every key.
class FilesTable : public QTableView
{
    Q_OBJECT
public:
    FilesTable(CatalogueList &list, QWidget *parent);

    // Wherever it lands: the command acts on the selected item.
    void lvwFiles_DblClick();
    // Backspace removes and Enter launches, whatever modifier keys are held.
    void lvwFiles_KeyDown(int key);

Q_SIGNALS:
    void openWanted();
    void removeWanted();
    void copyWanted();
    void menuWanted(QPoint globalPos);

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;

private:
    // From the keyboard: below the focused row where it is in sight, else at the rows' top.
    QPoint keyboardMenuPos() const;
};
