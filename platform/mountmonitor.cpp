#include "platform/mountmonitor.h"

#include <QFile>

#include <gio/gio.h>
#include <gio/gunixmounts.h>

MountMonitor::MountMonitor(std::function<void(const QString &)> mounted)
    : m_mounted(std::move(mounted)), m_monitor(g_volume_monitor_get())
{
    m_handler =
        g_signal_connect(m_monitor, "mount-added", G_CALLBACK(&MountMonitor::mountAdded), this);
}

MountMonitor::~MountMonitor()
{
    g_signal_handler_disconnect(m_monitor, m_handler);
    g_object_unref(m_monitor);
}

bool MountMonitor::isUserVisible(const QString &root)
{
    GUnixMountEntry *entry = g_unix_mount_at(QFile::encodeName(root).constData(), nullptr);
    if (!entry)
        return false;
    const bool visible =
        !g_unix_mount_is_system_internal(entry) && g_unix_mount_guess_should_display(entry);
    g_unix_mount_free(entry);
    return visible;
}

void MountMonitor::mountAdded(void *, void *mount, void *self)
{
    GFile *root = g_mount_get_root(static_cast<GMount *>(mount));
    char *path = g_file_get_path(root);
    g_object_unref(root);
    if (!path)
        return; // not a local folder (a network share of another monitor)
    const QString folder = QFile::decodeName(path);
    g_free(path);
    if (isUserVisible(folder))
        static_cast<MountMonitor *>(self)->m_mounted(folder);
}
