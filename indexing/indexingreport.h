#pragma once

#include <QString>
#include <QtGlobal>

class PlatformError;

// Where a run of the indexer stands.
struct IndexingProgress
{
    QString folder;        // the folder being read
    qint64 catalogued = 0; // rows written
    qint64 skipped = 0;    // files already in the catalogue
    qint64 elapsedMs = 0;
};

// What the indexer tells the one who started it, and the one question it asks: whether to stop.
class IndexingReport
{
public:
    virtual ~IndexingReport() = default;
    // Called several times a second while a run lasts, and once at its end.
    virtual void progress(const IndexingProgress &) {}
    // A folder that could not be read or written: the rest of it is left, the run goes on.
    virtual void folderFailed(const PlatformError &error) = 0;
    // A failure of the catalogue or of the medium that ends the whole run.
    virtual void runFailed(const PlatformError &error) = 0;
    // Asked before every file: true stops the run there.
    virtual bool cancelled() { return false; }
};
