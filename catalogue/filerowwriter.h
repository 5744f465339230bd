#pragma once

#include "catalogue/filerow.h"
#include "catalogue/folderlookup.h"
#include "platform/platformerror.h"

#include <functional>
#include <memory>
#include <vector>

class Connection;
class Statement;

// Writes the indexer's rows in groups: one write transaction per group, in which the duplicate
// test of each folder is asked and its new rows are added, so that a row is either committed
// with its whole group or not at all, and two programs indexing the same tree never both add it.
class FileRowWriter
{
public:
    // A row the engine refused (a rule of the catalogue): it is not written, nor are the rows
    // after it of the same folder in the group.
    struct Refusal
    {
        size_t row; // index into the group
        PlatformError error;
    };
    struct Result
    {
        qint64 written = 0;
        qint64 skipped = 0; // already catalogued
        std::vector<Refusal> refused;
    };

    // beforeCommit runs inside each group's transaction, after its rows (the name index takes
    // them in there).
    explicit FileRowWriter(Connection &connection, std::function<void()> beforeCommit = {});
    ~FileRowWriter();
    FileRowWriter(const FileRowWriter &) = delete;
    FileRowWriter &operator=(const FileRowWriter &) = delete;

    // Writes the group's rows, a folder's rows one after the other. Raises PlatformError when the
    // catalogue itself fails (locked past the busy timeout, full, read-only, damaged, an I/O
    // error): then nothing of the group is written.
    Result write(const std::vector<FileRow> &rows);

    // Around a run of groups: the catalogue's write-ahead log is copied back less often meanwhile.
    void startRun();
    void endRun();

    // Whether an engine error is a failure of the whole catalogue rather than of one row.
    static bool isCatalogueFailure(int engineError);

private:
    void writeFolder(const std::vector<FileRow> &rows, size_t begin, size_t end, Result &result);
    // Adds rows[at] for each at in batch in one statement; false when the engine refused it.
    bool insert(const std::vector<FileRow> &rows, const size_t *batch, int count, int *rc);
    Statement &statement(int count);

    Connection &m_connection;
    std::function<void()> m_beforeCommit;
    FolderLookup m_lookup;
    QSet<QByteArray> m_names;
    std::unique_ptr<Statement> m_single;
    std::unique_ptr<Statement> m_batch;
    int m_checkpointPages = -1; // the catalogue's own setting, during a run
};
