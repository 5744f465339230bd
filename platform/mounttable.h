#pragma once

#include <QByteArray>
#include <QtGlobal>

#include <vector>

// One line of the kernel's mount table: the filesystem's device number, the folder of that
// filesystem shown at the mount point ("/" unless a part of it is bound there), and its source.
struct MountEntry
{
    quint64 device = 0;
    QByteArray root;
    QByteArray mountPoint;
    QByteArray source;
};

// The mounts this process sees (/proc/self/mountinfo), in the table's order: the order they
// were made in.
class MountTable
{
public:
    static const char Path[];
    static std::vector<MountEntry> read();
    static std::vector<MountEntry> parse(const QByteArray &table);
};
