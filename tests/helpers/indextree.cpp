// Indexes one tree into one catalogue and ends: the program the process tests kill or run twice.
// Usage: indextree CATALOGUE TREE [update]. With update, the rows of the tree's medium are
// brought to what the tree holds, the tree standing for the folder the medium is mounted on.
// Exit code 0 when the run ended without a failure.
#include "catalogue/catalogue.h"
#include "indexing/colffiles.h"
#include "indexing/folderindexer.h"
#include "indexing/volumeid.h"
#include "platform/filemetadata.h"
#include "platform/folderlister.h"
#include "platform/mousepointer.h"
#include "platform/platformerror.h"
#include "platform/volumequery.h"

#include <QCoreApplication>

#include <cstdio>

namespace {

struct NoPointer : MousePointer
{
    void setMousePointer(int) override {}
    int mousePointer() const override { return vbDefault; }
};

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
    const bool update = argc == 4 && qstrcmp(argv[3], "update") == 0;
    if (argc != 3 && !update)
        return 2;
    try {
        Catalogue catalogue;
        catalogue.open(QString::fromLocal8Bit(argv[1]));
        colFFiles records;
        NoPointer pointer;
        Failures failures;
        FolderIndexer indexer(catalogue, records, pointer, failures, systemVolumeQuery(),
                              systemFolderLister(), systemFileMetadataReader());
        const QString tree = QString::fromLocal8Bit(argv[2]);
        QString label, serial;
        if (!update)
            indexer.IndexFolder(tree);
        else if (GetVolumeId(tree, label, serial, systemVolumeQuery()))
            indexer.UpdateMedium(tree, label, serial);
        else
            return 1;
        return failures.count == 0 ? 0 : 1;
    } catch (const PlatformError &e) {
        std::fprintf(stderr, "%d %s\n", e.number(), qPrintable(e.description()));
        return 1;
    }
}
