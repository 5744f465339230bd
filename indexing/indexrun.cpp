#include "indexing/indexrun.h"

#include "catalogue/catalogue.h"
#include "indexing/folderindexer.h"
#include "platform/platformerror.h"
#include "platform/threadheaps.h"

#include <QMetaObject>
#include <QThread>

#include <new>

// The indexer's report on the run's thread: failures kept for the result, progress passed on.
class IndexRun::Report : public IndexingReport
{
public:
    explicit Report(IndexRun &run) : m_run(run) {}

    void folderFailed(int number, const QString &description, const QString &folder) override
    {
        m_run.m_result.folderFailures.append({number, description, folder});
    }
    void runFailed(int number, const QString &description, const QString &folder) override
    {
        m_run.m_result.failed = true;
        m_run.m_result.onlyAdded = false; // also where the fold at the end failed
        m_run.m_result.runFailure = {number, description, folder};
    }
    void progress(const IndexingProgress &progress) override
    {
        m_run.m_result.counts = progress;
        Q_EMIT m_run.progress(progress);
    }
    bool cancelled() override { return m_run.m_stop.load(std::memory_order_relaxed); }
    bool keepsWritten() const override { return true; }
    void written(std::shared_ptr<HeldRows> rows) override
    {
        onlyAdded = onlyAdded && rows;
        if (onlyAdded)
            QMetaObject::invokeMethod(
                &m_run, [run = &m_run, rows] { Q_EMIT run->written(rows); }, Qt::QueuedConnection);
    }

    bool onlyAdded = true; // so far

private:
    IndexRun &m_run;
};

IndexRun::IndexRun(const QString &catalogueFile, VolumeQuery &volumes, FolderLister &lister,
                   FileMetadataReader &metadata, QObject *parent)
    : QObject(parent), m_catalogueFile(catalogueFile), m_volumes(volumes), m_lister(lister),
      m_metadata(metadata), m_archives(systemArchiveReader(), true, ArchiveLimits())
{
    qRegisterMetaType<IndexingProgress>();
}

IndexRun::~IndexRun()
{
    if (m_thread) {
        m_stop = true;
        m_thread->wait();
        delete m_thread;
    }
}

void IndexRun::startIndex(const QString &path)
{
    start([path](FolderIndexer &indexer) { indexer.IndexFolder(path); });
}

void IndexRun::startUpdate(const QString &root, const QString &label, const QString &serial)
{
    start([=](FolderIndexer &indexer) { indexer.UpdateMedium(root, label, serial); });
}

template <typename Walk> void IndexRun::start(Walk walk)
{
    if (m_thread)
        return;
    m_stop = false;
    m_result = Result();
    keepThreadHeapsTrimmed(); // memory kept after a run stays as small as without the thread
    m_thread = QThread::create([this, walk] {
        Report report(*this);
        try {
            Catalogue catalogue;
            catalogue.open(m_catalogueFile);
            // Changes another program commits show in this connection's stamp; its own do not.
            const qint64 before = catalogue.changeStamp().first;
            Q_EMIT opened();
            {
                FolderIndexer indexer(catalogue, report, m_volumes, m_lister, m_metadata);
                indexer.setMemberReader(&m_archives);
                walk(indexer);
            }
            m_result.onlyAdded = report.onlyAdded && !m_result.failed && before >= 0 &&
                                 catalogue.changeStamp().first == before;
            // The rows written are folded into data.mdb here, off the window's thread.
            catalogue.close();
        } catch (const PlatformError &e) {
            report.runFailed(e.number(), e.description(), QString());
        } catch (const std::bad_alloc &) {
            report.runFailed(7, QStringLiteral("Out of memory"), QString());
        }
    });
    m_thread->setObjectName(QStringLiteral("IndexRun"));
    // Emitted on the run's thread as it ends; handled here, on this object's thread.
    connect(m_thread, &QThread::finished, this, [this] {
        m_thread->wait();
        delete m_thread;
        m_thread = nullptr;
        Q_EMIT finished();
    });
    m_thread->start();
}
