#pragma once

#include <QString>

class StoredDate;

// How the lists show dates and times: the user's short date, always with a four-digit year, and
// the time of day without its zone.
namespace LocalDates {

QString dateFormat();
QString timeFormat();
// A stored date as the lists show it, in these formats: its time of day only where it has one
// (midnight is the time of a date that has none, whoever wrote it). Empty for no date.
QString text(const StoredDate &date, const QString &dateFormat, const QString &timeFormat);

} // namespace LocalDates
