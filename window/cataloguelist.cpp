#include "window/cataloguelist.h"

#include "window/cataloguelistmodel.h"

#include <QItemSelectionModel>

CatalogueList::CatalogueList()
    : m_model(std::make_unique<CatalogueListModel>()),
      m_selection(std::make_unique<QItemSelectionModel>(m_model.get()))
{}

CatalogueList::~CatalogueList()
{
    m_selection.reset(); // it watches the model
}

int CatalogueList::count() const
{
    return m_model->rowCount();
}

QString CatalogueList::text(int row, int subItem) const
{
    return m_model->text(row, subItem);
}

QByteArray CatalogueList::bytes(int row, int subItem) const
{
    return m_model->bytes(row, subItem);
}

bool CatalogueList::isSelected(int row) const
{
    return m_selection->isRowSelected(row, QModelIndex());
}

std::vector<int> CatalogueList::selectedRows() const
{
    std::vector<int> rows;
    for (const QItemSelectionRange &range : m_selection->selection())
        for (int row = range.top(); row <= range.bottom(); ++row)
            rows.push_back(row);
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    return rows;
}

int CatalogueList::selectedItem() const
{
    // The focused row when it is selected, as the list's selected item; else the first selected.
    const QModelIndex current = m_selection->currentIndex();
    if (current.isValid() && isSelected(current.row()))
        return current.row();
    const QItemSelection selection = m_selection->selection();
    if (selection.isEmpty())
        return -1;
    int first = selection.first().top();
    for (const QItemSelectionRange &range : selection)
        first = std::min(first, range.top());
    return first;
}

void CatalogueList::setSelected(int row, bool selected)
{
    m_selection->select(m_model->index(row, 0),
                        (selected ? QItemSelectionModel::Select : QItemSelectionModel::Deselect) |
                            QItemSelectionModel::Rows);
}

void CatalogueList::setSelectedItem(int row)
{
    m_selection->setCurrentIndex(m_model->index(row, 0),
                                 QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

int CatalogueList::sortKey() const
{
    return m_model->sortColumn();
}

int CatalogueList::sortOrder() const
{
    return m_model->sortOrder() == Qt::AscendingOrder ? 0 : 1;
}

void CatalogueList::sortBy(int key, int order)
{
    m_model->sort(key, order == 0 ? Qt::AscendingOrder : Qt::DescendingOrder);
}

void CatalogueList::clear()
{
    m_model->clear();
}
