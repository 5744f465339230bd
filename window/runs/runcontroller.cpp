#include "window/runs/runcontroller.h"

#include "catalogue/catalogue.h"
#include "indexing/mediumlocator.h"
#include "platform/mountedmedia.h"
#include "platform/platformerror.h"
#include "window/boxes/errorbox.h"
#include "window/boxes/messagebox.h"
#include "window/list/archivesettings.h"
#include "window/list/cataloguelist.h"

#include <QLabel>
#include <QLocale>
#include <QProgressDialog>
#include <QWidget>

namespace {

constexpr int FolderWidth = 420; // pixels of the folder's line

QString elapsedText(qint64 ms)
{
    const qint64 seconds = ms / 1000;
    return QStringLiteral("%1:%2").arg(seconds / 60).arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

} // namespace

RunController::RunController(Catalogue &catalogue, CatalogueList &list, VolumeQuery &volumes,
                             FolderLister &lister, FileMetadataReader &metadata,
                             MountedMedia *media, QWidget *window)
    : m_catalogue(catalogue), m_list(list), m_media(media), m_window(window),
      m_run(QString(), volumes, lister, metadata)
{
    connect(&m_run, &IndexRun::opened, this, [this] { m_list.runOpened(); });
    connect(&m_run, &IndexRun::written, this,
            [this](const std::shared_ptr<HeldRows> &rows) { m_list.takeWritten(rows); });
    connect(&m_run, &IndexRun::progress, this, &RunController::showProgress);
    connect(&m_run, &IndexRun::finished, this, &RunController::runEnded);
}

RunController::~RunController() = default;

void RunController::index(const QString &path, QWidget *owner)
{
    if (running())
        return;
    if (path.isEmpty()) {
        m_list.refillBehind();
        return;
    }
    start(tr("Index Directory"), owner, false);
    m_run.startIndex(path);
    Q_EMIT runningChanged(true);
}

bool RunController::updateMedium(const QString &label, const QString &serial, QWidget *owner)
{
    if (running())
        return true;
    const QString root = m_media ? MountedRoot(label, serial, m_media->list()) : QString();
    if (root.isEmpty()) {
        showBox(tr("The disc \"%1\" is not in a drive.").arg(label), tr("Update"));
        return false;
    }
    start(tr("Update"), owner, true);
    m_run.startUpdate(root, label, serial);
    Q_EMIT runningChanged(true);
    return true;
}

void RunController::stopForExit()
{
    m_after = After::End;
    m_run.kill();
}

void RunController::stopForClose()
{
    if (m_after == After::Nothing)
        m_after = After::Close;
    m_run.kill();
}

void RunController::start(const QString &title, QWidget *owner, bool updating)
{
    m_owner = owner;
    m_updating = updating;
    m_after = After::Nothing;
    m_run.setCatalogueFile(m_catalogue.path());
    ArchiveSettings::configure(m_run.memberReader());
    m_list.followRun();
    m_title = title;
    showProgressOver(owner, ProgressDelayMs);
    m_busy.emplace(BusyCursor::Beside);
}

void RunController::showProgressOver(QWidget *owner, int delayMs)
{
    // Qt's conventions: shown by its own timer once the run has lasted a while, a busy bar since
    // the total is not known. Not modal: the windows stay in use during the run.
    m_dialog = new QProgressDialog(owner);
    m_dialog->setObjectName(QStringLiteral("indexProgress"));
    m_dialog->setWindowTitle(m_title);
    // Folder names come from the disc: shown as they are, never as markup.
    auto *label = new QLabel(m_dialog);
    label->setTextFormat(Qt::PlainText);
    label->setAlignment(Qt::AlignCenter);
    m_dialog->setLabel(label);
    m_dialog->setWindowModality(Qt::NonModal);
    m_dialog->setRange(0, 0);
    m_dialog->setAutoClose(false);
    m_dialog->setAutoReset(false);
    m_dialog->setMinimumDuration(delayMs);
    m_dialog->setMinimumWidth(FolderWidth + 60);
    m_dialog->setValue(0);
    connect(m_dialog.data(), &QProgressDialog::canceled, this, &RunController::stop);
    // The window the run was started from closed meanwhile: Cancel stays at hand, over the
    // main window.
    if (owner != m_window)
        connect(m_dialog.data(), &QObject::destroyed, this, [this] {
            if (running() && m_window)
                showProgressOver(m_window, 0);
        });
}

void RunController::showProgress(const IndexingProgress &progress)
{
    if (!running())
        return;
    if (!m_dialog)
        return;
    const QLocale locale;
    // A deep folder is shortened in its middle, so that the window keeps its size.
    const QString folder =
        m_dialog->fontMetrics().elidedText(progress.folder, Qt::ElideMiddle, FolderWidth);
    const QString counts =
        m_updating
            ? tr("Added: %1    Changed: %2    Removed: %3")
                  .arg(locale.toString(progress.catalogued), locale.toString(progress.changed),
                       locale.toString(progress.removed))
            : tr("Catalogued: %1    Already catalogued: %2")
                  .arg(locale.toString(progress.catalogued), locale.toString(progress.skipped));
    // What archives held, and how many could not be looked into, once there are any.
    const QString archives =
        progress.members == 0 && progress.unreadArchives == 0
            ? QString()
            : tr("\nMembers of archives: %1    Archives not read: %2")
                  .arg(locale.toString(progress.members), locale.toString(progress.unreadArchives));
    m_dialog->setLabelText(tr("Reading %1\n%2%3\nElapsed: %4")
                               .arg(folder, counts, archives, elapsedText(progress.elapsedMs)));
}

void RunController::runEnded()
{
    const IndexRun::Result result = m_run.result();
    if (m_dialog)
        m_dialog->disconnect(this);
    delete m_dialog;
    m_busy.reset();
    m_catalogue.fold(); // what the run's connection could not fold while this one read
    m_catalogue.mediumRoots().forget(); // the run recorded roots through its own connection
    if (m_after == After::End) {
        Q_EMIT runningChanged(false);
        Q_EMIT endWanted();
        return;
    }
    // The list holds the run's rows already, or reads them behind the window: at a million
    // rows a refill here would hold it for seconds.
    m_list.runEnded(result.onlyAdded);
    Q_EMIT ended(result.counts, m_updating);
    Q_EMIT runningChanged(false);
    if (m_after == After::Close) {
        Q_EMIT closeWanted();
        return;
    }
    reportFailures(result);
}

// One box for the run, over the window that started it: the first failure in the described
// words with its folder on a line of its own, then what else the run has to say.
void RunController::reportFailures(const IndexRun::Result &result)
{
    if (!result.failed && result.folderFailures.isEmpty())
        return;
    const IndexRun::Failure &first =
        result.failed ? result.runFailure : result.folderFailures.first();
    QString text = ErrorBoxText(first.number, first.description);
    if (!first.folder.isEmpty())
        text += QStringLiteral("\r\n") + first.folder;
    const qsizetype others = result.folderFailures.size() - (result.failed ? 0 : 1);
    if (others > 0)
        text +=
            QStringLiteral("\r\n\r\n") +
            tr("Other folders that could not be catalogued: %1.").arg(QLocale().toString(others));
    if (result.failed) {
        const QLocale locale;
        text += QStringLiteral("\r\n\r\n") +
                (m_updating ? tr("The run ended with %1 added, %2 changed and %3 removed.")
                                  .arg(locale.toString(result.counts.catalogued),
                                       locale.toString(result.counts.changed),
                                       locale.toString(result.counts.removed))
                            : tr("The run ended with %1 files catalogued.")
                                  .arg(locale.toString(result.counts.catalogued)));
    }
    ShowErrorBox(text, m_owner);
}
