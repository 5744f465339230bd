#include "window/indexcommand.h"

#include "catalogue/catalogue.h"
#include "indexing/mediumlocator.h"
#include "platform/mountedmedia.h"
#include "window/cataloguelist.h"
#include "window/errorbox.h"
#include "window/messagebox.h"
#include "window/mousepointer.h"

#include <QCoreApplication>
#include <QLocale>
#include <QProgressDialog>

namespace {

constexpr int FolderWidth = 420; // pixels of the folder's line

QString elapsedText(qint64 ms)
{
    const qint64 seconds = ms / 1000;
    return QStringLiteral("%1:%2").arg(seconds / 60).arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

} // namespace

IndexCommand::IndexCommand(Catalogue &catalogue, CatalogueList &list, MousePointer &pointer,
                           colFFiles &colIndexed, VolumeQuery &volumes, FolderLister &lister,
                           FileMetadataReader &metadata, MountedMedia *media, QWidget *owner)
    : m_catalogue(catalogue), m_list(list), m_pointer(pointer),
      m_indexer(catalogue, colIndexed, *this, volumes, lister, metadata), m_owner(owner),
      m_media(media)
{}

IndexCommand::~IndexCommand() = default;

void IndexCommand::cmdIndexDirectory_Click()
{
    index(InputBox(QStringLiteral("Please enter the path you would like to index:")), m_owner);
}

void IndexCommand::index(const QString &path, QWidget *owner)
{
    m_stop = false;
    m_lastRun.reset();
    m_lastRunWasUpdate = false;
    if (!path.isEmpty())
        showProgressFor(QStringLiteral("Index Directory"), owner);
    m_running = true;
    m_pointer.setMousePointer(vbHourglass); // for the whole run, boxes of failed folders too
    m_indexer.IndexFolder(path);
    finishRun();
}

bool IndexCommand::updateMedium(const QString &label, const QString &serial, QWidget *owner)
{
    const QString root = m_media ? MountedRoot(label, serial, m_media->list()) : QString();
    if (root.isEmpty()) {
        MsgBox(QStringLiteral("The disc \"%1\" is not in a drive.").arg(label), vbOKOnly,
               QStringLiteral("Update"));
        return false;
    }
    m_stop = false;
    m_lastRun.reset();
    m_lastRunWasUpdate = true;
    m_updating = true;
    showProgressFor(QStringLiteral("Update"), owner);
    m_running = true;
    m_pointer.setMousePointer(vbHourglass);
    m_indexer.UpdateMedium(root, label, serial);
    m_updating = false;
    finishRun();
    return true;
}

void IndexCommand::showProgressFor(const QString &title, QWidget *owner)
{
    // Qt's conventions: shown by its own timer once the run has lasted ProgressDelayMs, modal
    // over the window the run was started from, a busy bar since the total is not known.
    m_dialog = new QProgressDialog(owner);
    m_dialog->setObjectName(QStringLiteral("indexProgress"));
    m_dialog->setWindowTitle(title);
    m_dialog->setWindowModality(owner ? Qt::WindowModal : Qt::ApplicationModal);
    m_dialog->setRange(0, 0);
    m_dialog->setAutoClose(false);
    m_dialog->setAutoReset(false);
    m_dialog->setMinimumDuration(ProgressDelayMs);
    m_dialog->setMinimumWidth(FolderWidth + 60);
    m_dialog->setValue(0);
    QObject::connect(m_dialog.data(), &QProgressDialog::canceled, [this] { m_stop = true; });
}

void IndexCommand::finishRun()
{
    m_pointer.setMousePointer(vbDefault);
    m_running = false;
    delete m_dialog;
    m_catalogue.fold();
    m_list.RefreshLv();
}

void IndexCommand::progress(const IndexingProgress &progress)
{
    m_lastRun = progress;
    if (!m_dialog)
        return;
    const QLocale locale;
    // A deep folder is shortened in its middle, so that the window keeps its size.
    const QString folder =
        m_dialog->fontMetrics().elidedText(progress.folder, Qt::ElideMiddle, FolderWidth);
    const QString counts =
        m_updating
            ? QStringLiteral("Added: %1    Changed: %2    Removed: %3")
                  .arg(locale.toString(progress.catalogued), locale.toString(progress.changed),
                       locale.toString(progress.removed))
            : QStringLiteral("Catalogued: %1    Already catalogued: %2")
                  .arg(locale.toString(progress.catalogued), locale.toString(progress.skipped));
    m_dialog->setLabelText(QStringLiteral("Reading %1\n%2\nElapsed: %3")
                               .arg(folder, counts, elapsedText(progress.elapsedMs)));
    // The window keeps repainting and the progress window answers. Until it is up, what the
    // user does waits: no other command may start in the middle of a run.
    QCoreApplication::processEvents(m_dialog->isVisible() ? QEventLoop::AllEvents
                                                          : QEventLoop::ExcludeUserInputEvents);
}

void IndexCommand::folderFailed(int number, const QString &description)
{
    ShowErrorBox(number, description);
}

void IndexCommand::runFailed(int number, const QString &description)
{
    ShowErrorBox(number, description);
}
