#include "catalogue/roworder.h"

#include "catalogue/distincttexts.h"
#include "catalogue/filesfield.h"

#include <algorithm>
#include <cstring>
#include <future>
#include <limits>
#include <system_error>

namespace {

// Rows below which a sort by name is ordered on the calling thread alone.
constexpr size_t ParallelRows = 65536;

// The sorts' keys are packed to twelve bytes: at ten million rows each key array is the largest
// memory a sort takes, and a third less of it is worth the unaligned reads.
#pragma pack(push, 4)
struct NumberKey
{
    qint64 value;
    quint32 row;
};

// Eight folded bytes of a name from depth on (depth within the name) as a number that orders as
// the bytes do, zeros past the name's end. Its last byte is not zero only when the name reaches
// it: the name may go on.
quint64 chunkAt(const char *folded, size_t depth)
{
    const auto *p = reinterpret_cast<const unsigned char *>(folded) + depth;
    quint64 chunk = 0;
    int i = 0;
    for (; i < 8 && p[i] != 0; ++i)
        chunk = (chunk << 8) | p[i];
    return i == 0 ? 0 : chunk << (8 * (8 - i));
}

struct NameKey
{
    quint64 chunk; // the folded name's bytes at the depth being ordered
    quint32 given; // the row's place as given: its row, and the order of equal names
};
#pragma pack(pop)

// Orders the rows by their folded names (the names held), names equal so by their own bytes,
// and names equal byte for byte as given. The rows are first spread by the first two folded
// bytes, in place; each spread is then ordered eight bytes at a time, the bytes past them read
// only for rows that share them.
void sortByFoldedName(const CatalogueRows &held, const HeldNames &names, std::vector<quint32> &rows)
{
    const size_t n = rows.size();
    std::vector<NameKey> keys(n);
    for (size_t k = 0; k < n; ++k)
        keys[k] = {chunkAt(names.name(rows[k]), 0), quint32(k)};
    const auto rowOf = [&rows](const NameKey &key) { return rows[key.given]; };

    constexpr size_t Spreads = 1 << 16;
    const auto spreadOf = [](const NameKey &key) { return size_t(key.chunk >> 48); };
    std::vector<size_t> next(Spreads + 1, 0), end(Spreads, 0);
    for (const NameKey &key : keys)
        ++next[spreadOf(key) + 1];
    for (size_t s = 1; s <= Spreads; ++s)
        next[s] += next[s - 1];
    for (size_t s = 0; s < Spreads; ++s)
        end[s] = next[s + 1];
    for (size_t s = 0; s < Spreads; ++s)
        while (next[s] < end[s]) {
            const size_t to = spreadOf(keys[next[s]]);
            if (to == s)
                ++next[s];
            else
                std::swap(keys[next[s]], keys[next[to]++]);
        }

    // Names equal when folded: by their own bytes, then as given.
    const auto bytesLess = [&](const NameKey &a, const NameKey &b) {
        const auto [x, lx] = held.cell(rowOf(a), FilesField::File);
        const auto [y, ly] = held.cell(rowOf(b), FilesField::File);
        const int c = std::memcmp(x, y, size_t(std::min(lx, ly)));
        return c != 0 ? c < 0 : lx != ly ? lx < ly : a.given < b.given;
    };
    using Run = DistinctTexts::Run;
    std::vector<Run> runs;
    for (size_t s = 0, begin = 0; s < Spreads; begin = end[s], ++s)
        if (end[s] - begin > 1)
            runs.push_back({begin, end[s], 0});
    // The spreads are ordered apart from each other: two threads share them, half the keys
    // each, where there are enough to be worth a thread.
    const auto order = [&](std::vector<Run> stack) {
        while (!stack.empty()) {
            const Run run = stack.back();
            stack.pop_back();
            const auto first = keys.begin() + long(run.begin), last = keys.begin() + long(run.end);
            bool longer = false; // a name of the run goes on past this chunk
            for (auto key = first; key != last; ++key) {
                // A name that ended in the chunk before has only zeros here.
                if (run.depth > 0)
                    key->chunk =
                        (key->chunk & 0xFF) ? chunkAt(names.name(rowOf(*key)), run.depth) : 0;
                longer = longer || (key->chunk & 0xFF) != 0;
            }
            if (!longer) {
                // Every name ends in this chunk: equal chunks are equal folded names. Those are
                // mostly the same bytes too; only where they are not are the bytes compared.
                std::sort(first, last, [](const NameKey &a, const NameKey &b) {
                    return a.chunk != b.chunk ? a.chunk < b.chunk : a.given < b.given;
                });
                for (auto from = first; from != last;) {
                    auto to = from + 1;
                    while (to != last && to->chunk == from->chunk)
                        ++to;
                    const auto [x, lx] = held.cell(rowOf(*from), FilesField::File);
                    for (auto key = from + 1; key != to; ++key) {
                        const auto [y, ly] = held.cell(rowOf(*key), FilesField::File);
                        if (lx != ly || std::memcmp(x, y, size_t(lx)) != 0) {
                            std::sort(from, to, bytesLess);
                            break;
                        }
                    }
                    from = to;
                }
                continue;
            }
            DistinctTexts::splitByChunk(keys, run, stack);
        }
    };
    size_t half = 0, split = 0;
    for (; split < runs.size() && half < n / 2; ++split)
        half += runs[split].end - runs[split].begin;
    std::vector<Run> second(runs.begin() + long(split), runs.end());
    runs.resize(split);
    std::future<void> other;
    if (n >= ParallelRows) {
        try {
            other = std::async(std::launch::async, order, second);
        } catch (const std::system_error &) {
            // No thread to be had: this one orders both halves.
        }
    }
    order(std::move(runs));
    if (other.valid())
        other.get();
    else
        order(std::move(second));
    // Each key's place as given becomes its row before any row is written over.
    for (NameKey &key : keys)
        key.given = rowOf(key);
    for (size_t k = 0; k < n; ++k)
        rows[k] = keys[k].given;
}

} // namespace

