#include "catalogue/textarena.h"

#include "platform/platformerror.h"

#include <cstring>

quint32 TextArena::store(const char *data, int length)
{
    // Length prefix: 1 byte below 128, else 4 bytes with the top bit of the first set.
    const size_t offset = m_bytes.size();
    const size_t need = size_t(length < 128 ? 1 : 4) + size_t(length);
    if (offset + need >= Null)
        throw PlatformError(7, QStringLiteral("Out of memory"));
    m_bytes.resize(offset + need);
    char *p = &m_bytes[offset];
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

quint32 TextArena::storeUnlessAbove(quint32 above, const char *data, int length)
{
    if (!data)
        return Null;
    if (above != Null) {
        const auto [text, textLength] = at(above);
        // The last byte first: neighbouring texts mostly differ there.
        if (textLength == length && (length == 0 || text[length - 1] == data[length - 1]) &&
            std::memcmp(text, data, size_t(length)) == 0)
            return above;
    }
    return store(data, length);
}

quint32 TextArena::takeAll(const TextArena &other)
{
    const size_t offset = m_bytes.size();
    if (offset + other.m_bytes.size() >= Null)
        throw PlatformError(7, QStringLiteral("Out of memory"));
    m_bytes.resize(offset + other.m_bytes.size());
    if (!other.m_bytes.empty()) // an arena never written has no memory to copy from
        std::memcpy(m_bytes.data() + offset, other.m_bytes.data(), other.m_bytes.size());
    return quint32(offset);
}
