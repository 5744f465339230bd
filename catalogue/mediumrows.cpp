#include "catalogue/mediumrows.h"

#include "platform/joinpath.h"
#include "platform/statement.h"

namespace {

// The cell's bytes; a cell with no value is the empty text.
QByteArray column(const Statement &statement, int index)
{
    const std::string_view text = statement.textAt(index);
    return QByteArray(text.data() ? text.data() : "", qsizetype(text.size()));
}

QByteArray withoutTrailingSeparators(QByteArray root)
{
    while (root.endsWith('/'))
        root.chop(1);
    return root;
}

} // namespace

void MediumRows::read(const QByteArray &label, const QByteArray &serial, const QByteArray &root,
                      const std::function<void(const MediumRow &)> &sink)
{
    // Every Path from root up to root + "0" ('/' + 1) in byte order: root itself and all below
    // it, with some neighbours ("root 2", "root-x") that are dropped here. The range lets the
    // folder lookup index find them.
    const QByteArray bare = withoutTrailingSeparators(root);
    Statement s(m_connection, "SELECT ID, Path, File, Size, Modified FROM Files WHERE Path >= ?1 "
                              "AND Path < ?2 AND Archive = ?3 AND Serial = ?4");
    const QByteArray first = bare.isEmpty() ? QByteArray("/") : bare;
    const QByteArray end = bare + '0';
    s.bindText(1, first);
    s.bindText(2, end);
    s.bindText(3, label);
    s.bindText(4, serial);
    MediumRow row;
    while (s.step()) {
        row.path = column(s, 1);
        if (PathBelow(row.path, root).isNull())
            continue;
        row.id = s.intAt(0);
        row.file = column(s, 2);
        row.size = column(s, 3);
        row.modified = column(s, 4);
        sink(row);
    }
}

bool MediumRows::holdsAny(const QByteArray &label, const QByteArray &serial)
{
    Statement s(m_connection, "SELECT 1 FROM Files WHERE Archive = ?1 AND Serial = ?2 LIMIT 1");
    s.bindText(1, label);
    s.bindText(2, serial);
    return s.step();
}
