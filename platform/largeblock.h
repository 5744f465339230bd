#pragma once

#include <cstddef>

// Memory for arrays of millions of small items: an anonymous mapping that asks for huge pages
// and grows in place, moved by the page tables when it must move. Growing never copies the
// contents, and a fill of a gigabyte faults a few hundred times instead of a quarter million.
class LargeBlock
{
public:
    LargeBlock() = default;
    ~LargeBlock();
    LargeBlock(const LargeBlock &) = delete;
    LargeBlock &operator=(const LargeBlock &) = delete;

    char *data() const { return m_data; }
    size_t capacity() const { return m_capacity; }
    // Grows to hold at least bytes, keeping the contents. Throws std::bad_alloc.
    void reserve(size_t bytes);
    void swap(LargeBlock &other);
    // Lets the system take back the memory past bytes, when that is more than half of it.
    void shrink(size_t bytes);
    // Gives the system back what the C library holds freed: the arrays of many megabytes a sort
    // makes and frees would otherwise stay with the process, more after each sort.
    static void trimFreed();

private:
    char *m_data = nullptr;
    size_t m_capacity = 0;
};
