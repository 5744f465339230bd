#pragma once

#include "indexing/indexingreport.h"
#include "indexing/memberreader.h"

#include <QList>
#include <QObject>
#include <QString>

#include <atomic>
#include <memory>

class FileMetadataReader;
class FolderLister;
class HeldRows;
class QThread;
class VolumeQuery;

// One long run of the folder indexer (a tree indexed, or a medium brought up to date) on a
// thread of its own, with a catalogue connection of its own: the thread that starts it never
// waits on the disc. Shaped like a job: start, kill (Cancel: the run stops at the next file and
// keeps what it wrote), progress while it lasts, and finished() once, after which result() holds
// everything the run has to say. The signals are emitted on the run's thread; receivers on
// another thread get them queued.
class IndexRun : public QObject
{
    Q_OBJECT
public:
    struct Failure
    {
        int number = 0;
        QString description;
        QString folder;
    };
    struct Result
    {
        IndexingProgress counts;
        QList<Failure> folderFailures; // the folders that failed; the run went on
        bool failed = false;           // a failure of the catalogue or the medium ended it
        Failure runFailure;
        // The run did nothing but add the rows written() handed over, and no other program
        // wrote to the catalogue from opened() on.
        bool onlyAdded = false;
    };

    // The run opens catalogueFile itself.
    IndexRun(const QString &catalogueFile, VolumeQuery &volumes, FolderLister &lister,
             FileMetadataReader &metadata, QObject *parent = nullptr);
    // Stops a run still going and waits for its thread.
    ~IndexRun() override;

    // The catalogue file the next run opens.
    void setCatalogueFile(const QString &file) { m_catalogueFile = file; }
    // Indexes the tree below path (the Index Directory run).
    void startIndex(const QString &path);
    // Brings the rows of the medium with this label and serial to what is on it, mounted on root.
    void startUpdate(const QString &root, const QString &label, const QString &serial);
    void kill() { m_stop = true; }
    bool isRunning() const { return m_thread != nullptr; }
    // What the next run reads of archives; set before it starts, used only by the run's thread.
    MemberReader &memberReader() { return m_archives; }
    // Valid from finished() on.
    const Result &result() const { return m_result; }

Q_SIGNALS:
    // The run's connection is open; it has written nothing yet.
    void opened();
    // The rows a group of an index run added, as the list holds them, in the order written;
    // emitted on this object's thread.
    void written(std::shared_ptr<HeldRows> rows);
    // Several times a second while the run lasts.
    void progress(const IndexingProgress &progress);
    void finished();

private:
    class Report;
    template <typename Walk> void start(Walk walk);

    QString m_catalogueFile;
    VolumeQuery &m_volumes;
    FolderLister &m_lister;
    FileMetadataReader &m_metadata;
    MemberReader m_archives;
    QThread *m_thread = nullptr;
    std::atomic<bool> m_stop{false};
    Result m_result; // written by the run's thread until it ends, then read here
};

Q_DECLARE_METATYPE(IndexingProgress)
