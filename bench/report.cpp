#include "report.h"

#include <QFile>
#include <QRegularExpression>

#include <chrono>
#include <cstdio>
#include <sys/resource.h>

namespace Report {

void line(const QString &operation, const QString &measured, const QString &target, bool ok)
{
    std::printf("%s\t%s\t%s\t%s\n", qPrintable(operation), qPrintable(measured), qPrintable(target),
                ok ? "ok" : "MISSED");
    std::fflush(stdout);
}

void seconds(const QString &operation, double measured, double target)
{
    line(operation, QStringLiteral("%1 s").arg(measured, 0, 'f', 3),
         QStringLiteral("<= %1 s").arg(target, 0, 'f', 3), measured <= target);
}

void megabytes(const QString &operation, double measured, double target)
{
    line(operation, QStringLiteral("%1 MB").arg(measured, 0, 'f', 0),
         QStringLiteral("<= %1 MB").arg(target, 0, 'f', 0), measured <= target);
}

double peakMegabytes()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    const QRegularExpression hwm(QStringLiteral("VmHWM:\\s+(\\d+) kB"));
    const QRegularExpressionMatch m = hwm.match(QString::fromLatin1(status.readAll()));
    return m.hasMatch() ? m.captured(1).toDouble() / 1024.0 : -1;
}

void resetPeak()
{
    QFile refs(QStringLiteral("/proc/self/clear_refs"));
    if (refs.open(QIODevice::WriteOnly))
        refs.write("5");
}

double target(qint64 rows, double atMillion, double atTenMillion)
{
    return rows <= 1000000 ? atMillion : atTenMillion;
}

qint64 now()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

double processorSeconds()
{
    struct rusage usage;
    ::getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

double elapsedSince(qint64 startNs)
{
    return double(now() - startNs) / 1e9;
}

} // namespace Report
