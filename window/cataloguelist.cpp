#include "window/cataloguelist.h"

#include "catalogue/catalogue.h"
#include "window/cataloguelistmodel.h"
#include "window/errorbox.h"
#include "window/mousepointer.h"

#include <QItemSelectionModel>

CatalogueList::CatalogueList(Catalogue &catalogue, MousePointer &pointer)
    : m_catalogue(catalogue), m_pointer(pointer), m_model(std::make_unique<CatalogueListModel>()),
      m_selection(std::make_unique<QItemSelectionModel>(m_model.get()))
{}

CatalogueList::~CatalogueList()
{
    m_selection.reset(); // it watches the model
}

void CatalogueList::RefreshLv()
{
    m_pointer.setMousePointer(vbHourglass);
    // Re-running the source and walking it is one pass: each row goes straight into the list.
    m_model->refill(m_catalogue);
    m_pointer.setMousePointer(vbDefault);
    const Connection &connection = m_catalogue.cnCatalogue();
    if (connection.isDamaged() && !m_damageShown) {
        m_damageShown = true;
        const PlatformError damage = connection.damage();
        ShowErrorBox(damage.number(), damage.description());
    }
}

int CatalogueList::count() const
{
    return m_model->rowCount();
}

qint64 CatalogueList::id(int row) const
{
    return m_model->id(row);
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

int CatalogueList::sortOrder() const
{
    return m_model->sortOrder() == Qt::AscendingOrder ? 0 : 1;
}

void CatalogueList::sortBy(int key, int order)
{
    m_model->sort(key, order == 0 ? Qt::AscendingOrder : Qt::DescendingOrder);
}
