#include "catalogue/cataloguerows.h"

#include "catalogue/filerow.h"
#include "catalogue/storeddate.h"
#include "platform/platformerror.h"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <tuple>

namespace {

// One buffer per column and thread for the cells given back as text.
char *buffer(int subItem)
{
    thread_local char buffers[CatalogueRows::SubItemCount][SizeGrouping::MaxText];
    return buffers[subItem - 1];
}

} // namespace

void CatalogueRows::clear()
{
    m_size = 0;
    m_firstMember = size_t(-1);
    m_grouping.reset();
    m_text.clear();
    m_ids.clear();
    m_words.clear();
    m_flags.clear();
    m_types.clear();
    std::fill(std::begin(m_recentTypes), std::end(m_recentTypes), NullCell);
    m_places.clear();
}

void CatalogueRows::release()
{
    m_text.shrink();
    m_ids.shrink();
    m_words.shrink();
    m_flags.shrink();
    m_types.shrink();
    m_places.shrink();
}

int CatalogueRows::wordOf(int subItem) const
{
    switch (subItem) {
    case FilesField::File:
        return FileWord;
    case FilesField::Size:
        return SizeWord;
    default:
        return FirstDateWord + subItem - FilesField::FirstDate;
    }
}

size_t CatalogueRows::startRow(qint64 id, bool member)
{
    const size_t row = m_size;
    if (member && m_firstMember > row)
        m_firstMember = row;
    m_ids.push_back(id);
    m_words.resize((row + 1) * WordCount);
    m_flags.push_back(0);
    if (!m_types.empty())
        m_types.push_back(NullCell);
    m_size = row + 1;
    return row;
}

void CatalogueRows::appendMember(qint64 id, const char *const *cells, const int *lengths)
{
    appendRow(startRow(id, true), cells, lengths);
}

void CatalogueRows::append(qint64 id, const char *const *cells, const int *lengths)
{
    appendRow(startRow(id, false), cells, lengths);
}

void CatalogueRows::appendRow(size_t row, const char *const *cells, const int *lengths)
{
    word(row, PlaceWord) = placeFor(row, cells, lengths);
    word(row, FileWord) =
        m_text.storeUnlessAbove(row > 0 ? word(row - 1, FileWord) : NullCell,
                                cells[FilesField::File - 1], lengths[FilesField::File - 1]);
    putType(row, row > 0 ? type(row - 1) : NullCell, cells[FilesField::Type - 1],
            lengths[FilesField::Type - 1]);
    putSize(row, cells[FilesField::Size - 1], lengths[FilesField::Size - 1]);
    for (int d = 0; d < FilesField::DateCount; ++d)
        putDate(row, d, cells[FilesField::FirstDate + d - 1],
                lengths[FilesField::FirstDate + d - 1]);
}

quint32 CatalogueRows::placeFor(size_t row, const char *const *cells, const int *lengths)
{
    const Place *above = row > 0 ? &m_places[word(row - 1, PlaceWord)] : nullptr;
    const auto ref = [&](quint32 Place::*field, int subItem) {
        return m_text.storeUnlessAbove(above ? above->*field : NullCell, cells[subItem - 1],
                                       lengths[subItem - 1]);
    };
    const Place place{ref(&Place::path, FilesField::Path),
                      ref(&Place::archive, FilesField::Archive),
                      ref(&Place::serial, FilesField::Serial)};
    if (above && above->path == place.path && above->archive == place.archive &&
        above->serial == place.serial)
        return word(row - 1, PlaceWord);
    if (m_places.size() >= NullCell)
        throw PlatformError(7, QStringLiteral("Out of memory"));
    m_places.push_back(place);
    return quint32(m_places.size() - 1);
}

void CatalogueRows::putSize(size_t row, const char *data, int length)
{
    quint64 value;
    if (data && m_grouping.parse(data, length, value)) {
        word(row, SizeWord) = quint32(value);
        m_flags[row] |= quint8(SizeNumber | ((value >> 32) << HighShift));
        return;
    }
    const quint32 above =
        row > 0 && !(m_flags[row - 1] & SizeNumber) ? word(row - 1, SizeWord) : NullCell;
    word(row, SizeWord) = m_text.storeUnlessAbove(above, data, length);
}

void CatalogueRows::putType(size_t row, quint32 above, const char *data, int length)
{
    if (!data)
        return; // a new row's type is null already
    if (m_types.empty()) {
        m_types.resize(m_size);
        for (size_t i = 0; i < m_size; ++i)
            m_types[i] = NullCell;
    }
    // A few kinds of file make most of a catalogue's types: the last types stored are tried
    // before the text is stored again.
    for (quint32 ref : m_recentTypes) {
        const auto [text, textLength] = m_text.at(ref);
        if (ref != NullCell && textLength == length &&
            std::memcmp(text, data, size_t(length)) == 0) {
            m_types[row] = ref;
            return;
        }
    }
    m_types[row] = m_text.storeUnlessAbove(above, data, length);
    if (m_types[row] != above) {
        std::copy_backward(m_recentTypes, m_recentTypes + RecentTypes - 1,
                           m_recentTypes + RecentTypes);
        m_recentTypes[0] = m_types[row];
    }
}

