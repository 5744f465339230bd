#pragma once

#include "catalogue/archivemembers.h"
#include "catalogue/filesfield.h"
#include "catalogue/findquery.h"
#include "platform/platformerror.h"
#include "platform/recordset.h"
#include "window/list/cataloguerows.h"

#include <QAbstractTableModel>

#include <atomic>
#include <functional>
#include <optional>
#include <shared_mutex>

class Catalogue;

// The catalogue list's rows as a table model: ten columns (ID, then Path to Serial), rows in
// the order shown. Filled straight from the recordset's rows; sorted through a permutation.
class CatalogueListModel : public QAbstractTableModel,
                           public RowSink,
                           public MemberSink,
                           public FilesField
{
    Q_OBJECT
public:
    static constexpr int ColumnCount = FieldCount;

    explicit CatalogueListModel(QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    // Orders the rows by a column: ID, Size and the dates by value, the rest as text without
    // regard to case. Keeps the order for later fills.
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;

    // Rebuilds every row from the recordset's source, run again, in one model reset. A source
    // that cannot be run leaves the list empty; never raises. Find's filter stays only when
    // keepFilter is true.
    void refill(Catalogue &catalogue, bool keepFilter = true);
    // What kept the last refill's source from running, if anything but damage did.
    const std::optional<PlatformError> &refillFailure() const { return m_refillFailure; }

    // Cell text as the list shows it; column 0 is the ID.
    QString text(int row, int column) const;
    // A text cell's bytes as the catalogue holds them (names need not be UTF-8); 1 to 9.
    QByteArray bytes(int row, int column) const;
    // The record the row stands for: a file, or a member of an archive.
    RowKey key(int row) const { return m_rows.key(storageRow(row)); }
    // A cell's bytes as the catalogue holds them (column Path to Serial; empty for no value):
    // for reading every row without a text made per cell.
    std::pair<const char *, int> storedCell(int row, int column) const
    {
        return m_rows.cell(storageRow(row), column);
    }
    // The rows in the order they were read, whatever the sort.
    const CatalogueRows &storedRows() const { return m_rows; }
    int sortColumn() const { return m_sortColumn; }

    // What the rows a query matches add up to, among all the rows held, shown or not.
    struct FindTotal
    {
        qint64 files = 0;
        qint64 bytes = 0;
    };
    // Counts on any thread. Gives up (false) when stopped() says so, checked every few thousand
    // rows, or as soon as a refill is waiting to change the rows.
    bool countMatching(const FindQuery &query, const std::function<bool()> &stopped,
                       FindTotal &total) const;
    // Shows only the rows held that match query, in the list's order, until showAll(); refills
    // show the matching rows of the new fill.
    void showOnly(const FindQuery &query);
    void showAll();

    Qt::SortOrder sortOrder() const { return m_sortOrder; }

    // RowSink: the rows of a refill.
    void begin(const std::vector<QString> &columns) override;
    void row(qint64 id, const RowCell *cells) override;
    // MemberSink: the members of archives that follow them.
    void member(qint64 id, const RowCell *cells) override;

private:
    size_t storageRow(int row) const
    {
        return m_order.empty() ? size_t(row) : m_order[size_t(row)];
    }
    QString displayDate(const QString &iso) const;
    // Sets the rows shown and their order: the matching rows again (rematch) or the ones shown.
    void arrange(bool rematch);
    void applySort(std::vector<quint32> &rows) const;
    template <typename OnMatch>
    bool scan(const FindQuery &query, const std::function<bool()> &stopped, OnMatch onMatch) const;

    CatalogueRows m_rows;
    std::optional<PlatformError> m_refillFailure;
    std::vector<quint32> m_order; // view row -> stored row; empty while unsorted and unfiltered
    std::optional<FindQuery> m_filter;
    // Counts on other threads read the rows under the shared lock; a refill changes them under
    // the exclusive one, and m_refilling asks the counts to give way.
    mutable std::shared_mutex m_rowsLock;
    std::atomic<bool> m_refilling{false};
    int m_sourceColumn[ColumnCount];
    bool m_sorted = false;
    int m_sortColumn = 0;
    Qt::SortOrder m_sortOrder = Qt::AscendingOrder;
    QString m_dateFormat;
    QString m_timeFormat;
};
