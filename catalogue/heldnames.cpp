#include "catalogue/heldnames.h"

#include "catalogue/casefold.h"
#include "platform/platformerror.h"

#include <algorithm>
#include <cstring>
#include <string>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

// Where needle (no NUL in it) first occurs in text[from, end), or end; 16 places at a time.
// The texts hold no NUL inside a name and the needle none at all, so a hit never spans two names.
size_t findIn(const char *text, size_t from, size_t end, const char *needle, size_t length)
{
    if (length == 0 || end - from < length)
        return end;
    if (length == 1) {
        const void *hit = std::memchr(text + from, needle[0], end - from);
        return hit ? size_t(static_cast<const char *>(hit) - text) : end;
    }
    size_t i = from;
    const size_t last = end - length; // the last place a hit can start
#if defined(__SSE2__)
    // Sixteen places at a time: the first and last byte of the needle must both be there.
    const __m128i first = _mm_set1_epi8(needle[0]);
    const __m128i final = _mm_set1_epi8(needle[length - 1]);
    for (; i + 16 <= last + 1; i += 16) {
        const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i *>(text + i));
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i *>(text + i + length - 1));
        unsigned mask = unsigned(
            _mm_movemask_epi8(_mm_and_si128(_mm_cmpeq_epi8(a, first), _mm_cmpeq_epi8(b, final))));
        while (mask) {
            const size_t at = i + size_t(__builtin_ctz(mask));
            if (std::memcmp(text + at + 1, needle + 1, length - 2) == 0)
                return at;
            mask &= mask - 1;
        }
    }
#endif
    for (; i <= last; ++i)
        if (text[i] == needle[0] && std::memcmp(text + i + 1, needle + 1, length - 1) == 0)
            return i;
    return end;
}

} // namespace

void HeldNames::clear()
{
    m_text.clear();
    m_at.clear();
}

void HeldNames::shrink()
{
    m_text.shrink();
    m_at.shrink();
}

void HeldNames::reserveText(size_t bytes)
{
    if (bytes >= 0xFFFFFFFFu) // past what 32-bit places address
        throw PlatformError(7, QStringLiteral("Out of memory"));
    m_text.resize(bytes);
}

void HeldNames::add(const char *data, int length)
{
    thread_local std::string folded;
    folded.clear();
    if (data)
        CaseFold::appendFolded(folded, data, length);
    const size_t at = m_text.size();
    reserveText(at + folded.size() + 1);
    std::memcpy(&m_text[at], folded.data(), folded.size());
    m_text[at + folded.size()] = '\0';
    m_at.push_back(quint32(at));
}

void HeldNames::append(const HeldNames &other)
{
    const size_t base = m_text.size(), rows = m_at.size();
    reserveText(base + other.m_text.size());
    std::memcpy(&m_text[base], other.m_text.data(), other.m_text.size());
    m_at.resize(rows + other.m_at.size());
    for (size_t i = 0; i < other.m_at.size(); ++i)
        m_at[rows + i] = quint32(base + other.m_at[i]);
}

void HeldNames::drop(const std::vector<bool> &gone)
{
    m_at.dropRows(gone);
    const size_t kept = m_at.size();
    if (kept * 2 >= gone.size())
        return;
    // Most rows gone: the names of the rest are stored again, the others' memory given back.
    LargeArray<char> text;
    size_t bytes = 0;
    for (size_t row = 0; row < kept; ++row)
        bytes += std::strlen(name(row)) + 1;
    text.resize(bytes);
    size_t at = 0;
    for (size_t row = 0; row < kept; ++row) {
        const size_t length = std::strlen(name(row)) + 1;
        std::memcpy(&text[at], name(row), length);
        m_at[row] = quint32(at);
        at += length;
    }
    m_text.swap(text);
}

void HeldNames::mark(const QByteArray &text, std::vector<bool> &marks) const
{
    if (text.isEmpty()) {
        marks.assign(marks.size(), true);
        return;
    }
    const char *names = m_text.data();
    const size_t end = m_text.size(), rows = m_at.size();
    const quint32 *at = m_at.data();
    size_t from = 0;
    while (true) {
        const size_t hit =
            findIn(names, from, end, text.constData(), size_t(text.size()));
        if (hit >= end)
            return;
        // The row whose name holds the hit, unless it is in the text of a row dropped.
        const size_t row = size_t(std::upper_bound(at, at + rows, quint32(hit)) - at) - 1;
        if (hit < at[row] + std::strlen(names + at[row]))
            marks[row] = true;
        from = row + 1 < rows ? at[row + 1] : end;
    }
}
