#include "catalogue/catalogue.h"

#include "catalogue/duplicates.h"
#include "catalogue/schema.h"
#include "catalogue/searchindex.h"

#include <sqlite3.h>

namespace {
const char FilesTable[] = "Files";
} // namespace

Catalogue::Catalogue() : m_mediumRoots(m_cnCatalogue) {}
Catalogue::~Catalogue() = default;

void Catalogue::open(const QString &path)
{
    m_cnCatalogue.setProvider(QStringLiteral("Microsoft.Jet.OLEDB.4.0"));
    m_cnCatalogue.setCheck(Schema::check);
    m_cnCatalogue.Open(path, QString(), QString(), -1);
    sqlite3 *db = m_cnCatalogue.handle();
    // The search's matching and ordering, and its name index for catalogues made without one.
    // A catalogue that cannot take the index (read-only) is searched without it.
    SearchIndex::registerFunctions(db);
    if (!SearchIndex::exists(db))
        SearchIndex::ensure(db);
    // The index the indexer's duplicate test looks rows up by, and the table of the folders
    // media were mounted on; a read-only catalogue works without them.
    for (const char *section : {"folder lookup", "medium roots"}) {
        const int rc =
            sqlite3_exec(db, Schema::section(section).constData(), nullptr, nullptr, nullptr);
        if (rc != SQLITE_OK && (rc & 0xFF) != SQLITE_READONLY)
            m_cnCatalogue.raise(rc);
    }
    m_rsFiles.Open(QLatin1String(FilesTable), &m_cnCatalogue, adOpenKeyset, adLockOptimistic, -1);
}

void Catalogue::closeView()
{
    if (m_rsFiles.isOpen())
        m_rsFiles.Close();
}

void Catalogue::openSearchView(const QString &text)
{
    closeView();
    sqlite3 *db = m_cnCatalogue.handle();
    // A catalogue that cannot be written is still searched exactly, past the mark.
    SearchIndex::catchUp(db);
    const SearchIndex::Statement statement =
        SearchIndex::statement(text, SearchIndex::exists(db) ? SearchIndex::indexedUpTo(db) : -1);
    m_rsFiles.Open(statement.source, &m_cnCatalogue, adOpenKeyset, adLockPessimistic, -1,
                   statement.params);
}

void Catalogue::openFullView()
{
    closeView();
    m_rsFiles.Open(QLatin1String(FilesTable), &m_cnCatalogue, adOpenKeyset, adLockPessimistic);
}

void Catalogue::catchUpNames()
{
    if (!m_cnCatalogue.isDamaged())
        SearchIndex::catchUp(m_cnCatalogue.handle());
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

qint64 Catalogue::openDuplicatesView()
{
    closeView();
    const qint64 found = Duplicates::find(m_cnCatalogue);
    m_rsFiles.Open(Duplicates::statement(), &m_cnCatalogue, adOpenKeyset, adLockPessimistic);
    return found;
}

bool Catalogue::remove(qint64 id)
{
    return m_rsFiles.DeleteByKey(id);
}
