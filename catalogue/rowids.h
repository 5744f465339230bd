#pragma once

#include "platform/largearray.h"

#include <QtGlobal>

#include <vector>

// The IDs of the rows held, in the rows' order. A catalogue's rows come in ID order, mostly one
// after another: they are held as runs of consecutive IDs while the runs are few, else as 32-bit
// numbers while every ID fits, else as 64-bit ones.
class RowIds
{
public:
    size_t size() const { return m_size; }
    qint64 operator[](size_t row) const;
    void push_back(qint64 id);
    void clear();
    void shrink();
    // Keeps the IDs of the rows not marked gone, in their order.
    void drop(const std::vector<bool> &gone);
    void swap(RowIds &other);

private:
    enum Form { Runs, Narrow, Wide };
    struct Run
    {
        size_t firstRow;
        qint64 firstId;
    };
    void change(Form form);

    LargeArray<Run> m_runs;
    LargeArray<quint32> m_narrow;
    LargeArray<qint64> m_wide;
    size_t m_size = 0;
    qint64 m_last = 0;
    bool m_fitNarrow = true; // every ID so far fits 32 bits
    Form m_form = Runs;
};
