#pragma once

#include "indexing/folderindexer.h"
#include "indexing/indexingreport.h"
#include "platform/filemetadata.h"
#include "platform/folderlister.h"
#include "platform/volumequery.h"
#include "support/loadedcatalogue.h"

#include <QTemporaryDir>

#include <atomic>

// Answers "DATA1", 1234-5678 for every folder, or fails when told not to answer.
struct FixedVolumeQuery : VolumeQuery
{
    bool GetVolumeInformation(const QString &rootPath, QString &label, quint32 &serial) override;
    std::atomic<bool> answers{true}; // a run reads it on its own thread
};

// The system's metadata reader, a millisecond a file: a run long enough to be watched or stopped.
struct SlowMetadata : FileMetadataReader
{
    FileMetadata read(const QByteArray &path) override;
};

// Records each failed folder and failed run as "number: description"; stops when told to.
struct RecordedReport : IndexingReport
{
    void folderFailed(int number, const QString &description, const QString &) override
    {
        failures.append(QString::number(number) + QStringLiteral(": ") + description);
    }
    void runFailed(int number, const QString &description, const QString &) override
    {
        folderFailed(number, description, QString());
    }
    bool cancelled() override { return stop; }
    void progress(const IndexingProgress &progress) override { last = progress; }
    QStringList failures;
    IndexingProgress last;
    bool stop = false;
};

// The test's own catalogue (opened as the main window opens it), a folder to build trees in, and
// an indexer with a fixed volume query.
class IndexingFixture
{
public:
    IndexingFixture();
    QString tree() const { return m_trees.path(); }
    QString makeFile(const QString &relative, qint64 size = 1); // sparse, folders made too
    bool exec(const QString &sql); // false (and a warning) on an engine error
    // The rows by ID, each as its texts joined by "|" (NULL as "<null>").
    QStringList rows(const QString &columns = QStringLiteral("Path, File, Archive, Serial"));

    QString folder() const { return m_catalogue.path(); } // the catalogue's

    FixedVolumeQuery volume;
    RecordedReport report;
    LoadedCatalogue loaded;
    FolderIndexer indexer{loaded.catalogue, report, volume, systemFolderLister(),
                          systemFileMetadataReader()};

private:
    QTemporaryDir m_catalogue, m_trees;
};
