#pragma once

#include <QString>

#include <memory>
#include <vector>

class Catalogue;
class CatalogueListModel;
class FindQuery;
class MousePointer;
class QItemSelectionModel;

// The catalogue list as the commands see it: its rows in the order shown (0-based), each row's
// ID as a number and its cells by sub-item (0 is the ID as text; 1 to 9 are Path, File, Size,
// Type, Created, Accessed, Modified, Archive, Serial), the selection, the sort key and order, and
// the refill from rsFiles. The view lvwFiles shows the same model and selection.
class CatalogueList
{
public:
    CatalogueList(Catalogue &catalogue, MousePointer &pointer);
    ~CatalogueList();

    // Rebuilds the whole list from rsFiles, under the busy pointer; never raises. The first refill
    // that finds the catalogue file damaged (or follows an open that did) shows the error box
    // once, and the list keeps the rows read before the damage.
    void RefreshLv();

    CatalogueListModel *model() const { return m_model.get(); }
    QItemSelectionModel *selectionModel() const { return m_selection.get(); }

    int count() const;
    qint64 id(int row) const;
    QString text(int row, int subItem) const;
    // The cell's own bytes, for the Path and File a file is found by again.
    QByteArray bytes(int row, int subItem) const;

    std::vector<int> selectedRows() const; // ascending
    int selectedItem() const;              // -1 when no item is selected

    // Find's view: only the rows of the whole catalogue that match query, until showAll(). It
    // lasts through refills of the full view and ends when another view is filled.
    void showOnly(const FindQuery &query);
    void showAll();
    bool isFiltered() const;
    // Whether the list holds every row of the catalogue (shown or not), as Find needs.
    bool holdsWholeCatalogue() const;

    int sortOrder() const; // 0 ascending, 1 descending
    // Orders the rows by a column (sort key 0 to 9) in that order, and keeps them so.
    void sortBy(int key, int order);

private:
    bool isSelected(int row) const;

    Catalogue &m_catalogue;
    MousePointer &m_pointer;
    bool m_damageShown = false;
    std::unique_ptr<CatalogueListModel> m_model;
    std::unique_ptr<QItemSelectionModel> m_selection;
};
