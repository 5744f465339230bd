#include "catalogue/catalogue.h"

#include "catalogue/casefold.h"
#include "catalogue/duplicates.h"
#include "catalogue/media.h"
#include "catalogue/namecollector.h"
#include "catalogue/namesearch.h"
#include "catalogue/schema.h"
#include "platform/statement.h"

#include <sqlite3.h>

#include <algorithm>

namespace {
const char FilesTable[] = "Files";

// The first column of the statement's first row; -1 when the engine gives none.
int count(sqlite3 *db, const char *sql)
{
    sqlite3_stmt *statement = nullptr;
    int value = -1;
    if (sqlite3_prepare_v2(db, sql, -1, &statement, nullptr) == SQLITE_OK &&
        sqlite3_step(statement) == SQLITE_ROW)
        value = sqlite3_column_int(statement, 0);
    sqlite3_finalize(statement);
    return value;
}
} // namespace

Catalogue::Catalogue() : m_mediumRoots(m_cnCatalogue) {}
Catalogue::~Catalogue() = default;

void Catalogue::open(const QString &path)
{
    m_names.clear();
    m_removed.reset();
    m_cnCatalogue.setProvider(QStringLiteral("Microsoft.Jet.OLEDB.4.0"));
    m_cnCatalogue.setCheck(Schema::check);
    m_cnCatalogue.Open(path, QString(), QString(), -1);
    // The search's matching and ordering.
    NameSearch::registerFunctions(m_cnCatalogue.handle());
    upgrade();
    m_hasNameNotes = count(m_cnCatalogue.handle(),
                           "SELECT count(*) FROM sqlite_master WHERE name IN ('FilesNameChanged', "
                           "'FilesNameUpdate')") == 2;
    m_rsFiles.Open(QLatin1String(FilesTable), &m_cnCatalogue, adOpenKeyset, adLockOptimistic, -1);
}

// Gives a catalogue the parts it lacks (the notes of renamed rows, the tables of the folders media
// were mounted on and of when each was catalogued) and drops the name index earlier versions kept,
// all in one transaction. A catalogue that cannot be written works without them, and keeps an old
// name index unused.
void Catalogue::upgrade()
{
    sqlite3 *db = m_cnCatalogue.handle();
    const int present =
        count(db, "SELECT count(*) FILTER (WHERE name IN ('FilesNameChanged', "
                  "'FilesNameUpdate', 'MediumRoots', 'MediumCatalogued', 'MediumNotes')) - "
                  "count(*) FILTER (WHERE name IN ('FilesName', 'FilesNameState', "
                  "'FilesNameInsert', 'FilesNameDelete')) FROM sqlite_master");
    if (present == 5 || m_cnCatalogue.isReadOnly() || m_cnCatalogue.isDamaged())
        return;
    try {
        m_cnCatalogue.BeginTrans();
        for (const char *section : {"changed names", "old name index", "medium roots",
                                    "medium catalogued", "medium notes"})
            Statement::exec(m_cnCatalogue, Schema::section(section).constData());
        m_cnCatalogue.CommitTrans();
    } catch (const PlatformError &error) {
        m_cnCatalogue.RollbackTrans();
        if ((error.number() & 0xFF) != SQLITE_READONLY)
            throw;
    }
}

void Catalogue::closeView()
{
    if (m_rsFiles.isOpen())
        m_rsFiles.Close();
}

void Catalogue::requery(RowSink *sink)
{
    // Only committed rows: the IDs of rows rolled back are given again to other rows.
    if (!sqlite3_get_autocommit(m_cnCatalogue.handle()) || !isFullView()) {
        m_rsFiles.Requery(sink);
        return;
    }
    // The table is walked in ID order: the names past those held come last.
    const FoldedNames::Mark held = m_names.mark();
    NameCollector collector(*sink, m_names);
    try {
        m_rsFiles.Requery(&collector);
    } catch (...) {
        m_names.truncate(held); // all of the new names or none
        throw;
    }
    m_names.setUpTo(std::max(m_names.upTo(), collector.lastId()));
}

// Takes in the names of the rows other programs, or the indexer in a search view, wrote since
// the names were read, so that the search reads no more rows than it must. Only committed rows:
// inside a transaction the search reads the rows past the names itself.
void Catalogue::takeInNewNames()
{
    sqlite3 *db = m_cnCatalogue.handle();
    if (m_names.isEmpty() || !sqlite3_get_autocommit(db))
        return;
    sqlite3_stmt *names = nullptr;
    int rc = sqlite3_prepare_v2(db, "SELECT ID, File FROM Files WHERE ID > ? ORDER BY ID", -1,
                                &names, nullptr);
    qint64 last = m_names.upTo();
    if (rc == SQLITE_OK) {
        sqlite3_bind_int64(names, 1, last);
        while ((rc = sqlite3_step(names)) == SQLITE_ROW) {
            last = sqlite3_column_int64(names, 0);
            m_names.add(last, reinterpret_cast<const char *>(sqlite3_column_text(names, 1)),
                        sqlite3_column_bytes(names, 1));
        }
    }
    sqlite3_finalize(names);
    if (rc != SQLITE_DONE)
        m_names.clear(); // no longer complete: searches read every row instead
    else
        m_names.setUpTo(last);
}

