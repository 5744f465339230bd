#include "platform/mountmonitor.h"

#include <QFile>

#include <gio/gio.h>
#include <gio/gunixmounts.h>

MountMonitor::MountMonitor(std::function<void(const QString &)> mounted,
                           std::function<void()> changed)
    : m_mounted(std::move(mounted)), m_changed(std::move(changed))
{
    if (m_mounted) {
        m_monitor = g_volume_monitor_get();
        m_handler =
            g_signal_connect(m_monitor, "mount-added", G_CALLBACK(&MountMonitor::mountAdded), this);
    }
    if (m_changed) {
        // Every mount and unmount, shown by a file manager or not.
        m_table = g_unix_mount_monitor_get();
        m_tableHandler = g_signal_connect(m_table, "mounts-changed",
                                          G_CALLBACK(&MountMonitor::mountsChanged), this);
    }
}

MountMonitor::~MountMonitor()
{
    if (m_monitor) {
        g_signal_handler_disconnect(m_monitor, m_handler);
        g_object_unref(m_monitor);
    }
    if (m_table) {
        g_signal_handler_disconnect(m_table, m_tableHandler);
        g_object_unref(m_table);
    }
}

void MountMonitor::mountsChanged(void *, void *self)
{
    static_cast<MountMonitor *>(self)->m_changed();
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
