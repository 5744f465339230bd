#include "platform/archivesource.h"

#include <algorithm>
#include <cerrno>
#include <unistd.h>

namespace {

// After a seek (zip and 7z jump from header to header) a read asks for little: most of a large
// block would be thrown away at the next seek. Reads in a row ask for more each time.
constexpr qint64 FirstChunkBytes = 4 * 1024;

} // namespace

la_ssize_t ArchiveSource::read(struct archive *a, void *client, const void **buffer)
{
    auto *self = static_cast<ArchiveSource *>(client);
    if (self->stop && self->stop->load()) {
        archive_set_error(a, ECANCELED, "stopped");
        return -1;
    }
    // The stream a filter made of what was read so far: a bomb inflates far past its bytes.
    const qint64 stream = archive_filter_bytes(a, 0);
    if (self->m_read > self->m_limits.compressedBytes ||
        stream >
            ArchiveLimits::StreamFactor * std::max(self->m_limits.compressedBytes, self->m_read)) {
        self->overBound = true;
        archive_set_error(a, EFBIG, "bound reached");
        return -1;
    }
    la_ssize_t got;
    const qint64 chunk = self->m_chunk;
    self->m_chunk = std::min(ChunkBytes, chunk * 2);
    if (self->m_data) {
        got = la_ssize_t(std::min(chunk, self->m_size - self->m_offset));
        *buffer = self->m_data + self->m_offset;
    } else {
        do
            got = ::read(self->m_fd, self->m_buffer, size_t(chunk));
        while (got < 0 && errno == EINTR);
        if (got < 0) {
            archive_set_error(a, errno, "read failed");
            return -1;
        }
        *buffer = self->m_buffer;
    }
    self->m_offset += got;
    self->m_read += got;
    return got;
}

la_int64_t ArchiveSource::seek(struct archive *, void *client, la_int64_t offset, int whence)
{
    auto *self = static_cast<ArchiveSource *>(client);
    self->m_chunk = FirstChunkBytes;
    if (!self->m_data)
        return self->m_offset = ::lseek(self->m_fd, offset, whence);
    const qint64 base = whence == SEEK_SET ? 0 : whence == SEEK_CUR ? self->m_offset : self->m_size;
    if (offset > self->m_size || offset < -self->m_size || base + offset < 0 ||
        base + offset > self->m_size)
        return ARCHIVE_FATAL;
    return self->m_offset = base + offset;
}

la_int64_t ArchiveSource::skip(struct archive *a, void *client, la_int64_t request)
{
    auto *self = static_cast<ArchiveSource *>(client);
    const la_int64_t end = self->m_data ? self->m_size : ::lseek(self->m_fd, 0, SEEK_END);
    if (end < 0 || seek(a, client, self->m_offset, SEEK_SET) < 0)
        return 0;
    const la_int64_t step = std::min<la_int64_t>(request, end - self->m_offset);
    if (step <= 0 || seek(a, client, self->m_offset + step, SEEK_SET) < 0)
        return 0;
    return step;
}

struct archive *openArchive(ArchiveSource &source)
{
    struct archive *a = archive_read_new();
    if (!a)
        return nullptr;
    archive_read_support_filter_all(a);
    for (int (*format)(struct archive *) :
         {archive_read_support_format_zip, archive_read_support_format_7zip,
          archive_read_support_format_rar, archive_read_support_format_rar5,
          archive_read_support_format_tar, archive_read_support_format_iso9660,
          archive_read_support_format_cab, archive_read_support_format_cpio})
        format(a);
    archive_read_set_read_callback(a, &ArchiveSource::read);
    archive_read_set_seek_callback(a, &ArchiveSource::seek);
    archive_read_set_skip_callback(a, &ArchiveSource::skip);
    archive_read_set_callback_data(a, &source);
    source.archive = a;
    if (archive_read_open1(a) != ARCHIVE_OK) {
        archive_read_free(a);
        return nullptr;
    }
    return a;
}
