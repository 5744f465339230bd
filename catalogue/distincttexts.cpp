#include "catalogue/distincttexts.h"

#include "catalogue/casefold.h"

#include <QHashFunctions>

#include <algorithm>
#include <cstring>
#include <string>

quint32 DistinctTexts::add(const char *data, int length)
{
    const auto n = quint32(length);
    if (!data)
        data = "";
    if (2 * (m_data.size() + 1) > m_slots.size())
        rehash(m_slots.empty() ? 1024 : 2 * m_slots.size());
    const size_t mask = m_slots.size() - 1;
    for (size_t slot = qHashBits(data, n, 0) & mask;; slot = (slot + 1) & mask) {
        const quint32 entry = m_slots[slot];
        if (entry == 0) {
            m_data.push_back(data);
            m_lengths.push_back(n);
            m_slots[slot] = quint32(m_data.size());
            return quint32(m_data.size() - 1);
        }
        if (m_lengths[entry - 1] == n && std::memcmp(m_data[entry - 1], data, n) == 0)
            return entry - 1;
    }
}

std::vector<quint32> DistinctTexts::places()
{
    std::vector<quint32>().swap(m_slots); // the lookup is done: its memory goes first
    // Grown by doubling: the room past the texts goes before the sort's arrays come.
    m_data.shrink_to_fit();
    m_lengths.shrink_to_fit();
    // A text folds byte for byte up to its first byte beyond ASCII, where it is read; only the
    // rest of it is folded here, once, into one string reserved for it (folding seldom changes a
    // length; growing by doubling would hold two copies at once). Most folders and names are
    // ASCII, or nearly.
    std::vector<quint32> ascii(size());  // the bytes before the first beyond ASCII
    std::vector<size_t> rest(size(), 0); // where the folded rest begins in folded
    std::vector<quint32> foldedLength(m_lengths);
    std::string folded;
    {
        size_t bytes = 0;
        for (size_t i = 0; i < size(); ++i) {
            const auto *at = reinterpret_cast<const unsigned char *>(m_data[i]);
            quint32 k = 0;
            while (k < m_lengths[i] && at[k] < 0x80)
                ++k;
            ascii[i] = k;
            bytes += m_lengths[i] - k;
        }
        folded.reserve(bytes + bytes / 32 + 64);
    }
    for (size_t i = 0; i < size(); ++i)
        if (ascii[i] < m_lengths[i]) {
            rest[i] = folded.size();
            CaseFold::appendFolded(folded, m_data[i] + ascii[i], int(m_lengths[i] - ascii[i]));
            foldedLength[i] = ascii[i] + quint32(folded.size() - rest[i]);
        }

    // Ordered eight folded bytes at a time, as numbers held beside the text numbers: most
    // comparisons then touch no text. Texts that share their first bytes (the folders of one
    // medium, numbered pictures) are ordered by their next eight bytes, and so on.
#pragma pack(push, 4) // twelve bytes a key, not sixteen
    struct Key
    {
        quint64 chunk;
        quint32 text;
    };
#pragma pack(pop)
    std::vector<Key> keys(size());
    for (size_t i = 0; i < keys.size(); ++i)
        keys[i].text = quint32(i);
    const auto chunkAt = [&](quint32 text, size_t depth) {
        quint64 chunk = 0;
        const size_t length = foldedLength[text], plain = ascii[text];
        const char *at = m_data[text], *after = folded.data() + rest[text];
        for (size_t k = depth; k < depth + 8; ++k) {
            const char c = k >= length ? 0 : k < plain ? CaseFold::foldedAscii(at[k]) : after[k - plain];
            chunk = (chunk << 8) | static_cast<unsigned char>(c);
        }
        return chunk;
    };
    const auto bytesCompare = [](const char *x, quint32 lx, const char *y, quint32 ly) {
        const int c = std::memcmp(x, y, std::min(lx, ly));
        return c != 0 ? c : lx == ly ? 0 : lx < ly ? -1 : 1;
    };
    // Texts of a run that all end in its chunk: by the chunk (the run shares the ones before),
    // then by their folded length (zeros past a text's end read as its own zeros would), then
    // by their own bytes.
    const auto endingLess = [&](const Key &a, const Key &b) {
        if (a.chunk != b.chunk)
            return a.chunk < b.chunk;
        const quint32 la = foldedLength[a.text], lb = foldedLength[b.text];
        if (la != lb)
            return la < lb;
        return bytesCompare(m_data[a.text], m_lengths[a.text], m_data[b.text], m_lengths[b.text]) <
               0;
    };
    std::vector<Run> runs{{0, keys.size(), 0}};
    while (!runs.empty()) {
        const Run run = runs.back();
        runs.pop_back();
        bool longer = false; // a text of the run goes on past this chunk
        for (size_t i = run.begin; i < run.end; ++i) {
            keys[i].chunk = chunkAt(keys[i].text, run.depth);
            longer = longer || foldedLength[keys[i].text] > run.depth + 8;
        }
        if (!longer) {
            std::sort(keys.begin() + long(run.begin), keys.begin() + long(run.end), endingLess);
            continue;
        }
        splitByChunk(keys, run, runs);
    }
    std::vector<quint32> place(keys.size());
    for (size_t i = 0; i < keys.size(); ++i)
        place[keys[i].text] = quint32(i);
    return place;
}

void DistinctTexts::rehash(size_t slots)
{
    m_slots.assign(slots, 0);
    for (quint32 i = 0; i < m_data.size(); ++i) {
        size_t slot = qHashBits(m_data[i], m_lengths[i], 0) & (slots - 1);
        while (m_slots[slot] != 0)
            slot = (slot + 1) & (slots - 1);
        m_slots[slot] = i + 1;
    }
}
