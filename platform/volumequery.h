#pragma once

#include <QString>
#include <QtGlobal>

// What the volume query answers for a folder: the label (at most 13 characters) and the 32-bit
// serial of the medium that holds it, as Windows reports them. Tests put their own in its place.
class VolumeQuery
{
public:
    virtual ~VolumeQuery() = default;
    // False when the folder lies on no readable medium (no disc, no block device).
    virtual bool GetVolumeInformation(const QString &rootPath, QString &label, quint32 &serial) = 0;
    // The folder on which the medium holding path is mounted, in the spelling of path where
    // path lies under it. False when path is on no medium, or the query cannot tell.
    virtual bool GetVolumePathName(const QString &path, QString &root);
};

// The query of this system: mount table, source device, then the medium's own data.
VolumeQuery &systemVolumeQuery();
