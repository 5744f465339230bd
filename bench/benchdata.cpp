// Makes the catalogues the benchmarks share for a number of rows, before any of them is timed:
// bench/run calls it first, so that no benchmark's figures include the making.
#include "generator.h"

#include <QCoreApplication>
#include <QDir>

#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const qint64 rows = argc > 1 ? QByteArray(argv[1]).toLongLong() : 1000000;
    Generator::sharedCatalogue(rows);
    const QString foreign =
        QDir::current().absoluteFilePath(QStringLiteral("bench-data/foreign-%1").arg(rows));
    QDir().mkpath(foreign);
    Generator::makeForeignCatalogue(foreign + QStringLiteral("/data.mdb"), rows);
    return 0;
}
