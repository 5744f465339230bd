#pragma once

#include <QByteArray>

#include <functional>

class Connection;

// One catalogued row of a medium, as the update compares it with the file: texts in UTF-8, as
// stored, valid only during the call that hands them over.
struct MediumRow
{
    qint64 id = 0;
    QByteArray path;
    QByteArray file;
    QByteArray size;
    QByteArray modified;
};

// The rows of one medium (Archive and Serial compared exactly) whose Path is root or lies below
// it, read through the folder lookup index, so that a medium's rows cost what they are and not
// what the whole catalogue is.
class MediumRows
{
public:
    explicit MediumRows(Connection &connection) : m_connection(connection) {}

    // Hands every such row to sink, in no set order. Raises PlatformError for an engine failure.
    void read(const QByteArray &label, const QByteArray &serial, const QByteArray &root,
              const std::function<void(const MediumRow &)> &sink);

    // Whether the catalogue holds any row of the medium, wherever it was mounted.
    bool holdsAny(const QByteArray &label, const QByteArray &serial);

private:
    Connection &m_connection;
};
