// Times the volume query as the indexer uses it: once per file, the same folder again and again.
#include "indexing/volumeid.h"
#include "platform/systemvolumequery.h"
#include "platform/volumequery.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTextStream>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QDir::currentPath();
    constexpr int Calls = 100000;
    QTextStream out(stdout);

    QElapsedTimer timer;
    timer.start();
    SystemVolumeQuery fresh(false);
    QString label;
    QString serial;
    GetVolumeId(folder, label, serial, fresh);
    out << "folder " << folder << ": label \"" << label << "\" serial \"" << serial << "\"\n";
    out << "first (uncached) query: " << timer.nsecsElapsed() / 1000 << " us\n";

    GetVolumeId(folder, label, serial);
    timer.restart();
    for (int i = 0; i < Calls; ++i)
        GetVolumeId(folder, label, serial);
    const qint64 ns = timer.nsecsElapsed();
    out << Calls << " cached GetVolumeId calls: " << ns / 1000000 << " ms, " << ns / Calls
        << " ns per call\n";

    // The text work alone, with a query that answers at once.
    struct Instant : VolumeQuery
    {
        bool GetVolumeInformation(const QString &, QString &l, quint32 &s) override
        {
            l = QStringLiteral("DATA1");
            s = 0xA4B2C3D4;
            return true;
        }
    } instant;
    timer.restart();
    for (int i = 0; i < Calls; ++i)
        GetVolumeId(folder, label, serial, instant);
    out << Calls << " GetVolumeId calls on an instant query: " << timer.nsecsElapsed() / Calls
        << " ns per call\n";
    return 0;
}
