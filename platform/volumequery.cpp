#include "platform/volumequery.h"

#include "platform/systemvolumequery.h"

VolumeQuery &systemVolumeQuery()
{
    return SystemVolumeQuery::shared();
}

bool VolumeQuery::GetVolumePathName(const QString &, QString &)
{
    return false;
}
