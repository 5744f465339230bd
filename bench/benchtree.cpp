#include "benchtree.h"

#include "platform/filemetadata.h"
#include "platform/folderlister.h"
#include "platform/volumequery.h"

#include <QElapsedTimer>
#include <QString>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace BenchTree {

namespace {
constexpr int PerFolder = 100;
} // namespace

int fileCount()
{
    return qEnvironmentVariableIsSet("BENCH_FILES") ? qEnvironmentVariableIntValue("BENCH_FILES")
                                                    : 100000;
}

QByteArray filePath(const QByteArray &root, int i)
{
    return root + "/Collection " + QByteArray::number(i / (PerFolder * 10)) + "/Album " +
           QByteArray::number(i / PerFolder % 10) + "/Track " + QByteArray::number(i % PerFolder) +
           " - some title " + QByteArray::number(i) + ".mp3";
}

void make(const QByteArray &root, int files)
{
    for (int i = 0; i < files; ++i) {
        if (i % PerFolder == 0) {
            const QByteArray collection =
                root + "/Collection " + QByteArray::number(i / (PerFolder * 10));
            ::mkdir(collection.constData(), 0755);
            ::mkdir((collection + "/Album " + QByteArray::number(i / PerFolder % 10)).constData(),
                    0755);
        }
        const QByteArray file = filePath(root, i);
        const int fd = ::open(file.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (fd < 0 || ::ftruncate(fd, 1000 + i) != 0)
            qFatal("cannot make %s", file.constData());
        ::close(fd);
    }
}

double timeFind(const QByteArray &root)
{
    const QByteArray command = "find '" + root + "' -type f -printf '%s %T@ %A@\\n' > /dev/null";
    const auto processor = [] {
        struct rusage usage;
        ::getrusage(RUSAGE_CHILDREN, &usage);
        return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
               double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    };
    double best = 1e9, bestProcessor = 1e9;
    for (int i = 0; i < 3; ++i) {
        QElapsedTimer timer;
        const double before = processor();
        timer.start();
        if (std::system(command.constData()) != 0)
            qFatal("find failed");
        best = std::min(best, timer.nsecsElapsed() / 1e9);
        bestProcessor = std::min(bestProcessor, processor() - before);
    }
    std::fprintf(stderr, "find: %.3f s (%.3f s of processor time)\n", best, bestProcessor);
    return best;
}

void FailingReport::folderFailed(int number, const QString &description, const QString &)
{
    qFatal("indexing failed: %d %s", number, qPrintable(description));
}

void FailingReport::runFailed(int number, const QString &description, const QString &)
{
    folderFailed(number, description, QString());
}

Indexing::Indexing(const QString &catalogueFile)
    : indexer(catalogue, failures, systemVolumeQuery(), systemFolderLister(),
              systemFileMetadataReader())
{
    catalogue.open(catalogueFile);
}

} // namespace BenchTree
