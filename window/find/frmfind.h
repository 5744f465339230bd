#pragma once

#include "catalogue/findquery.h"
#include "window/find/findcounter.h"

#include <QDialog>

#include <functional>

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
    // notes gives the notes kept on the media, for the note: terms.
    using Notes = std::function<QHash<QPair<QByteArray, QByteArray>, QString>()>;
    frmFind(CatalogueList &list, Notes notes, QWidget *parent);

    // Shows the window in front with the query field focused.
    void showFind();
    // The count line: "N files, S" with S readable ("4.7 GB").
    static QString countText(qint64 files, qint64 bytes);
    // Keeps its size and place for the next time it is made.
    void saveLayout() const;

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
    // The query typed, its note: terms given the notes.
    FindQuery query() const;

    CatalogueList &m_list;
    Notes m_notes;
    FindCounter m_counter;
    QLineEdit *txtQuery;
    QLabel *lblCount;
    QLabel *lblHelp;
    QPushButton *cmdFind;
};
