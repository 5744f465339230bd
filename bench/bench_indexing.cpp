// Indexes a generated tree of 100,000 files into a catalogue of 1,000,000 rows, one committed row
// per file, and compares the time with find reading the same metadata of the same tree.
// Usage: bench_indexing [catalogue rows]; BENCH_FILES sets the tree's size, BENCH_TREE keeps the
// tree in a folder of that name for later runs.
#include "catalogue/catalogue.h"
#include "generator.h"
#include "indexing/colffiles.h"
#include "indexing/folderindexer.h"
#include "indexing/indexingreport.h"
#include "platform/filemetadata.h"
#include "platform/folderlister.h"
#include "platform/mousepointer.h"
#include "platform/volumequery.h"
#include "report.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <sqlite3.h>

#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <malloc.h>
#include <memory>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool g_allOk = true;

void report(const char *operation, const QString &measured, const QString &target, bool ok)
{
    Report::line(QString::fromUtf8(operation), measured, target, ok);
    g_allOk = g_allOk && ok;
}

double cpuSeconds()
{
    struct rusage usage;
    ::getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

qint64 statusKb(const char *field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith(field))
            return line.mid(qstrlen(field)).trimmed().split(' ').value(0).toLongLong();
    return -1;
}

// 100 folders of 10 sub-folders of files, names of realistic length.
void makeTree(const QByteArray &root, int files)
{
    const int perFolder = 100;
    for (int i = 0; i < files; ++i) {
        const QByteArray folder = root + "/Collection " + QByteArray::number(i / (perFolder * 10)) +
                                  "/Album " + QByteArray::number(i / perFolder % 10);
        if (i % perFolder == 0) {
            ::mkdir((root + "/Collection " + QByteArray::number(i / (perFolder * 10))).constData(),
                    0755);
            ::mkdir(folder.constData(), 0755);
        }
        const QByteArray file = folder + "/Track " + QByteArray::number(i % perFolder) +
                                " - some title " + QByteArray::number(i) + ".mp3";
        const int fd = ::open(file.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (fd < 0 || ::ftruncate(fd, 1000 + i) != 0)
            qFatal("cannot make %s", file.constData());
        ::close(fd);
    }
}

double timeFind(const QByteArray &root)
{
    const QByteArray command = "find '" + root + "' -type f -printf '%s %T@ %A@\\n' > /dev/null";
    double best = 1e9;
    for (int i = 0; i < 3; ++i) {
        QElapsedTimer timer;
        timer.start();
        if (std::system(command.constData()) != 0)
            qFatal("find failed");
        best = std::min(best, timer.nsecsElapsed() / 1e9);
    }
    return best;
}

// A folder that fails ends the benchmark: its figures would not be the whole tree's.
struct FailingReport : IndexingReport
{
    void folderFailed(int number, const QString &description) override
    {
        qFatal("indexing failed: %d %s", number, qPrintable(description));
    }
};

qint64 rowCount(Catalogue &catalogue)
{
    sqlite3_stmt *stmt = nullptr;
    sqlite3_prepare_v2(catalogue.cnCatalogue().handle(), "SELECT count(*) FROM Files", -1, &stmt,
                       nullptr);
    sqlite3_step(stmt);
    const qint64 count = sqlite3_column_int64(stmt, 0);
    sqlite3_finalize(stmt);
    return count;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const qint64 catalogueRows = argc > 1 ? std::atoll(argv[1]) : 1000000;
    const int files = qEnvironmentVariableIsSet("BENCH_FILES")
                          ? qEnvironmentVariableIntValue("BENCH_FILES")
                          : 100000;

    QTemporaryDir work(QDir::tempPath() + "/bench_indexing-XXXXXX");
    // BENCH_TREE names a tree kept from an earlier run (made there when missing), so that
    // repeated runs need not make 100,000 files again.
    const QByteArray kept = qgetenv("BENCH_TREE");
    const QByteArray tree = kept.isEmpty() ? QFile::encodeName(work.path() + "/tree") : kept;

    QElapsedTimer timer;
    timer.start();
    Generator::makeCatalogue(work.path() + QStringLiteral("/data.mdb"), catalogueRows);
    if (::mkdir(tree.constData(), 0755) == 0)
        makeTree(tree, files);
    std::fprintf(stderr, "setup: %.1f s\n", timer.nsecsElapsed() / 1e9);

    const double findSeconds = timeFind(tree); // also warms the cache

    RecordedPointer pointer;
    Catalogue catalogue;
    catalogue.open(work.path() + QStringLiteral("/data.mdb"));
    malloc_trim(0);
    const qint64 rssBefore = statusKb("VmRSS:");
    const qint64 peakBefore = statusKb("VmHWM:");

    auto colIndexed = std::make_unique<colFFiles>();
    FailingReport failures;
    FolderIndexer indexer(catalogue, *colIndexed, pointer, failures, systemVolumeQuery(),
                          systemFolderLister(), systemFileMetadataReader());
    const double cpuBefore = cpuSeconds();
    timer.restart();
    indexer.IndexFolder(QString::fromUtf8(tree));
    const double indexSeconds = timer.nsecsElapsed() / 1e9;
    std::fprintf(stderr, "indexing: %.2f s wall, %.2f s processor\n", indexSeconds,
                 cpuSeconds() - cpuBefore);
    const qint64 rssAfter = statusKb("VmRSS:");
    const qint64 peakAfter = statusKb("VmHWM:");
    const int records = colIndexed->Count();
    colIndexed.reset();
    malloc_trim(0);
    const qint64 rssWithout = statusKb("VmRSS:");
    const qint64 rows = rowCount(catalogue);

    const double rate = files / indexSeconds;
    report("index tree (files/s, each row committed)", QString::number(qRound(rate)) + " files/s",
           ">= 50000 files/s", rate >= 50000 && rows == catalogueRows + files);
    report("index time / find time",
           QStringLiteral("%1 s / %2 s = %3x")
               .arg(indexSeconds, 0, 'f', 2)
               .arg(findSeconds, 0, 'f', 3)
               .arg(indexSeconds / findSeconds, 0, 'f', 1),
           "<= 4x", indexSeconds <= 4 * findSeconds);

    // colIndexed keeps a record per row for the window's life; the rest must not grow with the
    // tree.
    report("index: RSS before / after (peak before / after)",
           QStringLiteral("%1 / %2 MB (%3 / %4 MB)")
               .arg(rssBefore / 1024)
               .arg(rssAfter / 1024)
               .arg(peakBefore / 1024)
               .arg(peakAfter / 1024),
           "-", true);
    report("index: colIndexed's records",
           QStringLiteral("%1 bytes per file")
               .arg(records ? (rssAfter - rssWithout) * 1024 / records : 0),
           "-", true);
    const qint64 rest = (rssWithout - rssBefore) * 1024 / files;
    report("index: memory growth besides colIndexed", QStringLiteral("%1 bytes per file").arg(rest),
           "<= 32 bytes per file", rest <= 32);
    // The keyed collection alone, at a million records (the keys made beforehand).
    if (!qEnvironmentVariableIsSet("BENCH_INDEXING_ONLY")) {
        std::vector<QString> keys;
        keys.reserve(1000000);
        for (int i = 0; i < 1000000; ++i)
            keys.push_back(QStringLiteral("DISC7;1A2B-3C4D;/media/cdrom/Music/Album ") +
                           QString::number(i / 20) + QStringLiteral("/Track ") +
                           QString::number(i) + QStringLiteral(".mp3"));
        colFFiles collection;
        timer.restart();
        for (const QString &key : keys)
            collection.Add(key);
        collection.Add(QStringLiteral("disc7;1a2b-3c4d;/MEDIA/cdrom/music/album 0/track 0.mp3"));
        const double seconds = timer.nsecsElapsed() / 1e9;
        report("colFFiles: add 1,000,000 keys", QString::number(seconds, 'f', 2) + " s", "<= 1 s",
               seconds <= 1.0 && collection.Count() == 1000000);
    }
    return g_allOk ? 0 : 1;
}
