#include "catalogue/media.h"

namespace {
const char RowsOfMedium[] = "ifnull(Archive, '') = ?1 AND ifnull(Serial, '') = ?2";
} // namespace

namespace Media {

QString rowsStatement()
{
    return QStringLiteral("SELECT * FROM Files WHERE %1").arg(QLatin1String(RowsOfMedium));
}

} // namespace Media
