#include "window/main/frmmain.h"

#include "catalogue/media.h"
#include "platform/app.h"
#include "platform/archivereader.h"
#include "platform/mountmonitor.h"
#include "platform/platformerror.h"
#include "window/list/archivesettings.h"
#include "window/list/cataloguelistmodel.h"
#include "window/main/commandbutton.h"
#include "window/boxes/errorbox.h"
#include "window/about/frmabout.h"
#include "window/discs/frmdiscs.h"
#include "window/find/frmfind.h"
#include "window/boxes/messagebox.h"
#include "window/main/rememberedlayout.h"
#include "window/main/twips.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLocale>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QTableView>
#include <QThread>

namespace {

enum KeyCode { vbKeyBack = 8, vbKeyReturn = 13 };

QRect pixels(const TwipRect &r)
{
    return QRect(twipsToPixels(r.left), twipsToPixels(r.top), twipsToPixels(r.width),
                 twipsToPixels(r.height));
}
} // namespace

frmMain::frmMain(const Services &services, QWidget *parent)
    : QWidget(parent), m_services(services),
      m_runs(m_catalogue, m_list, m_pointer, m_colIndexed, *services.volumes, *services.lister,
             *services.metadata, services.media, this),
      m_launcher(m_list, m_pointer, *services.shell, services.media, &m_catalogue.mediumRoots(),
                 &m_catalogue.cnCatalogue(), &systemArchiveReader()),
      m_export(m_list, m_pointer, services.saveFileName),
      m_newDisc(
          m_catalogue, *services.media, [this] { return commandRunning(); },
          [this](const QString &root) { indexFolder(root, this); }, this)
{
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(App::Title());

    // A table in report form: one line per file, whole rows selected. Its row heights are all
    // the same, so a million rows cost no more to lay out than a thousand.
    lvwFiles = new QTableView(this);
    lvwFiles->setObjectName(QStringLiteral("lvwFiles"));
    lvwFiles->setShowGrid(false);
    lvwFiles->setWordWrap(false);
    lvwFiles->setCornerButtonEnabled(false);
    lvwFiles->setSelectionMode(QAbstractItemView::ExtendedSelection);
    lvwFiles->setSelectionBehavior(QAbstractItemView::SelectRows);
    lvwFiles->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lvwFiles->setTextElideMode(Qt::ElideRight);
    lvwFiles->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    QHeaderView *rows = lvwFiles->verticalHeader();
    rows->hide();
    rows->setSectionResizeMode(QHeaderView::Fixed);
    rows->setDefaultSectionSize(fontMetrics().height() + 4);
    lvwFiles->setModel(m_list.model());
    lvwFiles->setSelectionModel(m_list.selectionModel());
    QHeaderView *header = lvwFiles->horizontalHeader();
    header->setSectionsMovable(true); // the columns' order is the user's, and kept
    header->setStretchLastSection(false);
    header->setMinimumSectionSize(0);
    header->setSectionsClickable(true);
    header->setHighlightSections(false);
    header->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    // The ID travels with every row but is not shown.
    lvwFiles->setColumnWidth(CatalogueListModel::ID, 0);
    for (int c = CatalogueListModel::Path; c < CatalogueListModel::ColumnCount; ++c)
        lvwFiles->setColumnWidth(c, twipsToPixels(1440));
    // Keys and double-clicks are seen on their way to the list, which still gets them.
    lvwFiles->installEventFilter(this);
    lvwFiles->viewport()->installEventFilter(this);
    connect(header, &QHeaderView::sectionClicked, this,
            [this](int section) { lvwFiles_ColumnClick(section + 1); });
    connect(m_listMenu.mnuOpen, &QAction::triggered, this, &frmMain::cmdExecuteFile_Click);
    connect(m_listMenu.mnuOpenFolder, &QAction::triggered, this, &frmMain::mnuOpenFolder_Click);
    connect(m_listMenu.mnuCopyPath, &QAction::triggered, this, &frmMain::mnuCopyPath_Click);
    connect(m_listMenu.mnuRemove, &QAction::triggered, this, &frmMain::cmdRemove_Click);
    connect(m_listMenu.mnuUndoRemove, &QAction::triggered, this, &frmMain::mnuUndoRemove_Click);
    addAction(m_listMenu.mnuUndoRemove); // its Ctrl+Z works anywhere in the window
    connect(m_listMenu.mnuExportList, &QAction::triggered, this, &frmMain::mnuExportList_Click);
    connect(m_listMenu.mnuShowDuplicates, &QAction::triggered, this,
            &frmMain::mnuShowDuplicates_Click);
    connect(m_listMenu.mnuDiscs, &QAction::triggered, this, &frmMain::mnuDiscs_Click);
    addAction(m_listMenu.mnuDiscs); // its Ctrl+D works anywhere in the window
    connect(m_listMenu.mnuFind, &QAction::triggered, this, &frmMain::mnuFind_Click);
    addAction(m_listMenu.mnuFind); // its Ctrl+F works anywhere in the window
    m_listMenu.mnuLookInsideArchives->setChecked(ArchiveSettings::lookInside());
    connect(m_listMenu.mnuLookInsideArchives, &QAction::toggled, this,
            &ArchiveSettings::setLookInside);

    cmdExit = CommandButton(this, "cmdExit", QStringLiteral("E&xit"));
    cmdAbout = CommandButton(this, "cmdAbout", QStringLiteral("&About"));
    cmdExecuteFile = CommandButton(this, "cmdExecuteFile", QStringLiteral("Exe&cute File"));
    cmdIndexDirectory =
        CommandButton(this, "cmdIndexDirectory", QStringLiteral("&Index Directory"));
    cmdRemove = CommandButton(this, "cmdRemove", QStringLiteral("&Remove"));
    cmdSearch = CommandButton(this, "cmdSearch", QStringLiteral("&Search"));
    connect(cmdExit, &QPushButton::clicked, this, &frmMain::cmdExit_Click);
    connect(cmdAbout, &QPushButton::clicked, this, &frmMain::cmdAbout_Click);
    connect(cmdExecuteFile, &QPushButton::clicked, this, &frmMain::cmdExecuteFile_Click);
    connect(cmdIndexDirectory, &QPushButton::clicked, this, &frmMain::cmdIndexDirectory_Click);
    connect(cmdRemove, &QPushButton::clicked, this, &frmMain::cmdRemove_Click);
    connect(cmdSearch, &QPushButton::clicked, this, &frmMain::cmdSearch_Click);
    // Every change of view ends in a refill: the caption tells which view is shown.
    connect(m_list.model(), &QAbstractItemModel::modelReset, this, [this] {
        cmdSearch->setText(m_list.view().narrowed() ? QStringLiteral("&Show All")
                                                    : QStringLiteral("&Search"));
        updateCommands(); // a refill may find the catalogue damaged
    });

    connect(&m_runs, &RunController::runningChanged, this, &frmMain::updateCommands);
    connect(&m_runs, &RunController::endWanted, this, &frmMain::cmdExit_Click);
    connect(&m_runs, &RunController::closeWanted, this, &frmMain::close);
    connect(&m_runs, &RunController::ended, this, &frmMain::runEnded);
    lblStatus = new StatusLine(m_catalogue, m_list, this);
    m_layout.lblStatus.height = float(pixelsToTwips(fontMetrics().height() + 6));

    // Tab order as designed: the list first, so it has the focus when the window opens.
    QWidget::setTabOrder(lvwFiles, cmdExit);
    QWidget::setTabOrder(cmdExit, cmdAbout);
    QWidget::setTabOrder(cmdAbout, cmdExecuteFile);
    QWidget::setTabOrder(cmdExecuteFile, cmdIndexDirectory);
    QWidget::setTabOrder(cmdIndexDirectory, cmdRemove);
    QWidget::setTabOrder(cmdRemove, cmdSearch);
    lvwFiles->setFocus();

    applyLayout();
    // The first size as designed, taller by the status line: the list keeps its size.
    resize(twipsToPixels(10575), twipsToPixels(4500 + m_layout.lblStatus.height));
    // The layout kept at the last Exit, sort included; at the first start the one designed.
    if (RememberedLayout::restore(this, header, QStringLiteral("main")) &&
        header->isSortIndicatorShown())
        m_list.sortBy(header->sortIndicatorSection(),
                      header->sortIndicatorOrder() == Qt::AscendingOrder ? 0 : 1);
}

