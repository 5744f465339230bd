#include "window/main/readablesize.h"

#include <QLocale>

QString ReadableSize(qint64 bytes)
{
    return QLocale().formattedDataSize(bytes, 1, QLocale::DataSizeTraditionalFormat);
}
