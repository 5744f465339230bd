#pragma once

#include <QByteArray>

struct statx;

// A file time in UTC, to the nanosecond.
struct FileTime
{
    qint64 seconds = 0; // since 1970-01-01 00:00 UTC
    qint32 nanoseconds = 0;

    // The UTC calendar day of this time, counted from 1970-01-01.
    qint64 utcDay() const;
};

// What the indexer reads of a file: its full size and its three times.
struct FileMetadata
{
    qint64 size = 0;
    // The birth time where the filesystem keeps one, else the last-write time (as Windows
    // reports creation times for CDs).
    FileTime created;
    FileTime accessed;
    FileTime modified;
};

// Reads a file's metadata, following a symbolic link to its target. Failures raise
// PlatformError (53 file not found, 70 permission denied, 57 device I/O error, ...).
class FileMetadataReader
{
public:
    virtual ~FileMetadataReader() = default;
    virtual FileMetadata read(const QByteArray &path) = 0;
    // The metadata of name inside folder. The system's reader keeps the folder open from one
    // call to the next while the folder is the same, until release.
    virtual FileMetadata read(const QByteArray &folder, const QByteArray &name);
    virtual void release() {}

    // The metadata that a statx answer gives. A birth time that the filesystem does not keep,
    // or keeps as 0 (inodes made before birth times were recorded), falls back to the
    // last-write time.
    static FileMetadata fromStatx(const struct statx &st);
};

// The reader of this system, on statx.
FileMetadataReader &systemFileMetadataReader();
