#include "platform/volumequery.h"

#include "platform/systemvolumequery.h"

VolumeQuery &systemVolumeQuery()
{
    static SystemVolumeQuery query;
    return query;
}
