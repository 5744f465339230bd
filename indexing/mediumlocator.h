#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

struct MountedMedium;

// Where the folder of a catalogued row lies now that its medium may be mounted elsewhere.
//
// Among the mounted media, in mount-table order, one whose label and serial, as texts formatted
// as the indexer formats them, equal the row's archive and serial. On it: with a recorded root
// of that medium that path lies under, the part of path below that root, placed under the
// medium's root; otherwise the longest tail of path that is a folder below the medium's root.
// A medium on which that folder is missing gives way to the next matching one.
//
// Returns path as it stands when serial is blank (the row was catalogued from no medium), and a
// null text when no medium matches.
QString LocateFolder(const QString &path, const QString &archive, const QString &serial,
                     const QStringList &recordedRoots, const std::vector<MountedMedium> &media,
                     const std::function<bool(const QString &)> &isFolder);
QString LocateFolder(const QString &path, const QString &archive, const QString &serial,
                     const QStringList &recordedRoots, const std::vector<MountedMedium> &media);

// The folder the medium with these label and serial texts (as the indexer formats them) is
// mounted on now, the first in mount-table order; a null text when it is not mounted.
QString MountedRoot(const QString &archive, const QString &serial,
                    const std::vector<MountedMedium> &media);

// The places below each of roots that match path below root: where the same folder of a medium
// mounted on root was, or will be, when the medium was mounted on another of roots. Empty when
// path does not lie under root.
QStringList SameFolderUnderRoots(const QString &path, const QString &root,
                                 const QStringList &roots);
