#pragma once

#include <QByteArray>

#include <QSet>

class Connection;
struct sqlite3_stmt;

using NameSet = QSet<QByteArray>;

// The duplicate test of the indexer: the names of the files the catalogue already holds in one
// folder of one medium (same Path, Archive and Serial, compared exactly). Asked inside the write
// transaction that adds the folder's new rows, so that no other program adds one in between.
class DuplicateLookup
{
public:
    explicit DuplicateLookup(Connection &connection) : m_connection(connection) {}
    ~DuplicateLookup();
    DuplicateLookup(const DuplicateLookup &) = delete;
    DuplicateLookup &operator=(const DuplicateLookup &) = delete;

    // Replaces names with the names catalogued there. Raises PlatformError.
    void namesIn(const QByteArray &path, const QByteArray &label, const QByteArray &serial,
                 NameSet &names);

    // Makes the index the lookup reads, in a catalogue made before it existed. Raises
    // PlatformError for an engine failure other than a read-only catalogue.
    static void prepareCatalogue(Connection &connection);

private:
    Connection &m_connection;
    sqlite3_stmt *m_statement = nullptr; // prepared on first use
};