void CatalogueRows::putDate(size_t row, int date, const char *s, int n)
{
    const int w = FirstDateWord + date;
    const quint8 bit = quint8(DateNumber << date);
    quint32 seconds;
    if (s && StoredDate::toSeconds(s, n, seconds)) {
        word(row, w) = seconds;
        m_flags[row] |= bit;
        return;
    }
    const quint32 above = row > 0 && !(m_flags[row - 1] & bit) ? word(row - 1, w) : NullCell;
    word(row, w) = m_text.storeUnlessAbove(above, s, n);
}

void CatalogueRows::appendFrom(const CatalogueRows &other, size_t r)
{
    m_grouping.adopt(other.m_grouping);
    const size_t row = startRow(other.id(r), other.isMember(r));
    const auto textOf = [&other](quint32 ref) {
        return ref == NullCell ? std::pair<const char *, int>() : other.m_text.at(ref);
    };
    const Place &place = other.m_places[other.word(r, PlaceWord)];
    const char *cells[SubItemCount] = {};
    int lengths[SubItemCount] = {};
    for (const auto &[field, subItem] : {std::pair(&Place::path, int(FilesField::Path)),
                                         std::pair(&Place::archive, int(FilesField::Archive)),
                                         std::pair(&Place::serial, int(FilesField::Serial))})
        std::tie(cells[subItem - 1], lengths[subItem - 1]) = textOf(place.*field);
    word(row, PlaceWord) = placeFor(row, cells, lengths);
    const auto [name, nameLength] = textOf(other.word(r, FileWord));
    word(row, FileWord) =
        m_text.storeUnlessAbove(row > 0 ? word(row - 1, FileWord) : NullCell, name, nameLength);
    if (other.type(r) != NullCell) {
        const auto [data, length] = other.m_text.at(other.type(r));
        putType(row, row > 0 ? type(row - 1) : NullCell, data, length);
    }
    const quint8 flags = other.m_flags[r];
    if ((flags & SizeNumber) && m_grouping == other.m_grouping) {
        word(row, SizeWord) = other.word(r, SizeWord);
        m_flags[row] |= flags & quint8(SizeNumber | (0xF << HighShift));
    } else if (flags & SizeNumber) {
        const auto [data, length] = other.cell(r, FilesField::Size);
        putSize(row, data, length);
    } else {
        const auto [data, length] = textOf(other.word(r, SizeWord));
        putSize(row, data, length);
    }
    for (int d = 0; d < FilesField::DateCount; ++d) {
        const quint8 bit = quint8(DateNumber << d);
        if (flags & bit) {
            word(row, FirstDateWord + d) = other.word(r, FirstDateWord + d);
            m_flags[row] |= bit;
        } else {
            const auto [data, length] = textOf(other.word(r, FirstDateWord + d));
            putDate(row, d, data, length);
        }
    }
}

void CatalogueRows::appendAll(const CatalogueRows &other)
{
    // A part whose sizes are grouped otherwise is taken row by row: its sizes are written back
    // with their own grouping and held again here as this one reads them.
    m_grouping.adopt(other.m_grouping);
    if (other.m_grouping != SizeGrouping() && other.m_grouping != m_grouping) {
        for (size_t row = 0; row < other.size(); ++row)
            appendFrom(other, row);
        return;
    }
    const size_t rows = m_size, places = m_places.size();
    if (places + other.m_places.size() >= NullCell)
        throw PlatformError(7, QStringLiteral("Out of memory"));
    const quint32 text = m_text.takeAll(other.m_text);
    const auto moved = [text](quint32 ref) { return ref == NullCell ? NullCell : ref + text; };
    if (other.m_firstMember < other.size() && m_firstMember > rows)
        m_firstMember = rows + other.m_firstMember;
    m_places.resize(places + other.m_places.size());
    for (size_t i = 0; i < other.m_places.size(); ++i) {
        const Place &place = other.m_places[i];
        m_places[places + i] = {moved(place.path), moved(place.archive), moved(place.serial)};
    }
    m_words.resize((rows + other.size()) * WordCount);
    m_flags.resize(rows + other.size());
    if (!other.m_types.empty() && m_types.empty()) {
        m_types.resize(rows);
        for (size_t i = 0; i < rows; ++i)
            m_types[i] = NullCell;
    }
    for (size_t r = 0; r < other.size(); ++r) {
        const size_t row = rows + r;
        const quint8 flags = other.m_flags[r];
        m_ids.push_back(other.id(r));
        m_flags[row] = flags;
        word(row, PlaceWord) = other.word(r, PlaceWord) + quint32(places);
        word(row, FileWord) = moved(other.word(r, FileWord));
        word(row, SizeWord) =
            flags & SizeNumber ? other.word(r, SizeWord) : moved(other.word(r, SizeWord));
        for (int d = 0; d < FilesField::DateCount; ++d) {
            const quint32 value = other.word(r, FirstDateWord + d);
            word(row, FirstDateWord + d) = flags & (DateNumber << d) ? value : moved(value);
        }
        if (!m_types.empty())
            m_types.push_back(moved(other.type(r)));
    }
    m_size = rows + other.size();
}

