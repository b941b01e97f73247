#include "os/LocalTime.h"

namespace LocalTime {

QDateTime now()
{
    return QDateTime::currentDateTime();
}

int offsetMinutes(const QDateTime &local)
{
    return local.offsetFromUtc() / 60;
}

} // namespace LocalTime
