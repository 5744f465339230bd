#pragma once

#include "catalogue/filesfield.h"
#include "catalogue/rowids.h"
#include "catalogue/rowkey.h"
#include "catalogue/sizegrouping.h"
#include "catalogue/textarena.h"
#include "platform/largearray.h"

#include <QString>
#include <QtGlobal>

#include <utility>
#include <vector>

// The list's rows in compact form. Sizes and dates are held as numbers where the number gives
// back the stored text byte for byte (a size grouped as the catalogue's sizes are, a date
// "YYYY-MM-DD" with " HH:MM:SS" when not midnight); any other text stays a text. The texts are
// in one UTF-8 arena; a text cell equal to the same cell of the row before is stored once (a
// disc's rows share their folder, label and serial), and a row's folder, label and serial are
// one reference together. Growing never copies.
// Members of archives come after the files, from the first member on: their IDs are their own.
class CatalogueRows
{
public:
    static constexpr int SubItemCount = FilesField::FieldCount - 1; // the ID is kept apart

    // Empties the rows but keeps their memory for the next fill, which is usually as large.
    void clear();
    // Gives back the memory a smaller fill left unused.
    void release();
    size_t size() const { return m_size; }

    // Appends a row; cells[i] is sub-item i + 1, a null pointer for a field with no value.
    // Throws PlatformError 7 when the arena's 4 GB are full.
    void append(qint64 id, const char *const *cells, const int *lengths);
    // Appends a member of an archive; no file may follow it.
    void appendMember(qint64 id, const char *const *cells, const int *lengths);
    // Appends row of other as it is there, a file or a member.
    void appendFrom(const CatalogueRows &other, size_t row);
    // Appends every row of other as they are there, their texts taken over in one piece.
    void appendAll(const CatalogueRows &other);
    // Drops the rows marked gone, keeping the order of the rest; their texts stay unused until
    // the next fill, unless most rows went.
    void drop(const std::vector<bool> &gone);

    // The ID of the row's record, in Files or among the members as key tells.
    qint64 id(size_t row) const { return m_ids[row]; }
    bool isMember(size_t row) const { return row >= m_firstMember; }
    // The first member's row; size() when there is none.
    size_t firstMember() const { return m_firstMember < size() ? m_firstMember : size(); }
    RowKey key(size_t row) const
    {
        return {isMember(row) ? RowKey::Member : RowKey::File, id(row)};
    }
    // The cell's bytes as stored; empty for null. Rows sharing a stored text give the same
    // pointer. A size or date held as a number is written into a buffer of the calling thread,
    // one per column, valid until the next cell of that column is asked for there.
    std::pair<const char *, int> cell(size_t row, int subItem) const;
    QString text(size_t row, int subItem) const;
    // Whether the cell is the same as the cell of the row before (row > 0): one stored text, or
    // an equal number.
    bool sharesCellAbove(size_t row, int subItem) const;

    // The row's place: rows with one place share their folder, label and serial.
    quint32 place(size_t row) const { return word(row, PlaceWord); }
    size_t placeCount() const { return m_places.size(); }

    // The size in bytes as FileRow::sizeValue reads the cell.
    qint64 sizeValue(size_t row) const;
    // A date cell as StoredDate::moment() gives it (yyyymmddhhmmss; -1 for no date).
    qint64 moment(size_t row, int subItem) const;

private:
    // A row's references: its place (folder, label, serial), name, the low 32 bits of its size
    // and its three dates, each number or text as its flag says. The types apart: the program
    // writes none, and they take no memory until a row has one.
    enum Word { PlaceWord, FileWord, SizeWord, FirstDateWord, WordCount = 6 };
    // Flags per row: bit 0 the size is a number, bits 1-3 the dates are; the high four bits are
    // the size's bits 32 to 35.
    enum : quint8 { SizeNumber = 1, DateNumber = 2, HighShift = 4 };
    struct Place
    {
        quint32 path, archive, serial;
    };
    static constexpr quint32 NullCell = TextArena::Null;

    quint32 placeFor(size_t row, const char *const *cells, const int *lengths);
    size_t startRow(qint64 id, bool member);
    void appendRow(size_t row, const char *const *cells, const int *lengths);
    void putSize(size_t row, const char *data, int length);
    void putDate(size_t row, int date, const char *data, int length);
    int wordOf(int subItem) const;
    quint32 type(size_t row) const { return m_types.empty() ? NullCell : m_types[row]; }
    void putType(size_t row, quint32 above, const char *data, int length);
    quint32 word(size_t row, int w) const { return m_words[row * WordCount + size_t(w)]; }
    quint32 &word(size_t row, int w) { return m_words[row * WordCount + size_t(w)]; }

    TextArena m_text;
    RowIds m_ids;
    LargeArray<quint32> m_words; // WordCount per row
    LargeArray<quint8> m_flags;  // one per row
    LargeArray<quint32> m_types; // empty while no row has a type
    static constexpr int RecentTypes = 8;
    quint32 m_recentTypes[RecentTypes] = {NullCell, NullCell, NullCell, NullCell,
                                          NullCell, NullCell, NullCell, NullCell};
    LargeArray<Place> m_places;
    size_t m_size = 0;
    size_t m_firstMember = size_t(-1);
    SizeGrouping m_grouping; // of the sizes held as numbers
};
