#include "platform/archivereader.h"

#include "platform/archivesource.h"
#include "platform/oserror.h"
#include "platform/platformerror.h"

#include <archive.h>
#include <archive_entry.h>

#include <QList>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <limits>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int ArchiveUnreadable = 75; // "Path/File access error"

// The member's path as the archive gives it, with the parts that name no folder of it left out
// ("/", "./", "//", and "../", which would reach above the archive); empty when nothing is left.
QByteArray memberPath(struct archive_entry *entry)
{
    const char *text = archive_entry_pathname_utf8(entry);
    if (!text)
        text = archive_entry_pathname(entry);
    if (!text)
        return QByteArray();
    QByteArray path;
    for (const QByteArray &part : QByteArray(text).split('/')) {
        if (part.isEmpty() || part == "." || part == "..")
            continue;
        if (!path.isEmpty())
            path += '/';
        path += part;
    }
    return path;
}

bool encrypted(struct archive *a, struct archive_entry *entry)
{
    return (entry && archive_entry_is_encrypted(entry)) ||
           archive_read_has_encrypted_entries(a) > 0;
}

// A name of one compressed file rather than of an archive: one that holds no archive is a
// plain file.
bool compressedOnly(const QByteArray &path)
{
    const QByteArray name = path.mid(path.lastIndexOf('/') + 1).toLower();
    const qsizetype dot = name.lastIndexOf('.');
    static const QList<QByteArray> filters = {".gz", ".bz2",  ".xz",  ".zst",
                                              ".lz", ".lzma", ".lz4", ".z"};
    return dot > 0 && filters.contains(name.mid(dot)) && !name.left(dot).endsWith(".tar");
}

ArchiveReader::Outcome listFrom(ArchiveSource &source, const ArchiveLimits &limits,
                                std::vector<ArchiveMember> &members, bool plainWhenUnknown)
{
    members.clear();
    struct archive *a = openArchive(source);
    if (!a) {
        if (source.overBound)
            return ArchiveReader::TooLarge;
        return plainWhenUnknown ? ArchiveReader::NotArchive : ArchiveReader::Damaged;
    }
    struct Free
    {
        struct archive *a;
        ~Free() { archive_read_free(a); }
    } free{a};
    ArchiveReader::Outcome outcome = ArchiveReader::Read;
    struct archive_entry *entry = nullptr;
    bool first = true;
    for (;;) {
        const int rc = archive_read_next_header(a, &entry);
        if (rc == ARCHIVE_EOF)
            break;
        if (rc < ARCHIVE_WARN) {
            if (source.overBound)
                outcome = ArchiveReader::TooLarge;
            else if (encrypted(a, nullptr))
                outcome = ArchiveReader::Encrypted;
            else if (first && plainWhenUnknown)
                outcome = ArchiveReader::NotArchive;
            else
                outcome = ArchiveReader::Damaged;
            break;
        }
        first = false;
        if (encrypted(a, entry)) {
            outcome = ArchiveReader::Encrypted;
            break;
        }
        if (archive_entry_filetype(entry) != AE_IFREG)
            continue;
        const char *raw = archive_entry_pathname(entry);
        if (raw && std::strlen(raw) > size_t(limits.pathBytes)) {
            outcome = ArchiveReader::TooLarge;
            break;
        }
        QByteArray path = memberPath(entry);
        if (path.isEmpty())
            continue;
        if (qint64(members.size()) >= limits.members) {
            outcome = ArchiveReader::TooLarge;
            break;
        }
        ArchiveMember &member = members.emplace_back();
        const qsizetype slash = path.lastIndexOf('/');
        member.name = path.mid(slash + 1);
        if (slash > 0)
            member.folder = path.left(slash);
        member.size =
            archive_entry_size_is_set(entry) ? std::max<qint64>(0, archive_entry_size(entry)) : 0;
        member.hasModified = archive_entry_mtime_is_set(entry);
        if (member.hasModified)
            member.modified = archive_entry_mtime(entry);
    }
    if (outcome != ArchiveReader::Read)
        members.clear();
    return outcome;
}

