// Indexes one tree into one catalogue and ends: the program the process tests kill or run twice.
// Usage: indextree CATALOGUE TREE. Exit code 0 when the run ended without a failure.
#include "catalogue/catalogue.h"
#include "indexing/colffiles.h"
#include "indexing/folderindexer.h"
#include "platform/filemetadata.h"
#include "platform/folderlister.h"
#include "platform/platformerror.h"
#include "platform/volumequery.h"

#include <QCoreApplication>

#include <cstdio>

namespace {

struct Failures : IndexingReport
{
    void folderFailed(int number, const QString &description) override
    {
        std::fprintf(stderr, "%d %s\n", number, qPrintable(description));
        ++count;
    }
    void runFailed(int number, const QString &description) override
    {
        folderFailed(number, description);
    }
    int count = 0;
};

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 3)
        return 2;
    try {
        Catalogue catalogue;
        catalogue.open(QString::fromLocal8Bit(argv[1]));
        colFFiles records;
        Failures failures;
        FolderIndexer(catalogue, records, failures, systemVolumeQuery(), systemFolderLister(),
                      systemFileMetadataReader())
            .IndexFolder(QString::fromLocal8Bit(argv[2]));
        return failures.count == 0 ? 0 : 1;
    } catch (const PlatformError &e) {
        std::fprintf(stderr, "%d %s\n", e.number(), qPrintable(e.description()));
        return 1;
    }
}
