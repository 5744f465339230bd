#pragma once

#include "catalogue/filerow.h"
#include "indexing/indexingreport.h"

#include <QByteArray>
#include <QChar>
#include <QElapsedTimer>
#include <QString>

#include <memory>
#include <vector>

class Catalogue;
class colFFiles;
class FileMetadataReader;
class FileRowWriter;
class FolderLister;
class PlatformError;
class VolumeQuery;

// Catalogues a folder tree: one row of table Files per file not yet catalogued (same folder,
// name, label and serial; the folder's place below another mount point recorded for the same
// medium counts as its folder), and one record in colIndexed per row while its folder is read.
// Sub-folders come first, each whole tree before the next, then the folder's own files.
//
// Rows are gathered while the tree is walked and written in groups of at most about a quarter
// of a second of work, each group in one write transaction with its duplicate test. A failure of
// one folder ends that folder with a report and the run goes on; a failure of the catalogue or
// of the medium ends the run with one report. A run stops at the next file when the report asks
// it to; what was gathered before is written.
class FolderIndexer
{
public:
    FolderIndexer(Catalogue &catalogue, colFFiles &colIndexed, IndexingReport &report,
                  VolumeQuery &volumes, FolderLister &lister, FileMetadataReader &metadata);
    ~FolderIndexer();
    FolderIndexer(const FolderIndexer &) = delete;
    FolderIndexer &operator=(const FolderIndexer &) = delete;

    // Never raises. An empty path does nothing at all.
    void IndexFolder(const QString &path);

private:
    struct Folder; // what one invocation knows of its folder
    class RunFailure;
    struct Stopped
    {
    };

    void indexFolder(const QString &path, const QByteArray &folder, const QString &queryPath);
    void catalogueFiles(Folder &folder, const std::vector<QByteArray> &names);
    void volumeOf(Folder &folder);
    void endsRunIfMediumFailed(const PlatformError &error);
    void tick();
    void flushWhenDue();
    void flush();

    Catalogue &m_catalogue;
    colFFiles &m_colIndexed;
    VolumeQuery &m_volumes;
    FolderLister &m_lister;
    FileMetadataReader &m_metadata;
    IndexingReport &m_report;
    std::unique_ptr<FileRowWriter> m_writer;

    // One run.
    QByteArray m_separator; // of the size text, in UTF-8
    QByteArray m_root;      // the typed path's folder
    QString m_rootQueryPath;
    bool m_volumeAnswered = false; // some file of the run had its medium identified
    IndexingProgress m_progress;
    QElapsedTimer m_runTimer;
    qint64 m_lastTick = 0;
    qint64 m_groupStart = 0;
    std::vector<FileRow> m_pending;
};
