#include "platform/connection.h"

#include "platform/statement.h"

#include <QFile>
#include <QFileInfo>

#include <sqlite3.h>

#include <cctype>
#include <cstring>

#include <fcntl.h>
#include <unistd.h>

namespace {
// What the Jet engine answers for a transaction call made in the wrong state.
constexpr int TransactionState = 3246;
// Engine failures that are not the engine's own codes.
constexpr int ProviderNotFound = 3706;
constexpr int FileNotFound = 3024;
constexpr int BusyTimeoutMs = 5000;

[[noreturn]] void raiseEngine(int number)
{
    throw PlatformError(number, QString::fromUtf8(sqlite3_errstr(number)));
}

bool exists(const QByteArray &path)
{
    return ::access(path.constData(), F_OK) == 0;
}

// The first 100 bytes of a database file, read without the engine, which would turn an empty
// file into a database and make side files beside anything it opens.
void checkHeader(const QByteArray &path)
{
    unsigned char header[100];
    const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        raiseEngine(SQLITE_CANTOPEN);
    const ssize_t got = ::read(fd, header, sizeof header);
    ::close(fd);
    static const char magic[] = "SQLite format 3"; // and its terminating zero
    if (got != ssize_t(sizeof header) || std::memcmp(header, magic, sizeof magic) != 0)
        raiseEngine(SQLITE_NOTADB);
    const unsigned pageSize = (unsigned(header[16]) << 8 | header[17]) == 1
                                  ? 65536u
                                  : unsigned(header[16]) << 8 | header[17];
    const bool powerOfTwo = (pageSize & (pageSize - 1)) == 0;
    // Read version 1 is the rollback journal, 2 the write-ahead log; the engine reads no other.
    if (pageSize < 512 || !powerOfTwo || header[19] < 1 || header[19] > 2)
        raiseEngine(SQLITE_NOTADB);
}

// A read-only connection that makes no file. Without a log or journal beside it the file alone
// is the database, and it is opened immutable: a read-only open of a log-mode file would make the
// log and its index. A log on media that cannot take its index is passed over the same way.
sqlite3 *openReadOnly(const QByteArray &path, bool writable)
{
    const bool sideFiles = exists(path + "-wal") || exists(path + "-journal");
    QByteArray uri = "file:";
    for (const char c : path) {
        if (std::isalnum(static_cast<unsigned char>(c)) || std::strchr("/-._~", c))
            uri += c;
        else
            uri +=
                '%' + QByteArray::number(static_cast<unsigned char>(c), 16).rightJustified(2, '0');
    }
    int rc = SQLITE_CANTOPEN;
    sqlite3 *db = nullptr;
    for (const char *mode : {"?mode=ro", "?immutable=1"}) {
        if (mode[1] == 'm' && !sideFiles)
            continue;
        if (mode[1] == 'i' && sideFiles && writable)
            break;
        rc = sqlite3_open_v2((uri + mode).constData(), &db,
                             SQLITE_OPEN_READONLY | SQLITE_OPEN_URI | SQLITE_OPEN_NOMUTEX, nullptr);
        if (rc == SQLITE_OK)
            return db;
        sqlite3_close_v2(db);
        db = nullptr;
    }
    raiseEngine(rc);
}
} // namespace

Connection::Connection() = default;

Connection::~Connection()
{
    Close();
}

