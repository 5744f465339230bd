#include "window/main/frmmain.h"

#include "catalogue/media.h"
#include "platform/app.h"
#include "platform/archivereader.h"
#include "platform/mountmonitor.h"
#include "platform/platformerror.h"
#include "window/about/frmabout.h"
#include "window/boxes/busycursor.h"
#include "window/boxes/errorbox.h"
#include "window/boxes/messagebox.h"
#include "window/discs/frmdiscs.h"
#include "window/find/frmfind.h"
#include "window/list/archivesettings.h"
#include "window/list/cataloguelistmodel.h"
#include "window/list/filestable.h"
#include "window/main/commandbutton.h"
#include "window/main/rememberedlayout.h"
#include "window/main/twips.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QEvent>
#include <QHeaderView>
#include <QLocale>
#include <QPushButton>
#include <QThread>

namespace {

QRect pixels(const TwipRect &r)
{
    return QRect(twipsToPixels(r.left), twipsToPixels(r.top), twipsToPixels(r.width),
                 twipsToPixels(r.height));
}
} // namespace

frmMain::frmMain(const Services &services, QWidget *parent)
    : QWidget(parent), m_services(services),
      m_runs(m_catalogue, m_list, *services.volumes, *services.lister, *services.metadata,
             services.media, this),
      m_launcher(m_list, *services.opener, services.media, &m_catalogue.mediumRoots(), &m_catalogue,
                 &systemArchiveReader()),
      m_export(m_list, services.saveFileName),
      m_newDisc(
          m_catalogue, *services.media, [this] { return commandRunning(); },
          [this](const QString &root) { indexFolder(root, this); }, this)
{
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(App::Title());

    lvwFiles = new FilesTable(m_list, this);
    QHeaderView *header = lvwFiles->horizontalHeader();
    connect(header, &QHeaderView::sectionClicked, this,
            [this](int section) { lvwFiles_ColumnClick(section + 1); });
    connect(lvwFiles, &FilesTable::openWanted, this, [this] { m_launcher.cmdExecuteFile_Click(); });
    connect(lvwFiles, &FilesTable::removeWanted, this, &frmMain::cmdRemove_Click);
    connect(lvwFiles, &FilesTable::copyWanted, this, [this] { m_copyPath.mnuCopyPath_Click(); });
    connect(lvwFiles, &FilesTable::menuWanted, this, [this](QPoint globalPos) {
        m_listMenu.popup(globalPos, m_list.selectedItem() >= 0, m_catalogue.removedCount() > 0);
    });
    connect(m_listMenu.mnuOpen, &QAction::triggered, this,
            [this] { m_launcher.cmdExecuteFile_Click(); });
    connect(m_listMenu.mnuOpenFolder, &QAction::triggered, this,
            [this] { m_launcher.OpenContainingFolder(); });
    connect(m_listMenu.mnuCopyPath, &QAction::triggered, this,
            [this] { m_copyPath.mnuCopyPath_Click(); });
    connect(m_listMenu.mnuRemove, &QAction::triggered, this, &frmMain::cmdRemove_Click);
    connect(m_listMenu.mnuUndoRemove, &QAction::triggered, this, &frmMain::mnuUndoRemove_Click);
    addAction(m_listMenu.mnuUndoRemove); // its Ctrl+Z works anywhere in the window
    connect(m_listMenu.mnuExportList, &QAction::triggered, this,
            [this] { m_export.mnuExportList_Click(this); });
    connect(m_listMenu.mnuShowDuplicates, &QAction::triggered, this,
            [this] { m_duplicates.mnuShowDuplicates_Click(); });
    connect(m_listMenu.mnuDiscs, &QAction::triggered, this, &frmMain::mnuDiscs_Click);
    addAction(m_listMenu.mnuDiscs); // its Ctrl+D works anywhere in the window
    connect(m_listMenu.mnuFind, &QAction::triggered, this, &frmMain::mnuFind_Click);
    addAction(m_listMenu.mnuFind); // its Ctrl+F works anywhere in the window
    m_listMenu.mnuLookInsideArchives->setChecked(ArchiveSettings::lookInside());
    connect(m_listMenu.mnuLookInsideArchives, &QAction::toggled, this,
            &ArchiveSettings::setLookInside);

    cmdExit = CommandButton(this, "cmdExit", tr("E&xit"));
    cmdAbout = CommandButton(this, "cmdAbout", tr("&About"));
    cmdExecuteFile = CommandButton(this, "cmdExecuteFile", tr("Exe&cute File"));
    cmdIndexDirectory = CommandButton(this, "cmdIndexDirectory", tr("&Index Directory"));
    cmdRemove = CommandButton(this, "cmdRemove", tr("&Remove"));
    cmdSearch = CommandButton(this, "cmdSearch", tr("&Search"));
    connect(cmdExit, &QPushButton::clicked, this, &frmMain::cmdExit_Click);
    connect(cmdAbout, &QPushButton::clicked, this, &frmMain::cmdAbout_Click);
    connect(cmdExecuteFile, &QPushButton::clicked, this,
            [this] { m_launcher.cmdExecuteFile_Click(); });
    connect(cmdIndexDirectory, &QPushButton::clicked, this, &frmMain::cmdIndexDirectory_Click);
    connect(cmdRemove, &QPushButton::clicked, this, &frmMain::cmdRemove_Click);
    connect(cmdSearch, &QPushButton::clicked, this, [this] { m_search.cmdSearch_Click(); });
    // Every change of view ends in a refill: the caption tells which view is shown.
    connect(m_list.model(), &QAbstractItemModel::modelReset, this, [this] {
        cmdSearch->setText(m_list.view().narrowed() ? tr("&Show All") : tr("&Search"));
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
    {
        const BusyCursor busy;
        m_catalogue.open(m_services.appPath + QStringLiteral("/data.mdb"));
    }
    if (m_services.fillBehind)
        m_list.fillBehind();
    else
        m_list.RefreshLv();
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
    if (m_catalogue.isOpen() && m_catalogue.isDamaged())
        return tr("The catalogue is damaged: nothing more is written into it.");
    if (m_catalogue.isOpen() && m_catalogue.isReadOnly())
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
    indexFolder(InputBox(tr("Please enter the path you would like to index:")), this);
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

void frmMain::cmdRemove_Click()
{
    if (!writeRefusal().isEmpty())
        return; // Backspace too: the button says why
    m_remove.cmdRemove_Click();
}

void frmMain::mnuUndoRemove_Click()
{
    if (!writeRefusal().isEmpty())
        return; // a run's rows are being written, or the catalogue cannot be written
    if (const qint64 restored = m_remove.undoRemove())
        lblStatus->showMessage(restored == 1
                                   ? tr("Put back 1 file.")
                                   : tr("Put back %1 files.").arg(QLocale().toString(restored)));
}

void frmMain::mnuFind_Click()
{
    if (!m_find) {
        m_find = std::make_unique<frmFind>(
            m_list,
            [this] {
                try {
                    return m_catalogue.media().notes();
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
    frmAbout about(*m_services.launcher, this);
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
    lblStatus->stopCounting(); // and so is that of a count
    try {
        m_catalogue.close();
    } catch (const PlatformError &error) {
        showBox(tr("The catalogue could not be written back into data.mdb.\r\n"
                   "Error: %1\r\nDescription: %2\r\n\r\n"
                   "Until Vellumark starts again, data.mdb and its log data.mdb-wal "
                   "beside it hold the catalogue together: keep the two files "
                   "together, and copy or move both. The next start writes the log "
                   "back into data.mdb.")
                    .arg(error.number())
                    .arg(error.description()),
                tr("Exit"), BoxButtons::Ok, BoxIcon::Stop);
        m_services.endProcess(1);
        return;
    }
    m_services.endProcess(0);
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
