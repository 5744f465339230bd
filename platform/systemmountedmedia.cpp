#include "platform/systemmountedmedia.h"

#include "platform/mounttable.h"
#include "platform/systemvolumequery.h"

#include <QFile>
#include <QSet>

#include <gio/gunixmounts.h>

#include <sys/sysmacros.h>

MountedMedia &systemMountedMedia()
{
    static SystemMountedMedia media(SystemVolumeQuery::shared());
    return media;
}

SystemMountedMedia::SystemMountedMedia(SystemVolumeQuery &query) : m_query(query) {}

namespace {

// The mount points GIO's own rule shows to the user, as file managers list them.
QSet<QByteArray> userVisibleMountPoints()
{
    QSet<QByteArray> points;
    GList *mounts = g_unix_mounts_get(nullptr);
    for (GList *m = mounts; m; m = m->next) {
        auto *entry = static_cast<GUnixMountEntry *>(m->data);
        if (g_unix_mount_guess_should_display(entry))
            points.insert(QByteArray(g_unix_mount_get_mount_path(entry)));
        g_unix_mount_free(entry);
    }
    g_list_free(mounts);
    return points;
}

} // namespace

std::vector<MountedMedium> SystemMountedMedia::list()
{
    std::vector<MountedMedium> media;
    const QSet<QByteArray> visible = userVisibleMountPoints();
    for (const MountEntry &entry : MountTable::read()) {
        // Anonymous devices (major 0) are never a medium, and are not asked: a network mount
        // can keep a question waiting.
        if (major(entry.device) == 0 || entry.root != "/")
            continue;
        MountedMedium medium;
        if (!m_query.volumeOfDevice(entry.device, medium.label, medium.serial))
            continue;
        medium.root = QFile::decodeName(entry.mountPoint);
        medium.userVisible = visible.contains(entry.mountPoint);
        media.push_back(std::move(medium));
    }
    return media;
}