void Connection::Open(const QString &connectionString)
{
    if (m_provider.compare(QLatin1String(JetProvider), Qt::CaseInsensitive) != 0)
        throw PlatformError(ProviderNotFound,
                            QStringLiteral("Provider cannot be found. It may not be properly "
                                           "installed."));
    // The engine would make a new empty file; the catalogue must already exist.
    const QFileInfo file(connectionString);
    if (!file.isFile())
        throw PlatformError(FileNotFound,
                            QStringLiteral("Could not find file '%1'.").arg(connectionString));

    Close();
    m_damage.reset();
    m_foldFailure.reset();
    const QByteArray path = QFile::encodeName(file.absoluteFilePath());
    const QByteArray folder = QFile::encodeName(file.absolutePath());
    try {
        checkHeader(path);
    } catch (const PlatformError &e) {
        if (!isDamage(e.number()))
            throw; // a file this user may not read is not a damaged one
        markDamaged(e.number(), e.description());
        throw damage();
    }
    // Read-only media, or a folder or file this user may not write: browsing only.
    const bool writable =
        ::access(path.constData(), W_OK) == 0 && ::access(folder.constData(), W_OK) == 0;

    m_handle = openReadOnly(path, writable);
    m_readOnly = true;
    sqlite3_busy_timeout(m_handle, BusyTimeoutMs);
    try {
        // Reading the schema is where a file that is no database is found out.
        Statement::exec(*this, "SELECT count(*) FROM sqlite_schema");
        if (m_check)
            m_check(*this);
    } catch (const PlatformError &e) {
        if (!isDamage(e.number())) {
            closeHandle();
            throw;
        }
        // What can be read is still shown; nothing is written into the file.
        markDamaged(e.number(), e.description());
    }
    if (!writable || isDamaged())
        return;

    closeHandle();
    sqlite3 *db = nullptr;
    // One thread uses the connection: no lock around each call, of which a refill of ten
    // million rows makes hundreds of millions.
    const int rc = sqlite3_open_v2(path.constData(), &db,
                                   SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
    if (rc != SQLITE_OK) {
        const PlatformError error(db ? sqlite3_extended_errcode(db) : rc,
                                  QString::fromUtf8(db ? sqlite3_errmsg(db) : sqlite3_errstr(rc)));
        sqlite3_close_v2(db);
        throw error;
    }
    m_handle = db;
    m_readOnly = false;
    sqlite3_busy_timeout(m_handle, BusyTimeoutMs);
    // The log mode is taken at the first write (beginWrite): a file only read, or found damaged
    // before anything is written, keeps every byte.
    m_logLeft = exists(path + "-wal");
}

void Connection::foldLeftLog()
{
    if (m_logLeft && !isDamaged())
        fold();
    m_logLeft = false;
}

void Connection::fold()
{
    if (!m_handle || m_readOnly || isDamaged())
        return;
    // Not waiting for another instance's readers: what they still need stays in the log.
    sqlite3_busy_timeout(m_handle, 0);
    sqlite3_exec(m_handle, "PRAGMA wal_checkpoint(TRUNCATE)", nullptr, nullptr, nullptr);
    sqlite3_busy_timeout(m_handle, BusyTimeoutMs);
}

void Connection::begin(bool write)
{
    if (!m_handle)
        raise(SQLITE_MISUSE);
    if (m_inTransaction)
        throw PlatformError(TransactionState,
                            QStringLiteral("Operation not supported in transactions."));
    // A write takes the catalogue's write lock at once; the connection's own temporary tables
    // need none, and are written on a read-only catalogue too.
    if (write)
        beginWrite();
    Statement::exec(*this, write ? "BEGIN IMMEDIATE" : "BEGIN");
    m_inTransaction = true;
}

void Connection::commit()
{
    if (!m_handle || !m_inTransaction)
        throw PlatformError(TransactionState, QStringLiteral("Commit without a transaction."));
    // The engine undoes a whole transaction by itself on some failures (a full disk, an I/O
    // error); a COMMIT then would succeed on nothing.
    if (sqlite3_get_autocommit(m_handle)) {
        m_inTransaction = false;
        throw PlatformError(SQLITE_ABORT_ROLLBACK,
                            QStringLiteral("The transaction was undone by the engine; nothing "
                                           "of it was written."));
    }
    Statement::exec(*this, "COMMIT");
    m_inTransaction = false;
}

void Connection::rollback() noexcept
{
    m_inTransaction = false;
    if (m_handle && !sqlite3_get_autocommit(m_handle))
        sqlite3_exec(m_handle, "ROLLBACK", nullptr, nullptr, nullptr);
}

bool Connection::autocommit() const
{
    return !m_handle || sqlite3_get_autocommit(m_handle);
}

void Connection::Close()
{
    rollback();
    if (!m_handle)
        return;
    if (!m_readOnly && !isDamaged()) {
        // Not waiting for another instance's readers: what they still need stays in the log.
        sqlite3_busy_timeout(m_handle, 0);
        const int rc = sqlite3_wal_checkpoint_v2(m_handle, nullptr, SQLITE_CHECKPOINT_TRUNCATE,
                                                 nullptr, nullptr);
        if (rc != SQLITE_OK && rc != SQLITE_BUSY && rc != SQLITE_LOCKED) {
            // The file may hold part of the log now: it is whole only with the log beside it.
            // Neither is touched again, and the engine does not try once more at close.
            m_foldFailure = PlatformError(sqlite3_extended_errcode(m_handle),
                                          QString::fromUtf8(sqlite3_errmsg(m_handle)));
            sqlite3_db_config(m_handle, SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr);
        } else {
            // Only the last connection can leave the log mode; the others leave it to that one.
            sqlite3_exec(m_handle, "PRAGMA journal_mode=DELETE", nullptr, nullptr, nullptr);
        }
    }
    closeHandle();
}

void Connection::closeHandle()
{
    sqlite3_close_v2(m_handle);
    m_handle = nullptr;
    m_readOnly = false;
    m_logging = false;
    m_logLeft = false;
}

bool Connection::isOpen() const
{
    return m_handle != nullptr;
}

bool Connection::isDamage(int number)
{
    const int primary = number & 0xFF;
    return number > 0 && (primary == SQLITE_CORRUPT || primary == SQLITE_NOTADB);
}

bool Connection::isReadOnlyAnswer(int number)
{
    return number > 0 && (number & 0xFF) == SQLITE_READONLY;
}

bool Connection::isFileFailure(int number)
{
    switch (number & 0xFF) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
    case SQLITE_FULL:
    case SQLITE_READONLY:
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
    case SQLITE_IOERR:
    case SQLITE_CANTOPEN:
    case SQLITE_NOMEM:
    case SQLITE_PERM:
    case SQLITE_PROTOCOL:
        return true;
    default:
        return false;
    }
}

