#include "platform/statement.h"

#include "platform/connection.h"

#include <sqlite3.h>

Statement::Statement(Connection &connection, const char *sql) : m_connection(connection)
{
    const int rc = sqlite3_prepare_v2(connection.handle(), sql, -1, &m_stmt, nullptr);
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

std::optional<PlatformError> Statement::stepReporting()
{
    const int rc = sqlite3_step(m_stmt);
    sqlite3_reset(m_stmt);
    if (rc == SQLITE_ROW || rc == SQLITE_DONE)
        return std::nullopt;
    return m_connection.error(rc);
}

void Statement::reset()
{
    sqlite3_reset(m_stmt);
    sqlite3_clear_bindings(m_stmt);
}

int Statement::columnCount() const
{
    return sqlite3_column_count(m_stmt);
}

QString Statement::columnName(int column) const
{
    return QString::fromUtf8(sqlite3_column_name(m_stmt, column));
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

std::string_view Statement::cellAt(int column, bool &null) const
{
    sqlite3_value *value = sqlite3_column_value(m_stmt, column);
    const auto *text = reinterpret_cast<const char *>(sqlite3_value_text(value));
    null = !text && sqlite3_value_type(value) == SQLITE_NULL;
    return text ? std::string_view(text, size_t(sqlite3_value_bytes(value))) : std::string_view();
}

void Statement::exec(Connection &connection, const char *sql)
{
    if (const int rc = sqlite3_exec(connection.handle(), sql, nullptr, nullptr, nullptr);
        rc != SQLITE_OK)
        connection.raise(rc);
}

qint64 Statement::scalar(Connection &connection, const char *sql)
{
    Statement statement(connection, sql);
    return statement.step() ? statement.intAt(0) : 0;
}

void Statement::raise(int rc) const
{
    m_connection.raise(rc);
}
