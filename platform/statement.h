#pragma once

#include <QByteArray>
#include <QtGlobal>

#include <string_view>

class Connection;
struct sqlite3;
struct sqlite3_stmt;

// One prepared SQLite statement, finalized with the object. Every engine failure raises
// PlatformError with the engine's number and words; made on a Connection, through the
// connection, which marks a damaged file first.
class Statement
{
public:
    Statement(Connection &connection, const char *sql);
    Statement(sqlite3 *db, const char *sql);
    ~Statement();
    Statement(const Statement &) = delete;
    Statement &operator=(const Statement &) = delete;

    // The bytes are not copied: they must stay until the statement is reset.
    void bindText(int index, const char *text, int length);
    void bindText(int index, const QByteArray &text)
    {
        bindText(index, text.constData(), int(text.size()));
    }
    void bindInt(int index, qint64 value);
    void bindNull(int index);
    // One step: true for a row, false when done.
    bool step();
    // Back to the first row with nothing bound, to run again.
    void reset();

    qint64 intAt(int column) const;
    // The cell's bytes; empty for no value. Valid until the next step.
    std::string_view textAt(int column) const;
    bool isNull(int column) const;
    sqlite3_stmt *handle() const { return m_stmt; }

    // Runs statements that give no rows.
    static void exec(Connection &connection, const char *sql);
    static void exec(sqlite3 *db, const char *sql);

private:
    Statement(sqlite3 *db, const char *sql, Connection *connection);
    [[noreturn]] void raise(int rc) const;

    Connection *m_connection = nullptr;
    sqlite3 *m_db;
    sqlite3_stmt *m_stmt = nullptr;
};
