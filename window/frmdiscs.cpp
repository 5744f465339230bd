#include "window/frmdiscs.h"

#include "platform/platformerror.h"
#include "window/cataloguelist.h"
#include "window/commandbutton.h"
#include "window/discs.h"
#include "window/errorbox.h"

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
#include <QTableView>
#include <QVBoxLayout>

#include <algorithm>

namespace {

QString key(const Disc &disc)
{
    return disc.label + QLatin1Char('\n') + disc.serial + QLatin1Char('\n') + disc.mountedAt;
}

} // namespace

frmDiscs::frmDiscs(Discs &discs, std::function<void(const QString &, QWidget *)> index,
                   Update update, QWidget *parent)
    : QDialog(parent), m_discs(discs), m_index(std::move(index)), m_update(std::move(update))
{
    setObjectName(QStringLiteral("frmDiscs"));
    setWindowTitle(QStringLiteral("Discs"));
    setModal(false);

    lvwDiscs = new QTableView(this);
    lvwDiscs->setObjectName(QStringLiteral("lvwDiscs"));
    lvwDiscs->setModel(&m_model);
    lvwDiscs->setShowGrid(false);
    lvwDiscs->setWordWrap(false);
    lvwDiscs->setSelectionMode(QAbstractItemView::ExtendedSelection);
    lvwDiscs->setSelectionBehavior(QAbstractItemView::SelectRows);
    // Only the Note is edited, in place: F2 or a double-click on it.
    lvwDiscs->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_model.setKeepNote(
        [this](const Disc &disc, const QString &note) { return m_discs.setNote(disc, note); });
    lvwDiscs->verticalHeader()->hide();
    lvwDiscs->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    QHeaderView *header = lvwDiscs->horizontalHeader();
    header->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    header->setStretchLastSection(true);
    lvwDiscs->setSortingEnabled(true);
    lvwDiscs->sortByColumn(DiscsModel::Label, Qt::AscendingOrder);
    const int widths[] = {130, 150, 80, 80, 160, 160}; // a serial may be "FFFFC15A-FFFFD796"
    for (int c = 0; c < int(std::size(widths)); ++c)
        lvwDiscs->setColumnWidth(c, widths[c]);
    lvwDiscs->installEventFilter(this);
    lvwDiscs->viewport()->installEventFilter(this);

    lblTotals = new QLabel(this);
    lblTotals->setObjectName(QStringLiteral("lblTotals"));

    cmdShowFiles = CommandButton(this, "cmdShowFiles", QStringLiteral("&Show Files"));
    cmdIndex = CommandButton(this, "cmdIndex", QStringLiteral("&Index"));
    cmdUpdate = CommandButton(this, "cmdUpdate", QStringLiteral("&Update"));
    cmdRemoveDisc = CommandButton(this, "cmdRemoveDisc", QStringLiteral("&Remove Disc"));
    cmdCopy = CommandButton(this, "cmdCopy", QStringLiteral("&Copy"));
    cmdClose = CommandButton(this, "cmdClose", QStringLiteral("C&lose"));
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
                        m_model.index(current.row(), DiscsModel::Label),
                        QItemSelectionModel::NoUpdate);
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

    resize(760, 420);
    refresh();
    lvwDiscs->setFocus();
}

void frmDiscs::refresh()
{
    QSet<QString> selected;
    for (const QModelIndex &index : lvwDiscs->selectionModel()->selectedRows())
        selected.insert(key(m_model.disc(index.row())));
    const QModelIndex current = lvwDiscs->currentIndex();
    const QString currentKey = current.isValid() ? key(m_model.disc(current.row())) : QString();
    try {
        m_model.setDiscs(m_discs.list());
    } catch (const PlatformError &error) {
        ShowErrorBox(error.number(), error.description());
    }
    QItemSelection selection;
    for (int row = 0; row < m_model.rowCount(); ++row) {
        const QString line = key(m_model.disc(row));
        if (selected.contains(line))
            selection.select(m_model.index(row, 0),
                             m_model.index(row, DiscsModel::ColumnCount - 1));
        if (line == currentKey)
            lvwDiscs->selectionModel()->setCurrentIndex(m_model.index(row, 0),
                                                        QItemSelectionModel::NoUpdate);
    }
    lvwDiscs->selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
    // At first, and when the selected disc has gone, the first line: Enter acts on it at once.
    if (selection.isEmpty() && m_model.rowCount() > 0)
        lvwDiscs->selectionModel()->setCurrentIndex(
            m_model.index(0, 0), QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    lblTotals->setText(m_model.totals());
    updateButtons();
}

void frmDiscs::editNote()
{
    const int line = selectedLine();
    if (line >= 0)
        lvwDiscs->edit(m_model.index(line, DiscsModel::Note));
}

int frmDiscs::selectedLine() const
{
    return CatalogueList::selectedItem(*lvwDiscs->selectionModel());
}

void frmDiscs::updateButtons()
{
    const int line = selectedLine();
    const bool catalogued = line >= 0 && m_model.disc(line).isCatalogued();
    cmdShowFiles->setEnabled(catalogued);
    cmdRemoveDisc->setEnabled(catalogued);
    cmdUpdate->setEnabled(catalogued); // one not in a drive is told so
    cmdIndex->setEnabled(line >= 0 && m_model.disc(line).isMounted());
    cmdCopy->setEnabled(line >= 0);
}

void frmDiscs::cmdShowFiles_Click()
{
    const int line = selectedLine();
    if (line >= 0 && m_model.disc(line).isCatalogued())
        m_discs.showFiles(m_model.disc(line));
}

void frmDiscs::cmdIndex_Click()
{
    const int line = selectedLine();
    if (line >= 0 && m_model.disc(line).isMounted())
        m_index(m_model.disc(line).mountedAt, this);
}

void frmDiscs::cmdUpdate_Click()
{
    const int line = selectedLine();
    if (line >= 0 && m_model.disc(line).isCatalogued()) {
        const Disc disc = m_model.disc(line); // a copy: the refill replaces the lines
        if (!m_update(disc.label, disc.serial, this))
            refresh(); // no longer where the window last saw it
    }
}

void frmDiscs::cmdRemoveDisc_Click()
{
    const int line = selectedLine();
    if (line >= 0 && m_model.disc(line).isCatalogued())
        m_discs.removeDisc(Disc(m_model.disc(line))); // a copy: the refill replaces the lines
}

void frmDiscs::cmdCopy_Click()
{
    QModelIndexList rows = lvwDiscs->selectionModel()->selectedRows();
    std::sort(rows.begin(), rows.end(),
              [](const QModelIndex &a, const QModelIndex &b) { return a.row() < b.row(); });
    QStringList lines;
    for (const QModelIndex &index : rows) {
        QStringList cells;
        for (int c = 0; c < DiscsModel::ColumnCount; ++c)
            cells.append(m_model.text(index.row(), c));
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
        if (lvwDiscs->indexAt(mouse->position().toPoint()).column() == DiscsModel::Note)
            editNote();
        else
            cmdShowFiles_Click();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}
