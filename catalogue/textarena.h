#pragma once

#include "platform/largearray.h"

#include <QtGlobal>

#include <utility>

// Texts in one UTF-8 arena, each found by the 32-bit place of its length prefix. Growing never
// copies what is stored, so a text's bytes stay where they are until clear().
class TextArena
{
public:
    static constexpr quint32 Null = 0xFFFFFFFFu; // a cell with no value

    void clear() { m_bytes.clear(); }
    void shrink() { m_bytes.shrink(); }
    void swap(TextArena &other) { m_bytes.swap(other.m_bytes); }

    // Stores a text; throws PlatformError 7 when the arena's 4 GB are full.
    quint32 store(const char *data, int length);
    // A text cell's reference: above's when it holds the same text, else stored anew; Null for
    // no text.
    quint32 storeUnlessAbove(quint32 above, const char *data, int length);
    // Takes over every text of other after those held; gives what other's references move by.
    quint32 takeAll(const TextArena &other);

    // The text's bytes; empty for Null.
    std::pair<const char *, int> at(quint32 ref) const
    {
        if (ref == Null)
            return {"", 0};
        const auto *p = reinterpret_cast<const unsigned char *>(m_bytes.data() + ref);
        if (*p < 128)
            return {reinterpret_cast<const char *>(p + 1), int(*p)};
        return {reinterpret_cast<const char *>(p + 4),
                int(((quint32(p[0]) << 24) | (quint32(p[1]) << 16) | (quint32(p[2]) << 8) |
                     quint32(p[3])) &
                    0x7FFFFFFFu)};
    }

private:
    LargeArray<char> m_bytes;
};
