#pragma once

#include <QtGlobal>

#include <algorithm>
#include <vector>

// The distinct texts of a column, each numbered in order of first appearance. A catalogue
// repeats its names (readme.txt, 01.mp3, IMG_0001.JPG) and its folders many times, so ordering
// the distinct texts once and placing each row by its text's place costs far less than
// comparing the rows' texts with each other.
class DistinctTexts
{
public:
    // The number of this text (UTF-8 bytes), new or already seen. The bytes are not copied:
    // they must stay where they are until places().
    quint32 add(const char *data, int length);
    size_t size() const { return m_data.size(); }
    // For each text number, its place among the texts ordered without regard to case (texts
    // equal so are ordered by their bytes). No text can be added after it.
    std::vector<quint32> places();

    // Texts ordered so far by their first depth folded bytes, from begin to end.
    struct Run
    {
        size_t begin, end, depth;
    };
    // Orders run's keys by their chunk (eight folded bytes from run.depth as a number) and adds
    // the runs of keys that share one, to be ordered by the next eight bytes.
    template <typename Key> static void splitByChunk(std::vector<Key> &keys, const Run &run,
                                                     std::vector<Run> &runs)
    {
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

private:
    void rehash(size_t slots);

    std::vector<const char *> m_data;
    std::vector<quint32> m_lengths;
    std::vector<quint32> m_slots; // text number + 1; 0 is free
};
