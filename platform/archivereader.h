#pragma once

#include <QByteArray>
#include <QtGlobal>

#include <atomic>
#include <vector>

// One file an archive holds, as its headers give it. Texts are the archive's bytes, in UTF-8
// where the archive says what they are in.
struct ArchiveMember
{
    QByteArray folder; // inside the archive, "a/b" ("" at its top); never a leading '/'
    QByteArray name;
    qint64 size = 0;     // as the header states it (0 when it states none)
    qint64 modified = 0; // seconds since 1970-01-01 UTC, when hasModified
    bool hasModified = false;

    QByteArray path() const { return folder.isEmpty() ? name : folder + '/' + name; }
};

// How far one archive is read. Headers only: the data of the members is skipped, yet a
// compressed stream (tar.gz) must be inflated to reach the next header, so both the bytes read
// from the file and the bytes of stream they inflate to are bounded.
struct ArchiveLimits
{
    static constexpr qint64 DefaultCompressedBytes = qint64(256) << 20;
    // Past this many members an archive is not read (each costs about 100 bytes in memory).
    static constexpr qint64 MaxMembers = 250000;
    // A path inside an archive longer than this is no real path.
    static constexpr int MaxPathBytes = 4096;
    // A stream may inflate to this many times the bytes read for it (a zip bomb inflates to
    // thousands of times).
    static constexpr qint64 StreamFactor = 4;

    qint64 compressedBytes = DefaultCompressedBytes;
    qint64 members = MaxMembers;
    int pathBytes = MaxPathBytes;
};

// Reads what archives (zip, 7z, rar, tar with any compression, ISO 9660, cab, cpio) hold,
// through libarchive. Never writes a member anywhere but to the one file extract is given.
class ArchiveReader
{
public:
    enum Outcome {
        NotArchive, // no archive at all (a plain file, a single compressed file)
        Read,       // every member listed
        Damaged,    // damaged, truncated, or a kind that cannot be read
        Encrypted,  // members or headers encrypted
        TooLarge,   // past a bound: members, bytes read, or a path's length
    };

    virtual ~ArchiveReader() = default;

    // Whether a file of this name is worth opening as an archive: opening every file of a tree
    // would cost as much as the walk itself.
    static bool looksLikeArchive(const QByteArray &name);

    // The members of the archive at path, regular files only, in the archive's order. Anything
    // but Read leaves members empty. Never raises.
    virtual Outcome list(const QByteArray &path, const ArchiveLimits &limits,
                         std::vector<ArchiveMember> &members) = 0;

    // The member with this path (as ArchiveMember::path gives it) of the archive at path,
    // written to destination, a file made new with mode 0600. A member larger than maxBytes
    // once inflated is refused, and what was written of it removed. Raises PlatformError: 53
    // when the archive or the member is not there, 75 when it cannot be read (damaged,
    // encrypted, larger than stated). Once stop (when given) is set, the reading ends within a
    // block: what was written is removed and 75 raised.
    virtual void extract(const QByteArray &path, const QByteArray &memberPath, qint64 maxBytes,
                         const QByteArray &destination,
                         const std::atomic<bool> *stop = nullptr) = 0;

    // The same listing of an archive held in memory.
    static Outcome listBytes(const void *data, size_t size, const ArchiveLimits &limits,
                             std::vector<ArchiveMember> &members);
};

// The reader of this system, on libarchive.
ArchiveReader &systemArchiveReader();
