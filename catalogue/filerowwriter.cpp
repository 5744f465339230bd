#include "catalogue/filerowwriter.h"

#include "catalogue/catalogue.h"
#include "catalogue/media.h"
#include "platform/connection.h"
#include "platform/statement.h"
#include "platform/transaction.h"

#include <algorithm>

namespace {

// Rows added by one statement: the engine's work per statement (the key counter of the table
// among it) is shared by this many rows.
constexpr int BatchRows = 8;
constexpr int FieldsPerRow = 8;

QByteArray insertStatement(int rows)
{
    QByteArray sql = "INSERT INTO Files (Path, File, Size, Created, Accessed, Modified, Archive, "
                     "Serial) VALUES ";
    for (int i = 0; i < rows; ++i)
        sql += i ? ",(?,?,?,?,?,?,?,?)" : "(?,?,?,?,?,?,?,?)";
    return sql;
}

// Pages the write-ahead log may grow to during a run before it is copied into the catalogue:
// fewer, larger checkpoints rewrite the pages that every group touches once, not every time.
constexpr int RunCheckpointPages = 10000;

// Created, Accessed and Modified from first on.
void bindDates(Statement &statement, int first, const FileRow &row)
{
    for (int d = 0; d < FilesField::DateCount; ++d) {
        if (row.dateLengths[d] == 0)
            statement.bindNull(first + d);
        else
            statement.bindText(first + d, row.dates[d].data(), row.dateLengths[d]);
    }
}

// Every field but the ID and Type, in the fields' order, as the list holds them once written.
void bindRow(Statement &statement, int first, const FileRow &row)
{
    RowCell cells[FilesField::FieldCount];
    row.storedCells(cells);
    for (int field = FilesField::Path; field < FilesField::FieldCount; ++field) {
        if (field == FilesField::Type)
            continue;
        if (cells[field].data)
            statement.bindText(first++, cells[field].data, cells[field].length);
        else
            statement.bindNull(first++);
    }
}

} // namespace

FileRowWriter::FileRowWriter(Catalogue &catalogue)
    : m_connection(catalogue.cnCatalogue()), m_media(catalogue.media()), m_lookup(m_connection)
{}

FileRowWriter::~FileRowWriter() = default;

void FileRowWriter::startRun()
{
    m_checkpointPages = m_connection.setCheckpointPages(RunCheckpointPages);
    if (m_checkpointPages > RunCheckpointPages)
        m_connection.setCheckpointPages(m_checkpointPages);
}

void FileRowWriter::endRun()
{
    if (m_checkpointPages >= 0)
        m_connection.setCheckpointPages(m_checkpointPages);
    m_checkpointPages = -1;
}

FileRowWriter::Result FileRowWriter::write(const std::vector<FileRow> &rows, const Changes *changes)
{
    Result result;
    if (rows.empty() && (!changes || changes->empty()))
        return result;
    Transaction transaction(m_connection);
    if (changes)
        change(*changes, result);
    std::vector<Media::Key> media;
    for (size_t begin = 0; begin < rows.size();) {
        size_t end = begin + 1;
        while (end < rows.size() && rows[end].sameFolder(rows[begin]))
            ++end;
        const qint64 before = result.written;
        writeFolder(rows, begin, end, result);
        const Media::Key medium(rows[begin].label, rows[begin].serial);
        if (result.written > before && std::find(media.begin(), media.end(), medium) == media.end())
            media.push_back(medium);
        begin = end;
    }
    // Each medium the group wrote rows of was catalogued now; one whose files were all
    // there already keeps its time.
    for (const Media::Key &medium : media)
        m_media.noteCatalogued(medium.first, medium.second);
    transaction.commit();
    return result;
}

void FileRowWriter::writeFolder(const std::vector<FileRow> &rows, size_t begin, size_t end,
                                Result &result)
{
    const FileRow &first = rows[begin];
    m_lookup.names(first.path, first.otherPaths, first.label, first.serial, m_names);
    size_t batch[BatchRows];
    int count = 0;
    // Adds the rows gathered in batch; false when the engine refused one (the rest of the folder
    // is then not written).
    const auto addBatch = [&]() {
        if (count == BatchRows && !insert(rows, batch, count)) {
            // The rows of one statement are given consecutive IDs, the last one's last.
            const qint64 last = m_connection.lastInsertId();
            for (int i = 0; m_keepAdded && i < count; ++i)
                result.added.push_back({batch[i], last - (count - 1 - i)});
            result.written += count;
            count = 0;
            return true;
        }
        // One at a time: a short last batch, or a batch the engine refused, to find the row
        // it refuses. Those before it are written; it and the rest of the folder are not.
        for (int i = 0; i < count; ++i) {
            if (std::optional<PlatformError> refusal = insert(rows, batch + i, 1)) {
                result.refused.push_back({batch[i], std::move(*refusal)});
                return false;
            }
            ++result.written;
            const qint64 id = m_connection.lastInsertId();
            if (m_keepAdded)
                result.added.push_back({batch[i], id});
            // An archive's members need its row's ID: it is added on its own.
            if (rows[batch[i]].members)
                writeMembers(id, rows[batch[i]], result);
        }
        count = 0;
        return true;
    };
    for (size_t at = begin; at < end; ++at) {
        if (m_names.contains(rows[at].file)) {
            ++result.skipped;
            continue;
        }
        m_names.insert(rows[at].file);
        if (rows[at].members && count > 0 && !addBatch())
            return;
        batch[count++] = at;
        if ((count == BatchRows || rows[at].members) && !addBatch())
            return;
    }
    addBatch();
}

