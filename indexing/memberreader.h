#pragma once

#include "platform/archivereader.h"

#include <QByteArray>

#include <memory>
#include <vector>

struct FileRow;

// Looks inside the archives the indexer finds: an archive's members become rows beside its own
// (FileRow::members), made as the indexer makes a file's row. Only headers are read, within the
// limits; an archive that cannot be read whole keeps no members and is only a file.
class MemberReader
{
public:
    // Whether the reader looks at all ("Look inside archives").
    MemberReader(ArchiveReader &reader, bool enabled, const ArchiveLimits &limits);

    bool enabled() const { return m_enabled; }
    // For the next run.
    void configure(bool enabled, const ArchiveLimits &limits)
    {
        m_enabled = enabled;
        m_limits = limits;
    }

    // Reads the archive row stands for (name in the folder whose system path is folder) into
    // row.members when its name is an archive's. False when it is an archive that could not be
    // read (damaged, truncated, encrypted, past a bound): the run counts those.
    bool read(const QByteArray &folder, FileRow &row, const QByteArray &separator);

    // The rows of the members an archive lists.
    static std::shared_ptr<std::vector<FileRow>> rowsOf(const std::vector<ArchiveMember> &members,
                                                        const QByteArray &separator);

private:
    ArchiveReader &m_reader;
    bool m_enabled;
    ArchiveLimits m_limits;
    std::vector<ArchiveMember> m_members; // kept: its memory serves the next archive
};
