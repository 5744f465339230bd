#include "catalogue/namecollector.h"

#include "catalogue/foldednames.h"

#include <algorithm>

NameCollector::NameCollector(RowSink &next, FoldedNames &names)
    : m_next(next), m_names(names), m_heldUpTo(names.upTo())
{}

void NameCollector::begin(const std::vector<QString> &columns)
{
    m_fileColumn = -1;
    for (size_t i = 0; i < columns.size(); ++i)
        if (columns[i].compare(QLatin1String("File"), Qt::CaseInsensitive) == 0)
            m_fileColumn = int(i);
    m_next.begin(columns);
}

void NameCollector::row(qint64 id, const RowCell *cells)
{
    if (m_fileColumn >= 0 && id > m_heldUpTo)
        m_names.add(id, cells[m_fileColumn].data, cells[m_fileColumn].length);
    m_lastId = std::max(m_lastId, id);
    m_next.row(id, cells);
}
