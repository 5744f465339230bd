#pragma once

#include <QDateTime>
#include <QString>

// One line of the Discs window: a medium of the catalogue, or a medium mounted now that the
// catalogue holds no rows of.
struct Disc
{
    QString label;
    QString serial;
    qint64 files = -1; // -1: nothing of it is catalogued
    qint64 bytes = 0;
    qint64 members = 0;   // of the archives among its files
    QDateTime catalogued; // invalid when not known
    QString mountedAt;    // empty when it is not mounted now
    QString note;         // what the user keeps on it; empty when none

    bool isCatalogued() const { return files >= 0; }
    bool isMounted() const { return !mountedAt.isEmpty(); }
};
