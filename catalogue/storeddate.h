#pragma once

#include <QByteArrayView>
#include <QDate>
#include <QDateTime>
#include <QTime>

#include <string>

// A date as the catalogue stores it: "YYYY-MM-DD", with " HH:MM:SS" after it where a time of day
// was written ("T" in its place, as ISO 8601 has it, is read too). Every reader of a stored date
// reads it here; any other text is no date.
class StoredDate
{
public:
    StoredDate() = default;
    static StoredDate parse(const char *data, qsizetype length);
    static StoredDate parse(QByteArrayView text) { return parse(text.data(), text.size()); }

    bool isValid() const { return m_year > 0; }
    // yyyymmdd, and yyyymmddhhmmss: numbers that order as the days and moments do; -1 for no
    // date.
    qint64 day() const { return isValid() ? dayOf(m_year, m_month, m_day) : -1; }
    static qint64 dayOf(int year, int month, int day)
    {
        return qint64(year) * 10000 + month * 100 + day;
    }
    qint64 moment() const
    {
        return isValid() ? day() * 1000000 + m_hour * 10000 + m_minute * 100 + m_second : -1;
    }
    QDate date() const { return isValid() ? QDate(m_year, m_month, m_day) : QDate(); }
    QTime time() const { return isValid() ? QTime(m_hour, m_minute, m_second) : QTime(); }
    // The stored moment as UTC, which the catalogue's own times are.
    QDateTime utc() const;
    // A date in the catalogue's own form as seconds from 1970 (to 2106): true when text is one
    // that secondsText() writes back byte for byte (so no midnight written out, no "T").
    static bool toSeconds(const char *data, qsizetype length, quint32 &seconds);
    // Writes the catalogue's own form of such a date at out (19 bytes room); gives the length.
    static int secondsText(quint32 seconds, char *out);
    // moment() of such a date.
    static qint64 secondsMoment(quint32 seconds);
    // Appends the date text holds as ISO 8601 has it ("YYYY-MM-DD", or "YYYY-MM-DDTHH:MM:SS"
    // where a time was written); false, appending nothing, when it holds none.
    static bool appendIso(const char *data, qsizetype length, std::string &out);

private:
    int m_year = 0; // 0: no date
    int m_month = 0;
    int m_day = 0;
    int m_hour = 0;
    int m_minute = 0;
    int m_second = 0;
};
