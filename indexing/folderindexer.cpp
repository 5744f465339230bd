#include "indexing/folderindexer.h"

#include "catalogue/catalogue.h"
#include "catalogue/folderlookup.h"
#include "indexing/colffiles.h"
#include "indexing/indexingreport.h"
#include "indexing/mediumlocator.h"
#include "indexing/volumeid.h"
#include "platform/filemetadata.h"
#include "platform/folderlister.h"
#include "platform/mousepointer.h"
#include "platform/platformerror.h"
#include "platform/volumequery.h"

#include <QFile>
#include <QLocale>

#include <algorithm>
#include <exception>
#include <new>

namespace {

// Pages the write-ahead log may grow to during a run before it is copied into the catalogue.
// Every row is still its own commit; fewer, larger checkpoints rewrite the few pages that all
// rows touch (the table's last page, the folder's index page) once instead of every 1,000 pages,
// and wait for the disk less often.
constexpr int RunCheckpointPages = 10000;

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

FolderIndexer::FolderIndexer(Catalogue &catalogue, colFFiles &colIndexed, MousePointer &pointer,
                             IndexingReport &report, VolumeQuery &volumes, FolderLister &lister,
                             FileMetadataReader &metadata)
    : m_catalogue(catalogue), m_colIndexed(colIndexed), m_pointer(pointer), m_report(report),
      m_volumes(volumes), m_lister(lister), m_metadata(metadata)
{}

FolderIndexer::~FolderIndexer() = default;

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
    Connection &connection = m_catalogue.cnCatalogue();
    int checkpointPages = -1;
    if (top) {
        const QString group = QLocale::system().groupSeparator();
        m_separator = group.isEmpty() ? QLatin1Char(',') : group.at(0);
        m_lookup = std::make_unique<FolderLookup>(connection);
        // Only a tuning: a connection that refuses it indexes all the same.
        checkpointPages = connection.autoCheckpoint();
        if (checkpointPages >= 0)
            connection.setAutoCheckpoint(std::max(checkpointPages, RunCheckpointPages));
    }
    indexFolder(path, QByteArray(), QString());
    if (top) {
        m_lookup.reset();
        if (checkpointPages >= 0)
            connection.setAutoCheckpoint(checkpointPages);
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
        m_report.folderFailed(e.number(), e.description());
    } catch (const std::bad_alloc &) {
        m_report.folderFailed(7, QStringLiteral("Out of memory"));
    } catch (const std::exception &) {
        m_report.folderFailed(51, QStringLiteral("Internal error"));
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
        loadCatalogued(folderPath, folder, label, serial, catalogued);
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
    Recordset &rsFiles = m_catalogue.rsFiles();
    rsFiles.AddNew();
    // Stored as the system's bytes, so that the file can be found again by them.
    rsFiles.Fields(QStringLiteral("Path")).setValue(folder);
    rsFiles.Fields(QStringLiteral("File")).setValue(name);
    record->setFileSize(qint32(metadata.size)); // the record's 32-bit size; Size has it all
    rsFiles.Fields(QStringLiteral("Size")).setValue(formatSize(metadata.size, m_separator));
    record->setDateAccessed(known ? metadata.accessed.utcDate() : QDate());
    rsFiles.Fields(QStringLiteral("Accessed")).setValue(dateValue(record->DateAccessed()));
    record->setDateCreated(known ? metadata.created.utcDate() : QDate());
    rsFiles.Fields(QStringLiteral("Created")).setValue(dateValue(record->DateCreated()));
    record->setDateModified(known ? metadata.modified.utcDate() : QDate());
    rsFiles.Fields(QStringLiteral("Modified")).setValue(dateValue(record->DateModified()));
    rsFiles.Fields(QStringLiteral("Archive")).setValue(label);
    rsFiles.Fields(QStringLiteral("Serial"))
        .setValue(serial.isNull() ? QStringLiteral("") : serial);
    rsFiles.Update();
}

void FolderIndexer::loadCatalogued(const QString &folderPath, const QByteArray &folder,
                                   const QString &label, const QString &serial,
                                   Catalogued &catalogued)
{
    catalogued = Catalogued();
    // A folder of a medium catalogued before under another mount point is the same folder:
    // its place below every root recorded for the medium counts too.
    QList<QByteArray> folders{folder};
    QString root;
    if (!serial.trimmed().isEmpty() && m_volumes.GetVolumePathName(folderPath, root)) {
        MediumRoots &roots = m_catalogue.mediumRoots();
        roots.record(label, serial, root);
        for (const QString &same :
             SameFolderUnderRoots(folderPath, root, roots.roots(label, serial)))
            folders += QFile::encodeName(same);
    }
    catalogued.files = m_lookup->names(folders, label, serial);
    catalogued.loaded = true;
    catalogued.label = label;
    catalogued.serial = serial;
}
