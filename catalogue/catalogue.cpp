#include "catalogue/catalogue.h"

#include "catalogue/duplicates.h"
#include "catalogue/namesearch.h"
#include "catalogue/schema.h"
#include "platform/statement.h"
#include "platform/transaction.h"

#include <algorithm>
#include <cstring>

namespace {
const char FilesTable[] = "Files";
// Pages (of 4 KiB) the log of the window's connection grows to before it is copied back, as
// during an indexing run.
constexpr int CheckpointPages = 10000;
} // namespace

Catalogue::Catalogue() = default;
Catalogue::~Catalogue() = default;

void Catalogue::open(const QString &path)
{
    m_path = path;
    m_removed.reset();
    m_cnCatalogue.setProvider(QLatin1String(Connection::JetProvider));
    m_cnCatalogue.setCheck(Schema::check);
    m_cnCatalogue.Open(path);
    // The search's matching and ordering.
    NameSearch::registerFunctions(m_cnCatalogue);
    upgrade();
    // Fewer, larger copies of the log into the file: a removal's commit does not wait for one
    // each time (a thousand rows spread over the table are some 2,000 pages of the log).
    m_cnCatalogue.setCheckpointPages(CheckpointPages);
    m_hasNameNotes =
        Statement::scalar(m_cnCatalogue, "SELECT count(*) FROM sqlite_master WHERE name IN "
                                         "('FilesNameChanged', 'FilesNameUpdate', "
                                         "'FilesNameReused')") == 3;
    m_rsFiles.Open(QLatin1String(FilesTable), &m_cnCatalogue);
    m_members = {ArchiveMembers::View::All, {}};
}

// Gives a catalogue the parts it lacks (the notes of renamed rows, the tables of the folders media
// were mounted on, of when each was catalogued, of what archives hold) and drops the name index
// earlier versions kept, all in one transaction. A catalogue that cannot be written works without
// them, and keeps an old name index unused.
void Catalogue::upgrade()
{
    const qint64 present = Statement::scalar(
        m_cnCatalogue, "SELECT count(*) FILTER (WHERE name IN ('FilesNameChanged', "
                       "'FilesNameUpdate', 'FilesNameReused', 'MediumRoots', 'MediumCatalogued', "
                       "'ArchiveMembers', 'FilesMembersDelete', 'MediumNotes')) - "
                       "count(*) FILTER (WHERE name IN ('FilesName', 'FilesNameState', "
                       "'FilesNameInsert', 'FilesNameDelete')) FROM sqlite_master");
    // The highest ID given is kept only for a table made with AUTOINCREMENT; without it a
    // reused ID cannot be told, and the searches read every row.
    const bool idsKept =
        Statement::scalar(m_cnCatalogue, "SELECT count(*) FROM sqlite_master WHERE name = "
                                         "'Files' AND sql LIKE '%AUTOINCREMENT%'") == 1;
    if (present == (idsKept ? 8 : 7) || m_cnCatalogue.isReadOnly() || m_cnCatalogue.isDamaged())
        return;
    try {
        Transaction transaction(m_cnCatalogue);
        for (const char *section : {"changed names", "reused ids", "old name index", "medium roots",
                                    "medium catalogued", "archive members", "medium notes"})
            if (idsKept || std::strcmp(section, "reused ids") != 0)
                Statement::exec(m_cnCatalogue, Schema::section(section).constData());
        transaction.commit();
    } catch (const PlatformError &error) {
        if (!Connection::isReadOnlyAnswer(error.number()))
            throw;
    }
}

void Catalogue::closeView()
{
    m_members = ArchiveMembers::View();
    if (m_rsFiles.isOpen())
        m_rsFiles.Close();
}

void Catalogue::requery(RowSink *sink, MemberSink *members)
{
    m_rsFiles.Requery(sink);
    if (members)
        ArchiveMembers::read(m_cnCatalogue, m_members, *members);
    // Only a read of the whole table in the plain mode leaves the log with nothing of its own.
    if (m_cnCatalogue.autocommit() && isFullView() && !m_cnCatalogue.isDamaged())
        m_cnCatalogue.foldLeftLog();
}

void Catalogue::requeryIds(qint64 above, qint64 upTo, RowSink *sink)
{
    // One set for every range, closed after each: the memory of its keys is used again.
    m_rsPiece.Open(QStringLiteral("SELECT * FROM %1 WHERE ID > ? AND ID <= ?").arg(FilesTable),
                   &m_cnCatalogue, {above, upTo});
    struct Closing
    {
        Recordset &set;
        ~Closing() { set.Close(); }
    } closing{m_rsPiece};
    m_rsPiece.Requery(sink);
}

