#pragma once

#include "indexing/folderindexer.h"
#include "indexing/indexingreport.h"

#include <QPointer>

#include <optional>

class Catalogue;
class CatalogueList;
class colFFiles;
class FileMetadataReader;
class FolderLister;
class MountedMedia;
class MousePointer;
class QProgressDialog;
class QWidget;
class VolumeQuery;

// The Index Directory command: asks for a path, indexes the tree below it, refills the list;
// and the Update of a medium, which brings its rows to what is on it now. Both run under the
// busy pointer. A run that lasts shows a modal progress window over the owner (the folder being
// read, the counts so far, the time taken) whose Cancel, or Esc, stops the run at the next file.
// A folder that fails, and a failure that ends the run, are shown in the error box.
class IndexCommand : public IndexingReport
{
public:
    IndexCommand(Catalogue &catalogue, CatalogueList &list, MousePointer &pointer,
                 colFFiles &colIndexed, VolumeQuery &volumes, FolderLister &lister,
                 FileMetadataReader &metadata, MountedMedia *media, QWidget *owner = nullptr);
    ~IndexCommand() override;

    // The typed text is passed on as it is, blanks included; Cancel gives the empty text, which
    // indexes nothing. The list is refilled in every case.
    void cmdIndexDirectory_Click();
    // Indexes path as that command does, the progress window over owner.
    void index(const QString &path, QWidget *owner);
    // Brings the rows of the medium with this label and serial text to what is on it wherever
    // it is mounted now, and refills the list; the progress window over owner. A medium that is
    // not mounted gets a box, and the answer false.
    bool updateMedium(const QString &label, const QString &serial, QWidget *owner);

    // What the last run did, as its progress said at its end; none when no run was made.
    const std::optional<IndexingProgress> &lastRun() const { return m_lastRun; }
    bool lastRunWasUpdate() const { return m_lastRunWasUpdate; }

    // Whether a run is under way, and asking it to stop at the next file.
    bool running() const { return m_running; }
    void stop() { m_stop = true; }

    void folderFailed(int number, const QString &description) override;
    void runFailed(int number, const QString &description) override;
    void progress(const IndexingProgress &progress) override;
    bool cancelled() override { return m_stop; }

    // The progress window appears once a run has lasted this long.
    static constexpr int ProgressDelayMs = 500;

private:
    void showProgressFor(const QString &title, QWidget *owner);
    void finishRun();

    Catalogue &m_catalogue;
    CatalogueList &m_list;
    MousePointer &m_pointer;
    FolderIndexer m_indexer;
    QWidget *m_owner;
    MountedMedia *m_media;
    QPointer<QProgressDialog> m_dialog;
    std::optional<IndexingProgress> m_lastRun;
    bool m_lastRunWasUpdate = false;
    bool m_updating = false; // the progress window counts what an update does
    bool m_running = false;
    bool m_stop = false;
};
