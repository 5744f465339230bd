#include "window/list/cataloguelistmodel.h"

#include "catalogue/catalogue.h"
#include "catalogue/filerow.h"
#include "catalogue/findmatcher.h"
#include "catalogue/storeddate.h"
#include "platform/connection.h"
#include "platform/platformerror.h"
#include "window/list/distincttexts.h"
#include "window/main/localdates.h"

#include <QDateTime>
#include <QLocale>

#include <algorithm>
#include <cstring>
#include <limits>
#include <mutex>
#include <string_view>

namespace {

struct NumberKey
{
    qint64 value;
    quint32 row;
};

} // namespace

CatalogueListModel::CatalogueListModel(QObject *parent) : QAbstractTableModel(parent)
{
    m_dateFormat = LocalDates::dateFormat();
    m_timeFormat = LocalDates::timeFormat();
    std::fill(std::begin(m_sourceColumn), std::end(m_sourceColumn), -1);
}

int CatalogueListModel::rowCount(const QModelIndex &parent) const
{
    if (parent.isValid())
        return 0;
    return int(m_filter ? m_order.size() : m_rows.size());
}

int CatalogueListModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant CatalogueListModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return QVariant();
    if (role == Qt::DisplayRole)
        return text(index.row(), index.column());
    if (role == Qt::TextAlignmentRole && index.column() == Size) // a number
        return int(Qt::AlignRight | Qt::AlignVCenter);
    return QVariant();
}

QVariant CatalogueListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 &&
        section < ColumnCount)
        return QString::fromLatin1(Names[section]);
    return QAbstractTableModel::headerData(section, orientation, role);
}

QString CatalogueListModel::text(int row, int column) const
{
    const QString raw = m_rows.text(storageRow(row), column);
    return FilesField::isDate(column) ? displayDate(raw) : raw;
}

QByteArray CatalogueListModel::bytes(int row, int column) const
{
    const auto [data, length] = m_rows.cell(storageRow(row), column);
    return QByteArray(data, length);
}

QString CatalogueListModel::displayDate(const QString &iso) const
{
    const StoredDate date = StoredDate::parse(QByteArrayView(iso.toLatin1()));
    return date.isValid() ? LocalDates::text(date, m_dateFormat, m_timeFormat) : iso;
}

void CatalogueListModel::sort(int column, Qt::SortOrder order)
{
    if (column < 0 || column >= ColumnCount)
        return;
    Q_EMIT layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    const QModelIndexList before = persistentIndexList();
    std::vector<quint32> storedBefore;
    storedBefore.reserve(size_t(before.size()));
    for (const QModelIndex &index : before)
        storedBefore.push_back(quint32(storageRow(index.row())));

    m_sorted = true;
    m_sortColumn = column;
    m_sortOrder = order;
    arrange(false);

    if (!before.isEmpty()) {
        std::vector<quint32> viewRow(m_rows.size());
        for (size_t i = 0; i < m_order.size(); ++i)
            viewRow[m_order[i]] = quint32(i);
        QModelIndexList after;
        after.reserve(before.size());
        for (int i = 0; i < before.size(); ++i)
            after.append(this->index(int(viewRow[storedBefore[size_t(i)]]), before[i].column()));
        changePersistentIndexList(before, after);
    }
    Q_EMIT layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

void CatalogueListModel::arrange(bool rematch)
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

void CatalogueListModel::applySort(std::vector<quint32> &rows) const
{
    const size_t n = rows.size();
    const int column = m_sortColumn;
    if (column == ID || column == Size || FilesField::isDate(column) || n == 0) {
        std::vector<NumberKey> keys(n);
        for (size_t k = 0; k < n; ++k) {
            const size_t i = rows[k];
            qint64 value;
            if (column == ID) {
                // Members, whose IDs are not of Files, after every file.
                value = m_rows.isMember(i) ? std::numeric_limits<qint64>::max() : m_rows.id(i);
            } else {
                const auto [data, length] = m_rows.cell(i, column);
                value = column == Size ? FileRow::sizeValue(data, length)
                                       : StoredDate::parse(data, length).moment();
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
    if (m_sortOrder == Qt::DescendingOrder)
        std::reverse(rows.begin(), rows.end());
}

template <typename OnMatch>
bool CatalogueListModel::scan(const FindQuery &query, const std::function<bool()> &stopped,
                              OnMatch onMatch) const
{
    FindMatcher matcher(query);
    const unsigned wanted = matcher.subItems();
    FindMatcher::Cell cells[CatalogueRows::SubItemCount] = {};
    const size_t n = m_rows.size();
    for (size_t row = 0; row < n; ++row) {
        if ((row & 0x3FFF) == 0 && row > 0 &&
            (m_refilling.load(std::memory_order_relaxed) || (stopped && stopped())))
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

bool CatalogueListModel::countMatching(const FindQuery &query, const std::function<bool()> &stopped,
                                       FindTotal &total) const
{
    if (m_refilling)
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

void CatalogueListModel::showOnly(const FindQuery &query)
{
    beginResetModel();
    m_filter = query;
    arrange(true);
    endResetModel();
}

void CatalogueListModel::showAll()
{
    if (!m_filter)
        return;
    beginResetModel();
    m_filter.reset();
    arrange(false);
    endResetModel();
}

void CatalogueListModel::refill(Catalogue &catalogue, bool keepFilter)
{
    beginResetModel();
    if (!keepFilter)
        m_filter.reset();
    m_refilling = true;
    {
        const std::unique_lock lock(m_rowsLock);
        m_rows.clear();
        m_order.clear();
        m_refillFailure.reset();
        try {
            catalogue.requery(this, this);
        } catch (const PlatformError &e) {
            // A source that cannot be run leaves the list empty; the refill still ends
            // normally. Damage met part way keeps the rows read before it: they can still be
            // browsed.
            if (!Connection::isDamage(e.number())) {
                m_rows.clear();
                m_refillFailure = e;
            }
        } catch (...) {
            m_rows.clear();
        }
        m_rows.release();
    }
    m_refilling = false;
    arrange(true);
    endResetModel();
}

void CatalogueListModel::begin(const std::vector<QString> &columns)
{
    m_rows.clear();
    // Fields are found by name once per fill; a field the source lacks stays empty.
    for (int c = 0; c < ColumnCount; ++c) {
        m_sourceColumn[c] = -1;
        for (size_t i = 0; i < columns.size(); ++i)
            if (columns[i].compare(QLatin1String(Names[c]), Qt::CaseInsensitive) == 0)
                m_sourceColumn[c] = int(i);
    }
}

void CatalogueListModel::row(qint64 id, const RowCell *cells)
{
    const char *texts[CatalogueRows::SubItemCount];
    int lengths[CatalogueRows::SubItemCount];
    for (int c = 1; c < ColumnCount; ++c) {
        const int source = m_sourceColumn[c];
        texts[c - 1] = source < 0 ? nullptr : cells[source].data;
        lengths[c - 1] = source < 0 ? 0 : cells[source].length;
    }
    m_rows.append(id, texts, lengths);
}

void CatalogueListModel::member(qint64 id, const RowCell *cells)
{
    const char *texts[CatalogueRows::SubItemCount];
    int lengths[CatalogueRows::SubItemCount];
    for (int c = 1; c < ColumnCount; ++c) {
        texts[c - 1] = cells[c].data;
        lengths[c - 1] = cells[c].length;
    }
    m_rows.appendMember(id, texts, lengths);
}
