#pragma once

#include <QLabel>
#include <QPair>
#include <QTimer>

#include <thread>

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
    ~StatusLine() override;

    // Shown in place of the counts until the next action (a refill, a sort, another selection).
    void showMessage(const QString &message);
    // The counts as they stand now.
    void refresh();
    // Waits for a count of the catalogue under way, whose connection holds the file.
    void stopCounting();

    // "Catalogued 1,204 files, 12 already catalogued, in 3 s" and, for an update, what it
    // added, changed and removed.
    static QString runText(qint64 catalogued, qint64 skipped, qint64 changed, qint64 removed,
                           qint64 elapsedMs, bool update);

private:
    // The rows of the whole catalogue, counted again only when it has changed: behind the
    // window (a count of ten million rows takes a second), the count last made shown meanwhile.
    qint64 catalogueFiles();
    void countBehind(QPair<qint64, qint64> stamp);
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
    std::thread m_counter;
    bool m_counting = false;
};
