#include "catalogue/archivemembers.h"

#include "catalogue/filerow.h"
#include "catalogue/filesfield.h"
#include "platform/connection.h"
#include "platform/statement.h"

#include <algorithm>

namespace {

// The archive's Path and File, then the folder inside it, joined as the indexer joins paths.
const char Columns[] =
    "SELECT m.ID, CASE WHEN ifnull(f.Path, '') LIKE '%/' THEN f.Path ELSE ifnull(f.Path, '') || "
    "'/' END || ifnull(f.File, '') || CASE WHEN m.Path = '' THEN '' ELSE '/' || m.Path END, "
    "m.File, m.Size, m.Modified, f.Archive, f.Serial "
    "FROM ArchiveMembers m JOIN Files f ON f.ID = m.FileID ";

QByteArray statementFor(const ArchiveMembers::View &view)
{
    switch (view.kind) {
    case ArchiveMembers::View::All:
        return QByteArray(Columns) + "ORDER BY m.ID";
    case ArchiveMembers::View::NameContains:
        return QByteArray(Columns) + "WHERE folded_like(m.File, ?1) ORDER BY m.File COLLATE FOLDED";
    case ArchiveMembers::View::Medium:
        return QByteArray(Columns) +
               "WHERE ifnull(f.Archive, '') = ?1 AND ifnull(f.Serial, '') = ?2 ORDER BY m.ID";
    case ArchiveMembers::View::Folder:
        return QByteArray(Columns) +
               "WHERE ifnull(f.Archive, '') = ?1 AND ifnull(f.Serial, '') = ?2 AND (f.Path = ?3 OR "
               "(f.Path >= ?4 AND f.Path < ?5)) ORDER BY m.ID";
    case ArchiveMembers::View::Duplicates:
        return QByteArray(Columns) +
               "WHERE m.ID IN (SELECT ID FROM temp.DuplicateMembers) ORDER BY (SELECT Position "
               "FROM temp.DuplicateMembers AS Found WHERE Found.ID = m.ID)";
    case ArchiveMembers::View::None:
        break;
    }
    return QByteArray();
}

} // namespace

namespace ArchiveMembers {

void read(Connection &connection, const View &view, MemberSink &sink)
{
    const QByteArray sql = statementFor(view);
    if (sql.isEmpty() || !connection.hasTable("ArchiveMembers"))
        return;
    Statement rows(connection, sql.constData());
    std::vector<QByteArray> texts; // bound without a copy: kept while the rows are read
    texts.reserve(size_t(view.params.size()));
    for (int i = 0; i < view.params.size(); ++i) {
        const QVariant &value = view.params.at(i);
        if (value.typeId() == QMetaType::LongLong || value.typeId() == QMetaType::Int) {
            rows.bindInt(i + 1, value.toLongLong());
            continue;
        }
        texts.push_back(value.toString().toUtf8());
        rows.bindText(i + 1, texts.back());
    }
    // Cells of the fields of Files: the ones a member has, the others without value.
    const int field[] = {FilesField::Path,     FilesField::File,    FilesField::Size,
                         FilesField::Modified, FilesField::Archive, FilesField::Serial};
    RowCell cells[FilesField::FieldCount];
    while (rows.step()) {
        for (RowCell &cell : cells)
            cell = {nullptr, 0};
        for (int c = 0; c < 6; ++c) {
            const std::string_view text = rows.textAt(c + 1);
            if (text.data() || !rows.isNull(c + 1))
                cells[field[c]] = {text.data() ? text.data() : "", int(text.size())};
        }
        sink.member(rows.intAt(0), cells);
    }
}

bool remove(Connection &connection, qint64 id)
{
    Statement remove(connection, "DELETE FROM ArchiveMembers WHERE ID = ?1");
    remove.bindInt(1, id);
    remove.step();
    return connection.changes() > 0;
}

std::optional<Place> place(Connection &connection, qint64 id)
{
    if (!connection.hasTable("ArchiveMembers"))
        return std::nullopt;
    Statement row(connection, "SELECT f.Path, f.File, m.Path, m.File, m.Size FROM ArchiveMembers m "
                              "JOIN Files f ON f.ID = m.FileID WHERE m.ID = ?1");
    row.bindInt(1, id);
    if (!row.step())
        return std::nullopt;
    const auto bytes = [&row](int column) {
        const std::string_view text = row.textAt(column);
        return QByteArray(text.data(), qsizetype(text.size()));
    };
    Place place{bytes(0), bytes(1), bytes(2), 0};
    place.member = place.member.isEmpty() ? bytes(3) : place.member + '/' + bytes(3);
    const std::string_view size = row.textAt(4);
    place.size =
        std::max<qint64>(0, FileRow::sizeValue(size.data() ? size.data() : "", int(size.size())));
    return place;
}

std::vector<MediumCount> countsByMedium(Connection &connection)
{
    std::vector<MediumCount> counts;
    if (!connection.hasTable("ArchiveMembers"))
        return counts;
    Statement rows(connection, "SELECT ifnull(f.Archive, ''), ifnull(f.Serial, ''), count(*) "
                               "FROM ArchiveMembers m JOIN Files f ON f.ID = m.FileID "
                               "GROUP BY 1, 2");
    while (rows.step()) {
        const std::string_view label = rows.textAt(0), serial = rows.textAt(1);
        counts.push_back({QByteArray(label.data(), qsizetype(label.size())),
                          QByteArray(serial.data(), qsizetype(serial.size())), rows.intAt(2)});
    }
    return counts;
}

} // namespace ArchiveMembers
