#include "catalogue/storeddate.h"

namespace {

// The number the digits at data give; -1 when a character is no digit.
int number(const char *data, int digits)
{
    int value = 0;
    for (int i = 0; i < digits; ++i) {
        const unsigned digit = unsigned(static_cast<unsigned char>(data[i])) - '0';
        if (digit > 9)
            return -1;
        value = value * 10 + int(digit);
    }
    return value;
}

int daysInMonth(int year, int month)
{
    static const int Days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : Days[month - 1];
}

constexpr qint64 SecondsPerDay = 86400;

// Days from 1970-01-01 to a date of the proleptic Gregorian calendar, and back (for years from
// 1970 on).
qint64 daysFromCivil(int y, int m, int d)
{
    y -= m <= 2;
    const qint64 era = y / 400;
    const unsigned yoe = unsigned(y - era * 400);
    const unsigned doy = unsigned((153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1);
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + qint64(doe) - 719468;
}

void civilFromDays(qint64 z, int &y, int &m, int &d)
{
    z += 719468;
    const qint64 era = z / 146097;
    const unsigned doe = unsigned(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    d = int(doy - (153 * mp + 2) / 5 + 1);
    m = int(mp < 10 ? mp + 3 : mp - 9);
    y = int(qint64(yoe) + era * 400 + (m <= 2));
}

void putDigits(char *out, int value, int digits)
{
    for (int i = digits - 1; i >= 0; --i, value /= 10)
        out[i] = char('0' + value % 10);
}

} // namespace

bool StoredDate::toSeconds(const char *data, qsizetype length, quint32 &seconds)
{
    const StoredDate date = parse(data, length);
    if (date.m_year < 1970 || (length == 19 && data[10] != ' '))
        return false;
    const int time = date.m_hour * 3600 + date.m_minute * 60 + date.m_second;
    if (length == 19 && time == 0) // midnight is written without its time
        return false;
    const qint64 value =
        daysFromCivil(date.m_year, date.m_month, date.m_day) * SecondsPerDay + time;
    if (value > qint64(0xFFFFFFFFu))
        return false;
    seconds = quint32(value);
    return true;
}

int StoredDate::secondsText(quint32 seconds, char *out)
{
    int y, m, d;
    civilFromDays(qint64(seconds / SecondsPerDay), y, m, d);
    putDigits(out, y, 4);
    out[4] = '-';
    putDigits(out + 5, m, 2);
    out[7] = '-';
    putDigits(out + 8, d, 2);
    const int time = int(seconds % SecondsPerDay);
    if (time == 0)
        return 10;
    out[10] = ' ';
    putDigits(out + 11, time / 3600, 2);
    out[13] = ':';
    putDigits(out + 14, time / 60 % 60, 2);
    out[16] = ':';
    putDigits(out + 17, time % 60, 2);
    return 19;
}

qint64 StoredDate::secondsMoment(quint32 seconds)
{
    int y, m, d;
    civilFromDays(qint64(seconds / SecondsPerDay), y, m, d);
    const int time = int(seconds % SecondsPerDay);
    return dayOf(y, m, d) * 1000000 + (time / 3600) * 10000 + (time / 60 % 60) * 100 + time % 60;
}

StoredDate StoredDate::parse(const char *data, qsizetype length)
{
    StoredDate date;
    if ((length != 10 && length != 19) || data[4] != '-' || data[7] != '-')
        return date;
    const int year = number(data, 4), month = number(data + 5, 2), day = number(data + 8, 2);
    if (year < 1 || month < 1 || month > 12 || day < 1 ||
        (day > 28 && day > daysInMonth(year, month)))
        return date;
    if (length == 19) {
        if ((data[10] != ' ' && data[10] != 'T') || data[13] != ':' || data[16] != ':')
            return date;
        date.m_hour = number(data + 11, 2);
        date.m_minute = number(data + 14, 2);
        date.m_second = number(data + 17, 2);
        if (date.m_hour < 0 || date.m_hour > 23 || date.m_minute < 0 || date.m_minute > 59 ||
            date.m_second < 0 || date.m_second > 59)
            return StoredDate();
    }
    date.m_year = year;
    date.m_month = month;
    date.m_day = day;
    return date;
}

QDateTime StoredDate::utc() const
{
    return isValid() ? QDateTime(date(), time(), Qt::UTC) : QDateTime();
}

bool StoredDate::appendIso(const char *data, qsizetype length, std::string &out)
{
    if (!parse(data, length).isValid())
        return false;
    // A date read is in the one form, digits in their places: only the separator changes.
    const size_t at = out.size();
    out.append(data, size_t(length));
    if (length > 10)
        out[at + 10] = 'T';
    return true;
}
