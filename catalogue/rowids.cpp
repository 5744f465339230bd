#include "catalogue/rowids.h"

#include <algorithm>
#include <utility>

namespace {

// Runs past this many are no longer fewer bytes than one number per row.
size_t runsAllowed(size_t rows)
{
    return rows / 4 + 64;
}

} // namespace

qint64 RowIds::operator[](size_t row) const
{
    switch (m_form) {
    case Narrow:
        return qint64(m_narrow[row]);
    case Wide:
        return m_wide[row];
    case Runs:
        break;
    }
    const Run *first = m_runs.data(), *last = first + m_runs.size();
    const Run *run =
        std::upper_bound(first, last, row, [](size_t r, const Run &x) { return r < x.firstRow; }) -
        1;
    return run->firstId + qint64(row - run->firstRow);
}

void RowIds::push_back(qint64 id)
{
    const bool narrow = id >= 0 && id <= qint64(0xFFFFFFFFu);
    if (m_form == Runs && !(m_size > 0 && id == m_last + 1)) {
        if (m_runs.size() < runsAllowed(m_size + 1))
            m_runs.push_back({m_size, id});
        else
            change(m_fitNarrow && narrow ? Narrow : Wide);
    }
    if (m_form == Narrow && !narrow)
        change(Wide);
    if (m_form == Narrow)
        m_narrow.push_back(quint32(id));
    else if (m_form == Wide)
        m_wide.push_back(id);
    m_fitNarrow = m_fitNarrow && narrow;
    m_last = id;
    ++m_size;
}

void RowIds::change(Form form)
{
    // Every ID held so far, in the new form.
    if (form == Narrow) {
        m_narrow.resize(m_size);
        for (size_t row = 0; row < m_size; ++row)
            m_narrow[row] = quint32((*this)[row]);
    } else {
        m_wide.resize(m_size);
        for (size_t row = 0; row < m_size; ++row)
            m_wide[row] = (*this)[row];
        m_narrow.clear();
    }
    m_runs.clear();
    m_form = form;
}

void RowIds::clear()
{
    m_runs.clear();
    m_narrow.clear();
    m_wide.clear();
    m_size = 0;
    m_fitNarrow = true;
    m_form = Runs;
}

void RowIds::shrink()
{
    m_runs.shrink();
    m_narrow.shrink();
    m_wide.shrink();
}

void RowIds::drop(const std::vector<bool> &gone)
{
    RowIds kept;
    for (size_t row = 0; row < m_size; ++row)
        if (!gone[row])
            kept.push_back((*this)[row]);
    swap(kept);
}

void RowIds::swap(RowIds &other)
{
    m_runs.swap(other.m_runs);
    m_narrow.swap(other.m_narrow);
    m_wide.swap(other.m_wide);
    std::swap(m_size, other.m_size);
    std::swap(m_last, other.m_last);
    std::swap(m_fitNarrow, other.m_fitNarrow);
    std::swap(m_form, other.m_form);
}
