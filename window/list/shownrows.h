#pragma once

#include "catalogue/rowkey.h"
#include "window/list/listview.h"

#include <optional>
#include <vector>

class CatalogueListModel;
class QItemSelectionModel;

// What the list shows, kept while its rows are read again or added to: the view, the records
// selected and the focused one, found again by their keys once every row is in.
class ShownRows
{
public:
    ShownRows(const ListView &view, const CatalogueListModel &model,
              const QItemSelectionModel &selection);

    // Shows the view again among the rows held (a search or Find matched anew) and selects the
    // records again; records no longer held are not.
    void showAgain(CatalogueListModel &model, QItemSelectionModel &selection) const;

private:
    ListView m_view;
    std::vector<RowKey> m_selected;
    std::optional<RowKey> m_current;
};
