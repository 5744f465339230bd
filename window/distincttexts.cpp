#include "window/distincttexts.h"

#include <QHashFunctions>
#include <QString>

#include <algorithm>
#include <cstring>

namespace {

// Fold the text for a comparison without regard to case; ASCII is folded in place.
void appendFolded(std::vector<char> &out, const char *data, int length)
{
    bool ascii = true;
    for (int i = 0; i < length; ++i)
        if (static_cast<unsigned char>(data[i]) >= 0x80) {
            ascii = false;
            break;
        }
    if (ascii) {
        for (int i = 0; i < length; ++i) {
            const char c = data[i];
            out.push_back(c >= 'A' && c <= 'Z' ? char(c + 32) : c);
        }
        return;
    }
    const QByteArray folded = QString::fromUtf8(data, length).toCaseFolded().toUtf8();
    out.insert(out.end(), folded.constBegin(), folded.constEnd());
}

} // namespace

quint32 DistinctTexts::add(const char *data, int length)
{
    const size_t offset = m_folded.size();
    appendFolded(m_folded, data, length);
    const auto folded = quint32(m_folded.size() - offset);
    if (2 * (m_starts.size() + 1) > m_slots.size())
        rehash(m_slots.empty() ? 1024 : 2 * m_slots.size());
    const size_t mask = m_slots.size() - 1;
    for (size_t slot = hash(offset, folded) & mask;; slot = (slot + 1) & mask) {
        const quint32 entry = m_slots[slot];
        if (entry == 0) {
            m_starts.push_back(quint32(offset));
            m_lengths.push_back(folded);
            m_slots[slot] = quint32(m_starts.size());
            return quint32(m_starts.size() - 1);
        }
        if (m_lengths[entry - 1] == folded && std::memcmp(m_folded.data() + m_starts[entry - 1],
                                                          m_folded.data() + offset, folded) == 0) {
            m_folded.resize(offset); // seen before: keep one copy
            return entry - 1;
        }
    }
}

std::vector<quint32> DistinctTexts::places() const
{
    std::vector<quint32> order(m_starts.size());
    for (size_t i = 0; i < order.size(); ++i)
        order[i] = quint32(i);
    const char *base = m_folded.data();
    std::sort(order.begin(), order.end(), [&](quint32 a, quint32 b) {
        const quint32 la = m_lengths[a], lb = m_lengths[b];
        const int c = std::memcmp(base + m_starts[a], base + m_starts[b], std::min(la, lb));
        return c != 0 ? c < 0 : la < lb;
    });
    std::vector<quint32> place(order.size());
    for (size_t i = 0; i < order.size(); ++i)
        place[order[i]] = quint32(i);
    return place;
}

size_t DistinctTexts::hash(size_t offset, quint32 length) const
{
    return qHashBits(m_folded.data() + offset, length, 0);
}

void DistinctTexts::rehash(size_t slots)
{
    m_slots.assign(slots, 0);
    for (quint32 i = 0; i < m_starts.size(); ++i) {
        size_t slot = hash(m_starts[i], m_lengths[i]) & (slots - 1);
        while (m_slots[slot] != 0)
            slot = (slot + 1) & (slots - 1);
        m_slots[slot] = i + 1;
    }
}
