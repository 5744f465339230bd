#include "platform/threadheaps.h"

#include <malloc.h>

namespace {
constexpr int TrimThresholdBytes = 128 * 1024; // the C library's own starting value
}

void keepThreadHeapsTrimmed()
{
    static const bool kept = mallopt(M_TRIM_THRESHOLD, TrimThresholdBytes) == 1;
    (void)kept;
}
