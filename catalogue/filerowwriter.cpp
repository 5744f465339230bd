#include "catalogue/filerowwriter.h"

#include "catalogue/media.h"
#include "platform/connection.h"

#include <sqlite3.h>

#include <algorithm>

namespace {

// Rows added by one statement: the engine's work per statement (the key counter of the table
// among it) is shared by this many rows.
constexpr int BatchRows = 8;
constexpr int FieldsPerRow = 8;

QByteArray insertStatement(int rows)
{
    QByteArray sql = "INSERT INTO Files (Path, File, Size, Accessed, Created, Modified, Archive, "
                     "Serial) VALUES ";
    for (int i = 0; i < rows; ++i)
        sql += i ? ",(?,?,?,?,?,?,?,?)" : "(?,?,?,?,?,?,?,?)";
    return sql;
}

// Pages the write-ahead log may grow to during a run before it is copied into the catalogue:
// fewer, larger checkpoints rewrite the pages that every group touches once, not every time.
constexpr int RunCheckpointPages = 10000;

void bindText(sqlite3_stmt *statement, int index, const char *text, int length)
{
    sqlite3_bind_text(statement, index, text, length, SQLITE_STATIC);
}

// Accessed, Created and Modified from first on.
void bindDates(sqlite3_stmt *statement, int first, const FileRow &row)
{
    for (int d = 0; d < 3; ++d) {
        if (row.dateLengths[d] == 0)
            sqlite3_bind_null(statement, first + d);
        else
            bindText(statement, first + d, row.dates[d].data(), row.dateLengths[d]);
    }
}

void bindRow(sqlite3_stmt *statement, int first, const FileRow &row)
{
    bindText(statement, first, row.path.constData(), int(row.path.size()));
    bindText(statement, first + 1, row.file.constData(), int(row.file.size()));
    bindText(statement, first + 2, row.size.data(), row.sizeLength);
    bindDates(statement, first + 3, row);
    bindText(statement, first + 6, row.label.constData(), int(row.label.size()));
    bindText(statement, first + 7, row.serial.constData(), int(row.serial.size()));
}

} // namespace

FileRowWriter::FileRowWriter(Connection &connection)
    : m_connection(connection), m_lookup(connection)
{}

FileRowWriter::~FileRowWriter()
{
    sqlite3_finalize(m_single);
    sqlite3_finalize(m_batch);
    sqlite3_finalize(m_update);
    sqlite3_finalize(m_move);
    sqlite3_finalize(m_remove);
}

void FileRowWriter::startRun()
{
    // Only a tuning: a connection that refuses it indexes all the same.
    sqlite3 *db = m_connection.handle();
    sqlite3_stmt *stmt = nullptr;
    m_checkpointPages = -1;
    if (sqlite3_prepare_v2(db, "PRAGMA wal_autocheckpoint", -1, &stmt, nullptr) == SQLITE_OK &&
        sqlite3_step(stmt) == SQLITE_ROW)
        m_checkpointPages = sqlite3_column_int(stmt, 0);
    sqlite3_finalize(stmt);
    if (m_checkpointPages >= 0)
        sqlite3_wal_autocheckpoint(db, std::max(m_checkpointPages, RunCheckpointPages));
}

void FileRowWriter::endRun()
{
    if (m_checkpointPages >= 0)
        sqlite3_wal_autocheckpoint(m_connection.handle(), m_checkpointPages);
    m_checkpointPages = -1;
}

