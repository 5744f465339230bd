#include "platform/mountmonitor.h"

#include <QFile>

#include <gio/gio.h>

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

void MountMonitor::mountAdded(void *, void *mount, void *self)
{
    GFile *root = g_mount_get_root(static_cast<GMount *>(mount));
    char *path = g_file_get_path(root);
    g_object_unref(root);
    if (!path)
        return; // not a local folder (a network share of another monitor)
    const QString folder = QFile::decodeName(path);
    g_free(path);
    static_cast<MountMonitor *>(self)->m_mounted(folder);
}
