#pragma once

#include <QByteArray>
#include <QSet>
#include <QString>
#include <QStringList>

class Connection;
struct sqlite3_stmt;

// The names the catalogue already holds for one folder of one disc, asked once per folder
// through the folder lookup index rather than once per file. The statement is prepared on first
// use and kept until the lookup ends.
class FolderLookup
{
public:
    explicit FolderLookup(Connection &connection);
    ~FolderLookup();
    FolderLookup(const FolderLookup &) = delete;
    FolderLookup &operator=(const FolderLookup &) = delete;

    // The names held in any of folders, places that are one folder of the disc. Folders and
    // names are the system's bytes, UTF-8 or not, so that names that differ only where they are
    // not UTF-8 stay apart. Raises PlatformError for an engine failure.
    QSet<QByteArray> names(const QList<QByteArray> &folders, const QString &label,
                           const QString &serial);

private:
    Connection &m_connection;
    sqlite3_stmt *m_statement = nullptr;
};
