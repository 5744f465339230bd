#include "platform/systemmountedmedia.h"

#include "platform/mounttable.h"
#include "platform/systemvolumequery.h"

#include <QFile>

#include <sys/sysmacros.h>

MountedMedia &systemMountedMedia()
{
    static SystemMountedMedia media(SystemVolumeQuery::shared());
    return media;
}

SystemMountedMedia::SystemMountedMedia(SystemVolumeQuery &query) : m_query(query) {}

std::vector<MountedMedium> SystemMountedMedia::list()
{
    std::vector<MountedMedium> media;
    for (const MountEntry &entry : MountTable::read()) {
        // Anonymous devices (major 0) are never a medium, and are not asked: a network mount
        // can keep a question waiting.
        if (major(entry.device) == 0 || entry.root != "/")
            continue;
        MountedMedium medium;
        if (!m_query.volumeOfDevice(entry.device, medium.label, medium.serial))
            continue;
        medium.root = QFile::decodeName(entry.mountPoint);
        media.push_back(std::move(medium));
    }
    return media;
}
