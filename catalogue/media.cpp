#include "catalogue/media.h"

#include "platform/connection.h"

#include <sqlite3.h>

namespace {

const char RowsOfMedium[] = "ifnull(Archive, '') = ?1 AND ifnull(Serial, '') = ?2";

// A prepared statement that finalizes itself; every engine failure raises.
class Statement
{
public:
    Statement(Connection &connection, const QByteArray &sql) : m_connection(connection)
    {
        const int rc =
            sqlite3_prepare_v2(connection.handle(), sql.constData(), -1, &m_stmt, nullptr);
        if (rc != SQLITE_OK)
            connection.raise(rc);
    }
    ~Statement() { sqlite3_finalize(m_stmt); }
    void bind(int index, const QByteArray &text)
    {
        sqlite3_bind_text(m_stmt, index, text.constData(), int(text.size()), SQLITE_TRANSIENT);
    }
    bool step() // true for a row, false when done
    {
        const int rc = sqlite3_step(m_stmt);
        if (rc != SQLITE_ROW && rc != SQLITE_DONE)
            m_connection.raise(rc);
        return rc == SQLITE_ROW;
    }
    QByteArray text(int column) const
    {
        return QByteArray(reinterpret_cast<const char *>(sqlite3_column_text(m_stmt, column)),
                          sqlite3_column_bytes(m_stmt, column));
    }
    sqlite3_stmt *get() const { return m_stmt; }

private:
    Connection &m_connection;
    sqlite3_stmt *m_stmt = nullptr;
};

const char *cell(sqlite3_stmt *stmt, int column, int *length)
{
    const auto *text = reinterpret_cast<const char *>(sqlite3_column_text(stmt, column));
    *length = text ? sqlite3_column_bytes(stmt, column) : 0;
    return text ? text : "";
}

bool hasTable(Connection &connection)
{
    return sqlite3_table_column_metadata(connection.handle(), nullptr, "MediumCatalogued", nullptr,
                                         nullptr, nullptr, nullptr, nullptr, nullptr) == SQLITE_OK;
}

} // namespace

namespace Media {

QString rowsStatement()
{
    return QStringLiteral("SELECT * FROM Files WHERE %1").arg(QLatin1String(RowsOfMedium));
}

std::vector<MediumTotals> totals(Connection &connection)
{
    MediaTally tally;
    Statement rows(connection, "SELECT Archive, Serial, Size FROM Files");
    while (rows.step()) {
        int labelLength, serialLength, sizeLength;
        const char *label = cell(rows.get(), 0, &labelLength);
        const char *serial = cell(rows.get(), 1, &serialLength);
        const char *size = cell(rows.get(), 2, &sizeLength);
        tally.add(label, labelLength, serial, serialLength, size, sizeLength);
    }
    return tally.media();
}

QHash<Key, QByteArray> catalogued(Connection &connection)
{
    QHash<Key, QByteArray> times;
    if (!hasTable(connection))
        return times;
    Statement rows(connection, "SELECT Archive, Serial, Catalogued FROM MediumCatalogued");
    while (rows.step())
        times.insert(Key(rows.text(0), rows.text(1)), rows.text(2));
    return times;
}

void noteCatalogued(Connection &connection, const QByteArray &label, const QByteArray &serial)
{
    if (!hasTable(connection))
        return; // a catalogue opened read-only before the table was made writes no rows either
    Statement note(connection,
                   "INSERT OR REPLACE INTO MediumCatalogued (Archive, Serial, Catalogued) "
                   "VALUES (?1, ?2, strftime('%Y-%m-%d %H:%M:%S', 'now'))");
    note.bind(1, label);
    note.bind(2, serial);
    note.step();
}

qint64 remove(Connection &connection, const QString &label, const QString &serial,
              const std::optional<std::vector<qint64>> &ids)
{
    const QByteArray labelText = label.toUtf8(), serialText = serial.toUtf8();
    connection.BeginTrans();
    try {
        qint64 removed = 0;
        Statement rows(connection, QByteArray("DELETE FROM Files WHERE ") + RowsOfMedium +
                                       (ids ? " AND ID = ?3" : ""));
        rows.bind(1, labelText);
        rows.bind(2, serialText);
        if (ids) {
            for (const qint64 id : *ids) {
                sqlite3_bind_int64(rows.get(), 3, id);
                rows.step();
                removed += sqlite3_changes64(connection.handle());
                sqlite3_reset(rows.get());
            }
        } else {
            rows.step();
            removed = sqlite3_changes64(connection.handle());
        }
        if (hasTable(connection)) {
            Statement when(connection,
                           "DELETE FROM MediumCatalogued WHERE Archive = ?1 AND Serial = ?2");
            when.bind(1, labelText);
            when.bind(2, serialText);
            when.step();
        }
        connection.CommitTrans();
        return removed;
    } catch (...) {
        connection.RollbackTrans();
        throw;
    }
}

QPair<qint64, qint64> changeStamp(Connection &connection)
{
    qint64 version = -1;
    sqlite3_stmt *stmt = nullptr;
    if (sqlite3_prepare_v2(connection.handle(), "PRAGMA data_version", -1, &stmt, nullptr) ==
            SQLITE_OK &&
        sqlite3_step(stmt) == SQLITE_ROW)
        version = sqlite3_column_int64(stmt, 0);
    sqlite3_finalize(stmt);
    return {version, sqlite3_total_changes64(connection.handle())};
}

} // namespace Media
