#pragma once

#include <QByteArray>
#include <QByteArrayList>
#include <QSet>

#include "platform/statement.h"

#include <memory>

class Connection;

// The indexer's duplicate test: the names the catalogue already holds for one folder of one disc
// (same Path, Archive and Serial, compared exactly), asked once per folder through the folder
// lookup index rather than once per file. The indexer asks it inside the write transaction that
// adds the folder's new rows, so that no other program adds one in between. Texts are UTF-8, as
// stored. The statement is prepared on first use and kept until the lookup ends.
class FolderLookup
{
public:
    explicit FolderLookup(Connection &connection);
    ~FolderLookup();
    FolderLookup(const FolderLookup &) = delete;
    FolderLookup &operator=(const FolderLookup &) = delete;

    // Replaces names with the names held in folder or any of others, places that are one folder
    // of the disc. Raises PlatformError for an engine failure.
    void names(const QByteArray &folder, const QByteArrayList &others, const QByteArray &label,
               const QByteArray &serial, QSet<QByteArray> &names);

private:
    void add(const QByteArray &folder, const QByteArray &label, const QByteArray &serial,
             QSet<QByteArray> &names);

    Connection &m_connection;
    std::unique_ptr<Statement> m_statement;
};
