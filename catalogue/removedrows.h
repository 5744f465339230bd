#pragma once

#include <QByteArray>
#include <QtGlobal>

#include <optional>
#include <vector>

class Connection;

// The rows of the last removal, kept so that they can be put back with their IDs and every
// field as it was. They live in the connection's temporary database: SQLite keeps it in a file
// of its own that is gone with the connection, and holds only its page cache (2 MB) in memory,
// so a removal of millions of rows costs disc space, not memory. Each removal replaces the one
// before; a removal that fails leaves the one before as it was.
class RemovedRows
{
public:
    explicit RemovedRows(Connection &connection) : m_connection(connection) {}

    // Inside a removal's write transaction, before it deletes: forgets the rows kept before, and
    // from here on keeps the media's catalogued times deleted.
    void startKeeping();
    // Keeps the rows with these IDs (those of them Files holds), before they are deleted.
    void keep(const std::vector<qint64> &ids);
    // Keeps the rows a condition on Files selects (its two parameters bound to first and
    // second), before they are deleted.
    void keepSelected(const char *where, const QByteArray &first, const QByteArray &second);
    // A row kept that the removal then did not delete.
    void forget(qint64 id);
    // Still inside the transaction, after the deletions: keeping ends.
    void stopKeeping();
    // After the transaction: takes in what it kept, or, rolled back, the removal before again.
    void settle(bool committed);

    // A new connection has no store yet.
    void reset()
    {
        m_count = 0;
        m_made = false;
    }
    // How many rows the last removal took out; 0 when there is none to put back.
    qint64 count() const { return m_count; }
    // Goes up by one with every removal that took rows out.
    qint64 removals() const { return m_removals; }
    // Puts the rows kept back into Files with their IDs, in one transaction: all of them or, on
    // a failure (another program gave one of the IDs to a row of its own), none, and they stay
    // kept. Returns the rows put back. Raises PlatformError.
    qint64 putBack();

private:
    Connection &m_connection;
    qint64 m_count = 0;
    qint64 m_removals = 0;
    bool m_made = false;
    std::optional<int> m_cacheBefore; // the connection's cache while a removal has it larger
};
