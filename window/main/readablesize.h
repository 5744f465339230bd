#pragma once

#include <QString>

// A number of bytes as people read it: "4.7 GB", "512 bytes" (1 KB is 1,024 bytes).
QString ReadableSize(qint64 bytes);
