#include "catalogue/mediumroots.h"

#include "platform/connection.h"

#include <sqlite3.h>

namespace {

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

QString key(const QString &label, const QString &serial)
{
    return label + QLatin1Char('\n') + serial;
}

bool hasTable(sqlite3 *db)
{
    return sqlite3_table_column_metadata(db, nullptr, "MediumRoots", nullptr, nullptr, nullptr,
                                         nullptr, nullptr, nullptr) == SQLITE_OK;
}

} // namespace

void MediumRoots::record(const QString &label, const QString &serial, const QString &root)
{
    if (roots(label, serial).contains(root))
        return;
    sqlite3 *db = m_connection.handle();
    Statement s;
    int rc = sqlite3_prepare_v2(
        db, "INSERT OR IGNORE INTO MediumRoots (Archive, Serial, Root) VALUES (?1, ?2, ?3)", -1,
        &s.stmt, nullptr);
    if (rc == SQLITE_OK) {
        bindText(s.stmt, 1, label);
        bindText(s.stmt, 2, serial);
        bindText(s.stmt, 3, root);
        rc = sqlite3_step(s.stmt);
    }
    if (rc != SQLITE_DONE && (rc & 0xFF) != SQLITE_READONLY && hasTable(db))
        m_connection.raise(rc);
    m_roots[key(label, serial)].append(root); // asked once, whether it could be kept or not
}

QStringList MediumRoots::roots(const QString &label, const QString &serial)
{
    const QString medium = key(label, serial);
    if (const auto kept = m_roots.constFind(medium); kept != m_roots.constEnd())
        return *kept;
    sqlite3 *db = m_connection.handle();
    Statement s;
    QStringList roots;
    int rc =
        sqlite3_prepare_v2(db, "SELECT Root FROM MediumRoots WHERE Archive = ?1 AND Serial = ?2",
                           -1, &s.stmt, nullptr);
    if (rc != SQLITE_OK) {
        if (hasTable(db))
            m_connection.raise(rc);
        m_roots.insert(medium, roots); // a read-only catalogue made before the table
        return roots;
    }
    bindText(s.stmt, 1, label);
    bindText(s.stmt, 2, serial);
    while ((rc = sqlite3_step(s.stmt)) == SQLITE_ROW)
        roots.append(
            QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(s.stmt, 0)),
                              sqlite3_column_bytes(s.stmt, 0)));
    if (rc != SQLITE_DONE)
        m_connection.raise(rc);
    m_roots.insert(medium, roots);
    return roots;
}
