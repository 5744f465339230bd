#include "window/list/cataloguelist.h"

#include "catalogue/catalogue.h"
#include "catalogue/media.h"
#include "platform/platformerror.h"
#include "window/boxes/busycursor.h"
#include "window/boxes/errorbox.h"
#include "window/list/cataloguelistmodel.h"
#include "window/list/fillbehind.h"
#include "window/list/shownrows.h"

#include <QItemSelectionModel>

#include <algorithm>

CatalogueList::CatalogueList(Catalogue &catalogue)
    : m_catalogue(catalogue), m_model(std::make_unique<CatalogueListModel>()),
      m_selection(std::make_unique<QItemSelectionModel>(m_model.get()))
{}

CatalogueList::~CatalogueList()
{
    m_fill.reset();
    m_selection.reset(); // it watches the model
}

void CatalogueList::fillBehind()
{
    stopFill();
    m_holdsWhole = false;
    m_view = ListView::wholeCatalogue();
    m_fillFrom = m_catalogue.changeStamp();
    // Filling already as the list empties: what counts the rows held (the Discs window) sees
    // that they are not all in.
    m_fill = std::make_unique<FillBehind>(m_catalogue.path());
    QObject::connect(m_fill.get(), &FillBehind::part, m_model.get(),
                     [this](const std::shared_ptr<HeldRows> &part) { m_model->appendPart(*part); });
    QObject::connect(m_fill.get(), &FillBehind::finished, m_model.get(),
                     [this](const std::optional<PlatformError> &failure) { fillEnded(failure); });
    m_model->beginFill();
}

void CatalogueList::fillEnded(const std::optional<PlatformError> &failure)
{
    // Not destroyed in its own signal: its thread has ended, it goes on the next turn.
    if (failure || !m_catalogue.isFullView()) {
        m_restore.reset();
        m_fill.release()->deleteLater();
        // Read again here, as a refill reads: what cannot be read is reported as it is there.
        RefreshLv();
        return;
    }
    // Rows another program wrote meanwhile are not all held: the next view reads again.
    m_holdsWhole = true;
    m_heldAt = m_fillFrom;
    // Still filling while the rows are set in order and the view shown again: no new action.
    m_model->endFill();
    restoreShown();
    m_fill.release()->deleteLater();
    for (const std::shared_ptr<HeldRows> &rows : std::exchange(m_runRows, {}))
        takeWritten(rows);
}

void CatalogueList::followRun()
{
    // Only rows written after those held (or being read) come after them as a fill reads them.
    const bool whole = filling() ? m_catalogue.changeStamp() == m_fillFrom : holdsWholeCatalogue();
    // The file's log is taken up here, once, so that the run's connection and this one share it
    // from the first row on: that changes the stamp, not the rows. A damaged file is left to the
    // run's own connection to find and report.
    if (!m_catalogue.isDamaged())
        m_catalogue.beginWrite();
    m_followFrom = whole ? m_catalogue.changeStamp() : QPair<qint64, qint64>(-1, -1);
    m_runRows.clear();
}

void CatalogueList::runOpened()
{
    // Nothing written since: each later change by another program shows to the run's connection.
    m_following = m_followFrom.first >= 0 && m_catalogue.changeStamp() == m_followFrom;
}

void CatalogueList::takeWritten(const std::shared_ptr<HeldRows> &rows)
{
    if (!m_following || rows->rows().size() == 0)
        return;
    if (filling())
        return m_runRows.push_back(rows); // taken in once the fill ends
    const CatalogueRows &held = m_model->held().rows(), &added = rows->rows();
    const size_t files = held.firstMember();
    // A fill that began before the run may have read its first groups: their IDs are held.
    if (files > 0 && added.id(added.size() - 1) <= held.id(files - 1))
        return;
    // Files are held in ID order, before the members of archives.
    m_following = files == held.size() && (files == 0 || added.id(0) > held.id(files - 1));
    if (m_following)
        m_model->appendPart(*rows);
}

void CatalogueList::runEnded(bool onlyAdded)
{
    if (!std::exchange(m_following, false) || !onlyAdded || filling() ||
        !m_catalogue.isFullView() || !m_view.answeredFromHeld()) {
        refillBehind();
        return;
    }
    m_holdsWhole = true;
    m_heldAt = m_catalogue.changeStamp();
    m_restore.emplace(m_view, *m_model, *m_selection);
    m_model->endFill();      // the rows taken in sorted among the others
    m_model->rowsReplaced(); // what counts the rows (Find, the Discs window) counts again
    restoreShown();
}

void CatalogueList::refillBehind()
{
    // The other views read their own rows only.
    const ListView view = m_view;
    if (!view.answeredFromHeld() || !m_catalogue.isFullView()) {
        RefreshLv();
        return;
    }
    ShownRows shown(view, *m_model, *m_selection);
    fillBehind();
    // The view stays; its rows are shown once every row is in.
    m_view = view;
    if (view.kind() == ListView::Find)
        m_model->showOnly(view.query());
    else if (view.kind() == ListView::Search)
        m_model->showRows({});
    m_restore = std::move(shown);
}

void CatalogueList::restoreShown()
{
    if (const std::optional<ShownRows> shown = std::exchange(m_restore, std::nullopt))
        shown->showAgain(*m_model, *m_selection);
}

void CatalogueList::stopFill()
{
    m_restore.reset();   // the refill that follows shows the view
    m_following = false; // the rows held are not the whole catalogue's
    m_runRows.clear();
    if (!m_fill)
        return;
    m_fill.reset();
    m_model->endFill();
}

