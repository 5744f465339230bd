#pragma once

#include "catalogue/archivemembers.h"
#include "catalogue/mediatally.h"

#include <QByteArray>
#include <QHash>
#include <QPair>
#include <QString>

#include <optional>
#include <utility>
#include <vector>

class Connection;
class FolderTree;
class RemovedRows;

// The catalogue's media: a medium is one pair of label (Archive) and serial text of its rows; a
// missing label or serial counts as an empty one. When an indexing run last wrote or found rows
// of each medium is kept in table MediumCatalogued, as UTC text "YYYY-MM-DD HH:MM:SS". The
// catalogue hands out its one Media (Catalogue::media()).
class Media
{
public:
    using Key = QPair<QByteArray, QByteArray>; // label, serial

    explicit Media(Connection &connection) : m_connection(connection) {}

    // Every row of one medium; its two parameters are the label and the serial text.
    static QString rowsStatement();
    // The rows of one medium at and below one folder; its five parameters are the label, the
    // serial text, the folder, and the two bounds folderBounds() gives.
    static QString folderRowsStatement();
    // The folders below folder lie between these two texts (the first included).
    static std::pair<QString, QString> folderBounds(const QString &folder);

    // Hands every row of one medium to tree (add()), in one pass over the rows. Raises
    // PlatformError.
    void folders(const QString &label, const QString &serial, FolderTree &tree);

    // Every medium with its totals, in one pass over the rows. Raises PlatformError.
    std::vector<MediumTotals> totals();
    // How many members of archives each medium holds. Raises PlatformError.
    std::vector<ArchiveMembers::MediumCount> memberCounts();

    // When each medium was last catalogued. A catalogue made before the table has none.
    // Raises PlatformError for another engine failure.
    QHash<Key, QByteArray> catalogued();

    // Notes that an indexing run wrote or found rows of the medium now; called inside the run's
    // write transaction. Raises PlatformError.
    void noteCatalogued(const QByteArray &label, const QByteArray &serial);

    // Catalogue::removeMedium's work: removes the medium's rows and when it was catalogued, in
    // one transaction: all or, on a failure, nothing. The rows are those with these IDs when the
    // caller holds every row it knows of the medium (a look-up each, where finding them costs a
    // pass of the whole catalogue), else every row of the medium. What it removes is kept in
    // keep, to be put back. Returns the rows removed. Raises PlatformError.
    qint64 remove(const QString &label, const QString &serial,
                  const std::optional<std::vector<qint64>> &ids, RemovedRows &keep);

    // The note kept on each medium (table MediumNotes). A catalogue made before the table has
    // none. Raises PlatformError for another engine failure.
    QHash<Key, QString> notes();
    // Keeps note on the medium, in place of the one before; an empty (or blank) note removes it.
    // Raises PlatformError (a read-only catalogue, one made before the table that cannot be
    // given it).
    void setNote(const QString &label, const QString &serial, const QString &note);

private:
    Connection &m_connection;
};
