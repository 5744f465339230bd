#pragma once

#include <QByteArray>
#include <QByteArrayList>

#include <array>

// One row of table Files as the indexer makes it, every text in UTF-8 as it is stored. Path,
// Archive and Serial are shared by the rows of one folder; the short texts are held in place,
// so a row costs no allocation of its own.
struct FileRow
{
    QByteArray path;
    QByteArray file;
    QByteArray label;  // Archive
    QByteArray serial; // Serial
    // Where the same folder of the same medium was catalogued under other mount points.
    QByteArrayList otherPaths;
    // Size with its separators (up to 19 digits and 6 separators of up to 3 bytes each).
    std::array<char, 40> size{};
    quint8 sizeLength = 0;
    // Accessed, Created and Modified as YYYY-MM-DD; a length of 0 is no date.
    std::array<std::array<char, 10>, 3> dates{};
    std::array<quint8, 3> dateLengths{};

    bool sameFolder(const FileRow &other) const
    {
        return path == other.path && label == other.label && serial == other.serial;
    }
};
