// Fuzz target: any bytes read as an archive, as indexing reads one, down to the rows of its
// members. Whatever the bytes, the reader stays within its bounds and the rows are whole.
#include "catalogue/filerow.h"
#include "indexing/memberreader.h"
#include "platform/archivereader.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    ArchiveLimits limits;
    limits.compressedBytes = 1 << 20; // a bomb is stopped soon
    limits.members = 1000;
    std::vector<ArchiveMember> members;
    const ArchiveReader::Outcome outcome = ArchiveReader::listBytes(data, size, limits, members);
    if (outcome != ArchiveReader::Read && !members.empty())
        std::abort();
    if (qint64(members.size()) > limits.members)
        std::abort();
    for (const ArchiveMember &member : members) {
        // A name of its own, a folder without empty parts, never reaching above the archive's top.
        if (member.name.isEmpty() || member.name.contains('/') || member.size < 0 ||
            member.folder.startsWith('/') || member.folder.endsWith('/') ||
            member.folder.contains("//") || member.name == ".." ||
            ("/" + member.folder + "/").contains("/../") || member.path().size() > limits.pathBytes)
            std::abort();
    }
    const auto rows = MemberReader::rowsOf(members, ",");
    for (const FileRow &row : *rows)
        if (row.sizeLength > row.size.size() ||
            (row.dateLengths[2] != 0 && row.dateLengths[2] != 10))
            std::abort();
    return 0;
}
