#include "window/discs/frmdiscs.h"

#include "platform/platformerror.h"
#include "window/list/cataloguelist.h"
#include "window/main/commandbutton.h"
#include "window/discs/discs.h"
#include "window/boxes/errorbox.h"
#include "window/boxes/messagebox.h"
#include "window/boxes/busycursor.h"
#include "window/main/rememberedlayout.h"

#include <QApplication>
#include <QClipboard>
#include <QEvent>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QSet>
#include <QTimer>
#include <QTreeView>
#include <QVBoxLayout>

#include <algorithm>

namespace {

// A mount comes with a few changes of the table in a row: the lines follow the last of them.
constexpr int MountSettleMs = 150;

QString key(const Disc &disc)
{
    return disc.label + QLatin1Char('\n') + disc.serial + QLatin1Char('\n') + disc.mountedAt;
}

// A line's place from the top of the tree, for the order of copied lines.
QList<int> treeOrder(QModelIndex index)
{
    QList<int> place;
    for (; index.isValid(); index = index.parent())
        place.prepend(index.row());
    return place;
}

} // namespace

frmDiscs::frmDiscs(Discs &discs, std::function<void(const QString &, QWidget *)> index,
                   Update update, QWidget *parent)
    : QDialog(parent), m_discs(discs), m_index(std::move(index)), m_update(std::move(update))
{
    setObjectName(QStringLiteral("frmDiscs"));
    setWindowTitle(tr("Discs"));
    setModal(false);

    lvwDiscs = new QTreeView(this);
    lvwDiscs->setObjectName(QStringLiteral("lvwDiscs"));
    lvwDiscs->setModel(&m_model);
    lvwDiscs->setUniformRowHeights(true);
    lvwDiscs->setAllColumnsShowFocus(true);
    lvwDiscs->setExpandsOnDoubleClick(false); // a double-click shows the files
    lvwDiscs->setWordWrap(false);
    lvwDiscs->setSelectionMode(QAbstractItemView::ExtendedSelection);
    lvwDiscs->setSelectionBehavior(QAbstractItemView::SelectRows);
    // Only the Note is edited, in place: F2 or a double-click on it.
    lvwDiscs->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_model.setKeepNote(
        [this](const Disc &disc, const QString &note) { return m_discs.setNote(disc, note); });
    m_model.setReadFolders([this](const Disc &disc) -> std::unique_ptr<FolderTree> {
        try {
            const BusyCursor busy;
            return m_discs.folders(disc);
        } catch (const PlatformError &error) {
            ShowErrorBox(error.number(), error.description());
            return nullptr;
        }
    });
    QHeaderView *header = lvwDiscs->header();
    header->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    header->setStretchLastSection(true);
    lvwDiscs->setSortingEnabled(true);
    lvwDiscs->sortByColumn(DiscsModel::Label, Qt::AscendingOrder);
    const int widths[] = {160, 150, 70, 80, 80, 150, 150}; // a serial may be "FFFFC15A-FFFFD796"
    for (int c = 0; c < int(std::size(widths)); ++c)
        lvwDiscs->setColumnWidth(c, widths[c]);
    lvwDiscs->installEventFilter(this);
    lvwDiscs->viewport()->installEventFilter(this);

    lblTotals = PlainLabel(this);
    lblTotals->setObjectName(QStringLiteral("lblTotals"));

    cmdShowFiles = CommandButton(this, "cmdShowFiles", tr("&Show Files"));
    cmdIndex = CommandButton(this, "cmdIndex", tr("&Index"));
    cmdUpdate = CommandButton(this, "cmdUpdate", tr("&Update"));
    cmdRemoveDisc = CommandButton(this, "cmdRemoveDisc", tr("&Remove Disc"));
    cmdCopy = CommandButton(this, "cmdCopy", tr("&Copy"));
    cmdClose = CommandButton(this, "cmdClose", tr("C&lose"));
    connect(cmdShowFiles, &QPushButton::clicked, this, &frmDiscs::cmdShowFiles_Click);
    connect(cmdIndex, &QPushButton::clicked, this, &frmDiscs::cmdIndex_Click);
    connect(cmdUpdate, &QPushButton::clicked, this, &frmDiscs::cmdUpdate_Click);
    connect(cmdRemoveDisc, &QPushButton::clicked, this, &frmDiscs::cmdRemoveDisc_Click);
    connect(cmdCopy, &QPushButton::clicked, this, &frmDiscs::cmdCopy_Click);
    connect(cmdClose, &QPushButton::clicked, this, &QDialog::close);
    connect(lvwDiscs->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &frmDiscs::updateButtons);
    connect(lvwDiscs->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex &current) {
                // Typing looks in the focused column: kept on the label.
                if (current.isValid() && current.column() != DiscsModel::Label)
                    lvwDiscs->selectionModel()->setCurrentIndex(
                        current.siblingAtColumn(DiscsModel::Label), QItemSelectionModel::NoUpdate);
                updateButtons();
            });

    auto *buttons = new QHBoxLayout;
    for (QPushButton *button : {cmdShowFiles, cmdIndex, cmdUpdate, cmdRemoveDisc, cmdCopy})
        buttons->addWidget(button);
    buttons->addStretch();
    buttons->addWidget(cmdClose);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(lvwDiscs);
    layout->addWidget(lblTotals);
    layout->addLayout(buttons);

    m_mounts = new QTimer(this);
    m_mounts->setSingleShot(true);
    m_mounts->setInterval(MountSettleMs);
    connect(m_mounts, &QTimer::timeout, this, &frmDiscs::refresh);

    resize(1000, 420); // every column in sight, the Note last
    RememberedLayout::restore(this, header, QStringLiteral("discs"));
    refresh();
    lvwDiscs->setFocus();
}

