#include "indexing/groupwriter.h"

#include "platform/folderlister.h"

GroupWriter::~GroupWriter()
{
    if (m_done.valid())
        m_done.wait();
}

void GroupWriter::start(std::vector<FileRow> &rows, FileRowWriter::Changes &changes)
{
    if (m_done.valid())
        m_done.wait();
    // The buffers swap: the walk goes on filling the ones the last group was written from.
    m_rows.swap(rows);
    rows.clear();
    std::swap(m_changes, changes);
    changes.clear();
    m_done = std::async(std::launch::async, [this] { return m_writer.write(m_rows, &m_changes); });
}

bool GroupWriter::wait(Written &written)
{
    if (!m_done.valid())
        return false;
    written.refusedIn.clear();
    try {
        written.result = m_done.get();
    } catch (...) {
        m_rows.clear();
        m_changes.clear();
        throw;
    }
    for (const FileRowWriter::Refusal &refusal : written.result.refused)
        written.refusedIn.append(FolderLister::displayName(m_rows[refusal.row].path));
    m_rows.clear();
    m_changes.clear();
    return true;
}

void GroupWriter::release()
{
    if (m_done.valid())
        m_done.wait();
    std::vector<FileRow>().swap(m_rows);
    m_changes = FileRowWriter::Changes();
}
