#include "indexing/memberreader.h"

#include "catalogue/filerow.h"
#include "platform/filemetadata.h"
#include "platform/joinpath.h"

#include <memory>

MemberReader::MemberReader(ArchiveReader &reader, bool enabled, const ArchiveLimits &limits)
    : m_reader(reader), m_enabled(enabled), m_limits(limits)
{}

bool MemberReader::read(const QByteArray &folder, FileRow &row, const QByteArray &separator)
{
    row.members.reset();
    if (!m_enabled || !ArchiveReader::looksLikeArchive(row.file))
        return true;
    const ArchiveReader::Outcome outcome =
        m_reader.list(JoinPath(folder, row.file), m_limits, m_members);
    if (outcome == ArchiveReader::NotArchive)
        return true;
    if (outcome != ArchiveReader::Read)
        return false;
    row.members = rowsOf(m_members, separator);
    m_members.clear();
    return true;
}

std::shared_ptr<std::vector<FileRow>>
MemberReader::rowsOf(const std::vector<ArchiveMember> &members, const QByteArray &separator)
{
    auto rows = std::make_shared<std::vector<FileRow>>(members.size());
    for (size_t i = 0; i < members.size(); ++i) {
        const ArchiveMember &from = members[i];
        FileRow &to = (*rows)[i];
        to.path = from.folder;
        to.file = from.name;
        to.setSize(from.size, separator);
        if (from.hasModified)
            to.setDate(FilesField::Modified, FileTime{from.modified, 0}.utcDay());
    }
    return rows;
}
