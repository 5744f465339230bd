#pragma once

#include "platform/recordset.h"

#include <QString>
#include <QVariantList>

#include <functional>
#include <optional>
#include <vector>

class Connection;

// Receives the members of archives a view holds, as rows of the list: cells in the order of
// the fields of Files (FilesField), the ID's own cell without data. id is the member's own ID.
class MemberSink
{
public:
    virtual ~MemberSink() = default;
    virtual void member(qint64 id, const RowCell *cells) = 0;
};

// The members of archives (table ArchiveMembers) seen as rows: Path runs through the archive
// (the archive's folder and name, then the folder inside it), the label and serial are the
// archive's, Modified is the only date.
namespace ArchiveMembers {

// Which members a view of the catalogue shows with its rows.
struct View
{
    enum Kind {
        None,
        All,
        NameContains, // the search pattern
        Medium,       // the label and serial
        Folder,       // the label and serial, the folder, and the bounds of the folders below it
        Duplicates,
    };
    Kind kind = None;
    QVariantList params; // the search text, or the label and serial
};

// Hands the view's members to sink. A catalogue without the table has none. Raises
// PlatformError.
void read(Connection &connection, const View &view, MemberSink &sink);

// Removes one member's record (not its archive's); false when there was none. Raises
// PlatformError.
bool remove(Connection &connection, qint64 id);

// Where a member is: its archive's folder and name as catalogued, its path inside the archive,
// and the size recorded for it. Nothing when the record is gone. Raises PlatformError.
struct Place
{
    QByteArray folder;
    QByteArray archive;
    QByteArray member;
    qint64 size = 0;
};
std::optional<Place> place(Connection &connection, qint64 id);

// Members per medium (label and serial text as the archives' rows carry them).
struct MediumCount
{
    QByteArray label;
    QByteArray serial;
    qint64 members;
};
std::vector<MediumCount> countsByMedium(Connection &connection);

} // namespace ArchiveMembers
