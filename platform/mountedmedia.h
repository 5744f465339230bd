#pragma once

#include <QString>
#include <QtGlobal>

#include <vector>

// A medium mounted now: the folder its root is mounted on, and the label and serial the volume
// query answers for it.
struct MountedMedium
{
    QString root;
    QString label;
    quint32 serial = 0;
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
