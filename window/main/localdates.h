#pragma once

#include <QString>

// How the lists show dates and times: the user's short date, always with a four-digit year, and
// the time of day without its zone.
namespace LocalDates {

QString dateFormat();
QString timeFormat();

} // namespace LocalDates
