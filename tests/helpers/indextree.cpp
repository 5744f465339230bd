// Indexes one tree into one catalogue and ends: the program the process tests kill, run twice, or
// end with a signal. Usage: indextree CATALOGUE TREE [update] [--stay] [--slow]. With update, the
// rows of the tree's medium are brought to what the tree holds, the tree standing for the folder
// the medium is mounted on. With --stay it stays, idle, once the run is over ("idle" on standard
// output) until a signal ends it. With --slow each file takes a millisecond. SIGTERM, SIGINT and
// SIGHUP end it as they end the program: a run stops as on Cancel, the catalogue is closed as by
// Exit. At the end it prints "written N", the rows the run wrote. Exit code 0 when the run ended
// without a failure.
#include "catalogue/catalogue.h"
#include "indexing/folderindexer.h"
#include "indexing/volumeid.h"
#include "platform/endsignals.h"
#include "platform/filemetadata.h"
#include "platform/folderlister.h"
#include "platform/platformerror.h"
#include "platform/volumequery.h"
#include "support/indexingfixture.h"

#include <QCoreApplication>

#include <cstdio>

namespace {

struct Failures : IndexingReport
{
    void folderFailed(int number, const QString &description, const QString &) override
    {
        std::fprintf(stderr, "%d %s\n", number, qPrintable(description));
        ++count;
    }
    void runFailed(int number, const QString &description, const QString &) override
    {
        folderFailed(number, description, QString());
    }
    // As the window does: the event loop runs while the indexer works, so a signal is seen.
    void progress(const IndexingProgress &progress) override
    {
        written = progress.catalogued;
        QCoreApplication::processEvents();
    }
    bool cancelled() override { return stop; }
    int count = 0;
    qint64 written = 0;
    bool stop = false;
};

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList options = QCoreApplication::arguments().mid(3);
    const bool update = options.contains(QLatin1String("update"));
    const bool stay = options.contains(QLatin1String("--stay"));
    const bool slow = options.contains(QLatin1String("--slow"));
    if (argc < 3 || options.size() != int(update) + int(stay) + int(slow))
        return 2;
    try {
        Catalogue catalogue;
        catalogue.open(QString::fromLocal8Bit(argv[1]));
        Failures failures;
        bool ended = false;
        EndSignals endSignals;
        QObject::connect(&endSignals, &EndSignals::received, [&](int) {
            ended = failures.stop = true;
            QCoreApplication::quit();
        });
        SlowMetadata slowMetadata;
        FolderIndexer indexer(catalogue, failures, systemVolumeQuery(), systemFolderLister(),
                              slow ? slowMetadata : systemFileMetadataReader());
        const QString tree = QString::fromLocal8Bit(argv[2]);
        QString label, serial;
        if (!update)
            indexer.IndexFolder(tree);
        else if (GetVolumeId(tree, label, serial, systemVolumeQuery()))
            indexer.UpdateMedium(tree, label, serial);
        else
            return 1;
        if (stay && !ended) {
            std::printf("idle\n");
            std::fflush(stdout);
            app.exec();
        }
        catalogue.close();
        std::printf("written %lld\n", qint64(failures.written));
        return failures.count == 0 ? 0 : 1;
    } catch (const PlatformError &e) {
        std::fprintf(stderr, "%d %s\n", e.number(), qPrintable(e.description()));
        return 1;
    }
}
