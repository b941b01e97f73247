// RFC 822 dates with English day and month names and the local offset from UTC.
#include "mail/MailDates.h"

#include "os/LocalTime.h"

#include <QDateTime>
#include <cstdio>
#include <cstdlib>

std::string Rfc822Date(const QDateTime &dateTime)
{
    static const char kDays[] = "Sun,Mon,Tue,Wed,Thu,Fri,Sat,";
    static const char kMonths[] = "Jan,Feb,Mar,Apr,May,Jun,Jul,Aug,Sep,Oct,Nov,Dec,";
    const QDate date = dateTime.date();
    const QTime time = dateTime.time();
    const int day = date.dayOfWeek() % 7; // Qt: Monday 1 .. Sunday 7
    const int month = date.month() - 1;
    if (day < 0 || month < 0 || month > 11)
        return {};

    // Always a numeric zone: RFC 5322 counts "GMT" among the obsolete forms.
    char zone[8];
    const int offset = LocalTime::offsetMinutes(dateTime);
    const int a = std::abs(offset) % (100 * 60);
    std::snprintf(zone, sizeof zone, "%c%02d%02d", offset < 0 ? '-' : '+', a / 60, a % 60);
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.3s, %02d %.3s %04d %02d:%02d:%02d %s", kDays + day * 4, date.day(),
                  kMonths + month * 4, date.year(), time.hour(), time.minute(), time.second(), zone);
    return buf;
}
