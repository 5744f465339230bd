#include "catalogue/heldrows.h"

#include "catalogue/catalogue.h"
#include "catalogue/distincttexts.h"
#include "catalogue/filerow.h"
#include "catalogue/findmatcher.h"
#include "platform/connection.h"

#include <QLatin1String>

#include <algorithm>
#include <limits>
#include <mutex>
#include <new>

namespace {

bool isDateColumn(int column)
{
    return column == FilesField::Created || column == FilesField::Accessed ||
           column == FilesField::Modified;
}

// An ISO date text ("2003-01-02", "2003-01-02 10:20:30") as one number that orders like the
// moment it names; a cell that is no such date sorts first.
qint64 dateValue(const char *data, int length)
{
    qint64 value = 0;
    int digits = 0;
    for (int i = 0; i < length; ++i) {
        const char c = data[i];
        if (c >= '0' && c <= '9') {
            value = value * 10 + (c - '0');
            ++digits;
        }
    }
    if (digits == 8)
        return value * 1000000;
    return digits == 14 ? value : -1;
}

struct NumberKey
{
    qint64 value;
    quint32 row;
};

} // namespace

std::optional<PlatformError> HeldRows::fill(Catalogue &catalogue, bool keepShown)
{
    if (!keepShown)
        m_filter.reset();
    std::optional<PlatformError> failure;
    m_filling = true;
    {
        const std::unique_lock lock(m_rowsLock);
        m_rows.clear();
        m_order.clear();
        try {
            catalogue.requery(this, this);
        } catch (const PlatformError &e) {
            if (!Connection::isDamage(e.number())) {
                m_rows.clear();
                failure = e;
            }
        } catch (const std::bad_alloc &) {
            m_rows.clear();
            failure = PlatformError(7, QStringLiteral("Out of memory"));
        }
        m_rows.release();
    }
    m_filling = false;
    arrange(true);
    return failure;
}

std::vector<qint64> HeldRows::shownPlaces() const
{
    std::vector<qint64> place(m_rows.size(), narrowed() ? -1 : 0);
    for (size_t i = 0; i < shownCount(); ++i)
        place[storedRow(i)] = qint64(i);
    return place;
}

void HeldRows::sort(int column, bool descending)
{
    if (column < 0 || column >= FieldCount)
        return;
    m_sorted = true;
    m_sortColumn = column;
    m_descending = descending;
    arrange(false);
}

void HeldRows::arrange(bool rematch)
{
    std::vector<quint32> rows;
    if (m_filter && rematch) {
        scan(*m_filter, nullptr,
             [&rows](size_t row, const FindMatcher::Cell *) { rows.push_back(quint32(row)); });
    } else if (m_filter) {
        rows.swap(m_order);
    } else if (m_sorted) {
        rows.resize(m_rows.size());
        for (size_t i = 0; i < rows.size(); ++i)
            rows[i] = quint32(i);
    }
    if (m_sorted)
        applySort(rows);
    m_order.swap(rows);
}

void HeldRows::applySort(std::vector<quint32> &rows) const
{
    const size_t n = rows.size();
    const int column = m_sortColumn;
    if (column == ID || column == Size || isDateColumn(column) || n == 0) {
        std::vector<NumberKey> keys(n);
        for (size_t k = 0; k < n; ++k) {
            const size_t i = rows[k];
            qint64 value;
            if (column == ID) {
                // Members, whose IDs are not of Files, after every file.
                value = m_rows.isMember(i) ? std::numeric_limits<qint64>::max() : m_rows.id(i);
            } else {
                const auto [data, length] = m_rows.cell(i, column);
                value = column == Size ? FileRow::sizeValue(data, length) : dateValue(data, length);
            }
            keys[k] = {value, quint32(i)};
        }
        std::sort(keys.begin(), keys.end(), [](const NumberKey &a, const NumberKey &b) {
            return a.value != b.value ? a.value < b.value : a.row < b.row;
        });
        for (size_t k = 0; k < n; ++k)
            rows[k] = keys[k].row;
    } else {
        // Each row gets its text's number (rows sharing a stored cell share it without a
        // lookup), then the rows are placed by their text's place, keeping stored order among
        // equal texts.
        DistinctTexts texts;
        std::vector<quint32> number(n);
        const char *lastData = nullptr;
        for (size_t k = 0; k < n; ++k) {
            const auto [data, length] = m_rows.cell(rows[k], column);
            number[k] = k > 0 && data == lastData ? number[k - 1] : texts.add(data, length);
            lastData = data;
        }
        const std::vector<quint32> place = texts.places();
        std::vector<quint32> start(place.size() + 1, 0);
        for (size_t k = 0; k < n; ++k)
            ++start[place[number[k]] + 1];
        for (size_t p = 1; p < start.size(); ++p)
            start[p] += start[p - 1];
        std::vector<quint32> ordered(n);
        for (size_t k = 0; k < n; ++k)
            ordered[start[place[number[k]]]++] = rows[k];
        rows.swap(ordered);
    }
    if (m_descending)
        std::reverse(rows.begin(), rows.end());
}

