#include "catalogue/schema.h"

#include "catalogue/filesfield.h"
#include "catalogue/schemasql.h"
#include "platform/platformerror.h"
#include "platform/recordset.h"
#include "platform/statement.h"

#include <QSet>
#include <QString>

namespace {

// Runs sql and reads every cell of every row it gives.
void readAll(Connection &connection, const char *sql, QSet<QString> *firstColumn = nullptr)
{
    Statement statement(connection, sql);
    while (statement.step()) {
        for (int i = 0; i < statement.columnCount(); ++i)
            statement.textAt(i);
        if (firstColumn) {
            const std::string_view text = statement.textAt(0);
            firstColumn->insert(
                QString::fromUtf8(text.data(), qsizetype(text.size())).toCaseFolded());
        }
    }
}

} // namespace

namespace Schema {

QByteArray section(const char *name)
{
    const QByteArray text(SchemaSql);
    const QByteArray marker = QByteArray("-- section: ") + name + '\n';
    const qsizetype start = text.indexOf(marker);
    if (start < 0)
        return QByteArray();
    const qsizetype end = text.indexOf("-- section: ", start + marker.size());
    return text.mid(start + marker.size(), end < 0 ? -1 : end - start - marker.size());
}

void check(Connection &connection)
{
    QSet<QString> fields;
    readAll(connection, "SELECT name FROM pragma_table_info('Files')", &fields);
    if (fields.isEmpty()) {
        // The engine's own words for it, as opening the table would give.
        readAll(connection, "SELECT 1 FROM Files LIMIT 0");
    }
    for (const char *field : FilesField::Names)
        if (!fields.contains(QString::fromLatin1(field).toCaseFolded()))
            throw PlatformError(adErrItemNotFound,
                                QStringLiteral("Item cannot be found in the collection "
                                               "corresponding to the requested name or ordinal: "
                                               "table Files has no field %1.")
                                    .arg(QLatin1String(field)));
    // The two ends of the table's tree: damage near its root shows here, the rest at the first
    // full read of the list.
    readAll(connection, "SELECT * FROM Files ORDER BY rowid LIMIT 1");
    readAll(connection, "SELECT * FROM Files ORDER BY rowid DESC LIMIT 1");
}

} // namespace Schema
