#include "catalogue/roworder.h"

#include "catalogue/distincttexts.h"
#include "catalogue/filesfield.h"

#include <algorithm>
#include <limits>

namespace {

struct NumberKey
{
    qint64 value;
    quint32 row;
};

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
    } else {
        // Each row gets its text's number (rows sharing a stored cell share it without a
        // lookup), then the rows are placed by their text's place, keeping stored order among
        // equal texts.
        DistinctTexts texts;
        std::vector<quint32> number(n);
        const char *lastData = nullptr;
        const bool folded = names && column == FilesField::File && names->size() == held.size();
        for (size_t k = 0; k < n; ++k) {
            const auto [data, length] = held.cell(rows[k], column);
            number[k] = k > 0 && data == lastData
                            ? number[k - 1]
                            : texts.add(data, length, folded ? names->name(rows[k]) : nullptr);
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