void Catalogue::requeryMembers(MemberSink *members)
{
    ArchiveMembers::read(m_cnCatalogue, {ArchiveMembers::View::All, {}}, *members);
    if (m_cnCatalogue.autocommit() && !m_cnCatalogue.isDamaged())
        m_cnCatalogue.foldLeftLog();
}

QPair<qint64, qint64> Catalogue::idSpan()
{
    // Each through the table's own order: one step, where both in one query read every row.
    return {Statement::scalar(m_cnCatalogue, "SELECT min(ID) FROM Files"),
            Statement::scalar(m_cnCatalogue, "SELECT max(ID) FROM Files")};
}

void Catalogue::openSearchView(const QString &text)
{
    closeView();
    // The list answers a search from the names it holds; this reads every row.
    const QString pattern = QLatin1Char('%') + text + QLatin1Char('%');
    m_members = {ArchiveMembers::View::NameContains, {pattern}};
    const NameSearch::Statement statement = NameSearch::statement(text);
    m_rsFiles.Open(statement.source, &m_cnCatalogue, statement.params);
}

void Catalogue::openSearchView(const QString &text, const std::vector<qint64> &ids,
                               qint64 heldUpTo)
{
    if (!m_hasNameNotes) { // a rename would go unseen: every row is read
        openSearchView(text);
        return;
    }
    closeView();
    m_members = {ArchiveMembers::View::NameContains, {QLatin1Char('%') + text + QLatin1Char('%')}};
    const NameSearch::Statement statement = NameSearch::statement(text, ids, heldUpTo);
    m_rsFiles.Open(statement.source, &m_cnCatalogue, statement.params);
}

void Catalogue::openFullView()
{
    closeView();
    m_rsFiles.Open(QLatin1String(FilesTable), &m_cnCatalogue);
    m_members = {ArchiveMembers::View::All, {}};
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
    if (const auto &failure = m_cnCatalogue.foldFailure())
        throw *failure;
}

void Catalogue::openDuplicatesView()
{
    closeView();
    Duplicates::find(m_cnCatalogue);
    m_rsFiles.Open(Duplicates::statement(), &m_cnCatalogue);
    m_members = {ArchiveMembers::View::Duplicates, {}};
}

void Catalogue::openMediumView(const QString &label, const QString &serial)
{
    closeView();
    m_rsFiles.Open(Media::rowsStatement(), &m_cnCatalogue, {label, serial});
    m_members = {ArchiveMembers::View::Medium, {label, serial}};
}

void Catalogue::openFolderView(const QString &label, const QString &serial, const QString &folder)
{
    closeView();
    const auto [below, after] = Media::folderBounds(folder);
    m_rsFiles.Open(Media::folderRowsStatement(), &m_cnCatalogue,
                   {label, serial, folder, below, after});
    m_members = {ArchiveMembers::View::Folder, {label, serial, folder, below, after}};
}

qint64 Catalogue::fileCount()
{
    // The members of archives are rows of the whole catalogue's list too.
    Statement rows(m_cnCatalogue, m_cnCatalogue.hasTable("ArchiveMembers")
                                      ? "SELECT (SELECT count(*) FROM Files) + "
                                        "(SELECT count(*) FROM ArchiveMembers)"
                                      : "SELECT count(*) FROM Files");
    rows.step();
    return rows.intAt(0);
}

void Catalogue::remove(const std::vector<RowKey> &rows)
{
    if (rows.empty())
        return; // nothing selected: the last removal can still be put back
    // In the table's order: each page is visited once, whatever order the list shows.
    std::vector<qint64> files, members;
    for (const RowKey &row : rows)
        (row.isMember() ? members : files).push_back(row.id);
    std::sort(files.begin(), files.end());
    std::sort(members.begin(), members.end());
    try {
        Transaction transaction(m_cnCatalogue);
        m_removed.startKeeping();
        m_removed.keep(files);
        for (qint64 id : files)
            if (!m_rsFiles.DeleteByKey(id))
                m_removed.forget(id); // not in the view, or gone already
        for (qint64 id : members)
            ArchiveMembers::remove(m_cnCatalogue, id);
        m_removed.stopKeeping();
        transaction.commit();
    } catch (...) {
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
        removed = m_media.remove(label, serial, ids, m_removed);
    } catch (...) {
        m_removed.settle(false);
        throw;
    }
    m_removed.settle(true);
    return removed;
}
