// Indexes a generated tree of 100,000 files into a catalogue of 1,000,000 rows, rows committed in
// groups, and compares the time with find reading the same metadata of the same tree; and, on
// request, a tree of 1,000,000 files in one run, for its peak memory.
// Usage: bench_indexing [catalogue rows]; BENCH_FILES sets the tree's size, BENCH_TREE keeps the
// tree in a folder of that name for later runs, BENCH_MILLION_TREE the tree of 1,000,000 files.
#include "benchtree.h"
#include "catalogue/catalogue.h"
#include "generator.h"
#include "indexing/folderindexer.h"
#include "indexing/indexingreport.h"
#include "platform/filemetadata.h"
#include "platform/folderlister.h"
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
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool g_allOk = true;

void report(const char *operation, const QString &measured, const QString &target, bool ok)
{
    Report::line(QString::fromUtf8(operation), measured, target, ok);
    g_allOk = g_allOk && ok;
}

// Starts the peak (VmHWM) afresh from what is in use now.
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
    const int files = BenchTree::fileCount();

    QTemporaryDir work(QDir::tempPath() + "/bench_indexing-XXXXXX");
    // BENCH_TREE names a tree kept from an earlier run (made there when missing), so that
    // repeated runs need not make 100,000 files again.
    const QByteArray kept = qgetenv("BENCH_TREE");
    const QByteArray tree = kept.isEmpty() ? QFile::encodeName(work.path() + "/tree") : kept;

    QElapsedTimer timer;
    timer.start();
    // With a kept tree the catalogue is kept beside it too and copied for each run.
    const QString catalogueFile = work.path() + QStringLiteral("/data.mdb");
    if (kept.isEmpty()) {
        Generator::makeCatalogue(catalogueFile, catalogueRows);
    } else {
        const QString keptCatalogue = QFile::decodeName(kept) + QStringLiteral(".mdb");
        Generator::makeCatalogue(keptCatalogue, catalogueRows);
        if (!QFile::copy(keptCatalogue, catalogueFile))
            qFatal("cannot copy the kept catalogue");
    }
    if (::mkdir(tree.constData(), 0755) == 0)
        BenchTree::make(tree, files);
    std::fprintf(stderr, "setup: %.1f s\n", timer.nsecsElapsed() / 1e9);

    const double findSeconds = BenchTree::timeFind(tree); // also warms the cache

    BenchTree::Indexing indexing(catalogueFile);
    Catalogue &catalogue = indexing.catalogue;
    FolderIndexer &indexer = indexing.indexer;

    // One run over a tree: its time, and the peak memory it took beyond what was in use before.
    struct Run
    {
        double seconds;
        qint64 peakKb;
        qint64 growthKb; // peak during the run less what was in use before it
        qint64 leftKb;   // in use after the run less before
    };
    const auto index = [&](const QByteArray &root) {
        malloc_trim(0);
        Report::resetPeak();
        const qint64 before = statusKb("VmRSS:");
        const double cpuBefore = Report::processorSeconds();
        QElapsedTimer clock;
        clock.start();
        indexer.IndexFolder(QString::fromUtf8(root));
        Run run{clock.nsecsElapsed() / 1e9, statusKb("VmHWM:"), 0, 0};
        std::fprintf(stderr, "indexing %s: %.2f s wall, %.2f s processor\n", root.constData(),
                     run.seconds, Report::processorSeconds() - cpuBefore);
        run.growthKb = run.peakKb - before;
        malloc_trim(0);
        run.leftKb = statusKb("VmRSS:") - before;
        return run;
    };

    const Run run = index(tree);
    const qint64 rows = rowCount(catalogue);
    const double rate = files / run.seconds;
    report("index 100,000 files, rows committed in groups",
           QString::number(qRound(rate)) + " files/s", ">= 120000 files/s",
           rate >= 120000 && rows == catalogueRows + files);
    report("index time / find time",
           QStringLiteral("%1 s / %2 s = %3x")
               .arg(run.seconds, 0, 'f', 2)
               .arg(findSeconds, 0, 'f', 3)
               .arg(run.seconds / findSeconds, 0, 'f', 1),
           "<= 2.5x", run.seconds <= 2.5 * findSeconds);
    report("index: peak memory, 100,000 files (growth in the run)",
           QStringLiteral("%1 MB (+%2 MB)").arg(run.peakKb / 1024).arg(run.growthKb / 1024), "-",
           true);
    const qint64 left = run.leftKb * 1024 / files;
    report("index: memory kept after the run", QStringLiteral("%1 bytes per file").arg(left),
           "<= 32 bytes per file", left <= 32);

    // A million files in one run (BENCH_MILLION_TREE names where that tree is kept; making it
    // takes minutes, so only on request): memory must not grow with the number of files.
    const QByteArray million = qgetenv("BENCH_MILLION_TREE");
    if (million.isEmpty()) {
        report("index: peak memory, 1,000,000 files in one run", "(set BENCH_MILLION_TREE)",
               "growth <= 100,000's + 16 MB", true);
    } else {
        if (::mkdir(million.constData(), 0755) == 0)
            BenchTree::make(million, 1000000);
        BenchTree::timeFind(million); // warms the cache
        const Run big = index(million);
        report("index: 1,000,000 files in one run",
               QString::number(qRound(1000000 / big.seconds)) + " files/s", ">= 100000 files/s",
               big.seconds <= 10);
        report("index: peak memory, 1,000,000 files in one run (growth in the run)",
               QStringLiteral("%1 MB (+%2 MB)").arg(big.peakKb / 1024).arg(big.growthKb / 1024),
               "growth <= 100,000's + 16 MB", big.growthKb <= run.growthKb + 16 * 1024);
    }
    return g_allOk ? 0 : 1;
}
