#include "indexing/volumeid.h"

#include "platform/volumequery.h"

#include <algorithm>

namespace {

constexpr int LabelBuffer = 14; // 13 characters and the terminating NUL

bool isDecimal(const QString &text)
{
    return !text.isEmpty() && std::all_of(text.begin(), text.end(), [](QChar c) {
        return c >= QLatin1Char('0') && c <= QLatin1Char('9');
    });
}

// Numeric formatting with the pattern "0000": a text that reads as a number (decimal digits, or
// digits, E or D, digits as exponent notation) becomes that number with at least four digits;
// any other text stays as it is.
QString formatHalf(const QString &hex)
{
    QString digits;
    if (isDecimal(hex)) {
        digits = hex;
    } else {
        const auto found = std::find_if(hex.begin(), hex.end(), [](QChar c) {
            return c == QLatin1Char('E') || c == QLatin1Char('D');
        });
        const int letter = found == hex.end() ? -1 : int(found - hex.begin());
        const QString mantissa = hex.left(letter);
        const QString exponent = hex.mid(letter + 1);
        if (letter < 0 || !isDecimal(mantissa) || !isDecimal(exponent))
            return hex;
        digits = mantissa;
        while (digits.size() > 1 && digits.startsWith(QLatin1Char('0')))
            digits.remove(0, 1);
        // A four-digit half has an exponent of at most 99: the number is written out in full.
        if (digits != QLatin1String("0"))
            digits.append(QString(exponent.toInt(), QLatin1Char('0')));
    }
    while (digits.size() > 1 && digits.startsWith(QLatin1Char('0')))
        digits.remove(0, 1);
    return digits.rightJustified(4, QLatin1Char('0'));
}

// A half widened with its sign: negative halves as the eight digits of their two's complement.
QString hexHalf(qint16 half)
{
    return QString::number(quint32(qint32(half)), 16).toUpper();
}

} // namespace

bool GetVolumeId(const QString &root, QString &label, QString &serial, VolumeQuery &query)
{
    static const QString failed(LabelBuffer, QLatin1Char(' '));
    label = failed;
    QString answer;
    quint32 number = 0;
    if (!query.GetVolumeInformation(root, answer, number))
        return false;
    FormatVolumeId(answer, number, label, serial);
    return true;
}

void FormatVolumeId(QString answer, quint32 number, QString &label, QString &serial)
{
    // The buffer holds 13 characters; the label ends at its first NUL.
    answer.truncate(LabelBuffer - 1);
    const int nul = answer.indexOf(QChar(0));
    if (nul >= 0)
        answer.truncate(nul);
    label = answer.count(QLatin1Char(' ')) == answer.size() ? QStringLiteral("(no label)") : answer;
    serial = formatHalf(hexHalf(HiWord(qint32(number)))) + QLatin1Char('-') +
             formatHalf(hexHalf(LoWord(qint32(number))));
}

qint16 HiWord(qint32 value)
{
    return qint16(quint32(value) >> 16);
}

qint16 LoWord(qint32 value)
{
    return qint16(quint32(value) & 0xFFFF);
}
