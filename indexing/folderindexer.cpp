#include "indexing/folderindexer.h"

#include "catalogue/errorbox.h"
#include "indexing/colffiles.h"
#include "indexing/volumeid.h"
#include "platform/connection.h"
#include "platform/filemetadata.h"
#include "platform/folderlister.h"
#include "platform/mousepointer.h"
#include "platform/platformerror.h"
#include "platform/recordset.h"
#include "platform/volumequery.h"

#include <QLocale>

#include <sqlite3.h>

#include <algorithm>
#include <exception>
#include <new>

namespace {

// The names catalogued in one folder of one disc: one query per folder instead of one per file.
const char LookupStatement[] =
    "SELECT File FROM Files WHERE Path = ?1 AND Archive = ?2 AND Serial = ?3";
// Path first: the files of one folder are written one after the other, so their index entries
// share pages; a folder of one disc is one range of it.
const char LookupIndex[] =
    "CREATE INDEX IF NOT EXISTS FilesByFolder ON Files (Path, Archive, Serial, File)";

// Pages the write-ahead log may grow to during a run before it is copied into the catalogue.
// Every row is still its own commit; fewer, larger checkpoints rewrite the few pages that all
// rows touch (the table's last page, the folder's index page) once instead of every 1,000 pages,
// and wait for the disk less often.
constexpr int RunCheckpointPages = 10000;

int walAutocheckpoint(sqlite3 *db)
{
    sqlite3_stmt *stmt = nullptr;
    int pages = -1;
    if (sqlite3_prepare_v2(db, "PRAGMA wal_autocheckpoint", -1, &stmt, nullptr) == SQLITE_OK &&
        sqlite3_step(stmt) == SQLITE_ROW)
        pages = sqlite3_column_int(stmt, 0);
    sqlite3_finalize(stmt);
    return pages;
}

void bindText(sqlite3_stmt *statement, int index, const QString &text)
{
    sqlite3_bind_text16(statement, index,
                        text.isNull() ? reinterpret_cast<const ushort *>(u"") : text.utf16(),
                        int(text.size() * sizeof(char16_t)), SQLITE_STATIC);
}

// A name or folder as the system spells it: its own bytes, UTF-8 or not.
void bindBytes(sqlite3_stmt *statement, int index, const QByteArray &bytes)
{
    sqlite3_bind_text(statement, index, bytes.constData(), int(bytes.size()), SQLITE_STATIC);
}

QVariant dateValue(const QDate &date)
{
    return date.isValid() ? QVariant(date) : QVariant();
}

// The folder's own path when the volume query can be handed it as text; a name that is not
// valid UTF-8 does not survive as text, so such a folder keeps the path of the one above it.
QString queryPathFor(const QString &path, const QByteArray &folder, const QString &above)
{
    if (!above.isEmpty() && path.toUtf8() != folder)
        return above;
    return path;
}

} // namespace

FolderIndexer::FolderIndexer(Connection &cnCatalogue, Recordset &rsFiles, colFFiles &colIndexed,
                             MousePointer &pointer, VolumeQuery &volumes, FolderLister &lister,
                             FileMetadataReader &metadata)
    : m_connection(cnCatalogue), m_rsFiles(rsFiles), m_colIndexed(colIndexed), m_pointer(pointer),
      m_volumes(volumes), m_lister(lister), m_metadata(metadata)
{}

FolderIndexer::FolderIndexer(Connection &cnCatalogue, Recordset &rsFiles, colFFiles &colIndexed,
                             MousePointer &pointer)
    : FolderIndexer(cnCatalogue, rsFiles, colIndexed, pointer, systemVolumeQuery(),
                    systemFolderLister(), systemFileMetadataReader())
{}

FolderIndexer::~FolderIndexer()
{
    finishLookup();
}

void FolderIndexer::prepareCatalogue(Connection &cnCatalogue)
{
    const int rc = sqlite3_exec(cnCatalogue.handle(), LookupIndex, nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK && (rc & 0xFF) != SQLITE_READONLY)
        cnCatalogue.raise(rc);
}

QString FolderIndexer::formatSize(qint64 size, QChar separator)
{
    if (size == 0)
        return QString();
    const QString digits = QString::number(size);
    QString text;
    text.reserve(digits.size() + digits.size() / 3);
    for (qsizetype i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0)
            text += separator;
        text += digits[i];
    }
    return text;
}

void FolderIndexer::IndexFolder(const QString &path)
{
    if (path.isEmpty())
        return;
    const bool top = m_depth == 0;
    sqlite3 *db = m_connection.handle();
    int checkpointPages = -1;
    if (top) {
        const QString group = QLocale::system().groupSeparator();
        m_separator = group.isEmpty() ? QLatin1Char(',') : group.at(0);
        // Only a tuning: a connection that refuses it indexes all the same.
        checkpointPages = walAutocheckpoint(db);
        if (checkpointPages >= 0)
            sqlite3_wal_autocheckpoint(db, std::max(checkpointPages, RunCheckpointPages));
    }
    indexFolder(path, QByteArray(), QString());
    if (top) {
        finishLookup();
        if (checkpointPages >= 0)
            sqlite3_wal_autocheckpoint(db, checkpointPages);
    }
}

