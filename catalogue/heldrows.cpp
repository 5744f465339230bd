#include "catalogue/heldrows.h"

#include "catalogue/casefold.h"
#include "catalogue/catalogue.h"
#include "catalogue/findmatcher.h"
#include "catalogue/namesearch.h"
#include "catalogue/roworder.h"
#include "platform/connection.h"

#include <QLatin1String>

#include <algorithm>
#include <cstring>
#include <mutex>
#include <new>

std::optional<PlatformError> HeldRows::fill(Catalogue &catalogue, bool keepShown)
{
    if (!keepShown)
        m_filter.reset();
    m_viewRows.reset();
    std::optional<PlatformError> failure;
    m_filling = true;
    {
        const std::unique_lock lock(m_rowsLock);
        clearRows();
        m_order.clear();
        try {
            catalogue.requery(this, this);
        } catch (const PlatformError &e) {
            if (!Connection::isDamage(e.number())) {
                clearRows();
                failure = e;
            }
        } catch (const std::bad_alloc &) {
            clearRows();
            failure = PlatformError(7, QStringLiteral("Out of memory"));
        }
        m_rows.release();
        m_names.shrink();
    }
    m_filling = false;
    arrange(true);
    return failure;
}

void HeldRows::clearRows()
{
    m_rows.clear();
    m_names.clear();
}

void HeldRows::clear()
{
    m_filling = true;
    {
        const std::unique_lock lock(m_rowsLock);
        m_filter.reset();
        m_viewRows.reset();
        m_order.clear();
        clearRows();
    }
    m_filling = false;
}

void HeldRows::append(const HeldRows &part)
{
    m_filling = true; // a count running gives way
    {
        const std::unique_lock lock(m_rowsLock);
        const size_t first = m_rows.size();
        m_rows.appendAll(part.m_rows);
        if (part.m_names.size() == part.m_rows.size()) {
            m_names.append(part.m_names);
        } else {
            for (size_t row = first; row < m_rows.size(); ++row) {
                const auto [data, length] = m_rows.cell(row, File);
                m_names.add(data, length);
            }
        }
    }
    m_filling = false;
}

