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

} // namespace

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
