#include "composer/LetterStamp.h"

#include <QDateTime>

namespace LetterStamp {

QString date(const QDateTime &now, const QLocale &locale)
{
    return locale.toString(now.date(), QLocale::ShortFormat);
}

QString time(const QDateTime &now, const QLocale &locale)
{
    // Through the date and time, so that a zone in the long format names the clock's zone.
    return locale.toString(now, locale.timeFormat(QLocale::LongFormat));
}

} // namespace LetterStamp
