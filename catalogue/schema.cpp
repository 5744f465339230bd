#include "catalogue/schema.h"

#include "catalogue/schemasql.h"

namespace Schema {

QByteArray all()
{
    return QByteArray(SchemaSql);
}

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

} // namespace Schema
