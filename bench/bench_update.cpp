// Updates a medium of 100,000 files catalogued among 1,000,000 rows, unchanged and with 1% of
// its files changed, 1% added and 1% removed, and compares the time with find reading the same
// metadata of the same tree. The medium is a real ext4 image mounted on a loop device (as root).
// Usage: bench_update [catalogue rows]; BENCH_FILES sets the tree's size.
#include "benchtree.h"
#include "catalogue/catalogue.h"
#include "generator.h"
#include "indexing/folderindexer.h"
#include "indexing/volumeid.h"
#include "platform/filemetadata.h"
#include "platform/folderlister.h"
#include "platform/volumequery.h"
#include "report.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <functional>
#include <unistd.h>

namespace {

bool run(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.start(program, arguments);
    return process.waitForFinished(-1) && process.exitStatus() == QProcess::NormalExit &&
           process.exitCode() == 0;
}

void ratio(const char *operation, double seconds, double findSeconds, const IndexingProgress &done)
{
    Report::line(QString::fromUtf8(operation),
                 QStringLiteral("%1 s / %2 s = %3x (+%4 ~%5 -%6)")
                     .arg(seconds, 0, 'f', 2)
                     .arg(findSeconds, 0, 'f', 3)
                     .arg(seconds / findSeconds, 0, 'f', 1)
                     .arg(done.catalogued)
                     .arg(done.changed)
                     .arg(done.removed),
                 QStringLiteral("<= 3x find"), seconds <= 3 * findSeconds);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const qint64 catalogueRows = argc > 1 ? std::atoll(argv[1]) : 1000000;
    const int files = BenchTree::fileCount();
    const char *unchanged = "update an unchanged 100,000-file medium / find";
    const char *changed = "update, 1% changed, added, removed / find";

    QTemporaryDir work(QDir::tempPath() + "/bench_update-XXXXXX");
    const QString image = work.filePath(QStringLiteral("medium.img"));
    const QString mountPoint = work.filePath(QStringLiteral("medium"));
    QDir().mkpath(mountPoint);
    if (!run(QStringLiteral("mkfs.ext4"), {"-q", "-F", "-N", QString::number(files + 20000), "-L",
                                           "BENCHDISC", image, "400M"}) ||
        !run(QStringLiteral("mount"), {"-o", "loop", image, mountPoint})) {
        for (const char *operation : {unchanged, changed})
            Report::line(QString::fromUtf8(operation), "(needs a loop mount, as root)",
                         "<= 3x find", true);
        return 0;
    }
    const QByteArray tree = QFile::encodeName(mountPoint);
    QElapsedTimer timer;
    timer.start();
    const QString catalogueFile = work.filePath(QStringLiteral("data.mdb"));
    Generator::makeCatalogue(catalogueFile, catalogueRows);
    BenchTree::make(tree, files);
    std::fprintf(stderr, "setup: %.1f s\n", timer.nsecsElapsed() / 1e9);

    BenchTree::Indexing indexing(catalogueFile);
    Catalogue &catalogue = indexing.catalogue;
    FolderIndexer &indexer = indexing.indexer;
    indexer.IndexFolder(mountPoint);
    QString label, serial;
    if (!GetVolumeId(mountPoint, label, serial, systemVolumeQuery()))
        qFatal("the medium is not identified");

    // The best of three runs, as for find.
    const auto update = [&](const std::function<void(int)> &before) {
        double best = 1e9;
        for (int run = 0; run < 3; ++run) {
            before(run);
            catalogue.fold(); // as after every run
            QElapsedTimer clock;
            clock.start();
            indexer.UpdateMedium(mountPoint, label, serial);
            best = std::min(best, clock.nsecsElapsed() / 1e9);
        }
        return best;
    };
    double findSeconds = BenchTree::timeFind(tree); // also warms the cache
    ratio(unchanged, update([](int) {}), findSeconds, indexing.failures.last);

    // 1% each grown, taken away, and new beside them; then back as they were, and again: each
    // run finds 1% changed, added and removed.
    const auto change = [&](int run) {
        const bool forward = run % 2 == 0;
        for (int i = 0; i < files; i += 100) {
            const QByteArray grown = BenchTree::filePath(tree, i + 1),
                             gone = BenchTree::filePath(tree, i + 2),
                             added = BenchTree::filePath(tree, i) + ".new";
            const int fd = ::open((forward ? added : gone).constData(), O_WRONLY | O_CREAT, 0644);
            if (fd < 0 || ::ftruncate(fd, forward ? 0 : 1000 + i + 2) != 0 ||
                ::truncate(grown.constData(), forward ? 7 : 1000 + i + 1) != 0 ||
                ::unlink((forward ? gone : added).constData()) != 0)
                qFatal("cannot change the tree");
            ::close(fd);
        }
    };
    change(0);
    findSeconds = BenchTree::timeFind(tree);
    change(1);
    ratio(changed, update(change), findSeconds, indexing.failures.last);

    catalogue.close();
    run(QStringLiteral("umount"), {mountPoint});
    return 0;
}