void CatalogueRows::drop(const std::vector<bool> &gone)
{
    // The members stay after the files: they begin after the files kept, if any is kept.
    if (m_firstMember < m_size) {
        const size_t files =
            m_firstMember -
            size_t(std::count(gone.begin(), gone.begin() + qint64(m_firstMember), true));
        const size_t members =
            size_t(std::count(gone.begin() + qint64(m_firstMember), gone.end(), false));
        m_firstMember = members > 0 ? files : size_t(-1);
    }
    m_ids.drop(gone);
    m_words.dropRows(gone, WordCount);
    m_flags.dropRows(gone);
    if (!m_types.empty())
        m_types.dropRows(gone);
    const size_t kept = m_ids.size();
    m_size = kept;
    // Most rows gone (a disc removed, every row selected): the texts of the rest are stored
    // again, and the memory of the others is given back.
    if (kept * 2 < gone.size()) {
        CatalogueRows packed;
        for (size_t row = 0; row < kept; ++row)
            packed.appendFrom(*this, row);
        m_text.swap(packed.m_text);
        m_ids.swap(packed.m_ids);
        m_words.swap(packed.m_words);
        m_flags.swap(packed.m_flags);
        m_types.swap(packed.m_types);
        std::copy(std::begin(packed.m_recentTypes), std::end(packed.m_recentTypes), m_recentTypes);
        m_places.swap(packed.m_places);
    }
}

std::pair<const char *, int> CatalogueRows::cell(size_t row, int subItem) const
{
    switch (subItem) {
    case FilesField::Path:
        return m_text.at(m_places[word(row, PlaceWord)].path);
    case FilesField::Archive:
        return m_text.at(m_places[word(row, PlaceWord)].archive);
    case FilesField::Serial:
        return m_text.at(m_places[word(row, PlaceWord)].serial);
    case FilesField::File:
        return m_text.at(word(row, FileWord));
    case FilesField::Type:
        return m_text.at(type(row));
    default:
        break;
    }
    const quint8 flags = m_flags[row];
    const quint32 value = word(row, wordOf(subItem));
    char *out = buffer(subItem);
    if (subItem == FilesField::Size) {
        if (!(flags & SizeNumber))
            return m_text.at(value);
        return {out, m_grouping.format(sizeValue(row), out)};
    }
    if (!(flags & (DateNumber << (subItem - FilesField::FirstDate))))
        return m_text.at(value);
    return {out, StoredDate::secondsText(value, out)};
}

bool CatalogueRows::sharesCellAbove(size_t row, int subItem) const
{
    const quint32 here = word(row, PlaceWord), above = word(row - 1, PlaceWord);
    switch (subItem) {
    case FilesField::Path:
    case FilesField::Archive:
    case FilesField::Serial:
        if (here == above)
            return true;
        break;
    default:
        break;
    }
    switch (subItem) {
    case FilesField::Path:
        return m_places[here].path == m_places[above].path;
    case FilesField::Archive:
        return m_places[here].archive == m_places[above].archive;
    case FilesField::Serial:
        return m_places[here].serial == m_places[above].serial;
    case FilesField::File:
        break;
    case FilesField::Type:
        return type(row) == type(row - 1);
    case FilesField::Size:
        if (((m_flags[row] ^ m_flags[row - 1]) & ~quint8((DateNumber << 3) - DateNumber)) != 0)
            return false;
        break;
    default: {
        const quint8 bit = quint8(DateNumber << (subItem - FilesField::FirstDate));
        if ((m_flags[row] ^ m_flags[row - 1]) & bit)
            return false;
    }
    }
    const int w = wordOf(subItem);
    return word(row, w) == word(row - 1, w);
}

qint64 CatalogueRows::sizeValue(size_t row) const
{
    const quint8 flags = m_flags[row];
    if (flags & SizeNumber)
        return qint64(quint64(word(row, SizeWord)) | (quint64(flags >> HighShift) << 32));
    const auto [data, length] = m_text.at(word(row, SizeWord));
    return FileRow::sizeValue(data, length);
}

qint64 CatalogueRows::moment(size_t row, int subItem) const
{
    const int date = subItem - FilesField::FirstDate;
    const quint32 value = word(row, FirstDateWord + date);
    if (m_flags[row] & (DateNumber << date))
        return StoredDate::secondsMoment(value);
    const auto [data, length] = m_text.at(value);
    return StoredDate::parse(data, length).moment();
}

QString CatalogueRows::text(size_t row, int subItem) const
{
    // A member's ID is not one of Files: the column shows only those.
    if (subItem == 0)
        return isMember(row) ? QString() : QString::number(id(row));
    const auto [data, length] = cell(row, subItem);
    return QString::fromUtf8(data, length);
}
