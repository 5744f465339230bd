#pragma once

#include "platform/archivereader.h"

#include <archive.h>

#include <atomic>

// The bytes an archive is read from: a file or a block of memory. Every read is counted against
// the bounds, whichever format or filter asks for it.
class ArchiveSource
{
public:
    static constexpr qint64 ChunkBytes = 64 * 1024;

    ArchiveSource(int fd, const ArchiveLimits &limits) : m_fd(fd), m_limits(limits) {}
    ArchiveSource(const void *data, size_t size, const ArchiveLimits &limits)
        : m_data(static_cast<const char *>(data)), m_size(qint64(size)), m_limits(limits)
    {}

    struct archive *archive = nullptr;
    bool overBound = false;
    const std::atomic<bool> *stop = nullptr; // checked before each read

    // libarchive's callbacks; client is the source.
    static la_ssize_t read(struct archive *a, void *client, const void **buffer);
    static la_int64_t seek(struct archive *, void *client, la_int64_t offset, int whence);
    static la_int64_t skip(struct archive *a, void *client, la_int64_t request);

private:
    int m_fd = -1;
    const char *m_data = nullptr;
    qint64 m_size = 0;
    qint64 m_offset = 0;
    qint64 m_read = 0;
    qint64 m_chunk = ChunkBytes;
    const ArchiveLimits &m_limits;
    char m_buffer[ChunkBytes];
};

// An archive opened for reading from source, with every format and filter the catalogue looks
// into; nullptr when libarchive cannot even start.
struct archive *openArchive(ArchiveSource &source);
