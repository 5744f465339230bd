#include "catalogue/removedrows.h"

#include "platform/connection.h"
#include "platform/platformerror.h"
#include "platform/statement.h"
#include "platform/transaction.h"

#include <QScopeGuard>

#include <algorithm>
#include <utility>

namespace {

const char Fields[] = "ID, Path, File, Size, Type, Created, Accessed, Modified, Archive, Serial";

// The catalogue's pages a removal or its undoing may keep in memory (16 MiB, in KiB), given
// back after it: a thousand rows spread over the table change a page of the table and one of
// the index apiece, and with the usual 2 MB those are written out to the log early and read
// back from it.
constexpr int RemovalCacheKiB = -16384;

const char MemberFields[] = "ID, FileID, Path, File, Size, Modified";

// Files and members of archives alike: a removal may take either.
qint64 keptRows(Connection &connection)
{
    Statement rows(connection, "SELECT (SELECT count(*) FROM temp.RemovedFiles) + "
                               "(SELECT count(*) FROM temp.RemovedMembers)");
    rows.step();
    return rows.intAt(0);
}

} // namespace

void RemovedRows::startKeeping()
{
    // Made inside the transaction: a removal that fails takes them away again.
    // Columns without a type: each value is kept as it was, text, number or blob.
    Statement::exec(m_connection,
                    "CREATE TEMP TABLE IF NOT EXISTS RemovedFiles (ID INTEGER PRIMARY KEY, "
                    "Path, File, Size, Type, Created, Accessed, Modified, Archive, Serial)");
    Statement::exec(m_connection,
                    "CREATE TEMP TABLE IF NOT EXISTS RemovedCatalogued (Archive, Serial, "
                    "Catalogued)");
    Statement::exec(m_connection,
                    "CREATE TEMP TABLE IF NOT EXISTS RemovedMembers (ID INTEGER PRIMARY KEY, "
                    "FileID, Path, File, Size, Modified)");
    m_made = true;
    if (!m_cacheBefore)
        m_cacheBefore = m_connection.setCachePages(RemovalCacheKiB);
    Statement::exec(m_connection, "DELETE FROM temp.RemovedFiles");
    Statement::exec(m_connection, "DELETE FROM temp.RemovedCatalogued");
    Statement::exec(m_connection, "DELETE FROM temp.RemovedMembers");
    // A member goes with its archive's row (the catalogue's own trigger) or alone; either way it
    // is kept as it goes.
    if (m_connection.hasTable("ArchiveMembers"))
        Statement::exec(m_connection,
                        "CREATE TEMP TRIGGER KeepRemovedMembers BEFORE DELETE ON "
                        "main.ArchiveMembers BEGIN INSERT OR IGNORE INTO RemovedMembers VALUES "
                        "(old.ID, old.FileID, old.Path, old.File, old.Size, old.Modified); END");
    if (m_connection.hasTable("MediumCatalogued"))
        Statement::exec(m_connection,
                        "CREATE TEMP TRIGGER KeepRemovedCatalogued BEFORE DELETE ON "
                        "main.MediumCatalogued BEGIN INSERT INTO RemovedCatalogued VALUES "
                        "(old.Archive, old.Serial, old.Catalogued); END");
}

void RemovedRows::keep(const std::vector<qint64> &ids)
{
    // By runs of IDs that follow each other: a whole catalogue of rows, or a disc's, is a few
    // statements, and a copy made as each row is deleted would cost every deletion a journal of
    // its own.
    std::vector<qint64> ordered(ids);
    std::sort(ordered.begin(), ordered.end());
    Statement run(m_connection,
                  (QByteArray("INSERT OR IGNORE INTO temp.RemovedFiles (") + Fields + ") SELECT " +
                   Fields + " FROM main.Files WHERE ID BETWEEN ?1 AND ?2")
                      .constData());
    for (size_t i = 0; i < ordered.size();) {
        size_t last = i;
        while (last + 1 < ordered.size() && ordered[last + 1] - ordered[last] <= 1)
            ++last;
        run.bindInt(1, ordered[i]);
        run.bindInt(2, ordered[last]);
        run.step();
        run.reset();
        i = last + 1;
    }
}

void RemovedRows::keepSelected(const char *where, const QByteArray &first, const QByteArray &second)
{
    Statement rows(m_connection, (QByteArray("INSERT OR IGNORE INTO temp.RemovedFiles (") + Fields +
                                  ") SELECT " + Fields + " FROM main.Files WHERE " + where)
                                     .constData());
    rows.bindText(1, first);
    rows.bindText(2, second);
    rows.step();
}

void RemovedRows::forget(qint64 id)
{
    Statement row(m_connection, "DELETE FROM temp.RemovedFiles WHERE ID = ?1");
    row.bindInt(1, id);
    row.step();
}

void RemovedRows::stopKeeping()
{
    Statement::exec(m_connection, "DROP TRIGGER IF EXISTS temp.KeepRemovedCatalogued");
    Statement::exec(m_connection, "DROP TRIGGER IF EXISTS temp.KeepRemovedMembers");
}

void RemovedRows::settle(bool committed)
{
    if (m_cacheBefore) // the memory of the pages the removal read goes back
        m_connection.setCachePages(*std::exchange(m_cacheBefore, std::nullopt));
    if (!m_made)
        return;
    if (!committed) {
        // The rollback took the trigger away with the rest; one left would keep what an
        // update deletes.
        try {
            stopKeeping();
        } catch (const PlatformError &) {
            // Dropping what may be gone already; the removal's own failure is what is reported.
        }
    }
    try {
        m_count = keptRows(m_connection);
    } catch (const PlatformError &) {
        m_count = 0; // nothing known can be put back
    }
    if (committed && m_count > 0)
        ++m_removals;
}

qint64 RemovedRows::putBack()
{
    if (m_count == 0)
        return 0;
    const int cacheBefore = m_connection.setCachePages(RemovalCacheKiB);
    const auto restoreCache = qScopeGuard([&] { m_connection.setCachePages(cacheBefore); });
    Transaction transaction(m_connection);
    // In ID order: the rows go back where they were in the table.
    Statement::exec(m_connection, (QByteArray("INSERT INTO main.Files (") + Fields + ") SELECT " +
                                   Fields + " FROM temp.RemovedFiles ORDER BY ID")
                                      .constData());
    qint64 restored = m_connection.changes();
    // The members after their archives' rows, with their own IDs.
    if (m_connection.hasTable("ArchiveMembers")) {
        Statement::exec(m_connection,
                        (QByteArray("INSERT INTO main.ArchiveMembers (") + MemberFields +
                         ") SELECT " + MemberFields + " FROM temp.RemovedMembers ORDER BY ID")
                            .constData());
        restored += m_connection.changes();
    }
    if (m_connection.hasTable("MediumCatalogued"))
        Statement::exec(m_connection,
                        "INSERT OR IGNORE INTO main.MediumCatalogued (Archive, Serial, "
                        "Catalogued) SELECT Archive, Serial, Catalogued FROM "
                        "temp.RemovedCatalogued");
    Statement::exec(m_connection, "DELETE FROM temp.RemovedFiles");
    Statement::exec(m_connection, "DELETE FROM temp.RemovedCatalogued");
    Statement::exec(m_connection, "DELETE FROM temp.RemovedMembers");
    transaction.commit();
    m_count = 0;
    return restored;
}
