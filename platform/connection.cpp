#include "platform/connection.h"

#include "platform/platformerror.h"

#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlError>
#include <QUuid>

#include <sqlite3.h>

namespace {
const char JetProvider[] = "Microsoft.Jet.OLEDB.4.0";
// What the Jet engine answers for a transaction call made in the wrong state.
constexpr int TransactionState = 3246;
// Engine failures that are not the engine's own codes.
constexpr int ProviderNotFound = 3706;
constexpr int FileNotFound = 3024;

void exec(sqlite3 *db, const char *sql)
{
    char *error = nullptr;
    const int rc = sqlite3_exec(db, sql, nullptr, nullptr, &error);
    sqlite3_free(error);
    if (rc != SQLITE_OK)
        throw PlatformError(sqlite3_extended_errcode(db), QString::fromUtf8(sqlite3_errmsg(db)));
}
} // namespace

Connection::Connection() : m_name(QUuid::createUuid().toString()) {}

Connection::~Connection()
{
    Close();
}

void Connection::Open(const QString &connectionString, const QString &, const QString &, int)
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
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_name);
        db.setDatabaseName(connectionString);
        db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=5000"));
        if (db.open()) {
            const QVariant v = db.driver()->handle();
            m_handle = *static_cast<sqlite3 *const *>(v.data());
        } else {
            const QSqlError error = db.lastError();
            db = QSqlDatabase();
            QSqlDatabase::removeDatabase(m_name);
            throw PlatformError(error.nativeErrorCode().toInt(), error.text());
        }
    }
    try {
        // Reading the schema is where a file that is no database is found out.
        exec(m_handle, "SELECT count(*) FROM sqlite_schema");
    } catch (...) {
        Close();
        throw;
    }
    // Fast per-row commits. A read-only catalogue cannot change its journal; it still opens and
    // its writes fail where they are made, so these two results are deliberately not checked.
    sqlite3_exec(m_handle, "PRAGMA journal_mode=WAL", nullptr, nullptr, nullptr);
    sqlite3_exec(m_handle, "PRAGMA synchronous=NORMAL", nullptr, nullptr, nullptr);
}

int Connection::BeginTrans()
{
    if (!m_handle)
        raise(SQLITE_MISUSE);
    if (m_inTransaction)
        throw PlatformError(TransactionState,
                            QStringLiteral("Operation not supported in transactions."));
    const int rc = sqlite3_exec(m_handle, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK)
        raise(rc);
    m_inTransaction = true;
    return 1;
}

void Connection::CommitTrans()
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
    const int rc = sqlite3_exec(m_handle, "COMMIT", nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK)
        raise(rc);
    m_inTransaction = false;
}

void Connection::RollbackTrans() noexcept
{
    m_inTransaction = false;
    if (m_handle && !sqlite3_get_autocommit(m_handle))
        sqlite3_exec(m_handle, "ROLLBACK", nullptr, nullptr, nullptr);
}

void Connection::Close()
{
    RollbackTrans();
    if (!QSqlDatabase::contains(m_name))
        return;
    {
        QSqlDatabase db = QSqlDatabase::database(m_name, false);
        db.close();
    }
    QSqlDatabase::removeDatabase(m_name);
    m_handle = nullptr;
}

int Connection::autoCheckpoint() const
{
    sqlite3_stmt *stmt = nullptr;
    int pages = -1;
    if (sqlite3_prepare_v2(m_handle, "PRAGMA wal_autocheckpoint", -1, &stmt, nullptr) ==
            SQLITE_OK &&
        sqlite3_step(stmt) == SQLITE_ROW)
        pages = sqlite3_column_int(stmt, 0);
    sqlite3_finalize(stmt);
    return pages;
}

void Connection::setAutoCheckpoint(int pages)
{
    sqlite3_wal_autocheckpoint(m_handle, pages);
}

bool Connection::isOpen() const
{
    return m_handle != nullptr;
}

void Connection::raise(int rc) const
{
    if (!m_handle)
        throw PlatformError(rc, QString::fromUtf8(sqlite3_errstr(rc)));
    throw PlatformError(sqlite3_extended_errcode(m_handle),
                        QString::fromUtf8(sqlite3_errmsg(m_handle)));
}
