#pragma once

#include <QString>

// Makes catalogues for the benchmarks whose texts vary as on real discs: music, photos, software,
// documents and backups, about 500 files per medium in small folders, names and folders mostly
// different (at 10,000,000 rows over 3,000,000 names and 2,000,000 folders), dates over 30 years
// and sizes from empty files to 4 GB.
namespace Generator {

// Makes (or reuses, when it already holds that many rows) a catalogue file of n rows, as the
// program leaves it: a copy of the shared one (made first when missing).
void makeCatalogue(const QString &file, qint64 rows);

// The folder bench-data/catalogue-N below the current folder, holding the catalogue data.mdb of
// n rows that the benchmarks share (made there the first time).
QString sharedCatalogue(qint64 rows);

// A fresh copy of the catalogue in folder plain, in bench-data/NAME below the current folder
// (the shared one stays whole for the other benchmarks); returns that folder.
QString workingCopy(const QString &plain, const QString &name);

// The same rows in a file holding the table Files alone, as another program writes it.
void makeForeignCatalogue(const QString &file, qint64 rows);

} // namespace Generator
