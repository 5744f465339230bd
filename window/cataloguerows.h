#pragma once

#include <QString>
#include <QtGlobal>

#include <memory>
#include <vector>

// The list's rows in compact form: one UTF-8 arena in blocks, one 32-bit cell reference per
// cell, the ID as a number. A cell equal to the same cell of the row before is stored once
// (a disc's rows share their folder, dates, label and serial).
class CatalogueRows
{
public:
    static constexpr int SubItemCount = 9; // Path .. Serial; the ID is kept apart

    // Empties the rows but keeps their memory for the next fill, which is usually as large.
    void clear();
    // Gives back the memory a smaller fill left unused.
    void release();
    size_t size() const { return m_ids.size(); }

    // Appends a row; cells[i] is sub-item i + 1, a null pointer for a field with no value.
    void append(qint64 id, const char *const *cells, const int *lengths);

    qint64 id(size_t row) const { return m_ids[row]; }
    // The cell's bytes; empty for null.
    std::pair<const char *, int> cell(size_t row, int subItem) const;
    QString text(size_t row, int subItem) const;

private:
    static constexpr quint32 NullCell = 0xFFFFFFFFu;
    static constexpr int BlockBits = 20; // 1 MiB blocks: growth never copies the texts
    quint32 store(const char *data, int length);

    std::vector<std::unique_ptr<char[]>> m_blocks;
    quint64 m_used = 0; // bytes used, counted over all blocks
    std::vector<qint64> m_ids;
    std::vector<quint32> m_cells; // SubItemCount per row
};
