#include "platform/filemetadata.h"

#include "platform/oserror.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>

namespace {

constexpr qint64 SecondsPerDay = 86400;
constexpr qint64 UnixEpochJulianDay = 2440588;

FileTime fileTime(const struct statx_timestamp &t)
{
    return {t.tv_sec, qint32(t.tv_nsec)};
}

class SystemFileMetadataReader : public FileMetadataReader
{
public:
    FileMetadata read(const QByteArray &path) override
    {
        struct statx st;
        const unsigned mask = STATX_SIZE | STATX_ATIME | STATX_MTIME | STATX_BTIME;
        if (::statx(AT_FDCWD, path.constData(), AT_NO_AUTOMOUNT, mask, &st) != 0)
            raiseOsError(errno, OsObject::File);
        return fromStatx(st);
    }
};

} // namespace

QDate FileTime::utcDate() const
{
    // Floor division, so that times before 1970 fall on the day they belong to.
    qint64 days = seconds / SecondsPerDay;
    if (seconds % SecondsPerDay < 0)
        --days;
    return QDate::fromJulianDay(days + UnixEpochJulianDay);
}

FileMetadata FileMetadataReader::fromStatx(const struct statx &st)
{
    FileMetadata metadata;
    metadata.size = qint64(st.stx_size);
    metadata.accessed = fileTime(st.stx_atime);
    metadata.modified = fileTime(st.stx_mtime);
    const bool hasBirth =
        (st.stx_mask & STATX_BTIME) && (st.stx_btime.tv_sec != 0 || st.stx_btime.tv_nsec != 0);
    metadata.created = hasBirth ? fileTime(st.stx_btime) : metadata.modified;
    return metadata;
}

FileMetadataReader &systemFileMetadataReader()
{
    static SystemFileMetadataReader reader;
    return reader;
}
