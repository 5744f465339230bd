#pragma once

#include "catalogue/filerow.h"
#include "catalogue/filerowwriter.h"
#include "indexing/groupwriter.h"
#include "indexing/indexingreport.h"

#include <QByteArray>
#include <QChar>
#include <QElapsedTimer>
#include <QHash>
#include <QSet>
#include <QString>

#include <memory>
#include <vector>

class Catalogue;
class FileMetadataReader;
class FolderLister;
class MediumUpdate;
class MemberReader;
class PlatformError;
class VolumeQuery;

// Catalogues a folder tree: one row of table Files per file not yet catalogued (same folder,
// name, label and serial; the folder's place below another mount point recorded for the same
// medium counts as its folder).
// Sub-folders come first, each whole tree before the next, then the folder's own files.
//
// Rows are gathered while the tree is walked and written in groups of at most about a quarter
// of a second of work, each group in one write transaction with its duplicate test, on a thread
// of its own while the walk gathers the next group. A failure of
// one folder ends that folder with a report and the run goes on; a failure of the catalogue or
// of the medium ends the run with one report. A run stops at the next file when the report asks
// it to; what was gathered before is written.
//
// An update walks a medium from the folder it is mounted on now the same way, and brings the
// medium's rows to what is there: new files are added, rows of changed files get their new
// values and Path, and the rows of a folder's files that are gone are removed once that folder
// has been read whole.
//
// The members of an archive are read with its row, when the row is new or its file changed.
class FolderIndexer
{
public:
    FolderIndexer(Catalogue &catalogue, IndexingReport &report, VolumeQuery &volumes,
                  FolderLister &lister, FileMetadataReader &metadata);
    ~FolderIndexer();
    FolderIndexer(const FolderIndexer &) = delete;
    FolderIndexer &operator=(const FolderIndexer &) = delete;

    // Archives found are looked into with reader (none: they are files only).
    void setMemberReader(MemberReader *reader) { m_memberReader = reader; }

    // Never raises. An empty path does nothing at all.
    void IndexFolder(const QString &path);
    // Never raises. root is the folder the medium with this label and serial text is mounted on.
    void UpdateMedium(const QString &root, const QString &label, const QString &serial);

private:
    struct Folder; // what one invocation knows of its folder
    class RunFailure;
    struct Stopped
    {
    };

    void run(const QString &path);
    void indexFolder(const QString &path, const QByteArray &folder, const QString &queryPath);
    void catalogueFiles(Folder &folder, const std::vector<QByteArray> &names);
    bool addsRow(const Folder &folder, bool known);
    void lookInside(const Folder &folder, FileRow &row);
    size_t pendingCount() const { return m_pending.size() + m_changes.size(); }
    void volumeOf(Folder &folder);
    bool mediumWentAway(const Folder &folder);
    void endsRunIfMediumFailed(const PlatformError &error);
    void tick();
    void flushWhenDue();
    void flush();
    void collect();

    Catalogue &m_catalogue;
    VolumeQuery &m_volumes;
    FolderLister &m_lister;
    FileMetadataReader &m_metadata;
    IndexingReport &m_report;
    MemberReader *m_memberReader = nullptr;
    std::unique_ptr<FileRowWriter> m_writer;
    GroupWriter m_groups{*m_writer};

    // One run.
    QByteArray m_separator; // of the size text, in UTF-8
    QByteArray m_root;      // the typed path's folder
    QString m_rootQueryPath;
    bool m_rootAnswered = false;   // the medium of the typed folder was identified at the start
    QSet<QString> m_answeredRoots; // the mount points of media identified during the run
    QHash<QString, QStringList> m_mediumRoots; // by label, serial and root, as recorded
    IndexingProgress m_progress;
    QElapsedTimer m_runTimer;
    qint64 m_lastTick = 0;
    qint64 m_groupStart = 0;
    std::vector<FileRow> m_pending;
    MediumUpdate *m_update = nullptr; // during an update
    FileRowWriter::Changes m_changes;
};
