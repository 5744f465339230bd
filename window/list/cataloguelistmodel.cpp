#include "window/list/cataloguelistmodel.h"

#include "catalogue/catalogue.h"
#include "catalogue/storeddate.h"
#include "platform/largeblock.h"
#include "window/list/fillbehind.h"
#include "window/main/localdates.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QLocale>

CatalogueListModel::CatalogueListModel(QObject *parent) : QAbstractTableModel(parent)
{
    m_dateFormat = LocalDates::dateFormat();
    m_timeFormat = LocalDates::timeFormat();
}

int CatalogueListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_held.shownCount());
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
        return QCoreApplication::translate("FilesField", Names[section]);
    return QAbstractTableModel::headerData(section, orientation, role);
}

QString CatalogueListModel::text(int row, int column) const
{
    const size_t stored = storageRow(row);
    if (FilesField::isDate(column)) {
        // Read from the stored bytes; a text that is no date is shown as stored.
        const auto [data, length] = m_held.rows().cell(stored, column);
        const StoredDate date = StoredDate::parse(data, length);
        if (date.isValid())
            return LocalDates::text(date, m_dateFormat, m_timeFormat);
    }
    return m_held.rows().text(stored, column);
}

QByteArray CatalogueListModel::bytes(int row, int column) const
{
    const auto [data, length] = m_held.rows().cell(storageRow(row), column);
    return QByteArray(data, length);
}

void CatalogueListModel::sort(int column, Qt::SortOrder order)
{
    if (column < 0 || column >= ColumnCount)
        return;
    Q_EMIT layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    const QModelIndexList before = persistentIndexList();
    std::vector<size_t> storedBefore;
    storedBefore.reserve(size_t(before.size()));
    for (const QModelIndex &index : before)
        storedBefore.push_back(storageRow(index.row()));

    m_held.sort(column, order == Qt::DescendingOrder);
    LargeBlock::trimFreed();

    if (!before.isEmpty()) {
        const std::vector<qint64> place = m_held.shownPlaces();
        QModelIndexList after;
        after.reserve(before.size());
        for (int i = 0; i < before.size(); ++i)
            after.append(this->index(int(place[storedBefore[size_t(i)]]), before[i].column()));
        changePersistentIndexList(before, after);
    }
    Q_EMIT layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

void CatalogueListModel::showOnly(const FindQuery &query)
{
    beginResetModel();
    m_held.showOnly(query);
    endResetModel();
}

void CatalogueListModel::showRows(std::vector<quint32> rows)
{
    beginResetModel();
    m_held.showRows(std::move(rows));
    endResetModel();
}

void CatalogueListModel::drop(const std::vector<quint32> &rows)
{
    beginResetModel();
    m_held.drop(rows);
    endResetModel();
}

void CatalogueListModel::beginFill()
{
    beginResetModel();
    m_held.clear();
    m_refillFailure.reset();
    endResetModel();
}

void CatalogueListModel::appendPart(const HeldRows &part)
{
    if (m_held.narrowed() || m_held.sorted()) {
        m_held.append(part);
    } else {
        const int first = rowCount();
        beginInsertRows(QModelIndex(), first, first + int(part.rows().size()) - 1);
        m_held.append(part);
        endInsertRows();
    }
    Q_EMIT rowsArrived();
}

void CatalogueListModel::endFill()
{
    if (m_held.sorted())
        sort(m_held.sortColumn(), sortOrder());
}

void CatalogueListModel::showAll()
{
    if (!m_held.narrowed())
        return;
    beginResetModel();
    m_held.showAll();
    endResetModel();
}

void CatalogueListModel::refillInParts(Catalogue &catalogue)
{
    std::optional<PlatformError> failure;
    beginResetModel();
    m_held.clear();
    try {
        FillBehind reading(catalogue.path(), FillBehind::Waited);
        failure = reading.takeAll([this](const HeldRows &part) { m_held.append(part); });
    } catch (const PlatformError &error) {
        failure = error;
    } catch (const std::bad_alloc &) {
        failure = PlatformError(7, QStringLiteral("Out of memory"));
    }
    if (failure) {
        // Read again the one way, which reports what it meets as a refill does.
        m_refillFailure = m_held.fill(catalogue, false);
    } else {
        m_refillFailure.reset();
        if (m_held.sorted())
            m_held.sort(m_held.sortColumn(), m_held.descending());
    }
    endResetModel();
    LargeBlock::trimFreed();
}

void CatalogueListModel::refill(Catalogue &catalogue, bool keepFilter)
{
    beginResetModel();
    m_refillFailure = m_held.fill(catalogue, keepFilter);
    endResetModel();
    LargeBlock::trimFreed();
}
