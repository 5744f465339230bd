#include "catalogue/filerowwriter.h"

#include "platform/connection.h"
#include "platform/statement.h"

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

void bindRow(Statement &statement, int first, const FileRow &row)
{
    statement.bindText(first, row.path);
    statement.bindText(first + 1, row.file);
    statement.bindText(first + 2, row.size.data(), row.sizeLength);
    for (int d = 0; d < 3; ++d) {
        if (row.dateLengths[d] == 0)
            statement.bindNull(first + 3 + d);
        else
            statement.bindText(first + 3 + d, row.dates[d].data(), row.dateLengths[d]);
    }
    statement.bindText(first + 6, row.label);
    statement.bindText(first + 7, row.serial);
}

} // namespace

FileRowWriter::FileRowWriter(Connection &connection, std::function<void()> beforeCommit)
    : m_connection(connection), m_beforeCommit(std::move(beforeCommit)), m_lookup(connection)
{}

FileRowWriter::~FileRowWriter() = default;

void FileRowWriter::startRun()
{
    // Only a tuning: a connection that refuses it indexes all the same.
    sqlite3 *db = m_connection.handle();
    m_checkpointPages = -1;
    try {
        Statement pages(db, "PRAGMA wal_autocheckpoint");
        if (pages.step())
            m_checkpointPages = int(pages.intAt(0));
    } catch (const PlatformError &) {
    }
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

FileRowWriter::Result FileRowWriter::write(const std::vector<FileRow> &rows)
{
    Result result;
    if (rows.empty())
        return result;
    m_connection.BeginTrans();
    try {
        for (size_t begin = 0; begin < rows.size();) {
            size_t end = begin + 1;
            while (end < rows.size() && rows[end].sameFolder(rows[begin]))
                ++end;
            writeFolder(rows, begin, end, result);
            begin = end;
        }
        if (m_beforeCommit)
            m_beforeCommit();
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
    Statement &statement = this->statement(count);
    for (int i = 0; i < count; ++i)
        bindRow(statement, i * FieldsPerRow + 1, rows[batch[i]]);
    // Stepped by hand: a row the engine refuses is told apart from a failing catalogue.
    *rc = sqlite3_step(statement.handle());
    sqlite3_reset(statement.handle());
    if (*rc == SQLITE_DONE)
        return true;
    *rc = sqlite3_extended_errcode(m_connection.handle());
    // A failure of the catalogue, or one after which the engine undid the whole transaction,
    // ends the group.
    if (isCatalogueFailure(*rc) || sqlite3_get_autocommit(m_connection.handle()))
        m_connection.raise(*rc);
    return false;
}

Statement &FileRowWriter::statement(int count)
{
    std::unique_ptr<Statement> &statement = count == 1 ? m_single : m_batch;
    if (!statement)
        statement = std::make_unique<Statement>(
            m_connection, insertStatement(count == 1 ? 1 : BatchRows).constData());
    return *statement;
}
