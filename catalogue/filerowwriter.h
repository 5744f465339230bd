#pragma once

#include "catalogue/filerow.h"
#include "catalogue/folderlookup.h"
#include "platform/platformerror.h"

#include <memory>
#include <optional>
#include <utility>
#include <vector>

class Catalogue;
class Connection;
class Media;
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
        qint64 changed = 0;
        qint64 removed = 0;
        qint64 members = 0; // of archives, written
        // Each row added, as its place in the group and the ID it was given, in that order;
        // kept only when asked for (keepAdded()).
        std::vector<std::pair<size_t, qint64>> added;
        std::vector<Refusal> refused;
    };
    // Rows an update brings to what is on the medium now, by ID: a changed file gets its new
    // Path, Size and dates (an archive the members it holds now), a file moved with its
    // medium's mount point its new Path only.
    struct Change
    {
        qint64 id;
        FileRow values;
        bool pathOnly;
    };
    struct Changes
    {
        std::vector<Change> changed;
        std::vector<qint64> removed;
        bool empty() const { return changed.empty() && removed.empty(); }
        size_t size() const { return changed.size() + removed.size(); }
        void clear()
        {
            changed.clear();
            removed.clear();
        }
    };

    // Writes into the catalogue's own file, through its connection.
    explicit FileRowWriter(Catalogue &catalogue);
    ~FileRowWriter();
    FileRowWriter(const FileRowWriter &) = delete;
    FileRowWriter &operator=(const FileRowWriter &) = delete;

    // Writes the group's rows, a folder's rows one after the other. Raises PlatformError when the
    // catalogue itself fails (locked past the busy timeout, full, read-only, damaged, an I/O
    // error): then nothing of the group is written.
    // The changes, when given, are made in the same transaction, before the rows are added.
    Result write(const std::vector<FileRow> &rows, const Changes *changes = nullptr);

    // Whether the results list the rows added.
    void keepAdded(bool keep) { m_keepAdded = keep; }
    bool keepsAdded() const { return m_keepAdded; }

    // Around a run of groups: the catalogue's write-ahead log is copied back less often meanwhile.
    void startRun();
    void endRun();

private:
    void writeFolder(const std::vector<FileRow> &rows, size_t begin, size_t end, Result &result);
    // Adds rows[at] for each at in batch in one statement; false when the engine refused it.
    std::optional<PlatformError> insert(const std::vector<FileRow> &rows, const size_t *batch,
                                        int count);
    Statement &statement(int count);
    void change(const Changes &changes, Result &result);
    void writeMembers(qint64 archive, const FileRow &row, Result &result);
    Statement &prepared(std::unique_ptr<Statement> &statement, const char *sql);

    Connection &m_connection;
    Media &m_media;
    FolderLookup m_lookup;
    QSet<QByteArray> m_names;
    std::unique_ptr<Statement> m_single;
    std::unique_ptr<Statement> m_batch;
    std::unique_ptr<Statement> m_update;
    std::unique_ptr<Statement> m_move;
    std::unique_ptr<Statement> m_remove;
    std::unique_ptr<Statement> m_member;
    std::unique_ptr<Statement> m_memberBatch;
    std::unique_ptr<Statement> m_dropMembers;
    bool m_keepAdded = false;
    int m_checkpointPages = -1; // the catalogue's own setting, during a run
};
