// Times the volume query as the indexer uses it: once per folder, the same device again and again.
#include "report.h"

#include "indexing/volumeid.h"
#include "platform/systemvolumequery.h"
#include "platform/volumequery.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    // The first argument is the catalogue size the other benchmarks take; this one queries the
    // folder it runs in.
    const QString folder = QDir::currentPath();
    constexpr int Calls = 100000;

    QElapsedTimer timer;
    timer.start();
    SystemVolumeQuery fresh(false);
    QString label;
    QString serial;
    GetVolumeId(folder, label, serial, fresh);
    Report::line(QStringLiteral("volume query, first for a device"),
                 QStringLiteral("%1 us").arg(timer.nsecsElapsed() / 1000), QStringLiteral("-"),
                 true);

    GetVolumeId(folder, label, serial, systemVolumeQuery());
    timer.restart();
    for (int i = 0; i < Calls; ++i)
        GetVolumeId(folder, label, serial, systemVolumeQuery());
    const qint64 ns = timer.nsecsElapsed();
    // One call per indexed folder: a small part of the folder's listing.
    Report::line(QStringLiteral("GetVolumeId, cached, per call"),
                 QStringLiteral("%1 us").arg(double(ns) / Calls / 1000, 0, 'f', 2),
                 QStringLiteral("<= 5 us"), ns / Calls <= 5000);

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
    Report::line(
        QStringLiteral("GetVolumeId text work alone, per call"),
        QStringLiteral("%1 us").arg(double(timer.nsecsElapsed()) / Calls / 1000, 0, 'f', 2),
        QStringLiteral("-"), true);
    return 0;
}
