#pragma once

#include "indexing/indexrun.h"
#include "window/boxes/busycursor.h"

#include <QObject>
#include <QPointer>

#include <optional>

class Catalogue;
class CatalogueList;
class FileMetadataReader;
class FolderLister;
class MountedMedia;
class QProgressDialog;
class QWidget;
class VolumeQuery;

// Every long run goes through here: Index Directory, Index from the Discs window, the New Disc
// offer's Yes, and Update. The walk runs on its own thread (IndexRun); the windows stay usable,
// with the arrow-and-hourglass pointer over the main window. A run that lasts shows a progress
// window that is not modal, over the window the run was started from (the folder being read,
// the counts so far, the time taken), or over the main window once that one has closed; its
// Cancel, or Esc, stops the run at the next file.
//
// The rows a run adds go into the list as each group is written. The end of every run is decided
// in one place (runEnded): the log folded and the list holding every row (or read again behind
// the window), then the end of the program when Exit or a signal came during the run, the window
// closed when it was closed during the run, and otherwise one box for what failed, over the
// window that started the run.
class RunController : public QObject
{
    Q_OBJECT
public:
    // window is the main window: the progress goes there when the window a run was started from
    // closes during the run.
    RunController(Catalogue &catalogue, CatalogueList &list, VolumeQuery &volumes,
                  FolderLister &lister, FileMetadataReader &metadata, MountedMedia *media,
                  QWidget *window = nullptr);
    ~RunController() override;

    // Indexes the tree below path, its progress over owner. The empty path indexes nothing; the
    // list is read again (behind the window) in every case.
    void index(const QString &path, QWidget *owner);
    // Brings the rows of the medium with this label and serial text to what is on it wherever
    // it is mounted now, its progress over owner. A medium that is not mounted gets a box, and
    // the answer false.
    bool updateMedium(const QString &label, const QString &serial, QWidget *owner);

    bool running() const { return m_run.isRunning(); }
    // Cancel: the run stops at the next file, keeping what it wrote.
    void stop() { m_run.kill(); }
    // Stops the run as Cancel does; once it has ended, endWanted() or closeWanted() follows
    // instead of a box.
    void stopForExit();
    void stopForClose();

    // The progress window appears once a run has lasted this long.
    static constexpr int ProgressDelayMs = 500;

Q_SIGNALS:
    void runningChanged(bool running);
    // A run ended that Exit or a signal stopped: the program ends now.
    void endWanted();
    // A run ended, the list holding its rows: what it did, as its last progress counted it.
    void ended(const IndexingProgress &counts, bool update);
    // A run ended that closing the main window stopped: it closes now.
    void closeWanted();

private:
    void start(const QString &title, QWidget *owner, bool updating);
    void showProgressOver(QWidget *owner, int delayMs);
    void showProgress(const IndexingProgress &progress);
    void runEnded();
    void reportFailures(const IndexRun::Result &result);

    Catalogue &m_catalogue;
    CatalogueList &m_list;
    std::optional<BusyCursor> m_busy; // while a run goes
    MountedMedia *m_media;
    IndexRun m_run;
    QPointer<QWidget> m_window; // the main window
    QPointer<QWidget> m_owner;
    QString m_title;
    QPointer<QProgressDialog> m_dialog;
    bool m_updating = false; // the progress window counts what an update does
    enum class After { Nothing, End, Close } m_after = After::Nothing;
};