namespace RowOrder {

void sort(const CatalogueRows &held, std::vector<quint32> &rows, int column, bool descending,
          const HeldNames *names)
{
    const size_t n = rows.size();
    if (column == FilesField::ID || column == FilesField::Size || FilesField::isDate(column) ||
        n == 0) {
        std::vector<NumberKey> keys(n);
        for (size_t k = 0; k < n; ++k) {
            const size_t i = rows[k];
            qint64 value;
            if (column == FilesField::ID) {
                // Members, whose IDs are not of Files, after every file.
                value = held.isMember(i) ? std::numeric_limits<qint64>::max() : held.id(i);
            } else {
                value = column == FilesField::Size ? held.sizeValue(i) : held.moment(i, column);
            }
            keys[k] = {value, quint32(i)};
        }
        std::sort(keys.begin(), keys.end(), [](const NumberKey &a, const NumberKey &b) {
            return a.value != b.value ? a.value < b.value : a.row < b.row;
        });
        for (size_t k = 0; k < n; ++k)
            rows[k] = keys[k].row;
    } else if (names && column == FilesField::File && names->size() == held.size()) {
        sortByFoldedName(held, *names, rows);
    } else {
        // Each row gets its text's number (rows sharing a stored cell share it without a
        // lookup), then the rows are placed by their text's place, keeping stored order among
        // equal texts.
        DistinctTexts texts;
        std::vector<quint32> number(n);
        const char *lastData = nullptr;
        for (size_t k = 0; k < n; ++k) {
            const auto [data, length] = held.cell(rows[k], column);
            number[k] = k > 0 && data == lastData ? number[k - 1] : texts.add(data, length);
            lastData = data;
        }
        std::vector<quint32> place = texts.places();
        texts = DistinctTexts(); // its table is not needed past here
        // Each row's text number gives way to its text's place.
        for (size_t k = 0; k < n; ++k)
            number[k] = place[number[k]];
        std::vector<quint32> start(place.size() + 1, 0);
        std::vector<quint32>().swap(place);
        for (size_t k = 0; k < n; ++k)
            ++start[number[k] + 1];
        for (size_t p = 1; p < start.size(); ++p)
            start[p] += start[p - 1];
        std::vector<quint32> ordered(n);
        for (size_t k = 0; k < n; ++k)
            ordered[start[number[k]]++] = rows[k];
        rows.swap(ordered);
    }
    if (descending)
        std::reverse(rows.begin(), rows.end());
}

} // namespace RowOrder
