#pragma once

#include <QString>

// What the folder indexer tells the one who runs it; it shows nothing itself.
class IndexingReport
{
public:
    virtual ~IndexingReport() = default;
    // A folder's invocation ended with this error; the walk goes on above it.
    virtual void folderFailed(int number, const QString &description) = 0;
};