bool FileRowWriter::isCatalogueFailure(int engineError)
{
    switch (engineError & 0xFF) {
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

FileRowWriter::Result FileRowWriter::write(const std::vector<FileRow> &rows, const Changes *changes)
{
    Result result;
    if (rows.empty() && (!changes || changes->empty()))
        return result;
    m_connection.BeginTrans();
    try {
        if (changes)
            change(*changes, result);
        std::vector<Media::Key> media;
        for (size_t begin = 0; begin < rows.size();) {
            size_t end = begin + 1;
            while (end < rows.size() && rows[end].sameFolder(rows[begin]))
                ++end;
            writeFolder(rows, begin, end, result);
            const Media::Key medium(rows[begin].label, rows[begin].serial);
            if (std::find(media.begin(), media.end(), medium) == media.end())
                media.push_back(medium);
            begin = end;
        }
        // Each medium the group wrote or found rows of was catalogued now.
        for (const Media::Key &medium : media)
            Media::noteCatalogued(m_connection, medium.first, medium.second);
        m_connection.CommitTrans();
    } catch (...) {
        m_connection.RollbackTrans();
        throw;
    }
    return result;
}

void FileRowWriter::writeFolder(const std::vector<FileRow> &rows, size_t begin, size_t end,
                                Result &result)
{
    const FileRow &first = rows[begin];
    m_lookup.names(first.path, first.otherPaths, first.label, first.serial, m_names);
    size_t batch[BatchRows];
    int count = 0;
    for (size_t at = begin; at <= end; ++at) {
        if (at < end) {
            if (m_names.contains(rows[at].file)) {
                ++result.skipped;
                continue;
            }
            m_names.insert(rows[at].file);
            batch[count++] = at;
            if (count < BatchRows)
                continue;
        }
        int rc = SQLITE_OK;
        if (count == BatchRows && insert(rows, batch, count, &rc)) {
            result.written += count;
        } else {
            // One at a time: a short last batch, or a batch the engine refused, to find the row
            // it refuses. Those before it are written; it and the rest of the folder are not.
            for (int i = 0; i < count; ++i) {
                if (!insert(rows, batch + i, 1, &rc)) {
                    result.refused.push_back(
                        {batch[i], PlatformError(rc, QString::fromUtf8(
                                                         sqlite3_errmsg(m_connection.handle())))});
                    return;
                }
                ++result.written;
            }
        }
        count = 0;
    }
}

bool FileRowWriter::insert(const std::vector<FileRow> &rows, const size_t *batch, int count,
                           int *rc)
{
    sqlite3_stmt *stmt = statement(count);
    for (int i = 0; i < count; ++i)
        bindRow(stmt, i * FieldsPerRow + 1, rows[batch[i]]);
    *rc = sqlite3_step(stmt);
    sqlite3_reset(stmt);
    if (*rc == SQLITE_DONE)
        return true;
    *rc = sqlite3_extended_errcode(m_connection.handle());
    // A failure of the catalogue, or one after which the engine undid the whole transaction,
    // ends the group.
    if (isCatalogueFailure(*rc) || sqlite3_get_autocommit(m_connection.handle()))
        m_connection.raise(*rc);
    return false;
}

void FileRowWriter::change(const Changes &changes, Result &result)
{
    sqlite3 *db = m_connection.handle();
    const auto step = [this, db](sqlite3_stmt *stmt) {
        const int rc = sqlite3_step(stmt);
        sqlite3_reset(stmt);
        if (rc != SQLITE_DONE)
            m_connection.raise(sqlite3_extended_errcode(db));
        return qint64(sqlite3_changes(db));
    };
    for (const Change &c : changes.changed) {
        const FileRow &row = c.values;
        sqlite3_stmt *stmt;
        if (c.pathOnly) {
            stmt = prepared(m_move, "UPDATE Files SET Path = ?1 WHERE ID = ?2");
            bindText(stmt, 1, row.path.constData(), int(row.path.size()));
            sqlite3_bind_int64(stmt, 2, c.id);
        } else {
            stmt = prepared(m_update, "UPDATE Files SET Path = ?1, Size = ?2, Accessed = ?3, "
                                      "Created = ?4, Modified = ?5 WHERE ID = ?6");
            bindText(stmt, 1, row.path.constData(), int(row.path.size()));
            bindText(stmt, 2, row.size.data(), row.sizeLength);
            bindDates(stmt, 3, row);
            sqlite3_bind_int64(stmt, 6, c.id);
        }
        if (step(stmt) && !c.pathOnly)
            ++result.changed;
    }
    sqlite3_stmt *remove =
        changes.removed.empty() ? nullptr : prepared(m_remove, "DELETE FROM Files WHERE ID = ?1");
    for (qint64 id : changes.removed) {
        sqlite3_bind_int64(remove, 1, id);
        result.removed += step(remove);
    }
}

sqlite3_stmt *FileRowWriter::prepared(sqlite3_stmt *&stmt, const char *sql)
{
    if (!stmt) {
        const int rc = sqlite3_prepare_v2(m_connection.handle(), sql, -1, &stmt, nullptr);
        if (rc != SQLITE_OK) {
            stmt = nullptr;
            m_connection.raise(rc);
        }
    }
    return stmt;
}

sqlite3_stmt *FileRowWriter::statement(int count)
{
    sqlite3_stmt *&stmt = count == 1 ? m_single : m_batch;
    if (stmt)
        return stmt;
    return prepared(stmt, insertStatement(count == 1 ? 1 : BatchRows).constData());
}
