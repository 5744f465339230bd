#pragma once

#include <QString>
#include <QStringList>

class Connection;

// The folders each medium's root was mounted on when folders of it were catalogued, beside its
// label and serial text (table MediumRoots). Rows of Files keep their folder as catalogued;
// these roots tell which part of that folder lies on the medium, so the same file is known
// again, and found, under another mount point.
class MediumRoots
{
public:
    explicit MediumRoots(Connection &cnCatalogue) : m_connection(cnCatalogue) {}

    // Creates the table in a catalogue made before it existed. A read-only catalogue is left as
    // it is: it then has no roots. Raises PlatformError for another engine failure.
    void ensure();

    // Remembers root for the medium; nothing when it is known already. Raises PlatformError.
    void record(const QString &label, const QString &serial, const QString &root);

    // The roots recorded for the medium, in no set order. None when the catalogue has no table.
    QStringList roots(const QString &label, const QString &serial);

private:
    Connection &m_connection;
};
