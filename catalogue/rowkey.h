#pragma once

#include <QtGlobal>

// Which record a row of the list stands for: a file, by its ID in Files, or a member of an
// archive, by its ID in ArchiveMembers. The two tables count their IDs apart, so the same
// number names two records: an ID is never used without its kind.
struct RowKey
{
    enum Kind : quint8 { File, Member };
    Kind kind = File;
    qint64 id = 0;

    bool isMember() const { return kind == Member; }
    bool operator==(const RowKey &other) const { return kind == other.kind && id == other.id; }
};
