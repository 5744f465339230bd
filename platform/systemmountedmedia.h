#pragma once

#include "platform/mountedmedia.h"

class SystemVolumeQuery;

// Every filesystem of the mount table that lies on a device and is mounted from its own root,
// with what the volume query answers for that device. Filesystems the query cannot identify
// (tmpfs, network, a part of a filesystem bound elsewhere) are left out.
class SystemMountedMedia : public MountedMedia
{
public:
    explicit SystemMountedMedia(SystemVolumeQuery &query);
    std::vector<MountedMedium> list() override;

private:
    SystemVolumeQuery &m_query;
};
