#pragma once

#include "catalogue/filesfield.h"
#include "catalogue/rowkey.h"
#include "platform/largearray.h"

#include <QString>
#include <QtGlobal>

#include <utility>
#include <vector>

// The list's rows in compact form: one UTF-8 arena, one 32-bit cell reference per cell, the ID
// as a number. A cell equal to the same cell of the row before is stored once (a disc's rows
// share their folder, dates, label and serial). Growing never copies what is stored.
// Members of archives come after the files, from the first member on: their IDs are their own.
class CatalogueRows
{
public:
    static constexpr int SubItemCount = FilesField::FieldCount - 1; // the ID is kept apart

    // Empties the rows but keeps their memory for the next fill, which is usually as large.
    void clear();
    // Gives back the memory a smaller fill left unused.
    void release();
    size_t size() const { return m_ids.size(); }

    // Appends a row; cells[i] is sub-item i + 1, a null pointer for a field with no value.
    // Throws PlatformError 7 when the arena's 4 GB are full.
    void append(qint64 id, const char *const *cells, const int *lengths);
    // Appends a member of an archive; no file may follow it.
    void appendMember(qint64 id, const char *const *cells, const int *lengths);
    // Appends row of other as it is there, a file or a member.
    void appendFrom(const CatalogueRows &other, size_t row);
    // Appends every row of other as they are there, their texts taken over in one piece.
    void appendAll(const CatalogueRows &other);
    // Drops the rows marked gone, keeping the order of the rest; their texts stay unused until
    // the next fill, unless most rows went.
    void drop(const std::vector<bool> &gone);

    // The ID of the row's record, in Files or among the members as key tells.
    qint64 id(size_t row) const { return m_ids[row]; }
    bool isMember(size_t row) const { return row >= m_firstMember; }
    // The first member's row; size() when there is none.
    size_t firstMember() const { return m_firstMember < size() ? m_firstMember : size(); }
    RowKey key(size_t row) const
    {
        return {isMember(row) ? RowKey::Member : RowKey::File, m_ids[row]};
    }
    // The cell's bytes; empty for null. Rows sharing a stored cell give the same pointer.
    std::pair<const char *, int> cell(size_t row, int subItem) const;
    QString text(size_t row, int subItem) const;
    // Whether the cell is stored once with the same cell of the row before (row > 0).
    bool sharesCellAbove(size_t row, int subItem) const
    {
        const size_t at = row * SubItemCount + size_t(subItem - 1);
        return m_cells[at] == m_cells[at - SubItemCount];
    }

private:
    static constexpr quint32 NullCell = 0xFFFFFFFFu;
    std::pair<const char *, int> at(quint32 ref) const;
    quint32 store(const char *data, int length);

    LargeArray<char> m_text;
    LargeArray<qint64> m_ids;
    LargeArray<quint32> m_cells; // SubItemCount per row
    size_t m_firstMember = size_t(-1);
};
