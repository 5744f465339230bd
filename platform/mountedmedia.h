#pragma once

#include <QString>
#include <QtGlobal>

#include <vector>

// A medium mounted now: the folder its root is mounted on, the label and serial the volume
// query answers for it, and whether a file manager shows it to the user (GIO's rule: mounted
// under /media, /run/media/USER or the home folder; never /, /boot or a pseudo file system).
struct MountedMedium
{
    QString root;
    QString label;
    quint32 serial = 0;
    bool userVisible = false;
};

// The media mounted now, in the order of the mount table. Tests put their own in its place.
class MountedMedia
{
public:
    virtual ~MountedMedia() = default;
    virtual std::vector<MountedMedium> list() = 0;
};

// The media of this system, identified by the system's volume query.
MountedMedia &systemMountedMedia();