frmMain::~frmMain()
{
    // While what it watches is still here.
    delete m_frmDiscs.data();
}

void frmMain::Form_Load()
{
    m_pointer.setMousePointer(vbHourglass);
    m_catalogue.open(m_services.appPath + QStringLiteral("/data.mdb"));
    m_pointer.setMousePointer(vbDefault);
    if (m_services.fillBehind)
        m_list.fillBehind();
    else
        RefreshLv();
    updateCommands();
    if (m_services.offerNewDiscs && !m_mountMonitor)
        m_mountMonitor = std::make_unique<MountMonitor>(
            [this](const QString &root) { m_newDisc.mounted(root); });
}

bool frmMain::commandRunning() const
{
    // A run goes on its own thread; a command that waits for the user runs an event loop of its
    // own (a box, a menu).
    return m_runs.running() || QApplication::activeModalWidget() ||
           QApplication::activePopupWidget() || QThread::currentThread()->loopLevel() > 1;
}

QString frmMain::writeRefusal() const
{
    if (m_runs.running())
        return tr("A run is under way: this waits until it has ended (Cancel stops it).");
    const Connection &connection = m_catalogue.cnCatalogue();
    if (connection.isOpen() && connection.isDamaged())
        return tr("The catalogue is damaged: nothing more is written into it.");
    if (connection.isOpen() && connection.isReadOnly())
        return tr("The catalogue is read-only: it can be browsed and searched, not changed.");
    return QString();
}

