#include "catalogue/catalogue.h"

#include "catalogue/casefold.h"
#include "catalogue/duplicates.h"
#include "catalogue/namecollector.h"
#include "catalogue/namesearch.h"
#include "catalogue/schema.h"
#include "platform/statement.h"
#include "platform/transaction.h"

#include <algorithm>
#include <cstring>

namespace {
const char FilesTable[] = "Files";
} // namespace

Catalogue::Catalogue() = default;
Catalogue::~Catalogue() = default;

void Catalogue::open(const QString &path)
{
    m_names.clear();
    m_path = path;
    m_memberNames.clear();
    m_removed.reset();
    m_cnCatalogue.setProvider(QLatin1String(Connection::JetProvider));
    m_cnCatalogue.setCheck(Schema::check);
    m_cnCatalogue.Open(path);
    // The search's matching and ordering.
    NameSearch::registerFunctions(m_cnCatalogue);
    upgrade();
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
    // Only committed rows: the IDs of rows rolled back are given again to other rows.
    if (!m_cnCatalogue.autocommit() || !isFullView()) {
        m_rsFiles.Requery(sink);
        if (members)
            ArchiveMembers::read(m_cnCatalogue, m_members, *members);
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
    if (members) {
        // Every member, in ID order: their names are taken in on the way, as the files' are.
        const FoldedNames::Mark heldMembers = m_memberNames.mark();
        qint64 last = m_memberNames.upTo();
        try {
            ArchiveMembers::read(m_cnCatalogue, m_members, *members,
                                 [&](qint64 id, const RowCell &name) {
                                     if (id > m_memberNames.upTo())
                                         m_memberNames.add(id, name.data, name.length);
                                     last = std::max(last, id);
                                 });
        } catch (...) {
            m_memberNames.truncate(heldMembers);
            throw;
        }
        m_memberNames.setUpTo(std::max<qint64>(last, 0));
    }
    if (!m_cnCatalogue.isDamaged())
        m_cnCatalogue.foldLeftLog();
}

// Takes in the names of the rows other programs, or the indexer in a search view, wrote since
// the names were read, so that the search reads no more rows than it must. Only committed rows:
// inside a transaction the search reads the rows past the names itself.
void Catalogue::takeInNewNames()
{
    if (m_names.isEmpty() || !m_cnCatalogue.autocommit())
        return;
    qint64 last = m_names.upTo();
    try {
        Statement names(m_cnCatalogue, "SELECT ID, File FROM Files WHERE ID > ? ORDER BY ID");
        names.bindInt(1, last);
        while (names.step()) {
            last = names.intAt(0);
            const std::string_view name = names.textAt(1);
            m_names.add(last, name.data(), int(name.size()));
        }
    } catch (const PlatformError &) {
        m_names.clear(); // no longer complete: searches read every row, and meet the failure
        return;
    }
    m_names.setUpTo(last);
}

void Catalogue::openSearchView(const QString &text)
{
    closeView();
    takeInNewNames();
    // The members' names held answer for the members; those past them are read.
    const QString pattern = QLatin1Char('%') + text + QLatin1Char('%');
    std::vector<qint64> members;
    if (findNames(m_memberNames, text, members))
        m_members = {ArchiveMembers::View::NameAmong,
                     {ArchiveMembers::idList(members), m_memberNames.upTo(), pattern}};
    else
        m_members = {ArchiveMembers::View::NameContains, {pattern}};
    if (searchNames(text))
        return;
    const NameSearch::Statement statement = NameSearch::statement(text);
    m_rsFiles.Open(statement.source, &m_cnCatalogue, statement.params);
}

// The text is looked for among the names held in memory, then only the rows found are read.
// False when the names cannot answer it: too broad, or not held.
bool Catalogue::searchNames(const QString &text)
{
    std::vector<qint64> ids;
    if (!m_hasNameNotes || !findNames(m_names, text, ids))
        return false;
    const NameSearch::Statement statement = NameSearch::statement(text, ids, m_names.upTo());
    m_rsFiles.Open(statement.source, &m_cnCatalogue, statement.params);
    return true;
}

// The IDs of the names held that contain text; false when the names cannot answer it.
bool Catalogue::findNames(const FoldedNames &names, const QString &text, std::vector<qint64> &ids)
{
    const QByteArray literal = NameSearch::longestRun(text);
    if (names.isEmpty() || literal.isEmpty())
        return false;
    // A plain text is found where its folded form is; a pattern is checked name by name.
    const bool plain = !text.contains(QLatin1Char('%')) && !text.contains(QLatin1Char('_')) &&
                       !literal.contains('\0');
    std::u32string pattern, name;
    // The names held are folded already: one character of a name may be several there
    // ("ß" is "ss"), so _ is taken as any run, and the rows found are matched exactly.
    const QByteArray like =
        (QLatin1Char('%') + QString(text).replace(QLatin1Char('_'), QLatin1Char('%')) +
         QLatin1Char('%'))
            .toUtf8();
    CaseFold::foldCodePoints(pattern, like.constData(), like.size());
    // Past a quarter of the names, reading every row costs no more than reading these.
    return names.find(
        literal,
        [&](const char *data, int length) {
            if (plain)
                return true;
            CaseFold::foldCodePoints(name, data, length);
            return NameSearch::likeMatch(name, pattern);
        },
        names.size() / 4 + 1000, ids);
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
