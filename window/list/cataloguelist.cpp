#include "window/list/cataloguelist.h"

#include "catalogue/catalogue.h"
#include "platform/platformerror.h"
#include "window/list/cataloguelistmodel.h"
#include "window/boxes/errorbox.h"
#include "window/boxes/busycursor.h"

#include <QItemSelectionModel>

CatalogueList::CatalogueList(Catalogue &catalogue)
    : m_catalogue(catalogue), m_model(std::make_unique<CatalogueListModel>()),
      m_selection(std::make_unique<QItemSelectionModel>(m_model.get()))
{}

CatalogueList::~CatalogueList()
{
    m_selection.reset(); // it watches the model
}

void CatalogueList::RefreshLv()
{
    {
        const BusyCursor busy;
        // Re-running the source and walking it is one pass: each row goes straight into the
        // list. Find's view is of the whole catalogue only.
        m_model->refill(m_catalogue, m_view.kind() == ListView::Find);
    }
    if (m_catalogue.isDamaged() && !m_damageShown) {
        m_damageShown = true;
        const PlatformError damage = m_catalogue.damage();
        ShowErrorBox(damage.number(), damage.description());
    }
}

qint64 CatalogueList::show(const ListView &view)
{
    // Find filters the whole catalogue among the rows held: when they are held it reads nothing.
    const bool refill = view.kind() != ListView::Find || !m_catalogue.isFullView();
    if (refill)
        view.open(m_catalogue);
    return showView(view, refill);
}

qint64 CatalogueList::showOpened(const ListView &view)
{
    return showView(view, true);
}

qint64 CatalogueList::showView(const ListView &view, bool refill)
{
    if (refill) {
        // The refill runs the view's statement and counts what it finds.
        m_view = view;
        RefreshLv();
        if (const auto &failure = m_model->refillFailure())
            throw *failure;
    }
    m_view = view;
    if (view.kind() == ListView::Find) {
        const BusyCursor busy;
        m_model->showOnly(view.query());
    }
    return count();
}

void CatalogueList::showWholeCatalogue()
{
    const bool found = m_view.kind() == ListView::Find;
    m_view = ListView::wholeCatalogue();
    if (found && m_catalogue.isFullView()) {
        // Find's view holds the whole catalogue already: Show All only stops filtering it.
        m_model->showAll();
        return;
    }
    try {
        m_catalogue.openFullView();
    } catch (const PlatformError &error) {
        ShowErrorBox(error.number(), error.description());
    }
    RefreshLv();
}

bool CatalogueList::holdsWholeCatalogue() const
{
    return m_catalogue.isFullView();
}

int CatalogueList::count() const
{
    return m_model->rowCount();
}

RowKey CatalogueList::key(int row) const
{
    return m_model->key(row);
}

QString CatalogueList::text(int row, int subItem) const
{
    return m_model->text(row, subItem);
}

QByteArray CatalogueList::bytes(int row, int subItem) const
{
    return m_model->bytes(row, subItem);
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
    return selectedItem(*m_selection);
}

int CatalogueList::selectedItem(const QItemSelectionModel &model)
{
    // The focused row when it is selected, as the list's selected item; else the first selected.
    const QModelIndex current = model.currentIndex();
    if (current.isValid() && model.isRowSelected(current.row(), QModelIndex()))
        return current.row();
    const QItemSelection selection = model.selection();
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
