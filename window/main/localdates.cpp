#include "window/main/localdates.h"

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

} // namespace LocalDates
