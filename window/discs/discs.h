#pragma once

#include "catalogue/mediatally.h"
#include "window/discs/disc.h"
#include "window/list/listview.h"

#include <QCoreApplication>
#include <QByteArray>
#include <QHash>
#include <QPair>

#include <memory>
#include <vector>

class Catalogue;
class FolderTree;
class CatalogueList;
class MountedMedia;

// What the Discs window lists and does: the catalogue's media with their files, bytes, when
// they were catalogued and where they are mounted now (by label and serial, as a file of them
// is found), and the media a file manager shows that the catalogue holds nothing of.
class Discs
{
    Q_DECLARE_TR_FUNCTIONS(Discs)

public:
    Discs(Catalogue &catalogue, CatalogueList &list, MountedMedia *media)
        : m_catalogue(catalogue), m_list(list), m_media(media)
    {}

    // Raises PlatformError.
    std::vector<Disc> list();

    // The main list shows the disc's rows, as a view like the search's. When it has none, or on
    // a failure (reported), the whole catalogue comes back and the answer is false.
    bool showFiles(const Disc &disc);
    // The disc's folders, from the rows the list holds when it holds the whole catalogue, else
    // read from the catalogue. Raises PlatformError.
    std::unique_ptr<FolderTree> folders(const Disc &disc);
    // The main list shows the files at and below one folder of the disc, as showFiles() does.
    bool showFolder(const Disc &disc, const QString &folder);
    // Asks, then removes every row of the disc in one transaction and refills the main list.
    // A failure is reported and removes nothing. Returns whether the disc was removed.
    bool removeDisc(const Disc &disc);

    // Keeps note on the disc (by its label and serial text), in the catalogue file; a failure
    // is reported and the answer is false.
    bool setNote(const Disc &disc, const QString &note);

private:
    const std::vector<MediumTotals> &totals();
    bool show(const ListView &view);

    Catalogue &m_catalogue;
    CatalogueList &m_list;
    MountedMedia *m_media;
    // The totals last counted, and the catalogue's state they hold for. The whole catalogue's
    // rows are counted where the list holds them; a narrowed view's refill reads the catalogue
    // again only when its rows have changed since.
    std::vector<MediumTotals> m_totals;
    QHash<QPair<QByteArray, QByteArray>, qint64> m_members; // by label and serial text
    QPair<qint64, qint64> m_countedAt{-1, -1};
};
