#include "catalogue/media.h"

#include "catalogue/foldertree.h"
#include "catalogue/removedrows.h"
#include "platform/connection.h"
#include "platform/statement.h"
#include "platform/transaction.h"

namespace {

const char RowsOfMedium[] = "ifnull(Archive, '') = ?1 AND ifnull(Serial, '') = ?2";

QByteArray text(const Statement &statement, int column)
{
    const std::string_view text = statement.textAt(column);
    return QByteArray(text.data(), qsizetype(text.size()));
}

} // namespace

QString Media::rowsStatement()
{
    return QStringLiteral("SELECT * FROM Files WHERE %1").arg(QLatin1String(RowsOfMedium));
}

QString Media::folderRowsStatement()
{
    // Bounds rather than a pattern: the folder-first index finds the rows, and no character of
    // a folder's name means anything.
    return rowsStatement() + QStringLiteral(" AND (Path = ?3 OR (Path >= ?4 AND Path < ?5))");
}

std::pair<QString, QString> Media::folderBounds(const QString &folder)
{
    const QString below = folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
    QString after = below;
    after.back() = QChar(u'/' + 1); // '0': the first text past every one that begins with below
    return {below, after};
}

void Media::folders(const QString &label, const QString &serial, FolderTree &tree)
{
    Statement rows(m_connection,
                   (QByteArray("SELECT Path, Size FROM Files WHERE ") + RowsOfMedium).constData());
    const QByteArray labelText = label.toUtf8(), serialText = serial.toUtf8();
    rows.bindText(1, labelText);
    rows.bindText(2, serialText);
    while (rows.step()) {
        const std::string_view path = rows.textAt(0), size = rows.textAt(1);
        tree.add(path.data() ? path.data() : "", int(path.size()), size.data() ? size.data() : "",
                 int(size.size()));
    }
}

std::vector<MediumTotals> Media::totals()
{
    MediaTally tally;
    Statement rows(m_connection, "SELECT Archive, Serial, Size FROM Files");
    while (rows.step()) {
        const std::string_view label = rows.textAt(0), serial = rows.textAt(1),
                               size = rows.textAt(2);
        tally.add(label.data() ? label.data() : "", int(label.size()),
                  serial.data() ? serial.data() : "", int(serial.size()),
                  size.data() ? size.data() : "", int(size.size()));
    }
    return tally.media();
}

std::vector<ArchiveMembers::MediumCount> Media::memberCounts()
{
    return ArchiveMembers::countsByMedium(m_connection);
}

QHash<Media::Key, QByteArray> Media::catalogued()
{
    QHash<Key, QByteArray> times;
    if (!m_connection.hasTable("MediumCatalogued"))
        return times;
    Statement rows(m_connection, "SELECT Archive, Serial, Catalogued FROM MediumCatalogued");
    while (rows.step())
        times.insert(Key(text(rows, 0), text(rows, 1)), text(rows, 2));
    return times;
}

void Media::noteCatalogued(const QByteArray &label, const QByteArray &serial)
{
    if (!m_connection.hasTable("MediumCatalogued"))
        return; // a catalogue opened read-only before the table was made writes no rows either
    Statement note(m_connection,
                   "INSERT OR REPLACE INTO MediumCatalogued (Archive, Serial, Catalogued) "
                   "VALUES (?1, ?2, strftime('%Y-%m-%d %H:%M:%S', 'now'))");
    note.bindText(1, label);
    note.bindText(2, serial);
    note.step();
}

qint64 Media::remove(const QString &label, const QString &serial,
                     const std::optional<std::vector<qint64>> &ids, RemovedRows &keep)
{
    const QByteArray labelText = label.toUtf8(), serialText = serial.toUtf8();
    Transaction transaction(m_connection);
    keep.startKeeping();
    if (ids)
        keep.keep(*ids);
    else
        keep.keepSelected(RowsOfMedium, labelText, serialText);
    qint64 removed = 0;
    Statement rows(m_connection, (QByteArray("DELETE FROM Files WHERE ") + RowsOfMedium +
                                  (ids ? " AND ID = ?3" : ""))
                                     .constData());
    if (ids) {
        for (const qint64 id : *ids) {
            rows.bindText(1, labelText);
            rows.bindText(2, serialText);
            rows.bindInt(3, id);
            rows.step();
            const qint64 changed = m_connection.changes();
            if (changed == 0)
                keep.forget(id); // another medium's row now
            removed += changed;
            rows.reset(); // the bindings too
        }
    } else {
        rows.bindText(1, labelText);
        rows.bindText(2, serialText);
        rows.step();
        removed = m_connection.changes();
    }
    if (m_connection.hasTable("MediumCatalogued")) {
        Statement when(m_connection,
                       "DELETE FROM MediumCatalogued WHERE Archive = ?1 AND Serial = ?2");
        when.bindText(1, labelText);
        when.bindText(2, serialText);
        when.step();
    }
    keep.stopKeeping();
    transaction.commit();
    return removed;
}

QHash<Media::Key, QString> Media::notes()
{
    QHash<Key, QString> notes;
    if (!m_connection.hasTable("MediumNotes"))
        return notes;
    Statement rows(m_connection, "SELECT Archive, Serial, Note FROM MediumNotes");
    while (rows.step())
        notes.insert(Key(text(rows, 0), text(rows, 1)), QString::fromUtf8(text(rows, 2)));
    return notes;
}

void Media::setNote(const QString &label, const QString &serial, const QString &note)
{
    const QByteArray labelText = label.toUtf8(), serialText = serial.toUtf8();
    const QByteArray noteText = note.trimmed().toUtf8();
    Transaction transaction(m_connection);
    Statement write(m_connection, noteText.isEmpty()
                                      ? "DELETE FROM MediumNotes WHERE Archive = ?1 AND Serial = ?2"
                                      : "INSERT OR REPLACE INTO MediumNotes (Archive, Serial, "
                                        "Note) VALUES (?1, ?2, ?3)");
    write.bindText(1, labelText);
    write.bindText(2, serialText);
    if (!noteText.isEmpty())
        write.bindText(3, noteText);
    write.step();
    transaction.commit();
}
