#pragma once

#include "platform/largeblock.h"

#include <type_traits>
#include <utility>

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

private:
    LargeBlock m_block;
    size_t m_size = 0;
};
