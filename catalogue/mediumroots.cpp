#include "catalogue/mediumroots.h"

#include "platform/connection.h"

#include <sqlite3.h>

namespace {

const char CreateTable[] = "CREATE TABLE IF NOT EXISTS MediumRoots (Archive TEXT NOT NULL, "
                           "Serial TEXT NOT NULL, Root TEXT NOT NULL, "
                           "PRIMARY KEY (Archive, Serial, Root)) WITHOUT ROWID";

struct Statement
{
    sqlite3_stmt *stmt = nullptr;
    ~Statement() { sqlite3_finalize(stmt); }
};

void bindText(sqlite3_stmt *stmt, int index, const QString &text)
{
    const QByteArray utf8 = text.toUtf8();
    sqlite3_bind_text(stmt, index, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
}

// Prepares sql with the medium's label and serial bound as ?1 and ?2; rc holds the engine's
// answer.
Statement prepare(sqlite3 *db, const char *sql, const QString &label, const QString &serial,
                  int &rc)
{
    Statement s;
    rc = sqlite3_prepare_v2(db, sql, -1, &s.stmt, nullptr);
    if (rc == SQLITE_OK) {
        bindText(s.stmt, 1, label);
        bindText(s.stmt, 2, serial);
    }
    return s;
}

} // namespace

void MediumRoots::ensure()
{
    const int rc = sqlite3_exec(m_connection.handle(), CreateTable, nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK && (rc & 0xFF) != SQLITE_READONLY)
        m_connection.raise(rc);
}

void MediumRoots::record(const QString &label, const QString &serial, const QString &root)
{
    int rc;
    Statement s = prepare(m_connection.handle(),
                          "INSERT OR IGNORE INTO MediumRoots (Archive, Serial, Root) "
                          "VALUES (?1, ?2, ?3)",
                          label, serial, rc);
    if (rc == SQLITE_OK) {
        bindText(s.stmt, 3, root);
        rc = sqlite3_step(s.stmt);
    }
    if (rc != SQLITE_DONE)
        m_connection.raise(rc);
}

QStringList MediumRoots::roots(const QString &label, const QString &serial)
{
    int rc;
    Statement s = prepare(m_connection.handle(),
                          "SELECT Root FROM MediumRoots WHERE Archive = ?1 AND Serial = ?2", label,
                          serial, rc);
    QStringList roots;
    if (rc != SQLITE_OK) {
        // A catalogue that could not be given the table (read-only) has no roots.
        if (sqlite3_table_column_metadata(m_connection.handle(), nullptr, "MediumRoots", nullptr,
                                          nullptr, nullptr, nullptr, nullptr, nullptr) == SQLITE_OK)
            m_connection.raise(rc);
        return roots;
    }
    while ((rc = sqlite3_step(s.stmt)) == SQLITE_ROW)
        roots.append(
            QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(s.stmt, 0)),
                              sqlite3_column_bytes(s.stmt, 0)));
    if (rc != SQLITE_DONE)
        m_connection.raise(rc);
    return roots;
}