void CatalogueList::RefreshLv()
{
    stopFill();
    const bool whole = m_catalogue.isFullView();
    {
        const BusyCursor busy;
        // Re-running the source and walking it is one pass: each row goes straight into the
        // list. Find's view is of the whole catalogue only.
        if (whole && m_view.kind() != ListView::Find && FillBehind::readsInPieces(m_catalogue))
            m_model->refillInParts(m_catalogue);
        else
            m_model->refill(m_catalogue, m_view.kind() == ListView::Find);
        m_holdsWhole = whole && !m_model->refillFailure();
        m_heldAt = m_catalogue.changeStamp();
        // A search answered from the names held is found again among the rows read.
        if (m_holdsWhole && m_view.kind() == ListView::Search)
            m_model->showRows(m_model->held().searchNames(m_view.text()));
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
    const bool held = holdsWholeCatalogue();
    if (view.kind() == ListView::Find && held) {
        // Removals go through the whole table, as Find shows its rows.
        if (!m_catalogue.isFullView())
            m_catalogue.openFullView();
        return showView(view, false);
    }
    if (view.kind() == ListView::Search && held) {
        // The names held answer the search; removals go through the whole table.
        std::vector<quint32> rows = m_model->held().searchNames(view.text());
        if (rows.empty())
            return 0;
        if (!m_catalogue.isFullView())
            m_catalogue.openFullView();
        m_view = view;
        m_model->showRows(std::move(rows));
        return count();
    }
    openView(view);
    if (held && showHeld(view))
        return count();
    return showView(view, true);
}

void CatalogueList::openView(const ListView &view)
{
    if (view.kind() == ListView::Search && m_holdsWhole && !filling()) {
        // Changed since the rows were read: their names still answer for them, and only the
        // rows found, written past them or renamed since are read.
        const CatalogueRows &rows = m_model->held().rows();
        std::vector<qint64> ids;
        qint64 upTo = 0;
        for (size_t row = 0; row < rows.firstMember(); ++row)
            upTo = std::max(upTo, rows.id(row));
        for (quint32 row : m_model->held().searchNames(view.text()))
            if (!rows.isMember(row))
                ids.push_back(rows.id(row));
        // Past a quarter of the rows, reading every row costs no more than reading these.
        if (ids.size() <= rows.size() / 4 + 1000) {
            m_catalogue.openSearchView(view.text(), ids, upTo);
            return;
        }
    }
    view.open(m_catalogue);
}

qint64 CatalogueList::showOpened(const ListView &view)
{
    if (holdsWholeCatalogue() && showHeld(view))
        return count();
    return showView(view, true);
}

bool CatalogueList::showHeld(const ListView &view)
{
    // The view's statement gives the keys of its rows, in its order; their cells are held.
    struct Keys : RowSink, MemberSink
    {
        std::vector<RowKey> keys;
        void begin(const std::vector<QString> &) override {}
        void row(qint64 id, const RowCell *) override { keys.push_back({RowKey::File, id}); }
        void member(qint64 id, const RowCell *) override { keys.push_back({RowKey::Member, id}); }
    } found;
    const QPair<qint64, qint64> before = m_catalogue.changeStamp();
    std::vector<quint32> rows;
    bool held = false;
    {
        const BusyCursor busy;
        m_catalogue.requery(&found, &found);
        held = m_model->held().rowsOf(found.keys, rows);
    }
    if (!held)
        return false; // changed behind the stamp: read again
    // Opening a view may write to its own temporary tables, never to the rows.
    if (before == m_heldAt)
        m_heldAt = m_catalogue.changeStamp();
    m_view = view;
    m_model->showRows(std::move(rows));
    return true;
}

void CatalogueList::removed(const std::vector<int> &rows, bool heldBefore)
{
    if (!heldBefore) {
        RefreshLv();
        return;
    }
    std::vector<quint32> stored;
    stored.reserve(rows.size());
    for (int row : rows)
        stored.push_back(quint32(m_model->held().storedRow(size_t(row))));
    removedHeld(std::move(stored), true);
}

void CatalogueList::removedHeld(std::vector<quint32> stored, bool heldBefore)
{
    if (!heldBefore) {
        RefreshLv();
        return;
    }
    const CatalogueRows &held = m_model->held().rows();
    // Members of an archive go with its row, unseen: the rows kept for Undo tell whether any
    // did (they are the rows dropped and those), without a count of the whole catalogue.
    if (held.firstMember() < held.size() && !stored.empty() &&
        m_catalogue.removedCount() != qint64(stored.size())) {
        RefreshLv();
        return;
    }
    m_heldAt = m_catalogue.changeStamp();
    m_model->drop(stored);
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
    m_restore.reset(); // a refill behind the window then shows every row
    const bool found = m_view.kind() == ListView::Find;
    m_view = ListView::wholeCatalogue();
    if (found && m_catalogue.isFullView()) {
        // Find's view holds the whole catalogue already: Show All only stops filtering it.
        m_model->showAll();
        return;
    }
    bool opened = false;
    try {
        m_catalogue.openFullView();
        opened = true;
    } catch (const PlatformError &error) {
        ShowErrorBox(error.number(), error.description());
    }
    // The rows held are every row as the file has them: Show All only shows them all again.
    if (opened && holdsWholeCatalogue()) {
        m_model->showAll();
        return;
    }
    RefreshLv();
}

bool CatalogueList::holdsWholeCatalogue() const
{
    const QPair<qint64, qint64> now = m_catalogue.changeStamp();
    return m_holdsWhole && now.first >= 0 && now == m_heldAt;
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
