#pragma once

#include <QDateTime>

// The local clock and its offset from UTC, the stand-in for the time-zone information.
namespace LocalTime {

QDateTime now();
// Minutes east of UTC at the given local time (daylight saving included).
int offsetMinutes(const QDateTime &local);

} // namespace LocalTime
