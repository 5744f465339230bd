#include "indexing/mediumlocator.h"

#include "indexing/volumeid.h"
#include "platform/joinpath.h"
#include "platform/mountedmedia.h"

#include <QFileInfo>

namespace {

// The longest recorded root that path lies under, as the part of path below it.
QString belowRecordedRoot(const QString &path, const QStringList &roots)
{
    QString best;
    int bestLength = -1;
    for (const QString &root : roots) {
        const QString relative = PathBelow(path, root);
        if (!relative.isNull() && root.size() > bestLength) {
            best = relative;
            bestLength = int(root.size());
        }
    }
    return best;
}

bool isMedium(const MountedMedium &medium, const QString &archive, const QString &serial)
{
    QString label, text;
    FormatVolumeId(medium.label, medium.serial, label, text);
    return label == archive && text == serial;
}

} // namespace

QString LocateFolder(const QString &path, const QString &archive, const QString &serial,
                     const QStringList &recordedRoots, const std::vector<MountedMedium> &media,
                     const std::function<bool(const QString &)> &isFolder)
{
    if (serial.trimmed().isEmpty())
        return path;
    const QString recorded = belowRecordedRoot(path, recordedRoots);
    const QStringList parts = path.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    QString missing; // the place on the first matching medium, when no medium has the folder
    for (const MountedMedium &medium : media) {
        if (!isMedium(medium, archive, serial))
            continue;
        if (!recorded.isNull()) {
            const QString folder = PathUnder(medium.root, recorded);
            if (isFolder(folder))
                return folder;
            if (missing.isNull())
                missing = folder;
            continue;
        }
        // Rows catalogued before roots were recorded: the old mount point is unknown, so the
        // longest tail that exists wins over a shorter one that happens to exist too.
        for (int first = 0; first <= parts.size(); ++first) {
            const QString folder = PathUnder(medium.root, parts.mid(first).join(QLatin1Char('/')));
            if (isFolder(folder))
                return folder;
        }
        if (missing.isNull())
            missing = medium.root;
    }
    return missing;
}

QString LocateFolder(const QString &path, const QString &archive, const QString &serial,
                     const QStringList &recordedRoots, const std::vector<MountedMedium> &media)
{
    return LocateFolder(path, archive, serial, recordedRoots, media,
                        [](const QString &folder) { return QFileInfo(folder).isDir(); });
}

QString MountedRoot(const QString &archive, const QString &serial,
                    const std::vector<MountedMedium> &media)
{
    for (const MountedMedium &medium : media)
        if (isMedium(medium, archive, serial))
            return medium.root;
    return QString();
}

QStringList SameFolderUnderRoots(const QString &path, const QString &root, const QStringList &roots)
{
    QStringList folders;
    const QString relative = PathBelow(path, root);
    if (relative.isNull())
        return folders;
    for (const QString &other : roots)
        if (other != root)
            folders.append(PathUnder(other, relative));
    return folders;
}
