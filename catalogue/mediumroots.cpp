#include "catalogue/mediumroots.h"

#include "platform/connection.h"
#include "platform/platformerror.h"
#include "platform/statement.h"

namespace {

QString key(const QString &label, const QString &serial)
{
    return label + QLatin1Char('\n') + serial;
}

} // namespace

void MediumRoots::record(const QString &label, const QString &serial, const QString &root)
{
    if (roots(label, serial).contains(root))
        return;
    try {
        Statement insert(m_connection, "INSERT OR IGNORE INTO MediumRoots (Archive, Serial, Root) "
                                       "VALUES (?1, ?2, ?3)");
        const QByteArray texts[] = {label.toUtf8(), serial.toUtf8(), root.toUtf8()};
        for (int i = 0; i < 3; ++i)
            insert.bindText(i + 1, texts[i]);
        insert.step();
    } catch (const PlatformError &e) {
        // A read-only catalogue, or one made before the table, keeps no roots.
        if (!Connection::isReadOnlyAnswer(e.number()) && m_connection.hasTable("MediumRoots"))
            throw;
    }
    m_roots[key(label, serial)].append(root); // asked once, whether it could be kept or not
}

QStringList MediumRoots::roots(const QString &label, const QString &serial)
{
    const QString medium = key(label, serial);
    if (const auto kept = m_roots.constFind(medium); kept != m_roots.constEnd())
        return *kept;
    QStringList roots;
    if (!m_connection.hasTable("MediumRoots")) {
        m_roots.insert(medium, roots); // a read-only catalogue made before the table
        return roots;
    }
    Statement select(m_connection,
                     "SELECT Root FROM MediumRoots WHERE Archive = ?1 AND Serial = ?2");
    const QByteArray labelText = label.toUtf8(), serialText = serial.toUtf8();
    select.bindText(1, labelText);
    select.bindText(2, serialText);
    while (select.step()) {
        const std::string_view root = select.textAt(0);
        roots.append(QString::fromUtf8(root.data(), qsizetype(root.size())));
    }
    m_roots.insert(medium, roots);
    return roots;
}