void frmDiscs::refresh()
{
    // What was selected, focused and expanded, found again among the new lines.
    QStringList selected, expanded;
    for (const QModelIndex &index : lvwDiscs->selectionModel()->selectedRows())
        selected.append(key(index));
    const QString currentKey = key(lvwDiscs->currentIndex());
    std::vector<QModelIndex> open;
    for (int row = 0; row < m_model.rowCount(); ++row)
        open.push_back(m_model.index(row, 0));
    while (!open.empty()) {
        const QModelIndex index = open.back();
        open.pop_back();
        if (!lvwDiscs->isExpanded(index))
            continue;
        expanded.append(key(index));
        for (int row = 0; row < m_model.rowCount(index); ++row)
            open.push_back(m_model.index(row, 0, index));
    }
    try {
        m_model.setDiscs(m_discs.list());
    } catch (const PlatformError &error) {
        ShowErrorBox(error.number(), error.description());
    }
    // Discs before their folders, folders before theirs: each is expanded once found.
    std::sort(expanded.begin(), expanded.end(),
              [](const QString &a, const QString &b) { return a.size() < b.size(); });
    for (const QString &line : expanded) {
        const QModelIndex index = find(line);
        if (index.isValid())
            lvwDiscs->expand(index);
    }
    QItemSelection selection;
    for (const QString &line : selected) {
        const QModelIndex index = find(line);
        if (index.isValid())
            selection.select(index, index.siblingAtColumn(DiscsModel::ColumnCount - 1));
    }
    const QModelIndex current = find(currentKey);
    if (current.isValid())
        lvwDiscs->selectionModel()->setCurrentIndex(current, QItemSelectionModel::NoUpdate);
    lvwDiscs->selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
    // At first, and when the selected disc has gone, the first line: Enter acts on it at once.
    if (selection.isEmpty() && m_model.rowCount() > 0)
        lvwDiscs->selectionModel()->setCurrentIndex(
            m_model.index(0, 0), QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    lblTotals->setText(m_model.totals());
    updateButtons();
}

void frmDiscs::mountsChanged()
{
    m_mounts->start();
}

QString frmDiscs::key(const QModelIndex &index) const
{
    const int line = m_model.discLine(index);
    if (line < 0)
        return QString();
    const DiscsModel::Folder *folder = m_model.folder(index);
    return ::key(m_model.disc(line)) +
           (folder ? QLatin1Char('\n') + QString::fromUtf8(folder->path) : QString());
}

QModelIndex frmDiscs::find(const QString &key)
{
    if (key.isEmpty())
        return QModelIndex();
    for (int row = 0; row < m_model.rowCount(); ++row) {
        const QString disc = ::key(m_model.disc(row));
        if (key == disc)
            return m_model.index(row, 0);
        if (key.startsWith(disc + QLatin1Char('\n'))) {
            const QModelIndex line = m_model.index(row, 0);
            if (m_model.canFetchMore(line))
                m_model.fetchMore(line);
            return m_model.folderIndex(row, key.mid(disc.size() + 1).toUtf8());
        }
    }
    return QModelIndex();
}

QModelIndex frmDiscs::selectedIndex() const
{
    const QItemSelectionModel &selection = *lvwDiscs->selectionModel();
    const QModelIndex current = selection.currentIndex();
    if (current.isValid() && selection.isRowSelected(current.row(), current.parent()))
        return current.siblingAtColumn(0);
    const QModelIndexList rows = selection.selectedRows();
    return rows.isEmpty() ? QModelIndex() : rows.first();
}

void frmDiscs::editNote()
{
    const int line = selectedLine();
    if (line >= 0)
        lvwDiscs->edit(m_model.index(line, DiscsModel::Note));
}

int frmDiscs::selectedLine() const
{
    const QModelIndex index = selectedIndex();
    return index.isValid() && !m_model.folder(index) ? index.row() : -1;
}

void frmDiscs::saveLayout() const
{
    RememberedLayout::save(this, lvwDiscs->header(), QStringLiteral("discs"));
}

void frmDiscs::hideEvent(QHideEvent *event)
{
    saveLayout();
    QDialog::hideEvent(event);
}

void frmDiscs::updateButtons()
{
    const int line = selectedLine();
    const bool catalogued = line >= 0 && m_model.disc(line).isCatalogued();
    const bool writable = m_refusal.isEmpty();
    cmdShowFiles->setEnabled(catalogued);
    cmdRemoveDisc->setEnabled(catalogued && writable);
    cmdUpdate->setEnabled(catalogued && writable); // one not in a drive is told so
    cmdIndex->setEnabled(line >= 0 && m_model.disc(line).isMounted() && writable);
    const bool folder = m_model.folder(selectedIndex()) != nullptr;
    cmdShowFiles->setEnabled(catalogued || folder);
    cmdCopy->setEnabled(line >= 0 || folder);
    for (QPushButton *command : {cmdRemoveDisc, cmdUpdate, cmdIndex})
        command->setToolTip(m_refusal);
}

void frmDiscs::setWritable(const QString &refusal)
{
    m_refusal = refusal;
    m_model.setNotesWritable(refusal.isEmpty());
    updateButtons();
}

void frmDiscs::cmdShowFiles_Click()
{
    const QModelIndex index = selectedIndex();
    if (const DiscsModel::Folder *folder = m_model.folder(index)) {
        const Disc disc = m_model.disc(m_model.discLine(index)); // the refill replaces the lines
        m_discs.showFolder(disc, QString::fromUtf8(folder->path));
        return;
    }
    const int line = selectedLine();
    if (line >= 0 && m_model.disc(line).isCatalogued())
        m_discs.showFiles(m_model.disc(line));
}

void frmDiscs::cmdIndex_Click()
{
    if (!m_refusal.isEmpty())
        return; // a key reaches here past the disabled button
    const int line = selectedLine();
    if (line >= 0 && m_model.disc(line).isMounted())
        m_index(m_model.disc(line).mountedAt, this);
}

void frmDiscs::cmdUpdate_Click()
{
    if (!m_refusal.isEmpty())
        return; // a key reaches here past the disabled button
    const int line = selectedLine();
    if (line >= 0 && m_model.disc(line).isCatalogued()) {
        const Disc disc = m_model.disc(line); // a copy: the refill replaces the lines
        if (!m_update(disc.label, disc.serial, this))
            refresh(); // no longer where the window last saw it
    }
}

void frmDiscs::cmdRemoveDisc_Click()
{
    if (!m_refusal.isEmpty())
        return; // a key reaches here past the disabled button
    const int line = selectedLine();
    if (line >= 0 && m_model.disc(line).isCatalogued())
        m_discs.removeDisc(Disc(m_model.disc(line))); // a copy: the refill replaces the lines
}

void frmDiscs::cmdCopy_Click()
{
    QModelIndexList rows = lvwDiscs->selectionModel()->selectedRows();
    std::sort(rows.begin(), rows.end(), [](const QModelIndex &a, const QModelIndex &b) {
        return treeOrder(a) < treeOrder(b);
    });
    QStringList lines;
    for (const QModelIndex &index : rows) {
        QStringList cells;
        if (const DiscsModel::Folder *folder = m_model.folder(index)) {
            // A folder: its whole path, its files and size.
            cells << QString::fromUtf8(folder->path)
                  << m_model.text(index.siblingAtColumn(DiscsModel::Files))
                  << m_model.text(index.siblingAtColumn(DiscsModel::Size));
        } else {
            for (int c = 0; c < DiscsModel::ColumnCount; ++c)
                cells.append(m_model.text(index.row(), c));
        }
        lines.append(cells.join(QLatin1Char('\t')));
    }
    if (!lines.isEmpty())
        QGuiApplication::clipboard()->setText(lines.join(QLatin1Char('\n')));
}

bool frmDiscs::eventFilter(QObject *watched, QEvent *event)
{
    // A note's editor passes on the Enter that ends it: not a command.
    if (watched == lvwDiscs && event->type() == QEvent::KeyPress &&
        !lvwDiscs->viewport()->isAncestorOf(QApplication::focusWidget())) {
        const auto *keyEvent = static_cast<QKeyEvent *>(event);
        if (keyEvent->matches(QKeySequence::Copy)) {
            cmdCopy_Click();
            return true;
        }
        switch (keyEvent->key()) {
        case Qt::Key_F2:
            editNote();
            return true;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            cmdShowFiles_Click();
            return true;
        case Qt::Key_Delete:
            cmdRemoveDisc_Click();
            return true;
        default:
            break;
        }
    } else if (watched == lvwDiscs->viewport() && event->type() == QEvent::MouseButtonDblClick) {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        const QModelIndex at = lvwDiscs->indexAt(mouse->position().toPoint());
        if (at.column() == DiscsModel::Note && !m_model.folder(at))
            editNote();
        else
            cmdShowFiles_Click();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}
