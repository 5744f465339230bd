#include "catalogue/mediumrows.h"

#include "platform/connection.h"

#include <sqlite3.h>

namespace {

struct Statement
{
    sqlite3_stmt *stmt = nullptr;
    ~Statement() { sqlite3_finalize(stmt); }
};

void bindBytes(sqlite3_stmt *stmt, int index, const QByteArray &text)
{
    sqlite3_bind_text(stmt, index, text.isNull() ? "" : text.constData(), int(text.size()),
                      SQLITE_STATIC);
}

QByteArray column(sqlite3_stmt *stmt, int index)
{
    const char *text = reinterpret_cast<const char *>(sqlite3_column_text(stmt, index));
    return text ? QByteArray(text, sqlite3_column_bytes(stmt, index)) : QByteArray("");
}

QByteArray withoutTrailingSeparators(QByteArray root)
{
    while (root.endsWith('/'))
        root.chop(1);
    return root;
}

} // namespace

QByteArray MediumRows::below(const QByteArray &path, const QByteArray &root)
{
    const QByteArray bare = withoutTrailingSeparators(root);
    if (root.isEmpty())
        return QByteArray();
    if (path.size() <= bare.size() + 1 && (path == bare || path == bare + '/'))
        return QByteArray("");
    if (!path.startsWith(bare + '/'))
        return QByteArray();
    QByteArray relative = path.mid(bare.size());
    while (relative.endsWith('/'))
        relative.chop(1);
    return relative;
}

void MediumRows::read(const QByteArray &label, const QByteArray &serial, const QByteArray &root,
                      const std::function<void(const MediumRow &)> &sink)
{
    // Every Path from root up to root + "0" ('/' + 1) in byte order: root itself and all below
    // it, with some neighbours ("root 2", "root-x") that are dropped here. The range lets the
    // folder lookup index find them.
    const QByteArray bare = withoutTrailingSeparators(root);
    Statement s;
    int rc = sqlite3_prepare_v2(m_connection.handle(),
                                "SELECT ID, Path, File, Size, Modified FROM Files WHERE Path >= ?1 "
                                "AND Path < ?2 AND Archive = ?3 AND Serial = ?4",
                                -1, &s.stmt, nullptr);
    if (rc != SQLITE_OK)
        m_connection.raise(rc);
    const QByteArray first = bare.isEmpty() ? QByteArray("/") : bare;
    const QByteArray end = bare + '0';
    bindBytes(s.stmt, 1, first);
    bindBytes(s.stmt, 2, end);
    bindBytes(s.stmt, 3, label);
    bindBytes(s.stmt, 4, serial);
    MediumRow row;
    while ((rc = sqlite3_step(s.stmt)) == SQLITE_ROW) {
        row.path = column(s.stmt, 1);
        if (below(row.path, root).isNull())
            continue;
        row.id = sqlite3_column_int64(s.stmt, 0);
        row.file = column(s.stmt, 2);
        row.size = column(s.stmt, 3);
        row.modified = column(s.stmt, 4);
        sink(row);
    }
    if (rc != SQLITE_DONE)
        m_connection.raise(rc);
}

bool MediumRows::holdsAny(const QByteArray &label, const QByteArray &serial)
{
    Statement s;
    int rc = sqlite3_prepare_v2(m_connection.handle(),
                                "SELECT 1 FROM Files WHERE Archive = ?1 AND Serial = ?2 LIMIT 1",
                                -1, &s.stmt, nullptr);
    if (rc != SQLITE_OK)
        m_connection.raise(rc);
    bindBytes(s.stmt, 1, label);
    bindBytes(s.stmt, 2, serial);
    rc = sqlite3_step(s.stmt);
    if (rc != SQLITE_ROW && rc != SQLITE_DONE)
        m_connection.raise(rc);
    return rc == SQLITE_ROW;
}