void FileRowWriter::writeMembers(qint64 archive, const FileRow &row, Result &result)
{
    const std::vector<FileRow> &members = *row.members;
    const auto bind = [archive](Statement &statement, int first, const FileRow &member) {
        statement.bindInt(first, archive);
        statement.bindText(first + 1, member.path);
        statement.bindText(first + 2, member.file);
        statement.bindText(first + 3, member.size.data(), member.sizeLength);
        const QByteArrayView modified = member.date(FilesField::Modified);
        if (modified.isEmpty())
            statement.bindNull(first + 4);
        else
            statement.bindText(first + 4, modified.data(), int(modified.size()));
    };
    // As files are: several members to a statement.
    size_t at = 0;
    if (members.size() >= BatchRows) {
        if (!m_memberBatch) {
            QByteArray sql =
                "INSERT INTO ArchiveMembers (FileID, Path, File, Size, Modified) VALUES ";
            for (int i = 0; i < BatchRows; ++i)
                sql += i ? ",(?,?,?,?,?)" : "(?,?,?,?,?)";
            m_memberBatch = std::make_unique<Statement>(m_connection, sql.constData());
        }
        for (; at + BatchRows <= members.size(); at += BatchRows) {
            for (int i = 0; i < BatchRows; ++i)
                bind(*m_memberBatch, i * 5 + 1, members[at + size_t(i)]);
            m_memberBatch->step();
            m_memberBatch->reset();
        }
    }
    Statement &insert = prepared(m_member, "INSERT INTO ArchiveMembers (FileID, Path, File, Size, "
                                           "Modified) VALUES (?1, ?2, ?3, ?4, ?5)");
    for (; at < members.size(); ++at) {
        bind(insert, 1, members[at]);
        insert.step();
        insert.reset();
    }
    result.members += qint64(members.size());
}

std::optional<PlatformError> FileRowWriter::insert(const std::vector<FileRow> &rows,
                                                   const size_t *batch, int count)
{
    Statement &statement = this->statement(count);
    for (int i = 0; i < count; ++i)
        bindRow(statement, i * FieldsPerRow + 1, rows[batch[i]]);
    // A row the engine refuses is told apart from a failing catalogue.
    std::optional<PlatformError> failure = statement.stepReporting();
    // A failure of the catalogue, or one after which the engine undid the whole transaction,
    // ends the group.
    if (failure && (Connection::isFileFailure(failure->number()) || m_connection.autocommit()))
        throw *failure;
    return failure;
}

void FileRowWriter::change(const Changes &changes, Result &result)
{
    const auto step = [this](Statement &statement) {
        statement.step();
        statement.reset();
        return m_connection.changes();
    };
    for (const Change &c : changes.changed) {
        const FileRow &row = c.values;
        Statement *statement;
        if (c.pathOnly) {
            statement = &prepared(m_move, "UPDATE Files SET Path = ?1 WHERE ID = ?2");
            statement->bindText(1, row.path);
            statement->bindInt(2, c.id);
        } else {
            statement = &prepared(m_update, "UPDATE Files SET Path = ?1, Size = ?2, Created = ?3, "
                                            "Accessed = ?4, Modified = ?5 WHERE ID = ?6");
            statement->bindText(1, row.path);
            statement->bindText(2, row.size.data(), row.sizeLength);
            bindDates(*statement, 3, row);
            statement->bindInt(6, c.id);
        }
        if (step(*statement) && !c.pathOnly) {
            ++result.changed;
            // What a changed archive held before is no longer true.
            Statement &drop =
                prepared(m_dropMembers, "DELETE FROM ArchiveMembers WHERE FileID = ?1");
            drop.bindInt(1, c.id);
            step(drop);
            if (row.members)
                writeMembers(c.id, row, result);
        }
    }
    if (changes.removed.empty())
        return;
    Statement &remove = prepared(m_remove, "DELETE FROM Files WHERE ID = ?1");
    for (qint64 id : changes.removed) {
        remove.bindInt(1, id);
        result.removed += step(remove);
    }
}

Statement &FileRowWriter::prepared(std::unique_ptr<Statement> &statement, const char *sql)
{
    if (!statement)
        statement = std::make_unique<Statement>(m_connection, sql);
    return *statement;
}

Statement &FileRowWriter::statement(int count)
{
    return prepared(count == 1 ? m_single : m_batch,
                    insertStatement(count == 1 ? 1 : BatchRows).constData());
}
