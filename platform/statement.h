#pragma once

#include "platform/platformerror.h"

#include <QByteArray>
#include <QString>
#include <QtGlobal>

#include <optional>
#include <string_view>

class Connection;
struct sqlite3_stmt;

// One prepared SQLite statement on a connection, finalized with the object. Every engine failure
// raises PlatformError with the engine's number and words, through the connection, which marks
// a damaged file first.
class Statement
{
public:
    Statement(Connection &connection, const char *sql);
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
    // One step of a statement that gives no rows, back at its start afterwards (bindings kept):
    // the engine's failure is handed back rather than raised, for a caller that goes on after a
    // refused row.
    std::optional<PlatformError> stepReporting();
    // Back to the first row with nothing bound, to run again.
    void reset();

    int columnCount() const;
    QString columnName(int column) const;
    qint64 intAt(int column) const;
    // The cell's bytes; no data for no value (and for an empty blob). Valid until the next step.
    std::string_view textAt(int column) const;
    bool isNull(int column) const;
    // The cell as textAt() gives it, null set for no value: one call into the engine where the
    // two take three, for reading every cell of many rows. The statement's connection must not
    // be in use on another thread meanwhile.
    std::string_view cellAt(int column, bool &null) const;

    // Runs statements that give no rows.
    static void exec(Connection &connection, const char *sql);
    // The first cell of the first row as a number; 0 when there is none.
    static qint64 scalar(Connection &connection, const char *sql);

private:
    [[noreturn]] void raise(int rc) const;

    Connection &m_connection;
    sqlite3_stmt *m_stmt = nullptr;
};
