#include "catalogue/cataloguerows.h"

#include "platform/platformerror.h"

#include <cstring>

void CatalogueRows::clear()
{
    m_firstMember = size_t(-1);
    m_text.clear();
    m_ids.clear();
    m_cells.clear();
}

void CatalogueRows::release()
{
    m_text.shrink();
    m_ids.shrink();
    m_cells.shrink();
}

void CatalogueRows::appendMember(qint64 id, const char *const *cells, const int *lengths)
{
    if (m_firstMember > m_ids.size())
        m_firstMember = m_ids.size();
    append(id, cells, lengths);
}

void CatalogueRows::appendFrom(const CatalogueRows &other, size_t row)
{
    const char *cells[SubItemCount];
    int lengths[SubItemCount];
    for (int i = 0; i < SubItemCount; ++i) {
        const quint32 ref = other.m_cells[row * SubItemCount + size_t(i)];
        const auto [data, length] = ref == NullCell ? std::pair<const char *, int>() : other.at(ref);
        cells[i] = data;
        lengths[i] = length;
    }
    if (other.isMember(row))
        appendMember(other.id(row), cells, lengths);
    else
        append(other.id(row), cells, lengths);
}

void CatalogueRows::appendAll(const CatalogueRows &other)
{
    const size_t rows = size(), text = m_text.size();
    if (text + other.m_text.size() >= NullCell)
        throw PlatformError(7, QStringLiteral("Out of memory"));
    if (other.m_firstMember < other.size() && m_firstMember > rows)
        m_firstMember = rows + other.m_firstMember;
    m_text.resize(text + other.m_text.size());
    std::memcpy(m_text.data() + text, other.m_text.data(), other.m_text.size());
    m_ids.resize(rows + other.size());
    std::memcpy(m_ids.data() + rows, other.m_ids.data(), other.size() * sizeof(qint64));
    m_cells.resize((rows + other.size()) * SubItemCount);
    quint32 *refs = m_cells.data() + rows * SubItemCount;
    for (size_t i = 0; i < other.m_cells.size(); ++i)
        refs[i] = other.m_cells[i] == NullCell ? NullCell : other.m_cells[i] + quint32(text);
}

void CatalogueRows::drop(const std::vector<bool> &gone)
{
    size_t kept = 0;
    const size_t firstMember = m_firstMember;
    m_firstMember = size_t(-1);
    for (size_t row = 0; row < m_ids.size(); ++row) {
        if (gone[row])
            continue;
        if (row >= firstMember && m_firstMember == size_t(-1))
            m_firstMember = kept;
        m_ids[kept] = m_ids[row];
        std::memmove(&m_cells[kept * SubItemCount], &m_cells[row * SubItemCount],
                     SubItemCount * sizeof(quint32));
        ++kept;
    }
    m_ids.resize(kept);
    m_cells.resize(kept * SubItemCount);
    // Most rows gone (a disc removed, every row selected): the texts of the rest are stored
    // again, and the memory of the others is given back.
    if (kept * 2 < gone.size()) {
        CatalogueRows packed;
        for (size_t row = 0; row < kept; ++row)
            packed.appendFrom(*this, row);
        m_text.swap(packed.m_text);
        m_ids.swap(packed.m_ids);
        m_cells.swap(packed.m_cells);
    }
}

void CatalogueRows::append(qint64 id, const char *const *cells, const int *lengths)
{
    const size_t row = m_ids.size();
    m_cells.resize((row + 1) * SubItemCount);
    m_ids.push_back(id);
    quint32 *refs = &m_cells[row * SubItemCount];
    const quint32 *above = row > 0 ? refs - SubItemCount : nullptr;
    for (int i = 0; i < SubItemCount; ++i) {
        if (!cells[i]) {
            refs[i] = NullCell;
            continue;
        }
        if (above && above[i] != NullCell) {
            const auto [data, length] = at(above[i]);
            // The last byte first: neighbouring dates and sizes mostly differ there.
            if (length == lengths[i] && (length == 0 || data[length - 1] == cells[i][length - 1]) &&
                std::memcmp(data, cells[i], size_t(length)) == 0) {
                refs[i] = above[i];
                continue;
            }
        }
        refs[i] = store(cells[i], lengths[i]);
    }
}

quint32 CatalogueRows::store(const char *data, int length)
{
    // Length prefix: 1 byte below 128, else 4 bytes with the top bit of the first set.
    const size_t offset = m_text.size();
    const size_t need = size_t(length < 128 ? 1 : 4) + size_t(length);
    if (offset + need >= NullCell)
        throw PlatformError(7, QStringLiteral("Out of memory"));
    m_text.resize(offset + need);
    char *p = &m_text[offset];
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
    return quint32(offset);
}

std::pair<const char *, int> CatalogueRows::at(quint32 ref) const
{
    const auto *p = reinterpret_cast<const unsigned char *>(m_text.data() + ref);
    if (*p < 128)
        return {reinterpret_cast<const char *>(p + 1), int(*p)};
    const int length =
        int(((quint32(p[0]) << 24) | (quint32(p[1]) << 16) | (quint32(p[2]) << 8) | quint32(p[3])) &
            0x7FFFFFFFu);
    return {reinterpret_cast<const char *>(p + 4), length};
}

std::pair<const char *, int> CatalogueRows::cell(size_t row, int subItem) const
{
    const quint32 ref = m_cells[row * SubItemCount + size_t(subItem - 1)];
    if (ref == NullCell)
        return {"", 0};
    return at(ref);
}

QString CatalogueRows::text(size_t row, int subItem) const
{
    // A member's ID is not one of Files: the column shows only those.
    if (subItem == 0)
        return isMember(row) ? QString() : QString::number(m_ids[row]);
    const auto [data, length] = cell(row, subItem);
    return QString::fromUtf8(data, length);
}
