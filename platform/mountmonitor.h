#pragma once

#include <QString>

#include <functional>

// Tells of every medium mounted while the program runs that a file manager would show (GIO's
// own rule: under /media, /run/media/USER or the home folder; never the system's own
// filesystems), by the folder it is mounted on. GIO's volume monitor reports through the GLib
// main loop, which Qt's event dispatcher runs: nothing is polled here.
class MountMonitor
{
public:
    explicit MountMonitor(std::function<void(const QString &root)> mounted);
    ~MountMonitor();
    MountMonitor(const MountMonitor &) = delete;
    MountMonitor &operator=(const MountMonitor &) = delete;

    // Whether a file manager shows the filesystem mounted on root.
    static bool isUserVisible(const QString &root);

private:
    static void mountAdded(void *monitor, void *mount, void *self);

    std::function<void(const QString &)> m_mounted;
    void *m_monitor = nullptr; // the GVolumeMonitor
    unsigned long m_handler = 0;
};
