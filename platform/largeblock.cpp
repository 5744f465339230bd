#include "platform/largeblock.h"

#include <malloc.h>
#include <sys/mman.h>

#include <new>
#include <utility>

namespace {

constexpr size_t HugePage = size_t(2) << 20;
constexpr size_t HugeFrom = size_t(16) << 20;

size_t roundUp(size_t bytes)
{
    return (bytes + HugePage - 1) / HugePage * HugePage;
}

} // namespace

LargeBlock::~LargeBlock()
{
    if (m_data)
        munmap(m_data, m_capacity);
}

void LargeBlock::reserve(size_t bytes)
{
    if (bytes <= m_capacity)
        return;
    // Doubling keeps the number of moves small; a move only rewrites page tables.
    size_t capacity = roundUp(bytes > 2 * m_capacity ? bytes : 2 * m_capacity);
    void *p = m_data ? mremap(m_data, m_capacity, capacity, MREMAP_MAYMOVE)
                     : mmap(nullptr, capacity, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS,
                            -1, 0);
    if (p == MAP_FAILED)
        throw std::bad_alloc();
    // Only advice: where huge pages are off, small pages serve as well. A small block keeps
    // small pages: a huge one is taken whole at the first byte written, and the parts a fill
    // reads on other threads, a few of them at a time with several blocks each, would hold
    // tens of megabytes they do not use.
    if (capacity >= HugeFrom)
        madvise(p, capacity, MADV_HUGEPAGE);
    m_data = static_cast<char *>(p);
    m_capacity = capacity;
}

void LargeBlock::swap(LargeBlock &other)
{
    std::swap(m_data, other.m_data);
    std::swap(m_capacity, other.m_capacity);
}

void LargeBlock::shrink(size_t bytes)
{
    const size_t keep = roundUp(bytes);
    if (!m_data || keep * 2 >= m_capacity)
        return;
    // The pages stay mapped: the system takes them back only when it needs memory, and a later
    // fill as large as before reuses them without faulting each one in again (a search view
    // between two fills of the whole catalogue).
    madvise(m_data + keep, m_capacity - keep, MADV_FREE);
}

void LargeBlock::trimFreed()
{
    malloc_trim(0);
}
