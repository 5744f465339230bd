#pragma once

#include "catalogue/filesfield.h"
#include "catalogue/heldrows.h"
#include "platform/platformerror.h"

#include <QAbstractTableModel>

#include <optional>

class Catalogue;

// The catalogue list's rows as a table model: ten columns (ID, then Path to Serial), rows in
// the order shown. A thin view over the rows held (HeldRows), which formats the cells on screen.
class CatalogueListModel : public QAbstractTableModel, public FilesField
{
    Q_OBJECT
public:
    static constexpr int ColumnCount = FieldCount;
    using FindTotal = HeldRows::FindTotal;

    explicit CatalogueListModel(QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    // Orders the rows by a column (HeldRows::sort), keeping the selection on its rows.
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;

    // Rebuilds every row from the recordset's source, run again, in one model reset. A source
    // that cannot be run leaves the list empty; never raises. Find's filter stays only when
    // keepFilter is true.
    void refill(Catalogue &catalogue, bool keepFilter = true);
    // As refill of the whole table, read on two threads as the fill behind reads it (Find's
    // filter goes). What keeps that read from being done whole leaves it to refill.
    void refillInParts(Catalogue &catalogue);
    // What kept the last refill's source from running, if anything but damage did.
    const std::optional<PlatformError> &refillFailure() const { return m_refillFailure; }

    // Cell text as the list shows it; column 0 is the ID.
    QString text(int row, int column) const;
    // A text cell's bytes as the catalogue holds them (names need not be UTF-8); 1 to 9.
    QByteArray bytes(int row, int column) const;
    // The record the row stands for: a file, or a member of an archive.
    RowKey key(int row) const { return m_held.rows().key(storageRow(row)); }
    // A cell's bytes as the catalogue holds them (column Path to Serial; empty for no value):
    // for reading every row without a text made per cell.
    std::pair<const char *, int> storedCell(int row, int column) const
    {
        return m_held.rows().cell(storageRow(row), column);
    }
    // The rows in the order they were read, whatever the sort.
    const CatalogueRows &storedRows() const { return m_held.rows(); }
    const HeldRows &held() const { return m_held; }

    bool countMatching(const FindQuery &query, const std::function<bool()> &stopped,
                       FindTotal &total) const
    {
        return m_held.countMatching(query, stopped, total);
    }
    // Shows only the rows held that match query, in the list's order, until showAll(); refills
    // show the matching rows of the new fill.
    void showOnly(const FindQuery &query);
    // Shows only these held rows (a narrowed view's), as HeldRows::showRows.
    void showRows(std::vector<quint32> rows);
    void showAll();
    // The rows of a fill behind the window: emptied, then each part appended as it comes (the
    // rows shown at once unless sorted), and the order made when all are in.
    void beginFill();
    void appendPart(const HeldRows &part);
    void endFill();
    // Tells the views that the rows changed as a whole, as a refill does (rows taken in behind
    // them, now in their order).
    void rowsReplaced()
    {
        beginResetModel();
        endResetModel();
    }
    // Takes these held rows out (a removal), as HeldRows::drop.
    void drop(const std::vector<quint32> &rows);

    Qt::SortOrder sortOrder() const
    {
        return m_held.descending() ? Qt::DescendingOrder : Qt::AscendingOrder;
    }

private:
    size_t storageRow(int row) const { return m_held.storedRow(size_t(row)); }

Q_SIGNALS:
    // Rows of a fill behind the window came in, shown or not yet.
    void rowsArrived();

private:
    HeldRows m_held;
    std::optional<PlatformError> m_refillFailure;
    QString m_dateFormat;
    QString m_timeFormat;
};
