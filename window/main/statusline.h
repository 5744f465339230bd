#pragma once

#include <QLabel>
#include <QPair>
#include <QTimer>

class Catalogue;
class CatalogueList;

// The line below the main list: how many files it shows, of how many, in which view; the count
// and size of the selection when more than one row is selected; and, until the next action,
// what a command or run just did. Plain text: a search's text is shown as typed.
class StatusLine : public QLabel
{
    Q_OBJECT
public:
    StatusLine(Catalogue &catalogue, CatalogueList &list, QWidget *parent);

    // Shown in place of the counts until the next action (a refill, a sort, another selection).
    void showMessage(const QString &message);
    // The counts as they stand now.
    void refresh();

    // "Catalogued 1,204 files, 12 already catalogued, in 3 s" and, for an update, what it
    // added, changed and removed.
    static QString runText(qint64 catalogued, qint64 skipped, qint64 changed, qint64 removed,
                           qint64 elapsedMs, bool update);

private:
    // The rows of the whole catalogue, counted again only when it has changed.
    qint64 catalogueFiles();
    QString viewText() const;
    QString selectionText() const;
    void actionDone();

    Catalogue &m_catalogue;
    CatalogueList &m_list;
    QString m_message;
    qint64 m_removalsSeen = 0;
    qint64 m_total = 0;
    QPair<qint64, qint64> m_countedAt{-1, -1};
    QTimer m_later; // a burst of selection changes is counted once
};
