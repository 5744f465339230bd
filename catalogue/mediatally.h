#pragma once

#include <QByteArray>
#include <QHash>
#include <QPair>

#include <vector>

// One medium's files and the bytes their Size texts name, by its label and serial text as its
// rows carry them.
struct MediumTotals
{
    QByteArray label;
    QByteArray serial;
    qint64 files = 0;
    qint64 bytes = 0;
};

// Counts rows per medium as they are handed in, one at a time, in any order. A medium's rows
// mostly come one after the other, so a row of the medium before costs no lookup.
class MediaTally
{
public:
    // One row: its label, serial and Size texts (no value is the empty text).
    void add(const char *label, int labelLength, const char *serial, int serialLength,
             const char *size, int sizeLength);
    // In the order first met.
    const std::vector<MediumTotals> &media() const { return m_media; }

private:
    std::vector<MediumTotals> m_media;
    QHash<QPair<QByteArray, QByteArray>, size_t> m_index;
    size_t m_last = 0;
};