void FolderIndexer::indexFolder(const QString &path, const QByteArray &folder,
                                const QString &queryPath)
{
    ++m_depth;
    m_pointer.setMousePointer(vbHourglass);
    try {
        const QByteArray native = folder.isEmpty() ? m_lister.GetFolder(path) : folder;
        const QString folderPath = folder.isEmpty() ? FolderLister::displayName(native) : path;
        const QString ownQueryPath = queryPathFor(folderPath, native, queryPath);
        FolderEntries entries;
        m_lister.list(native, entries);
        for (const QByteArray &sub : entries.subFolders) {
            indexFolder(JoinPath(folderPath, FolderLister::displayName(sub)),
                        FolderLister::childPath(native, sub), ownQueryPath);
        }
        QString label;
        QString serial;
        Catalogued catalogued;
        for (const QByteArray &name : entries.files)
            catalogueFile(folderPath, native, name, ownQueryPath, label, serial, catalogued);
    } catch (const PlatformError &e) {
        ShowErrorBox(e.number(), e.description());
    } catch (const std::bad_alloc &) {
        ShowErrorBox(7, QStringLiteral("Out of memory"));
    } catch (const std::exception &) {
        ShowErrorBox(51, QStringLiteral("Internal error"));
    }
    m_pointer.setMousePointer(vbDefault);
    --m_depth;
}

void FolderIndexer::catalogueFile(const QString &folderPath, const QByteArray &folder,
                                  const QByteArray &name, const QString &queryPath, QString &label,
                                  QString &serial, Catalogued &catalogued)
{
    const QString file = FolderLister::displayName(name);
    GetVolumeId(queryPath, label, serial, m_volumes);
    if (!catalogued.loaded || catalogued.label != label || catalogued.serial != serial)
        loadCatalogued(folder, label, serial, catalogued);
    // By bytes: two names that differ only where they are not UTF-8 are two files.
    if (catalogued.files.contains(name))
        return;

    const auto record = m_colIndexed.Add(label + u';' + serial + u';' + folderPath + file);

    // A file that cannot be read gets no size and no dates rather than another file's values.
    FileMetadata metadata;
    bool known = true;
    try {
        metadata = m_metadata.read(FolderLister::childPath(folder, name));
    } catch (const PlatformError &) {
        known = false;
    }

    // A row cut short by an error stays pending only until the next AddNew or the refill's
    // Requery, both of which drop it: it is never written half or later.
    m_rsFiles.AddNew();
    // Stored as the system's bytes, so that the file can be found again by them.
    m_rsFiles.Fields(QStringLiteral("Path")).setValue(folder);
    m_rsFiles.Fields(QStringLiteral("File")).setValue(name);
    record->setFileSize(qint32(metadata.size)); // the record's 32-bit size; Size has it all
    m_rsFiles.Fields(QStringLiteral("Size")).setValue(formatSize(metadata.size, m_separator));
    record->setDateAccessed(known ? metadata.accessed.utcDate() : QDate());
    m_rsFiles.Fields(QStringLiteral("Accessed")).setValue(dateValue(record->DateAccessed()));
    record->setDateCreated(known ? metadata.created.utcDate() : QDate());
    m_rsFiles.Fields(QStringLiteral("Created")).setValue(dateValue(record->DateCreated()));
    record->setDateModified(known ? metadata.modified.utcDate() : QDate());
    m_rsFiles.Fields(QStringLiteral("Modified")).setValue(dateValue(record->DateModified()));
    m_rsFiles.Fields(QStringLiteral("Archive")).setValue(label);
    m_rsFiles.Fields(QStringLiteral("Serial"))
        .setValue(serial.isNull() ? QStringLiteral("") : serial);
    m_rsFiles.Update();
}

void FolderIndexer::loadCatalogued(const QByteArray &folder, const QString &label,
                                   const QString &serial, Catalogued &catalogued)
{
    catalogued = Catalogued();
    if (!m_lookup) {
        const int rc =
            sqlite3_prepare_v2(m_connection.handle(), LookupStatement, -1, &m_lookup, nullptr);
        if (rc != SQLITE_OK) {
            m_lookup = nullptr;
            m_connection.raise(rc);
        }
    }
    bindBytes(m_lookup, 1, folder);
    bindText(m_lookup, 2, label);
    bindText(m_lookup, 3, serial);
    int rc;
    while ((rc = sqlite3_step(m_lookup)) == SQLITE_ROW) {
        catalogued.files.insert(
            QByteArray(reinterpret_cast<const char *>(sqlite3_column_text(m_lookup, 0)),
                       sqlite3_column_bytes(m_lookup, 0)));
    }
    sqlite3_reset(m_lookup);
    sqlite3_clear_bindings(m_lookup);
    if (rc != SQLITE_DONE)
        m_connection.raise(rc);
    catalogued.loaded = true;
    catalogued.label = label;
    catalogued.serial = serial;
}

void FolderIndexer::finishLookup()
{
    sqlite3_finalize(m_lookup);
    m_lookup = nullptr;
}
