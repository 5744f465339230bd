#pragma once

#include <QtGlobal>

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

private:
    void rehash(size_t slots);

    std::vector<const char *> m_data;
    std::vector<quint32> m_lengths;
    std::vector<quint32> m_slots; // text number + 1; 0 is free
};
