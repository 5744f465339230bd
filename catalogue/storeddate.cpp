#include "catalogue/storeddate.h"

namespace {

// The two-digit (or, with digits 4, four-digit) number at data; -1 when a character is no digit.
int number(const char *data, int digits)
{
    int value = 0;
    for (int i = 0; i < digits; ++i) {
        if (data[i] < '0' || data[i] > '9')
            return -1;
        value = value * 10 + (data[i] - '0');
    }
    return value;
}

void appendDigits(std::string &out, int value, int digits)
{
    char text[4];
    for (int i = digits - 1; i >= 0; --i, value /= 10)
        text[i] = char('0' + value % 10);
    out.append(text, size_t(digits));
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
    if (year < 1 || month < 1 || month > 12 || day < 1 || day > daysInMonth(year, month))
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
        date.m_hasTime = true;
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

void StoredDate::appendIso(std::string &out) const
{
    if (!isValid())
        return;
    appendDigits(out, m_year, 4);
    out += '-';
    appendDigits(out, m_month, 2);
    out += '-';
    appendDigits(out, m_day, 2);
    if (!m_hasTime)
        return;
    out += 'T';
    appendDigits(out, m_hour, 2);
    out += ':';
    appendDigits(out, m_minute, 2);
    out += ':';
    appendDigits(out, m_second, 2);
}
