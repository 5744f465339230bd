#include "catalogue/foldednames.h"

#include "catalogue/casefold.h"

#include <algorithm>
#include <cstring>
#include <string>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

// The texts hold no NUL inside a name and the needle none at all, so a hit never spans two names.
size_t FoldedNames::findIn(const char *text, size_t from, size_t end, const char *needle,
                           size_t length)
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

void FoldedNames::add(qint64 id, const char *data, int length)
{
    if (!data || m_full)
        return;
    thread_local std::string folded;
    folded.clear();
    CaseFold::appendFolded(folded, data, length);
    const size_t at = m_text.size();
    if (at + folded.size() + 1 > 0xFFFFFFFFu) {
        // Past what 32-bit places address: the searches read the rows instead.
        clear();
        m_full = true;
        return;
    }
    m_text.resize(at + folded.size() + 1);
    std::memcpy(&m_text[at], folded.data(), folded.size());
    m_text[at + folded.size()] = '\0';
    m_starts.push_back(quint32(at));
    m_ids.push_back(id);
    m_upTo = std::max(m_upTo, id);
}

void FoldedNames::clear()
{
    m_text.clear();
    m_starts.clear();
    m_ids.clear();
    m_upTo = -1;
    m_full = false;
}

void FoldedNames::truncate(const Mark &mark)
{
    if (mark.names > m_ids.size() || m_full)
        return;
    m_ids.resize(mark.names);
    m_starts.resize(mark.names);
    m_text.resize(mark.text);
    m_upTo = mark.upTo;
}

bool FoldedNames::find(const QByteArray &literal,
                       const std::function<bool(const char *, int)> &accept, size_t limit,
                       std::vector<qint64> &ids) const
{
    const char *text = m_text.data();
    const size_t end = m_text.size();
    size_t from = 0;
    while (true) {
        const size_t hit = findIn(text, from, end, literal.constData(), size_t(literal.size()));
        if (hit >= end)
            return true;
        // The name holding the hit, and where the next one begins.
        const size_t name =
            size_t(std::upper_bound(m_starts.data(), m_starts.data() + m_starts.size(), hit) -
                   m_starts.data()) -
            1;
        const size_t start = m_starts[name];
        const size_t next = name + 1 < m_starts.size() ? m_starts[name + 1] : end;
        if (accept(text + start, int(next - 1 - start))) {
            if (ids.size() >= limit)
                return false;
            ids.push_back(m_ids[name]);
        }
        from = next;
    }
}
