#pragma once

#include "catalogue/archivemembers.h"
#include "catalogue/cataloguerows.h"
#include "catalogue/filesfield.h"
#include "catalogue/heldnames.h"
#include "catalogue/findquery.h"
#include "platform/platformerror.h"
#include "platform/recordset.h"

#include <QtGlobal>

#include <atomic>
#include <functional>
#include <optional>
#include <shared_mutex>
#include <vector>

class Catalogue;

// The rows the catalogue list holds, without widgets: every row read (CatalogueRows), and which
// of them are shown in which order: all of them, a narrowed view's, Find's matches, each sorted
// by a column through an order of row numbers. Find counts on any thread.
class HeldRows : public RowSink, public MemberSink, public FilesField
{
public:
    // What the rows a query matches add up to, among all the rows held, shown or not.
    struct FindTotal
    {
        qint64 files = 0;
        qint64 bytes = 0;
    };

    // Replaces the rows held by those of the catalogue's view, run again. What kept the view
    // from running is given back (the rows are then empty); damage met part way keeps the rows
    // read before it, and gives nothing back: they can still be browsed. Find's filter and a
    // narrowed view stay only when keepShown is true.
    std::optional<PlatformError> fill(Catalogue &catalogue, bool keepShown);

    const CatalogueRows &rows() const { return m_rows; }
    // The rows shown, and the held row shown at a place.
    size_t shownCount() const { return narrowed() || m_sorted ? m_order.size() : m_rows.size(); }
    size_t storedRow(size_t shown) const { return m_order.empty() ? shown : m_order[shown]; }
    // For each held row its place among the rows shown; -1 for a row not shown.
    std::vector<qint64> shownPlaces() const;

    // Appends the rows of a part read elsewhere after those held. Unsorted and not narrowed they
    // are shown at once; else when the order is made again (sort(), a fill).
    void append(const HeldRows &part);
    // Takes the rows that follow in without their folded names: the rows they are appended to
    // fold them (a part read on one thread, appended on another, shares the work so).
    void leaveNamesToAppend() { m_foldNames = false; }
    // Empties the rows, keeping the sort; shows them all.
    void clear();

    // Orders the rows shown by a column: ID, Size and the dates by value, the rest as text
    // without regard to case, equal cells in the order held. Kept for later fills.
    void sort(int column, bool descending);
    bool descending() const { return m_descending; }
    bool sorted() const { return m_sorted; }
    int sortColumn() const { return m_sortColumn; }

    // Shows only the rows held that match query, until showAll(); later fills show the matching
    // rows of the new fill.
    void showOnly(const FindQuery &query);
    // Shows only these held rows (a narrowed view's), in this order unless sorted, until
    // showAll() or the next fill.
    void showRows(std::vector<quint32> rows);
    void showAll();
    bool narrowed() const { return m_filter || m_viewRows; }

    // The held rows whose name contains text as the search reads it (% and _ keep their
    // pattern meaning, case ignored by the folding rule): the files, then the members of
    // archives, each ordered by name without regard to case.
    std::vector<quint32> searchNames(const QString &text) const;
    // The held rows of these records, in their order; false when one of them is not held.
    bool rowsOf(const std::vector<RowKey> &keys, std::vector<quint32> &rows) const;
    // Takes these held rows out (a removal), keeping the order of those shown.
    void drop(const std::vector<quint32> &rows);

    // Counts on any thread. Gives up (false) when stopped() says so, checked every few thousand
    // rows, or as soon as a fill is waiting to change the rows.
    bool countMatching(const FindQuery &query, const std::function<bool()> &stopped,
                       FindTotal &total) const;

    // RowSink: the rows of a fill.
    void begin(const std::vector<QString> &columns) override;
    void row(qint64 id, const RowCell *cells) override;
    // MemberSink: the members of archives that follow them.
    void member(qint64 id, const RowCell *cells) override;

private:
    // Sets the rows shown and their order: the matching rows again (rematch) or the ones shown.
    void arrange(bool rematch);
    void applySort(std::vector<quint32> &rows) const;
    void clearRows();
    // Marks the rows whose folded name ends with one of endings (folded).
    void markEndings(const std::vector<QByteArray> &endings, std::vector<bool> &marks) const;
    // Marks the rows whose folder, label and serial answer term (not as an exclusion).
    void markPlaces(const FindQuery::Term &term, std::vector<bool> &marks) const;
    template <typename OnMatch>
    bool scan(const FindQuery &query, const std::function<bool()> &stopped, OnMatch onMatch) const;

    CatalogueRows m_rows;
    std::vector<quint32> m_order; // shown place -> held row; empty while unsorted and unfiltered
    std::optional<FindQuery> m_filter;
    std::optional<std::vector<quint32>> m_viewRows; // a narrowed view's rows, in its order
    HeldNames m_names; // for the scans of names
    // Counts on other threads read the rows under the shared lock; a fill changes them under
    // the exclusive one, and m_filling asks the counts to give way.
    mutable std::shared_mutex m_rowsLock;
    std::atomic<bool> m_filling{false};
    int m_sourceColumn[FieldCount] = {};
    bool m_foldNames = true;
    bool m_sorted = false;
    int m_sortColumn = 0;
    bool m_descending = false;
};
