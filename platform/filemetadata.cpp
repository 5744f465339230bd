#include "platform/filemetadata.h"

#include "platform/joinpath.h"
#include "platform/oserror.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr qint64 SecondsPerDay = 86400;

FileTime fileTime(const struct statx_timestamp &t)
{
    return {t.tv_sec, qint32(t.tv_nsec)};
}

constexpr unsigned Wanted = STATX_SIZE | STATX_ATIME | STATX_MTIME | STATX_BTIME;

class SystemFileMetadataReader : public FileMetadataReader
{
public:
    ~SystemFileMetadataReader() override { release(); }

    FileMetadata read(const QByteArray &path) override
    {
        struct statx st;
        if (::statx(AT_FDCWD, path.constData(), AT_NO_AUTOMOUNT, Wanted, &st) != 0)
            raiseOsError(errno, OsObject::File);
        return fromStatx(st);
    }

    // Each file by its name within the open folder: the folder's path is not looked up again
    // for every file.
    FileMetadata read(const QByteArray &folder, const QByteArray &name) override
    {
        if (m_folder < 0 || folder != m_folderPath) {
            release();
            m_folder = ::open(folder.constData(), O_PATH | O_DIRECTORY | O_CLOEXEC);
            if (m_folder < 0)
                return FileMetadataReader::read(folder, name);
            m_folderPath = folder;
        }
        struct statx st;
        if (::statx(m_folder, name.constData(), AT_NO_AUTOMOUNT, Wanted, &st) != 0)
            raiseOsError(errno, OsObject::File);
        return fromStatx(st);
    }

    void release() override
    {
        if (m_folder >= 0)
            ::close(m_folder);
        m_folder = -1;
        m_folderPath.clear();
    }

private:
    int m_folder = -1;
    QByteArray m_folderPath;
};

} // namespace

FileMetadata FileMetadataReader::read(const QByteArray &folder, const QByteArray &name)
{
    return read(JoinPath(folder, name));
}

qint64 FileTime::utcDay() const
{
    // Floor division, so that times before 1970 fall on the day they belong to.
    qint64 days = seconds / SecondsPerDay;
    if (seconds % SecondsPerDay < 0)
        --days;
    return days;
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
