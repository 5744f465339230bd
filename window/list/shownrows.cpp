#include "window/list/shownrows.h"

#include "window/list/cataloguelistmodel.h"

#include <QItemSelectionModel>

#include <algorithm>
#include <unordered_set>

ShownRows::ShownRows(const ListView &view, const CatalogueListModel &model,
                     const QItemSelectionModel &selection)
    : m_view(view)
{
    for (const QItemSelectionRange &range : selection.selection())
        for (int row = range.top(); row <= range.bottom(); ++row)
            m_selected.push_back(model.key(row));
    const QModelIndex current = selection.currentIndex();
    if (current.isValid())
        m_current = model.key(current.row());
}

void ShownRows::showAgain(CatalogueListModel &model, QItemSelectionModel &selection) const
{
    if (m_view.kind() == ListView::Find)
        model.showOnly(m_view.query());
    else if (m_view.kind() == ListView::Search)
        model.showRows(model.held().searchNames(m_view.text()));
    if (m_selected.empty() && !m_current)
        return;
    // Records the run took out (an Update) are not found again.
    const auto hash = [](const RowKey &key) { return std::hash<qint64>()(key.id * 2 + key.kind); };
    const std::unordered_set<RowKey, decltype(hash)> wanted(m_selected.begin(), m_selected.end(), 0,
                                                            hash);
    const CatalogueRows &rows = model.held().rows();
    const std::vector<qint64> places = model.held().shownPlaces();
    std::vector<int> selected;
    int current = -1;
    for (size_t row = 0; row < rows.size(); ++row) {
        if (places[row] < 0)
            continue;
        const RowKey rowKey = rows.key(row);
        if (wanted.count(rowKey))
            selected.push_back(int(places[row]));
        if (m_current && rowKey == *m_current)
            current = int(places[row]);
    }
    std::sort(selected.begin(), selected.end());
    QItemSelection ranges;
    for (size_t first = 0; first < selected.size();) {
        size_t last = first;
        while (last + 1 < selected.size() && selected[last + 1] == selected[last] + 1)
            ++last;
        ranges.select(model.index(selected[first], 0),
                      model.index(selected[last], model.columnCount() - 1));
        first = last + 1;
    }
    selection.select(ranges, QItemSelectionModel::ClearAndSelect);
    if (current >= 0)
        selection.setCurrentIndex(model.index(current, 0), QItemSelectionModel::NoUpdate);
}
