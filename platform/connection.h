#pragma once

#include <QString>

struct sqlite3;

// The catalogue connection: one SQLite file opened through Qt SQL. The provider text of the
// Jet engine selects this engine; the file is never created here.
class Connection
{
public:
    Connection();
    ~Connection();
    Connection(const Connection &) = delete;
    Connection &operator=(const Connection &) = delete;

    void setProvider(const QString &provider) { m_provider = provider; }

    // Opens the file named by the connection text. Raises PlatformError when the provider is not
    // known, the file is missing or is not a catalogue the engine can read.
    void Open(const QString &connectionString, const QString &user = QString(),
              const QString &password = QString(), int options = -1);
    void Close();
    bool isOpen() const;

    // A write transaction: BeginTrans takes the catalogue's write lock at once (waiting up to the
    // busy timeout for another program to let go of it), so that what is read inside it stays
    // true until CommitTrans. Only one level: BeginTrans inside a transaction raises. Both raise
    // PlatformError; a CommitTrans that fails leaves the transaction to RollbackTrans, and one
    // that finds it already undone by the engine (full disk, I/O error) raises too.
    int BeginTrans();
    void CommitTrans();
    // Never raises: undoes what is not committed, if anything.
    void RollbackTrans() noexcept;
    bool inTransaction() const { return m_inTransaction; }

    // The engine handle, for the recordset and for fast paths that read many rows.
    sqlite3 *handle() const { return m_handle; }

    // Pages the write-ahead log may grow to before it is copied into the file; -1 when the
    // engine does not say.
    int autoCheckpoint() const;
    void setAutoCheckpoint(int pages);

    // Raises PlatformError with the engine's number and description for rc.
    [[noreturn]] void raise(int rc) const;

private:
    QString m_provider;
    QString m_name;
    sqlite3 *m_handle = nullptr;
    bool m_inTransaction = false;
};
