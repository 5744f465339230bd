#include "window/main/localdates.h"

#include "catalogue/storeddate.h"

#include <QLocale>

namespace LocalDates {

QString dateFormat()
{
    QString format = QLocale().dateFormat(QLocale::ShortFormat);
    if (!format.contains(QLatin1String("yyyy")))
        format.replace(QLatin1String("yy"), QLatin1String("yyyy"));
    return format;
}

QString timeFormat()
{
    QString format = QLocale().timeFormat(QLocale::LongFormat);
    format.remove(QLatin1String(" t")).remove(QLatin1Char('t'));
    return format.trimmed();
}

QString text(const StoredDate &date, const QString &dateFormat, const QString &timeFormat)
{
    if (!date.isValid())
        return QString();
    // Date and time apart: a stored time is no moment of the local zone (a time that a change
    // to summer time skips is still shown).
    const QLocale locale;
    const QTime time = date.time();
    if (time == QTime(0, 0))
        return locale.toString(date.date(), dateFormat);
    return locale.toString(date.date(), dateFormat) + QLatin1Char(' ') +
           locale.toString(time, timeFormat);
}

} // namespace LocalDates
