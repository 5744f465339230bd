#include "platform/statement.h"

#include "platform/connection.h"
#include "platform/platformerror.h"

#include <sqlite3.h>

namespace {

[[noreturn]] void raiseEngine(sqlite3 *db)
{
    throw PlatformError(sqlite3_extended_errcode(db), QString::fromUtf8(sqlite3_errmsg(db)));
}

} // namespace

Statement::Statement(Connection &connection, const char *sql)
    : Statement(connection.handle(), sql, &connection)
{}

Statement::Statement(sqlite3 *db, const char *sql) : Statement(db, sql, nullptr) {}

Statement::Statement(sqlite3 *db, const char *sql, Connection *connection)
    : m_connection(connection), m_db(db)
{
    const int rc = sqlite3_prepare_v2(db, sql, -1, &m_stmt, nullptr);
    if (rc != SQLITE_OK) {
        sqlite3_finalize(m_stmt);
        m_stmt = nullptr;
        raise(rc);
    }
}

Statement::~Statement()
{
    sqlite3_finalize(m_stmt);
}

void Statement::bindText(int index, const char *text, int length)
{
    // A null text is an empty one: the engine would store no value.
    if (const int rc = sqlite3_bind_text(m_stmt, index, text ? text : "", length, SQLITE_STATIC);
        rc != SQLITE_OK)
        raise(rc);
}

void Statement::bindInt(int index, qint64 value)
{
    if (const int rc = sqlite3_bind_int64(m_stmt, index, value); rc != SQLITE_OK)
        raise(rc);
}

void Statement::bindNull(int index)
{
    if (const int rc = sqlite3_bind_null(m_stmt, index); rc != SQLITE_OK)
        raise(rc);
}

bool Statement::step()
{
    const int rc = sqlite3_step(m_stmt);
    if (rc != SQLITE_ROW && rc != SQLITE_DONE) {
        sqlite3_reset(m_stmt);
        raise(rc);
    }
    return rc == SQLITE_ROW;
}

void Statement::reset()
{
    sqlite3_reset(m_stmt);
    sqlite3_clear_bindings(m_stmt);
}

qint64 Statement::intAt(int column) const
{
    return sqlite3_column_int64(m_stmt, column);
}

bool Statement::isNull(int column) const
{
    return sqlite3_column_type(m_stmt, column) == SQLITE_NULL;
}

std::string_view Statement::textAt(int column) const
{
    const auto *text = reinterpret_cast<const char *>(sqlite3_column_text(m_stmt, column));
    return text ? std::string_view(text, size_t(sqlite3_column_bytes(m_stmt, column)))
                : std::string_view();
}

void Statement::exec(Connection &connection, const char *sql)
{
    if (const int rc = sqlite3_exec(connection.handle(), sql, nullptr, nullptr, nullptr);
        rc != SQLITE_OK)
        connection.raise(rc);
}

void Statement::exec(sqlite3 *db, const char *sql)
{
    if (sqlite3_exec(db, sql, nullptr, nullptr, nullptr) != SQLITE_OK)
        raiseEngine(db);
}

void Statement::raise(int rc) const
{
    if (m_connection)
        m_connection->raise(rc);
    if (!m_db)
        throw PlatformError(rc, QString::fromUtf8(sqlite3_errstr(rc)));
    raiseEngine(m_db);
}