void Catalogue::openSearchView(const QString &text)
{
    closeView();
    takeInNewNames();
    if (searchNames(text))
        return;
    const NameSearch::Statement statement = NameSearch::statement(text);
    m_rsFiles.Open(statement.source, &m_cnCatalogue, adOpenKeyset, adLockPessimistic, -1,
                   statement.params);
}

// The text is looked for among the names held in memory, then only the rows found are read.
// False when the names cannot answer it: too broad, or not held.
bool Catalogue::searchNames(const QString &text)
{
    const QByteArray literal = NameSearch::longestRun(text);
    if (m_names.isEmpty() || literal.isEmpty() || !m_hasNameNotes)
        return false;
    // A plain text is found where its folded form is; a pattern is checked name by name.
    const bool plain = !text.contains(QLatin1Char('%')) && !text.contains(QLatin1Char('_')) &&
                       !literal.contains('\0');
    std::u32string pattern, name;
    const QByteArray like = (QLatin1Char('%') + text + QLatin1Char('%')).toUtf8();
    CaseFold::foldCodePoints(pattern, like.constData(), like.size());
    std::vector<qint64> ids;
    // Past a quarter of the names, reading every row costs no more than reading these.
    if (!m_names.find(
            literal,
            [&](const char *data, int length) {
                if (plain)
                    return true;
                CaseFold::foldCodePoints(name, data, length);
                return NameSearch::likeMatch(name, pattern);
            },
            m_names.size() / 4 + 1000, ids))
        return false;
    const NameSearch::Statement statement = NameSearch::statement(text, ids, m_names.upTo());
    m_rsFiles.Open(statement.source, &m_cnCatalogue, adOpenKeyset, adLockPessimistic, -1,
                   statement.params);
    return true;
}

void Catalogue::openFullView()
{
    closeView();
    m_rsFiles.Open(QLatin1String(FilesTable), &m_cnCatalogue, adOpenKeyset, adLockPessimistic);
}

bool Catalogue::isFullView() const
{
    return m_rsFiles.isOpen() &&
           m_rsFiles.source().compare(QLatin1String(FilesTable), Qt::CaseInsensitive) == 0;
}

void Catalogue::fold()
{
    m_cnCatalogue.fold();
}

void Catalogue::close()
{
    closeView();
    m_cnCatalogue.Close();
}

void Catalogue::openDuplicatesView()
{
    closeView();
    Duplicates::find(m_cnCatalogue);
    m_rsFiles.Open(Duplicates::statement(), &m_cnCatalogue, adOpenKeyset, adLockPessimistic);
}

void Catalogue::openMediumView(const QString &label, const QString &serial)
{
    closeView();
    m_rsFiles.Open(Media::rowsStatement(), &m_cnCatalogue, adOpenKeyset, adLockPessimistic, -1,
                   {label, serial});
}

void Catalogue::openFolderView(const QString &label, const QString &serial, const QString &folder)
{
    closeView();
    const auto [below, after] = Media::folderBounds(folder);
    m_rsFiles.Open(Media::folderRowsStatement(), &m_cnCatalogue, adOpenKeyset, adLockPessimistic,
                   -1, {label, serial, folder, below, after});
}

qint64 Catalogue::fileCount()
{
    Statement rows(m_cnCatalogue, "SELECT count(*) FROM Files");
    rows.step();
    return rows.intAt(0);
}

void Catalogue::remove(const std::vector<qint64> &ids)
{
    if (ids.empty())
        return; // nothing selected: the last removal can still be put back
    // In the table's order: each page is visited once, whatever order the list shows.
    std::vector<qint64> ordered(ids);
    std::sort(ordered.begin(), ordered.end());
    m_cnCatalogue.BeginTrans();
    try {
        m_removed.startKeeping();
        m_removed.keep(ordered);
        for (qint64 id : ordered)
            if (!m_rsFiles.DeleteByKey(id))
                m_removed.forget(id); // not in the view, or gone already
        m_removed.stopKeeping();
        m_cnCatalogue.CommitTrans();
    } catch (...) {
        m_cnCatalogue.RollbackTrans();
        m_removed.settle(false);
        throw;
    }
    m_removed.settle(true);
}

qint64 Catalogue::removeMedium(const QString &label, const QString &serial,
                               const std::optional<std::vector<qint64>> &ids)
{
    qint64 removed = 0;
    try {
        removed = Media::remove(m_cnCatalogue, label, serial, ids, &m_removed);
    } catch (...) {
        m_removed.settle(false);
        throw;
    }
    m_removed.settle(true);
    return removed;
}
