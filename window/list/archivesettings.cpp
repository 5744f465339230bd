#include "window/list/archivesettings.h"

#include "indexing/memberreader.h"

#include <QSettings>

namespace ArchiveSettings {

const char LookInsideKey[] = "LookInsideArchives";
const char ReadLimitKey[] = "ArchiveReadLimitMB";

bool lookInside()
{
    QSettings settings(QStringLiteral("Vellumark"), QStringLiteral("Vellumark"));
    return settings.value(QLatin1String(LookInsideKey), true).toBool();
}

void setLookInside(bool on)
{
    QSettings settings(QStringLiteral("Vellumark"), QStringLiteral("Vellumark"));
    settings.setValue(QLatin1String(LookInsideKey), on);
}

ArchiveLimits limits()
{
    ArchiveLimits limits;
    bool ok = false;
    QSettings settings(QStringLiteral("Vellumark"), QStringLiteral("Vellumark"));
    const qint64 mb = settings.value(QLatin1String(ReadLimitKey)).toLongLong(&ok);
    // A value that is no sensible number of MB keeps the default.
    if (ok && mb > 0 && mb <= (qint64(1) << 30))
        limits.compressedBytes = mb << 20;
    return limits;
}

void configure(MemberReader &reader)
{
    reader.configure(lookInside(), limits());
}

} // namespace ArchiveSettings
