#include "catalogue/distincttexts.h"

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
    // Each distinct text folded once.
    std::string folded;
    std::vector<quint32> foldedStart(size() + 1);
    for (size_t i = 0; i < size(); ++i) {
        foldedStart[i] = quint32(folded.size());
        CaseFold::appendFolded(folded, m_texts.data() + m_starts[i], m_lengths[i]);
    }
    foldedStart[size()] = quint32(folded.size());
    const char *base = folded.data();

    // Ordered eight folded bytes at a time, as numbers held beside the text numbers: most
    // comparisons then touch no text. Texts that share their first bytes (the folders of one
    // medium, numbered pictures) are ordered by their next eight bytes, and so on.
    struct Key
    {
        quint64 chunk;
        quint32 text;
    };
    std::vector<Key> keys(size());
    for (size_t i = 0; i < keys.size(); ++i)
        keys[i].text = quint32(i);
    const auto chunkAt = [&](quint32 text, size_t depth) {
        quint64 chunk = 0;
        const size_t start = foldedStart[text] + depth, end = foldedStart[text + 1];
        for (size_t k = 0; k < 8; ++k)
            chunk =
                (chunk << 8) | (start + k < end ? static_cast<unsigned char>(base[start + k]) : 0u);
        return chunk;
    };
    const auto bytesCompare = [](const char *x, quint32 lx, const char *y, quint32 ly) {
        const int c = std::memcmp(x, y, std::min(lx, ly));
        return c != 0 ? c : lx == ly ? 0 : lx < ly ? -1 : 1;
    };
    // Texts equal in every chunk: by their folded length, then by their own bytes.
    const auto fullLess = [&](const Key &a, const Key &b) {
        int c =
            bytesCompare(base + foldedStart[a.text], foldedStart[a.text + 1] - foldedStart[a.text],
                         base + foldedStart[b.text], foldedStart[b.text + 1] - foldedStart[b.text]);
        if (c == 0)
            c = bytesCompare(m_texts.data() + m_starts[a.text], m_lengths[a.text],
                             m_texts.data() + m_starts[b.text], m_lengths[b.text]);
        return c < 0;
    };
    struct Run
    {
        size_t begin, end, depth;
    };
    std::vector<Run> runs{{0, keys.size(), 0}};
    while (!runs.empty()) {
        const Run run = runs.back();
        runs.pop_back();
        bool longer = false; // a text of the run goes on past this chunk
        for (size_t i = run.begin; i < run.end; ++i) {
            keys[i].chunk = chunkAt(keys[i].text, run.depth);
            longer =
                longer || foldedStart[keys[i].text + 1] - foldedStart[keys[i].text] > run.depth + 8;
        }
        if (!longer) {
            std::sort(keys.begin() + long(run.begin), keys.begin() + long(run.end), fullLess);
            continue;
        }
        std::sort(keys.begin() + long(run.begin), keys.begin() + long(run.end),
                  [](const Key &a, const Key &b) { return a.chunk < b.chunk; });
        for (size_t i = run.begin; i < run.end;) {
            size_t j = i + 1;
            while (j < run.end && keys[j].chunk == keys[i].chunk)
                ++j;
            if (j - i > 1)
                runs.push_back({i, j, run.depth + 8});
            i = j;
        }
    }
    std::vector<quint32> place(keys.size());
    for (size_t i = 0; i < keys.size(); ++i)
        place[keys[i].text] = quint32(i);
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
