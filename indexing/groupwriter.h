#pragma once

#include "catalogue/filerow.h"
#include "catalogue/filerowwriter.h"

#include <QStringList>

#include <future>
#include <memory>
#include <vector>

class HeldRows;

// Writes the indexer's groups of rows on a thread of its own, one group at a time, while the
// walk gathers the next: reading a folder's metadata and writing the rows before take about as
// long each, so a run takes little more than the longer of the two. The catalogue's connection
// is the writing thread's while a group is under way; whoever else uses it waits for the group
// first.
class GroupWriter
{
public:
    struct Written
    {
        FileRowWriter::Result result;
        QStringList refusedIn; // the folder of each refused row, as result.refused has them
        // The rows the group added, as the list holds them (when kept); none when the group did
        // more than add rows (changed or removed some, wrote members of archives).
        std::shared_ptr<HeldRows> rows;
    };

    explicit GroupWriter(FileRowWriter &writer) : m_writer(writer) {}
    // Waits for a group still under way.
    ~GroupWriter();
    GroupWriter(const GroupWriter &) = delete;
    GroupWriter &operator=(const GroupWriter &) = delete;

    // Takes the rows and changes (leaving both empty) and starts writing them; the group before
    // is waited for first, its outcome dropped: take it with wait() beforehand.
    void start(std::vector<FileRow> &rows, FileRowWriter::Changes &changes);
    // Waits for the group under way: false when there is none. Raises PlatformError when the
    // catalogue failed, as FileRowWriter::write does: then nothing of the group was written.
    bool wait(Written &written);
    bool busy() const { return m_done.valid(); }
    // Whether the groups from now on give back the rows they added, made on the writing thread.
    void keepRows(bool keep) { m_writer.keepAdded(keep); }
    // Gives back the memory the last groups held.
    void release();

private:
    FileRowWriter &m_writer;
    std::vector<FileRow> m_rows;
    FileRowWriter::Changes m_changes;
    std::shared_ptr<HeldRows> m_added;
    std::future<FileRowWriter::Result> m_done;
};
