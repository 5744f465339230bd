#pragma once

#include "platform/largeblock.h"

#include <cstring>
#include <type_traits>
#include <utility>
#include <vector>

// A growable array of plain items in a LargeBlock: like std::vector for the operations the
// catalogue's row storage needs, without copies when it grows.
template <typename T> class LargeArray
{
    static_assert(std::is_trivially_copyable_v<T>, "items are moved as bytes");

public:
    size_t size() const { return m_size; }
    bool empty() const { return m_size == 0; }
    T *data() const { return reinterpret_cast<T *>(m_block.data()); }
    T &operator[](size_t i) const { return data()[i]; }
    T &back() const { return data()[m_size - 1]; }
    void reserve(size_t n) { m_block.reserve(n * sizeof(T)); }
    void push_back(const T &value)
    {
        if ((m_size + 1) * sizeof(T) > m_block.capacity())
            reserve(m_size + 1);
        data()[m_size++] = value;
    }
    // New items are not initialised.
    void resize(size_t n)
    {
        reserve(n);
        m_size = n;
    }
    void clear() { m_size = 0; }
    void swap(LargeArray &other)
    {
        m_block.swap(other.m_block);
        std::swap(m_size, other.m_size);
    }
    // Gives back the memory a much larger earlier fill left unused.
    void shrink() { m_block.shrink(m_size * sizeof(T)); }
    // Takes out the rows marked gone, each row being width items, and closes up the rest in
    // their order; each run of rows kept moves as one block, so a few rows taken out of
    // millions cost a few moves, not one per row.
    void dropRows(const std::vector<bool> &gone, size_t width = 1)
    {
        const size_t rows = gone.size();
        size_t kept = 0;
        for (size_t row = 0; row < rows;) {
            if (gone[row]) {
                ++row;
                continue;
            }
            size_t end = row + 1;
            while (end < rows && !gone[end])
                ++end;
            if (kept != row)
                std::memmove(data() + kept * width, data() + row * width,
                             (end - row) * width * sizeof(T));
            kept += end - row;
            row = end;
        }
        resize(kept * width);
    }

private:
    LargeBlock m_block;
    size_t m_size = 0;
};
