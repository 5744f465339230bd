#include "indexing/folderindexer.h"

#include "catalogue/catalogue.h"
#include "catalogue/media.h"
#include "catalogue/mediumroots.h"
#include "indexing/mediumlocator.h"
#include "indexing/mediumupdate.h"
#include "indexing/memberreader.h"
#include "indexing/volumeid.h"
#include "platform/filemetadata.h"
#include "platform/folderlister.h"
#include "platform/joinpath.h"
#include "platform/oserror.h"
#include "platform/platformerror.h"
#include "platform/volumequery.h"

#include <QLocale>
#include <QStringBuilder>

#include <cerrno>
#include <exception>
#include <new>

namespace {

// A group is written when its rows took this long to gather, or when it holds this many rows;
// writing it takes a fraction of that again, so a row reaches the disk within about 0.25 s.
constexpr qint64 GroupMs = 150;
constexpr size_t GroupRows = 50000;
// How often the report hears of the run.
constexpr qint64 TickMs = 50;

// What the runtime reports for a drive whose disc is gone: 71, "Disk not ready".
PlatformError mediumGone()
{
    return osError(ENOMEDIUM, OsObject::Folder);
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

// A failure that ends the whole run, not only the folder it happened in.
class FolderIndexer::RunFailure : public PlatformError
{
public:
    explicit RunFailure(const PlatformError &error) : PlatformError(error) {}
};

struct FolderIndexer::Folder
{
    QString path;      // as text, for the key and the report
    QByteArray native; // as the system spells it
    QString queryPath; // handed to the volume query
    // The folder's volume identity, asked once before its files are read.
    QString label;
    QString serial;
    QByteArray labelUtf8;
    QByteArray serialUtf8;
    QByteArrayList otherPaths; // the same folder of the medium under its other recorded roots
    bool onMedium = true;      // during an update: the files are the updated medium's
};

FolderIndexer::FolderIndexer(Catalogue &catalogue, IndexingReport &report, VolumeQuery &volumes,
                             FolderLister &lister, FileMetadataReader &metadata)
    : m_catalogue(catalogue), m_volumes(volumes), m_lister(lister), m_metadata(metadata),
      m_report(report), m_writer(std::make_unique<FileRowWriter>(catalogue))
{}

FolderIndexer::~FolderIndexer() = default;

void FolderIndexer::IndexFolder(const QString &path)
{
    if (!path.isEmpty())
        run(path);
}

void FolderIndexer::UpdateMedium(const QString &root, const QString &label, const QString &serial)
{
    if (root.isEmpty())
        return;
    MediumUpdate update(label, serial);
    m_update = &update;
    run(root);
    m_update = nullptr;
}

void FolderIndexer::run(const QString &path)
{
    const QString group = QLocale::system().groupSeparator();
    m_separator = group.isEmpty() ? QByteArrayLiteral(",") : QString(group.at(0)).toUtf8();
    m_root.clear();
    m_rootQueryPath.clear();
    m_rootAnswered = false;
    m_answeredRoots.clear();
    m_mediumRoots.clear();
    m_progress = IndexingProgress();
    m_pending.clear();
    m_changes.clear();
    m_runTimer.start();
    m_lastTick = m_groupStart = 0;
    m_writer->startRun();
    m_groups.keepRows(!m_update && m_report.keepsWritten());

    try {
        bool whole = true;
        try {
            if (m_update) {
                try {
                    m_update->load(m_catalogue, m_lister.GetFolder(path));
                } catch (const PlatformError &e) {
                    throw RunFailure(e);
                }
            }
            indexFolder(path, QByteArray(), QString());
        } catch (const Stopped &) {
            whole = false;
        } catch (const RunFailure &) {
            // The rows gathered before a failure of the medium are whole and true: keep them.
            flush();
            throw;
        }
        flush();
        if (m_update && whole) {
            // The medium was catalogued now, whether any of its rows changed or not.
            try {
                m_catalogue.media().noteCatalogued(m_update->label(), m_update->serial());
            } catch (const PlatformError &e) {
                throw RunFailure(e);
            }
        }
    } catch (const RunFailure &failure) {
        m_report.runFailed(failure.number(), failure.description(),
                           m_progress.folder.isEmpty() ? path : m_progress.folder);
    }
    std::vector<FileRow>().swap(m_pending);
    m_changes.clear();
    m_groups.release();
    m_metadata.release();
    m_writer->endRun();
    m_progress.folder.clear();
    m_progress.elapsedMs = m_runTimer.elapsed();
    m_report.progress(m_progress);
}

void FolderIndexer::indexFolder(const QString &path, const QByteArray &native,
                                const QString &queryPath)
{
    try {
        if (m_report.cancelled())
            throw Stopped();
        Folder folder;
        folder.native = native.isEmpty() ? m_lister.GetFolder(path) : native;
        folder.path = native.isEmpty() ? FolderLister::displayName(folder.native) : path;
        folder.queryPath = queryPathFor(folder.path, folder.native, queryPath);
        if (m_root.isEmpty()) {
            m_root = folder.native;
            m_rootQueryPath = folder.queryPath;
            QString label, serial;
            m_rootAnswered = GetVolumeId(m_rootQueryPath, label, serial, m_volumes);
        }
        m_progress.folder = folder.path;
        flushWhenDue(); // also between folders: a slow listing does not hold rows back
        tick();
        FolderEntries entries;
        m_lister.list(folder.native, entries);
        for (const QByteArray &sub : entries.subFolders) {
            indexFolder(JoinPath(folder.path, FolderLister::displayName(sub)),
                        JoinPath(folder.native, sub), folder.queryPath);
        }
        m_progress.folder = folder.path;
        catalogueFiles(folder, entries.files);
        if (m_update && folder.onMedium) {
            // Read whole: what the folder no longer holds goes.
            const bool wasEmpty = pendingCount() == 0;
            m_update->folderRead(folder.native, entries.subFolders, m_changes.removed);
            if (wasEmpty && pendingCount() > 0)
                m_groupStart = m_runTimer.elapsed();
            flushWhenDue();
        }
    } catch (const RunFailure &) {
        throw;
    } catch (const PlatformError &e) {
        endsRunIfMediumFailed(e);
        // Rows gathered so far are written before a box holds the run up.
        flush();
        m_report.folderFailed(e.number(), e.description(), path);
    } catch (const std::bad_alloc &) {
        m_report.folderFailed(7, QStringLiteral("Out of memory"), path);
    } catch (const std::exception &e) {
        // What went wrong is told, so that the box says more than that something did.
        m_report.folderFailed(
            51, QStringLiteral("Internal error: %1").arg(QString::fromLocal8Bit(e.what())), path);
    }
}

void FolderIndexer::endsRunIfMediumFailed(const PlatformError &error)
{
    const int number = error.number();
    if (number == DeviceIoError || number == DiskNotReady)
        throw RunFailure(error);
    // A folder or file that is not found is a failure of its own, unless the whole medium went.
    if ((number == PathNotFound || number == FileNotFound) && !m_root.isEmpty() &&
        !m_lister.isFolder(m_root))
        throw RunFailure(mediumGone());
}

void FolderIndexer::volumeOf(Folder &folder)
{
    if (!GetVolumeId(folder.queryPath, folder.label, folder.serial, m_volumes) &&
        mediumWentAway(folder)) {
        // A medium that answered and no longer does was taken out or failed: its files would be
        // written with a blank label, or another file's serial.
        throw RunFailure(mediumGone());
    }
    // Any other folder the query cannot identify (a filesystem mounted inside the tree that is
    // on no disc: tmpfs, a network share, FUSE) keeps the blank label and empty serial.
    folder.labelUtf8 = folder.label.toUtf8();
    folder.serialUtf8 = folder.serial.isNull() ? QByteArray("") : folder.serial.toUtf8();
    // Another medium mounted inside the updated one is not its part.
    folder.onMedium = !m_update || (folder.labelUtf8 == m_update->label() &&
                                    folder.serialUtf8 == m_update->serial());
    // A folder of a medium catalogued before under another mount point is the same folder: its
    // place below every root recorded for the medium counts too.
    QString root;
    if (!folder.serial.trimmed().isEmpty() && m_volumes.GetVolumePathName(folder.path, root)) {
        m_answeredRoots.insert(root);
        // Asked of the catalogue once per root: that needs the connection the group under way
        // is written on.
        const QString medium = folder.label % u'\n' % folder.serial % u'\n' % root;
        auto known = m_mediumRoots.constFind(medium);
        if (known == m_mediumRoots.constEnd()) {
            collect();
            MediumRoots &roots = m_catalogue.mediumRoots();
            try {
                roots.record(folder.label, folder.serial, root);
                known = m_mediumRoots.insert(medium, roots.roots(folder.label, folder.serial));
            } catch (const PlatformError &e) {
                throw RunFailure(e); // the catalogue itself failed: locked, full, damaged
            }
        }
        for (const QString &other : SameFolderUnderRoots(folder.path, root, *known))
            if (other != folder.path)
                folder.otherPaths.append(other.toUtf8());
    }
}

bool FolderIndexer::mediumWentAway(const Folder &folder)
{
    QString label, serial, root;
    if (m_rootAnswered && !GetVolumeId(m_rootQueryPath, label, serial, m_volumes))
        return true; // the medium the run was started on
    // A medium mounted inside the tree that answered for an earlier folder.
    return m_volumes.GetVolumePathName(folder.path, root) && m_answeredRoots.contains(root);
}

void FolderIndexer::catalogueFiles(Folder &folder, const std::vector<QByteArray> &names)
{
    if (names.empty())
        return;
    volumeOf(folder);
    for (const QByteArray &name : names) {
        if (m_report.cancelled())
            throw Stopped();
        const bool wasEmpty = pendingCount() == 0;
        // A file that cannot be read gets no size and no dates rather than another file's values.
        FileMetadata metadata;
        bool known = true;
        try {
            metadata = m_metadata.read(folder.native, name);
        } catch (const PlatformError &e) {
            endsRunIfMediumFailed(e);
            metadata = FileMetadata();
            known = false;
        }

        FileRow &row = m_pending.emplace_back();
        // Stored as the system's bytes, so that the file can be found again by them and two names
        // that differ only where they are not UTF-8 stay two rows.
        row.path = folder.native;
        row.file = name;
        row.setSize(metadata.size, m_separator);
        if (known) {
            const FileTime *times[] = {&metadata.created, &metadata.accessed, &metadata.modified};
            for (int d = 0; d < FilesField::DateCount; ++d)
                row.setDate(FilesField::FirstDate + d, times[d]->utcDay());
        }
        row.label = folder.labelUtf8;
        row.serial = folder.serialUtf8;
        row.otherPaths = folder.otherPaths;
        if (!m_update) {
            if (known)
                lookInside(folder, row);
        } else if (!addsRow(folder, known)) {
            m_pending.pop_back();
        } else {
            lookInside(folder, m_pending.back());
        }

        if (wasEmpty && pendingCount() > 0)
            m_groupStart = m_runTimer.elapsed();
        // A look at the clock costs a few nanoseconds: done for every file.
        flushWhenDue();
        tick();
    }
}

// During an update: whether the row just gathered is to be added. Otherwise what becomes of its
// file's row is noted among the changes.
bool FolderIndexer::addsRow(const Folder &folder, bool known)
{
    if (!folder.onMedium)
        return false;
    const FileRow &row = m_pending.back();
    qint64 id = 0;
    switch (m_update->file(row, known, id)) {
    case MediumUpdate::New:
        return true;
    case MediumUpdate::Unchanged:
        ++m_progress.skipped;
        break;
    case MediumUpdate::Changed:
        m_changes.changed.push_back({id, row, false});
        lookInside(folder, m_changes.changed.back().values);
        break;
    case MediumUpdate::Moved:
        ++m_progress.skipped;
        m_changes.changed.push_back({id, row, true});
        break;
    }
    return false;
}

void FolderIndexer::lookInside(const Folder &folder, FileRow &row)
{
    if (m_memberReader && !m_memberReader->read(folder.native, row, m_separator))
        ++m_progress.unreadArchives; // recorded as a file; the run goes on
}

void FolderIndexer::tick()
{
    const qint64 now = m_runTimer.elapsed();
    if (now - m_lastTick < TickMs)
        return;
    m_lastTick = now;
    m_progress.elapsedMs = now;
    m_report.progress(m_progress);
}

void FolderIndexer::flushWhenDue()
{
    const size_t pending = pendingCount();
    if (pending > 0 && (pending >= GroupRows || m_runTimer.elapsed() - m_groupStart >= GroupMs)) {
        collect();
        m_groups.start(m_pending, m_changes);
    }
}

// Every row gathered is written, or the run fails.
void FolderIndexer::flush()
{
    collect();
    if (pendingCount() == 0)
        return;
    m_groups.start(m_pending, m_changes);
    collect();
}

// Takes in what the group under way did, once it is written.
void FolderIndexer::collect()
{
    GroupWriter::Written written;
    try {
        if (!m_groups.wait(written))
            return;
    } catch (const PlatformError &e) {
        // Nothing of that group was written, nor is anything gathered after it.
        m_pending.clear();
        m_changes.clear();
        throw RunFailure(e);
    }
    m_report.written(std::move(written.rows));
    const FileRowWriter::Result &result = written.result;
    m_progress.catalogued += result.written;
    m_progress.skipped += result.skipped;
    m_progress.changed += result.changed;
    m_progress.removed += result.removed;
    m_progress.members += result.members;
    for (size_t i = 0; i < result.refused.size(); ++i)
        m_report.folderFailed(result.refused[i].error.number(),
                              result.refused[i].error.description(),
                              written.refusedIn.at(qsizetype(i)));
}
