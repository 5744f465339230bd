#pragma once

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

    // The names held in any of folders, places that are one folder of the disc. Raises
    // PlatformError for an engine failure.
    QSet<QString> names(const QStringList &folders, const QString &label, const QString &serial);

private:
    Connection &m_connection;
    sqlite3_stmt *m_statement = nullptr;
};
