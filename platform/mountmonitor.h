#pragma once

#include <QString>

#include <functional>

// Tells of every filesystem mounted on a local folder while the program runs, by that folder.
// GIO's volume monitor reports through the GLib main loop, which Qt's event dispatcher runs:
// nothing is polled here.
class MountMonitor
{
public:
    explicit MountMonitor(std::function<void(const QString &root)> mounted);
    ~MountMonitor();
    MountMonitor(const MountMonitor &) = delete;
    MountMonitor &operator=(const MountMonitor &) = delete;

private:
    static void mountAdded(void *monitor, void *mount, void *self);

    std::function<void(const QString &)> m_mounted;
    void *m_monitor = nullptr; // the GVolumeMonitor
    unsigned long m_handler = 0;
};