class SystemArchiveReader : public ArchiveReader
{
public:
    Outcome list(const QByteArray &path, const ArchiveLimits &limits,
                 std::vector<ArchiveMember> &members) override
    {
        members.clear();
        // Never waits on a pipe or a device that bears an archive's name: only files are read.
        const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
        if (fd < 0)
            return Damaged;
        struct Close
        {
            int fd;
            ~Close() { ::close(fd); }
        } close{fd};
        struct stat st;
        if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode))
            return NotArchive;
        auto source = std::make_unique<ArchiveSource>(fd, limits);
        return listFrom(*source, limits, members, compressedOnly(path));
    }

    void extract(const QByteArray &path, const QByteArray &wanted, qint64 maxBytes,
                 const QByteArray &destination, const std::atomic<bool> *stop) override
    {
        const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC | O_NOCTTY);
        if (fd < 0)
            raiseOsError(errno, OsObject::File);
        struct Close
        {
            int fd;
            ~Close() { ::close(fd); }
        } close{fd};
        // Inflating the member itself is bounded by its size; reaching it is bounded as listing is.
        ArchiveLimits limits;
        limits.compressedBytes =
            std::numeric_limits<qint64>::max() / (2 * ArchiveLimits::StreamFactor);
        auto source = std::make_unique<ArchiveSource>(fd, limits);
        source->stop = stop;
        struct archive *a = openArchive(*source);
        if (!a)
            throw unreadable();
        struct Free
        {
            struct archive *a;
            ~Free() { archive_read_free(a); }
        } free{a};
        struct archive_entry *entry = nullptr;
        int rc;
        while ((rc = archive_read_next_header(a, &entry)) >= ARCHIVE_WARN) {
            if (archive_entry_filetype(entry) != AE_IFREG || memberPath(entry) != wanted)
                continue;
            if (encrypted(a, entry))
                throw unreadable();
            write(a, maxBytes, destination, stop);
            return;
        }
        if (rc == ARCHIVE_EOF)
            throw osError(ENOENT, OsObject::File);
        throw unreadable();
    }

private:
    static PlatformError unreadable()
    {
        return PlatformError(ArchiveUnreadable, QStringLiteral("Path/File access error"));
    }

    static void write(struct archive *a, qint64 maxBytes, const QByteArray &destination,
                      const std::atomic<bool> *stop)
    {
        const int out = ::open(destination.constData(),
                               O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (out < 0)
            raiseOsError(errno, OsObject::File);
        qint64 written = 0;
        bool ok = true;
        int error = 0;
        const void *block;
        size_t size;
        la_int64_t offset;
        int rc;
        while ((rc = archive_read_data_block(a, &block, &size, &offset)) == ARCHIVE_OK) {
            // Blocks may come from bytes read before: stopping is checked between them too.
            if (stop && stop->load()) {
                ok = false;
                break;
            }
            // A member that inflates past the size recorded for it is refused.
            if (offset < 0 || offset > maxBytes || qint64(size) > maxBytes - offset) {
                ok = false;
                break;
            }
            if (::lseek(out, offset, SEEK_SET) < 0) {
                ok = false;
                error = errno;
                break;
            }
            for (const char *p = static_cast<const char *>(block); size > 0;) {
                const ssize_t n = ::write(out, p, size);
                if (n < 0 && errno == EINTR)
                    continue;
                if (n <= 0) {
                    error = errno;
                    break;
                }
                p += n;
                size -= size_t(n);
                written =
                    std::max<qint64>(written, offset + (p - static_cast<const char *>(block)));
            }
            if (error) {
                ok = false;
                break;
            }
        }
        if (ok && rc != ARCHIVE_EOF)
            ok = false;
        if (ok && ::ftruncate(out, written) != 0)
            ok = false, error = errno;
        if (::close(out) != 0 && ok)
            ok = false, error = errno;
        if (ok)
            return;
        ::unlink(destination.constData());
        if (error)
            raiseOsError(error, OsObject::File);
        throw unreadable();
    }
};

} // namespace

bool ArchiveReader::looksLikeArchive(const QByteArray &name)
{
    static const QList<QByteArray> endings = {
        ".zip", ".7z",  ".rar", ".tar", ".tgz", ".tbz",  ".tbz2", ".txz", ".tzst", ".tlz", ".taz",
        ".gz",  ".bz2", ".xz",  ".zst", ".lz",  ".lzma", ".lz4",  ".z",   ".iso",  ".cab", ".cpio"};
    const qsizetype dot = name.lastIndexOf('.');
    if (dot < 0 || name.size() - dot > 6)
        return false;
    const QByteArray ending = name.mid(dot).toLower();
    return endings.contains(ending);
}

ArchiveReader::Outcome ArchiveReader::listBytes(const void *data, size_t size,
                                                const ArchiveLimits &limits,
                                                std::vector<ArchiveMember> &members)
{
    auto source = std::make_unique<ArchiveSource>(data, size, limits);
    return listFrom(*source, limits, members, false);
}

ArchiveReader &systemArchiveReader()
{
    static SystemArchiveReader reader;
    return reader;
}
