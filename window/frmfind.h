#pragma once

#include "catalogue/findquery.h"
#include "window/findcounter.h"

#include <QDialog>

class CatalogueList;
class QLabel;
class QLineEdit;
class QPushButton;

// The Find window: one query field, the line that counts what the query matches in the whole
// catalogue as it is typed, a short help text and the Find button (Enter), which has the main
// list show the matching rows. Not modal; it stays open for the next query.
class frmFind : public QDialog
{
    Q_OBJECT
public:
    frmFind(CatalogueList &list, QWidget *parent);

    // Shows the window in front with the query field focused.
    void showFind();
    // The count line: "N files, S" with S readable ("4.7 GB").
    static QString countText(qint64 files, qint64 bytes);

Q_SIGNALS:
    void findRequested(const FindQuery &query);
    // The list holds another view: Find needs the whole catalogue in it.
    void wholeCatalogueWanted();

public Q_SLOTS:
    void txtQuery_Change();
    void cmdFind_Click();

protected:
    void hideEvent(QHideEvent *event) override;

private:
    void recount(bool typed);

    CatalogueList &m_list;
    FindCounter m_counter;
    QLineEdit *txtQuery;
    QLabel *lblCount;
    QLabel *lblHelp;
    QPushButton *cmdFind;
};
