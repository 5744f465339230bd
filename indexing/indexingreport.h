#pragma once

#include <QString>
#include <QtGlobal>

#include <memory>

class HeldRows;

// Where a run of the indexer stands.
struct IndexingProgress
{
    QString folder;            // the folder being read
    qint64 catalogued = 0;     // rows written
    qint64 skipped = 0;        // files already in the catalogue
    qint64 changed = 0;        // rows an update gave a file's new size and dates
    qint64 removed = 0;        // rows an update removed: their files are gone
    qint64 members = 0;        // members of archives written
    qint64 unreadArchives = 0; // archives catalogued as files only: damaged, encrypted, too large
    qint64 elapsedMs = 0;
};

// What the folder indexer tells the one who runs it, and the one thing it asks: whether to
// stop. It shows nothing itself.
class IndexingReport
{
public:
    virtual ~IndexingReport() = default;
    // A folder's invocation ended with this error; the walk goes on above it. folder is the
    // folder that failed, as text.
    virtual void folderFailed(int number, const QString &description, const QString &folder) = 0;
    // A failure of the catalogue or of the medium ended the whole run, in folder.
    virtual void runFailed(int number, const QString &description, const QString &folder) = 0;
    // Several times a second while a run lasts, and once at its end.
    virtual void progress(const IndexingProgress &) {}
    // Once each group is written: the rows it added with their IDs, as the list holds them;
    // null when the group did more than add rows, or the run keeps none (an update).
    virtual void written(std::shared_ptr<HeldRows>) {}
    // Whether written() is wanted: the rows are copied for it only then.
    virtual bool keepsWritten() const { return false; }
    // Asked before every file and folder: true stops the run there.
    virtual bool cancelled() { return false; }
};