std::vector<qint64> HeldRows::shownPlaces() const
{
    std::vector<qint64> place(m_rows.size(), -1);
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
    if (m_viewRows && rematch) {
        rows = *m_viewRows;
    } else if (m_filter && rematch) {
        scan(*m_filter, nullptr, [&rows](size_t row) { rows.push_back(quint32(row)); });
    } else if (narrowed()) {
        rows.swap(m_order);
    } else if (m_sorted) {
        rows.swap(m_order); // its memory is used again, not held twice
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
    RowOrder::sort(m_rows, rows, m_sortColumn, m_descending, &m_names);
}

template <typename OnMatch>
bool HeldRows::scan(const FindQuery &query, const std::function<bool()> &stopped,
                    OnMatch onMatch) const
{
    const size_t n = m_rows.size();
    // Words and phrases are looked for in the folded names all at once, as the search does,
    // types at the names' ends, folders and discs once per place: only the rows they leave are
    // read cell by cell, and a query of these alone not at all.
    std::vector<bool> named;
    const auto marked = [](const FindQuery::Term &term) {
        return term.field == FindQuery::Name || term.field == FindQuery::Type ||
               term.field == FindQuery::Folder || term.field == FindQuery::Disc ||
               term.field == FindQuery::Note;
    };
    // Mixed with other tests, the cheapest first decide most rows alone: only words are marked.
    const bool namesOnly = std::all_of(query.terms().begin(), query.terms().end(), marked);
    for (const FindQuery::Term &term : query.terms()) {
        if (namesOnly ? !marked(term) : term.field != FindQuery::Name)
            continue;
        std::vector<bool> hits(n, false);
        if (term.field == FindQuery::Name)
            m_names.mark(term.texts[0], hits);
        else if (term.field == FindQuery::Type)
            markEndings(term.texts, hits);
        else
            markPlaces(term, hits);
        if (term.exclude)
            hits.flip();
        if (named.empty())
            named.swap(hits);
        else
            for (size_t row = 0; row < n; ++row)
                named[row] = named[row] && hits[row];
    }
    FindMatcher matcher(query);
    const unsigned wanted = namesOnly ? 0 : matcher.subItems();
    FindMatcher::Cell cells[CatalogueRows::SubItemCount] = {};
    size_t last = size_t(-1); // the row whose cells are in cells
    for (size_t row = 0; row < n; ++row) {
        if ((row & 0x3FFF) == 0 && row > 0 &&
            (m_filling.load(std::memory_order_relaxed) || (stopped && stopped())))
            return false;
        if (!named.empty() && !named[row])
            continue;
        // A text shared with the row above is where it was: it need not be looked up again. The
        // size and dates are read as numbers by the tests that come to them.
        const bool follows = row > 0 && last + 1 == row;
        for (int subItem = 1; subItem <= CatalogueRows::SubItemCount; ++subItem)
            if ((wanted & (1u << subItem)) && subItem != Size && !isDate(subItem) &&
                (!follows || !m_rows.sharesCellAbove(row, subItem)))
                cells[subItem - 1] = m_rows.cell(row, subItem);
        last = row;
        if (namesOnly || matcher.matches(cells, m_rows, row))
            onMatch(row);
    }
    return true;
}

void HeldRows::markEndings(const std::vector<QByteArray> &endings, std::vector<bool> &marks) const
{
    // The folded names held, read in their order: a type is a name's ending.
    for (size_t row = 0; row < marks.size(); ++row) {
        const char *name = m_names.name(row);
        const size_t length = std::strlen(name);
        for (const QByteArray &ending : endings)
            if (length >= size_t(ending.size()) &&
                std::memcmp(name + length - size_t(ending.size()), ending.constData(),
                            size_t(ending.size())) == 0) {
                marks[row] = true;
                break;
            }
    }
}

void HeldRows::markPlaces(const FindQuery::Term &term, std::vector<bool> &marks) const
{
    // Rows of one place share the cells the term reads: each place is tested once.
    std::vector<qint8> answers(m_rows.placeCount(), -1);
    FindMatcher matcher(term);
    FindMatcher::Cell cells[CatalogueRows::SubItemCount] = {};
    for (size_t row = 0; row < marks.size(); ++row) {
        qint8 &answer = answers[m_rows.place(row)];
        if (answer < 0) {
            for (int subItem : {Path, Archive, Serial})
                if (matcher.subItems() & (1u << subItem))
                    cells[subItem - 1] = m_rows.cell(row, subItem);
            answer = matcher.matches(cells, m_rows, row) ? 1 : 0;
        }
        marks[row] = answer != 0;
    }
}

bool HeldRows::countMatching(const FindQuery &query, const std::function<bool()> &stopped,
                             FindTotal &total) const
{
    if (m_filling)
        return false;
    const std::shared_lock lock(m_rowsLock);
    FindTotal found;
    const bool done = scan(query, stopped, [&](size_t row) {
        ++found.files;
        found.bytes += std::max<qint64>(m_rows.sizeValue(row), 0); // a size unread adds nothing
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

void HeldRows::showRows(std::vector<quint32> rows)
{
    m_filter.reset();
    m_viewRows = std::move(rows);
    arrange(true);
}

void HeldRows::showAll()
{
    if (!narrowed())
        return;
    m_filter.reset();
    m_viewRows.reset();
    arrange(true);
}

std::vector<quint32> HeldRows::searchNames(const QString &text) const
{
    const size_t n = m_rows.size();
    const QByteArray literal = NameSearch::longestRun(text);
    std::vector<bool> candidates(n, literal.isEmpty());
    if (!literal.isEmpty())
        m_names.mark(literal, candidates);
    // A plain text is found where its folded form is; a pattern is matched name by name.
    const bool plain = !text.contains(QLatin1Char('%')) && !text.contains(QLatin1Char('_')) &&
                       !literal.contains('\0');
    std::u32string pattern, name;
    std::vector<bool> starts;
    const QByteArray like = (QLatin1Char('%') + text + QLatin1Char('%')).toUtf8();
    CaseFold::foldCodePoints(pattern, like.constData(), like.size());
    std::vector<quint32> rows;
    for (size_t row = 0; row < n; ++row) {
        if (!candidates[row])
            continue;
        const auto [data, length] = m_rows.cell(row, File);
        if (!plain) {
            CaseFold::foldCodePoints(name, data, length, &starts);
            if (!NameSearch::likeMatch(name, pattern, &starts))
                continue;
        }
        rows.push_back(quint32(row));
    }
    const auto byName = [this](quint32 a, quint32 b) {
        if (m_rows.isMember(a) != m_rows.isMember(b))
            return m_rows.isMember(b);
        const int folded = std::strcmp(m_names.name(a), m_names.name(b));
        if (folded != 0)
            return folded < 0;
        const auto [x, lx] = m_rows.cell(a, File);
        const auto [y, ly] = m_rows.cell(b, File);
        const int bytes = std::memcmp(x, y, size_t(std::min(lx, ly)));
        return bytes != 0 ? bytes < 0 : lx != ly ? lx < ly : a < b;
    };
    std::sort(rows.begin(), rows.end(), byName);
    return rows;
}

bool HeldRows::rowsOf(const std::vector<RowKey> &keys, std::vector<quint32> &rows) const
{
    // Files and then members, each in ID order, as the whole catalogue is read.
    const size_t n = m_rows.size(), firstMember = m_rows.firstMember();
    rows.clear();
    rows.reserve(keys.size());
    for (const RowKey &key : keys) {
        size_t low = key.isMember() ? firstMember : 0, high = key.isMember() ? n : firstMember;
        while (low < high) {
            const size_t middle = low + (high - low) / 2;
            if (m_rows.id(middle) < key.id)
                low = middle + 1;
            else
                high = middle;
        }
        if (low == (key.isMember() ? n : firstMember) || m_rows.id(low) != key.id)
            return false;
        rows.push_back(quint32(low));
    }
    return true;
}

void HeldRows::drop(const std::vector<quint32> &rows)
{
    if (rows.empty())
        return;
    m_filling = true; // a count running gives way
    const std::unique_lock lock(m_rowsLock);
    const size_t n = m_rows.size();
    std::vector<bool> gone(n, false);
    for (quint32 row : rows)
        gone[row] = true;
    m_names.drop(gone);
    m_rows.drop(gone);
    if (m_order.empty() && !m_viewRows) {
        m_filling = false;
        return; // shown in the order held: nothing refers to the rows by number
    }
    // Each row kept moves up by the rows dropped before it.
    std::vector<quint32> moved(n);
    quint32 kept = 0;
    for (size_t row = 0; row < n; ++row) {
        moved[row] = kept;
        kept += gone[row] ? 0 : 1;
    }
    const auto renumber = [&](std::vector<quint32> &list) {
        size_t out = 0;
        for (quint32 row : list)
            if (!gone[row])
                list[out++] = moved[row];
        list.resize(out);
    };
    renumber(m_order);
    if (m_viewRows)
        renumber(*m_viewRows);
    m_filling = false;
}

void HeldRows::begin(const std::vector<QString> &columns)
{
    clearRows();
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
    if (m_foldNames)
        m_names.add(texts[File - 1], lengths[File - 1]);
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
    if (m_foldNames)
        m_names.add(cells[File].data, cells[File].length);
}
