#pragma once

#include "catalogue/rowkey.h"
#include "window/list/listview.h"
#include "window/list/shownrows.h"

#include <QPair>
#include <QString>

#include <memory>
#include <optional>
#include <vector>

class Catalogue;
class CatalogueListModel;
class FillBehind;
class HeldRows;
class PlatformError;
class QItemSelectionModel;

// The catalogue list as the commands see it: its rows in the order shown (0-based), each row's
// ID as a number and its cells by sub-item (0 is the ID as text; 1 to 9 are Path, File, Size,
// Type, Created, Accessed, Modified, Archive, Serial), the selection, the sort key and order, and
// the refill from rsFiles, and the view of the catalogue it shows. The view lvwFiles shows the
// same model and selection.
class CatalogueList
{
public:
    explicit CatalogueList(Catalogue &catalogue);
    ~CatalogueList();

    // Rebuilds the whole list from rsFiles, under the busy pointer; never raises. The first refill
    // that finds the catalogue file damaged (or follows an open that did) shows the error box
    // once, and the list keeps the rows read before the damage.
    void RefreshLv();
    // Empties the list and fills it behind the window, from a thread of its own: the rows are
    // shown as they come (sorted, once all are in). Anything that needs every row meanwhile
    // (a refill, a view, Show All, Find, a removal) stops it and reads them at once.
    void fillBehind();
    bool filling() const { return m_fill != nullptr; }
    // Reads every row again behind the window once the file changed under them (a run's rows),
    // keeping the sort: a search or Find is shown again, and the records selected are selected
    // again, once every row is in. Another narrowed view is refilled at once (its rows alone).
    void refillBehind();
    // Stops a fill behind the window, keeping the rows in so far; its connection is closed.
    void stopFill();

    // An indexing run starts (the catalogue's log is taken up for it), then has opened the
    // catalogue: when the list held every row (or was reading them behind the window) and
    // nothing was written between the two, the rows the run adds are taken in as each group is
    // written, and nothing is read again at its end.
    void followRun();
    void runOpened();
    // The rows a group of the run added, with their IDs.
    void takeWritten(const std::shared_ptr<HeldRows> &rows);
    // The run ended; onlyAdded when it did nothing but add the rows taken in. The view, sort and
    // selection stay as refillBehind keeps them; the list reads every row again behind the
    // window where the rows taken in are not the catalogue's.
    void runEnded(bool onlyAdded);

    // The view of the catalogue the list shows.
    const ListView &view() const { return m_view; }
    // Opens the catalogue on view, makes it the list's and refills the list; when the rows of
    // the whole catalogue are held they answer it (a search or Find from the names held, the
    // other views by the keys of their rows). Returns how many rows it shows; a search held
    // that finds nothing leaves the list as it was. Raises PlatformError.
    qint64 show(const ListView &view);
    // Opens the catalogue on view; a search, when the rows held were read whole and the file
    // changed since, reads only the rows their names do not answer for.
    void openView(const ListView &view);
    // The same for a view the caller has opened rsFiles on already.
    qint64 showOpened(const ListView &view);
    // The whole catalogue again, also where a view that failed ends: a failure to open it is
    // reported in the error box. The list is refilled, unless Find's view held it already.
    void showWholeCatalogue();

    CatalogueListModel *model() const { return m_model.get(); }
    QItemSelectionModel *selectionModel() const { return m_selection.get(); }

    int count() const;
    // The record the row stands for: a file's ID in Files, or a member's of an archive.
    RowKey key(int row) const;
    QString text(int row, int subItem) const;
    // The cell's own bytes, for the Path and File a file is found by again.
    QByteArray bytes(int row, int subItem) const;

    std::vector<int> selectedRows() const; // ascending
    int selectedItem() const;              // -1 when no item is selected
    // The focused row when it is selected, else the first selected; -1 when none is.
    static int selectedItem(const QItemSelectionModel &selection);

    // Whether the list holds every row of the catalogue as the file has them now (shown or
    // not), as Find needs. A narrowed view and Show All are then answered from them.
    bool holdsWholeCatalogue() const;
    // Takes the rows of a removal that went through (the records of these list rows) out of
    // the rows held, without reading the catalogue again when the list held every row just
    // before it (heldBefore, as holdsWholeCatalogue() told).
    void removed(const std::vector<int> &rows, bool heldBefore);
    // The same for rows given by their place among the rows held (HeldRows::rows()).
    void removedHeld(std::vector<quint32> stored, bool heldBefore);

    int sortOrder() const; // 0 ascending, 1 descending
    // Orders the rows by a column (sort key 0 to 9) in that order, and keeps them so.
    void sortBy(int key, int order);

private:
    qint64 showView(const ListView &view, bool refill);
    // Shows the view rsFiles is open on among the rows held; false when they cannot answer it.
    bool showHeld(const ListView &view);
    void fillEnded(const std::optional<PlatformError> &failure);
    // Shows again what a refill behind the window left (its view, its selection).
    void restoreShown();

    Catalogue &m_catalogue;
    bool m_damageShown = false;
    bool m_holdsWhole = false;              // the last fill read every row of the catalogue
    QPair<qint64, qint64> m_heldAt{-1, -1}; // the change stamp the rows held answer to
    ListView m_view = ListView::wholeCatalogue();
    std::unique_ptr<FillBehind> m_fill;
    QPair<qint64, qint64> m_fillFrom{-1, -1};
    QPair<qint64, qint64> m_followFrom{-1, -1}; // the stamp as a run started
    bool m_following = false; // the rows a run adds are taken in as it writes them
    std::vector<std::shared_ptr<HeldRows>> m_runRows; // taken in once the fill under way ends
    std::optional<ShownRows> m_restore; // what refillBehind shows again once every row is in
    std::unique_ptr<CatalogueListModel> m_model;
    std::unique_ptr<QItemSelectionModel> m_selection;
};
