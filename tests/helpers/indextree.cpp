// Indexes one tree into one catalogue and ends: the program the process tests kill or run twice.
// Usage: indextree CATALOGUE TREE. Exit code 0 when the run ended without a failure.
#include "catalogue/duplicatelookup.h"
#include "indexing/colffiles.h"
#include "indexing/folderindexer.h"
#include "platform/connection.h"
#include "platform/mousepointer.h"
#include "platform/platformerror.h"

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
    void folderFailed(const PlatformError &e) override { print(e), ++count; }
    void runFailed(const PlatformError &e) override { print(e), ++count; }
    static void print(const PlatformError &e)
    {
        std::fprintf(stderr, "%d %s\n", e.number(), qPrintable(e.description()));
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
        Connection cn;
        cn.setProvider(QStringLiteral("Microsoft.Jet.OLEDB.4.0"));
        cn.Open(QString::fromLocal8Bit(argv[1]));
        DuplicateLookup::prepareCatalogue(cn);
        colFFiles records;
        NoPointer pointer;
        Failures failures;
        FolderIndexer(cn, records, pointer, failures).IndexFolder(QString::fromLocal8Bit(argv[2]));
        return failures.count == 0 ? 0 : 1;
    } catch (const PlatformError &e) {
        Failures::print(e);
        return 1;
    }
}
