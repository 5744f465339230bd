#pragma once

class Connection;

// One transaction on a connection, undone when the object goes before commit() (a failure on the
// way). A write transaction takes the catalogue's write lock at once (waiting up to the busy
// timeout for another program to let go of it), so that what is read inside it stays true until
// commit; a temporary one writes only the connection's own temporary tables and takes no lock,
// on a read-only catalogue too. One level only: a transaction inside another raises.
class Transaction
{
public:
    enum class Kind { Write, Temporary };

    // Raises PlatformError.
    explicit Transaction(Connection &connection, Kind kind = Kind::Write);
    ~Transaction();
    Transaction(const Transaction &) = delete;
    Transaction &operator=(const Transaction &) = delete;

    // Raises PlatformError, the transaction then undone; also when the engine undid it already
    // (a full disk, an I/O error).
    void commit();

private:
    Connection &m_connection;
    bool m_open = true;
};
