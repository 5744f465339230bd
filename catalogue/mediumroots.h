#pragma once

#include <QHash>
#include <QString>
#include <QStringList>

class Connection;

// The folders each medium's root was mounted on when folders of it were catalogued (table
// MediumRoots), by the medium's label and serial text. Roots once read are kept for the life of
// this object, so asking for them once per folder costs no query.
class MediumRoots
{
public:
    explicit MediumRoots(Connection &cnCatalogue) : m_connection(cnCatalogue) {}

    // Remembers root for the medium. A catalogue that cannot be written (read-only, or made
    // before the table and never upgraded) keeps none, silently. Raises PlatformError for
    // another engine failure.
    void record(const QString &label, const QString &serial, const QString &root);

    // The roots recorded for the medium, in no set order. Raises PlatformError for an engine
    // failure other than a missing table.
    QStringList roots(const QString &label, const QString &serial);

    // Forgets the roots read: another connection recorded more (a run on its own thread).
    void forget() { m_roots.clear(); }

private:
    Connection &m_connection;
    QHash<QString, QStringList> m_roots; // by label and serial
};
