#pragma once

#include "catalogue/filesfield.h"
#include "platform/recordset.h"

#include <QByteArray>
#include <QByteArrayList>
#include <QByteArrayView>

#include <array>
#include <memory>
#include <vector>

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
    // An archive's members, each as a row of its own: path is the folder inside the archive,
    // Modified its only date. Null for a file that is no archive or was not looked into.
    std::shared_ptr<std::vector<FileRow>> members;
    // Size with its separators (up to 19 digits and 6 separators of up to 3 bytes each).
    std::array<char, 40> size{};
    quint8 sizeLength = 0;
    // The dates from FilesField::FirstDate on, in the fields' order, as YYYY-MM-DD; a length of
    // 0 is no date.
    std::array<std::array<char, 10>, FilesField::DateCount> dates{};
    std::array<quint8, FilesField::DateCount> dateLengths{};

    bool sameFolder(const FileRow &other) const
    {
        return path == other.path && label == other.label && serial == other.serial;
    }

    // Size as "#,###" with the locale's thousands separator (UTF-8); the empty text for 0.
    void setSize(qint64 bytes, const QByteArray &separator);
    // The date of field (FilesField::Created, Accessed or Modified) as the day with this number
    // counted from 1970-01-01 (UTC); a year the catalogue's dates cannot hold (outside 1..9999)
    // is no date.
    void setDate(int field, qint64 day);
    // The date of field as stored; empty for no date.
    QByteArrayView date(int field) const
    {
        const int d = field - FilesField::FirstDate;
        return QByteArrayView(dates[size_t(d)].data(), dateLengths[size_t(d)]);
    }

    // The row's cells as the catalogue stores them, by field (FieldCount of them): the ID and
    // Type without data, an empty Size, label or serial an empty text, a missing date none.
    void storedCells(RowCell *cells) const;

    // The texts of Size, as the indexer writes them and as every reader of them reads them:
    // digits grouped with any separator. formatSize writes into out and returns the length.
    static int formatSize(qint64 bytes, const QByteArray &separator, char *out);
    // The number of bytes a Size text names ("1,234", "1.234" and "1 234" are all 1234, the
    // empty text 0, as an empty file's); a negative text, as the Windows program wrote sizes of
    // 2 to 4 GiB, is that number plus 4,294,967,296; -1 for a text that is no size (a letter in
    // it, a number no 32-bit size wraps to).
    static qint64 sizeValue(const char *text, int length);
};
