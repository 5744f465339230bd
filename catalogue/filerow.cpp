#include "catalogue/filerow.h"

#include <cstring>

void FileRow::setSize(qint64 bytes, const QByteArray &separator)
{
    sizeLength = quint8(formatSize(bytes, separator, size.data()));
}

void FileRow::setDate(int field, qint64 day)
{
    const size_t d = size_t(field - FilesField::FirstDate);
    // Days to a proleptic Gregorian date.
    const qint64 z = day + 719468;
    const qint64 era = (z >= 0 ? z : z - 146096) / 146097;
    const qint64 doe = z - era * 146097;
    const qint64 yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const qint64 doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const qint64 mp = (5 * doy + 2) / 153;
    const int dayOfMonth = int(doy - (153 * mp + 2) / 5 + 1);
    const int month = int(mp < 10 ? mp + 3 : mp - 9);
    const qint64 year = yoe + era * 400 + (month <= 2);
    if (year < 1 || year > 9999) {
        dateLengths[d] = 0;
        return;
    }
    char *out = dates[d].data();
    int y = int(year);
    for (int i = 3; i >= 0; --i, y /= 10)
        out[i] = char('0' + y % 10);
    out[4] = '-';
    out[5] = char('0' + month / 10);
    out[6] = char('0' + month % 10);
    out[7] = '-';
    out[8] = char('0' + dayOfMonth / 10);
    out[9] = char('0' + dayOfMonth % 10);
    dateLengths[d] = 10;
}

void FileRow::storedCells(RowCell *cells) const
{
    const auto text = [](const QByteArray &bytes) {
        return RowCell{bytes.isNull() ? "" : bytes.constData(), int(bytes.size())};
    };
    cells[FilesField::ID] = cells[FilesField::Type] = {nullptr, 0};
    cells[FilesField::Path] = text(path);
    cells[FilesField::File] = text(file);
    cells[FilesField::Size] = {size.data(), sizeLength};
    for (int d = 0; d < FilesField::DateCount; ++d)
        cells[FilesField::FirstDate + d] = {dateLengths[d] ? dates[d].data() : nullptr,
                                            dateLengths[d]};
    cells[FilesField::Archive] = text(label);
    cells[FilesField::Serial] = text(serial);
}

int FileRow::formatSize(qint64 bytes, const QByteArray &separator, char *out)
{
    if (bytes <= 0) {
        if (bytes == 0)
            return 0;
        // Sizes are never negative; a stand-in's odd answer is written as a plain number.
        const QByteArray digits = QByteArray::number(bytes);
        std::memcpy(out, digits.constData(), size_t(digits.size()));
        return int(digits.size());
    }
    char digits[20];
    int n = 0;
    for (quint64 v = quint64(bytes); v; v /= 10)
        digits[n++] = char('0' + v % 10);
    int length = 0;
    for (int i = n - 1; i >= 0; --i) {
        out[length++] = digits[i];
        if (i > 0 && i % 3 == 0) {
            std::memcpy(out + length, separator.constData(), size_t(separator.size()));
            length += int(separator.size());
        }
    }
    return length;
}

qint64 FileRow::sizeValue(const char *text, int length)
{
    // The Windows program wrote sizes of 2 to 4 GiB as negative 32-bit numbers.
    constexpr qint64 Wrapped = Q_INT64_C(4294967296);
    int i = 0;
    while (i < length && text[i] == ' ')
        ++i;
    const bool negative = i < length && text[i] == '-';
    if (negative)
        ++i;
    qint64 value = 0;
    for (; i < length; ++i) {
        const char c = text[i];
        if (c >= '0' && c <= '9') {
            if (value > (Wrapped << 20))
                return -1; // more digits than any size has
            value = value * 10 + (c - '0');
        } else if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')) {
            return -1;
        }
    }
    if (!negative)
        return value;
    return value <= Wrapped ? Wrapped - value : -1;
}
