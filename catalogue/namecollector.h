#pragma once

#include "platform/recordset.h"

class FoldedNames;

// Passes a refill's rows on to the list and takes the name of each row not held yet into the
// folded names on the way, so that holding the names costs no read of its own.
class NameCollector : public RowSink
{
public:
    NameCollector(RowSink &next, FoldedNames &names);

    void begin(const std::vector<QString> &columns) override;
    void row(qint64 id, const RowCell *cells) override;
    // The highest ID seen, or 0 when there was no row.
    qint64 lastId() const { return m_lastId; }

private:
    RowSink &m_next;
    FoldedNames &m_names;
    qint64 m_heldUpTo; // the names of rows up to this ID are held already
    int m_fileColumn = -1;
    qint64 m_lastId = 0;
};
