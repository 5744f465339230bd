#pragma once

#include <QString>

// One line per measured figure, for bench/run to put into its table:
// operation <TAB> measured <TAB> target <TAB> ok|MISSED
namespace Report {

void seconds(const QString &operation, double measured, double target);
void megabytes(const QString &operation, double measured, double target);
void line(const QString &operation, const QString &measured, const QString &target, bool ok);
double peakMegabytes(); // VmHWM of this process
void resetPeak();       // from here on
// The target for a catalogue of rows: the million-row one up to a million, else the ten-million.
double target(qint64 rows, double atMillion, double atTenMillion);
double elapsedSince(qint64 startNs);
// The processor time of this process's threads so far: on a busy machine, what a figure cost
// beside how long it took.
double processorSeconds();
qint64 now();

} // namespace Report
