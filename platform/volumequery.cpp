#include "platform/volumequery.h"

#include "platform/systemvolumequery.h"

VolumeQuery &systemVolumeQuery()
{
    return SystemVolumeQuery::shared();
}