template <typename OnMatch>
bool HeldRows::scan(const FindQuery &query, const std::function<bool()> &stopped,
                    OnMatch onMatch) const
{
    FindMatcher matcher(query);
    const unsigned wanted = matcher.subItems();
    FindMatcher::Cell cells[CatalogueRows::SubItemCount] = {};
    const size_t n = m_rows.size();
    for (size_t row = 0; row < n; ++row) {
        if ((row & 0x3FFF) == 0 && row > 0 &&
            (m_filling.load(std::memory_order_relaxed) || (stopped && stopped())))
            return false;
        // A cell shared with the row above is where it was: its text need not be looked up.
        for (int subItem = 1; subItem <= CatalogueRows::SubItemCount; ++subItem)
            if ((wanted & (1u << subItem)) && (row == 0 || !m_rows.sharesCellAbove(row, subItem)))
                cells[subItem - 1] = m_rows.cell(row, subItem);
        if (matcher.matches(cells)) {
            if (!(wanted & (1u << Size)))
                cells[Size - 1] = m_rows.cell(row, Size);
            onMatch(row, cells);
        }
    }
    return true;
}

bool HeldRows::countMatching(const FindQuery &query, const std::function<bool()> &stopped,
                             FindTotal &total) const
{
    if (m_filling)
        return false;
    const std::shared_lock lock(m_rowsLock);
    FindTotal found;
    const bool done = scan(query, stopped, [&found](size_t, const FindMatcher::Cell *cells) {
        ++found.files;
        found.bytes += FileRow::sizeValue(cells[Size - 1].first, cells[Size - 1].second);
    });
    if (done)
        total = found;
    return done;
}

void HeldRows::showOnly(const FindQuery &query)
{
    m_filter = query;
    arrange(true);
}

void HeldRows::showAll()
{
    if (!m_filter)
        return;
    m_filter.reset();
    arrange(false);
}

void HeldRows::begin(const std::vector<QString> &columns)
{
    m_rows.clear();
    // Fields are found by name once per fill; a field the source lacks stays empty.
    for (int c = 0; c < FieldCount; ++c) {
        m_sourceColumn[c] = -1;
        for (size_t i = 0; i < columns.size(); ++i)
            if (columns[i].compare(QLatin1String(Names[c]), Qt::CaseInsensitive) == 0)
                m_sourceColumn[c] = int(i);
    }
}

void HeldRows::row(qint64 id, const RowCell *cells)
{
    const char *texts[CatalogueRows::SubItemCount];
    int lengths[CatalogueRows::SubItemCount];
    for (int c = 1; c < FieldCount; ++c) {
        const int source = m_sourceColumn[c];
        texts[c - 1] = source < 0 ? nullptr : cells[source].data;
        lengths[c - 1] = source < 0 ? 0 : cells[source].length;
    }
    m_rows.append(id, texts, lengths);
}

void HeldRows::member(qint64 id, const RowCell *cells)
{
    const char *texts[CatalogueRows::SubItemCount];
    int lengths[CatalogueRows::SubItemCount];
    for (int c = 1; c < FieldCount; ++c) {
        texts[c - 1] = cells[c].data;
        lengths[c - 1] = cells[c].length;
    }
    m_rows.appendMember(id, texts, lengths);
}
