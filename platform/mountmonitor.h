#pragma once

#include <QString>

#include <functional>

// Tells of every filesystem mounted on a local folder while the program runs, by that folder,
// and (changed) of every change of the mount table, a filesystem unmounted too. GIO's monitors
// report through the GLib main loop, which Qt's event dispatcher runs: nothing is polled here.
// Either function may be empty.
class MountMonitor
{
public:
    explicit MountMonitor(std::function<void(const QString &root)> mounted,
                          std::function<void()> changed = {});
    ~MountMonitor();
    MountMonitor(const MountMonitor &) = delete;
    MountMonitor &operator=(const MountMonitor &) = delete;

private:
    static void mountAdded(void *monitor, void *mount, void *self);
    static void mountsChanged(void *monitor, void *self);

    std::function<void(const QString &)> m_mounted;
    void *m_monitor = nullptr; // the GVolumeMonitor
    unsigned long m_handler = 0;
    std::function<void()> m_changed;
    void *m_table = nullptr; // the GUnixMountMonitor
    unsigned long m_tableHandler = 0;
};
