#pragma once

#include <QString>

#include <memory>
#include <vector>

class CatalogueListModel;
class QItemSelectionModel;

// lvwFiles as the commands see it: rows in the order shown (0-based), cells by sub-item
// (0 is the row text, the ID; 1 to 9 are Path, File, Size, Type, Created, Accessed, Modified,
// Archive, Serial), selection, sort key and order. The view shows the same model and selection.
class CatalogueList
{
public:
    CatalogueList();
    ~CatalogueList();

    CatalogueListModel *model() const { return m_model.get(); }
    QItemSelectionModel *selectionModel() const { return m_selection.get(); }

    int count() const;
    QString text(int row, int subItem) const;
    // The cell's own bytes, for the Path and File a file is found by again.
    QByteArray bytes(int row, int subItem) const;

    bool isSelected(int row) const;
    std::vector<int> selectedRows() const; // ascending
    int selectedItem() const;              // -1 when no item is selected
    void setSelected(int row, bool selected);
    void setSelectedItem(int row);

    int sortKey() const;
    int sortOrder() const; // 0 ascending, 1 descending
    // Orders the rows by a column (sort key 0 to 9) in that order, and keeps them so.
    void sortBy(int key, int order);

    void clear();

private:
    std::unique_ptr<CatalogueListModel> m_model;
    std::unique_ptr<QItemSelectionModel> m_selection;
};