QString Connection::damageSentence()
{
    return QStringLiteral("The catalogue file is damaged and should be restored from a copy.");
}

PlatformError Connection::damage() const
{
    return m_damage ? *m_damage : PlatformError(0, QString());
}

void Connection::beginWrite()
{
    if (m_damage)
        throw *m_damage;
    if (m_logging || m_readOnly || !m_handle)
        return;
    m_logging = true;
    // Fast per-row commits. A file that another program holds keeps its journal; its writes
    // still work or fail where they are made, so these two results are deliberately not checked.
    sqlite3_exec(m_handle, "PRAGMA journal_mode=WAL", nullptr, nullptr, nullptr);
    sqlite3_exec(m_handle, "PRAGMA synchronous=NORMAL", nullptr, nullptr, nullptr);
}

void Connection::markDamaged(int number, const QString &description) const
{
    if (m_damage)
        return;
    m_damage = PlatformError(number, description + QStringLiteral("\r\n") + damageSentence());
    if (m_handle) {
        // The engine refuses every write from here on, whoever asks; the log is not folded
        // into the damaged file when the connection closes.
        sqlite3_exec(m_handle, "PRAGMA query_only=1", nullptr, nullptr, nullptr);
        sqlite3_db_config(m_handle, SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr);
    }
}

PlatformError Connection::error(int rc) const
{
    const int number = m_handle ? sqlite3_extended_errcode(m_handle) : rc;
    const QString description =
        QString::fromUtf8(m_handle ? sqlite3_errmsg(m_handle) : sqlite3_errstr(rc));
    if (!isDamage(number))
        return PlatformError(number, description);
    markDamaged(number, description);
    return damage();
}

void Connection::raise(int rc) const
{
    throw error(rc);
}

bool Connection::hasTable(const char *table) const
{
    return sqlite3_table_column_metadata(m_handle, "main", table, nullptr, nullptr, nullptr,
                                         nullptr, nullptr, nullptr) == SQLITE_OK;
}

qint64 Connection::changes() const
{
    return sqlite3_changes64(m_handle);
}

qint64 Connection::lastInsertId() const
{
    return sqlite3_last_insert_rowid(m_handle);
}

QPair<qint64, qint64> Connection::changeStamp()
{
    if (!m_handle)
        return {-1, -1}; // closed: nothing to compare
    qint64 version = -1;
    try {
        version = Statement::scalar(*this, "PRAGMA data_version");
    } catch (const PlatformError &) {
        // Only a hint to read again: -1 never matches, so the next look reads.
    }
    return {version, sqlite3_total_changes64(m_handle)};
}

int Connection::setCheckpointPages(int pages)
{
    int before = -1;
    try {
        before = int(Statement::scalar(*this, "PRAGMA wal_autocheckpoint"));
    } catch (const PlatformError &) {
        return -1; // only a tuning: the connection works all the same
    }
    sqlite3_wal_autocheckpoint(m_handle, pages);
    return before;
}

int Connection::setCachePages(int pages)
{
    int before = 0;
    try {
        before = int(Statement::scalar(*this, "PRAGMA main.cache_size"));
        Statement::exec(*this, ("PRAGMA main.cache_size = " + QByteArray::number(pages)).constData());
    } catch (const PlatformError &) {
        return pages; // only a tuning: the connection works all the same
    }
    return before;
}
