#include "window/cataloguerows.h"

#include "platform/platformerror.h"

#include <cstring>

namespace {
constexpr quint64 BlockSize = quint64(1) << 20;
// Length prefix: 1 byte below 128, else 4 bytes with the top bit of the first set.
int prefixSize(int length)
{
    return length < 128 ? 1 : 4;
}
} // namespace

void CatalogueRows::clear()
{
    m_used = 0;
    m_ids.clear();
    m_cells.clear();
}

void CatalogueRows::release()
{
    const size_t blocksUsed = m_used == 0 ? 0 : size_t((m_used - 1) >> BlockBits) + 1;
    if (m_blocks.size() > 2 * blocksUsed + 1)
        m_blocks.resize(blocksUsed);
    if (m_ids.capacity() > 2 * m_ids.size() + 1024) {
        m_ids.shrink_to_fit();
        m_cells.shrink_to_fit();
    }
}

void CatalogueRows::append(qint64 id, const char *const *cells, const int *lengths)
{
    const size_t previous = m_ids.size();
    m_ids.push_back(id);
    for (int i = 0; i < SubItemCount; ++i) {
        quint32 ref = NullCell;
        if (cells[i]) {
            if (previous > 0) {
                const quint32 before = m_cells[(previous - 1) * SubItemCount + size_t(i)];
                const auto [data, length] = cell(previous - 1, i + 1);
                if (before != NullCell && length == lengths[i] &&
                    std::memcmp(data, cells[i], size_t(length)) == 0)
                    ref = before;
            }
            if (ref == NullCell)
                ref = store(cells[i], lengths[i]);
        }
        m_cells.push_back(ref);
    }
}

quint32 CatalogueRows::store(const char *data, int length)
{
    const quint64 need = quint64(prefixSize(length)) + quint64(length);
    if (need > BlockSize)
        throw PlatformError(7, QStringLiteral("Out of memory"));
    quint64 offsetInBlock = m_used & (BlockSize - 1);
    if (offsetInBlock + need > BlockSize) {
        // Cells never span blocks: the rest of this one stays unused.
        m_used += BlockSize - offsetInBlock;
        offsetInBlock = 0;
    }
    if (m_used + need >= NullCell)
        throw PlatformError(7, QStringLiteral("Out of memory"));
    const size_t block = size_t(m_used >> BlockBits);
    if (m_blocks.size() <= block)
        m_blocks.emplace_back(new char[BlockSize]);
    char *p = m_blocks[block].get() + offsetInBlock;
    if (length < 128) {
        *p++ = char(length);
    } else {
        const quint32 l = quint32(length) | 0x80000000u;
        *p++ = char(l >> 24);
        *p++ = char(l >> 16);
        *p++ = char(l >> 8);
        *p++ = char(l);
    }
    std::memcpy(p, data, size_t(length));
    const quint32 ref = quint32(m_used);
    m_used += need;
    return ref;
}

std::pair<const char *, int> CatalogueRows::cell(size_t row, int subItem) const
{
    const quint32 ref = m_cells[row * SubItemCount + size_t(subItem - 1)];
    if (ref == NullCell)
        return {"", 0};
    const unsigned char *p =
        reinterpret_cast<const unsigned char *>(m_blocks[ref >> BlockBits].get()) +
        (ref & (BlockSize - 1));
    if (*p < 128)
        return {reinterpret_cast<const char *>(p + 1), int(*p)};
    const int length =
        int(((quint32(p[0]) << 24) | (quint32(p[1]) << 16) | (quint32(p[2]) << 8) | quint32(p[3])) &
            0x7FFFFFFFu);
    return {reinterpret_cast<const char *>(p + 4), length};
}

QString CatalogueRows::text(size_t row, int subItem) const
{
    if (subItem == 0)
        return QString::number(m_ids[row]);
    const auto [data, length] = cell(row, subItem);
    return QString::fromUtf8(data, length);
}
