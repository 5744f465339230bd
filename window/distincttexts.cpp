#include "window/distincttexts.h"

#include "catalogue/casefold.h"

#include <QHashFunctions>

#include <algorithm>
#include <cstring>
#include <string>

quint32 DistinctTexts::add(const char *data, int length)
{
    const auto n = quint32(length);
    if (2 * (m_starts.size() + 1) > m_slots.size())
        rehash(m_slots.empty() ? 1024 : 2 * m_slots.size());
    const size_t mask = m_slots.size() - 1;
    for (size_t slot = qHashBits(data, n, 0) & mask;; slot = (slot + 1) & mask) {
        const quint32 entry = m_slots[slot];
        if (entry == 0) {
            m_starts.push_back(quint32(m_texts.size()));
            m_lengths.push_back(n);
            m_texts.insert(m_texts.end(), data, data + n);
            m_slots[slot] = quint32(m_starts.size());
            return quint32(m_starts.size() - 1);
        }
        if (m_lengths[entry - 1] == n &&
            std::memcmp(m_texts.data() + m_starts[entry - 1], data, n) == 0)
            return entry - 1;
    }
}

std::vector<quint32> DistinctTexts::places() const
{
    // Each distinct text folded once, with its first eight bytes as a number for quick
    // comparisons.
    std::string folded;
    std::vector<quint32> foldedStart(size() + 1);
    std::vector<quint64> prefix(size());
    for (size_t i = 0; i < size(); ++i) {
        foldedStart[i] = quint32(folded.size());
        CaseFold::appendFolded(folded, m_texts.data() + m_starts[i], m_lengths[i]);
        quint64 p = 0;
        for (size_t k = 0; k < 8; ++k) {
            const size_t at = foldedStart[i] + k;
            p = (p << 8) | (at < folded.size() ? static_cast<unsigned char>(folded[at]) : 0);
        }
        prefix[i] = p;
    }
    foldedStart[size()] = quint32(folded.size());

    std::vector<quint32> order(size());
    for (size_t i = 0; i < order.size(); ++i)
        order[i] = quint32(i);
    const char *base = folded.data();
    const auto bytesLess = [](const char *x, quint32 lx, const char *y, quint32 ly, int &c) {
        c = std::memcmp(x, y, std::min(lx, ly));
        if (c == 0 && lx != ly)
            c = lx < ly ? -1 : 1;
    };
    std::sort(order.begin(), order.end(), [&](quint32 a, quint32 b) {
        if (prefix[a] != prefix[b])
            return prefix[a] < prefix[b];
        int c;
        bytesLess(base + foldedStart[a], foldedStart[a + 1] - foldedStart[a], base + foldedStart[b],
                  foldedStart[b + 1] - foldedStart[b], c);
        if (c == 0) // equal when folded: by their own bytes
            bytesLess(m_texts.data() + m_starts[a], m_lengths[a], m_texts.data() + m_starts[b],
                      m_lengths[b], c);
        return c < 0;
    });
    std::vector<quint32> place(order.size());
    for (size_t i = 0; i < order.size(); ++i)
        place[order[i]] = quint32(i);
    return place;
}

void DistinctTexts::rehash(size_t slots)
{
    m_slots.assign(slots, 0);
    for (quint32 i = 0; i < m_starts.size(); ++i) {
        size_t slot = qHashBits(m_texts.data() + m_starts[i], m_lengths[i], 0) & (slots - 1);
        while (m_slots[slot] != 0)
            slot = (slot + 1) & (slots - 1);
        m_slots[slot] = i + 1;
    }
}
