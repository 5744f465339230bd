#pragma once

#include <QString>

// Makes a catalogue of realistic rows for the benchmarks: discs of music, photos, software and
// documents, each row with its folder, name, size text, three dates, label and serial.
namespace Generator {

// Makes (or reuses, when it already holds that many rows) a catalogue file of n rows.
void makeCatalogue(const QString &file, qint64 rows);

} // namespace Generator
