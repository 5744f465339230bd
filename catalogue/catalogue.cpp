#include "catalogue/catalogue.h"

#include "catalogue/casefold.h"
#include "catalogue/duplicates.h"
#include "catalogue/media.h"
#include "catalogue/namecollector.h"
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
    m_names.clear();
    m_cnCatalogue.setProvider(QStringLiteral("Microsoft.Jet.OLEDB.4.0"));
    m_cnCatalogue.setCheck(Schema::check);
    m_cnCatalogue.Open(path, QString(), QString(), -1);
    sqlite3 *db = m_cnCatalogue.handle();
    // The search's matching and ordering, and its name index for catalogues made without one.
    // A catalogue that cannot take the index (read-only) is searched without it.
    SearchIndex::registerFunctions(db);
    sqlite3_rollback_hook(db, &Catalogue::rolledBack, this);
    if (!SearchIndex::exists(db))
        SearchIndex::ensure(db);
    // The index the indexer's duplicate test looks rows up by, the tables of the folders media
    // were mounted on and of when they were catalogued; a read-only catalogue works without them.
    for (const char *section : {"folder lookup", "medium roots", "medium catalogued"}) {
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

void Catalogue::requery(RowSink *sink)
{
    if (!m_names.isEmpty() || !m_rsFiles.isOpen() ||
        m_rsFiles.source().compare(QLatin1String(FilesTable), Qt::CaseInsensitive) != 0) {
        m_rsFiles.Requery(sink);
        return;
    }
    NameCollector collector(*sink, m_names);
    try {
        m_rsFiles.Requery(&collector);
    } catch (...) {
        m_names.clear(); // all names or none
        throw;
    }
    m_names.setUpTo(collector.lastId());
}

void Catalogue::rolledBack(void *catalogue)
{
    auto *self = static_cast<Catalogue *>(catalogue);
    if (self->m_beforeTransaction)
        self->m_names.truncate(*self->m_beforeTransaction);
    self->m_beforeTransaction.reset();
}

bool Catalogue::takeInNewNames()
{
    sqlite3 *db = m_cnCatalogue.handle();
    if (sqlite3_get_autocommit(db))
        m_beforeTransaction.reset(); // the transaction they came in was committed
    else if (!m_beforeTransaction)
        m_beforeTransaction = m_names.mark();
    if (!m_names.isEmpty()) {
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
            m_names.clear(); // no longer complete: searches read the rows instead
        else
            m_names.setUpTo(last);
    }
    return SearchIndex::catchUp(db, [this](qint64 id, const char *name, int length) {
        if (!m_names.isEmpty())
            m_names.add(id, name, length);
    });
}

void Catalogue::openSearchView(const QString &text)
{
    closeView();
    sqlite3 *db = m_cnCatalogue.handle();
    // A catalogue that cannot be written is still searched exactly, past the mark.
    takeInNewNames();
    const bool indexed = SearchIndex::exists(db);
    if (!SearchIndex::answers(text) && searchNames(text))
        return;
    const SearchIndex::Statement statement =
        SearchIndex::statement(text, indexed ? SearchIndex::indexedUpTo(db) : -1);
    m_rsFiles.Open(statement.source, &m_cnCatalogue, adOpenKeyset, adLockPessimistic, -1,
                   statement.params);
}

// A text the index cannot answer is looked for among the names held in memory, then only the
// rows found are read. False when the names cannot answer it: too broad, or not held.
bool Catalogue::searchNames(const QString &text)
{
    // Names changed by an update are noted only where the catalogue has the name index.
    const QByteArray literal = SearchIndex::longestRun(text);
    if (m_names.isEmpty() || literal.isEmpty() || !SearchIndex::exists(m_cnCatalogue.handle()))
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
                return SearchIndex::likeMatch(name, pattern);
            },
            m_names.size() / 4 + 1000, ids))
        return false;
    const SearchIndex::Statement statement = SearchIndex::statement(text, ids, m_names.upTo());
    m_rsFiles.Open(statement.source, &m_cnCatalogue, adOpenKeyset, adLockPessimistic, -1,
                   statement.params);
    return true;
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

void Catalogue::openMediumView(const QString &label, const QString &serial)
{
    closeView();
    m_rsFiles.Open(Media::rowsStatement(), &m_cnCatalogue, adOpenKeyset, adLockPessimistic, -1,
                   {label, serial});
}

bool Catalogue::remove(qint64 id)
{
    return m_rsFiles.DeleteByKey(id);
}