void frmMain::updateCommands()
{
    const QString refusal = writeRefusal();
    for (QPushButton *command : {cmdIndexDirectory, cmdRemove}) {
        command->setEnabled(refusal.isEmpty());
        command->setToolTip(refusal);
    }
    m_listMenu.setWritable(refusal);
    if (m_frmDiscs)
        m_frmDiscs->setWritable(refusal);
}

bool frmMain::UpdateMedium(const QString &label, const QString &serial, QWidget *owner)
{
    if (!writeRefusal().isEmpty())
        return true; // the window says why it cannot
    return m_runs.updateMedium(label, serial, owner ? owner : this);
}

void frmMain::runEnded(const IndexingProgress &counts, bool update)
{
    lblStatus->showMessage(StatusLine::runText(counts.catalogued, counts.skipped, counts.changed,
                                               counts.removed, counts.elapsedMs, update));
}

void frmMain::RefreshLv()
{
    m_list.RefreshLv();
}

void frmMain::lvwFiles_ColumnClick(int index)
{
    const int order = m_list.sortOrder() == 0 ? 1 : 0;
    m_list.sortBy(index - 1, order);
    lvwFiles->horizontalHeader()->setSortIndicatorShown(true);
    lvwFiles->horizontalHeader()->setSortIndicator(index - 1, order == 0 ? Qt::AscendingOrder
                                                                         : Qt::DescendingOrder);
}

void frmMain::cmdIndexDirectory_Click()
{
    if (!writeRefusal().isEmpty())
        return;
    indexFolder(InputBox(QStringLiteral("Please enter the path you would like to index:")), this);
}

void frmMain::indexFolder(const QString &path, QWidget *owner)
{
    if (!writeRefusal().isEmpty())
        return;
    m_runs.index(path, owner);
}

void frmMain::mnuDiscs_Click()
{
    if (!m_frmDiscs) {
        // A window of its own over this one; it goes when closed.
        m_frmDiscs = new frmDiscs(
            m_discs, [this](const QString &root, QWidget *owner) { indexFolder(root, owner); },
            [this](const QString &label, const QString &serial, QWidget *owner) {
                return UpdateMedium(label, serial, owner);
            },
            this);
        m_frmDiscs->setAttribute(Qt::WA_DeleteOnClose);
        m_frmDiscs->setWritable(writeRefusal());
        m_frmDiscs->addAction(m_listMenu.mnuUndoRemove); // Ctrl+Z after Remove Disc there
        connect(m_list.model(), &QAbstractItemModel::modelReset, m_frmDiscs.data(),
                &frmDiscs::refresh);
        // Mounted At, and the discs mounted that the catalogue holds nothing of, follow the
        // mount table while the window is open.
        m_discsMonitor = std::make_unique<MountMonitor>(std::function<void(const QString &)>(),
                                                        [discs = m_frmDiscs] {
                                                            if (discs)
                                                                discs->mountsChanged();
                                                        });
        connect(m_frmDiscs.data(), &QObject::destroyed, this, [this] { m_discsMonitor.reset(); });
    }
    m_frmDiscs->show();
    m_frmDiscs->raise();
    m_frmDiscs->activateWindow();
}

