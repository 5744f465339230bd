#include "indexing/groupwriter.h"

#include "catalogue/heldrows.h"
#include "platform/folderlister.h"

namespace {

// The rows a group added, each with the ID the catalogue gave it, as a fill would read them.
std::shared_ptr<HeldRows> addedRows(const std::vector<FileRow> &rows,
                                    const FileRowWriter::Result &result)
{
    if (result.members > 0 || result.changed > 0 || result.removed > 0)
        return nullptr;
    auto held = std::make_shared<HeldRows>();
    held->begin(std::vector<QString>(std::begin(FilesField::Names), std::end(FilesField::Names)));
    RowCell cells[FilesField::FieldCount];
    for (const auto &[row, id] : result.added) {
        rows[row].storedCells(cells);
        held->row(id, cells);
    }
    return held;
}

} // namespace

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
    m_added.reset();
    m_done = std::async(std::launch::async, [this] {
        FileRowWriter::Result result = m_writer.write(m_rows, &m_changes);
        try {
            if (m_writer.keepsAdded())
                m_added = addedRows(m_rows, result);
        } catch (...) {
            // Out of memory: the rows are written all the same, and the list reads them again.
            m_added.reset();
        }
        return result;
    });
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
    written.rows = std::move(m_added);
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
    m_added.reset();
    std::vector<FileRow>().swap(m_rows);
    m_changes = FileRowWriter::Changes();
}
