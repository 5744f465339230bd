#pragma once

#include "platform/platformerror.h"

#include <QPair>
#include <QString>

#include <functional>
#include <optional>

struct sqlite3;

// The catalogue connection: one SQLite file. The provider text of the Jet engine selects this
// engine; the file is never created here.
//
// The file is looked at before anything can write to it: its header is read by hand, then the
// engine reads its schema through a read-only connection, and only a file that passes is opened
// for writing. A file in a folder that cannot be written stays on the read-only connection. At
// the end the write-ahead log is folded back, so that data.mdb alone holds the catalogue.
class Connection
{
public:
    // Run on the read-only connection before the file is opened for writing; raises
    // PlatformError to refuse the file. A damage answer (see isDamage) does not refuse it: the
    // file is then kept read-only and marked damaged.
    using Check = std::function<void(Connection &)>;

    // The provider text that selects this engine.
    static constexpr char JetProvider[] = "Microsoft.Jet.OLEDB.4.0";

    Connection();
    ~Connection();
    Connection(const Connection &) = delete;
    Connection &operator=(const Connection &) = delete;

    void setProvider(const QString &provider) { m_provider = provider; }
    void setCheck(Check check) { m_check = std::move(check); }

    // Opens the catalogue file at path. Raises PlatformError when the provider is not
    // known, the file is missing, is not a database or is refused by the check; the file and its
    // folder are then as they were.
    void Open(const QString &path);
    // Folds the log into the file and, when no other connection has it, leaves it in the plain
    // rollback-journal mode; then closes. A damaged or read-only file is not written. When the
    // fold fails (a full disk, an I/O error) the file and its log are left as they are, the two
    // together holding the catalogue, and foldFailure() tells why until the next Open.
    void Close();
    const std::optional<PlatformError> &foldFailure() const { return m_foldFailure; }
    bool isOpen() const;

    // Whether no transaction is open: what is read is committed.
    bool autocommit() const;

    // Copies the committed contents of the log into the file and empties the log. Only a
    // tidying: a failure (another instance reading, a read-only file) is passed over.
    void fold();
    // Folds a log that a run which could not fold it at its end left beside the file, once the
    // file was read whole without damage (a damaged file is never written).
    void foldLeftLog();

    // Catalogue::upgrade leaves a file opened read-only as it is.
    bool isReadOnly() const { return m_readOnly; }
    bool isDamaged() const { return m_damage.has_value(); }
    // The engine's answer that showed the file damaged, its description followed by the
    // damage sentence.
    PlatformError damage() const;
    // Called before every write: raises damage() when the file is damaged, so that nothing more
    // is written into it; the first write switches the file to the write-ahead log.
    void beginWrite();

    // Whether the main file holds a table of this name.
    bool hasTable(const char *table) const;
    // The rows the last statement inserted, changed or deleted.
    qint64 changes() const;
    // The ID of the row the last insert wrote.
    qint64 lastInsertId() const;
    // Changes whenever rows may have changed since: written by this connection or by another;
    // {-1, -1} when closed.
    QPair<qint64, qint64> changeStamp();
    // Only a tuning: how many pages the write-ahead log grows to before it is copied back;
    // returns the setting before, -1 when the engine refuses it.
    int setCheckpointPages(int pages);
    // Only a tuning too: how many pages of the catalogue the connection keeps in memory (a
    // negative number: that many KiB); returns the setting before. Fewer frees their memory.
    int setCachePages(int pages);
    // The engine handle, for statements and for tests that reach the engine beside the program.
    sqlite3 *handle() const { return m_handle; }

    // The engine's number and description for rc; a damage answer marks the file damaged
    // first, and its description says so.
    PlatformError error(int rc) const;
    // Raises error(rc).
    [[noreturn]] void raise(int rc) const;

    // Whether an engine error number says the file is damaged ("malformed", "not a database").
    static bool isDamage(int number);
    // Whether it says the file may not be written (read-only media, query-only).
    static bool isReadOnlyAnswer(int number);
    // Whether it is a failure of the whole file (locked, full, read-only, damaged, unreadable)
    // rather than of one statement or row.
    static bool isFileFailure(int number);
    // Appended to the description of such an error.
    static QString damageSentence();

private:
    friend class Transaction;
    // Transaction's work: one level only; begin and commit raise PlatformError.
    void begin(bool write);
    void commit();
    void rollback() noexcept;

    void markDamaged(int number, const QString &description) const;
    void closeHandle();

    QString m_provider;
    Check m_check;
    sqlite3 *m_handle = nullptr;
    bool m_inTransaction = false;
    bool m_readOnly = false;
    bool m_logging = false;
    bool m_logLeft = false; // a log was beside the file when it was opened for writing
    mutable std::optional<PlatformError> m_damage;
    std::optional<PlatformError> m_foldFailure;
};