void frmMain::closeEvent(QCloseEvent *event)
{
    if (m_runs.running()) {
        m_runs.stopForClose(); // closes once the run has stopped
        event->ignore();
        return;
    }
    saveLayout();
    QWidget::closeEvent(event);
}

void frmMain::cmdSearch_Click()
{
    m_search.cmdSearch_Click();
}

void frmMain::cmdExecuteFile_Click()
{
    m_launcher.cmdExecuteFile_Click();
}

void frmMain::cmdRemove_Click()
{
    if (!writeRefusal().isEmpty())
        return; // Backspace too: the button says why
    m_remove.cmdRemove_Click();
}

void frmMain::lvwFiles_DblClick()
{
    cmdExecuteFile_Click();
}

void frmMain::lvwFiles_KeyDown(int keyCode)
{
    if (keyCode == vbKeyBack)
        cmdRemove_Click();
    else if (keyCode == vbKeyReturn)
        cmdExecuteFile_Click();
}

bool frmMain::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::ContextMenu &&
        (watched == lvwFiles || watched == lvwFiles->viewport())) {
        // A right-click arrives at the rows (the click has already selected the row under it);
        // the Menu key at the list, where the menu opens by the focused row.
        const auto *menuEvent = static_cast<QContextMenuEvent *>(event);
        lvwFiles_ContextMenu(menuEvent->reason() == QContextMenuEvent::Mouse
                                 ? menuEvent->globalPos()
                                 : QPoint(-1, -1));
        return true;
    }
    if (watched == lvwFiles && event->type() == QEvent::KeyPress) {
        const auto *keyEvent = static_cast<QKeyEvent *>(event);
        if (keyEvent->matches(QKeySequence::Copy)) {
            // The paths, not the view's own copy of one cell.
            mnuCopyPath_Click();
            return true;
        }
        if (keyEvent->key() == Qt::Key_F10 && keyEvent->modifiers() == Qt::ShiftModifier) {
            lvwFiles_ContextMenu(QPoint(-1, -1));
            return true;
        }
        const int key = keyEvent->key();
        if (key == Qt::Key_Backspace)
            lvwFiles_KeyDown(vbKeyBack);
        else if (key == Qt::Key_Return || key == Qt::Key_Enter)
            lvwFiles_KeyDown(vbKeyReturn);
    } else if (watched == lvwFiles->viewport() && event->type() == QEvent::MouseButtonDblClick) {
        // Wherever it lands: the command acts on the selected item.
        lvwFiles_DblClick();
        if (!lvwFiles->indexAt(static_cast<QMouseEvent *>(event)->position().toPoint()).isValid())
            return true; // the view would take it for a press on nothing
    } else if (watched == lvwFiles->viewport() && event->type() == QEvent::MouseButtonPress) {
        // A click on the empty part of the list keeps the selected item: a double-click there
        // acts on it.
        const auto *mouse = static_cast<QMouseEvent *>(event);
        if (mouse->button() == Qt::LeftButton &&
            !lvwFiles->indexAt(mouse->position().toPoint()).isValid())
            return true;
    }
    return QWidget::eventFilter(watched, event); // the list still gets the event
}

void frmMain::lvwFiles_ContextMenu(QPoint globalPos)
{
    if (globalPos == QPoint(-1, -1)) {
        // From the keyboard: below the focused row where it is in sight, else at the rows' top.
        const QRect rows = lvwFiles->viewport()->rect();
        const QRect focused = lvwFiles->visualRect(lvwFiles->currentIndex());
        const QPoint at =
            rows.contains(focused.bottomLeft()) ? focused.bottomLeft() : rows.topLeft();
        globalPos = lvwFiles->viewport()->mapToGlobal(at + QPoint(twipsToPixels(240), 0));
    }
    m_listMenu.popup(globalPos, m_list.selectedItem() >= 0, m_catalogue.removedCount() > 0);
}

void frmMain::mnuOpenFolder_Click()
{
    m_launcher.OpenContainingFolder();
}

void frmMain::mnuCopyPath_Click()
{
    m_copyPath.mnuCopyPath_Click();
}

void frmMain::mnuUndoRemove_Click()
{
    if (!writeRefusal().isEmpty())
        return; // a run's rows are being written, or the catalogue cannot be written
    if (const qint64 restored = m_remove.undoRemove())
        lblStatus->showMessage(
            restored == 1 ? QStringLiteral("Put back 1 file.")
                          : QStringLiteral("Put back %1 files.").arg(QLocale().toString(restored)));
}

void frmMain::mnuExportList_Click()
{
    m_export.mnuExportList_Click(this);
}

void frmMain::mnuShowDuplicates_Click()
{
    m_duplicates.mnuShowDuplicates_Click();
}

void frmMain::mnuFind_Click()
{
    if (!m_find) {
        m_find = std::make_unique<frmFind>(
            m_list,
            [this] {
                try {
                    return Media::notes(m_catalogue.cnCatalogue());
                } catch (const PlatformError &error) {
                    ShowErrorBox(error.number(), error.description());
                    return QHash<Media::Key, QString>(); // no note is found, the rest is
                }
            },
            this);
        connect(m_find.get(), &frmFind::findRequested, this, &frmMain::showFound);
        connect(m_find.get(), &frmFind::wholeCatalogueWanted, this,
                [this] { m_list.showWholeCatalogue(); });
    }
    m_find->showFind();
}

void frmMain::showFound(const FindQuery &query)
{
    try {
        m_list.show(ListView::find(query));
    } catch (const PlatformError &error) {
        ShowErrorBox(error.number(), error.description());
        m_list.showWholeCatalogue();
    }
}

void frmMain::cmdAbout_Click()
{
    // A fresh about box each time, centred over this window; returns when it has closed.
    frmAbout about(m_services.registry, *m_services.launcher, this);
    about.exec();
}

void frmMain::saveLayout() const
{
    RememberedLayout::save(this, lvwFiles->horizontalHeader(), QStringLiteral("main"));
    if (m_frmDiscs && m_frmDiscs->isVisible())
        m_frmDiscs->saveLayout();
    if (m_find && m_find->isVisible())
        m_find->saveLayout();
}

void frmMain::cmdExit_Click()
{
    // A run under way stops first, as on Cancel; the program ends when it has.
    if (m_runs.running()) {
        m_runs.stopForExit();
        return;
    }
    saveLayout();
    // The process ends at once, but not before data.mdb holds everything on its own.
    m_launcher.removeExtracted();
    m_list.stopFill(); // its connection is closed before the file is left on its own
    try {
        m_catalogue.close();
    } catch (const PlatformError &error) {
        MsgBox(QStringLiteral("The catalogue could not be written back into data.mdb.\r\n"
                              "Error: %1\r\nDescription: %2\r\n\r\n"
                              "Until Vellumark starts again, data.mdb and its log data.mdb-wal "
                              "beside it hold the catalogue together: keep the two files "
                              "together, and copy or move both. The next start writes the log "
                              "back into data.mdb.")
                   .arg(error.number())
                   .arg(error.description()),
               vbCritical, QStringLiteral("Exit"));
        m_services.endProcess(1);
        return;
    }
    m_services.endProcess(0);
}

void frmMain::endOnSignal()
{
    cmdExit_Click();
}

void frmMain::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    Form_Resize();
}

void frmMain::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    // A minimised window has no client area; restoring it lays it out again.
    if (event->type() == QEvent::WindowStateChange)
        Form_Resize();
}

void frmMain::Form_Resize()
{
    if (isMinimized())
        m_layout.Form_Resize(0.0f, 0.0f);
    else
        m_layout.Form_Resize(float(pixelsToTwips(width())), float(pixelsToTwips(height())));
    applyLayout();
}

void frmMain::applyLayout()
{
    lvwFiles->setGeometry(pixels(m_layout.lvwFiles));
    cmdExit->setGeometry(pixels(m_layout.cmdExit));
    cmdAbout->setGeometry(pixels(m_layout.cmdAbout));
    cmdExecuteFile->setGeometry(pixels(m_layout.cmdExecuteFile));
    cmdIndexDirectory->setGeometry(pixels(m_layout.cmdIndexDirectory));
    cmdRemove->setGeometry(pixels(m_layout.cmdRemove));
    cmdSearch->setGeometry(pixels(m_layout.cmdSearch));
    lblStatus->setGeometry(pixels(m_layout.lblStatus));
}
